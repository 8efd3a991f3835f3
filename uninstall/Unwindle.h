// The two entry points of Unwindle.dll, the uninstall extension, as the
// product's uninstaller calls them: UninstInitialize before it removes
// anything (0 lets the uninstall go on, -1 stops it), UninstUnInitialize
// when it is done. The uninstaller passes its dialog window, its instance and
// a reserved value; neither entry uses them.
#pragma once

#include <windows.h>

inline constexpr wchar_t kUnwindleLibrary[] = L"Unwindle.dll";
inline constexpr char kUninstInitializeName[] = "UninstInitialize";
inline constexpr char kUninstUnInitializeName[] = "UninstUnInitialize";

inline constexpr LONG kUninstGoOn = 0;
inline constexpr LONG kUninstStop = -1;

using UNINSTINITIALIZEPROC = LONG(WINAPI*)(HWND a_hwndDlg, HINSTANCE a_hInstance, LONG a_lReserved);
using UNINSTUNINITIALIZEPROC = LONG(WINAPI*)(HWND a_hwndDlg, HINSTANCE a_hInstance, LONG a_lReserved);

extern "C" {
LONG WINAPI UninstInitialize(HWND a_hwndDlg, HINSTANCE a_hInstance, LONG a_lReserved);
LONG WINAPI UninstUnInitialize(HWND a_hwndDlg, HINSTANCE a_hInstance, LONG a_lReserved);
}
