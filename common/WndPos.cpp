#include "WndPos.h"

#include "ProductKeys.h"
#include "Registry.h"

std::wstring JoinKeyPath(std::initializer_list<LPCWSTR> a_parts)
{
    std::wstring path;
    for (LPCWSTR part : a_parts) {
        if (!path.empty() && path.back() != L'\\')
            path += L'\\';
        path += part;
    }
    return path;
}

CWndPos::CWndPos(LPCWSTR a_pszName)
    : m_strKey(JoinKeyPath({kRegProductKey, kRegControlSubkey, kRegWndPosSubkey})),
      m_strName(a_pszName ? a_pszName : L"")
{
}

DWORD CWndPos::Pack(LONG a_left, LONG a_top)
{
    // A window partly off the left or top edge (or on a monitor there) is
    // stored just inside it; the 16-bit halves cannot hold negatives.
    const DWORD dwLeft = a_left < 0 ? 1 : static_cast<DWORD>(a_left);
    const DWORD dwTop = a_top < 0 ? 1 : static_cast<DWORD>(a_top);
    return (dwTop << 16) | (dwLeft & 0xFFFF);
}

BOOL CWndPos::LoadPos(POINT& a_pt)
{
    CRegistry reg;
    if (!reg.Open(HKEY_LOCAL_MACHINE, m_strKey.c_str()))
        return FALSE;
    DWORD dwValue = 0;
    const BOOL bRead = reg.QueryDWORD(dwValue, m_strName.c_str());
    reg.Close();
    if (!bRead) {
        RemovePos();
        return FALSE;
    }
    if (IsNoPosition(dwValue)) {
        a_pt = POINT{0, 0};
        return FALSE;
    }
    a_pt = POINT{static_cast<LONG>(dwValue & 0xFFFF), static_cast<LONG>(dwValue >> 16)};
    return TRUE;
}

BOOL CWndPos::SavePos(const RECT& a_rc)
{
    CRegistry reg;
    if (!reg.Open(HKEY_LOCAL_MACHINE, m_strKey.c_str()))
        return FALSE;
    DWORD dwOld = 0;
    BOOL bWritten = FALSE;
    if (reg.QueryDWORD(dwOld, m_strName.c_str()))
        bWritten = reg.SetDWORD(Pack(a_rc.left, a_rc.top), m_strName.c_str());
    reg.Close();
    if (!bWritten)
        RemovePos();
    return bWritten;
}

void CWndPos::RemovePos()
{
    CRegistry reg;
    if (!reg.Open(HKEY_LOCAL_MACHINE, m_strKey.c_str()))
        return;
    reg.DeleteValue(m_strName.c_str());
    reg.Close();
}
