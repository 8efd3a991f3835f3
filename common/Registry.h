// The thin wrapper through which every registry read and write of the
// programs goes. It opens existing keys only: the installation creates the
// keys, and a missing key simply makes every read fail so that the caller
// falls back to its default. One object holds at most one open key and is
// meant to be a short-lived local of one thread.
#pragma once

#include <windows.h>

#include <string>

class CRegistry {
public:
    // QueryString's buffer, in characters including the terminating zero:
    // texts of up to 256 characters read back (the Setup dialog accepts a
    // community of that length); longer ones fail.
    static constexpr DWORD kStringBuffer = 257;

    CRegistry() = default;
    virtual ~CRegistry();
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // Opens (never creates) a_pszPath below a_hRoot, closing any key this
    // object had open first. The programs open with full access even to read.
    BOOL Open(HKEY a_hRoot, LPCWSTR a_pszPath, REGSAM a_access = KEY_ALL_ACCESS);
    // FALSE when no key is open.
    BOOL Close();
    bool IsOpen() const { return m_hKey != nullptr; }

    // Reads a value of at most 4 bytes, whatever its type; shorter values
    // read zero-extended. On failure a_dwOut is left unchanged.
    BOOL QueryDWORD(DWORD& a_dwOut, LPCWSTR a_pszName) const;
    // Reads a REG_SZ or REG_EXPAND_SZ (not expanded) of at most
    // kStringBuffer characters with its zero; the text up to the first zero.
    // On failure a_strOut is left unchanged.
    BOOL QueryString(std::wstring& a_strOut, LPCWSTR a_pszName) const;
    BOOL SetDWORD(DWORD a_dwValue, LPCWSTR a_pszName);
    // A null a_pszName writes the key's default value.
    BOOL SetString(LPCWSTR a_pszText, LPCWSTR a_pszName);
    BOOL DeleteValue(LPCWSTR a_pszName);

private:
    HKEY m_hKey = nullptr;
};
