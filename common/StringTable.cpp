#include "StringTable.h"

#include <algorithm>

CStringTableStatic::CStringTableStatic(const SStringEntry* a_pEntries, std::size_t a_nCount)
    : m_aEntries(a_pEntries, a_pEntries + a_nCount)
{
    std::stable_sort(m_aEntries.begin(), m_aEntries.end(),
                     [](const SStringEntry& a, const SStringEntry& b) { return a.nId < b.nId; });
}

const SStringEntry* CStringTableStatic::Find(unsigned a_nId) const
{
    auto it = std::lower_bound(m_aEntries.begin(), m_aEntries.end(), a_nId,
                               [](const SStringEntry& e, unsigned id) { return e.nId < id; });
    if (it == m_aEntries.end() || it->nId != a_nId)
        return nullptr;
    return &*it;
}

std::string CStringTableStatic::Load(unsigned a_nId) const
{
    const SStringEntry* p = Find(a_nId);
    return p && p->pszText ? std::string(p->pszText) : std::string();
}

bool CStringTableStatic::Has(unsigned a_nId) const
{
    return Find(a_nId) != nullptr;
}

std::vector<unsigned> CStringTableStatic::DuplicateIds() const
{
    std::vector<unsigned> ids;
    for (std::size_t i = 1; i < m_aEntries.size(); ++i)
        if (m_aEntries[i].nId == m_aEntries[i - 1].nId && (ids.empty() || ids.back() != m_aEntries[i].nId))
            ids.push_back(m_aEntries[i].nId);
    return ids;
}

std::string FormatTableText(std::string_view a_pattern, std::initializer_list<CTextArg> a_args)
{
    std::string text;
    text.reserve(a_pattern.size() + 16);
    auto next = a_args.begin();
    for (std::size_t i = 0; i < a_pattern.size(); ++i) {
        char c = a_pattern[i];
        if (c != '%' || i + 1 == a_pattern.size()) {
            text += c;
            continue;
        }
        char conv = a_pattern[i + 1];
        if (conv == '%') {
            text += '%';
            ++i;
            continue;
        }
        if (conv != 'd' && conv != 'u' && conv != 's') {
            text += c;
            continue;
        }
        ++i;
        if (next == a_args.end())
            continue;
        const CTextArg& arg = *next++;
        if (conv == 's') {
            if (!arg.IsNumber())
                text += arg.Text();
        } else if (arg.IsNumber()) {
            long long n = arg.Number();
            // %u shows the number as printf would show its 32-bit pattern.
            text += conv == 'u' ? std::to_string(static_cast<unsigned>(n)) : std::to_string(n);
        }
    }
    return text;
}
