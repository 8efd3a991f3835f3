#include <gtest/gtest.h>

#include <memory>

#include "MibValue.h"

namespace {

const std::uint8_t kABzCD[] = {'A', 'B', 0, 'C', 'D'};

TEST(MibValue, NewValueIsNull)
{
    CMibValue v;
    EXPECT_EQ(v.GetType(), typeNull);
    EXPECT_EQ(v.GetLength(), 0);
    EXPECT_TRUE(v.GetIdentifier().IsEmpty());
    EXPECT_EQ(v.GetTag(), 0);
}

TEST(MibValue, GettersCheckTypeAndLeaveOutputAlone)
{
    CMibValue v;
    v.StoreNumber(7);
    v.SetTypeAndLength(typeCounter, 4);

    std::int32_t n = -5;
    EXPECT_FALSE(v.GetInteger(n));
    EXPECT_EQ(n, -5);
    std::uint32_t dw = 99;
    EXPECT_FALSE(v.GetGauge(dw));
    EXPECT_EQ(dw, 99u);
    EXPECT_TRUE(v.GetCounter(dw));
    EXPECT_EQ(dw, 7u);
    std::string text = "keep";
    EXPECT_FALSE(v.GetText(text));
    EXPECT_EQ(text, "keep");

    // A numeric type with another length is not a number.
    v.SetTypeAndLength(typeCounter, 2);
    dw = 99;
    EXPECT_FALSE(v.GetCounter(dw));
    EXPECT_EQ(dw, 99u);
}

TEST(MibValue, IntegerAndNull)
{
    CMibValue v;
    v.SetInteger(-3);
    std::int32_t n = 0;
    ASSERT_TRUE(v.GetInteger(n));
    EXPECT_EQ(n, -3);
    EXPECT_EQ(v.GetLength(), 4);
    v.SetNull();
    EXPECT_EQ(v.GetType(), typeNull);
    EXPECT_EQ(v.GetLength(), 0);
    EXPECT_FALSE(v.GetInteger(n));
}

TEST(MibValue, TextEndsAtFirstZeroButOctetsKeepAllBytes)
{
    CMibValue v;
    v.StoreBytesZ(kABzCD, sizeof kABzCD);
    v.SetTypeAndLength(typeOctetString, sizeof kABzCD);
    std::string text;
    ASSERT_TRUE(v.GetText(text));
    EXPECT_EQ(text, "AB");
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(v.GetOctets(bytes));
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(std::begin(kABzCD), std::end(kABzCD)));
    EXPECT_FALSE(v.GetIpAddress(bytes));
    // The terminating zero follows the counted bytes.
    EXPECT_EQ(v.GetBytes()[sizeof kABzCD], 0);
}

TEST(MibValue, LengthBeyondStoredBytesIsNeverRead)
{
    const std::uint8_t ip[] = {127, 0, 0, 1};
    CMibValue v;
    v.StoreBytes(ip, 4);
    v.SetTypeAndLength(typeIpAddress, 400);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(v.GetIpAddress(bytes));
    EXPECT_EQ(bytes.size(), 4u);
}

TEST(MibValue, ObjectIdentifierValueIsStoredAsText)
{
    const std::uint32_t sub[] = {1, 3, 6, 1, 4, 1, 32473, 4294967295u};
    CMibValue v;
    std::size_t len = v.StoreObjectId(sub, 8);
    v.SetTypeAndLength(typeObjectIdentifier, static_cast<std::int32_t>(len));
    EXPECT_EQ(len, std::string("1.3.6.1.4.1.32473.4294967295").size());
    CObjectId oid("9");
    ASSERT_TRUE(v.GetObjectId(oid));
    EXPECT_EQ(oid.Format(), "9.1.3.6.1.4.1.32473.4294967295");
}

TEST(MibValue, CopyIsDeepForEveryByteType)
{
    for (std::int32_t type : {typeBitString, typeOctetString, typeIpAddress, typeOpaque}) {
        auto source = std::make_unique<CMibValue>(CObjectId("1.3.6.1.2.1.1.5.0"));
        if (type == typeOctetString)
            source->StoreBytesZ(kABzCD, sizeof kABzCD);
        else
            source->StoreBytes(kABzCD, sizeof kABzCD);
        source->SetTypeAndLength(type, sizeof kABzCD);
        source->SetTag(42);

        CMibValue copy(*source);
        CMibValue assigned;
        assigned.SetInteger(1);
        assigned = *source;
        const std::uint8_t* sourceBytes = source->GetBytes();
        source.reset();  // the copies must not depend on the source's bytes

        for (const CMibValue* v : {&copy, &assigned}) {
            EXPECT_EQ(v->GetType(), type);
            EXPECT_EQ(v->GetLength(), static_cast<std::int32_t>(sizeof kABzCD));
            EXPECT_EQ(v->GetTag(), 42);
            EXPECT_EQ(v->GetIdentifier().Format(), "1.3.6.1.2.1.1.5.0");
            ASSERT_EQ(v->GetByteCount(), sizeof kABzCD);
            EXPECT_NE(v->GetBytes(), sourceBytes);
            EXPECT_EQ(0, memcmp(v->GetBytes(), kABzCD, sizeof kABzCD));
        }
    }
}

TEST(MibValue, Counter64CopiesBothWords)
{
    CMibValue v;
    v.StoreNumber(0x89ABCDEF, 0x01234567);
    v.SetTypeAndLength(typeCounter64, 8);
    CMibValue copy = v;
    EXPECT_EQ(copy.GetNumber(), 0x89ABCDEFu);
    EXPECT_EQ(copy.GetHighWord(), 0x01234567u);
}

TEST(MibValue, NewNumberOrUnavailableFreesBytes)
{
    CMibValue v;
    v.StoreBytesZ(kABzCD, 2);
    v.SetTypeAndLength(typeOctetString, 2);
    v.SetInteger(5);
    EXPECT_EQ(v.GetBytes(), nullptr);
    v.StoreBytes(kABzCD, 3);
    v.SetTypeAndLength(typeOpaque, 3);
    v.SetUnavailable();
    EXPECT_TRUE(v.IsUnavailable());
    EXPECT_EQ(v.GetBytes(), nullptr);
    EXPECT_EQ(v.GetLength(), 0);
}

TEST(MibValue, TypeNames)
{
    EXPECT_STREQ(MibTypeName(typeTimeTickes), "typeTimeTickes");
    EXPECT_STREQ(MibTypeName(typeUnavailable), "typeUnavailable");
    EXPECT_EQ(MibTypeName(1), nullptr);
}

} // namespace
