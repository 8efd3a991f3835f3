// The modeless dialogs of both programs.
//
// CDlgModaless remembers its screen position under a name (restored when the
// window is made, saved at every close), translates the program's small
// accelerator table, and turns OK and Cancel into a close request: closing
// is one path, WM_CLOSE, whatever started it. These dialogs are never run
// modally.
//
// CDlgMessage is the message box that CThreadMessage shows: an icon, a text
// and an OK button (template IDD_MESSAGE).
#pragma once

#include <windows.h>

#include <string>

#include "Dialog.h"
#include "DlgMessageIds.h"
#include "WndPos.h"

// The program's accelerator table for its modeless dialogs. Each program
// defines it once, next to the table in its resources.
extern const UINT g_nIdAccelModaless;

class CDlgModaless : public winui::Dialog {
public:
    CDlgModaless(UINT a_nIdTemplate, HWND a_hParent, LPCWSTR a_pszPosName);

    BOOL PreTranslateMessage(MSG& a_msg) override;
    // Never modal: IDCANCEL, and nothing is created.
    virtual INT_PTR DoModal() { return IDCANCEL; }

    // Moves the keyboard focus to the dialog's default push button, if it
    // has one. FALSE when there is none.
    BOOL FocusDefaultButton();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnClose() override;

    CWndPos m_wndPos;
    HACCEL m_hAccel = nullptr;
};

class CDlgMessage : public CDlgModaless {
public:
    explicit CDlgMessage(HWND a_hParent = nullptr);

    winui::Window m_ctlIcon;
    std::wstring m_strText;
    // A system icon (IDI_...), set before the window is made; 0 shows none.
    UINT m_nIconId = 0;

protected:
    void DoDataExchange(winui::DataExchange& a_dx) override;
    BOOL OnInitDialog() override;
};
