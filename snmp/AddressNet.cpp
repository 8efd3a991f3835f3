#include "AddressNet.h"

#include <cstdio>

namespace {

constexpr std::string_view kIpSeparators = ". \t\r\n";
constexpr std::string_view kIpxSeparators = ":.- \t\r\n";

bool IsDecimalDigits(std::string_view a_token)
{
    if (a_token.empty())
        return false;
    for (char c : a_token)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::uint8_t HexDigitValue(char a_c)
{
    if (a_c >= '0' && a_c <= '9')
        return static_cast<std::uint8_t>(a_c - '0');
    if (a_c >= 'a' && a_c <= 'f')
        return static_cast<std::uint8_t>(a_c - 'a' + 10);
    if (a_c >= 'A' && a_c <= 'F')
        return static_cast<std::uint8_t>(a_c - 'A' + 10);
    return CAddressIpx::kBadDigit;
}

void AppendHexDigits(std::string& a_out, const std::vector<std::uint8_t>& a_digits)
{
    static const char kHex[] = "0123456789ABCDEF";
    for (std::uint8_t d : a_digits)
        a_out += kHex[d & 0x0F];
}

} // namespace

std::vector<std::string_view> SplitTokens(std::string_view a_text,
                                          std::string_view a_separators)
{
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    while (pos < a_text.size()) {
        pos = a_text.find_first_not_of(a_separators, pos);
        if (pos == std::string_view::npos)
            break;
        std::size_t end = a_text.find_first_of(a_separators, pos);
        if (end == std::string_view::npos)
            end = a_text.size();
        tokens.push_back(a_text.substr(pos, end - pos));
        pos = end;
    }
    return tokens;
}

std::string CAddressIp::Format() const
{
    if (!IsValid())
        return {};
    std::string text;
    for (std::size_t i = 0; i < m_abComponents.size(); ++i) {
        char part[8];
        std::snprintf(part, sizeof part, i ? ".%d" : "%d", m_abComponents[i]);
        text += part;
    }
    return text;
}

bool CAddressIp::Parse(std::string_view a_text)
{
    Clear();
    for (std::string_view token : SplitTokens(a_text, kIpSeparators)) {
        // Leading zeros are allowed ("010"), but the value must stay <= 255;
        // a long run of digits is rejected before it could overflow.
        if (!IsDecimalDigits(token)) {
            Clear();
            break;
        }
        unsigned value = 0;
        bool bInRange = true;
        for (char c : token) {
            value = value * 10 + static_cast<unsigned>(c - '0');
            if (value > 255) {
                bInRange = false;
                break;
            }
        }
        if (!bInRange) {
            Clear();
            break;
        }
        m_abComponents.push_back(static_cast<std::uint8_t>(value));
    }
    return IsValid();
}

void CAddressIpx::Clear()
{
    m_abNode.clear();
    m_abNetwork.clear();
}

std::string CAddressIpx::Format() const
{
    if (!IsValid())
        return {};
    std::string text;
    AppendHexDigits(text, m_abNetwork);
    text += ':';
    AppendHexDigits(text, m_abNode);
    return text;
}

bool CAddressIpx::Parse(std::string_view a_text)
{
    Clear();
    std::vector<std::string_view> tokens = SplitTokens(a_text, kIpxSeparators);
    if (tokens.size() == 2) {
        for (char c : tokens[0])
            m_abNetwork.push_back(HexDigitValue(c));
        for (char c : tokens[1])
            m_abNode.push_back(HexDigitValue(c));
    }
    return IsValid();
}

bool CAddressIpx::IsValid() const
{
    if (m_abNetwork.empty() || m_abNetwork.size() > 8 || m_abNode.size() != 12)
        return false;
    for (std::uint8_t d : m_abNetwork)
        if (d >= 16)
            return false;
    for (std::uint8_t d : m_abNode)
        if (d >= 16)
            return false;
    return true;
}
