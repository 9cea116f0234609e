#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow/command_executors.h"
#include "flow/flow_runner.h"
#include "records/database.h"
#include "tests/flow/command_harness.h"
#include "tests/support/scoped_override.h"

namespace {

using Log = std::vector<std::string>;

TEST(CommandTable, EveryKindIsBuilt) {
  for (int nKind = 0; nKind < FLOW_COMMAND_KIND_COUNT; ++nKind) EXPECT_NE(g_FlowCommandExec[nKind], nullptr) << nKind;
}

TEST(MediaCommands, EachCommandReachesItsHostOperation) {
  struct CASE {
    const char* pszName;
    int nKind;
    std::vector<int32_t> vParam;
    BOOL bOnScreen;
    Log vChara, vStage;
  } aCase[] = {
      {"sound", FlowCommandKind::PlaySe, {5}, TRUE, {}, {"UM_PLAYSE 21"}},
      {"sound 0", FlowCommandKind::PlaySe, {0}, TRUE, {}, {}},
      {"sound off screen", FlowCommandKind::PlaySe, {5}, FALSE, {}, {}},
      {"music", FlowCommandKind::PlayBgm, {3, 1}, TRUE, {}, {"UM_PLAYBGM 3 loop 1"}},
      {"graphic", FlowCommandKind::ChangeGraphic, {4, 5, 6}, TRUE, {"graphic 4 5 6"}, {}},
      {"anime set", FlowCommandKind::ChangeBaseAnimeSet, {7}, TRUE, {"animeset 7"}, {}},
      {"chara effect", FlowCommandKind::RunCharaEffect, {2, 1, 3}, TRUE, {"charaeffect 2 1 3"}, {}},
      {"screen effect", FlowCommandKind::RunScreenEffect, {2, 1, 3}, TRUE, {}, {"screeneffect 2 1 3"}},
      {"screen colour", FlowCommandKind::ChangeScreenColor, {1, 0, 0, 0, 0, 20}, TRUE, {}, {"screencolor 1 20"}},
      {"item", FlowCommandKind::GetItem, {1, 2}, TRUE, {}, {"item 1 2"}},
      {"item of no palette", FlowCommandKind::GetItem, {5, 2}, TRUE, {}, {}},
      {"effects down", FlowCommandKind::RunEffect, {0}, TRUE, {}, {"effects cleared"}},
  };
  for (const CASE& c : aCase) {
    SCOPED_TRACE(c.pszName);
    cCommandHarness h;
    h.m_Chara.m_bOnScreen = c.bOnScreen;
    h.Begin(MakeCommand(c.nKind, c.vParam));
    EXPECT_EQ(h.Step(), 1);
    EXPECT_EQ(h.m_Chara.m_vLog, c.vChara);
    EXPECT_EQ(h.m_Scope.m_Stage.m_vLog, c.vStage);
  }
}

TEST(MediaCommands, ItemCommandListsRunTheSameExecutors) {
  cCommandHarness h;
  g_FlowContext.m_lpCurFlow = nullptr;  // outside any flow
  cEdCommand se = MakeCommand(FlowCommandKind::PlaySe, {3});
  se.m_byList = 1;
  se.m_byKind = ItemCommandKind::PlaySe;
  ExecListCommand(h.m_Chara, se);
  cEdCommand clear = MakeCommand(FlowCommandKind::StageClear, {1, 6});
  clear.m_byList = 1;
  clear.m_byKind = ItemCommandKind::StageClear;
  ExecListCommand(h.m_Chara, clear);
  cEdCommand warp = MakeCommand(FlowCommandKind::Warp);  // without a move record
  warp.m_byList = 1;
  warp.m_byKind = ItemCommandKind::Warp;
  ExecListCommand(h.m_Chara, warp);
  EXPECT_EQ(h.m_Scope.m_Stage.m_vLog, (Log{"UM_PLAYSE 19"}));
  EXPECT_EQ(h.m_Scope.m_Stage.m_nClearRequest, 1);
  EXPECT_EQ(h.m_Scope.m_Stage.m_nNextStage, 6);
}

TEST(MediaCommands, GetItemKeepsAStageEndAlreadyRequested) {
  cCommandHarness h;
  h.m_Scope.m_Stage.m_nClearRequest = 1;
  h.Begin(MakeCommand(FlowCommandKind::GetItem, {0, 1}));
  h.Step();
  EXPECT_EQ(h.m_Scope.m_Stage.m_nClearRequest, 1);
  h.m_Scope.m_Stage.m_nClearRequest = 0;
  h.m_Scope.m_Stage.m_nItemResult = 1;  // the item's commands clear the stage
  h.Step();
  EXPECT_EQ(h.m_Scope.m_Stage.m_nClearRequest, 1);
}

TEST(MediaCommands, BackgroundLayers) {
  cCommandHarness h;
  h.m_Scope.m_Stage.m_vLayer = {TRUE, FALSE};
  struct CASE {
    int nLayer, nAction;
    std::vector<BOOL> vAfter;
  } aCase[] = {
      {0, 1, {TRUE, FALSE}},  // layers count from 1
      {3, 1, {TRUE, FALSE}},  // beyond the count
      {1, 1, {FALSE, FALSE}}, {2, 0, {FALSE, TRUE}}, {1, 2, {TRUE, TRUE}},
      {1, 2, {FALSE, TRUE}},  {2, 5, {FALSE, TRUE}},
  };
  for (const CASE& c : aCase) {
    SCOPED_TRACE(testing::Message() << c.nLayer << " " << c.nAction);
    h.Begin(MakeCommand(FlowCommandKind::ChangeBackground, {c.nLayer, c.nAction}));
    h.Step();
    EXPECT_EQ(h.m_Scope.m_Stage.m_vLayer, c.vAfter);
  }
}

TEST(MediaCommands, PlacePicture) {
  cCommandHarness h;
  cFakeChara player;
  player.m_dX = 500;
  player.m_dY = 100;
  h.m_Scope.m_Stage.m_pPlayer = &player;
  h.m_Scope.m_Stage.m_adScrollPos[0] = 100;
  h.m_Scope.m_Stage.m_adScrollPos[1] = 50;
  h.m_Scope.m_Stage.m_anFirstCell[0] = 2;
  h.m_Scope.m_Stage.m_anFirstCell[1] = 1;
  h.m_Chara.m_dX = 200;  // box on screen from x 100 (scroll taken off by the fake when set)
  h.m_Chara.m_dScrollX = 100;
  h.m_Chara.m_dY = 80;
  h.m_Chara.m_dScrollY = 50;
  player.m_dScrollX = 100;
  player.m_dScrollY = 50;
  struct CASE {
    int nMode, nCol, nRow, nDX, nDY;
    double dX, dY;
  } aCase[] = {
      {0, 0, 0, 3, -4, 100 + 320 - 16 + 3, 50 + 240 - 12 - 4},
      {1, 0, 0, 0, 0, 100 + 16 + 100 - 16, 30 + 16 + 50 - 12},
      {2, 0, 0, 1, 1, 400 + 16 + 100 - 16 + 1, 50 + 16 + 50 - 12 + 1},
      {3, 2, 1, 5, 0, 64 + 100 + 5, 32 + 50},
      {4, 2, 1, 0, 7, (2 + 2) * 32, (1 + 1) * 32 + 7},
      {9, 2, 1, 0, 0, -1, -1},
  };
  for (const CASE& c : aCase) {
    SCOPED_TRACE(c.nMode);
    double dX = -1, dY = -1;
    PlacePicture(dX, dY, 33, 25, h.m_Chara, c.nMode, c.nCol, c.nRow, c.nDX, c.nDY);
    EXPECT_DOUBLE_EQ(dX, c.dX);
    EXPECT_DOUBLE_EQ(dY, c.dY);
  }
}

class DatabaseCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    g_Database.m_vecEffect.resize(2);
    cEdEffect& e = g_Database.m_vecEffect[1];
    e.nCellWidth = 64;
    e.nCellHeight = 48;
    e.m_vecFrame.resize(2);
    e.m_vecFrame[0].nTime = 3;
    e.m_vecFrame[1].nTime = 5;
    g_Database.m_vecPicture.resize(3);
    g_Database.m_vecPicture[1].strFile = "face.bmp";
    g_Database.m_vecPicture[2].strFile = "missing.bmp";
  }
  // Picture parameters: number, placement mode 0, scale, duration mode,
  // stop flag, numbered flag and number.
  cEdCommand Picture(int nPicture, int nScale, int nMode = 1, int bStop = 0, int bNumbered = 0, int nNumber = 0) {
    return MakeCommand(FlowCommandKind::ShowPicture,
                       {nPicture, 0, 0, 0, 0, 0, 0, nScale, nMode, 10, bStop, 0, bNumbered, nNumber});
  }
  cScopedOverride<cVector<cEdEffect>> m_Effect{g_Database.m_vecEffect};
  cScopedOverride<cVector<cEdPicture>> m_Picture{g_Database.m_vecPicture};
  cScopedOverride<cVector<cEdAnime>> m_Anime{g_Database.m_vecAnime};
  cCommandHarness h;
};

TEST_F(DatabaseCommandTest, EffectIsScaledPlacedAndWaitedFor) {
  h.Begin(MakeCommand(FlowCommandKind::RunEffect, {1, 0, 0, 0, 0, 0, 50, 0}));
  h.Step();
  h.Begin(MakeCommand(FlowCommandKind::RunEffect, {1, 3, 2, 1, 0, 0, 100, 1}));
  h.Step();
  h.Begin(MakeCommand(FlowCommandKind::RunEffect, {1, 0, 0, 0, 0, 0, 0, 1}));  // scale 0
  h.Step();
  h.m_Scope.m_Stage.m_bMessageSkip = TRUE;
  h.Begin(MakeCommand(FlowCommandKind::RunEffect, {0}));
  h.Step();
  EXPECT_EQ(h.m_Scope.m_Stage.m_vLog,
            (Log{"effect 1 at 304,228 32x24 wait 0", "effect 1 at 64,32 64x48 wait 1", "keywait 2 time 48",
                 "pause texts=0 pictures=0"}));
}

TEST_F(DatabaseCommandTest, PicturesShownScaledNumberedAndTakenDown) {
  cFakeStage& st = h.m_Scope.m_Stage;
  st.m_nPictureW = 101;
  st.m_nPictureH = 51;
  h.Begin(Picture(1, 50));
  h.Step();
  ASSERT_EQ(st.m_vPicture.size(), 1u);
  EXPECT_EQ(st.m_vPicture[0].nWidth, 51);
  EXPECT_EQ(st.m_vPicture[0].nHeight, 26);
  EXPECT_EQ(st.m_vPicture[0].nFrames, 60);
  EXPECT_EQ(st.m_vLog, (Log{"load face.bmp scaled"}));

  // Numbered 2 and 3; a new number 2 takes the old one's place.
  h.Begin(Picture(1, 100, 1, 0, 1, 2));
  h.Step();
  h.Begin(Picture(1, 100, 1, 0, 1, 3));
  h.Step();
  h.Begin(Picture(1, 200, 1, 0, 1, 2));
  h.Step();
  ASSERT_EQ(st.m_vPicture.size(), 3u);
  EXPECT_EQ(st.m_vPicture[1].nNumber, 2);
  EXPECT_EQ(st.m_vPicture[1].nWidth, 202);
  EXPECT_EQ(st.m_vPicture[2].nNumber, 3);

  h.Begin(Picture(0, 100, 1, 0, 1, 2));  // number 2 only
  h.Step();
  ASSERT_EQ(st.m_vPicture.size(), 2u);
  EXPECT_EQ(st.m_vPicture[1].nNumber, 3);
  h.Begin(Picture(0, 100));  // all of them
  h.Step();
  EXPECT_TRUE(st.m_vPicture.empty());
}

TEST_F(DatabaseCommandTest, PictureThatStopsTheGame) {
  cFakeStage& st = h.m_Scope.m_Stage;
  h.Begin(Picture(1, 100, 0, 1));
  h.Step();
  h.Begin(Picture(1, 100, 2, 1));
  h.Step();
  // Until the stage ends: nothing is armed, the frozen frames end by the
  // wait armed before, and the picture goes with them.
  h.Begin(Picture(1, 100, 1, 1));
  h.Step();
  EXPECT_EQ(st.m_vLog,
            (Log{"load face.bmp", "keywait 3 key 60", "pause texts=0 pictures=1", "load face.bmp", "keywait 3 time 60",
                 "pause texts=0 pictures=1", "load face.bmp", "pause texts=0 pictures=1"}));
  EXPECT_TRUE(st.m_vPicture.empty());
}

TEST_F(DatabaseCommandTest, PictureThatCannotBeShown) {
  cFakeStage& st = h.m_Scope.m_Stage;
  testing::internal::CaptureStderr();
  for (const cEdCommand& cmd : {Picture(2, 100), Picture(1, 0), Picture(9, 100)}) {
    h.Begin(cmd);
    h.Step();
  }
  std::string strErr = testing::internal::GetCapturedStderr();
  EXPECT_NE(strErr.find("[エラー] missing.bmp 読み込み失敗！"), std::string::npos) << strErr;
  EXPECT_TRUE(st.m_vPicture.empty());
  EXPECT_EQ(st.m_vLog, (Log{"load missing.bmp"}));
}

TEST_F(DatabaseCommandTest, AnimationOutOfRangeIsNotRun) {
  g_Database.m_vecAnime.resize(2);
  h.m_Flow.m_nEffectTag = 4;
  h.Begin(MakeCommand(FlowCommandKind::RunAnime, {1}));
  h.Step();
  h.Begin(MakeCommand(FlowCommandKind::RunAnime, {2}));
  h.Step();
  ASSERT_EQ(h.m_Chara.m_vAnime.size(), 1u);
  EXPECT_EQ(h.m_Chara.m_vAnime[0].nAnime, 1);
  EXPECT_EQ(h.m_Chara.m_vAnime[0].nTag, 4);
}

TEST(CodeCommand, RunsAStatementOnTheChara) {
  cCommandHarness h;
  cEdCommand cmd = MakeCommand(FlowCommandKind::RunCode);
  cmd.m_strText = "v3 = 7 * 6";
  h.Begin(cmd);
  h.Step();
  EXPECT_EQ(h.m_Chara.m_vVar[3], 42);
}

// Message parameters by name; the rest stay 0.
struct MSG {
  int nPlace = 0, nDuration = 0, nTime = 0, bStop = 0, bNumbered = 0, nNumber = 0, bTakeDown = 0;
};
cEdCommand Message(const std::string& text, const MSG& m) {
  std::vector<int32_t> v(17, 0);
  v[0] = m.nPlace;
  v[6] = m.nDuration;
  v[7] = m.nTime;
  v[8] = m.bStop;
  v[12] = m.bNumbered;
  v[13] = m.nNumber;
  v[15] = m.bTakeDown;
  cEdCommand cmd = MakeCommand(FlowCommandKind::Message, v);
  cmd.m_strText = text;
  return cmd;
}

TEST(MessageCommand, NumberedMessagesAreReplacedOrTakenDown) {
  cCommandHarness h;
  cFakeStage& st = h.m_Scope.m_Stage;
  auto run = [&](const cEdCommand& cmd) {
    h.Begin(cmd);
    h.Step();
  };
  run(Message("a", {.nDuration = 1}));
  run(Message("three", {.nDuration = 1, .bNumbered = 1, .nNumber = 3}));
  run(Message("b", {.nDuration = 1}));
  run(Message("THREE", {.nDuration = 1, .bNumbered = 1, .nNumber = 3}));
  ASSERT_EQ(st.m_vText.size(), 3u);
  EXPECT_EQ(st.m_vText[1].strText, "THREE");
  run(Message("", {.bTakeDown = 1}));  // unnumbered: nothing
  run(Message("", {.bNumbered = 1, .nNumber = 5, .bTakeDown = 1}));  // not shown: nothing
  EXPECT_EQ(st.m_vText.size(), 3u);
  run(Message("", {.bNumbered = 1, .nNumber = 3, .bTakeDown = 1}));
  ASSERT_EQ(st.m_vText.size(), 2u);
  EXPECT_EQ(st.m_vText[1].strText, "b");
  st.m_bMessageSkip = TRUE;
  run(Message("skipped", {}));
  EXPECT_EQ(st.m_vText.size(), 2u);
}

TEST(MessageCommand, AnchorIsTheCharaOrPlayerOne) {
  cCommandHarness h;
  cFakeChara player;
  h.m_Scope.m_Stage.m_pPlayer = &player;
  const cFlowChara* apExpected[] = {nullptr, &h.m_Chara, &h.m_Chara, &h.m_Chara, &player, &player, &player, nullptr, nullptr};
  for (int nPlace = 0; nPlace < 9; ++nPlace) {
    h.Begin(Message("x", {.nPlace = nPlace, .nDuration = 1}));
    h.Step();
    EXPECT_EQ(h.m_Scope.m_Stage.m_vText.back().pAnchor, apExpected[nPlace]) << nPlace;
  }
}

TEST(MessageCommand, StoppingMessagesFreezeThroughThePauseThread) {
  cCommandHarness h;
  cFakeStage& st = h.m_Scope.m_Stage;
  // The pause thread sees the text on screen while the game is frozen.
  h.Begin(Message("wait", {.nDuration = 0, .bStop = 1}));
  h.Step();
  h.m_Flow.m_bMessageWait = 1;  // after a message that waited for the key
  h.Begin(Message("more", {.nDuration = 0, .bStop = 1}));
  h.Step();
  h.m_Flow.m_bMessageWait = 0;
  h.Begin(Message("timed", {.nDuration = 2, .nTime = 5, .bStop = 1}));
  h.Step();
  h.Begin(Message("until the end", {.nDuration = 1, .bStop = 1}));
  h.Step();
  // Shown until the stage ends, a stopping message arms nothing and is
  // taken down when the frozen frames end, as every other stopping one.
  EXPECT_EQ(st.m_vLog,
            (Log{"message wait", "keywait 1 key 0", "UM_PLAYSE 11", "pause texts=1 pictures=0", "message more",
                 "keywait 1 key 0 shared", "pause texts=1 pictures=0", "message timed", "keywait 1 time 30",
                 "pause texts=1 pictures=0", "message until the end", "pause texts=1 pictures=0"}));
  EXPECT_TRUE(st.m_vText.empty());
}

TEST(MessageCommand, ConsecutiveKeyMessagesShareOneWindow) {
  // Through the runner: two messages in a row share a window, a wait
  // between them makes the second open a new one.
  cFakeStageScope scope;
  cFakeChara chara;
  cVector<cEdFlow> vFlow(1);
  vFlow[0].m_byTrigger = 19;
  cEdCommand wait = MakeCommand(FlowCommandKind::Wait);
  for (const cEdCommand& c : {Message("one", {}), Message("two", {}), wait, Message("three", {})})
    vFlow[0].m_vecCommand.push_back(c);
  BuildFlowRuns(chara.m_vRun, vFlow, FLOWTIMING{0, 1, 1.0});
  StartFlow(chara, chara.m_vRun[0]);
  for (int i = 0; i < 5; ++i) RunCharaFlows(chara);
  EXPECT_EQ(scope.m_Stage.m_vLog, (Log{"message one", "continue two", "message three"}));
}

}  // namespace
