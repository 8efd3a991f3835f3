// The portable code's string table (IStringTable) answered from the
// program's STRINGTABLE resources, in UTF-8.
#pragma once

#include <windows.h>

#include <string>

#include "StringTable.h"

namespace winui {

class ResourceStringTable : public IStringTable {
public:
    std::string Load(unsigned a_nId) const override;
};

// UTF-16 to UTF-8; empty for empty input or a failed conversion.
std::string Utf8FromWide(const std::wstring& a_str);

} // namespace winui
