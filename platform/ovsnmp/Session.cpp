#include "Session.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "Pdu.h"
#include "SnmpMessage.h"

namespace ovsnmp {

namespace {

// An environment number within [a_nMin, a_nMax]; a_nDefault when unset or
// not a number in range.
int EnvNumber(const char* a_name, int a_nMin, int a_nMax, int a_nDefault)
{
    const char* text = std::getenv(a_name);
    if (!text || !*text)
        return a_nDefault;
    char* end = nullptr;
    long n = std::strtol(text, &end, 10);
    if (*end || n < a_nMin || n > a_nMax)
        return a_nDefault;
    return static_cast<int>(n);
}

bool SetError(int a_nError)
{
    ThreadErrno() = a_nError;
    return false;
}

using PduPtr = std::unique_ptr<OVsnmpPdu, void (*)(OVsnmpPdu*)>;

// Hands a datagram that answers nothing to the callback when the session
// asks for it; the callback owns the PDU then.
void DeliverStray(OVsnmpSession* a_session, PduPtr a_pdu)
{
    OVsnmpSessionData& data = *a_session->data;
    if ((a_session->session_flags & OVSNMP_SF_DELIVER_STRAYS) && data.callback)
        data.callback(OVSNMP_REASON_STRAY, a_session, a_pdu.release(), data.callbackData);
}

} // namespace

CExchangeSettings ReadExchangeSettings()
{
    CExchangeSettings settings;
    settings.nAgentPort = static_cast<std::uint16_t>(EnvNumber("LUMET_SNMP_PORT", 1, 65535, 161));
    settings.nTimeoutMs = EnvNumber("LUMET_SNMP_TIMEOUT_MS", 1, 600000, 0);
    settings.nRetries = EnvNumber("LUMET_SNMP_RETRIES", 0, 100, 2);
    return settings;
}

int& ThreadErrno()
{
    thread_local int nErrno = OVSNMP_ERR_NONE;
    return nErrno;
}

std::int32_t NextRequestId()
{
    static std::atomic<std::uint32_t> s_next{[] {
        auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        auto wall = std::chrono::system_clock::now().time_since_epoch().count();
        return static_cast<std::uint32_t>(now ^ (wall >> 7) ^ (wall << 11));
    }()};
    for (;;) {
        std::int32_t id = static_cast<std::int32_t>(s_next.fetch_add(1) & 0x7FFFFFFF);
        if (id != 0)
            return id;
    }
}

OVsnmpSession* OpenSession(const char* a_community, const char* a_peer, int a_nRetries,
                           int a_nInterval, int a_nLocalPort, int a_nRemotePort,
                           OVsnmpCallback a_callback, void* a_data)
{
    ThreadErrno() = OVSNMP_ERR_NONE;
    CInetAddress peer;
    bool bHasPort = false;
    if (!a_community || !a_peer) {
        SetError(OVSNMP_ERR_BAD_ARGUMENT);
        return nullptr;
    }
    if (!ParseInetAddress(a_peer, peer, bHasPort)) {
        SetError(OVSNMP_ERR_BAD_ADDRESS);
        return nullptr;
    }
    if ((a_nLocalPort < 0 || a_nLocalPort > 0xFFFF) || (a_nRemotePort < 0 || a_nRemotePort > 0xFFFF)) {
        SetError(OVSNMP_ERR_BAD_ARGUMENT);
        return nullptr;
    }
    CExchangeSettings settings = ReadExchangeSettings();
    if (!bHasPort) {
        peer.port = a_nRemotePort == OVSNMP_DEFAULT_PORT || a_nRemotePort == 0
                        ? settings.nAgentPort
                        : static_cast<std::uint16_t>(a_nRemotePort);
    }

    auto* session = new (std::nothrow) OVsnmpSession{};
    auto* data = new (std::nothrow) OVsnmpSessionData{};
    if (!session || !data) {
        delete session;
        delete data;
        SetError(OVSNMP_ERR_NO_MEMORY);
        return nullptr;
    }
    session->data = data;
    session->session_flags = OVSNMP_SF_DELIVER_STRAYS | OVSNMP_SF_NO_INHERIT;
    data->peer = peer;
    try {
        data->community = a_community;
        data->buffer.resize(65536);
    } catch (...) {
        CloseSession(session);
        SetError(OVSNMP_ERR_NO_MEMORY);
        return nullptr;
    }
    data->nRetries = a_nRetries < 0 ? settings.nRetries : a_nRetries;
    if (settings.nTimeoutMs > 0)
        data->nTimeoutMs = settings.nTimeoutMs;
    else
        data->nTimeoutMs = a_nInterval > 0 ? a_nInterval * 100 : kDefaultTimeoutMs;
    data->callback = a_callback;
    data->callbackData = a_data;

    CInetAddress local;
    local.port = a_nLocalPort == OVSNMP_DEFAULT_PORT ? 0 : static_cast<std::uint16_t>(a_nLocalPort);
    if (!data->socket.Open(local)) {
        CloseSession(session);
        SetError(OVSNMP_ERR_SOCKET);
        return nullptr;
    }
    return session;
}

void CloseSession(OVsnmpSession* a_session)
{
    if (!a_session)
        return;
    delete a_session->data;
    delete a_session;
}

OVsnmpPdu* BlockingSend(OVsnmpSession* a_session, OVsnmpPdu* a_request)
{
    ThreadErrno() = OVSNMP_ERR_NONE;
    if (!a_session || !a_session->data || !a_request) {
        SetError(OVSNMP_ERR_BAD_ARGUMENT);
        return nullptr;
    }
    OVsnmpSessionData& data = *a_session->data;
    const std::uint8_t command = a_request->command;
    if (command != OVSNMP_GET_REQ && command != OVSNMP_GETNEXT_REQ && command != OVSNMP_SET_REQ &&
        command != OVSNMP_V2_TRAP) {
        SetError(OVSNMP_ERR_BAD_PDU);
        return nullptr;
    }
    if ((a_session->session_flags & OVSNMP_SF_NO_INHERIT) && !data.bNoInheritApplied) {
        data.socket.SetNoInherit();
        data.bNoInheritApplied = true;
    }

    // Requests are SNMPv1, so that a missing object comes back as an error
    // status with an index; a trap goes out as SNMPv2c, the only version an
    // SNMPv2 trap has.
    a_request->version = command == OVSNMP_V2_TRAP ? 1 : 0;
    if (command != OVSNMP_V2_TRAP)
        a_request->request_id = NextRequestId();
    std::vector<std::uint8_t> message;
    try {
        message.reserve(128);
        if (!EncodeMessage(*a_request, reinterpret_cast<const std::uint8_t*>(data.community.data()),
                           data.community.size(), message)) {
            SetError(OVSNMP_ERR_ENCODE);
            return nullptr;
        }
    } catch (const std::bad_alloc&) {
        SetError(OVSNMP_ERR_NO_MEMORY);
        return nullptr;
    }
    if (message.size() > OVSNMP_MAX_MESSAGE) {
        SetError(OVSNMP_ERR_ENCODE);
        return nullptr;
    }

    if (command == OVSNMP_V2_TRAP) {
        if (!data.socket.SendTo(data.peer, message.data(), message.size()))
            SetError(OVSNMP_ERR_SEND);
        return nullptr;
    }

    using Clock = std::chrono::steady_clock;
    for (int nTry = 0; nTry <= data.nRetries; ++nTry) {
        if (!data.socket.SendTo(data.peer, message.data(), message.size())) {
            SetError(OVSNMP_ERR_SEND);
            return nullptr;
        }
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(data.nTimeoutMs);
        int nErrors = 0;
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                break;
            std::size_t n = 0;
            CInetAddress from;
            CUdpSocket::Receive result =
                data.socket.ReceiveFrom(data.buffer.data(), data.buffer.size(), n, from, static_cast<int>(left));
            if (result == CUdpSocket::Receive::Timeout)
                break;
            // One error (a port-unreachable report on Windows) is passed
            // over; a socket that keeps failing ends this try instead of
            // spinning until its deadline.
            if (result == CUdpSocket::Receive::Error) {
                if (++nErrors >= 3)
                    break;
                continue;
            }
            PduPtr pdu(DecodeMessage(data.buffer.data(), n), FreePdu);
            if (!pdu)
                continue;  // malformed: not an answer at all
            std::memcpy(pdu->source_addr, from.ab, 4);
            pdu->source_port = from.port;
            // An answer comes from where the request went and carries its
            // id; a late answer to an earlier try carries the same id and is
            // as good as the one to this try.
            if (!(from == data.peer) || pdu->command != OVSNMP_GET_RSP ||
                pdu->request_id != a_request->request_id) {
                DeliverStray(a_session, std::move(pdu));
                continue;
            }
            return pdu.release();
        }
    }
    SetError(OVSNMP_ERR_TIMEOUT);
    return nullptr;
}

OVsnmpPdu* FixPdu(OVsnmpPdu* a_response, int a_command)
{
    ThreadErrno() = OVSNMP_ERR_NONE;
    if (!a_response || a_response->error_status == OVSNMP_ERR_STATUS_NOERROR ||
        a_response->error_index <= 0 ||
        (a_command != OVSNMP_GET_REQ && a_command != OVSNMP_GETNEXT_REQ && a_command != OVSNMP_SET_REQ)) {
        SetError(OVSNMP_ERR_BAD_ARGUMENT);
        return nullptr;
    }
    // Find the variable the error index names (counted from 1).
    OVsnmpVarBind** link = &a_response->variables;
    for (std::int32_t i = 1; *link && i < a_response->error_index; ++i)
        link = &(*link)->next_variable;
    OVsnmpVarBind* culprit = *link;
    if (!culprit) {
        // The index names no variable of the response.
        SetError(OVSNMP_ERR_BAD_ARGUMENT);
        return nullptr;
    }
    // Dropping the last variable leaves a request without variables: sent,
    // it brings an answer without error, so that a printer that knows none
    // of the objects asked for still counts as answering.
    *link = culprit->next_variable;
    FreeVarBind(culprit);
    if (a_command != OVSNMP_SET_REQ) {
        // A get asks with NULL values, whatever the agent echoed.
        for (OVsnmpVarBind* var = a_response->variables; var; var = var->next_variable) {
            std::free(var->val.string);
            var->val.string = nullptr;
            var->val_len = 0;
            var->type = OVSNMP_NULL;
        }
    }
    a_response->command = static_cast<std::uint8_t>(a_command);
    a_response->error_status = 0;
    a_response->error_index = 0;
    a_response->request_id = 0;
    return a_response;
}

} // namespace ovsnmp
