// Stage set-up: the running stage rebuilt from the copy as loaded, the
// block map and scroll axes, timers, the hit-sub-step table, the random
// seed and the stage's music.
#include <algorithm>
#include <cstring>

#include "base/message_box.h"
#include "base/report.h"
#include "media/graphics/dd.h"
#include "platform/game_random.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "play/condition_pass.h"
#include "play/hits.h"
#include "play/item_object.h"
#include "play/live_lists.h"
#include "play/message_text.h"
#include "play/play_links.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/play_state.h"
#include "play/status_carry.h"
#include "play/stage_scene.h"
#include "records/flow_enums.h"
#include "records/progress.h"
#include "records/stage.h"
#include "records/system.h"

namespace {

// The music rules of a stage start: bRestartMusic 0 asks only for a piece
// other than the one playing; 1 starts it again unless the stage keeps the
// music that plays (a kept 0 stops it).
void RequestStageMusic(BOOL bRestartMusic) {
  const int nMusic = static_cast<int>(g_Stage.m_nBgm);
  const int nOption = static_cast<int>(g_Stage.m_nBgmOption);
  const int nPlaying = g_StageLinks.pfnPlayingBgm ? g_StageLinks.pfnPlayingBgm() : -1;
  if (!bRestartMusic) {
    if (nPlaying != nMusic) RequestBgmPlay(g_Progress, nMusic, nOption);
    return;
  }
  if (g_Stage.m_bKeepBgm && nPlaying == nMusic) {
    if (nPlaying == 0) RequestBgmPlay(g_Progress, 0, nOption);
    return;
  }
  RequestBgmPlay(g_Progress, nMusic, nOption);
}

}  // namespace

namespace {

// A spawn spot is taken when it overlaps a live chara other than the one
// placed.
bool OverlapsLiveChara(const cGameObj& obj) {
  auto hit = [&obj](const cChara& c) {
    return &c != &obj && !c.m_bDefeated && !c.m_bRemoved && BoxOverlaps(ObjectBox(c), ObjectBox(obj));
  };
  for (auto& p : g_vPlayer)
    if (hit(*p)) return true;
  for (auto& c : g_lstChara)
    if (hit(*c)) return true;
  return false;
}

cGameObj* LookUpChara(int nId) { return FindCharaById(nId); }

}  // namespace

void cSceneStage::SetupLiveObjects() {
  ClearLiveObjects();
  ClearStageTexts();
  ClearStagePictures(m_Pictures);
  ClearScreenColor(m_ScreenColour);
  ClearScreenEffect(m_ScreenEffect);
  m_bMessageSkip = 0;
  // The chara values start afresh with the stage; the hit-effect hook the
  // scene installed when it was made stays.
  CHARASCENE fresh;
  fresh.pfnStartHitEffect = g_CharaScene.pfnStartHitEffect;
  g_CharaScene = fresh;
  m_vSwitch.assign(60, 0);
  g_CharaScene.m_lpSwitches = &m_vSwitch;
  m_Shots.Clear();
  m_lstHitEffect.clear();
  m_nShotSerial = 0;
  m_pfnOverlapsLiveChara = &OverlapsLiveChara;
  SetTextCharaLookup(&LookUpChara);

  // Placements outside the stage's bounded map are skipped, as the block
  // map skips them. Player 1 takes the first chara id.
  m_nNextCharaId = 0;
  m_nNextItemId = 0;
  const int nStart = g_Stage.FindPlayerPlacement();
  if (nStart >= 0) {
    cEdChara def = g_Stage.m_vecChara[static_cast<size_t>(nStart)];
    if (def.m_nImageIndex != 0 && g_Stage.PlacementInMap(def.m_nColumn, def.m_nRow)) {
      const double x = (def.m_nColumn + STAGE_MARGIN_CELLS) * 32.0 + 16.0;
      const double y = (def.m_nRow + STAGE_MARGIN_CELLS) * 32.0 + 16.0;
      g_vPlayer.push_back(std::make_unique<cPlayer>());
      cPlayer& p = *g_vPlayer.back();
      p.PlayerSetupForStage(m_nNextCharaId++, def, x, y);
      // On its cell as its picture offsets put it (standing on the cell's
      // floor), moved by the placement's start offsets.
      p.CharaWarpToCell(def.m_nColumn, def.m_nRow);
      p.m_dX += def.CalcOffsetX(0, def.m_nDir);
      p.m_dY += def.CalcOffsetY(0, def.m_nDir);
      p.SyncBoxX();
      p.SyncBoxY();
      p.CharaSaveBox();
      if (g_Stage.m_bInheritStatus) {
        GetInheritedHpSp(g_Progress, 0, p.m_nHp, p.m_nSp);
        // A damaged or stale record must not start the player dead or
        // beyond its gauges.
        p.m_nHp = std::clamp<int32_t>(p.m_nHp, 1, std::max<int32_t>(1, static_cast<int32_t>(p.m_Def.m_nMaxHp)));
        p.m_nSp = std::clamp<int32_t>(p.m_nSp, 0, static_cast<int32_t>(p.m_Def.m_nMaxSp));
      }
      p.m_Anime.SetAnime(p.m_nNoGravity ? 2 : 0, true);
    }
  }
  // The view starts with player 1 in its middle, within the scroll range.
  if (cPlayer* p = ::FirstPlayer()) {
    m_aScroll[SCROLL_X].dPos = p->m_dX - 320.0 + p->m_nBoxW / 2;
    m_aScroll[SCROLL_Y].dPos = p->m_dY - 240.0 + p->m_nBoxH / 2;
    ClampScroll(SCROLL_X);
    ClampScroll(SCROLL_Y);
    p->UpdateScreenRect();
  }
  SpawnPlacedObjects();
  m_lpPlayer1 = ::FirstPlayer();
}

void cSceneStage::RunBeforeStageStartFlows() {
  if (cPlayer* p = ::FirstPlayer()) p->RaiseTrigger(FlowTrigger::BeforeStageStart);
  // The flows may summon charas (appended behind the walk) or remove any
  // chara (marked); only the chara in hand is erased here.
  for (auto it = g_lstChara.begin(); it != g_lstChara.end();) {
    cStageChara& c = **it;
    c.RaiseTrigger(FlowTrigger::BeforeStageStart);
    bool bGone = c.m_bRemoved != 0;
    if (!bGone && c.m_nHp <= 0) {
      // Its defeat (died flows, score, carried item) happens now; a chara
      // defeated before play never reaches the first play frame.
      if (!c.m_bDefeated) c.CharaOnDefeated();
      bGone = true;
    }
    if (!bGone) {
      ++it;
      continue;
    }
    it = EraseChara(it);
  }
}

void cSceneStage::RestoreStartStatus(bool bForce) {
  RestoreInitialStatus(g_Progress, m_StartStatus, bForce, RestoreSettingOf(m_Start.nPlayKind, m_Start.bFreeStage != 0));
}

void cSceneStage::SetScrollSpeed(int nAxis, BOOL bOn, int32_t nSpeed) {
  const int a = nAxis == SCROLL_Y ? 1 : 0;
  m_abAutoScroll[a] = bOn;
  m_anScrollSpeed[a] = nSpeed;
  cStageContext::SetScrollSpeed(a, bOn, nSpeed);
}

void cSceneStage::SetStage(BOOL bCopyStage, BOOL bRestartMusic) {
  Logf("In SetStage");
  m_nPlayFrame = 0;
  m_bPlayer1Defeated = 0;
  m_nStageEnd = 0;

  ReloadReplay();
  if (bCopyStage) {
    // Play never changes the placements or the palette; only what play can
    // change comes back from the copy.
    g_Stage.CopyFieldValues(g_StageCopy);
    g_Stage.m_vecBackground = g_StageCopy.m_vecBackground;
    g_Stage.m_vecText = g_StageCopy.m_vecText;
    for (int i = 0; i < STAGE_SUB_COUNT; ++i) g_Stage.m_aSub[i].RebindFields(g_StageCopy.m_aSub[i]);
    g_Stage.m_vecRankingSwitch = g_StageCopy.m_vecRankingSwitch;
  }
  // What a miss or a retry of this attempt puts back.
  SnapshotStageStart(g_Progress, m_StartStatus);

  // The status carried from the stage before goes onto the start placement
  // and the stage before the music and the time are read from it.
  if (g_Stage.m_bInheritStatus) {
    const int nStartPlacement = g_Stage.FindPlayerPlacement();
    if (nStartPlacement >= 0) {
      ApplyInheritedStatus(g_Progress, 0, g_Stage.m_vecChara.CheckedAt(nStartPlacement), g_Stage, !m_bLivesInherited);
      m_bLivesInherited = true;
    }
  }

  // A new seed per attempt only where attempts are recorded; otherwise the
  // attempt before's seed, so a retry replays the same sequence.
  TakeAttemptSeed();
  srand(m_dwSeed);

  RequestStageMusic(bRestartMusic);
  g_Stage.SetSpeedLevel(g_Stage.m_nSpeedLevel);

  SetupAxes(g_Stage);
  m_abAutoScroll[0] = g_Stage.m_nScrollKindX == 1;
  m_abAutoScroll[1] = g_Stage.m_nScrollKindY == 1;
  m_anScrollSpeed[0] = g_Stage.m_nAutoScrollX;
  m_anScrollSpeed[1] = g_Stage.m_nAutoScrollY;
  if (!BuildBlockMap(g_Stage)) {
    ErrorBoxf("%s", Sjis("メモリ不足により、ステージの初期設定に失敗しました！").c_str());
    m_bFailed = true;
    PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
    return;
  }

  m_vStageVar.assign(255, 0);
  BuildHitSubStepTable(m_vHitSubStep, static_cast<int>(g_Stage.m_nSpeedDiv), g_Stage.m_nHitFrequency);

  m_Timer = STAGETIMER{};
  m_nTimeTick = 0;
  if (g_Stage.m_bTimeLimit) {
    m_Timer.nTime = static_cast<int32_t>(std::min<uint32_t>(g_Stage.m_nTimeLimit, STAGE_TIME_CAP));
  } else {
    m_Timer.nTime = STAGE_TIME_CAP;
    m_Timer.bFrozen = 1;
  }
  g_Progress.m_nValue17 = 0;  // the per-stage count of the status bar
  SetupLiveObjects();
  // Removal areas 1 to 3 remove what leaves them only when one of their
  // four sides is switched on.
  for (int k = 0; k < 3; ++k) {
    const cEdStageSub& a = g_Stage.m_aSub[k];
    m_abOffScreen[k] = (a.m_nA | a.m_nB | a.m_nC | a.m_nD) != 0 ? 1 : 0;
  }
  // The view limit of player 1's definition; a stage without one keeps no
  // view surface from the stage before.
  BuildViewSurfaces();
  m_nSubStep = 0;

  if (g_StageLinks.pfnResetInputLogs) g_StageLinks.pfnResetInputLogs();
  const int nFps = static_cast<int>(g_Stage.FrameRate());
  if (g_PlayLinks.pfnFrameIntervalTick) g_PlayLinks.pfnFrameIntervalTick(0, nFps);
  // The backgrounds' auto-scroll offsets live in the backgrounds, which a
  // restart copies back as loaded.
  // A 256-colour display takes the game's palette back: a tint of the
  // attempt before does not outlive it.
  if (g_DDDisplay.nBpp == 8) {
    std::memcpy(g_WorkPalette, g_Palette, sizeof(g_WorkPalette));
    DDSetPaletteEntries(0, 256, g_Palette);
  }
  m_nTargetFps = nFps;
  RunBeforeStageStartFlows();
  EvaluateCharaConditions(m_Shots);
  Logf("Out SetStage");
}
