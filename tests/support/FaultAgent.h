// A small scriptable SNMP agent for tests: it does what real agents will
// not (answer late, with a wrong request id, from another port, with
// malformed bytes, with a get-next that goes backwards). It listens on
// 127.0.0.1 at a free port in a thread of its own; a script decides, per
// request, which datagrams go back.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "UdpSocket.h"

namespace testagent {

using Oid = std::vector<std::uint32_t>;
using Bytes = std::vector<std::uint8_t>;

Oid ParseOid(const char* a_text);

// One variable of a response.
struct Var {
    Oid oid;
    std::uint8_t type = 0x05;
    std::int64_t number = 0;       // INTEGER and the unsigned types
    Bytes bytes;                   // byte types
    Oid objid;                     // OBJECT IDENTIFIER
};
Var Int(const char* a_oid, std::int64_t a_n);
Var Str(const char* a_oid, const std::string& a_text);
Var Unsigned(const char* a_oid, std::uint8_t a_type, std::uint64_t a_u);
Var ObjId(const char* a_oid, const char* a_value);
Var Null(const char* a_oid, std::uint8_t a_type = 0x05);

struct Request {
    int version = 0;
    std::uint8_t command = 0;
    std::int32_t requestId = 0;
    std::string community;
    std::vector<Var> vars;         // names, and values of a set
};

// An encoded SNMP message: a response (or any PDU type) with these fields.
Bytes Message(std::int32_t a_requestId, const std::vector<Var>& a_vars, int a_errorStatus = 0,
              int a_errorIndex = 0, std::uint8_t a_command = 0xA2, const std::string& a_community = "public",
              int a_version = 0);

// What to send back: the bytes, after a pause, from the agent's port or
// from another one.
struct Datagram {
    Bytes bytes;
    int delayMs = 0;
    bool fromOtherPort = false;
};

// A well-behaved SNMPv1 agent over a sorted map of values: get, get-next
// (noSuchName at the end) and set (noSuchName for an unknown or read-only
// name, badValue for a value of another type).
class MiniMib {
public:
    void Add(const Var& a_var, bool a_bWritable = false);
    Bytes Answer(const Request& a_request);
    const Var* Find(const Oid& a_oid) const;

private:
    std::map<Oid, std::pair<Var, bool>> m_values;
};

class FaultAgent {
public:
    using Script = std::function<std::vector<Datagram>(const Request&)>;

    explicit FaultAgent(Script a_script = {});
    ~FaultAgent();
    FaultAgent(const FaultAgent&) = delete;
    FaultAgent& operator=(const FaultAgent&) = delete;

    void SetScript(Script a_script);
    std::uint16_t Port() const { return m_port; }
    std::string Address() const;  // "127.0.0.1:port"
    int RequestCount() const { return m_nRequests.load(); }
    std::vector<Request> Requests() const;

private:
    void Run();

    ovsnmp::CUdpSocket m_socket;
    ovsnmp::CUdpSocket m_other;
    std::uint16_t m_port = 0;
    mutable std::mutex m_lock;
    Script m_script;
    std::vector<Request> m_requests;
    std::atomic<int> m_nRequests{0};
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

// Sets an environment variable of this process (visible to the SNMP
// library, which reads it at every open).
void SetEnv(const char* a_name, const std::string& a_value);

} // namespace testagent
