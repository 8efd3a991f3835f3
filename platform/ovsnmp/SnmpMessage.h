// The SNMP message codec: one message (version, community, PDU) to and from
// the bytes of one datagram. SNMPv1 and SNMPv2c messages are understood;
// PDUs of every kind, the SNMPv1 trap layout included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "OVsnmp.h"

namespace ovsnmp {

// Appends the message to a_out. An OVSNMP_V2_TRAP gets sysUpTime.0 (from
// time_stamp) and snmpTrapOID.0 (from enterprise) in front of its
// variables. False when the PDU cannot be encoded (an identifier that BER
// cannot carry, a value that does not match its type).
bool EncodeMessage(const OVsnmpPdu& a_pdu, const std::uint8_t* a_pbCommunity,
                   std::size_t a_nCommunity, std::vector<std::uint8_t>& a_out);

// Decodes one datagram into a new PDU with its version and community;
// null when the bytes are not one well-formed message (or out of memory).
// Bytes after the message are ignored.
OVsnmpPdu* DecodeMessage(const std::uint8_t* a_pb, std::size_t a_n);

} // namespace ovsnmp
