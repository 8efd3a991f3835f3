#include <gtest/gtest.h>

#include "AddressNet.h"
#include "MibRequest.h"

namespace {

struct IpCase {
    const char* text;
    bool valid;
    const char* formatted;
    size_t components;  // what remains after parsing
};

class IpParse : public testing::TestWithParam<IpCase> {};

TEST_P(IpParse, ParsesValidatesAndFormats)
{
    const IpCase& c = GetParam();
    CAddressIp ip;
    EXPECT_EQ(ip.Parse(c.text), c.valid) << c.text;
    EXPECT_EQ(ip.IsValid(), c.valid);
    EXPECT_EQ(ip.Format(), c.formatted);
    EXPECT_EQ(ip.Components().size(), c.components);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IpParse,
    testing::Values(
        IpCase{"192.168.1.20", true, "192.168.1.20", 4},
        IpCase{" 192.168.1.20 ", true, "192.168.1.20", 4},
        IpCase{"192..168.1.20", true, "192.168.1.20", 4},
        IpCase{"\t10 0\r\n0.1", true, "10.0.0.1", 4},
        IpCase{"010.000.001.255", true, "10.0.1.255", 4},
        IpCase{"192.168.1", false, "", 3},
        IpCase{"192.168.1.2.3", false, "", 5},
        IpCase{"192.168.1.x", false, "", 0},
        IpCase{"192.168.1.256", false, "", 0},
        IpCase{"192.168.1.99999999999999999999", false, "", 0},
        IpCase{"-1.2.3.4", false, "", 0},
        IpCase{"", false, "", 0},
        IpCase{"...", false, "", 0}));

TEST(AddressIp, ParseReplacesEarlierContent)
{
    CAddressIp ip("1.2.3.4");
    ASSERT_TRUE(ip.IsValid());
    EXPECT_FALSE(ip.Parse("5.6"));
    EXPECT_EQ(ip.Components().size(), 2u);
    ip.Clear();
    EXPECT_FALSE(ip.IsValid());
}

struct IpxCase {
    const char* text;
    bool valid;
    const char* formatted;
};

class IpxParse : public testing::TestWithParam<IpxCase> {};

TEST_P(IpxParse, ParsesValidatesAndFormats)
{
    const IpxCase& c = GetParam();
    CAddressIpx ipx;
    EXPECT_EQ(ipx.Parse(c.text), c.valid) << c.text;
    EXPECT_EQ(ipx.Format(), c.formatted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IpxParse,
    testing::Values(
        IpxCase{"0000ABCD:00A0C9123456", true, "0000ABCD:00A0C9123456"},
        IpxCase{"0000ABCD-00A0C9123456", true, "0000ABCD:00A0C9123456"},
        IpxCase{"0000ABCD.00A0C9123456", true, "0000ABCD:00A0C9123456"},
        IpxCase{"  0000ABCD   00A0C9123456\r\n", true, "0000ABCD:00A0C9123456"},
        IpxCase{"0000abcd:00a0c9123456", true, "0000ABCD:00A0C9123456"},
        IpxCase{"1:00A0C9123456", true, "1:00A0C9123456"},
        IpxCase{"12345678:000000000001", true, "12345678:000000000001"},
        IpxCase{"1:00A0C912345", false, ""},      // 11 node digits
        IpxCase{"1:00A0C91234567", false, ""},    // 13 node digits
        IpxCase{"123456789:00A0C9123456", false, ""},  // 9 network digits
        IpxCase{":00A0C9123456", false, ""},      // no network
        IpxCase{"1:2:3", false, ""},              // three tokens
        IpxCase{"1G:00A0C9123456", false, ""},    // not a hex digit
        IpxCase{"", false, ""}));

TEST(AddressIpx, NonHexCharacterIsKeptAsBadDigit)
{
    CAddressIpx ipx("Z1:00A0C9123456");
    ASSERT_EQ(ipx.Network().size(), 2u);
    EXPECT_EQ(ipx.Network()[0], CAddressIpx::kBadDigit);
    EXPECT_EQ(ipx.Network()[1], 1);
    EXPECT_FALSE(ipx.IsValid());
}

TEST(AddressNet, UsableThroughTheBase)
{
    CAddressIp ip;
    CAddressIpx ipx;
    CAddressNet* addresses[] = {&ip, &ipx};
    EXPECT_TRUE(addresses[0]->Parse("127.0.0.1"));
    EXPECT_TRUE(addresses[1]->Parse("a-00000000000b"));
    EXPECT_EQ(addresses[1]->Format(), "A:00000000000B");
    for (CAddressNet* a : addresses) {
        a->Clear();
        EXPECT_FALSE(a->IsValid());
        EXPECT_EQ(a->Format(), "");
    }
}

// The gateway takes an IPX address as network and node digits written
// together, whichever separator the text used.
TEST(GatewayAddress, NetworkAndNodeTogether)
{
    struct Case {
        const char* text;
        const char* gateway;
    } cases[] = {
        {"1A:00A0C9123456", "1A00A0C9123456"},
        {"1A-00A0C9123456", "1A00A0C9123456"},
        {"1A.00A0C9123456", "1A00A0C9123456"},
        {"0000001A:00A0C9123456", "0000001A00A0C9123456"},
        {"1A:00A0C9123456789", "1A00A0C9123456"},  // at most 12 node characters
        {"1A-00:A0", "1A-00A0"},                    // a colon comes before a hyphen
        {"1A.00-A0", "1A.00A0"},                    // a hyphen before a full stop
        {"1A00A0C9123456", "1A00A0C9123456"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MibGatewayAddress(c.text), c.gateway) << c.text;

    CMibRequest r;
    r.SetIpxAddress("BEEF-0080ABCDEF01");
    EXPECT_EQ(r.GetAddress(), "BEEF-0080ABCDEF01");
    EXPECT_EQ(r.GetGatewayAddress(), "BEEF0080ABCDEF01");
    r.SetIpAddress("127.0.0.11");
    EXPECT_EQ(r.GetGatewayAddress(), "");
}

} // namespace
