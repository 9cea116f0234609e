// The live-object containers of stage play and its links to the shell. The
// players and the chara and item lists come with their classes.

#include "play/play_links.h"
#include "play/stage_block.h"
#include "play/stage_context.h"

// Game thread writes (stage set-up, block summons) and reads; the
// frozen-frame threads read it only while the game thread waits for them.
cVector<cStageBlock> g_vBlockMap;

// Game thread only; set while a stage scene exists.
cStageContext* g_lpStageContext = nullptr;

// Start-up writes it before the game thread starts; the game thread reads.
PLAYLINKS g_PlayLinks;
