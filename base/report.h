// The report file "Report_Game.txt" and the trace log "EC_Game.txt". Each line
// opens the file, appends and closes it again, so the file is whole up to its
// last line however the program ends. Texts are CP932 and are written as
// UTF-8 for people reading them here. The trace log is off in normal runs.
#pragma once

#include <cstdarg>
#include <string>

#include "platform/win_types.h"

#define T4_PRINTF(f, a) __attribute__((format(printf, f, a)))

// Threads: set by SetLogFile on the window thread before any other thread
// starts; read by every thread after (thread creation orders the two).
extern BOOL g_bLogEnable;

// Stores the switch and the log file's name; gives the stored name.
const char* SetLogFile(BOOL bEnable, const char* pszFileName);
void LogLine(const char* pszText);
void LogString(const char* pszText);
void Logf(const char* pszFormat, ...) T4_PRINTF(1, 2);
// Logf, then WM_CLOSE to the window, whether the log is on or not.
BOOL LogfAndClose(HWND hWnd, const char* pszFormat, ...) T4_PRINTF(2, 3);

// Creates or empties the report at the given path (CP932, resolved like every
// game path); 1 on success, 0 when it cannot be made.
BOOL OpenReport(const std::string& path);
BOOL Reportf(const char* pszFormat, ...) T4_PRINTF(1, 2);
BOOL ReportAndLogf(const char* pszFormat, ...) T4_PRINTF(1, 2);
// As ReportAndLogf; the same text is then shown in an error box, after the
// line is on disk.
BOOL ReportLogAndErrorBoxf(const char* pszFormat, ...) T4_PRINTF(1, 2);
// Writes the text as one line as it stands (nothing in it is a format).
BOOL ReportLine(const std::string& text);

void FormatString(std::string& out, const char* pszFormat, ...) T4_PRINTF(2, 3);
std::string VFormat(const char* pszFormat, va_list args);

// Tests only: the report's full native path ("" before OpenReport).
std::string ReportFilePathForTests();
