#include "StringsFixture.h"

#include <iterator>

namespace {

const SStringEntry kEntries[] = {
#define LUMET_STRING(id, text) {id, text},
#include "strings_fixture.inc"
#undef LUMET_STRING
};

} // namespace

const CStringTableStatic& FixtureStringTable()
{
    static const CStringTableStatic table(kEntries, std::size(kEntries));
    return table;
}
