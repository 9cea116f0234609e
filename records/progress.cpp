#include "records/progress.h"

#include <algorithm>

#include "records/system.h"
#include "records/world_map.h"

cEdProgress g_Progress;

namespace {

// The first data version whose files hold the carry marks.
constexpr int32_t kCarryListVersion = 501;
template <class T>
void PadTo(cVector<T>& v, size_t n) {
  if (v.size() < n) v.resize(n, T{});
}

}  // namespace

int32_t ChallengeCourseLimit() {
  // A settings file asking for more courses than this is damaged; the
  // value-pair list is not grown past it.
  constexpr uint32_t kMaxChallengeCourses = 9999;
  return static_cast<int32_t>(std::min(g_System.m_nChallengeLimit, kMaxChallengeCourses));
}

cEdProgress::cEdProgress() { RegisterFields(DATA_VERSION_CURRENT); }

void cEdProgress::RegisterFields(int v) {
  ClearTables();
  AddField32(&m_bCarry, 1);                             // 1
  AddField32(&m_nMapX, 1);                              // 2
  AddField32(&m_nMapY, 1);                              // 3
  AddField32(&m_nMapEvent, 1);                          // 4
  AddField32(&m_nMapRound, 1);                          // 5
  AddField32(&m_nClearFlag, 1);                         // 6
  AddField32(&m_nArea, 1);                              // 7
  AddField32(&m_nLivesStart, 1);                        // 8
  AddField32(&m_nLives, 1);                             // 9
  AddField32(&m_nScore, 1);                             // 10
  AddField32(&m_nRankValue0, 1);                        // 11
  AddField32(&m_nTotalScore, 1);                        // 12
  AddField32(&m_nRankValue1, 1);                        // 13
  AddField32(&m_nRankValue2, 1);                        // 14
  if (v >= 182) AddField32(&m_nRankValue3, 1);          // 15
  if (v >= 182) AddField32(&m_nRankValue4, 1);          // 16
  AddField32(&m_bNumbered, 1);                          // 17
  AddField32(&m_nValue17, 1);                           // 18
  if (v >= 166) AddField32(&m_nStageBgmOption, 1);      // 19
  if (v >= 194) AddField32(&m_nFacing, 1);              // 20
  if (v >= 190) AddField32(&m_bLeftStage, 1);           // 21
  if (v >= 191) AddField32(&m_nPrevMapX, 1);            // 22
  if (v >= 191) AddField32(&m_nPrevMapY, 1);            // 23
  AddField32(&m_nChallengeOpen, 1);                     // 24
  AddField32(&m_nSaveSlot, 1);                          // 25
  if (v >= 169) AddField32(&m_bAutoSave, 1);            // 26
  AddField32(&m_bMapRanking, 1);                        // 27
  AddField32(&m_nRankGenre, 1);                         // 28
  AddStrField(&m_strStage, 1);                          // s1
  AddStrField(&m_strRegName, 1);                        // s2
}

void cEdProgress::Read(cDataFile& f) {
  const int32_t v = g_nFileDataVersion;
  cEdRecord::Read(f);
  f.ReadBytes(&m_stSaved, sizeof m_stSaved);
  if (v >= kCarryListVersion) ReadValueList(f, m_vCarry, "carry list");
  ReadRecordList(f, m_vPlayer, "saved player list");
  ReadRecordList(f, m_vStageScore, "stage score list");
  ReadRecordList(f, m_vChallenge, "challenge list");
  ReadValueList(f, m_vFlag, "story flag list");
  ReadValueList(f, m_vVar, "variable list");

  if (v < g_nCurDataVersion) {
    if (v < 166) m_nStageBgmOption = 1;
    if (v < 169) m_bAutoSave = 0;
    if (v < 182) m_nRankValue3 = m_nRankValue4 = 0;
    if (v < 190) m_bLeftStage = 0;
    if (v < 191) m_nPrevMapX = m_nPrevMapY = 0;
    if (v < 194) m_nFacing = 0;
    if (v < kCarryListVersion) m_vCarry.assign(kCarryItemCount, 1);
  }
  // Stage play and the world map index these lists by item, flag and
  // variable number: a file with shorter lists reads as if the missing
  // entries were 0.
  PadTo(m_vCarry, kCarryItemCount);
  PadTo(m_vFlag, kStoryFlagCount);
  PadTo(m_vVar, kCommonVarCount);
  ProgressNormalize(*this);
}

void cEdProgress::Write(cDataFile& f) {
  ProgressNormalize(*this);
  cEdRecord::Write(f);
  f.WriteBytes(&m_stSaved, sizeof m_stSaved);
  // A file of an older version has no place for the marks; written there
  // they would shift every list after them.
  if (g_nCurDataVersion >= kCarryListVersion) WriteValueList(f, m_vCarry);
  WriteRecordList(f, m_vPlayer);
  WriteRecordList(f, m_vStageScore);
  WriteRecordList(f, m_vChallenge);
  WriteValueList(f, m_vFlag);
  WriteValueList(f, m_vVar);
}

void ProgressNormalize(cEdProgress& p) {
  const cEdWorldMap& w = g_WorldMap;
  // A negative cell is as far off the map as one past its edge.
  if (p.m_nMapX < 0 || p.m_nMapX >= w.m_nWidth) p.m_nMapX = w.m_nStartX;
  if (p.m_nMapY < 0 || p.m_nMapY >= w.m_nHeight) p.m_nMapY = w.m_nStartY;

  const int32_t nOpen = ChallengeCourseLimit();
  p.m_vChallenge.resize(static_cast<size_t>(nOpen));
  if (p.m_nChallengeOpen > nOpen) p.m_nChallengeOpen = nOpen;
  // With no course open the challenge list would show nothing while its
  // decide key still starts course 1.
  if (p.m_nChallengeOpen < 1) p.m_nChallengeOpen = std::min<int32_t>(1, nOpen);

  // Both index tables and name files ("Story%02d.dat", the ranking genres).
  if (p.m_nSaveSlot < -1 || p.m_nSaveSlot >= kProgressSlotCount) p.m_nSaveSlot = -1;
  if (p.m_nRankGenre < 0 || p.m_nRankGenre >= kRankGenreCount) p.m_nRankGenre = 0;
}

void ProgressReset(cEdProgress& p) {
  p.ClearFields();
  p.m_vCarry.assign(kCarryItemCount, 0);
  p.m_vPlayer.clear();
  p.m_vPlayer.resize(1);
  p.m_vFlag.assign(kStoryFlagCount, 0);
  p.m_vFlag[0] = 1;
  p.m_vVar.assign(kCommonVarCount, 0);
  p.m_vStageScore.clear();
  p.m_vChallenge.clear();
  p.m_nChallengeOpen = 1;
  p.m_nSaveSlot = -1;
  p.m_strRegName = "aaa";
}

uint32_t FindStageScore(const std::string& name) {
  for (const cEdPlayRecEntryB& e : g_Progress.m_vStageScore)
    if (e.m_strName == name) return e.m_nValue;
  return 0;
}

void RecordStoryClear(cEdProgress& p) {
  const int32_t n = p.m_nClearFlag;
  if (n >= 0 && static_cast<size_t>(n) < p.m_vFlag.size()) p.m_vFlag[static_cast<size_t>(n)] = 1;
  const uint32_t nTotal = static_cast<uint32_t>(std::max(0, p.m_nTotalScore));
  for (cEdPlayRecEntryB& e : p.m_vStageScore) {
    if (e.m_strName != p.m_strStage) continue;
    e.m_nValue = std::max(e.m_nValue, nTotal);
    return;
  }
  cEdPlayRecEntryB e;
  e.m_strName = p.m_strStage;
  e.m_nValue = nTotal;
  p.m_vStageScore.push_back(e);
}

const cEdWorldAction* ProgressMapEvent(const cEdProgress& p) {
  if (p.m_nMapEvent < 0) return nullptr;
  size_t n = static_cast<size_t>(p.m_nMapEvent);
  for (const cEdWorldEvent& entry : g_WorldMap.m_vEvent) {
    if (n < entry.m_vAction.size()) return &entry.m_vAction[n];
    n -= entry.m_vAction.size();
  }
  return nullptr;
}

int32_t MapEventNumber(const cEdWorldAction& e) {
  size_t n = 0;
  for (const cEdWorldEvent& entry : g_WorldMap.m_vEvent) {
    const cEdWorldAction* first = entry.m_vAction.data();
    if (first && &e >= first && &e < first + entry.m_vAction.size())
      return static_cast<int32_t>(n + static_cast<size_t>(&e - first));
    n += entry.m_vAction.size();
  }
  return -1;
}

void MapRoundStep(cEdProgress& p) {
  ++p.m_nMapRound;
  std::fill(p.m_vFlag.begin(), p.m_vFlag.end(), 0u);
  if (!p.m_vFlag.empty()) p.m_vFlag[0] = 1;
  p.m_nMapX = g_WorldMap.m_nStartX;
  p.m_nMapY = g_WorldMap.m_nStartY;
}

void NextRankingGenre(cEdProgress& p, int nPlayKind, int nStep) {
  // A settings file with fewer play kinds or genre flags switches the
  // missing ones off.
  const cVector<cEdRankingSwitch>& kinds = g_System.m_vecRankingSwitch;
  if (nPlayKind < 0 || static_cast<size_t>(nPlayKind) >= kinds.size()) return;
  const cVector<uint8_t>& flags = kinds[static_cast<size_t>(nPlayKind)].Flags();
  auto enabled = [&flags](int g) { return static_cast<size_t>(g) < flags.size() && flags[static_cast<size_t>(g)]; };
  bool bAny = false;
  for (int g = 0; g < kRankGenreCount; ++g) bAny = bAny || enabled(g);
  if (!bAny) return;
  const int nDir = nStep < 0 ? -1 : 1;
  int g = std::clamp(p.m_nRankGenre, 0, kRankGenreCount - 1);
  auto advance = [&] {
    do {
      g = (g + nDir + kRankGenreCount) % kRankGenreCount;
    } while (!enabled(g));
  };
  for (int n = nStep < 0 ? -nStep : nStep; n > 0; --n) advance();
  // Step 0 only puts a genre that is switched off on the next one that is on.
  if (!enabled(g)) advance();
  p.m_nRankGenre = g;
}

void SetProgressStageName(cEdProgress& p, const std::string& path) {
  p.m_strStage = path;
  p.m_bNumbered = 0;
  // No byte of "-", "1" or "." can be the second byte of a CP932 character.
  const size_t nDash = path.rfind("-1");
  if (nDash != std::string::npos) {
    p.m_bNumbered = 1;
    p.m_strStage = path.substr(0, nDash) + ".";
    return;
  }
  const size_t nDot = path.rfind('.');
  if (nDot != std::string::npos) p.m_strStage = path.substr(0, nDot + 1);
}
