#include "shell/challenge_scene.h"

#include <algorithm>
#include <cstdio>

#include "base/message_box.h"
#include "media/graphics/font.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "records/progress.h"
#include "records/ranking.h"
#include "records/ranking_file.h"
#include "records/stage.h"
#include "records/stage_loading.h"
#include "records/system.h"
#include "records/system_queries.h"
#include "shell/main_window.h"
#include "shell/player_input.h"
#include "shell/ranking_display.h"
#include "shell/scene_manager.h"
#include "shell/startup.h"
#include "shell/title_scene.h"

namespace {

enum : int32_t {
  PHASE_BEGIN = 0,
  PHASE_COURSES = 1,
  PHASE_END = 2,
};

constexpr WPARAM kChallengeMusic = 2;
constexpr int kRowFont = 1;
constexpr int kLabelFont = 2;
constexpr DWORD kTextDrawMode = 1;
constexpr int kRankingSound = 6;
const char* const kChallengePath = "user_data\\challenge\\Challenge.dat";

void CloseMainWindow() { PostMessage(g_hWndMain, WM_CLOSE, 0, 0); }

BOOL LoadCourseStage(const std::string& name, std::string& loadedPath) {
  if (!LoadStage(name, 1, &g_StageCopy)) return FALSE;
  loadedPath = g_Stage.m_strFilePath;
  return TRUE;
}

const std::string& SystemText(int n) { return g_System.m_vecText.CheckedAt(n); }

int32_t RankingFlag() {
  return static_cast<int32_t>(g_System.m_vecRankingSwitch.CheckedAt(PLAYKIND_CHALLENGE).m_bOn);
}

void SetChallengeLives(cEdProgress& p) {
  if (g_System.m_vecInfiniteLives.CheckedAt(PLAYKIND_CHALLENGE)) {
    p.m_nLivesStart = p.m_nLives = kUnlimitedLives;
  } else {
    p.m_nLivesStart = static_cast<int32_t>(g_System.m_vecStartLives.CheckedAt(PLAYKIND_CHALLENGE));
    p.m_nLives = p.m_nLivesStart - 1;
  }
}

}  // namespace

CHALLENGELINKS DefaultChallengeLinks() { return CHALLENGELINKS{&LoadCourseStage}; }
CHALLENGELINKS g_ChallengeLinks = DefaultChallengeLinks();

std::string CourseFileName(int nCourse) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s%02d-1.%s", "data\\stg4\\c", nCourse, "stg4");
  return buf;
}

int32_t ChallengeCourseCount() {
  const int32_t n = g_System.m_bChallengeLimitOn ? ChallengeCourseLimit() : g_Progress.m_nChallengeOpen;
  return std::max<int32_t>(n, 1);
}

void SelectCourse(int nCourse) {
  SetProgressStageName(g_Progress, CourseFileName(nCourse));
  if (g_SceneMgr.m_bRankingOn) LoadUserDataRecord(g_RankingSet, PLAYKIND_CHALLENGE, g_Progress.m_strStage);
}

BOOL LoadChallenge() {
  cEdProgress p = g_Progress;
  if (!p.LoadFromFile(kChallengePath)) return 0;
  if (g_System.m_vecInfiniteLives.CheckedAt(PLAYKIND_CHALLENGE)) {
    p.m_nLivesStart = p.m_nLives = kUnlimitedLives;
  } else if (p.m_nLives == kUnlimitedLives) {
    p.m_nLives = static_cast<int32_t>(g_System.m_vecStartLives.CheckedAt(PLAYKIND_CHALLENGE));
  }
  g_Progress = p;
  return 1;
}

void StartChallenge() {
  if (LoadChallenge()) return;
  // A first visit: one fresh pair for each course of the project, so that
  // the first course cleared has its pair to mark.
  ProgressReset(g_Progress);
  g_Progress.m_vChallenge.resize(static_cast<size_t>(ChallengeCourseLimit()));
}

// ---- cSceneChallenge --------------------------------------------------------------

cSceneChallenge::cSceneChallenge() {
  m_apfnPhase[PHASE_BEGIN] = static_cast<PHASEPROC>(&cSceneChallenge::Begin);
  m_apfnPhase[PHASE_COURSES] = static_cast<PHASEPROC>(&cSceneChallenge::CoursePhase);
  m_apfnPhase[PHASE_END] = static_cast<PHASEPROC>(&cSceneChallenge::End);
}

void cSceneChallenge::CountCourses() {
  m_nCourseCount = ChallengeCourseCount();
  // A list left further down than the courses now open starts at the top.
  if (m_nListTop < 0 || m_nListTop >= m_nCourseCount) m_nListTop = 0;
  m_nListRows = std::min(m_nCourseCount - m_nListTop, kChallengeMaxRows);
}

void cSceneChallenge::Init() {
  SendMessage(g_hWndMain, UM_PLAYBGM, kChallengeMusic, 0);
  static const int s_anSurface[] = {TITLESURFACE_ACCESSORY, TITLESURFACE_WINDOW};
  if (!DDLoadSurfaceList(g_aStageSurface, s_anSurface, 2)) CloseMainWindow();
  ResetMenuState();
  MENUSTATE& cur = CurrentMenuState();
  cur.nRow = g_SceneMgr.m_nChallengeRow;
  m_nListTop = g_SceneMgr.m_nChallengeTop;
  CountCourses();
  if (cur.nRow < 0 || cur.nRow >= m_nCourseCount) cur.nRow = 0;
  SelectCourse(cur.nRow + 1);
  MakeScreen();
  m_nSubStep = 0;
}

void cSceneChallenge::DrawScreen() {
  DDSURFACEDATA* lpSD = Screen();
  if (!lpSD) return;
  DDFillSurface(lpSD, 0);
  DrawMenuWindow(lpSD, 0, 0, 640, 480);
  const std::string& heading = g_System.m_vecTitleMenu.CheckedAt(TITLEITEM_CHALLENGE).m_strLabel;
  g_Fonts[kLabelFont].DrawText(lpSD, 320 - 32 * CountMbcsChars(heading) / 2, 32, heading.c_str(), kTextDrawMode);

  if (g_System.m_bChallengeShowTotalScore && g_Progress.m_nTotalScore > 0) {
    const std::string total = SystemText(4) + std::to_string(g_Progress.m_nTotalScore);
    const int w = 16 * CountMbcsChars(total) + 16;
    DrawMenuWindow(lpSD, 320 - w / 2, 84, w, 24);
    g_Fonts[kRowFont].DrawText(lpSD, 320 - (w - 16) / 2, 88, total.c_str(), kTextDrawMode);
  }
  const bool bHighScores = g_System.m_bChallengeShowHighScore != 0;
  if (!m_bRankingShown && bHighScores)
    g_Fonts[kLabelFont].DrawText(lpSD, 32, 128, ("         " + SystemText(3)).c_str(), kTextDrawMode);

  if (RankingFlag() && m_bRankingShown) {
    DrawRankingOf(g_RankingSet, lpSD, kChallengeRankingX, kChallengeRankingY, g_Progress.m_nRankGenre, -1);
  }
  for (int k = 0; k < m_nListRows; ++k) {
    const int nCourse = m_nListTop + k + 1;
    const int y = kChallengeListY + kChallengeRowHeight * k;
    const std::string label = SystemText(0) + std::to_string(nCourse);
    g_Fonts[kLabelFont].DrawText(lpSD, kChallengeLabelX, y, label.c_str(), kTextDrawMode);
    const int xMark = 32 * (CountMbcsChars(label) + 4);
    const cVector<cEdValuePair>& v = g_Progress.m_vChallenge;
    const bool bKnown = static_cast<size_t>(nCourse - 1) < v.size();
    if (bKnown && v[static_cast<size_t>(nCourse - 1)].m_nFirst)
      DDBltFast(lpSD, xMark, y, 32, 32, &g_aStageSurface[TITLESURFACE_ACCESSORY], 96, 0, 1);
    if (bHighScores && !m_bRankingShown) {
      const uint32_t nScore = bKnown ? v[static_cast<size_t>(nCourse - 1)].m_nSecond : 0;
      g_Fonts[kLabelFont].DrawText(lpSD, xMark + 64, y, std::to_string(nScore).c_str(), kTextDrawMode);
    }
  }
}

void cSceneChallenge::Begin() {
  if (FadeInScreen()) m_nPhase = PHASE_COURSES;
}

void cSceneChallenge::CoursePhase() {
  cSceneManager& m = g_SceneMgr;
  CountCourses();
  uint16_t keys = MenuKeys();
  const bool bMoved = keys != 0;
  CursorMoveList(&keys, TRUE, &m_nListTop, kChallengeListY, kChallengeRowHeight, kChallengeListX, m_nListRows,
                 m_nCourseCount, TRUE);
  PlayCursorSE(&keys, CURSORSE_ALL, SYSSE_CURSOR);
  MENUSTATE& cur = CurrentMenuState();
  if (bMoved) {
    CountCourses();
    SelectCourse(cur.nRow + 1);
    DrawScreen();
  }

  if (MenuDecide()) {
    const std::string name = CourseFileName(cur.nRow + 1);
    std::string loaded;
    if (!g_ChallengeLinks.pfnLoadCourse(name, loaded)) {
      RequestSystemSound(SYSSE_REFUSE);
      ErrorBoxf(Sjis("ステージファイル %s が読み込めません！").c_str(), name.c_str());
      return;
    }
    RequestSystemSound(SYSSE_DECIDE);
    cEdProgress& p = g_Progress;
    SetProgressStageName(p, loaded);
    p.m_nArea = 1;
    p.m_nClearFlag = cur.nRow + 1;
    SetChallengeLives(p);
    p.m_bNumbered = 1;
    m.m_nChallengeRow = cur.nRow;
    m.m_nChallengeTop = m_nListTop;
    m.m_nNextMode = GAMEMODE_STAGE;
    m.m_nPrevMode = GAMEMODE_CHALLENGE;
    m_nPhase = PHASE_END;
    return;
  }
  if (MenuCancel()) {
    RequestSystemSound(SYSSE_CANCEL);
    m.m_nNextMode = GAMEMODE_TITLE;
    m.m_nPrevMode = GAMEMODE_CHALLENGE;
    m_nPhase = PHASE_END;
    return;
  }
  const uint16_t wButton = RankingKeysPressed();
  if (wButton & MENUBUTTON_RANKING) {
    if (RankingFlag()) {
      RequestSystemSound(kRankingSound);
      m_bRankingShown = !m_bRankingShown;
    } else {
      m_bRankingShown = 0;
    }
    DrawScreen();
  } else if (wButton & MENUBUTTON_GENRE) {
    if (RankingFlag() && CountSystemEntryFlags(PLAYKIND_CHALLENGE) > 1) {
      RequestSystemSound(kRankingSound);
      NextRankingGenre(g_Progress, PLAYKIND_CHALLENGE, 1);
    }
    DrawScreen();
  }
  ShowScreen();
  DDBltFast(&g_BackBufferSD, cur.nX, cur.nY, 32, 32, &g_aStageSurface[TITLESURFACE_ACCESSORY], 0, 0, 1);
}

void cSceneChallenge::End() {
  cSceneManager& m = g_SceneMgr;
  if (!MenuFadeOut(m.m_nFadeStep)) return;
  DDFillSurface(&g_BackBufferSD, kFadedColour);
  ResetMenuState();
  m.m_nPrevMode = GAMEMODE_CHALLENGE;
  m.m_nMode = m.m_nNextMode;
}
