// The C interface of the platform SNMP library. Nothing here may let a C++
// exception out: the callers are C-style code on the other side of a DLL
// boundary.
#include "OVsnmp.h"

#include <cstdlib>

#include "Ber.h"
#include "Pdu.h"
#include "Session.h"

using namespace ovsnmp;

extern "C" {

OVSNMP_API OVsnmpSession* OVsnmpOpen(const char* community, const char* peer, int retries,
                                     int interval, int local_port, int remote_port,
                                     OVsnmpCallback callback, void* callback_data)
{
    try {
        return OpenSession(community, peer, retries, interval, local_port, remote_port, callback,
                           callback_data);
    } catch (...) {
        ThreadErrno() = OVSNMP_ERR_NO_MEMORY;
        return nullptr;
    }
}

OVSNMP_API int OVsnmpClose(OVsnmpSession* session)
{
    CloseSession(session);
    return 0;
}

OVSNMP_API OVsnmpPdu* OVsnmpCreatePdu(int command)
{
    ThreadErrno() = OVSNMP_ERR_NONE;
    if (command != OVSNMP_GET_REQ && command != OVSNMP_GETNEXT_REQ && command != OVSNMP_SET_REQ &&
        command != OVSNMP_V2_TRAP) {
        ThreadErrno() = OVSNMP_ERR_BAD_PDU;
        return nullptr;
    }
    OVsnmpPdu* pdu = NewPdu(static_cast<std::uint8_t>(command));
    if (!pdu)
        ThreadErrno() = OVSNMP_ERR_NO_MEMORY;
    return pdu;
}

OVSNMP_API void OVsnmpFreePdu(OVsnmpPdu* pdu)
{
    FreePdu(pdu);
}

OVSNMP_API int OVsnmpAddNullVarBind(OVsnmpPdu* pdu, const uint32_t* oid, uint32_t oid_length)
{
    return OVsnmpAddTypedVarBind(pdu, oid, oid_length, OVSNMP_NULL, nullptr, 0);
}

OVSNMP_API int OVsnmpAddTypedVarBind(OVsnmpPdu* pdu, const uint32_t* oid, uint32_t oid_length,
                                     int type, const void* value, uint32_t value_length)
{
    ThreadErrno() = OVSNMP_ERR_NONE;
    if (!pdu || !IsEncodableObjectId(oid, oid_length) || type < 0 || type > 0xFF) {
        ThreadErrno() = OVSNMP_ERR_BAD_ARGUMENT;
        return 0;
    }
    const std::uint8_t tag = static_cast<std::uint8_t>(type);
    const void* pv = value;
    std::size_t nBytes = value_length;
    std::uint32_t nReported = value_length;
    switch (tag) {
    case OVSNMP_NULL:
    case OVSNMP_NOSUCHOBJECT:
    case OVSNMP_NOSUCHINSTANCE:
    case OVSNMP_ENDOFMIBVIEW:
        pv = nullptr;
        nBytes = nReported = 0;
        break;
    case OVSNMP_INTEGER:
    case OVSNMP_COUNTER:
    case OVSNMP_GAUGE:
    case OVSNMP_TIMETICKS:
        if (!value) {
            ThreadErrno() = OVSNMP_ERR_BAD_ARGUMENT;
            return 0;
        }
        nBytes = nReported = 4;
        break;
    case OVSNMP_COUNTER64:
        if (!value || (value_length != 4 && value_length != 8)) {
            ThreadErrno() = OVSNMP_ERR_BAD_ARGUMENT;
            return 0;
        }
        break;
    case OVSNMP_OBJECT_ID:
        if (!IsEncodableObjectId(static_cast<const uint32_t*>(value), value_length)) {
            ThreadErrno() = OVSNMP_ERR_BAD_ARGUMENT;
            return 0;
        }
        nBytes = std::size_t{value_length} * sizeof(uint32_t);
        break;
    default:
        if (!value && value_length) {
            ThreadErrno() = OVSNMP_ERR_BAD_ARGUMENT;
            return 0;
        }
        if (value_length > OVSNMP_MAX_MESSAGE) {
            ThreadErrno() = OVSNMP_ERR_ENCODE;
            return 0;
        }
        if (!value)
            pv = "";
        break;
    }
    if (!AppendVarBind(pdu, oid, oid_length, tag, pv, nBytes, nReported)) {
        ThreadErrno() = OVSNMP_ERR_NO_MEMORY;
        return 0;
    }
    return 1;
}

OVSNMP_API int OVsnmpSetEnterprise(OVsnmpPdu* pdu, const uint32_t* oid, uint32_t oid_length)
{
    ThreadErrno() = OVSNMP_ERR_NONE;
    if (!pdu || !IsEncodableObjectId(oid, oid_length)) {
        ThreadErrno() = OVSNMP_ERR_BAD_ARGUMENT;
        return 0;
    }
    std::uint32_t* copy = CopySubIds(oid, oid_length);
    if (!copy) {
        ThreadErrno() = OVSNMP_ERR_NO_MEMORY;
        return 0;
    }
    std::free(pdu->enterprise);
    pdu->enterprise = copy;
    pdu->enterprise_length = oid_length;
    return 1;
}

OVSNMP_API OVsnmpPdu* OVsnmpBlockingSend(OVsnmpSession* session, OVsnmpPdu* request)
{
    try {
        return BlockingSend(session, request);
    } catch (...) {
        ThreadErrno() = OVSNMP_ERR_NO_MEMORY;
        return nullptr;
    }
}

OVSNMP_API OVsnmpPdu* OVsnmpFixPdu(OVsnmpPdu* response, int command)
{
    return FixPdu(response, command);
}

OVSNMP_API int* OVsnmpErrnoLocation(void)
{
    return &ThreadErrno();
}

} // extern "C"
