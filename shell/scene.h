// The base of the six mode scenes, the game modes and the play kinds. A
// scene lives while its mode is current: one Init, then a phase machine whose
// first phase fades in (Begin) and whose last fades out and switches the
// mode (End).
#pragma once

#include <cstdint>

enum GAMEMODE : int32_t {
  GAMEMODE_TITLE = 0,
  GAMEMODE_WORLDMAP = 1,
  GAMEMODE_SAVE = 2,
  GAMEMODE_CHALLENGE = 3,
  GAMEMODE_STAGE = 4,
  GAMEMODE_OPTION = 5,
};
constexpr int GAMEMODE_COUNT = 6;

enum PLAYKIND : int32_t {
  PLAYKIND_STORY = 0,
  PLAYKIND_CHALLENGE = 1,
  PLAYKIND_FREE = 2,
  PLAYKIND_REPLAY = 3,
};

class cScene {
 public:
  virtual ~cScene() = default;
  // Once per frame on the thread that makes frames.
  virtual void Update() {}
  virtual void Init() {}
  virtual void Begin() {}
  virtual void End() {}

  // While m_nPhase is -1: Init once, with a text thrown from it written to
  // the trace log and the program closed in order; then phase 0. True when
  // Init ran without a throw (or had run before).
  bool InitOnce();

  int32_t m_nPhase = -1;  // -1 until Init has run
  int32_t m_nFlag = 0;    // the scene's own use
};

// What a text thrown while a scene is built or initialised becomes: the
// text in the trace log, then WM_CLOSE to the main window. Runs fn; true
// when nothing was thrown. An allocation failure gives the out-of-memory
// box instead.
template <class FN>
bool RunCatchingSceneText(FN&& fn);

// ---- Detail ------------------------------------------------------------------

#include <new>
#include <string>

void CloseForSceneText(const char* pszText);
void CloseForSceneOutOfMemory();

template <class FN>
bool RunCatchingSceneText(FN&& fn) {
  try {
    fn();
    return true;
  } catch (const char* pszText) {
    CloseForSceneText(pszText ? pszText : "");
  } catch (const std::string& text) {
    CloseForSceneText(text.c_str());
  } catch (const std::bad_alloc&) {
    CloseForSceneOutOfMemory();
  }
  return false;
}
