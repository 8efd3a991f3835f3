// One MIB variable: identifier, type code, typed value, and a tag the caller
// attaches (which display field or table slot the value belongs to).
//
// Byte-valued types own their bytes in a vector, so copies are deep and
// nothing can be freed twice. Octet strings and identifier texts keep one
// terminating zero byte after the counted bytes, so their contents can be
// handed to C string functions safely.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ObjectId.h"

enum MibType : std::int32_t {
    typeInteger = 2,
    typeBitString = 3,
    typeOctetString = 4,
    typeNull = 5,
    typeObjectIdentifier = 6,
    typeUnsignedInteger = 7,
    typeIpAddress = 64,
    typeCounter = 65,
    typeGauge = 66,
    typeTimeTickes = 67,
    typeOpaque = 68,
    typeCounter64 = 69,
    typeUnavailable = 255,
};

// The type code's name as used in traces and tool output ("typeGauge");
// nullptr for a code that is not in the table.
const char* MibTypeName(std::int32_t a_nType);

class CMibValue {
public:
    CMibValue() = default;
    explicit CMibValue(const CObjectId& a_oid) : m_oid(a_oid) {}

    void SetIdentifier(const CObjectId& a_oid) { m_oid = a_oid; }
    const CObjectId& GetIdentifier() const { return m_oid; }
    CObjectId& GetIdentifier() { return m_oid; }

    std::int32_t GetType() const { return m_nType; }
    std::int32_t GetLength() const { return m_nLength; }

    void SetInteger(std::int32_t a_n);
    void SetNull();

    // Getters return false and leave the output untouched on a type (or,
    // for numbers, length) mismatch.
    bool GetInteger(std::int32_t& a_n) const;
    bool GetCounter(std::uint32_t& a_dw) const { return GetUnsigned(typeCounter, a_dw); }
    bool GetGauge(std::uint32_t& a_dw) const { return GetUnsigned(typeGauge, a_dw); }
    bool GetTimeTicks(std::uint32_t& a_dw) const { return GetUnsigned(typeTimeTickes, a_dw); }
    bool GetOctets(std::vector<std::uint8_t>& a_ab) const { return GetBytesOf(typeOctetString, a_ab); }
    bool GetIpAddress(std::vector<std::uint8_t>& a_ab) const { return GetBytesOf(typeIpAddress, a_ab); }
    // An octet string as text: ends at the first zero byte.
    bool GetText(std::string& a_str) const;
    // Appends the stored identifier text's sub-identifiers to a_oid.
    bool GetObjectId(CObjectId& a_oid) const;

    bool IsInteger() const { return m_nType == typeInteger; }
    bool IsOctetString() const { return m_nType == typeOctetString; }
    bool IsObjectIdentifier() const { return m_nType == typeObjectIdentifier; }
    bool IsIpAddress() const { return m_nType == typeIpAddress; }
    bool IsCounter() const { return m_nType == typeCounter; }
    bool IsGauge() const { return m_nType == typeGauge; }
    bool IsTimeTicks() const { return m_nType == typeTimeTickes; }
    bool IsUnavailable() const { return m_nType == typeUnavailable; }

    void SetTag(std::int32_t a_nTag) { m_nTag = a_nTag; }
    std::int32_t GetTag() const { return m_nTag; }

    // Raw views for display and for encoding a set request.
    std::uint32_t GetNumber() const { return m_dwValue; }
    std::uint32_t GetHighWord() const { return m_dwHigh; }
    // The counted bytes of a byte-valued type (without the terminating zero).
    const std::uint8_t* GetBytes() const { return m_abBytes.empty() ? nullptr : m_abBytes.data(); }
    std::size_t GetByteCount() const;

    // ---- Filling by the transports only. The transport sets type and
    // length itself (SetTypeAndLength) after storing.
    // Bytes followed by one terminating zero (octet strings).
    void StoreBytesZ(const std::uint8_t* a_pb, std::size_t a_n);
    // Bytes as they are (bit strings, IP addresses, opaque).
    void StoreBytes(const std::uint8_t* a_pb, std::size_t a_n);
    // An identifier value stored as its dotted text; returns the text length.
    std::size_t StoreObjectId(const std::uint32_t* a_pdw, std::size_t a_n);
    // A number (and the upper half of a Counter64); frees owned bytes.
    void StoreNumber(std::uint32_t a_dwValue, std::uint32_t a_dwHigh = 0);
    void SetTypeAndLength(std::int32_t a_nType, std::int32_t a_nLength);
    // Frees owned bytes and marks the value as not obtained.
    void SetUnavailable();

private:
    bool GetUnsigned(std::int32_t a_nType, std::uint32_t& a_dw) const;
    bool GetBytesOf(std::int32_t a_nType, std::vector<std::uint8_t>& a_ab) const;
    void FreeBytes() { m_abBytes.clear(); m_abBytes.shrink_to_fit(); }

    CObjectId m_oid;
    std::int32_t m_nType = typeNull;
    std::uint32_t m_dwValue = 0;
    std::vector<std::uint8_t> m_abBytes;  // owned bytes of types 3, 4, 6, 64, 68
    std::uint32_t m_dwHigh = 0;
    std::int32_t m_nLength = 0;
    std::int32_t m_nTag = 0;
};
