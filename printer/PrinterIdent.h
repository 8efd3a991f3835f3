// Whether a network node is one of the maker's printers, whether it sits
// behind the maker's external network interface, and which printer symbol
// it gets on the map. Plain functions of the values read over SNMP.
#pragma once

#include <cstdint>
#include <string_view>

class CMibValue;

// Platform symbol type names.
inline constexpr const char kSymbolTypePage[] = "Device:OrvanPage";
inline constexpr const char kSymbolTypeInk[] = "Device:OrvanInk";
inline constexpr const char kSymbolTypeSidm[] = "Device:OrvanSidm";
// The type given back to a node that is no longer a printer.
inline constexpr const char kSymbolTypeGeneric[] = "Computer:Generic";

// hrDeviceDescr names the maker: "ORVAN" anywhere, in exactly that case.
bool IsMakerPrinter(std::string_view a_description);
// The printer sits behind the maker's external interface ("X ORVAN Ethernet").
bool IsExternalInterface(std::string_view a_description);
// The same tests on a value as read: anything but an octet string is no
// printer of the maker's.
bool IsMakerPrinter(const CMibValue& a_description);
bool IsExternalInterface(const CMibValue& a_description);

// The symbol type for a prtMarkerMarkTech value. The value is compared as an
// unsigned number, so 0 and negative values give the page printer type.
const char* SymbolType(std::int32_t a_nMarkTech);
