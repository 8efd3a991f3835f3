// The class layer on real windows: thread start and end, the main window's
// destruction ending its thread, control binding with validation, and the
// dispatch of commands, help and registered messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "Application.h"
#include "Dialog.h"
#include "RecordingApp.h"
#include "UiDriver.h"
#include "UiThread.h"
#include "winui_test.h"

using namespace uidriver;

namespace {

constexpr DWORD kWait = 10000;

DWORD ExitCodeOf(HANDLE a_hThread)
{
    DWORD code = 0;
    ::GetExitCodeThread(a_hThread, &code);
    return code;
}

bool WaitThread(winui::UiThread& a_thread)
{
    return ::WaitForSingleObject(a_thread.GetThreadHandle(), kWait) == WAIT_OBJECT_0;
}

class CTestDlg : public winui::Dialog {
public:
    CTestDlg() : Dialog(IDD_WINUI_TEST) { SetHelpContext(42); }

    int m_nNumber = 5;
    std::wstring m_strName = L"init";
    BOOL m_bFlag = TRUE;
    std::atomic<UINT> m_nRegistered{0};
    std::atomic<WPARAM> m_wRegistered{0};

protected:
    void DoDataExchange(winui::DataExchange& a_dx) override
    {
        a_dx.Int(IDC_WINUI_NUMBER, m_nNumber, 1, 60);
        a_dx.Text(IDC_WINUI_NAME, m_strName, 5);
        a_dx.Check(IDC_WINUI_FLAG, m_bFlag);
    }
    bool OnRegisteredMessage(UINT a_msg, WPARAM a_wParam, LPARAM) override
    {
        m_wRegistered = a_wParam;
        m_nRegistered = a_msg;
        return true;
    }
};

// Runs one CTestDlg as its main window.
class CDialogThread : public winui::UiThread {
public:
    CTestDlg m_dlg;
    std::atomic<HWND> m_hDlg{nullptr};
    std::atomic<bool> m_bExited{false};

    BOOL InitInstance() override
    {
        SetMainWnd(&m_dlg);
        if (!m_dlg.Create())
            return FALSE;
        m_dlg.ShowWindow(SW_SHOW);
        m_hDlg = m_dlg.GetSafeHwnd();
        return TRUE;
    }
    int ExitInstance() override
    {
        m_bExited = true;
        return 3;
    }
};

// A thread without window, recording what ran where.
class CPlainThread : public winui::UiThread {
public:
    explicit CPlainThread(BOOL a_bInit) : m_bInit(a_bInit) {}
    std::atomic<bool> m_bCurrentWasSelf{false};
    std::atomic<int> m_nExitCalls{0};

    BOOL InitInstance() override
    {
        m_bCurrentWasSelf = Current() == this;
        return m_bInit;
    }
    int ExitInstance() override
    {
        ++m_nExitCalls;
        return m_bInit ? UiThread::ExitInstance() : 7;
    }

private:
    BOOL m_bInit;
};

TEST(UiThread, InitFailureEndsAtOnceWithExitInstanceCode)
{
    CPlainThread thread(FALSE);
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_TRUE(WaitThread(thread));
    EXPECT_TRUE(thread.m_bCurrentWasSelf);
    EXPECT_EQ(thread.m_nExitCalls, 1);
    EXPECT_EQ(ExitCodeOf(thread.GetThreadHandle()), 7u);
    EXPECT_FALSE(thread.CreateThread()) << "one thread per object";
}

TEST(UiThread, QueueExistsAsSoonAsCreated)
{
    // A quit posted right after the start must not be lost.
    CPlainThread thread(TRUE);
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_TRUE(thread.PostThreadMessage(WM_QUIT, 5));
    ASSERT_TRUE(WaitThread(thread));
    EXPECT_EQ(thread.m_nExitCalls, 1);
    EXPECT_EQ(ExitCodeOf(thread.GetThreadHandle()), 5u);
}

TEST(UiThread, DestroyingTheMainWindowEndsTheThread)
{
    CDialogThread thread;
    ASSERT_TRUE(thread.CreateThread());
    HWND hDlg = WaitForDialogOfThread(thread.GetThreadId());
    ASSERT_NE(hDlg, nullptr);
    ClickButton(hDlg, IDCANCEL);
    ASSERT_TRUE(WaitThread(thread));
    EXPECT_TRUE(thread.m_bExited);
    EXPECT_EQ(ExitCodeOf(thread.GetThreadHandle()), 3u);
    EXPECT_FALSE(::IsWindow(hDlg));
    EXPECT_EQ(thread.m_dlg.GetSafeHwnd(), nullptr);
}

TEST(Dialog, MembersReachTheControlsAtInit)
{
    CDialogThread thread;
    ASSERT_TRUE(thread.CreateThread());
    HWND hDlg = WaitForDialogOfThread(thread.GetThreadId());
    ASSERT_NE(hDlg, nullptr);
    EXPECT_EQ(WindowText(::GetDlgItem(hDlg, IDC_WINUI_NUMBER)), L"5");
    EXPECT_EQ(WindowText(::GetDlgItem(hDlg, IDC_WINUI_NAME)), L"init");
    EXPECT_EQ(::SendMessageW(::GetDlgItem(hDlg, IDC_WINUI_FLAG), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(::GetDlgItem(hDlg, IDC_WINUI_NAME), EM_GETLIMITTEXT, 0, 0), 5);
    ClickButton(hDlg, IDCANCEL);
    ASSERT_TRUE(WaitThread(thread));
}

struct ValidationCase {
    const wchar_t* m_pszNumber;
    const wchar_t* m_pszName;
    const wchar_t* m_pszMessage;  // null: valid, the dialog closes
    int m_nFocusId;
};

void PrintTo(const ValidationCase& a_case, std::ostream* a_os)
{
    auto narrow = [](const wchar_t* a_psz) {
        std::string s;
        for (; a_psz && *a_psz; ++a_psz)
            s += static_cast<char>(*a_psz);
        return s;
    };
    *a_os << "number \"" << narrow(a_case.m_pszNumber) << "\", name \"" << narrow(a_case.m_pszName)
          << "\"";
}

class DialogValidation : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(DialogValidation, OkValidatesTellsAndFocusesTheFailingField)
{
    const ValidationCase& c = GetParam();
    CDialogThread thread;
    ASSERT_TRUE(thread.CreateThread());
    HWND hDlg = WaitForDialogOfThread(thread.GetThreadId());
    ASSERT_NE(hDlg, nullptr);
    // Pasted text, which the edit's length limit does not stop.
    ::SendMessageW(::GetDlgItem(hDlg, IDC_WINUI_NUMBER), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(c.m_pszNumber));
    ::SendMessageW(::GetDlgItem(hDlg, IDC_WINUI_NAME), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(c.m_pszName));
    ClickButton(hDlg, IDC_WINUI_FLAG);  // unticks
    ClickButton(hDlg, IDOK);

    if (!c.m_pszMessage) {
        ASSERT_TRUE(WaitThread(thread));
        EXPECT_EQ(thread.m_dlg.m_nNumber, _wtoi(c.m_pszNumber));
        EXPECT_EQ(thread.m_dlg.m_strName, c.m_pszName);
        EXPECT_FALSE(thread.m_dlg.m_bFlag);
        return;
    }
    HWND hBox = WaitForMessageBox(hDlg);
    ASSERT_NE(hBox, nullptr) << "no validation message";
    EXPECT_EQ(MessageBoxText(hBox), c.m_pszMessage);
    ClickButton(hBox, IDOK);
    HWND hField = ::GetDlgItem(hDlg, c.m_nFocusId);
    EXPECT_TRUE(WaitFor([&] { return FocusOf(hDlg) == hField; }));
    EXPECT_TRUE(::IsWindow(hDlg)) << "a failed validation keeps the dialog open";
    EXPECT_EQ(thread.m_dlg.m_nNumber, 5) << "members stay as they were";
    EXPECT_EQ(thread.m_dlg.m_strName, L"init");
    EXPECT_TRUE(thread.m_dlg.m_bFlag);
    ClickButton(hDlg, IDCANCEL);
    ASSERT_TRUE(WaitThread(thread));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DialogValidation,
    ::testing::Values(
        ValidationCase{L"61", L"abc", L"Please enter an integer between 1 and 60.", IDC_WINUI_NUMBER},
        ValidationCase{L"0", L"abc", L"Please enter an integer between 1 and 60.", IDC_WINUI_NUMBER},
        ValidationCase{L"1x", L"abc", L"Please enter an integer.", IDC_WINUI_NUMBER},
        ValidationCase{L"", L"abc", L"Please enter an integer.", IDC_WINUI_NUMBER},
        ValidationCase{L"7", L"abcdef", L"Please enter no more than 5 characters.", IDC_WINUI_NAME},
        ValidationCase{L" 60 ", L"abcde", nullptr, 0},
        ValidationCase{L"1", L"", nullptr, 0}));

TEST(Dialog, HelpAndRegisteredMessagesReachTheirHandlers)
{
    CTestApp app;
    CDialogThread thread;
    ASSERT_TRUE(thread.CreateThread());
    HWND hDlg = WaitForDialogOfThread(thread.GetThreadId());
    ASSERT_NE(hDlg, nullptr);

    ClickButton(hDlg, winui::kIdHelp);
    ASSERT_TRUE(WaitFor([&] { return !app.Helps().empty(); }));
    EXPECT_EQ(app.Helps()[0], std::make_pair(DWORD_PTR{42}, UINT{HELP_CONTEXT}));

    UINT msg = ::RegisterWindowMessageW(L"Lumet:WinUiTest:FromWorker");
    ASSERT_TRUE(::PostMessageW(hDlg, msg, 77, 0));
    EXPECT_TRUE(WaitFor([&] { return thread.m_dlg.m_nRegistered == msg; }));
    EXPECT_EQ(thread.m_dlg.m_wRegistered, 77u);

    ClickButton(hDlg, IDCANCEL);
    ASSERT_TRUE(WaitThread(thread));
}

TEST(Application, StandsForTheMainThreadAndLoadsStrings)
{
    EXPECT_EQ(winui::UiThread::Current(), nullptr);
    {
        CTestApp app;
        EXPECT_EQ(winui::Application::Instance(), &app);
        EXPECT_EQ(winui::UiThread::Current(), &app);
        EXPECT_EQ(app.GetThreadId(), ::GetCurrentThreadId());
        EXPECT_EQ(::WaitForSingleObject(app.GetThreadHandle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
        EXPECT_EQ(app.GetAppName(), L"winui_test");
        EXPECT_EQ(app.LoadString(IDS_WINUI_TEXT), L"Text from the table");
        EXPECT_EQ(app.LoadString(IDS_WINUI_TEXT + 1), L"");
    }
    EXPECT_EQ(winui::Application::Instance(), nullptr);
    EXPECT_EQ(winui::UiThread::Current(), nullptr);
}

} // namespace
