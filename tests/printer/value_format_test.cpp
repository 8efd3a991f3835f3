#include <gtest/gtest.h>

#include <functional>

#include "StringTable.h"
#include "ValueFormat.h"
#include "VigiloStrings.h"

namespace {

const IStringTable& S()
{
    return VigiloStringTable();
}

using Lookup = std::string (*)(std::int32_t, const IStringTable&);

TEST(ValueFormat, EnumerationTablesAndFallbacks)
{
    struct Case {
        const char* what;
        Lookup fn;
        std::int32_t value;
        unsigned id;  // the string the value must give
    } const cases[] = {
        {"unit", FormatUnit, 3, 11001},           {"unit", FormatUnit, 4, 11000},
        {"unit", FormatUnit, 9, 11006},           {"unit", FormatUnit, 11, 11007},
        {"unit", FormatUnit, 12, 11014},          {"unit", FormatUnit, 13, 11008},
        {"unit", FormatUnit, 17, 11012},          {"unit", FormatUnit, 0, 11013},
        {"unit", FormatUnit, 2, 11013},           {"unit", FormatUnit, 10, 11013},
        {"unit", FormatUnit, 18, 11013},          {"unit", FormatUnit, -1, 11013},
        {"input type", FormatInputType, 1, 10008}, {"input type", FormatInputType, 3, 10010},
        {"input type", FormatInputType, 7, 10014}, {"input type", FormatInputType, 0, 10009},
        {"input type", FormatInputType, 2, 10009}, {"input type", FormatInputType, 8, 10009},
        {"input type", FormatInputType, -3, 10009},
        {"output type", FormatOutputType, 1, 10000}, {"output type", FormatOutputType, 3, 10003},
        {"output type", FormatOutputType, 7, 10007}, {"output type", FormatOutputType, 2, 10001},
        {"output type", FormatOutputType, 8, 10001}, {"output type", FormatOutputType, -1, 10001},
        {"supply type", FormatSupplyType, 1, 10101}, {"supply type", FormatSupplyType, 3, 10103},
        {"supply type", FormatSupplyType, 14, 10114}, {"supply type", FormatSupplyType, 0, 10100},
        {"supply type", FormatSupplyType, 2, 10100}, {"supply type", FormatSupplyType, 15, 10001},
        {"supply type", FormatSupplyType, -1, 10001},
        {"mark tech", FormatMarkTechClass, 1, 10015}, {"mark tech", FormatMarkTechClass, 2, 10016},
        {"mark tech", FormatMarkTechClass, 3, 10017}, {"mark tech", FormatMarkTechClass, 5, 10017},
        {"mark tech", FormatMarkTechClass, 6, 10018}, {"mark tech", FormatMarkTechClass, 11, 10018},
        {"mark tech", FormatMarkTechClass, 12, 10019}, {"mark tech", FormatMarkTechClass, 14, 10019},
        {"mark tech", FormatMarkTechClass, 15, 10016}, {"mark tech", FormatMarkTechClass, 0, 10016},
        {"mark tech", FormatMarkTechClass, -4, 10016},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << " " << c.value);
        ASSERT_TRUE(VigiloStringTable().Has(c.id)) << c.id;
        EXPECT_EQ(c.fn(c.value, S()), S().Load(c.id));
    }
    // Spot checks of the words themselves.
    EXPECT_EQ(FormatUnit(10, S()), "unknown");
    EXPECT_EQ(FormatUnit(14, S()), "hundreths of fluid ounces");
    EXPECT_EQ(FormatSupplyType(15, S()), "Unknown");
    EXPECT_EQ(FormatInputType(4, S()), "Sheet feed auto non removable tray");
    EXPECT_EQ(FormatMarkTechClass(4, S()), "Laser");
}

using Range = std::string (*)(std::int32_t, std::int32_t, const IStringTable&);

TEST(ValueFormat, CapacitiesAndLevels)
{
    struct Case {
        Range fn;
        std::int32_t value;
        std::int32_t unit;
        const char* text;
    } const cases[] = {
        {FormatInputCapacity, -1, 8, "other"},
        {FormatInputCapacity, -2, 8, "unknown"},
        {FormatInputCapacity, -3, 8, "-3 sheets"},
        {FormatInputCapacity, 250, 8, "250 sheets"},
        {FormatInputLevel, -1, 8, "other"},
        {FormatInputLevel, -2, 8, "unknown"},
        {FormatInputLevel, -3, 8, "at least one unit remain"},
        {FormatInputLevel, 0, 8, "0 sheets"},
        {FormatInputLevel, 0, 99, "0 unknown"},
        {FormatOutputCapacity, -1, 8, "other"},
        {FormatOutputCapacity, -2, 8, "unknown"},
        {FormatOutputCapacity, 500, 4, "500 micrometers"},
        {FormatOutputRemaining, -1, 8, "other"},
        {FormatOutputRemaining, -2, 8, "unknown"},
        {FormatOutputRemaining, -3, 8, "remains capacity for at least one unit"},
        {FormatOutputRemaining, 2147483647, 8, "2147483647 sheets"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.fn(c.value, c.unit, S()), c.text) << c.value << " unit " << c.unit;
}

TEST(ValueFormat, NumbersSizesAndTimes)
{
    EXPECT_EQ(FormatDecimal(-42), "-42");
    EXPECT_EQ(FormatDecimal(4294967295LL), "4294967295");

    struct Percent {
        std::int32_t part, whole;
        const char* text;
    } const percents[] = {
        {3, 8, "37.5 %"}, {0, 0, "0.0 %"}, {5, 0, "0.0 %"}, {-1, 100, "-1.0 %"},
        {1, 3, "33.3 %"}, {2, 3, "66.7 %"}, {100, 100, "100.0 %"}, {-2, -2, "100.0 %"},
    };
    for (const Percent& p : percents)
        EXPECT_EQ(FormatPercent(p.part, p.whole), p.text) << p.part << "/" << p.whole;

    struct Size {
        std::int64_t n;
        const char* text;
    } const sizes[] = {
        {0, "0.00 byte"},         {1000, "1000.00 byte"},        {1001, "1.00 k byte"},
        {1000000, "1000.00 k byte"}, {1000001, "1.00 M byte"},   {1500000, "1.50 M byte"},
        {67108864, "67.11 M byte"}, {-5, "-5.00 byte"},
    };
    for (const Size& s : sizes)
        EXPECT_EQ(FormatMemorySize(s.n, S()), s.text) << s.n;

    struct Up {
        std::uint32_t ticks;
        const char* text;
    } const ups[] = {
        {0, "0 hours 0 minutes"},
        {5999, "0 hours 0 minutes"},
        {6000, "0 hours 1 minutes"},
        {360000, "1 hours 0 minutes"},
        {8640000, "24 hours 0 minutes"},
        {1234567, "3 hours 25 minutes"},  // 3 h 25 min 45.67 s
        {4294967295u, "11930 hours 27 minutes"},
    };
    for (const Up& u : ups)
        EXPECT_EQ(FormatUpTime(u.ticks, S()), u.text) << u.ticks;
}

TEST(ValueFormat, BytesAddressesAndSwitches)
{
    EXPECT_EQ(FormatDotted({192, 168, 1, 20}), "192.168.1.20");
    EXPECT_EQ(FormatDotted({}), "");
    EXPECT_EQ(FormatDotted({0}), "0");
    EXPECT_EQ(FormatHexBytes({0x00, 0x80, 0x92, 0x0A, 0x1B, 0xFF}), "00.80.92.0A.1B.FF");
    EXPECT_EQ(FormatHexBytes({}), "");
    EXPECT_EQ(FormatHexBytes({7}), "07");

    EXPECT_EQ(FormatBroadcast(1), "255.255.255.255");
    EXPECT_EQ(FormatBroadcast(0), "255.255.255.254");
    EXPECT_EQ(FormatBroadcast(0x100), "255.255.255.254");  // only the lowest bit counts
    EXPECT_EQ(FormatBroadcast(-1), "255.255.255.255");

    EXPECT_EQ(SwitchToValue(true), 3);
    EXPECT_EQ(SwitchToValue(false), 4);
    EXPECT_TRUE(ValueToSwitch(3));
    EXPECT_FALSE(ValueToSwitch(4));
    EXPECT_FALSE(ValueToSwitch(0));
    EXPECT_FALSE(ValueToSwitch(1));
}

TEST(ValueFormat, FixedTexts)
{
    EXPECT_EQ(S().Load(kIdsError), "error");
    EXPECT_EQ(S().Load(kIdsUnknown), "unknown");
    EXPECT_EQ(S().Load(kIdsUnknownPaperSize), "Unknown");
    EXPECT_EQ(S().Load(kIdsUnknownPaperType), "Unknown");
}

} // namespace
