// The process's entry: the command line joined as the original received it,
// in CP932, and a normal show command.
#include <cstdio>
#include <string>

#include "platform/pacing_clock.h"
#include "platform/text_cp932.h"
#include "platform/win_types.h"
#include "shell/entry.h"

namespace {

// The line as CP932 with '?' for every character (or stray byte) that
// CP932 cannot hold, so that the report can name what was ignored.
std::string LossyCp932(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    if (i + n > utf8.size()) n = 1;
    bool bOk = false;
    std::string one = Utf8ToCp932(std::string_view(utf8).substr(i, n), &bOk);
    out += bOk ? one : std::string("?");
    i += n;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  std::string args;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) args += ' ';
    args += argv[i];
  }
  bool bOk = true;
  std::string cmdLine = Utf8ToCp932(args, &bOk);
  if (!bOk) {
    // Ignored whole (a stage path with a lost character names another
    // file); WinMain writes the report line once the report is started.
    g_strUnconvertedCmdLine = LossyCp932(args);
    if (g_strUnconvertedCmdLine.empty()) g_strUnconvertedCmdLine = "?";
    cmdLine.clear();
  }
  InitPacingClock();
  return WinMain(cmdLine.c_str(), SW_SHOWNORMAL);
}
