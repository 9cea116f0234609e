// Stage loading for the game modes: the newest numbered stage file is found,
// its end is tested, it is read into g_Stage on thLoader while the calling
// thread keeps handling its messages, and the stage's settings are copied
// into the destination (in practice g_StageCopy).
#pragma once

#include <string>

#include "platform/win_types.h"
#include "records/stage.h"

// name: a stage file, or a stage name whose newest "_NNN" file is wanted
// (bFindLatest). pDest may be null: the stage then stays in g_Stage only.
// False when no file exists, the file is damaged or cannot be read, the
// stage has no player, or the calling thread is told to quit meanwhile (its
// WM_QUIT is posted again for its own loop).
BOOL LoadStage(const std::string& name, BOOL bFindLatest, cEdStage* pDest);

// The stage as the game modes loaded it: the settings, backgrounds, texts,
// sub-areas and ranking switches of src, with no placement lists.
void CopyStageSettings(cEdStage& dst, cEdStage& src);

// False (with "ステージファイル %s が破損しています！" and a close request)
// when a file of version 174 or later does not end in the end mark, or the
// file is too short to hold its version. A file that cannot be opened
// passes: the read reports it.
BOOL CheckStageFile(const std::string& path);

// The body of thLoader: g_Stage from g_Stage.m_strFilePath. A read that
// throws is a failed read, with a report line.
unsigned LoadStageThreadProc(void* pArg);

// Tests only: a function thLoader calls before each read (null: none).
void SetStageReadHookForTests(void (*pfn)());
