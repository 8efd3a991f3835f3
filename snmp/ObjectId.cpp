#include "ObjectId.h"

#include <algorithm>
#include <cstdio>

#include "AddressNet.h"

bool CObjectId::Parse(std::string_view a_text)
{
    for (std::string_view token : SplitTokens(a_text, ". \t\r\n")) {
        std::uint64_t value = 0;
        for (char c : token) {
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + static_cast<unsigned>(c - '0');
            // A sub-identifier is 32 bits; a longer number is not silently
            // truncated into a different identifier.
            if (value > 0xFFFFFFFFull)
                return false;
        }
        m_adwSubIds.push_back(static_cast<std::uint32_t>(value));
    }
    return true;
}

std::string CObjectId::Format() const
{
    std::string text;
    text.reserve(m_adwSubIds.size() * 4);
    char part[16];
    for (std::uint32_t dw : m_adwSubIds) {
        std::snprintf(part, sizeof part, "%u.", static_cast<unsigned>(dw));
        text += part;
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

bool CObjectId::StartsWith(const CObjectId& a_prefix, std::size_t a_n) const
{
    if (a_prefix.GetCount() > a_n)
        return false;
    std::size_t k = std::min(a_n, GetCount());
    if (k > a_prefix.GetCount())
        return false;
    return std::equal(m_adwSubIds.begin(), m_adwSubIds.begin() + static_cast<std::ptrdiff_t>(k),
                      a_prefix.m_adwSubIds.begin());
}
