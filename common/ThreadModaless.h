// The threads both programs are made of.
//
// CThreadModaless: a user-interface thread with a start handshake (the init
// event, set when the thread's start-up work is done) and a stop handshake
// (the exit event, set by ExitInstance), a stop with a deadline after which
// the thread is ended by force, and a liveness test. Worker threads derive
// from it; so do the two below.
//
// CThreadDlg: runs one modeless dialog, made from a class and a template, and
// ends when the dialog is destroyed.
//
// CThreadMessage: shows one message box without blocking its creator.
//
// Owners create these objects with new, start them with CreateThread and
// delete them only once WaitExit has returned or IsStillActive is false;
// the threads never delete their objects.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "DlgModaless.h"
#include "Handle.h"
#include "UiThread.h"

class CThreadModaless : public winui::UiThread {
public:
    CThreadModaless();

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Waits up to a_dwTimeOut ms (INFINITE: no limit) for the end of the
    // start-up work. A time-out changes nothing.
    virtual BOOL WaitInit(DWORD a_dwTimeOut);
    // Waits up to a_dwTimeOut ms for ExitInstance, then until the thread is
    // really gone: TRUE. On time-out the thread is ended by force with exit
    // code 1: FALSE. A thread never started counts as gone.
    virtual BOOL WaitExit(DWORD a_dwTimeOut);
    // TRUE while the thread runs.
    virtual BOOL IsStillActive();

protected:
    winui::UniqueHandle m_hEventInit;
    winui::UniqueHandle m_hEventExit;
};

// A thread handle as the trace lines show it.
unsigned TraceHandleNumber(HANDLE a_hThread);

// How CThreadDlg makes its dialog: default construction of a dialog class.
using DialogFactory = std::unique_ptr<winui::Dialog> (*)();
template <class TDialog>
std::unique_ptr<winui::Dialog> MakeDialog()
{
    return std::make_unique<TDialog>();
}

class CThreadDlg : public CThreadModaless {
public:
    // Without a template (0) or a factory the thread has no dialog: it only
    // runs its message loop until it is told to quit.
    CThreadDlg(UINT a_nIDTemplate, DialogFactory a_pfnDialog);

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The dialog, for the creator once WaitInit has returned (it posts to
    // its window, or calls it); null without one.
    winui::Dialog* GetDialog() const { return m_pDlg.get(); }

private:
    std::unique_ptr<winui::Dialog> m_pDlg;
    DWORD m_nIDTemplate = 0;
};

class CThreadMessage : public CThreadModaless {
public:
    CThreadMessage() = default;
    CThreadMessage(std::wstring a_strText, std::wstring a_strCaption);
    // Both texts from the program's string table.
    CThreadMessage(UINT a_nIdText, UINT a_nIdCaption);

    // A window to bring to the front (restored) before the box is shown.
    void SetOwnerWnd(HWND a_hOwner) { m_hOwner = a_hOwner; }

    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    std::wstring m_strText;
    std::wstring m_strCaption;
    HWND m_hOwner = nullptr;
    CDlgMessage m_dlg;
};
