// cStageChara, every chara of a running stage that is not a player: its
// placement (view tests, switch, how it appears), the item it carries, its
// two hit ranges and its per-frame behaviour.
#pragma once

#include <cstdint>

#include "play/item_object.h"
#include "play/live_chara.h"

struct DDSURFACEDATA;

// Final: the search index (play/target_index.h) knows its charas by this
// exact type.
class cStageChara final : public cChara {
 public:
  void ScaleBoxes(int nScale) override;
  void OnMovedX() override { ClampX(2); }
  void OnMovedY() override { ClampY(2); }
  cItemObj* GetCarriedItem() override { return m_CarriedItem.m_Def.m_nImageIndex != 0 ? &m_CarriedItem : nullptr; }
  int StepX() override;
  int StepY() override;
  // One frame of the chara's flows; 1 when its HP ran out or its flows
  // asked for the end. bDied: only the Died flows run.
  int Update(int bDied) override;
  int StartJump(cCommandRun& run) override;

  // Set-up from a placement or a summon (position in stage pixels, k the
  // copy step). A scale of 0 in the definition is set to 1 there.
  void StageCharaInitFromPlacement(int nId, cEdChara& def, const cItemObj* lpItem, double x, double y,
                                   uint16_t wStep);
  void StageCharaUpdateActive();
  int StageCharaTryAppear();
  // The carried item's icon this frame: 1 when it shows (frames 64 to 95
  // of every 96), with its position in view pixels. A paused frame shows
  // the same and counts nothing.
  int StageCharaIconFrame(int& x, int& y, int bPaused);
  // The icon drawn as a small cell when it shows this frame.
  void StageCharaDrawIcon(DDSURFACEDATA* lpDst, int bPaused);

  int m_bActive = 0;
  cItemObj m_CarriedItem;
  int m_bIgnoreViewX = 0, m_bIgnoreViewY = 0;
  int m_bPresent = 0;
  int m_bAppeared = 0;
  int m_nIconTimer = 0;
  int32_t m_bCondLatched = 0;
};

