// Our stand-in for the maker's installer library. QXAPISetup records the
// command text it was given and answers with a result code chosen from
// outside, so that a test or a person can play every verdict:
//
//   QXAPISET_RESULT   the result code (decimal, or hex with 0x); 1 (go on)
//                     when unset, 0x80000 (an error) when not a number
//   QXAPISet.log      beside the library: one line per call, the command
//                     text in UTF-8
#include "QXAPISet.h"

#include <cerrno>
#include <cwchar>
#include <string>

namespace {

HINSTANCE g_hModule = nullptr;

constexpr wchar_t kResultVariable[] = L"QXAPISET_RESULT";
constexpr wchar_t kLogName[] = L"QXAPISet.log";
constexpr DWORD kDefaultResult = kQxapiGoOn;
constexpr DWORD kBadSettingResult = 0x80000;

DWORD ConfiguredResult()
{
    wchar_t text[64] = {};
    const DWORD n = GetEnvironmentVariableW(kResultVariable, text, 64);
    if (n == 0)
        return kDefaultResult;
    if (n >= 64)
        return kBadSettingResult;
    wchar_t* pEnd = nullptr;
    errno = 0;
    const unsigned long long ull = std::wcstoull(text, &pEnd, 0);
    if (errno != 0 || pEnd == text || *pEnd != L'\0' || text[0] == L'-' || ull > 0xFFFFFFFFull)
        return kBadSettingResult;
    return static_cast<DWORD>(ull);
}

std::wstring LogPath()
{
    std::wstring strPath(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(g_hModule, strPath.data(), static_cast<DWORD>(strPath.size()));
        if (n == 0)
            return kLogName;
        if (n < strPath.size()) {
            strPath.resize(n);
            break;
        }
        strPath.resize(strPath.size() * 2);
    }
    return strPath.substr(0, strPath.rfind(L'\\') + 1) + kLogName;
}

void Record(LPCWSTR a_pszCommand)
{
    std::wstring strLine = a_pszCommand ? a_pszCommand : L"";
    strLine += L"\r\n";
    const int cb = WideCharToMultiByte(CP_UTF8, 0, strLine.c_str(), static_cast<int>(strLine.size()),
                                       nullptr, 0, nullptr, nullptr);
    if (cb <= 0)
        return;
    std::string strUtf8(static_cast<std::size_t>(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, strLine.c_str(), static_cast<int>(strLine.size()), strUtf8.data(),
                        cb, nullptr, nullptr);
    HANDLE hLog = CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hLog == INVALID_HANDLE_VALUE)
        return;
    DWORD dwWritten = 0;
    WriteFile(hLog, strUtf8.data(), static_cast<DWORD>(strUtf8.size()), &dwWritten, nullptr);
    CloseHandle(hLog);
}

} // namespace

extern "C" DWORD WINAPI QXAPISetup(LPCWSTR a_pszCommand, DWORD* a_pdwInfo, DWORD* a_pdwResult)
{
    Record(a_pszCommand);
    const DWORD dwResult = ConfiguredResult();
    if (a_pdwInfo)
        *a_pdwInfo = 0;
    if (a_pdwResult)
        *a_pdwResult = dwResult;
    return dwResult;
}

BOOL WINAPI DllMain(HINSTANCE a_hInstance, DWORD a_dwReason, LPVOID)
{
    if (a_dwReason == DLL_PROCESS_ATTACH)
        g_hModule = a_hInstance;
    return TRUE;
}
