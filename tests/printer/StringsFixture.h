#pragma once

#include "StringTable.h"

// The fixture texts compiled into the code.
const CStringTableStatic& FixtureStringTable();
