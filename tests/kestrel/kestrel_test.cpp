// The gateway library through its C interface: handles, the buffer
// protocol, channels and the IPX route table, the exchanges with an agent
// (the scriptable one of tests/support), the packets it hands out, and the
// failure injection tests use.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FaultAgent.h"
#include "IpxRoutes.h"
#include "Kestrel.h"
#include "KestrelTest.h"
#include "Pdu.h"
#include "SnmpMessage.h"

using namespace testagent;

namespace {

// A route table file of the test's own, removed at the end.
class CRouteFile {
public:
    explicit CRouteFile(const std::string& a_text)
    {
        static int s_nCount = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("kestrel-routes-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
                  "-" + std::to_string(++s_nCount) + ".txt");
        std::ofstream(m_path) << a_text;
    }
    ~CRouteFile()
    {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    std::string Path() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

// One handle, closed and released at the end of the test.
class CHandle {
public:
    CHandle() : m_h(MIBInitialize()) {}
    ~CHandle()
    {
        MIBClose(m_h);
        MIBRelease(m_h);
    }
    operator MIBHANDLE() const { return m_h; }

private:
    MIBHANDLE m_h;
};

// Calls a function of the buffer protocol as the programs do: asks for the
// size first, then calls with a buffer of that size.
template <typename Call>
int WithBuffer(std::vector<std::uint8_t>& a_out, Call a_call)
{
    std::uint32_t n = 0;
    int nResult = a_call(&n, nullptr);
    if (nResult != MIB_ERR_BUFFER)
        return nResult;
    a_out.assign(n, 0);
    nResult = a_call(&n, a_out.data());
    a_out.resize(n);
    return nResult;
}

std::vector<std::uint8_t> Packet(MIBHANDLE a_h, int a_nKind, const char* a_oid, const char* a_community = "public")
{
    std::vector<std::uint8_t> packet;
    const char* oids[] = {a_oid};
    EXPECT_EQ(WithBuffer(packet,
                         [&](std::uint32_t* a_pn, std::uint8_t* a_pb) {
                             return MIBCreateGetRequestSNMPPacket(a_h, a_nKind, MIB_PACKET_FORMAT, a_community, 1,
                                                                  oids, a_pn, a_pb);
                         }),
              0);
    return packet;
}

std::vector<std::uint8_t> Received(MIBHANDLE a_h)
{
    std::vector<std::uint8_t> answer;
    EXPECT_EQ(WithBuffer(answer, [&](std::uint32_t* a_pn, std::uint8_t* a_pb) { return MIBReceive(a_h, a_pn, a_pb); }),
              0);
    return answer;
}

// The variables of a response packet: identifier text and BER, read one
// index after the other until the library says there is no more.
std::vector<std::pair<std::string, std::vector<std::uint8_t>>> Variables(MIBHANDLE a_h,
                                                                         const std::vector<std::uint8_t>& a_packet)
{
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> vars;
    for (int i = 0;; ++i) {
        std::vector<std::uint8_t> text;
        const int nResult = WithBuffer(text, [&](std::uint32_t* a_pn, std::uint8_t* a_pb) {
            return MIBGetchObjectIDFromSNMPPacket(a_h, i, a_packet.data(), static_cast<std::uint32_t>(a_packet.size()),
                                                  a_pn, reinterpret_cast<char*>(a_pb));
        });
        if (nResult != 0) {
            EXPECT_EQ(nResult, MIB_ERR_NO_VARIABLE);
            EXPECT_EQ(MIBGetErrorNo(a_h), MIB_ERR_NO_VARIABLE);
            break;
        }
        std::vector<std::uint8_t> ber;
        EXPECT_EQ(WithBuffer(ber,
                             [&](std::uint32_t* a_pn, std::uint8_t* a_pb) {
                                 return MIBGetBERDataFromSNMPPacket(a_h, i, a_packet.data(),
                                                                    static_cast<std::uint32_t>(a_packet.size()), a_pn,
                                                                    a_pb);
                             }),
                  0);
        EXPECT_EQ(text.back(), 0);  // the length counts the terminating zero
        vars.emplace_back(std::string(text.begin(), text.end() - 1), ber);
    }
    return vars;
}

using Ber = std::vector<std::uint8_t>;

TEST(Kestrel, HandlesAreCheckedNumbers)
{
    // A process holds one handle all its life while operations come and go.
    const MIBHANDLE process = MIBInitialize();
    ASSERT_GT(process, 0);
    std::vector<MIBHANDLE> handles;
    for (int i = 0; i < 5; ++i) {
        const MIBHANDLE h = MIBInitialize();
        ASSERT_GT(h, 0);
        EXPECT_NE(h, process);
        EXPECT_EQ(MIBGetErrorNo(h), MIB_ERR_NONE);
        handles.push_back(h);
    }
    for (MIBHANDLE h : handles) {
        MIBClose(h);
        MIBRelease(h);
    }
    // Released handles and numbers never given out are refused, not used.
    for (MIBHANDLE h : {handles[0], handles[4], MIBHANDLE{0}, MIBHANDLE{-1}, MIBHANDLE{0x7FFFFFF0}}) {
        SCOPED_TRACE(h);
        EXPECT_EQ(MIBGetErrorNo(h), MIB_ERR_BAD_HANDLE);
        MIBChannelInfo info{};
        EXPECT_EQ(MIBGetChannelInfo(h, "127.0.0.1", nullptr, &info), -1);
        EXPECT_EQ(MIBOpen(h, "127.0.0.1", nullptr, &info), -1);
        const std::uint8_t packet[] = {0x30, 0x00};
        EXPECT_EQ(MIBSend(h, packet, sizeof packet), -2);
        std::uint32_t n = 0;
        EXPECT_EQ(MIBReceive(h, &n, nullptr), -1);
        MIBClose(h);
        MIBRelease(h);
    }
    EXPECT_EQ(MIBGetErrorNo(process), MIB_ERR_NONE);
    MIBRelease(process);
    EXPECT_EQ(MIBGetErrorNo(process), MIB_ERR_BAD_HANDLE);
}

TEST(Kestrel, RequestPacketsAndTheBufferProtocol)
{
    CHandle h;
    const char* oids[] = {".1.3.6.1.2.1.25.3.2.1.3.1"};
    std::uint32_t n = 0;
    ASSERT_EQ(MIBCreateGetRequestSNMPPacket(h, MIB_KIND_GET, MIB_PACKET_FORMAT, "vestry", 1, oids, &n, nullptr),
              MIB_ERR_BUFFER);
    EXPECT_EQ(MIBGetErrorNo(h), MIB_ERR_BUFFER);
    const std::uint32_t nNeeded = n;
    ASSERT_GT(nNeeded, 0u);
    std::vector<std::uint8_t> packet(nNeeded, 0xEE);
    n = nNeeded - 1;
    EXPECT_EQ(MIBCreateGetRequestSNMPPacket(h, MIB_KIND_GET, MIB_PACKET_FORMAT, "vestry", 1, oids, &n, packet.data()),
              MIB_ERR_BUFFER);
    EXPECT_EQ(n, nNeeded);
    EXPECT_EQ(packet, std::vector<std::uint8_t>(nNeeded, 0xEE));
    n = nNeeded + 10;
    packet.resize(n);
    ASSERT_EQ(MIBCreateGetRequestSNMPPacket(h, MIB_KIND_GET, MIB_PACKET_FORMAT, "vestry", 1, oids, &n, packet.data()),
              0);
    EXPECT_EQ(n, nNeeded);
    EXPECT_EQ(MIBGetErrorNo(h), MIB_ERR_NONE);

    // The packets are SNMPv1 messages: a get, and a get-next for a walk.
    for (int kind : {MIB_KIND_GET, MIB_KIND_WALK}) {
        packet = Packet(h, kind, oids[0], "vestry");
        OVsnmpPdu* pdu = ovsnmp::DecodeMessage(packet.data(), packet.size());
        ASSERT_NE(pdu, nullptr);
        EXPECT_EQ(pdu->command, kind == MIB_KIND_GET ? OVSNMP_GET_REQ : OVSNMP_GETNEXT_REQ);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(pdu->community), pdu->community_len), "vestry");
        ASSERT_NE(pdu->variables, nullptr);
        EXPECT_EQ(std::vector<std::uint32_t>(pdu->variables->oid, pdu->variables->oid + pdu->variables->oid_length),
                  ParseOid("1.3.6.1.2.1.25.3.2.1.3.1"));
        EXPECT_EQ(pdu->variables->next_variable, nullptr);
        ovsnmp::FreePdu(pdu);
    }

    // What the library cannot build.
    struct Bad {
        int kind;
        int format;
        const char* community;
        int count;
        const char* oid;
    } bad[] = {
        {1, MIB_PACKET_FORMAT, "vestry", 1, "1.3.6.1"},     {MIB_KIND_GET, 3, "vestry", 1, "1.3.6.1"},
        {MIB_KIND_GET, MIB_PACKET_FORMAT, nullptr, 1, "1.3.6.1"}, {MIB_KIND_GET, MIB_PACKET_FORMAT, "vestry", 2, "1.3.6.1"},
        {MIB_KIND_GET, MIB_PACKET_FORMAT, "vestry", 1, ""},  {MIB_KIND_GET, MIB_PACKET_FORMAT, "vestry", 1, "1.3.x.1"},
        {MIB_KIND_GET, MIB_PACKET_FORMAT, "vestry", 1, "1"}, {MIB_KIND_WALK, MIB_PACKET_FORMAT, "vestry", 1, "3.1"},
        {MIB_KIND_GET, MIB_PACKET_FORMAT, "vestry", 1, "1.3..6"},
        {MIB_KIND_GET, MIB_PACKET_FORMAT, "vestry", 1, "1.3.4294967296"},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(testing::Message() << b.kind << " " << b.format << " " << b.count << " " << b.oid);
        const char* one[] = {b.oid};
        n = 0;
        EXPECT_EQ(MIBCreateGetRequestSNMPPacket(h, b.kind, b.format, b.community, b.count, one, &n, nullptr), -1);
        EXPECT_EQ(MIBGetErrorNo(h), MIB_ERR_BAD_ARGUMENT);
    }
}

TEST(IpxRoutes, AddressesInEveryFormGiveOneKey)
{
    struct Case {
        const char* text;
        const char* key;  // nullptr: not an IPX address
    } cases[] = {
        {"1A:00A0C9123456", "1A:00A0C9123456"},   {"1a-00a0c9123456", "1A:00A0C9123456"},
        {"001A.00A0C9123456", "1A:00A0C9123456"}, {"1A00A0C9123456", "1A:00A0C9123456"},
        {"0000001A00A0C9123456", "1A:00A0C9123456"}, {"0:00A0C9123456", "0:00A0C9123456"},
        {"00000000:00A0C9123456", "0:00A0C9123456"}, {"1A:00A0C912345", nullptr},
        {"1A:00A0C91234567", nullptr},            {"123456789:00A0C9123456", nullptr},
        {":00A0C9123456", nullptr},               {"1A:00A0C912345G", nullptr},
        {"1A:00:A0C9123456", nullptr},            {"00A0C9123456", nullptr},
        {"123456789000A0C9123456", nullptr},      {"", nullptr},
    };
    for (const Case& c : cases) {
        std::string key;
        EXPECT_EQ(kestrel::NormalizeIpx(c.text, key), c.key != nullptr) << c.text;
        if (c.key) {
            EXPECT_EQ(key, c.key) << c.text;
        }
    }

    CRouteFile routes("# IPX address        agent\n"
                      "\n"
                      "1a:00a0c9123456 = 127.0.0.11   # the laser printer\n"
                      "  0000BEEF-0080ABCDEF01=127.0.0.12:16161\n"
                      "CAFE00A0C9000001 = 127.0.0.300\n"
                      "CAFE:00A0C9000001 = 127.0.0.13\n"
                      "not a route\n"
                      "DEAD:00A0C9000002 = \n");
    struct Look {
        const char* ipx;
        bool routed;
        const char* peer;
        bool hasPort;
    } looks[] = {
        {"1A00A0C9123456", true, "127.0.0.11", false},  {"001A-00A0C9123456", true, "127.0.0.11", false},
        {"BEEF:0080abcdef01", true, "127.0.0.12", true}, {"1B:00A0C9123456", false, nullptr, false},
        // The first line of an address decides, a bad one too.
        {"CAFE:00A0C9000001", false, nullptr, false},    {"DEAD:00A0C9000002", false, nullptr, false},
    };
    for (const Look& l : looks) {
        SCOPED_TRACE(l.ipx);
        ovsnmp::CInetAddress peer;
        bool bHasPort = false;
        ASSERT_EQ(kestrel::LookUpIpxRoute(l.ipx, routes.Path().c_str(), peer, bHasPort), l.routed);
        if (!l.routed)
            continue;
        ovsnmp::CInetAddress expected;
        bool bIgnored;
        ASSERT_TRUE(ovsnmp::ParseInetAddress(l.peer, expected, bIgnored));
        EXPECT_EQ(peer.ab[3], expected.ab[3]);
        EXPECT_EQ(bHasPort, l.hasPort);
        if (l.hasPort) {
            EXPECT_EQ(peer.port, 16161);
        }
    }
    ovsnmp::CInetAddress peer;
    bool bHasPort;
    EXPECT_FALSE(kestrel::LookUpIpxRoute("1A:00A0C9123456", nullptr, peer, bHasPort));
    EXPECT_FALSE(kestrel::LookUpIpxRoute("1A:00A0C9123456", "/no/such/route/file", peer, bHasPort));
}

TEST(Kestrel, ChannelsByIpAndByIpxRoute)
{
    SetEnv("LUMET_SNMP_PORT", "16999");
    CRouteFile routes("1A:00A0C9123456 = 127.0.0.11\nBEEF:0080ABCDEF01 = 127.0.0.12:17000\n");
    SetEnv("LUMET_KESTREL_ROUTES", routes.Path());
    CHandle h;
    struct Case {
        const char* ip;
        const char* ipx;
        int error;
        int channel;
        const char* peer;
    } cases[] = {
        {"127.0.0.11", nullptr, MIB_ERR_NONE, MIB_CHANNEL_IP, "127.0.0.11:16999"},
        {"127.0.0.11:161", nullptr, MIB_ERR_NONE, MIB_CHANNEL_IP, "127.0.0.11:161"},
        {nullptr, "1A00A0C9123456", MIB_ERR_NONE, MIB_CHANNEL_IPX, "127.0.0.11:16999"},
        {nullptr, "BEEF0080ABCDEF01", MIB_ERR_NONE, MIB_CHANNEL_IPX, "127.0.0.12:17000"},
        {nullptr, "2B00A0C9123456", MIB_ERR_UNREACHABLE, 0, nullptr},  // no route
        {nullptr, "1A:00A0C9", MIB_ERR_UNREACHABLE, 0, nullptr},
        {"127.0.0", nullptr, MIB_ERR_UNREACHABLE, 0, nullptr},
        {"printer.example", nullptr, MIB_ERR_UNREACHABLE, 0, nullptr},
        {"127.0.0.11", "1A00A0C9123456", MIB_ERR_BAD_ARGUMENT, 0, nullptr},
        {nullptr, nullptr, MIB_ERR_BAD_ARGUMENT, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.ip ? c.ip : "-") << " " << (c.ipx ? c.ipx : "-"));
        MIBChannelInfo info{};
        EXPECT_EQ(MIBGetChannelInfo(h, c.ip, c.ipx, &info), c.error ? -1 : 0);
        EXPECT_EQ(MIBGetErrorNo(h), c.error);
        EXPECT_EQ(info.channel, c.channel);
        if (c.peer) {
            EXPECT_STREQ(info.peer, c.peer);
            EXPECT_EQ(MIBOpen(h, c.ip, c.ipx, &info), 0);
            EXPECT_EQ(MIBGetErrorNo(h), MIB_ERR_NONE);
            MIBClose(h);
        } else {
            // An area that describes no channel opens nothing.
            EXPECT_EQ(MIBOpen(h, c.ip, c.ipx, &info), -1);
            EXPECT_EQ(MIBGetErrorNo(h), MIB_ERR_BAD_ARGUMENT);
        }
    }
    // Without a route table every IPX address is unreachable.
    SetEnv("LUMET_KESTREL_ROUTES", "");
    MIBChannelInfo info{};
    EXPECT_EQ(MIBGetChannelInfo(h, nullptr, "1A00A0C9123456", &info), -1);
    EXPECT_EQ(MIBGetErrorNo(h), MIB_ERR_UNREACHABLE);
    EXPECT_EQ(MIBGetChannelInfo(h, "127.0.0.1", nullptr, nullptr), -1);
    EXPECT_EQ(MIBGetErrorNo(h), MIB_ERR_BAD_ARGUMENT);
}

// Exchanges with the scriptable agent on 127.0.0.1.
class KestrelExchange : public testing::Test {
protected:
    void SetUp() override
    {
        SetEnv("LUMET_SNMP_TIMEOUT_MS", "150");
        SetEnv("LUMET_SNMP_RETRIES", "1");
        m_mib.Add(Str("1.3.6.1.2.1.1.1.0", "ORVAN LP-9800C"));
        m_mib.Add(Str("1.3.6.1.2.1.1.5.0", "LP9800C"));
        m_mib.Add(Int("1.3.6.1.2.1.43.18.1.1.2.1.2", 4));
        m_mib.Add(Int("1.3.6.1.2.1.43.18.1.1.2.1.5", 3));
        m_mib.Add(Unsigned("1.3.6.1.2.1.43.18.1.1.5.1.2", 0x41, 0xFFFFFFFFu));
        m_mib.Add(Str("1.3.6.1.2.1.43.18.1.1.8.1.2", "Tray 2 empty"));
        m_mib.Add(Str("1.3.6.1.2.1.43.18.1.1.8.1.5", std::string(200, 'x')));
        m_mib.Add(Int("1.3.6.1.2.1.43.18.1.2.0", 7));
        m_agent = std::make_unique<FaultAgent>([this](const Request& a_r) { return Answer(a_r); });
        MIBChannelInfo info{};
        ASSERT_EQ(MIBGetChannelInfo(m_h, m_agent->Address().c_str(), nullptr, &info), 0);
        ASSERT_EQ(MIBOpen(m_h, m_agent->Address().c_str(), nullptr, &info), 0);
    }
    void TearDown() override { MIBTestFailSends(MIB_KIND_GET, 0, 0, 0); }

    std::vector<Datagram> Answer(const Request& a_r) { return {{m_mib.Answer(a_r)}}; }
    int Send(int a_nKind, const char* a_oid, const char* a_community = "public")
    {
        const std::vector<std::uint8_t> packet = Packet(m_h, a_nKind, a_oid, a_community);
        return MIBSend(m_h, packet.data(), static_cast<std::uint32_t>(packet.size()));
    }

    MiniMib m_mib;
    std::unique_ptr<FaultAgent> m_agent;
    CHandle m_h;
};

TEST_F(KestrelExchange, GetOfOneIdentifier)
{
    ASSERT_EQ(Send(MIB_KIND_GET, "1.3.6.1.2.1.1.5.0", ""), 0);
    EXPECT_EQ(m_agent->Requests().back().community, "");
    ASSERT_EQ(Send(MIB_KIND_GET, "1.3.6.1.2.1.1.5.0", "vestry"), 0);
    EXPECT_EQ(m_agent->Requests().back().community, "vestry");
    const std::vector<std::uint8_t> answer = Received(m_h);
    auto vars = Variables(m_h, answer);
    ASSERT_EQ(vars.size(), 1u);
    EXPECT_EQ(vars[0].first, "1.3.6.1.2.1.1.5.0");
    EXPECT_EQ(vars[0].second, (Ber{0x04, 7, 'L', 'P', '9', '8', '0', '0', 'C'}));
    // The answer stays until the next send.
    EXPECT_EQ(Received(m_h), answer);

    // A counter of 2^32-1 comes as five octets, the first 0.
    ASSERT_EQ(Send(MIB_KIND_GET, "1.3.6.1.2.1.43.18.1.1.5.1.2"), 0);
    vars = Variables(m_h, Received(m_h));
    ASSERT_EQ(vars.size(), 1u);
    EXPECT_EQ(vars[0].second, (Ber{0x41, 5, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
}

// Each operation has its handle; operations of several threads run at once.
TEST_F(KestrelExchange, HandlesOfSeveralThreadsAtOnce)
{
    std::vector<std::thread> threads;
    std::vector<int> nGood(4, 0);
    for (std::size_t t = 0; t < nGood.size(); ++t) {
        threads.emplace_back([this, t, &nGood] {
            for (int i = 0; i < 15; ++i) {
                const MIBHANDLE h = MIBInitialize();
                MIBChannelInfo info{};
                std::vector<std::uint8_t> packet = Packet(h, t % 2 ? MIB_KIND_WALK : MIB_KIND_GET,
                                                          t % 2 ? "1.3.6.1.2.1.43.18.1.1" : "1.3.6.1.2.1.1.5.0");
                if (MIBGetChannelInfo(h, m_agent->Address().c_str(), nullptr, &info) == 0 &&
                    MIBOpen(h, m_agent->Address().c_str(), nullptr, &info) == 0 &&
                    MIBSend(h, packet.data(), static_cast<std::uint32_t>(packet.size())) == 0 &&
                    Variables(h, Received(h)).size() == (t % 2 ? 5u : 1u))
                    ++nGood[t];
                MIBClose(h);
                MIBRelease(h);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(nGood, std::vector<int>(4, 15));
}

TEST_F(KestrelExchange, GetFailuresAndTheirErrorNumbers)
{
    struct Case {
        const char* name;
        int errorStatus;  // -1: no answer at all; -2: answers another variable
        int error;
    } cases[] = {
        {"noSuchName", 2, MIB_ERR_NO_VARIABLE}, {"tooBig", 1, MIB_ERR_TOO_BIG},
        {"badValue", 3, MIB_ERR_BAD_VALUE},     {"readOnly", 4, MIB_ERR_READ_ONLY},
        {"genErr", 5, MIB_ERR_GEN_ERR},         {"silent", -1, MIB_ERR_TIMEOUT},
        {"another variable", -2, MIB_ERR_NO_VARIABLE},
        {"noSuchObject", -3, MIB_ERR_NO_VARIABLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_agent->SetScript([&c](const Request& a_r) -> std::vector<Datagram> {
            if (c.errorStatus == -1)
                return {};
            if (c.errorStatus == -2)
                return {{Message(a_r.requestId, {Int("1.3.6.1.2.1.1.7.0", 72)})}};
            if (c.errorStatus == -3)
                return {{Message(a_r.requestId, {Null("1.3.6.1.2.1.1.5.0", 0x80)})}};
            return {{Message(a_r.requestId, a_r.vars, c.errorStatus, 1)}};
        });
        EXPECT_EQ(Send(MIB_KIND_GET, "1.3.6.1.2.1.1.5.0"), -1);
        EXPECT_EQ(MIBGetErrorNo(m_h), c.error);
        std::uint32_t n = 0;
        EXPECT_EQ(MIBReceive(m_h, &n, nullptr), -1);
        EXPECT_EQ(MIBGetErrorNo(m_h), MIB_ERR_NOT_OPEN);
    }
}

TEST_F(KestrelExchange, WalkAnswersTheWholeSubtreeInOnePacket)
{
    ASSERT_EQ(Send(MIB_KIND_WALK, "1.3.6.1.2.1.43.18.1.1"), 0);
    // One get-next per row and one that leaves the subtree.
    EXPECT_EQ(m_agent->RequestCount(), 6);
    const std::vector<std::uint8_t> answer = Received(m_h);
    EXPECT_GT(answer.size(), 255u);  // long-form lengths on the way
    const auto vars = Variables(m_h, answer);
    std::vector<std::string> ids;
    for (const auto& v : vars)
        ids.push_back(v.first);
    EXPECT_EQ(ids, (std::vector<std::string>{"1.3.6.1.2.1.43.18.1.1.2.1.2", "1.3.6.1.2.1.43.18.1.1.2.1.5",
                                             "1.3.6.1.2.1.43.18.1.1.5.1.2", "1.3.6.1.2.1.43.18.1.1.8.1.2",
                                             "1.3.6.1.2.1.43.18.1.1.8.1.5"}));
    ASSERT_EQ(vars.size(), 5u);
    EXPECT_EQ(vars[0].second, (Ber{0x02, 1, 4}));
    EXPECT_EQ(vars[4].second.size(), 3u + 200u);
    EXPECT_EQ(vars[4].second[1], 0x81);

    // A subtree with no rows, and one at the end of the agent's MIB.
    ASSERT_EQ(Send(MIB_KIND_WALK, "1.3.6.1.2.1.43.5"), 0);
    EXPECT_TRUE(Variables(m_h, Received(m_h)).empty());
    ASSERT_EQ(Send(MIB_KIND_WALK, "1.3.6.1.2.1.43.18.1.2"), 0);
    EXPECT_EQ(Variables(m_h, Received(m_h)).size(), 1u);
}

TEST_F(KestrelExchange, WalkEndsAndFailures)
{
    // An agent that answers a row it already gave: the walk ends with the
    // rows so far instead of going round for ever.
    m_agent->SetScript([](const Request& a_r) -> std::vector<Datagram> {
        return {{Message(a_r.requestId, {Int("1.3.6.1.2.1.43.18.1.1.2.1.2", 4)})}};
    });
    ASSERT_EQ(Send(MIB_KIND_WALK, "1.3.6.1.2.1.43.18.1.1"), 0);
    EXPECT_EQ(Variables(m_h, Received(m_h)).size(), 1u);
    EXPECT_EQ(m_agent->RequestCount(), 2);

    struct Case {
        const char* name;
        bool silent;
        int errorStatus;
        int error;
    } cases[] = {
        {"silent after two rows", true, 0, MIB_ERR_TIMEOUT},
        {"genErr after two rows", false, 5, MIB_ERR_GEN_ERR},
        {"tooBig after two rows", false, 1, MIB_ERR_TOO_BIG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int nRequest = 0;
        m_agent->SetScript([&](const Request& a_r) -> std::vector<Datagram> {
            if (++nRequest <= 2)
                return Answer(a_r);
            if (c.silent)
                return {};
            return {{Message(a_r.requestId, a_r.vars, c.errorStatus, 1)}};
        });
        EXPECT_EQ(Send(MIB_KIND_WALK, "1.3.6.1.2.1.43.18.1.1"), -1);
        EXPECT_EQ(MIBGetErrorNo(m_h), c.error);
        std::uint32_t n = 0;
        EXPECT_EQ(MIBReceive(m_h, &n, nullptr), -1);
    }
    m_agent->SetScript({});
}

TEST_F(KestrelExchange, WhatIsNotSent)
{
    // Not a request packet of this library.
    const std::uint8_t garbage[] = {0x30, 0x03, 0x02, 0x01};
    EXPECT_EQ(MIBSend(m_h, garbage, sizeof garbage), -2);
    EXPECT_EQ(MIBGetErrorNo(m_h), MIB_ERR_BAD_PACKET);
    const Bytes response = Message(1, {Int("1.3.6.1.2.1.1.7.0", 72)});
    EXPECT_EQ(MIBSend(m_h, response.data(), static_cast<std::uint32_t>(response.size())), -2);
    EXPECT_EQ(MIBGetErrorNo(m_h), MIB_ERR_BAD_PACKET);
    EXPECT_EQ(MIBSend(m_h, nullptr, 10), -2);
    EXPECT_EQ(MIBGetErrorNo(m_h), MIB_ERR_BAD_ARGUMENT);
    // A closed channel.
    MIBClose(m_h);
    EXPECT_EQ(Send(MIB_KIND_GET, "1.3.6.1.2.1.1.5.0"), -2);
    EXPECT_EQ(MIBGetErrorNo(m_h), MIB_ERR_NOT_OPEN);
    EXPECT_EQ(m_agent->RequestCount(), 0);
}

TEST_F(KestrelExchange, PacketsThatAreNoResponse)
{
    const Bytes good = Message(1, {Int("1.3.6.1.2.1.1.7.0", 72), Str("1.3.6.1.2.1.1.5.0", "x")});
    ASSERT_EQ(Variables(m_h, good).size(), 2u);
    Bytes cut(good.begin(), good.end() - 1);
    Bytes longer = good;
    longer.push_back(0);  // bytes after the message are ignored
    Bytes inside = good;
    inside[1] += 1;  // the message claims more than there is
    const Bytes request = Packet(m_h, MIB_KIND_GET, "1.3.6.1.2.1.1.5.0");
    const std::uint8_t one[] = {0x30};
    struct Case {
        const char* name;
        const std::uint8_t* packet;
        std::size_t size;
        int error;
    } cases[] = {
        {"cut", cut.data(), cut.size(), MIB_ERR_BAD_PACKET},
        {"length past the end", inside.data(), inside.size(), MIB_ERR_BAD_PACKET},
        {"a request", request.data(), request.size(), MIB_ERR_BAD_PACKET},
        {"one byte", one, sizeof one, MIB_ERR_BAD_PACKET},
        {"empty", one, 0, MIB_ERR_BAD_PACKET},
        {"no packet", nullptr, 10, MIB_ERR_BAD_ARGUMENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint32_t n = 0;
        EXPECT_EQ(MIBGetchObjectIDFromSNMPPacket(m_h, 0, c.packet, static_cast<std::uint32_t>(c.size), &n, nullptr),
                  -1);
        EXPECT_EQ(MIBGetErrorNo(m_h), c.error);
        EXPECT_EQ(MIBGetBERDataFromSNMPPacket(m_h, 0, c.packet, static_cast<std::uint32_t>(c.size), &n, nullptr), -1);
        EXPECT_EQ(MIBGetErrorNo(m_h), c.error);
    }
    EXPECT_EQ(Variables(m_h, longer).size(), 2u);
    std::uint32_t n = 0;
    EXPECT_EQ(MIBGetBERDataFromSNMPPacket(m_h, -1, good.data(), static_cast<std::uint32_t>(good.size()), &n, nullptr),
              MIB_ERR_NO_VARIABLE);
    EXPECT_EQ(MIBGetBERDataFromSNMPPacket(m_h, 0, good.data(), static_cast<std::uint32_t>(good.size()), nullptr,
                                          nullptr),
              -1);
    EXPECT_EQ(MIBGetErrorNo(m_h), MIB_ERR_BAD_ARGUMENT);
}

TEST_F(KestrelExchange, InjectedSendFailuresHitOnlyTheirKind)
{
    MIBTestFailSends(MIB_KIND_WALK, 1, -1, MIB_ERR_NO_VARIABLE);
    EXPECT_EQ(Send(MIB_KIND_GET, "1.3.6.1.2.1.1.5.0"), 0);
    const int nBefore = m_agent->RequestCount();
    EXPECT_EQ(Send(MIB_KIND_WALK, "1.3.6.1.2.1.43.18.1.1"), -1);
    EXPECT_EQ(MIBGetErrorNo(m_h), MIB_ERR_NO_VARIABLE);
    EXPECT_EQ(m_agent->RequestCount(), nBefore);
    EXPECT_EQ(Send(MIB_KIND_WALK, "1.3.6.1.2.1.43.18.1.1"), 0);
}

} // namespace
