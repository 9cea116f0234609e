#include "base/report.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "base/message_box.h"

BOOL g_bLogEnable = 0;

namespace {

// One lock for every writer of both files: lines from several threads never
// interleave inside a file.
std::recursive_mutex s_Lock;
std::string s_LogFile;
bool s_bLogWritten = false;
std::string s_ReportFile;  // native path

bool AppendLine(const std::string& nativePath, const std::string& cp932Text, const char* mode) {
  if (nativePath.empty()) return false;
  FILE* f = OpenNativeFile(nativePath, mode);
  if (!f) return false;
  std::fseek(f, 0, SEEK_END);
  std::string utf8 = Cp932ToUtf8(cp932Text);
  utf8 += '\n';
  bool ok = std::fwrite(utf8.data(), 1, utf8.size(), f) == utf8.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

void LogLocked(const std::string& text) {
  if (!g_bLogEnable) return;
  std::string path = ResolvePath(s_LogFile);
  if (!s_bLogWritten) {
    // The first line of a run empties the log.
    s_bLogWritten = true;
    AppendLine(path, text, "w");
  } else {
    AppendLine(path, text, "r+");
  }
}

}  // namespace

std::string VFormat(const char* fmt, va_list args) {
  va_list copy;
  va_copy(copy, args);
  char small[1024];
  int n = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) return std::string();
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, n);
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(big.data(), big.size(), fmt, args);
  big.resize(n);
  return big;
}

const char* SetLogFile(BOOL bEnable, const char* name) {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  g_bLogEnable = bEnable;
  s_LogFile = name ? name : "";
  s_bLogWritten = false;
  return s_LogFile.c_str();
}

void LogLine(const char* text) {
  if (!g_bLogEnable) return;
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  LogLocked(text ? text : "");
}

void LogString(const char* text) { LogLine(text); }

void Logf(const char* fmt, ...) {
  if (!g_bLogEnable) return;
  va_list ap;
  va_start(ap, fmt);
  std::string s = VFormat(fmt, ap);
  va_end(ap);
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  LogLocked(s);
}

BOOL LogfAndClose(HWND hWnd, const char* fmt, ...) {
  if (g_bLogEnable) {
    va_list ap;
    va_start(ap, fmt);
    std::string s = VFormat(fmt, ap);
    va_end(ap);
    std::lock_guard<std::recursive_mutex> lk(s_Lock);
    LogLocked(s);
  }
  return PostMessage(hWnd, WM_CLOSE, 0, 0);
}

BOOL OpenReport(const std::string& path) {
  std::string native = ResolvePath(path);
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  FILE* f = OpenNativeFile(native, "w");
  if (!f) return 0;
  std::fclose(f);
  s_ReportFile = native;
  return 1;
}

BOOL ReportLine(const std::string& text) {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  return AppendLine(s_ReportFile, text, "r+") ? 1 : 0;
}

BOOL Reportf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string s = VFormat(fmt, ap);
  va_end(ap);
  return ReportLine(s);
}

BOOL ReportAndLogf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string s = VFormat(fmt, ap);
  va_end(ap);
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  if (!AppendLine(s_ReportFile, s, "r+")) return 0;
  LogLocked(s);
  return 1;
}

BOOL ReportLogAndErrorBoxf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string s = VFormat(fmt, ap);
  va_end(ap);
  bool bWritten;
  {
    std::lock_guard<std::recursive_mutex> lk(s_Lock);
    bWritten = AppendLine(s_ReportFile, s, "r+");
    if (bWritten) LogLocked(s);
  }
  // The line is on disk and the files are closed before the box waits for
  // the player, so other threads' lines are not held up or lost meanwhile.
  // A report that cannot be written (a read-only game folder) must not hide
  // the error from the player as well.
  ErrorBox(s);
  return bWritten ? 1 : 0;
}

void FormatString(std::string& out, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  out = VFormat(fmt, ap);
  va_end(ap);
}

std::string ReportFilePathForTests() {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  return s_ReportFile;
}
