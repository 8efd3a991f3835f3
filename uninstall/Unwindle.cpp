// Unwindle.dll, the uninstall extension. The product's uninstaller calls
// UninstInitialize before it removes anything: we ask the user to confirm,
// delete the map information files the plug-in wrote, and hand the
// uninstall on to the maker's installer library, whose verdict decides
// whether the uninstall goes on. Every failure stops the uninstall (-1) with
// a message box; the user is the only one who learns why.
#include "Unwindle.h"

#include <cwchar>
#include <string>
#include <vector>

#include "MapInfoFiles.h"
#include "ProductKeys.h"
#include "QXAPISet.h"
#include "Registry.h"
#include "resource.h"

namespace {

HINSTANCE g_hModule = nullptr;

constexpr wchar_t kCaption[] = L"Lumet for OpenView";
constexpr wchar_t kQxapiCommand[] = L"/Act=Un /AN=\"Lumet for OpenView\"";
constexpr wchar_t kNoQxapiKey[] = L"Cannot find QXAPI Install Registay";
constexpr wchar_t kNoWinDir[] = L"Cannot find WinDir";
constexpr wchar_t kNoQxapiLibrary[] = L"LoadLibraly(QXAPISet.dll) Error";
// The Windows directory is taken into a buffer of this many characters.
constexpr UINT kWinDirBuffer = 256;

std::wstring LoadText(UINT a_nId)
{
    // A zero buffer size hands back a pointer into the resource itself,
    // so no text is cut short.
    const wchar_t* pText = nullptr;
    const int nLength = LoadStringW(g_hModule, a_nId, reinterpret_cast<LPWSTR>(&pText), 0);
    return nLength > 0 && pText ? std::wstring(pText, static_cast<std::size_t>(nLength)) : std::wstring();
}

// The boxes belong to whatever window of the uninstaller has the focus, and
// stay above everything: the uninstaller may have put its own window on top.
int ShowBox(const std::wstring& a_strText, UINT a_nStyle)
{
    return MessageBoxW(GetFocus(), a_strText.c_str(), kCaption, a_nStyle | MB_TOPMOST);
}

void ShowError(const std::wstring& a_strText)
{
    ShowBox(a_strText, MB_OK | MB_ICONERROR);
}

// Deletes the map information files when the product's install folder is
// known; without it there is nothing of ours to delete. Failures to delete
// are ignored: the uninstall goes on regardless.
void DeleteMapInfoFiles()
{
    std::wstring strInstall;
    {
        CRegistry reg;
        if (!reg.Open(HKEY_LOCAL_MACHINE, kRegProductKey, KEY_READ) ||
            !reg.QueryString(strInstall, kRegInstall))
            return;
    }
    if (!IsAbsoluteFolder(strInstall))
        return;
    const std::wstring strFolder = JoinPath(strInstall, kMapInfoFolder);

    // Collected first, deleted afterwards: the search is not disturbed by
    // the folder changing under it.
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE hFind = FindFirstFileW(JoinPath(strFolder, kMapFilePattern).c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        if (IsRemovableMapFile(found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                               (found.dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE) != 0))
            names.emplace_back(found.cFileName);
    } while (FindNextFileW(hFind, &found));
    FindClose(hFind);

    for (const std::wstring& strName : names)
        DeleteFileW(JoinPath(strFolder, strName).c_str());
}

// The message for a result code that does not let the uninstall go on;
// empty when the code names no reason.
std::wstring RefusalText(DWORD a_dwResult)
{
    if (a_dwResult & kQxapiProductRunning)
        return LoadText(IDS_UNINSTALL_PRODUCT_BUSY);
    if (a_dwResult & kQxapiSetupRunning)
        return LoadText(IDS_UNINSTALL_SETUP_BUSY);
    if (a_dwResult & kQxapiErrorBits) {
        std::wstring strText = LoadText(IDS_UNINSTALL_ERROR);
        wchar_t code[16];
        std::swprintf(code, 16, L"0x%lx", static_cast<unsigned long>(a_dwResult));
        // The code is put in place of the text's "%s"; the text itself is
        // never used as a format.
        const std::size_t nAt = strText.find(L"%s");
        if (nAt != std::wstring::npos)
            strText.replace(nAt, 2, code);
        return strText;
    }
    return std::wstring();
}

LONG Initialize()
{
    // Nothing is deleted without having asked; a question that cannot be
    // put counts as No.
    const std::wstring strQuestion = LoadText(IDS_UNINSTALL_CONFIRM);
    if (strQuestion.empty() ||
        ShowBox(strQuestion, MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2) != IDYES)
        return kUninstStop;

    DeleteMapInfoFiles();

    // An empty or missing folder is as good as no entry: the library would
    // otherwise be looked for in the root of the current drive.
    std::wstring strQxapiFolder;
    {
        CRegistry reg;
        if (!reg.Open(HKEY_LOCAL_MACHINE, kRegQxapiKey, KEY_READ) ||
            !reg.QueryString(strQxapiFolder, kRegQxapiInstallDir) || strQxapiFolder.empty()) {
            ShowError(kNoQxapiKey);
            return kUninstStop;
        }
    }

    // The installer library runs with the Windows directory as the current
    // directory.
    wchar_t winDir[kWinDirBuffer] = {};
    const UINT nWinDir = GetWindowsDirectoryW(winDir, kWinDirBuffer);
    if (nWinDir == 0 || nWinDir >= kWinDirBuffer || !SetCurrentDirectoryW(winDir)) {
        ShowError(kNoWinDir);
        return kUninstStop;
    }

    HMODULE hQxapi = LoadLibraryW(JoinPath(strQxapiFolder, kQxapiLibrary).c_str());
    if (hQxapi == nullptr) {
        ShowError(kNoQxapiLibrary);
        return kUninstStop;
    }
    // A library without the entry point cannot be called: as good as none.
    const auto pSetup = reinterpret_cast<QXAPISETUPPROC>(
        reinterpret_cast<void (*)()>(GetProcAddress(hQxapi, kQxapiSetupName)));
    if (pSetup == nullptr) {
        FreeLibrary(hQxapi);
        ShowError(kNoQxapiLibrary);
        return kUninstStop;
    }
    // Set before the call, so that a library that writes nothing reads as
    // "no reason given" rather than as whatever the stack held.
    DWORD dwInfo = 0;
    DWORD dwResult = 0;
    pSetup(kQxapiCommand, &dwInfo, &dwResult);
    FreeLibrary(hQxapi);

    if (dwResult & kQxapiGoOn)
        return kUninstGoOn;
    const std::wstring strRefusal = RefusalText(dwResult);
    if (!strRefusal.empty())
        ShowError(strRefusal);
    return kUninstStop;
}

} // namespace

extern "C" LONG WINAPI UninstInitialize(HWND, HINSTANCE, LONG)
{
    // No C++ exception may unwind into the uninstaller.
    try {
        return Initialize();
    } catch (...) {
        return kUninstStop;
    }
}

extern "C" LONG WINAPI UninstUnInitialize(HWND, HINSTANCE, LONG)
{
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE a_hInstance, DWORD a_dwReason, LPVOID)
{
    if (a_dwReason == DLL_PROCESS_ATTACH)
        g_hModule = a_hInstance;
    return TRUE;
}
