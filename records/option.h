// The player's options (`g_Option`, "user_data\Option.dat"): the picture
// set of the status numbers, music on or off, the sound-effect volume, the
// ranking registration mode and the ranking name.
#pragma once

#include <cstdint>
#include <string>

#include "records/record.h"

class cEdOption : public cEdRecord {
 public:
  cEdOption();
  void RegisterFields(int nVersion) override;
  // ReadAndHook: the values stay as the file holds them, also outside the
  // option screen's ranges; the screens and the game use them through the
  // ...InUse() readings below.
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override { WriteAndHook(*this, f); }

  // The values as the screens and the game use them: a value outside the
  // option screen's range at its nearer end, the name cut to 3 characters.
  int32_t HbtInUse() const;          // 0 to 23
  int32_t SeVolumeInUse() const;     // 0 to 10
  int32_t RankingModeInUse() const;  // RANKINGMODE 0 to 3
  std::string RankingNameInUse() const;

  int32_t m_nHbt = 0;
  int32_t m_bMusic = 1;
  int32_t m_nSeVolume = 7;
  int32_t m_nRankingMode = 0;
  std::string m_szRankingName;
};

// Threads: loaded by InitGame before the game thread starts; then the game
// thread (the option scene) changes and saves it, and the name-entry dialog
// on the window thread writes its ranking name while the game thread waits
// in SendMessage.
extern cEdOption g_Option;
extern const char* const OPTION_DAT_PATH;  // "user_data\Option.dat"

// Start-up: reads the file over g_Option. A missing or damaged file leaves
// g_Option as it was; the result (1 / 0) may be ignored.
BOOL LoadOption();
// The option screen, when it is left: 1 when the file was written whole.
BOOL SaveOption();

// The longest ranking name, in characters (a double-byte pair counts one).
constexpr int RANKING_NAME_MAX_CHARS = 3;
// The text cut to at most that many characters, never inside a pair.
std::string CutRankingName(const std::string& strName);
