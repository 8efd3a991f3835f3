// The Windows side of the two traces: the registry switches "Main_Trace" and
// "Mib_Trace" (on only when 1), the files "MainTrace%d.log" and
// "MibTrace%d.log" in the install folder, and the error box when no file can
// be had. The writing itself is the portable CTraceLog (Trace.h).
//
// A file is opened without truncation and shared for reading only: a
// second program instance, or anybody else writing the same name, moves on
// to the next number (1 to 10) instead of mixing lines into this one.
#pragma once

#include <windows.h>

#include "Trace.h"

// Called once at program start, main trace first. FALSE when the trace stays
// off (switch not 1, no product key, no file, or a file error, which is
// reported in a message box).
BOOL OpenMainTrace();
BOOL OpenMibTrace();
// Called at program end, request trace first; nothing when the trace is off.
void CloseMainTrace();
void CloseMibTrace();

// The caption and text of the box shown when a trace file cannot be opened.
inline constexpr wchar_t kTraceErrorCaption[] = L"Lumet for OpenView Information";
inline constexpr wchar_t kTraceErrorFormat[] = L"ERROR in initTrace(), CFileException::m_cause = %d";
// The trace file numbers tried in turn.
inline constexpr int kTraceFileCount = 10;
