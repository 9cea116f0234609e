// What stage play asks of the shell for replays and rankings: the replay
// save keys, player 1's input recorded into or played back from replay
// buffer 0, the name entry and the ranking drawing. Start-up installs them;
// until then nothing is recorded, a replay ends at once, no key saves and
// the registration runs under the offered name without showing anything.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"

struct STAGERECORDLINKS {
  // F1 / F2 handled this frame (a replay buffer offered for saving).
  BOOL (*pfnCheckReplaySaveKeys)() = nullptr;
  // Player 1's direction and button words of this frame into buffer 0.
  void (*pfnRecordReplayFrame)() = nullptr;
  // Player 1's input of this frame from buffer 0: TRUE when the record has
  // ended (the input is then left reset).
  BOOL (*pfnPlayReplayFrame)() = nullptr;
  // Every player's run logs made 32 empty runs, as a new input record has.
  void (*pfnClearInputLogs)() = nullptr;
  // The name-entry dialog on name; returns when the dialog has closed (or
  // the program is closing). The name left in the dialog stays in name.
  void (*pfnEnterName)(std::string& name) = nullptr;
  // The result values with their rank markers at (336, 224) of the back
  // buffer.
  void (*pfnDrawResultPanel)(const int32_t* anRankPos) = nullptr;
  // Ranking table nKind of g_RankingSet at (x, y) of the back buffer with the
  // marker on row nHighlight (-1: none).
  void (*pfnDrawRanking)(int x, int y, int nKind, int nHighlight) = nullptr;
};
// Written once by start-up before the game thread runs; read by the game
// thread and thStageWork.
extern STAGERECORDLINKS g_StageRecordLinks;
