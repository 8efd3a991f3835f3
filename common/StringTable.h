// User-visible texts come from the program's string table by number. The
// portable code asks an IStringTable; the Windows programs answer from their
// own resources (winui::ResourceStringTable), the native tests from the same
// table compiled into the code (CStringTableStatic). Both are fed by one
// list per program (status/strings.inc, plugin/strings.inc), so a text
// cannot differ between the two builds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class IStringTable {
public:
    virtual ~IStringTable() = default;
    // The text of string a_nId in UTF-8; empty when the table has no such id.
    virtual std::string Load(unsigned a_nId) const = 0;
};

struct SStringEntry {
    unsigned nId;
    const char* pszText;
};

// A table compiled into the program from an X-macro list of
// LUMET_STRING(id, "text") lines.
class CStringTableStatic : public IStringTable {
public:
    // The entries are copied and sorted by id; the texts are not copied and
    // must live as long as the table (string literals do).
    CStringTableStatic(const SStringEntry* a_pEntries, std::size_t a_nCount);

    std::string Load(unsigned a_nId) const override;
    bool Has(unsigned a_nId) const;
    // The entries in ascending id order.
    const std::vector<SStringEntry>& Entries() const { return m_aEntries; }
    // Ids that occur more than once in the list (a mistake in the list; the
    // resource compiler rejects them too).
    std::vector<unsigned> DuplicateIds() const;

private:
    const SStringEntry* Find(unsigned a_nId) const;

    std::vector<SStringEntry> m_aEntries;
};

// One argument of FormatTableText: a number or a text.
class CTextArg {
public:
    CTextArg(int a_n) : m_bNumber(true), m_n(a_n) {}
    CTextArg(long a_n) : m_bNumber(true), m_n(a_n) {}
    CTextArg(long long a_n) : m_bNumber(true), m_n(a_n) {}
    CTextArg(unsigned a_n) : m_bNumber(true), m_n(a_n) {}
    CTextArg(const char* a_psz) : m_str(a_psz ? a_psz : "") {}
    CTextArg(std::string_view a_str) : m_str(a_str) {}
    CTextArg(const std::string& a_str) : m_str(a_str) {}

    bool IsNumber() const { return m_bNumber; }
    long long Number() const { return m_n; }
    std::string_view Text() const { return m_str; }

private:
    bool m_bNumber = false;
    long long m_n = 0;
    std::string_view m_str;
};

// Fills a table text that is a printf pattern ("%d hours %d minutes").
// Table texts are data, so they are not handed to printf: only %d, %u, %s
// and %% are understood, a conversion whose argument is missing or of the
// other kind writes nothing, and any other '%' sequence is copied as it is.
std::string FormatTableText(std::string_view a_pattern, std::initializer_list<CTextArg> a_args);
