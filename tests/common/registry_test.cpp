// CRegistry and CWndPos on the real registry of the test prefix, with the
// product installed by the installation step.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ProductKeys.h"
#include "Registry.h"
#include "Setup.h"
#include "WinTestSupport.h"
#include "WndPos.h"

namespace {

const std::wstring kWndPosKey = std::wstring(kRegControlKey) + L"\\" + kRegWndPosSubkey;

bool KeyExists(const std::wstring& a_strPath)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, a_strPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

// Stores raw bytes of any type under the value name, as a damaged or hand-made
// registry might hold them.
void SetRaw(const std::wstring& a_strKey, LPCWSTR a_pszName, DWORD a_dwType,
            const std::vector<BYTE>& a_data)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, a_strKey.c_str(), 0, KEY_ALL_ACCESS, &hKey),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(hKey, a_pszName, 0, a_dwType, a_data.data(),
                             static_cast<DWORD>(a_data.size())),
              ERROR_SUCCESS);
    RegCloseKey(hKey);
}

std::vector<BYTE> Bytes(DWORD a_dw)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(&a_dw);
    return {p, p + sizeof a_dw};
}

std::vector<BYTE> Bytes(const std::wstring& a_str, bool a_bWithZero = true)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(a_str.c_str());
    return {p, p + (a_str.size() + (a_bWithZero ? 1 : 0)) * sizeof(wchar_t)};
}

// The raw value, or nothing when it does not exist.
std::optional<std::vector<BYTE>> GetRaw(const std::wstring& a_strKey, LPCWSTR a_pszName,
                                        DWORD* a_pdwType = nullptr)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, a_strKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<BYTE> data(1024);
    DWORD cb = static_cast<DWORD>(data.size());
    const LSTATUS status = RegQueryValueExW(hKey, a_pszName, nullptr, a_pdwType, data.data(), &cb);
    RegCloseKey(hKey);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(cb);
    return data;
}

class ProductKey : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSetupOptions options;
        options.strInstallDir = TemporaryInstallDir(L"registry_test");
        m_install.emplace(options);
        ASSERT_TRUE(m_install->Installed()) << wintest::Narrow(m_install->Error());
    }
    void TearDown() override { m_install.reset(); }

    std::optional<CScopedInstall> m_install;
};

TEST(Registry, WithoutAnOpenKeyEverythingFails)
{
    CRegistry reg;
    DWORD dw = 7;
    std::wstring str = L"unchanged";
    EXPECT_FALSE(reg.Close());
    EXPECT_FALSE(reg.QueryDWORD(dw, L"Install"));
    EXPECT_FALSE(reg.QueryString(str, L"Install"));
    EXPECT_FALSE(reg.SetDWORD(1, L"x"));
    EXPECT_FALSE(reg.SetString(L"x", L"x"));
    EXPECT_FALSE(reg.DeleteValue(L"x"));
    EXPECT_FALSE(reg.Open(nullptr, kRegProductKey));
    EXPECT_EQ(dw, 7u);
    EXPECT_EQ(str, L"unchanged");
}

TEST_F(ProductKey, OpenNeverCreatesAKey)
{
    const std::wstring strMissing = std::wstring(kRegProductKey) + L"\\NotThere";
    CRegistry reg;
    EXPECT_FALSE(reg.Open(HKEY_LOCAL_MACHINE, strMissing.c_str()));
    EXPECT_FALSE(reg.IsOpen());
    EXPECT_FALSE(KeyExists(strMissing));

    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kRegProductKey));
    // Opening another key replaces the first; a failed open leaves none.
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kRegControlKey));
    DWORD dw = 0;
    EXPECT_TRUE(reg.QueryDWORD(dw, kRegPollingTime));
    EXPECT_EQ(dw, kDefaultPollingTime);
    EXPECT_FALSE(reg.Open(HKEY_LOCAL_MACHINE, strMissing.c_str()));
    EXPECT_FALSE(reg.IsOpen());
    EXPECT_FALSE(reg.Close());
}

TEST_F(ProductKey, QueryDwordReadsAnyValueOfAtMostFourBytes)
{
    struct Case {
        const char* what;
        DWORD dwType;
        std::vector<BYTE> data;
        bool bRead;
        DWORD dwExpected;
    };
    const std::vector<Case> cases = {
        {"REG_DWORD", REG_DWORD, Bytes(0x12345678u), true, 0x12345678u},
        {"2-byte binary", REG_BINARY, {0x34, 0x12}, true, 0x1234u},
        {"empty binary", REG_BINARY, {}, true, 0u},
        {"text of 4 bytes", REG_SZ, Bytes(L"1"), true, 0x31u},
        {"8-byte binary", REG_BINARY, std::vector<BYTE>(8, 1), false, 0},
        {"REG_QWORD", REG_QWORD, std::vector<BYTE>(8, 0), false, 0},
        {"longer text", REG_SZ, Bytes(L"12345"), false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetRaw(kRegControlKey, L"Probe", c.dwType, c.data);
        CRegistry reg;
        ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kRegControlKey));
        DWORD dw = 0xDEADBEEF;
        EXPECT_EQ(reg.QueryDWORD(dw, L"Probe"), c.bRead ? TRUE : FALSE);
        EXPECT_EQ(dw, c.bRead ? c.dwExpected : 0xDEADBEEF);
    }
    CRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kRegControlKey));
    ASSERT_TRUE(reg.DeleteValue(L"Probe"));
    DWORD dw = 3;
    EXPECT_FALSE(reg.QueryDWORD(dw, L"Probe"));
    EXPECT_EQ(dw, 3u);
    EXPECT_FALSE(reg.DeleteValue(L"Probe"));
}

TEST_F(ProductKey, QueryStringLengthLimits)
{
    struct Case {
        const char* what;
        DWORD dwType;
        std::vector<BYTE> data;
        bool bRead;
        std::wstring strExpected;
    };
    const std::wstring s255(255, L'a'), s256(256, L'b'), s257(257, L'c');
    const std::vector<Case> cases = {
        {"empty", REG_SZ, Bytes(L""), true, L""},
        {"255 characters", REG_SZ, Bytes(s255), true, s255},
        {"256 characters", REG_SZ, Bytes(s256), true, s256},
        {"256 characters without zero", REG_SZ, Bytes(s256, false), true, s256},
        {"257 characters", REG_SZ, Bytes(s257), false, L""},
        {"257 characters without zero", REG_SZ, Bytes(s257, false), false, L""},
        {"text ends at the first zero", REG_SZ, Bytes(std::wstring(L"ab\0cd", 5)), true, L"ab"},
        {"REG_EXPAND_SZ is not expanded", REG_EXPAND_SZ, Bytes(L"%TEMP%"), true, L"%TEMP%"},
        {"a number is no text", REG_DWORD, Bytes(0x41u), false, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetRaw(kRegControlKey, L"Probe", c.dwType, c.data);
        CRegistry reg;
        ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kRegControlKey));
        std::wstring str = L"unchanged";
        EXPECT_EQ(reg.QueryString(str, L"Probe"), c.bRead ? TRUE : FALSE);
        EXPECT_EQ(str, c.bRead ? c.strExpected : L"unchanged");
    }
    CRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kRegControlKey));
    std::wstring str = L"unchanged";
    EXPECT_FALSE(reg.QueryString(str, nullptr));
    EXPECT_FALSE(reg.QueryString(str, L"Missing"));
    EXPECT_EQ(str, L"unchanged");
}

TEST_F(ProductKey, WritesHaveTheStoredTypesAndSizes)
{
    CRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kRegControlKey));
    EXPECT_TRUE(reg.SetString(L"public", kRegCommunityName));
    EXPECT_TRUE(reg.SetDWORD(42, kRegPollingTime));
    EXPECT_FALSE(reg.SetString(nullptr, kRegCommunityName));
    EXPECT_FALSE(reg.SetDWORD(1, nullptr));
    EXPECT_FALSE(reg.DeleteValue(nullptr));
    reg.Close();

    DWORD dwType = 0;
    auto community = GetRaw(kRegControlKey, kRegCommunityName, &dwType);
    ASSERT_TRUE(community);
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(*community, Bytes(L"public"));
    auto polling = GetRaw(kRegControlKey, kRegPollingTime, &dwType);
    ASSERT_TRUE(polling);
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(*polling, Bytes(42u));
}

TEST(WndPos, KeyPathJoinsPartsWithOneBackslash)
{
    EXPECT_EQ(CWndPos(kPosMessage).KeyPath(),
              L"SOFTWARE\\Lumet\\Lumet for OpenView\\Control\\WndPos");
    EXPECT_EQ(JoinKeyPath({L"A\\", L"B", L"C"}), L"A\\B\\C");
    EXPECT_EQ(JoinKeyPath({L"A", L"B\\", L"C"}), L"A\\B\\C");
}

TEST_F(ProductKey, LoadPosByStoredValue)
{
    struct Case {
        const char* what;
        std::optional<std::pair<DWORD, std::vector<BYTE>>> stored;  // nothing: value absent
        BOOL bResult;
        POINT pt;              // expected point
        bool bValueRemains;
    };
    const POINT kUntouched{-77, -77};
    const std::vector<Case> cases = {
        {"left 50, top 100", {{REG_DWORD, Bytes(0x00640032u)}}, TRUE, {50, 100}, true},
        {"origin", {{REG_DWORD, Bytes(0u)}}, TRUE, {0, 0}, true},
        {"highest top", {{REG_DWORD, Bytes(0xFFFE0001u)}}, TRUE, {1, 0xFFFE}, true},
        {"all ones", {{REG_DWORD, Bytes(0xFFFFFFFFu)}}, FALSE, {0, 0}, true},
        {"left 0xFFFF", {{REG_DWORD, Bytes(0x0064FFFFu)}}, FALSE, {0, 0}, true},
        {"top 0xFFFF", {{REG_DWORD, Bytes(0xFFFF0032u)}}, FALSE, {0, 0}, true},
        {"8-byte value is deleted", {{REG_BINARY, std::vector<BYTE>(8, 0)}}, FALSE, kUntouched, false},
        {"absent", std::nullopt, FALSE, kUntouched, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HKEY hKey = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWndPosKey.c_str(), 0, KEY_ALL_ACCESS, &hKey),
                  ERROR_SUCCESS);
        RegDeleteValueW(hKey, kPosStatusPaper);
        RegCloseKey(hKey);
        if (c.stored)
            SetRaw(kWndPosKey, kPosStatusPaper, c.stored->first, c.stored->second);

        POINT pt = kUntouched;
        EXPECT_EQ(CWndPos(kPosStatusPaper).LoadPos(pt), c.bResult);
        EXPECT_EQ(pt.x, c.pt.x);
        EXPECT_EQ(pt.y, c.pt.y);
        EXPECT_EQ(GetRaw(kWndPosKey, kPosStatusPaper).has_value(), c.bValueRemains);
    }
}

TEST_F(ProductKey, SavePosWritesOnlyIntoAnExistingValue)
{
    struct Case {
        const char* what;
        std::optional<std::vector<BYTE>> stored;  // REG_BINARY bytes; nothing: absent
        RECT rc;
        BOOL bResult;
        std::optional<DWORD> after;               // nothing: value absent afterwards
    };
    const std::vector<BYTE> kMark = Bytes(kNoPosition);
    const std::vector<Case> cases = {
        {"negative left is stored as 1", kMark, {-20, 35, 300, 400}, TRUE, 0x00230001u},
        {"negative top is stored as 1", kMark, {10, -5, 300, 400}, TRUE, 0x0001000Au},
        {"left 50, top 100", kMark, {50, 100, 60, 110}, TRUE, 0x00640032u},
        {"origin", kMark, {0, 0, 10, 10}, TRUE, 0u},
        {"absent value is not created", std::nullopt, {50, 100, 60, 110}, FALSE, std::nullopt},
        {"8-byte value is deleted", std::vector<BYTE>(8, 0), {50, 100, 60, 110}, FALSE, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HKEY hKey = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWndPosKey.c_str(), 0, KEY_ALL_ACCESS, &hKey),
                  ERROR_SUCCESS);
        RegDeleteValueW(hKey, kPosMessage);
        RegCloseKey(hKey);
        if (c.stored)
            SetRaw(kWndPosKey, kPosMessage, REG_DWORD, *c.stored);

        EXPECT_EQ(CWndPos(kPosMessage).SavePos(c.rc), c.bResult);
        DWORD dwType = 0;
        auto after = GetRaw(kWndPosKey, kPosMessage, &dwType);
        ASSERT_EQ(after.has_value(), c.after.has_value());
        if (after) {
            EXPECT_EQ(dwType, static_cast<DWORD>(REG_DWORD));
            EXPECT_EQ(*after, Bytes(*c.after));
            POINT pt{};
            EXPECT_TRUE(CWndPos(kPosMessage).LoadPos(pt));
            EXPECT_EQ(pt.x, c.rc.left < 0 ? 1 : c.rc.left);
            EXPECT_EQ(pt.y, c.rc.top < 0 ? 1 : c.rc.top);
        }
    }
}

TEST_F(ProductKey, MissingKeyReadsAsNothingAndCreatesNothing)
{
    ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, kRegControlKey), ERROR_SUCCESS);
    POINT pt{-3, -3};
    CWndPos pos(kPosStatusMain);
    EXPECT_FALSE(pos.LoadPos(pt));
    EXPECT_EQ(pt.x, -3);
    EXPECT_FALSE(pos.SavePos(RECT{10, 20, 30, 40}));
    pos.RemovePos();
    EXPECT_FALSE(KeyExists(kRegControlKey));

    CRegistry reg;
    EXPECT_FALSE(reg.Open(HKEY_LOCAL_MACHINE, kRegControlKey));
    DWORD dw = 9;
    EXPECT_FALSE(reg.QueryDWORD(dw, kRegPollingTime));
    EXPECT_EQ(dw, 9u);
}

} // namespace
