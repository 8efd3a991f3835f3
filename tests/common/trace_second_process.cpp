// A second program instance for the trace tests: opens the main trace as a
// program does at start, writes one line and ends. Exit code 0 when the trace
// was on, 1 when it stayed off.
#include <windows.h>

#include "TraceFiles.h"

int main()
{
    if (!OpenMainTrace())
        return 1;
    Trace("second process %lu\n", GetCurrentProcessId());
    CloseMainTrace();
    return 0;
}
