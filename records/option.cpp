#include "records/option.h"

#include <algorithm>

#include "base/message_box.h"

namespace {

// The option screen's ranges.
constexpr int32_t kHbtMax = 23;
constexpr int32_t kSeVolumeMax = 10;
constexpr int32_t kRankingModeMax = 3;

}  // namespace

cEdOption::cEdOption() {
  RegisterFields(DATA_VERSION_CURRENT);
  m_nHbt = 0;
  m_bMusic = 1;
  m_nSeVolume = 7;
  m_nRankingMode = 0;
  m_szRankingName = "aaa";
}

void cEdOption::RegisterFields(int) {
  ClearTables();
  AddField32(&m_nHbt, 1);
  AddField32(&m_bMusic, 1);
  AddField32(&m_nSeVolume, 1);
  AddField32(&m_nRankingMode, 1);
  AddStrField(&m_szRankingName, 1);
}

void cEdOption::Read(cDataFile& f) {
  cEdRecord::Read(f);
  EmptyHook();
}

int32_t cEdOption::HbtInUse() const { return std::clamp(m_nHbt, 0, kHbtMax); }
int32_t cEdOption::SeVolumeInUse() const { return std::clamp(m_nSeVolume, 0, kSeVolumeMax); }
int32_t cEdOption::RankingModeInUse() const { return std::clamp(m_nRankingMode, 0, kRankingModeMax); }
std::string cEdOption::RankingNameInUse() const { return CutRankingName(m_szRankingName); }

std::string CutRankingName(const std::string& s) {
  size_t i = 0;
  int nChars = 0;
  while (i < s.size()) {
    // Counted as CountMbcsChars counts: a pair is one, a line feed none.
    size_t step = IsDbcsPair(s.c_str() + i) ? 2 : 1;
    int n = s[i] == '\n' ? 0 : 1;
    if (nChars + n > RANKING_NAME_MAX_CHARS) break;
    nChars += n;
    i += step;
  }
  return s.substr(0, i);
}

const char* const OPTION_DAT_PATH = "user_data\\Option.dat";

BOOL LoadOption() {
  cEdOption opt = g_Option;
  if (!opt.LoadFromFile(OPTION_DAT_PATH)) return 0;
  g_Option = std::move(opt);
  return 1;
}

BOOL SaveOption() { return g_Option.SaveToFile(OPTION_DAT_PATH); }
