// A user-interface thread: an operating-system thread with its own message
// queue, driven by overridable steps.
//
//   CreateThread()  starts the thread at once (no flags, default stack, no
//                   security attributes); it returns once the new thread has
//                   its message queue, so messages may be posted to it.
//   InitInstance()  runs first on the new thread; true runs the message loop
//                   until a quit message, false skips it.
//   ExitInstance()  runs last; its value is the thread's exit code.
//
// When the window that GetMainWnd() names is destroyed, a quit message is
// posted to the thread, so a thread that runs one window ends with it. The
// object never deletes itself: its owner deletes it once the thread has
// ended. The thread handle stays open as long as the object lives.
//
// Every thread started here (and the main thread, through Application) knows
// its own object: UiThread::Current().
#pragma once

#include <windows.h>

#include <atomic>

#include "Handle.h"

namespace winui {

class Window;

class UiThread {
public:
    UiThread() = default;
    virtual ~UiThread() = default;
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;

    // False when this object already has a thread or the system refuses one.
    bool CreateThread();

    HANDLE GetThreadHandle() const { return m_hThread.get(); }
    DWORD GetThreadId() const { return m_dwThreadId; }

    Window* GetMainWnd() const { return m_pMainWnd.load(); }
    void SetMainWnd(Window* a_pWnd) { m_pMainWnd.store(a_pWnd); }

    bool PostThreadMessage(UINT a_msg, WPARAM a_wParam = 0, LPARAM a_lParam = 0) const;

    // The object of the calling thread: the thread started by CreateThread,
    // the application on the main thread, null on any other thread.
    static UiThread* Current();

    virtual BOOL InitInstance() { return TRUE; }
    // The message loop, until a quit message; returns its code.
    virtual int Run();
    // Default: the quit message's code (0 when the loop never ran).
    virtual int ExitInstance() { return m_nQuitCode; }
    // Offers a message to the windows it is meant for before it is
    // dispatched: from the target window up through its parents, each of our
    // dialogs on the way may take it (accelerators, dialog keys). True when
    // one did, and the message is not to be dispatched.
    virtual BOOL PreTranslateMessage(MSG& a_msg);

protected:
    // Lets the calling thread stand for this object (the main thread's
    // application). a_hThread is owned from then on.
    void AdoptCurrentThread(HANDLE a_hThread);
    void ForgetCurrentThread();
    // InitInstance, Run when it succeeded, ExitInstance: the thread's life,
    // on the calling thread. Returns the exit code.
    int RunThread();
    int m_nQuitCode = 0;

private:
    static unsigned __stdcall ThreadEntry(void* a_pParam);

    UniqueHandle m_hThread;
    DWORD m_dwThreadId = 0;
    std::atomic<Window*> m_pMainWnd{nullptr};
};

} // namespace winui
