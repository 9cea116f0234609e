// The drawing of the rankings: one ranking table with its title, rows and
// marker, and the result panel of the stage just played. Font 1 (16-pixel
// cells) throughout; the marker is the 16 x 16 cell at (16, 48) of stage
// surface 49.
#pragma once

#include <cstdint>
#include <string>

#include "media/graphics/dd.h"
#include "records/ranking.h"

// The ranking kinds: the tables of a stage's ranking and the result values.
enum RANKKIND : int32_t {
  RK_SCORE = 0,
  RK_TIMELEFT = 1,
  RK_CLEARTIME = 2,
  RK_HPLEFT = 3,
  RK_SPLEFT = 4,
};

// The kind's label: project text 5 + kind ("スコア" ... by default).
const std::string& RankKindLabel(int nKind);

// Table nKind of the ranking (checked access), then DrawRanking.
void DrawRankingOf(cEdRankingSet& ranking, DDSURFACEDATA* lpSD, int x, int y, int nKind, int nHighlight);
// The table framed at (x + 1, y + 1) 270 x 350, its title, every used row
// (rank, name, value lined up on the right or as a clear time), the genre
// note when the play kind ranks two or more kinds, and the marker on row
// nHighlight unless it is -1.
void DrawRanking(cEdRankTable& table, DDSURFACEDATA* lpSD, int x, int y, int nKind, int nHighlight);
// The result values of the kinds shown for this stage and play kind, boxed
// at (x, y), with a marker on each kind that entered its table
// (anRankPos[k] not -1).
void DrawResultPanel(DDSURFACEDATA* lpSD, int x, int y, const int32_t anRankPos[RANK_TABLE_COUNT]);

// Which kinds the result panel shows: the stage's ranking switch of the
// kind, and unless the stage was named at start-up the play kind's flag of
// it as well. The number shown.
int ShownResultKinds(bool abShown[RANK_TABLE_COUNT]);
// The five result values of g_Progress in kind order.
int32_t ResultValueOf(int nKind);
