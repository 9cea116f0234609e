// The stage scene as the flows see it: stage values, sound and music
// requests, message and wait texts, the pause thread's waits, pictures, the
// screen colour and effect, background layers and palette items.
#include <algorithm>
#include <iterator>

#include "base/report.h"
#include "play/effect_runs.h"
#include "play/item_object.h"
#include "play/live_lists.h"
#include "play/message_text.h"
#include "play/play_math.h"
#include "play/play_state.h"
#include "play/player.h"
#include "play/stage_scene.h"
#include "records/common_palette.h"
#include "records/palette_entry.h"
#include "records/progress.h"
#include "records/stage.h"

namespace {

// The message command's parameters handed to the text object: placement,
// cell or pixel position, offsets, life, and the look of the window.
TEXTSETUP MessageSetup(const FLOWPARAMS& p, const std::string& strText, cFlowChara* pAnchor) {
  TEXTSETUP s;
  s.nKind = TEXTKIND_TEXT;
  s.strText = strText;
  s.nPosMode = std::clamp(p[0], 0, 8);
  s.nCellX = p[1];
  s.nCellY = p[2];
  s.nOffsetX = p[3];
  s.nOffsetY = p[4];
  s.bKeepInside = p[5] != 0;
  s.nLifeMode = p[6];
  s.nLife = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(p[7]) * 6, 0, INT32_MAX));
  s.bSubstitute = p[9] != 0;
  s.bRefresh = p[10] != 0;
  s.nInterval = p[11];
  s.bCountWhilePaused = p[14] != 0;
  s.bNoPopIn = p[16] != 0;
  s.bRect = 1;
  s.nCharaId = pAnchor ? pAnchor->Status(CharaStatus::CharaId) : 0;
  return s;
}

// Palette items taking each other nest at most this deep.
constexpr int32_t kMaxItemChainDepth = 16;

template <class LIST>
typename LIST::iterator At(LIST& lst, int nIndex) {
  if (nIndex < 0 || nIndex >= static_cast<int>(lst.size())) return lst.end();
  return std::next(lst.begin(), nIndex);
}

}  // namespace

// Without a player the checked access reports and asks play to close; the
// flows then find no player.
cFlowChara* cSceneStage::FirstPlayer() { return g_vPlayer.CheckedAt(0).get(); }

int32_t cSceneStage::CommandTick() { return SpeedDivisorInt(); }

double cSceneStage::SpeedDiv() { return SpeedDivisor(); }

BOOL cSceneStage::ScrollHeld() { return !m_aScroll[SCROLL_X].bMoving && !m_aScroll[SCROLL_Y].bMoving; }

void cSceneStage::RequestSound(int32_t nIndex) {
  if (nIndex >= 16)
    RequestUserSound(static_cast<uint16_t>(nIndex - 16));
  else if (nIndex >= 0)
    RequestSystemSound(nIndex);
}

void cSceneStage::RequestBgm(int32_t nMusic, int32_t nOption) { RequestBgmPlay(g_Progress, nMusic, nOption); }

// ---- Texts and waits ----

int cSceneStage::FindNumberedMessage(int32_t nNumber) {
  int i = 0;
  for (const TEXTOBJ& t : g_lstText) {
    if (t.bMessage && t.bNumbered && t.nNumber == nNumber) return i;
    ++i;
  }
  return -1;
}

int cSceneStage::ShowMessage(const FLOWPARAMS& params, const std::string& strText, cFlowChara* pAnchor,
                             BOOL bContinue, int nReplace) {
  const TEXTSETUP s = MessageSetup(params, strText, pAnchor);
  int nAt = nReplace;
  if (nAt < 0 && bContinue) {
    // The window shown last, when it is still there; else a new one opens.
    int i = static_cast<int>(g_lstText.size()) - 1;
    for (auto it = g_lstText.rbegin(); it != g_lstText.rend(); ++it, --i)
      if (it->bMessage) {
        nAt = i;
        break;
      }
  }
  auto it = At(g_lstText, nAt);
  if (it == g_lstText.end()) {
    g_lstText.push_back(TEXTOBJ{});
    it = std::prev(g_lstText.end());
    nAt = static_cast<int>(g_lstText.size()) - 1;
    it->TextObjectSetup(s, FALSE);
  } else {
    // Set up over the kept surface: remade only when the size differs.
    it->TextObjectSetup(s, TRUE);
  }
  it->bMessage = 1;
  it->bNumbered = params[12] != 0;
  it->nNumber = params[13];
  return nAt;
}

int cSceneStage::AddWaitText(int32_t nFrames) {
  TEXTSETUP s;
  s.nKind = TEXTKIND_TEXT;
  s.nLifeMode = TEXTLIFE_TIMED;
  s.nLife = std::max(nFrames, 0);
  s.bNoPopIn = 1;
  g_lstText.push_back(TEXTOBJ{});
  g_lstText.back().TextObjectSetup(s, FALSE);
  return static_cast<int>(g_lstText.size()) - 1;
}

void cSceneStage::TakeDownText(int nIndex) {
  auto it = At(g_lstText, nIndex);
  if (it == g_lstText.end()) return;
  it->RemoveSurface();
  g_lstText.erase(it);
}

void cSceneStage::SetGameWait(int32_t nFrames) {
  m_anGameWait[0] = 0;
  m_anGameWait[1] = nFrames;
  SetPauseWait(0, 0, nFrames, 0);
}

void cSceneStage::ArmKeyWait(int nWaiter, BOOL bKey, int32_t nFrames, BOOL bMessageWait) {
  // A message continued in an open window waits for the key at once.
  SetPauseWait(nWaiter, bKey, nFrames, bMessageWait);
}

// ---- Effects ----

// A flow's effects share the list of the hit effects where attacks land.
void cSceneStage::ClearEffects() { m_lstHitEffect.clear(); }

void cSceneStage::AddEffect(int32_t nEffect, double dX, double dY, int32_t nWidth, int32_t nHeight, int32_t nWait) {
  // An effect the flow waits for runs on while the frozen frames are drawn.
  cHitEffect e;
  e.EffectObjectSetup(nEffect, dX, dY, nWidth, nHeight, nWait != 0 ? 1 : 0);
  m_lstHitEffect.push_back(e);
}

// ---- Pictures ----

int cSceneStage::FindNumberedPicture(int32_t nNumber) {
  int i = 0;
  for (const SCREENPICTURE& p : m_Pictures.lstPic) {
    if (p.nNumber == nNumber && p.nNumber != 0) return i;
    ++i;
  }
  return -1;
}

void cSceneStage::TakeDownPicture(int nIndex) {
  if (nIndex < 0 || nIndex >= static_cast<int>(m_Pictures.lstPic.size())) return;
  auto sd = std::next(m_Pictures.lstSD.begin(), nIndex);
  DDReleaseSurface(&*sd);
  m_Pictures.lstSD.erase(sd);
  m_Pictures.lstInfo.erase(std::next(m_Pictures.lstInfo.begin(), nIndex));
  m_Pictures.lstPic.erase(std::next(m_Pictures.lstPic.begin(), nIndex));
  --m_Pictures.nCount;
}

BOOL cSceneStage::LoadPicture(const std::string& strFile, BOOL, int32_t& nWidth, int32_t& nHeight) {
  DDReleaseSurfaceArray(m_lstLoadedSD);
  m_lstLoadedSD.clear();
  m_lstLoadedInfo.clear();
  if (strFile.empty()) return FALSE;
  m_lstLoadedSD.emplace_back();
  DDSurfaceDataConstruct(&m_lstLoadedSD.back());
  DDSURFACEINFO info;
  info.szFileName = strFile;
  info.bTransmit = 1;
  m_lstLoadedInfo.push_back(info);
  if (DDCreateSurfaceFromFile(&m_lstLoadedSD.back(), strFile.c_str(), 1, 0, 0, 0, nullptr, 0, 0, 0, 0) != 0) {
    DDReleaseSurfaceArray(m_lstLoadedSD);
    m_lstLoadedSD.clear();
    m_lstLoadedInfo.clear();
    return FALSE;
  }
  nWidth = m_lstLoadedSD.back().nWidth;
  nHeight = m_lstLoadedSD.back().nHeight;
  return TRUE;
}

int cSceneStage::ShowPicture(int nAt, const FLOWPICTURE& pic) {
  if (m_lstLoadedSD.empty()) return -1;
  SCREENPICTURE sp;
  const DWORD adwBlend[2] = {0, 0};
  SetPictureParams(sp, pic.bNumbered ? pic.nNumber : 0, pic.dX, pic.dY, pic.nWidth, pic.nHeight,
                   static_cast<uint32_t>(pic.nMode), pic.nFrames, pic.nAlpha, adwBlend,
                   static_cast<uint32_t>(pic.bFixedToScreen != 0), static_cast<uint32_t>(pic.bStopGame != 0), 0);
  const int nSize = static_cast<int>(m_Pictures.lstPic.size());
  if (nAt < 0 || nAt > nSize) nAt = nSize;
  m_Pictures.lstSD.splice(std::next(m_Pictures.lstSD.begin(), nAt), m_lstLoadedSD, m_lstLoadedSD.begin());
  m_Pictures.lstInfo.splice(std::next(m_Pictures.lstInfo.begin(), nAt), m_lstLoadedInfo, m_lstLoadedInfo.begin());
  m_Pictures.lstPic.insert(std::next(m_Pictures.lstPic.begin(), nAt), sp);
  ++m_Pictures.nCount;
  return nAt;
}

// ---- Screen and background ----

void cSceneStage::SetScreenColor(const FLOWPARAMS& params) {
  int32_t q[8];
  for (int i = 0; i < 8; ++i) q[i] = params[i];
  ::SetScreenColor(m_ScreenColour, q);
}

int32_t cSceneStage::BackgroundLayerCount() { return static_cast<int32_t>(g_Stage.m_vecBackground.size()); }

BOOL& cSceneStage::BackgroundVisible(int nLayer) {
  // The shown switch is the layer's unsigned word; the flows read and set it
  // as the signed word of the same width.
  return reinterpret_cast<BOOL&>(g_Stage.m_vecBackground.CheckedAt(nLayer).m_bShown);
}

void cSceneStage::StartScreenEffect(int32_t nEffect, int32_t nMode, int32_t nRepeat) {
  ScreenEffectStart(m_ScreenEffect.run, nEffect, static_cast<uint32_t>(nMode), static_cast<uint32_t>(nRepeat));
  m_ScreenEffect.s = 0.0;
  m_ScreenEffect.f = 0;
  m_ScreenEffect.a = m_ScreenEffect.b = 0;
}

int32_t cSceneStage::RunPaletteItem(int32_t nSource, int32_t nIndex) {
  cVector<cEdItem>* pList = PaletteList<cEdItem>(nSource == 0 ? PALETTE_COMMON : PALETTE_STAGE);
  cPlayer* pPlayer = g_vPlayer.empty() ? nullptr : g_vPlayer.CheckedAt(0).get();
  if (!pList || !pPlayer) return 0;
  // An item whose commands take itself, or a ring of items taking each
  // other, would recurse until the stack runs out. The chain is cut at the
  // cap, reported once, and every item still waiting in it takes nothing
  // more, so that an item taking itself twice does not branch.
  if (m_bItemChainCut) return 0;
  if (m_nItemDepth >= kMaxItemChainDepth) {
    m_bItemChainCut = TRUE;
    ReportAndLogf("GetItem: items take each other more than %d deep; the chain is cut", kMaxItemChainDepth);
    return 0;
  }
  const cEdItem& item = pList->CheckedAt(nIndex);
  ++m_nItemDepth;
  const int32_t nResult = RunItemCommandList(*pPlayer, item.m_vecCommand);
  if (--m_nItemDepth == 0) m_bItemChainCut = FALSE;
  return nResult;
}
