// The stage file's byte order (after the data-version word): the settings,
// the ranking switches, the five removal areas, the stage palette, the
// placements (each behind a dropped word), the backgrounds, the texts and,
// from version 173, the end mark.
#include <algorithm>

#include "records/common_palette.h"
#include "base/report.h"
#include "records/stage.h"
#include "base/thread_wrapper.h"

namespace {

// A placed record takes at least its dropped word and its base part's two
// counts.
constexpr size_t MIN_PLACED_BYTES = 12;
constexpr size_t MIN_RECORD_BYTES = 8;

template <class T>
void WritePlacedList(cVector<T>& v, cDataFile& f) {
  f.WriteU32(static_cast<uint32_t>(v.size()));
  for (T& r : v) {
    f.WriteU32(0);
    r.Write(f);
  }
}

// The loader thread is told to end when its caller gives up the load: the
// read stops between records and the caller discards what was read.
template <class T>
void ReadPlacedList(cVector<T>& v, cDataFile& f, const char* pszWhat) {
  uint32_t n = f.ReadCount(MIN_PLACED_BYTES, pszWhat);
  // Every element starts from the defaults. The elements of the stage read
  // before are reused: assigning a default to one keeps its storage, so a
  // stage of 20,000 blocks is read again without an allocation per block.
  const T proto;
  const size_t nKept = std::min<size_t>(v.size(), n);
  v.resize(n, proto);
  for (size_t i = 0; i < nKept; ++i) v[i] = proto;
  for (uint32_t i = 0; i < n && !f.Failed(); ++i) {
    if (IsThreadStopRequested()) return;
    uint32_t dropped = 0;
    f.ReadU32(dropped);
    v[i].Read(f);
    // Read has left the tables at the running version already when that is
    // the current one.
    if (g_nCurDataVersion != DATA_VERSION_CURRENT) v[i].RegisterFields(DATA_VERSION_CURRENT);
  }
}

template <class T>
void DropOutside(cVector<T>& v, uint32_t w, uint32_t h, const char* pszWhat) {
  auto outside = [w, h](const T& r) { return r.m_nColumn >= w || r.m_nRow >= h; };
  size_t before = v.size();
  v.erase(std::remove_if(v.begin(), v.end(), outside), v.end());
  if (v.size() != before)
    Reportf("stage: %zu placed %s outside the %u x %u map dropped", before - v.size(), pszWhat,
            static_cast<unsigned>(w), static_cast<unsigned>(h));
}

}  // namespace

void cEdStage::Read(cDataFile& f) {
  cEdRecord::Read(f);
  const int v = g_nFileDataVersion;
  ReadValueList(f, m_vecRankingSwitch, "ranking switches");
  for (cEdStageSub& sub : m_aSub) sub.Read(f);
  {
    // Source 2 names g_Stage's palette, which is only being read when this
    // is g_Stage.
    const bool bSelf = this == &g_Stage;
    {
      cStagePaletteReadScope scope(bSelf ? PALLIST_BLOCK : static_cast<PALETTELIST>(-1));
      ReadBlockList(m_vecPaletteBlock, f);
    }
    {
      cStagePaletteReadScope scope(bSelf ? PALLIST_CHARA : static_cast<PALETTELIST>(-1));
      ReadCharaList(m_vecPaletteChara, f);
    }
    {
      cStagePaletteReadScope scope(bSelf ? PALLIST_ITEM : static_cast<PALETTELIST>(-1));
      ReadItemList(m_vecPaletteItem, f);
    }
  }
  PadPaletteList(m_vecPaletteBlock);
  PadPaletteList(m_vecPaletteChara);
  PadPaletteList(m_vecPaletteItem);
  ResetPaletteHead(m_vecPaletteBlock, m_vecPaletteChara, m_vecPaletteItem);
  ReadPlacementLists(f);
  if (IsThreadStopRequested()) return;
  {
    uint32_t n = f.ReadCount(MIN_RECORD_BYTES, "backgrounds");
    m_vecBackground.assign(n, cEdBackground());
    for (uint32_t i = 0; i < n && !f.Failed(); ++i) m_vecBackground[i].Read(f);
  }
  {
    uint32_t n = f.ReadCount(MIN_RECORD_BYTES, "stage texts");
    m_vecText.assign(n, cEdStageObjB());
    for (uint32_t i = 0; i < n && !f.Failed(); ++i) m_vecText[i].Read(f);
  }
  if (v >= 173) {
    uint32_t nEndMark = 0;
    f.ReadU32(nEndMark);
  }
  if (v < DATA_VERSION_CURRENT) ConvertOlder(v);
  BoundMap();
  Normalize();
}

void cEdStage::ReadPlacementLists(cDataFile& f) {
  ReadPlacedList(m_vecBlock, f, "placed blocks");
  if (IsThreadStopRequested()) return;
  ReadPlacedList(m_vecChara, f, "placed charas");
  if (IsThreadStopRequested()) return;
  ReadPlacedList(m_vecItem, f, "placed items");
}

void cEdStage::ConvertOlder(int v) {
  if (v < 155) {
    m_nPlayerHitNgW = m_nPlayerHitW;
    m_nPlayerHitNgH = m_nPlayerHitH;
    m_nCharaHitNgW = m_nCharaHitW;
    m_nCharaHitNgH = m_nCharaHitH;
    m_bPlayerHitBottom = 0;
    m_bPlayerHitNgBottom = 0;
    m_bCharaHitBottom = 0;
    m_bCharaHitNgBottom = 0;
  }
  if (v < 166) m_nBgmOption = 1;
  if (v < 181) {
    m_vecRankingSwitch.resize(STAGE_RANKING_SWITCHES, 0);
    m_vecRankingSwitch[3] = 0;
    m_vecRankingSwitch[4] = 0;
  }
  if (v < 183) m_bShowStatusBar = 1;
  if (v < 184) m_bResultAutoClose = 0;
  if (v < 199) m_bKeepBgm = 0;
  if (v < 200) {
    m_nPlayerBodyW = 16, m_nPlayerBodyH = 24, m_nPlayerBodyNgW = 16, m_nPlayerBodyNgH = 16;
    m_bPlayerBodyBottom = 1;
    m_bPlayerBodyNgBottom = 0;
    m_nPlayerBodyShow = 0;
    m_nPlayerBodyColour = 5;
    m_nCharaBodyW = 16, m_nCharaBodyH = 30, m_nCharaBodyOtherW = 16, m_nCharaBodyOtherH = 30;
    m_bCharaBodyBottom = 1;
    m_bCharaBodyOtherBottom = 1;
  }
  if (v < 225) m_bStartBanner = 0;
}

void cEdStage::BoundMap() {
  // The map size and every placement cell come from the file; play indexes
  // its block map with them.
  m_nWidth = std::clamp<uint32_t>(m_nWidth, 1, STAGE_MAX_SIDE_CELLS);
  m_nHeight = std::clamp<uint32_t>(m_nHeight, 1, STAGE_MAX_SIDE_CELLS);
  if (static_cast<uint64_t>(m_nWidth) * m_nHeight > STAGE_MAX_MAP_CELLS)
    m_nHeight = static_cast<uint32_t>(STAGE_MAX_MAP_CELLS / m_nWidth);
  DropOutside(m_vecBlock, m_nWidth, m_nHeight, "blocks");
  DropOutside(m_vecChara, m_nWidth, m_nHeight, "charas");
  DropOutside(m_vecItem, m_nWidth, m_nHeight, "items");
}

void cEdStage::WriteSettingsPart(cDataFile& f) {
  cEdRecord::Write(f);
  WriteValueList(f, m_vecRankingSwitch);
  for (cEdStageSub& sub : m_aSub) sub.Write(f);
}

void cEdStage::WriteRecordsPart(cDataFile& f) {
  WriteRecordList(f, m_vecPaletteBlock);
  WriteRecordList(f, m_vecPaletteChara);
  WriteRecordList(f, m_vecPaletteItem);
  WritePlacedList(m_vecBlock, f);
  WritePlacedList(m_vecChara, f);
  WritePlacedList(m_vecItem, f);
}

void cEdStage::WriteTailPart(cDataFile& f) {
  WriteRecordList(f, m_vecBackground);
  WriteRecordList(f, m_vecText);
}

void cEdStage::Write(cDataFile& f) {
  Normalize();
  WriteSettingsPart(f);
  WriteRecordsPart(f);
  WriteTailPart(f);
  // The running system writes at 667; an older layout (fixtures of older
  // editors) has no end mark before 173.
  if (g_nCurDataVersion >= 173) f.WriteU32(STAGE_END_MARK);
}

void cEdStage::WriteForReplay(cDataFile& f, cEdStage& stage) {
  Normalize();
  stage.WriteSettingsPart(f);
  WriteRecordsPart(f);
  stage.WriteTailPart(f);
  f.WriteU32(STAGE_END_MARK);
}
