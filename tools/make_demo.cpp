// make_demo DIR: writes the demo project into DIR (made when missing), so
// that ./play.sh has a game to start without one of its own.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "tests/support/demo_game.h"
#include "tests/support/project_builder.h"

int main(int argc, char** argv) {
  // A word that looks like an option ("--help") is not taken as a folder.
  if (argc != 2 || argv[1][0] == '-' || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: make_demo DIR\n");
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(argv[1], ec);
  if (ec) {
    std::fprintf(stderr, "make_demo: cannot make %s: %s\n", argv[1], ec.message().c_str());
    return 1;
  }
  cProjectBuilder builder(argv[1]);
  if (!BuildDemoProject(builder)) {
    std::fprintf(stderr, "make_demo: the demo project could not be written into %s\n", argv[1]);
    return 1;
  }
  // The machine settings a game ships with: a window at the desktop's
  // depth, the drawing path asked for at start.
  std::ofstream ini(std::filesystem::path(argv[1]) / "System.ini", std::ios::binary | std::ios::trunc);
  ini << "Direct3D=2\r\nWindowMode=1\r\nBpp=0\r\nVSync=2\r\nD3D_FontCache=0\r\nDD_FontCache=1\r\n"
         "DD_VideoStretch=0\r\nShowFps=1\r\nFreeStage=\r\nExit\r\n";
  if (!ini) {
    std::fprintf(stderr, "make_demo: System.ini could not be written into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
