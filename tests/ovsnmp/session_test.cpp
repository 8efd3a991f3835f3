// The platform SNMP library through its C interface, against the scriptable
// agent: which datagrams count as the answer, retries, time-outs, the
// environment, FixPdu, and the checks on what callers hand in.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include "FaultAgent.h"
#include "OVsnmp.h"

using namespace testagent;

namespace {

struct PduDeleter {
    void operator()(OVsnmpPdu* a_pdu) const { OVsnmpFreePdu(a_pdu); }
};
struct SessionDeleter {
    void operator()(OVsnmpSession* a_session) const { OVsnmpClose(a_session); }
};
using Pdu = std::unique_ptr<OVsnmpPdu, PduDeleter>;
using Session = std::unique_ptr<OVsnmpSession, SessionDeleter>;

const std::uint32_t kSysDescr[] = {1, 3, 6, 1, 2, 1, 1, 1, 0};
const std::uint32_t kSysName[] = {1, 3, 6, 1, 2, 1, 1, 5, 0};
const std::uint32_t kSysLocation[] = {1, 3, 6, 1, 2, 1, 1, 6, 0};

struct StrayLog {
    std::vector<int> reasons;
    std::vector<std::int32_t> ids;
};

void RecordStray(int a_reason, OVsnmpSession*, OVsnmpPdu* a_pdu, void* a_data)
{
    auto* log = static_cast<StrayLog*>(a_data);
    log->reasons.push_back(a_reason);
    log->ids.push_back(a_pdu ? a_pdu->request_id : -1);
    OVsnmpFreePdu(a_pdu);
}

class OVsnmpSessionTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetEnv("LUMET_SNMP_TIMEOUT_MS", "200");
        SetEnv("LUMET_SNMP_RETRIES", "2");
        SetEnv("LUMET_SNMP_PORT", "");
    }

    Session Open(const std::string& a_peer, StrayLog* a_log = nullptr)
    {
        return Session(OVsnmpOpen("public", a_peer.c_str(), OVSNMP_DEFAULT_RETRIES, 8, OVSNMP_DEFAULT_PORT,
                                  OVSNMP_DEFAULT_PORT, a_log ? RecordStray : nullptr, a_log));
    }

    static Pdu GetOf(const std::uint32_t* a_oid, std::uint32_t a_n)
    {
        Pdu pdu(OVsnmpCreatePdu(OVSNMP_GET_REQ));
        EXPECT_TRUE(OVsnmpAddNullVarBind(pdu.get(), a_oid, a_n));
        return pdu;
    }

    static std::string Text(const OVsnmpVarBind* a_var)
    {
        return a_var && a_var->val.string ? std::string(reinterpret_cast<char*>(a_var->val.string), a_var->val_len)
                                          : std::string("<none>");
    }
};

TEST_F(OVsnmpSessionTest, OnlyTheAnswerToThisRequestIsTaken)
{
    FaultAgent agent([](const Request& a_r) {
        std::vector<Datagram> out;
        const Bytes answer = Message(a_r.requestId, {Str("1.3.6.1.2.1.1.1.0", "right")});
        out.push_back({Bytes(answer.begin(), answer.end() - 3)});                                  // truncated
        out.push_back({{0x30, 0x03, 0x02, 0x01}});                                                  // garbage
        out.push_back({Message(a_r.requestId + 1, {Str("1.3.6.1.2.1.1.1.0", "other id")})});        // wrong id
        out.push_back({Message(a_r.requestId, {Str("1.3.6.1.2.1.1.1.0", "other port")}), 0, true}); // wrong source
        out.push_back({Message(a_r.requestId, {Str("1.3.6.1.2.1.1.1.0", "a request")}, 0, 0, 0xA0)});
        out.push_back({answer});
        return out;
    });
    StrayLog log;
    Session session = Open(agent.Address(), &log);
    ASSERT_TRUE(session);
    EXPECT_EQ(session->session_flags, OVSNMP_SF_DELIVER_STRAYS | OVSNMP_SF_NO_INHERIT);
    Pdu request = GetOf(kSysDescr, 9);
    Pdu response(OVsnmpBlockingSend(session.get(), request.get()));
    ASSERT_TRUE(response) << OVsnmpErrno;
    EXPECT_EQ(OVsnmpErrno, OVSNMP_ERR_NONE);
    EXPECT_EQ(response->command, OVSNMP_GET_RSP);
    EXPECT_EQ(response->request_id, request->request_id);
    EXPECT_EQ(Text(response->variables), "right");
    EXPECT_EQ(agent.RequestCount(), 1);
    // Well-formed datagrams that answer nothing went to the callback,
    // malformed ones nowhere.
    EXPECT_EQ(log.reasons, (std::vector<int>{OVSNMP_REASON_STRAY, OVSNMP_REASON_STRAY, OVSNMP_REASON_STRAY}));

    const std::vector<Request> seen = agent.Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].version, 0);
    EXPECT_EQ(seen[0].command, OVSNMP_GET_REQ);
    EXPECT_EQ(seen[0].community, "public");
    EXPECT_EQ(seen[0].vars[0].type, OVSNMP_NULL);
}

TEST_F(OVsnmpSessionTest, StraysAreDroppedWhenTheFlagIsCleared)
{
    FaultAgent agent([](const Request& a_r) {
        return std::vector<Datagram>{{Message(a_r.requestId + 7, {Int("1.3.6.1.2.1.1.7.0", 1)})},
                                     {Message(a_r.requestId, {Int("1.3.6.1.2.1.1.7.0", 72)})}};
    });
    StrayLog log;
    Session session = Open(agent.Address(), &log);
    ASSERT_TRUE(session);
    session->session_flags &= static_cast<std::uint16_t>(~OVSNMP_SF_DELIVER_STRAYS);
    Pdu request = GetOf(kSysDescr, 9);
    Pdu response(OVsnmpBlockingSend(session.get(), request.get()));
    ASSERT_TRUE(response);
    EXPECT_EQ(*response->variables->val.integer, 72);
    EXPECT_TRUE(log.reasons.empty());
}

TEST_F(OVsnmpSessionTest, NoAnswerFailsAfterTheRetriesWithOneRequestId)
{
    FaultAgent agent;  // hears, never answers
    Session session = Open(agent.Address());
    ASSERT_TRUE(session);
    Pdu request = GetOf(kSysDescr, 9);
    EXPECT_EQ(OVsnmpBlockingSend(session.get(), request.get()), nullptr);
    EXPECT_EQ(OVsnmpErrno, OVSNMP_ERR_TIMEOUT);
    const std::vector<Request> seen = agent.Requests();
    ASSERT_EQ(seen.size(), 3u);  // the first try and two retries
    EXPECT_EQ(seen[1].requestId, seen[0].requestId);
    EXPECT_EQ(seen[2].requestId, seen[0].requestId);

    // Retries given by the caller win over the environment's default.
    Session once(OVsnmpOpen("public", agent.Address().c_str(), 0, 1, OVSNMP_DEFAULT_PORT, OVSNMP_DEFAULT_PORT,
                            nullptr, nullptr));
    ASSERT_TRUE(once);
    EXPECT_EQ(OVsnmpBlockingSend(once.get(), request.get()), nullptr);
    EXPECT_EQ(agent.RequestCount(), 4);
}

TEST_F(OVsnmpSessionTest, ARetryIsAnsweredAndRequestIdsDifferPerRequest)
{
    int nSeen = 0;
    FaultAgent agent([&nSeen](const Request& a_r) {
        if (++nSeen % 2 == 1)
            return std::vector<Datagram>{};  // every first try is lost
        return std::vector<Datagram>{{Message(a_r.requestId, {Int("1.3.6.1.2.1.1.7.0", nSeen)})}};
    });
    Session session = Open(agent.Address());
    ASSERT_TRUE(session);
    Pdu first = GetOf(kSysDescr, 9);
    Pdu a(OVsnmpBlockingSend(session.get(), first.get()));
    ASSERT_TRUE(a);
    EXPECT_EQ(*a->variables->val.integer, 2);
    Pdu second = GetOf(kSysDescr, 9);
    Pdu b(OVsnmpBlockingSend(session.get(), second.get()));
    ASSERT_TRUE(b);
    EXPECT_EQ(*b->variables->val.integer, 4);
    EXPECT_NE(first->request_id, second->request_id);
    EXPECT_GT(first->request_id, 0);
}

TEST_F(OVsnmpSessionTest, TheEnvironmentGivesTheAgentPort)
{
    FaultAgent agent([](const Request& a_r) {
        return std::vector<Datagram>{{Message(a_r.requestId, {Str("1.3.6.1.2.1.1.1.0", "here")})}};
    });
    SetEnv("LUMET_SNMP_PORT", std::to_string(agent.Port()));
    Session session = Open("127.0.0.1");
    ASSERT_TRUE(session);
    Pdu request = GetOf(kSysDescr, 9);
    Pdu response(OVsnmpBlockingSend(session.get(), request.get()));
    ASSERT_TRUE(response);
    EXPECT_EQ(Text(response->variables), "here");
}

TEST_F(OVsnmpSessionTest, OpenRefusesWhatItCannotReach)
{
    for (const char* peer : {"0:00A0C9123456", "127.0.0", "127.0.0.256", "printer", "127.0.0.1:0", "127.0.0.1:70000",
                             "127.0.0.1 "}) {
        EXPECT_EQ(OVsnmpOpen("public", peer, -1, 8, OVSNMP_DEFAULT_PORT, OVSNMP_DEFAULT_PORT, nullptr, nullptr),
                  nullptr)
            << peer;
        EXPECT_EQ(OVsnmpErrno, OVSNMP_ERR_BAD_ADDRESS) << peer;
    }
    EXPECT_EQ(OVsnmpOpen(nullptr, "127.0.0.1", -1, 8, OVSNMP_DEFAULT_PORT, OVSNMP_DEFAULT_PORT, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(OVsnmpErrno, OVSNMP_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OVsnmpClose(nullptr), 0);
    OVsnmpFreePdu(nullptr);
}

TEST_F(OVsnmpSessionTest, PdusAndVariablesAreChecked)
{
    EXPECT_EQ(OVsnmpCreatePdu(OVSNMP_GET_RSP), nullptr);
    EXPECT_EQ(OVsnmpCreatePdu(OVSNMP_TRAP), nullptr);
    Pdu pdu(OVsnmpCreatePdu(OVSNMP_SET_REQ));
    ASSERT_TRUE(pdu);
    const std::uint32_t one[] = {1};
    const std::uint32_t badArc[] = {3, 1};
    const std::uint32_t badSecond[] = {1, 40};
    std::vector<std::uint32_t> tooLong(257, 1);
    EXPECT_FALSE(OVsnmpAddNullVarBind(pdu.get(), one, 1));
    EXPECT_FALSE(OVsnmpAddNullVarBind(pdu.get(), badArc, 2));
    EXPECT_FALSE(OVsnmpAddNullVarBind(pdu.get(), badSecond, 2));
    EXPECT_FALSE(OVsnmpAddNullVarBind(pdu.get(), tooLong.data(), 257));
    EXPECT_TRUE(OVsnmpAddNullVarBind(pdu.get(), tooLong.data(), 256));
    EXPECT_FALSE(OVsnmpAddTypedVarBind(pdu.get(), kSysName, 9, OVSNMP_INTEGER, nullptr, 4));
    EXPECT_FALSE(OVsnmpAddTypedVarBind(pdu.get(), kSysName, 9, OVSNMP_COUNTER64, "12345", 5));
    EXPECT_FALSE(OVsnmpAddTypedVarBind(pdu.get(), kSysName, 9, OVSNMP_OBJECT_ID, one, 1));
    EXPECT_FALSE(OVsnmpAddTypedVarBind(pdu.get(), kSysName, 9, OVSNMP_OCTET_STRING, nullptr, 3));
    EXPECT_TRUE(OVsnmpAddTypedVarBind(pdu.get(), kSysName, 9, OVSNMP_OCTET_STRING, nullptr, 0));
    int n = 0;
    for (const OVsnmpVarBind* var = pdu->variables; var; var = var->next_variable)
        ++n;
    EXPECT_EQ(n, 2);
}

TEST_F(OVsnmpSessionTest, FixPduDropsTheNamedVariable)
{
    auto response = [](int a_status, int a_index, int a_nVars) {
        Pdu pdu(OVsnmpCreatePdu(OVSNMP_GET_REQ));
        const std::uint32_t* oids[] = {kSysDescr, kSysName, kSysLocation};
        const std::int32_t n = 9;
        for (int i = 0; i < a_nVars; ++i)
            OVsnmpAddTypedVarBind(pdu.get(), oids[i], 9, OVSNMP_INTEGER, &n, 4);
        pdu->command = OVSNMP_GET_RSP;
        pdu->error_status = a_status;
        pdu->error_index = a_index;
        return pdu;
    };
    // Refused: the response stays the caller's, unchanged.
    struct Refused {
        int status, index, vars;
    } refused[] = {{0, 1, 3}, {2, 0, 3}, {2, 4, 3}, {2, -1, 3}, {2, 1, 0}};
    for (const Refused& r : refused) {
        Pdu pdu = response(r.status, r.index, r.vars);
        EXPECT_EQ(OVsnmpFixPdu(pdu.get(), OVSNMP_GET_REQ), nullptr) << r.status << " " << r.index << " " << r.vars;
        EXPECT_EQ(pdu->error_index, r.index);
    }
    EXPECT_EQ(OVsnmpFixPdu(nullptr, OVSNMP_GET_REQ), nullptr);

    // The last variable dropped: a request without variables remains.
    Pdu last = response(2, 1, 1);
    OVsnmpPdu* empty = OVsnmpFixPdu(last.get(), OVSNMP_GET_REQ);
    ASSERT_EQ(empty, last.get());
    EXPECT_EQ(empty->command, OVSNMP_GET_REQ);
    EXPECT_EQ(empty->variables, nullptr);

    Pdu get = response(2, 2, 3);
    OVsnmpPdu* fixed = OVsnmpFixPdu(get.get(), OVSNMP_GET_REQ);
    ASSERT_EQ(fixed, get.get());
    EXPECT_EQ(fixed->command, OVSNMP_GET_REQ);
    EXPECT_EQ(fixed->error_status, 0);
    ASSERT_TRUE(fixed->variables && fixed->variables->next_variable);
    EXPECT_EQ(fixed->variables->oid[7], 1u);
    EXPECT_EQ(fixed->variables->next_variable->oid[7], 6u);
    EXPECT_EQ(fixed->variables->next_variable->next_variable, nullptr);
    EXPECT_EQ(fixed->variables->type, OVSNMP_NULL);  // a get asks with NULL values

    Pdu set = response(4, 3, 3);
    fixed = OVsnmpFixPdu(set.get(), OVSNMP_SET_REQ);
    ASSERT_EQ(fixed, set.get());
    EXPECT_EQ(fixed->variables->type, OVSNMP_INTEGER);  // a set keeps its values
    EXPECT_EQ(*fixed->variables->val.integer, 9);
}

TEST_F(OVsnmpSessionTest, ASetCarriesTypedValues)
{
    FaultAgent agent([](const Request& a_r) { return std::vector<Datagram>{{Message(a_r.requestId, a_r.vars)}}; });
    Session session = Open(agent.Address());
    ASSERT_TRUE(session);
    Pdu set(OVsnmpCreatePdu(OVSNMP_SET_REQ));
    const std::int32_t n = -5;
    const std::uint32_t gauge = 4000000000u;
    const OVsnmpCounter64 big{1, 2};
    const std::uint32_t oidValue[] = {1, 3, 6, 1, 4, 1, 32473};
    const std::uint8_t ip[] = {10, 0, 0, 1};
    ASSERT_TRUE(OVsnmpAddTypedVarBind(set.get(), kSysName, 9, OVSNMP_INTEGER, &n, 4));
    ASSERT_TRUE(OVsnmpAddTypedVarBind(set.get(), kSysName, 9, OVSNMP_GAUGE, &gauge, 4));
    ASSERT_TRUE(OVsnmpAddTypedVarBind(set.get(), kSysName, 9, OVSNMP_COUNTER64, &big, 8));
    ASSERT_TRUE(OVsnmpAddTypedVarBind(set.get(), kSysName, 9, OVSNMP_OBJECT_ID, oidValue, 7));
    ASSERT_TRUE(OVsnmpAddTypedVarBind(set.get(), kSysName, 9, OVSNMP_IPADDRESS, ip, 4));
    ASSERT_TRUE(OVsnmpAddTypedVarBind(set.get(), kSysName, 9, OVSNMP_OCTET_STRING, "lab", 3));
    Pdu response(OVsnmpBlockingSend(session.get(), set.get()));
    ASSERT_TRUE(response);
    const std::vector<Request> seen = agent.Requests();
    ASSERT_EQ(seen.size(), 1u);
    ASSERT_EQ(seen[0].vars.size(), 6u);
    EXPECT_EQ(seen[0].command, OVSNMP_SET_REQ);
    EXPECT_EQ(seen[0].vars[0].number, -5);
    EXPECT_EQ(seen[0].vars[1].number, 4000000000ll);
    EXPECT_EQ(seen[0].vars[2].type, OVSNMP_COUNTER64);
    const OVsnmpVarBind* echoed = response->variables->next_variable->next_variable;
    ASSERT_EQ(echoed->val_len, 8u);
    EXPECT_EQ(echoed->val.counter64->high, 1u);
    EXPECT_EQ(echoed->val.counter64->low, 2u);
    EXPECT_EQ(seen[0].vars[3].objid, (Oid{1, 3, 6, 1, 4, 1, 32473}));
    EXPECT_EQ(seen[0].vars[4].bytes, (Bytes{10, 0, 0, 1}));
    EXPECT_EQ(seen[0].vars[5].bytes, (Bytes{'l', 'a', 'b'}));
}

TEST_F(OVsnmpSessionTest, AnSnmpV2TrapIsSentWithoutWaiting)
{
    FaultAgent agent;
    Session session = Open(agent.Address());
    ASSERT_TRUE(session);
    Pdu trap(OVsnmpCreatePdu(OVSNMP_V2_TRAP));
    const std::uint32_t id[] = {1, 3, 6, 1, 4, 1, 32473, 2, 0, 1};
    ASSERT_TRUE(OVsnmpAddTypedVarBind(trap.get(), kSysDescr, 9, OVSNMP_OCTET_STRING, "alert", 5));
    EXPECT_FALSE(OVsnmpSetEnterprise(trap.get(), id, 1));
    ASSERT_TRUE(OVsnmpSetEnterprise(trap.get(), id, 10));
    EXPECT_EQ(OVsnmpBlockingSend(session.get(), trap.get()), nullptr);
    EXPECT_EQ(OVsnmpErrno, OVSNMP_ERR_NONE);
    for (int i = 0; i < 100 && agent.RequestCount() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::vector<Request> seen = agent.Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].version, 1);
    EXPECT_EQ(seen[0].command, OVSNMP_V2_TRAP);
    ASSERT_EQ(seen[0].vars.size(), 3u);
    EXPECT_EQ(seen[0].vars[1].objid, Oid(id, id + 10));
    EXPECT_EQ(seen[0].vars[2].bytes, (Bytes{'a', 'l', 'e', 'r', 't'}));
}

} // namespace
