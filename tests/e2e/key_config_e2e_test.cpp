// The real program, headless, with a key configuration in the user data:
// the keys it names drive the menus, even from a file that counts more
// entries in use than its table holds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/e2e/e2e_runner.h"
#include "tests/support/byte_fixture.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

// The 108 bytes of a key configuration in use: every entry the keyboard,
// down on J and button 1 on Q, with the entry count given.
std::string KeyConfigFile(uint32_t nEntries) {
  const uint16_t awKey[12] = {37, 39, 38, 'J', 'Q', 'X', 'C', 'V', 'A', 'S', 'D', 'F'};
  std::string s;
  for (uint16_t w : awKey) s += Words({8}) + std::string{static_cast<char>(w & 0xFF), static_cast<char>(w >> 8), 0, 0};
  return s + Words({nEntries, 1, 1});
}

}  // namespace

// 13 entries in use: the report says so and the table's 12 stay in force,
// so J moves the title's cursor five rows down to the options and Q opens
// them.
TEST(KeyConfigE2e, AnEntryCountPastTheTableKeepsTheTable) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  builder.m_System.m_bTitleMenuCentred = 0;
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  const std::string config = KeyConfigFile(13);
  ASSERT_EQ(config.size(), 108u);
  folder.WriteFile("user_data/KeyConfig.dat", config);
  folder.WriteFile("keys.txt",
                   "30 J down\n31 J up\n33 J down\n34 J up\n36 J down\n37 J up\n39 J down\n40 J up\n"
                   "42 J down\n43 J up\n45 Q down\n46 Q up\n");
  const std::string err = RunToExit(folder.Path(), {{"TARVOLIN4_ANSWERS", "d3d"},
                                                     {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                                                     {"TARVOLIN4_EXIT_AFTER", "90"}});
  EXPECT_NE(err.find("[mode 5]"), std::string::npos) << err;
  const std::string report = folder.ReadFile("Report_Game.txt");
  EXPECT_NE(report.find("KeyConfig.dat"), std::string::npos) << report;
}
