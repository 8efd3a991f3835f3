// The BER decoder and the message codec: what real agents send, and what
// hostile or broken datagrams look like.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "Ber.h"
#include "FaultAgent.h"
#include "Pdu.h"
#include "SnmpMessage.h"

using namespace ovsnmp;
using testagent::Bytes;

namespace {

using PduPtr = std::unique_ptr<OVsnmpPdu, void (*)(OVsnmpPdu*)>;
PduPtr Decode(const Bytes& a_ab)
{
    return PduPtr(DecodeMessage(a_ab.data(), a_ab.size()), FreePdu);
}

std::vector<std::uint32_t> SubIds(const OVsnmpVarBind& a_var)
{
    return {a_var.oid, a_var.oid + a_var.oid_length};
}

TEST(Ber, Integers)
{
    struct Case {
        Bytes bytes;
        bool ok;
        std::int32_t value;
    } cases[] = {
        {{0x01}, true, 1},
        {{0xFF}, true, -1},
        {{0x00, 0x80}, true, 128},
        {{0xFF, 0x7F}, true, -129},
        {{0x7F, 0xFF, 0xFF, 0xFF}, true, INT32_MAX},
        {{0x80, 0x00, 0x00, 0x00}, true, INT32_MIN},
        {{0x00, 0x00, 0x00, 0x00, 0x2A}, true, 42},        // redundant sign octets
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFE}, true, -2},
        {{0x00, 0x80, 0x00, 0x00, 0x00}, false, 0},        // 2^31 does not fit
        {{0x01, 0x00, 0x00, 0x00, 0x00}, false, 0},
        {{}, false, 0},
    };
    for (const Case& c : cases) {
        std::int32_t n = 12345;
        EXPECT_EQ(DecodeInt32(c.bytes.data(), c.bytes.size(), n), c.ok) << testing::PrintToString(c.bytes);
        if (c.ok) {
            EXPECT_EQ(n, c.value) << testing::PrintToString(c.bytes);
        }
    }
}

TEST(Ber, UnsignedNumbers)
{
    struct Case {
        Bytes bytes;
        unsigned bits;
        bool ok;
        std::uint64_t value;
    } cases[] = {
        {{0x00, 0x83, 0xFE, 0xA0}, 32, true, 8650400},     // as snmpsimd sends TimeTicks
        {{0x00, 0xFF, 0xFF, 0xFF, 0xFF}, 32, true, 0xFFFFFFFFu},
        {{0xFF, 0xFF, 0xFF, 0xFF}, 32, true, 0xFFFFFFFFu},  // full width, sign bit set
        {{0x83, 0xFE, 0xA0}, 32, false, 0},                  // short and negative
        {{0x01, 0x00, 0x00, 0x00, 0x00}, 32, false, 0},      // 2^32
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x07}, 32, true, 7},
        {{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 64, true, UINT64_MAX},
        {{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, 64, false, 0},
        {{}, 32, false, 0},
    };
    for (const Case& c : cases) {
        std::uint64_t u = 99;
        EXPECT_EQ(DecodeUnsigned(c.bytes.data(), c.bytes.size(), c.bits, u), c.ok) << testing::PrintToString(c.bytes);
        if (c.ok) {
            EXPECT_EQ(u, c.value) << testing::PrintToString(c.bytes);
        }
    }
}

TEST(Ber, ObjectIdentifiers)
{
    std::uint32_t adw[kMaxSubIds];
    std::size_t n = 0;
    const Bytes printer = {0x2B, 0x06, 0x01, 0x02, 0x01, 0x2B, 0x12};
    ASSERT_TRUE(DecodeObjectId(printer.data(), printer.size(), adw, n));
    EXPECT_EQ(std::vector<std::uint32_t>(adw, adw + n), (std::vector<std::uint32_t>{1, 3, 6, 1, 2, 1, 43, 18}));

    const Bytes largest = {0x2B, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F};
    ASSERT_TRUE(DecodeObjectId(largest.data(), largest.size(), adw, n));
    EXPECT_EQ(adw[2], 0xFFFFFFFFu);

    const Bytes arcTwo = {0x88, 0x37, 0x05};  // 2.999.5
    ASSERT_TRUE(DecodeObjectId(arcTwo.data(), arcTwo.size(), adw, n));
    EXPECT_EQ(std::vector<std::uint32_t>(adw, adw + n), (std::vector<std::uint32_t>{2, 999, 5}));

    for (const Bytes& bad : {Bytes{0x2B, 0x90, 0x80, 0x80, 0x80, 0x00},         // 2^32
                             Bytes{0x2B, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01},   // six octets
                             Bytes{0x2B, 0x86}}) {                               // continuation at the end
        EXPECT_FALSE(DecodeObjectId(bad.data(), bad.size(), adw, n)) << testing::PrintToString(bad);
    }

    Bytes longest(kMaxSubIds - 1, 0x01);  // first octet carries two sub-identifiers
    longest[0] = 0x2B;
    EXPECT_TRUE(DecodeObjectId(longest.data(), longest.size(), adw, n));
    EXPECT_EQ(n, kMaxSubIds);
    longest.push_back(0x01);
    EXPECT_FALSE(DecodeObjectId(longest.data(), longest.size(), adw, n));
}

TEST(Ber, CursorErrorIsSticky)
{
    bool bError = false;
    const Bytes ab = {0x02, 0x05, 0x01};  // length beyond the bytes
    CBerCursor c(ab.data(), ab.size(), bError);
    EXPECT_EQ(c.ReadInt32(), 0);
    EXPECT_TRUE(c.Failed());
    CBerCursor inner = c.ReadConstructed(0x30);
    EXPECT_TRUE(inner.AtEnd());
    EXPECT_EQ(inner.ReadInt32(), 0);
    EXPECT_TRUE(bError);
}

// A get-next request exactly as net-snmp's snmpwalk -v1 sends it (request
// id 0x66A179, community "vestry", 1.3.6.1.2.1.43.18.1.1.2.1.5).
// A response with one NULL variable whose name is given as raw contents.
Bytes WithRawName(const Bytes& a_name)
{
    Bytes ab;
    CBerWriter w(ab);
    std::size_t m = w.Begin(0x30);
    w.WriteInteger(0);
    w.WriteBytes(0x04, reinterpret_cast<const std::uint8_t*>("public"), 6);
    std::size_t p = w.Begin(0xA2);
    w.WriteInteger(1);
    w.WriteInteger(0);
    w.WriteInteger(0);
    std::size_t l = w.Begin(0x30);
    std::size_t v = w.Begin(0x30);
    w.WriteBytes(0x06, a_name.data(), a_name.size());
    w.WriteNull();
    w.End(v);
    w.End(l);
    w.End(p);
    w.End(m);
    return ab;
}

const Bytes kNetSnmpGetNext = {0x30, 0x2C, 0x02, 0x01, 0x00, 0x04, 0x06, 0x76, 0x65, 0x73, 0x74, 0x72, 0x79, 0xA1,
                               0x1F, 0x02, 0x03, 0x66, 0xA1, 0x79, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x12,
                               0x30, 0x10, 0x06, 0x0C, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x2B, 0x12, 0x01, 0x01, 0x02,
                               0x01, 0x05, 0x05, 0x00};

TEST(Message, EncodesTheBytesNetSnmpSends)
{
    PduPtr pdu(NewPdu(OVSNMP_GETNEXT_REQ), FreePdu);
    pdu->request_id = 0x66A179;
    const std::uint32_t oid[] = {1, 3, 6, 1, 2, 1, 43, 18, 1, 1, 2, 1, 5};
    ASSERT_TRUE(AppendVarBind(pdu.get(), oid, 13, OVSNMP_NULL, nullptr, 0, 0));
    Bytes out;
    ASSERT_TRUE(EncodeMessage(*pdu, reinterpret_cast<const std::uint8_t*>("vestry"), 6, out));
    EXPECT_EQ(out, kNetSnmpGetNext);

    PduPtr back = Decode(out);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->command, OVSNMP_GETNEXT_REQ);
    EXPECT_EQ(back->request_id, 0x66A179);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back->community), back->community_len), "vestry");
    ASSERT_TRUE(back->variables);
    EXPECT_EQ(SubIds(*back->variables), std::vector<std::uint32_t>(oid, oid + 13));
}

TEST(Message, LongMessagesUseLongLengths)
{
    std::vector<testagent::Var> vars;
    for (int i = 0; i < 40; ++i)
        vars.push_back(testagent::Str("1.3.6.1.4.1.32473.9", std::string(100, static_cast<char>('a' + i % 26))));
    Bytes ab = testagent::Message(7, vars);
    PduPtr pdu = Decode(ab);
    ASSERT_TRUE(pdu);
    int n = 0;
    for (const OVsnmpVarBind* var = pdu->variables; var; var = var->next_variable, ++n)
        EXPECT_EQ(var->val_len, 100u);
    EXPECT_EQ(n, 40);
}

TEST(Message, DecodesEveryValueType)
{
    using namespace testagent;
    Var bits = Null("1.3.6.1.9.3", 0x03);
    bits.bytes = {0x00, 0xA0};
    Var opaque = Null("1.3.6.1.9.9", 0x44);
    opaque.bytes = {0x9F, 0x78, 0x04, 0x42, 0xF6, 0x00, 0x00};
    Var unknown = Null("1.3.6.1.9.13", 0x4F);
    unknown.bytes = {1, 2, 3};
    Var ip = Null("1.3.6.1.9.5", 0x40);
    ip.bytes = {192, 0, 2, 7};
    Bytes ab = Message(99, {Int("1.3.6.1.9.1", -70000), Str("1.3.6.1.9.2", std::string("A\0B", 3)), bits,
                            Null("1.3.6.1.9.4"), ip, Unsigned("1.3.6.1.9.6", 0x41, 4294967295u),
                            Unsigned("1.3.6.1.9.7", 0x42, 10), Unsigned("1.3.6.1.9.8", 0x43, 8650400), opaque,
                            Unsigned("1.3.6.1.9.10", 0x46, (1ull << 40) + 5), ObjId("1.3.6.1.9.11", "1.3.6.1.4.1.32473"),
                            Null("1.3.6.1.9.12", 0x81), unknown},
                       0, 0, 0xA2, "public", 1);
    PduPtr pdu = Decode(ab);
    ASSERT_TRUE(pdu);
    EXPECT_EQ(pdu->version, 1);
    std::vector<const OVsnmpVarBind*> v;
    for (const OVsnmpVarBind* var = pdu->variables; var; var = var->next_variable)
        v.push_back(var);
    ASSERT_EQ(v.size(), 13u);
    EXPECT_EQ(*v[0]->val.integer, -70000);
    EXPECT_EQ(Bytes(v[1]->val.string, v[1]->val.string + v[1]->val_len), (Bytes{'A', 0, 'B'}));
    EXPECT_EQ(v[2]->type, 0x03);
    EXPECT_EQ(v[3]->type, OVSNMP_NULL);
    EXPECT_EQ(v[3]->val.string, nullptr);
    EXPECT_EQ(Bytes(v[4]->val.string, v[4]->val.string + 4), (Bytes{192, 0, 2, 7}));
    EXPECT_EQ(*v[5]->val.unsigned32, 4294967295u);
    EXPECT_EQ(*v[6]->val.unsigned32, 10u);
    EXPECT_EQ(*v[7]->val.unsigned32, 8650400u);
    EXPECT_EQ(v[8]->val_len, 7u);
    ASSERT_EQ(v[9]->val_len, 8u);
    EXPECT_EQ(v[9]->val.counter64->high, 256u);
    EXPECT_EQ(v[9]->val.counter64->low, 5u);
    EXPECT_EQ(v[10]->val_len, 7u);
    EXPECT_EQ(v[10]->val.objid[6], 32473u);
    EXPECT_EQ(v[11]->type, OVSNMP_NOSUCHINSTANCE);
    EXPECT_EQ(v[12]->type, 0x4F);
    EXPECT_EQ(v[12]->val_len, 3u);
}

TEST(Message, MalformedDatagramsAreRejected)
{
    using namespace testagent;
    const Bytes good = Message(1234, {Str("1.3.6.1.2.1.1.1.0", "ORVAN"), Int("1.3.6.1.2.1.1.7.0", 72)});
    ASSERT_TRUE(Decode(good));
    // Every truncation of a good message is malformed.
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(Decode(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)))) << n;
    // Bytes after the message do not matter.
    Bytes padded = good;
    padded.push_back(0);
    EXPECT_TRUE(Decode(padded));

    auto patched = [&](std::size_t a_at, std::uint8_t a_b) {
        Bytes ab = good;
        ab[a_at] = a_b;
        return ab;
    };
    EXPECT_FALSE(Decode(patched(0, 0x31)));                   // not a SEQUENCE
    EXPECT_FALSE(Decode(patched(1, 0x80)));                   // indefinite length
    EXPECT_FALSE(Decode(patched(1, 0x85)));                   // five length octets
    EXPECT_FALSE(Decode(patched(1, static_cast<std::uint8_t>(good[1] + 1))));  // longer than the datagram
    EXPECT_FALSE(Decode(patched(4, 3)));                      // SNMPv3 is not ours
    EXPECT_FALSE(Decode(patched(13, 0xA9)));                  // no such PDU

    // A name whose sub-identifier needs more than 32 bits.
    EXPECT_TRUE(Decode(WithRawName({0x2B, 0x06, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F})));
    EXPECT_FALSE(Decode(WithRawName({0x2B, 0x06, 0x90, 0x80, 0x80, 0x80, 0x00})));
    EXPECT_FALSE(Decode(WithRawName({})));

    // A name longer than 256 sub-identifiers.
    Oid longName(257, 7);
    longName[0] = 1;
    longName[1] = 3;
    Var tooLong;
    tooLong.oid = longName;
    tooLong.type = 0x05;
    Bytes longMessage = Message(1, {tooLong});
    EXPECT_FALSE(Decode(longMessage));
    longName.pop_back();
    tooLong.oid = longName;
    EXPECT_TRUE(Decode(Message(1, {tooLong})));

    // A request id that does not fit 32 bits, an integer value that does not.
    Var wide = Int("1.3.6.1.2.1.1.7.0", 1ll << 40);
    EXPECT_FALSE(Decode(Message(1, {wide})));
    EXPECT_FALSE(Decode(Message(1, {Unsigned("1.3.6.1.2.1.1.3.0", 0x43, 1ull << 33)})));
}

TEST(Message, TrapLayouts)
{
    // An SNMPv1 trap, as an agent sends it.
    Bytes v1;
    {
        CBerWriter w(v1);
        std::size_t m = w.Begin(0x30);
        w.WriteInteger(0);
        w.WriteBytes(0x04, reinterpret_cast<const std::uint8_t*>("public"), 6);
        std::size_t p = w.Begin(0xA4);
        const std::uint32_t enterprise[] = {1, 3, 6, 1, 2, 1, 43};
        w.WriteObjectId(enterprise, 7);
        const std::uint8_t agent[] = {127, 0, 0, 11};
        w.WriteBytes(0x40, agent, 4);
        w.WriteInteger(6);
        w.WriteInteger(1);
        w.WriteUnsigned(8700001, 0x43);
        std::size_t l = w.Begin(0x30);
        w.End(l);
        w.End(p);
        w.End(m);
    }
    PduPtr trap = Decode(v1);
    ASSERT_TRUE(trap);
    EXPECT_EQ(trap->command, OVSNMP_TRAP);
    EXPECT_EQ(trap->enterprise_length, 7u);
    EXPECT_EQ(trap->agent_addr[3], 11);
    EXPECT_EQ(trap->generic_type, 6);
    EXPECT_EQ(trap->specific_type, 1);
    EXPECT_EQ(trap->time_stamp, 8700001u);

    // An SNMPv2 trap we send: sysUpTime.0 and snmpTrapOID.0 lead.
    PduPtr out(NewPdu(OVSNMP_V2_TRAP), FreePdu);
    out->version = 1;
    const std::uint32_t id[] = {1, 3, 6, 1, 2, 1, 43, 18, 2, 0, 1};
    out->enterprise = CopySubIds(id, 11);
    out->enterprise_length = 11;
    out->time_stamp = 42;
    const std::int32_t n = 5;
    ASSERT_TRUE(AppendVarBind(out.get(), id, 11, OVSNMP_INTEGER, &n, 4, 4));
    Bytes ab;
    ASSERT_TRUE(EncodeMessage(*out, reinterpret_cast<const std::uint8_t*>("public"), 6, ab));
    PduPtr back = Decode(ab);
    ASSERT_TRUE(back);
    std::vector<const OVsnmpVarBind*> v;
    for (const OVsnmpVarBind* var = back->variables; var; var = var->next_variable)
        v.push_back(var);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(SubIds(*v[0]), (std::vector<std::uint32_t>{1, 3, 6, 1, 2, 1, 1, 3, 0}));
    EXPECT_EQ(*v[0]->val.unsigned32, 42u);
    EXPECT_EQ(std::vector<std::uint32_t>(v[1]->val.objid, v[1]->val.objid + v[1]->val_len),
              std::vector<std::uint32_t>(id, id + 11));
    EXPECT_EQ(*v[2]->val.integer, 5);
}

} // namespace
