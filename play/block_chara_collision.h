// Collision with block charas: stage charas that act as solid, moving pieces
// of the map. Charas land on them and ride them, bump their heads on them,
// are pushed aside and are crushed between them and other solids.
#pragma once

#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "base/checked_containers.h"
#include "play/box_columns.h"

class cChara;
class cStageChara;

typedef cList<std::unique_ptr<cStageChara>> CHARALIST;

// One sub-step's collision of a chara (player or stage chara) against the
// block charas of the list, after its movement against the block map: 2
// when it is crushed, else 0.
int CollideWithBlockCharas(cChara& chara, CHARALIST& list);
// The one-axis push of move type 2: axis 1 horizontal, 0 vertical.
void PushOutAlongAxis(cChara& chara, CHARALIST& list, int nAxis);
// 1 when the chara's box overlaps a block chara other than itself and
// nExceptId (0 for a chara that passes blocks).
int OverlapsBlockChara(const cChara& chara, int nExceptId);
// The carrier (by the riding record's id) under the 5-pixel strip below the
// feet; the first block chara found there.
int IsOnCarrier(const cChara& chara);
cStageChara* FindCarrierBelow(const cChara& chara);
int IsEnclosedByBlockCharas(const cChara& chara, const double adEntryBox[4]);
// Moves a riding chara with its carrier, once a sub-step, before its own
// movement, and raises the carrier's ridden triggers.
void RideCarrier(cChara& chara, CHARALIST& list);
void LeaveCarrier(cChara& chara, int bStartFall);

// The bookkeeping around a sub-step's movement: the box saved and the push
// flags cleared before, the displacement noted after.
void BeginSubStepMove(cChara& chara);
void EndSubStepMove(cChara& chara);

// While one stands, the walks above look at the block charas of g_lstChara
// only, in the list's order, rather than at every chara, and of those only
// at the ones whose boxes may meet the box a walk asks about: a 64-pixel
// column index of stage x files each block chara's slot (its place in the
// roster, which is the list's order) under the columns its box covers, and
// every assignment of a box coordinate refiles it (cBoxCoord). A sub-step
// of thousands of charas among many block charas then costs about as much
// as its charas, with the same results. Charas added at the list's end
// while it stands join it; an erased chara (EraseChara) has it gathered
// again. Game thread only.
class cBlockCharaRoster {
 public:
  cBlockCharaRoster();
  ~cBlockCharaRoster();
  cBlockCharaRoster(const cBlockCharaRoster&) = delete;
  cBlockCharaRoster& operator=(const cBlockCharaRoster&) = delete;

  std::vector<cStageChara*> m_vBlockChara;  // by slot; null once erased
  cSlotColumns m_Columns;
  // (id, slot) ascending, for the carrier lookups.
  std::vector<std::pair<int, int>> m_vById;
  size_t m_nSeen = 0;  // charas of the list looked at
  CHARALIST::iterator m_itLast;  // the last of them
  bool m_bStale = false;
  // The candidates of the walks in progress, one vector for each depth.
  std::deque<std::vector<int>> m_vNear;
  size_t m_nDepth = 0;
};
// EraseChara's word that g_lstChara lost a chara (null or not) that is
// about to be freed.
void BlockCharaRosterForget(cStageChara* lpGone);
// Tests only: false makes every walk go over the whole list (and the
// enclosure test ask every block chara about each corner), as the roster
// must give the same results.
void UseBlockCharaRosterForTests(bool bUse);
