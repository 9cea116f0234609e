// The conditions pass of every sub-step: which live objects take part this
// frame (m_bEnabled) and which are on the screen (m_bOnScreen), the stage's
// switches the active charas turn on, the stage charas that appear
// (m_bPresent), and the conditions of items and blocks, which are tested
// against player 1.
#pragma once

class cShotLists;
class cItemObj;
class cEdBlock;

// Player 1 always takes part and counts as on screen; each stage chara
// takes part while its conditions hold, and only then is it tested for its
// activity (which may turn its switch on) and, in a second walk that sees
// every switch of this pass, for its appearance; items by their own
// conditions; shots always. The switches start every pass cleared.
void EvaluateCharaConditions(cShotLists& shots);

// An item's conditions for player 1, with the item's latch (1 / 0). An item
// without conditions holds.
int CheckItemConditions(cItemObj& item);

// The conditions of a block of the running stage for player 1, with the
// block's latch; the block map's hits and drawing ask it through the block
// records. Start-up installs it.
bool CheckStageBlockConditions(const cEdBlock& block);
void InstallBlockConditionTest();
