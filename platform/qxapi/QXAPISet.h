// The maker's installer library QXAPISet.dll as the uninstall extension
// calls it: loaded from the folder its own registry entry names, one entry
// point looked up by name.
//
//   QXAPISetup(command text, pointer to a 32-bit value, pointer to the result code)
//
// The result code is what counts: bit 0 lets the uninstall go on, 0x400
// means modules of the product are still running, 0x800 other setup modules,
// and any other bit of 0xFFF00 an error. The 32-bit value is the library's
// own; callers do not read it.
#pragma once

#include <windows.h>

inline constexpr wchar_t kQxapiLibrary[] = L"QXAPISet.dll";
inline constexpr char kQxapiSetupName[] = "QXAPISetup";

inline constexpr DWORD kQxapiGoOn = 0x1;
inline constexpr DWORD kQxapiProductRunning = 0x400;
inline constexpr DWORD kQxapiSetupRunning = 0x800;
inline constexpr DWORD kQxapiErrorBits = 0xFFF00;

using QXAPISETUPPROC = DWORD(WINAPI*)(LPCWSTR a_pszCommand, DWORD* a_pdwInfo, DWORD* a_pdwResult);
