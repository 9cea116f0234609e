// The main window's message handling: activation, the Esc key, the close
// sequence that ends every worker thread and then the message loop, and the
// requests the game side sends to the window thread (dialogs, choosers,
// sound, music, device reset).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/win_types.h"

// The main window object. The handle member is the target of the game
// side's requests; g_hWndMain is the copy that error paths post WM_CLOSE to.
struct cMainWnd {
  std::atomic<HWND> m_hWnd{nullptr};
  std::atomic<BOOL> m_bCreated{FALSE};
};
extern cMainWnd g_MainWnd;

// The window procedure of the main window.
LRESULT MainWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT MainWndOnMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// ---- Window requests -----------------------------------------------------------

// Sent (never posted) by the game side, which waits until they are handled.
enum : UINT {
  UM_NAMEENTRY = WM_USER + 1,
  UM_OPENSTAGE = WM_USER + 2,
  UM_OPENREPLAY = WM_USER + 3,
  UM_SAVEREPLAY = WM_USER + 4,  // wParam: replay buffer 0 or 1
  UM_PLAYSE = WM_USER + 5,      // wParam: sound index
  UM_PLAYBGM = WM_USER + 6,     // wParam: screen 0..4; lParam: music index for 4
  UM_RESETDEVICE = WM_USER + 100,
};

// Set by the chooser requests (done; a file was chosen and loaded or saved),
// cleared by their senders, who poll g_bRequestDone.
extern std::atomic<DWORD> g_bRequestDone;
extern std::atomic<DWORD> g_bFileChosen;
// The name-entry dialog has closed.
extern std::atomic<DWORD> g_bNameEntered;
// The music index the stage last asked for, and the loop flag the stage's
// music request sets before it sends.
extern std::atomic<int32_t> g_nStageBgm;
extern std::atomic<int32_t> g_nStageBgmLoop;

// The music manager as the window requests and the close sequence drive it
// (window thread only). Until it is installed, music requests play nothing.
class cMusicSink {
 public:
  virtual ~cMusicSink() = default;
  // CP932 file name of a music-database entry.
  virtual void SetMusic(int nSlot, const std::string& strName) = 0;
  virtual void Play(int nPlayer, int nSlot, int nLoop, int nStart, int bRestart) = 0;
  virtual void Stop() = 0;
  virtual void UnInit() {}
};
void SetMusicSink(cMusicSink* lpSink);
cMusicSink* GetMusicSink();

// What the dialog and chooser requests call: the drawn name entry and open
// chooser, StartStageFile, and stand-ins for what does not exist yet: the
// replay save chooser takes "file:PATH" from TARVOLIN4_ANSWERS (anything
// else cancels), and the replay loader and the replay save report failure.
// Tests replace them.
struct OPENCHOOSER {
  const char* pszFolder;   // CP932
  const char* pszTitle;    // UTF-8 (made CP932 for the chooser)
  const char* pszFilter;
  const char* pszPattern;
  const char* pszDefExt;
};
struct WINDOWREQUESTS {
  // The modal name-entry dialog; the text goes where the dialog puts it.
  void (*pfnNameEntry)();
  // TRUE with a CP932 path when a file was chosen, FALSE when cancelled.
  BOOL (*pfnChooseOpenFile)(std::string& path, const OPENCHOOSER& chooser);
  // The replay save chooser, offering the played stage's name.
  BOOL (*pfnChooseReplaySavePath)(std::string& path, const std::string& stageName);
  BOOL (*pfnStartStageFile)(const std::string& path, int nFlag);
  BOOL (*pfnLoadReplay)(const std::string& path);
  BOOL (*pfnSaveReplay)(int nBuffer, const std::string& path);
};
extern WINDOWREQUESTS g_WindowRequests;
// The stand-ins, as g_WindowRequests starts.
WINDOWREQUESTS DefaultWindowRequests();

// The open choosers of the stage and replay requests: folder, title, filter.
extern const OPENCHOOSER kStageChooser;
extern const OPENCHOOSER kReplayChooser;

// Around the name-entry dialog. Threads are never suspended on this system
// (the sender is blocked in its request and the other frame makers wait for
// it); kept so the dialog's order reads as it does everywhere.
void SuspendWorkerThreads();
void ResumeWorkerThreads();
