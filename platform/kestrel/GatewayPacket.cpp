#include "GatewayPacket.h"

#include <cstring>

#include "Ber.h"
#include "OVsnmp.h"

namespace kestrel {

using ovsnmp::CBerCursor;

bool ParseOidText(std::string_view a_text, std::vector<std::uint32_t>& a_adw)
{
    a_adw.clear();
    if (!a_text.empty() && a_text.front() == '.')
        a_text.remove_prefix(1);
    std::uint64_t value = 0;
    bool bDigits = false;
    for (std::size_t i = 0; i <= a_text.size(); ++i) {
        if (i == a_text.size() || a_text[i] == '.') {
            if (!bDigits)
                return false;
            a_adw.push_back(static_cast<std::uint32_t>(value));
            value = 0;
            bDigits = false;
            continue;
        }
        const char ch = a_text[i];
        if (ch < '0' || ch > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(ch - '0');
        if (value > 0xFFFFFFFFull)
            return false;
        bDigits = true;
    }
    return ovsnmp::IsEncodableObjectId(a_adw.data(), a_adw.size());
}

std::string FormatOid(const std::uint32_t* a_adw, std::size_t a_n)
{
    std::string text;
    for (std::size_t i = 0; i < a_n; ++i) {
        if (i)
            text += '.';
        text += std::to_string(a_adw[i]);
    }
    return text;
}

bool BuildRequestPacket(bool a_bWalk, std::string_view a_community, const std::vector<std::uint32_t>& a_oid,
                        std::vector<std::uint8_t>& a_out)
{
    if (!ovsnmp::IsEncodableObjectId(a_oid.data(), a_oid.size()))
        return false;
    a_out.clear();
    ovsnmp::CBerWriter w(a_out);
    const std::size_t message = w.Begin(ovsnmp::kTagSequence);
    w.WriteInteger(0);
    w.WriteBytes(ovsnmp::kTagOctetString, reinterpret_cast<const std::uint8_t*>(a_community.data()),
                 a_community.size());
    const std::size_t pdu = w.Begin(a_bWalk ? OVSNMP_GETNEXT_REQ : OVSNMP_GET_REQ);
    w.WriteInteger(0);  // request id: the exchange gives each datagram its own
    w.WriteInteger(0);
    w.WriteInteger(0);
    const std::size_t list = w.Begin(ovsnmp::kTagSequence);
    const std::size_t var = w.Begin(ovsnmp::kTagSequence);
    w.WriteObjectId(a_oid.data(), a_oid.size());
    w.WriteNull();
    w.End(var);
    w.End(list);
    w.End(pdu);
    w.End(message);
    return true;
}

VariableResult FindVariable(const std::uint8_t* a_pbPacket, std::size_t a_nPacket, std::size_t a_nIndex,
                            std::string& a_oidText, const std::uint8_t*& a_pbBer, std::size_t& a_nBer)
{
    a_oidText.clear();
    a_pbBer = nullptr;
    a_nBer = 0;
    bool bError = false;
    CBerCursor packet(a_pbPacket, a_nPacket, bError);
    CBerCursor message = packet.ReadConstructed(ovsnmp::kTagSequence);
    const std::int32_t version = message.ReadInt32();
    const std::uint8_t* pb;
    std::size_t n;
    message.ReadPrimitive(ovsnmp::kTagOctetString, pb, n);
    CBerCursor body = message.ReadConstructed(OVSNMP_GET_RSP);
    body.ReadInt32();
    body.ReadInt32();
    body.ReadInt32();
    CBerCursor list = body.ReadConstructed(ovsnmp::kTagSequence);
    if (bError || (version != 0 && version != 1) || !message.AtEnd() || !body.AtEnd())
        return VariableResult::BadPacket;

    for (std::size_t i = 0;; ++i) {
        if (list.AtEnd())
            return VariableResult::NoVariable;
        std::uint8_t tag;
        const std::uint8_t* pbVar;
        std::size_t nVar;
        if (!list.ReadElement(tag, pbVar, nVar) || tag != ovsnmp::kTagSequence)
            return VariableResult::BadPacket;
        CBerCursor var(pbVar, nVar, bError);
        const std::uint8_t* pbName;
        std::size_t nName;
        std::uint8_t valueTag;
        const std::uint8_t* pbValue;
        std::size_t nValue;
        var.ReadPrimitive(ovsnmp::kTagObjectId, pbName, nName);
        // The value element follows the name directly and ends the variable.
        const std::uint8_t* pbElement = pbName ? pbName + nName : nullptr;
        var.ReadElement(valueTag, pbValue, nValue);
        if (bError || !var.AtEnd())
            return VariableResult::BadPacket;
        std::uint32_t adw[ovsnmp::kMaxSubIds];
        std::size_t nCount = 0;
        if (!ovsnmp::DecodeObjectId(pbName, nName, adw, nCount))
            return VariableResult::BadPacket;
        if (i == a_nIndex) {
            a_oidText = FormatOid(adw, nCount);
            a_pbBer = pbElement;
            a_nBer = static_cast<std::size_t>(pbVar + nVar - pbElement);
            return VariableResult::Found;
        }
    }
}

int CopyOut(const void* a_pv, std::size_t a_n, std::uint32_t* a_pnLength, void* a_pbOut)
{
    if (!a_pnLength || a_n > 0xFFFFFFFFu)
        return -1;
    if (!a_pbOut || *a_pnLength < a_n) {
        *a_pnLength = static_cast<std::uint32_t>(a_n);
        return -108;
    }
    if (a_n)
        std::memcpy(a_pbOut, a_pv, a_n);
    *a_pnLength = static_cast<std::uint32_t>(a_n);
    return 0;
}

} // namespace kestrel
