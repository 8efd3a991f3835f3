// Under Windows, a program's texts come from its STRINGTABLE resource; the
// native build compiles the same list into the code. This test runs inside
// an executable linked with one program's resource script and shows that
// the two agree entry by entry, that the resources hold nothing more, and
// that the alert texts read through either are the same.
#include <windows.h>

#include <gtest/gtest.h>

#include "PrinterAlert.h"
#include "ResourceStringTable.h"
#include "StringsFixture.h"
#include "ValueFormat.h"

#if defined(LUMET_TEST_VIGILO)
#include "VigiloStrings.h"
#define PROGRAM_TABLE VigiloStringTable
#define PROGRAM_RULES rulesVigilo
#elif defined(LUMET_TEST_MAPWICK)
#include "MapwickStrings.h"
#define PROGRAM_TABLE MapwickStringTable
#define PROGRAM_RULES rulesMapwick
#else
#error "say which program's table this test checks"
#endif

namespace {

const winui::ResourceStringTable& Resources()
{
    static const winui::ResourceStringTable table;
    return table;
}

TEST(StringResources, EveryEntryLoadsAsCompiled)
{
    ASSERT_FALSE(PROGRAM_TABLE().Entries().empty());
    for (const CStringTableStatic* pTable : {&PROGRAM_TABLE(), &FixtureStringTable()})
        for (const SStringEntry& e : pTable->Entries())
            EXPECT_EQ(Resources().Load(e.nId), e.pszText) << "string " << e.nId;
}

TEST(StringResources, NoOtherIdHasAText)
{
    for (unsigned nId = 0; nId <= 65535; ++nId) {
        if (PROGRAM_TABLE().Has(nId) || FixtureStringTable().Has(nId))
            continue;
        EXPECT_EQ(Resources().Load(nId), "") << "string " << nId << " is only in the resources";
    }
}

TEST(StringResources, AlertTextsAreTheSameFromBothTables)
{
    const std::int32_t kCodes[] = {0,   1,   2,   3,   4,   5,   6,    7,    8,    9,    501,  502,  503,
                                   504, 801, 803, 806, 808, 901, 903,  1001, 1002, 1101, 1102, 1103, 1104,
                                   1105, 1106, 1111, 1112, 1301, 1303, 1501, 1504, 1505, 1507, 99999};
    int nCompared = 0;
    for (AlertRules rules : {PROGRAM_RULES, rulesMapwickTrap}) {
        if (rules == rulesMapwickTrap && PROGRAM_RULES != rulesMapwick)
            continue;
        for (std::int32_t nGroup = -1; nGroup <= 18; ++nGroup)
            for (std::int32_t nCode : kCodes)
                for (std::int32_t nSeverity : {1, 3, 4, 255})
                    for (const char* pszName : {"", "Tray 1"}) {
                        CPrinterAlert alert;
                        alert.m_nGroup = nGroup;
                        alert.m_nCode = nCode;
                        alert.m_nSeverity = nSeverity;
                        alert.m_nTrainingLevel = nSeverity == 3 ? 5 : 1;
                        alert.m_strComponentName = pszName;
                        std::string fromResources = AlertText(alert, rules, Resources());
                        ASSERT_EQ(fromResources, AlertText(alert, rules, PROGRAM_TABLE()))
                            << "group " << nGroup << " code " << nCode << " severity " << nSeverity;
                        ++nCompared;
                    }
    }
    EXPECT_GT(nCompared, 0);

    // A few texts spelled out, so that agreement is not agreement on nothing.
    CPrinterAlert paperOut;
    paperOut.m_nGroup = 8;
    paperOut.m_nCode = 808;
    paperOut.m_nSeverity = severityCritical;
    paperOut.m_strComponentName = "Tray 1";
    EXPECT_EQ(AlertText(paperOut, PROGRAM_RULES, Resources()), "Out of paper.(Tray 1)");
    CPrinterAlert light;
    light.m_nGroup = 17;
    light.m_nCode = 1;
    light.m_nSeverity = severityWarning;
#if defined(LUMET_TEST_VIGILO)
    EXPECT_EQ(AlertText(light, rulesVigilo, Resources()), "Anerror occurred with the console light.");
    EXPECT_EQ(AlertText(CPrinterAlert::NoAnswer(), rulesVigilo, Resources()),
              "A communication error has occurred.");
#else
    EXPECT_EQ(AlertText(light, rulesMapwick, Resources()), "An error occurred with the console light.");
    CPrinterAlert lost;
    lost.m_nGroup = 7;
    lost.m_nCode = 3;
    EXPECT_EQ(AlertText(lost, rulesMapwick, Resources()), "Alert Group error, group: 7, code: 3");
#endif
}

#if defined(LUMET_TEST_VIGILO)
TEST(StringResources, FormattedValuesAreTheSameFromBothTables)
{
    for (std::int32_t n = -4; n <= 20; ++n) {
        EXPECT_EQ(FormatUnit(n, Resources()), FormatUnit(n, VigiloStringTable())) << n;
        EXPECT_EQ(FormatInputType(n, Resources()), FormatInputType(n, VigiloStringTable())) << n;
        EXPECT_EQ(FormatOutputType(n, Resources()), FormatOutputType(n, VigiloStringTable())) << n;
        EXPECT_EQ(FormatSupplyType(n, Resources()), FormatSupplyType(n, VigiloStringTable())) << n;
        EXPECT_EQ(FormatMarkTechClass(n, Resources()), FormatMarkTechClass(n, VigiloStringTable())) << n;
        EXPECT_EQ(FormatInputLevel(n, 8, Resources()), FormatInputLevel(n, 8, VigiloStringTable())) << n;
        EXPECT_EQ(FormatOutputRemaining(n, 8, Resources()), FormatOutputRemaining(n, 8, VigiloStringTable()))
            << n;
    }
    EXPECT_EQ(FormatUpTime(1234567, Resources()), "3 hours 25 minutes");
    EXPECT_EQ(FormatMemorySize(1500000, Resources()), "1.50 M byte");
}
#endif

} // namespace
