// cChara, what stage charas and players share: the definition, HP and SP with
// their gauges, invincibility and per-attacker immunity, knock-back, the run
// state of the flows (the flow engine's host), targets and defeat.
#pragma once

#include <cstdint>

#include "base/checked_containers.h"
#include "flow/flow_host.h"
#include "flow/flow_runner.h"
#include "media/graphics/anime_player.h"
#include "play/game_object.h"
#include "play/hit_effect.h"
#include "records/chara.h"
#include "records/database_run_tables.h"

class cChara;
class cPlayer;
class cItemObj;
class cCommandRun;
// Player 1's key logs (play/key_conditions.h); kept out of this header
// because the flow conditions name their own key runs alike.
struct KEYLOGS;

// An on-screen gauge of HP or SP.
struct GAUGE {
  int m_nTimer = 0;       // frames left, 120 when started
  double m_dChange = 0;   // width in pixels of the change still shown
  double m_dStep = 0;     // what the change loses per frame
  int m_nBar = 0;         // the bar's width, 0 to 50
};

// A hit range: left and top from the object's box, width and height. Its
// box in stage pixels follows the position (CharaHitBox and the others).
struct HITRANGE {
  int nLeft = 0, nTop = 0, nWidth = 0, nHeight = 0;
  int nLeft0 = 0, nTop0 = 0, nWidth0 = 0, nHeight0 = 0;  // unscaled

  // The range, scaled and unscaled alike.
  void Set(int l, int t, int w, int h) {
    nLeft = nLeft0 = l;
    nTop = nTop0 = t;
    nWidth = nWidth0 = w;
    nHeight = nHeight0 = h;
  }
  // The range at n times its unscaled size.
  void Scale(int n) {
    nLeft = nLeft0 * n;
    nTop = nTop0 * n;
    nWidth = nWidth0 * n;
    nHeight = nHeight0 * n;
  }
};

// A hit or body side from the system record, bounded so that a damaged
// record cannot make a box that overflows the pixel sums.
inline int BoundedHitSide(uint32_t v) { return static_cast<int>(v < 1024 ? v : 1024); }

struct IMMUNITY {
  int nAttacker;
  int nFrames;
};

// An animation shown over the chara's own for a while: a flow's "run
// animation" or a command's lead-in, tagged with its flow's effect tag so
// that ending or pausing the flow takes it away or holds it.
struct ANIMEOVERRIDE {
  cAnime Anime;       // the one animation it plays, as animation 0
  int bPriority = 0;  // shown before the ordinary ones
  int nFrames = 0;    // frames left
  int bPaused = 0;    // its flow is paused: neither advanced nor shown
  int nTag = 0;
};

// The animation state of a chara: the player of its anime set's animations
// and the overrides over it.
struct CHARAANIME {
  cAnime Player;
  cList<ANIMEOVERRIDE> lstOverride;
  int Current() const { return Player.nAnime; }
  // Starts animation n from its first step; one that is not forced waits
  // for a step that may be interrupted.
  void SetAnime(int n, bool bForce) { Player.SetAnime(n, bForce ? TRUE : FALSE); }
  // The same, but the animation already shown keeps running.
  void ChangeAnime(int n, bool bForce) { Player.ChangeAnime(n, bForce ? TRUE : FALSE); }
};

// What a chara gets from the stage scene. The stage scene owns these values
// and installs them; charas read and write them on the game thread only.
struct CHARASCENE {
  int m_bStageEnd = 0;       // a stage clear or end was requested
  int m_bMessageShown = 0;   // an item's message command showed its text
  int m_nRideCounter = 0;    // sub-steps counted for a jump off a carrier
  cVector<uint8_t>* m_lpSwitches = nullptr;  // the stage's switches
  // The hit effect of an attacker, started where the defender's box meets
  // the attacker's, magnified by the attacker's scale, and entered in the
  // scene's effect list; nothing until the scene installs it.
  void (*pfnStartHitEffect)(int nEffect, const HITBOX& defender, const HITBOX& attacker, int nScale) = nullptr;
};
// Written by the stage scene when it is set up, read and written by the game
// thread only.
extern CHARASCENE g_CharaScene;

class cChara : public cGameObj, public BLOCKCONTACT, public cFlowChara {
 public:
  cChara();
  ~cChara() override;
  cChara(const cChara&) = delete;
  cChara& operator=(const cChara&) = delete;

  // ---- cGameObj hooks ----
  BLOCKCONTACT* Contact() override { return this; }
  void RaiseTrigger(int nTrigger) override;
  void KeepFootOnScale(int nNew, int nOld) override;
  void SetCenterX(double x) override;
  void SetCenterY(double y) override;
  void SetCenter(double x, double y) override;
  void SetCenterXR(double x) override;
  void SetCenterYR(double y) override;
  void SetCenterR(double x, double y) override;

  // ---- Chara slots ----
  virtual cItemObj* GetCarriedItem() { return nullptr; }
  virtual int StepX() { return 0; }
  virtual int StepY() { return 0; }
  virtual int Update(int) { return 0; }
  // 1 when a jump started.
  virtual int StartJump(cCommandRun&) { return 0; }
  virtual bool IsPlayer() const { return false; }

  // ---- Set-up ----
  // From a definition (may be null); the position (x, y) of the placement.
  void CharaInit(const cEdChara* lpDef, double x, double y, uint16_t wWord);
  // add 0: the run states of m_Def's own flows. add 1: the flows are copied
  // into m_Def (inserted at nPosition when within, else appended) and get new
  // run states; a key already held does not start them at once.
  void CharaBuildFlowRuns(const cVector<cEdFlow>* lpFlows, int nFacing, int bAdd, int nPosition);
  // After m_vFlowRun or m_Def's flow list changed: index, flow pointers and
  // key-condition lists of every run.
  void CharaRebuildFlowIndex();

  // ---- Flows ----
  // The frame's flow pass shared by stage charas and players: base speed
  // from the scroll, the running flows stepped, the idle animation; 1 when
  // HP ran out or a command asked for the end.
  int CharaFrameUpdate(int bDied);
  void CharaResetFlowMarks() { ClearTriggerFlags(*this); }
  void CharaRemoveFlowRun(int nIndex);
  // The position of the first run removed, -1 when none was. Group 0 removes
  // every flow.
  int CharaRemoveFlowsOfGroup(int nGroup);

  // ---- Life and gauges ----
  int CharaChangeLife(int32_t nDelta, int bForce, int bShowGauge);
  void CharaChangeSp(int32_t nDelta, int bShowGauge);
  void CharaStartLifeGauge(int32_t nDelta);
  void CharaStartSpGauge(int32_t nDelta);
  // One frame of a gauge's shrinking change; 0 when it is not shown.
  static int GaugeTick(GAUGE& g);
  int CharaDamagedByChara(cChara& other);
  // A shot's attack, hit effect (at its attack box, magnified by its
  // scale), knock-back strength and speed pair (bHasSpeed 0: the facing
  // sign and 0 are used).
  int CharaDamagedByShot(int32_t nAttack, int nHitEffect, int nKnockBack, int bHasSpeed, double vx, double vy,
                         int nFacingSign, const HITBOX& attackBox, int nScale);

  // ---- Invincibility ----
  void CharaStartInvincible();
  void CharaStartInvincibleFrom(int nAttackerId);
  void CharaCountInvincible();
  int CharaIsInvincible() const { return m_nInvincible > 0; }
  int CharaIsInvincibleTo(int nAttackerId) const;

  // ---- Knock-back, impulses, riding ----
  void CharaKnockBack(int nStrength, double vx, double vy);
  void CharaKnockBackFromChara(const cChara& other);
  void CharaDecayImpulseX();
  void CharaDecayImpulseY();
  void CharaApplyImpulseY();
  int CharaOnFloorHit() const;
  void CharaSaveBox();
  void CharaRestoreBox();
  void CharaClearContacts();
  void CharaSetHitBox(int bBottom, int w, int h);
  void CharaSetAnimeSet(int nId, int bForce);
  void CharaWarpToCellX(int nCell);
  void CharaWarpToCellY(int nCell);
  void CharaWarpToCell(int x, int y);

  // ---- Movement toward a point (the move commands) ----
  // From (x0, y0) toward (x1, y1) at the run's speed, view coordinates: the
  // velocity and direction go into the run; 1 on arrival, where a move that
  // stops on arrival puts the picture's centre on the point and clears the
  // run's velocity.
  int MoveTowardPoint(cCommandRun& run, double x0, double y0, double x1, double y1, int bRelative, int bNoDiagonal);
  int MoveTowardPointX(cCommandRun& run, double x0, double x1);
  int MoveTowardPointY(cCommandRun& run, double y0, double y1);

  // ---- Targets ----
  void SetTargetChara(cChara* lpTarget);
  // Every link from and to this chara dropped: targets, pursuers, parent
  // and children.
  void DropLinks();

  // ---- Defeat ----
  // 1 when the defeat ends the stage.
  int CharaOnDefeated();

  // ---- cFlowChara ----
  cVector<cFlowRun>& FlowRuns() override { return m_vFlowRun; }
  FLOWNUMBERFLAGS& FlowNumbers() override { return m_FlowNumbers; }
  cVector<int32_t>& Vars() override { return m_vVar; }
  int32_t Status(int nStatus) override;
  void SetStatus(int nStatus, int32_t nValue) override;
  cFlowChara* Target() override { return m_lpTarget; }
  BOOL IsComputer() override { return !IsPlayer(); }
  BOOL IsRemoved() override { return m_bRemoved || m_bDefeated; }
  BOOL IsInvincible() override { return m_bInvincibleSwitch; }
  BOOL KeepsSight() override { return m_bKeepsSight; }
  BOOL ChangeLife(int32_t d, BOOL bForce, BOOL bGauge) override { return CharaChangeLife(d, bForce, bGauge); }
  void ChangeSp(int32_t d, BOOL bGauge) override { CharaChangeSp(d, bGauge); }
  void StartLifeGauge(int32_t d) override { CharaStartLifeGauge(d); }
  void StartSpGauge(int32_t d) override { CharaStartSpGauge(d); }
  void SightChanged(BOOL) override;
  void BrakingChanged() override;
  BOOL TestStateValue(const cEdCondition& cond) override;
  BOOL TestStateFlag(const cEdCondition& cond) override;
  BOOL TestPosition(const cEdCondition& cond) override;
  BOOL KeyConditionsHold(cFlowRun& run) override;
  int32_t FirstPressedKeyHistory() override;
  void ChooseTarget(const int32_t* pParam, int nParams) override;
  void SetCharaSwitch(int nSwitch, int32_t nValue) override;

  // Movement, warp and jump (chara_flow_host.cpp).
  BOOL FacesRight() override { return m_nDir == 1; }
  void SetFacing(BOOL bRight) override { m_nDir = bRight ? 1 : 0; }
  BOOL FacingFixed() override { return m_bFixedFacing != 0; }
  BOOL CanFly() override { return m_nNoGravity != 0; }
  // The flow side's test and the objects' own (const) one are the same.
  BOOL IsOnScreen() override { return cGameObj::IsOnScreen(); }
  int IsOnScreen() const { return cGameObj::IsOnScreen(); }
  void ClearScreenPinning() override { m_abPinned[0] = m_abPinned[1] = 0; }
  void AddFrameMove(double dX, double dY) override;
  double& InertiaVelocity(int nAxis) override { return nAxis == 0 ? m_dSpeedX2 : m_dSpeedY2; }
  void ClearNoPush(int nAxis) override { m_abNoPush[nAxis == 0 ? 0 : 1] = 0; }
  void StartMoveAnimation() override;
  void Centre(double& dX, double& dY) override;
  void PlacementPosition(double& dX, double& dY) override;
  RECT ScreenBox() override;
  BOOL MoveTowardOffset(cCommandRun& run, double dDX, double dDY, int nAxes, BOOL bRelative) override;
  BOOL HitWall() override { return m_bTouchLeft || m_bTouchRight; }
  void ClearHitWall() override { m_bTouchLeft = m_bTouchRight = 0; }
  void ProbeFeetCells(BOOL& bLeftSolid, BOOL& bRightSolid) override;
  double RiddenMoveX() override;
  BOOL FollowSlope(double& dVX, double& dVY) override;
  void DisableMove() override;
  BOOL MoveDisabled() override { return m_bMoveDisabled; }
  int32_t LastBlockHitSide() override;
  int32_t StepFactor() override { return m_wSetupWord; }
  void Position(double& dX, double& dY) override;
  void BoxSize(double& dW, double& dH) override;
  void MoveAxis(int nAxis, double dDelta) override;
  void SetPosition(double dX, double dY) override;
  void WarpToCell(int32_t nColumn, int32_t nRow) override { CharaWarpToCell(nColumn, nRow); }
  void SaveWarpOrigin() override;
  void RestoreWarpOrigin() override;
  BOOL WarpSpotFree() override;
  void ClearVerticalMove() override { m_dSpeedY = 0; }
  void PinToScreen(double dX, double dY) override;
  void Launch(int nKind, cCommandRun& run, const cEdShot& shot) override;
  void AddSword(cCommandRun& run, const cEdShot& shot, int32_t nWidth, int32_t nHeight) override;
  void SetGraphic(int32_t nGraphic, int32_t nSecond, int32_t nThird) override;
  void SetBaseAnimeSet(int32_t nSet) override { CharaSetAnimeSet(nSet, 0); }
  void AddFlowAnime(int32_t nAnime, int32_t nTag) override;
  void AddLeadInAnime(int32_t nAnime, int32_t nTag, int32_t nSkip, int32_t nHold) override;
  void RemoveFlowAnimes(int32_t nTag) override;
  void StopFlowAnimes(int32_t nTag) override;
  void ResumeFlowAnimes(int32_t nTag) override;
  void StartCharaEffect(int32_t nEffect, int32_t nMode, int32_t nRepeat) override;

  // The key logs the chara's key conditions and start key read: player 1's
  // for every chara (its own player's for the start key of a player chara).
  const KEYLOGS* KeyLogsOf(bool bOwnPlayer) const;

  cChara* m_lpTarget = nullptr;
  // The charas whose target this chara is, in no particular order, and this
  // chara's place in its own target's list.
  cVector<cChara*> m_vTargetedBy;
  size_t m_nTargetedBySlot = 0;
  // The serials of its linked shots (shot types 3 and 6); a serial, not a
  // pointer, so a shot that ends leaves nothing dangling here.
  cVector<int32_t> m_vLinkedShot;
  // 2 once a summoned block came down on it.
  int m_nCrushState = 0;
  cVector<cChara*> m_vChildren;
  cChara* m_lpParent = nullptr;
  cEdChara m_Def;
  cVector<cFlowRun> m_vFlowRun;
  FLOWNUMBERFLAGS m_FlowNumbers;
  cVector<int32_t> m_vVar;
  double m_dSetupX = 0, m_dSetupY = 0;  // the placement's position
  double m_dImpulseX = 0, m_dImpulseY = 0, m_dImpulseYPrev = 0;
  int m_bDefeated = 0;
  int m_bRemoved = 0;        // taken out of play (vanished); erased by the sweep
  int m_bEndRequest = 0;     // a command asked the flow pass to end
  double m_dSavedBox[4] = {0, 0, 0, 0};
  int32_t m_nHp = 0;
  GAUGE m_HpGauge;
  int32_t m_nSp = 0;
  GAUGE m_SpGauge;
  int m_nInvincible = 0;
  cList<IMMUNITY> m_lstImmunity;
  EFFECTRUN m_Effect;
  int m_nViewLimitPixels = 0;
  HITRANGE m_rcHitBox;
  HITRANGE m_rcHitBox2;
  CHARAANIME m_Anime;
  // What the drawing reads besides the picture (hidden is m_bTransparent,
  // gone is m_bRemoved, the icon is the mark, the fixed screen place the
  // pinning): the picture variant flags (bits 0, 1, 2: the anime set's
  // third, second and first picture offset), and the frames a player's
  // plain defeat has lasted.
  int m_nPictureVariant = 0;
  int m_nDefeatFrames = 0;
  int m_bMoveRan = 0;        // a move command ran this frame
  int m_bInvincibleSwitch = 0;
  int m_bTransparent = 0;
  int m_bFixedFacing = 0;
  int m_bAutoScrollSync = 0;
  int m_bKeepsSight = 0;
  int16_t m_nMark = 0;       // the flows' "mark": the icon drawn over it, 0 none
  // The chara ID that flows give ("cid") and target searches match; the
  // definition's field 6 is its copy count, not an ID.
  int8_t m_nCharaId = 0;
  // Its place in the id index (play/id_index.h), -1 when it is not filed.
  int m_nIdSlot = -1;
  // Block-chara collision state: the riding record, this sub-step's
  // displacement and push flags.
  int m_nCarrierId = 0;
  double m_dCarrierBox[4] = {0, 0, 0, 0};
  double m_dMoveDX = 0, m_dMoveDY = 0;
  int m_bPushedRight = 0, m_bPushedLeft = 0, m_bPushedDown = 0, m_bPushedUp = 0;
  int m_bStartFall = 0;
  int m_bOwnMove = 0;
  // What the flow commands set: the screen pinning with its position (the
  // chara's position less the scroll, where the drawing keeps it), the
  // no-push flags, the move-disabled flag until the next update and the
  // kept warp origin.
  int m_abPinned[2] = {0, 0};
  double m_dPinX = 0, m_dPinY = 0;
  int m_abNoPush[2] = {1, 1};
  int m_bMoveDisabled = 0;
  double m_adWarpOrigin[4] = {0, 0, 0, 0};
};

// The first player with that id, else the first chara of g_lstChara, else
// null.
cChara* FindCharaById(int nId);
// IsInRange of the position condition.
int IsInRange(int nOwnStart, int nOwnSize, int nOtherStart, int nOtherEnd, int nInset, int a, int b, int nMode);
