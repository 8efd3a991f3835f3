// The gateway side of CMibRequest: get and walk through the maker's MIB
// gateway library (kestrel). Each operation takes a handle of its own and
// closes and releases it on every path out. Values come back as BER, which
// CBerReader decodes.
//
// Every exchange is refused unless the device describes itself as the
// maker's: the gateway speaks only to the maker's printers.
#include <algorithm>
#include <string>
#include <vector>

#include "BerReader.h"
#include "Kestrel.h"
#include "MibRequest.h"
#include "Trace.h"

namespace {

// hrDeviceDescr of device 1, which names the maker on the maker's printers.
const char kDeviceDescr1[] = "1.3.6.1.2.1.25.3.2.1.3.1";
const char kMakerName[] = "ORVAN";

// The library asks for a bigger buffer at most a few times in a row; a
// library that keeps asking would otherwise hold the request forever.
constexpr int kMaxBufferRounds = 4;

// Owns one gateway handle: closed and released when the operation ends.
class CGatewayHandle {
public:
    CGatewayHandle() : m_handle(MIBInitialize()) {}
    ~CGatewayHandle() { Release(); }
    CGatewayHandle(const CGatewayHandle&) = delete;
    CGatewayHandle& operator=(const CGatewayHandle&) = delete;

    bool IsValid() const { return m_handle > 0; }
    MIBHANDLE Get() const { return m_handle; }
    int ErrorNo() const { return MIBGetErrorNo(m_handle); }
    void Release()
    {
        if (m_handle > 0) {
            MIBClose(m_handle);
            MIBRelease(m_handle);
        }
        m_handle = 0;
    }

private:
    MIBHANDLE m_handle;
};

// A call of the library's buffer protocol: first without a buffer and with
// length 0, then with a buffer of the length the library asked for, until
// the result is not -108. On success a_ab holds what the library gave.
template <typename Call>
int CallWithBuffer(std::vector<std::uint8_t>& a_ab, Call a_call)
{
    a_ab.clear();
    std::uint32_t nLength = 0;
    int nResult = a_call(&nLength, nullptr);
    for (int nRound = 0; nResult == MIB_ERR_BUFFER && nRound < kMaxBufferRounds; ++nRound) {
        a_ab.assign(nLength, 0);
        nLength = static_cast<std::uint32_t>(a_ab.size());
        nResult = a_call(&nLength, a_ab.data());
    }
    if (nResult == 0)
        a_ab.resize(std::min<std::size_t>(nLength, a_ab.size()));
    else
        a_ab.clear();
    return nResult;
}

// A request packet of a_nKind for one identifier; false when none results.
bool BuildPacket(MIBHANDLE a_h, int a_nKind, const std::string& a_community, const std::string& a_oid,
                 std::vector<std::uint8_t>& a_packet)
{
    const char* oids[] = {a_oid.c_str()};
    const int nResult = CallWithBuffer(a_packet, [&](std::uint32_t* a_pn, std::uint8_t* a_pb) {
        return MIBCreateGetRequestSNMPPacket(a_h, a_nKind, MIB_PACKET_FORMAT, a_community.c_str(), 1, oids,
                                             a_pn, a_pb);
    });
    return nResult == 0 && !a_packet.empty();
}

int Send(MIBHANDLE a_h, const std::vector<std::uint8_t>& a_packet)
{
    return MIBSend(a_h, a_packet.data(), static_cast<std::uint32_t>(a_packet.size()));
}

bool Receive(MIBHANDLE a_h, std::vector<std::uint8_t>& a_answer)
{
    return CallWithBuffer(a_answer, [&](std::uint32_t* a_pn, std::uint8_t* a_pb) {
               return MIBReceive(a_h, a_pn, a_pb);
           }) == 0;
}

// Variable a_nIndex's identifier text; the library's result (0, -104, ...).
int VariableId(MIBHANDLE a_h, int a_nIndex, const std::vector<std::uint8_t>& a_answer,
               std::string& a_text)
{
    std::vector<std::uint8_t> ab;
    const int nResult = CallWithBuffer(ab, [&](std::uint32_t* a_pn, std::uint8_t* a_pb) {
        return MIBGetchObjectIDFromSNMPPacket(a_h, a_nIndex, a_answer.data(),
                                              static_cast<std::uint32_t>(a_answer.size()), a_pn,
                                              reinterpret_cast<char*>(a_pb));
    });
    // The text ends at its terminating zero, or at the buffer's end.
    a_text.assign(ab.begin(), std::find(ab.begin(), ab.end(), std::uint8_t{0}));
    return nResult;
}

bool VariableBer(MIBHANDLE a_h, int a_nIndex, const std::vector<std::uint8_t>& a_answer,
                 std::vector<std::uint8_t>& a_ber)
{
    return CallWithBuffer(a_ber, [&](std::uint32_t* a_pn, std::uint8_t* a_pb) {
               return MIBGetBERDataFromSNMPPacket(a_h, a_nIndex, a_answer.data(),
                                                  static_cast<std::uint32_t>(a_answer.size()), a_pn, a_pb);
           }) == 0;
}

// Whether the device's hrDeviceDescr.1 names the maker, in capitals.
bool IsMakersDevice(MIBHANDLE a_h, const std::string& a_community)
{
    std::vector<std::uint8_t> packet;
    std::vector<std::uint8_t> answer;
    if (!BuildPacket(a_h, MIB_KIND_GET, a_community, kDeviceDescr1, packet) || Send(a_h, packet) != 0 ||
        !Receive(a_h, answer))
        return false;
    std::string id;
    std::vector<std::uint8_t> ber;
    if (VariableId(a_h, 0, answer, id) != 0 || id != kDeviceDescr1 || !VariableBer(a_h, 0, answer, ber))
        return false;
    std::uint8_t tag;
    std::size_t n;
    const std::uint8_t* pb;
    if (!CBerReader::ReadHeader(ber.data(), ber.size(), tag, n, pb) || tag != 0x04)
        return false;
    CMibValue descr;
    std::string text;
    return CBerReader::Decode(ber.data(), ber.size(), descr) && descr.GetText(text) &&
           text.find(kMakerName) != std::string::npos;
}

} // namespace

std::string MibGatewayAddress(std::string_view a_ipx)
{
    std::size_t sep = a_ipx.find(':');
    if (sep == std::string_view::npos)
        sep = a_ipx.find('-');
    if (sep == std::string_view::npos)
        sep = a_ipx.find('.');
    if (sep == std::string_view::npos)
        return std::string(a_ipx);
    return std::string(a_ipx.substr(0, sep)) + std::string(a_ipx.substr(sep + 1, 12));
}

// The common start after the handle: the address pair, the channel and the
// maker check. False (traced) when the request fails there.
bool CMibRequest::GatewayOpen(std::int32_t a_hGateway, bool a_bWalk)
{
    const MIBHANDLE h = a_hGateway;
    const char* ip = IsIpx() ? nullptr : m_strAddress.c_str();
    const char* ipx = IsIpx() ? m_strGatewayAddress.c_str() : nullptr;
    MIBChannelInfo info{};
    // A get judges the calls by the error number, a walk by their results.
    int nResult = MIBGetChannelInfo(h, ip, ipx, &info);
    if ((a_bWalk && nResult != 0) || (!a_bWalk && MIBGetErrorNo(h) != 0)) {
        TraceMib("MIBGwGet:MIBGetCannelInfo ErrNO.=%d,Commuity=%s Addr=%s\n", MIBGetErrorNo(h),
                 m_strCommunity.c_str(), m_strAddress.c_str());
        return false;
    }
    nResult = MIBOpen(h, ip, ipx, &info);
    if ((a_bWalk && nResult != 0) || (!a_bWalk && MIBGetErrorNo(h) != 0)) {
        TraceMib("MIBGwGet:MIBOpen ErrNO.=%d,Commuity=%s Addr=%s\n", MIBGetErrorNo(h), m_strCommunity.c_str(),
                 m_strAddress.c_str());
        return false;
    }
    if (!IsMakersDevice(h, m_strCommunity)) {
        TraceMib("MIBGwGet:OrvanCheck FALSE\n");
        return false;
    }
    return true;
}

int CMibRequest::GatewayGet()
{
    CGatewayHandle h;
    auto fail = [this] {
        MarkAllUnavailable();
        return -1;
    };
    if (!h.IsValid()) {
        TraceMib("MIBGwGet:MIBInitiailze Commuity=%s Addr=%s\n", m_strCommunity.c_str(), m_strAddress.c_str());
        return fail();
    }
    if (!GatewayOpen(h.Get(), false))
        return fail();

    int nCount = 0;
    for (CMibValue& value : m_values) {
        value.SetUnavailable();
        if (value.GetIdentifier().IsEmpty())
            continue;
        const std::string oid = value.GetIdentifier().Format();
        std::vector<std::uint8_t> packet;
        if (!BuildPacket(h.Get(), MIB_KIND_GET, m_strCommunity, oid, packet))
            continue;
        if (Send(h.Get(), packet) != 0) {
            TraceMib("MIBGwGet:MIBSend ErrNO.=%d ObjectID=%s\n", h.ErrorNo(), oid.c_str());
            continue;
        }
        std::vector<std::uint8_t> answer;
        if (!Receive(h.Get(), answer)) {
            TraceMib("MIBGwGet:MIBReceive ErrNO.=%d ObjectID=%s\n", h.ErrorNo(), oid.c_str());
            continue;
        }
        std::string id;
        std::vector<std::uint8_t> ber;
        if (VariableId(h.Get(), 0, answer, id) != 0 || id.empty() || id != oid || !VariableBer(h.Get(), 0, answer, ber))
            continue;
        // A value whose BER header does not even read is not obtained.
        if (!CBerReader::Decode(ber.data(), ber.size(), value))
            continue;
        ++nCount;
    }
    return nCount;
}

int CMibRequest::GatewayWalk()
{
    CGatewayHandle h;
    auto fail = [this] {
        m_values.clear();
        return -1;
    };
    if (!h.IsValid()) {
        TraceMib("MIBGwGet:MIBInitiailze Commuity=%s Addr=%s\n", m_strCommunity.c_str(), m_strAddress.c_str());
        return fail();
    }
    if (m_values.size() != 1) {
        h.Release();
        TraceMib("MIBGwGetNext NO LIST");
        return fail();
    }
    if (!GatewayOpen(h.Get(), true))
        return fail();

    const std::string start = m_values.front().GetIdentifier().Format();
    m_values.clear();
    if (start.empty())
        return -1;
    std::vector<std::uint8_t> packet;
    if (!BuildPacket(h.Get(), MIB_KIND_WALK, m_strCommunity, start, packet))
        return -1;
    const int nSent = Send(h.Get(), packet);
    if (nSent == -1 || nSent == -2) {
        const int nError = h.ErrorNo();
        TraceMib("MIBGwGet:MIBSend ErrNO.=%d ObjectID=%s\n", nError, start.c_str());
        // Errors that mean "no data here" give an empty subtree, not a
        // failure of the request.
        const bool bEmpty = nSent == -2 || nError == 0 || nError == MIB_ERR_NO_VARIABLE ||
                            nError == MIB_ERR_BUFFER || (nError >= MIB_ERR_GEN_ERR && nError <= MIB_ERR_TOO_BIG);
        return bEmpty ? 0 : -1;
    }
    std::vector<std::uint8_t> answer;
    if (!Receive(h.Get(), answer)) {
        TraceMib("MIBGwGet:MIBReceive ErrNO.=%d ObjectID=%s\n", h.ErrorNo(), start.c_str());
        return -1;
    }

    int nCount = 0;
    for (int nIndex = 0;; ++nIndex) {
        std::string id;
        std::vector<std::uint8_t> ber;
        if (VariableId(h.Get(), nIndex, answer, id) != 0 || !VariableBer(h.Get(), nIndex, answer, ber))
            break;
        CMibValue row;
        row.GetIdentifier().Parse(id);
        // BER whose header does not read is as good as none: the rows end.
        if (!CBerReader::Decode(ber.data(), ber.size(), row))
            break;
        m_values.push_back(std::move(row));
        ++nCount;
    }
    return nCount;
}
