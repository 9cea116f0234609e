// The stage file's byte order (after the data-version word): the settings,
// the ranking switches, the five removal areas, the stage palette, the
// placements (each behind a dropped word), the backgrounds, the texts and,
// from version 173, the end mark.
#include <algorithm>

#include "base/thread_wrapper.h"
#include "base/report.h"
#include "records/common_palette.h"
#include "records/live_bounds.h"
#include "records/stage.h"

namespace {

// A placed record takes at least its dropped word and its base part's two
// counts.
constexpr size_t MIN_PLACED_BYTES = 12;
// One that is read whole takes its cell and the counts of its inheritance
// vector and conditions too (a chara or an item yet more).
constexpr size_t MIN_WHOLE_PLACED_BYTES = MIN_PLACED_BYTES + 12;

template <class T>
void WritePlacedList(cVector<T>& v, cDataFile& f) {
  f.WriteU32(static_cast<uint32_t>(v.size()));
  for (T& r : v) {
    f.WriteU32(0);
    r.Write(f);
  }
}

// The loader thread is told to end when its caller gives up the load: the
// read stops between records and the caller discards what was read. No more
// than nKeep placements are kept, as play makes no more objects of the
// kind: the rest are read past, each into the same scratch record, and the
// report says how many were left out.
template <class T>
void ReadPlacedList(cVector<T>& v, cDataFile& f, const char* pszWhat, size_t nKeep) {
  uint32_t n = f.ReadCount(MIN_PLACED_BYTES, pszWhat);
  // Every element starts from the defaults. The elements of the stage read
  // before are reused: assigning a default to one keeps the storage of its
  // lists. The room for the rest is made at once, as grown one element at a
  // time the list would move every element read so far at each step. The
  // count is bounded by the bytes left, but a damaged file can still claim
  // millions of elements that are not there: the room is only what the
  // bytes left could hold read whole, no more than a file that really held
  // them would take.
  const size_t nRoom = std::min({static_cast<size_t>(n), nKeep,
                                 static_cast<size_t>(f.BytesLeft()) / MIN_WHOLE_PLACED_BYTES});
  if (v.capacity() < nRoom) v.reserve(nRoom);
  T proto;
  size_t nRead = 0;
  for (; nRead < n && nRead < nKeep && !f.Failed(); ++nRead) {
    if (IsThreadStopRequested()) break;
    if (nRead < v.size()) {
      v[nRead] = proto;
    } else {
      v.push_back(proto);
    }
    uint32_t dropped = 0;
    f.ReadU32(dropped);
    v[nRead].Read(f);
  }
  v.erase(v.begin() + static_cast<ptrdiff_t>(std::min(nRead, v.size())), v.end());
  if (nRead < nKeep || nRead >= n || f.Failed()) return;
  T skipped;
  size_t nLeft = 0;
  for (; nRead < n && !f.Failed(); ++nRead, ++nLeft) {
    if (IsThreadStopRequested()) return;
    skipped = proto;
    uint32_t dropped = 0;
    f.ReadU32(dropped);
    skipped.Read(f);
  }
  if (!f.Failed()) Reportf("the stage keeps at most %zu %s: %zu more are left out", nKeep, pszWhat, nLeft);
}

}  // namespace

void cEdStage::Read(cDataFile& f) {
  cEdRecord::Read(f);
  const int v = g_nFileDataVersion;
  ReadValueList(f, m_vecRankingSwitch, "ranking switches");
  for (cEdStageSub& sub : m_aSub) sub.Read(f);
  ReadBlockList(m_vecPaletteBlock, f);
  ReadCharaList(m_vecPaletteChara, f);
  ReadItemList(m_vecPaletteItem, f);
  PadPaletteList(m_vecPaletteBlock);
  PadPaletteList(m_vecPaletteChara);
  PadPaletteList(m_vecPaletteItem);
  ResetPaletteHead(m_vecPaletteBlock, m_vecPaletteChara, m_vecPaletteItem);
  ReadPlacementLists(f);
  if (IsThreadStopRequested()) return;
  ReadRecordList(f, m_vecBackground, "backgrounds");
  ReadRecordList(f, m_vecText, "stage texts");
  if (v >= 173) {
    uint32_t nEndMark = 0;
    f.ReadU32(nEndMark);
  }
  if (v < DATA_VERSION_CURRENT) ConvertOlder(v);
  Normalize();
}

void cEdStage::ReadPlacementLists(cDataFile& f) {
  ReadPlacedList(m_vecBlock, f, "placed blocks", LIVE_MAX[LIVE_BLOCK]);
  if (IsThreadStopRequested()) return;
  ReadPlacedList(m_vecChara, f, "placed charas", LIVE_MAX[LIVE_CHARA]);
  if (IsThreadStopRequested()) return;
  ReadPlacedList(m_vecItem, f, "placed items", LIVE_MAX[LIVE_ITEM]);
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
  // As Write: the reader takes a mark from 173 on, and an older replay's
  // key record follows the stage at once.
  if (g_nCurDataVersion >= 173) f.WriteU32(STAGE_END_MARK);
}
