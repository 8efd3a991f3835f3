// Vigilo's string table compiled into the code, from the same list as its
// STRINGTABLE resource (strings.inc). The native build reads texts from it;
// the Windows program reads its resources, and a test under Wine checks
// that both agree.
#pragma once

#include "StringTable.h"

const CStringTableStatic& VigiloStringTable();
