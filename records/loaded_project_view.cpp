#include "records/loaded_project_view.h"

#include "records/common_palette.h"
#include "records/database.h"
#include "records/stage.h"
#include "records/system.h"

namespace {

// The part value that holds a sword part's duration (value 10; a new sword
// type's single part has it at 1).
constexpr int SWORD_PART_DURATION = 9;

cLoadedFlowProjectView s_View;

template <class T>
int CountOf(const cVector<T>& v) {
  return static_cast<int>(v.size());
}

}  // namespace

int cLoadedFlowProjectView::DatabaseCount(FITDATABASE db) const {
  switch (db) {
    case FITDB_ANIMESET: return CountOf(g_Database.m_vecAnimeSet);
    case FITDB_ANIME: return CountOf(g_Database.m_vecAnime);
    case FITDB_SWORDTYPE: return CountOf(g_Database.m_vecSwordType);
    case FITDB_EFFECT: return CountOf(g_Database.m_vecEffect);
    case FITDB_CHARAEFFECT: return CountOf(g_Database.m_vecCharaEffect);
    case FITDB_SCREFFECT: return CountOf(g_Database.m_vecScrEffect);
    case FITDB_PICTURE: return CountOf(g_Database.m_vecPicture);
    case FITDB_SOUND: return CountOf(g_Database.m_vecSound);
    case FITDB_BGM: return CountOf(g_Database.m_vecBgm);
  }
  return 0;
}

std::vector<int> cLoadedFlowProjectView::SwordPartFrames(int nType) const {
  std::vector<int> v;
  if (nType < 0 || nType >= CountOf(g_Database.m_vecSwordType)) return v;
  for (const cEdSwordPart& part : g_Database.m_vecSwordType[static_cast<size_t>(nType)].m_vecPart)
    v.push_back(static_cast<int16_t>(part.anPart[SWORD_PART_DURATION]));
  return v;
}

int cLoadedFlowProjectView::PaletteCount(FITPALETTE pal, FITPALETTELIST list) const {
  if (pal == FITPAL_COMMON) {
    switch (list) {
      case FITLIST_BLOCK: return CountOf(g_CommonPalette.m_vecBlock);
      case FITLIST_CHARA: return CountOf(g_CommonPalette.m_vecChara);
      case FITLIST_ITEM: return CountOf(g_CommonPalette.m_vecItem);
    }
    return 0;
  }
  switch (list) {
    case FITLIST_BLOCK: return CountOf(g_Stage.m_vecPaletteBlock);
    case FITLIST_CHARA: return CountOf(g_Stage.m_vecPaletteChara);
    case FITLIST_ITEM: return CountOf(g_Stage.m_vecPaletteItem);
  }
  return 0;
}

bool cLoadedFlowProjectView::KeepMarkedFlows() const { return g_System.m_bKeepMarkedFlows != 0; }

void InstallLoadedFlowProjectView() { SetFlowProjectView(&s_View); }
