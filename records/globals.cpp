// Every long-lived object is built before the entry runs and destroyed in the
// reverse order after it returns. C++ fixes the order only within one
// translation unit, so the globals live here, in this order:
//
//   1. the label tables (chara variables, assignment operators, comparisons,
//      condition senses), the path table, the extension table, the colour
//      names;
//   2. the window map of the dialog library and g_MainWnd;
//   3. the thread objects thGame, thPause, thStageWork, thLoader;
//   4. g_MenuState and the per-player input states (one element each);
//   5. the scenes' and the stage's vectors and lists (the surface vectors,
//      the list of pictures on show, ...);
//   6. the surface arrays: g_aStageSurface (71 records) and two more;
//   7. the system bitmap table, the font table, the three blank surface
//      descriptions;
//   8. the sound-buffer vector and one more vector of the sound player, then
//      the music manager g_Bgm;
//   9. g_CommonPalette, g_System, g_Database;
//  10. g_vAnimeRun, g_vEffectRun, g_CharaEffectRun and its reverse,
//      g_ScrEffectRun and its reverse;
//  11. the two replay key records;
//  12. g_vPlayer, g_vBlockMap, g_lstChara, g_lstItem;
//  13. g_Stage, g_StageCopy, g_WorldMap, three more vectors of the scenes,
//      g_Option, g_SlotList (99 entries) and one ranking record.
//
// The records subsystem's own globals are all defined here. The window,
// scene, surface, sound and music objects of steps 2, 5, 6 and 8 belong to
// the shell and media libraries, which this one does not link; they are
// defined by their own units, and no constructor of either side reads
// another global, so their order against these does not matter.
// g_CommonPalette, g_Stage and g_StageCopy are defined with the stage file.
// No constructor here touches SDL or a file: only memory and the CP932
// conversion of the built-in texts.

#include "records/globals.h"

#include "records/option.h"
#include "records/ranking.h"
#include "records/system.h"
#include "base/thread_wrapper.h"
#include "records/world_map.h"

// 1.
cVector<std::string> g_vecCharaVarLabel = BuildCharaVarLabels();
cVector<std::string> g_vecAssignOpLabel = BuildAssignOpLabels();
cVector<std::string> g_vecCompareOpLabel = BuildCompareOpLabels();
cVector<std::string> g_vecConditionSenseLabel = BuildConditionSenseLabels();
cVector<std::string> g_vecPathTable = BuildPathTable();
cVector<std::string> g_vecExtension = BuildExtensionTable();
cVector<std::string> g_vecColorNameLabel = BuildColorNameLabels();

// 3.
cThread thGame;
cThread thPause;
cThread thStageWork;
cThread thLoader;

// 4.
MENUSTATESTACK g_MenuState;

// 7.
cVector<SYSTEMBITMAPINFO> g_vecSystemBitmap = BuildSystemBitmapTable();
cVector<FONTINFO> g_vecFontInfo = BuildFontTable();
cVector<SYSTEMBITMAPINFO> g_vecBlankSurfaceInfo = BuildBlankSurfaceInfos();

// 9.
cEdSystem g_System;
cEdDatabase g_Database;

// 10.
ANIMERUNTABLE g_vAnimeRun;
ANIMERUNTABLE g_vEffectRun;
EFFECTRUNTABLE g_CharaEffectRun;
EFFECTRUNTABLE g_CharaEffectRunRev;
EFFECTRUNTABLE g_ScrEffectRun;
EFFECTRUNTABLE g_ScrEffectRunRev;

// 13.
cEdWorldMap g_WorldMap;
cEdOption g_Option;
cEdRankingSet g_RankingSet;
