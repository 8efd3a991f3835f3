/* The platform SNMP library (ovsnmp): sessions, PDUs and a blocking
 * request/response exchange with an agent over UDP, SNMPv1 on the wire.
 *
 * This is our own library with the calls the programs make of the
 * management platform's SNMP interface; the structure layouts are ours.
 * Everything here is plain C so that the Windows build can export it from
 * ovsnmp.dll; natively it is a static library.
 *
 * Ownership: every session, PDU and variable is allocated by the library
 * and released by it (OVsnmpClose, OVsnmpFreePdu); callers read the fields
 * of a response directly and never free its parts themselves.
 */
#ifndef LUMET_OVSNMP_H
#define LUMET_OVSNMP_H

#include <stdint.h>

#if defined(_WIN32) && defined(OVSNMP_DLL)
#  if defined(OVSNMP_BUILDING)
#    define OVSNMP_API __declspec(dllexport)
#  else
#    define OVSNMP_API __declspec(dllimport)
#  endif
#else
#  define OVSNMP_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* PDU commands (the ASN.1 context tags of the PDU). */
#define OVSNMP_GET_REQ 0xA0
#define OVSNMP_GETNEXT_REQ 0xA1
#define OVSNMP_GET_RSP 0xA2
#define OVSNMP_SET_REQ 0xA3
#define OVSNMP_TRAP 0xA4          /* SNMPv1 trap */
#define OVSNMP_GETBULK_REQ 0xA5
#define OVSNMP_INFORM_REQ 0xA6
#define OVSNMP_V2_TRAP 0xA7       /* SNMPv2 trap */
#define OVSNMP_REPORT 0xA8

/* Variable types (the ASN.1 tag of the value). */
#define OVSNMP_INTEGER 0x02
#define OVSNMP_BIT_STRING 0x03
#define OVSNMP_OCTET_STRING 0x04
#define OVSNMP_NULL 0x05
#define OVSNMP_OBJECT_ID 0x06
#define OVSNMP_IPADDRESS 0x40
#define OVSNMP_COUNTER 0x41
#define OVSNMP_GAUGE 0x42         /* also Unsigned32 */
#define OVSNMP_TIMETICKS 0x43
#define OVSNMP_OPAQUE 0x44
#define OVSNMP_COUNTER64 0x46
#define OVSNMP_NOSUCHOBJECT 0x80  /* SNMPv2 exception values: no value */
#define OVSNMP_NOSUCHINSTANCE 0x81
#define OVSNMP_ENDOFMIBVIEW 0x82

/* SNMP error statuses of a response. */
#define OVSNMP_ERR_STATUS_NOERROR 0
#define OVSNMP_ERR_STATUS_TOOBIG 1
#define OVSNMP_ERR_STATUS_NOSUCHNAME 2
#define OVSNMP_ERR_STATUS_BADVALUE 3
#define OVSNMP_ERR_STATUS_READONLY 4
#define OVSNMP_ERR_STATUS_GENERR 5

/* Library error numbers (OVsnmpErrno). */
#define OVSNMP_ERR_NONE 0
#define OVSNMP_ERR_BAD_ARGUMENT 1  /* null or out-of-range argument */
#define OVSNMP_ERR_BAD_ADDRESS 2   /* peer is not an IPv4 address this library reaches */
#define OVSNMP_ERR_SOCKET 3        /* socket could not be created or bound */
#define OVSNMP_ERR_SEND 4          /* datagram could not be sent */
#define OVSNMP_ERR_TIMEOUT 5       /* no matching response after all retries */
#define OVSNMP_ERR_NO_MEMORY 6
#define OVSNMP_ERR_ENCODE 7        /* request cannot be encoded (too big, bad identifier) */
#define OVSNMP_ERR_BAD_PDU 8       /* command not allowed here */

/* Limits. */
#define OVSNMP_MAX_SUBIDS 256      /* longest object identifier accepted */
#define OVSNMP_MAX_MESSAGE 65507   /* largest UDP payload */

/* Ports: "use the library's choice" (the agent port is 161 unless the
 * environment says otherwise, the local port is any free one). */
#define OVSNMP_DEFAULT_PORT 0xFFFF
/* Retries: "use the library's default". */
#define OVSNMP_DEFAULT_RETRIES (-1)

/* Session flags word. Both default to on after OVsnmpOpen. */
/* Datagrams that answer no outstanding request are handed to the session's
 * callback (reason OVSNMP_REASON_STRAY); when clear they are dropped. */
#define OVSNMP_SF_DELIVER_STRAYS 0x0004
/* The session's socket is kept from child processes the caller starts. */
#define OVSNMP_SF_NO_INHERIT 0x0008

/* Callback reasons. */
#define OVSNMP_REASON_STRAY 0x01        /* a datagram that answers nothing */
#define OVSNMP_REASON_CLOSE 0x10        /* the session must be closed */
#define OVSNMP_REASON_INFORM OVSNMP_INFORM_REQ
#define OVSNMP_REASON_TRAP OVSNMP_V2_TRAP

typedef struct OVsnmpCounter64 {
    uint32_t high;
    uint32_t low;
} OVsnmpCounter64;

/* Where a variable's value is; which member is meant follows the type.
 * Null for NULL and the exception values. */
typedef union OVsnmpVal {
    int32_t* integer;               /* INTEGER */
    uint32_t* unsigned32;           /* Counter, Gauge, TimeTicks */
    uint8_t* string;                /* OCTET STRING, BIT STRING, IpAddress, Opaque, other types */
    uint32_t* objid;                /* OBJECT IDENTIFIER */
    OVsnmpCounter64* counter64;     /* Counter64 */
} OVsnmpVal;

typedef struct OVsnmpVarBind {
    struct OVsnmpVarBind* next_variable;
    uint32_t* oid;                  /* sub-identifiers */
    uint32_t oid_length;            /* their count (at most OVSNMP_MAX_SUBIDS) */
    uint8_t type;                   /* OVSNMP_INTEGER ... */
    OVsnmpVal val;
    uint32_t val_len;               /* bytes; for OBJECT IDENTIFIER the sub-identifier count */
} OVsnmpVarBind;

typedef struct OVsnmpPdu {
    int32_t version;                /* 0 SNMPv1, 1 SNMPv2c */
    uint8_t command;                /* OVSNMP_GET_REQ ... */
    int32_t request_id;
    int32_t error_status;           /* in a get-bulk: non-repeaters */
    int32_t error_index;            /* in a get-bulk: max-repetitions */
    OVsnmpVarBind* variables;
    /* SNMPv1 trap fields; for a PDU being sent as OVSNMP_V2_TRAP the
     * enterprise is the trap's identifier (snmpTrapOID). The PDU owns the
     * enterprise array: set it with OVsnmpSetEnterprise. */
    uint32_t* enterprise;
    uint32_t enterprise_length;
    uint8_t agent_addr[4];
    int32_t generic_type;
    int32_t specific_type;
    uint32_t time_stamp;
    /* A received PDU: its community and the sender's address and port. */
    uint8_t* community;
    uint32_t community_len;
    uint8_t source_addr[4];
    uint16_t source_port;
} OVsnmpPdu;

struct OVsnmpSessionData;
typedef struct OVsnmpSession OVsnmpSession;

typedef void (*OVsnmpCallback)(int reason, OVsnmpSession* session, OVsnmpPdu* pdu,
                               void* data);

struct OVsnmpSession {
    uint16_t session_flags;         /* OVSNMP_SF_... */
    struct OVsnmpSessionData* data; /* the library's own */
};

/* Opens a session to one agent. peer: dotted IPv4 address, optionally
 * followed by ":port". retries: OVSNMP_DEFAULT_RETRIES or a count.
 * interval: time-out of one try in tenths of a second (0 or below: the
 * library's default). Ports: OVSNMP_DEFAULT_PORT or a number.
 * Null on failure (OVsnmpErrno tells why).
 *
 * Environment, read at every open: LUMET_SNMP_PORT (the default agent
 * port, 161), LUMET_SNMP_TIMEOUT_MS (time-out of one try; overrides the
 * interval), LUMET_SNMP_RETRIES (the default retries, 2). */
OVSNMP_API OVsnmpSession* OVsnmpOpen(const char* community, const char* peer, int retries,
                                     int interval, int local_port, int remote_port,
                                     OVsnmpCallback callback, void* callback_data);
/* Closes and frees a session; null is allowed. Returns 0. */
OVSNMP_API int OVsnmpClose(OVsnmpSession* session);

/* A new empty PDU of one of OVSNMP_GET_REQ, OVSNMP_GETNEXT_REQ,
 * OVSNMP_SET_REQ, OVSNMP_V2_TRAP; null otherwise. */
OVSNMP_API OVsnmpPdu* OVsnmpCreatePdu(int command);
/* Frees a PDU with everything it holds; null is allowed. */
OVSNMP_API void OVsnmpFreePdu(OVsnmpPdu* pdu);
/* Appends a variable with a NULL value. Non-zero on success. */
OVSNMP_API int OVsnmpAddNullVarBind(OVsnmpPdu* pdu, const uint32_t* oid, uint32_t oid_length);
/* Appends a typed variable. value: a 32-bit integer for INTEGER, Counter,
 * Gauge and TimeTicks (length 4); an OVsnmpCounter64 (length 8) or a 32-bit
 * number (length 4) for Counter64; sub-identifiers for OBJECT IDENTIFIER
 * (length = their count); bytes otherwise; null for NULL. Non-zero on
 * success. */
OVSNMP_API int OVsnmpAddTypedVarBind(OVsnmpPdu* pdu, const uint32_t* oid, uint32_t oid_length,
                                     int type, const void* value, uint32_t value_length);

/* Sets the PDU's enterprise identifier (a copy). Non-zero on success. */
OVSNMP_API int OVsnmpSetEnterprise(OVsnmpPdu* pdu, const uint32_t* oid, uint32_t oid_length);

/* Sends a request and waits for the agent's response (time-out and
 * retries of the session). Returns the response, which the caller frees,
 * or null (OVsnmpErrno tells why). The request stays the caller's.
 * An OVSNMP_V2_TRAP is sent once without waiting: the result is null and
 * OVsnmpErrno 0 when it was sent. */
OVSNMP_API OVsnmpPdu* OVsnmpBlockingSend(OVsnmpSession* session, OVsnmpPdu* request);

/* From an error response, a request of the given command without the
 * variable the error index names, ready to be sent again. On success the
 * response is consumed (the result replaces it); on failure (no error,
 * index 0 or beyond the variables) null is returned and the response is
 * still the caller's. Dropping the only variable gives a request without
 * variables, which an agent answers without error. */
OVSNMP_API OVsnmpPdu* OVsnmpFixPdu(OVsnmpPdu* response, int command);

/* The calling thread's error number of the last failed call. */
OVSNMP_API int* OVsnmpErrnoLocation(void);
#define OVsnmpErrno (*OVsnmpErrnoLocation())

#ifdef __cplusplus
}
#endif

#endif
