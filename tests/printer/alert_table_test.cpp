// What the status window and the map plug-in derive from an alert table.
#include <gtest/gtest.h>

#include <initializer_list>

#include "MibValue.h"
#include "ObjectId.h"
#include "PrinterAlert.h"
#include "VigiloStrings.h"

namespace {

struct Row {
    std::uint32_t index;
    std::int32_t severity;
    std::int32_t training;
    std::int32_t code;
};

CAlertTable Table(std::initializer_list<Row> a_rows)
{
    CAlertTable table;
    for (const Row& r : a_rows) {
        CPrinterAlert& alert = table.Take(r.index);
        alert.m_nGroup = 8;
        alert.m_nCode = r.code;
        alert.m_nSeverity = r.severity;
        alert.m_nTrainingLevel = r.training;
    }
    return table;
}

TEST(AlertTable, StateReadinessAndDisplayOrder)
{
    struct Case {
        const char* what;
        CAlertTable table;
        std::int32_t state;
        bool ready;
        std::vector<std::uint32_t> order;
    } const cases[] = {
        {"no alerts", Table({}), 0, true, {}},
        {"other only", Table({{4, 1, 1, 8}}), 1, true, {4}},
        {"warning", Table({{2, 4, 1, 808}}), 2, true, {2}},
        {"critical", Table({{2, 3, 1, 808}}), 3, false, {2}},
        {"critical for field service", Table({{2, 3, 5, 808}}), 4, false, {2}},
        {"warning for field service", Table({{2, 4, 5, 808}}), 2, true, {2}},
        {"no answer", Table({{1, 255, 1, 1}}), 5, false, {1}},
        {"severity 2 is neither listed nor a state", Table({{3, 2, 1, 808}}), 0, true, {}},
        {"severity 2 beside a warning", Table({{1, 2, 1, 8}, {3, 4, 1, 808}}), 2, true, {3}},
        // The most severe alert decides, wherever it sits in the table.
        {"critical before a later other", Table({{1, 3, 1, 8}, {9, 1, 1, 801}}), 3, false, {1, 9}},
        {"warning after critical", Table({{1, 3, 1, 8}, {2, 4, 1, 801}}), 3, false, {1, 2}},
        {"no answer wins", Table({{1, 3, 5, 8}, {7, 255, 1, 1}}), 5, false, {7, 1}},
        {"order: 255, critical, warning, other; index within one severity",
         Table({{1, 1, 1, 8}, {2, 4, 1, 8}, {3, 3, 1, 8}, {4, 255, 1, 1}, {5, 4, 1, 8}, {6, 3, 5, 8},
                {7, 2, 1, 8}, {8, 1, 1, 8}}),
         5, false, {4, 3, 6, 2, 5, 1, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.table.GetOverallState(), c.state);
        EXPECT_EQ(c.table.IsReady(), c.ready);
        EXPECT_EQ(c.table.GetDisplayOrder(), c.order);
    }
}

TEST(AlertTable, IconBySeverityAndCode)
{
    struct Case {
        std::int32_t code;
        std::int32_t iconWarning;   // severity 4 (and 1)
        std::int32_t iconCritical;  // severity 3 (and 255)
    } const cases[] = {
        {3, 137, 137},     {501, 137, 137},   {8, 140, 140},   {808, 141, 141}, {1101, 142, 142},
        {1102, 139, 139},  {1, 0, 138},       {2, 0, 138},     {4, 0, 138},     {7, 0, 138},
        {502, 0, 138},     {504, 0, 138},     {801, 0, 138},   {807, 0, 138},   {901, 0, 138},
        {903, 0, 138},     {1001, 0, 138},    {1002, 0, 138},  {1103, 0, 138},  {1114, 0, 138},
        {1301, 0, 138},    {1303, 0, 138},    {1501, 0, 138},  {1507, 0, 138},  {0, 138, 138},
        {9, 138, 138},     {505, 138, 138},   {809, 138, 138}, {904, 138, 138}, {1003, 138, 138},
        {1115, 138, 138},  {1304, 138, 138},  {1508, 138, 138}, {-1, 138, 138},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(AlertIcon(4, c.code), c.iconWarning);
        EXPECT_EQ(AlertIcon(1, c.code), c.iconWarning);
        EXPECT_EQ(AlertIcon(2, c.code), c.iconWarning);
        EXPECT_EQ(AlertIcon(3, c.code), c.iconCritical);
        EXPECT_EQ(AlertIcon(255, c.code), c.iconCritical);
    }
}

TEST(AlertTable, AlertDisplayGivesIconDescriptionAndMessage)
{
    CAlertTable table;
    CPrinterAlert& alert = table.Take(12);
    alert.m_nGroup = 8;
    alert.m_nCode = 808;
    alert.m_nSeverity = severityCritical;
    alert.m_nTrainingLevel = 1;
    alert.m_strComponentName = "Tray 1";
    alert.m_strDescription = "Paper out in tray 1";
    table.ComputeMessages(rulesVigilo, VigiloStringTable());

    std::int32_t nIcon = -1;
    std::string description, message;
    ASSERT_TRUE(table.GetAlertDisplay(12, nIcon, description, message));
    EXPECT_EQ(nIcon, 141);
    EXPECT_EQ(description, "Paper out in tray 1");
    EXPECT_EQ(message, "Out of paper.(Tray 1)");

    nIcon = -1;
    EXPECT_FALSE(table.GetAlertDisplay(13, nIcon, description, message));
    EXPECT_EQ(nIcon, -1);
}

TEST(AlertTable, MapwicksHighestSeverityAndSymbolStatus)
{
    struct Case {
        const char* what;
        CAlertTable table;
        std::int32_t highest;
        std::int32_t status;
    } const cases[] = {
        {"no alerts", Table({}), 1, 2},
        {"other only", Table({{1, 1, 1, 8}, {2, 1, 1, 8}}), 1, 2},
        {"warning", Table({{1, 4, 1, 8}}), 4, 3},
        {"critical above warning", Table({{1, 4, 1, 8}, {2, 3, 1, 8}}), 3, 4},
        {"critical before warning", Table({{1, 3, 1, 8}, {2, 4, 1, 8}}), 3, 4},
        {"no answer", Table({{0, 255, 1, 1}}), 255, 4},
        {"no answer above critical", Table({{1, 3, 1, 8}, {2, 255, 1, 1}}), 255, 4},
        {"severity 2 is undetermined", Table({{1, 2, 1, 8}}), 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.table.GetHighestSeverity(), c.highest);
        EXPECT_EQ(SymbolStatusForSeverity(c.table.GetHighestSeverity()), c.status);
    }
}

CMibValue IntegerRow(const char* a_pszOid, std::int32_t a_n)
{
    CMibValue v{CObjectId(a_pszOid)};
    v.SetInteger(a_n);
    return v;
}

CMibValue TextRow(const char* a_pszOid, const std::string& a_text)
{
    CMibValue v{CObjectId(a_pszOid)};
    v.StoreBytesZ(reinterpret_cast<const std::uint8_t*>(a_text.data()), a_text.size());
    v.SetTypeAndLength(typeOctetString, static_cast<std::int32_t>(a_text.size()));
    return v;
}

TEST(AlertTable, FilesWalkedRowsByDeviceAlertIndexAndColumn)
{
    CMibValue counter{CObjectId("1.3.6.1.2.1.43.18.1.1.2.1.7")};
    counter.StoreNumber(3);
    counter.SetTypeAndLength(typeCounter, 4);
    const CMibValue rows[] = {
        IntegerRow("1.3.6.1.2.1.43.18.1.1.2.1.5", 3),
        IntegerRow("1.3.6.1.2.1.43.18.1.1.2.1.6", 4),
        IntegerRow("1.3.6.1.2.1.43.18.1.1.2.2.5", 255),  // another device
        IntegerRow("1.3.6.1.2.1.43.18.1.1.3.1.5", 5),
        IntegerRow("1.3.6.1.2.1.43.18.1.1.4.1.5", 8),
        IntegerRow("1.3.6.1.2.1.43.18.1.1.5.1.5", 2),
        IntegerRow("1.3.6.1.2.1.43.18.1.1.6.1.9", 77),   // location: record, no field
        IntegerRow("1.3.6.1.2.1.43.18.1.1.7.1.5", 808),
        TextRow("1.3.6.1.2.1.43.18.1.1.8.1.5", "Tray 2 empty"),
        TextRow("1.3.6.1.2.1.43.18.1.1.8.2.5", "other device"),
        counter,                                          // not an integer: 0
        IntegerRow("1.3.6.1.2.1.43.18.1.1.8.1.6", 1),     // not a text: empty
        IntegerRow("1.3.6.1.2.1.43.18.1.1.2.1", 3),       // too short to be a row
        IntegerRow("1.3.6.1.2.1.43.17.1.1.2.1.8", 3),     // not the alert table
    };
    CAlertTable table;
    for (const CMibValue& v : rows)
        table.FileRow(v, 1);

    ASSERT_EQ(table.GetCount(), 4u);
    const CPrinterAlert* p5 = table.Find(5);
    ASSERT_NE(p5, nullptr);
    EXPECT_EQ(p5->m_nDeviceIndex, 1);
    EXPECT_EQ(p5->m_nSeverity, 3);
    EXPECT_EQ(p5->m_nTrainingLevel, 5);
    EXPECT_EQ(p5->m_nGroup, 8);
    EXPECT_EQ(p5->m_nGroupIndex, 2);
    EXPECT_EQ(p5->m_nCode, 808);
    EXPECT_EQ(p5->m_strDescription, "Tray 2 empty");
    EXPECT_EQ(table.Find(6)->m_nSeverity, 4);
    EXPECT_EQ(table.Find(6)->m_strDescription, "");
    EXPECT_EQ(table.Find(7)->m_nSeverity, 0);
    const CPrinterAlert* p9 = table.Find(9);
    ASSERT_NE(p9, nullptr);
    EXPECT_EQ(p9->m_nSeverity, 0);
    EXPECT_EQ(p9->m_nGroup, 0);

    // Device index 2 sees only its own row.
    CAlertTable table2;
    for (const CMibValue& v : rows)
        table2.FileRow(v, 2);
    ASSERT_EQ(table2.GetCount(), 1u);
    EXPECT_EQ(table2.Find(5)->m_nSeverity, 255);
    EXPECT_EQ(table2.Find(5)->m_nDeviceIndex, 2);
    EXPECT_EQ(table2.Find(5)->m_strDescription, "other device");
}

TEST(AlertTable, ComponentNameIdentifiers)
{
    CPrinterAlert alert;
    alert.m_nDeviceIndex = 1;
    alert.m_nGroupIndex = 3;
    alert.m_nGroup = 8;
    EXPECT_EQ(ComponentNameOid(alert).Format(), "1.3.6.1.2.1.43.8.2.1.13.1.3");
    alert.m_nGroup = 9;
    EXPECT_EQ(ComponentNameOid(alert).Format(), "1.3.6.1.2.1.43.9.2.1.7.1.3");
    alert.m_nGroup = 11;
    alert.m_nDeviceIndex = 2;
    EXPECT_EQ(ComponentNameOid(alert).Format(), "1.3.6.1.2.1.43.11.1.1.6.2.3");
    for (std::int32_t nGroup : {1, 5, 10, 13, 17})  {
        alert.m_nGroup = nGroup;
        EXPECT_TRUE(ComponentNameOid(alert).IsEmpty()) << nGroup;
    }
}

TEST(AlertTable, NoAnswerAlert)
{
    CPrinterAlert alert = CPrinterAlert::NoAnswer();
    EXPECT_EQ(alert.m_nGroup, 1);
    EXPECT_EQ(alert.m_nCode, 1);
    EXPECT_EQ(alert.m_nSeverity, 255);
    EXPECT_EQ(alert.m_nTrainingLevel, 1);
    EXPECT_EQ(alert.m_nDeviceIndex, 1);
    EXPECT_EQ(NoAnswerAlertIndex(rulesVigilo), 1u);
    EXPECT_EQ(NoAnswerAlertIndex(rulesMapwick), 0u);
    EXPECT_EQ(AlertText(alert, rulesVigilo, VigiloStringTable()), "A communication error has occurred.");
}

} // namespace
