#include "shell/worldmap_scene.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/message_box.h"
#include "base/report.h"
#include "flow/value_ops.h"
#include "media/graphics/font.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "records/progress.h"
#include "records/ranking.h"
#include "records/ranking_file.h"
#include "records/stage.h"
#include "records/stage_loading.h"
#include "records/story_slot.h"
#include "records/system.h"
#include "records/system_queries.h"
#include "records/world_map.h"
#include "shell/main_window.h"
#include "shell/player_input.h"
#include "shell/ranking_display.h"
#include "shell/scene_manager.h"
#include "shell/startup.h"

namespace {

enum : int32_t {
  PHASE_BEGIN = 0,
  PHASE_WALK = 1,
  PHASE_CONFIRM = 2,
  PHASE_END = 3,
};

// Directions of the facing, and the player's picture for each in
// "bmp\Accessory.bmp" (the second walking picture 32 pixels right).
enum : int32_t { FACING_DOWN = 0, FACING_UP = 1, FACING_LEFT = 2, FACING_RIGHT = 3 };
constexpr int32_t kFacingPicture[4][2] = {{0, 64}, {64, 64}, {64, 96}, {0, 96}};

constexpr int kInfoFont = 1;  // the second system font
constexpr int32_t kStoryTextScore = 2;
constexpr int32_t kStoryTextConfirm = 10;  // "ステージに挑む", "やっぱりやめる"
constexpr int32_t kSystemSoundToggle = 6;
constexpr int32_t kSystemSoundLeave = 4;  // the map left for the save screen
constexpr int32_t kConfirmChallenge = 0;

void CloseMainWindow() { PostMessage(g_hWndMain, WM_CLOSE, 0, 0); }

BOOL LoadStageCopy(const std::string& name) { return LoadStage(name, 1, &g_StageCopy); }

// A flag or variable number from the map file reads 0 outside the lists.
uint32_t FlagAt(int32_t n) {
  const cVector<uint32_t>& v = g_Progress.m_vFlag;
  return n >= 0 && static_cast<size_t>(n) < v.size() ? v[static_cast<size_t>(n)] : 0;
}
int32_t VarAt(int32_t n) {
  const cVector<int32_t>& v = g_Progress.m_vVar;
  return n >= 0 && static_cast<size_t>(n) < v.size() ? v[static_cast<size_t>(n)] : 0;
}

// The cell kind of (x, y); null outside the map or for a kind the table lacks.
const cEdWorld* CellKind(int x, int y) {
  cEdWorldMap& w = g_WorldMap;
  if (x < 0 || y < 0 || x >= w.m_nWidth || y >= w.m_nHeight) return nullptr;
  // Reading the map makes its grid hold every row of the pitch.
  const int32_t n = w.CellAt(x, y);
  if (n < 0 || static_cast<size_t>(n) >= w.m_vWorld.size()) return nullptr;
  return &w.m_vWorld[static_cast<size_t>(n)];
}

const cEdRankingSwitch* StoryRanking() {
  const cVector<cEdRankingSwitch>& v = g_System.m_vecRankingSwitch;
  return v.empty() ? nullptr : &v[PLAYKIND_STORY];
}
bool StoryRanks() {
  const cEdRankingSwitch* r = StoryRanking();
  return r && r->m_bOn;
}

uint32_t StoryValue(const cVector<uint32_t>& v) { return v.empty() ? 0 : v[PLAYKIND_STORY]; }

void ShowStageLoadFailure(const std::string& name) {
  std::string text;
  FormatString(text, Sjis("ステージファイル %s が読み込めません！").c_str(), name.c_str());
  ErrorBox(text);
}

int DecimalDigits(int32_t n) {
  char sz[16];
  return std::snprintf(sz, sizeof sz, "%d", n);
}

}  // namespace

WORLDMAPLINKS DefaultWorldMapLinks() { return WORLDMAPLINKS{&LoadStageCopy, &SaveStorySlot}; }
WORLDMAPLINKS g_WorldMapLinks = DefaultWorldMapLinks();

const cEdWorldAction* FindMapEvent(int x, int y) {
  cEdWorldEvent* pEntry = g_WorldMap.FindEntry(x, y);
  if (!pEntry) return nullptr;
  for (const cEdWorldAction& e : pEntry->m_vAction) {
    if (e.m_nNeedFlag != 0 && !FlagAt(e.m_nNeedFlag)) continue;
    if (e.m_nVarNo != 0 && !CompareByOp(VarAt(e.m_nVarNo), e.m_nCompareValue, e.m_nCompare)) continue;
    if (g_Progress.m_nTotalScore < e.m_nScoreNeed) continue;
    return &e;
  }
  return nullptr;
}

bool MapEventPassed(const cEdWorldAction& e) { return e.m_bPassed || FlagAt(e.m_nPassFlag); }

bool MapCellBlocked(int x, int y) {
  if (FindMapEvent(x, y)) return false;
  const cEdWorld* k = CellKind(x, y);
  return k && k->m_bBlock;
}

void EnterMapStage(const cEdWorldAction& e) {
  cEdProgress& p = g_Progress;
  SetProgressStageName(p, e.m_strStage);
  p.m_nClearFlag = e.m_nPassFlag;
  p.m_nArea = 1;
  p.m_nMapEvent = MapEventNumber(e);
  if (!g_System.m_bCarryLives) {
    p.m_nLivesStart = static_cast<int32_t>(StoryValue(g_System.m_vecStartLives));
  } else {
    p.m_nLivesStart = StoryValue(g_System.m_vecInfiniteLives) ? kUnlimitedLives : p.m_nLives + 1;
  }
}

int32_t MapTotalScore() {
  // Each stage counts once, however many events name it.
  std::vector<std::string> names;
  cEdProgress tmp;
  for (const cEdWorldEvent& entry : g_WorldMap.m_vEvent)
    for (const cEdWorldAction& e : entry.m_vAction) {
      if (e.m_strStage.empty()) continue;
      SetProgressStageName(tmp, e.m_strStage);
      if (std::find(names.begin(), names.end(), tmp.m_strStage) == names.end()) names.push_back(tmp.m_strStage);
    }
  int64_t nSum = 0;
  for (const cEdPlayRecEntryB& s : g_Progress.m_vStageScore)
    if (std::find(names.begin(), names.end(), s.m_strName) != names.end()) nSum += s.m_nValue;
  return static_cast<int32_t>(std::min<int64_t>(nSum, INT32_MAX));
}

// ---- cSceneWorldMap ------------------------------------------------------------

cSceneWorldMap::cSceneWorldMap() {
  m_apfnPhase[PHASE_BEGIN] = static_cast<PHASEPROC>(&cSceneWorldMap::Begin);
  m_apfnPhase[PHASE_WALK] = static_cast<PHASEPROC>(&cSceneWorldMap::WalkPhase);
  m_apfnPhase[PHASE_CONFIRM] = static_cast<PHASEPROC>(&cSceneWorldMap::ConfirmPhase);
  m_apfnPhase[PHASE_END] = static_cast<PHASEPROC>(&cSceneWorldMap::End);
}

cSceneWorldMap::~cSceneWorldMap() { DDReleaseSurfaceVector(m_vSurface); }

bool cSceneWorldMap::CurrentEventEnterable() const { return m_pEvent && m_pEvent->m_nKind == MAPEVENT_ENTER; }

void cSceneWorldMap::Init() {
  cSceneManager& m = g_SceneMgr;
  SendMessage(g_hWndMain, UM_PLAYBGM, 1, 0);

  DDDISPLAYSETTINGS& d = g_DDDisplay;
  if (d.lpInfoTable && MAPSURFACE_BACK < d.nInfoCount && !g_WorldMap.m_strBackPicture.empty())
    d.lpInfoTable[MAPSURFACE_BACK].szFileName = g_WorldMap.m_strBackPicture;
  static const int s_anSurface[] = {MAPSURFACE_BACK, MAPSURFACE_CHIP, MAPSURFACE_EVENT,
                                    MAPSURFACE_ACCESSORY, MAPSURFACE_WINDOW, MAPSURFACE_VIEW};
  if (!DDLoadSurfaceList(g_aStageSurface, s_anSurface, 6)) CloseMainWindow();

  ResetMenuState();
  g_Progress.m_nTotalScore = MapTotalScore();

  MENUSTATE& cur = CurrentMenuState();
  cur.nCol = g_Progress.m_nMapX;
  cur.nRow = g_Progress.m_nMapY;
  cur.nX = kMapPlayerX;
  cur.nY = kMapPlayerY;
  LookUpCell();
  m_StartState = cur;
  m_nFacingAtInit = g_Progress.m_nFacing;
  m_nOriginX = m_nCellX - kMapOriginCol;
  m_nOriginY = m_nCellY - kMapOriginRow;

  if (!DDAddSurface(m_vSurface, m_vSurfaceInfo, kMapRankingWidth, kMapRankingHeight, 1, 0, DTMEMORYTYPE_VIDEO_RT,
                    nullptr))
    CloseMainWindow();
  DrawRankingPanel();
  DrawMapView();

  if (CurrentEventEnterable()) {
    ShowMapEventInfo();
    m_nShownX = m_nCellX;
    m_nShownY = m_nCellY;
  }
  if (g_Progress.m_bAutoSave && m.m_nPrevMode == GAMEMODE_STAGE && g_Progress.m_nSaveSlot >= 0)
    g_WorldMapLinks.pfnSaveStorySlot(g_Progress.m_nSaveSlot);
  m_nSubStep = 0;
}

void cSceneWorldMap::LookUpCell() {
  const MENUSTATE& cur = CurrentMenuState();
  m_nCellX = cur.nCol;
  m_nCellY = cur.nRow;
  m_pEvent = FindMapEvent(m_nCellX, m_nCellY);
}

void cSceneWorldMap::ShowMapEventInfo() {
  if (!m_pEvent) return;
  SetProgressStageName(g_Progress, m_pEvent->m_strStage);
  m_nHighScore = FindStageScore(g_Progress.m_strStage);
  if (g_SceneMgr.m_bRankingOn) {
    LoadUserDataRecord(g_RankingSet, g_SceneMgr.m_nPlayKind, g_Progress.m_strStage);
    NextRankingGenre(g_Progress, PLAYKIND_STORY, 0);
    DrawRankingPanel();
  }
}

void cSceneWorldMap::Begin() {
  cSceneManager& m = g_SceneMgr;
  if (g_DDDisplay.nBpp == 8) DrawMapView();
  DrawMapFrame(true);
  if (!MenuFadeIn(m.m_nFadeStep)) return;
  m_nPhase = PHASE_WALK;
  if (!CurrentEventEnterable()) return;
  cEdProgress& p = g_Progress;
  if (!p.m_bLeftStage) {
    if (m.m_nPrevMode == GAMEMODE_SAVE || MapEventPassed(*m_pEvent)) return;
    if (!g_WorldMapLinks.pfnLoadStage(m_pEvent->m_strStage)) {
      ShowStageLoadFailure(m_pEvent->m_strStage);
      CloseMainWindow();
      return;
    }
    p.m_nMapX = m_nCellX;
    p.m_nMapY = m_nCellY;
    EnterMapStage(*m_pEvent);
    p.m_nPrevMapX = m_nCellX;
    p.m_nPrevMapY = m_nCellY;
    m.m_nNextMode = GAMEMODE_STAGE;
    m_nPhase = PHASE_END;
    return;
  }
  p.m_bLeftStage = 0;
  if (MapEventPassed(*m_pEvent)) return;
  // Left without clearing: back onto the cell the player came from, which
  // a damaged file may place off the map.
  MENUSTATE& cur = CurrentMenuState();
  cur.nCol = std::clamp(p.m_nPrevMapX, 0, std::max(0, g_WorldMap.m_nWidth - 1));
  cur.nRow = std::clamp(p.m_nPrevMapY, 0, std::max(0, g_WorldMap.m_nHeight - 1));
  p.m_nMapX = cur.nCol;
  p.m_nMapY = cur.nRow;
  LookUpCell();
  m_StartState = cur;
  m_nOriginX = m_nCellX - kMapOriginCol;
  m_nOriginY = m_nCellY - kMapOriginRow;
  DrawMapView();
}

void cSceneWorldMap::WalkPhase() {
  cSceneManager& m = g_SceneMgr;
  cEdProgress& p = g_Progress;
  uint16_t keys = MenuKeys();
  MENUSTATE& cur = CurrentMenuState();
  if (keys & (INPUT_LEFT | INPUT_RIGHT | INPUT_UP | INPUT_DOWN)) {
    p.m_nPrevMapX = m_nCellX;
    p.m_nPrevMapY = m_nCellY;
    const MENUSTATE saved = cur;
    int32_t nFacing = p.m_nFacing;
    if (keys & INPUT_LEFT) {
      cur.nCol = std::max(0, cur.nCol - 1);
      nFacing = FACING_LEFT;
    } else if (keys & INPUT_RIGHT) {
      cur.nCol = std::min(g_WorldMap.m_nWidth - 1, cur.nCol + 1);
      nFacing = FACING_RIGHT;
    } else if (keys & INPUT_UP) {
      cur.nRow = std::max(0, cur.nRow - 1);
      nFacing = FACING_UP;
    } else {
      cur.nRow = std::min(g_WorldMap.m_nHeight - 1, cur.nRow + 1);
      nFacing = FACING_DOWN;
    }
    const cEdWorldAction* e = FindMapEvent(cur.nCol, cur.nRow);
    if ((e && e->m_nKind == MAPEVENT_BLOCK) || (!e && MapCellBlocked(cur.nCol, cur.nRow))) {
      cur = saved;
    } else {
      p.m_nFacing = nFacing;
      const int32_t ox = cur.nCol - kMapOriginCol, oy = cur.nRow - kMapOriginRow;
      if (ox != m_nOriginX || oy != m_nOriginY) {
        m_nOriginX = ox;
        m_nOriginY = oy;
        DrawMapView();
      }
    }
  }
  cur.nX = kMapPlayerX;
  cur.nY = kMapPlayerY;
  PlayCursorSE(&keys, CURSORSE_ALL, SYSSE_CURSOR);

  LookUpCell();
  if (CurrentEventEnterable()) {
    if (m_nCellX != m_nShownX || m_nCellY != m_nShownY) {
      ShowMapEventInfo();
      m_nShownX = m_nCellX;
      m_nShownY = m_nCellY;
    }
    const bool bPassed = MapEventPassed(*m_pEvent);
    const bool bClosed = !m_pEvent->m_bReEnter && FlagAt(m_pEvent->m_nPassFlag);
    if (!bPassed || (MenuDecide() && !bClosed)) {
      p.m_nMapX = m_nCellX;
      p.m_nMapY = m_nCellY;
      StackPushCopy(1);
      m_nSubStep = 0;
      m_nPhase = PHASE_CONFIRM;
      return;
    }
  }
  RankingButtons();
  if (MenuCancel()) {
    RequestSystemSound(kSystemSoundLeave);
    p.m_nMapX = m_nCellX;
    p.m_nMapY = m_nCellY;
    m.m_nNextMode = GAMEMODE_SAVE;
    m_nPhase = PHASE_END;
    return;
  }
  DrawMapFrame(true);
}

void cSceneWorldMap::ConfirmPhase() {
  cSceneManager& m = g_SceneMgr;
  if (m_nSubStep == 0) {
    RequestSystemSound(SYSSE_DECIDE);
    m_bStageLoaded = m_pEvent && g_WorldMapLinks.pfnLoadStage(m_pEvent->m_strStage);
    if (!m_bStageLoaded && m_pEvent) ShowStageLoadFailure(m_pEvent->m_strStage);
    CurrentMenuState().nRow = 1;
    m_nSubStep = 1;
  }
  const int32_t x = CalcCenteredTextX(kMapInfoCentreX, kStoryTextConfirm, 2, 1);
  uint16_t keys = MenuKeys();
  CursorMoveGrid(&keys, x, kMapConfirmY, 0, 16, 1, 2);
  PlayCursorSE(&keys, CURSORSE_VERTICAL, SYSSE_CURSOR);
  MENUSTATE& cur = CurrentMenuState();

  const bool bDecide = MenuDecide();
  if (bDecide && cur.nRow == kConfirmChallenge && m_bStageLoaded && m_pEvent) {
    RequestSystemSound(SYSSE_DECIDE);
    g_Progress.m_nFacing = m_nFacingAtInit;
    EnterMapStage(*m_pEvent);
    m_nSubStep = 0;
    m.m_nNextMode = GAMEMODE_STAGE;
    m_nPhase = PHASE_END;
    return;
  }
  if (bDecide || MenuCancel()) {
    RequestSystemSound(bDecide ? SYSSE_DECIDE : SYSSE_CANCEL);
    StackPop(1);
    if (m_pEvent && !MapEventPassed(*m_pEvent)) {
      // Back where the scene started, so the event does not ask again at once.
      CurrentMenuState() = m_StartState;
      g_Progress.m_nMapX = m_StartState.nCol;
      g_Progress.m_nMapY = m_StartState.nRow;
      LookUpCell();
      m_nShownX = m_nShownY = -1;
      const int32_t ox = m_nCellX - kMapOriginCol, oy = m_nCellY - kMapOriginRow;
      if (ox != m_nOriginX || oy != m_nOriginY) {
        m_nOriginX = ox;
        m_nOriginY = oy;
        DrawMapView();
      }
    }
    m_nSubStep = 0;
    m_nPhase = PHASE_WALK;
    return;
  }
  RankingButtons();
  DrawMapFrame(true);
  DrawSystemTexts(x, kMapConfirmY, kStoryTextConfirm, 2, 1);
  DDBltFast(&g_BackBufferSD, cur.nX, cur.nY, 16, 16, &g_aStageSurface[MAPSURFACE_ACCESSORY], 64, 0, 1);
}

void cSceneWorldMap::RankingButtons() {
  const uint16_t wPressed = RankingKeysPressed();
  bool bRedraw = false;
  if (wPressed & MENUBUTTON_RANKING) {
    if (StoryRanks()) {
      RequestSystemSound(kSystemSoundToggle);
      g_Progress.m_bMapRanking = !g_Progress.m_bMapRanking;
    } else {
      g_Progress.m_bMapRanking = 0;
    }
    bRedraw = true;
  }
  if ((wPressed & MENUBUTTON_GENRE) && StoryRanks() && CountSystemEntryFlags(PLAYKIND_STORY) > 1) {
    RequestSystemSound(kSystemSoundToggle);
    NextRankingGenre(g_Progress, PLAYKIND_STORY, 1);
    bRedraw = true;
  }
  if (bRedraw) DrawRankingPanel();
}

void cSceneWorldMap::End() {
  cSceneManager& m = g_SceneMgr;
  DrawMapFrame(false);
  if (!MenuFadeOut(m.m_nFadeStep)) return;
  DDFillSurface(&g_BackBufferSD, kFadedColour);
  ResetMenuState();
  m.m_nPrevMode = GAMEMODE_WORLDMAP;
  m.m_nMode = m.m_nNextMode;
}

void cSceneWorldMap::DrawRankingPanel() {
  if (m_vSurface.empty()) return;
  DDSURFACEDATA* lpSD = &m_vSurface.front();
  // The table's box and frame cover the whole panel.
  DDFillSurface(lpSD, 0);
  DrawRankingOf(g_RankingSet, lpSD, 0, 0, g_Progress.m_nRankGenre, -1);
  lpSD->bLost = 0;
}

void cSceneWorldMap::DrawMapView() {
  DDSURFACEDATA* lpView = &g_aStageSurface[MAPSURFACE_VIEW];
  const cEdWorldMap& w = g_WorldMap;
  const int32_t ox = m_nOriginX, oy = m_nOriginY;
  DDFillSurface(lpView, static_cast<DWORD>(w.m_nBackColor));
  if (w.m_bBackPicture) {
    const int32_t dx = ox < 0 ? -ox * kMapCell : 0, dy = oy < 0 ? -oy * kMapCell : 0;
    const int32_t sx = ox < 0 ? 0 : ox * kMapCell, sy = oy < 0 ? 0 : oy * kMapCell;
    DDBltFast(lpView, dx, dy, 640 - dx, 480 - dy, &g_aStageSurface[MAPSURFACE_BACK], sx, sy, 0);
  }
  DDSURFACEDATA* lpChip = &g_aStageSurface[MAPSURFACE_CHIP];
  for (int32_t r = 0; r < kMapViewRows; ++r)
    for (int32_t c = 0; c < kMapViewCols; ++c) {
      const cEdWorld* k = CellKind(ox + c, oy + r);
      if (!k || k->m_nIndex < 0) continue;
      const int32_t n = k->m_nIndex;
      // A chip number of the map file past the picture has nothing to draw,
      // and its pixel row would not fit an int.
      const int64_t sy = int64_t{n / 5} * kMapCell;
      if (sy >= lpChip->nHeight) continue;
      DDBltFast(lpView, c * kMapCell, r * kMapCell, kMapCell, kMapCell, lpChip, (n % 5) * kMapCell,
                static_cast<int32_t>(sy), 1);
    }
  DDSURFACEDATA* lpEvent = &g_aStageSurface[MAPSURFACE_EVENT];
  for (const cEdWorldEvent& entry : w.m_vEvent) {
    const cEdWorldAction* e = FindMapEvent(entry.m_nX, entry.m_nY);
    if (!e || e->m_nKind < 0) continue;
    // Likewise an event kind past the event picture.
    const int64_t sy = int64_t{e->m_nKind} * kMapCell;
    if (sy >= lpEvent->nHeight) continue;
    const int32_t sx = FlagAt(e->m_nPassFlag) ? kMapCell : 0;
    DDBltFast(lpView, (entry.m_nX - ox) * kMapCell, (entry.m_nY - oy) * kMapCell, kMapCell, kMapCell, lpEvent, sx,
              static_cast<int32_t>(sy), 1);
  }
  lpView->bLost = 0;
}

void cSceneWorldMap::DrawMapFrame(bool bInfo) {
  DDSURFACEDATA* lpView = &g_aStageSurface[MAPSURFACE_VIEW];
  if (lpView->bLost) DrawMapView();
  DDBltFast(&g_BackBufferSD, 0, 0, 640, 480, lpView, 0, 0, 0);

  if (++m_nWalkFrame > kMapWalkCycle) m_nWalkFrame = 1;
  const int32_t nFacing = std::clamp(g_Progress.m_nFacing, 0, 3);
  const int32_t nStep = m_nWalkFrame > kMapWalkCycle / 2 ? kMapCell : 0;
  DDBltFast(&g_BackBufferSD, kMapPlayerX, kMapPlayerY, kMapCell, kMapCell, &g_aStageSurface[MAPSURFACE_ACCESSORY],
            kFacingPicture[nFacing][0] + nStep, kFacingPicture[nFacing][1], 1);

  cFont& font = g_Fonts[kInfoFont];
  if (g_System.m_bMapShowLives) {
    const int32_t nLives = g_Progress.m_nLives;
    const bool bInfinite = nLives == kUnlimitedLives;
    const int32_t nWidth = 16 * ((bInfinite ? 1 : DecimalDigits(nLives)) + 1);
    const int32_t x = 621 - nWidth;
    font.DrawBox(&g_BackBufferSD, x, 17, nWidth, 20);
    DDBltFast(&g_BackBufferSD, x, 19, 16, 16, &g_aStageSurface[MAPSURFACE_ACCESSORY], 0, 48, 1);
    if (bInfinite)
      font.DrawText(&g_BackBufferSD, x + 16, 19, Sjis("∞").c_str(), 1);
    else
      font.DrawTextf(&g_BackBufferSD, x + 16, 19, "%d", nLives);
  }
  if (!bInfo || !CurrentEventEnterable()) return;

  if (StoryRanks() && g_Progress.m_bMapRanking && !m_vSurface.empty()) {
    DDSURFACEDATA* lpPanel = &m_vSurface.front();
    if (lpPanel->bLost) DrawRankingPanel();
    DDBltFast(&g_BackBufferSD, kMapRankingX, kMapRankingY, lpPanel->nWidth, lpPanel->nHeight, lpPanel, 0, 0, 0);
  }
  const bool bScore = g_System.m_bMapShowScore && m_nHighScore > 0;
  const int32_t y = bScore ? 184 : 204;
  const std::string& text = m_pEvent->m_strText;
  if (!text.empty()) {
    int w = 0, h = 0;
    font.MeasureText(text.c_str(), &w, &h);
    font.DrawTextRect(&g_BackBufferSD, kMapInfoCentreX - w / 2, y, 0, 0, text.c_str(), 0);
  }
  if (bScore) {
    const cVector<std::string>& t = g_System.m_vecText;
    const std::string label = static_cast<size_t>(kStoryTextScore) < t.size() ? t[kStoryTextScore] : std::string();
    char sz[16];
    std::snprintf(sz, sizeof sz, "%u", m_nHighScore);
    const std::string line = label + sz;
    int w = 0, h = 0;
    font.MeasureText(line.c_str(), &w, &h);
    font.DrawTextRect(&g_BackBufferSD, kMapInfoCentreX - w / 2, y + 20, 0, 0, line.c_str(), 0);
  }
}
