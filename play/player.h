// cPlayer, a player chara (element of g_vPlayer; element 0 is player 1): its
// input, the camera that follows it, walking with inertia, the key-controlled
// jump, its sizes from the stage settings, its shown boxes and the item
// commands it defers.
#pragma once

#include <cstdint>

#include "play/key_conditions.h"
#include "play/live_chara.h"

struct DDSURFACEDATA;

// One shown box of the player.
struct BOXENTRY {
  int nKind;    // 0 body box, 1 first hit range, 2 third range, 3 second range
  int nShow;    // 0 not shown, 1 filled, 2 frame only
  int nColour;  // a palette colour number
  int nX, nY;   // view position, set when drawn
  int nWidth, nHeight;
  int nCycle;   // 0 to 31, advanced by each drawing
};

class cPlayer : public cChara {
 public:
  bool IsPlayer() const override { return true; }
  void ScaleBoxes(int nScale) override;
  // The camera: the view centred on the player within the scroll limits,
  // then the player clamped.
  void OnMovedX() override;
  void OnMovedY() override;
  int StepX() override;
  int StepY() override;
  int Update(int bDied) override;
  // The key-controlled jump, called by the jump command every frame it runs.
  int StartJump(cCommandRun& run) override;

  // Set-up for a stage from the player's definition (a scale of 0 is set to
  // 1 there), at stage pixel (x, y).
  void PlayerSetupForStage(int nId, cEdChara& def, double x, double y);
  void PlayerApplyMoveType(int nType, int bRescale);
  void PlayerBodySize(int& ox, int& oy, int& w, int& h) const;
  void PlayerRebuildBoxList();
  // The player's frame: the chara's draw, then its shown boxes.
  void PlayerDraw(DDSURFACEDATA* lpSurface, int bPaused);
  // Places the shown boxes for this frame and draws them on lpSurface (when
  // given); the colour steps through four shades unless the 8-bit palette
  // rotates.
  void PlayerDrawBoxes(DDSURFACEDATA* lpSurface, bool bPaletteRotation);
  // The view-limit window's source position in a W × H view surface, kept
  // inside it; 0 when there is no view limit.
  int PlayerViewLimitSource(int W, int H, int& sx, int& sy) const;
  // The picture of a taken item (its kind, index and column) rising over
  // the player for 30 frames, a text object of the scene's text list.
  void PlayerShowItemCell(int nKind, int nIndex, int nSub);
  void PlayerSaveDir() { m_nDirPrev = m_nDir; }
  int PlayerIdNotListed(int nId) const;
  void PlayerRemoveId(int nId);

  // The player's key logs; the stage scene points them at its input each
  // frame (empty logs: no keys).
  KEYLOGS m_Input;
  int m_nJumpHold = 0;
  int m_bJumpDone = 0;
  double m_dAccel = 0;
  int m_nInertiaMode = 0;
  double m_dInertiaFactor = 1.0;
  int m_nDirPrev = 0;
  int m_nHoldCounter = 0;
  cList<int> m_lstIds;
  cVector<BOXENTRY> m_vBoxList;
  HITRANGE m_rcHitBox3;
  cVector<cEdCommand> m_vDeferredItemCommands;
};

// Palette colour of a box colour setting: 208 + 4 × c, c kept within 0 to 7.
int BoxColourOf(uint32_t c);
