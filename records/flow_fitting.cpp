#include "records/flow_fitting.h"

#include <algorithm>
#include <atomic>

#include "records/command_catalogue.h"
#include "records/flow_enums.h"
#include "records/flow_records.h"

namespace {

std::atomic<const cFlowProjectView*> s_pView{nullptr};

using namespace FlowCommandKind;

int CountOf(const cFlowProjectView& view, FITDATABASE db) { return std::max(0, view.DatabaseCount(db)); }

// A database index held in a command field: negative or past the end is 0.
void FitIndex16(int16_t& n, int nCount) {
  if (n < 0 || n >= nCount) n = 0;
}

// p0 of the kinds that name a database record, compared as an unsigned
// 32-bit number.
void FitParam0(cEdCommand& cmd, int nCount, int32_t nReplacement) {
  if (cmd.m_vParam.empty()) return;
  if (static_cast<uint32_t>(cmd.m_vParam[0]) >= static_cast<uint32_t>(nCount)) cmd.m_vParam[0] = nReplacement;
}

bool OutOfList(uint32_t nIndex, int nCount) { return nIndex >= static_cast<uint32_t>(std::max(0, nCount)); }
// A 16-bit palette index is read as signed, so a negative one is out.
bool OutOfList16(int32_t n16, int nCount) {
  return OutOfList(static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(n16))), nCount);
}

void FitSword(cEdCommand& cmd, const cFlowProjectView& view) {
  if (!cmd.m_pShot) return;
  cEdShot& shot = *cmd.m_pShot;
  const int nTypes = CountOf(view, FITDB_SWORDTYPE);
  if (shot.m_bySwordType >= nTypes) shot.m_bySwordType = 0;
  if (shot.m_bySwordType >= nTypes) return;  // no sword type at all
  // A signed 16-bit running sum, capped after each addition: a sum that
  // passes 32767 wraps below 0 before the cap is tested, and games were
  // made against that result.
  int16_t nSum = 0;
  for (int nFrames : view.SwordPartFrames(shot.m_bySwordType)) {
    nSum = static_cast<int16_t>(static_cast<uint16_t>(nSum + nFrames));
    if (nSum > SWORD_TIME_BASE_MAX) nSum = SWORD_TIME_BASE_MAX;
  }
  cmd.m_nTimeBase = nSum;
}

}  // namespace

void SetFlowProjectView(const cFlowProjectView* pView) { s_pView = pView; }
const cFlowProjectView* GetFlowProjectView() { return s_pView; }

bool TestPlayFlowsKept() {
  const cFlowProjectView* pView = GetFlowProjectView();
  return pView && (pView->EditorLink() || pView->KeepMarkedFlows());
}

void FitCommandToDatabase(cEdCommand& cmd) {
  const cFlowProjectView* pView = GetFlowProjectView();
  if (pView) {
    FitIndex16(cmd.m_nAnime, CountOf(*pView, FITDB_ANIME));
    FitIndex16(cmd.m_nSound, CountOf(*pView, FITDB_SOUND));
  }
  // A kind outside its catalogue keeps its parameters; the runner never
  // dispatches it.
  const cCommandCatalog& catalog = CatalogOfList(cmd.m_byList);
  if (catalog.Has(cmd.m_byKind)) cmd.m_vParam.resize(static_cast<size_t>(catalog.ParamCount(cmd.m_byKind)), 0);
  if (pView) {
    const cFlowProjectView& view = *pView;
    switch (FlowKindOfCommand(cmd.m_byList, cmd.m_byKind)) {
      case Sword: FitSword(cmd, view); break;
      case ChangeBaseAnimeSet: FitParam0(cmd, CountOf(view, FITDB_ANIMESET), 0); break;
      case RunAnime: FitParam0(cmd, CountOf(view, FITDB_ANIME), 1); break;
      case RunEffect: FitParam0(cmd, CountOf(view, FITDB_EFFECT), 1); break;
      case RunCharaEffect: FitParam0(cmd, CountOf(view, FITDB_CHARAEFFECT), 1); break;
      case RunScreenEffect: FitParam0(cmd, CountOf(view, FITDB_SCREFFECT), 1); break;
      case ShowPicture: FitParam0(cmd, CountOf(view, FITDB_PICTURE), 1); break;
      case PlaySe: FitParam0(cmd, CountOf(view, FITDB_SOUND), 1); break;
      case PlayBgm: FitParam0(cmd, CountOf(view, FITDB_BGM), 1); break;
      default: break;
    }
  }
  for (cEdFlow& flow : cmd.m_vecFlow) FitFlowCommands(flow);
}

void FitFlowCommands(cEdFlow& flow) {
  for (cEdCommand& cmd : flow.m_vecCommand) FitCommandToDatabase(cmd);
}

void FitCommandPalettes(cEdCommand& cmd) {
  const cFlowProjectView* pView = GetFlowProjectView();
  if (pView) {
    const cFlowProjectView& view = *pView;
    const int k = FlowKindOfCommand(cmd.m_byList, cmd.m_byKind);
    if ((k == Shot || k == Sword) && cmd.m_pShot) {
      cEdShot& s = *cmd.m_pShot;
      if (s.m_byItemSource == 1 || s.m_byItemSource == 2) {
        FITPALETTE pal = s.m_byItemSource == 1 ? FITPAL_COMMON : FITPAL_STAGE;
        if (OutOfList16(s.m_wItemIndex, view.PaletteCount(pal, FITLIST_ITEM))) {
          s.m_byItemSource = 0;
          s.m_wItemIndex = 0;
        }
      }
    } else if ((k == SummonBlock || k == SummonChara || k == SummonItem) && cmd.m_pShot) {
      cEdShot& s = *cmd.m_pShot;
      if (s.m_bySummonSource == 0 || s.m_bySummonSource == 1) {
        FITPALETTE pal = s.m_bySummonSource == 0 ? FITPAL_COMMON : FITPAL_STAGE;
        FITPALETTELIST list = k == SummonBlock ? FITLIST_BLOCK : k == SummonChara ? FITLIST_CHARA : FITLIST_ITEM;
        if (OutOfList16(s.m_nSummonIndex, view.PaletteCount(pal, list))) s.m_nSummonIndex = 1;
      }
    } else if (k == GetItem && cmd.m_vParam.size() >= 2) {
      const int32_t nPalette = cmd.m_vParam[0];
      // Only the low 16 bits of the parameter are tested, like every other
      // palette index here; whoever takes the item checks the whole value.
      if ((nPalette == 0 || nPalette == 1) &&
          OutOfList16(cmd.m_vParam[1], view.PaletteCount(nPalette == 0 ? FITPAL_COMMON : FITPAL_STAGE, FITLIST_ITEM)))
        cmd.m_vParam[1] = 1;
    }
  }
  for (cEdFlow& flow : cmd.m_vecFlow) FitFlowPalettes(flow);
}

void FitFlowPalettes(cEdFlow& flow) {
  for (cEdCommand& cmd : flow.m_vecCommand) FitCommandPalettes(cmd);
}

void FixupLoadedFlows(cVector<cEdFlow>& flows) {
  std::erase_if(flows, [](const cEdFlow& flow) { return flow.m_byTestPlay != 0; });
}
