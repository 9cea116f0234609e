// The machine's description in "Report_Game.txt": the system lines the
// entry writes after the version line, and the display lines start-up
// writes once the graphics run.
#pragma once

#include "platform/win_types.h"

// 0 when the report cannot be written, else 1.
BOOL WriteSystemReport();
BOOL WriteDisplayReport(BOOL bDetail);

// Every system this program runs on is newer than the Windows versions the
// game tells apart (start-up asks for 6.0), so this is true.
BOOL IsOSAtLeast(int nMajor, int nMinor);

// Bytes to megabytes as the report writes them.
double BytesToMB(unsigned long long qwBytes);
// The free disk space as the report gives it: the bytes, at most
// 2147483647 (what fits in 31 bits; the line then reads 2048MB).
unsigned long long ReportedDiskFree(unsigned long long qwBytes);
