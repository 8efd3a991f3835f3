// The C interface of the gateway library: a table of handles, the channel
// of each, and the exchanges. The SNMP underneath is the platform library's
// own core (message codec, sessions with time-out and retries), so the two
// transports speak the same SNMPv1 on the wire.
//
// No C++ exception may leave these functions: the callers are C-style code
// on the other side of a DLL boundary.
#include "Kestrel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "Ber.h"
#include "GatewayPacket.h"
#include "IpxRoutes.h"
#include "KestrelTest.h"
#include "Pdu.h"
#include "Session.h"
#include "SnmpMessage.h"

using namespace kestrel;

namespace {

// A walk keeps at most this many rows: far more than any printer table, and
// a bound on what an agent that keeps inventing rows can make us hold.
constexpr std::size_t kMaxWalkRows = 100000;

struct SessionCloser {
    void operator()(OVsnmpSession* a_session) const { ovsnmp::CloseSession(a_session); }
};
struct PduFreer {
    void operator()(OVsnmpPdu* a_pdu) const { ovsnmp::FreePdu(a_pdu); }
};
using CSessionPtr = std::unique_ptr<OVsnmpSession, SessionCloser>;
using CPduPtr = std::unique_ptr<OVsnmpPdu, PduFreer>;

// One handle's state. A handle serves one operation of one thread; the
// table only has to keep it alive while a call runs.
struct CHandle {
    int nError = MIB_ERR_NONE;
    CSessionPtr session;
    std::vector<std::uint8_t> answer;
    bool bAnswer = false;
};

std::mutex g_lock;
std::map<MIBHANDLE, std::shared_ptr<CHandle>> g_handles;
MIBHANDLE g_nNext = 1;

std::shared_ptr<CHandle> FindHandle(MIBHANDLE a_handle)
{
    std::lock_guard<std::mutex> guard(g_lock);
    auto it = g_handles.find(a_handle);
    return it == g_handles.end() ? nullptr : it->second;
}

// Failures injected by tests (KestrelTest.h).
struct CInjection {
    int nKind = 0;
    int nCount = 0;
    int nResult = 0;
    int nError = 0;
};
std::mutex g_injectionLock;
CInjection g_injection;

bool TakeInjection(int a_nKind, int& a_nResult, int& a_nError)
{
    std::lock_guard<std::mutex> guard(g_injectionLock);
    if (g_injection.nCount <= 0 || g_injection.nKind != a_nKind)
        return false;
    --g_injection.nCount;
    a_nResult = g_injection.nResult;
    a_nError = g_injection.nError;
    return true;
}

// The library's error number for a failed exchange of the SNMP core.
int ExchangeError()
{
    switch (ovsnmp::ThreadErrno()) {
    case OVSNMP_ERR_TIMEOUT: return MIB_ERR_TIMEOUT;
    case OVSNMP_ERR_NO_MEMORY: return MIB_ERR_NO_MEMORY;
    case OVSNMP_ERR_ENCODE: return MIB_ERR_BAD_PACKET;
    case OVSNMP_ERR_BAD_ADDRESS: return MIB_ERR_UNREACHABLE;
    default: return MIB_ERR_SOCKET;
    }
}

// The library's error number for an agent's error status.
int StatusError(std::int32_t a_nStatus)
{
    switch (a_nStatus) {
    case OVSNMP_ERR_STATUS_TOOBIG: return MIB_ERR_TOO_BIG;
    case OVSNMP_ERR_STATUS_NOSUCHNAME: return MIB_ERR_NO_VARIABLE;
    case OVSNMP_ERR_STATUS_BADVALUE: return MIB_ERR_BAD_VALUE;
    case OVSNMP_ERR_STATUS_READONLY: return MIB_ERR_READ_ONLY;
    default: return MIB_ERR_GEN_ERR;
    }
}

bool IsException(std::uint8_t a_type)
{
    return a_type == OVSNMP_NOSUCHOBJECT || a_type == OVSNMP_NOSUCHINSTANCE || a_type == OVSNMP_ENDOFMIBVIEW;
}

bool SameOid(const OVsnmpVarBind& a_a, const OVsnmpVarBind& a_b)
{
    return a_a.oid_length == a_b.oid_length &&
           (a_a.oid_length == 0 || std::memcmp(a_a.oid, a_b.oid, a_a.oid_length * sizeof(std::uint32_t)) == 0);
}

// Whether a_var lies under a_root and after a_current.
bool MovesOnWithin(const OVsnmpVarBind& a_var, const std::vector<std::uint32_t>& a_root,
                   const std::vector<std::uint32_t>& a_current)
{
    if (a_var.oid_length < a_root.size() || !a_var.oid ||
        std::memcmp(a_var.oid, a_root.data(), a_root.size() * sizeof(std::uint32_t)) != 0)
        return false;
    const std::vector<std::uint32_t> oid(a_var.oid, a_var.oid + a_var.oid_length);
    return oid > a_current;
}

int Fail(CHandle& a_handle, int a_nError, int a_nResult = -1)
{
    a_handle.nError = a_nError;
    return a_nResult;
}

// Encodes the answer for MIBReceive.
int KeepAnswer(CHandle& a_handle, OVsnmpPdu& a_response, const std::string& a_community)
{
    a_response.version = 0;
    a_response.command = OVSNMP_GET_RSP;
    a_response.error_status = 0;
    a_response.error_index = 0;
    std::vector<std::uint8_t> answer;
    if (!ovsnmp::EncodeMessage(a_response, reinterpret_cast<const std::uint8_t*>(a_community.data()),
                               a_community.size(), answer))
        return Fail(a_handle, MIB_ERR_BAD_PACKET);
    a_handle.answer = std::move(answer);
    a_handle.bAnswer = true;
    return Fail(a_handle, MIB_ERR_NONE, 0);
}

int ExchangeGet(CHandle& a_handle, OVsnmpPdu& a_request, const std::string& a_community)
{
    CPduPtr response(ovsnmp::BlockingSend(a_handle.session.get(), &a_request));
    if (!response)
        return Fail(a_handle, ExchangeError());
    if (response->error_status != OVSNMP_ERR_STATUS_NOERROR)
        return Fail(a_handle, StatusError(response->error_status));
    const OVsnmpVarBind* var = response->variables;
    if (!var || !SameOid(*var, *a_request.variables) || IsException(var->type))
        return Fail(a_handle, MIB_ERR_NO_VARIABLE);
    return KeepAnswer(a_handle, *response, a_community);
}

// The whole subtree by get-next, collected into one response. The walk ends
// where the agent leaves the subtree, reaches the end of its MIB, or fails
// to move forward (which would otherwise never end).
int ExchangeWalk(CHandle& a_handle, const OVsnmpPdu& a_request, const std::string& a_community)
{
    const OVsnmpVarBind& start = *a_request.variables;
    const std::vector<std::uint32_t> root(start.oid, start.oid + start.oid_length);
    std::vector<std::uint32_t> current = root;
    CPduPtr rows(ovsnmp::NewPdu(OVSNMP_GET_RSP));
    if (!rows)
        return Fail(a_handle, MIB_ERR_NO_MEMORY);
    OVsnmpVarBind* tail = nullptr;
    std::size_t nRows = 0;
    for (;;) {
        CPduPtr request(ovsnmp::NewPdu(OVSNMP_GETNEXT_REQ));
        if (!request ||
            !ovsnmp::AppendVarBind(request.get(), current.data(), current.size(), OVSNMP_NULL, nullptr, 0, 0))
            return Fail(a_handle, MIB_ERR_NO_MEMORY);
        CPduPtr response(ovsnmp::BlockingSend(a_handle.session.get(), request.get()));
        if (!response)
            return Fail(a_handle, ExchangeError());
        // noSuchName to a get-next: nothing follows in the agent's MIB.
        if (response->error_status == OVSNMP_ERR_STATUS_NOSUCHNAME)
            break;
        if (response->error_status != OVSNMP_ERR_STATUS_NOERROR)
            return Fail(a_handle, StatusError(response->error_status));
        OVsnmpVarBind* var = response->variables;
        if (!var)
            return Fail(a_handle, MIB_ERR_BAD_PACKET);
        if (IsException(var->type) || !MovesOnWithin(*var, root, current))
            break;
        if (nRows == kMaxWalkRows)
            return Fail(a_handle, MIB_ERR_TOO_LARGE);
        // The row moves from the response into the collection.
        response->variables = var->next_variable;
        var->next_variable = nullptr;
        if (tail)
            tail->next_variable = var;
        else
            rows->variables = var;
        tail = var;
        ++nRows;
        current.assign(var->oid, var->oid + var->oid_length);
    }
    return KeepAnswer(a_handle, *rows, a_community);
}

// Both variable calls: find variable a_nIndex, then hand out what a_take
// picks of it.
template <typename Take>
int FromPacket(MIBHANDLE a_handle, int a_nIndex, const std::uint8_t* a_pbPacket, std::uint32_t a_nPacket,
               std::uint32_t* a_pnLength, void* a_pbOut, Take a_take)
{
    std::shared_ptr<CHandle> h = FindHandle(a_handle);
    if (!h)
        return -1;
    try {
        if (!a_pbPacket || !a_pnLength)
            return Fail(*h, MIB_ERR_BAD_ARGUMENT);
        if (a_nIndex < 0)
            return Fail(*h, MIB_ERR_NO_VARIABLE, MIB_ERR_NO_VARIABLE);
        std::string oidText;
        const std::uint8_t* pbBer;
        std::size_t nBer;
        switch (FindVariable(a_pbPacket, a_nPacket, static_cast<std::size_t>(a_nIndex), oidText, pbBer, nBer)) {
        case VariableResult::NoVariable:
            return Fail(*h, MIB_ERR_NO_VARIABLE, MIB_ERR_NO_VARIABLE);
        case VariableResult::BadPacket:
            return Fail(*h, MIB_ERR_BAD_PACKET);
        case VariableResult::Found:
            break;
        }
        const int nResult = a_take(oidText, pbBer, nBer, a_pnLength, a_pbOut);
        return Fail(*h, nResult == 0 ? MIB_ERR_NONE : MIB_ERR_BUFFER, nResult);
    } catch (...) {
        return Fail(*h, MIB_ERR_NO_MEMORY);
    }
}

} // namespace

extern "C" {

KESTREL_API MIBHANDLE MIBInitialize(void)
{
    try {
        auto handle = std::make_shared<CHandle>();
        std::lock_guard<std::mutex> guard(g_lock);
        // Numbers are not given out again while in use; after the largest
        // one the count starts over at 1.
        for (;;) {
            MIBHANDLE id = g_nNext;
            g_nNext = g_nNext == INT32_MAX ? 1 : g_nNext + 1;
            if (g_handles.emplace(id, handle).second)
                return id;
        }
    } catch (...) {
        return 0;
    }
}

KESTREL_API int MIBGetChannelInfo(MIBHANDLE handle, const char* ip, const char* ipx, MIBChannelInfo* info)
{
    std::shared_ptr<CHandle> h = FindHandle(handle);
    if (!h)
        return -1;
    try {
        if (!info || (ip && ipx) || (!ip && !ipx))
            return Fail(*h, MIB_ERR_BAD_ARGUMENT);
        ovsnmp::CInetAddress peer;
        bool bHasPort = false;
        MIBChannelInfo filled{};
        if (ip) {
            if (!ovsnmp::ParseInetAddress(ip, peer, bHasPort))
                return Fail(*h, MIB_ERR_UNREACHABLE);
            filled.channel = MIB_CHANNEL_IP;
        } else {
            std::string key;
            if (!NormalizeIpx(ipx, key) || !LookUpIpxRoute(key, std::getenv("LUMET_KESTREL_ROUTES"), peer, bHasPort))
                return Fail(*h, MIB_ERR_UNREACHABLE);
            filled.channel = MIB_CHANNEL_IPX;
            std::snprintf(filled.ipx, sizeof filled.ipx, "%s", key.c_str());
        }
        if (!bHasPort)
            peer.port = ovsnmp::ReadExchangeSettings().nAgentPort;
        std::snprintf(filled.peer, sizeof filled.peer, "%u.%u.%u.%u:%u", peer.ab[0], peer.ab[1], peer.ab[2],
                      peer.ab[3], static_cast<unsigned>(peer.port));
        *info = filled;
        return Fail(*h, MIB_ERR_NONE, 0);
    } catch (...) {
        return Fail(*h, MIB_ERR_NO_MEMORY);
    }
}

KESTREL_API int MIBOpen(MIBHANDLE handle, const char* ip, const char* ipx, MIBChannelInfo* info)
{
    std::shared_ptr<CHandle> h = FindHandle(handle);
    if (!h)
        return -1;
    (void)ip;
    (void)ipx;
    try {
        h->session.reset();
        h->bAnswer = false;
        if (!info || info->channel == MIB_CHANNEL_NONE || !std::memchr(info->peer, 0, sizeof info->peer))
            return Fail(*h, MIB_ERR_BAD_ARGUMENT);
        CSessionPtr session(ovsnmp::OpenSession("", info->peer, OVSNMP_DEFAULT_RETRIES, 8, OVSNMP_DEFAULT_PORT,
                                                OVSNMP_DEFAULT_PORT, nullptr, nullptr));
        if (!session)
            return Fail(*h, ExchangeError());
        session->session_flags &= static_cast<std::uint16_t>(~OVSNMP_SF_DELIVER_STRAYS);
        h->session = std::move(session);
        return Fail(*h, MIB_ERR_NONE, 0);
    } catch (...) {
        return Fail(*h, MIB_ERR_NO_MEMORY);
    }
}

KESTREL_API int MIBCreateGetRequestSNMPPacket(MIBHANDLE handle, int kind, int format, const char* community,
                                              int count, const char* const* oids, std::uint32_t* length,
                                              std::uint8_t* packet)
{
    std::shared_ptr<CHandle> h = FindHandle(handle);
    if (!h)
        return -1;
    try {
        std::vector<std::uint32_t> oid;
        if ((kind != MIB_KIND_GET && kind != MIB_KIND_WALK) || format != MIB_PACKET_FORMAT || !community ||
            count != 1 || !oids || !oids[0] || !length || !ParseOidText(oids[0], oid))
            return Fail(*h, MIB_ERR_BAD_ARGUMENT);
        std::vector<std::uint8_t> built;
        if (!BuildRequestPacket(kind == MIB_KIND_WALK, community, oid, built))
            return Fail(*h, MIB_ERR_BAD_ARGUMENT);
        const int nResult = CopyOut(built.data(), built.size(), length, packet);
        return Fail(*h, nResult == 0 ? MIB_ERR_NONE : nResult == -108 ? MIB_ERR_BUFFER : MIB_ERR_BAD_ARGUMENT,
                    nResult);
    } catch (...) {
        return Fail(*h, MIB_ERR_NO_MEMORY);
    }
}

KESTREL_API int MIBSend(MIBHANDLE handle, const std::uint8_t* packet, std::uint32_t length)
{
    std::shared_ptr<CHandle> h = FindHandle(handle);
    if (!h)
        return -2;
    try {
        h->bAnswer = false;
        h->answer.clear();
        if (!packet)
            return Fail(*h, MIB_ERR_BAD_ARGUMENT, -2);
        CPduPtr request(ovsnmp::DecodeMessage(packet, length));
        if (!request || (request->command != OVSNMP_GET_REQ && request->command != OVSNMP_GETNEXT_REQ) ||
            !request->variables || request->variables->next_variable)
            return Fail(*h, MIB_ERR_BAD_PACKET, -2);
        const bool bWalk = request->command == OVSNMP_GETNEXT_REQ;
        int nResult = 0;
        int nError = 0;
        if (TakeInjection(bWalk ? MIB_KIND_WALK : MIB_KIND_GET, nResult, nError))
            return Fail(*h, nError, nResult);
        if (!h->session)
            return Fail(*h, MIB_ERR_NOT_OPEN, -2);
        std::string community;
        if (request->community)
            community.assign(reinterpret_cast<const char*>(request->community), request->community_len);
        h->session->data->community = community;
        return bWalk ? ExchangeWalk(*h, *request, community) : ExchangeGet(*h, *request, community);
    } catch (...) {
        return Fail(*h, MIB_ERR_NO_MEMORY);
    }
}

KESTREL_API int MIBReceive(MIBHANDLE handle, std::uint32_t* length, std::uint8_t* buffer)
{
    std::shared_ptr<CHandle> h = FindHandle(handle);
    if (!h)
        return -1;
    if (!length)
        return Fail(*h, MIB_ERR_BAD_ARGUMENT);
    if (!h->bAnswer)
        return Fail(*h, MIB_ERR_NOT_OPEN);
    const int nResult = CopyOut(h->answer.data(), h->answer.size(), length, buffer);
    return Fail(*h, nResult == 0 ? MIB_ERR_NONE : MIB_ERR_BUFFER, nResult);
}

KESTREL_API int MIBGetchObjectIDFromSNMPPacket(MIBHANDLE handle, int index, const std::uint8_t* packet,
                                               std::uint32_t packet_length, std::uint32_t* length, char* buffer)
{
    return FromPacket(handle, index, packet, packet_length, length, buffer,
                      [](const std::string& a_text, const std::uint8_t*, std::size_t, std::uint32_t* a_pnLength,
                         void* a_pbOut) { return CopyOut(a_text.c_str(), a_text.size() + 1, a_pnLength, a_pbOut); });
}

KESTREL_API int MIBGetBERDataFromSNMPPacket(MIBHANDLE handle, int index, const std::uint8_t* packet,
                                            std::uint32_t packet_length, std::uint32_t* length, std::uint8_t* buffer)
{
    return FromPacket(handle, index, packet, packet_length, length, buffer,
                      [](const std::string&, const std::uint8_t* a_pbBer, std::size_t a_nBer, std::uint32_t* a_pnLength,
                         void* a_pbOut) { return CopyOut(a_pbBer, a_nBer, a_pnLength, a_pbOut); });
}

KESTREL_API int MIBGetErrorNo(MIBHANDLE handle)
{
    std::shared_ptr<CHandle> h = FindHandle(handle);
    return h ? h->nError : MIB_ERR_BAD_HANDLE;
}

KESTREL_API void MIBClose(MIBHANDLE handle)
{
    if (std::shared_ptr<CHandle> h = FindHandle(handle)) {
        h->session.reset();
        h->bAnswer = false;
        h->answer.clear();
    }
}

KESTREL_API void MIBRelease(MIBHANDLE handle)
{
    std::shared_ptr<CHandle> h;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        auto it = g_handles.find(handle);
        if (it == g_handles.end())
            return;
        h = std::move(it->second);
        g_handles.erase(it);
    }
    // The channel closes here, outside the table's lock.
}

KESTREL_API void MIBTestFailSends(int kind, int count, int result, int error_no)
{
    std::lock_guard<std::mutex> guard(g_injectionLock);
    g_injection = CInjection{kind, count, result, error_no};
}

} // extern "C"
