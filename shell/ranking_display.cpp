#include "shell/ranking_display.h"

#include <algorithm>
#include <string>

#include "base/message_box.h"
#include "media/graphics/font.h"
#include "platform/text_cp932.h"
#include "records/progress.h"
#include "records/ranking_file.h"
#include "records/stage.h"
#include "records/system.h"
#include "records/system_queries.h"
#include "shell/scene_manager.h"
#include "shell/startup.h"

namespace {

constexpr int kFont = 1;
constexpr int kCell = 16;
constexpr DWORD kTextDrawMode = 0;
constexpr int kMarkerSurface = 49;
constexpr int kGenreNoteText = 24;

void DrawMarker(DDSURFACEDATA* lpSD, int x, int y) {
  DDBltFast(lpSD, x, y, kCell, kCell, &g_aStageSurface[kMarkerSurface], 16, 48, 1);
}

std::string ValueText(int nKind, int32_t nValue) {
  if (nKind != RK_CLEARTIME) return std::to_string(nValue);
  std::string s;
  FormatRankTime(s, nValue);
  return s;
}

}  // namespace

const std::string& RankKindLabel(int nKind) { return g_System.m_vecText.CheckedAt(5 + nKind); }

int32_t ResultValueOf(int nKind) {
  const cEdProgress& p = g_Progress;
  const int32_t an[RANK_TABLE_COUNT] = {p.m_nRankValue0, p.m_nRankValue1, p.m_nRankValue2, p.m_nRankValue3,
                                        p.m_nRankValue4};
  return an[std::clamp(nKind, 0, RANK_TABLE_COUNT - 1)];
}

void DrawRankingOf(cEdRankingSet& ranking, DDSURFACEDATA* lpSD, int x, int y, int nKind, int nHighlight) {
  DrawRanking(ranking.m_vecTable.CheckedAt(nKind), lpSD, x, y, nKind, nHighlight);
}

void DrawRanking(cEdRankTable& table, DDSURFACEDATA* lpSD, int x, int y, int nKind, int nHighlight) {
  cFont& font = g_Fonts[kFont];
  font.DrawBox(lpSD, x + 1, y + 1, 270, 350);
  font.DrawText(lpSD, x, y, (Sjis("ランキング    ") + RankKindLabel(nKind)).c_str(), kTextDrawMode);

  const int nRows = static_cast<int>(table.m_vecEntry.size());
  const int nValueWidth = nKind == RK_CLEARTIME ? 8 : CountDigits(table.m_vecEntry.CheckedAt(0).m_nValue);
  const bool bNameFont = g_System.m_nFontSettingA != 0;
  for (int i = 0; i < nRows; ++i) {
    const cEdRankEntry& row = table.m_vecEntry[static_cast<size_t>(i)];
    if (!row.m_bUsed) continue;
    const int yRow = y + kCell * (i + 1);
    font.DrawText(lpSD, x + 16, yRow, std::to_string(i + 1).c_str(), kTextDrawMode);
    // The name is the player's text: with the name-font setting on, no
    // letter of it turns into an icon.
    if (bNameFont) font.m_bIcon = 0;
    font.DrawText(lpSD, x + 64, yRow, row.m_strName.c_str(), kTextDrawMode);
    if (bNameFont) font.m_bIcon = 1;
    const int xValue = nKind == RK_CLEARTIME ? x + 144 : x + 144 + kCell * (nValueWidth - CountDigits(row.m_nValue));
    font.DrawText(lpSD, xValue, yRow, ValueText(nKind, row.m_nValue).c_str(), kTextDrawMode);
  }
  if (CountSystemEntryFlags(g_SceneMgr.m_nPlayKind) >= 2) {
    const std::string& note = g_System.m_vecText.CheckedAt(kGenreNoteText);
    font.DrawText(lpSD, x + 136 - kCell * CountMbcsChars(note) / 2, y + kCell * (nRows + 1), note.c_str(),
                  kTextDrawMode);
  }
  if (nHighlight != -1) DrawMarker(lpSD, x, y + kCell * (nHighlight + 1));
}

int ShownResultKinds(bool abShown[RANK_TABLE_COUNT]) {
  int nShown = 0;
  for (int k = 0; k < RANK_TABLE_COUNT; ++k) {
    const cVector<uint32_t>& stageSwitch = g_StageCopy.m_vecRankingSwitch;
    const bool bStage = static_cast<size_t>(k) < stageSwitch.size() && stageSwitch[static_cast<size_t>(k)] != 0;
    bool bKind = true;
    if (!g_bFreeStage) {
      const cVector<uint8_t>& flags = g_System.m_vecRankingSwitch.CheckedAt(g_SceneMgr.m_nPlayKind).Flags();
      bKind = static_cast<size_t>(k) < flags.size() && flags[static_cast<size_t>(k)] != 0;
    }
    abShown[k] = bStage && bKind;
    if (abShown[k]) ++nShown;
  }
  return nShown;
}

void DrawResultPanel(DDSURFACEDATA* lpSD, int x, int y, const int32_t anRankPos[RANK_TABLE_COUNT]) {
  bool abShown[RANK_TABLE_COUNT] = {};
  const int nShown = ShownResultKinds(abShown);
  int nLabelWidth = 1, nValueWidth = 1;
  for (int k = 0; k < RANK_TABLE_COUNT; ++k) {
    if (!abShown[k]) continue;
    nLabelWidth = std::max(nLabelWidth, CountMbcsChars(RankKindLabel(k)));
    nValueWidth = std::max(nValueWidth, CountDigits(ResultValueOf(k)));
    if (k == RK_CLEARTIME) nValueWidth = std::max(nValueWidth, 8);
  }
  if (nShown == 0) return;

  cFont& font = g_Fonts[kFont];
  font.DrawBox(lpSD, x, y, kCell * (nValueWidth + nLabelWidth + 3), kCell * nShown);
  int yRow = y;
  for (int k = 0; k < RANK_TABLE_COUNT; ++k) {
    if (!abShown[k]) continue;
    font.DrawText(lpSD, x + 16, yRow, RankKindLabel(k).c_str(), kTextDrawMode);
    font.DrawText(lpSD, x + 16 + kCell * (nLabelWidth + 1), yRow, ValueText(k, ResultValueOf(k)).c_str(),
                  kTextDrawMode);
    yRow += kCell;
  }
  int yMark = y;
  for (int k = 0; k < RANK_TABLE_COUNT; ++k) {
    if (anRankPos[k] == -1) continue;
    DrawMarker(lpSD, x, yMark);
    yMark += kCell;
  }
}
