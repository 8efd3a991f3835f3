#include "Dialog.h"

#include <cerrno>
#include <climits>
#include <cwchar>

#include "Application.h"
#include "UiThread.h"

namespace winui {

namespace {

// The window property that leads from a dialog window to its object.
constexpr wchar_t kPropObject[] = L"Lumet.winui.Dialog";

bool IsEditControl(HWND a_hWnd)
{
    wchar_t cls[16] = {};
    return ::GetClassNameW(a_hWnd, cls, 16) > 0 && ::lstrcmpiW(cls, L"Edit") == 0;
}

// Replaces %1 and %2 in a standard message.
std::wstring FormatMessageArgs(const wchar_t* a_pszFormat, const std::wstring& a_str1,
                               const std::wstring& a_str2 = {})
{
    std::wstring out;
    for (const wchar_t* p = a_pszFormat; *p; ++p) {
        if (p[0] == L'%' && (p[1] == L'1' || p[1] == L'2')) {
            out += p[1] == L'1' ? a_str1 : a_str2;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

bool ParseInt(const std::wstring& a_strText, int& a_nOut)
{
    const wchar_t* begin = a_strText.c_str();
    while (*begin == L' ' || *begin == L'\t')
        ++begin;
    if (!*begin)
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    long n = std::wcstol(begin, &end, 10);
    if (end == begin || errno == ERANGE || n < INT_MIN || n > INT_MAX)
        return false;
    while (*end == L' ' || *end == L'\t')
        ++end;
    if (*end)
        return false;
    a_nOut = static_cast<int>(n);
    return true;
}

} // namespace

Dialog::Dialog(UINT a_nIdTemplate, HWND a_hParent) : m_nIdTemplate(a_nIdTemplate), m_hParent(a_hParent)
{
}

Dialog::~Dialog()
{
    if (!m_hWnd)
        return;
    // Only the owning thread may destroy a window; elsewhere the window at
    // least stops leading to this object.
    if (::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId())
        ::DestroyWindow(m_hWnd);
    else
        ::RemovePropW(m_hWnd, kPropObject);
    m_hWnd = nullptr;
}

bool Dialog::Create()
{
    return Create(m_nIdTemplate, m_hParent);
}

bool Dialog::Create(UINT a_nIdTemplate, HWND a_hParent)
{
    if (m_hWnd)
        return false;
    m_nIdTemplate = a_nIdTemplate;
    m_hParent = a_hParent;
    HWND hWnd = ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(a_nIdTemplate), a_hParent,
                                     &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr && m_hWnd == hWnd;
}

bool Dialog::DestroyWindow()
{
    return m_hWnd && ::DestroyWindow(m_hWnd);
}

Dialog* Dialog::FromHandle(HWND a_hWnd)
{
    return a_hWnd ? static_cast<Dialog*>(::GetPropW(a_hWnd, kPropObject)) : nullptr;
}

bool Dialog::UpdateData(bool a_bSave)
{
    if (!m_hWnd)
        return false;
    DataExchange dx(*this, a_bSave);
    DoDataExchange(dx);
    dx.Commit();
    return !dx.Failed();
}

BOOL Dialog::PreTranslateMessage(MSG& a_msg)
{
    return m_hWnd && ::IsDialogMessageW(m_hWnd, &a_msg);
}

BOOL Dialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void Dialog::OnOK()
{
    if (UpdateData(true))
        DestroyWindow();
}

void Dialog::OnCancel()
{
    DestroyWindow();
}

bool Dialog::OnCommand(UINT a_nId, UINT a_nCode, HWND)
{
    // 0: a button or menu item, 1: an accelerator; everything else is a
    // control's notification.
    if (a_nCode > 1)
        return false;
    switch (a_nId) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    case kIdHelp:
        OnHelp();
        return true;
    default:
        return false;
    }
}

void Dialog::OnHelp()
{
    WinHelp(m_dwHelpContext, m_dwHelpContext ? HELP_CONTEXT : HELP_FINDER);
}

bool Dialog::WinHelp(DWORD_PTR a_dwData, UINT a_nCmd)
{
    Application* app = Application::Instance();
    return app && app->WinHelp(a_dwData, a_nCmd);
}

bool Dialog::Dispatch(UINT a_msg, WPARAM a_wParam, LPARAM a_lParam, LRESULT& a_result)
{
    if (OnMessage(a_msg, a_wParam, a_lParam, a_result))
        return true;
    switch (a_msg) {
    case WM_COMMAND:
        return OnCommand(LOWORD(a_wParam), HIWORD(a_wParam), reinterpret_cast<HWND>(a_lParam));
    case WM_NOTIFY:
        return a_lParam && OnNotify(*reinterpret_cast<const NMHDR*>(a_lParam), a_result);
    case WM_TIMER:
        return OnTimer(a_wParam);
    case WM_CLOSE:
        return OnClose();
    case WM_DESTROY:
        OnDestroy();
        return false;
    default:
        break;
    }
    if (a_msg >= 0xC000 && a_msg <= 0xFFFF)
        return OnRegisteredMessage(a_msg, a_wParam, a_lParam);
    return false;
}

void Dialog::OnNcDestroy()
{
    HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    if (hWnd)
        ::RemovePropW(hWnd, kPropObject);
    // The window a thread runs for is gone: so is the thread's reason to run.
    UiThread* pThread = UiThread::Current();
    if (pThread && pThread->GetMainWnd() == this) {
        pThread->SetMainWnd(nullptr);
        ::PostQuitMessage(0);
    }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND a_hWnd, UINT a_msg, WPARAM a_wParam, LPARAM a_lParam)
{
    if (a_msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(a_lParam);
        if (!self || !::SetPropW(a_hWnd, kPropObject, self))
            return FALSE;
        self->m_hWnd = a_hWnd;
        try {
            return self->OnInitDialog();
        } catch (...) {
            return TRUE;
        }
    }
    Dialog* self = FromHandle(a_hWnd);
    if (!self)
        return FALSE;
    LRESULT result = 0;
    bool handled = false;
    try {
        handled = self->Dispatch(a_msg, a_wParam, a_lParam, result);
    } catch (...) {
        handled = false;
    }
    if (a_msg == WM_NCDESTROY) {
        self->OnNcDestroy();
        return FALSE;
    }
    if (!handled)
        return FALSE;
    switch (a_msg) {
    // These report their result as the procedure's own value.
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
    default:
        ::SetWindowLongPtrW(a_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

// DataExchange

HWND DataExchange::PrepareControl(int a_nId)
{
    m_hLastControl = ::GetDlgItem(m_dlg.GetSafeHwnd(), a_nId);
    return m_hLastControl;
}

void DataExchange::Control(int a_nId, Window& a_ctl)
{
    if (m_bFailed)
        return;
    a_ctl.Attach(PrepareControl(a_nId));
}

void DataExchange::Text(int a_nId, std::wstring& a_strValue, int a_nMaxChars)
{
    if (m_bFailed)
        return;
    Window ctl(PrepareControl(a_nId));
    if (!ctl.GetSafeHwnd())
        return;
    if (!m_bSave) {
        ctl.SetWindowText(a_strValue);
        if (a_nMaxChars > 0 && IsEditControl(ctl.GetSafeHwnd()))
            ctl.SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(a_nMaxChars));
        return;
    }
    std::wstring text = ctl.GetWindowText();
    if (a_nMaxChars >= 0 && text.size() > static_cast<std::size_t>(a_nMaxChars)) {
        Fail(FormatMessageArgs(kMsgMaxChars, std::to_wstring(a_nMaxChars)));
        return;
    }
    m_commits.emplace_back([&a_strValue, text = std::move(text)] { a_strValue = text; });
}

bool DataExchange::ReadInt(HWND a_hCtl, int& a_nOut)
{
    if (ParseInt(Window(a_hCtl).GetWindowText(), a_nOut))
        return true;
    Fail(kMsgInteger);
    return false;
}

void DataExchange::Int(int a_nId, int& a_nValue)
{
    Int(a_nId, a_nValue, INT_MIN, INT_MAX);
}

void DataExchange::Int(int a_nId, int& a_nValue, int a_nMin, int a_nMax)
{
    if (m_bFailed)
        return;
    Window ctl(PrepareControl(a_nId));
    if (!ctl.GetSafeHwnd())
        return;
    if (!m_bSave) {
        ctl.SetWindowText(std::to_wstring(a_nValue));
        return;
    }
    int n = 0;
    if (!ReadInt(ctl.GetSafeHwnd(), n))
        return;
    if (n < a_nMin || n > a_nMax) {
        Fail(FormatMessageArgs(kMsgIntRange, std::to_wstring(a_nMin), std::to_wstring(a_nMax)));
        return;
    }
    m_commits.emplace_back([&a_nValue, n] { a_nValue = n; });
}

void DataExchange::Check(int a_nId, BOOL& a_bValue)
{
    if (m_bFailed)
        return;
    Window ctl(PrepareControl(a_nId));
    if (!ctl.GetSafeHwnd())
        return;
    if (!m_bSave) {
        ctl.SendMessage(BM_SETCHECK, a_bValue ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    BOOL b = ctl.SendMessage(BM_GETCHECK) == BST_CHECKED;
    m_commits.emplace_back([&a_bValue, b] { a_bValue = b; });
}

void DataExchange::Commit()
{
    if (!m_bFailed)
        for (auto& commit : m_commits)
            commit();
    m_commits.clear();
}

void DataExchange::Fail(const std::wstring& a_strMessage)
{
    m_bFailed = true;
    Application* app = Application::Instance();
    std::wstring caption = app ? app->GetAppName() : std::wstring();
    HWND hDlg = m_dlg.GetSafeHwnd();
    ::MessageBoxW(hDlg, a_strMessage.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
    // After the box: closing it hands the focus back to where it was.
    if (m_hLastControl && hDlg) {
        ::SendMessageW(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_hLastControl), TRUE);
        if (IsEditControl(m_hLastControl))
            ::SendMessageW(m_hLastControl, EM_SETSEL, 0, -1);
    }
}

} // namespace winui
