#include "VigiloStrings.h"

#include <iterator>

namespace {

const SStringEntry kEntries[] = {
#define LUMET_STRING(id, text) {id, text},
#include "strings.inc"
#undef LUMET_STRING
};

} // namespace

const CStringTableStatic& VigiloStringTable()
{
    static const CStringTableStatic table(kEntries, std::size(kEntries));
    return table;
}
