#include <gtest/gtest.h>

#include "ObjectId.h"

namespace {

TEST(ObjectId, EmptyFormatsAsEmptyText)
{
    CObjectId oid;
    EXPECT_TRUE(oid.IsEmpty());
    EXPECT_EQ(oid.Format(), "");
}

TEST(ObjectId, ParseFormatRoundTrip)
{
    for (const char* text : {"1.3.6.1.2.1.25.3.2.1.3.1", "0", "4294967295.0.1"}) {
        CObjectId oid;
        EXPECT_TRUE(oid.Parse(text));
        EXPECT_EQ(oid.Format(), text);
    }
}

TEST(ObjectId, ParseAppendsAndStopsAtFirstBadToken)
{
    CObjectId oid;
    EXPECT_FALSE(oid.Parse("1.3.x.5"));
    EXPECT_EQ(oid.Format(), "1.3");
    EXPECT_TRUE(oid.Parse(" .6 1\t"));
    EXPECT_EQ(oid.Format(), "1.3.6.1");
}

TEST(ObjectId, SubIdentifierBeyond32BitsIsRejected)
{
    CObjectId oid;
    EXPECT_FALSE(oid.Parse("1.3.4294967296.7"));
    EXPECT_EQ(oid.Format(), "1.3");
}

TEST(ObjectId, StartsWith)
{
    const CObjectId row("1.3.6.1.2.1.43.18.1.1.8.1.5");
    const CObjectId table("1.3.6.1.2.1.43.18.1.1");
    const CObjectId other("1.3.6.1.2.1.43.11");
    EXPECT_TRUE(row.StartsWith(table, table.GetCount()));
    EXPECT_FALSE(row.StartsWith(other, other.GetCount()));
    // A prefix longer than the n given is refused.
    EXPECT_FALSE(row.StartsWith(table, 3));
    // A shorter identifier is compared over its own length.
    EXPECT_TRUE(CObjectId("1.3.6").StartsWith(table, table.GetCount()));
    EXPECT_FALSE(CObjectId("1.3.7").StartsWith(table, table.GetCount()));
    // n larger than the prefix never reads past the prefix.
    EXPECT_FALSE(row.StartsWith(CObjectId("1.3"), 5));
}

TEST(ObjectId, CopiesAreIndependent)
{
    CObjectId a("1.3.6");
    CObjectId b = a;
    b.Append(1);
    b[0] = 2;
    EXPECT_EQ(a.Format(), "1.3.6");
    EXPECT_EQ(b.Format(), "2.3.6.1");
    a = b;
    EXPECT_EQ(a, b);
}

} // namespace
