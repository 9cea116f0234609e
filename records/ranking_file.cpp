#include "records/ranking_file.h"

#include <cstdlib>

#include "base/path_helpers.h"
#include "base/report.h"
#include "platform/file_system.h"
#include "platform/text_cp932.h"

namespace {

// Indexed by play kind: story, challenge, free.
const char* const kUserDataFolder[] = {"user_data\\story\\", "user_data\\challenge\\", "user_data\\free\\"};
constexpr int kUserDataFolderCount = static_cast<int>(sizeof kUserDataFolder / sizeof kUserDataFolder[0]);

constexpr int kMaxNumberWidth = 32;

// Digits of a non-negative magnitude, zero-padded to nWidth.
std::string PaddedDigits(int64_t nMagnitude, int nWidth) {
  std::string digits = std::to_string(nMagnitude);
  if (static_cast<int>(digits.size()) < nWidth) digits.insert(0, nWidth - digits.size(), '0');
  return digits;
}

// One part of a clear time: its absolute value in nWidth digits, "-" first
// when negative.
std::string TimePart(int32_t nPart, int nWidth) {
  const int64_t n = nPart;
  return (n < 0 ? "-" : "") + PaddedDigits(std::llabs(n), nWidth);
}

}  // namespace

BOOL BuildUserDataPath(std::string& path, int nPlayKind, const std::string& strStage) {
  path.clear();
  if (nPlayKind < 0 || nPlayKind >= kUserDataFolderCount) return FALSE;
  std::string name = strStage;
  StripDirectory(name);
  path = std::string(kUserDataFolder[nPlayKind]) + name + "rkg";
  return TRUE;
}

BOOL LoadUserDataRecord(cEdRankingSet& ranking, int nPlayKind, const std::string& strStage) {
  std::string path;
  if (BuildUserDataPath(path, nPlayKind, strStage) && PathFileExistsA(path) && ranking.LoadFromFile(path)) {
    return TRUE;
  }
  // A damaged file may have left part of its tables behind.
  ResetRanking(ranking);
  return FALSE;
}

BOOL SaveUserDataRecord(cEdRankingSet& ranking, int nPlayKind, const std::string& strStage) {
  std::string path;
  if (!BuildUserDataPath(path, nPlayKind, strStage)) return FALSE;
  // A first registration may come before anything else was saved there.
  std::string folder = kUserDataFolder[nPlayKind];
  folder.pop_back();
  CreateDirectoryA("user_data");
  CreateDirectoryA(folder);
  if (ranking.SaveToFile(path)) return TRUE;
  Reportf(Sjis("ランキングファイル %s の保存に失敗しました").c_str(), path.c_str());
  return FALSE;
}

BOOL RegisterRankResults(cEdRankingSet& ranking, const int32_t anRankPos[RANK_TABLE_COUNT],
                         const int32_t anValue[RANK_TABLE_COUNT], const std::string& strName, int nPlayKind,
                         const std::string& strStage) {
  for (int k = 0; k < RANK_TABLE_COUNT; ++k) {
    if (anRankPos[k] != -1) RankTableInsert(ranking.m_vecTable.CheckedAt(k), strName, anValue[k]);
  }
  return SaveUserDataRecord(ranking, nPlayKind, strStage);
}

void FormatRankTime(std::string& out, int32_t nValue) {
  const int32_t nSeconds = nValue / 100;
  const int32_t nMinutes = nSeconds / 60;
  out = TimePart(nMinutes, 2) + ":" + TimePart(nSeconds % 60, 2) + "." + TimePart(nValue % 100, 2);
}

int CountDigits(int32_t n) {
  int nDigits = 1;
  while (n / 10 != 0 && nDigits < 11) {
    n /= 10;
    ++nDigits;
  }
  return nDigits;
}

void NumberToText(std::string& out, int32_t nValue, int nMinDigits, BOOL bKeepZeros, BOOL bPlus) {
  const int nDigits = CountDigits(nValue);
  // The minimum comes from project settings: bounded, so a damaged one cannot
  // ask for a screen-wide text.
  const int nMin = nMinDigits < kMaxNumberWidth ? nMinDigits : kMaxNumberWidth;
  const int nWidth = nMin > nDigits ? nMin : nDigits;
  std::string text = PaddedDigits(std::llabs(static_cast<int64_t>(nValue)), nWidth);
  if (!bKeepZeros) {
    for (size_t i = 0; i + 1 < text.size() && text[i] == '0'; ++i) text[i] = ' ';
  }
  if (nValue < 0) {
    out = "-" + text;
  } else if (bPlus) {
    out = "+" + text;
  } else {
    out = text;
  }
}
