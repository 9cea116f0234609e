// make_demo DIR: writes the demo project into DIR (made when missing), so
// that ./play.sh has a game to start without one of its own.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tests/support/project_builder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
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
  if (!builder.Build()) {
    std::fprintf(stderr, "make_demo: the demo project could not be written into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
