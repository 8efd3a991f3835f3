// CMibRequest against two real, independent agents: the simulated printers
// (snmpsimd) and net-snmp's snmpd, both started by the "agents" fixture on
// the port in LUMET_SNMP_PORT (tests/support/agents.sh).
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "FaultAgent.h"
#include "MibRequest.h"

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
    EXPECT_EQ(m_request.Store(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
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

} // namespace
