#include "ThreadModaless.h"

#include <cstdint>

#include "Application.h"
#include "Trace.h"

namespace {

// The main trace's prefix names the calling thread by its thread object's
// handle (the application's on the main thread). Installed with the thread
// classes, before main runs, so that every line of the program carries it.
std::uint32_t CurrentThreadObjectHandle()
{
    winui::UiThread* pThread = winui::UiThread::Current();
    return pThread ? TraceHandleNumber(pThread->GetThreadHandle()) : 0;
}

[[maybe_unused]] const bool g_bTraceHandleSource =
    (SetTraceThreadHandleSource(&CurrentThreadObjectHandle), true);

// The system's exclamation-mark icon.
constexpr UINT kIdIconExclamation = 32515;

bool Signalled(HANDLE a_h, DWORD a_dwTimeOut)
{
    return a_h && ::WaitForSingleObject(a_h, a_dwTimeOut) == WAIT_OBJECT_0;
}

} // namespace

unsigned TraceHandleNumber(HANDLE a_hThread)
{
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(a_hThread));
}

// CThreadModaless

CThreadModaless::CThreadModaless()
    : m_hEventInit(winui::CreateManualEvent()), m_hEventExit(winui::CreateManualEvent())
{
}

BOOL CThreadModaless::InitInstance()
{
    Trace("CThreadModaless::InitInstance(), SetEvent\n");
    ::SetEvent(m_hEventInit.get());
    return TRUE;
}

int CThreadModaless::ExitInstance()
{
    UiThread::ExitInstance();
    ::SetEvent(m_hEventExit.get());
    Trace("CThreadModaless::ExitInstance(), SetEvent\n");
    return 0;
}

BOOL CThreadModaless::WaitInit(DWORD a_dwTimeOut)
{
    unsigned hThread = TraceHandleNumber(GetThreadHandle());
    Trace("CThreadModaless::WaitInit(), hThread: %u, start....\n", hThread);
    BOOL bInit = Signalled(m_hEventInit.get(), a_dwTimeOut);
    Trace("CThreadModaless::WaitInit(), hThread: %u, end\n", hThread);
    return bInit;
}

BOOL CThreadModaless::WaitExit(DWORD a_dwTimeOut)
{
    HANDLE h = GetThreadHandle();
    unsigned hThread = TraceHandleNumber(h);
    Trace("CThreadModaless::WaitExit(dwTimeOut=%u), hThread: %u, start....\n",
          static_cast<unsigned>(a_dwTimeOut), hThread);
    BOOL bResult = TRUE;
    if (h) {
        // Without its exit event (the system refused one) the thread's own
        // end is the only sign left to wait for.
        HANDLE hExit = m_hEventExit ? m_hEventExit.get() : h;
        if (Signalled(hExit, a_dwTimeOut)) {
            // ExitInstance has run; the thread may still be on its last
            // instructions. Its handle is signalled once it is gone.
            ::WaitForSingleObject(h, INFINITE);
        } else {
            ::TerminateThread(h, 1);
            // Termination completes asynchronously: the owner may delete the
            // object once this returns.
            ::WaitForSingleObject(h, INFINITE);
            Trace("CThreadModaless::WaitExit(), hThread: %u, terminated\n", hThread);
            bResult = FALSE;
        }
    }
    Trace("CThreadModaless::WaitExit(), hThread: %u, end\n", hThread);
    return bResult;
}

BOOL CThreadModaless::IsStillActive()
{
    // The handle, not the exit code: an exit code that happens to equal
    // STILL_ACTIVE (259) would make an ended thread look alive for ever.
    HANDLE h = GetThreadHandle();
    return h && ::WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
}

// CThreadDlg

CThreadDlg::CThreadDlg(UINT a_nIDTemplate, DialogFactory a_pfnDialog)
{
    if (a_nIDTemplate > 0 && a_pfnDialog) {
        m_nIDTemplate = static_cast<WORD>(a_nIDTemplate);
        m_pDlg = a_pfnDialog();
    }
}

BOOL CThreadDlg::InitInstance()
{
    if (m_pDlg && m_nIDTemplate) {
        SetMainWnd(m_pDlg.get());
        if (!m_pDlg->Create(m_nIDTemplate, nullptr)) {
            // Nothing would ever end the message loop: release the creator
            // and end the thread instead.
            Trace("CThreadDlg::InitInstance(), create failed, error: %lu\n", ::GetLastError());
            SetMainWnd(nullptr);
            CThreadModaless::InitInstance();
            return FALSE;
        }
        m_pDlg->ShowWindow(SW_SHOW);
        // Refused when another program holds the foreground; the dialog is
        // shown all the same.
        ::SetForegroundWindow(m_pDlg->GetSafeHwnd());
    }
    return CThreadModaless::InitInstance();
}

int CThreadDlg::ExitInstance()
{
    return CThreadModaless::ExitInstance();
}

// CThreadMessage

CThreadMessage::CThreadMessage(std::wstring a_strText, std::wstring a_strCaption)
    : m_strText(std::move(a_strText)), m_strCaption(std::move(a_strCaption))
{
}

CThreadMessage::CThreadMessage(UINT a_nIdText, UINT a_nIdCaption)
    : m_strText(winui::LoadResString(a_nIdText)), m_strCaption(winui::LoadResString(a_nIdCaption))
{
}

BOOL CThreadMessage::InitInstance()
{
    // The owner first, so that the box appears in front of it. Only
    // asynchronous calls: the owner's thread may be busy, or waiting for
    // this very thread.
    if (m_hOwner && ::IsWindow(m_hOwner)) {
        ::ShowWindowAsync(m_hOwner, SW_RESTORE);
        ::SetForegroundWindow(m_hOwner);
        ::SetActiveWindow(m_hOwner);
    }
    SetMainWnd(&m_dlg);
    m_dlg.m_nIconId = kIdIconExclamation;
    if (!m_dlg.Create(IDD_MESSAGE, nullptr)) {
        Trace("CThreadMessage::InitInstance(), create failed, error: %lu\n", ::GetLastError());
        SetMainWnd(nullptr);
        CThreadModaless::InitInstance();
        return FALSE;
    }
    m_dlg.SetWindowText(m_strCaption);
    m_dlg.m_strText = m_strText;
    m_dlg.UpdateData(false);
    HWND hDlg = m_dlg.GetSafeHwnd();
    m_dlg.ShowWindow(SW_SHOW);
    ::SetForegroundWindow(hDlg);
    ::SetActiveWindow(hDlg);
    return CThreadModaless::InitInstance();
}

int CThreadMessage::ExitInstance()
{
    return CThreadModaless::ExitInstance();
}
