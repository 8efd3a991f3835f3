// Allocation of PDUs and variables. Everything is allocated with the C
// allocator and checked, so that no exception can cross the library's C
// interface; a PDU owns its variables, their identifiers and values, its
// enterprise identifier and its community.
#pragma once

#include <cstddef>
#include <cstdint>

#include "OVsnmp.h"

namespace ovsnmp {

// A new zeroed PDU; null when out of memory.
OVsnmpPdu* NewPdu(std::uint8_t a_command);
void FreePdu(OVsnmpPdu* a_pdu);
void FreeVarBind(OVsnmpVarBind* a_var);

// Appends a variable whose value is given as raw storage: a_pvValue points
// to a_nBytes bytes that are copied (numbers in host order as the union
// member of a_type expects). a_nValueLength is what val_len reports.
// a_tail, when given, must be the PDU's last variable (saves the walk to
// the end). Returns the new variable; null when out of memory.
OVsnmpVarBind* AppendVarBind(OVsnmpPdu* a_pdu, const std::uint32_t* a_adwOid, std::size_t a_nOid,
                             std::uint8_t a_type, const void* a_pvValue, std::size_t a_nBytes,
                             std::uint32_t a_nValueLength, OVsnmpVarBind* a_tail = nullptr);

// Copies a_n sub-identifiers into new storage; null when out of memory
// (a_n of 0 gives null too).
std::uint32_t* CopySubIds(const std::uint32_t* a_adw, std::size_t a_n);

} // namespace ovsnmp
