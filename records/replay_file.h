// Replays: the two key-record buffers with their progress snapshots, the
// replay file (data version, the stage in its replay form, the key record,
// the progress from version 173 on), and the per-frame hooks of stage play.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"
#include "records/key_record.h"
#include "records/progress.h"
#include "records/stage.h"

constexpr int REPLAY_BUFFER_COUNT = 2;
// Replay files carry the progress snapshot from this data version on.
constexpr int32_t REPLAY_PROGRESS_VERSION = 173;

// Writes "version, stage (its replay form from stage and stageAsLoaded), key
// record, progress" through a temporary file. 0 when anything failed; an
// earlier file of that name is then left as it was.
BOOL SaveReplay(cKeyRecord& rec, const std::string& path, cEdStage& stage, cEdStage& stageAsLoaded,
                cEdProgress& progress);
// Reads a replay file. Everything is read and checked before anything is
// replaced: a damaged or short file gives 0 and leaves rec, stage, stageCopy
// and progress as they were. A stage with no player is refused as well. A
// file older than 173 leaves progress alone.
BOOL LoadReplay(cKeyRecord& rec, const std::string& path, cEdStage& stage, cEdStage& stageCopy,
                cEdProgress& progress);

// Buffer 0 holds the attempt being played, buffer 1 the one before it; each
// with g_Progress as its attempt started.
// Threads: the game thread writes them at stage set-up and each play frame;
// the window thread reads one while serving a save request and writes
// buffer 0 while serving the open request, each time while the game thread
// waits in SendMessage for it.
extern cKeyRecord g_ReplayKeys[REPLAY_BUFFER_COUNT];
extern cEdProgress g_ReplayProgress[REPLAY_BUFFER_COUNT];
// The replay file last loaded, read again at every stage set-up of a replay
// so each restart plays from the recorded beginning. Same threads as above.
extern std::string g_strReplayPath;

// ---- Hooks of stage play (game thread) ---------------------------------------

// Stage set-up of an ordinary attempt, when the project allows saving
// replays: snapshots and buffers move down one, buffer 0 starts empty with
// dwSeed (the millisecond clock) and the random numbers are seeded with it.
void ReplayBeginAttempt(uint32_t dwSeed);
// One play frame of player 0's direction and button words.
void ReplayRecordFrame(uint16_t wDir, uint16_t wButton);
// The recorded words of the next frame: 0, or 1 at the end of the record.
int ReplayPlayFrame(uint16_t& wDir, uint16_t& wButton);

// ---- Window requests (window thread) -----------------------------------------

// The chosen replay into buffer 0, g_Stage, g_StageCopy and g_Progress; its
// path kept for the restarts. A damaged file gives its message and 0.
BOOL LoadReplayForRequest(const std::string& path);
// Buffer nBuffer (0, or 1 for any other value) with its snapshot, g_Stage
// and g_StageCopy. A failed save gives its message and 0; play goes on.
BOOL SaveReplayForRequest(int nBuffer, const std::string& path);
