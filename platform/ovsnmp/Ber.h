// BER encoding and decoding of the subset SNMP uses: definite lengths,
// one-byte tags, INTEGER and the unsigned application types, OCTET STRING,
// NULL, OBJECT IDENTIFIER.
//
// The decoder is a cursor with a sticky error: every read is checked against
// the bytes left, and once anything is found wrong every further read returns
// a harmless default and the error stays set, so the caller checks once at
// the end. Sub-cursors over a constructed element's contents share the error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ovsnmp {

constexpr std::uint8_t kTagInteger = 0x02;
constexpr std::uint8_t kTagOctetString = 0x04;
constexpr std::uint8_t kTagNull = 0x05;
constexpr std::uint8_t kTagObjectId = 0x06;
constexpr std::uint8_t kTagSequence = 0x30;

// Longest object identifier accepted in either direction.
constexpr std::size_t kMaxSubIds = 256;

class CBerCursor {
public:
    // a_bError is the shared error flag; it must outlive the cursor.
    CBerCursor(const std::uint8_t* a_pb, std::size_t a_n, bool& a_bError)
        : m_pb(a_pb), m_n(a_pb ? a_n : 0), m_pbError(&a_bError)
    {
    }

    bool Failed() const { return *m_pbError; }
    bool AtEnd() const { return m_n == 0; }
    void Fail()
    {
        *m_pbError = true;
        m_n = 0;
    }

    // Reads one element: its tag and contents. False (and the error set)
    // when the header is bad or the contents run past the end.
    bool ReadElement(std::uint8_t& a_tag, const std::uint8_t*& a_pbContent, std::size_t& a_nContent);
    // Reads an element that must carry a_tag; returns a cursor over its
    // contents (empty after an error).
    CBerCursor ReadConstructed(std::uint8_t a_tag);
    // Contents of a primitive element that must carry a_tag.
    bool ReadPrimitive(std::uint8_t a_tag, const std::uint8_t*& a_pb, std::size_t& a_n);
    // INTEGER that must fit 32 bits signed; 0 after an error.
    std::int32_t ReadInt32();

private:
    const std::uint8_t* m_pb;
    std::size_t m_n;
    bool* m_pbError;
};

// Content decoders. Each returns false for contents that do not encode a
// value of the kind asked for.
// Two's complement, big-endian; redundant leading sign octets are accepted
// as long as the value fits 32 bits.
bool DecodeInt32(const std::uint8_t* a_pb, std::size_t a_n, std::int32_t& a_n32);
// Non-negative number that fits a_nBits (32 or 64). Four (or eight) octets
// with the top bit set are read as unsigned, as many agents send them.
bool DecodeUnsigned(const std::uint8_t* a_pb, std::size_t a_n, unsigned a_nBits, std::uint64_t& a_u);
// Sub-identifiers into a_adw (room for kMaxSubIds). Empty contents give
// no sub-identifier. A sub-identifier above 32 bits or more than
// kMaxSubIds of them fail.
bool DecodeObjectId(const std::uint8_t* a_pb, std::size_t a_n, std::uint32_t* a_adw, std::size_t& a_nCount);

// Whether an identifier can be encoded: 2 to kMaxSubIds sub-identifiers,
// first arc 0, 1 or 2, second below 40 under arcs 0 and 1, and the first
// two fitting one 32-bit sub-identifier.
bool IsEncodableObjectId(const std::uint32_t* a_adw, std::size_t a_n);

// Appends encodings to a byte vector. Constructed elements are written by
// Begin, their contents, then End, which fills in the length.
class CBerWriter {
public:
    explicit CBerWriter(std::vector<std::uint8_t>& a_ab) : m_ab(a_ab) {}

    std::size_t Begin(std::uint8_t a_tag);
    void End(std::size_t a_mark);

    void WriteInteger(std::int64_t a_n, std::uint8_t a_tag = kTagInteger);
    void WriteUnsigned(std::uint64_t a_u, std::uint8_t a_tag);
    void WriteBytes(std::uint8_t a_tag, const std::uint8_t* a_pb, std::size_t a_n);
    void WriteNull(std::uint8_t a_tag = kTagNull);
    // The caller checks IsEncodableObjectId first; anything else is written
    // as an empty identifier.
    void WriteObjectId(const std::uint32_t* a_adw, std::size_t a_n);

private:
    void WriteHeader(std::uint8_t a_tag, std::size_t a_n);

    std::vector<std::uint8_t>& m_ab;
};

} // namespace ovsnmp
