#include "FaultAgent.h"

#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include "Ber.h"
#include "Pdu.h"
#include "SnmpMessage.h"

namespace testagent {

Oid ParseOid(const char* a_text)
{
    Oid oid;
    std::uint64_t n = 0;
    bool bDigits = false;
    for (const char* p = a_text; ; ++p) {
        if (*p >= '0' && *p <= '9') {
            n = n * 10 + static_cast<unsigned>(*p - '0');
            bDigits = true;
        } else {
            if (bDigits)
                oid.push_back(static_cast<std::uint32_t>(n));
            n = 0;
            bDigits = false;
            if (!*p)
                break;
        }
    }
    return oid;
}

Var Int(const char* a_oid, std::int64_t a_n)
{
    Var v;
    v.oid = ParseOid(a_oid);
    v.type = 0x02;
    v.number = a_n;
    return v;
}

Var Str(const char* a_oid, const std::string& a_text)
{
    Var v;
    v.oid = ParseOid(a_oid);
    v.type = 0x04;
    v.bytes.assign(a_text.begin(), a_text.end());
    return v;
}

Var Unsigned(const char* a_oid, std::uint8_t a_type, std::uint64_t a_u)
{
    Var v;
    v.oid = ParseOid(a_oid);
    v.type = a_type;
    v.number = static_cast<std::int64_t>(a_u);
    return v;
}

Var ObjId(const char* a_oid, const char* a_value)
{
    Var v;
    v.oid = ParseOid(a_oid);
    v.type = 0x06;
    v.objid = ParseOid(a_value);
    return v;
}

Var Null(const char* a_oid, std::uint8_t a_type)
{
    Var v;
    v.oid = ParseOid(a_oid);
    v.type = a_type;
    return v;
}

Bytes Message(std::int32_t a_requestId, const std::vector<Var>& a_vars, int a_errorStatus, int a_errorIndex,
              std::uint8_t a_command, const std::string& a_community, int a_version)
{
    Bytes out;
    ovsnmp::CBerWriter w(out);
    std::size_t message = w.Begin(0x30);
    w.WriteInteger(a_version);
    w.WriteBytes(0x04, reinterpret_cast<const std::uint8_t*>(a_community.data()), a_community.size());
    std::size_t pdu = w.Begin(a_command);
    w.WriteInteger(a_requestId);
    w.WriteInteger(a_errorStatus);
    w.WriteInteger(a_errorIndex);
    std::size_t list = w.Begin(0x30);
    for (const Var& v : a_vars) {
        std::size_t vb = w.Begin(0x30);
        w.WriteObjectId(v.oid.data(), v.oid.size());
        switch (v.type) {
        case 0x02: w.WriteInteger(v.number); break;
        case 0x41: case 0x42: case 0x43: case 0x46: case 0x47:
            w.WriteUnsigned(static_cast<std::uint64_t>(v.number), v.type);
            break;
        case 0x06: w.WriteObjectId(v.objid.data(), v.objid.size()); break;
        case 0x05: case 0x80: case 0x81: case 0x82: w.WriteNull(v.type); break;
        default: w.WriteBytes(v.type, v.bytes.data(), v.bytes.size()); break;
        }
        w.End(vb);
    }
    w.End(list);
    w.End(pdu);
    w.End(message);
    return out;
}

void MiniMib::Add(const Var& a_var, bool a_bWritable)
{
    m_values[a_var.oid] = {a_var, a_bWritable};
}

const Var* MiniMib::Find(const Oid& a_oid) const
{
    auto it = m_values.find(a_oid);
    return it == m_values.end() ? nullptr : &it->second.first;
}

Bytes MiniMib::Answer(const Request& a_request)
{
    std::vector<Var> out;
    int index = 0;
    for (const Var& asked : a_request.vars) {
        ++index;
        if (a_request.command == 0xA0) {
            auto it = m_values.find(asked.oid);
            if (it == m_values.end())
                return Message(a_request.requestId, a_request.vars, 2, index);
            out.push_back(it->second.first);
        } else if (a_request.command == 0xA1) {
            auto it = m_values.upper_bound(asked.oid);
            if (it == m_values.end())
                return Message(a_request.requestId, a_request.vars, 2, index);
            out.push_back(it->second.first);
        } else if (a_request.command == 0xA3) {
            auto it = m_values.find(asked.oid);
            if (it == m_values.end() || !it->second.second)
                return Message(a_request.requestId, a_request.vars, 2, index);
            if (it->second.first.type != asked.type)
                return Message(a_request.requestId, a_request.vars, 3, index);
            out.push_back(asked);
        }
    }
    if (a_request.command == 0xA3)
        for (const Var& v : out)
            m_values[v.oid].first = v;
    return Message(a_request.requestId, out);
}

namespace {

Request ToRequest(const OVsnmpPdu& a_pdu)
{
    Request r;
    r.version = a_pdu.version;
    r.command = a_pdu.command;
    r.requestId = a_pdu.request_id;
    if (a_pdu.community)
        r.community.assign(reinterpret_cast<const char*>(a_pdu.community), a_pdu.community_len);
    for (const OVsnmpVarBind* var = a_pdu.variables; var; var = var->next_variable) {
        Var v;
        v.oid.assign(var->oid, var->oid + var->oid_length);
        v.type = var->type;
        if (var->type == 0x02 && var->val.integer)
            v.number = *var->val.integer;
        else if ((var->type == 0x41 || var->type == 0x42 || var->type == 0x43) && var->val.unsigned32)
            v.number = *var->val.unsigned32;
        else if (var->type == 0x46 && var->val.counter64 && var->val_len == 8)
            v.number = static_cast<std::int64_t>((std::uint64_t{var->val.counter64->high} << 32) |
                                                 var->val.counter64->low);
        else if (var->type == 0x06 && var->val.objid)
            v.objid.assign(var->val.objid, var->val.objid + var->val_len);
        else if (var->val.string && var->type != 0x46)
            v.bytes.assign(var->val.string, var->val.string + var->val_len);
        r.vars.push_back(std::move(v));
    }
    return r;
}

} // namespace

FaultAgent::FaultAgent(Script a_script) : m_script(std::move(a_script))
{
    ovsnmp::CInetAddress local;
    local.ab[0] = 127;
    local.ab[3] = 1;
    ovsnmp::CInetAddress other = local;
    if (!m_socket.Open(local) || !m_other.Open(other))
        throw std::runtime_error("fault agent: cannot bind 127.0.0.1");
    m_port = m_socket.LocalPort();
    m_thread = std::thread([this] { Run(); });
}

FaultAgent::~FaultAgent()
{
    m_bStop = true;
    m_thread.join();
}

void FaultAgent::SetScript(Script a_script)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_script = std::move(a_script);
}

std::string FaultAgent::Address() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

std::vector<Request> FaultAgent::Requests() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_requests;
}

void FaultAgent::Run()
{
    std::vector<std::uint8_t> buffer(65536);
    while (!m_bStop) {
        std::size_t n = 0;
        ovsnmp::CInetAddress from;
        if (m_socket.ReceiveFrom(buffer.data(), buffer.size(), n, from, 20) != ovsnmp::CUdpSocket::Receive::Datagram)
            continue;
        OVsnmpPdu* pdu = ovsnmp::DecodeMessage(buffer.data(), n);
        if (!pdu)
            continue;
        Request request = ToRequest(*pdu);
        ovsnmp::FreePdu(pdu);
        std::vector<Datagram> replies;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_requests.push_back(request);
            if (m_script)
                replies = m_script(request);
        }
        ++m_nRequests;
        for (const Datagram& d : replies) {
            if (d.delayMs)
                std::this_thread::sleep_for(std::chrono::milliseconds(d.delayMs));
            (d.fromOtherPort ? m_other : m_socket).SendTo(from, d.bytes.data(), d.bytes.size());
        }
    }
}

void SetEnv(const char* a_name, const std::string& a_value)
{
#if defined(_WIN32)
    _putenv_s(a_name, a_value.c_str());
#else
    setenv(a_name, a_value.c_str(), 1);
#endif
}

} // namespace testagent
