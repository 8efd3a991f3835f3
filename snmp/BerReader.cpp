#include "BerReader.h"

#include <cstring>
#include <string>

namespace {

constexpr std::uint8_t kTagInteger = 0x02;
constexpr std::uint8_t kTagOctetString = 0x04;
constexpr std::uint8_t kTagNull = 0x05;
constexpr std::uint8_t kTagObjectId = 0x06;
constexpr std::uint8_t kTagIpAddress = 0x40;
constexpr std::uint8_t kTagCounter = 0x41;
constexpr std::uint8_t kTagGauge = 0x42;
constexpr std::uint8_t kTagTimeTicks = 0x43;

bool IsUnsignedTag(std::uint8_t a_tag)
{
    return a_tag == kTagCounter || a_tag == kTagGauge || a_tag == kTagTimeTicks;
}

} // namespace

bool CBerReader::ReadHeader(const std::uint8_t* a_pb, std::size_t a_n, std::uint8_t& a_tag,
                            std::size_t& a_nContent, const std::uint8_t*& a_pbContent)
{
    if (!a_pb || a_n < 2)
        return false;
    std::size_t nHeader = 2;
    std::size_t nLength = a_pb[1];
    if (nLength & 0x80) {
        const std::size_t nOctets = nLength & 0x7F;
        // 0x80 alone would be the indefinite form, which has no length.
        if (nOctets == 0 || nOctets > 4 || a_n - 2 < nOctets)
            return false;
        nLength = 0;
        for (std::size_t i = 0; i < nOctets; ++i)
            nLength = (nLength << 8) | a_pb[2 + i];
        nHeader += nOctets;
    }
    if (nLength > a_n - nHeader)
        return false;
    a_tag = a_pb[0];
    a_nContent = nLength;
    a_pbContent = nLength ? a_pb + nHeader : nullptr;
    return true;
}

bool CBerReader::ReadInteger(std::uint8_t a_tag, const std::uint8_t* a_pb, std::size_t a_n, std::uint32_t& a_dw)
{
    if (!a_pb)
        return false;
    if (a_n == 5 && IsUnsignedTag(a_tag) && a_pb[0] == 0) {
        ++a_pb;
        a_n = 4;
    }
    if (a_n < 1 || a_n > 4)
        return false;
    // The sign of the first octet fills the bits above the contents.
    std::uint32_t dw = (a_pb[0] & 0x80) ? 0xFFFFFFFFu : 0;
    for (std::size_t i = 0; i < a_n; ++i)
        dw = (dw << 8) | a_pb[i];
    a_dw = dw;
    return true;
}

CBerReader::Result CBerReader::ReadObjectId(const std::uint8_t* a_pb, std::size_t a_n, char* a_buffer,
                                            std::size_t& a_nSize)
{
    if (!a_pb || a_n == 0 || a_pb[0] != 0x2B)
        return Result::Failed;
    std::string text = "1.3";
    std::size_t i = 1;
    while (i < a_n) {
        std::uint64_t value = 0;
        std::size_t nOctets = 0;
        std::uint8_t b;
        do {
            // A continuation bit on the last octet: the identifier is cut.
            if (i >= a_n)
                return Result::Failed;
            b = a_pb[i++];
            value = (value << 7) | (b & 0x7F);
            // At most 4 continuation octets, and the value must fit 32 bits.
            if (++nOctets > 5 || value > 0xFFFFFFFFull)
                return Result::Failed;
        } while (b & 0x80);
        text += '.';
        text += std::to_string(value);
    }
    if (!a_buffer || a_nSize < text.size() + 1) {
        a_nSize = text.size() + 1;
        return Result::BufferTooSmall;
    }
    std::memcpy(a_buffer, text.c_str(), text.size() + 1);
    return Result::Ok;
}

bool CBerReader::Decode(const std::uint8_t* a_pb, std::size_t a_n, CMibValue& a_value)
{
    std::uint8_t tag;
    std::size_t n;
    const std::uint8_t* pb;
    if (!ReadHeader(a_pb, a_n, tag, n, pb))
        return false;
    const std::int32_t nLength = static_cast<std::int32_t>(n);
    switch (tag) {
    case kTagInteger:
    case kTagCounter:
    case kTagGauge:
    case kTagTimeTicks: {
        std::uint32_t dw;
        if (!ReadInteger(tag, pb, n, dw)) {
            a_value.SetUnavailable();
            break;
        }
        a_value.StoreNumber(dw);
        a_value.SetTypeAndLength(tag == kTagInteger   ? typeInteger
                                 : tag == kTagCounter ? typeCounter
                                 : tag == kTagGauge   ? typeGauge
                                                      : typeTimeTickes,
                                 4);
        break;
    }
    case kTagOctetString:
        a_value.StoreBytesZ(pb, n);
        a_value.SetTypeAndLength(typeOctetString, nLength);
        break;
    case kTagNull:
        a_value.SetNull();
        break;
    case kTagObjectId: {
        std::size_t nSize = 0;
        if (ReadObjectId(pb, n, nullptr, nSize) != Result::BufferTooSmall)
            break;
        std::string text(nSize, '\0');
        if (ReadObjectId(pb, n, text.data(), nSize) != Result::Ok)
            break;
        text.resize(nSize - 1);
        a_value.StoreBytesZ(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        a_value.SetTypeAndLength(typeObjectIdentifier, static_cast<std::int32_t>(text.size()));
        break;
    }
    case kTagIpAddress:
        a_value.StoreBytes(pb, n);
        a_value.SetTypeAndLength(typeIpAddress, nLength);
        break;
    default:
        break;
    }
    return true;
}
