// The small application and dialog layer the installer is built on: an
// application object with a start-up override and modal dialogs built from
// templates, with initialisation, timer and command handlers.
#pragma once

#include <windows.h>

class CAppBase {
public:
    CAppBase();
    virtual ~CAppBase();
    CAppBase(const CAppBase&) = delete;
    CAppBase& operator=(const CAppBase&) = delete;

    // Start-up override; returning false ends the program.
    virtual bool InitInstance() = 0;

    HINSTANCE GetInstance() const { return m_hInstance; }
    HWND GetMainWindow() const { return m_hMainWnd; }
    void SetMainWindow(HWND wnd) { m_hMainWnd = wnd; }

    // Runs the application: start-up, then exit code 0 in every case.
    int Run(HINSTANCE instance);

private:
    HINSTANCE m_hInstance = nullptr;
    HWND m_hMainWnd = nullptr;
};

// The one application object of the process.
CAppBase* GetApp();

class CDialogBase {
public:
    explicit CDialogBase(UINT templateId) : m_nTemplateId(templateId) {}
    virtual ~CDialogBase() = default;
    CDialogBase(const CDialogBase&) = delete;
    CDialogBase& operator=(const CDialogBase&) = delete;

    // Shows the dialog modally; returns the value given to EndDialog, or -1.
    INT_PTR DoModal(HWND owner = nullptr);
    void EndDialog(INT_PTR result);

    HWND GetSafeHwnd() const { return m_hWnd; }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs) { return ::SetTimer(m_hWnd, id, elapseMs, nullptr); }
    void KillTimer(UINT_PTR id) { ::KillTimer(m_hWnd, id); }

protected:
    // WM_INITDIALOG; return true to let the system set the focus.
    virtual bool OnInitDialog() { return true; }
    virtual void OnTimer(UINT_PTR /*id*/) {}
    // WM_COMMAND; returns true when handled.  OK and Cancel end the dialog by default.
    virtual bool OnCommand(WORD id, WORD notifyCode);
    // Any other message; return true when handled.
    virtual bool OnMessage(UINT /*message*/, WPARAM, LPARAM, INT_PTR& /*result*/) { return false; }

private:
    static INT_PTR CALLBACK DialogProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nTemplateId;
    HWND m_hWnd = nullptr;
};
