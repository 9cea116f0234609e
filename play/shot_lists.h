// The stage's shots: the list of all shots (which owns them) and the list of
// each group's shots, kept together so that a shot never leaves one without
// the other; the per-sub-step stepping of every shot and the clashes between
// erasable shots of different groups.
#pragma once

#include <list>
#include <memory>
#include <vector>

#include "play/shot.h"

class cShotLists {
 public:
  // Joins the list of all shots and its group's list; null, with the shot
  // not made, when the stage already keeps as many shots as it may
  // (LIVE_MAX[LIVE_SHOT]).
  cShot* Add(std::unique_ptr<cShot> lpShot);
  // Leaves both lists and is destroyed, at a cost that does not grow with
  // the lists.
  void Remove(cShot* lpShot);
  void Clear();
  // The shots of a group (empty for a group without any).
  const std::list<cShot*>& Group(int nGroup) const;
  // The swords (the shots that do not fly) among them, in no set order: a
  // chara that leaves looks at these only for the swords it holds, however
  // many shots fly.
  const std::list<cShot*>& Swords() const { return m_lstSword; }

  // One sub-step (nSubStep from 1): every shot steps and moves; on the
  // first sub-step flying shots in a block that stops them end, and so do
  // flying shots outside their removal area (lpAreas[0] for the players'
  // shots, lpAreas[1] for the stage charas'; none tested when null);
  // finished shots are removed. Shots made while this runs are stepped
  // from the next sub-step on.
  void StepAll(int nSubStep, const REMOVALAREA* lpAreas = nullptr);
  // Erasable shots of different groups that meet: the weaker goes, both at
  // equal strength; a shot that is not erasable erases an erasable one.
  void ClashShots();

  SHOTLIST m_lstShot;
  std::vector<std::list<cShot*>> m_vGroupShots;  // by group, 0 to 255

 private:
  // Where a shot stands in both lists, at the shot's m_nListPlace. Looked
  // up only, never walked, so its order decides nothing.
  struct SHOTPLACE {
    const cShot* lpShot;  // null for a free entry
    SHOTLIST::iterator itAll;
    std::list<cShot*>::iterator itGroup;
    size_t nGroup;
    std::list<cShot*>::iterator itSword;  // m_lstSword's end for a flying shot
  };

  std::list<cShot*>& GroupList(int nGroup);
  // Out of its group's list and the index; its entry in m_lstShot is the
  // caller's to erase (the iterator handed back).
  SHOTLIST::iterator Unlink(cShot* lpShot);

  // The places of the shots in the lists, and the entries free for the
  // next shot: a shot joining and leaving allocates nothing here once the
  // table has grown to the most shots there were at once.
  std::vector<SHOTPLACE> m_vPlace;
  std::vector<int> m_vFreePlace;
  std::list<cShot*> m_lstSword;
};

// Attack boxes overlap (edges inclusive).
bool AttackBoxesMeet(const cShot& a, const cShot& b);
// Tests only: false makes the clashes ask every pair of shots of two
// groups, as the columns of shots must give the same play.
void UseClashColumnsForTests(bool bUse);
