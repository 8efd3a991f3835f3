#include "Registry.h"

#include <cstring>

CRegistry::~CRegistry()
{
    Close();
}

BOOL CRegistry::Open(HKEY a_hRoot, LPCWSTR a_pszPath, REGSAM a_access)
{
    if (a_hRoot == nullptr)
        return FALSE;
    Close();
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(a_hRoot, a_pszPath, 0, a_access, &hKey) != ERROR_SUCCESS)
        return FALSE;
    m_hKey = hKey;
    return TRUE;
}

BOOL CRegistry::Close()
{
    if (m_hKey == nullptr)
        return FALSE;
    if (RegCloseKey(m_hKey) != ERROR_SUCCESS)
        return FALSE;
    m_hKey = nullptr;
    return TRUE;
}

BOOL CRegistry::QueryDWORD(DWORD& a_dwOut, LPCWSTR a_pszName) const
{
    if (m_hKey == nullptr)
        return FALSE;
    DWORD dwValue = 0;
    DWORD cb = sizeof dwValue;
    // A longer value fails with ERROR_MORE_DATA: it is not a DWORD setting.
    if (RegQueryValueExW(m_hKey, a_pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(&dwValue),
                         &cb) != ERROR_SUCCESS)
        return FALSE;
    a_dwOut = dwValue;
    return TRUE;
}

BOOL CRegistry::QueryString(std::wstring& a_strOut, LPCWSTR a_pszName) const
{
    if (a_pszName == nullptr || m_hKey == nullptr)
        return FALSE;
    // One spare character: the stored text need not end with a zero.
    wchar_t buffer[kStringBuffer + 1] = {};
    DWORD dwType = 0;
    DWORD cb = kStringBuffer * sizeof(wchar_t);
    if (RegQueryValueExW(m_hKey, a_pszName, nullptr, &dwType, reinterpret_cast<BYTE*>(buffer),
                         &cb) != ERROR_SUCCESS)
        return FALSE;
    if (dwType != REG_SZ && dwType != REG_EXPAND_SZ)
        return FALSE;
    const std::size_t nLen = wcsnlen(buffer, cb / sizeof(wchar_t));
    if (nLen >= kStringBuffer)  // stored without its zero, one character too long
        return FALSE;
    a_strOut.assign(buffer, nLen);
    return TRUE;
}

BOOL CRegistry::SetDWORD(DWORD a_dwValue, LPCWSTR a_pszName)
{
    if (a_pszName == nullptr || m_hKey == nullptr)
        return FALSE;
    return RegSetValueExW(m_hKey, a_pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&a_dwValue),
                          sizeof a_dwValue) == ERROR_SUCCESS;
}

BOOL CRegistry::SetString(LPCWSTR a_pszText, LPCWSTR a_pszName)
{
    if (a_pszText == nullptr || m_hKey == nullptr)
        return FALSE;
    const DWORD cb = static_cast<DWORD>((wcslen(a_pszText) + 1) * sizeof(wchar_t));
    return RegSetValueExW(m_hKey, a_pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(a_pszText),
                          cb) == ERROR_SUCCESS;
}

BOOL CRegistry::DeleteValue(LPCWSTR a_pszName)
{
    if (a_pszName == nullptr || m_hKey == nullptr)
        return FALSE;
    return RegDeleteValueW(m_hKey, a_pszName) == ERROR_SUCCESS;
}
