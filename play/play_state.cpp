#include "play/play_state.h"

#include <cstdio>

#include "base/path_helpers.h"
#include "platform/keyboard.h"
#include "play/game_object.h"
#include "play/jump_values.h"
#include "play/play_links.h"
#include "play/play_math.h"
#include "play/stage_block.h"
#include "play/stage_context.h"

namespace {
constexpr int kSoundSpace = 4;
constexpr int kSoundSpring = 10;
constexpr int kMaxLives = 99;
}  // namespace

void RequestSystemSound(int n) {
  if (g_PlayLinks.pfnPlaySound) g_PlayLinks.pfnPlaySound(n);
}

void RequestUserSound(uint16_t n) {
  if (n != 0 && g_PlayLinks.pfnPlaySound) g_PlayLinks.pfnPlaySound(n + 16);
}

void RequestBgmPlay(cEdProgress& progress, int nMusic, int nOption) {
  progress.m_nStageBgmOption = nOption;
  if (g_PlayLinks.pfnPlayBgm) g_PlayLinks.pfnPlayBgm(4, nMusic);
}

int CheckSpaceKey() {
  if (GetAsyncKeyState(VK_SPACE) >= 0) return 0;
  RequestSystemSound(kSoundSpace);
  return 1;
}

int ApplyBlockEffect(cGameObj& chara) {
  BLOCKCONTACT* c = chara.Contact();
  if (!c || chara.m_nNoGravity) return 0;
  const cStageBlock* floor = c->m_lpFloorBlock;
  if (floor && c->m_nBlockEffectTime == 0 && floor->GetHitKind(chara.m_nSide) != 0) {
    const double n = SpeedDivisor();
    const int32_t nParam = static_cast<int32_t>(floor->m_nEffectValue);
    switch (floor->m_nEffect) {
      case BLOCKEFFECT_JUMP:
        RequestSystemSound(kSoundSpring);
        chara.m_dSpeedY = JumpSpeedForHalfCells(nParam, chara.m_nType);
        c->m_bJumpA = 1;
        c->m_bJumpB = 1;
        c->m_bFellOff = 0;
        c->m_nJumpFrames = JumpFramesFromSpeed(chara.m_dSpeedY);
        break;
      case BLOCKEFFECT_NO_JUMP:
        c->m_bBlockFlag2 = 1;
        break;
      case BLOCKEFFECT_SPEED:
        c->m_nBlockEffectKind = BLOCKEFFECT_SPEED;
        c->m_dBlockEffectAmount = nParam * 0.01;
        c->m_nBlockEffectTime = SpeedDivisorInt();
        break;
      case BLOCKEFFECT_MOVE_LEFT:
      case BLOCKEFFECT_MOVE_RIGHT:
        c->m_nBlockEffectKind = floor->m_nEffect;
        c->m_dBlockEffectAmount = nParam * 0.1 / n;
        c->m_nBlockEffectTime = SpeedDivisorInt();
        break;
      default:
        break;
    }
    if (floor->m_nEffect != BLOCKEFFECT_NO_JUMP) c->m_bBlockFlag2 = 0;
  }
  if (c->m_nBlockEffectTime != 0) {
    switch (c->m_nBlockEffectKind) {
      case BLOCKEFFECT_SPEED:
        chara.m_dSpeedX *= c->m_dBlockEffectAmount;
        break;
      case BLOCKEFFECT_MOVE_LEFT:
        chara.m_dSpeedX -= c->m_dBlockEffectAmount;
        if (chara.m_dSpeedX2 > 0.0) chara.m_dSpeedX2 = 0.0;
        break;
      case BLOCKEFFECT_MOVE_RIGHT:
        chara.m_dSpeedX += c->m_dBlockEffectAmount;
        if (chara.m_dSpeedX2 < 0.0) chara.m_dSpeedX2 = 0.0;
        break;
      default:
        break;
    }
    if (--c->m_nBlockEffectTime == 0 && chara.m_dSpeedY >= 0.0) chara.m_dSpeedY += 1.0;
  }
  return 0;
}

int UseLife(cEdProgress& progress, BOOL bFreeStage) {
  if (bFreeStage || progress.m_nLives == kUnlimitedLives) return 1;
  if (progress.m_nLives > 0) {
    --progress.m_nLives;
    return 1;
  }
  return 0;
}

void GainLife(cEdProgress& progress) {
  if (progress.m_nLives == kUnlimitedLives) return;
  if (progress.m_nLives < kMaxLives) ++progress.m_nLives;
  else progress.m_nLives = kMaxLives;
}

int BuildStageFileName(std::string& out, int n, const cEdProgress& progress, int nNextStage, const char* pszExt) {
  out.clear();
  if (!progress.m_bNumbered || nNextStage == 0) return 0;
  std::string base = progress.m_strStage;
  // The stored name ends in the extension's dot; an empty name has none to
  // drop.
  if (!base.empty()) base.pop_back();
  char szNumber[16];
  std::snprintf(szNumber, sizeof szNumber, "%d", n);
  const std::string name = base + "-" + szNumber + "." + pszExt;
  std::string found;
  if (!FindLatestNumberedFileStr(found, name, pszExt)) return 0;
  out = found;
  return 1;
}

int IsLastStage(int n, const cEdProgress& progress, int nNextStage, const char* pszExt) {
  std::string name;
  return BuildStageFileName(name, n, progress, nNextStage, pszExt) ? 0 : 1;
}
