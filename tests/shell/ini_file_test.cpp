#include "shell/ini_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sstream>

#include "platform/test_seams.h"
#include "platform/text_cp932.h"
#include "base/report.h"
#include "tests/support/temp_folder.h"

namespace {

std::string Show(const INIVALUES& v) {
  std::ostringstream s;
  s << "D3D=" << v.nDirect3D << " Win=" << v.nWindowMode << " Bpp=" << v.nBpp << " VSync=" << v.nVSync
    << " D3DFC=" << v.nD3D_FontCache << " DDFC=" << v.nDD_FontCache << " Stretch=" << v.nDD_VideoStretch
    << " Fps=" << v.nShowFps << " Free=[" << v.szFreeStage << "]";
  return s.str();
}

INIVALUES Defaults(const std::function<void(INIVALUES&)>& change = nullptr) {
  INIVALUES v;
  SetIniDefaults(v, DefaultIniKeyTable());
  if (change) change(v);
  return v;
}

}  // namespace

TEST(IniFile, NewProjectDefaults) {
  EXPECT_EQ(Show(Defaults()), "D3D=2 Win=0 Bpp=0 VSync=2 D3DFC=0 DDFC=1 Stretch=0 Fps=1 Free=[]");
}

TEST(IniFile, FixturesGiveTheExpectedValues) {
  const std::string long259(259, 'a');
  const std::string long2047(2047, '7');
  struct CASE {
    const char* pszWhat;
    std::string text;
    BOOL bOk;
    INIVALUES expect;
  } cases[] = {
      {"every key, CRLF lines",
       "Direct3D=1\r\nWindowMode=1\r\nBpp=16\r\nVSync=0\r\nD3D_FontCache=3\r\nDD_FontCache=0\r\n"
       "DD_VideoStretch=1\r\nShowFps=2\r\nFreeStage=data\\stg4\\a.stg4\r\nExit\r\n",
       TRUE, Defaults([](INIVALUES& v) {
         v.nDirect3D = 1, v.nWindowMode = 1, v.nBpp = 16, v.nVSync = 0, v.nD3D_FontCache = 3;
         v.nDD_FontCache = 0, v.nDD_VideoStretch = 1, v.nShowFps = 2, v.szFreeStage = "data\\stg4\\a.stg4";
       })},
      {"blanks and tabs inside a key are dropped", " Win dow\tMode =1\nExit\n", TRUE,
       Defaults([](INIVALUES& v) { v.nWindowMode = 1; })},
      {"a blank after = ends the value at once", "Bpp= 16\nExit\n", TRUE, Defaults([](INIVALUES& v) { v.nBpp = 0; })},
      {"comments and lines without =",
       "; settings\n[Display]\nBpp=16 // sixteen bits\nVSync=1/2\n\nShowFps=0\t# off\nExit\n", TRUE,
       Defaults([](INIVALUES& v) { v.nBpp = 16, v.nVSync = 1, v.nShowFps = 0; })},
      {"the rest of a line after a blank is read as the next key", "Bpp=16 VSync=0\nExit\n", TRUE,
       Defaults([](INIVALUES& v) { v.nBpp = 16, v.nVSync = 0; })},
      {"Exit without a final newline", "ShowFps=0\nExit", TRUE, Defaults([](INIVALUES& v) { v.nShowFps = 0; })},
      {"Exit with blanks and CR", "ShowFps=0\r\n Exit \r", TRUE, Defaults([](INIVALUES& v) { v.nShowFps = 0; })},
      {"no Exit line", "ShowFps=0\n", FALSE, Defaults([](INIVALUES& v) { v.nShowFps = 0; })},
      {"value at the end of the file", "ShowFps=0", FALSE, Defaults([](INIVALUES& v) { v.nShowFps = 0; })},
      {"lines after Exit are not read", "Bpp=16\nExit\nBpp=32\n", TRUE, Defaults([](INIVALUES& v) { v.nBpp = 16; })},
      {"a NUL character ends the file", std::string("Bpp=16\n\0Bpp=32\n", 16), TRUE,
       Defaults([](INIVALUES& v) { v.nBpp = 16; })},
      {"a lower-case key is unknown", "direct3d=1\nDIRECT3D=0\nExit\n", TRUE, Defaults()},
      {"numbers as atoi reads them", "Bpp=16abc\nVSync=-1\nWindowMode=+3\nShowFps=x\nExit\n", TRUE,
       Defaults([](INIVALUES& v) { v.nBpp = 16, v.nVSync = -1, v.nWindowMode = 3, v.nShowFps = 0; })},
      {"an out-of-range number stops at the limit", "Bpp=99999999999999\nVSync=-99999999999999\nExit\n", TRUE,
       Defaults([](INIVALUES& v) { v.nBpp = 2147483647, v.nVSync = -2147483647 - 1; })},
      {"FreeStage of one character is ignored", "FreeStage=a\nExit\n", TRUE, Defaults()},
      {"FreeStage of 259 characters is taken", "FreeStage=" + long259 + "\nExit\n", TRUE,
       Defaults([&](INIVALUES& v) { v.szFreeStage = long259; })},
      {"FreeStage of 260 characters is ignored", "FreeStage=" + long259 + "b\r\nExit\n", TRUE, Defaults()},
      {"a value of 2047 characters is read", "Bpp=" + long2047 + "\nExit\n", TRUE,
       Defaults([](INIVALUES& v) { v.nBpp = 2147483647; })},
      {"a value of 2048 characters fails", "Bpp=" + long2047 + "7\nExit\n", FALSE, Defaults()},
      {"a key of 2048 characters fails", std::string(2048, 'k') + "=1\nExit\n", FALSE, Defaults()},
      {"a key of 2048 characters without = fails", std::string(2048, 'k') + "\nExit\n", FALSE, Defaults()},
      {"a CR in the middle of a value stays", "FreeStage=a\rb\nExit\n", TRUE,
       Defaults([](INIVALUES& v) { v.szFreeStage = "a\rb"; })},
  };
  for (const CASE& c : cases) {
    cTempFolder tmp;
    tmp.WriteFile("System.ini", c.text);
    INIVALUES v = Defaults();
    EXPECT_EQ(ReadIniFile("System.ini", v, DefaultIniKeyTable()), c.bOk) << c.pszWhat;
    EXPECT_EQ(Show(v), Show(c.expect)) << c.pszWhat;
  }
}

TEST(IniFile, PositionsNotNamesDecide) {
  cTempFolder tmp;
  INIKEYTABLE table = DefaultIniKeyTable();
  table[0] = {"D3D", 0, ""};
  table[7] = {"Fps", 2, ""};
  table[8] = {"FreeStage", 0, "data\\stg4\\start.stg4"};
  INIVALUES v;
  SetIniDefaults(v, table);
  EXPECT_EQ(v.nDirect3D, 0);
  EXPECT_EQ(v.nShowFps, 2);
  EXPECT_EQ(v.szFreeStage, "data\\stg4\\start.stg4");
  tmp.WriteFile("System.ini", "D3D=1\nDirect3D=0\nFps=0\nExit\n");
  EXPECT_TRUE(ReadIniFile("System.ini", v, table));
  EXPECT_EQ(v.nDirect3D, 1);
  EXPECT_EQ(v.nShowFps, 0);

  // A short table takes the missing defaults from a new project's table; a
  // string default longer than the field is cut without halving a character.
  INIKEYTABLE shortTable(table.begin(), table.begin() + 3);
  SetIniDefaults(v, shortTable);
  EXPECT_EQ(Show(v), Show(Defaults([](INIVALUES& x) { x.nDirect3D = 0; })));
  table[8].strDefault = std::string(258, 'a') + Sjis("表");
  SetIniDefaults(v, table);
  EXPECT_EQ(v.szFreeStage, std::string(258, 'a'));
}

TEST(IniFile, StartupReadingFallsBackToTheDefaults) {
  ::setenv("TARVOLIN4_HEADLESS", "1", 1);
  ::unsetenv("TARVOLIN4_ANSWERS");
  ResetScriptedAnswersForTests();
  struct CASE {
    const char* pszWhat;
    const char* pszText;  // null: no file
    bool bMessage;
    int nBpp;
  } cases[] = {
      {"missing file", nullptr, true, 0},
      {"values without Exit are all discarded", "Bpp=16\nVSync=0\n", true, 0},
      {"a good file", "Bpp=16\nExit\n", false, 16},
  };
  for (const CASE& c : cases) {
    cTempFolder tmp;
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    if (c.pszText) tmp.WriteFile("System.ini", c.pszText);
    INIVALUES v;
    testing::internal::CaptureStderr();
    LoadSystemIni(v, DefaultIniKeyTable());
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(v.nBpp, c.nBpp) << c.pszWhat;
    EXPECT_EQ(v.nVSync, 2) << c.pszWhat;
    const std::string message = "System.ini の読み込みに失敗しました！";
    EXPECT_EQ(tmp.ReadFile("Report_Game.txt").find(message) != std::string::npos, c.bMessage) << c.pszWhat;
    EXPECT_EQ(err.find(message) != std::string::npos, c.bMessage) << c.pszWhat;
  }
}

// A negative "Direct3D" would read as a cancelled start-up dialog and end
// the program without a word: it takes the table's default instead, and
// "ask" when that default is negative too. 0 and 1 stay choices.
TEST(IniFile, ANegativeDrawingPathTakesItsDefault) {
  struct CASE {
    const char* pszValue;
    int nTableDefault;
    int nExpected;
  } cases[] = {
      {"-1", 2, 2}, {"-7", 1, 1}, {"-1", -1, 2}, {"0", 2, 0}, {"1", 2, 1}, {"5", 2, 5},
  };
  for (const CASE& c : cases) {
    cTempFolder tmp;
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    tmp.WriteFile("System.ini", std::string("Direct3D=") + c.pszValue + "\nExit\n");
    INIKEYTABLE table = DefaultIniKeyTable();
    table[0].nDefault = c.nTableDefault;
    INIVALUES v;
    LoadSystemIni(v, table);
    EXPECT_EQ(v.nDirect3D, c.nExpected) << c.pszValue << " default " << c.nTableDefault;
  }
}
