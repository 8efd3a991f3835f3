// How the status window turns MIB values into display texts: Printer MIB
// enumerations into words from the string table, capacities with their
// units and special values, sizes, percentages, addresses and times. Pure
// functions; texts come from the program's string table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IStringTable;

// Fixed texts.
inline constexpr unsigned kIdsError = 1015;           // "error": a value whose read failed
inline constexpr unsigned kIdsUnknown = 1017;         // "unknown"
inline constexpr unsigned kIdsUnknownPaperSize = 10200;
inline constexpr unsigned kIdsUnknownPaperType = 10201;
inline constexpr unsigned kIdsUpTime = 4011;          // "%d hours %d minutes"

// Enumerations (a value outside the table gives its fallback text).
std::string FormatUnit(std::int32_t a_nUnit, const IStringTable& a_strings);
std::string FormatInputType(std::int32_t a_nType, const IStringTable& a_strings);
std::string FormatOutputType(std::int32_t a_nType, const IStringTable& a_strings);
std::string FormatSupplyType(std::int32_t a_nType, const IStringTable& a_strings);
std::string FormatMarkTechClass(std::int32_t a_nMarkTech, const IStringTable& a_strings);

// Capacities and levels: the Printer MIB's special values in words,
// otherwise "<value> <unit text>".
std::string FormatInputCapacity(std::int32_t a_nValue, std::int32_t a_nUnit, const IStringTable& a_strings);
std::string FormatInputLevel(std::int32_t a_nValue, std::int32_t a_nUnit, const IStringTable& a_strings);
std::string FormatOutputCapacity(std::int32_t a_nValue, std::int32_t a_nUnit, const IStringTable& a_strings);
std::string FormatOutputRemaining(std::int32_t a_nValue, std::int32_t a_nUnit, const IStringTable& a_strings);

std::string FormatDecimal(std::int64_t a_n);
// a_nPart of a_nWhole in percent with one decimal ("37.5 %"); 0.0 % when the
// whole is 0.
std::string FormatPercent(std::int32_t a_nPart, std::int32_t a_nWhole);
// Bytes in M byte, k byte or byte with two decimals ("1.50 M byte").
std::string FormatMemorySize(std::int64_t a_n, const IStringTable& a_strings);
// Bytes in decimal joined by "." ("192.168.1.20").
std::string FormatDotted(const std::vector<std::uint8_t>& a_abBytes);
// Bytes as two upper-case hex digits joined by "." ("00.80.92.0A.1B.2C").
std::string FormatHexBytes(const std::vector<std::uint8_t>& a_abBytes);
// Hundredths of a second as "<h> hours <m> minutes".
std::string FormatUpTime(std::uint32_t a_dwTicks, const IStringTable& a_strings);
// ipAdEntBcastAddr: 255.255.255.255 when its lowest bit is 1, else
// 255.255.255.254.
std::string FormatBroadcast(std::int32_t a_nBcast);

// The printer settings' on/off encoding.
std::int32_t SwitchToValue(bool a_bOn);
bool ValueToSwitch(std::int32_t a_nValue);
