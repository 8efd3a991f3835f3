#include "MibRequest.h"

#include "Trace.h"

const char* MibAccessModeName(std::int32_t a_nMode)
{
    switch (a_nMode) {
    case accessAuto: return "accessAuto";
    case accessPlatform: return "accessPlatform";
    case accessGateway: return "accessGateway";
    case accessPlatformFirst: return "accessPlatformFirst";
    default: return nullptr;
    }
}

void CMibRequest::Reset()
{
    m_values.clear();
    m_strAddress.clear();
    m_strGatewayAddress.clear();
    m_nAddressKind = addressNone;
    m_nAccessMode = accessAuto;
}

void CMibRequest::SetIpAddress(std::string_view a_address)
{
    m_strAddress = a_address;
    m_strGatewayAddress.clear();
    m_nAddressKind = addressIp;
}

void CMibRequest::SetIpxAddress(std::string_view a_address)
{
    m_strAddress = a_address;
    m_strGatewayAddress = MibGatewayAddress(a_address);
    m_nAddressKind = addressIpx;
}

void CMibRequest::MarkAllUnavailable()
{
    for (CMibValue& value : m_values)
        value.SetUnavailable();
}

bool CMibRequest::Start(Operation a_op, int& a_nResult)
{
    m_nErrorFlag = 0;
    if (MibTraceLog().IsOn()) {
        for (const CMibValue& value : m_values) {
            std::string id = value.GetIdentifier().Format();
            TraceMib(a_op == Operation::Get ? "Load(), id: %s\n" : "LoadEntry(), id: %s\n", id.c_str());
            if (a_op != Operation::Set)
                continue;
            const std::int32_t nType = value.GetType();
            const char* name = MibTypeName(nType);
            if (name && nType != typeNull && nType != typeUnavailable)
                TraceMib("%s\n", name);
            else
                TraceMib("type is unknown(%d)\n", static_cast<int>(nType));
        }
    }
    if (m_values.empty()) {
        a_nResult = 0;
        return false;
    }
    if (m_strAddress.empty()) {
        MarkAllUnavailable();
        a_nResult = 0;
        return false;
    }
    return true;
}

int CMibRequest::Finish(int a_nTransportResult)
{
    if (a_nTransportResult == -1) {
        m_nErrorFlag = 1;
        return 0;
    }
    return a_nTransportResult;
}

int CMibRequest::Load()
{
    int nResult = 0;
    if (!Start(Operation::Get, nResult))
        return nResult;
    switch (m_nAccessMode) {
    case accessAuto:
        m_nAccessMode = accessPlatform;
        nResult = PlatformGet();
        if (nResult == -1) {
            m_nAccessMode = accessGateway;
            nResult = GatewayGet();
        }
        break;
    case accessPlatform:
        nResult = PlatformGet();
        break;
    case accessGateway:
        nResult = GatewayGet();
        break;
    case accessPlatformFirst:
        nResult = PlatformGet();
        if (nResult != -1) {
            m_nAccessMode = accessPlatform;
        } else {
            m_nAccessMode = accessGateway;
            nResult = GatewayGet();
        }
        break;
    default:
        // A mode outside the enumeration reaches no transport.
        MarkAllUnavailable();
        nResult = -1;
        break;
    }
    return Finish(nResult);
}

int CMibRequest::LoadEntry()
{
    int nResult = 0;
    if (!Start(Operation::Walk, nResult))
        return nResult;
    switch (m_nAccessMode) {
    case accessAuto:
        m_nAccessMode = accessPlatform;
        nResult = PlatformWalk();
        break;
    case accessPlatform:
        nResult = PlatformWalk();
        break;
    case accessGateway:
        nResult = GatewayWalk();
        break;
    case accessPlatformFirst:
        nResult = PlatformWalk();
        if (nResult != -1) {
            m_nAccessMode = accessPlatform;
        } else {
            m_nAccessMode = accessGateway;
            nResult = GatewayWalk();
        }
        break;
    default:
        m_values.clear();
        nResult = -1;
        break;
    }
    return Finish(nResult);
}

int CMibRequest::Store()
{
    int nResult = 0;
    if (!Start(Operation::Set, nResult))
        return nResult;
    // There is no set through the gateway: every mode sets through the
    // platform library, and the mode stays as it is.
    return Finish(PlatformSet());
}
