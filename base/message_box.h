// The game side's message boxes and the small Shift-JIS text helpers.
// Every text here is CP932.
#pragma once

#include <string>
#include <string_view>

#include "platform/win_types.h"
#include "base/report.h"

// Modal; the main window (when there is one) owns the box.
int AppMessageBox(std::string_view text, std::string_view caption, UINT type);
// AppMessageBox(text, "エラー", MB_OK).
int ErrorBox(std::string_view text);
int ErrorBoxf(const char* pszFormat, ...) T4_PRINTF(1, 2);
// Shows nothing unless the trace log is on (never in a normal run).
int ErrorBoxfIfLogging(const char* pszFormat, ...) T4_PRINTF(1, 2);
// "メモリが不足しています！", then WM_CLOSE to the main window.
void ReportOutOfMemory();

// True when p[0] is a Shift-JIS lead byte and p[1] a trail byte.
BOOL IsDbcsPair(const char* p);
// Characters of a text: a lead-trail pair counts one, a line feed none, any
// other byte one (a lone lead byte at the end too).
int CountMbcsChars(std::string_view text);
