#include "Ber.h"

namespace ovsnmp {

bool CBerCursor::ReadElement(std::uint8_t& a_tag, const std::uint8_t*& a_pbContent, std::size_t& a_nContent)
{
    a_tag = 0;
    a_pbContent = nullptr;
    a_nContent = 0;
    if (Failed() || m_n < 2) {
        Fail();
        return false;
    }
    std::uint8_t tag = m_pb[0];
    // High tag numbers (low five bits all set) never occur in SNMP.
    if ((tag & 0x1F) == 0x1F) {
        Fail();
        return false;
    }
    std::size_t nHeader = 2;
    std::size_t nLength = m_pb[1];
    if (nLength & 0x80) {
        std::size_t nOctets = nLength & 0x7F;
        // 0x80 is the indefinite form, which SNMP does not allow; more than
        // four length octets cannot describe a datagram.
        if (nOctets == 0 || nOctets > 4 || m_n - 2 < nOctets) {
            Fail();
            return false;
        }
        nLength = 0;
        for (std::size_t i = 0; i < nOctets; ++i)
            nLength = (nLength << 8) | m_pb[2 + i];
        nHeader += nOctets;
    }
    if (nLength > m_n - nHeader) {
        Fail();
        return false;
    }
    a_tag = tag;
    a_pbContent = m_pb + nHeader;
    a_nContent = nLength;
    m_pb += nHeader + nLength;
    m_n -= nHeader + nLength;
    return true;
}

CBerCursor CBerCursor::ReadConstructed(std::uint8_t a_tag)
{
    std::uint8_t tag;
    const std::uint8_t* pb;
    std::size_t n;
    if (!ReadElement(tag, pb, n) || tag != a_tag) {
        Fail();
        return CBerCursor(nullptr, 0, *m_pbError);
    }
    return CBerCursor(pb, n, *m_pbError);
}

bool CBerCursor::ReadPrimitive(std::uint8_t a_tag, const std::uint8_t*& a_pb, std::size_t& a_n)
{
    std::uint8_t tag;
    if (!ReadElement(tag, a_pb, a_n) || tag != a_tag) {
        Fail();
        a_pb = nullptr;
        a_n = 0;
        return false;
    }
    return true;
}

std::int32_t CBerCursor::ReadInt32()
{
    const std::uint8_t* pb;
    std::size_t n;
    std::int32_t value = 0;
    if (!ReadPrimitive(kTagInteger, pb, n) || !DecodeInt32(pb, n, value)) {
        Fail();
        return 0;
    }
    return value;
}

bool DecodeInt32(const std::uint8_t* a_pb, std::size_t a_n, std::int32_t& a_n32)
{
    if (a_n == 0)
        return false;
    const bool bNegative = (a_pb[0] & 0x80) != 0;
    // Drop redundant sign octets: they do not change the value.
    while (a_n > 1 && a_pb[0] == (bNegative ? 0xFF : 0x00) &&
           ((a_pb[1] & 0x80) != 0) == bNegative) {
        ++a_pb;
        --a_n;
    }
    if (a_n > 4)
        return false;
    std::uint32_t u = bNegative ? 0xFFFFFFFFu : 0;
    for (std::size_t i = 0; i < a_n; ++i)
        u = (u << 8) | a_pb[i];
    a_n32 = static_cast<std::int32_t>(u);
    return true;
}

bool DecodeUnsigned(const std::uint8_t* a_pb, std::size_t a_n, unsigned a_nBits, std::uint64_t& a_u)
{
    if (a_n == 0)
        return false;
    const std::size_t nMax = a_nBits / 8;
    // Encoded as negative: read as unsigned only when it has exactly the
    // type's full width (what some agents send for large counters); a
    // shorter negative number cannot be a counter.
    if ((a_pb[0] & 0x80) && a_n != nMax)
        return false;
    while (a_n > 1 && a_pb[0] == 0) {
        ++a_pb;
        --a_n;
    }
    if (a_n > nMax)
        return false;
    std::uint64_t u = 0;
    for (std::size_t i = 0; i < a_n; ++i)
        u = (u << 8) | a_pb[i];
    a_u = u;
    return true;
}

bool DecodeObjectId(const std::uint8_t* a_pb, std::size_t a_n, std::uint32_t* a_adw, std::size_t& a_nCount)
{
    a_nCount = 0;
    std::size_t i = 0;
    bool bFirst = true;
    while (i < a_n) {
        std::uint64_t value = 0;
        std::size_t nOctets = 0;
        std::uint8_t b;
        do {
            if (i >= a_n)
                return false;  // continuation bit on the last octet
            b = a_pb[i++];
            value = (value << 7) | (b & 0x7F);
            // Five octets hold 35 bits; anything above 32 bits is not a
            // sub-identifier (the first octet of a 5-octet one is at most 0x8F).
            if (++nOctets > 5 || value > 0xFFFFFFFFull)
                return false;
        } while (b & 0x80);
        if (bFirst) {
            // The first octets carry the first two arcs: X * 40 + Y.
            std::uint32_t dwFirst = value < 40 ? 0 : value < 80 ? 1 : 2;
            if (a_nCount + 2 > kMaxSubIds)
                return false;
            a_adw[a_nCount++] = dwFirst;
            a_adw[a_nCount++] = static_cast<std::uint32_t>(value - 40u * dwFirst);
            bFirst = false;
        } else {
            if (a_nCount + 1 > kMaxSubIds)
                return false;
            a_adw[a_nCount++] = static_cast<std::uint32_t>(value);
        }
    }
    return true;
}

bool IsEncodableObjectId(const std::uint32_t* a_adw, std::size_t a_n)
{
    if (!a_adw || a_n < 2 || a_n > kMaxSubIds || a_adw[0] > 2)
        return false;
    if (a_adw[0] < 2)
        return a_adw[1] < 40;
    return a_adw[1] <= 0xFFFFFFFFu - 80;
}

void CBerWriter::WriteHeader(std::uint8_t a_tag, std::size_t a_n)
{
    m_ab.push_back(a_tag);
    if (a_n < 0x80) {
        m_ab.push_back(static_cast<std::uint8_t>(a_n));
        return;
    }
    std::uint8_t ab[4];
    std::size_t nOctets = 0;
    for (std::size_t n = a_n; n; n >>= 8)
        ab[nOctets++] = static_cast<std::uint8_t>(n);
    m_ab.push_back(static_cast<std::uint8_t>(0x80 | nOctets));
    while (nOctets)
        m_ab.push_back(ab[--nOctets]);
}

std::size_t CBerWriter::Begin(std::uint8_t a_tag)
{
    m_ab.push_back(a_tag);
    m_ab.push_back(0);  // length, filled in by End
    return m_ab.size();
}

void CBerWriter::End(std::size_t a_mark)
{
    const std::size_t n = m_ab.size() - a_mark;
    if (n < 0x80) {
        m_ab[a_mark - 1] = static_cast<std::uint8_t>(n);
        return;
    }
    std::uint8_t ab[4];
    std::size_t nOctets = 0;
    for (std::size_t k = n; k; k >>= 8)
        ab[nOctets++] = static_cast<std::uint8_t>(k);
    m_ab[a_mark - 1] = static_cast<std::uint8_t>(0x80 | nOctets);
    m_ab.insert(m_ab.begin() + static_cast<std::ptrdiff_t>(a_mark), nOctets, 0);
    for (std::size_t i = 0; i < nOctets; ++i)
        m_ab[a_mark + i] = ab[nOctets - 1 - i];
}

void CBerWriter::WriteInteger(std::int64_t a_n, std::uint8_t a_tag)
{
    std::uint8_t ab[8];
    std::size_t n = 0;
    std::uint64_t u = static_cast<std::uint64_t>(a_n);
    for (std::size_t i = 0; i < 8; ++i)
        ab[7 - i] = static_cast<std::uint8_t>(u >> (8 * i));
    // Minimal two's complement: drop leading octets that only repeat the sign.
    std::size_t first = 0;
    while (first < 7 && ((ab[first] == 0x00 && !(ab[first + 1] & 0x80)) ||
                         (ab[first] == 0xFF && (ab[first + 1] & 0x80))))
        ++first;
    n = 8 - first;
    WriteBytes(a_tag, ab + first, n);
}

void CBerWriter::WriteUnsigned(std::uint64_t a_u, std::uint8_t a_tag)
{
    std::uint8_t ab[9];
    ab[0] = 0;
    for (std::size_t i = 0; i < 8; ++i)
        ab[8 - i] = static_cast<std::uint8_t>(a_u >> (8 * i));
    std::size_t first = 0;
    while (first < 8 && ab[first] == 0 && !(ab[first + 1] & 0x80))
        ++first;
    WriteBytes(a_tag, ab + first, 9 - first);
}

void CBerWriter::WriteBytes(std::uint8_t a_tag, const std::uint8_t* a_pb, std::size_t a_n)
{
    WriteHeader(a_tag, a_pb ? a_n : 0);
    if (a_pb && a_n)
        m_ab.insert(m_ab.end(), a_pb, a_pb + a_n);
}

void CBerWriter::WriteNull(std::uint8_t a_tag)
{
    WriteHeader(a_tag, 0);
}

void CBerWriter::WriteObjectId(const std::uint32_t* a_adw, std::size_t a_n)
{
    std::size_t mark = Begin(kTagObjectId);
    if (IsEncodableObjectId(a_adw, a_n)) {
        auto put = [this](std::uint32_t dw) {
            std::uint8_t ab[5];
            std::size_t n = 0;
            do {
                ab[n++] = static_cast<std::uint8_t>(dw & 0x7F);
                dw >>= 7;
            } while (dw);
            while (n > 1)
                m_ab.push_back(static_cast<std::uint8_t>(ab[--n] | 0x80));
            m_ab.push_back(ab[0]);
        };
        put(a_adw[0] * 40 + a_adw[1]);
        for (std::size_t i = 2; i < a_n; ++i)
            put(a_adw[i]);
    }
    End(mark);
}

} // namespace ovsnmp
