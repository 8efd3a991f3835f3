// The thread classes: start and stop handshakes with their deadlines, a
// dialog thread with and without dialog, and the thread objects' handles in
// the main trace.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "DlgModaless.h"
#include "ModalessTestSupport.h"
#include "ThreadModaless.h"
#include "UiDriver.h"

using namespace modaless_test;

namespace {

DWORD ExitCodeOf(winui::UiThread& a_thread)
{
    DWORD code = 0;
    ::GetExitCodeThread(a_thread.GetThreadHandle(), &code);
    return code;
}

// Its start-up work waits for the test's go.
class CGatedThread : public CThreadModaless {
public:
    winui::UniqueHandle m_hGo = winui::CreateManualEvent();

    BOOL InitInstance() override
    {
        ::WaitForSingleObject(m_hGo.get(), kWait);
        return CThreadModaless::InitInstance();
    }
};

// A worker that leaves at once, but is slow on its way out after its exit
// event is set.
class CSlowExitThread : public CThreadModaless {
public:
    std::atomic<bool> m_bLastInstructionDone{false};

    BOOL InitInstance() override
    {
        CThreadModaless::InitInstance();
        return FALSE;
    }
    int ExitInstance() override
    {
        int code = CThreadModaless::ExitInstance();
        ::Sleep(300);
        m_bLastInstructionDone = true;
        return code;
    }
};

bool ThreadHasWindows(DWORD a_dwThreadId)
{
    bool bAny = false;
    ::EnumThreadWindows(
        a_dwThreadId,
        [](HWND, LPARAM a_l) -> BOOL {
            *reinterpret_cast<bool*>(a_l) = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&bAny));
    return bAny;
}

TEST(ThreadModaless, WaitInitTimeOutChangesNothing)
{
    CGatedThread thread;
    ASSERT_TRUE(thread.CreateThread());
    EXPECT_FALSE(thread.WaitInit(50));
    EXPECT_TRUE(thread.IsStillActive());

    ::SetEvent(thread.m_hGo.get());
    EXPECT_TRUE(thread.WaitInit(kWait)) << "the thread goes on and finishes its start";
    EXPECT_TRUE(thread.IsStillActive()) << "and runs its message loop";
    ASSERT_TRUE(thread.PostThreadMessage(WM_QUIT));
    EXPECT_TRUE(EndsByItself(thread));
    EXPECT_EQ(ExitCodeOf(thread), 0u);
}

TEST(ThreadModaless, WaitExitZeroTerminatesARunningThread)
{
    CMainTraceCapture trace;
    CThreadDlg thread(0, nullptr);
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_TRUE(thread.WaitInit(kWait));

    EXPECT_FALSE(thread.WaitExit(0));
    EXPECT_FALSE(thread.IsStillActive()) << "gone once WaitExit has returned";
    EXPECT_EQ(ExitCodeOf(thread), 1u);

    char line[96];
    std::snprintf(line, sizeof line, "CThreadModaless::WaitExit(), hThread: %u, terminated\r\n",
                  TraceHandleNumber(thread.GetThreadHandle()));
    EXPECT_NE(trace.Stop().find(line), std::string::npos);
}

TEST(ThreadModaless, WaitExitReturnsOnlyOnceTheThreadIsGone)
{
    CSlowExitThread thread;
    ASSERT_TRUE(thread.CreateThread());
    EXPECT_TRUE(thread.WaitExit(INFINITE));
    EXPECT_TRUE(thread.m_bLastInstructionDone);
    EXPECT_FALSE(thread.IsStillActive());
    EXPECT_EQ(::WaitForSingleObject(thread.GetThreadHandle(), 0), WAIT_OBJECT_0);
}

TEST(ThreadModaless, NeverStartedCountsAsGone)
{
    CThreadModaless thread;
    EXPECT_FALSE(thread.IsStillActive());
    EXPECT_TRUE(thread.WaitExit(INFINITE)) << "nothing to wait for: must not hang";
    EXPECT_FALSE(thread.WaitInit(0));
}

struct NoDialogCase {
    const char* m_pszName;
    UINT m_nIdTemplate;
    DialogFactory m_pfnDialog;
};

class ThreadDlgWithoutDialog : public ::testing::TestWithParam<NoDialogCase> {};

TEST_P(ThreadDlgWithoutDialog, OnlyRunsItsLoopUntilToldToQuit)
{
    CThreadDlg thread(GetParam().m_nIdTemplate, GetParam().m_pfnDialog);
    EXPECT_EQ(thread.GetDialog(), nullptr);
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_TRUE(thread.WaitInit(kWait));
    EXPECT_FALSE(uidriver::WaitFor([&] { return !thread.IsStillActive(); }, 200));
    EXPECT_FALSE(ThreadHasWindows(thread.GetThreadId()));

    ASSERT_TRUE(thread.PostThreadMessage(WM_QUIT));
    EXPECT_TRUE(EndsByItself(thread));
    EXPECT_EQ(ExitCodeOf(thread), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ThreadDlgWithoutDialog,
    ::testing::Values(NoDialogCase{"NoTemplate", 0, &MakeDialog<CDlgMessage>},
                      NoDialogCase{"NoClass", IDD_MESSAGE, nullptr}),
    [](const auto& a_info) { return std::string(a_info.param.m_pszName); });

TEST(ThreadDlg, RunsItsDialogUntilTheDialogIsClosed)
{
    CThreadDlg thread(IDD_MESSAGE, &MakeDialog<CDlgMessage>);
    ASSERT_NE(thread.GetDialog(), nullptr);
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_TRUE(thread.WaitInit(kWait));
    // After WaitInit the creator may use the dialog's window.
    HWND hDlg = thread.GetDialog()->GetSafeHwnd();
    ASSERT_NE(hDlg, nullptr);
    EXPECT_TRUE(::IsWindowVisible(hDlg));
    EXPECT_EQ(::GetWindowThreadProcessId(hDlg, nullptr), thread.GetThreadId());
    EXPECT_EQ(::GetWindow(hDlg, GW_OWNER), nullptr);
    EXPECT_TRUE(thread.IsStillActive());

    // What a creator does to close it: a close request to its window.
    ASSERT_TRUE(::PostMessageW(hDlg, WM_CLOSE, 0, 0));
    EXPECT_TRUE(EndsByItself(thread));
    EXPECT_EQ(ExitCodeOf(thread), 0u);
    EXPECT_FALSE(::IsWindow(hDlg));
}

// A line "m_hThread=<handle>, <date and time> : <message>" of the main trace.
bool HasTraceLine(const std::string& a_strText, unsigned a_hThread, const std::string& a_strMessage)
{
    char head[32];
    std::snprintf(head, sizeof head, "m_hThread=%12u, ", a_hThread);
    const std::string tail = " : " + a_strMessage + "\r\n";
    std::size_t at = 0;
    while (at < a_strText.size()) {
        std::size_t eol = a_strText.find('\n', at);
        std::string line = a_strText.substr(at, eol == std::string::npos ? eol : eol - at + 1);
        at = eol == std::string::npos ? a_strText.size() : eol + 1;
        if (line.rfind(head, 0) != 0 || line.size() < std::strlen(head) + tail.size() ||
            line.compare(line.size() - tail.size(), tail.size(), tail) != 0)
            continue;
        std::string stamp = line.substr(std::strlen(head), line.size() - std::strlen(head) - tail.size());
        if (stamp.find_first_not_of("0123456789/,:. ") == std::string::npos)
            return true;
    }
    return false;
}

TEST(ThreadModaless, TraceLinesNameTheThreadObjects)
{
    CTestApp app;
    CMainTraceCapture trace;
    CSlowExitThread thread;
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_TRUE(thread.WaitInit(kWait));
    ASSERT_TRUE(thread.WaitExit(INFINITE));
    const std::string text = trace.Stop();

    const unsigned hApp = TraceHandleNumber(app.GetThreadHandle());
    const unsigned hThread = TraceHandleNumber(thread.GetThreadHandle());
    ASSERT_NE(hApp, hThread);
    const std::string h = std::to_string(hThread);
    // On the thread itself its own handle; on the main thread the application's.
    EXPECT_TRUE(HasTraceLine(text, hThread, "CThreadModaless::InitInstance(), SetEvent")) << text;
    EXPECT_TRUE(HasTraceLine(text, hThread, "CThreadModaless::ExitInstance(), SetEvent")) << text;
    EXPECT_TRUE(HasTraceLine(text, hApp, "CThreadModaless::WaitInit(), hThread: " + h + ", start....")) << text;
    EXPECT_TRUE(HasTraceLine(text, hApp, "CThreadModaless::WaitInit(), hThread: " + h + ", end")) << text;
    EXPECT_TRUE(HasTraceLine(text, hApp,
                             "CThreadModaless::WaitExit(dwTimeOut=4294967295), hThread: " + h +
                                 ", start....")) << text;
    EXPECT_TRUE(HasTraceLine(text, hApp, "CThreadModaless::WaitExit(), hThread: " + h + ", end")) << text;
}

TEST(DlgModaless, NeverRunsModally)
{
    CDlgMessage dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
}

} // namespace
