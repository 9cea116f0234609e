// The process's entry: the command line joined as the original received it,
// in CP932, and a normal show command.
#include <cstdio>
#include <string>

#include "platform/pacing_clock.h"
#include "platform/text_cp932.h"
#include "platform/win_types.h"
#include "shell/entry.h"

int main(int argc, char** argv) {
  std::string args;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) args += ' ';
    args += argv[i];
  }
  bool bOk = true;
  std::string cmdLine = Utf8ToCp932(args, &bOk);
  if (!bOk) {
    std::fprintf(stderr, "the command line has characters that Shift-JIS cannot hold; it is ignored\n");
    cmdLine.clear();
  }
  InitPacingClock();
  return WinMain(cmdLine.c_str(), SW_SHOWNORMAL);
}
