// The challenge scene (game mode 3): the open courses with their cleared
// marks and high scores; the chosen course's first stage file is loaded and
// the stage mode starts; Cancel returns to the title. Also the challenge
// progress file "user_data\challenge\Challenge.dat".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/graphics/dd.h"
#include "platform/win_types.h"
#include "shell/menu_cursor.h"

// Layout in pixels.
constexpr int32_t kChallengeListX = 32;   // the cursor
constexpr int32_t kChallengeListY = 160;
constexpr int32_t kChallengeRowHeight = 32;
constexpr int32_t kChallengeLabelX = 64;
constexpr int32_t kChallengeMaxRows = 10;
// The ranking of the course under the cursor, right of the list.
constexpr int32_t kChallengeRankingX = 352;
constexpr int32_t kChallengeRankingY = 112;

class cSceneChallenge : public cMenuScreenScene {
 public:
  cSceneChallenge();

  void Init() override;
  void Begin() override;    // phase 0: fade-in
  void CoursePhase();       // phase 1
  void End() override;      // phase 2: fade-out, then the next mode

  void DrawScreen() override;

  int32_t m_nSubStep = 0;
  int32_t m_nListTop = 0;
  int32_t m_nCourseCount = 0;
  int32_t m_nListRows = 0;
  int32_t m_bRankingShown = 0;  // buttons 3 and 4 switch it and the genre

 private:
  void CountCourses();
};

// "data\stg4\c07-1.stg4" for course 7: the number at least two digits wide.
std::string CourseFileName(int nCourse);
// The courses listed: every course the project declares when all are open,
// else the open ones of g_Progress; at least one, since Decide always has a
// course to load.
int32_t ChallengeCourseCount();
// The course's name into g_Progress, and its ranking loaded when the play
// kind ranks.
void SelectCourse(int nCourse);
// g_Progress from "user_data\challenge\Challenge.dat": 1 / 0 (no file or a
// damaged one, which leaves g_Progress as it was); lives follow the
// challenge play kind's setting.
BOOL LoadChallenge();
// The title's Challenge choice: the file, or a reset record without one.
void StartChallenge();

// The stage load of a course. Tests replace it.
struct CHALLENGELINKS {
  // The newest numbered file of the course's first stage into g_Stage and
  // g_StageCopy; TRUE with the loaded file's path.
  BOOL (*pfnLoadCourse)(const std::string& name, std::string& loadedPath);
};
// Threads: set before the game thread starts; read by the game thread.
extern CHALLENGELINKS g_ChallengeLinks;
CHALLENGELINKS DefaultChallengeLinks();
