// Executors of the item, graphic, animation and effect commands and of the
// picture, screen colour, background, sound, music and code commands.
#include <algorithm>
#include <climits>

#include "base/message_box.h"
#include "flow/command_executors.h"
#include "flow/expression.h"
#include "flow/flow_host.h"
#include "flow/flow_runner.h"
#include "flow/value_ops.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "records/database.h"

namespace {

int32_t HalfDown(int32_t n) { return n >= 0 ? n / 2 : -((-static_cast<int64_t>(n) + 1) / 2); }

}  // namespace

void PlacePicture(double& dX, double& dY, int32_t nWidth, int32_t nHeight, cFlowChara& chara, int32_t nMode,
                  int32_t nColumn, int32_t nRow, int32_t nDX, int32_t nDY) {
  cFlowStage& stage = FlowStage();
  const double dSX = stage.ScrollPos(0), dSY = stage.ScrollPos(1);
  cFlowChara* pAnchor = nMode == 1 ? &chara : (nMode == 2 ? stage.FirstPlayer() : nullptr);
  switch (nMode) {
    case 0:
      dX = dSX + 320 - HalfDown(nWidth) + nDX;
      dY = dSY + 240 - HalfDown(nHeight) + nDY;
      break;
    case 1:
    case 2: {
      if (!pAnchor) break;
      RECT box = pAnchor->ScreenBox();
      const int32_t nBoxW = box.right - box.left + 1, nBoxH = box.bottom - box.top + 1;
      dX = (box.left + HalfDown(nBoxW)) + dSX - HalfDown(nWidth) + nDX;
      dY = (box.top + HalfDown(nBoxH)) + dSY - HalfDown(nHeight) + nDY;
      break;
    }
    case 3:
      dX = nColumn * 32.0 + dSX + nDX;
      dY = nRow * 32.0 + dSY + nDY;
      break;
    case 4:
      dX = (static_cast<double>(stage.FirstCell(0)) + nColumn) * 32 + nDX;
      dY = (static_cast<double>(stage.FirstCell(1)) + nRow) * 32 + nDY;
      break;
    default: break;
  }
}

void ExecGetItem(cFlowChara&, cCommandRun&, const FLOWPARAMS& p) {
  if (p[0] != 0 && p[0] != 1) return;
  cFlowStage& stage = FlowStage();
  int32_t nResult = stage.RunPaletteItem(p[0], p[1]);
  // An item that ends nothing must not erase a stage end already requested
  // in this sub-step.
  if (nResult != 0) stage.StageClearRequest() = nResult;
}

void ExecChangeGraphic(cFlowChara& chara, cCommandRun&, const FLOWPARAMS& p) { chara.SetGraphic(p[0], p[1], p[2]); }

void ExecChangeBaseAnimeSet(cFlowChara& chara, cCommandRun&, const FLOWPARAMS& p) {
  chara.SetBaseAnimeSet(AtWidth(p[0], 2));
}

void ExecRunAnime(cFlowChara& chara, cCommandRun&, const FLOWPARAMS& p) {
  if (!CheckedEntry(g_Database.m_vecAnime, p[0])) return;
  const cFlowRun* pFlow = g_FlowContext.m_lpCurFlow;
  chara.AddFlowAnime(p[0], pFlow ? pFlow->m_nEffectTag : 0);
}

void ExecRunEffect(cFlowChara& chara, cCommandRun&, const FLOWPARAMS& p) {
  cFlowStage& stage = FlowStage();
  if (stage.MessageSkip()) return;
  const int32_t nEffect = AtWidth(p[0], 2);
  if (nEffect == 0) {
    stage.ClearEffects();
    return;
  }
  cEdEffect* pEffect = CheckedEntry(g_Database.m_vecEffect, nEffect);
  if (!pEffect) return;
  const int32_t nWidth = PercentOf(pEffect->nCellWidth, p[6]), nHeight = PercentOf(pEffect->nCellHeight, p[6]);
  if (nWidth <= 0 || nHeight <= 0) return;  // a scale of 0 or less shows nothing
  double dX = 0, dY = 0;
  PlacePicture(dX, dY, nWidth, nHeight, chara, p[1], p[2], p[3], p[4], p[5]);
  stage.AddEffect(nEffect, dX, dY, nWidth, nHeight, p[7]);
  if (!p[7]) return;
  int64_t nTenths = 0;
  for (const cEdEffectFrame& f : pEffect->m_vecFrame) nTenths += f.nTime;
  stage.ArmKeyWait(2, FALSE, FramesOfTenths(nTenths), FALSE);
  stage.RunPauseThread();
}

void ExecRunCharaEffect(cFlowChara& chara, cCommandRun&, const FLOWPARAMS& p) {
  chara.StartCharaEffect(AtWidth(p[0], 2), p[1], p[2]);
}

void ExecRunScreenEffect(cFlowChara&, cCommandRun&, const FLOWPARAMS& p) {
  FlowStage().StartScreenEffect(AtWidth(p[0], 2), p[1], p[2]);
}

void ExecShowPicture(cFlowChara& chara, cCommandRun&, const FLOWPARAMS& p) {
  cFlowStage& stage = FlowStage();
  if (stage.MessageSkip()) return;
  const int32_t nPicture = AtWidth(p[0], 2);
  if (nPicture == 0 && !p[12]) {
    stage.ClearPictures();
    return;
  }
  int nAt = -1;
  if (p[12]) {
    int nShown = stage.FindNumberedPicture(p[13]);
    if (nShown >= 0) {
      stage.TakeDownPicture(nShown);
      nAt = nShown;
    }
    if (nPicture == 0) return;
  }
  cEdPicture* pRecord = CheckedEntry(g_Database.m_vecPicture, nPicture);
  if (!pRecord) return;
  if (p[7] <= 0) return;  // a scale of 0 or less would make a picture of no size
  int32_t nNaturalW = 0, nNaturalH = 0;
  if (!stage.LoadPicture(pRecord->strFile, p[7] != 100, nNaturalW, nNaturalH)) {
    std::string strFail;
    FormatString(strFail, "%s%s", pRecord->strFile.c_str(), Sjis(" 読み込み失敗！").c_str());
    ErrorBoxf("%s", strFail.c_str());
    LogfAndClose(g_hWndMain, "%s", strFail.c_str());
    return;
  }
  FLOWPICTURE pic;
  pic.nPicture = nPicture;
  pic.nWidth = PercentOf(nNaturalW, p[7]);
  pic.nHeight = PercentOf(nNaturalH, p[7]);
  PlacePicture(pic.dX, pic.dY, pic.nWidth, pic.nHeight, chara, p[1], p[2], p[3], p[4], p[5]);
  pic.nFrames = FramesOfTenths(p[9]);
  pic.nAlpha = p[6];
  pic.nMode = p[8];
  pic.bStopGame = p[10];
  pic.bFixedToScreen = p[11];
  pic.bNumbered = p[12];
  pic.nNumber = p[13];
  int nShownAt = stage.ShowPicture(nAt, pic);
  if (!p[10]) return;
  // Until the stage ends arms nothing, as for a message.
  if (p[8] == UNTIL_ADVANCE_KEY)
    stage.ArmKeyWait(3, TRUE, pic.nFrames, FALSE);
  else if (p[8] == FOR_TIME)
    stage.ArmKeyWait(3, FALSE, pic.nFrames, FALSE);
  stage.RunPauseThread();
  if (nShownAt >= 0) stage.TakeDownPicture(nShownAt);
}

void ExecChangeScreenColor(cFlowChara&, cCommandRun&, const FLOWPARAMS& p) { FlowStage().SetScreenColor(p); }

void ExecChangeBackground(cFlowChara&, cCommandRun&, const FLOWPARAMS& p) {
  cFlowStage& stage = FlowStage();
  if (p[0] < 1 || p[0] - 1 >= stage.BackgroundLayerCount()) return;
  BOOL& bVisible = stage.BackgroundVisible(p[0] - 1);
  switch (p[1]) {
    case 0: bVisible = TRUE; break;
    case 1: bVisible = FALSE; break;
    case 2: bVisible = !bVisible; break;
    default: break;
  }
}

void ExecPlaySe(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& p) {
  if (run.m_lpCommand && run.m_lpCommand->m_byOnScreenOnly && !chara.IsOnScreen()) return;
  RequestProjectSound(AtWidth(p[0], 2));
}

void ExecPlayBgm(cFlowChara&, cCommandRun&, const FLOWPARAMS& p) { FlowStage().RequestBgm(p[0], p[1]); }

void ExecRunCode(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  if (run.m_lpCommand) RunCode(run.m_lpCommand->m_strText, chara);
}
