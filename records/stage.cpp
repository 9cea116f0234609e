#include "records/stage.h"

#include <algorithm>
#include <bit>

#include "records/common_palette.h"
#include "records/database.h"

cEdStage g_Stage;
cEdStage g_StageCopy;

// ---- cEdStageSub -------------------------------------------------------------

cEdStageSub::cEdStageSub() {
  RegisterFields(DATA_VERSION_CURRENT);
  ClearFields();
}

void cEdStageSub::RegisterFields(int v) {
  ClearTables();
  AddField32(&m_nA, 1);
  if (v >= 125) AddField32(&m_nB, 1);
  if (v >= 125) AddField32(&m_nC, 1);
  if (v >= 125) AddField32(&m_nD, 1);
  AddField32(&m_nE, 1);
  AddField32(&m_nF, 1);
  AddField32(&m_nG, 1);
  AddField32(&m_nH, 1);
}

void cEdStageSub::Set(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e, uint32_t f, uint32_t g,
                      uint32_t h) {
  m_nA = a;
  m_nB = b;
  m_nC = c;
  m_nD = d;
  m_nE = e;
  m_nF = f;
  m_nG = g;
  m_nH = h;
}

// ---- cEdBackground -----------------------------------------------------------

cEdBackground::cEdBackground() {
  RegisterFields(DATA_VERSION_CURRENT);
  SetDefaults();
}

void cEdBackground::RegisterFields(int v) {
  ClearTables();
  if (v >= 62) AddField32(&m_bShown, 1);     // 1
  AddField32(&m_bFill, 1);                   // 2
  AddField32(&m_nFillColour, 1);             // 3
  AddField32(&m_nLayer, 1);                  // 4
  if (v >= 61) {
    AddField64(&m_dRateX, 1);                // 5
    AddField64(&m_dRateY, 1);                // 6
    AddField32(&m_bAutoX, 1);                // 7
    AddField32(&m_bAutoY, 1);                // 8
  } else {
    AddField32(&m_nDropped1, 1);             // in place of 5
    AddField32(&m_nDropped2, 1);             // in place of 6
  }
  if (v >= 62) {
    AddField64(&m_dOffsetX, 1);              // 9
    AddField64(&m_dOffsetY, 1);              // 10
  } else if (v == 61) {
    AddField32(&m_nDropped1, 1);             // in place of 9
    AddField32(&m_nDropped2, 1);             // in place of 10
  }
  AddStrField(&m_strFile, 1);
}

void cEdBackground::SetDefaults() {
  ClearFields();
  m_bShown = 1;
  m_nFillColour = 16;
  m_dRateX = 0.1;
  m_dRateY = 0.1;
}

// ---- cEdStage ----------------------------------------------------------------

cEdStage::cEdStage() {
  for (cEdStageSub& sub : m_aSub) {
    sub.RegisterFields(DATA_VERSION_CURRENT);
    sub.ClearFields();
  }
  RegisterFields(DATA_VERSION_CURRENT);
  SetDefaults();
}

void cEdStage::RegisterFields(int v) {
  ClearTables();
  AddStrField(&m_strText, 1);
  AddField32(&m_nWidth, 1);                                // 1
  AddField32(&m_nSetting2, 1);                             // 2
  AddField32(&m_nSetting3, 1);                             // 3
  AddField32(&m_nHeight, 1);                               // 4
  AddField32(&m_bStopLeft, 1);                             // 5
  AddField32(&m_bStopRight, 1);                            // 6
  AddField32(&m_bStopTop, 1);                              // 7
  AddField32(&m_bStopBottom, 1);                           // 8
  AddField32(&m_nStopLeft, 1);                             // 9
  AddField32(&m_nStopRight, 1);                            // 10
  AddField32(&m_nStopTop, 1);                              // 11
  AddField32(&m_nStopBottom, 1);                           // 12
  AddField32(&m_nFps, 1);                                  // 13
  AddField32(&m_bTimeLimit, 1);                            // 14
  AddField32(&m_nTimeLimit, 1);                            // 15
  AddField32(&m_nWarningTime, 1);                          // 16
  AddField32(&m_nScrollKindX, 1);                          // 17
  AddField32(&m_nScrollKindY, 1);                          // 18
  AddField32(&m_nAutoScrollX, 1);                          // 19
  AddField32(&m_nAutoScrollY, 1);                          // 20
  AddField64(&m_dGravityBase, 1);                          // 21
  AddField32(&m_nSpeedLevel, 1);                           // 22
  AddField32(&m_nHitFrequency, 1);                         // 23
  AddField32(&m_nBgm, 1);                                  // 24
  if (v >= 166) AddField32(&m_nBgmOption, 1);              // 25
  if (v >= 199) AddField32(&m_bKeepBgm, 1);                // 26
  AddField32(&m_bEightLayers, 1);                          // 27
  AddField32(&m_bInheritStatus, 1);                        // 28
  AddField32(&m_bCarryStatus, 1);                          // 29
  if (v >= 183) AddField32(&m_bShowStatusBar, 1);          // 30
  if (v >= 184) AddField32(&m_bResultAutoClose, 1);        // 31
  AddField32(&m_bStageNoBanner, 1);                        // 32
  if (v >= 225) AddField32(&m_bStartBanner, 1);            // 33
  AddField32(&m_bClearBanner, 1);                          // 34
  AddField32(&m_bGameOverBanner, 1);                       // 35
  if (v >= 200) AddField32(&m_nPlayerBodyW, 1);            // 36
  if (v >= 200) AddField32(&m_nPlayerBodyH, 1);            // 37
  if (v >= 200) AddField32(&m_nPlayerBodyNgW, 1);          // 38
  if (v >= 200) AddField32(&m_nPlayerBodyNgH, 1);          // 39
  AddField32(&m_nPlayerHitW, 1);                           // 40
  AddField32(&m_nPlayerHitH, 1);                           // 41
  if (v >= 155) AddField32(&m_nPlayerHitNgW, 1);           // 42
  if (v >= 155) AddField32(&m_nPlayerHitNgH, 1);           // 43
  AddField32(&m_nPlayerHit1W, 1);                          // 44
  AddField32(&m_nPlayerHit1H, 1);                          // 45
  AddField32(&m_nPlayerHit3W, 1);                          // 46
  AddField32(&m_nPlayerHit3H, 1);                          // 47
  if (v >= 200) AddField32(&m_bPlayerBodyBottom, 1);       // 48
  if (v >= 200) AddField32(&m_bPlayerBodyNgBottom, 1);     // 49
  if (v >= 155) AddField32(&m_bPlayerHitBottom, 1);        // 50
  if (v >= 155) AddField32(&m_bPlayerHitNgBottom, 1);      // 51
  if (v >= 200) AddField32(&m_nPlayerBodyShow, 1);         // 52
  AddField32(&m_nPlayerHitShow, 1);                        // 53
  AddField32(&m_nPlayerHit2Show, 1);                       // 54
  AddField32(&m_nPlayerHit3Show, 1);                       // 55
  if (v >= 200) AddField32(&m_nPlayerBodyColour, 1);       // 56
  AddField32(&m_nPlayerHitColour, 1);                      // 57
  AddField32(&m_nPlayerHit2Colour, 1);                     // 58
  AddField32(&m_nPlayerHit3Colour, 1);                     // 59
  if (v >= 200) AddField32(&m_nCharaBodyW, 1);             // 60
  if (v >= 200) AddField32(&m_nCharaBodyH, 1);             // 61
  if (v >= 200) AddField32(&m_nCharaBodyOtherW, 1);        // 62
  if (v >= 200) AddField32(&m_nCharaBodyOtherH, 1);        // 63
  AddField32(&m_nCharaHitW, 1);                            // 64
  AddField32(&m_nCharaHitH, 1);                            // 65
  if (v >= 155) AddField32(&m_nCharaHitNgW, 1);            // 66
  if (v >= 155) AddField32(&m_nCharaHitNgH, 1);            // 67
  AddField32(&m_nCharaHit1W, 1);                           // 68
  AddField32(&m_nCharaHit1H, 1);                           // 69
  if (v >= 200) AddField32(&m_bCharaBodyBottom, 1);        // 70
  if (v >= 200) AddField32(&m_bCharaBodyOtherBottom, 1);   // 71
  if (v >= 155) AddField32(&m_bCharaHitBottom, 1);         // 72
  if (v >= 155) AddField32(&m_bCharaHitNgBottom, 1);       // 73
  AddField32(&m_nItemHitW, 1);                             // 74
  AddField32(&m_nItemHitH, 1);                             // 75
  AddField32(&m_nPlayerForm2W, 1);                         // 76
  AddField32(&m_nPlayerForm2H, 1);                         // 77
  AddField32(&m_nSetting78, 1);                            // 78
  AddField32(&m_nSetting79, 1);                            // 79
  AddField32(&m_nCharaForm2W, 1);                          // 80
  AddField32(&m_nCharaForm2H, 1);                          // 81
  AddField32(&m_nSetting82, 1);                            // 82
  AddField32(&m_nSetting83, 1);                            // 83
  AddField32(&m_nSetting84, 1);                            // 84
  AddField32(&m_nViewAddX, 1);                             // 85
  AddField32(&m_nViewAddY, 1);                             // 86
  AddField32(&m_nSpeedDiv, 1);                             // 87
  AddField64(&m_dSpeedDiv, 1);                             // 88
  AddField64(&m_dSpeedDiv2, 1);                            // 89
  AddField64(&m_dSpeedLimit, 1);                           // 90
  AddField64(&m_dGravity, 1);                              // 91
  AddField64(&m_dMaxSpeed, 1);                             // 92
  AddField32(&m_nFallSteps, 1);                            // 93
  AddField32(&m_bOnScreenOnly, 1);                         // 94
  AddField32(&m_nPlayerInvincibleEach, 1);                 // 95
  AddField32(&m_nPlayerInvincible, 1);                     // 96
  AddField32(&m_nCharaInvincibleEach, 1);                  // 97
  AddField32(&m_nCharaInvincible, 1);                      // 98
}

void cEdStage::SetDefaults() {
  ClearFields();
  m_vecBlock.clear();
  m_vecBlock.shrink_to_fit();
  m_vecChara.clear();
  m_vecChara.shrink_to_fit();
  m_vecItem.clear();
  m_vecItem.shrink_to_fit();
  m_vecPaletteBlock.assign(1, cEdBlock());
  m_vecPaletteChara.assign(1, cEdChara());
  m_vecPaletteItem.assign(1, cEdItem());

  m_nFps = 60;
  m_nTimeLimit = 200;
  m_nWarningTime = 20;
  m_dGravityBase = 0.4;
  m_bEightLayers = 1;
  m_bShowStatusBar = 1;
  m_bStartBanner = 1;
  m_bClearBanner = 1;
  m_bGameOverBanner = 1;
  m_bOnScreenOnly = 1;
  m_nPlayerInvincibleEach = 30;
  m_nCharaInvincibleEach = 30;
  SetSpeedLevel(10);

  m_vecBackground.assign(1, cEdBackground());
  m_vecBackground[0].m_bFill = 1;
  m_vecText.clear();
  m_vecRankingSwitch.assign(STAGE_RANKING_SWITCHES, 1);
  m_aSub[0].Set(0, 0, 0, 0, 0, 0, 0, 0);
  m_aSub[1].Set(0, 0, 0, 0, 0, 0, 0, 0);
  m_aSub[2].Set(0, 0, 0, 0, 0, 0, 0, 0);
  m_aSub[3].Set(1, 1, 1, 1, 0, 0, 0, 0);
  m_aSub[4].Set(1, 1, 1, 1, 10, 10, 10, 10);

  // The layout defaults (fields 36 to 84).
  m_nPlayerBodyW = 16, m_nPlayerBodyH = 24;
  m_nPlayerBodyNgW = 16, m_nPlayerBodyNgH = 16;
  m_nPlayerHitW = 16, m_nPlayerHitH = 24;
  m_nPlayerHitNgW = 16, m_nPlayerHitNgH = 16;
  m_nPlayerHit1W = 12, m_nPlayerHit1H = 8;
  m_nPlayerHit3W = 16, m_nPlayerHit3H = 16;
  m_bPlayerBodyBottom = 1, m_bPlayerBodyNgBottom = 0;
  m_bPlayerHitBottom = 1, m_bPlayerHitNgBottom = 0;
  m_nCharaBodyW = 16, m_nCharaBodyH = 24;
  m_nCharaBodyOtherW = 16, m_nCharaBodyOtherH = 16;
  m_nCharaHitW = 12, m_nCharaHitH = 24;
  m_nCharaHitNgW = 12, m_nCharaHitNgH = 16;
  m_nCharaHit1W = 30, m_nCharaHit1H = 30;
  m_bCharaBodyBottom = 1, m_bCharaBodyOtherBottom = 0;
  m_bCharaHitBottom = 1, m_bCharaHitNgBottom = 0;
  m_nItemHitW = 28, m_nItemHitH = 28;
  m_nPlayerForm2W = 16, m_nPlayerForm2H = 16;
  m_nSetting78 = 16, m_nSetting79 = 16;
  m_nCharaForm2W = 16, m_nCharaForm2H = 16;
  m_nSetting82 = 16, m_nSetting83 = 16;
  m_nSetting84 = 1;
}

uint32_t cEdStage::SpeedLevelInUse() const { return m_nSpeedLevel >= 1 && m_nSpeedLevel <= 19 ? m_nSpeedLevel : 10; }

void cEdStage::SetSpeedLevel(uint32_t nLevel) {
  m_nSpeedLevel = nLevel;
  nLevel = SpeedLevelInUse();
  const bool bFast = nLevel >= 11;
  const uint32_t n = bFast ? nLevel - 10 : nLevel;
  m_nSpeedDiv = n;
  m_dSpeedDiv = static_cast<double>(n);
  m_nFlowTimeMul = 6 * n;
  m_dSpeedDiv2 = static_cast<double>(n) * static_cast<double>(n);
  m_dSpeedLimit = bFast ? 60.0 : 6.0 * n;
  m_dGravity = m_dGravityBase / m_dSpeedDiv2;
  m_dMaxSpeed = m_dSpeedLimit / static_cast<double>(n);
  m_nFallSteps = 8 * n;
}

void cEdStage::Normalize() {
  // 20 × 15 cells are one screen; a smaller stage gives negative limits,
  // which the signed comparisons keep.
  auto Lower = [](uint32_t& nField, int64_t nMax) {
    if (static_cast<int32_t>(nField) > nMax) nField = static_cast<uint32_t>(nMax);
  };
  const int64_t w = static_cast<int32_t>(m_nWidth);
  const int64_t h = static_cast<int32_t>(m_nHeight);
  Lower(m_nStopLeft, w - 20);
  Lower(m_nStopRight, w - 1);
  Lower(m_nStopTop, h - 15);
  Lower(m_nStopBottom, h - 1);
  g_Stage.SetSpeedLevel(g_Stage.m_nSpeedLevel);
  if (this != &g_Stage) SetSpeedLevel(m_nSpeedLevel);
  if (m_nBgm >= g_Database.m_vecBgm.size()) m_nBgm = 0;

  // Padded before element 0 is made the fixed empty entry, so that a file
  // with an empty palette list loads.
  PadPaletteList(m_vecPaletteBlock);
  PadPaletteList(m_vecPaletteChara);
  PadPaletteList(m_vecPaletteItem);

  for (cEdBlock& b : m_vecPaletteBlock) b.CheckRefs(), b.CheckItemRef();
  for (cEdChara& c : m_vecPaletteChara) c.RefreshTemplate(), c.FitFlows();
  for (cEdItem& i : m_vecPaletteItem) i.CheckRefs(), i.FitCommands();
  for (cEdBlock& b : m_vecBlock) b.CheckRefs(), b.CheckItemRef();
  for (cEdChara& c : m_vecChara) c.RefreshTemplate(), c.FitFlows();
  for (cEdItem& i : m_vecItem) i.CheckRefs(), i.FitCommands();
}

uint32_t cEdStage::MapWidth() const { return std::min(m_nWidth, STAGE_MAX_SIDE_CELLS); }

uint32_t cEdStage::MapHeight() const {
  // The whole block map, margins and the rest of each row of 2^s cells
  // included, stays within STAGE_MAX_MAP_CELLS.
  const uint64_t nRows = STAGE_MAX_MAP_CELLS >> MapRowShift();
  return static_cast<uint32_t>(std::min<uint64_t>(m_nHeight, nRows - 2 * STAGE_MAP_MARGIN));
}

int cEdStage::MapRowShift() const { return std::bit_width(MapWidth() + 2 * STAGE_MAP_MARGIN - 1); }

bool cEdStage::PlacementInMap(uint32_t nColumn, uint32_t nRow) const {
  // A column past the row's end runs on into the next row, as the cell
  // index does; only an index past the map's end has no cell.
  const uint64_t nCell = (static_cast<uint64_t>(nRow + STAGE_MAP_MARGIN) << MapRowShift()) + nColumn + STAGE_MAP_MARGIN;
  return nCell < (static_cast<uint64_t>(MapHeight() + 2 * STAGE_MAP_MARGIN) << MapRowShift());
}

int cEdStage::FindPlayerPlacement() const {
  for (size_t i = 0; i < m_vecChara.size(); ++i)
    if (m_vecChara[i].m_nImageIndex != 0 && m_vecChara[i].m_nType == 0) return static_cast<int>(i);
  return -1;
}

void cEdStage::ClearRecordLists() {
  for (auto* v : {&m_vecBlock, &m_vecPaletteBlock}) {
    v->clear();
    v->shrink_to_fit();
  }
  for (auto* v : {&m_vecChara, &m_vecPaletteChara}) {
    v->clear();
    v->shrink_to_fit();
  }
  for (auto* v : {&m_vecItem, &m_vecPaletteItem}) {
    v->clear();
    v->shrink_to_fit();
  }
}
