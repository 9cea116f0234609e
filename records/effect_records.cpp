#include "records/effect_records.h"

#include <mutex>

#include "platform/text_cp932.h"

void cEdEffectFrame::RegisterFields(int /*nVersion*/) {
  ClearTables();
  AddField32(&nPattern, 1);
  AddField32(&nTime, 1);
}

cEdEffectFrame cEdEffectFrame::MakeDefault() {
  cEdEffectFrame fr;
  fr.nTime = 1;
  return fr;
}

cEdEffect::cEdEffect() {
  RegisterFields(DATA_VERSION_CURRENT);
  SetDefaults();
}

void cEdEffect::RegisterFields(int nVersion) {
  ClearTables();
  AddStrField(&strName, 1);
  if (nVersion >= 151) AddField32(&nAttr, 1);
  AddStrField(&strFile, 1);
  AddField32(&nCellWidth, 1);
  AddField32(&nCellHeight, 1);
  AddField32(&bScalable, 1);
}

void cEdEffect::SetDefaults() {
  ClearFields();
  nAttr = 0;
  bScalable = 0;
  nCellWidth = 32;
  nCellHeight = 32;
}

void cEdEffect::Read(cDataFile& f) {
  cEdRecord::Read(f);
  const cEdEffectFrame proto = cEdEffectFrame::MakeDefault();
  ReadNestedDatabaseList(f, m_vecFrame, "effect frame list", &proto);
  if (g_nFileDataVersion < 153) nAttr = 0;
}

void cEdEffect::Write(cDataFile& f) {
  cEdRecord::Write(f);
  WriteRecordList(f, m_vecFrame);
}

void cEdKindEffect::RegisterFields(int /*nVersion*/) {
  ClearTables();
  AddStrField(&strName, 1);
  AddField32(&nKind, 1);
  AddField32(anParam, 5);
}

namespace {

struct PARAMSRC {
  const char* pszName;
  int16_t nMin, nMax, nDefault;
};

#define T4_NONE {"", 0, 0, 0}
#define T4_TIME(d) {"実行時間(1/10s)", 1, 9999, d}

// Five entries per kind, kind 0 first.
const PARAMSRC s_aCharaParam[(CHARA_EFFECT_KINDS + 1) * 5] = {
    T4_NONE, T4_NONE, T4_NONE, T4_NONE, T4_NONE,
    // 1 破裂
    T4_TIME(5), {"開始位置(dot)", 0, 999, 0}, {"終了位置(dot)", 0, 999, 32}, T4_NONE, T4_NONE,
    // 2 分割（横）
    T4_TIME(5), {"開始位置(dot)", 0, 999, 0}, {"終了位置(dot)", 0, 999, 32}, {"分割数", 2, 16, 4}, T4_NONE,
    // 3 分割（縦）
    T4_TIME(5), {"開始位置(dot)", 0, 999, 0}, {"終了位置(dot)", 0, 999, 32}, {"分割数", 2, 16, 4}, T4_NONE,
    // 4 波（横）
    T4_TIME(5), {"開始幅(dot)", 0, 999, 0}, {"終了幅(dot)", 0, 999, 32}, {"波の数", 2, 16, 2},
    {"波の粗さ(dot)", 1, 4, 2},
    // 5 波（縦）
    T4_TIME(5), {"開始幅(dot)", 0, 999, 0}, {"終了幅(dot)", 0, 999, 32}, {"波の数", 2, 16, 2},
    {"波の粗さ(dot)", 1, 4, 2},
    // 6 点滅
    T4_TIME(10), {"点滅間隔(1/60s)", 1, 9999, 2}, T4_NONE, T4_NONE, T4_NONE,
    // 7 回転A
    T4_TIME(10), {"開始角度", 0, 9999, 0}, {"終了角度", 0, 9999, 1440}, T4_NONE, T4_NONE,
    // 8 回転B
    T4_TIME(10), {"開始角度", 0, 9999, 0}, {"終了角度", 0, 9999, 1440}, T4_NONE, T4_NONE,
    // 9 回転（奥）
    T4_TIME(10), {"開始位置(dot)", 0, 9999, 0}, {"終了位置(dot)", 0, 9999, 256}, T4_NONE, T4_NONE,
    // 10 円
    T4_TIME(5), {"開始半径(dot)", 0, 32, 32}, {"終了半径(dot)", 0, 32, 0}, {"円の粗さ(dot)", 1, 4, 2}, T4_NONE,
    // 11 拡大
    T4_TIME(10), {"開始幅(dot)", 0, 320, 32}, {"終了幅(dot)", 0, 320, 64}, T4_NONE, T4_NONE,
    // 12 レンズ
    T4_TIME(10), {"開始距離", 0, 100, 100}, {"終了距離", 0, 100, 5}, {"ズレX(dot)", -16, 16, 0},
    {"ズレY(dot)", -16, 16, 0},
    // 13 色変化
    T4_TIME(10), {"開始合成度", 1, 4, 1}, {"終了合成度", 1, 4, 1}, {"色", 16, 207, 16}, T4_NONE,
    // 14 半透明
    T4_TIME(10), {"点滅間隔(1/60s)", 1, 9999, 9999}, T4_NONE, T4_NONE, T4_NONE,
    // 15 モザイク
    T4_TIME(10), {"開始強度", 1, 16, 1}, {"終了強度", 1, 16, 8}, T4_NONE, T4_NONE,
    // 16 ぼかし
    T4_TIME(10), {"開始強度", 1, 1, 1}, {"終了強度", 1, 4, 4}, T4_NONE, T4_NONE,
};

const PARAMSRC s_aScrParam[(SCR_EFFECT_KINDS + 1) * 5] = {
    T4_NONE, T4_NONE, T4_NONE, T4_NONE, T4_NONE,
    // 1 移動
    T4_TIME(10), {"開始座標X(dot)", -640, 640, 0}, {"開始座標Y(dot)", -480, 480, 0},
    {"終了座標X(dot)", -640, 640, 640}, {"終了座標Y(dot)", -480, 480, 0},
    // 2 振動（横）
    T4_TIME(10), {"振動幅(dot)", 1, 640, 4}, {"振動回数", 1, 9999, 4}, T4_NONE, T4_NONE,
    // 3 振動（縦）
    T4_TIME(10), {"振動幅(dot)", 1, 480, 4}, {"振動回数", 1, 9999, 4}, T4_NONE, T4_NONE,
    // 4 分割（横）
    T4_TIME(10), {"開始位置(dot)", 0, 640, 0}, {"終了位置(dot)", 0, 640, 640}, {"分割数", 2, 240, 15}, T4_NONE,
    // 5 分割（縦）
    T4_TIME(10), {"開始位置(dot)", 0, 480, 0}, {"終了位置(dot)", 0, 480, 480}, {"分割数", 2, 320, 20}, T4_NONE,
    // 6 波（横）
    T4_TIME(10), {"開始幅(dot)", 0, 640, 0}, {"終了幅(dot)", 0, 640, 640}, {"波の数", 2, 240, 4},
    {"波の粗さ(dot)", 1, 48, 8},
    // 7 波（縦）
    T4_TIME(10), {"開始幅(dot)", 0, 480, 0}, {"終了幅(dot)", 0, 480, 480}, {"波の数", 2, 320, 4},
    {"波の粗さ(dot)", 1, 64, 10},
    // 8 点滅
    T4_TIME(10), {"点滅間隔(1/60s)", 1, 9999, 10}, T4_NONE, T4_NONE, T4_NONE,
    // 9 回転
    T4_TIME(10), {"開始角度", 0, 9999, 0}, {"終了角度", 0, 9999, 1440}, T4_NONE, T4_NONE,
    // 10 円
    T4_TIME(10), {"開始半径(dot)", 0, 640, 640}, {"終了半径(dot)", 0, 640, 0}, {"円の粗さ(dot)", 1, 48, 8}, T4_NONE,
    // 11 拡大
    T4_TIME(10), {"開始幅(dot)", 0, 6400, 640}, {"終了幅(dot)", 0, 6400, 1280}, T4_NONE, T4_NONE,
    // 12 レンズ
    T4_TIME(10), {"開始距離", 0, 1500, 1500}, {"終了距離", 0, 1500, 5}, {"ズレX(dot)", -320, 320, 0},
    {"ズレY(dot)", -240, 240, 0},
    // 13 モザイク
    T4_TIME(10), {"開始強度", 1, 240, 1}, {"終了強度", 1, 240, 60}, T4_NONE, T4_NONE,
};

#undef T4_NONE
#undef T4_TIME

const char* const s_aszCharaName[CHARA_EFFECT_KINDS] = {
    "破裂", "分割（横）", "分割（縦）", "波（横）", "波（縦）", "点滅", "回転A", "回転B",
    "回転（奥）", "円", "拡大", "レンズ", "色変化", "半透明", "モザイク", "ぼかし"};

// Direct3D note, DirectDraw note.
const char* const s_aszCharaNote[CHARA_EFFECT_KINDS][2] = {
    {"", ""},
    {"", ""},
    {"", ""},
    {"やや遅い", "やや遅い"},
    {"やや遅い", "やや遅い"},
    {"速い", "速い"},
    {"回転Aと回転Bは同じ", "巨大キャラには実行速度重視"},
    {"回転Aと回転Bは同じ", "やや遅い。巨大キャラには描画精度重視"},
    {"", ""},
    {"やや遅い", "やや遅い"},
    {"", ""},
    {"遅過ぎ", "遅い"},
    {"", "画面が8bit色→精度悪い、16bit色以上→やや遅い"},
    {"", "画面が8bit色→精度悪い、16bit色以上→遅過ぎ"},
    {"遅い", "画面が16bit色以上だと遅い"},
    {"遅い", "画面が16bit色以上でのみ有効。遅い"},
};

const char* const s_aszScrName[SCR_EFFECT_KINDS] = {
    "移動", "振動（横）", "振動（縦）", "分割（横）", "分割（縦）", "波（横）", "波（縦）",
    "点滅", "回転", "円", "拡大", "レンズ", "モザイク"};

const char* const s_aszScrNote[SCR_EFFECT_KINDS][2] = {
    {"", ""},
    {"", ""},
    {"", ""},
    {"", ""},
    {"", ""},
    {"やや遅い", "やや遅い"},
    {"やや遅い", "やや遅い"},
    {"速い", "速い"},
    {"", "遅い"},
    {"やや遅い", "やや遅い"},
    {"", "やや遅い"},
    {"遅過ぎ", "遅過ぎ"},
    {"遅過ぎ", "画面が16bit色以上だと遅過ぎ"},
};

cVector<EFFECTPARAMDEF> BuildParams(const PARAMSRC* p, int n) {
  cVector<EFFECTPARAMDEF> v;
  for (int i = 0; i < n; ++i) v.push_back(EFFECTPARAMDEF{Sjis(p[i].pszName), p[i].nMin, p[i].nMax, p[i].nDefault});
  return v;
}

cVector<std::string> BuildNames(const char* const* p, int n) {
  cVector<std::string> v;
  for (int i = 0; i < n; ++i) v.push_back(Sjis(p[i]));
  v.emplace_back();
  return v;
}

cVector<std::string> BuildNotes(const char* const (*p)[2], int n) {
  cVector<std::string> v;
  for (int i = 0; i < n; ++i) {
    v.push_back(Sjis(std::string("Direct3D有効時：") + p[i][0] + "\n" + "Direct3D無効時：" + p[i][1]));
  }
  v.emplace_back();
  return v;
}

// Files older than 511 lack the parameters that came with that version;
// they take the catalogue's default of that kind.
void FillParamsAddedIn511(cEdKindEffect& r, const cVector<EFFECTPARAMDEF>& defs, const int (*aFill)[2], int nFill) {
  for (int i = 0; i < nFill; ++i) {
    if (r.nKind != aFill[i][0]) continue;
    int p = aFill[i][1];
    r.anParam[p] = static_cast<int32_t>(defs.CheckedAt(5 * r.nKind + p).nDefault);
  }
}

}  // namespace

const cVector<EFFECTPARAMDEF>& CharaEffectParamDefs() {
  static const cVector<EFFECTPARAMDEF> s_v = BuildParams(s_aCharaParam, (CHARA_EFFECT_KINDS + 1) * 5);
  return s_v;
}
const cVector<EFFECTPARAMDEF>& ScrEffectParamDefs() {
  static const cVector<EFFECTPARAMDEF> s_v = BuildParams(s_aScrParam, (SCR_EFFECT_KINDS + 1) * 5);
  return s_v;
}
const cVector<std::string>& CharaEffectKindNames() {
  static const cVector<std::string> s_v = BuildNames(s_aszCharaName, CHARA_EFFECT_KINDS);
  return s_v;
}
const cVector<std::string>& CharaEffectKindNotes() {
  static const cVector<std::string> s_v = BuildNotes(s_aszCharaNote, CHARA_EFFECT_KINDS);
  return s_v;
}
const cVector<std::string>& ScrEffectKindNames() {
  static const cVector<std::string> s_v = BuildNames(s_aszScrName, SCR_EFFECT_KINDS);
  return s_v;
}
const cVector<std::string>& ScrEffectKindNotes() {
  static const cVector<std::string> s_v = BuildNotes(s_aszScrNote, SCR_EFFECT_KINDS);
  return s_v;
}

void cEdCharaEffect::Read(cDataFile& f) {
  cEdRecord::Read(f);
  // {kind, parameter index}: p5 of the two waves, p4 of the circle.
  static const int s_aFill[][2] = {{4, 4}, {5, 4}, {10, 3}};
  if (g_nFileDataVersion < 511) FillParamsAddedIn511(*this, CharaEffectParamDefs(), s_aFill, 3);
}

void cEdScrEffect::Read(cDataFile& f) {
  cEdRecord::Read(f);
  static const int s_aFill[][2] = {{6, 4}, {7, 4}, {10, 3}};
  if (g_nFileDataVersion < 511) FillParamsAddedIn511(*this, ScrEffectParamDefs(), s_aFill, 3);
}
