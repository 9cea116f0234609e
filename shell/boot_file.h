// "user_data\Boot.dat", the remembered answer of the start-up dialog, and the
// decision of the drawing path that start-up makes from the "Direct3D" value
// of "System.ini", that file and the dialog.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/win_types.h"
#include "records/record.h"

class cEdBoot : public cEdRecord {
 public:
  cEdBoot() { RegisterFields(DATA_VERSION_CURRENT); }
  void RegisterFields(int nVersion) override;

  uint32_t m_dwDrawMode = 0;    // 1 Direct3D, 0 DirectDraw
  uint32_t m_dwHideDialog = 0;  // 1: "次回からこのダイアログを表示しない" was ticked
};

// Threads: the window thread only (InitGame's start-up dialog).
extern cEdBoot g_Boot;

// CP932 game path.
extern const char* const kBootPath;

// Reads the file into the record. A missing or damaged file leaves the
// record as it was (both fields 0 at start), so the dialog is shown.
BOOL LoadBootFile(cEdBoot& boot, const std::string& path = kBootPath);

// The start-up dialog, given the record whose two fields its radio buttons
// and check box are bound to and the caption (the game's title, CP932).
// 1: "ゲーム開始", the fields hold the player's choice; 0: "ゲーム中止".
typedef std::function<int(cEdBoot& boot, const std::string& cp932Caption)> STARTUPDIALOG;

// The dialog without a window: the caption and texts go to standard error,
// the answer is the next of TARVOLIN4_ANSWERS ("d3d", "ddraw", "cancel");
// without one, or with another word, the default button "ゲーム開始" is
// pressed on the choice as it stands.
int ScriptedStartupDialog(cEdBoot& boot, const std::string& cp932Caption);

constexpr int kDrawingPathCancelled = -1;

// The "Direct3D" value start-up goes on with: the value itself when it is
// below 2; otherwise 1 or 0 from g_Boot, after the dialog when the file does
// not say to hide it. A started dialog saves g_Boot to kBootPath (as the
// dialog's start button does). kDrawingPathCancelled when the dialog was
// stopped: start-up then ends without a message.
int DecideDrawingPath(int nDirect3D, const std::string& cp932Title,
                      const STARTUPDIALOG& ask = ScriptedStartupDialog);
