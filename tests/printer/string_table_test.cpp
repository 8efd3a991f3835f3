// The compiled string tables and the formatting of table texts.
#include <gtest/gtest.h>

#include "MapwickStrings.h"
#include "StringsFixture.h"
#include "VigiloStrings.h"

namespace {

TEST(StringTable, ProgramTablesAreWellFormed)
{
    for (const CStringTableStatic* pTable : {&VigiloStringTable(), &MapwickStringTable()}) {
        EXPECT_TRUE(pTable->DuplicateIds().empty()) << "first duplicate: " << pTable->DuplicateIds().front();
        for (const SStringEntry& e : pTable->Entries()) {
            // The resource loader cannot tell an empty text from a missing one.
            EXPECT_NE(e.pszText[0], '\0') << e.nId;
            // Ids of a string resource are 16 bits.
            EXPECT_LE(e.nId, 65535u);
        }
    }
}

TEST(StringTable, ProgramsDifferWhereTheirTextsDiffer)
{
    const CStringTableStatic& v = VigiloStringTable();
    const CStringTableStatic& m = MapwickStringTable();
    EXPECT_EQ(v.Load(20908), "Anerror occurred with the console light.");
    EXPECT_EQ(m.Load(20908), "An error occurred with the console light.");
    EXPECT_EQ(m.Load(20911), "Alert Group error, group: %d, code: %d");
    EXPECT_FALSE(v.Has(20911));
    EXPECT_EQ(v.Load(1020), "Lumet for OpenView Information");
    EXPECT_EQ(m.Load(5), "Lumet for OpenView Information");
    // Ids that exist in both tables with different meanings.
    EXPECT_EQ(v.Load(1000), "Product name");
    EXPECT_EQ(m.Load(1000), "Can not find default browser. Set up your browser correctry and then try again.");
    EXPECT_EQ(v.Load(1101), "Bad address.\r\n%s");
    EXPECT_EQ(v.Load(12345), "");
}

TEST(StringTable, LookupAndDuplicates)
{
    const SStringEntry entries[] = {{7, "seven"}, {3, "three"}, {7, "again"}, {5, "five"}};
    CStringTableStatic table(entries, 4);
    EXPECT_EQ(table.Load(3), "three");
    EXPECT_EQ(table.Load(5), "five");
    EXPECT_EQ(table.Load(7), "seven");  // the first of a duplicate wins
    EXPECT_EQ(table.Load(4), "");
    EXPECT_FALSE(table.Has(0));
    EXPECT_EQ(table.DuplicateIds(), std::vector<unsigned>{7});
    EXPECT_EQ(FixtureStringTable().Load(60002), "Größe – naïve € ✓");
}

TEST(StringTable, FormatTableText)
{
    EXPECT_EQ(FormatTableText("%d hours %d minutes", {3, 25}), "3 hours 25 minutes");
    EXPECT_EQ(FormatTableText("Alert Group error, group: %d, code: %d", {-1, 1507}),
              "Alert Group error, group: -1, code: 1507");
    EXPECT_EQ(FormatTableText("Bad address.\r\n%s", {"10.0.0.300"}), "Bad address.\r\n10.0.0.300");
    EXPECT_EQ(FormatTableText("(%d)", {2}), "(2)");
    EXPECT_EQ(FormatTableText("100%% %u", {-1}), "100% 4294967295");
    const std::string a = "a";
    EXPECT_EQ(FormatTableText("%s%s", {a, "b"}), "ab");
    // A wrong table text cannot read past the arguments: missing or
    // mismatched arguments write nothing, unknown sequences stay as they are.
    EXPECT_EQ(FormatTableText("%d and %d", {1}), "1 and ");
    EXPECT_EQ(FormatTableText("%s|%d", {5, "x"}), "|");
    EXPECT_EQ(FormatTableText("%x %5d %", {1}), "%x %5d %");
    EXPECT_EQ(FormatTableText("%s", {}), "");
}

} // namespace
