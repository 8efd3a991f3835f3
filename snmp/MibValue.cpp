#include "MibValue.h"

#include <algorithm>
#include <cstring>

const char* MibTypeName(std::int32_t a_nType)
{
    switch (a_nType) {
    case typeInteger: return "typeInteger";
    case typeBitString: return "typeBitString";
    case typeOctetString: return "typeOctetString";
    case typeNull: return "typeNull";
    case typeObjectIdentifier: return "typeObjectIdentifier";
    case typeUnsignedInteger: return "typeUnsignedInteger";
    case typeIpAddress: return "typeIpAddress";
    case typeCounter: return "typeCounter";
    case typeGauge: return "typeGauge";
    case typeTimeTickes: return "typeTimeTickes";
    case typeOpaque: return "typeOpaque";
    case typeCounter64: return "typeCounter64";
    case typeUnavailable: return "typeUnavailable";
    default: return nullptr;
    }
}

void CMibValue::SetInteger(std::int32_t a_n)
{
    StoreNumber(static_cast<std::uint32_t>(a_n));
    SetTypeAndLength(typeInteger, 4);
}

void CMibValue::SetNull()
{
    StoreNumber(0);
    SetTypeAndLength(typeNull, 0);
}

bool CMibValue::GetInteger(std::int32_t& a_n) const
{
    if (m_nType != typeInteger || m_nLength != 4)
        return false;
    a_n = static_cast<std::int32_t>(m_dwValue);
    return true;
}

bool CMibValue::GetUnsigned(std::int32_t a_nType, std::uint32_t& a_dw) const
{
    if (m_nType != a_nType || m_nLength != 4)
        return false;
    a_dw = m_dwValue;
    return true;
}

std::size_t CMibValue::GetByteCount() const
{
    // Never more than what is stored, whatever length a transport set.
    std::size_t nStored = m_abBytes.size();
    if (m_nType == typeOctetString || m_nType == typeObjectIdentifier)
        nStored = nStored ? nStored - 1 : 0;
    return m_nLength < 0 ? 0 : std::min(nStored, static_cast<std::size_t>(m_nLength));
}

bool CMibValue::GetBytesOf(std::int32_t a_nType, std::vector<std::uint8_t>& a_ab) const
{
    if (m_nType != a_nType)
        return false;
    std::size_t n = GetByteCount();
    a_ab.assign(m_abBytes.begin(), m_abBytes.begin() + static_cast<std::ptrdiff_t>(n));
    return true;
}

bool CMibValue::GetText(std::string& a_str) const
{
    if (m_nType != typeOctetString)
        return false;
    const std::uint8_t* pb = m_abBytes.data();
    std::size_t n = GetByteCount();
    const void* pZero = n ? std::memchr(pb, 0, n) : nullptr;
    if (pZero)
        n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(pZero) - pb);
    a_str.assign(reinterpret_cast<const char*>(pb), n);
    return true;
}

bool CMibValue::GetObjectId(CObjectId& a_oid) const
{
    if (m_nType != typeObjectIdentifier)
        return false;
    std::size_t n = GetByteCount();
    a_oid.Parse(std::string_view(reinterpret_cast<const char*>(m_abBytes.data()), n));
    return true;
}

void CMibValue::StoreBytesZ(const std::uint8_t* a_pb, std::size_t a_n)
{
    m_dwValue = 0;
    m_dwHigh = 0;
    m_abBytes.assign(a_pb, a_pb + (a_pb ? a_n : 0));
    m_abBytes.push_back(0);
}

void CMibValue::StoreBytes(const std::uint8_t* a_pb, std::size_t a_n)
{
    m_dwValue = 0;
    m_dwHigh = 0;
    m_abBytes.assign(a_pb, a_pb + (a_pb ? a_n : 0));
}

std::size_t CMibValue::StoreObjectId(const std::uint32_t* a_pdw, std::size_t a_n)
{
    CObjectId oid;
    for (std::size_t i = 0; i < a_n; ++i)
        oid.Append(a_pdw[i]);
    std::string text = oid.Format();
    StoreBytesZ(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return text.size();
}

void CMibValue::StoreNumber(std::uint32_t a_dwValue, std::uint32_t a_dwHigh)
{
    FreeBytes();
    m_dwValue = a_dwValue;
    m_dwHigh = a_dwHigh;
}

void CMibValue::SetTypeAndLength(std::int32_t a_nType, std::int32_t a_nLength)
{
    m_nType = a_nType;
    m_nLength = a_nLength;
}

void CMibValue::SetUnavailable()
{
    StoreNumber(0);
    SetTypeAndLength(typeUnavailable, 0);
}
