// The play progress record cEdProgress and the live one, g_Progress: lives,
// score, world-map position, story flags and variables, carried player
// status and the stage scores of a run; story slots, the challenge file and
// the tail of every replay are this record on disk.
#pragma once

#include <cstdint>
#include <string>

#include "base/checked_containers.h"
#include "records/progress_elements.h"
#include "records/record.h"

// The moment a progress record was saved: eight u16, written raw (16 bytes).
struct SAVEDTIME {
  uint16_t wYear;
  uint16_t wMonth;
  uint16_t wDayOfWeek;
  uint16_t wDay;
  uint16_t wHour;
  uint16_t wMinute;
  uint16_t wSecond;
  uint16_t wMilliseconds;
};
static_assert(sizeof(SAVEDTIME) == 16);

// Lives that never run out.
constexpr int32_t kUnlimitedLives = 999999;
// The sizes a reset gives the lists; a file's shorter lists are padded to them.
constexpr int kCarryItemCount = 25;
constexpr int kStoryFlagCount = 1000;
constexpr int kCommonVarCount = 256;
constexpr int kRankGenreCount = 5;
// The story slots the save slot names (0-based).
constexpr int32_t kProgressSlotCount = 99;

class cEdWorldAction;

class cEdProgress : public cEdRecord {
 public:
  cEdProgress();
  void RegisterFields(int nVersion) override;
  // ProgressRead / ProgressWrite: the base part, then the raw and list parts.
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  // Registered members, in file order.
  int32_t m_bCarry = 0;           // 1  a player's status is stored for carrying over
  int32_t m_nMapX = 0;            // 2  world-map cell, column
  int32_t m_nMapY = 0;            // 3  row
  int32_t m_nMapEvent = 0;        // 4  world-map event whose stage is played
  int32_t m_nMapRound = 0;        // 5
  int32_t m_nClearFlag = 0;       // 6  m_vFlag entry of the stage played
  int32_t m_nArea = 0;            // 7
  int32_t m_nLivesStart = 0;      // 8  kUnlimitedLives: unlimited
  int32_t m_nLives = 0;           // 9  kUnlimitedLives: unlimited
  int32_t m_nScore = 0;           // 10
  int32_t m_nRankValue0 = 0;      // 11 ranking kind 0 (score)
  int32_t m_nTotalScore = 0;      // 12
  int32_t m_nRankValue1 = 0;      // 13 ranking kind 1 (time left)
  int32_t m_nRankValue2 = 0;      // 14 ranking kind 2 (clear time)
  int32_t m_nRankValue3 = 0;      // 15 from 182: ranking kind 3 (HP left)
  int32_t m_nRankValue4 = 0;      // 16 from 182: ranking kind 4 (SP left)
  int32_t m_bNumbered = 0;        // 17 the stage name came from a "-1" file
  int32_t m_nValue17 = 0;         // 18 kept for stage play
  int32_t m_nStageBgmOption = 0;  // 19 from 166
  int32_t m_nFacing = 0;          // 20 from 194: 0 down, 1 up, 2 left, 3 right
  int32_t m_bLeftStage = 0;       // 21 from 190
  int32_t m_nPrevMapX = 0;        // 22 from 191
  int32_t m_nPrevMapY = 0;        // 23 from 191
  int32_t m_nChallengeOpen = 0;   // 24
  int32_t m_nSaveSlot = 0;        // 25 -1: none yet
  int32_t m_bAutoSave = 0;        // 26 from 169
  int32_t m_bMapRanking = 0;      // 27
  int32_t m_nRankGenre = 0;       // 28 0..4
  std::string m_strStage;         // s1 the stage base name
  std::string m_strRegName;       // s2 the ranking registration name

  // Not registered.
  SAVEDTIME m_stSaved{};
  cVector<uint32_t> m_vCarry;             // one mark per carried status item
  cVector<cEdPlayRecEntryA> m_vPlayer;    // one saved player each
  cVector<cEdPlayRecEntryB> m_vStageScore;
  cVector<cEdValuePair> m_vChallenge;     // per course: cleared flag, high score
  cVector<uint32_t> m_vFlag;              // story flags; entry 0 always 1
  cVector<int32_t> m_vVar;                // the flows' common variables
};

// Threads: the game thread; the window thread only in its stage request
// (StartStageFile), while the game thread waits in SendMessage.
extern cEdProgress g_Progress;

// The project's number of challenge courses: the length of the value-pair
// list and the most courses that can be open.
int32_t ChallengeCourseLimit();
// Run at the start of every write and at the end of every read: a map
// position outside g_WorldMap returns to its start cell, the value-pair list
// takes g_System's number of challenge courses.
void ProgressNormalize(cEdProgress& p);
// The common reset of a new run: registered members cleared, 25 carry marks
// 0, one default player, 1000 flags (entry 0 set), 256 variables, no stage
// scores or value pairs, one challenge course open, no save slot, "aaa".
void ProgressReset(cEdProgress& p);
// m_strStage from a stage path: "data\stg4\Forest.stg4_000" gives
// "data\stg4\Forest.", "data\stg4\Cave03-1.stg4_000" gives "data\stg4\Cave03."
// with m_bNumbered 1.
void SetProgressStageName(cEdProgress& p, const std::string& path);

// The high score g_Progress holds for that stage name (exact text), 0 when
// it holds none.
uint32_t FindStageScore(const std::string& name);

// A story stage cleared: the passed flag of its map event (m_nClearFlag) is
// set, and the run's total score becomes the stage's high score when it
// beats the one kept. A flag number past the list sets nothing.
void RecordStoryClear(cEdProgress& p);
// m_nMapEvent names an event by its place among every event of g_WorldMap,
// cell entry by cell entry: a stage-clear command that moves the player on
// the map does not lose it. -1 / null for an event not of the map.
int32_t MapEventNumber(const cEdWorldAction& e);
const cEdWorldAction* ProgressMapEvent(const cEdProgress& p);
// The next round of the map, after an event whose end kind is 1: the round
// count raised, every story flag cleared (entry 0 stays set) and the player
// back on the map's start cell.
void MapRoundStep(cEdProgress& p);
// m_nRankGenre moved by nStep genres (forward when positive) through those
// that the play kind's genre flags in g_System switch on, wrapping round; a
// step of 0 moves a genre that is off forward to one that is on. Unchanged
// when the play kind switches none on.
void NextRankingGenre(cEdProgress& p, int nPlayKind, int nStep);
