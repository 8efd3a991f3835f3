#include "MapwickStrings.h"

#include <iterator>

namespace {

const SStringEntry kEntries[] = {
#define LUMET_STRING(id, text) {id, text},
#include "strings.inc"
#undef LUMET_STRING
};

} // namespace

const CStringTableStatic& MapwickStringTable()
{
    static const CStringTableStatic table(kEntries, std::size(kEntries));
    return table;
}
