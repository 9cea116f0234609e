// What the flow engine needs of stage play: cFlowChara (one live chara or
// player whose flows run) and cFlowStage (the stage scene as game context),
// both implemented by play/, plus the context of the flow being stepped.
#pragma once

#include <cstdint>
#include <string>

#include "base/checked_containers.h"
#include "platform/win_types.h"
#include "records/flow_records.h"

class cFlowRun;
class cCommandRun;
struct FLOWNUMBERFLAGS;
struct FLOWPARAMS;

// Chara statuses by the status condition's index. 0 is a chara variable and
// never reaches Status/SetStatus.
namespace CharaStatus {
enum Value : int32_t {
  Variable = 0, Hp = 1, Sp = 2, MaxHp = 3, MaxSp = 4, CharaId = 5, Z = 6, Mark = 7, Sight = 8,
  Power = 9, Impact = 10, Defence = 11, ImpactResist = 12, Stopping = 13, ScoreGained = 14,
};
}
constexpr int CHARA_STATUS_COUNT = 15;

class cFlowChara {
 public:
  virtual ~cFlowChara() = default;

  virtual cVector<cFlowRun>& FlowRuns() = 0;
  virtual FLOWNUMBERFLAGS& FlowNumbers() = 0;
  // The chara's own variables (the expression language's v1 to v8 are
  // elements 1 to 8).
  virtual cVector<int32_t>& Vars() = 0;
  // A status 1..14, the narrow ones sign-extended.
  virtual int32_t Status(int nStatus) = 0;
  // Stores a status 1..14; the value is already within the status's range.
  virtual void SetStatus(int nStatus, int32_t nValue) = 0;
  // Null when the chara has none.
  virtual cFlowChara* Target() = 0;

  virtual BOOL IsComputer() = 0;     // operated by the computer
  virtual BOOL IsRemoved() = 0;
  virtual BOOL IsInvincible() = 0;   // the StatusOp2 switch
  virtual BOOL KeepsSight() = 0;     // the kind flag that keeps sight radius and views

  // HP and SP changes with their clamps and gauges. ChangeLife gives 1 when
  // HP reached 0.
  virtual BOOL ChangeLife(int32_t nDelta, BOOL bForce, BOOL bShowGauge) = 0;
  virtual void ChangeSp(int32_t nDelta, BOOL bShowGauge) = 0;
  virtual void StartLifeGauge(int32_t nDelta) = 0;
  virtual void StartSpGauge(int32_t nDelta) = 0;
  // After the sight status changed: the radius becomes sight × 16; from a
  // code statement the stage's view surfaces are rebuilt too.
  virtual void SightChanged(BOOL bFromCode) = 0;
  // After the stopping status changed or was read as an operand: the braking
  // value (status × 0.01 / the speed divisor) is worked out again.
  virtual void BrakingChanged() = 0;

  // Condition kinds 5, 6 and 7, answered by the chara.
  virtual BOOL TestStateValue(const cEdCondition& cond) = 0;
  virtual BOOL TestStateFlag(const cEdCondition& cond) = 0;
  virtual BOOL TestPosition(const cEdCondition& cond) = 0;
  // The key conditions of a flow against player 1's key logs (1 for none);
  // stage play keeps m_bKeyHeld.
  virtual BOOL KeyConditionsHold(cFlowRun& run) = 0;
  // Index 0..9 of the first key history whose newest entry is pressed, 0
  // when none.
  virtual int32_t FirstPressedKeyHistory() = 0;

  // SetTarget: drops this chara from its old target's pursuers, chooses by
  // the command's parameters and registers with the new one.
  virtual void ChooseTarget(const int32_t* pParam, int nParams) = 0;
  // StatusOp2 on a chara: switch 0 vanish .. 6 auto-scroll sync, with value.
  virtual void SetCharaSwitch(int nSwitch, int32_t nValue) = 0;

  // --- What the move, warp and jump commands read and set. Axis 0 is x, 1 y.
  virtual BOOL FacesRight() = 0;
  virtual void SetFacing(BOOL bRight) = 0;
  virtual BOOL FacingFixed() = 0;  // "向き固定"
  virtual BOOL CanFly() = 0;
  virtual BOOL IsOnScreen() = 0;
  // Both screen-pinning flags cleared.
  virtual void ClearScreenPinning() = 0;
  // Adds to the chara's movement of this sub-step (a move without inertia).
  virtual void AddFrameMove(double dX, double dY) = 0;
  // The inertial velocity of an axis, which moves with inertia push.
  virtual double& InertiaVelocity(int nAxis) = 0;
  // Clears the axis's no-push flag that stage play sets every sub-step.
  virtual void ClearNoPush(int nAxis) = 0;
  // The moving flag set and the animation player restarted on walking (1),
  // or flying (3) for a chara that flies.
  virtual void StartMoveAnimation() = 0;
  // The centre of the chara's box and its placement position, stage pixels.
  virtual void Centre(double& dX, double& dY) = 0;
  virtual void PlacementPosition(double& dX, double& dY) = 0;
  // The chara's box on screen (the scroll position taken off), edges included.
  virtual RECT ScreenBox() = 0;
  // The run's velocity toward the point (dDX, dDY) away from the chara, at
  // the run's speed, on both axes (nAxes 0), x only (1) or y only (2); the
  // scroll that carries the chara is taken into account (bRelative: the
  // point is a displacement of the chara, else a place it must reach while
  // the screen moves). 1 when the point is within one step, where a move
  // that stops on arrival is put on it.
  virtual BOOL MoveTowardOffset(cCommandRun& run, double dDX, double dDY, int nAxes, BOOL bRelative) = 0;
  // The wall flag of the last sub-step, and its clearing.
  virtual BOOL HitWall() = 0;
  virtual void ClearHitWall() = 0;
  // Whether the block cells one row under the left and right ends of the
  // chara's feet are solid (the row kept within the stage's last row).
  virtual void ProbeFeetCells(BOOL& bLeftSolid, BOOL& bRightSolid) = 0;
  // The horizontal movement since the last sub-step of the block chara the
  // chara stands on; 0 when it stands on none.
  virtual double RiddenMoveX() = 0;
  // On a slope (slope vector not zero): the velocity turned along it and 1;
  // otherwise 0 and the velocity left.
  virtual BOOL FollowSlope(double& dVX, double& dVY) = 0;
  // Movement of this sub-step, inertial velocity, the two further velocities
  // and the pinning flags cleared; the move-disabled flag set until the
  // chara's next update.
  virtual void DisableMove() = 0;
  // The move-disabled flag: set by DisableMove, cleared when the chara's
  // next update starts.
  virtual BOOL MoveDisabled() = 0;
  // The chara's jump operation: nothing while jumping or falling; else plays
  // the command's sound, takes the run's speed as vertical speed, 1.
  virtual BOOL StartJump(cCommandRun& run) = 0;
  // Side of the last block hit: 0 left, 1 right, other none.
  virtual int32_t LastBlockHitSide() = 0;
  // The step factor n of durations, speeds and distances.
  virtual int32_t StepFactor() = 0;
  // The chara's position (its box's top-left), stage pixels; its box size.
  virtual void Position(double& dX, double& dY) = 0;
  virtual void BoxSize(double& dW, double& dH) = 0;
  // Moves along one axis, then the chara's moved-axis operation runs.
  virtual void MoveAxis(int nAxis, double dDelta) = 0;
  virtual void SetPosition(double dX, double dY) = 0;
  // Places the chara on a cell of the stage (CharaWarpToCellX/Y).
  virtual void WarpToCell(int32_t nColumn, int32_t nRow) = 0;
  // Keeps the position and box, and puts them back.
  virtual void SaveWarpOrigin() = 0;
  virtual void RestoreWarpOrigin() = 0;
  // Updates the screen rectangle; 1 when the chara is within the stage and
  // its spot is free of blocks (IsWithinStageBounds, TestSpawnSpot).
  virtual BOOL WarpSpotFree() = 0;
  // Vertical movement of this sub-step := 0.
  virtual void ClearVerticalMove() = 0;
  // Pins the chara to a screen position (both pinning flags set).
  virtual void PinToScreen(double dX, double dY) = 0;

  // --- Shots, swords and summons.
  // The launch of a shot command (kind 11, FireShot into the scene's shot
  // list) or of a summon command (13 SummonBlock, 14 SummonChara, 15
  // SummonItem) by the shot record's launch pattern.
  virtual void Launch(int nKind, cCommandRun& run, const cEdShot& shot) = 0;
  // A sword: a shot set up from the record (its sword-kind byte) with the
  // first frame's size, bound to this chara with the scene's next serial and
  // kind 12, appended to the shot list; the serial counts up.
  virtual void AddSword(cCommandRun& run, const cEdShot& shot, int32_t nWidth, int32_t nHeight) = 0;

  // --- Graphics, animations and effects of the chara.
  // Graphic number (its 8- and 16-bit copies), second value (both copies),
  // third value.
  virtual void SetGraphic(int32_t nGraphic, int32_t nSecond, int32_t nThird) = 0;
  // The chara's set-up of its base Anime set, restart flag 0.
  virtual void SetBaseAnimeSet(int32_t nSet) = 0;
  // An animation player for the (checked) animation, started from its first
  // pattern and added to the flow animations with the tag.
  virtual void AddFlowAnime(int32_t nAnime, int32_t nTag) = 0;
  // A command's lead-in animation: started from its first pattern, advanced
  // by nSkip sub-steps and, when nHold is above 0, its first hold step
  // lengthened by nHold; added to the flow animations with the tag.
  virtual void AddLeadInAnime(int32_t nAnime, int32_t nTag, int32_t nSkip, int32_t nHold) = 0;
  // On the flow animations with the tag: erase them; erase the finished
  // ones and mark the others stopping; clear the stopping mark.
  virtual void RemoveFlowAnimes(int32_t nTag) = 0;
  virtual void StopFlowAnimes(int32_t nTag) = 0;
  virtual void ResumeFlowAnimes(int32_t nTag) = 0;
  // CharaEffectStart on the chara's effect run.
  virtual void StartCharaEffect(int32_t nEffect, int32_t nMode, int32_t nRepeat) = 0;
};

namespace SystemValue {
enum Value : int32_t { Time = 0, ScrollX = 1, ScrollY = 2, Score = 3, Lives = 4 };
}
constexpr int SYSTEM_VALUE_COUNT = 5;

// What the picture command hands the picture object.
struct FLOWPICTURE {
  int32_t nPicture = 0;
  double dX = 0, dY = 0;       // stage pixels
  int32_t nWidth = 0, nHeight = 0;
  int32_t nFrames = 0;         // display time
  int32_t nMode = 0;           // 0 until the advance key, 1 until the stage ends, 2 for the time
  int32_t nAlpha = 100;        // parameter 6, percent (100 draws without blending)
  int32_t bFixedToScreen = 0;  // parameter 11
  int32_t bStopGame = 0, bNumbered = 0, nNumber = 0;
};

class cFlowStage {
 public:
  virtual ~cFlowStage() = default;
  virtual cVector<int32_t>& StageVars() = 0;
  virtual int32_t& TimeCounter() = 0;
  virtual BOOL TimeOn() = 0;
  // Axis 0 horizontal, 1 vertical.
  virtual int32_t& ScrollSpeed(int nAxis) = 0;
  virtual BOOL& AutoScroll(int nAxis) = 0;
  // Sets the axis's scroller running (step speed × 0.1 / D) or stopped.
  virtual void SetScrollSpeed(int nAxis, BOOL bOn, int32_t nSpeed) = 0;
  // A flow set another chara's HP to 0 or less (or made it vanish).
  virtual void SetOtherCharaDefeated() = 0;
  // Element 0 of g_vPlayer through the checked access; null (after the
  // report) when there is none.
  virtual cFlowChara* FirstPlayer() = 0;

  // --- Stage values the commands read. Axis 0 is x, 1 y.
  // The stage-end request (1 stage cleared, 2 player 1 defeated) and the
  // next stage number, acted on by the play frame.
  virtual int32_t& StageClearRequest() = 0;
  virtual int32_t& NextStage() = 0;
  // The command tick T: executors acting every T sub-steps count to it.
  virtual int32_t CommandTick() = 0;
  // The speed divisor D.
  virtual double SpeedDiv() = 0;
  virtual double ScrollPos(int nAxis) = 0;
  virtual BOOL ScrollHeld() = 0;
  // Stage width or height in pixels; its first column or row; the view's
  // offset on screen.
  virtual int32_t StageSize(int nAxis) = 0;
  virtual int32_t FirstCell(int nAxis) = 0;
  virtual int32_t ViewOffset(int nAxis) = 0;

  // --- Requests to the window (SendMessage, waits until handled).
  // UM_PLAYSE with the sound list index (project sound n is 16 + n).
  virtual void RequestSound(int32_t nIndex) = 0;
  // g_nStageBgmLoop := nOption, then UM_PLAYBGM with wParam 4 and the index.
  virtual void RequestBgm(int32_t nMusic, int32_t nOption) = 0;

  // --- Texts, the pause thread and the key-wait object.
  virtual BOOL MessageSkip() = 0;
  // Index in the text list of the shown message with that number, -1 none.
  virtual int FindNumberedMessage(int32_t nNumber) = 0;
  // Lays out a message from the command's parameters and text at the anchor
  // (null: none). bContinue: the text continues in the message window shown
  // last (its settings renewed). nReplace >= 0: the shown message there is
  // updated in place when the new window has its size, else taken down
  // first. Returns the message's index in the text list.
  virtual int ShowMessage(const FLOWPARAMS& params, const std::string& strText, cFlowChara* pAnchor,
                          BOOL bContinue, int nReplace) = 0;
  // An empty text object shown for nFrames ("時間で指定"), appended; its index.
  virtual int AddWaitText(int32_t nFrames) = 0;
  // Takes a text object down (surface released, entry erased).
  virtual void TakeDownText(int nIndex) = 0;
  // The wait words for a game wait: counts 0, the wait length nFrames.
  virtual void SetGameWait(int32_t nFrames) = 0;
  // Arms the key-wait object (waiter 1 message, 2 effect, 3 picture).
  virtual void ArmKeyWait(int nWaiter, BOOL bKey, int32_t nFrames, BOOL bMessageWait) = 0;
  // Runs thPause with PauseThreadProc and waits until it ends. 1 when play
  // was asked to close meanwhile (WM_CLOSE already posted).
  virtual BOOL RunPauseThread() = 0;

  // --- Effects, pictures, screen colour, background.
  virtual void ClearEffects() = 0;
  // An effect object from the effect record at the position and size,
  // appended to the shown effects.
  virtual void AddEffect(int32_t nEffect, double dX, double dY, int32_t nWidth, int32_t nHeight, int32_t nWait) = 0;
  virtual void ClearPictures() = 0;
  virtual int FindNumberedPicture(int32_t nNumber) = 0;
  virtual void TakeDownPicture(int nIndex) = 0;
  // Loads a picture record's image file into the surface the next
  // ShowPicture takes (in system memory under the Direct3D path when scaled
  // or short of video memory); its natural size. 0 when it cannot be loaded.
  virtual BOOL LoadPicture(const std::string& strFile, BOOL bScaled, int32_t& nWidth, int32_t& nHeight) = 0;
  // Sets the loaded picture up (SetPictureParams) at nAt in the picture
  // list (-1: at the end); its index.
  virtual int ShowPicture(int nAt, const FLOWPICTURE& pic) = 0;
  // SetScreenColor with the command's eight parameters.
  virtual void SetScreenColor(const FLOWPARAMS& params) = 0;
  virtual int32_t BackgroundLayerCount() = 0;
  virtual BOOL& BackgroundVisible(int nLayer) = 0;
  // ScreenEffectStart on the scene's screen-effect run, then the device's
  // effect state reset when screen effects are on.
  virtual void StartScreenEffect(int32_t nEffect, int32_t nMode, int32_t nRepeat) = 0;
  // Item nIndex of the common (0) or stage (1) palette through the checked
  // access, its command list run for player 0 (RunItemCommandList).
  virtual int32_t RunPaletteItem(int32_t nSource, int32_t nIndex) = 0;
};

// The flow being stepped, read by the executors and by stage play. Written
// and read by the game thread only.
struct FLOWCONTEXT {
  cFlowStage* m_lpStage = nullptr;
  cFlowChara* m_lpCurChara = nullptr;
  cFlowRun* m_lpCurFlow = nullptr;
  cCommandRun* m_lpCurCommand = nullptr;
};
// Written and read by the game thread only (stage set-up installs the stage,
// the runner the rest).
extern FLOWCONTEXT g_FlowContext;

// The installed stage, or a stage with no variables and no scrolling when
// none is (before a stage is set up).
cFlowStage& FlowStage();
// The common variables: the variable list of the play progress record.
cVector<int32_t>& CommonVars();
