#include "Pdu.h"

#include <cstdlib>
#include <cstring>

namespace ovsnmp {

OVsnmpPdu* NewPdu(std::uint8_t a_command)
{
    auto* pdu = static_cast<OVsnmpPdu*>(std::calloc(1, sizeof(OVsnmpPdu)));
    if (pdu)
        pdu->command = a_command;
    return pdu;
}

void FreeVarBind(OVsnmpVarBind* a_var)
{
    if (!a_var)
        return;
    std::free(a_var->oid);
    std::free(a_var->val.string);
    std::free(a_var);
}

void FreePdu(OVsnmpPdu* a_pdu)
{
    if (!a_pdu)
        return;
    OVsnmpVarBind* var = a_pdu->variables;
    while (var) {
        OVsnmpVarBind* next = var->next_variable;
        FreeVarBind(var);
        var = next;
    }
    std::free(a_pdu->enterprise);
    std::free(a_pdu->community);
    std::free(a_pdu);
}

std::uint32_t* CopySubIds(const std::uint32_t* a_adw, std::size_t a_n)
{
    if (!a_adw || a_n == 0)
        return nullptr;
    auto* adw = static_cast<std::uint32_t*>(std::malloc(a_n * sizeof(std::uint32_t)));
    if (adw)
        std::memcpy(adw, a_adw, a_n * sizeof(std::uint32_t));
    return adw;
}

OVsnmpVarBind* AppendVarBind(OVsnmpPdu* a_pdu, const std::uint32_t* a_adwOid, std::size_t a_nOid,
                             std::uint8_t a_type, const void* a_pvValue, std::size_t a_nBytes,
                             std::uint32_t a_nValueLength, OVsnmpVarBind* a_tail)
{
    auto* var = static_cast<OVsnmpVarBind*>(std::calloc(1, sizeof(OVsnmpVarBind)));
    if (!var)
        return nullptr;
    if (a_nOid) {
        var->oid = CopySubIds(a_adwOid, a_nOid);
        if (!var->oid) {
            FreeVarBind(var);
            return nullptr;
        }
    }
    var->oid_length = static_cast<std::uint32_t>(a_nOid);
    var->type = a_type;
    if (a_pvValue) {
        // One spare zero byte: octet strings can then be read as C text.
        auto* pb = static_cast<std::uint8_t*>(std::malloc(a_nBytes + 1));
        if (!pb) {
            FreeVarBind(var);
            return nullptr;
        }
        if (a_nBytes)
            std::memcpy(pb, a_pvValue, a_nBytes);
        pb[a_nBytes] = 0;
        var->val.string = pb;
    }
    var->val_len = a_nValueLength;

    OVsnmpVarBind** link = a_tail ? &a_tail->next_variable : &a_pdu->variables;
    while (*link)
        link = &(*link)->next_variable;
    *link = var;
    return var;
}

} // namespace ovsnmp
