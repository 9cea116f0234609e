// Choosing a chara from the live ones: the first that passes the filters,
// the nearest to a point (on screen first, everywhere, or on screen only),
// and the nearest to an object's picture centre.
#pragma once

#include "base/checked_containers.h"

class cChara;
class cGameObj;

// The filters of a search; a chara that is defeated never passes.
struct CHARAFILTER {
  int bSameGroupOnly = 0;
  int nGroup = 0;
  int bExcludeId = 0;
  int nId = 0;
  int bExcludeKind1 = 0;  // invincible kind 1
  int bExcludeKind2 = 0;  // invincible kind 2
  int bExcludeFlagged = 0;  // block charas
};

// The candidates: player charas first, then g_lstChara, in list order.
cVector<cChara*> LiveCharas();

cChara* FindFirstChara(const cVector<cChara*>& list, const CHARAFILTER& f);
// Mode 0: the nearest on screen, else the nearest off screen; 1: the
// nearest of all; 2: the nearest on screen only; other modes: none. The
// distance is |cx − x| + |cy − y| from each picture's centre (view
// coordinates); of equal distances the first in list order wins.
cChara* SelectTargetChara(int x, int y, const cVector<cChara*>& list, int nMode, const CHARAFILTER& f);
// From the object's picture centre: mode 2 when the stage counts hits on
// screen only, else 0; only kind 2 left out.
cChara* SelectTargetFromCentre(const cGameObj& obj, const cVector<cChara*>& list);
