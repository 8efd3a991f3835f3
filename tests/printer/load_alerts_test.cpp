// Reading alert tables over SNMP: the simulated printers of the "agents"
// fixture (snmpsimd on the port in LUMET_SNMP_PORT), and a silent agent for
// a printer that does not answer.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "AlertLoader.h"
#include "FaultAgent.h"
#include "MapwickStrings.h"
#include "MibRequest.h"
#include "VigiloStrings.h"

namespace {

struct Expected {
    std::uint32_t index;
    std::int32_t severity;
    const char* name;
    const char* description;
    const char* message;
};

struct PrinterCase {
    const char* what;
    const char* address;
    std::int32_t deviceIndex;
    AlertRules rules;
    MibAccessMode mode;
    std::vector<Expected> alerts;  // in table order
    std::int32_t state;            // the status window's overall state
    std::int32_t symbolStatus;     // the map symbol's status
};

const PrinterCase kPrinters[] = {
    {"laser, status window", "127.0.0.11", 1, rulesVigilo, accessPlatform,
     {{2, 4, "Tray 2", "Tray 2 empty", "Out of paper.(Tray 2)"},
      {5, 4, "Cyan Toner Cartridge", "Cyan toner low", "Waste toner receptacle almost full.(Cyan Toner Cartridge)"},
      {7, 1, "", "Energy saver mode", "An error occurred."}},
     2, 3},
    {"laser, map plug-in", "127.0.0.11", 1, rulesMapwick, accessPlatformFirst,
     {{2, 4, "Tray 2", "Tray 2 empty", "Out of paper.(Tray 2)"},
      {5, 4, "Cyan Toner Cartridge", "Cyan toner low", "Waste toner receptacle almost full.(Cyan Toner Cartridge)"},
      {7, 1, "", "Energy saver mode", "An error occurred."}},
     2, 3},
    {"laser, a device it does not have", "127.0.0.11", 2, rulesVigilo, accessPlatform, {}, 0, 2},
    {"tandem printer, first device", "127.0.0.19", 1, rulesVigilo, accessPlatform,
     {{1, 4, "Tray 1", "Tray 1 low", "Almost out of paper.(Tray 1)"}}, 2, 3},
    {"tandem printer, second device", "127.0.0.19", 2, rulesMapwick, accessPlatform,
     {{1, 3, "", "Paper jam in engine 2", "Paper is jammed."}}, 3, 4},
    {"inkjet, supplies through the gateway", "127.0.0.12", 1, rulesVigilo, accessGateway,
     {{1, 3, "", "Printer cover open", "Cover is open."},
      {4, 4, "Black Ink Cartridge", "Black ink low", "Waste ink receptacle almost full.(Black Ink Cartridge)"}},
     3, 4},
    {"dot-matrix without alerts", "127.0.0.13", 1, rulesMapwick, accessPlatformFirst, {}, 0, 2},
};

class LoadAlertsTest : public testing::TestWithParam<PrinterCase> {
protected:
    void SetUp() override
    {
        const char* port = std::getenv("LUMET_SNMP_PORT");
        if (!port || !*port)
            GTEST_SKIP() << "needs the agents fixture: run through ctest";
        testagent::SetEnv("LUMET_SNMP_TIMEOUT_MS", "300");
        testagent::SetEnv("LUMET_SNMP_RETRIES", "1");
    }
};

// Sets an environment variable of the SNMP library for one scope and puts
// the old value back, so that the tests of one process (under Wine all of
// them) do not see each other's settings.
class CEnvScope {
public:
    CEnvScope(const char* a_pszName, const std::string& a_value) : m_pszName(a_pszName)
    {
        const char* pszOld = std::getenv(a_pszName);
        m_old = pszOld ? pszOld : "";
        testagent::SetEnv(a_pszName, a_value);
    }
    ~CEnvScope() { testagent::SetEnv(m_pszName, m_old); }
    CEnvScope(const CEnvScope&) = delete;
    CEnvScope& operator=(const CEnvScope&) = delete;

private:
    const char* m_pszName;
    std::string m_old;
};

const IStringTable& StringsFor(AlertRules a_rules)
{
    if (a_rules == rulesVigilo)
        return VigiloStringTable();
    return MapwickStringTable();
}

TEST_P(LoadAlertsTest, ReadsTheSimulatedPrintersAlerts)
{
    const PrinterCase& c = GetParam();
    CMibRequest request;
    request.SetIpAddress(c.address);
    request.SetCommunity("vestry");
    request.SetAccessMode(c.mode);

    CAlertTable table;
    ASSERT_TRUE(LoadAlerts(request, c.deviceIndex, c.rules, StringsFor(c.rules), table));

    ASSERT_EQ(table.GetCount(), c.alerts.size());
    auto it = table.Alerts().begin();
    for (const Expected& e : c.alerts) {
        SCOPED_TRACE(testing::Message() << "alert " << e.index);
        ASSERT_EQ(it->first, e.index);
        const CPrinterAlert& alert = it->second;
        EXPECT_EQ(alert.m_nDeviceIndex, c.deviceIndex);
        EXPECT_EQ(alert.m_nSeverity, e.severity);
        EXPECT_EQ(alert.m_strComponentName, e.name);
        EXPECT_EQ(alert.m_strDescription, e.description);
        EXPECT_EQ(alert.m_strMessage, e.message);
        ++it;
    }
    EXPECT_EQ(table.GetOverallState(), c.state);
    EXPECT_EQ(SymbolStatusForSeverity(table.GetHighestSeverity()), c.symbolStatus);
    // A mode that may fall back records the transport that answered.
    EXPECT_EQ(request.GetAccessMode(), c.mode == accessPlatformFirst ? accessPlatform : c.mode);
}

INSTANTIATE_TEST_SUITE_P(Printers, LoadAlertsTest, testing::ValuesIn(kPrinters),
                         [](const testing::TestParamInfo<PrinterCase>& a_info) {
                             std::string name;
                             for (const char* p = a_info.param.what; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// A printer that answers nothing: each program keeps the no-answer alert
// under its own index, with the communication error text, and reads no
// names.
TEST(LoadAlerts, SilentPrinterGivesTheNoAnswerAlert)
{
    struct Case {
        AlertRules rules;
        MibAccessMode mode;
        std::uint32_t index;
    } const cases[] = {
        {rulesVigilo, accessPlatform, 1},
        {rulesMapwick, accessPlatformFirst, 0},
        {rulesMapwick, accessGateway, 0},
    };
    testagent::FaultAgent silent([](const testagent::Request&) { return std::vector<testagent::Datagram>{}; });
    CEnvScope port("LUMET_SNMP_PORT", std::to_string(silent.Port()));
    CEnvScope timeout("LUMET_SNMP_TIMEOUT_MS", "100");
    CEnvScope retries("LUMET_SNMP_RETRIES", "0");

    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rules " << c.rules << " mode " << c.mode);
        CMibRequest request;
        request.SetIpAddress("127.0.0.1");
        request.SetCommunity("vestry");
        request.SetAccessMode(c.mode);
        CAlertTable table;
        // A table left from an earlier poll must not survive.
        table.Take(9).m_nSeverity = severityWarning;
        int nBefore = silent.RequestCount();

        EXPECT_FALSE(LoadAlerts(request, 1, c.rules, StringsFor(c.rules), table));

        EXPECT_GT(silent.RequestCount(), nBefore);  // it was asked, and said nothing
        ASSERT_EQ(table.GetCount(), 1u);
        const CPrinterAlert* pAlert = table.Find(c.index);
        ASSERT_NE(pAlert, nullptr);
        EXPECT_EQ(pAlert->m_nSeverity, 255);
        EXPECT_EQ(pAlert->m_nGroup, 1);
        EXPECT_EQ(pAlert->m_nCode, 1);
        EXPECT_EQ(pAlert->m_nTrainingLevel, 1);
        EXPECT_EQ(pAlert->m_strMessage, "A communication error has occurred.");
        EXPECT_EQ(table.GetOverallState(), 5);
        EXPECT_FALSE(table.IsReady());
        EXPECT_EQ(SymbolStatusForSeverity(table.GetHighestSeverity()), 4);
    }
}

} // namespace
