// libFuzzer target for the SNMP message decoder: every datagram an agent or
// anyone else on the network may send to a session. Beyond not crashing, a
// message the decoder accepts must survive our own encoder and decode again
// to the same PDU.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Pdu.h"
#include "SnmpMessage.h"

namespace {

bool SameVariables(const OVsnmpPdu& a_a, const OVsnmpPdu& a_b)
{
    const OVsnmpVarBind* a = a_a.variables;
    const OVsnmpVarBind* b = a_b.variables;
    for (; a && b; a = a->next_variable, b = b->next_variable) {
        if (a->type != b->type || a->oid_length != b->oid_length || a->val_len != b->val_len ||
            std::memcmp(a->oid, b->oid, a->oid_length * sizeof(std::uint32_t)) != 0)
            return false;
    }
    return !a && !b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* a_pb, std::size_t a_n)
{
    OVsnmpPdu* pdu = ovsnmp::DecodeMessage(a_pb, a_n);
    if (!pdu)
        return 0;
    std::vector<std::uint8_t> again;
    if (ovsnmp::EncodeMessage(*pdu, pdu->community, pdu->community_len, again)) {
        OVsnmpPdu* back = ovsnmp::DecodeMessage(again.data(), again.size());
        if (!back || back->command != pdu->command || back->request_id != pdu->request_id ||
            back->error_status != pdu->error_status || back->error_index != pdu->error_index ||
            (pdu->command != OVSNMP_V2_TRAP && !SameVariables(*pdu, *back)))
            std::abort();
        ovsnmp::FreePdu(back);
    }
    ovsnmp::FreePdu(pdu);
    return 0;
}
