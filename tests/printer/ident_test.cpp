#include <gtest/gtest.h>

#include <cstring>

#include "MibValue.h"
#include "PrinterIdent.h"

namespace {

TEST(PrinterIdent, MakerAndExternalInterfaceByDescription)
{
    struct Case {
        const char* description;
        bool maker;
        bool external;
    } const cases[] = {
        {"ORVAN LP-9000", true, false},
        {"Network printer ORVAN", true, false},
        {"X ORVAN Ethernet 10Base-T", true, true},
        {"Orvan LP-9000", false, false},   // the name in another case is not the maker
        {"orvan", false, false},
        {"x ORVAN Ethernet", true, false}, // external only in exact case
        {"X ORVAN ethernet", true, false},
        {"ORVA N", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsMakerPrinter(c.description), c.maker) << c.description;
        EXPECT_EQ(IsExternalInterface(c.description), c.external) << c.description;
    }
}

TEST(PrinterIdent, OnlyAnOctetStringValueCanNameTheMaker)
{
    const char* kText = "X ORVAN Ethernet";
    CMibValue text;
    text.StoreBytesZ(reinterpret_cast<const std::uint8_t*>(kText), std::strlen(kText));
    text.SetTypeAndLength(typeOctetString, static_cast<std::int32_t>(std::strlen(kText)));
    EXPECT_TRUE(IsMakerPrinter(text));
    EXPECT_TRUE(IsExternalInterface(text));

    CMibValue opaque;
    opaque.StoreBytes(reinterpret_cast<const std::uint8_t*>(kText), std::strlen(kText));
    opaque.SetTypeAndLength(typeOpaque, static_cast<std::int32_t>(std::strlen(kText)));
    EXPECT_FALSE(IsMakerPrinter(opaque));
    EXPECT_FALSE(IsExternalInterface(opaque));

    CMibValue none;
    none.SetUnavailable();
    EXPECT_FALSE(IsMakerPrinter(none));
}

TEST(PrinterIdent, SymbolTypeByMarkingTechnology)
{
    struct Case {
        std::int32_t markTech;
        const char* type;
    } const cases[] = {
        {4, "Device:OrvanPage"},   // laser
        {2, "Device:OrvanPage"},   // read failed
        {0, "Device:OrvanPage"},   // none stored
        {5, "Device:OrvanPage"},
        {6, "Device:OrvanSidm"},
        {7, "Device:OrvanSidm"},
        {11, "Device:OrvanSidm"},
        {12, "Device:OrvanInk"},
        {13, "Device:OrvanInk"},
        {14, "Device:OrvanInk"},
        {15, "Device:OrvanPage"},
        {-1, "Device:OrvanPage"},  // negative values compare as large unsigned ones
        {-2147483647 - 1, "Device:OrvanPage"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(SymbolType(c.markTech), c.type) << c.markTech;
}

} // namespace
