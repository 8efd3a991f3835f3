#include "Setup.h"

#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "Registry.h"

namespace {

// An owned registry key of the installation (which, unlike the programs,
// creates keys).
class CKey {
public:
    CKey() = default;
    ~CKey()
    {
        if (m_hKey)
            RegCloseKey(m_hKey);
    }
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;

    LSTATUS Create(HKEY a_hRoot, const std::wstring& a_strPath)
    {
        return RegCreateKeyExW(a_hRoot, a_strPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                               &m_hKey, nullptr);
    }
    LSTATUS Open(HKEY a_hRoot, const std::wstring& a_strPath)
    {
        return RegOpenKeyExW(a_hRoot, a_strPath.c_str(), 0, KEY_ALL_ACCESS, &m_hKey);
    }
    HKEY Get() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

std::wstring ErrorText(const std::wstring& a_strWhat, DWORD a_dwError)
{
    wchar_t* pszSystem = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, a_dwError, 0, reinterpret_cast<LPWSTR>(&pszSystem), 0, nullptr);
    std::wstring strText = a_strWhat + L" (error " + std::to_wstring(a_dwError);
    if (pszSystem) {
        std::wstring strSystem = pszSystem;
        LocalFree(pszSystem);
        while (!strSystem.empty() && std::iswspace(strSystem.back()))
            strSystem.pop_back();
        strText += L": " + strSystem;
    }
    return strText + L")";
}

bool SetDword(HKEY a_hKey, LPCWSTR a_pszName, DWORD a_dwValue, std::wstring& a_strError)
{
    const LSTATUS status = RegSetValueExW(a_hKey, a_pszName, 0, REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&a_dwValue), sizeof a_dwValue);
    if (status != ERROR_SUCCESS) {
        a_strError = ErrorText(std::wstring(L"cannot write \"") + a_pszName + L"\"", status);
        return false;
    }
    return true;
}

bool SetText(HKEY a_hKey, LPCWSTR a_pszName, const std::wstring& a_strValue, std::wstring& a_strError)
{
    const DWORD cb = static_cast<DWORD>((a_strValue.size() + 1) * sizeof(wchar_t));
    const LSTATUS status = RegSetValueExW(a_hKey, a_pszName, 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(a_strValue.c_str()), cb);
    if (status != ERROR_SUCCESS) {
        a_strError = ErrorText(std::wstring(L"cannot write \"") + (a_pszName ? a_pszName : L"") + L"\"",
                               status);
        return false;
    }
    return true;
}

bool CreateKey(CKey& a_key, const std::wstring& a_strPath, std::wstring& a_strError)
{
    const LSTATUS status = a_key.Create(HKEY_LOCAL_MACHINE, a_strPath);
    if (status != ERROR_SUCCESS) {
        a_strError = ErrorText(L"cannot create HKLM\\" + a_strPath, status);
        return false;
    }
    return true;
}

// A raw registry value, kept whatever its type so it can be put back as it was.
struct CRawValue {
    DWORD dwType = REG_NONE;
    std::vector<BYTE> data;
};

std::optional<CRawValue> ReadRaw(HKEY a_hRoot, const std::wstring& a_strKey, LPCWSTR a_pszName)
{
    CKey key;
    if (key.Open(a_hRoot, a_strKey) != ERROR_SUCCESS)
        return std::nullopt;
    CRawValue value;
    DWORD cb = 0;
    if (RegQueryValueExW(key.Get(), a_pszName, nullptr, &value.dwType, nullptr, &cb) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(cb);
    if (RegQueryValueExW(key.Get(), a_pszName, nullptr, &value.dwType, value.data.data(), &cb) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(cb);
    return value;
}

// Deletes a_strPath and then each parent that is left empty, up to (not
// including) the first-level key such as SOFTWARE.
void DeleteEmptyKeys(std::wstring a_strPath)
{
    for (;;) {
        const std::size_t nSlash = a_strPath.rfind(L'\\');
        if (nSlash == std::wstring::npos)
            return;
        {
            CKey key;
            if (key.Open(HKEY_LOCAL_MACHINE, a_strPath) == ERROR_SUCCESS) {
                DWORD dwSubkeys = 0, dwValues = 0;
                if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &dwSubkeys, nullptr,
                                     nullptr, &dwValues, nullptr, nullptr, nullptr,
                                     nullptr) != ERROR_SUCCESS ||
                    dwSubkeys != 0 || dwValues != 0)
                    return;
            }
        }
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, a_strPath.c_str());
        a_strPath.resize(nSlash);
    }
}

// One platform value that the installation may replace.
struct CPlatformValue {
    LPCWSTR pszTag;   // names its record under kRegSetupRecordKey
    LPCWSTR pszKey;
    LPCWSTR pszName;  // null: the key's default value
};
const CPlatformValue kPathName{L"PathName", kRegPlatformKey, kRegPathName};
const CPlatformValue kBrowser{L"Browser", kRegBrowserCommandKey, nullptr};
const CPlatformValue kQxapiInstallDir{L"QXAPIInstallDir", kRegQxapiKey, kRegQxapiInstallDir};

std::wstring RecordName(const CPlatformValue& a_value, LPCWSTR a_pszSuffix)
{
    return std::wstring(a_value.pszTag) + a_pszSuffix;
}

bool SetPlatformValue(const CPlatformValue& a_value, const std::wstring& a_strText,
                      std::wstring& a_strError)
{
    CKey record;
    if (!CreateKey(record, kRegSetupRecordKey, a_strError))
        return false;
    // Remember what was there before the first install that set it, once.
    const std::wstring strPrevious = RecordName(a_value, L"_Previous");
    const std::wstring strWasAbsent = RecordName(a_value, L"_WasAbsent");
    const bool bRecorded =
        RegQueryValueExW(record.Get(), strPrevious.c_str(), nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS ||
        RegQueryValueExW(record.Get(), strWasAbsent.c_str(), nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS;
    if (!bRecorded) {
        std::optional<CRawValue> old = ReadRaw(HKEY_LOCAL_MACHINE, a_value.pszKey, a_value.pszName);
        LSTATUS status;
        if (old) {
            status = RegSetValueExW(record.Get(), strPrevious.c_str(), 0, old->dwType,
                                    old->data.data(), static_cast<DWORD>(old->data.size()));
        } else {
            const DWORD dwOne = 1;
            status = RegSetValueExW(record.Get(), strWasAbsent.c_str(), 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&dwOne), sizeof dwOne);
        }
        if (status != ERROR_SUCCESS) {
            a_strError = ErrorText(L"cannot record the previous " + std::wstring(a_value.pszTag), status);
            return false;
        }
    }
    CKey key;
    return CreateKey(key, a_value.pszKey, a_strError) &&
           SetText(key.Get(), a_value.pszName, a_strText, a_strError);
}

// Puts back what the installation replaced, if it replaced anything.
void RestorePlatformValue(const CPlatformValue& a_value)
{
    CKey record;
    if (record.Open(HKEY_LOCAL_MACHINE, kRegSetupRecordKey) != ERROR_SUCCESS)
        return;
    const std::wstring strPrevious = RecordName(a_value, L"_Previous");
    const std::wstring strWasAbsent = RecordName(a_value, L"_WasAbsent");
    if (std::optional<CRawValue> old =
            ReadRaw(HKEY_LOCAL_MACHINE, kRegSetupRecordKey, strPrevious.c_str())) {
        CKey key;
        if (key.Create(HKEY_LOCAL_MACHINE, a_value.pszKey) == ERROR_SUCCESS)
            RegSetValueExW(key.Get(), a_value.pszName, 0, old->dwType, old->data.data(),
                           static_cast<DWORD>(old->data.size()));
    } else if (RegQueryValueExW(record.Get(), strWasAbsent.c_str(), nullptr, nullptr, nullptr,
                                nullptr) == ERROR_SUCCESS) {
        CKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, a_value.pszKey) == ERROR_SUCCESS)
            RegDeleteValueW(key.Get(), a_value.pszName);
        DeleteEmptyKeys(a_value.pszKey);
    }
    RegDeleteValueW(record.Get(), strPrevious.c_str());
    RegDeleteValueW(record.Get(), strWasAbsent.c_str());
}

bool CreateFolders(const std::wstring& a_strPath, std::wstring& a_strError)
{
    // Every prefix that ends before a backslash, then the whole path; a
    // drive ("C:") or an existing folder is fine.
    for (std::size_t n = 0; n <= a_strPath.size(); ++n) {
        if (n != a_strPath.size() && a_strPath[n] != L'\\' && a_strPath[n] != L'/')
            continue;
        const std::wstring strPart = a_strPath.substr(0, n);
        if (strPart.empty() || strPart.back() == L':')
            continue;
        if (!CreateDirectoryW(strPart.c_str(), nullptr)) {
            const DWORD dwError = GetLastError();
            const DWORD dwAttr = GetFileAttributesW(strPart.c_str());
            if (dwAttr == INVALID_FILE_ATTRIBUTES || !(dwAttr & FILE_ATTRIBUTE_DIRECTORY)) {
                a_strError = ErrorText(L"cannot create the folder " + strPart, dwError);
                return false;
            }
        }
    }
    return true;
}

void DeleteMatching(const std::wstring& a_strFolder, LPCWSTR a_pszPattern)
{
    WIN32_FIND_DATAW found;
    HANDLE hFind = FindFirstFileW((a_strFolder + L"\\" + a_pszPattern).c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW((a_strFolder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(hFind, &found));
    FindClose(hFind);
}

std::wstring WithoutTrailingBackslash(std::wstring a_strPath)
{
    while (a_strPath.size() > 1 && (a_strPath.back() == L'\\' || a_strPath.back() == L'/') &&
           a_strPath[a_strPath.size() - 2] != L':')
        a_strPath.pop_back();
    return a_strPath;
}

} // namespace

bool InstallProduct(const CSetupOptions& a_options, std::wstring& a_strError)
{
    if (a_options.strInstallDir.empty()) {
        a_strError = L"no install folder given";
        return false;
    }
    const std::wstring strFolder = WithoutTrailingBackslash(a_options.strInstallDir);
    if (!CreateFolders(strFolder + L"\\MapInfo", a_strError))
        return false;

    // Rebuilt from scratch, so that installing twice gives the same state.
    const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, kRegProductKey);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        a_strError = ErrorText(L"cannot remove the old HKLM\\" + std::wstring(kRegProductKey), status);
        return false;
    }
    {
        CKey product;
        if (!CreateKey(product, kRegProductKey, a_strError) ||
            !SetText(product.Get(), kRegInstall, a_options.strInstallDir, a_strError))
            return false;
        if (a_options.dwMainTrace && !SetDword(product.Get(), kRegMainTrace, *a_options.dwMainTrace, a_strError))
            return false;
        if (a_options.dwMibTrace && !SetDword(product.Get(), kRegMibTrace, *a_options.dwMibTrace, a_strError))
            return false;
    }
    {
        CKey control;
        if (!CreateKey(control, kRegControlKey, a_strError) ||
            !SetDword(control.Get(), kRegStatusWatch, a_options.dwStatusWatch, a_strError) ||
            !SetDword(control.Get(), kRegAutoSearch, a_options.dwAutoSearch, a_strError) ||
            !SetDword(control.Get(), kRegTrapAccept, a_options.dwTrapAccept, a_strError) ||
            !SetDword(control.Get(), kRegWriteEvent, a_options.dwWriteEvent, a_strError) ||
            !SetDword(control.Get(), kRegPollingTime, a_options.dwPollingTime, a_strError) ||
            !SetText(control.Get(), kRegCommunityName, a_options.strCommunityName, a_strError))
            return false;
    }
    {
        CKey wndPos;
        if (!CreateKey(wndPos, std::wstring(kRegControlKey) + L"\\" + kRegWndPosSubkey, a_strError))
            return false;
        for (LPCWSTR pszName : kAllPositionNames)
            if (!SetDword(wndPos.Get(), pszName, kNoPosition, a_strError))
                return false;
    }

    // Platform values: set when asked, otherwise back to what they were.
    for (auto [pValue, pText] : {std::pair{&kPathName, &a_options.strPathName},
                                 std::pair{&kBrowser, &a_options.strBrowserCommand},
                                 std::pair{&kQxapiInstallDir, &a_options.strQxapiInstallDir}}) {
        if (*pText) {
            if (!SetPlatformValue(*pValue, **pText, a_strError))
                return false;
        } else {
            RestorePlatformValue(*pValue);
        }
    }
    DeleteEmptyKeys(kRegSetupRecordKey);
    return true;
}

bool UninstallProduct(std::wstring& a_strError)
{
    std::wstring strFolder;
    {
        CRegistry reg;
        if (reg.Open(HKEY_LOCAL_MACHINE, kRegProductKey) && reg.QueryString(strFolder, kRegInstall))
            strFolder = WithoutTrailingBackslash(strFolder);
    }

    RestorePlatformValue(kPathName);
    RestorePlatformValue(kBrowser);
    RestorePlatformValue(kQxapiInstallDir);
    DeleteEmptyKeys(kRegSetupRecordKey);

    const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, kRegProductKey);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        a_strError = ErrorText(L"cannot remove HKLM\\" + std::wstring(kRegProductKey), status);
        return false;
    }
    DeleteEmptyKeys(kRegProductKey);

    // Only the files the programs write, then the folders if nothing else
    // was left in them: a folder given by mistake loses nothing of its own.
    if (!strFolder.empty()) {
        const std::wstring strMapInfo = strFolder + L"\\MapInfo";
        DeleteMatching(strMapInfo, L"*.map");
        RemoveDirectoryW(strMapInfo.c_str());
        DeleteMatching(strFolder, L"MainTrace*.log");
        DeleteMatching(strFolder, L"MibTrace*.log");
        RemoveDirectoryW(strFolder.c_str());
    }
    return true;
}

std::wstring TemporaryInstallDir(LPCWSTR a_pszTag)
{
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    std::wstring strFolder = (n == 0 || n > MAX_PATH) ? std::wstring(L"C:\\") : std::wstring(temp, n);
    if (strFolder.back() != L'\\')
        strFolder += L'\\';
    return strFolder + L"Lumet-" + a_pszTag;
}

// ---- command line ---------------------------------------------------------

const wchar_t kSetupUsage[] =
    L"usage: lumet-setup [options]       install (again) with these options\n"
    L"       lumet-setup /uninstall      remove what an install created\n"
    L"options:\n"
    L"  /dir:FOLDER            install folder (default C:\\Program Files\\Lumet\\Lumet for OpenView)\n"
    L"  /maintrace[:N]         \"Main_Trace\" = N (1 when no N); absent otherwise\n"
    L"  /mibtrace[:N]          \"Mib_Trace\" = N (1 when no N); absent otherwise\n"
    L"  /control:NAME=VALUE    a plug-in setting under \"Control\" instead of its default:\n"
    L"                         Status_Watch, Auto_Search, Trap_Accept, Write_Event,\n"
    L"                         Polling_Time (numbers), Community_Name (text)\n"
    L"  /pathname:FOLDER       the map platform's \"PathName\"\n"
    L"  /browser:COMMAND       the web browser command (http\\shell\\open\\command)\n"
    L"  /qxapidir:FOLDER       the maker's installer library folder (QXAPIInfo \"InstallDir\")\n";

namespace {

bool ParseNumber(const std::wstring& a_strText, DWORD& a_dwOut)
{
    if (a_strText.empty())
        return false;
    wchar_t* pEnd = nullptr;
    errno = 0;
    const unsigned long long n = std::wcstoull(a_strText.c_str(), &pEnd, 0);
    if (errno != 0 || *pEnd != L'\0' || n > 0xFFFFFFFFull || a_strText[0] == L'-')
        return false;
    a_dwOut = static_cast<DWORD>(n);
    return true;
}

bool SameName(const std::wstring& a_a, LPCWSTR a_pszB)
{
    return _wcsicmp(a_a.c_str(), a_pszB) == 0;
}

} // namespace

bool ParseSetupCommand(int a_argc, const wchar_t* const* a_argv, CSetupCommand& a_command,
                       std::wstring& a_strError)
{
    a_command = CSetupCommand{};
    CSetupOptions& options = a_command.options;
    for (int i = 0; i < a_argc; ++i) {
        const std::wstring strArg = a_argv[i];
        if (strArg.size() < 2 || (strArg[0] != L'/' && strArg[0] != L'-')) {
            a_strError = L"unexpected argument: " + strArg;
            return false;
        }
        const std::size_t nColon = strArg.find(L':');
        const std::wstring strName = strArg.substr(1, nColon == std::wstring::npos ? nColon : nColon - 1);
        const bool bHasValue = nColon != std::wstring::npos;
        const std::wstring strValue = bHasValue ? strArg.substr(nColon + 1) : std::wstring();

        if (SameName(strName, L"uninstall") && !bHasValue) {
            a_command.bUninstall = true;
        } else if ((SameName(strName, L"?") || SameName(strName, L"help")) && !bHasValue) {
            a_command.bHelp = true;
        } else if (SameName(strName, L"dir") && bHasValue && !strValue.empty()) {
            options.strInstallDir = strValue;
        } else if (SameName(strName, L"maintrace") || SameName(strName, L"mibtrace")) {
            DWORD dw = 1;
            if (bHasValue && !ParseNumber(strValue, dw)) {
                a_strError = L"not a number: " + strArg;
                return false;
            }
            (SameName(strName, L"maintrace") ? options.dwMainTrace : options.dwMibTrace) = dw;
        } else if (SameName(strName, L"control") && bHasValue) {
            const std::size_t nEq = strValue.find(L'=');
            const std::wstring strSetting = strValue.substr(0, nEq);
            const std::wstring strSettingValue =
                nEq == std::wstring::npos ? std::wstring() : strValue.substr(nEq + 1);
            if (nEq == std::wstring::npos) {
                a_strError = L"expected /control:NAME=VALUE: " + strArg;
                return false;
            }
            if (SameName(strSetting, kRegCommunityName)) {
                options.strCommunityName = strSettingValue;
                continue;
            }
            const std::pair<LPCWSTR, DWORD*> numbers[] = {
                {kRegStatusWatch, &options.dwStatusWatch}, {kRegAutoSearch, &options.dwAutoSearch},
                {kRegTrapAccept, &options.dwTrapAccept},   {kRegWriteEvent, &options.dwWriteEvent},
                {kRegPollingTime, &options.dwPollingTime},
            };
            bool bKnown = false;
            for (auto [pszName, pdw] : numbers) {
                if (!SameName(strSetting, pszName))
                    continue;
                bKnown = true;
                if (!ParseNumber(strSettingValue, *pdw)) {
                    a_strError = L"not a number: " + strArg;
                    return false;
                }
            }
            if (!bKnown) {
                a_strError = L"unknown setting: " + strSetting;
                return false;
            }
        } else if (SameName(strName, L"pathname") && bHasValue) {
            options.strPathName = strValue;
        } else if (SameName(strName, L"browser") && bHasValue) {
            options.strBrowserCommand = strValue;
        } else if (SameName(strName, L"qxapidir") && bHasValue) {
            options.strQxapiInstallDir = strValue;
        } else {
            a_strError = L"unknown option: " + strArg;
            return false;
        }
    }
    return true;
}
