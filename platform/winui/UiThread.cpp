#include "UiThread.h"

#include <process.h>

#include "Dialog.h"

namespace winui {

namespace {

thread_local UiThread* t_pCurrent = nullptr;

struct StartInfo {
    UiThread* m_pThread;
    HANDLE m_hReady;
};

} // namespace

UiThread* UiThread::Current()
{
    return t_pCurrent;
}

void UiThread::AdoptCurrentThread(HANDLE a_hThread)
{
    m_hThread.reset(a_hThread);
    m_dwThreadId = ::GetCurrentThreadId();
    t_pCurrent = this;
}

void UiThread::ForgetCurrentThread()
{
    if (t_pCurrent == this)
        t_pCurrent = nullptr;
}

bool UiThread::CreateThread()
{
    if (m_hThread)
        return false;
    UniqueHandle ready = CreateManualEvent();
    if (!ready)
        return false;
    StartInfo start{this, ready.get()};
    // Created suspended only so that the handle and id are stored before the
    // thread can look at them; it is resumed at once.
    unsigned id = 0;
    HANDLE h = reinterpret_cast<HANDLE>(
        ::_beginthreadex(nullptr, 0, &UiThread::ThreadEntry, &start, CREATE_SUSPENDED, &id));
    if (!h)
        return false;
    m_hThread.reset(h);
    m_dwThreadId = id;
    if (::ResumeThread(h) == static_cast<DWORD>(-1)) {
        // A thread that cannot run must not be left behind suspended.
        ::TerminateThread(h, 1);
        ::WaitForSingleObject(h, INFINITE);
        m_hThread.reset();
        m_dwThreadId = 0;
        return false;
    }
    // The start block lives on this stack: wait until the thread has taken
    // what it needs (or has died trying).
    HANDLE waits[2] = {ready.get(), h};
    ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    return true;
}

unsigned __stdcall UiThread::ThreadEntry(void* a_pParam)
{
    auto* start = static_cast<StartInfo*>(a_pParam);
    UiThread* self = start->m_pThread;
    t_pCurrent = self;
    // The first call to a message function gives the thread its queue.
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    ::SetEvent(start->m_hReady);
    int code = self->RunThread();
    t_pCurrent = nullptr;
    return static_cast<unsigned>(code);
}

int UiThread::RunThread()
{
    // Exceptions stop here: they must not unwind into the system's thread
    // start. ExitInstance still runs, so whoever waits for it is released.
    try {
        if (InitInstance())
            Run();
    } catch (...) {
        m_nQuitCode = -1;
    }
    try {
        return ExitInstance();
    } catch (...) {
        return -1;
    }
}

int UiThread::Run()
{
    MSG msg;
    for (;;) {
        BOOL r = ::GetMessageW(&msg, nullptr, 0, 0);
        if (r == 0) {
            m_nQuitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (r == -1) {
            m_nQuitCode = -1;
            break;
        }
        if (!PreTranslateMessage(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return m_nQuitCode;
}

BOOL UiThread::PreTranslateMessage(MSG& a_msg)
{
    for (HWND h = a_msg.hwnd; h;) {
        if (Dialog* dlg = Dialog::FromHandle(h)) {
            if (dlg->PreTranslateMessage(a_msg))
                return TRUE;
        }
        if (!(::GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD))
            break;
        h = ::GetParent(h);
    }
    return FALSE;
}

bool UiThread::PostThreadMessage(UINT a_msg, WPARAM a_wParam, LPARAM a_lParam) const
{
    return m_dwThreadId && ::PostThreadMessageW(m_dwThreadId, a_msg, a_wParam, a_lParam);
}

} // namespace winui
