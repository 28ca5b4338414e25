#include "user_prompt.h"

int CWin32UserPrompt::Show(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)
{
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

IUserPrompt& GetWin32UserPrompt()
{
    static CWin32UserPrompt prompt;
    return prompt;
}
