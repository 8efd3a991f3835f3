// The installation step, run as the command a person or the demo runs: it
// creates every key and value the programs read, installing again changes
// nothing, platform values are touched only when asked and put back, and
// uninstalling removes what it created and nothing else.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ProductKeys.h"
#include "Registry.h"
#include "Setup.h"
#include "WinTestSupport.h"
#include "WndPos.h"

namespace {

using wintest::FileExists;
using wintest::RunAndWait;

const std::wstring kFolder = TemporaryInstallDir(L"installer_test");

DWORD RunSetup(const std::wstring& a_strArguments)
{
    return RunAndWait(L"lumet-setup.exe", a_strArguments);
}

bool KeyExists(LPCWSTR a_pszPath)
{
    CRegistry reg;
    return reg.Open(HKEY_LOCAL_MACHINE, a_pszPath, KEY_READ);
}

// Every value below a key, by "subkey path|value name", as type and bytes.
using Dump = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;
void DumpKey(HKEY a_hRoot, const std::wstring& a_strPath, Dump& a_dump)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(a_hRoot, a_strPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD cchName = 256, dwType = 0, cb = 0;
        BYTE data[2048];
        cb = sizeof data;
        if (RegEnumValueW(hKey, i, name, &cchName, nullptr, &dwType, data, &cb) != ERROR_SUCCESS)
            break;
        a_dump[a_strPath + L"|" + name] = {dwType, std::vector<BYTE>(data, data + cb)};
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD cchName = 256;
        if (RegEnumKeyExW(hKey, i, name, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.push_back(name);
    }
    RegCloseKey(hKey);
    for (const std::wstring& strSub : subkeys)
        DumpKey(a_hRoot, a_strPath + L"\\" + strSub, a_dump);
}

Dump DumpAll()
{
    Dump dump;
    DumpKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Lumet", dump);
    DumpKey(HKEY_LOCAL_MACHINE, kRegPlatformKey, dump);
    DumpKey(HKEY_LOCAL_MACHINE, kRegBrowserCommandKey, dump);
    DumpKey(HKEY_LOCAL_MACHINE, L"Software\\Orvan", dump);
    return dump;
}

std::optional<std::wstring> ReadString(LPCWSTR a_pszKey, LPCWSTR a_pszName)
{
    CRegistry reg;
    std::wstring str;
    if (!reg.Open(HKEY_LOCAL_MACHINE, a_pszKey) || !reg.QueryString(str, a_pszName))
        return std::nullopt;
    return str;
}

std::optional<DWORD> ReadDword(LPCWSTR a_pszKey, LPCWSTR a_pszName)
{
    CRegistry reg;
    DWORD dw = 0;
    if (!reg.Open(HKEY_LOCAL_MACHINE, a_pszKey) || !reg.QueryDWORD(dw, a_pszName))
        return std::nullopt;
    return dw;
}

void CreateFileIn(const std::wstring& a_strPath)
{
    HANDLE h = CreateFileW(a_strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << wintest::Narrow(a_strPath);
    CloseHandle(h);
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::wstring strError;
        ASSERT_TRUE(UninstallProduct(strError));
        m_before = DumpAll();
    }
    void TearDown() override
    {
        std::wstring strError;
        EXPECT_TRUE(UninstallProduct(strError)) << wintest::Narrow(strError);
        EXPECT_EQ(DumpAll(), m_before);
    }
    Dump m_before;
};

TEST_F(Installer, CreatesEveryValueTheProgramsReadAndInstallingAgainChangesNothing)
{
    const std::wstring strArgs = L"\"/dir:" + kFolder +
                                 L"\" /maintrace /mibtrace:2 /control:Polling_Time=9 "
                                 L"/control:Community_Name=public";
    ASSERT_EQ(RunSetup(strArgs), 0u);

    // Read as the programs read: full-access opens through CRegistry.
    EXPECT_EQ(ReadString(kRegProductKey, kRegInstall), kFolder);
    EXPECT_EQ(ReadDword(kRegProductKey, kRegMainTrace), 1u);
    EXPECT_EQ(ReadDword(kRegProductKey, kRegMibTrace), 2u);
    EXPECT_EQ(ReadDword(kRegControlKey, kRegStatusWatch), 1u);
    EXPECT_EQ(ReadDword(kRegControlKey, kRegAutoSearch), 1u);
    EXPECT_EQ(ReadDword(kRegControlKey, kRegTrapAccept), 0u);
    EXPECT_EQ(ReadDword(kRegControlKey, kRegWriteEvent), 0u);
    EXPECT_EQ(ReadDword(kRegControlKey, kRegPollingTime), 9u);
    EXPECT_EQ(ReadString(kRegControlKey, kRegCommunityName), L"public");
    const std::wstring strWndPos = std::wstring(kRegControlKey) + L"\\" + kRegWndPosSubkey;
    for (LPCWSTR pszName : kAllPositionNames) {
        SCOPED_TRACE(wintest::Narrow(pszName));
        EXPECT_EQ(ReadDword(strWndPos.c_str(), pszName), kNoPosition);
        POINT pt{5, 5};
        EXPECT_FALSE(CWndPos(pszName).LoadPos(pt));
        EXPECT_EQ(pt.x, 0);
        // The value exists, so a position is remembered from now on.
        EXPECT_TRUE(CWndPos(pszName).SavePos(RECT{10, 20, 30, 40}));
    }
    EXPECT_TRUE(FileExists(kFolder + L"\\MapInfo"));
    // Not asked for: the platform values are as they were.
    EXPECT_FALSE(KeyExists(kRegPlatformKey));

    // Installing again gives the same state (saved positions included).
    ASSERT_EQ(RunSetup(strArgs), 0u);
    const Dump once = DumpAll();
    ASSERT_EQ(RunSetup(strArgs), 0u);
    EXPECT_EQ(DumpAll(), once);
    EXPECT_EQ(ReadDword(strWndPos.c_str(), kPosMessage), kNoPosition);
}

TEST_F(Installer, DefaultsWhenNothingIsAsked)
{
    CSetupOptions options;
    options.strInstallDir = kFolder + L"\\";
    std::wstring strError;
    ASSERT_TRUE(InstallProduct(options, strError)) << wintest::Narrow(strError);
    EXPECT_EQ(ReadString(kRegProductKey, kRegInstall), kFolder + L"\\");
    EXPECT_FALSE(ReadDword(kRegProductKey, kRegMainTrace));
    EXPECT_FALSE(ReadDword(kRegProductKey, kRegMibTrace));
    EXPECT_EQ(ReadDword(kRegControlKey, kRegStatusWatch), kDefaultStatusWatch);
    EXPECT_EQ(ReadDword(kRegControlKey, kRegAutoSearch), kDefaultAutoSearch);
    EXPECT_EQ(ReadDword(kRegControlKey, kRegTrapAccept), kDefaultTrapAccept);
    EXPECT_EQ(ReadDword(kRegControlKey, kRegWriteEvent), kDefaultWriteEvent);
    EXPECT_EQ(ReadDword(kRegControlKey, kRegPollingTime), kDefaultPollingTime);
    EXPECT_EQ(ReadString(kRegControlKey, kRegCommunityName), kDefaultCommunityName);
    EXPECT_TRUE(FileExists(kFolder + L"\\MapInfo"));
}

TEST_F(Installer, PlatformValuesOnlyWhenAskedAndPutBackAfterwards)
{
    const std::optional<std::wstring> browserBefore = ReadString(kRegBrowserCommandKey, L"");
    const std::wstring strAsked = L"\"/dir:" + kFolder +
                                  L"\" \"/pathname:C:\\OpenView\" "
                                  L"\"/browser:C:\\browser.exe \"\"%1\"\"\" "
                                  L"\"/qxapidir:C:\\Orvan\\QXAPI\"";
    ASSERT_EQ(RunSetup(strAsked), 0u);
    EXPECT_EQ(ReadString(kRegPlatformKey, kRegPathName), L"C:\\OpenView");
    EXPECT_EQ(ReadString(kRegBrowserCommandKey, L""), L"C:\\browser.exe \"%1\"");
    EXPECT_EQ(ReadString(kRegQxapiKey, kRegQxapiInstallDir), L"C:\\Orvan\\QXAPI");
    const Dump asked = DumpAll();
    ASSERT_EQ(RunSetup(strAsked), 0u);
    EXPECT_EQ(DumpAll(), asked);

    // An install that no longer asks puts the platform back as it was.
    ASSERT_EQ(RunSetup(L"\"/dir:" + kFolder + L"\""), 0u);
    EXPECT_FALSE(KeyExists(kRegPlatformKey));
    EXPECT_FALSE(KeyExists(L"Software\\Orvan"));
    EXPECT_EQ(ReadString(kRegBrowserCommandKey, L""), browserBefore);
    EXPECT_FALSE(KeyExists(kRegSetupRecordKey));

    // So does uninstalling (checked against the state before in TearDown).
    ASSERT_EQ(RunSetup(strAsked), 0u);
    ASSERT_EQ(RunSetup(L"/uninstall"), 0u);
    EXPECT_EQ(ReadString(kRegBrowserCommandKey, L""), browserBefore);
}

TEST_F(Installer, UninstallRemovesWhatTheProgramsWroteAndNothingElse)
{
    for (bool bForeignFile : {false, true}) {
        SCOPED_TRACE(bForeignFile);
        ASSERT_EQ(RunSetup(L"\"/dir:" + kFolder + L"\""), 0u);
        CreateFileIn(kFolder + L"\\MainTrace1.log");
        CreateFileIn(kFolder + L"\\MibTrace3.log");
        CreateFileIn(kFolder + L"\\MapInfo\\default.map");
        if (bForeignFile)
            CreateFileIn(kFolder + L"\\notes.txt");
        ASSERT_EQ(RunSetup(L"/uninstall"), 0u);
        EXPECT_FALSE(KeyExists(kRegProductKey));
        EXPECT_FALSE(KeyExists(L"SOFTWARE\\Lumet"));
        EXPECT_FALSE(FileExists(kFolder + L"\\MainTrace1.log"));
        EXPECT_FALSE(FileExists(kFolder + L"\\MibTrace3.log"));
        EXPECT_FALSE(FileExists(kFolder + L"\\MapInfo"));
        EXPECT_EQ(FileExists(kFolder + L"\\notes.txt"), bForeignFile);
        EXPECT_EQ(FileExists(kFolder), bForeignFile);
    }
    DeleteFileW((kFolder + L"\\notes.txt").c_str());
    RemoveDirectoryW(kFolder.c_str());
    // Nothing installed: uninstalling again is fine.
    EXPECT_EQ(RunSetup(L"/uninstall"), 0u);
}

TEST_F(Installer, BadCommandLinesInstallNothing)
{
    for (LPCWSTR pszArgs : {L"/dir", L"/dir:", L"/maintrace:x", L"/mibtrace:-1",
                            L"/control:Polling_Time=abc", L"/control:Polling_Time",
                            L"/control:Unknown=1", L"bare", L"/nonsense", L"/uninstall:now"}) {
        SCOPED_TRACE(wintest::Narrow(pszArgs));
        EXPECT_EQ(RunSetup(pszArgs), 2u);
        EXPECT_FALSE(KeyExists(kRegProductKey));
    }
}

} // namespace
