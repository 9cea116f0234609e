// The story save slots: one file per slot ("user_data\story\Story01.dat" ..
// "Story99.dat"), each a whole play progress record, and the slot list that
// the title's Continue list and the save screen show.
#pragma once

#include <cstdint>
#include <string>

#include "base/checked_containers.h"
#include "platform/win_types.h"
#include "records/progress.h"

// One entry of the slot list; refilled from the files, never written.
struct SLOTENTRY {
  int32_t bUsed = 0;      // 1: the slot's file exists and read whole
  SAVEDTIME stSaved{};    // the save time copied from the file
};

// The slot file of a slot counted from 0 ("...\Story01.dat" for slot 0).
std::string MakeStorySlotPath(int nSlot);

// Every entry refilled from its slot file: a file that opens and reads whole
// gives bUsed 1 and its time; a missing or damaged one bUsed 0 (the old time
// stays).
void LoadSaveSlotList(cVector<SLOTENTRY>& list);

// g_Progress into the slot's file with the local time as its save time.
// 1 when the file was written whole and the slot's list entry now shows it;
// 0 for a slot outside 0..98 or a failed write, with a report line and the
// box SaveStorySlotFailedText(): the earlier file and list entry stay.
BOOL SaveStorySlot(int nSlot);

// The slot's file into g_Progress, then the lives fitted to the story play
// kind. A file that is missing or damaged leaves g_Progress as it was and
// gives 0.
BOOL LoadStorySlot(int nSlot);

// The box text of a failed save ("%s に保存できませんでした！" with the path).
std::string SaveStorySlotFailedText(const std::string& path);

// Threads: game thread only (title, world map and save scenes).
extern cVector<SLOTENTRY> g_SlotList;

// The local time as a save time (year, month, day of week 0 = Sunday, day,
// hour, minute, second, milliseconds).
SAVEDTIME GetLocalSaveTime();
