// CMibRequest: the one SNMP client object of both programs. The caller fills
// in a target address, a community and a list of values carrying the
// identifiers wanted, then runs Load (get), LoadEntry (walk of one subtree)
// or Store (set). The result always comes back the same way: the list
// filled with typed values, a count, and an error flag for a request that
// failed as a whole.
//
// Two transports exist: the platform SNMP library (ovsnmp) and the maker's
// MIB gateway. The access mode picks one, and a mode that may fall back
// records the transport that answered, so the caller can keep using it.
// Each operation opens its own platform session and releases every PDU and
// session before it returns, on every path.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <string_view>

#include "MibValue.h"

enum MibAccessMode : std::int32_t {
    accessAuto = 0,
    accessPlatform = 1,
    accessGateway = 2,
    accessPlatformFirst = 3,
};

enum MibAddressKind : std::int32_t {
    addressNone = 0,
    addressIp = 1,
    addressIpx = 2,
};

// "accessAuto" ...; nullptr for a value outside the enumeration.
const char* MibAccessModeName(std::int32_t a_nMode);

// The form in which the gateway takes an IPX address: network and node
// written together. The text is split at its first ":" (or, without one,
// its first "-", or else its first "."); the node is at most 12 characters
// after the separator. A text without a separator is taken as it is.
std::string MibGatewayAddress(std::string_view a_ipx);

using CMibValueList = std::list<CMibValue>;

class CMibRequest {
public:
    CMibRequest() = default;
    ~CMibRequest() { Reset(); }
    CMibRequest(const CMibRequest&) = delete;
    CMibRequest& operator=(const CMibRequest&) = delete;

    // Empties the list and the address; no address kind, accessAuto.
    void Reset();

    void SetIpAddress(std::string_view a_address);
    void SetIpxAddress(std::string_view a_address);
    bool IsIp() const { return m_nAddressKind == addressIp; }
    bool IsIpx() const { return m_nAddressKind == addressIpx; }
    MibAddressKind GetAddressKind() const { return m_nAddressKind; }
    const std::string& GetAddress() const { return m_strAddress; }
    // The IPX address in the form the gateway takes.
    const std::string& GetGatewayAddress() const { return m_strGatewayAddress; }

    void SetCommunity(std::string_view a_community) { m_strCommunity = a_community; }
    const std::string& GetCommunity() const { return m_strCommunity; }

    void SetAccessMode(MibAccessMode a_nMode) { m_nAccessMode = a_nMode; }
    // After a request: the transport that answered (or was tried last).
    MibAccessMode GetAccessMode() const { return m_nAccessMode; }

    // 1 when the last request failed as a whole, else 0; 1 in a new object.
    int GetErrorFlag() const { return m_nErrorFlag; }

    CMibValueList& Values() { return m_values; }
    const CMibValueList& Values() const { return m_values; }

    // Get of every value in the list; the count of values obtained.
    int Load();
    // Walk of the subtree under the list's only value; afterwards the list
    // holds the rows found. The count of rows.
    int LoadEntry();
    // Set of every value in the list; the count the printer confirmed.
    int Store();

private:
    enum class Operation { Get, Walk, Set };

    // The common start: false when the operation ends right there (a_nResult
    // then holds what it returns).
    bool Start(Operation a_op, int& a_nResult);
    int Finish(int a_nTransportResult);

    // Platform transport (MibRequestPlatform.cpp).
    int PlatformGet();
    int PlatformWalk();
    int PlatformSet();
    // Gateway transport (MibRequestGateway.cpp).
    int GatewayGet();
    int GatewayWalk();
    // The address pair, the channel and the maker check on an open handle.
    bool GatewayOpen(std::int32_t a_hGateway, bool a_bWalk);

    // Whether a platform failure changes the list itself: not in
    // accessPlatformFirst, where the gateway gets the list next.
    bool PlatformFailureTouchesList() const
    {
        return m_nAccessMode == accessAuto || m_nAccessMode == accessPlatform;
    }
    void MarkAllUnavailable();

    CMibValueList m_values;
    int m_nErrorFlag = 1;
    MibAccessMode m_nAccessMode = accessAuto;
    std::string m_strAddress;
    MibAddressKind m_nAddressKind = addressNone;
    std::string m_strGatewayAddress;
    std::string m_strCommunity;
};
