// "System.ini": the player's machine-dependent settings, read into g_Ini by
// the positions of the project's key table (its defaults come from there).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win_types.h"

// One key of the key table that the project's system record carries.
struct INIKEY {
  std::string strName;     // CP932
  int32_t nDefault = 0;    // positions 0..7
  std::string strDefault;  // position 8
};
typedef std::vector<INIKEY> INIKEYTABLE;

struct INIVALUES {
  int32_t nDirect3D = 0;
  int32_t nWindowMode = 0;
  int32_t nBpp = 0;
  int32_t nVSync = 0;
  int32_t nD3D_FontCache = 0;
  int32_t nDD_FontCache = 0;
  int32_t nDD_VideoStretch = 0;
  int32_t nShowFps = 0;
  std::string szFreeStage;  // at most kFreeStageMax bytes (the original's char[260])
};

extern INIVALUES g_Ini;

// The key table of a new project, in table order.
const INIKEYTABLE& DefaultIniKeyTable();

void SetIniDefaults(INIVALUES& values, const INIKEYTABLE& table);
// TRUE when the file was read up to its "Exit" line (or a NUL character).
// Values read before a failure stay in `values`; the caller restores the
// defaults.
BOOL ReadIniFile(const std::string& path, INIVALUES& values, const INIKEYTABLE& table);
// Start-up's reading: defaults, then "System.ini"; a failed read gives
// "System.ini の読み込みに失敗しました！" and the defaults again. A negative
// "Direct3D" takes its default.
void LoadSystemIni(INIVALUES& values, const INIKEYTABLE& table);

// ---- Limits ----------------------------------------------------------------

constexpr int kIniPositionFreeStage = 8;
constexpr size_t kFreeStageMax = 259;
constexpr size_t kIniTextMax = 2047;
constexpr int kIniLineMax = 10000;
