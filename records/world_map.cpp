#include "records/world_map.h"

#include <algorithm>
#include <cstdint>

#include "platform/text_cp932.h"
#include "base/message_box.h"
#include "base/report.h"

namespace {

// A shift of 30 is the widest grid WORLDMAP_MAX_CELLS allows, and keeps
// 1 << shift inside an int32.
constexpr int32_t MAX_PITCH_SHIFT = 30;

// The shift of the smallest power of two not below nWidth: the number of
// times nWidth - 1 can be halved before it reaches 0.
int32_t PitchShiftFor(int32_t nWidth) {
  int32_t nShift = 0;
  for (int32_t w = nWidth - 1; w > 0; w /= 2) ++nShift;
  return nShift;
}

bool SizeFits(int64_t nWidth, int64_t nHeight) {
  if (nWidth < 1 || nHeight < 1 || nWidth > WORLDMAP_MAX_CELLS || nHeight > WORLDMAP_MAX_CELLS) return false;
  int64_t nPitch = int64_t{1} << PitchShiftFor(static_cast<int32_t>(nWidth));
  return nPitch * nHeight <= WORLDMAP_MAX_CELLS;
}

}  // namespace

// ---------------------------------------------------------------------------
// cEdWorldMap

cEdWorldMap::cEdWorldMap() {
  RegisterFields(DATA_VERSION_CURRENT);
  SetDefaults();
}

void cEdWorldMap::RegisterFields(int /*nVersion*/) {
  ClearTables();
  AddField32(&m_nWidth, 1);
  AddField32(&m_nHeight, 1);
  AddField32(&m_nPitch, 1);
  AddField32(&m_nPitchShift, 1);
  AddField32(&m_nStartX, 1);
  AddField32(&m_nStartY, 1);
  AddField32(&m_nBackColor, 1);
  AddField32(&m_bBackPicture, 1);
  AddStrField(&m_strName, 1);
  AddStrField(&m_strBackPicture, 1);
}

void cEdWorldMap::Read(cDataFile& f) {
  cEdRecord::Read(f);
  ReadRecordList(f, m_vWorld, "world map cell kinds");
  ReadValueList(f, m_vCell, "world map cells");
  ReadRecordList(f, m_vEvent, "world map events");
  ReadRecordList(f, m_vEventB, "world map default events");
  if (f.Failed()) return;
  if (!CheckGrid(f)) return;
  Normalise();
}

void cEdWorldMap::Write(cDataFile& f) {
  Normalise();
  cEdRecord::Write(f);
  WriteRecordList(f, m_vWorld);
  WriteValueList(f, m_vCell);
  WriteRecordList(f, m_vEvent);
  WriteRecordList(f, m_vEventB);
}

void cEdWorldMap::SetDefaults() {
  ClearFields();
  m_strName = Sjis("ワールド");
  m_nStartX = 9;
  m_nStartY = 7;
  m_nBackColor = 16;
  m_bBackPicture = 0;

  static const std::string s_Closed = Sjis("通行不可");
  static const std::string s_Open = Sjis("通行可");
  m_vWorld.assign(10, cEdWorld());
  for (int i = 0; i < 10; ++i) {
    cEdWorld& w = m_vWorld[i];
    w.m_nIndex = i;
    w.m_bBlock = i < 5 ? 1 : 0;
    w.m_strPassText = i < 5 ? s_Closed : s_Open;
  }

  SetSize(20, 15);
  m_vEvent.clear();
  m_vEventB.clear();
  m_vEventB.emplace_back();
  m_vEventB.back().m_strName = Sjis("デフォルト");
}

BOOL cEdWorldMap::SetSize(int nWidth, int nHeight) {
  // A negative size is refused with the zero one: either would leave a grid
  // no cell position fits.
  if (nWidth <= 0 || nHeight <= 0) {
    ErrorBoxfIfLogging("%s", Sjis("SetSize()で 0 を指定しました！").c_str());
    return 0;
  }
  if (!SizeFits(nWidth, nHeight)) return 0;
  ResizeGrid(nWidth, nHeight);
  return 1;
}

void cEdWorldMap::ResizeGrid(int nWidth, int nHeight) {
  cVector<int32_t> vOld;
  vOld.swap(m_vCell);
  const int32_t nOldWidth = m_nWidth;
  const int32_t nOldHeight = m_nHeight;
  const int32_t nOldPitch = m_nPitch;
  const int32_t nOldShift = m_nPitchShift;
  // Only a layout whose pitch agrees with its shift says where the old cells
  // are; a damaged one gives a grid of 0.
  const bool bOldSound = nOldShift >= 0 && nOldShift <= MAX_PITCH_SHIFT && nOldPitch == (int32_t{1} << nOldShift);

  m_nWidth = nWidth;
  m_nHeight = nHeight;
  m_nPitchShift = PitchShiftFor(nWidth);
  m_nPitch = int32_t{1} << m_nPitchShift;
  m_vCell.assign(static_cast<size_t>(m_nPitch) * static_cast<size_t>(nHeight), 0);

  if (!bOldSound) return;
  const int32_t nKeepW = std::min(nOldWidth, nWidth);
  const int32_t nKeepH = std::min(nOldHeight, nHeight);
  for (int32_t y = 0; y < nKeepH; ++y) {
    for (int32_t x = 0; x < nKeepW; ++x) {
      size_t nFrom = static_cast<size_t>(y) * static_cast<size_t>(nOldPitch) + static_cast<size_t>(x);
      if (nFrom >= vOld.size()) continue;
      m_vCell[(static_cast<size_t>(y) << m_nPitchShift) + static_cast<size_t>(x)] = vOld[nFrom];
    }
  }
}

bool cEdWorldMap::CheckGrid(cDataFile& f) {
  if (!SizeFits(m_nWidth, m_nHeight)) {
    f.Fail("world map size");
    return false;
  }
  // The scene finds cell (x, y) at (y << shift) + x: the pitch must be the
  // shift's power of two, hold a row, and the grid hold every row.
  const bool bShiftSound = m_nPitchShift >= 0 && m_nPitchShift <= MAX_PITCH_SHIFT;
  const bool bPitchSound = bShiftSound && m_nPitch == (int32_t{1} << m_nPitchShift) && m_nPitch >= m_nWidth;
  const bool bCountSound = bPitchSound && static_cast<int64_t>(m_nPitch) * m_nHeight <= WORLDMAP_MAX_CELLS &&
                           m_vCell.size() == static_cast<size_t>(m_nPitch) * static_cast<size_t>(m_nHeight);
  if (bCountSound) return true;
  Reportf(Sjis("%s のマップの区画が幅と高さに合わないため、作り直しました（%d × %d、%d 区画）").c_str(),
          f.Path().c_str(), m_nWidth, m_nHeight, static_cast<int>(m_vCell.size()));
  if (!bPitchSound) {
    // The stored pitch says nothing; take the cells as rows of the pitch a
    // sound writer would have used for this width.
    m_nPitchShift = PitchShiftFor(m_nWidth);
    m_nPitch = int32_t{1} << m_nPitchShift;
  }
  ResizeGrid(m_nWidth, m_nHeight);
  return true;
}

void cEdWorldMap::Normalise() {
  // Positions are pulled into the grid from both sides: a negative start or
  // event position would pass a "below the size" test and index outside it.
  if (m_nStartX >= m_nWidth) m_nStartX = m_nWidth - 1;
  if (m_nStartY >= m_nHeight) m_nStartY = m_nHeight - 1;
  if (m_nStartX < 0) m_nStartX = 0;
  if (m_nStartY < 0) m_nStartY = 0;
  m_vEvent.erase(std::remove_if(m_vEvent.begin(), m_vEvent.end(),
                                [this](const cEdWorldEvent& e) {
                                  return e.m_nX < 0 || e.m_nY < 0 || e.m_nX >= m_nWidth || e.m_nY >= m_nHeight;
                                }),
                 m_vEvent.end());
}

cEdWorldEvent* cEdWorldMap::FindEntry(int x, int y) {
  for (cEdWorldEvent& e : m_vEvent) {
    if (e.m_nX == x && e.m_nY == y) return &e;
  }
  return nullptr;
}

int32_t& cEdWorldMap::CellAt(int x, int y) {
  int64_t nIndex = static_cast<int64_t>(y) * m_nPitch + x;
  if (nIndex < INT32_MIN || nIndex > INT32_MAX) nIndex = -1;
  return m_vCell.CheckedAt(static_cast<int>(nIndex));
}

// ---------------------------------------------------------------------------
// cEdWorld, cEdWorldEvent, cEdWorldAction

cEdWorld::cEdWorld() { RegisterFields(DATA_VERSION_CURRENT); }

void cEdWorld::RegisterFields(int /*nVersion*/) {
  ClearTables();
  AddField32(&m_nValue, 1);
  AddField32(&m_bBlock, 1);
  AddField32(&m_nIndex, 1);
  AddStrField(&m_strName, 1);
  AddStrField(&m_strPassText, 1);
}

cEdWorldEvent::cEdWorldEvent() {
  RegisterFields(DATA_VERSION_CURRENT);
  m_vAction.emplace_back();
}

void cEdWorldEvent::RegisterFields(int /*nVersion*/) {
  ClearTables();
  AddField32(&m_nX, 1);
  AddField32(&m_nY, 1);
  AddStrField(&m_strName, 1);
}

void cEdWorldEvent::Read(cDataFile& f) {
  cEdRecord::Read(f);
  // The list is replaced, not added to: a new event already holds one action.
  ReadRecordList(f, m_vAction, "world map actions");
}

void cEdWorldEvent::Write(cDataFile& f) {
  EmptyHook();
  cEdRecord::Write(f);
  WriteRecordList(f, m_vAction);
}

cEdWorldAction::cEdWorldAction() { RegisterFields(DATA_VERSION_CURRENT); }

void cEdWorldAction::RegisterFields(int nVersion) {
  ClearTables();
  AddField32(&m_nKind, 1);
  AddField32(&m_bPassed, 1);
  AddField32(&m_bReEnter, 1);
  AddField32(&m_nPassFlag, 1);
  AddField32(&m_nNeedFlag, 1);
  AddField32(&m_nVarNo, 1);
  AddField32(&m_nCompare, 1);
  AddField32(&m_nCompareValue, 1);
  AddField32(&m_nScoreNeed, 1);
  AddField32(&m_nValue10, 1);
  if (nVersion >= 209) AddField32(&m_nEndKind, 1);
  AddStrField(&m_strStage, 1);
  AddStrField(&m_strText, 1);
}

void cEdWorldAction::Read(cDataFile& f) {
  cEdRecord::Read(f);
  if (g_nFileDataVersion < 209) m_nEndKind = 0;
}

// ---------------------------------------------------------------------------

const std::vector<std::string>& WorldKindNames() {
  static const std::vector<std::string> s_Names = {Sjis("ワールド"), Sjis("道"), Sjis("壁")};
  return s_Names;
}

const std::vector<std::string>& WorldEndActionNames() {
  static const std::vector<std::string> s_Names = {Sjis("しない"), Sjis("2周目へ突入"), Sjis("タイトルへ戻る")};
  return s_Names;
}

BOOL LoadWorldMap() {
  // Read into a copy, so that a damaged file leaves nothing half-read behind.
  cEdWorldMap map;
  if (!map.LoadFromFile(WORLDMAP_PATH)) {
    ReportLogAndErrorBoxf(Sjis("%s のロードに失敗！").c_str(), WORLDMAP_PATH);
    return 0;
  }
  g_WorldMap = std::move(map);
  return 1;
}
