// Tells the shared dialog code which accelerator table is Vigilo's.
#include <windows.h>

#include "DlgModaless.h"
#include "accelerators.h"

const UINT g_nIdAccelModaless = IDR_ACCEL_MODALESS;
