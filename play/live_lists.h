// The live players, charas and items of a running stage, and how objects
// leave them: marked first, taken out of every list that refers to them,
// then freed, so that no walk meets a freed object.
#pragma once

#include <memory>

#include "base/checked_containers.h"

class cChara;
class cPlayer;
class cStageChara;
class cItemObj;

// Stage set-up fills them; the game thread reads and writes them; the
// frozen-frame threads read them only while the game thread waits.
// Players are held by pointer so that targets and flow contexts that name
// them stay valid whatever the vector does.
extern cVector<std::unique_ptr<cPlayer>> g_vPlayer;
extern cList<std::unique_ptr<cStageChara>> g_lstChara;
extern cList<std::unique_ptr<cItemObj>> g_lstItem;

// Player 1, null when there is none.
cPlayer* FirstPlayer();

// Holders outside these lists (shots, hit lists, the scene's effect and
// text lists) register a forgetter: it is called for every chara just
// before it is freed, and must drop every pointer to it. Game thread only;
// forgetters are installed at start-up. Nothing outside the item list
// holds an item.
typedef void (*CHARAFORGETTER)(cChara& chara);
void AddCharaForgetter(CHARAFORGETTER pfn);

// Unlinks a chara from every other live chara and from the running flow's
// context, and tells the forgetters. Called before a chara is freed.
void ForgetChara(cChara& chara);

// Takes the chara at `it` out of g_lstChara, forgets it and frees it. Returns the place after it, so a walk of the list
// may erase the chara in hand.
cList<std::unique_ptr<cStageChara>>::iterator EraseChara(cList<std::unique_ptr<cStageChara>>::iterator it);

// The end of a sub-step: every chara that is removed, or defeated without
// the keep-defeated setting, is taken out of g_lstChara and freed; every
// item marked for removal likewise.
// Returns the number of objects freed.
int SweepCharas();
int SweepItems();
// Every live object freed (the stage ends).
void ClearLiveObjects();
