#include "app_framework.h"

namespace {
CAppBase* g_app = nullptr;
} // namespace

CAppBase::CAppBase()
{
    g_app = this;
}

CAppBase::~CAppBase()
{
    if (g_app == this)
        g_app = nullptr;
}

int CAppBase::Run(HINSTANCE instance)
{
    m_hInstance = instance;
    InitInstance();
    return 0;
}

CAppBase* GetApp()
{
    return g_app;
}

INT_PTR CDialogBase::DoModal(HWND owner)
{
    HINSTANCE instance = GetApp() ? GetApp()->GetInstance() : ::GetModuleHandleW(nullptr);
    return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(m_nTemplateId), owner, &CDialogBase::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

void CDialogBase::EndDialog(INT_PTR result)
{
    if (m_hWnd)
        ::EndDialog(m_hWnd, result);
}

bool CDialogBase::OnCommand(WORD id, WORD)
{
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(id);
        return true;
    }
    return false;
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialogBase* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialogBase*>(lParam);
        self->m_hWnd = wnd;
        ::SetWindowLongPtrW(wnd, DWLP_USER, lParam);
        return self->OnInitDialog() ? TRUE : FALSE;
    }
    self = reinterpret_cast<CDialogBase*>(::GetWindowLongPtrW(wnd, DWLP_USER));
    if (!self)
        return FALSE;
    switch (message) {
    case WM_TIMER:
        self->OnTimer(UINT_PTR(wParam));
        return TRUE;
    case WM_COMMAND:
        return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_NCDESTROY:
        self->m_hWnd = nullptr;
        return FALSE;
    default: {
        INT_PTR result = 0;
        if (self->OnMessage(message, wParam, lParam, result)) {
            ::SetWindowLongPtrW(wnd, DWLP_MSGRESULT, result);
            return TRUE;
        }
        return FALSE;
    }
    }
}
