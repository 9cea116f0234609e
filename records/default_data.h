// The project folder: "data" made from "default" when it is missing, and the
// folders the system writes into.
#pragma once

#include "platform/win_types.h"

// TRUE when "data" is a folder afterwards. When it is missing and "default"
// is a folder, asks (Yes / No) and copies "default" to "data"; a copy that
// fails leaves no partial "data" behind. A "data" that is not a folder is
// never touched.
BOOL CreateDefaultData(HWND hWnd);

// The folders start-up creates where missing, in order, ending with "".
extern const char* const g_aszProjectFolder[];
// Creates each folder of the list; results are not checked.
void CreateProjectFolders();

// The start-up step that makes the project usable: CreateDefaultData, on
// failure the box "「data」フォルダの作成に失敗…" (also in the report) and
// FALSE; then the folders.
BOOL PrepareProjectFolders(HWND hWnd);
