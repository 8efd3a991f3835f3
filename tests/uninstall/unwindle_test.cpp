// Unwindle under Wine, with the real registry, files, DLL loading and
// message boxes: called in this process as the uninstaller calls it, and
// through the uninstaller host program. The tests answer its boxes as a user
// would and read what they show; our installer library records each call
// in QXAPISet.log beside itself and answers with QXAPISET_RESULT.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ProductKeys.h"
#include "QXAPISet.h"
#include "Registry.h"
#include "Setup.h"
#include "UiDriver.h"
#include "Unwindle.h"
#include "WinTestSupport.h"

namespace {

using wintest::BoxIcon;
using wintest::CMessageBoxAnswerer;
using wintest::FileExists;
using Box = CMessageBoxAnswerer::CBox;

const std::wstring kCaption = L"Lumet for OpenView";
const std::wstring kQuestion =
    L"Uninstalling Lumet for OpenView.\nBefore uninstalling, quit all application software, "
    L"including Lumet for OpenView.\n\nDo you want to continue uninstalling?";
const std::wstring kProductBusy =
    L"Uninstall will not start until all Lumet modules are closed.\nQuit all application software "
    L"and try again.";
const std::wstring kSetupBusy =
    L"Uninstall will not start until all Lumet setup modules are closed.\nAfter the another setup "
    L"modules have finished, then try again.";
std::wstring ErrorText(LPCWSTR a_pszCode)
{
    return std::wstring(L"Uninstalling has stopped, since an error(RC=") + a_pszCode +
           L") happened\n.Quit all application software and try again.";
}
const std::wstring kNoQxapiKey = L"Cannot find QXAPI Install Registay";
const std::wstring kNoQxapiLibrary = L"LoadLibraly(QXAPISet.dll) Error";
// What our installer library records of one call.
const std::string kOneCall = "/Act=Un /AN=\"Lumet for OpenView\"\r\n";

const std::wstring kInstallDir = TemporaryInstallDir(L"unwindle_test");
const std::wstring kMapFolder = kInstallDir + L"\\MapInfo";
const std::wstring kQxapiDir = TemporaryInstallDir(L"unwindle_test-qxapi");
const std::wstring kOtherDir = TemporaryInstallDir(L"unwindle_test-other");

void RemoveTree(const std::wstring& a_strPath)
{
    const DWORD dwAttr = GetFileAttributesW(a_strPath.c_str());
    if (dwAttr == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(dwAttr & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(a_strPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(a_strPath.c_str());
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE hFind = FindFirstFileW((a_strPath + L"\\*").c_str(), &found);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring strName = found.cFileName;
            if (strName != L"." && strName != L"..")
                RemoveTree(a_strPath + L"\\" + strName);
        } while (FindNextFileW(hFind, &found));
        FindClose(hFind);
    }
    RemoveDirectoryW(a_strPath.c_str());
}

void CreateFileAt(const std::wstring& a_strPath)
{
    HANDLE h = CreateFileW(a_strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_ARCHIVE, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << wintest::Narrow(a_strPath);
    DWORD dw = 0;
    WriteFile(h, "map", 3, &dw, nullptr);
    CloseHandle(h);
}

void CopyBinFile(LPCWSTR a_pszName, const std::wstring& a_strFolder, LPCWSTR a_pszAs)
{
    CreateDirectoryW(a_strFolder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((wintest::BinFolder() + a_pszName).c_str(),
                          (a_strFolder + L"\\" + a_pszAs).c_str(), FALSE))
        << GetLastError();
}

// The calls our installer library recorded, if it was called.
std::optional<std::string> QxapiCalls()
{
    return wintest::ReadWholeFile(kQxapiDir + L"\\QXAPISet.log");
}

void SetQxapiResult(LPCWSTR a_pszResult)
{
    SetEnvironmentVariableW(L"QXAPISET_RESULT", a_pszResult);
}

// Stands in for one function that a loaded module imports, for the
// object's lifetime. Here MessageBoxW of Unwindle.dll, to see the style it
// asks for: Wine does not mark a box that asks to stay on top.
class CImportPatch {
public:
    CImportPatch(HMODULE a_hModule, const char* a_pszDll, const char* a_pszFunction,
                 void* a_pReplacement)
    {
        BYTE* pBase = reinterpret_cast<BYTE*>(a_hModule);
        const auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(pBase);
        const auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.VirtualAddress == 0)
            return;
        for (auto* pDesc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + imports.VirtualAddress);
             pDesc->Name; ++pDesc) {
            if (_stricmp(reinterpret_cast<const char*>(pBase + pDesc->Name), a_pszDll) != 0)
                continue;
            auto* pNames = reinterpret_cast<IMAGE_THUNK_DATA*>(
                pBase + (pDesc->OriginalFirstThunk ? pDesc->OriginalFirstThunk : pDesc->FirstThunk));
            auto* pSlots = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDesc->FirstThunk);
            for (; pNames->u1.AddressOfData; ++pNames, ++pSlots) {
                if (IMAGE_SNAP_BY_ORDINAL(pNames->u1.Ordinal))
                    continue;
                const auto* pByName =
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(pBase + pNames->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(pByName->Name), a_pszFunction) != 0)
                    continue;
                m_pSlot = &pSlots->u1.Function;
                m_original = Swap(reinterpret_cast<ULONG_PTR>(a_pReplacement));
                return;
            }
        }
    }
    ~CImportPatch()
    {
        if (m_pSlot)
            Swap(m_original);
    }
    CImportPatch(const CImportPatch&) = delete;
    CImportPatch& operator=(const CImportPatch&) = delete;

    bool Patched() const { return m_pSlot != nullptr; }

private:
    ULONG_PTR Swap(ULONG_PTR a_value)
    {
        DWORD dwProtect = 0;
        VirtualProtect(m_pSlot, sizeof *m_pSlot, PAGE_READWRITE, &dwProtect);
        const ULONG_PTR old = *m_pSlot;
        *m_pSlot = a_value;
        VirtualProtect(m_pSlot, sizeof *m_pSlot, dwProtect, &dwProtect);
        return old;
    }

    ULONG_PTR* m_pSlot = nullptr;
    ULONG_PTR m_original = 0;
};

// The styles Unwindle asked MessageBoxW for, in order (test thread only).
std::vector<UINT> g_askedStyles;

int WINAPI RecordingMessageBox(HWND a_hwnd, LPCWSTR a_pszText, LPCWSTR a_pszCaption, UINT a_nStyle)
{
    g_askedStyles.push_back(a_nStyle);
    return MessageBoxW(a_hwnd, a_pszText, a_pszCaption, a_nStyle);
}

// The icon of a box can be read only in the process that shows it.
void ExpectQuestion(const Box& a_box, bool a_bIconReadable = true)
{
    EXPECT_EQ(a_box.strCaption, kCaption);
    EXPECT_EQ(a_box.strText, kQuestion);
    EXPECT_EQ(a_box.buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(a_box.nDefault, IDNO);
    if (a_bIconReadable) {
        EXPECT_EQ(a_box.icon, BoxIcon::Information) << wintest::BoxIconName(a_box.icon);
    }
}

void ExpectError(const Box& a_box, const std::wstring& a_strText, bool a_bIconReadable = true)
{
    EXPECT_EQ(a_box.strCaption, kCaption);
    EXPECT_EQ(a_box.strText, a_strText);
    EXPECT_EQ(a_box.buttons, std::vector<int>{IDOK});
    if (a_bIconReadable) {
        EXPECT_EQ(a_box.icon, BoxIcon::Error) << wintest::BoxIconName(a_box.icon);
    }
}

class Unwindle : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t cwd[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, cwd);
        m_strCwd = cwd;
        SetQxapiResult(nullptr);
        ASSERT_TRUE(Install(kQxapiDir)) << wintest::Narrow(m_strError);
        ASSERT_NO_FATAL_FAILURE(CopyBinFile(L"QXAPISet.dll", kQxapiDir, kQxapiLibrary));

        m_hUnwindle = LoadLibraryW((wintest::BinFolder() + kUnwindleLibrary).c_str());
        ASSERT_NE(m_hUnwindle, nullptr) << GetLastError();
        m_pInitialize = reinterpret_cast<UNINSTINITIALIZEPROC>(
            reinterpret_cast<void (*)()>(GetProcAddress(m_hUnwindle, kUninstInitializeName)));
        ASSERT_NE(m_pInitialize, nullptr);
    }
    void TearDown() override
    {
        if (m_hUnwindle)
            FreeLibrary(m_hUnwindle);
        SetCurrentDirectoryW(m_strCwd.c_str());
        SetQxapiResult(nullptr);
        RemoveTree(kQxapiDir);
        RemoveTree(kOtherDir);
        RemoveTree(kMapFolder);
        std::wstring strError;
        EXPECT_TRUE(UninstallProduct(strError)) << wintest::Narrow(strError);
        RemoveTree(kInstallDir);
    }

    // Installs the product in kInstallDir, with the installer library's
    // folder when one is given (absent otherwise).
    bool Install(std::optional<std::wstring> a_strQxapiDir)
    {
        CSetupOptions options;
        options.strInstallDir = kInstallDir;
        options.strQxapiInstallDir = std::move(a_strQxapiDir);
        return InstallProduct(options, m_strError);
    }

    struct CRun {
        LONG lResult = 0;
        std::vector<Box> boxes;
    };
    // UninstInitialize on this thread, its boxes answered in turn. Every
    // box asks to stay on top.
    CRun Run(std::vector<int> a_answers, CMessageBoxAnswerer::OnBox a_onBox = {})
    {
        CRun run;
        g_askedStyles.clear();
        {
            CImportPatch patch(m_hUnwindle, "user32.dll", "MessageBoxW",
                               reinterpret_cast<void*>(&RecordingMessageBox));
            EXPECT_TRUE(patch.Patched());
            CMessageBoxAnswerer answerer(std::move(a_answers), GetCurrentThreadId(),
                                         std::move(a_onBox));
            run.lResult = m_pInitialize(nullptr, GetModuleHandleW(nullptr), 0);
            run.boxes = answerer.Boxes();
        }
        EXPECT_EQ(g_askedStyles.size(), run.boxes.size());
        for (UINT nStyle : g_askedStyles)
            EXPECT_TRUE(nStyle & MB_TOPMOST) << std::hex << nStyle;
        return run;
    }

    std::wstring m_strCwd;
    std::wstring m_strError;
    HMODULE m_hUnwindle = nullptr;
    UNINSTINITIALIZEPROC m_pInitialize = nullptr;
};

TEST_F(Unwindle, AnsweringNoDeletesNothingAndCallsNothing)
{
    // Enter picks the default button, which must be No.
    const auto pressEnter = [](const Box& a_box, std::size_t) {
        uidriver::PressKey(a_box.hwnd, VK_RETURN);
        return true;
    };
    for (bool bEnter : {false, true}) {
        SCOPED_TRACE(bEnter ? "Enter key" : "No button");
        ASSERT_NO_FATAL_FAILURE(CreateFileAt(kMapFolder + L"\\default.map"));
        const CRun run = bEnter ? Run({}, pressEnter) : Run({IDNO});
        EXPECT_EQ(run.lResult, kUninstStop);
        ASSERT_EQ(run.boxes.size(), 1u);
        ExpectQuestion(run.boxes[0]);
        EXPECT_TRUE(FileExists(kMapFolder + L"\\default.map"));
        EXPECT_FALSE(QxapiCalls());
    }
}

TEST_F(Unwindle, YesDeletesOnlyArchivedMapFilesAndHandsTheUninstallOn)
{
    for (LPCWSTR pszName : {L"default.map", L"Floor 2.MAP", L"cleared.map", L"plan.mapx",
                            L"default.map.bak", L"notes.txt"})
        ASSERT_NO_FATAL_FAILURE(CreateFileAt(kMapFolder + L"\\" + pszName));
    ASSERT_TRUE(CreateDirectoryW((kMapFolder + L"\\old.map").c_str(), nullptr));
    ASSERT_NO_FATAL_FAILURE(CreateFileAt(kMapFolder + L"\\old.map\\inside.map"));
    const std::wstring strCleared = kMapFolder + L"\\cleared.map";
    ASSERT_TRUE(SetFileAttributesW(strCleared.c_str(), FILE_ATTRIBUTE_NORMAL));
    // Wine shows every plain file as archived; map_files_test covers the
    // cleared attribute natively.
    const bool bClearedShows = !(GetFileAttributesW(strCleared.c_str()) & FILE_ATTRIBUTE_ARCHIVE);

    const CRun run = Run({IDYES});
    EXPECT_EQ(run.lResult, kUninstGoOn);
    ASSERT_EQ(run.boxes.size(), 1u);
    ExpectQuestion(run.boxes[0]);

    EXPECT_FALSE(FileExists(kMapFolder + L"\\default.map"));
    EXPECT_FALSE(FileExists(kMapFolder + L"\\Floor 2.MAP"));
    if (bClearedShows) {
        EXPECT_TRUE(FileExists(strCleared));
    }
    // Found by "*.map" through their short names, but not map files.
    EXPECT_TRUE(FileExists(kMapFolder + L"\\plan.mapx"));
    EXPECT_TRUE(FileExists(kMapFolder + L"\\default.map.bak"));
    EXPECT_TRUE(FileExists(kMapFolder + L"\\notes.txt"));
    EXPECT_TRUE(FileExists(kMapFolder + L"\\old.map\\inside.map"));
    EXPECT_EQ(QxapiCalls(), kOneCall);
}

TEST_F(Unwindle, TheInstallerLibrarysResultDecidesAndIsExplained)
{
    struct Case {
        LPCWSTR pszResult;  // QXAPISET_RESULT
        LONG lExpected;
        std::optional<std::wstring> strMessage;
    };
    const Case cases[] = {
        {L"0x1", kUninstGoOn, std::nullopt},
        {L"0xC01", kUninstGoOn, std::nullopt},  // bit 0 wins over any reason
        {L"0x400", kUninstStop, kProductBusy},
        {L"0xC00", kUninstStop, kProductBusy},  // the product's modules first
        {L"0x800", kUninstStop, kSetupBusy},
        {L"0x10200", kUninstStop, ErrorText(L"0x10200")},
        {L"0x100", kUninstStop, ErrorText(L"0x100")},
        {L"0x0", kUninstStop, std::nullopt},
        {L"0x2", kUninstStop, std::nullopt},       // no reason given
        {L"0x100000", kUninstStop, std::nullopt},  // nor above the error bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(wintest::Narrow(c.pszResult));
        SetQxapiResult(c.pszResult);
        DeleteFileW((kQxapiDir + L"\\QXAPISet.log").c_str());
        const CRun run = Run({IDYES});
        EXPECT_EQ(run.lResult, c.lExpected);
        ASSERT_EQ(run.boxes.size(), c.strMessage ? 2u : 1u);
        ExpectQuestion(run.boxes[0]);
        if (c.strMessage)
            ExpectError(run.boxes[1], *c.strMessage);
        EXPECT_EQ(QxapiCalls(), kOneCall);
    }
}

TEST_F(Unwindle, AMissingInstallerLibraryStopsTheUninstallWithItsMessage)
{
    struct Case {
        const char* pszName;
        std::optional<std::wstring> strQxapiDir;
        std::wstring strMessage;
    };
    const Case cases[] = {
        {"no installer key", std::nullopt, kNoQxapiKey},
        {"empty InstallDir", L"", kNoQxapiKey},
        {"no library there", kOtherDir, kNoQxapiLibrary},
        {"library without QXAPISetup", kOtherDir, kNoQxapiLibrary},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        ASSERT_TRUE(Install(c.strQxapiDir)) << wintest::Narrow(m_strError);
        RemoveTree(kOtherDir);
        if (std::string(c.pszName) == "library without QXAPISetup") {
            ASSERT_NO_FATAL_FAILURE(CopyBinFile(kUnwindleLibrary, kOtherDir, kQxapiLibrary));
        }
        ASSERT_NO_FATAL_FAILURE(CreateFileAt(kMapFolder + L"\\default.map"));

        const CRun run = Run({IDYES});
        EXPECT_EQ(run.lResult, kUninstStop);
        ASSERT_EQ(run.boxes.size(), 2u);
        ExpectQuestion(run.boxes[0]);
        ExpectError(run.boxes[1], c.strMessage);
        // The map files are gone before the library is looked for.
        EXPECT_FALSE(FileExists(kMapFolder + L"\\default.map"));
        EXPECT_FALSE(QxapiCalls());
    }
}

TEST_F(Unwindle, WithoutAKnownInstallFolderNothingIsDeletedButTheUninstallGoesOn)
{
    // A relative "Install" would be taken from the current directory: here
    // it would name the real install folder.
    const std::size_t nSlash = kInstallDir.rfind(L'\\');
    const std::wstring strParent = kInstallDir.substr(0, nSlash);
    const std::wstring strRelative = kInstallDir.substr(nSlash + 1);
    for (bool bRelative : {false, true}) {
        SCOPED_TRACE(bRelative ? "relative Install" : "no product key");
        ASSERT_TRUE(Install(kQxapiDir)) << wintest::Narrow(m_strError);
        if (bRelative) {
            CRegistry reg;
            ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kRegProductKey));
            ASSERT_TRUE(reg.SetString(strRelative.c_str(), kRegInstall));
            ASSERT_TRUE(SetCurrentDirectoryW(strParent.c_str()));
        } else {
            ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, kRegProductKey), ERROR_SUCCESS);
        }
        ASSERT_NO_FATAL_FAILURE(CreateFileAt(kMapFolder + L"\\default.map"));
        DeleteFileW((kQxapiDir + L"\\QXAPISet.log").c_str());

        const CRun run = Run({IDYES});
        EXPECT_EQ(run.lResult, kUninstGoOn);
        EXPECT_EQ(run.boxes.size(), 1u);
        EXPECT_TRUE(FileExists(kMapFolder + L"\\default.map"));
        EXPECT_EQ(QxapiCalls(), kOneCall);
    }
}

// The whole road as the uninstaller takes it: a separate program with its
// own window, which owns the boxes. Set LUMET_SCREENSHOTS to a folder to get
// pictures of the screen at each box.
TEST_F(Unwindle, TheUninstallerHostAsksOverItsWindowAndReportsTheVerdict)
{
    struct Case {
        int nAnswer;
        LPCWSTR pszResult;
        DWORD dwExit;
        const char* pszReport;
        std::optional<std::wstring> strMessage;
    };
    const Case cases[] = {
        {IDYES, L"1", 0, "UninstInitialize: 0, the uninstall goes on\r\n", std::nullopt},
        {IDNO, L"1", 1, "UninstInitialize: -1, the uninstall stops\r\n", std::nullopt},
        {IDYES, L"0x800", 1, "UninstInitialize: -1, the uninstall stops\r\n", kSetupBusy},
    };
    wchar_t screens[MAX_PATH] = {};
    const DWORD nScreens = GetEnvironmentVariableW(L"LUMET_SCREENSHOTS", screens, MAX_PATH);
    const std::wstring strOutput = kOtherDir + L"\\host-output.txt";
    int nCase = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(++nCase);
        SetQxapiResult(c.pszResult);
        DeleteFileW((kQxapiDir + L"\\QXAPISet.log").c_str());
        CreateDirectoryW(kOtherDir.c_str(), nullptr);

        std::vector<Box> boxes;
        DWORD dwExit;
        {
            wintest::CRunningProgram host(L"uninst-host.exe", L"", strOutput);
            ASSERT_TRUE(host.Started()) << host.StartError();
            CMessageBoxAnswerer::OnBox takePicture;
            if (nScreens > 0 && nScreens < MAX_PATH)
                takePicture = [&](const Box&, std::size_t a_nIndex) {
                    // Time for the box to paint itself.
                    Sleep(500);
                    uidriver::SaveWindowBitmap(GetDesktopWindow(),
                                               std::wstring(screens) + L"\\unwindle-case" +
                                                   std::to_wstring(nCase) + L"-box" +
                                                   std::to_wstring(a_nIndex + 1) + L".bmp");
                    return false;
                };
            CMessageBoxAnswerer answerer({c.nAnswer}, host.ThreadId(), takePicture);
            dwExit = host.Wait();
            boxes = answerer.Boxes();
        }
        EXPECT_EQ(dwExit, c.dwExit);
        ASSERT_EQ(boxes.size(), c.strMessage ? 2u : 1u);
        ExpectQuestion(boxes[0], false);
        if (c.strMessage)
            ExpectError(boxes[1], *c.strMessage, false);
        for (const Box& box : boxes)
            EXPECT_EQ(box.strOwnerClass, L"LumetUninstHost");
        EXPECT_EQ(wintest::ReadWholeFile(strOutput),
                  std::string(c.pszReport) + "UninstUnInitialize: 0\r\n");
        EXPECT_EQ(QxapiCalls(), c.nAnswer == IDYES ? std::optional<std::string>(kOneCall) : std::nullopt);
    }
}

} // namespace
