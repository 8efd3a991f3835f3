// Drives real windows of other threads the way a user would: keys go to the
// window that has the keyboard focus, buttons are clicked, message boxes are
// found and answered. Every wait is bounded, so a window that never comes
// fails the test instead of hanging it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace uidriver {

// Polls a_pred until it holds or a_dwTimeOut ms have passed.
bool WaitFor(const std::function<bool()>& a_pred, DWORD a_dwTimeOut = 5000);

// The first visible dialog window of a thread (optionally owned by
// a_hOwner), once it exists; null after the time-out.
HWND WaitForDialogOfThread(DWORD a_dwThreadId, HWND a_hOwner = nullptr, DWORD a_dwTimeOut = 5000);
// The system message box owned by a_hOwner, once it is there.
HWND WaitForMessageBox(HWND a_hOwner, DWORD a_dwTimeOut = 5000);
// Text of a system message box.
std::wstring MessageBoxText(HWND a_hBox);

// The window that has the keyboard focus in a_hWnd's thread.
HWND FocusOf(HWND a_hWnd);
// Presses and releases a virtual key in a_hWnd's thread, on its focus window.
void PressKey(HWND a_hWnd, UINT a_vk);
// Clicks a button of a dialog (posted, so a modal loop it starts does not
// block the caller).
void ClickButton(HWND a_hDlg, int a_nId);

std::wstring WindowText(HWND a_hWnd);
// Window size in pixels.
SIZE WindowSize(HWND a_hWnd);

// Writes the screen area of a window as a 24-bit BMP file. False on failure.
bool SaveWindowBitmap(HWND a_hWnd, const std::wstring& a_strPath);

} // namespace uidriver
