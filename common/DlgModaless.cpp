#include "DlgModaless.h"

#include "Application.h"
#include "ProductKeys.h"

// CDlgModaless

CDlgModaless::CDlgModaless(UINT a_nIdTemplate, HWND a_hParent, LPCWSTR a_pszPosName)
    : Dialog(a_nIdTemplate, a_hParent), m_wndPos(a_pszPosName)
{
}

BOOL CDlgModaless::OnInitDialog()
{
    Dialog::OnInitDialog();
    POINT pt{};
    RECT rc{};
    if (m_wndPos.LoadPos(pt) && GetWindowRect(rc))
        MoveWindow(pt.x, pt.y, rc.right - rc.left, rc.bottom - rc.top, true);
    m_hAccel = ::LoadAcceleratorsW(winui::ResourceModule(), MAKEINTRESOURCEW(g_nIdAccelModaless));
    return TRUE;
}

BOOL CDlgModaless::PreTranslateMessage(MSG& a_msg)
{
    if (m_hAccel && m_hWnd && ::TranslateAcceleratorW(m_hWnd, m_hAccel, &a_msg))
        return TRUE;
    return Dialog::PreTranslateMessage(a_msg);
}

void CDlgModaless::OnOK()
{
    PostMessage(WM_CLOSE);
}

void CDlgModaless::OnCancel()
{
    PostMessage(WM_CLOSE);
}

bool CDlgModaless::OnClose()
{
    // A minimised window stands at the system's parking place; the place to
    // remember is where it stood before.
    RECT rc{};
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (::IsIconic(m_hWnd) && ::GetWindowPlacement(m_hWnd, &wp)) {
        m_wndPos.SavePos(wp.rcNormalPosition);
    } else if (GetWindowRect(rc)) {
        m_wndPos.SavePos(rc);
    }
    // The system's own handling of WM_CLOSE would only send Cancel again,
    // which comes back here: the window goes now instead.
    DestroyWindow();
    return true;
}

BOOL CDlgModaless::FocusDefaultButton()
{
    LRESULT r = SendMessage(DM_GETDEFID);
    if (HIWORD(r) != DC_HASDEFID)
        return FALSE;
    HWND hButton = GetDlgItem(LOWORD(r));
    if (!hButton)
        return FALSE;
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hButton), TRUE);
    return TRUE;
}

// CDlgMessage

CDlgMessage::CDlgMessage(HWND a_hParent) : CDlgModaless(IDD_MESSAGE, a_hParent, kPosMessage)
{
}

void CDlgMessage::DoDataExchange(winui::DataExchange& a_dx)
{
    CDlgModaless::DoDataExchange(a_dx);
    a_dx.Control(IDC_MESSAGE_ICON, m_ctlIcon);
    a_dx.Text(IDC_MESSAGE_TEXT, m_strText);
}

BOOL CDlgMessage::OnInitDialog()
{
    CDlgModaless::OnInitDialog();
    // Shared icons are the system's to free.
    auto hSmall = static_cast<HICON>(::LoadImageW(
        winui::ResourceModule(), MAKEINTRESOURCEW(IDI_PROGRAM_SMALL), IMAGE_ICON,
        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (hSmall)
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hSmall));
    if (m_nIconId) {
        if (HICON hIcon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(m_nIconId)))
            m_ctlIcon.SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(hIcon));
    }
    return TRUE;
}
