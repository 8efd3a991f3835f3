// CMibRequest against two real, independent agents: the simulated printers
// (snmpsimd) and net-snmp's snmpd, both started by the "agents" fixture on
// the port in LUMET_SNMP_PORT (tests/support/agents.sh). The gateway
// transport reaches the simulated printers by IP and, through a route table
// of the test's own, by IPX address.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FaultAgent.h"
#include "MibRequest.h"
#include "MemoryTraceSink.h"
#include "Trace.h"

namespace {

struct Agent {
    const char* name;
    const char* address;
    std::vector<const char*> gets;      // objects it has
    const char* unknown;                // an object it does not have
    const char* table;                  // a table with rows
    int nTableRows;                     // how many (0: at least one)
    const char* emptySubtree;
    const char* writable;
    std::function<void(CMibValue&)> write;
    const char* readOnly;
};

void SetInteger60(CMibValue& a_v)
{
    a_v.SetInteger(60);
}

void SetText(CMibValue& a_v)
{
    const char text[] = "lumet-test";
    a_v.StoreBytesZ(reinterpret_cast<const std::uint8_t*>(text), sizeof text - 1);
    a_v.SetTypeAndLength(typeOctetString, sizeof text - 1);
}

const Agent kAgents[] = {
    {"snmpsimd_laser", "127.0.0.11",
     {"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.25.3.2.1.3.1", "1.3.6.1.2.1.43.10.2.1.2.1.1", "1.3.6.1.2.1.1.3.0"},
     "1.3.6.1.2.1.1.9.0", "1.3.6.1.2.1.43.18.1.1", 24, "1.3.6.1.2.1.43.13",
     "1.3.6.1.4.1.32473.1.2.2.3.1.1.3.1", SetInteger60, "1.3.6.1.2.1.1.1.0"},
    {"snmpd", "127.0.0.30", {"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.2.0", "1.3.6.1.2.1.1.7.0"}, "1.3.6.1.2.1.1.99.0",
     "1.3.6.1.2.1.1.9.1.3", 0, "1.3.6.1.2.1.43", "1.3.6.1.2.1.1.5.0", SetText, "1.3.6.1.2.1.1.1.0"},
};

bool AgentsRunning()
{
    const char* port = std::getenv("LUMET_SNMP_PORT");
    return port && *port;
}

class AgentFixture : public testing::Test {
protected:
    void SetUp() override
    {
        if (!AgentsRunning())
            GTEST_SKIP() << "needs the agents fixture: run through ctest";
        testagent::SetEnv("LUMET_SNMP_TIMEOUT_MS", "300");
        testagent::SetEnv("LUMET_SNMP_RETRIES", "1");
    }

    void Prepare(const char* a_address, const char* a_community)
    {
        m_request.Reset();
        m_request.SetIpAddress(a_address);
        m_request.SetCommunity(a_community);
        m_request.SetAccessMode(accessPlatform);
    }
    void Ask(const std::vector<const char*>& a_oids)
    {
        m_request.Values().clear();
        for (const char* oid : a_oids)
            m_request.Values().emplace_back(CObjectId(oid));
    }

    CMibRequest m_request;
};

class AgentTest : public AgentFixture, public testing::WithParamInterface<Agent> {
protected:
    void SetUp() override
    {
        AgentFixture::SetUp();
        Prepare(GetParam().address, "vestry");
    }
};

TEST_P(AgentTest, GetOfSeveralValues)
{
    const Agent& a = GetParam();
    Ask(a.gets);
    EXPECT_EQ(m_request.Load(), static_cast<int>(a.gets.size()));
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    for (const CMibValue& v : m_request.Values())
        EXPECT_FALSE(v.IsUnavailable()) << v.GetIdentifier().Format();
    std::string descr;
    EXPECT_TRUE(m_request.Values().front().GetText(descr));
    EXPECT_FALSE(descr.empty());
}

TEST_P(AgentTest, GetWithAnUnknownSecondIdentifier)
{
    const Agent& a = GetParam();
    Ask({a.gets[0], a.unknown, a.gets[1]});
    EXPECT_EQ(m_request.Load(), 2);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    auto it = m_request.Values().begin();
    EXPECT_FALSE(it->IsUnavailable());
    EXPECT_TRUE((++it)->IsUnavailable());
    EXPECT_FALSE((++it)->IsUnavailable());
}

// A printer that knows none of the objects asked for still answers: the
// last round asks for nothing and comes back without error, so the request
// stays on the platform library.
TEST_P(AgentTest, GetOfOnlyAnUnknownIdentifierAnswersEmpty)
{
    const Agent& a = GetParam();
    Ask({a.unknown});
    m_request.SetAccessMode(accessPlatformFirst);
    EXPECT_EQ(m_request.Load(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    EXPECT_EQ(m_request.GetAccessMode(), accessPlatform);
    EXPECT_TRUE(m_request.Values().front().IsUnavailable());
}

TEST_P(AgentTest, WalkOfATable)
{
    const Agent& a = GetParam();
    Ask({a.table});
    const int nRows = m_request.LoadEntry();
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    if (a.nTableRows) {
        EXPECT_EQ(nRows, a.nTableRows);
    } else {
        EXPECT_GT(nRows, 0);
    }
    EXPECT_EQ(static_cast<int>(m_request.Values().size()), nRows);
    const CObjectId root(a.table);
    const CObjectId* previous = &root;
    for (const CMibValue& v : m_request.Values()) {
        EXPECT_TRUE(v.GetIdentifier().StartsWith(root, root.GetCount()));
        EXPECT_GT(v.GetIdentifier(), *previous);
        EXPECT_FALSE(v.IsUnavailable());
        previous = &v.GetIdentifier();
    }
}

TEST_P(AgentTest, WalkOfAnEmptySubtree)
{
    Ask({GetParam().emptySubtree});
    EXPECT_EQ(m_request.LoadEntry(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    EXPECT_TRUE(m_request.Values().empty());
}

TEST_P(AgentTest, WalkWithTwoValuesFails)
{
    Ask({GetParam().table, GetParam().emptySubtree});
    EXPECT_EQ(m_request.LoadEntry(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    EXPECT_TRUE(m_request.Values().empty());
}

TEST_P(AgentTest, SetConfirmedThenReadBack)
{
    const Agent& a = GetParam();
    Prepare(a.address, "public");
    Ask({a.writable});
    a.write(m_request.Values().front());
    EXPECT_EQ(m_request.Store(), 1);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);

    CMibValue expected(CObjectId(a.writable));
    a.write(expected);
    Ask({a.writable});
    EXPECT_EQ(m_request.Load(), 1);
    const CMibValue& got = m_request.Values().front();
    EXPECT_EQ(got.GetType(), expected.GetType());
    EXPECT_EQ(got.GetNumber(), expected.GetNumber());
    std::vector<std::uint8_t> gotBytes(got.GetBytes(), got.GetBytes() + got.GetByteCount());
    std::vector<std::uint8_t> expectedBytes(expected.GetBytes(), expected.GetBytes() + expected.GetByteCount());
    EXPECT_EQ(gotBytes, expectedBytes);
}

TEST_P(AgentTest, SetRefused)
{
    const Agent& a = GetParam();
    Prepare(a.address, "public");
    Ask({a.readOnly});
    SetText(m_request.Values().front());
    // Refused, yet answered: nothing confirmed, the value unavailable, and
    // no error flag (that would mean the printer did not answer).
    EXPECT_EQ(m_request.Store(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    EXPECT_TRUE(m_request.Values().front().IsUnavailable());
}

INSTANTIATE_TEST_SUITE_P(RealAgents, AgentTest, testing::ValuesIn(kAgents),
                         [](const testing::TestParamInfo<Agent>& a_info) { return a_info.param.name; });

using UnreachableTest = AgentFixture;

TEST_F(UnreachableTest, WalkAndGetOfANodeThatDoesNotAnswer)
{
    Prepare("127.0.0.99", "vestry");
    Ask({"1.3.6.1.2.1.43.18.1.1"});
    EXPECT_EQ(m_request.LoadEntry(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    EXPECT_TRUE(m_request.Values().empty());
    Ask({"1.3.6.1.2.1.1.1.0"});
    EXPECT_EQ(m_request.Load(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    EXPECT_TRUE(m_request.Values().front().IsUnavailable());
}

// Each simulated device answers with the description the printer model
// judges it by (its device index 1; the tandem printer's second engine at 2).
using SimulatedDevices = AgentFixture;

TEST_F(SimulatedDevices, DescribeThemselves)
{
    struct Device {
        const char* address;
        const char* oid;
        const char* descr;  // nullptr: no such device
    } devices[] = {
        {"127.0.0.11", "1.3.6.1.2.1.25.3.2.1.3.1", "ORVAN LP-9800C"},
        {"127.0.0.12", "1.3.6.1.2.1.25.3.2.1.3.1", "ORVAN IJ-720"},
        {"127.0.0.13", "1.3.6.1.2.1.25.3.2.1.3.1", "ORVAN LQ-2190"},
        {"127.0.0.14", "1.3.6.1.2.1.25.3.2.1.3.1", "X ORVAN Ethernet (ORVAN LQ-590)"},
        {"127.0.0.15", "1.3.6.1.2.1.25.3.2.1.3.1", "ORVAN LP-1900"},
        {"127.0.0.16", "1.3.6.1.2.1.25.3.2.1.3.1", "TAMARACK PageJet 4100"},
        {"127.0.0.17", "1.3.6.1.2.1.25.3.2.1.3.1", "Orvan LP-2100"},
        {"127.0.0.18", "1.3.6.1.2.1.25.3.2.1.3.1", nullptr},
        {"127.0.0.19", "1.3.6.1.2.1.25.3.2.1.3.2", "ORVAN LP-S9000 (Engine 2)"},
    };
    for (const Device& d : devices) {
        CMibRequest r;
        r.SetIpAddress(d.address);
        r.SetCommunity("vestry");
        r.Values().emplace_back(CObjectId(d.oid));
        r.Load();
        std::string text;
        if (d.descr) {
            EXPECT_TRUE(r.Values().front().GetText(text)) << d.address;
            EXPECT_EQ(text, d.descr);
            EXPECT_EQ(r.GetAccessMode(), accessPlatform) << d.address;
        } else {
            EXPECT_TRUE(r.Values().front().IsUnavailable()) << d.address;
        }
    }
    // The emulating printer says so in the characters of its hrDeviceID.
    CMibRequest r;
    r.SetIpAddress("127.0.0.15");
    r.SetCommunity("public");
    r.Values().emplace_back(CObjectId("1.3.6.1.2.1.25.3.2.1.4.1"));
    ASSERT_EQ(r.Load(), 1);
    CObjectId id;
    ASSERT_TRUE(r.Values().front().GetObjectId(id));
    std::string chars;
    for (std::size_t i = 10; i < id.GetCount(); ++i)
        chars += static_cast<char>(id[i] & 0xFF);
    EXPECT_NE(chars.find("Emulate"), std::string::npos) << chars;
}

// The gateway transport on the simulated printers. IPX addresses reach them
// through a route table: the laser printer is 1A:00A0C9123456, the printer
// that names its maker in mixed case BEEF:0080ABCDEF01.
class GatewayOnSimulatedPrinters : public AgentFixture {
protected:
    void SetUp() override
    {
        AgentFixture::SetUp();
        if (IsSkipped())
            return;
        m_routes = std::filesystem::temp_directory_path() /
                   ("lumet-routes-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::ofstream(m_routes) << "# IPX address      simulated printer\n"
                                   "1A:00A0C9123456   = 127.0.0.11\n"
                                   "BEEF:0080ABCDEF01 = 127.0.0.17\n";
        testagent::SetEnv("LUMET_KESTREL_ROUTES", m_routes.string());
    }
    void TearDown() override
    {
        MibTraceLog().Stop();
        std::error_code ignored;
        if (!m_routes.empty())
            std::filesystem::remove(m_routes, ignored);
    }
    void PrepareIpx(const char* a_address, MibAccessMode a_nMode)
    {
        m_request.Reset();
        m_request.SetIpxAddress(a_address);
        m_request.SetCommunity("vestry");
        m_request.SetAccessMode(a_nMode);
    }
    std::string Text(std::size_t a_nIndex)
    {
        auto it = m_request.Values().begin();
        std::advance(it, a_nIndex);
        std::string text;
        EXPECT_TRUE(it->GetText(text));
        return text;
    }
    void StartTrace()
    {
        m_trace.clear();
        ASSERT_TRUE(MibTraceLog().Start(std::make_unique<CMemoryTraceSink>(m_trace)));
    }

    std::filesystem::path m_routes;
    std::string m_trace;
};

TEST_F(GatewayOnSimulatedPrinters, OnlyTheMakersDevicesPassTheCheck)
{
    struct Case {
        const char* address;
        bool passes;
    } cases[] = {
        {"127.0.0.11", true},   // "ORVAN LP-9800C"
        {"127.0.0.14", true},   // behind the maker's network interface
        {"127.0.0.17", false},  // "Orvan LP-2100"
        {"127.0.0.16", false},  // another maker
        {"127.0.0.18", false},  // a plain host: no hrDeviceDescr.1
        {"127.0.0.99", false},  // nothing answers
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        Prepare(c.address, "vestry");
        m_request.SetAccessMode(accessGateway);
        Ask({"1.3.6.1.2.1.1.5.0", "1.3.6.1.2.1.1.1.0"});
        EXPECT_EQ(m_request.Load(), c.passes ? 2 : 0);
        EXPECT_EQ(m_request.GetErrorFlag(), c.passes ? 0 : 1);
        for (const CMibValue& v : m_request.Values())
            EXPECT_EQ(v.IsUnavailable(), !c.passes);
        EXPECT_EQ(m_request.GetAccessMode(), accessGateway);
    }
}

TEST_F(GatewayOnSimulatedPrinters, GetWithAnUnknownSecondIdentifier)
{
    Prepare("127.0.0.11", "vestry");
    m_request.SetAccessMode(accessGateway);
    Ask({"1.3.6.1.2.1.1.5.0", "1.3.6.1.2.1.1.9.0", "1.3.6.1.2.1.25.3.2.1.3.1"});
    EXPECT_EQ(m_request.Load(), 2);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    EXPECT_EQ(Text(0), "LP9800C-2F");
    EXPECT_TRUE(std::next(m_request.Values().begin())->IsUnavailable());
    EXPECT_EQ(Text(2), "ORVAN LP-9800C");
}

// Row for row, type for type, the gateway's walk is the platform library's:
// the alert table, and tables with identifiers, counters, gauges, time
// ticks, binary strings and IP addresses.
TEST_F(GatewayOnSimulatedPrinters, WalkEqualsThePlatformWalk)
{
    for (const char* root : {"1.3.6.1.2.1.43.18.1.1", "1.3.6.1.2.1.2", "1.3.6.1.2.1.4.20", "1.3.6.1.2.1.25.2.3"}) {
        SCOPED_TRACE(root);
        std::vector<CMibValueList> walks;
        for (MibAccessMode mode : {accessPlatform, accessGateway}) {
            Prepare("127.0.0.11", "vestry");
            m_request.SetAccessMode(mode);
            Ask({root});
            const int nRows = m_request.LoadEntry();
            EXPECT_EQ(m_request.GetErrorFlag(), 0);
            EXPECT_EQ(static_cast<std::size_t>(nRows), m_request.Values().size());
            walks.push_back(m_request.Values());
        }
        ASSERT_EQ(walks[0].size(), walks[1].size());
        EXPECT_GE(walks[0].size(), 8u);
        auto gateway = walks[1].begin();
        int nOutside = 0;
        for (const CMibValue& platform : walks[0]) {
            const CMibValue& g = *gateway++;
            SCOPED_TRACE(platform.GetIdentifier().Format());
            EXPECT_EQ(g.GetIdentifier(), platform.GetIdentifier());
            // The gateway's reader takes identifier values under 1.3 only;
            // another (ifSpecific's 0.0) leaves the new row as it was.
            CObjectId value;
            if (platform.GetObjectId(value) && !value.StartsWith(CObjectId("1.3"), 2)) {
                EXPECT_EQ(g.GetType(), typeNull);
                EXPECT_EQ(g.GetLength(), 0);
                ++nOutside;
                continue;
            }
            EXPECT_EQ(g.GetType(), platform.GetType());
            EXPECT_EQ(g.GetLength(), platform.GetLength());
            EXPECT_EQ(g.GetNumber(), platform.GetNumber());
            EXPECT_EQ(std::vector<std::uint8_t>(g.GetBytes(), g.GetBytes() + g.GetByteCount()),
                      std::vector<std::uint8_t>(platform.GetBytes(), platform.GetBytes() + platform.GetByteCount()));
        }
        EXPECT_LE(nOutside, 2);
    }
}

// Whatever separates network and node, the gateway gets them together and
// its route table takes it to the simulated printer.
TEST_F(GatewayOnSimulatedPrinters, IpxAddressesThroughTheRouteTable)
{
    struct Case {
        const char* address;
        const char* gateway;
        const char* sysName;  // nullptr: the request fails
    } cases[] = {
        {"1A:00A0C9123456", "1A00A0C9123456", "LP9800C-2F"},
        {"1A-00A0C9123456", "1A00A0C9123456", "LP9800C-2F"},
        {"1A.00A0C9123456", "1A00A0C9123456", "LP9800C-2F"},
        {"0000001A:00a0c9123456", "0000001A00a0c9123456", "LP9800C-2F"},
        {"BEEF:0080ABCDEF01", "BEEF0080ABCDEF01", nullptr},  // routed, but not the maker's in capitals
        {"2B:00A0C9123456", "2B00A0C9123456", nullptr},      // no route
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        PrepareIpx(c.address, accessGateway);
        EXPECT_EQ(m_request.GetGatewayAddress(), c.gateway);
        Ask({"1.3.6.1.2.1.1.5.0"});
        EXPECT_EQ(m_request.Load(), c.sysName ? 1 : 0);
        EXPECT_EQ(m_request.GetErrorFlag(), c.sysName ? 0 : 1);
        if (c.sysName) {
            EXPECT_EQ(Text(0), c.sysName);
        }
    }
    PrepareIpx("1A:00A0C9123456", accessGateway);
    Ask({"1.3.6.1.2.1.43.18.1.1"});
    EXPECT_EQ(m_request.LoadEntry(), 24);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
}

// A printer only the gateway reaches: platform-first settles on the gateway,
// and the next request goes there directly.
TEST_F(GatewayOnSimulatedPrinters, PlatformFirstSettlesOnTheTransportThatAnswered)
{
    PrepareIpx("1A:00A0C9123456", accessPlatformFirst);
    StartTrace();
    Ask({"1.3.6.1.2.1.1.5.0"});
    EXPECT_EQ(m_request.Load(), 1);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    EXPECT_EQ(m_request.GetAccessMode(), accessGateway);
    EXPECT_EQ(Text(0), "LP9800C-2F");
    EXPECT_NE(m_trace.find("OVsnmpGet:OVsnmpOpen"), std::string::npos) << m_trace;

    StartTrace();
    Ask({"1.3.6.1.2.1.1.5.0"});
    EXPECT_EQ(m_request.Load(), 1);
    EXPECT_EQ(m_request.GetAccessMode(), accessGateway);
    EXPECT_EQ(m_trace.find("OVsnmp"), std::string::npos) << m_trace;
    Ask({"1.3.6.1.2.1.43.18.1.1"});
    EXPECT_EQ(m_request.LoadEntry(), 24);
    EXPECT_EQ(m_trace.find("OVsnmp"), std::string::npos) << m_trace;

    // The walk settles the same way; a printer the platform reaches stays
    // with the platform.
    PrepareIpx("1A:00A0C9123456", accessPlatformFirst);
    Ask({"1.3.6.1.2.1.43.18.1.1"});
    EXPECT_EQ(m_request.LoadEntry(), 24);
    EXPECT_EQ(m_request.GetAccessMode(), accessGateway);
    Prepare("127.0.0.11", "vestry");
    m_request.SetAccessMode(accessPlatformFirst);
    Ask({"1.3.6.1.2.1.1.5.0"});
    EXPECT_EQ(m_request.Load(), 1);
    EXPECT_EQ(m_request.GetAccessMode(), accessPlatform);

    // accessAuto falls back to the gateway for a get, never for a walk.
    PrepareIpx("1A:00A0C9123456", accessAuto);
    Ask({"1.3.6.1.2.1.1.5.0"});
    EXPECT_EQ(m_request.Load(), 1);
    EXPECT_EQ(m_request.GetAccessMode(), accessGateway);
    m_request.SetAccessMode(accessAuto);
    Ask({"1.3.6.1.2.1.43.18.1.1"});
    EXPECT_EQ(m_request.LoadEntry(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    EXPECT_EQ(m_request.GetAccessMode(), accessPlatform);
}

// There is no set through the gateway: Store uses the platform library in
// gateway mode too, so an IPX-addressed printer cannot be set.
TEST_F(GatewayOnSimulatedPrinters, StoreUsesThePlatformLibrary)
{
    Prepare("127.0.0.11", "public");
    m_request.SetAccessMode(accessGateway);
    Ask({"1.3.6.1.4.1.32473.1.2.2.3.1.1.3.1"});
    SetInteger60(m_request.Values().front());
    EXPECT_EQ(m_request.Store(), 1);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    EXPECT_EQ(m_request.GetAccessMode(), accessGateway);

    PrepareIpx("1A:00A0C9123456", accessGateway);
    StartTrace();
    Ask({"1.3.6.1.4.1.32473.1.2.2.3.1.1.3.1"});
    SetInteger60(m_request.Values().front());
    EXPECT_EQ(m_request.Store(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    EXPECT_NE(m_trace.find("OVsnmpSet:OVsnmpOpen"), std::string::npos) << m_trace;
}

} // namespace
