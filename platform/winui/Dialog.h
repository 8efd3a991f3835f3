// A modeless dialog made from a template of the program's resources.
//
// One dialog procedure serves every dialog: it finds the object through a
// window property set at WM_INITDIALOG and hands the message to virtual
// handlers that say whether they took it. C++ exceptions stop there; they
// never unwind through the system's window code.
//
// Controls are bound to members in DoDataExchange, which UpdateData runs in
// either direction; saving validates and, on a bad value, shows the standard
// message and puts the focus on the failing field.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Window.h"

namespace winui {

class DataExchange;

// The Help command every dialog understands (buttons "Help" and the F1
// accelerators send it).
constexpr UINT kIdHelp = 57670;

class Dialog : public Window {
public:
    explicit Dialog(UINT a_nIdTemplate, HWND a_hParent = nullptr);
    // Destroys the window if it is still there and belongs to this thread.
    ~Dialog() override;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the window, without showing it unless the template says so;
    // OnInitDialog has run when this returns. False when the window could
    // not be made (or this object already has one).
    bool Create();
    bool Create(UINT a_nIdTemplate, HWND a_hParent);
    bool DestroyWindow();

    UINT GetTemplateId() const { return m_nIdTemplate; }

    // The object behind one of our dialog windows, or null.
    static Dialog* FromHandle(HWND a_hWnd);

    // Controls → members (a_bSave) or members → controls. False when a value
    // failed validation; the user has been told and the field has the focus.
    bool UpdateData(bool a_bSave = true);

    virtual BOOL PreTranslateMessage(MSG& a_msg);

    // Help context of this dialog's help requests; 0 asks for the contents.
    void SetHelpContext(DWORD a_dwContext) { m_dwHelpContext = a_dwContext; }

protected:
    virtual void DoDataExchange(DataExchange&) {}
    // Default: members into controls; true lets the system set the focus.
    virtual BOOL OnInitDialog();
    // Default: take and validate the values, then close.
    virtual void OnOK();
    // Default: close.
    virtual void OnCancel();
    // Command of a button or menu (a_nCode 0) or accelerator (1), and
    // control notifications (other codes). Default: OK, Cancel, Help.
    virtual bool OnCommand(UINT a_nId, UINT a_nCode, HWND a_hCtl);
    virtual bool OnNotify(const NMHDR& /*a_hdr*/, LRESULT& /*a_result*/) { return false; }
    virtual bool OnTimer(UINT_PTR /*a_nIdEvent*/) { return false; }
    // Messages from RegisterWindowMessage (0xC000 and up).
    virtual bool OnRegisteredMessage(UINT /*a_msg*/, WPARAM, LPARAM) { return false; }
    // The close request (WM_CLOSE). Not handled by default: the system turns
    // it into Cancel.
    virtual bool OnClose() { return false; }
    virtual void OnDestroy() {}
    // Any other message, before the handlers above see it.
    virtual bool OnMessage(UINT /*a_msg*/, WPARAM, LPARAM, LRESULT& /*a_result*/) { return false; }
    // The Help command: asks the application's help file for this dialog's
    // context.
    virtual void OnHelp();
    // Hands one help request to the application (override to redirect).
    virtual bool WinHelp(DWORD_PTR a_dwData, UINT a_nCmd);

private:
    static INT_PTR CALLBACK DialogProc(HWND a_hWnd, UINT a_msg, WPARAM a_wParam, LPARAM a_lParam);
    bool Dispatch(UINT a_msg, WPARAM a_wParam, LPARAM a_lParam, LRESULT& a_result);
    void OnNcDestroy();

    UINT m_nIdTemplate;
    HWND m_hParent;
    DWORD m_dwHelpContext = 0;
};

// One run of DoDataExchange. Saving reads and validates every field first
// and changes the members only when all of them are valid, so a rejected
// entry never reaches code that reads the members meanwhile. After the first
// failure the rest of the run does nothing.
class DataExchange {
public:
    DataExchange(Dialog& a_dlg, bool a_bSave) : m_dlg(a_dlg), m_bSave(a_bSave) {}
    DataExchange(const DataExchange&) = delete;
    DataExchange& operator=(const DataExchange&) = delete;

    bool IsSaving() const { return m_bSave; }
    bool Failed() const { return m_bFailed; }

    // Points a_ctl at control a_nId.
    void Control(int a_nId, Window& a_ctl);
    // A text field. With a_nMaxChars >= 0, loading limits the edit field to
    // that length and saving rejects a longer text.
    void Text(int a_nId, std::wstring& a_strValue, int a_nMaxChars = -1);
    // An integer field; saving rejects text that is not an integer.
    void Int(int a_nId, int& a_nValue);
    // An integer field that must lie in a_nMin..a_nMax.
    void Int(int a_nId, int& a_nValue, int a_nMin, int a_nMax);
    void Check(int a_nId, BOOL& a_bValue);

    // Saving: hands the read values to the members, if nothing failed.
    void Commit();

    // Standard validation messages; %1 and %2 stand for the limits.
    static constexpr const wchar_t* kMsgInteger = L"Please enter an integer.";
    static constexpr const wchar_t* kMsgIntRange = L"Please enter an integer between %1 and %2.";
    static constexpr const wchar_t* kMsgMaxChars = L"Please enter no more than %1 characters.";

private:
    HWND PrepareControl(int a_nId);
    bool ReadInt(HWND a_hCtl, int& a_nOut);
    void Fail(const std::wstring& a_strMessage);

    Dialog& m_dlg;
    const bool m_bSave;
    bool m_bFailed = false;
    HWND m_hLastControl = nullptr;
    std::vector<std::function<void()>> m_commits;
};

} // namespace winui
