// The remembered screen position of one dialog, kept under its position name
// in "Control\WndPos" of the product key. A position is remembered only where
// the installation created the value: saving never creates one, and a value
// that cannot be a position (wrong size) is deleted the first time it is met.
#pragma once

#include <windows.h>

#include <string>

class CWndPos {
public:
    explicit CWndPos(LPCWSTR a_pszName);

    // The stored top-left corner. FALSE, with a_pt unchanged, when the key or
    // the value cannot be read (an unreadable value is deleted); FALSE with
    // a_pt = (0, 0) when the value holds the no-position mark.
    BOOL LoadPos(POINT& a_pt);
    // Stores the rectangle's top-left corner into the existing value (a
    // negative coordinate is stored as 1). FALSE when nothing was written.
    BOOL SavePos(const RECT& a_rc);
    void RemovePos();

    // Value layout: low word left, high word top. A word of all ones in
    // either half means "no position".
    static bool IsNoPosition(DWORD a_dwValue)
    {
        return (a_dwValue & 0xFFFF) == 0xFFFF || a_dwValue >= 0xFFFF0000;
    }
    static DWORD Pack(LONG a_left, LONG a_top);

    const std::wstring& KeyPath() const { return m_strKey; }
    const std::wstring& Name() const { return m_strName; }

private:
    std::wstring m_strKey;
    std::wstring m_strName;
};

// Joins registry path parts with one backslash, added only where the part
// before does not already end with one.
std::wstring JoinKeyPath(std::initializer_list<LPCWSTR> a_parts);
