// The gateway side of CMibRequest: get and walk through the maker's MIB
// gateway library. Until that transport is built in, the gateway reaches no
// device: a get leaves every value unavailable, a walk finds nothing, and
// both report the failure.
#include "MibRequest.h"

int CMibRequest::GatewayGet()
{
    MarkAllUnavailable();
    return -1;
}

int CMibRequest::GatewayWalk()
{
    m_values.clear();
    return -1;
}
