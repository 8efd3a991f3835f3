// The platform side of CMibRequest: get, walk and set through our platform
// SNMP library (ovsnmp). Sessions and PDUs are held by owning handles, so
// that every path out of an operation releases them.
#include <memory>
#include <vector>

#include "MibRequest.h"
#include "OVsnmp.h"
#include "Trace.h"

namespace {

struct PduDeleter {
    void operator()(OVsnmpPdu* a_pdu) const { OVsnmpFreePdu(a_pdu); }
};
struct SessionDeleter {
    void operator()(OVsnmpSession* a_session) const { OVsnmpClose(a_session); }
};
using CPdu = std::unique_ptr<OVsnmpPdu, PduDeleter>;
using CSession = std::unique_ptr<OVsnmpSession, SessionDeleter>;

// Sessions are opened with a callback that does nothing: every answer is
// taken by the blocking send, and strays are not wanted.
void IgnoreCallback(int, OVsnmpSession*, OVsnmpPdu*, void*) {}

CSession OpenSession(const std::string& a_community, const std::string& a_address, int& a_nScratch)
{
    CSession session(OVsnmpOpen(a_community.c_str(), a_address.c_str(), OVSNMP_DEFAULT_RETRIES, 8,
                                OVSNMP_DEFAULT_PORT, OVSNMP_DEFAULT_PORT, IgnoreCallback, &a_nScratch));
    if (session) {
        session->session_flags &= static_cast<std::uint16_t>(~OVSNMP_SF_DELIVER_STRAYS);
        session->session_flags |= OVSNMP_SF_NO_INHERIT;
    }
    return session;
}

bool AddNull(OVsnmpPdu* a_pdu, const CObjectId& a_oid)
{
    return OVsnmpAddNullVarBind(a_pdu, a_oid.Data(), static_cast<std::uint32_t>(a_oid.GetCount())) != 0;
}

CObjectId VariableId(const OVsnmpVarBind& a_var)
{
    CObjectId oid;
    for (std::uint32_t i = 0; a_var.oid && i < a_var.oid_length; ++i)
        oid.Append(a_var.oid[i]);
    return oid;
}

// Decodes one response variable into a value. False when the variable has
// no value to give (an SNMPv2 exception) or a type that is not known; the
// value is then left as it was.
bool DecodeVariable(const OVsnmpVarBind& a_var, CMibValue& a_value)
{
    const std::int32_t nLength = static_cast<std::int32_t>(a_var.val_len);
    switch (a_var.type) {
    case OVSNMP_INTEGER:
        if (!a_var.val.integer)
            return false;
        a_value.StoreNumber(static_cast<std::uint32_t>(*a_var.val.integer));
        a_value.SetTypeAndLength(typeInteger, 4);
        return true;
    case OVSNMP_BIT_STRING:
        a_value.StoreBytes(a_var.val.string, a_var.val_len);
        a_value.SetTypeAndLength(typeBitString, nLength);
        return true;
    case OVSNMP_OCTET_STRING:
        a_value.StoreBytesZ(a_var.val.string, a_var.val_len);
        a_value.SetTypeAndLength(typeOctetString, nLength);
        return true;
    case OVSNMP_NULL:
        a_value.SetNull();
        return true;
    case OVSNMP_OBJECT_ID: {
        std::size_t nText = a_value.StoreObjectId(a_var.val.objid, a_var.val.objid ? a_var.val_len : 0);
        a_value.SetTypeAndLength(typeObjectIdentifier, static_cast<std::int32_t>(nText));
        return true;
    }
    case OVSNMP_IPADDRESS:
        a_value.StoreBytes(a_var.val.string, a_var.val_len);
        a_value.SetTypeAndLength(typeIpAddress, nLength);
        return true;
    case OVSNMP_COUNTER:
    case OVSNMP_GAUGE:
    case OVSNMP_TIMETICKS:
        if (!a_var.val.unsigned32)
            return false;
        a_value.StoreNumber(*a_var.val.unsigned32);
        a_value.SetTypeAndLength(a_var.type == OVSNMP_COUNTER ? typeCounter
                                 : a_var.type == OVSNMP_GAUGE ? typeGauge
                                                              : typeTimeTickes,
                                 4);
        return true;
    case OVSNMP_OPAQUE:
        a_value.StoreBytes(a_var.val.string, a_var.val_len);
        a_value.SetTypeAndLength(typeOpaque, nLength);
        return true;
    case OVSNMP_COUNTER64:
        if (!a_var.val.counter64 || a_var.val_len != 8)
            return false;
        // Both halves are kept: the value holds the low word and the high
        // word its upper half.
        a_value.StoreNumber(a_var.val.counter64->low, a_var.val.counter64->high);
        a_value.SetTypeAndLength(typeCounter64, 4);
        return true;
    default:
        return false;
    }
}

bool IsException(std::uint8_t a_type)
{
    return a_type == OVSNMP_NOSUCHOBJECT || a_type == OVSNMP_NOSUCHINSTANCE || a_type == OVSNMP_ENDOFMIBVIEW;
}

// Adds one value to a set PDU as its platform type. False when the value's
// type has no platform form (it is then left out) or the add failed; a_bLeftOut
// tells which.
bool AddTyped(OVsnmpPdu* a_pdu, const CMibValue& a_value, bool& a_bLeftOut)
{
    a_bLeftOut = false;
    const CObjectId& oid = a_value.GetIdentifier();
    const std::uint32_t nOid = static_cast<std::uint32_t>(oid.GetCount());
    std::uint32_t dwNumber = a_value.GetNumber();
    int nPlatformType = 0;
    switch (a_value.GetType()) {
    case typeInteger: nPlatformType = OVSNMP_INTEGER; break;
    case typeUnsignedInteger: nPlatformType = OVSNMP_GAUGE; break;
    case typeCounter: nPlatformType = OVSNMP_COUNTER; break;
    case typeGauge: nPlatformType = OVSNMP_GAUGE; break;
    case typeTimeTickes: nPlatformType = OVSNMP_TIMETICKS; break;
    case typeBitString:
    case typeOctetString:
    case typeIpAddress:
    case typeOpaque: {
        const std::uint8_t tag = a_value.GetType() == typeBitString     ? OVSNMP_BIT_STRING
                                 : a_value.GetType() == typeOctetString ? OVSNMP_OCTET_STRING
                                 : a_value.GetType() == typeIpAddress   ? OVSNMP_IPADDRESS
                                                                        : OVSNMP_OPAQUE;
        return OVsnmpAddTypedVarBind(a_pdu, oid.Data(), nOid, tag, a_value.GetBytes(),
                                     static_cast<std::uint32_t>(a_value.GetByteCount())) != 0;
    }
    case typeNull:
        return OVsnmpAddTypedVarBind(a_pdu, oid.Data(), nOid, OVSNMP_NULL, nullptr, 0) != 0;
    case typeObjectIdentifier: {
        // Held as dotted text; the platform takes the sub-identifiers.
        CObjectId value;
        a_value.GetObjectId(value);
        return OVsnmpAddTypedVarBind(a_pdu, oid.Data(), nOid, OVSNMP_OBJECT_ID, value.Data(),
                                     static_cast<std::uint32_t>(value.GetCount())) != 0;
    }
    case typeCounter64: {
        OVsnmpCounter64 c{a_value.GetHighWord(), a_value.GetNumber()};
        return OVsnmpAddTypedVarBind(a_pdu, oid.Data(), nOid, OVSNMP_COUNTER64, &c, 8) != 0;
    }
    default:
        a_bLeftOut = true;
        return false;
    }
    return OVsnmpAddTypedVarBind(a_pdu, oid.Data(), nOid, nPlatformType, &dwNumber, 4) != 0;
}

// Sends the request; while the agent answers with an error status that
// names a variable, sends it again without that variable, so that a request
// of n values takes at most n + 1 exchanges. Returns the error-free response,
// or null: then a_bNoResponse tells whether it was a send that failed (with
// the platform's error number in a_nSendError) rather than the agent.
CPdu ExchangeDroppingRefused(OVsnmpSession* a_session, CPdu a_request, int a_nCommand,
                             bool& a_bNoResponse, int& a_nSendError)
{
    a_bNoResponse = false;
    for (;;) {
        CPdu response(OVsnmpBlockingSend(a_session, a_request.get()));
        if (!response) {
            a_nSendError = OVsnmpErrno;
            a_bNoResponse = true;
            return nullptr;
        }
        a_request.reset();
        if (response->error_status == OVSNMP_ERR_STATUS_NOERROR)
            return response;
        if (response->error_index == 0 || !response->variables)
            return nullptr;
        // The fixed PDU is built from the response, which it takes over.
        OVsnmpPdu* fixed = OVsnmpFixPdu(response.get(), a_nCommand);
        if (!fixed)
            return nullptr;
        response.release();
        a_request.reset(fixed);
    }
}

} // namespace

int CMibRequest::PlatformGet()
{
    int nScratch = 0;
    CSession session = OpenSession(m_strCommunity, m_strAddress, nScratch);
    auto fail = [this] {
        if (PlatformFailureTouchesList())
            MarkAllUnavailable();
        return -1;
    };
    if (!session) {
        int nError = OVsnmpErrno;
        OVsnmpClose(nullptr);
        fail();
        TraceMib("OVsnmpGet:OVsnmpOpen ErrNO.=%d\n Commuity=%s Addr=%s\n", nError, m_strCommunity.c_str(),
                 m_strAddress.c_str());
        return -1;
    }

    CPdu request(OVsnmpCreatePdu(OVSNMP_GET_REQ));
    if (!request)
        return fail();
    for (CMibValue& value : m_values) {
        if (value.GetIdentifier().IsEmpty()) {
            value.SetUnavailable();
            continue;
        }
        if (!AddNull(request.get(), value.GetIdentifier()))
            return fail();
    }

    bool bNoResponse = false;
    int nSendError = 0;
    CPdu response = ExchangeDroppingRefused(session.get(), std::move(request), OVSNMP_GET_REQ,
                                            bNoResponse, nSendError);
    if (!response) {
        session.reset();
        fail();
        if (bNoResponse)
            TraceMib("OVsnmpGet:OVsnmpBlockingSend ErrNO.=%d\n ", nSendError);
        return -1;
    }
    int nCount = 0;
    for (CMibValue& value : m_values) {
        value.SetUnavailable();
        for (const OVsnmpVarBind* var = response->variables; var; var = var->next_variable) {
            if (VariableId(*var) != value.GetIdentifier())
                continue;
            if (IsException(var->type))
                continue;  // the agent says there is no value
            DecodeVariable(*var, value);
            ++nCount;
        }
    }
    return nCount;
}

int CMibRequest::PlatformWalk()
{
    int nScratch = 0;
    // On a failure the list is emptied, except in accessPlatformFirst, where
    // the gateway walks next from the same start value: rows found before
    // the failure are dropped again so that the gateway gets the list as
    // it was.
    auto fail = [this] {
        if (PlatformFailureTouchesList())
            m_values.clear();
        else if (!m_values.empty())
            m_values.resize(1);
        return -1;
    };
    CSession session = OpenSession(m_strCommunity, m_strAddress, nScratch);
    if (!session) {
        int nError = OVsnmpErrno;
        TraceMib("OVsnmpGetNext:OVsnmpOpen ErrNO.=%d\n Commuity=%s Addr=%s\n", nError, m_strCommunity.c_str(),
                 m_strAddress.c_str());
        return fail();
    }
    if (m_values.size() != 1) {
        session.reset();
        TraceMib("OVsnmpGetNext NO LIST");
        if (PlatformFailureTouchesList())
            m_values.clear();
        return -1;
    }
    const CObjectId start = m_values.front().GetIdentifier();
    if (start.IsEmpty()) {
        session.reset();
        return fail();
    }
    const std::size_t nStart = start.GetCount();
    {
        std::string text = start.Format();
        TraceMib("OVsnmpGetNext-->StartOID=%s\n", text.c_str());
    }

    CObjectId current = start;
    int nCount = 0;
    for (;;) {
        CPdu request(OVsnmpCreatePdu(OVSNMP_GETNEXT_REQ));
        if (!request || !AddNull(request.get(), current))
            return fail();
        CPdu response(OVsnmpBlockingSend(session.get(), request.get()));
        if (!response) {
            int nError = OVsnmpErrno;
            TraceMib("OVsnmpGetNxt:OVsnmpBlockingSend ErrNO.=%d\n ", nError);
            return fail();
        }
        request.reset();
        // noSuchName to a get-next is how an SNMPv1 agent says that nothing
        // follows: the end of its MIB is the end of the subtree too.
        if (response->error_status == OVSNMP_ERR_STATUS_NOSUCHNAME)
            break;
        if (response->error_status != OVSNMP_ERR_STATUS_NOERROR || !response->variables)
            return fail();
        const OVsnmpVarBind& var = *response->variables;
        if (var.type == OVSNMP_ENDOFMIBVIEW)
            break;
        CObjectId next = VariableId(var);
        if (next.GetCount() < nStart || !next.StartsWith(start, nStart))
            break;
        // An agent that answers with an identifier not after the one asked
        // for would keep the walk going forever; what it gave so far stays.
        if (next <= current)
            break;
        CMibValue row(next);
        DecodeVariable(var, row);
        m_values.push_back(std::move(row));
        ++nCount;
        current = std::move(next);
    }
    m_values.pop_front();
    return nCount;
}

int CMibRequest::PlatformSet()
{
    int nScratch = 0;
    auto fail = [this] {
        MarkAllUnavailable();
        return -1;
    };
    CSession session = OpenSession(m_strCommunity, m_strAddress, nScratch);
    if (!session) {
        int nError = OVsnmpErrno;
        TraceMib("OVsnmpSet:OVsnmpOpen ErrNO.=%d\n Commuity=%s Addr=%s\n", nError, m_strCommunity.c_str(),
                 m_strAddress.c_str());
        return fail();
    }
    CPdu request(OVsnmpCreatePdu(OVSNMP_SET_REQ));
    if (!request)
        return fail();
    // Values the platform cannot take are left out and marked, like values
    // without an identifier; the rest of the set still goes out.
    std::vector<CMibValue*> leftOut;
    for (CMibValue& value : m_values) {
        if (value.GetIdentifier().IsEmpty()) {
            leftOut.push_back(&value);
            continue;
        }
        bool bLeftOut = false;
        if (!AddTyped(request.get(), value, bLeftOut)) {
            if (!bLeftOut)
                return fail();
            leftOut.push_back(&value);
        }
    }
    for (CMibValue* value : leftOut)
        value->SetUnavailable();

    bool bNoResponse = false;
    int nSendError = 0;
    CPdu response = ExchangeDroppingRefused(session.get(), std::move(request), OVSNMP_SET_REQ,
                                            bNoResponse, nSendError);
    if (!response) {
        session.reset();
        fail();
        if (bNoResponse)
            TraceMib("OVsnmpSet:OVsnmpBlockingSend ErrNO.=%d\n ", nSendError);
        return -1;
    }
    int nCount = 0;
    for (CMibValue& value : m_values) {
        if (value.IsUnavailable())
            continue;
        int nConfirmed = 0;
        for (const OVsnmpVarBind* var = response->variables; var; var = var->next_variable) {
            if (VariableId(*var) == value.GetIdentifier())
                ++nConfirmed;
        }
        if (nConfirmed == 0)
            value.SetUnavailable();
        nCount += nConfirmed;
    }
    return nCount;
}
