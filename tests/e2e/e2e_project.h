// A whole project in a folder, for runs of the real program: everything the
// project builder writes, and a stage that clears by itself.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "records/flow_enums.h"
#include "tests/support/demo_game.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

// folder must be the working folder (cTempFolder makes itself so).
inline void WriteE2EProject(const cTempFolder& folder) {
  cProjectBuilder builder(folder.Path());
  ASSERT_TRUE(builder.Build());
}

// The demo's first stage with the hero and the goal alone (the items stay),
// the goal in view from the start: its flow sets the score to nScore (when
// it is not negative), waits 30 and clears the stage, so that a run reaches
// the result without a key. Stages built from the demo's palette follow it.
inline void SetQuickClearStage(cProjectBuilder& builder, int nScore = -1) {
  cEdStage& st = builder.m_Stage1;
  std::erase_if(st.m_vecChara, [](const cEdChara& c) {
    return c.m_nTemplateIndex != DEMOCHARA_HERO && c.m_nTemplateIndex != DEMOCHARA_GOAL;
  });
  cEdFlow flow;
  flow.m_byTrigger = FlowTrigger::Always;
  if (nScore >= 0) {
    // The system's status 3, the score, set to a constant.
    cEdCommand score = MakeFlowCommand(FlowCommandKind::StatusOp);
    score.m_vParam[3] = 2;
    score.m_vParam[4] = 3;
    score.m_vParam[5] = AssignOp::Set;
    score.m_vParam[7] = nScore;
    flow.m_vecCommand.push_back(score);
  }
  flow.m_vecCommand.push_back(MakeFlowCommand(FlowCommandKind::Wait, 30));
  cEdCommand clear = MakeFlowCommand(FlowCommandKind::StageClear);
  clear.m_vParam[0] = 0;
  flow.m_vecCommand.push_back(clear);
  builder.m_CommonPalette.m_vecChara[DEMOCHARA_GOAL].m_vecFlow = {flow};
  // Charas out of view do not run their flows.
  for (cEdChara& c : st.m_vecChara)
    if (c.m_nTemplateIndex == DEMOCHARA_GOAL) c.m_nColumn = 12;
}
