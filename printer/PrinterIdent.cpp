#include "PrinterIdent.h"

#include <string>

#include "MibValue.h"

bool IsMakerPrinter(std::string_view a_description)
{
    return a_description.find("ORVAN") != std::string_view::npos;
}

bool IsExternalInterface(std::string_view a_description)
{
    return a_description.find("X ORVAN Ethernet") != std::string_view::npos;
}

bool IsMakerPrinter(const CMibValue& a_description)
{
    std::string text;
    return a_description.GetText(text) && IsMakerPrinter(text);
}

bool IsExternalInterface(const CMibValue& a_description)
{
    std::string text;
    return a_description.GetText(text) && IsExternalInterface(text);
}

const char* SymbolType(std::int32_t a_nMarkTech)
{
    const std::uint32_t dw = static_cast<std::uint32_t>(a_nMarkTech);
    if (dw >= 6 && dw <= 11)
        return kSymbolTypeSidm;  // impact technologies
    if (dw >= 12 && dw <= 14)
        return kSymbolTypeInk;  // inkjet technologies
    return kSymbolTypePage;
}
