// A non-owning reference to a window: the handle and the few calls the
// programs make on windows and controls. Copying copies the reference only;
// whoever created the window destroys it (Dialog does so for its own).
#pragma once

#include <windows.h>

#include <string>

namespace winui {

class Window {
public:
    Window() = default;
    explicit Window(HWND a_hWnd) : m_hWnd(a_hWnd) {}
    virtual ~Window() = default;

    HWND GetSafeHwnd() const { return m_hWnd; }
    void Attach(HWND a_hWnd) { m_hWnd = a_hWnd; }
    bool IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

    LRESULT SendMessage(UINT a_msg, WPARAM a_wParam = 0, LPARAM a_lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, a_msg, a_wParam, a_lParam);
    }
    bool PostMessage(UINT a_msg, WPARAM a_wParam = 0, LPARAM a_lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, a_msg, a_wParam, a_lParam) != FALSE;
    }

    HWND GetDlgItem(int a_nId) const { return ::GetDlgItem(m_hWnd, a_nId); }
    std::wstring GetWindowText() const;
    bool SetWindowText(const std::wstring& a_strText) const
    {
        return ::SetWindowTextW(m_hWnd, a_strText.c_str()) != FALSE;
    }
    // ShowWindow reports the previous visibility, not success.
    bool ShowWindow(int a_nCmdShow) const { return ::ShowWindow(m_hWnd, a_nCmdShow) != FALSE; }
    bool EnableWindow(bool a_bEnable) const { return ::EnableWindow(m_hWnd, a_bEnable) != FALSE; }
    bool GetWindowRect(RECT& a_rc) const { return ::GetWindowRect(m_hWnd, &a_rc) != FALSE; }
    bool MoveWindow(int a_x, int a_y, int a_cx, int a_cy, bool a_bRepaint = true) const
    {
        return ::MoveWindow(m_hWnd, a_x, a_y, a_cx, a_cy, a_bRepaint) != FALSE;
    }

protected:
    HWND m_hWnd = nullptr;
};

} // namespace winui
