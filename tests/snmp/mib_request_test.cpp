// CMibRequest against the scriptable agent: the common start, get with the
// FixPdu repetition, the decoding of every type, walk and its ends, set,
// the access modes, the gateway transport with its maker check, failures on
// every path, and the request trace.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "FaultAgent.h"
#include "KestrelTest.h"
#include "MibRequest.h"
#include "MemoryTraceSink.h"
#include "Trace.h"

using namespace testagent;

namespace {

// The trace without its opening line and the time prefix of each write.
std::string Messages(const std::string& a_log)
{
    std::string body = a_log.substr(a_log.find("\r\n") + 2);
    return std::regex_replace(body, std::regex(R"(\d+/\d+/\d+, \d+:\d\d\.\d\d : )"), "");
}

// A printer's worth of values for the well-behaved agent.
MiniMib PrinterMib()
{
    MiniMib mib;
    mib.Add(Str("1.3.6.1.2.1.1.1.0", "ORVAN LP-9800C"));
    mib.Add(Str("1.3.6.1.2.1.25.3.2.1.3.1", "ORVAN LP-9800C"));
    mib.Add(Str("1.3.6.1.2.1.1.5.0", "LP9800C"), true);
    mib.Add(Int("1.3.6.1.2.1.1.7.0", 72));
    mib.Add(Int("1.3.6.1.2.1.43.18.1.1.2.1.2", 4));
    mib.Add(Int("1.3.6.1.2.1.43.18.1.1.2.1.5", 3));
    mib.Add(Int("1.3.6.1.2.1.43.18.1.1.7.1.2", 808));
    mib.Add(Int("1.3.6.1.2.1.43.18.1.1.7.1.5", 1104));
    mib.Add(Str("1.3.6.1.2.1.43.18.1.1.8.1.2", "Tray 2 empty"));
    mib.Add(Str("1.3.6.1.2.1.43.18.1.1.8.1.5", "Cyan toner low"));
    mib.Add(Int("1.3.6.1.4.1.32473.1.2.2.3.1.1.3.1", 15), true);
    return mib;
}

class MibRequestTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetEnv("LUMET_SNMP_TIMEOUT_MS", "150");
        SetEnv("LUMET_SNMP_RETRIES", "1");
        m_mib = PrinterMib();
        m_agent = std::make_unique<FaultAgent>([this](const Request& a_r) {
            return std::vector<Datagram>{{m_mib.Answer(a_r)}};
        });
        SetEnv("LUMET_SNMP_PORT", std::to_string(m_agent->Port()));
        m_request.SetIpAddress("127.0.0.1");
        m_request.SetCommunity("public");
        m_request.SetAccessMode(accessPlatform);
    }
    void TearDown() override { MibTraceLog().Stop(); }

    void Ask(std::initializer_list<const char*> a_oids)
    {
        m_request.Values().clear();
        for (const char* oid : a_oids)
            m_request.Values().emplace_back(CObjectId(oid));
    }
    std::vector<std::string> Ids() const
    {
        std::vector<std::string> ids;
        for (const CMibValue& v : m_request.Values())
            ids.push_back(v.GetIdentifier().Format());
        return ids;
    }
    void Silence()
    {
        m_agent->SetScript([](const Request&) { return std::vector<Datagram>{}; });
    }
    void StartTrace() { ASSERT_TRUE(MibTraceLog().Start(std::make_unique<CMemoryTraceSink>(m_trace))); }

    MiniMib m_mib;
    std::unique_ptr<FaultAgent> m_agent;
    CMibRequest m_request;
    std::string m_trace;
};

TEST_F(MibRequestTest, NewAndResetState)
{
    CMibRequest r;
    EXPECT_EQ(r.GetErrorFlag(), 1);
    EXPECT_EQ(r.GetAccessMode(), accessAuto);
    EXPECT_EQ(r.GetAddressKind(), addressNone);
    r.SetIpxAddress("1A:00A0C9123456");
    EXPECT_TRUE(r.IsIpx());
    r.SetAccessMode(accessGateway);
    r.Values().emplace_back(CObjectId("1.3.6"));
    r.Reset();
    EXPECT_TRUE(r.Values().empty());
    EXPECT_EQ(r.GetAddress(), "");
    EXPECT_EQ(r.GetAddressKind(), addressNone);
    EXPECT_EQ(r.GetAccessMode(), accessAuto);
}

TEST_F(MibRequestTest, CommonStartEndsEarlyWithoutSending)
{
    EXPECT_EQ(m_request.Load(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    EXPECT_EQ(m_request.LoadEntry(), 0);
    EXPECT_EQ(m_request.Store(), 0);

    CMibRequest noAddress;
    noAddress.Values().emplace_back(CObjectId("1.3.6.1.2.1.1.1.0"));
    noAddress.Values().front().SetInteger(3);
    EXPECT_EQ(noAddress.Store(), 0);
    EXPECT_EQ(noAddress.GetErrorFlag(), 0);
    EXPECT_TRUE(noAddress.Values().front().IsUnavailable());
    EXPECT_EQ(noAddress.LoadEntry(), 0);
    EXPECT_EQ(noAddress.Values().size(), 1u);
    EXPECT_EQ(m_agent->RequestCount(), 0);
}

TEST_F(MibRequestTest, GetDropsTheUnknownIdentifierAndKeepsTheRest)
{
    Ask({"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.9.0", "1.3.6.1.2.1.1.7.0"});
    m_request.Values().back().SetTag(17);
    EXPECT_EQ(m_request.Load(), 2);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    EXPECT_EQ(m_request.GetAccessMode(), accessPlatform);
    auto it = m_request.Values().begin();
    std::string text;
    EXPECT_TRUE(it->GetText(text));
    EXPECT_EQ(text, "ORVAN LP-9800C");
    EXPECT_TRUE((++it)->IsUnavailable());
    std::int32_t n = 0;
    EXPECT_TRUE((++it)->GetInteger(n));
    EXPECT_EQ(n, 72);
    EXPECT_EQ(it->GetTag(), 17);  // requests never touch the tag
    EXPECT_EQ(m_agent->RequestCount(), 2);
}

TEST_F(MibRequestTest, GetOfUnknownIdentifiersOnlyAnswersEmptyAfterNPlusOneRequests)
{
    Ask({"1.3.6.1.2.1.1.8.0", "1.3.6.1.2.1.1.9.0", "1.3.6.1.2.1.1.10.0"});
    m_request.SetAccessMode(accessPlatformFirst);
    EXPECT_EQ(m_request.Load(), 0);
    // The printer answered every round: nothing failed as a whole, and the
    // platform library stays the transport.
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    EXPECT_EQ(m_request.GetAccessMode(), accessPlatform);
    for (const CMibValue& v : m_request.Values())
        EXPECT_TRUE(v.IsUnavailable());
    EXPECT_EQ(m_agent->RequestCount(), 4);
}

TEST_F(MibRequestTest, GetDecodesEveryType)
{
    std::vector<Var> vars;
    Var bits = Null("1.3.6.1.9.3", 0x03);
    bits.bytes = {0x80};
    Var ip = Null("1.3.6.1.9.5", 0x40);
    ip.bytes = {127, 0, 0, 11};
    Var opaque = Null("1.3.6.1.9.9", 0x44);
    opaque.bytes = {1, 2};
    vars = {Int("1.3.6.1.9.1", -2), Str("1.3.6.1.9.2", std::string("AB\0CD", 5)), bits, Null("1.3.6.1.9.4"), ip,
            Unsigned("1.3.6.1.9.6", 0x41, 4294967295u), Unsigned("1.3.6.1.9.7", 0x42, 7),
            Unsigned("1.3.6.1.9.8", 0x43, 8650400), opaque, Unsigned("1.3.6.1.9.10", 0x46, (5ull << 32) + 9),
            ObjId("1.3.6.1.9.11", "1.3.6.1.4.1.32473.1.2.1"), Null("1.3.6.1.9.12", 0x81)};
    m_agent->SetScript([&vars](const Request& a_r) { return std::vector<Datagram>{{Message(a_r.requestId, vars)}}; });
    Ask({"1.3.6.1.9.1", "1.3.6.1.9.2", "1.3.6.1.9.3", "1.3.6.1.9.4", "1.3.6.1.9.5", "1.3.6.1.9.6", "1.3.6.1.9.7",
         "1.3.6.1.9.8", "1.3.6.1.9.9", "1.3.6.1.9.10", "1.3.6.1.9.11", "1.3.6.1.9.12"});
    // The exception value is no value: not counted.
    EXPECT_EQ(m_request.Load(), 11);
    std::vector<const CMibValue*> v;
    for (const CMibValue& value : m_request.Values())
        v.push_back(&value);
    struct Expect {
        std::int32_t type, length;
    } expect[] = {{typeInteger, 4}, {typeOctetString, 5}, {typeBitString, 1}, {typeNull, 0}, {typeIpAddress, 4},
                  {typeCounter, 4}, {typeGauge, 4}, {typeTimeTickes, 4}, {typeOpaque, 2}, {typeCounter64, 4},
                  {typeObjectIdentifier, 23}, {typeUnavailable, 0}};
    for (std::size_t i = 0; i < v.size(); ++i) {
        EXPECT_EQ(v[i]->GetType(), expect[i].type) << i;
        EXPECT_EQ(v[i]->GetLength(), expect[i].length) << i;
    }
    std::int32_t n = 0;
    EXPECT_TRUE(v[0]->GetInteger(n));
    EXPECT_EQ(n, -2);
    std::string text;
    EXPECT_TRUE(v[1]->GetText(text));
    EXPECT_EQ(text, "AB");
    std::vector<std::uint8_t> ab;
    EXPECT_TRUE(v[1]->GetOctets(ab));
    EXPECT_EQ(ab.size(), 5u);
    EXPECT_TRUE(v[4]->GetIpAddress(ab));
    EXPECT_EQ(ab, (std::vector<std::uint8_t>{127, 0, 0, 11}));
    std::uint32_t dw = 0;
    EXPECT_TRUE(v[5]->GetCounter(dw));
    EXPECT_EQ(dw, 4294967295u);
    EXPECT_TRUE(v[7]->GetTimeTicks(dw));
    EXPECT_EQ(dw, 8650400u);
    EXPECT_EQ(v[9]->GetNumber(), 9u);
    EXPECT_EQ(v[9]->GetHighWord(), 5u);
    CObjectId oid;
    EXPECT_TRUE(v[10]->GetObjectId(oid));
    EXPECT_EQ(oid.Format(), "1.3.6.1.4.1.32473.1.2.1");
}

TEST_F(MibRequestTest, GetFailsOnErrorStatusWithIndexZero)
{
    m_agent->SetScript([](const Request& a_r) { return std::vector<Datagram>{{Message(a_r.requestId, a_r.vars, 5, 0)}}; });
    Ask({"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.7.0"});
    m_request.Values().front().SetInteger(1);
    EXPECT_EQ(m_request.Load(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    for (const CMibValue& v : m_request.Values())
        EXPECT_TRUE(v.IsUnavailable());
    EXPECT_EQ(m_agent->RequestCount(), 1);
}

TEST_F(MibRequestTest, BadAnswersAreDroppedAndTheRightOneTaken)
{
    // Truncated, wrong id, from another port: none of them is the answer.
    m_agent->SetScript([this](const Request& a_r) {
        Bytes right = m_mib.Answer(a_r);
        Request other = a_r;
        other.requestId ^= 0x5A5A;
        return std::vector<Datagram>{{Bytes(right.begin(), right.begin() + 20)},
                                     {m_mib.Answer(other)},
                                     {right, 0, true},
                                     {right}};
    });
    Ask({"1.3.6.1.2.1.1.7.0"});
    EXPECT_EQ(m_request.Load(), 1);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);

    // Only bad answers: the request fails like an unreachable printer.
    m_agent->SetScript([this](const Request& a_r) {
        Bytes right = m_mib.Answer(a_r);
        Request other = a_r;
        other.requestId += 1;
        right.pop_back();
        return std::vector<Datagram>{{right}, {m_mib.Answer(other)}};
    });
    EXPECT_EQ(m_request.Load(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    EXPECT_TRUE(m_request.Values().front().IsUnavailable());
}

TEST_F(MibRequestTest, WalkReturnsTheRowsOfTheSubtree)
{
    Ask({"1.3.6.1.2.1.43.18.1.1"});
    EXPECT_EQ(m_request.LoadEntry(), 6);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"1.3.6.1.2.1.43.18.1.1.2.1.2", "1.3.6.1.2.1.43.18.1.1.2.1.5",
                                               "1.3.6.1.2.1.43.18.1.1.7.1.2", "1.3.6.1.2.1.43.18.1.1.7.1.5",
                                               "1.3.6.1.2.1.43.18.1.1.8.1.2", "1.3.6.1.2.1.43.18.1.1.8.1.5"}));
    std::string text;
    EXPECT_TRUE(m_request.Values().back().GetText(text));
    EXPECT_EQ(text, "Cyan toner low");
    EXPECT_EQ(m_agent->RequestCount(), 7);  // one per row plus one

    // An empty subtree, and one at the end of the agent's MIB.
    for (const char* root : {"1.3.6.1.2.1.43.11", "1.3.6.1.4.1.32473.1.2.2.21", "1.3.6.1.4.1.32473.1.2.2.3.1.1.3.1"}) {
        Ask({root});
        EXPECT_EQ(m_request.LoadEntry(), 0) << root;
        EXPECT_EQ(m_request.GetErrorFlag(), 0) << root;
        EXPECT_TRUE(m_request.Values().empty()) << root;
    }
    // The end of the agent's MIB ends a subtree that had rows too.
    Ask({"1.3.6.1.4.1.32473"});
    EXPECT_EQ(m_request.LoadEntry(), 1);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
}

TEST_F(MibRequestTest, WalkStopsWhenTheAgentDoesNotMoveForward)
{
    // Answers every get-next inside the subtree, but from the second row on
    // with the same or an earlier identifier.
    for (int backwards : {0, 1}) {
        int nSeen = 0;
        m_agent->SetScript([&nSeen, backwards](const Request& a_r) {
            ++nSeen;
            const char* oid = nSeen == 1 ? "1.3.6.1.2.1.43.18.1.1.2.1.5"
                              : backwards ? "1.3.6.1.2.1.43.18.1.1.2.1.2"
                                          : "1.3.6.1.2.1.43.18.1.1.2.1.5";
            return std::vector<Datagram>{{Message(a_r.requestId, {Int(oid, 4)})}};
        });
        Ask({"1.3.6.1.2.1.43.18.1.1"});
        EXPECT_EQ(m_request.LoadEntry(), 1);
        EXPECT_EQ(m_request.GetErrorFlag(), 0);
        EXPECT_EQ(Ids(), std::vector<std::string>{"1.3.6.1.2.1.43.18.1.1.2.1.5"});
        EXPECT_EQ(nSeen, 2);
    }
}

TEST_F(MibRequestTest, WalkFailures)
{
    // Two values: nothing is sent.
    Ask({"1.3.6.1.2.1.1", "1.3.6.1.2.1.2"});
    EXPECT_EQ(m_request.LoadEntry(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    EXPECT_TRUE(m_request.Values().empty());
    // An empty start identifier.
    m_request.Values().emplace_back();
    EXPECT_EQ(m_request.LoadEntry(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    EXPECT_EQ(m_agent->RequestCount(), 0);

    // An error status other than noSuchName, part-way through.
    int nSeen = 0;
    m_agent->SetScript([this, &nSeen](const Request& a_r) {
        if (++nSeen == 3)
            return std::vector<Datagram>{{Message(a_r.requestId, a_r.vars, 5, 1)}};
        return std::vector<Datagram>{{m_mib.Answer(a_r)}};
    });
    Ask({"1.3.6.1.2.1.43.18.1.1"});
    EXPECT_EQ(m_request.LoadEntry(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    EXPECT_TRUE(m_request.Values().empty());

    // The agent falls silent part-way through.
    nSeen = 0;
    m_agent->SetScript([this, &nSeen](const Request& a_r) {
        if (++nSeen >= 3)
            return std::vector<Datagram>{};
        return std::vector<Datagram>{{m_mib.Answer(a_r)}};
    });
    Ask({"1.3.6.1.2.1.43.18.1.1"});
    EXPECT_EQ(m_request.LoadEntry(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    EXPECT_TRUE(m_request.Values().empty());
}

TEST_F(MibRequestTest, SetConfirmedAndRefused)
{
    Ask({"1.3.6.1.4.1.32473.1.2.2.3.1.1.3.1"});
    m_request.Values().front().SetInteger(30);
    EXPECT_EQ(m_request.Store(), 1);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    std::int32_t n = 0;
    EXPECT_TRUE(m_request.Values().front().GetInteger(n));
    EXPECT_EQ(n, 30);
    EXPECT_EQ(m_mib.Find(ParseOid("1.3.6.1.4.1.32473.1.2.2.3.1.1.3.1"))->number, 30);

    // A read-only object alone: refused; the printer answered, so nothing is
    // confirmed and the value comes back unavailable, without error flag.
    Ask({"1.3.6.1.2.1.1.1.0"});
    m_request.Values().front().SetInteger(1);
    EXPECT_EQ(m_request.Store(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    EXPECT_TRUE(m_request.Values().front().IsUnavailable());
    EXPECT_EQ(m_mib.Find(ParseOid("1.3.6.1.2.1.1.1.0"))->type, 0x04);

    // A refused value among others is dropped and the rest set again.
    Ask({"1.3.6.1.2.1.1.5.0", "1.3.6.1.2.1.1.1.0", "1.3.6.1.4.1.32473.1.2.2.3.1.1.3.1"});
    auto it = m_request.Values().begin();
    const char name[] = "LAB";
    it->StoreBytesZ(reinterpret_cast<const std::uint8_t*>(name), 3);
    it->SetTypeAndLength(typeOctetString, 3);
    (++it)->SetInteger(7);
    (++it)->SetInteger(60);
    EXPECT_EQ(m_request.Store(), 2);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    it = m_request.Values().begin();
    EXPECT_TRUE(it->IsOctetString());
    EXPECT_TRUE((++it)->IsUnavailable());
    EXPECT_TRUE((++it)->IsInteger());
    // One set, the refused one and its empty repetition, then two rounds.
    EXPECT_EQ(m_agent->RequestCount(), 5);
}

TEST_F(MibRequestTest, SetSendsEachTypeAsItsPlatformType)
{
    m_agent->SetScript([](const Request& a_r) { return std::vector<Datagram>{{Message(a_r.requestId, a_r.vars)}}; });
    Ask({"1.3.6.1.9.1", "1.3.6.1.9.2", "1.3.6.1.9.3", "1.3.6.1.9.4", "1.3.6.1.9.5", "1.3.6.1.9.6", "1.3.6.1.9.7",
         "1.3.6.1.9.8", ""});
    std::vector<CMibValue*> v;
    for (CMibValue& value : m_request.Values())
        v.push_back(&value);
    v[0]->SetInteger(-1);
    v[1]->StoreNumber(4000000000u);
    v[1]->SetTypeAndLength(typeUnsignedInteger, 4);
    v[2]->StoreNumber(12);
    v[2]->SetTypeAndLength(typeTimeTickes, 4);
    const std::uint8_t ip[] = {127, 0, 0, 11};
    v[3]->StoreBytes(ip, 4);
    v[3]->SetTypeAndLength(typeIpAddress, 4);
    const std::uint32_t oid[] = {1, 3, 6, 1, 4, 1, 32473};
    v[4]->SetTypeAndLength(typeObjectIdentifier, static_cast<std::int32_t>(v[4]->StoreObjectId(oid, 7)));
    v[5]->StoreNumber(1, 2);
    v[5]->SetTypeAndLength(typeCounter64, 4);
    v[6]->SetNull();
    v[7]->SetUnavailable();  // no platform form: left out
    v[8]->SetInteger(1);     // no identifier: left out
    StartTrace();
    EXPECT_EQ(m_request.Store(), 7);
    const std::vector<Request> seen = m_agent->Requests();
    ASSERT_EQ(seen.size(), 1u);
    ASSERT_EQ(seen[0].vars.size(), 7u);
    std::vector<int> types;
    for (const Var& var : seen[0].vars)
        types.push_back(var.type);
    EXPECT_EQ(types, (std::vector<int>{0x02, 0x42, 0x43, 0x40, 0x06, 0x46, 0x05}));
    EXPECT_EQ(seen[0].vars[1].number, 4000000000ll);
    EXPECT_EQ(seen[0].vars[4].objid, (Oid{1, 3, 6, 1, 4, 1, 32473}));
    EXPECT_EQ(seen[0].vars[5].number, (2ll << 32) + 1);
    EXPECT_TRUE(v[7]->IsUnavailable());
    EXPECT_TRUE(v[8]->IsUnavailable());

    EXPECT_EQ(Messages(m_trace),
              "LoadEntry(), id: 1.3.6.1.9.1\r\ntypeInteger\r\n"
              "LoadEntry(), id: 1.3.6.1.9.2\r\ntypeUnsignedInteger\r\n"
              "LoadEntry(), id: 1.3.6.1.9.3\r\ntypeTimeTickes\r\n"
              "LoadEntry(), id: 1.3.6.1.9.4\r\ntypeIpAddress\r\n"
              "LoadEntry(), id: 1.3.6.1.9.5\r\ntypeObjectIdentifier\r\n"
              "LoadEntry(), id: 1.3.6.1.9.6\r\ntypeCounter64\r\n"
              "LoadEntry(), id: 1.3.6.1.9.7\r\ntype is unknown(5)\r\n"
              "LoadEntry(), id: 1.3.6.1.9.8\r\ntype is unknown(255)\r\n"
              "LoadEntry(), id: \r\ntypeInteger\r\n");
}

TEST_F(MibRequestTest, AnUnreachablePrinterFailsEveryOperation)
{
    Silence();
    StartTrace();
    Ask({"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.7.0"});
    EXPECT_EQ(m_request.Load(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    for (const CMibValue& v : m_request.Values())
        EXPECT_TRUE(v.IsUnavailable());

    Ask({"1.3.6.1.2.1.43.18.1.1"});
    EXPECT_EQ(m_request.LoadEntry(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    EXPECT_TRUE(m_request.Values().empty());

    Ask({"1.3.6.1.2.1.1.5.0"});
    m_request.Values().front().SetInteger(1);
    EXPECT_EQ(m_request.Store(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    EXPECT_TRUE(m_request.Values().front().IsUnavailable());

    // The texts as the system writes them: a line end inside a message
    // stays as it is, and a message that does not end with one runs into
    // the next line.
    EXPECT_EQ(Messages(m_trace),
              "Load(), id: 1.3.6.1.2.1.1.1.0\r\n"
              "Load(), id: 1.3.6.1.2.1.1.7.0\r\n"
              "OVsnmpGet:OVsnmpBlockingSend ErrNO.=5\n "
              "LoadEntry(), id: 1.3.6.1.2.1.43.18.1.1\r\n"
              "OVsnmpGetNext-->StartOID=1.3.6.1.2.1.43.18.1.1\r\n"
              "OVsnmpGetNxt:OVsnmpBlockingSend ErrNO.=5\n "
              "LoadEntry(), id: 1.3.6.1.2.1.1.5.0\r\n"
              "typeInteger\r\n"
              "OVsnmpSet:OVsnmpBlockingSend ErrNO.=5\n ");
}

TEST_F(MibRequestTest, OpenFailuresAreTraced)
{
    StartTrace();
    m_request.SetIpxAddress("1A:00A0C9123456");
    m_request.SetCommunity("vestry");
    Ask({"1.3.6.1.2.1.1.1.0"});
    EXPECT_EQ(m_request.Load(), 0);
    EXPECT_EQ(m_request.GetErrorFlag(), 1);
    EXPECT_TRUE(m_request.Values().front().IsUnavailable());
    Ask({"1.3.6.1.2.1.1"});
    EXPECT_EQ(m_request.LoadEntry(), 0);
    Ask({"1.3.6.1.2.1.1.5.0"});
    EXPECT_EQ(m_request.Store(), 0);
    EXPECT_EQ(Messages(m_trace),
              "Load(), id: 1.3.6.1.2.1.1.1.0\r\n"
              "OVsnmpGet:OVsnmpOpen ErrNO.=2\n Commuity=vestry Addr=1A:00A0C9123456\r\n"
              "LoadEntry(), id: 1.3.6.1.2.1.1\r\n"
              "OVsnmpGetNext:OVsnmpOpen ErrNO.=2\n Commuity=vestry Addr=1A:00A0C9123456\r\n"
              "LoadEntry(), id: 1.3.6.1.2.1.1.5.0\r\n"
              "type is unknown(5)\r\n"
              "OVsnmpSet:OVsnmpOpen ErrNO.=2\n Commuity=vestry Addr=1A:00A0C9123456\r\n");
    EXPECT_EQ(m_agent->RequestCount(), 0);
}

TEST_F(MibRequestTest, AccessModesRecordTheTransportReached)
{
    struct Case {
        MibAccessMode mode;
        bool answers;
        MibAccessMode loadEnds;
        int loadError;
        MibAccessMode walkEnds;
    } cases[] = {
        {accessAuto, true, accessPlatform, 0, accessPlatform},
        {accessAuto, false, accessGateway, 1, accessPlatform},
        {accessPlatform, false, accessPlatform, 1, accessPlatform},
        {accessPlatformFirst, true, accessPlatform, 0, accessPlatform},
        {accessPlatformFirst, false, accessGateway, 1, accessGateway},
        {accessGateway, true, accessGateway, 0, accessGateway},
        {accessGateway, false, accessGateway, 1, accessGateway},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << MibAccessModeName(c.mode) << (c.answers ? " answers" : " silent"));
        if (c.answers)
            m_agent->SetScript([this](const Request& a_r) { return std::vector<Datagram>{{m_mib.Answer(a_r)}}; });
        else
            Silence();
        const int nBefore = m_agent->RequestCount();
        m_request.SetAccessMode(c.mode);
        Ask({"1.3.6.1.2.1.1.7.0"});
        m_request.Load();
        EXPECT_EQ(m_request.GetAccessMode(), c.loadEnds);
        EXPECT_EQ(m_request.GetErrorFlag(), c.loadError);
        EXPECT_EQ(m_request.Values().front().IsUnavailable(), c.loadError == 1);
        // The gateway asks for the device's description before anything.
        const std::vector<Request> requests = m_agent->Requests();
        if (c.mode == accessGateway) {
            ASSERT_GT(requests.size(), static_cast<std::size_t>(nBefore));
            EXPECT_EQ(requests[nBefore].vars.front().oid, ParseOid("1.3.6.1.2.1.25.3.2.1.3.1"));
        }

        m_request.SetAccessMode(c.mode);
        Ask({"1.3.6.1.2.1.43.18.1.1"});
        const int nRows = m_request.LoadEntry();
        EXPECT_EQ(m_request.GetAccessMode(), c.walkEnds);
        EXPECT_EQ(m_request.GetErrorFlag(), c.loadError);
        EXPECT_EQ(nRows, c.answers ? 6 : 0);
        EXPECT_EQ(m_request.Values().size(), static_cast<std::size_t>(nRows));
    }
    // A set goes through the platform library in every mode, and leaves
    // the mode as it was.
    m_agent->SetScript([this](const Request& a_r) { return std::vector<Datagram>{{m_mib.Answer(a_r)}}; });
    for (MibAccessMode mode : {accessGateway, accessPlatformFirst, accessAuto}) {
        m_request.SetAccessMode(mode);
        Ask({"1.3.6.1.4.1.32473.1.2.2.3.1.1.3.1"});
        m_request.Values().front().SetInteger(5);
        const int nBefore = m_agent->RequestCount();
        EXPECT_EQ(m_request.Store(), 1);
        EXPECT_EQ(m_request.GetAccessMode(), mode);
        ASSERT_EQ(m_agent->RequestCount(), nBefore + 1);
        EXPECT_EQ(m_agent->Requests().back().command, 0xA3);
    }
}

// The maker check: the gateway serves a device only when its hrDeviceDescr.1
// names the maker in capitals; otherwise the whole request fails.
TEST_F(MibRequestTest, GatewayMakerCheck)
{
    struct Case {
        const char* name;
        bool silent;
        const Var* descr;  // nullptr: the device has no hrDeviceDescr.1
        bool passes;
    };
    const Var laser = Str("1.3.6.1.2.1.25.3.2.1.3.1", "ORVAN LP-9800C");
    const Var xeth = Str("1.3.6.1.2.1.25.3.2.1.3.1", "X ORVAN Ethernet (ORVAN LQ-590)");
    const Var mixed = Str("1.3.6.1.2.1.25.3.2.1.3.1", "Orvan LP-2100");
    const Var other = Str("1.3.6.1.2.1.25.3.2.1.3.1", "TAMARACK PageJet 4100");
    const Var hidden = Str("1.3.6.1.2.1.25.3.2.1.3.1", std::string("LP\0ORVAN", 8));
    const Var number = Int("1.3.6.1.2.1.25.3.2.1.3.1", 0x4F52);
    const Case cases[] = {
        {"capitals", false, &laser, true},    {"behind an interface", false, &xeth, true},
        {"mixed case", false, &mixed, false}, {"another maker", false, &other, false},
        {"after a zero byte", false, &hidden, false}, {"not a string", false, &number, false},
        {"no such object", false, nullptr, false}, {"silent", true, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MiniMib mib = PrinterMib();
        MiniMib device;
        for (const char* id : {"1.3.6.1.2.1.1.5.0", "1.3.6.1.2.1.1.7.0", "1.3.6.1.2.1.43.18.1.1.2.1.2"})
            device.Add(*mib.Find(ParseOid(id)));
        if (c.descr)
            device.Add(*c.descr);
        m_agent->SetScript([&](const Request& a_r) {
            return c.silent ? std::vector<Datagram>{} : std::vector<Datagram>{{device.Answer(a_r)}};
        });
        m_request.SetAccessMode(accessGateway);
        Ask({"1.3.6.1.2.1.1.5.0", "1.3.6.1.2.1.1.7.0"});
        EXPECT_EQ(m_request.Load(), c.passes ? 2 : 0);
        EXPECT_EQ(m_request.GetErrorFlag(), c.passes ? 0 : 1);
        for (const CMibValue& v : m_request.Values())
            EXPECT_EQ(v.IsUnavailable(), !c.passes);

        Ask({"1.3.6.1.2.1.43.18.1.1"});
        EXPECT_EQ(m_request.LoadEntry(), c.passes ? 1 : 0);
        EXPECT_EQ(m_request.GetErrorFlag(), c.passes ? 0 : 1);
        EXPECT_EQ(m_request.Values().size(), c.passes ? 1u : 0u);
    }
    Silence();
}

TEST_F(MibRequestTest, GatewayGetOneExchangePerValue)
{
    Var ip = Null("1.3.6.1.9.5", 0x40);
    ip.bytes = {127, 0, 0, 11};
    Var opaque = Null("1.3.6.1.9.9", 0x44);
    opaque.bytes = {1, 2};
    for (const Var& v : {Int("1.3.6.1.9.1", -2), Str("1.3.6.1.9.2", std::string("AB\0CD", 5)), Null("1.3.6.1.9.4"),
                         ip, Unsigned("1.3.6.1.9.6", 0x41, 4294967295u), Unsigned("1.3.6.1.9.7", 0x42, 7),
                         Unsigned("1.3.6.1.9.8", 0x43, 8650400), opaque, ObjId("1.3.6.1.9.11", "1.3.6.1.4.1.32473.1.2.1")})
        m_mib.Add(v);
    m_request.SetAccessMode(accessGateway);
    Ask({"1.3.6.1.9.1", "1.3.6.1.9.2", "1.3.6.1.9.3", "1.3.6.1.9.4", "1.3.6.1.9.5", "1.3.6.1.9.6", "1.3.6.1.9.7",
         "1.3.6.1.9.8", "1.3.6.1.9.9", "1.3.6.1.9.11"});
    m_request.Values().emplace_back();  // no identifier: skipped
    // The unknown 1.3.6.1.9.3 is not counted; Opaque is not decoded by the
    // gateway's reader, yet the device answered it.
    EXPECT_EQ(m_request.Load(), 9);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
    // The maker check, then one get per identifier.
    EXPECT_EQ(m_agent->RequestCount(), 11);
    struct Expect {
        std::int32_t type, length;
        std::uint32_t number;
    } expect[] = {{typeInteger, 4, 0xFFFFFFFE}, {typeOctetString, 5, 0},     {typeUnavailable, 0, 0},
                  {typeNull, 0, 0},             {typeIpAddress, 4, 0},       {typeCounter, 4, 4294967295u},
                  {typeGauge, 4, 7},            {typeTimeTickes, 4, 8650400}, {typeUnavailable, 0, 0},
                  {typeObjectIdentifier, 23, 0}, {typeUnavailable, 0, 0}};
    std::size_t i = 0;
    for (const CMibValue& v : m_request.Values()) {
        SCOPED_TRACE(i);
        EXPECT_EQ(v.GetType(), expect[i].type);
        EXPECT_EQ(v.GetLength(), expect[i].length);
        EXPECT_EQ(v.GetNumber(), expect[i].number);
        ++i;
    }
    auto it = m_request.Values().begin();
    std::string text;
    EXPECT_TRUE((++it)->GetText(text));
    EXPECT_EQ(text, "AB");
    std::advance(it, 8);
    CObjectId oid;
    EXPECT_TRUE(it->GetObjectId(oid));
    EXPECT_EQ(oid.Format(), "1.3.6.1.4.1.32473.1.2.1");
}

// A walk whose send fails ends with no rows; only failures other than "no
// data here" fail the request.
TEST_F(MibRequestTest, GatewayWalkSendFailures)
{
    struct Case {
        int result;
        int errorNo;
        int errorFlag;
    } cases[] = {
        {-1, -104, 0}, {-1, 0, 0},    {-1, -108, 0}, {-1, -121, 0}, {-1, -124, 0},
        {-1, -107, 1}, {-1, -120, 1}, {-1, -125, 1}, {-2, -106, 0},
    };
    m_request.SetAccessMode(accessGateway);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.result << " " << c.errorNo);
        MIBTestFailSends(MIB_KIND_WALK, 1, c.result, c.errorNo);
        Ask({"1.3.6.1.2.1.43.18.1.1"});
        EXPECT_EQ(m_request.LoadEntry(), 0);
        EXPECT_EQ(m_request.GetErrorFlag(), c.errorFlag);
        EXPECT_TRUE(m_request.Values().empty());
    }
    // Without an injection the same walk finds the rows.
    Ask({"1.3.6.1.2.1.43.18.1.1"});
    EXPECT_EQ(m_request.LoadEntry(), 6);
    EXPECT_EQ(m_request.GetErrorFlag(), 0);
}

TEST_F(MibRequestTest, GatewayTraceLines)
{
    testagent::SetEnv("LUMET_KESTREL_ROUTES", "");
    m_request.SetAccessMode(accessGateway);
    m_request.SetCommunity("vestry");
    StartTrace();
    // An IPX address without a route.
    m_request.SetIpxAddress("1A:00A0C9123456");
    Ask({"1.3.6.1.2.1.1.5.0"});
    EXPECT_EQ(m_request.Load(), 0);
    Ask({"1.3.6.1.2.1.1"});
    EXPECT_EQ(m_request.LoadEntry(), 0);
    // The agent itself: an unknown identifier, a list that is no walk, a
    // walk whose send fails, a device that is not the maker's.
    m_request.SetIpAddress("127.0.0.1");
    Ask({"1.3.6.1.2.1.1.9.0", "1.3.6.1.2.1.1.5.0"});
    EXPECT_EQ(m_request.Load(), 1);
    Ask({"1.3.6.1.2.1.1", "1.3.6.1.2.1.43"});
    EXPECT_EQ(m_request.LoadEntry(), 0);
    MIBTestFailSends(MIB_KIND_WALK, 1, -1, -104);
    Ask({"1.3.6.1.2.1.43.18.1.1"});
    EXPECT_EQ(m_request.LoadEntry(), 0);
    Silence();
    Ask({"1.3.6.1.2.1.1.5.0"});
    EXPECT_EQ(m_request.Load(), 0);
    EXPECT_EQ(Messages(m_trace),
              "Load(), id: 1.3.6.1.2.1.1.5.0\r\n"
              "MIBGwGet:MIBGetCannelInfo ErrNO.=-103,Commuity=vestry Addr=1A:00A0C9123456\r\n"
              "LoadEntry(), id: 1.3.6.1.2.1.1\r\n"
              "MIBGwGet:MIBGetCannelInfo ErrNO.=-103,Commuity=vestry Addr=1A:00A0C9123456\r\n"
              "Load(), id: 1.3.6.1.2.1.1.9.0\r\n"
              "Load(), id: 1.3.6.1.2.1.1.5.0\r\n"
              "MIBGwGet:MIBSend ErrNO.=-104 ObjectID=1.3.6.1.2.1.1.9.0\r\n"
              "LoadEntry(), id: 1.3.6.1.2.1.1\r\n"
              "LoadEntry(), id: 1.3.6.1.2.1.43\r\n"
              "MIBGwGetNext NO LIST"
              "LoadEntry(), id: 1.3.6.1.2.1.43.18.1.1\r\n"
              "MIBGwGet:MIBSend ErrNO.=-104 ObjectID=1.3.6.1.2.1.43.18.1.1\r\n"
              "Load(), id: 1.3.6.1.2.1.1.5.0\r\n"
              "MIBGwGet:OrvanCheck FALSE\r\n");
}

} // namespace
