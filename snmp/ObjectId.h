// An SNMP object identifier: unsigned 32-bit sub-identifiers with a dotted
// text form. Empty means "no identifier".
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CObjectId {
public:
    CObjectId() = default;
    explicit CObjectId(std::string_view a_text) { Parse(a_text); }
    CObjectId(std::initializer_list<std::uint32_t> a_subIds) : m_adwSubIds(a_subIds) {}

    // Appends the sub-identifiers of a_text to the current content. Returns
    // true when the whole text was consumed; at the first token that is not
    // a decimal number fitting 32 bits it stops and returns false, keeping
    // what was appended until then.
    bool Parse(std::string_view a_text);

    void Append(std::uint32_t a_dwSubId) { m_adwSubIds.push_back(a_dwSubId); }
    void Clear() { m_adwSubIds.clear(); }
    std::size_t GetCount() const { return m_adwSubIds.size(); }
    bool IsEmpty() const { return m_adwSubIds.empty(); }
    std::uint32_t operator[](std::size_t a_nIndex) const { return m_adwSubIds[a_nIndex]; }
    std::uint32_t& operator[](std::size_t a_nIndex) { return m_adwSubIds[a_nIndex]; }
    const std::uint32_t* Data() const { return m_adwSubIds.data(); }

    // "1.3.6.1.2.1.1.1.0"; empty text for an empty identifier.
    std::string Format() const;

    // True when the first k sub-identifiers of this identifier and a_prefix
    // agree, k being a_n or this identifier's length if that is shorter.
    // False when a_prefix has more than a_n sub-identifiers, or fewer than
    // the k that would have to be compared.
    bool StartsWith(const CObjectId& a_prefix, std::size_t a_n) const;

    bool operator==(const CObjectId& a_other) const = default;
    // Lexicographic order of the sub-identifiers, the order of an agent's
    // MIB (a prefix comes before everything below it).
    std::strong_ordering operator<=>(const CObjectId& a_other) const
    {
        return m_adwSubIds <=> a_other.m_adwSubIds;
    }

private:
    std::vector<std::uint32_t> m_adwSubIds;
};
