// Live objects from placements and from the summon commands: stage charas
// with their copies and held items, items, and blocks written into the
// block map with the keep, undo and toggle rules. A chara or item is built
// apart, tested against the stage and only then added, so a failed test
// leaves the lists as they were and uses no id.
#include <algorithm>
#include <cmath>
#include <memory>

#include "base/report.h"
#include "play/item_object.h"
#include "play/launch.h"
#include "play/live_lists.h"
#include "play/player.h"
#include "play/stage_block.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "records/common_palette.h"
#include "records/stage.h"
#include "records/system.h"

// The open fields of the shot parameters as the summon commands read them:
// a summon has no flight, so it reads the flight's switches (the life
// switch and value the same as a shot's).
struct SUMMONFIELDS {
  static uint8_t BlockMode(const cEdShot& s) { return s.m_bySetting38; }       // 38 0 summon, 1 remove, 2 toggle
  static uint8_t UndoOverPlayer(const cEdShot& s) { return s.m_bySetting35; }  // 35
  static uint8_t UndoOverChara(const cEdShot& s) { return s.m_bySetting37; }   // 37
  static uint8_t LifeOn(const cEdShot& s) { return s.m_bySetting41; }          // 41
  static int16_t LifeTenths(const cEdShot& s) { return s.m_nLaunch2; }         // 39
  static uint8_t ClearValue(const cEdShot& s) { return s.m_bySetting20; }      // 20 placement value of the summoned
};

namespace {

enum : int { COMMAND_KIND_SUMMON_BLOCK = 13, COMMAND_KIND_SUMMON_CHARA = 14, COMMAND_KIND_SUMMON_ITEM = 15 };
enum : int { BLOCKMODE_SUMMON = 0, BLOCKMODE_REMOVE = 1, BLOCKMODE_TOGGLE = 2 };

// The copy count c of a chara definition (signed): a placement or summon
// makes the charas k = 0 to c, so none for a count below 0.
int CopyCount(const cEdChara& def) { return static_cast<int8_t>(def.m_nSetting6); }

// The item placement a chara placement holds: its placement value is the
// item placement's number + 1, 0 for none.
int HeldItemIndex(const cEdChara& placement) { return static_cast<int>(placement.m_nPlacementValue) - 1; }

// An item's start offsets in pixels: its two first settings, signed.
double ItemOffsetX(const cEdItem& def) { return static_cast<int16_t>(def.m_nSetting5); }
double ItemOffsetY(const cEdItem& def) { return static_cast<int16_t>(def.m_nSetting6); }

int SummonLifeTime(const cEdShot& params) {
  return SUMMONFIELDS::LifeTenths(params) * static_cast<int>(g_Stage.m_nSpeedDiv) * 6;
}

// A definition of the common (0) or stage (1) palette; null for another
// source or an index outside the list.
template <class T>
const T* PaletteEntry(const cVector<T>& common, const cVector<T>& stage, uint8_t nSource, int nIndex) {
  const cVector<T>* v = nSource == 0 ? &common : nSource == 1 ? &stage : nullptr;
  if (!v || nIndex < 0 || static_cast<size_t>(nIndex) >= v->size()) return nullptr;
  return &(*v)[static_cast<size_t>(nIndex)];
}

// A new chara or item moved to its start: its box follows, and it is kept
// only when within the stage; then it is held inside the padded stage (a
// chara by its own move hooks) and its screen place is set.
bool SettleNewChara(cStageChara& c) {
  c.SyncBoxX();
  c.SyncBoxY();
  if (!c.IsWithinStageBounds(1)) return false;
  c.OnMovedX();
  c.OnMovedY();
  c.UpdateScreenRect();
  return true;
}

bool SettleNewItem(cItemObj& it) {
  it.SyncBoxX();
  it.SyncBoxY();
  if (!it.IsWithinStageBounds(1)) return false;
  it.ClampX(2);
  it.ClampY(2);
  it.UpdateScreenRect();
  return true;
}

struct SUMMONSPAWN {
  cSceneStage* lpScene;
  int nKind;
  int nFacing;
  const void* lpDef;
};

void SpawnSummoned(LAUNCH& l, const LAUNCHCONTEXT& c) {
  SUMMONSPAWN& s = *static_cast<SUMMONSPAWN*>(l.lpUser);
  const cEdShot& p = *l.lpParams;
  switch (s.nKind) {
    case COMMAND_KIND_SUMMON_CHARA:
      s.lpScene->SpawnCharaFromCommand(c.nX, c.nY, s.nFacing, p, *static_cast<const cEdChara*>(s.lpDef));
      break;
    case COMMAND_KIND_SUMMON_ITEM:
      s.lpScene->SpawnItemFromCommand(c.nX, c.nY, p, *static_cast<const cEdItem*>(s.lpDef));
      break;
    case COMMAND_KIND_SUMMON_BLOCK:
      s.lpScene->SpawnBlockFromCommand(c.nX, c.nY, p, *static_cast<const cEdBlock*>(s.lpDef));
      break;
    default: break;
  }
}

bool BoxesMeetCell(const cGameObj& o, double l, double t, double r, double b) {
  return o.m_dX < r && o.m_dRight >= l && o.m_dY < b && o.m_dBottom >= t;
}

}  // namespace

// ---- Placements ------------------------------------------------------------------

int cSceneStage::SpawnCharaFromRecord(int cx, int cy, const cEdChara& placement, const cItemObj* lpHeld) {
  const double x = (cx + STAGE_MARGIN_CELLS) * 32.0 + 16.0;
  const double y = (cy + STAGE_MARGIN_CELLS) * 32.0 + 16.0;
  int nMade = 0;
  for (int k = 0; k <= CopyCount(placement); ++k) {
    cEdChara def = placement;
    auto c = std::make_unique<cStageChara>();
    c->StageCharaInitFromPlacement(m_nNextCharaId, def, lpHeld, x, y, static_cast<uint16_t>(k));
    c->CharaWarpToCell(cx, cy);
    c->m_dX += placement.CalcOffsetX(k, placement.m_nDir);
    c->m_dY += placement.CalcOffsetY(k, placement.m_nDir);
    if (!SettleNewChara(*c)) continue;
    g_lstChara.push_back(std::move(c));
    ++m_nNextCharaId;
    ++nMade;
  }
  return nMade;
}

int cSceneStage::SpawnItemFromRecord(int cx, int cy, const cEdItem& placement) {
  auto it = std::make_unique<cItemObj>();
  it->ItemObjInit(m_nNextItemId, placement, 0);
  it->ItemObjWarpToCell(cx, cy);
  it->m_dX += ItemOffsetX(placement);
  it->m_dY += ItemOffsetY(placement);
  if (!SettleNewItem(*it)) return 0;
  g_lstItem.push_back(std::move(it));
  ++m_nNextItemId;
  return 1;
}

void cSceneStage::SpawnPlacedObjects() {
  const int nStart = g_Stage.FindPlayerPlacement();
  const size_t nItems = g_Stage.m_vecItem.size();
  std::vector<uint8_t> vUsed(nItems, 0);
  for (size_t i = 0; i < g_Stage.m_vecChara.size(); ++i) {
    const cEdChara& def = g_Stage.m_vecChara[i];
    if (static_cast<int>(i) == nStart || def.m_nType != 1 || def.m_nImageIndex == 0) continue;
    if (!g_Stage.PlacementInMap(def.m_nColumn, def.m_nRow)) continue;
    const int nHeld = HeldItemIndex(def);
    if (nHeld < 0) {
      SpawnCharaFromRecord(def.m_nColumn, def.m_nRow, def, nullptr);
      continue;
    }
    if (static_cast<size_t>(nHeld) >= nItems) {
      // A damaged placement: the chara comes without the item.
      Logf("chara placement %d holds item placement %d of %d", static_cast<int>(i), nHeld, static_cast<int>(nItems));
      SpawnCharaFromRecord(def.m_nColumn, def.m_nRow, def, nullptr);
      continue;
    }
    cItemObj held;
    held.ItemObjInit(m_nNextItemId++, g_Stage.m_vecItem[static_cast<size_t>(nHeld)], 1);
    SpawnCharaFromRecord(def.m_nColumn, def.m_nRow, def, &held);
    vUsed[static_cast<size_t>(nHeld)] = 1;
  }
  for (size_t i = 0; i < nItems; ++i) {
    const cEdItem& def = g_Stage.m_vecItem[i];
    if (vUsed[i] || def.m_nImageIndex == 0 || !g_Stage.PlacementInMap(def.m_nColumn, def.m_nRow)) continue;
    SpawnItemFromRecord(def.m_nColumn, def.m_nRow, def);
  }
}

// ---- Summons -------------------------------------------------------------------

// The launch patterns hand over the top-left corner of each object in stage
// pixels, margin included; charas, items and blocks all take it as it is.
int cSceneStage::SpawnCharaFromCommand(double x, double y, int nFacing, const cEdShot& params, const cEdChara& src) {
  cEdChara def = src;
  def.m_nDir = static_cast<uint8_t>(nFacing);
  if (SUMMONFIELDS::ClearValue(params)) def.m_nPlacementValue = 0;
  int nMade = 0;
  for (int k = 0; k <= CopyCount(def); ++k) {
    cEdChara d = def;
    auto c = std::make_unique<cStageChara>();
    c->StageCharaInitFromPlacement(m_nNextCharaId, d, nullptr, x, y, static_cast<uint16_t>(k));
    c->m_dX = x + c->m_nImgOffsetX + def.CalcOffsetX(k, nFacing);
    c->m_dY = y + c->m_nImgOffsetY + def.CalcOffsetY(k, nFacing);
    if (!SettleNewChara(*c)) continue;
    // A chara that would stand in a wall or in another chara is not made.
    if (TestSpawnSpot(*c)) continue;
    if (SUMMONFIELDS::LifeOn(params)) c->m_nLifeTime = SummonLifeTime(params);
    g_lstChara.push_back(std::move(c));
    ++m_nNextCharaId;
    ++nMade;
  }
  return nMade;
}

int cSceneStage::SpawnItemFromCommand(double x, double y, const cEdShot& params, const cEdItem& def) {
  auto it = std::make_unique<cItemObj>();
  it->ItemObjInit(m_nNextItemId, def, 0);
  it->m_dX = x + it->m_nImgOffsetX + ItemOffsetX(def);
  it->m_dY = y + it->m_nImgOffsetY + ItemOffsetY(def);
  if (!SettleNewItem(*it)) return 0;
  if (SUMMONFIELDS::LifeOn(params)) it->m_nLifeTime = SummonLifeTime(params);
  g_lstItem.push_back(std::move(it));
  ++m_nNextItemId;
  return 1;
}

int cSceneStage::CheckSummonedBlockOverlap(size_t nCell, int cx, int cy, const cEdShot& params) {
  const cStageBlock& cell = g_vBlockMap[nCell];
  const double l = cx * 32.0, t = cy * 32.0, r = (cx + 1) * 32.0 - 0.1, b = (cy + 1) * 32.0 - 0.1;
  auto covers = [&](cChara& c) {
    if (c.m_bDefeated || c.m_bRemoved) return false;
    if (static_cast<int8_t>(cell.GetHitKind(c.m_nSide)) == 0 || !BoxesMeetCell(c, l, t, r, b)) return false;
    c.m_nCrushState = 2;
    return true;
  };
  for (auto& p : g_vPlayer)
    if (covers(*p) && SUMMONFIELDS::UndoOverPlayer(params)) return 1;
  for (auto& c : g_lstChara)
    if (c->m_bActive && covers(*c) && SUMMONFIELDS::UndoOverChara(params)) return 1;
  return 0;
}

void cSceneStage::SpawnBlockFromCommand(double x, double y, const cEdShot& params, const cEdBlock& def) {
  // Whole-number conversion first: a position far outside the map is
  // refused here rather than overflowing the shift.
  const double fx = std::floor(x + 16.5), fy = std::floor(y + 16.5);
  if (!(fx >= 0 && fy >= 0 && fx < 1e8 && fy < 1e8)) return;
  const int cx = static_cast<int>(fx) >> 5, cy = static_cast<int>(fy) >> 5;
  const int nCols = StageCells(SCROLL_X) + 2 * STAGE_MARGIN_CELLS;
  const int nRows = StageCells(SCROLL_Y) + 2 * STAGE_MARGIN_CELLS;
  if (cx >= nCols || cy >= nRows) return;
  const size_t nCell = (static_cast<size_t>(cy) << RowShift()) + static_cast<size_t>(cx);
  if (nCell >= g_vBlockMap.size()) return;
  cStageBlock& cell = g_vBlockMap[nCell];

  // A kept block stays: with the keep-alone setting whatever its
  // conditions, else only while they hold.
  const bool bKept = cell.m_nSettingC != 0;
  if (bKept && (g_System.m_bBlockKeepAlone || (cell.m_nImageIndex != 0 && CheckBlockConditions(cell)))) return;

  auto summon = [&] {
    const bool bUndo = SUMMONFIELDS::UndoOverPlayer(params) || SUMMONFIELDS::UndoOverChara(params);
    const cEdBlock saved = cell;
    static_cast<cEdBlock&>(cell) = def;
    if (CheckSummonedBlockOverlap(nCell, cx, cy, params) && bUndo) static_cast<cEdBlock&>(cell) = saved;
  };
  auto remove = [&] {
    if (!g_CommonPalette.m_vecBlock.empty()) {
      static_cast<cEdBlock&>(cell) = g_CommonPalette.m_vecBlock[0];
    } else {
      cEdBlock empty;
      empty.m_nImageIndex = 0;
      empty.m_nHitKind = BLOCKHIT_NONE;
      static_cast<cEdBlock&>(cell) = empty;
    }
  };
  switch (SUMMONFIELDS::BlockMode(params)) {
    case BLOCKMODE_SUMMON: summon(); break;
    case BLOCKMODE_REMOVE: remove(); break;
    case BLOCKMODE_TOGGLE:
      if (std::find(m_vToggledCell.begin(), m_vToggledCell.end(), nCell) != m_vToggledCell.end()) break;
      m_vToggledCell.push_back(nCell);
      if (cell.m_nImageIndex != 0 && CheckBlockConditions(cell))
        remove();
      else
        summon();
      break;
    default: break;
  }
}

void cSceneStage::SummonObjects(cChara& owner, int nKind, int nFlowDirection, const cEdShot& params) {
  const int nIndex = params.m_nSummonIndex;
  const uint8_t nSource = params.m_bySummonSource;
  SUMMONSPAWN spawn{this, nKind, owner.m_nDir, nullptr};
  int nSize = 32;
  cEdChara chara;
  switch (nKind) {
    case COMMAND_KIND_SUMMON_CHARA: {
      const cEdChara* d = PaletteEntry(g_CommonPalette.m_vecChara, g_Stage.m_vecPaletteChara, nSource, nIndex);
      if (!d || d->m_nType != 1) return;
      chara = *d;
      // The hit group: the definition's, the owner's, or the record's value.
      if (params.m_byGroupMode == 1) chara.m_nSide = static_cast<uint8_t>(owner.m_nSide);
      if (params.m_byGroupMode == 2) chara.m_nSide = params.m_byGroupValue;
      spawn.lpDef = &chara;
      nSize = std::max<int>(d->m_nScale, 1) * 32;
      if (params.m_byReverseFacing) spawn.nFacing = owner.m_nDir ? 0 : 1;
      break;
    }
    case COMMAND_KIND_SUMMON_ITEM:
      spawn.lpDef = PaletteEntry(g_CommonPalette.m_vecItem, g_Stage.m_vecPaletteItem, nSource, nIndex);
      nSize = std::max<int>(params.m_cSize, 1) * 16;
      break;
    case COMMAND_KIND_SUMMON_BLOCK:
      spawn.lpDef = PaletteEntry(g_CommonPalette.m_vecBlock, g_Stage.m_vecPaletteBlock, nSource, nIndex);
      nSize = std::max<int>(params.m_cSize, 1) * 16;
      m_vToggledCell.clear();
      break;
    default: return;
  }
  if (!spawn.lpDef) return;
  LAUNCH l;
  LAUNCHBOX target;
  PrepareLaunch(owner, nFlowDirection, l, target);
  l.pfnSpawn = &SpawnSummoned;
  l.lpUser = &spawn;
  SummonLaunch(l, params, nSize);
}
