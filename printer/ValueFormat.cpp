#include "ValueFormat.h"

#include <cstdio>
#include <iterator>

#include "StringTable.h"

namespace {

// Table lookups: the value indexes a list of string ids.
constexpr unsigned kUnitIds[] = {
    11013, 11013, 11013, 11001, 11000, 11002, 11003, 11004, 11005,
    11006, 11013, 11007, 11014, 11008, 11009, 11010, 11011, 11012,
};
constexpr unsigned kInputTypeIds[] = {10009, 10008, 10009, 10010, 10011, 10012, 10013, 10014};
constexpr unsigned kOutputTypeIds[] = {10001, 10000, 10001, 10003, 10004, 10005, 10006, 10007};
constexpr unsigned kSupplyTypeIds[] = {
    10100, 10101, 10100, 10103, 10104, 10105, 10106, 10107,
    10108, 10109, 10110, 10111, 10112, 10113, 10114,
};

template <std::size_t N>
std::string Lookup(const unsigned (&a_ids)[N], std::int32_t a_nValue, unsigned a_nFallback,
                   const IStringTable& a_strings)
{
    if (a_nValue < 0 || static_cast<std::size_t>(a_nValue) >= N)
        return a_strings.Load(a_nFallback);
    return a_strings.Load(a_ids[a_nValue]);
}

std::string ValueWithUnit(std::int32_t a_nValue, std::int32_t a_nUnit, const IStringTable& a_strings)
{
    return std::to_string(a_nValue) + " " + FormatUnit(a_nUnit, a_strings);
}

} // namespace

std::string FormatUnit(std::int32_t a_nUnit, const IStringTable& a_strings)
{
    return Lookup(kUnitIds, a_nUnit, 11013, a_strings);
}

std::string FormatInputType(std::int32_t a_nType, const IStringTable& a_strings)
{
    return Lookup(kInputTypeIds, a_nType, 10009, a_strings);
}

std::string FormatOutputType(std::int32_t a_nType, const IStringTable& a_strings)
{
    return Lookup(kOutputTypeIds, a_nType, 10001, a_strings);
}

std::string FormatSupplyType(std::int32_t a_nType, const IStringTable& a_strings)
{
    // Values beyond the table fall back to 10001, not to the table's own
    // "Unknown" (10100); both read "Unknown".
    return Lookup(kSupplyTypeIds, a_nType, 10001, a_strings);
}

std::string FormatMarkTechClass(std::int32_t a_nMarkTech, const IStringTable& a_strings)
{
    unsigned nId = 10016;
    if (a_nMarkTech == 1)
        nId = 10015;
    else if (a_nMarkTech >= 3 && a_nMarkTech <= 5)
        nId = 10017;
    else if (a_nMarkTech >= 6 && a_nMarkTech <= 11)
        nId = 10018;
    else if (a_nMarkTech >= 12 && a_nMarkTech <= 14)
        nId = 10019;
    return a_strings.Load(nId);
}

std::string FormatInputCapacity(std::int32_t a_nValue, std::int32_t a_nUnit, const IStringTable& a_strings)
{
    if (a_nValue == -1)
        return a_strings.Load(11015);
    if (a_nValue == -2)
        return a_strings.Load(11016);
    return ValueWithUnit(a_nValue, a_nUnit, a_strings);
}

std::string FormatInputLevel(std::int32_t a_nValue, std::int32_t a_nUnit, const IStringTable& a_strings)
{
    if (a_nValue == -1)
        return a_strings.Load(11017);
    if (a_nValue == -2)
        return a_strings.Load(11018);
    if (a_nValue == -3)
        return a_strings.Load(11019);
    return ValueWithUnit(a_nValue, a_nUnit, a_strings);
}

std::string FormatOutputCapacity(std::int32_t a_nValue, std::int32_t a_nUnit, const IStringTable& a_strings)
{
    if (a_nValue == -1)
        return a_strings.Load(11020);
    if (a_nValue == -2)
        return a_strings.Load(11021);
    return ValueWithUnit(a_nValue, a_nUnit, a_strings);
}

std::string FormatOutputRemaining(std::int32_t a_nValue, std::int32_t a_nUnit, const IStringTable& a_strings)
{
    if (a_nValue == -1)
        return a_strings.Load(11022);
    if (a_nValue == -2)
        return a_strings.Load(11023);
    if (a_nValue == -3)
        return a_strings.Load(11024);
    return ValueWithUnit(a_nValue, a_nUnit, a_strings);
}

std::string FormatDecimal(std::int64_t a_n)
{
    return std::to_string(a_n);
}

std::string FormatPercent(std::int32_t a_nPart, std::int32_t a_nWhole)
{
    double dPercent = a_nWhole == 0 ? 0.0 : static_cast<double>(a_nPart) / a_nWhole * 100.0;
    char text[64];
    std::snprintf(text, sizeof text, "%.1f %%", dPercent);
    return text;
}

std::string FormatMemorySize(std::int64_t a_n, const IStringTable& a_strings)
{
    double dValue = static_cast<double>(a_n);
    unsigned nUnit = 12002;
    if (a_n > 1000000) {
        dValue /= 1000000.0;
        nUnit = 12000;
    } else if (a_n > 1000) {
        dValue /= 1000.0;
        nUnit = 12001;
    }
    char number[64];
    std::snprintf(number, sizeof number, "%.2f", dValue);
    return std::string(number) + " " + a_strings.Load(nUnit);
}

std::string FormatDotted(const std::vector<std::uint8_t>& a_abBytes)
{
    std::string text;
    for (std::uint8_t b : a_abBytes) {
        if (!text.empty())
            text += '.';
        text += std::to_string(b);
    }
    return text;
}

std::string FormatHexBytes(const std::vector<std::uint8_t>& a_abBytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < a_abBytes.size(); ++i) {
        if (i)
            text += '.';
        text += kDigits[a_abBytes[i] >> 4];
        text += kDigits[a_abBytes[i] & 0x0F];
    }
    return text;
}

std::string FormatUpTime(std::uint32_t a_dwTicks, const IStringTable& a_strings)
{
    const std::uint32_t dwMinutes = a_dwTicks / 100 / 60;
    return FormatTableText(a_strings.Load(kIdsUpTime),
                           {static_cast<long long>(dwMinutes / 60), static_cast<long long>(dwMinutes % 60)});
}

std::string FormatBroadcast(std::int32_t a_nBcast)
{
    const std::uint8_t bLast = static_cast<std::uint8_t>(static_cast<std::uint32_t>(a_nBcast) | 0xFEu);
    return FormatDotted({255, 255, 255, bLast});
}

std::int32_t SwitchToValue(bool a_bOn)
{
    return a_bOn ? 3 : 4;
}

bool ValueToSwitch(std::int32_t a_nValue)
{
    return a_nValue == 3;
}
