#include "play/item_object.h"

#include <algorithm>

#include "flow/command_run.h"
#include "play/live_chara.h"
#include "play/live_lists.h"
#include "play/play_state.h"
#include "play/player.h"
#include "play/stage_context.h"
#include "records/flow_enums.h"
#include "records/stage.h"

namespace {

int ExecNone(cChara&, cEdCommand&) { return 0; }

int ExecChangeFlow(cChara& chara, cEdCommand& cmd) {
  ItemChangeFlow(chara, cmd, 0);
  return 0;
}

// Kinds 2 to 21 run the flow command they share with the flow list; only a
// stage clear stops the list.
int ExecShared(cChara& chara, cEdCommand& cmd) {
  ExecListCommand(chara, cmd);
  return 0;
}

int ExecStageClear(cChara& chara, cEdCommand& cmd) {
  ExecListCommand(chara, cmd);
  return 1;
}

int ExecMessage(cChara& chara, cEdCommand& cmd) {
  ExecListCommand(chara, cmd);
  g_CharaScene.m_bMessageShown = 1;
  return 0;
}

}  // namespace

const ITEMCOMMANDEXEC g_ItemCommandExec[] = {
    ExecNone,        // None
    ExecChangeFlow,  // ChangeFlow
    ExecStageClear,  // StageClear
    ExecShared,      // GameWait
    ExecMessage,     // Message
    ExecShared,      // Warp
    ExecShared,      // SetTarget
    ExecShared,      // StatusOp
    ExecShared,      // StatusOp2
    ExecShared,      // GetItem
    ExecShared,      // ChangeGraphic
    ExecShared,      // ChangeBaseAnimeSet
    ExecShared,      // RunAnime
    ExecShared,      // RunEffect
    ExecShared,      // RunCharaEffect
    ExecShared,      // RunScreenEffect
    ExecShared,      // ShowPicture
    ExecShared,      // ChangeScreenColor
    ExecShared,      // ChangeBackground
    ExecShared,      // PlaySe
    ExecShared,      // PlayBgm
    ExecShared,      // RunCode
};
static_assert(sizeof(g_ItemCommandExec) / sizeof(g_ItemCommandExec[0]) == ITEM_COMMAND_KIND_COUNT);

int ExecItemCommand(cChara& chara, cEdCommand& cmd) {
  // A kind from the file beyond the table, or a flow command that strayed
  // into an item list, does nothing.
  if (cmd.m_byList == 0 || cmd.m_byKind >= ITEM_COMMAND_KIND_COUNT) return 0;
  return g_ItemCommandExec[cmd.m_byKind](chara, cmd);
}

cItemObj::cItemObj() {
  m_Def.m_nImageIndex = 0;
  m_Def.m_nImageKind = 2;
  m_Def.m_nScale = 1;
}

void cItemObj::KeepFootOnScale(int nNew, int nOld) {
  if (nNew == nOld) return;
  m_dY -= static_cast<double>(m_nBoxH0 + m_nImgOffsetY0) * (nNew - nOld);
  ClampY(2);
}

void cItemObj::ItemObjInit(int nId, const cEdItem& def, int bPreset) {
  m_Def = def;
  if (m_Def.m_nScale == 0) m_Def.m_nScale = 1;
  const int w = static_cast<int>(std::min<uint32_t>(g_Stage.m_nItemHitW, 32));
  const int h = static_cast<int>(std::min<uint32_t>(g_Stage.m_nItemHitH, 32));
  Setup(nId, 0, 0, 0, m_Def.m_nImageIndex, 16 - (w >> 1), 16 - (h >> 1), w, h, 32, 32, 0, 1, 0);
  m_nFollowScroll = 0;
  m_bPreset = bPreset;
  m_Anime = PAIRANIME{};
  if (bPreset) {
    m_bEnabled = 1;
    return;
  }
  SetScale(m_Def.m_nScale, 1);
}

void cItemObj::ItemObjWarpToCell(int cx, int cy) {
  const int ox = g_lpStageContext ? g_lpStageContext->m_aScroll[SCROLL_X].nCellOrigin / 32 : 0;
  const int oy = g_lpStageContext ? g_lpStageContext->m_aScroll[SCROLL_Y].nCellOrigin / 32 : 0;
  m_dX = static_cast<double>((ox + cx) * 32 + m_nImgOffsetX0) + 0.5;
  m_dY = static_cast<double>(m_nImgOffsetY0 + ((oy + cy) << 5));
  // As the scale moves it: centred across the cell, its foot on the cell's
  // bottom.
  const int nScale = m_bPreset ? 1 : std::max<int>(m_Def.m_nScale, 1);
  m_dX -= static_cast<double>(static_cast<uint32_t>(m_nBoxW0) >> 1) * (nScale - 1);
  ClampX(2);
  KeepFootOnScale(nScale, 1);
  ClampY(2);
}

void cItemObj::CopyItem(const cItemObj& other) {
  cGameObj::CopyFrom(other);
  m_Def = other.m_Def;
  m_bPreset = other.m_bPreset;
  m_bRemoved = other.m_bRemoved;
  m_Anime = other.m_Anime;
}

ITEMDRAW ItemObjDraw(cItemObj& item, bool bFrozen) {
  ITEMDRAW d;
  if (item.m_Def.m_bHidden) return d;
  d.bVisible = true;
  d.nPattern = item.m_Anime.Advance(bFrozen);
  d.src = GetImageSourceRect(IMAGEUSE_ITEM, item.m_Def.m_nImageKind, item.m_nSetupValue, item.m_Def.m_nImageSub,
                             item.m_nDir, d.nPattern);
  d.rcDest = RECT{item.m_rcScreen.left, item.m_rcScreen.top, item.m_rcScreen.left + item.m_nImgW,
                  item.m_rcScreen.top + item.m_nImgH};
  const int nScale = item.m_Def.m_nScale;
  const bool bSame = d.src.bOwnCell ? d.src.nCellScale == nScale : nScale <= 1;
  d.bStretch = !bSame;
  const int nCell = d.src.bOwnCell ? d.src.nCellScale : 1;
  d.nSrcW = item.m_nImgW0 * nCell;
  d.nSrcH = item.m_nImgH0 * nCell;
  if (item.m_Def.m_bShowIcon == 1) {
    d.bIcon = true;
    d.nIconX = (item.m_Def.m_nIconIndex / 15) * 32;
    d.nIconY = (item.m_Def.m_nIconIndex % 15) * 32;
    d.bIconStretch = nScale > 1;
  }
  return d;
}

int RunItemCommandList(cPlayer& player, const cVector<cEdCommand>& list) {
  g_CharaScene.m_bMessageShown = 0;
  // Run from a copy: a command may defeat the chara that carried the item,
  // or change the flows whose lists hold these commands.
  cVector<cEdCommand> vCmd = list;
  for (cEdCommand& cmd : vCmd) {
    const int r = ExecItemCommand(player, cmd);
    if (player.m_nHp < 1) return 2;
    if (r != 0) return r;
  }
  return player.m_nHp < 1 ? 2 : 0;
}

void ItemChangeFlow(cChara& chara, const cEdCommand& cmd, int bDirect) {
  cPlayer* p1 = FirstPlayer();
  if (!bDirect && p1 && &chara == p1 && g_FlowContext.m_lpCurChara == static_cast<cFlowChara*>(p1)) {
    p1->m_vDeferredItemCommands.push_back(cmd);
    return;
  }
  const int nMode = CommandParam(cmd, 0);
  const int nId = CommandParam(cmd, 1);
  int nPos = -1;
  if (nMode == 1 || nMode == 2) nPos = chara.CharaRemoveFlowsOfGroup(nId);
  if (nMode == 0 || nMode == 1) chara.CharaBuildFlowRuns(&cmd.m_vecFlow, chara.m_nDir, 1, nPos);
}

int GiveItemToPlayer(cPlayer& player, cItemObj& item) {
  if (item.m_Def.m_nImageIndex == 0 || item.m_Def.m_nPickup == ITEMPICKUP_NEVER || !item.m_bEnabled) return 0;
  const cEdItem& d = item.m_Def;
  if (d.m_bShowOnTake) player.PlayerShowItemCell(d.m_nImageKind, d.m_nImageIndex, d.m_nImageSub);
  RequestUserSound(item.m_Def.m_nSound);
  return RunItemCommandList(player, item.m_Def.m_vecCommand);
}
