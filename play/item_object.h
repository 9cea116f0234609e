// cItemObj, an item lying in a running stage (placed, summoned or carried by
// a chara), its drawing data, and the item command table that runs an item's
// command list for the player who takes it.
#pragma once

#include <cstdint>

#include "play/game_object.h"
#include "play/picture_cell.h"
#include "records/item.h"

class cChara;
class cPlayer;

class cItemObj : public cGameObj {
 public:
  cItemObj();
  void KeepFootOnScale(int nNew, int nOld) override;

  // Set-up from a definition: the hit box centred in the 32 × 32 picture
  // from the stage's item hit size, facing left, no gravity. A preset item
  // is enabled at once and keeps scale 1.
  void ItemObjInit(int nId, const cEdItem& def, int bPreset);
  void ItemObjWarpToCell(int cx, int cy);
  // The item's copy for a chara that carries it.
  void CopyItem(const cItemObj& other);

  cEdItem m_Def;
  int m_bPreset = 0;
  int m_bRemoved = 0;   // taken or timed out; freed by the sweep
  PAIRANIME m_Anime;
  int32_t m_bCondLatched = 0;  // its conditions held once (the latch)
};

// What the drawing of one item needs, worked out from its state: the cell
// and where it goes, whether it is stretched, and the icon over it.
struct ITEMDRAW {
  bool bVisible = false;
  IMAGESOURCERECT src;
  int nPattern = 0;
  RECT rcDest = {0, 0, 0, 0};
  bool bStretch = false;
  int nSrcW = 0, nSrcH = 0;  // the source cell when stretched
  bool bIcon = false;
  int nIconX = 0, nIconY = 0;  // in the icon sheet
  bool bIconStretch = false;
};
// One frame of the item's drawing: unless frozen, its animation advances a
// tick first.
ITEMDRAW ItemObjDraw(cItemObj& item, bool bFrozen);

// The item command table: 22 kinds, each taking the chara that runs the list
// and the command; nonzero stops the list. A kind outside the table does
// nothing.
typedef int (*ITEMCOMMANDEXEC)(cChara& chara, cEdCommand& cmd);
extern const ITEMCOMMANDEXEC g_ItemCommandExec[];
int ExecItemCommand(cChara& chara, cEdCommand& cmd);

// The item's commands run for the player: 2 when the player's HP fell below
// 1, else the result that stopped the list (0 when none did).
int RunItemCommandList(cPlayer& player, const cVector<cEdCommand>& list);
// Kind 1 of the list: parameter 0 picks add (0), replace the flows with the
// id of parameter 1 (1) or remove them (2). For player 1 while it is the
// chara whose flow runs, the command waits for the player's next update
// (direct 0).
void ItemChangeFlow(cChara& chara, const cEdCommand& cmd, int bDirect);
// The pick-up of an item by a player: an item with no picture, one that can
// never be taken or one not enabled gives nothing (0); otherwise its picture
// is shown over the player (with its message switch), its sound plays and
// its list runs (its result).
int GiveItemToPlayer(cPlayer& player, cItemObj& item);
