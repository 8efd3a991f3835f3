// CBerReader: headers, integers, identifiers and the decoding of whole BER
// values into CMibValue, as tables of encodings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BerReader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cat(Bytes a_head, const Bytes& a_tail)
{
    a_head.insert(a_head.end(), a_tail.begin(), a_tail.end());
    return a_head;
}

TEST(BerReader, Headers)
{
    struct Case {
        const char* name;
        Bytes bytes;
        bool ok;
        std::uint8_t tag;
        std::size_t nContent;
        std::size_t nHeader;
    } cases[] = {
        {"short form", {0x04, 0x02, 'h', 'i'}, true, 0x04, 2, 2},
        {"short form, bytes after the element", {0x02, 0x01, 0x05, 0xFF}, true, 0x02, 1, 2},
        {"one length byte", Cat({0x04, 0x81, 0x80}, Bytes(0x80, 'x')), true, 0x04, 0x80, 3},
        {"two length bytes", Cat({0x04, 0x82, 0x01, 0x00}, Bytes(0x100, 'x')), true, 0x04, 0x100, 4},
        {"long form of a short length", {0x02, 0x81, 0x01, 0x07}, true, 0x02, 1, 3},
        {"indefinite length", {0x04, 0x80, 'a', 0x00, 0x00}, false, 0, 0, 0},
        {"five length bytes", {0x04, 0x85, 0, 0, 0, 0, 1, 'a'}, false, 0, 0, 0},
        {"length bytes cut off", {0x04, 0x82, 0x01}, false, 0, 0, 0},
        {"contents cut off", {0x04, 0x05, 'a', 'b'}, false, 0, 0, 0},
        {"long length past the end", {0x04, 0x84, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}, false, 0, 0, 0},
        {"tag only", {0x04}, false, 0, 0, 0},
        {"nothing", {}, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint8_t tag = 0;
        std::size_t n = 99;
        const std::uint8_t* pb = nullptr;
        ASSERT_EQ(CBerReader::ReadHeader(c.bytes.data(), c.bytes.size(), tag, n, pb), c.ok);
        if (c.ok) {
            EXPECT_EQ(tag, c.tag);
            EXPECT_EQ(n, c.nContent);
            EXPECT_EQ(pb, c.bytes.data() + c.nHeader);
        }
    }
    // Empty contents have no pointer.
    const Bytes null = {0x05, 0x00};
    std::uint8_t tag;
    std::size_t n = 99;
    const std::uint8_t* pb = null.data();
    ASSERT_TRUE(CBerReader::ReadHeader(null.data(), null.size(), tag, n, pb));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(pb, nullptr);
}

TEST(BerReader, Integers)
{
    struct Case {
        std::uint8_t tag;
        Bytes contents;
        bool ok;
        std::uint32_t value;
    } cases[] = {
        {0x02, {0x05}, true, 5},
        {0x02, {0xFF}, true, 0xFFFFFFFF},
        {0x02, {0x7F, 0xFF}, true, 0x7FFF},
        {0x02, {0xFE, 0xED, 0x90}, true, 0xFFFEED90},
        {0x02, {0x80, 0x00, 0x00, 0x00}, true, 0x80000000},
        {0x02, {0x00, 0xFF, 0xFF, 0xFF, 0xFF}, false, 0},  // five octets are no INTEGER
        {0x02, {}, false, 0},
        {0x41, {0x00, 0xFF, 0xFF, 0xFF, 0xFF}, true, 0xFFFFFFFF},
        {0x42, {0x00, 0x80, 0x00, 0x00, 0x00}, true, 0x80000000},
        {0x43, {0x00, 0x00, 0x00, 0x00, 0x2A}, true, 42},
        {0x41, {0x01, 0x00, 0x00, 0x00, 0x00}, false, 0},  // above 32 bits
        {0x41, {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, false, 0},
        {0x43, {0x84, 0x00, 0x15}, true, 0xFF840015},  // two's complement, as for INTEGER
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "tag " << int(c.tag) << ", " << c.contents.size() << " octets");
        std::uint32_t dw = 12345;
        ASSERT_EQ(CBerReader::ReadInteger(c.tag, c.contents.data(), c.contents.size(), dw), c.ok);
        EXPECT_EQ(dw, c.ok ? c.value : 12345u);
    }
}

TEST(BerReader, ObjectIdentifiers)
{
    struct Case {
        Bytes contents;
        const char* text;  // nullptr: fails
    } cases[] = {
        {{0x2B, 0x06, 0x01, 0x02, 0x01, 0x19, 0x03, 0x02, 0x01, 0x03, 0x01}, "1.3.6.1.2.1.25.3.2.1.3.1"},
        {{0x2B}, "1.3"},
        {{0x2B, 0x06, 0x01, 0x04, 0x01, 0x81, 0xFD, 0x59}, "1.3.6.1.4.1.32473"},
        {{0x2B, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F}, "1.3.4294967295"},
        {{0x2B, 0x90, 0x80, 0x80, 0x80, 0x00}, nullptr},        // 2^32: above 32 bits
        {{0x2B, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01}, nullptr},  // five continuation octets
        {{0x2B, 0x06, 0x81}, nullptr},                          // cut in the middle
        {{0x2C, 0x06, 0x01}, nullptr},                          // not under 1.3
        {{0x06, 0x01}, nullptr},
        {{}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "fails");
        std::size_t nSize = 0;
        const CBerReader::Result first = CBerReader::ReadObjectId(c.contents.data(), c.contents.size(), nullptr, nSize);
        if (!c.text) {
            EXPECT_EQ(first, CBerReader::Result::Failed);
            continue;
        }
        // The size-needed answer: the text and its terminating zero.
        ASSERT_EQ(first, CBerReader::Result::BufferTooSmall);
        const std::string expected = c.text;
        ASSERT_EQ(nSize, expected.size() + 1);
        std::string buffer(nSize, '#');
        std::size_t nShort = nSize - 1;
        EXPECT_EQ(CBerReader::ReadObjectId(c.contents.data(), c.contents.size(), buffer.data(), nShort),
                  CBerReader::Result::BufferTooSmall);
        EXPECT_EQ(nShort, nSize);
        EXPECT_EQ(buffer, std::string(nSize, '#'));  // nothing written
        ASSERT_EQ(CBerReader::ReadObjectId(c.contents.data(), c.contents.size(), buffer.data(), nSize),
                  CBerReader::Result::Ok);
        EXPECT_EQ(std::string(buffer.c_str()), expected);
    }
}

// Whole values into a CMibValue that held an integer 7 before.
TEST(BerReader, DecodesValuesByTag)
{
    struct Case {
        const char* name;
        Bytes ber;
        std::int32_t type;
        std::int32_t length;
        std::uint32_t number;
        Bytes bytes;
    } cases[] = {
        {"INTEGER", {0x02, 0x02, 0xFC, 0x18}, typeInteger, 4, 0xFFFFFC18, {}},
        {"Counter 2^32-1", {0x41, 0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, typeCounter, 4, 0xFFFFFFFF, {}},
        {"Gauge", {0x42, 0x01, 0x50}, typeGauge, 4, 80, {}},
        {"TimeTicks", {0x43, 0x03, 0x01, 0x00, 0x00}, typeTimeTickes, 4, 0x10000, {}},
        {"OCTET STRING", {0x04, 0x03, 'O', 0x00, 'K'}, typeOctetString, 3, 0, {'O', 0x00, 'K'}},
        {"empty OCTET STRING", {0x04, 0x00}, typeOctetString, 0, 0, {}},
        {"NULL", {0x05, 0x00}, typeNull, 0, 0, {}},
        {"OBJECT IDENTIFIER", {0x06, 0x05, 0x2B, 0x06, 0x01, 0x02, 0x01}, typeObjectIdentifier, 11, 0,
         {'1', '.', '3', '.', '6', '.', '1', '.', '2', '.', '1'}},
        {"IpAddress", {0x40, 0x04, 127, 0, 0, 11}, typeIpAddress, 4, 0, {127, 0, 0, 11}},
        // Integers that do not decode leave nothing behind.
        {"five-octet INTEGER", {0x02, 0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, typeUnavailable, 0, 0, {}},
        {"empty Counter", {0x41, 0x00}, typeUnavailable, 0, 0, {}},
        // Tags the reader does not decode, and identifiers it cannot read,
        // leave the value as it was.
        {"Opaque", {0x44, 0x02, 0x9F, 0x78}, typeInteger, 4, 7, {}},
        {"Counter64", {0x46, 0x01, 0x01}, typeInteger, 4, 7, {}},
        {"OBJECT IDENTIFIER not under 1.3", {0x06, 0x02, 0x2C, 0x01}, typeInteger, 4, 7, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMibValue v(CObjectId("1.3.6.1.9"));
        v.SetInteger(7);
        v.SetTag(42);
        ASSERT_TRUE(CBerReader::Decode(c.ber.data(), c.ber.size(), v));
        EXPECT_EQ(v.GetType(), c.type);
        EXPECT_EQ(v.GetLength(), c.length);
        EXPECT_EQ(v.GetNumber(), c.number);
        EXPECT_EQ(Bytes(v.GetBytes(), v.GetBytes() + v.GetByteCount()), c.bytes);
        EXPECT_EQ(v.GetIdentifier().Format(), "1.3.6.1.9");
        EXPECT_EQ(v.GetTag(), 42);
    }
    // An octet string can be read as text; an identifier as an identifier.
    CMibValue v;
    const Bytes text = {0x04, 0x05, 'O', 'R', 'V', 'A', 'N'};
    ASSERT_TRUE(CBerReader::Decode(text.data(), text.size(), v));
    std::string s;
    EXPECT_TRUE(v.GetText(s));
    EXPECT_EQ(s, "ORVAN");
    const Bytes oid = {0x06, 0x03, 0x2B, 0x06, 0x01};
    ASSERT_TRUE(CBerReader::Decode(oid.data(), oid.size(), v));
    CObjectId id;
    EXPECT_TRUE(v.GetObjectId(id));
    EXPECT_EQ(id, CObjectId("1.3.6.1"));

    // A header that does not read leaves the value alone.
    const Bytes cut = {0x04, 0x09, 'a'};
    EXPECT_FALSE(CBerReader::Decode(cut.data(), cut.size(), v));
    EXPECT_TRUE(v.IsObjectIdentifier());
}

} // namespace
