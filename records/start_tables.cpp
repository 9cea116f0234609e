#include "records/start_tables.h"

#include <cmath>

#include "platform/text_cp932.h"
#include "records/command_catalogue.h"

namespace {

const char* const s_aszPath[PATH_TABLE_COUNT] = {
    "data\\",  // 0
    "default\\",  // 1
    "data\\stg4\\old_ver\\",  // 2
    "data\\work\\",  // 3
    "e_data\\EditConfig.dat",  // 4
    "data\\PrjOption.dat",  // 5
    "default\\PrjOption.dat",  // 6
    "data\\CommonPalette.cplt4",  // 7
    "default\\CommonPalette.cplt4",  // 8
    "data\\GValInfo.dat",  // 9
    "default\\GValInfo.dat",  // 10
    "data\\stg4\\Default.stg4_***",  // 11
    "default\\stg4\\Default.stg4_***",  // 12
    "data\\WorldMap.dat",  // 13
    "default\\WorldMap.dat",  // 14
    "data\\database\\AnimeSet.dat",  // 15
    "default\\database\\AnimeSet.dat",  // 16
    "data\\database\\Anime.dat",  // 17
    "default\\database\\Anime.dat",  // 18
    "data\\database\\Bmp_CharaExc.dat",  // 19
    "default\\database\\Bmp_CharaExc.dat",  // 20
    "data\\database\\SwordType.dat",  // 21
    "default\\database\\SwordType.dat",  // 22
    "data\\database\\Effect.dat",  // 23
    "default\\database\\Effect.dat",  // 24
    "data\\database\\CharaEffect.dat",  // 25
    "default\\database\\CharaEffect.dat",  // 26
    "data\\database\\ScrEffect.dat",  // 27
    "default\\database\\ScrEffect.dat",  // 28
    "data\\database\\Picture.dat",  // 29
    "default\\database\\Picture.dat",  // 30
    "data\\database\\Sound.dat",  // 31
    "default\\database\\Sound.dat",  // 32
    "data\\database\\Bgm.dat",  // 33
    "default\\database\\Bgm.dat",  // 34
    "data\\System.dat",  // 35
    "default\\System.dat",  // 36
    "data\\stg4\\c",  // 37
    "user_data\\story\\",  // 38
    "user_data\\challenge\\",  // 39
    "user_data\\free\\",  // 40
    "user_data\\story\\Story",  // 41
    "user_data\\challenge\\Challenge.dat",  // 42
    "user_data\\Option.dat",  // 43
    "user_data\\",  // 44
    "user_data\\KeyConfig.dat",  // 45
    "user_data\\Boot.dat",  // 46
};

const char* const s_aszExtension[EXTENSION_COUNT] = {"cplt4", "stg4", "plt4", "rkg"};

const char* const s_aszConditionSense[] = {"なら", "でないなら"};
const char* const s_aszColorName[] = {"なし", "白", "黒", "赤", "緑", "青", "黄", "赤紫", "青紫", "4色"};

// File name (UTF-8 here), then the ten values in their order.
struct BITMAPSRC {
  const char* pszFile;
  int32_t an[10];
};

const BITMAPSRC s_aSystemBitmap[SYSTEM_BITMAP_COUNT] = {
    {"bmp\\plt\\Palette.bmp", {0, 1, 0, 0, 0, 0, 0, 0, 0, 0}},  // 0
    {"bmp\\Debug.bmp", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 1
    {"bmp\\Block.bmp", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 2
    {"bmp\\Block.bmp", {1, 1, 0, 1, 0, 0, 0, 0, 0, 0}},  // 3
    {"bmp\\Character1.bmp", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 4
    {"bmp\\Character1.bmp", {1, 0, 0, 1, 0, 0, 32, 0, 0, 0}},  // 5
    {"bmp\\Character2.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 6
    {"bmp\\Character2.bmp", {1, 0, 0, 1, 0, 1, 32, 0, 0, 0}},  // 7
    {"bmp\\Character3.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 8
    {"bmp\\Character3.bmp", {1, 0, 0, 1, 0, 1, 32, 0, 0, 0}},  // 9
    {"bmp\\Character4.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 10
    {"bmp\\Character4.bmp", {1, 0, 0, 1, 0, 1, 32, 0, 0, 0}},  // 11
    {"bmp\\Character5.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 12
    {"bmp\\Character5.bmp", {1, 0, 0, 1, 0, 1, 32, 0, 0, 0}},  // 13
    {"bmp\\Character6.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 14
    {"bmp\\Character6.bmp", {1, 0, 0, 1, 0, 1, 32, 0, 0, 0}},  // 15
    {"bmp\\Character7.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 16
    {"bmp\\Character7.bmp", {1, 0, 0, 1, 0, 1, 32, 0, 0, 0}},  // 17
    {"bmp\\Character8.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 18
    {"bmp\\Character8.bmp", {1, 0, 0, 1, 0, 1, 32, 0, 0, 0}},  // 19
    {"bmp\\Shot.bmp", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 20
    {"bmp\\Shot.bmp", {1, 0, 0, 1, 0, 0, 16, 0, 0, 0}},  // 21
    {"bmp\\Character1.bmp", {1, 1, 0, 1, 0, 0, 0, 0, 0, 0}},  // 22
    {"bmp\\Character1.bmp", {1, 1, 0, 1, 0, 0, 32, 0, 0, 0}},  // 23
    {"bmp\\Character2.bmp", {1, 1, 0, 1, 0, 1, 0, 0, 0, 0}},  // 24
    {"bmp\\Character2.bmp", {1, 1, 0, 1, 0, 1, 32, 0, 0, 0}},  // 25
    {"bmp\\Character3.bmp", {1, 1, 0, 1, 0, 1, 0, 0, 0, 0}},  // 26
    {"bmp\\Character3.bmp", {1, 1, 0, 1, 0, 1, 32, 0, 0, 0}},  // 27
    {"bmp\\Character4.bmp", {1, 1, 0, 1, 0, 1, 0, 0, 0, 0}},  // 28
    {"bmp\\Character4.bmp", {1, 1, 0, 1, 0, 1, 32, 0, 0, 0}},  // 29
    {"bmp\\Character5.bmp", {1, 1, 0, 1, 0, 1, 0, 0, 0, 0}},  // 30
    {"bmp\\Character5.bmp", {1, 1, 0, 1, 0, 1, 32, 0, 0, 0}},  // 31
    {"bmp\\Character6.bmp", {1, 1, 0, 1, 0, 1, 0, 0, 0, 0}},  // 32
    {"bmp\\Character6.bmp", {1, 1, 0, 1, 0, 1, 32, 0, 0, 0}},  // 33
    {"bmp\\Character7.bmp", {1, 1, 0, 1, 0, 1, 0, 0, 0, 0}},  // 34
    {"bmp\\Character7.bmp", {1, 1, 0, 1, 0, 1, 32, 0, 0, 0}},  // 35
    {"bmp\\Character8.bmp", {1, 1, 0, 1, 0, 1, 0, 0, 0, 0}},  // 36
    {"bmp\\Character8.bmp", {1, 1, 0, 1, 0, 1, 32, 0, 0, 0}},  // 37
    {"bmp\\Shot.bmp", {1, 1, 0, 1, 0, 0, 0, 0, 0, 0}},  // 38
    {"bmp\\Shot.bmp", {1, 1, 0, 1, 0, 0, 16, 0, 0, 0}},  // 39
    {"bmp\\Item.bmp", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 40
    {"bmp\\Item.bmp", {1, 1, 0, 1, 0, 0, 0, 0, 0, 0}},  // 41
    {"bmp\\Item_Mini.bmp", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 42
    {"bmp\\Mark.bmp", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 43
    {"bmp\\Mark.bmp", {1, 1, 0, 1, 0, 0, 0, 0, 0, 0}},  // 44
    {"bmp\\Window.bmp", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 45
    {"bmp\\StatusWindow.bmp", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 46
    {"bmp\\Title.bmp", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 47
    {"bmp\\GameMode.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 48
    {"bmp\\Accessory.bmp", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 49
    {"bmp\\Symbol.bmp", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 50
    {"bmp\\Word.bmp", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 51
    {"bmp\\WorldMapChip.bmp", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // 52
    {"bmp\\WorldEvent.bmp", {1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},  // 53
    {"bmp\\WorldBack.bmp", {0, 1, 0, 0, 0, 1, 0, 0, 0, 0}},  // 54
    {"背景その1.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 55
    {"背景その2.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 56
    {"背景その3.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 57
    {"背景その4.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 58
    {"背景その5.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 59
    {"背景その6.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 60
    {"背景その7.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 61
    {"背景その8.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},  // 62
    {"E", {1, 1, 0, 0, 0, 0, 0, 0, 256, 960}},  // 63
    {"E", {1, 1, 0, 0, 0, 0, 0, 0, 256, 960}},  // 64
    {"E", {1, 1, 0, 0, 0, 0, 0, 0, 640, 480}},  // 65
    {"E", {0, 1, 0, 0, 0, 0, 0, 0, 640, 480}},  // 66
    {"E", {1, 0, 0, 0, 0, 0, 0, 0, 640, 480}},  // 67
    {"E", {1, 1, 0, 1, 0, 0, 0, 0, 640, 480}},  // 68
    {"E", {1, 0, 2, 0, 0, 0, 0, 0, 1024, 1024}},  // 69
    {"E", {1, 1, 1, 0, 0, 0, 0, 0, 1024, 1024}},  // 70
};

template <size_t N>
cVector<std::string> Labels(const char* const (&a)[N]) {
  cVector<std::string> v;
  for (const char* p : a) v.push_back(Sjis(p));
  v.emplace_back();
  return v;
}

cVector<std::string> LabelsOf(const cLabelTable& t) {
  cVector<std::string> v;
  for (int i = 0; i < t.Count(); ++i) v.push_back(t.Label(i));
  return v;
}

SYSTEMBITMAPINFO MakeInfo(std::string name, const int32_t (&a)[10]) {
  return SYSTEMBITMAPINFO{std::move(name), a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]};
}

}  // namespace

const SURFACELINK g_aSurfaceLink[SURFACE_LINK_COUNT] = {
    {3, 2},   {5, 4},   {7, 6},   {9, 8},   {11, 10}, {13, 12}, {15, 14}, {17, 16}, {19, 18}, {21, 20}, {22, 4},
    {23, 4},  {24, 6},  {25, 6},  {26, 8},  {27, 8},  {28, 10}, {29, 10}, {30, 12}, {31, 12}, {32, 14}, {33, 14},
    {34, 16}, {35, 16}, {36, 18}, {37, 18}, {38, 20}, {39, 20}, {41, 40}, {44, 43}, {68, 67},
};

const double g_dSqrt2 = std::sqrt(2.0);
const double g_dInvSqrt2 = 1.0 / std::sqrt(2.0);

cVector<std::string> BuildPathTable() {
  // The paths are plain ASCII, so their CP932 form is the text itself.
  return cVector<std::string>(std::begin(s_aszPath), std::end(s_aszPath));
}

cVector<std::string> BuildExtensionTable() {
  return cVector<std::string>(std::begin(s_aszExtension), std::end(s_aszExtension));
}

cVector<std::string> BuildCharaVarLabels() {
  cVector<std::string> v;
  for (int i = 1; i <= 8; ++i) v.push_back(Sjis(std::to_string(i) + " キャラ変数-" + std::to_string(i)));
  v.emplace_back();
  return v;
}

// The operator labels are the command catalogue's tables (constant, so
// ready before any global is built), which end with their empty entry too.
cVector<std::string> BuildAssignOpLabels() { return LabelsOf(g_LabelAssignOp); }
cVector<std::string> BuildCompareOpLabels() { return LabelsOf(g_LabelCompareOp); }
cVector<std::string> BuildConditionSenseLabels() { return Labels(s_aszConditionSense); }
cVector<std::string> BuildColorNameLabels() { return Labels(s_aszColorName); }

cVector<SYSTEMBITMAPINFO> BuildSystemBitmapTable() {
  cVector<SYSTEMBITMAPINFO> v;
  for (const BITMAPSRC& r : s_aSystemBitmap) v.push_back(MakeInfo(Sjis(r.pszFile), r.an));
  return v;
}

cVector<FONTINFO> BuildFontTable() {
  const std::string face = Sjis("ＭＳ ゴシック");
  return cVector<FONTINFO>{
      FONTINFO{face, 0, 9, 10, 10, 241, 45, 1, 240, 50, 2},
      FONTINFO{face, 0, 16, 16, 16, 241, 45, 1, 240, 50, 2},
      FONTINFO{face, 0, 30, 32, 32, 241, 45, 1, 240, 50, 0},
  };
}

cVector<SYSTEMBITMAPINFO> BuildBlankSurfaceInfos() {
  static const int32_t s_an[10] = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  return cVector<SYSTEMBITMAPINFO>(BLANK_SURFACE_INFO_COUNT, MakeInfo(std::string(), s_an));
}

MENUSTATESTACK::MENUSTATESTACK() : vecState(1, MENUSTATE{0, 0, 0, 0}) { lpCurrent = &vecState[0]; }

void ResetMenuState() {
  cVector<MENUSTATE>& v = g_MenuState.vecState;
  if (v.empty()) v.push_back(MENUSTATE{0, 0, 0, 0});
  v.resize(1);
  v[0] = MENUSTATE{0, 0, 0, 0};
  g_MenuState.lpCurrent = &v[0];
  g_MenuState.lpPrevious = nullptr;
  g_MenuState.nCurrent = 0;
}

void LinkGlobalTables(const std::function<void(int, int)>& pfnSetParent) {
  if (!pfnSetParent) return;
  for (const SURFACELINK& l : g_aSurfaceLink) pfnSetParent(l.nSurface, l.nParent);
}
