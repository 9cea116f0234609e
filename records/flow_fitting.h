// The flow-engine services that the flow records call while they are read
// and written: the fitting passes that bring every index a command holds into
// the range of the loaded databases and palettes, the removal of test-play
// flows, and the view of the loaded project those passes read.
#pragma once

#include <cstdint>
#include <vector>

#include "base/checked_containers.h"

class cEdCommand;
class cEdFlow;

// Resizes the parameter list to its kind's count, resets Anime and Sound
// indices and the database references of the kinds that hold one, recomputes
// a Sword command's time base, and recurses into the child flows.
void FitCommandToDatabase(cEdCommand& cmd);
void FitFlowCommands(cEdFlow& flow);
// Resets the palette references (common or stage palette) that lie outside
// their list, and recurses into the child flows.
void FitCommandPalettes(cEdCommand& cmd);
void FitFlowPalettes(cEdFlow& flow);
// Removes every flow whose test-play flag is set, keeping the order of the
// others. Readers call it only when TestPlayFlowsKept() is false.
void FixupLoadedFlows(cVector<cEdFlow>& flows);
// True in an editor test play or when the project keeps test-play flows.
bool TestPlayFlowsKept();

// The databases whose record counts the fitting passes test against.
enum FITDATABASE {
  FITDB_ANIMESET,
  FITDB_ANIME,
  FITDB_SWORDTYPE,
  FITDB_EFFECT,
  FITDB_CHARAEFFECT,
  FITDB_SCREFFECT,
  FITDB_PICTURE,
  FITDB_SOUND,
  FITDB_BGM,
};
enum FITPALETTE { FITPAL_COMMON = 0, FITPAL_STAGE = 1 };
enum FITPALETTELIST { FITLIST_BLOCK, FITLIST_CHARA, FITLIST_ITEM };

// What the passes read of the loaded project. The owner of the global data
// objects installs one over g_Database, g_CommonPalette, g_Stage and
// g_System; tests install fakes. With none installed nothing is loaded to
// fit against: parameter lists are still sized to their kinds, every index
// is left as it is, and test-play flows are removed.
class cFlowProjectView {
 public:
  virtual ~cFlowProjectView() = default;
  virtual int DatabaseCount(FITDATABASE db) const = 0;
  // The 16-bit frame counts of the parts of sword type nType (in range).
  virtual std::vector<int> SwordPartFrames(int nType) const = 0;
  virtual int PaletteCount(FITPALETTE pal, FITPALETTELIST list) const = 0;
  // m_bKeepMarkedFlows of g_System.
  virtual bool KeepMarkedFlows() const = 0;
  // g_bEditorLink (always off on this system).
  virtual bool EditorLink() const { return false; }
};

// The view stays owned by the caller; null removes it.
void SetFlowProjectView(const cFlowProjectView* pView);
const cFlowProjectView* GetFlowProjectView();

// The cap of a Sword command's time base (tenths of a second).
constexpr int SWORD_TIME_BASE_MAX = 9999;
