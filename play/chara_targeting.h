// Choosing a chara from the live ones: the first that passes the filters,
// the nearest to a point (on screen first, everywhere, or on screen only),
// and the nearest to an object's picture centre. The searches of play go
// through the index of the charas' picture centres (play/target_index.h)
// and choose what a walk of every live chara in list order chooses.
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
  int bSideOnly = 0;  // only the charas of hit group nSide
  int nSide = 0;
};

// The candidates: player charas first, then g_lstChara, in list order.
cVector<cChara*> LiveCharas();

// Among the live charas that pass the filters, in LiveCharas' order:
// mode 0 the nearest on screen, else the nearest off screen; 1 the nearest
// of all; 2 the nearest on screen only; other modes none. The distance is
// |cx − x| + |cy − y| from each picture's centre (view coordinates); of
// equal distances the first in list order wins.
cChara* SelectLiveTarget(int x, int y, int nMode, const CHARAFILTER& f);
// From the object's picture centre among the live charas of hit group
// nSide: mode 2 when the stage counts hits on screen only, else 0; only
// kind 2 left out.
cChara* SelectTargetFromCentre(const cGameObj& obj, int nSide);
// The first live chara other than lpSelf that passes the filters and has
// the chara ID (status 5).
cChara* FindLiveCharaById(const cChara* lpSelf, int32_t nCharaId, const CHARAFILTER& f);

// Off: the searches walk every live chara in list order, as the index must
// choose; tests compare the two.
void UseTargetIndexForTests(bool bUse);
