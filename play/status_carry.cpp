#include "play/status_carry.h"

#include "records/chara.h"
#include "records/progress.h"
#include "records/stage.h"
#include "records/system.h"

namespace {

// Which members of the chara record make each carried item. The project's
// 25 carry switches name the items by number only; the groups are ours.
// Items without a copier keep their value in the saved player's extra
// values (HP, SP, time, lives, music).
typedef void (*CARRYCOPY)(cEdChara& dst, const cEdChara& src);
constexpr CARRYCOPY kNoCopy = nullptr;
const CARRYCOPY s_apfnCarry[kCarryItems] = {
    // 0 maximum HP; a stored 0 comes back as 1, since a player of 0
    // maximum HP could not be hurt or healed.
    [](cEdChara& d, const cEdChara& s) { d.m_nMaxHp = s.m_nMaxHp; },
    [](cEdChara& d, const cEdChara& s) { d.m_nMaxSp = s.m_nMaxSp; },     // 1 maximum SP
    [](cEdChara& d, const cEdChara& s) { d.m_nAttack = s.m_nAttack; },   // 2 attack
    [](cEdChara& d, const cEdChara& s) { d.m_nDefence = s.m_nDefence; },  // 3 defence
    [](cEdChara& d, const cEdChara& s) { d.m_nKnockBack = s.m_nKnockBack; },            // 4
    [](cEdChara& d, const cEdChara& s) { d.m_nKnockBackGuard = s.m_nKnockBackGuard; },  // 5
    [](cEdChara& d, const cEdChara& s) {  // 6 the picture
      d.m_nImageIndex = s.m_nImageIndex;
      d.m_nImageKind = s.m_nImageKind;
      d.m_nImageSub = s.m_nImageSub;
    },
    [](cEdChara& d, const cEdChara& s) { d.m_nAnimeSet = s.m_nAnimeSet; },  // 7
    [](cEdChara& d, const cEdChara& s) { d.m_nMoveType = s.m_nMoveType; },  // 8
    [](cEdChara& d, const cEdChara& s) { d.m_nScale = s.m_nScale; },        // 9
    [](cEdChara& d, const cEdChara& s) { d.m_nForm = s.m_nForm; },          // 10 hit-range form
    kNoCopy,                                                                  // 11 HP
    kNoCopy,                                                                  // 12 SP
    [](cEdChara& d, const cEdChara& s) { d.m_vecFlow = s.m_vecFlow; },            // 13 flows
    [](cEdChara& d, const cEdChara& s) { d.m_vecCondition = s.m_vecCondition; },  // 14 conditions
    [](cEdChara& d, const cEdChara& s) { d.m_nSide = s.m_nSide; },                // 15 hit group
    [](cEdChara& d, const cEdChara& s) { d.m_nGroup = s.m_nGroup; },              // 16
    [](cEdChara& d, const cEdChara& s) { d.m_nInvincibleKind = s.m_nInvincibleKind; },  // 17
    [](cEdChara& d, const cEdChara& s) {  // 18 appear effect
      d.m_nAppearEffect = s.m_nAppearEffect;
      d.m_nAppearEffectMode = s.m_nAppearEffectMode;
      d.m_bAppearEffectRepeat = s.m_bAppearEffectRepeat;
    },
    [](cEdChara& d, const cEdChara& s) {  // 19 defeat effect
      d.m_nDefeatEffect = s.m_nDefeatEffect;
      d.m_nDefeatEffectMode = s.m_nDefeatEffectMode;
      d.m_nDefeatEffectParam8 = s.m_nDefeatEffectParam8;
      d.m_nDefeatEffectParam16 = s.m_nDefeatEffectParam16;
    },
    [](cEdChara& d, const cEdChara& s) { d.m_nHitEffect = s.m_nHitEffect; },                    // 20
    [](cEdChara& d, const cEdChara& s) { d.m_nViewLimitHalfCells = s.m_nViewLimitHalfCells; },  // 21 sight
    kNoCopy,                                                                                      // 22 time left
    kNoCopy,                                                                                      // 23 lives
    kNoCopy,                                                                                      // 24 music
};

bool Carried(int i) {
  const cVector<uint8_t>& v = g_System.m_vecCarryStatus;
  return i < static_cast<int>(v.size()) && v[i] != 0;
}
bool Stored(const cEdProgress& p, int i) { return i < static_cast<int>(p.m_vCarry.size()) && p.m_vCarry[i] != 0; }
bool Applies(const cEdProgress& p, int i) { return Carried(i) && Stored(p, i); }

}  // namespace

void StoreInheritedStatus(cEdProgress& progress, int nPlayer, const cEdChara& def, const CARRYVALUES& values) {
  if (nPlayer < 0) return;
  progress.m_bCarry = 1;
  if (static_cast<int>(progress.m_vCarry.size()) < kCarryItems) progress.m_vCarry.resize(kCarryItems, 0);
  if (static_cast<int>(progress.m_vPlayer.size()) <= nPlayer) progress.m_vPlayer.resize(nPlayer + 1);
  cEdPlayRecEntryA& saved = progress.m_vPlayer[nPlayer];
  for (int i = 0; i < kCarryItems; ++i) {
    if (!Carried(i)) continue;
    switch (i) {
      case CARRY_HP: saved.m_nCarryHp = static_cast<uint32_t>(values.nHp); break;
      case CARRY_SP: saved.m_nCarrySp = static_cast<uint32_t>(values.nSp); break;
      case CARRY_TIME: saved.m_nCarryTime = static_cast<uint32_t>(values.nTimeLeft); break;
      case CARRY_LIVES: saved.m_nCarryValue = static_cast<uint32_t>(values.nLives); break;
      case CARRY_MUSIC: saved.m_nCarryBgm = static_cast<uint32_t>(values.nMusic); break;
      default: s_apfnCarry[i](saved.m_Chara, def); break;
    }
    progress.m_vCarry[i] = 1;
  }
}

void ApplyInheritedStatus(cEdProgress& progress, int nPlayer, cEdChara& def, cEdStage& stage, bool bLives) {
  if (!progress.m_bCarry || nPlayer < 0 || nPlayer >= static_cast<int>(progress.m_vPlayer.size())) return;
  const cEdPlayRecEntryA& saved = progress.m_vPlayer[nPlayer];
  for (int i = 0; i < kCarryItems; ++i) {
    if (!Applies(progress, i)) continue;
    switch (i) {
      case CARRY_HP:
      case CARRY_SP: break;  // GetInheritedHpSp, once the player is built
      case CARRY_TIME: stage.m_nTimeLimit = saved.m_nCarryTime; break;
      case CARRY_LIVES:
        if (bLives) progress.m_nLives = static_cast<int32_t>(saved.m_nCarryValue);
        break;
      case CARRY_MUSIC: stage.m_nBgm = saved.m_nCarryBgm; break;
      default: s_apfnCarry[i](def, saved.m_Chara); break;
    }
  }
  if (Applies(progress, 0) && def.m_nMaxHp == 0) def.m_nMaxHp = 1;
}

void GetInheritedHpSp(const cEdProgress& progress, int nPlayer, int32_t& nHp, int32_t& nSp) {
  if (!progress.m_bCarry || nPlayer < 0 || nPlayer >= static_cast<int>(progress.m_vPlayer.size())) return;
  const cEdPlayRecEntryA& saved = progress.m_vPlayer[nPlayer];
  if (Applies(progress, CARRY_HP)) nHp = static_cast<int32_t>(saved.m_nCarryHp);
  if (Applies(progress, CARRY_SP)) nSp = static_cast<int32_t>(saved.m_nCarrySp);
}

void ClearResetSwitches(cEdProgress& progress) {
  const cVector<uint8_t>& vReset = g_System.m_vecResetSwitch;
  for (size_t i = 0; i < vReset.size() && i < progress.m_vCarry.size(); ++i)
    if (vReset[i]) progress.m_vCarry[i] = 0;
}

void SnapshotStageStart(const cEdProgress& progress, STAGESTARTSTATUS& start) {
  start.vVar = progress.m_vVar;
  start.nRankValue0 = progress.m_nRankValue0;
}

void RestoreInitialStatus(cEdProgress& progress, const STAGESTARTSTATUS& start, bool bForce, uint32_t nSetting) {
  progress.m_nRankValue0 = start.nRankValue0;
  if (bForce || nSetting != 0) progress.m_vVar = start.vVar;
}

uint32_t RestoreSettingOf(int nPlayKind, bool bFreeStage) {
  if (bFreeStage) return g_System.m_nResetStatusTest;
  switch (nPlayKind) {
    case 0: return g_System.m_nResetStatusStory;
    case 1: return g_System.m_nResetStatusChallenge;
    case 2: return g_System.m_nResetStatusFree;
    default: return 1;
  }
}
