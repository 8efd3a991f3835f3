// The Windows side of IStringTable: texts from the STRINGTABLE resources of
// one module (the program itself, normally), converted to UTF-8.
#pragma once

#include <windows.h>

#include "StringTable.h"

class CStringTableResource : public IStringTable {
public:
    // a_hModule: the module whose resources hold the table; it is not owned
    // and must stay loaded while the table is used.
    explicit CStringTableResource(HMODULE a_hModule) : m_hModule(a_hModule) {}

    std::string Load(unsigned a_nId) const override;

private:
    HMODULE m_hModule;
};

// UTF-16 to UTF-8; empty for empty input or a failed conversion.
std::string Utf8FromWide(const wchar_t* a_pwch, int a_nChars);
