// The gateway library's packets: request packets built from a kind, a
// community and an identifier text; variables read out of response packets
// as identifier text and raw BER. Everything here is a pure function of its
// input bytes, so that it can be fuzzed on its own: a response packet is
// whatever the caller hands back, and is read as hostile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Dotted decimal text (an optional leading "."), as sub-identifiers that an
// SNMP message can carry. False for anything else.
bool ParseOidText(std::string_view a_text, std::vector<std::uint32_t>& a_adw);
std::string FormatOid(const std::uint32_t* a_adw, std::size_t a_n);

// A request packet: an SNMPv1 get (a_bWalk false) or get-next naming the
// root of the walk (a_bWalk true) of one identifier. False when the
// identifier cannot be encoded.
bool BuildRequestPacket(bool a_bWalk, std::string_view a_community, const std::vector<std::uint32_t>& a_oid,
                        std::vector<std::uint8_t>& a_out);

enum class VariableResult { Found, NoVariable, BadPacket };

// Variable a_nIndex (from 0) of a response packet: its identifier as dotted
// text (empty for an empty identifier) and the whole BER element of its
// value (tag, length, contents), pointing into the packet.
VariableResult FindVariable(const std::uint8_t* a_pbPacket, std::size_t a_nPacket, std::size_t a_nIndex,
                            std::string& a_oidText, const std::uint8_t*& a_pbBer, std::size_t& a_nBer);

// The buffer protocol of the library's calls: copies a_n bytes to a_pbOut
// when a_pnLength says there is room, else sets *a_pnLength to a_n and
// returns -108. 0 after a copy, *a_pnLength then a_n; -1 for a null length.
int CopyOut(const void* a_pv, std::size_t a_n, std::uint32_t* a_pnLength, void* a_pbOut);

} // namespace kestrel
