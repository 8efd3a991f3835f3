#include "SnmpMessage.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "Ber.h"
#include "Pdu.h"

namespace ovsnmp {

namespace {

constexpr std::uint8_t kTagIpAddress = OVSNMP_IPADDRESS;
constexpr std::uint8_t kTagTimeTicks = OVSNMP_TIMETICKS;
constexpr std::uint8_t kTagUInteger32 = 0x47;  // SNMPv1-era unsigned type

bool IsUnsigned32Type(std::uint8_t a_type)
{
    return a_type == OVSNMP_COUNTER || a_type == OVSNMP_GAUGE || a_type == OVSNMP_TIMETICKS ||
           a_type == kTagUInteger32;
}

bool IsNullLikeType(std::uint8_t a_type)
{
    return a_type == OVSNMP_NULL || a_type == OVSNMP_NOSUCHOBJECT ||
           a_type == OVSNMP_NOSUCHINSTANCE || a_type == OVSNMP_ENDOFMIBVIEW;
}

bool WriteValue(CBerWriter& a_w, const OVsnmpVarBind& a_var)
{
    const std::uint8_t type = a_var.type;
    if (type == OVSNMP_INTEGER) {
        a_w.WriteInteger(a_var.val.integer ? *a_var.val.integer : 0);
    } else if (IsUnsigned32Type(type)) {
        a_w.WriteUnsigned(a_var.val.unsigned32 ? *a_var.val.unsigned32 : 0, type);
    } else if (type == OVSNMP_COUNTER64) {
        std::uint64_t u = 0;
        if (a_var.val.string && a_var.val_len == 8)
            u = (std::uint64_t{a_var.val.counter64->high} << 32) | a_var.val.counter64->low;
        else if (a_var.val.string && a_var.val_len == 4)
            u = *a_var.val.unsigned32;
        a_w.WriteUnsigned(u, type);
    } else if (type == OVSNMP_OBJECT_ID) {
        if (!IsEncodableObjectId(a_var.val.objid, a_var.val_len))
            return false;
        a_w.WriteObjectId(a_var.val.objid, a_var.val_len);
    } else if (IsNullLikeType(type)) {
        a_w.WriteNull(type);
    } else {
        if (a_var.val_len && !a_var.val.string)
            return false;
        a_w.WriteBytes(type, a_var.val.string, a_var.val_len);
    }
    return true;
}

bool WriteVarBind(CBerWriter& a_w, const OVsnmpVarBind& a_var)
{
    if (!IsEncodableObjectId(a_var.oid, a_var.oid_length))
        return false;
    std::size_t mark = a_w.Begin(kTagSequence);
    a_w.WriteObjectId(a_var.oid, a_var.oid_length);
    if (!WriteValue(a_w, a_var))
        return false;
    a_w.End(mark);
    return true;
}

// sysUpTime.0 and snmpTrapOID.0, which lead the variables of an SNMPv2 trap.
const std::uint32_t kSysUpTime0[] = {1, 3, 6, 1, 2, 1, 1, 3, 0};
const std::uint32_t kSnmpTrapOid0[] = {1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0};

using PduPtr = std::unique_ptr<OVsnmpPdu, void (*)(OVsnmpPdu*)>;

// Decodes one value into new storage appended to the PDU.
OVsnmpVarBind* AppendDecoded(OVsnmpPdu* a_pdu, OVsnmpVarBind* a_tail, const std::uint32_t* a_adwOid,
                             std::size_t a_nOid, std::uint8_t a_type, const std::uint8_t* a_pb,
                             std::size_t a_n, bool& a_bMalformed)
{
    if (a_type == OVSNMP_INTEGER) {
        std::int32_t n;
        if (!DecodeInt32(a_pb, a_n, n)) {
            a_bMalformed = true;
            return nullptr;
        }
        return AppendVarBind(a_pdu, a_adwOid, a_nOid, a_type, &n, sizeof n, 4, a_tail);
    }
    if (IsUnsigned32Type(a_type)) {
        std::uint64_t u;
        if (!DecodeUnsigned(a_pb, a_n, 32, u)) {
            a_bMalformed = true;
            return nullptr;
        }
        std::uint32_t dw = static_cast<std::uint32_t>(u);
        return AppendVarBind(a_pdu, a_adwOid, a_nOid, a_type, &dw, sizeof dw, 4, a_tail);
    }
    if (a_type == OVSNMP_COUNTER64) {
        std::uint64_t u;
        if (!DecodeUnsigned(a_pb, a_n, 64, u)) {
            a_bMalformed = true;
            return nullptr;
        }
        OVsnmpCounter64 c{static_cast<std::uint32_t>(u >> 32), static_cast<std::uint32_t>(u)};
        return AppendVarBind(a_pdu, a_adwOid, a_nOid, a_type, &c, sizeof c, 8, a_tail);
    }
    if (a_type == OVSNMP_OBJECT_ID) {
        std::uint32_t adw[kMaxSubIds];
        std::size_t nCount;
        if (!DecodeObjectId(a_pb, a_n, adw, nCount)) {
            a_bMalformed = true;
            return nullptr;
        }
        return AppendVarBind(a_pdu, a_adwOid, a_nOid, a_type, adw, nCount * sizeof(std::uint32_t),
                             static_cast<std::uint32_t>(nCount), a_tail);
    }
    if (IsNullLikeType(a_type))
        return AppendVarBind(a_pdu, a_adwOid, a_nOid, a_type, nullptr, 0, 0, a_tail);
    // Byte types, and types we do not know, which are kept as their bytes.
    return AppendVarBind(a_pdu, a_adwOid, a_nOid, a_type, a_pb, a_n, static_cast<std::uint32_t>(a_n),
                         a_tail);
}

} // namespace

bool EncodeMessage(const OVsnmpPdu& a_pdu, const std::uint8_t* a_pbCommunity,
                   std::size_t a_nCommunity, std::vector<std::uint8_t>& a_out)
{
    CBerWriter w(a_out);
    std::size_t message = w.Begin(kTagSequence);
    w.WriteInteger(a_pdu.version);
    w.WriteBytes(kTagOctetString, a_pbCommunity, a_nCommunity);
    std::size_t body = w.Begin(a_pdu.command);
    if (a_pdu.command == OVSNMP_TRAP) {
        if (!IsEncodableObjectId(a_pdu.enterprise, a_pdu.enterprise_length))
            return false;
        w.WriteObjectId(a_pdu.enterprise, a_pdu.enterprise_length);
        w.WriteBytes(kTagIpAddress, a_pdu.agent_addr, sizeof a_pdu.agent_addr);
        w.WriteInteger(a_pdu.generic_type);
        w.WriteInteger(a_pdu.specific_type);
        w.WriteUnsigned(a_pdu.time_stamp, kTagTimeTicks);
    } else {
        w.WriteInteger(a_pdu.request_id);
        w.WriteInteger(a_pdu.error_status);
        w.WriteInteger(a_pdu.error_index);
    }
    std::size_t list = w.Begin(kTagSequence);
    if (a_pdu.command == OVSNMP_V2_TRAP && a_pdu.enterprise_length) {
        std::uint32_t dwTicks = a_pdu.time_stamp;
        OVsnmpVarBind upTime{};
        upTime.oid = const_cast<std::uint32_t*>(kSysUpTime0);
        upTime.oid_length = sizeof kSysUpTime0 / sizeof kSysUpTime0[0];
        upTime.type = OVSNMP_TIMETICKS;
        upTime.val.unsigned32 = &dwTicks;
        upTime.val_len = 4;
        OVsnmpVarBind trapOid{};
        trapOid.oid = const_cast<std::uint32_t*>(kSnmpTrapOid0);
        trapOid.oid_length = sizeof kSnmpTrapOid0 / sizeof kSnmpTrapOid0[0];
        trapOid.type = OVSNMP_OBJECT_ID;
        trapOid.val.objid = a_pdu.enterprise;
        trapOid.val_len = a_pdu.enterprise_length;
        if (!WriteVarBind(w, upTime) || !WriteVarBind(w, trapOid))
            return false;
    }
    for (const OVsnmpVarBind* var = a_pdu.variables; var; var = var->next_variable) {
        if (!WriteVarBind(w, *var))
            return false;
    }
    w.End(list);
    w.End(body);
    w.End(message);
    return true;
}

OVsnmpPdu* DecodeMessage(const std::uint8_t* a_pb, std::size_t a_n)
{
    bool bError = false;
    CBerCursor datagram(a_pb, a_n, bError);
    CBerCursor message = datagram.ReadConstructed(kTagSequence);
    std::int32_t version = message.ReadInt32();
    const std::uint8_t* pbCommunity;
    std::size_t nCommunity;
    message.ReadPrimitive(kTagOctetString, pbCommunity, nCommunity);
    std::uint8_t command;
    const std::uint8_t* pbBody;
    std::size_t nBody;
    message.ReadElement(command, pbBody, nBody);
    if (bError || (version != 0 && version != 1) || command < OVSNMP_GET_REQ ||
        command > OVSNMP_REPORT || !message.AtEnd())
        return nullptr;

    PduPtr pdu(NewPdu(command), FreePdu);
    if (!pdu)
        return nullptr;
    pdu->version = version;
    if (nCommunity) {
        pdu->community = static_cast<std::uint8_t*>(std::malloc(nCommunity + 1));
        if (!pdu->community)
            return nullptr;
        std::memcpy(pdu->community, pbCommunity, nCommunity);
        pdu->community[nCommunity] = 0;
        pdu->community_len = static_cast<std::uint32_t>(nCommunity);
    }

    CBerCursor body(pbBody, nBody, bError);
    if (command == OVSNMP_TRAP) {
        const std::uint8_t* pb;
        std::size_t n;
        std::uint32_t adw[kMaxSubIds];
        std::size_t nCount = 0;
        if (!body.ReadPrimitive(kTagObjectId, pb, n) || !DecodeObjectId(pb, n, adw, nCount))
            return nullptr;
        if (nCount) {
            pdu->enterprise = CopySubIds(adw, nCount);
            if (!pdu->enterprise)
                return nullptr;
            pdu->enterprise_length = static_cast<std::uint32_t>(nCount);
        }
        if (!body.ReadPrimitive(kTagIpAddress, pb, n) || n != 4)
            return nullptr;
        std::memcpy(pdu->agent_addr, pb, 4);
        pdu->generic_type = body.ReadInt32();
        pdu->specific_type = body.ReadInt32();
        std::uint64_t u = 0;
        if (!body.ReadPrimitive(kTagTimeTicks, pb, n) || !DecodeUnsigned(pb, n, 32, u))
            return nullptr;
        pdu->time_stamp = static_cast<std::uint32_t>(u);
    } else {
        pdu->request_id = body.ReadInt32();
        pdu->error_status = body.ReadInt32();
        pdu->error_index = body.ReadInt32();
    }

    CBerCursor list = body.ReadConstructed(kTagSequence);
    if (bError || !body.AtEnd())
        return nullptr;
    OVsnmpVarBind* tail = nullptr;
    while (!list.AtEnd()) {
        CBerCursor varBind = list.ReadConstructed(kTagSequence);
        const std::uint8_t* pbName;
        std::size_t nName;
        std::uint8_t type;
        const std::uint8_t* pbValue;
        std::size_t nValue;
        varBind.ReadPrimitive(kTagObjectId, pbName, nName);
        varBind.ReadElement(type, pbValue, nValue);
        if (bError || !varBind.AtEnd())
            return nullptr;
        std::uint32_t adwName[kMaxSubIds];
        std::size_t nNameCount;
        if (!DecodeObjectId(pbName, nName, adwName, nNameCount) || nNameCount == 0)
            return nullptr;
        bool bMalformed = false;
        tail = AppendDecoded(pdu.get(), tail, adwName, nNameCount, type, pbValue, nValue, bMalformed);
        if (!tail)
            return nullptr;
    }
    if (bError)
        return nullptr;
    return pdu.release();
}

} // namespace ovsnmp
