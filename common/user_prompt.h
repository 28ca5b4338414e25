// Questions and notices put to the person at the machine, behind one small
// interface so that tests can answer them.
#pragma once

#include <windows.h>

#include <string>

class IUserPrompt {
public:
    virtual ~IUserPrompt() = default;
    // As MessageBox: returns IDYES, IDNO, IDOK, ...
    virtual int Show(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) = 0;
};

class CWin32UserPrompt : public IUserPrompt {
public:
    int Show(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override;
};

IUserPrompt& GetWin32UserPrompt();
