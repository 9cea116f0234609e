#include "records/option.h"

#include "base/message_box.h"

namespace {

// The option screen's ranges; a value read from a file outside its range
// takes the default.
struct OPTIONRANGE {
  int32_t cEdOption::*pMember;
  int32_t nMin;
  int32_t nMax;
  int32_t nDefault;
};
const OPTIONRANGE kOptionRanges[] = {
    {&cEdOption::m_nHbt, 0, 23, 0},
    {&cEdOption::m_bMusic, 0, 1, 1},
    {&cEdOption::m_nSeVolume, 0, 10, 7},
    {&cEdOption::m_nRankingMode, 0, 3, 0},
};

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
  for (const OPTIONRANGE& r : kOptionRanges) {
    int32_t& n = this->*r.pMember;
    if (n < r.nMin || n > r.nMax) n = r.nDefault;
  }
  m_szRankingName = CutRankingName(m_szRankingName);
}

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
