// Sessions and the blocking exchange, behind the C interface of OVsnmp.h.
//
// A client session owns one UDP socket bound to a free local port and talks
// to one agent. A blocking send encodes the request once, sends it, and
// waits for a datagram that comes from the agent's address and port, decodes
// as a response and carries the request's id; everything else that arrives
// meanwhile (strays, late answers to earlier requests, malformed bytes) is
// dropped, or handed to the callback when the session asks for strays. The
// same request is sent again after each time-out until the retries are used
// up.
//
// The session data carries a kind so that an event session (traps received
// on a port and delivered on the opening thread) can be added beside the
// client session.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "OVsnmp.h"
#include "UdpSocket.h"

struct OVsnmpSessionData {
    enum class Kind { Client };

    Kind kind = Kind::Client;
    ovsnmp::CUdpSocket socket;
    ovsnmp::CInetAddress peer;
    std::string community;
    int nRetries = 0;
    int nTimeoutMs = 0;
    OVsnmpCallback callback = nullptr;
    void* callbackData = nullptr;
    std::vector<std::uint8_t> buffer;  // receive buffer, one datagram
    bool bNoInheritApplied = false;
};

namespace ovsnmp {

// Defaults of an exchange, from the environment (see OVsnmp.h).
struct CExchangeSettings {
    std::uint16_t nAgentPort = 161;
    int nTimeoutMs = 0;  // 0: none given, the session's interval applies
    int nRetries = 2;
};
CExchangeSettings ReadExchangeSettings();

// The time-out of one try when neither the environment nor the caller says.
constexpr int kDefaultTimeoutMs = 800;

int& ThreadErrno();
// Request ids: unique within the process, positive, starting at a value
// that differs from run to run so that a restarted program does not take
// a late answer meant for its previous run.
std::int32_t NextRequestId();

OVsnmpSession* OpenSession(const char* a_community, const char* a_peer, int a_nRetries,
                           int a_nInterval, int a_nLocalPort, int a_nRemotePort,
                           OVsnmpCallback a_callback, void* a_data);
void CloseSession(OVsnmpSession* a_session);
OVsnmpPdu* BlockingSend(OVsnmpSession* a_session, OVsnmpPdu* a_request);
OVsnmpPdu* FixPdu(OVsnmpPdu* a_response, int a_command);

} // namespace ovsnmp
