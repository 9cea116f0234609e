// Message commands of a real chara in a running stage: a stopping message
// freezes play in the frozen-frame thread until the advance key, with its
// text laid out in the text list while the frames are presented; messages
// in a row share one window; numbered messages are replaced and taken
// down; a message that does not stop the game stays while play goes on.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "play/message_text.h"
#include "records/database.h"
#include "tests/play/flow_stage_fixture.h"

namespace {

std::vector<int> s_vSounds;
std::atomic<int> s_nFrozen{0};
int s_nKeyAt = 15;  // the frozen frame whose keys press the advance key
// What the presented frozen frames showed: the text count and the last
// text's laid-out words and size.
struct SEEN {
  size_t nTexts;
  std::string strText;
  int nWidth, nHeight;
};
std::vector<SEEN> s_vSeen;

cEdCommand MessageCommand(const std::string& strText, int nDuration, int bStop, int nNumber = 0, int bTakeDown = 0) {
  cEdCommand c = MakeFlowCommand(FlowCommandKind::Message);
  c.m_strText = strText;
  c.m_vParam[0] = 0;
  c.m_vParam[6] = nDuration;
  c.m_vParam[7] = 10;
  c.m_vParam[8] = bStop;
  c.m_vParam[12] = nNumber != 0;
  c.m_vParam[13] = nNumber;
  c.m_vParam[15] = bTakeDown;
  return c;
}

class FlowMessageStage : public cFlowStageTest {
 protected:
  void SetUp() override {
    cFlowStageTest::SetUp();
    s_vSounds.clear();
    s_vSeen.clear();
    s_nFrozen = 0;
    s_nKeyAt = 15;
    g_PlayLinks.pfnPlaySound = [](int n) { s_vSounds.push_back(n); };
    g_StageLinks.pfnFrozenFrameStart = [](PLAYERKEYS& keys) -> BOOL {
      keys = PLAYERKEYS{};
      if (++s_nFrozen % 100 == s_nKeyAt) keys.wHeld = keys.wPressed = PLAYERKEY_DECIDE;
      return TRUE;
    };
    g_StageLinks.pfnPresent = [] {
      SEEN s{g_lstText.size(), "", 0, 0};
      if (!g_lstText.empty()) {
        s.strText = g_lstText.back().strWork;
        s.nWidth = g_lstText.back().nWidth;
        s.nHeight = g_lstText.back().nHeight;
      }
      s_vSeen.push_back(s);
    };
  }
  // A chara in view whose Always flow runs the commands, then waits.
  cSceneStage& PlayFlow(std::initializer_list<cEdCommand> cmds) {
    m_Stage.m_vecChara.push_back(PlacedAt(WaitingFlowChara(cmds), 13, 13));
    return Play();
  }
  static int Count(int nSound) { return static_cast<int>(std::count(s_vSounds.begin(), s_vSounds.end(), nSound)); }
};

TEST_F(FlowMessageStage, AStoppingMessageFreezesPlayUntilTheAdvanceKey) {
  cSceneStage& s = PlayFlow({MessageCommand("HELLO", 0, 1)});
  const uint32_t nFrame = s.m_nPlayFrame;
  s_vSounds.clear();
  s.Update();
  // One play frame; the frozen frames until the key (the first ten ignore
  // it, so that a key still held from play does not close the window).
  EXPECT_EQ(s.m_nPlayFrame, nFrame + 1);
  ASSERT_EQ(s_vSeen.size(), 14u);
  for (const SEEN& seen : s_vSeen) {
    EXPECT_EQ(seen.nTexts, 1u);
    EXPECT_EQ(seen.strText, "HELLO");
    EXPECT_GT(seen.nWidth, 0);
    EXPECT_GT(seen.nHeight, 0);
  }
  // The window opened with system sound 11; the message is gone after.
  EXPECT_EQ(Count(11), 1);
  EXPECT_TRUE(g_lstText.empty());
  s_vSeen.clear();
  s.Update();
  EXPECT_TRUE(s_vSeen.empty());
  EXPECT_EQ(s.m_nState, STAGESTATE_PLAY);
}

TEST_F(FlowMessageStage, MessagesInARowShareOneWindowAndAWaitBetweenOpensANewOne) {
  struct CASE {
    const char* pszWhat;
    std::vector<cEdCommand> cmds;
    int nOpenSounds;
  } cases[] = {
      {"in a row", {MessageCommand("ONE", 0, 1), MessageCommand("TWO", 0, 1)}, 1},
      {"a wait between",
       {MessageCommand("ONE", 0, 1), MakeFlowCommand(FlowCommandKind::Wait, 1), MessageCommand("TWO", 0, 1)},
       2},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    TearDown();
    SetUp();
    const cEdChara e = WaitingFlowChara(c.cmds);
    m_Stage.m_vecChara.push_back(PlacedAt(e, 13, 13));
    cSceneStage& s = Play();
    s_vSounds.clear();
    for (int i = 0; i < 12; ++i) s.Update();
    EXPECT_EQ(Count(11), c.nOpenSounds);
    // Both texts were shown, each alone in the list.
    bool bOne = false, bTwo = false;
    for (const SEEN& seen : s_vSeen) {
      EXPECT_EQ(seen.nTexts, 1u);
      bOne = bOne || seen.strText == "ONE";
      bTwo = bTwo || seen.strText == "TWO";
    }
    EXPECT_TRUE(bOne && bTwo);
    EXPECT_TRUE(g_lstText.empty());
  }
}

TEST_F(FlowMessageStage, NumberedMessagesAreReplacedAndTakenDownWhilePlayGoesOn) {
  cSceneStage& s = PlayFlow({MessageCommand("FIRST", 1, 0, 3), MessageCommand("SECOND TEXT", 1, 0, 3),
                             MessageCommand("OTHER", 1, 0), MessageCommand("", 1, 0, 0, 1),
                             MessageCommand("", 1, 0, 3, 1)});
  auto Texts = [] {
    std::vector<std::string> v;
    for (const TEXTOBJ& t : g_lstText) v.push_back(t.strWork);
    return v;
  };
  const uint32_t nFrame = s.m_nPlayFrame;
  s.Update();
  EXPECT_EQ(Texts(), std::vector<std::string>{"FIRST"});
  s.Update();
  EXPECT_EQ(Texts(), std::vector<std::string>{"SECOND TEXT"});
  s.Update();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"SECOND TEXT", "OTHER"}));
  s.Update();  // unnumbered take-down: nothing
  EXPECT_EQ(Texts(), (std::vector<std::string>{"SECOND TEXT", "OTHER"}));
  s.Update();
  EXPECT_EQ(Texts(), std::vector<std::string>{"OTHER"});
  // None of them stopped the game.
  EXPECT_TRUE(s_vSeen.empty());
  EXPECT_EQ(s.m_nPlayFrame, nFrame + 5);
}

}  // namespace

namespace {

TEST_F(FlowMessageStage, ADefeatedCharasLastWordsFreezePlayWithoutFreeingIt) {
  // The chara takes its own last HP; its Died flow stops the game with a
  // message. The frozen frames draw the stage with the defeated chara still
  // in the list, and the chara must outlive its own flow.
  cEdChara e = FlowChara({MakeHpCommand(0, 2, 100)});
  e.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Died, {MessageCommand("FAREWELL", 0, 1)}));
  m_Stage.m_vecChara.push_back(PlacedAt(e, 13, 13));
  cSceneStage& s = Play();
  for (int i = 0; i < 5; ++i) s.Update();
  bool bSeen = false;
  for (const SEEN& seen : s_vSeen) bSeen = bSeen || seen.strText == "FAREWELL";
  EXPECT_TRUE(bSeen);
  EXPECT_TRUE(g_lstText.empty());
  EXPECT_TRUE(g_lstChara.empty());
  EXPECT_EQ(s.m_nState, STAGESTATE_PLAY);
}

}  // namespace

namespace {

TEST_F(FlowMessageStage, ATextThatRunsOutDuringTheFreezeLeavesTheWaitingMessageToBeTakenDown) {
  // A message shown for 6 frames that counts while the game stops, then a
  // stopping message: the first runs out in the frozen frames, before the
  // key takes the second one down.
  cEdCommand timed = MessageCommand("SHORT", 2, 0);
  timed.m_vParam[7] = 1;
  timed.m_vParam[14] = 1;
  cSceneStage& s = PlayFlow({timed, MessageCommand("WAIT", 0, 1)});
  s.Update();
  s.Update();
  ASSERT_GE(s_vSeen.size(), 10u) << "the game did not stop";
  EXPECT_EQ(s_vSeen.back().strText, "WAIT");
  s.Update();
  std::vector<std::string> vLeft;
  for (const TEXTOBJ& t : g_lstText) vLeft.push_back(t.strWork);
  EXPECT_TRUE(vLeft.empty()) << vLeft.size() << " texts left, the first " << (vLeft.empty() ? "" : vLeft[0]);
}

}  // namespace

namespace {

TEST_F(FlowMessageStage, AnEffectThatIsWaitedForFreezesPlayWhileItPlaysOut) {
  // Frames of 0.1 and 0.2 seconds: 18 frozen frames.
  g_Database = cEdDatabase();
  g_Database.m_vecEffect.resize(2);
  for (int t : {1, 2}) {
    cEdEffectFrame f = cEdEffectFrame::MakeDefault();
    f.nTime = t;
    g_Database.m_vecEffect[1].m_vecFrame.push_back(f);
  }
  cEdCommand effect = MakeFlowCommand(FlowCommandKind::RunEffect);
  effect.m_vParam[0] = 1;
  effect.m_vParam[6] = 100;
  effect.m_vParam[7] = 1;
  cSceneStage& s = PlayFlow({effect});
  const uint32_t nFrame = s.m_nPlayFrame;
  s.Update();
  EXPECT_EQ(s.m_nPlayFrame, nFrame + 1);
  EXPECT_EQ(s_vSeen.size(), 18u);
  // It ran in the frozen frames and is over.
  EXPECT_TRUE(s.m_lstHitEffect.empty());
  g_Database = cEdDatabase();
}

}  // namespace

namespace {

TEST_F(FlowMessageStage, AStoppingMessageShownUntilTheStageEndsWaitsAsTheWaitBeforeAndIsTakenDown) {
  // Nothing is armed for it: after a message that waited for the key, it
  // waits for the key again; as the stage's first wait, whose count is
  // spent, it ends at once. Either way it is gone afterwards and play goes
  // on.
  struct CASE {
    const char* pszWhat;
    std::vector<cEdCommand> cmds;
    size_t nFrozen;  // frames presented with it on screen
  } cases[] = {
      {"after a key wait",
       {MessageCommand("KEY", 0, 1), MakeFlowCommand(FlowCommandKind::Wait, 1), MessageCommand("TO THE END", 1, 1)},
       99},
      {"first", {MessageCommand("TO THE END", 1, 1)}, 0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    TearDown();
    SetUp();
    m_Stage.m_vecChara.push_back(PlacedAt(WaitingFlowChara(c.cmds), 13, 13));
    cSceneStage& s = Play();
    const uint32_t nFrame = s.m_nPlayFrame;
    const int kFrames = 12;
    for (int i = 0; i < kFrames; ++i) s.Update();
    EXPECT_EQ(s.m_nPlayFrame, nFrame + kFrames);
    EXPECT_EQ(std::count_if(s_vSeen.begin(), s_vSeen.end(), [](const SEEN& v) { return v.strText == "TO THE END"; }),
              static_cast<long>(c.nFrozen));
    EXPECT_TRUE(g_lstText.empty());
    EXPECT_EQ(s.m_nState, STAGESTATE_PLAY);
  }
}

}  // namespace
