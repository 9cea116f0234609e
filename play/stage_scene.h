// The stage-play scene (game mode 4) and the game context of the running
// stage: its eight states, the stage set-up, the play frame, the frozen-frame
// thread thPause, the frame drawing and what follows play. The shell's mode
// manager owns one through its stage-mode scene and calls Update per frame.
#pragma once

#include <atomic>
#include <list>
#include <cstdint>
#include <string>
#include <vector>

#include "base/checked_containers.h"
#include "flow/flow_host.h"
#include "platform/win_types.h"
#include "play/background_drawing.h"
#include "play/hit_effect.h"
#include "play/key_conditions.h"
#include "play/launch.h"
#include "play/screen_colour.h"
#include "play/screen_effects.h"
#include "play/shot_lists.h"
#include "play/stage_context.h"
#include "play/status_carry.h"

class cEdProgress;
class cChara;
class cStageChara;
class cPlayer;
class cItemObj;
class cEdChara;
class cEdStage;
class cEdItem;
class cEdBlock;

// The object layers of a stage whose eight-layer switch is on: a chara or
// player draws in the layer of its Z ("z" of the flows, field 17 of its
// definition; outside 0 to 7 it is never drawn). Items and shots carry no
// layer of their own and draw in the layer of the charas' default Z, so
// that a stage whose charas all keep it draws in the one-layer order.
constexpr int OBJECT_LAYERS = 8;
constexpr int ITEM_AND_SHOT_LAYER = 3;
int ObjectLayerOf(const cChara& chara);

enum STAGESTATE : int32_t {
  STAGESTATE_BEGIN = 0,   // fade-in
  STAGESTATE_BANNER = 1,  // the start banners
  STAGESTATE_PLAY = 2,
  STAGESTATE_PAUSEMENU = 3,
  STAGESTATE_RESULT = 4,
  STAGESTATE_MISSMENU = 5,
  STAGESTATE_GAMEOVER = 6,
  STAGESTATE_END = 7,  // fade-out, then the next mode
};
constexpr int STAGESTATE_COUNT = 8;

// Player 1's buttons as the scene reads them: button n is bit n - 1.
struct PLAYERKEYS {
  uint16_t wHeld = 0;     // down this frame
  uint16_t wPressed = 0;  // newly pressed this frame
  uint16_t wHeldBefore = 0;  // down one frame before
  uint16_t wDirection = 0;   // with the menu key repeat: bit 0 left, 1 right, 2 up, 3 down
};
enum : uint16_t {
  PLAYERKEY_DECIDE = 1,  // button 1
  PLAYERKEY_CANCEL = 2,  // button 2
};

// What the stage scene needs of the shell (input records, presenting, the
// stage file start). Start-up installs them; until then the scene reads no
// keys, presents nothing from thPause, and cannot restart a stage file.
struct STAGELINKS {
  // Player 1's input of this frame.
  void (*pfnReadKeys)(PLAYERKEYS& keys) = nullptr;
  // Clears player 1's newly-pressed word (the key-swallow rule).
  void (*pfnClearPressed)() = nullptr;
  // Player 1's input history, run logs and the recorded key record.
  void (*pfnRecordInput)() = nullptr;
  // Player 1's 19 run logs (ten direction logs, then nine button logs),
  // newest run first, copied into the scene's vectors.
  void (*pfnReadKeyLogs)(std::vector<KEYRUN>* avLogs) = nullptr;
  // Every player's input history cleared and run logs trimmed.
  void (*pfnResetInputLogs)() = nullptr;
  // thPause's frame start on its private input copy: waits for the frame,
  // restores lost surfaces (FALSE when that fails) and polls the keys.
  BOOL (*pfnFrozenFrameStart)(PLAYERKEYS& keys) = nullptr;
  void (*pfnPresent)() = nullptr;
  BOOL (*pfnAppActive)() = nullptr;
  // StartStageFile of the shell; FALSE when the stage cannot be loaded.
  BOOL (*pfnStartStageFile)(const std::string& path) = nullptr;
  // One step of the scene fade from black (bIn) or to black at the mode
  // manager's fade step; TRUE on the step that shows the end state.
  BOOL (*pfnFade)(BOOL bIn) = nullptr;
  // (Re)loads the eight background surfaces from the pictures named (one
  // per slot); FALSE when the stage cannot be played for it.
  BOOL (*pfnLoadStageSurfaces)(const std::string* aszBackground) = nullptr;
  // The stage music index recorded as playing (-1: unknown).
  int (*pfnPlayingBgm)() = nullptr;
  // Text in the 16-pixel font at (x, y) on the back buffer; nothing while the
  // fonts are not made.
  void (*pfnDrawText)(int x, int y, const std::string& text) = nullptr;
};
// Written once by start-up before the game thread runs; read by the game
// thread and thPause.
extern STAGELINKS g_StageLinks;

// What the mode manager hands the scene when it is made.
struct STAGESTART {
  int32_t nPrevMode = 0;
  int32_t nTitleChoice = 0;  // 0 new game, 1 continue, 2 challenge, 3 free, 4 replay
  int32_t nPlayKind = 0;     // 0 story, 1 challenge, 2 free, 3 replay
  BOOL bFreeStage = 0;       // started directly from a file
  BOOL bEditorLink = 0;
  BOOL bRanking = 0;         // the ranking switch of the running game
};

// The picture of each of the eight background slots for a stage: a layer
// with a picture names its own (the default name when its name is empty),
// every other slot the default; a named slot knows whether its picture is
// larger than the 640 x 480 screen.
struct STAGEBACKGROUNDS {
  std::string aszFile[8];
  BOOL abTooBig[8] = {};
};
STAGEBACKGROUNDS ChooseBackgroundPictures(const cEdStage& stage);

class cSceneStage : public cStageContext, public cFlowStage {
 public:
  explicit cSceneStage(const STAGESTART& start);
  ~cSceneStage() override;
  cSceneStage(const cSceneStage&) = delete;
  cSceneStage& operator=(const cSceneStage&) = delete;

  // Once per frame on the game thread: Init on the first call, then the
  // handler of the current state.
  void Update();
  void Init();
  void Begin();        // state 0
  void ReadyBanner();  // state 1
  void PlayFrame();    // state 2 (play_frame.cpp)
  void PauseMenu();    // state 3 (after_play.cpp)
  void Result();       // state 4
  void MissMenu();     // state 5
  void GameOver();     // state 6
  void End();          // state 7

  // ---- Stage set-up (stage_setup.cpp) ----
  void SetStage(BOOL bCopyStage, BOOL bRestartMusic);
  // Player 1, the stage charas and the items from the stage's placements;
  // the texts, pictures and screen state of the flows cleared.
  void SetupLiveObjects();
  // The flows of trigger 18 (before the stage starts) of player 1, then of
  // every chara; a chara removed or brought to 0 HP by them leaves play.
  void RunBeforeStageStartFlows();
  // The play progress's status from the stage's start back (a miss, a
  // retry, a replay's restart): always with bForce, else as the project's
  // restore setting for this play says.
  void RestoreStartStatus(bool bForce);

  // ---- Frame drawing (stage_drawing.cpp) ----
  // Forms: play (1, 0, 1, 1), frozen (0, 1, 0, 1), result (0, 1, 0, 0).
  void DrawStageFrame(BOOL bFrozenMenu, BOOL bStill, BOOL bPlay, BOOL bStatusLine);
  // Player 1's view-limit surfaces, made anew for its present sight.
  void BuildViewSurfaces();
  // One object layer (-1: every object, the stage without layers): player
  // 1, the items, the charas and the shots that lie on it.
  void DrawObjectLayer(int nLayer, BOOL bStill, BOOL bPlay);
  // bDrawn 0: player 1 lies on no layer drawn; only its frame's state runs.
  void DrawPlayerAndSettleMiss(BOOL bStill, BOOL bDrawn);
  // 1 when the chara's defeat animation has ended.
  int DrawStageChara(cStageChara& chara, BOOL bStill);

  // ---- Frozen frames and the end of a stage (pause_thread.cpp) ----
  void SetPauseWait(int32_t nKind, int32_t bWaitKey, int32_t nFrames, int32_t bNoDelay);
  // The starting protocol of thPause; FALSE when the close request came
  // meanwhile (WM_CLOSE has then been posted again).
  BOOL StartPauseThread();
  void FinishStage();
  void AddStageTotals();

  // ---- After play (after_play.cpp) ----
  int DecideNextMode();

  // ---- Replays and rankings (stage_records.cpp) ----
  // At the start of a game: both replay buffers emptied (unless a replay
  // plays), the run's score value cleared, and the stage's ranking loaded
  // when the game ranks.
  void ResetPlayRecords();
  // Stage set-up of a replay: the replay file read again into buffer 0,
  // g_Stage and g_Progress, so every restart plays from the recorded start.
  void ReloadReplay();
  // The attempt's seed: the recorded one in a replay; where attempts are
  // recorded a new one from the clock, the buffers moved down one; else the
  // seed of the attempt before. Recorded and replayed attempts start with
  // empty run logs, so the keys before the stage cannot steer it.
  void TakeAttemptSeed();
  // Player 1's input of a replay frame from buffer 0; false when the record
  // has ended and the stage has been set up again for the banner.
  bool PlayReplayInput();
  // Player 1's input of this frame into buffer 0 where attempts are recorded.
  void RecordReplayInput();
  // F1 / F2: a replay buffer offered for saving this frame.
  BOOL CheckReplaySaveKeys();
  // The result's registration: the name (dialog or option), the values into
  // the tables, the file saved, then the ranking shown by thStageWork until
  // the decision button. Once per result.
  void RegisterRanking();
  // The result's keys before its own: F1 / F2, and F3 in ranking modes 0/1.
  void ResultRankingKeys();
  // Closing a result by the button: ranking modes 2/3 register an eligible
  // result, otherwise system sound 1.
  void CloseResultRanking();
  // The result's frozen frame: with the F3 hint line while a registration
  // by F3 is open; after the banner, the result panel.
  void DrawResultFrame(bool bAuto);
  void DrawResultPanelAfterBanner(bool bAuto);

  // ---- The stage as the flows see it ----
  cVector<int32_t>& StageVars() override { return m_vStageVar; }
  int32_t& TimeCounter() override { return m_Timer.nTime; }
  BOOL TimeOn() override { return m_Timer.bFrozen ? FALSE : TRUE; }
  int32_t& ScrollSpeed(int nAxis) override { return m_anScrollSpeed[nAxis == SCROLL_Y ? 1 : 0]; }
  BOOL& AutoScroll(int nAxis) override { return m_abAutoScroll[nAxis == SCROLL_Y ? 1 : 0]; }
  void SetScrollSpeed(int nAxis, BOOL bOn, int32_t nSpeed) override;
  // The defeat handling of a chara whose HP a flow took comes with the
  // charas; the flag asks the play frame to sweep.
  void SetOtherCharaDefeated() override { m_bSweep = 1; }
  cFlowChara* FirstPlayer() override;
  // The stage values, requests, texts, pictures and screen of the flows
  // (stage_flow_host.cpp).
  int32_t& StageClearRequest() override { return m_nStageEnd; }
  int32_t& NextStage() override { return m_nNextStage; }
  int32_t CommandTick() override;
  double SpeedDiv() override;
  double ScrollPos(int nAxis) override { return m_aScroll[nAxis == SCROLL_Y ? 1 : 0].dPos; }
  BOOL ScrollHeld() override;
  int32_t StageSize(int nAxis) override { return StageCells(nAxis == SCROLL_Y ? 1 : 0) * 32; }
  int32_t FirstCell(int nAxis) override { return m_aScroll[nAxis == SCROLL_Y ? 1 : 0].nCellOrigin / 32; }
  // The stage view fills the window from its top-left corner.
  int32_t ViewOffset(int) override { return 0; }
  void RequestSound(int32_t nIndex) override;
  void RequestBgm(int32_t nMusic, int32_t nOption) override;
  BOOL MessageSkip() override { return m_bMessageSkip; }
  int FindNumberedMessage(int32_t nNumber) override;
  int ShowMessage(const FLOWPARAMS& params, const std::string& strText, cFlowChara* pAnchor, BOOL bContinue,
                  int nReplace) override;
  int AddWaitText(int32_t nFrames) override;
  void TakeDownText(int nIndex) override;
  void SetGameWait(int32_t nFrames) override;
  void ArmKeyWait(int nWaiter, BOOL bKey, int32_t nFrames, BOOL bMessageWait) override;
  // 1 when play was asked to close while thPause ran.
  BOOL RunPauseThread() override { return StartPauseThread() ? FALSE : TRUE; }
  void ClearEffects() override;
  void AddEffect(int32_t nEffect, double dX, double dY, int32_t nWidth, int32_t nHeight, int32_t nWait) override;
  void ClearPictures() override { ClearStagePictures(m_Pictures); }
  int FindNumberedPicture(int32_t nNumber) override;
  void TakeDownPicture(int nIndex) override;
  BOOL LoadPicture(const std::string& strFile, BOOL bScaled, int32_t& nWidth, int32_t& nHeight) override;
  int ShowPicture(int nAt, const FLOWPICTURE& pic) override;
  void SetScreenColor(const FLOWPARAMS& params) override;
  int32_t BackgroundLayerCount() override;
  BOOL& BackgroundVisible(int nLayer) override;
  void StartScreenEffect(int32_t nEffect, int32_t nMode, int32_t nRepeat) override;
  int32_t RunPaletteItem(int32_t nSource, int32_t nIndex) override;

  // ---- Steps of the live objects (play_frame.cpp): each is the one place
  // where its unit plugs into the frame. ----
  int DefeatPlayer1();  // the Defeat outcome: 0 go on, 1 the stage finished
  // A stage chara's defeat in play (its Died flows, score and carried item;
  // marked defeated at its end, swept after the pass): 1 when it ended the
  // stage. Nothing for a chara already defeated.
  int DefeatCharaInPlay(cStageChara& chara);
  // Player 1 brought to 0 HP by another's flow is defeated (1 finish, 3 the
  // frame ends); otherwise, with bErase, the defeated and removed charas
  // and items leave their lists (0).
  int SweepDefeatedCharas(bool bErase);
  // Every chara's and item's life time counts down; below 0 it leaves.
  void CountLifeTimes();
  // The charas' and player 1's state of a new sub-step: invincibility
  // counted, wall contacts cleared, box remembered for a squeeze.
  void KeepHouse();
  // Player 1's sub-step: 0, 1 finish, 2 defeat, 3 the frame ends.
  int StepPlayer1();
  // The block charas' pass (short form) or the other charas' (long form):
  // their flows and movement; a chara that falls out or dies in a block is
  // defeated, one that leaves the stage removed. 0, 1 finish, 3 end frame.
  int StepCharas(bool bBlockCharas);
  int StepShots();
  void RemoveOffScreen();
  int ResolvePlayerContacts();  // held item, group hits, item touches
  // Player 1 touching the items (item_touch.cpp): 0, or the first non-zero
  // result of an item's commands (1 finish, 2 defeat). Taken items are
  // freed before it returns.
  int TouchItems(cPlayer& player);
  // ---- Shots (stage_shots.cpp) ----
  // The launch of a chara's command: the owner, its box, its target's box
  // (kept in `target`) and the view.
  void PrepareLaunch(cChara& chara, int nFlowDirection, LAUNCH& launch, LAUNCHBOX& target);
  // A chara's Shot command: the record's waves into the shot lists.
  void LaunchShots(cChara& chara, int nFlowDirection, const cEdShot& params);
  // A chara's sword: one shot bound to it, with the scene's next serial.
  void AddSwordShot(cChara& chara, const cEdShot& params, int32_t nWidth, int32_t nHeight);
  // ---- Live objects from placements and summons (spawning.cpp) ----
  // The stage charas (copies, held items) and the items of the placements,
  // numbered on from the scene's next ids; player 1's placement is skipped.
  void SpawnPlacedObjects();
  // Each returns the number of objects really added; only those use ids.
  int SpawnCharaFromRecord(int cx, int cy, const cEdChara& placement, const cItemObj* lpHeld);
  int SpawnItemFromRecord(int cx, int cy, const cEdItem& placement);
  int SpawnCharaFromCommand(double x, double y, int nFacing, const cEdShot& params, const cEdChara& def);
  int SpawnItemFromCommand(double x, double y, const cEdShot& params, const cEdItem& def);
  void SpawnBlockFromCommand(double x, double y, const cEdShot& params, const cEdBlock& def);
  // 1 when a summoned block must be undone; the players and charas under
  // the cell are marked crushed either way.
  int CheckSummonedBlockOverlap(size_t nCell, int cx, int cy, const cEdShot& params);
  // A chara's SummonBlock (13), SummonChara (14) or SummonItem (15).
  void SummonObjects(cChara& owner, int nKind, int nFlowDirection, const cEdShot& params);
  // Shots against the charas of other groups: 0 go on, 1 finish, 2 defeat
  // player 1. Charas defeated here are marked for the sweep.
  int ResolveShotHits();
  // Charas of different groups touching each other (chara_contacts.cpp):
  // 0, 1 finish, 2 defeat player 1; charas defeated here are marked for the
  // sweep.
  int ResolveCharaContacts();
  // The shots into the frame in one batch; the hit effects, stepped once a
  // drawn frame unless paused, and dropped when their frames run out.
  // bPaused: the shots' animations stand.
  void DrawShots(DDSURFACEDATA* lpDst, BOOL bPaused);
  void DrawHitEffects(DDSURFACEDATA* lpDst, BOOL bPaused);
  bool Player1Defeated() const { return m_bPlayer1Defeated != 0; }

  // ---- State ----
  int32_t m_nState = -1;
  int32_t m_nSubState = 0;
  int32_t m_nSavedState = 0;
  int32_t m_nSavedSubState = 0;
  int32_t m_nStageEnd = 0;  // 1 finish the stage, 2 defeat player 1
  uint16_t m_wVirtualScreen = 0;

  // The pause-thread wait record.
  struct PAUSEWAIT {
    int32_t nKind = 0;
    int32_t nDelay = 0;
    int32_t bWaitKey = 0;
    int32_t nFrames = 0;
    int32_t nSpare = 0;
  } m_Wait;
  // Set by the window thread when WM_CLOSE arrives while thPause runs.
  std::atomic<uint32_t> m_bCloseRequest{0};

  int32_t m_nSubStep = 0;         // 1-based, of the current play frame
  uint32_t m_nSubStepCount = 0;   // since the stage was set up
  int32_t m_anBanner[2] = {0, 0};
  uint32_t m_bKeySwallow = 0;
  uint32_t m_bSweep = 0;
  uint32_t m_abOffScreen[3] = {0, 0, 0};
  uint32_t m_nPlayFrame = 0;
  int32_t m_nNextStage = 0;
  std::vector<uint8_t> m_vHitSubStep;  // one entry per sub-step: 1 tests hits
  // The stage's shots and the hit effects started where attacks land.
  cShotLists m_Shots;
  HITEFFECTLIST m_lstHitEffect;
  int32_t m_nShotSerial = 0;  // numbers the shots and swords made
  // How deep palette items are taking each other now (GetItem inside an
  // item's commands), and whether this chain has met the cap.
  int32_t m_nItemDepth = 0;
  BOOL m_bItemChainCut = FALSE;
  // The ids of the next stage chara (player 1 takes the first) and item.
  int32_t m_nNextCharaId = 0;
  int32_t m_nNextItemId = 0;
  // The block cells one toggle summon has changed, so that its objects
  // toggle a cell once.
  std::vector<size_t> m_vToggledCell;
  cVector<int32_t> m_vStageVar;
  // The auto-scroll of each axis as the flows read and set it.
  int32_t m_anScrollSpeed[2] = {0, 0};
  BOOL m_abAutoScroll[2] = {0, 0};

  // Player 1's key logs of this play frame, as the key conditions of the
  // flows read them (m_KeyLogs spans the vectors).
  std::vector<KEYRUN> m_avKeyLog[KEY_LOGS];
  KEYLOGS m_KeyLogs;

  // The ranking block.
  uint32_t m_bRankEligible = 0;
  std::vector<int32_t> m_vRankPos;
  std::vector<int32_t> m_vResult;
  std::string m_strRankName;
  uint32_t m_bRegistered = 0;

  // What the flows show on the stage: pictures, the screen colour and
  // effect, the message-skip flag, the game-wait words, and the picture a
  // picture command loaded for the ShowPicture that follows.
  PICTURESONSHOW m_Pictures;
  SCREENCOLOUR m_ScreenColour;
  SCREENEFFECT m_ScreenEffect;
  BOOL m_bMessageSkip = 0;
  // The stage's 60 switches: cleared by every conditions pass, turned on
  // by the active charas linked to them.
  cVector<uint8_t> m_vSwitch;
  int32_t m_anGameWait[2] = {0, 0};
  std::list<DDSURFACEDATA> m_lstLoadedSD;
  std::list<DDSURFACEINFO> m_lstLoadedInfo;
  // Player 1's view limit: the stage view surface with its window in the
  // middle, and the work surface its round window is cut with.
  DDSURFACEDATA m_ViewSD;
  DDSURFACEDATA m_ViewWorkSD;

  // The status the attempt in play started with.
  STAGESTARTSTATUS m_StartStatus;
  // The lives were taken from the carried status in this scene: a restart
  // after a miss must not give them back.
  bool m_bLivesInherited = false;

  // The random seed of the attempt in play.
  uint32_t m_dwSeed = 1;
  // Stands for player 1's defeated flag until the player lands.
  uint32_t m_bPlayer1Defeated = 0;
  // The background pictures Init chose.
  STAGEBACKGROUNDS m_Backgrounds;
  // Init failed (a surface list or the stage set-up): the states only fill
  // the screen until the close arrives.
  bool m_bFailed = false;

  // From and to the mode manager.
  STAGESTART m_Start;
  int32_t m_nNextMode = 0;
  int32_t m_nTargetFps = 60;
  // Set by End once the fade-out is done: the mode manager switches to
  // m_nNextMode (and 60 frames per second).
  bool m_bModeDone = false;

 private:
  typedef void (cSceneStage::*STATEPROC)();
  STATEPROC m_apfnState[STAGESTATE_COUNT] = {};
  int32_t m_nMenuRow = 0;  // the cursor row of the pause and miss menus
  // One step of a fade; true on the step that shows the end state.
  bool FadeStep();
  void ResetPlayState();
  void DrawBanner(int sx, int sy, int w, int x, int y);
  // The rows' texts at the menu position with the cursor; the row moves
  // with up and down (wrapping).
  int MenuStep(const PLAYERKEYS& keys, int nRows);
  void DrawMenu(const int* anText, int nRows);
  PLAYERKEYS ReadKeys() const;
  // The space key opens the pause menu over the running state, which it
  // saves for the return; true when it did.
  bool OpenPauseMenu();
};

// The running stage scene: written by the game thread when the scene is made
// and destroyed (under the lock of RequestStageClose), read by the game
// thread and by thPause while the game thread waits for it.
extern cSceneStage* g_lpSceneStage;

// The window thread's half of WM_CLOSE while thPause runs: the close request
// of the running scene. FALSE when no scene exists.
BOOL RequestStageClose();

// SHOTLINKS on the live charas (the scene installs them when it is made)
// and the stage's shots dropped with the scene.
void InstallShotLinks();
void ResetShotLinks();
// The bookkeeping of a cleared stage that does not chain on. Story: the
// world-map point passed, the stage's best total, and the point's after-
// clear kind giving the next mode (1 world map, 0 title). Challenge: the
// course cleared with its best score, the next course opened, the challenge
// file saved.
int RecordMapPointCleared(cEdProgress& p);
void RecordChallengeCleared(cEdProgress& p);

// The play log of a headless run (TARVOLIN4_PLAYLOG): one line per frame
// of the stage scene, after its Update. Opened on the first line.
void WritePlayLogLine(const cSceneStage& scene);

// Tests only: false makes the contact pass ask every pair of charas of two
// sides, as its columns of charas must give the same play.
void UseContactColumnsForTests(bool bUse);
