/* The MIB gateway library (kestrel): SNMP get and subtree walk by packet
 * exchange, for printers addressed by IP or by IPX address.
 *
 * This is our own library with the calls the programs make of the maker's
 * gateway; packet formats, error numbers and the channel-information area
 * are ours. Plain C so that the Windows build can export it from
 * kestrel.dll; natively it is a static library.
 *
 * One handle serves one operation: MIBInitialize, MIBGetChannelInfo and
 * MIBOpen with the address, then packets built, sent and received, then
 * MIBClose and MIBRelease. Handles are plain numbers looked up in a table,
 * so a stale or foreign handle is refused, never dereferenced.
 *
 * Channels:
 *   IP   SNMPv1 over UDP to the agent port of the platform SNMP library
 *        (LUMET_SNMP_PORT, default 161), with its time-out and retries
 *        (LUMET_SNMP_TIMEOUT_MS, LUMET_SNMP_RETRIES). "a.b.c.d:port" names
 *        a port of its own.
 *   IPX  there is no IPX network here: the route table in the file that
 *        LUMET_KESTREL_ROUTES names maps IPX addresses to IP endpoints, one
 *        "NETWORK:NODE = a.b.c.d[:port]" per line ('#' starts a comment;
 *        the network and node may also be separated by '-' or '.', or be
 *        written together as the gateway form, network digits followed by
 *        the 12 node digits). An IPX address without a route is unreachable.
 *
 * Packets: a request packet is an SNMPv1 message (a get, or for a subtree
 * walk a get-next whose identifier is the root). A response packet is an
 * SNMPv1 response message; the answer to a walk holds every row of the
 * subtree, in the agent's order, in one message.
 *
 * Buffers: every call that fills a caller's buffer takes the buffer and an
 * in/out length. When the buffer is null or the length too small it returns
 * MIB_ERR_BUFFER (-108) and sets the length to the size needed; a first call
 * with a null buffer and length 0 thus asks for the size.
 */
#ifndef LUMET_KESTREL_H
#define LUMET_KESTREL_H

#include <stdint.h>

#if defined(_WIN32) && defined(KESTREL_DLL)
#  if defined(KESTREL_BUILDING)
#    define KESTREL_API __declspec(dllexport)
#  else
#    define KESTREL_API __declspec(dllimport)
#  endif
#else
#  define KESTREL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t MIBHANDLE;

/* Request kinds of MIBCreateGetRequestSNMPPacket. */
#define MIB_KIND_GET 0    /* get of one identifier */
#define MIB_KIND_WALK 5   /* every variable of the subtree under one identifier */
/* The packet format the callers ask for. */
#define MIB_PACKET_FORMAT 4

/* Error numbers (MIBGetErrorNo). */
#define MIB_ERR_NONE 0
#define MIB_ERR_BAD_HANDLE (-101)   /* not a handle of MIBInitialize, or released */
#define MIB_ERR_BAD_ARGUMENT (-102)
#define MIB_ERR_UNREACHABLE (-103)  /* not an address, or an IPX address without a route */
#define MIB_ERR_NO_VARIABLE (-104)  /* no such variable: in the packet, or at the agent */
#define MIB_ERR_BAD_PACKET (-105)   /* not a packet of this library's format */
#define MIB_ERR_NOT_OPEN (-106)     /* no channel open, or nothing received yet */
#define MIB_ERR_TIMEOUT (-107)      /* the agent did not answer */
#define MIB_ERR_BUFFER (-108)       /* buffer too small; the length says how much is needed */
#define MIB_ERR_SOCKET (-109)       /* the datagram could not be sent or the socket opened */
#define MIB_ERR_NO_MEMORY (-110)
#define MIB_ERR_TOO_LARGE (-111)    /* a walk longer than the library keeps */
/* The agent answered with an error status. */
#define MIB_ERR_TOO_BIG (-121)
#define MIB_ERR_BAD_VALUE (-122)
#define MIB_ERR_READ_ONLY (-123)
#define MIB_ERR_GEN_ERR (-124)

/* Channels of MIBChannelInfo. */
#define MIB_CHANNEL_NONE 0
#define MIB_CHANNEL_IP 1
#define MIB_CHANNEL_IPX 2

/* The channel-information area: owned by the caller, filled by
 * MIBGetChannelInfo and read by MIBOpen. Zero it before the first call. */
typedef struct MIBChannelInfo {
    int32_t channel;    /* MIB_CHANNEL_... */
    char peer[32];      /* the agent's endpoint, "a.b.c.d:port" */
    char ipx[32];       /* for MIB_CHANNEL_IPX: the address as routed, "NETWORK:NODE" */
} MIBChannelInfo;

/* A new handle; 0 or below when none can be made. */
KESTREL_API MIBHANDLE MIBInitialize(void);
/* Resolves the address into the channel-information area. Exactly one of
 * ip (dotted decimal, optionally ":port") and ipx (network and node digits)
 * is given, the other is null. 0 on success, -1 otherwise. */
KESTREL_API int MIBGetChannelInfo(MIBHANDLE handle, const char* ip, const char* ipx, MIBChannelInfo* info);
/* Opens the channel that MIBGetChannelInfo described. 0 or -1. */
KESTREL_API int MIBOpen(MIBHANDLE handle, const char* ip, const char* ipx, MIBChannelInfo* info);
/* Builds a request packet: kind MIB_KIND_GET or MIB_KIND_WALK, format
 * MIB_PACKET_FORMAT, the community, one dotted identifier. 0, -108 (the
 * length holds the size needed) or -1. */
KESTREL_API int MIBCreateGetRequestSNMPPacket(MIBHANDLE handle, int kind, int format, const char* community,
                                              int count, const char* const* oids, uint32_t* length,
                                              uint8_t* packet);
/* Runs the exchange of a request packet with the agent: one get, or the
 * whole walk. 0 when the answer is there for MIBReceive; -1 when the
 * exchange failed (MIBGetErrorNo: no answer, an error status of the agent,
 * MIB_ERR_NO_VARIABLE for an object the agent does not have); -2 when
 * nothing was sent (no open channel, not a request packet). */
KESTREL_API int MIBSend(MIBHANDLE handle, const uint8_t* packet, uint32_t length);
/* The response packet of the last successful MIBSend. 0, -108 or -1. */
KESTREL_API int MIBReceive(MIBHANDLE handle, uint32_t* length, uint8_t* buffer);
/* Variable i's identifier as dotted text with a terminating zero (the
 * length counts the zero). 0, -104 when the packet has no variable i,
 * -108, or -1 for a packet that is not a response of this library. */
KESTREL_API int MIBGetchObjectIDFromSNMPPacket(MIBHANDLE handle, int index, const uint8_t* packet,
                                               uint32_t packet_length, uint32_t* length, char* buffer);
/* Variable i's value as its BER encoding (tag, length, contents). Results
 * as above. */
KESTREL_API int MIBGetBERDataFromSNMPPacket(MIBHANDLE handle, int index, const uint8_t* packet,
                                            uint32_t packet_length, uint32_t* length, uint8_t* buffer);
/* The error number of the handle's last call; MIB_ERR_BAD_HANDLE for a
 * value that is no handle. */
KESTREL_API int MIBGetErrorNo(MIBHANDLE handle);
/* Closes the handle's channel; the handle stays usable for another open. */
KESTREL_API void MIBClose(MIBHANDLE handle);
/* Closes and forgets the handle. */
KESTREL_API void MIBRelease(MIBHANDLE handle);

#ifdef __cplusplus
}
#endif

#endif
