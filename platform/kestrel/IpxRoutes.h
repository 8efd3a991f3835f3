// The IPX route table of the gateway library. There is no IPX network on
// the machines we run on, so an IPX-addressed printer is reached at an IP
// endpoint that a small text file names (LUMET_KESTREL_ROUTES):
//
//   # IPX address            agent
//   1A:00A0C9123456        = 127.0.0.11
//   0000BEEF-0080ABCDEF01  = 127.0.0.12:16161
//
// The file is read at every look-up, so that a test or an administrator can
// change it while programs run.
#pragma once

#include <string>
#include <string_view>

#include "UdpSocket.h"

namespace kestrel {

// The IPX address of a_text as "NETWORK:NODE" (upper-case hexadecimal, the
// network without leading zeros), so that every way of writing one address
// gives one key. Accepted: network (1 to 8 digits) and node (12 digits)
// separated by one ':', '-' or '.', or written together with no separator
// (the node then being the last 12 digits). False for anything else.
bool NormalizeIpx(std::string_view a_text, std::string& a_out);

// The endpoint routed to a_ipx in the table file a_path (null or empty: no
// table). a_bHasPort tells whether the route names a port. False when the
// address has no route.
bool LookUpIpxRoute(std::string_view a_ipx, const char* a_path, ovsnmp::CInetAddress& a_peer, bool& a_bHasPort);

} // namespace kestrel
