// The live-object containers of stage play and its links to the shell. The
// players and the chara and item lists come with their classes.

#include "play/item_object.h"
#include "play/live_lists.h"
#include "play/play_links.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_block.h"
#include "play/stage_context.h"

// Game thread writes (stage set-up, block summons) and reads; the
// frozen-frame threads read it only while the game thread waits for them.
cVector<cStageBlock> g_vBlockMap;

// Game thread writes (stage set-up, summons, the sweep) and reads; the
// frozen-frame threads read them only while the game thread waits for them.
// Freed only by the sweep and ClearLiveObjects, after ForgetChara.
cVector<std::unique_ptr<cPlayer>> g_vPlayer;
cList<std::unique_ptr<cStageChara>> g_lstChara;
cList<std::unique_ptr<cItemObj>> g_lstItem;

// Game thread only; set while a stage scene exists.
cStageContext* g_lpStageContext = nullptr;

// Start-up writes it before the game thread starts; the game thread reads.
PLAYLINKS g_PlayLinks;
