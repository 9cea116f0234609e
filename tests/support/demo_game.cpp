#include "tests/support/demo_game.h"

#include <cstdio>
#include <utility>

#include "platform/text_cp932.h"
#include "records/flow_enums.h"
#include "tests/support/demo_music.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/project_builder.h"

namespace {

constexpr uint8_t CHARA_TYPE_OTHER = 1;  // any type but 0 (the player)
constexpr uint8_t SIDE_PLAYER = 0;
constexpr uint8_t SIDE_ENEMY = 1;
constexpr uint8_t SIDE_GOAL = 2;
constexpr uint8_t MOVETYPE_NO_GRAVITY = 1;
// Hit groups: objects of one group never hit each other, so the enemies'
// shots spare the enemies and the hero's spare the hero.
constexpr uint8_t GROUP_HERO = 0;
constexpr uint8_t GROUP_ENEMY = 1;
constexpr uint8_t GROUP_SCENERY = 2;
// A defence no attack gets through: the lift and the goal cannot be shot.
constexpr uint32_t DEFENCE_UNHARMED = 999999;
// Takes off the strongest knock-back there is (20): nothing pushes it.
constexpr uint8_t KNOCKBACK_GUARD_ALL = 20;

// Direction codes of a move used unchanged: 2 left, 3 right; code 0 is the
// chara's front.
constexpr uint8_t MOVEDIR_FRONT = 0;
constexpr uint8_t MOVEDIR_LEFT = 2;
constexpr uint8_t MOVEDIR_RIGHT = 3;

cEdCommand ForwardShot(int nSpeedTenths, int nTenthsOfSecond) {
  cEdCommand c = MakeFlowCommand(FlowCommandKind::Shot, nTenthsOfSecond);
  NewEdShot(c.m_pShot);
  cEdShot& s = *c.m_pShot;
  s.m_cCount = 1;
  s.m_byPattern = 0;
  s.m_byDirMode = 0;
  s.m_cSize = 1;
  s.m_nSpeed = static_cast<int16_t>(nSpeedTenths);
  s.m_nAttack = 1;
  s.m_byImpact = 1;
  s.m_byOwnerGroup = 1;
  return c;
}

cEdChara Hero() {
  cEdChara c;
  c.m_strText = Sjis("主人公");
  c.m_nType = 0;
  c.m_nSide = SIDE_PLAYER;
  c.m_nGroup = GROUP_HERO;
  c.m_nImageIndex = 1;
  c.m_nMaxHp = 3;
  c.m_nAttack = 1;
  c.m_nScale = 1;
  // Walk 2 pixels a frame while a direction is held; each run lasts a
  // tenth of a second and starts again while the key stays down.
  // The walks take the trigger mode that tests the keys afresh every frame;
  // the other mode starts a flow only once per press.
  for (auto [nKey, byDir] : {std::pair{DEMOKEY_RIGHT, MOVEDIR_RIGHT}, std::pair{DEMOKEY_LEFT, MOVEDIR_LEFT}}) {
    cEdFlow walk = MakeKeyFlow(MakeHeldKey(nKey), MakeStraightMove(byDir, 20, 1));
    walk.m_byTriggerMode = 1;
    c.m_vecFlow.push_back(walk);
  }
  // The key-controlled jump: held longer, higher, up to 5 half cells.
  cEdCommand jump = MakeFlowCommand(FlowCommandKind::Jump, 5);
  jump.m_vParam[0] = 1;  // the key decides the hold
  jump.m_vParam[2] = 5;
  c.m_vecFlow.push_back(MakeKeyFlow(MakeHeldKey(DEMOKEY_BUTTON1), jump));
  // One shot forward per press, 6 pixels a sub-step.
  c.m_vecFlow.push_back(MakeKeyFlow(MakePressedKey(DEMOKEY_BUTTON2), ForwardShot(60, 1)));
  return c;
}

cEdChara Enemy(const char* pszName, uint16_t nPicture) {
  cEdChara c;
  c.m_strText = Sjis(pszName);
  c.m_nType = CHARA_TYPE_OTHER;
  c.m_nSide = SIDE_ENEMY;
  c.m_nGroup = GROUP_ENEMY;
  c.m_nImageIndex = nPicture;
  c.m_nMaxHp = 1;
  c.m_nAttack = 1;
  c.m_nScore = 100;
  c.m_nScale = 1;
  return c;
}

cEdChara Walker() {
  cEdChara c = Enemy("歩く敵", 2);
  c.m_vecFlow.push_back(MakeWalkerFlow());
  return c;
}

cEdChara Shooter() {
  cEdChara c = Enemy("撃つ敵", 3);
  c.m_nMaxHp = 2;
  c.m_nScore = 200;
  cEdFlow flow;
  flow.m_byTrigger = FlowTrigger::Always;
  flow.m_vecCommand.push_back(MakeFlowCommand(FlowCommandKind::Wait, 20));
  flow.m_vecCommand.push_back(ForwardShot(30, 1));
  c.m_vecFlow.push_back(flow);
  return c;
}

// Its shots leave within 30 degrees of straight ahead, at random.
cEdChara Scatter() {
  cEdChara c = Enemy("ばらまく敵", 3);
  c.m_nMaxHp = 2;
  c.m_nScore = 300;
  cEdCommand shot = ForwardShot(30, 1);
  shot.m_pShot->m_nSpread = 30;
  cEdFlow flow;
  flow.m_byTrigger = FlowTrigger::Always;
  flow.m_vecCommand.push_back(MakeFlowCommand(FlowCommandKind::Wait, 10));
  flow.m_vecCommand.push_back(shot);
  c.m_vecFlow.push_back(flow);
  return c;
}

cEdChara Lift() {
  cEdChara c;
  c.m_strText = Sjis("動く床");
  c.m_nType = CHARA_TYPE_OTHER;
  c.m_nSide = SIDE_PLAYER;
  c.m_nImageIndex = 4;
  c.m_nGroup = GROUP_SCENERY;
  c.m_nDefence = DEFENCE_UNHARMED;
  c.m_bBlockChara = 1;
  c.m_nMoveType = MOVETYPE_NO_GRAVITY;
  c.m_nScale = 1;
  c.m_nMaxHp = 1;
  // Three cells right at 1 pixel a frame (1.6 s), then back.
  cEdFlow flow;
  flow.m_byTrigger = FlowTrigger::Always;
  flow.m_vecCommand.push_back(MakeStraightMove(MOVEDIR_RIGHT, 10, 16));
  flow.m_vecCommand.push_back(MakeStraightMove(MOVEDIR_LEFT, 10, 16));
  c.m_vecFlow.push_back(flow);
  return c;
}

cEdChara Goal() {
  cEdChara c;
  c.m_strText = Sjis("ゴール");
  c.m_nType = CHARA_TYPE_OTHER;
  // A hit group (side) of its own, so touching the hero raises HitChara;
  // no attack.
  c.m_nSide = SIDE_GOAL;
  c.m_nImageIndex = 5;
  c.m_nGroup = GROUP_SCENERY;
  c.m_nDefence = DEFENCE_UNHARMED;
  // Touching it is the only way to clear: the hero's shots must not push
  // it off its cell and out of reach at the stage's end.
  c.m_nKnockBackGuard = KNOCKBACK_GUARD_ALL;
  c.m_nMoveType = MOVETYPE_NO_GRAVITY;
  c.m_nScale = 1;
  c.m_nMaxHp = 1;
  cEdFlow flow;
  flow.m_byTrigger = FlowTrigger::HitChara;
  cEdCommand clear = MakeFlowCommand(FlowCommandKind::StageClear);
  clear.m_vParam[0] = 0;  // "次のステージへ"
  flow.m_vecCommand.push_back(clear);
  c.m_vecFlow.push_back(flow);
  return c;
}

// An item that adds nValue to system status nSystem (3 score, 4 lives).
cEdItem StatusItem(const char* pszName, uint16_t nPicture, int nSystem, int nValue) {
  cEdItem it;
  it.m_strText = Sjis(pszName);
  it.m_nImageIndex = nPicture;
  it.m_nScale = 1;
  it.m_nSound = 1;
  cEdCommand add = MakeItemCommand(ItemCommandKind::StatusOp);
  if (add.m_vParam.size() >= 8) {
    add.m_vParam[0] = 0;  // a status
    add.m_vParam[3] = 2;  // of the system
    add.m_vParam[4] = nSystem;
    add.m_vParam[5] = AssignOp::Add;
    add.m_vParam[6] = ValueSource::Constant;
    add.m_vParam[7] = nValue;
  }
  it.m_vecCommand.push_back(add);
  return it;
}

cEdBlock Block(const char* pszName, uint16_t nPicture) {
  cEdBlock b;
  b.m_strText = Sjis(pszName);
  b.m_nImageIndex = nPicture;
  b.m_nHitKind = BLOCKHIT_SOLID;
  return b;
}

// Placements copy their common-palette entry and inherit every group of it.
void PlaceBlock(cEdStage& st, const cEdCommonPalette& pal, int nIndex, int x, int y) {
  cEdBlock b = pal.m_vecBlock[static_cast<size_t>(nIndex)];
  b.m_nColumn = static_cast<uint16_t>(x);
  b.m_nRow = static_cast<uint16_t>(y);
  b.m_nInheritSource = PALETTE_COMMON;
  b.m_nInheritIndex = static_cast<uint16_t>(nIndex);
  b.m_vecInherit.assign(BLOCK_INHERIT_GROUPS, 1);
  st.m_vecBlock.push_back(b);
}

void PlaceChara(cEdStage& st, const cEdCommonPalette& pal, int nIndex, int x, int y) {
  cEdChara c = pal.m_vecChara[static_cast<size_t>(nIndex)];
  c.m_nColumn = static_cast<uint16_t>(x);
  c.m_nRow = static_cast<uint16_t>(y);
  c.m_nTemplateSource = PALETTE_COMMON;
  c.m_nTemplateIndex = static_cast<uint16_t>(nIndex);
  c.m_vecInherit.assign(CHARA_INHERIT_GROUPS, 1);
  st.m_vecChara.push_back(c);
}

void PlaceItem(cEdStage& st, const cEdCommonPalette& pal, int nIndex, int x, int y) {
  cEdItem it = pal.m_vecItem[static_cast<size_t>(nIndex)];
  it.m_nColumn = static_cast<uint16_t>(x);
  it.m_nRow = static_cast<uint16_t>(y);
  it.m_nInheritSource = PALETTE_COMMON;
  it.m_nInheritIndex = static_cast<uint16_t>(nIndex);
  it.m_vecInherit.assign(ITEM_INHERIT_GROUPS, 1);
  st.m_vecItem.push_back(it);
}

struct SPAN {
  int nFrom, nTo;  // columns, both included
};

}  // namespace

cEdCommonPalette MakeDemoCommonPalette() {
  cEdCommonPalette pal;
  pal.m_vecBlock.resize(1);
  pal.m_vecBlock.push_back(Block("地面", 1));
  pal.m_vecBlock.push_back(Block("壁", 2));
  pal.m_vecChara.resize(1);
  pal.m_vecChara.push_back(Hero());
  pal.m_vecChara.push_back(Walker());
  pal.m_vecChara.push_back(Shooter());
  pal.m_vecChara.push_back(Lift());
  pal.m_vecChara.push_back(Goal());
  pal.m_vecChara.push_back(Scatter());
  pal.m_vecItem.resize(1);
  pal.m_vecItem.push_back(StatusItem("コイン", 1, 3, 50));
  pal.m_vecItem.push_back(StatusItem("ハート", 2, 4, 1));
  return pal;
}

cEdStage MakeDemoStage(int nStage) {
  const cEdCommonPalette pal = MakeDemoCommonPalette();
  const bool bFirst = nStage != 2;
  cEdStage st;
  st.m_strText = Sjis(bFirst ? "はじまりの丘" : "とりでの道");
  st.m_nWidth = bFirst ? 40 : 50;
  st.m_nHeight = 15;
  st.m_bTimeLimit = 1;
  st.m_nTimeLimit = DEMO_TIME_LIMIT;
  st.m_nWarningTime = 30;
  st.m_nBgm = 1;
  st.m_vecBackground.push_back(cEdBackground());
  const int nGround = static_cast<int>(st.m_nHeight) - 2;  // rows 13 and 14
  const int nStand = nGround - 1;                          // where charas stand

  // Ground in spans; the gaps between them fall to the bottom of the stage.
  // Two-cell gaps are jumped; the three-cell gap of stage 2 needs the lift.
  const std::vector<SPAN> vGround = bFirst ? std::vector<SPAN>{{0, 11}, {14, 24}, {27, 39}}
                                           : std::vector<SPAN>{{0, 9}, {13, 29}, {32, 49}};
  for (const SPAN& s : vGround)
    for (int x = s.nFrom; x <= s.nTo; ++x)
      for (int y = nGround; y < static_cast<int>(st.m_nHeight); ++y) PlaceBlock(st, pal, DEMOBLOCK_GROUND, x, y);
  // A wall two cells high to jump over, and (stage 2) a step up to a ledge.
  const int nWallX = bFirst ? 19 : 22;
  for (int y = nStand - 1; y <= nStand; ++y) PlaceBlock(st, pal, DEMOBLOCK_WALL, nWallX, y);
  if (!bFirst)
    for (int x = 40; x <= 43; ++x) PlaceBlock(st, pal, DEMOBLOCK_WALL, x, nStand - 2);

  PlaceChara(st, pal, DEMOCHARA_HERO, 2, nStand);
  if (bFirst) {
    PlaceChara(st, pal, DEMOCHARA_WALKER, 8, nStand);
    // The lift glides one cell above the standing row: a jump reaches it.
    PlaceChara(st, pal, DEMOCHARA_LIFT, 11, nStand - 1);
    PlaceChara(st, pal, DEMOCHARA_SHOOTER, 32, nStand);
    PlaceChara(st, pal, DEMOCHARA_GOAL, 38, nStand);
    // Coins in the hero's path, the heart on top of the wall.
    for (int x = 5; x <= 7; ++x) PlaceItem(st, pal, DEMOITEM_COIN, x, nStand);
    PlaceItem(st, pal, DEMOITEM_HEART, nWallX, nStand - 2);
  } else {
    PlaceChara(st, pal, DEMOCHARA_WALKER, 6, nStand);
    PlaceChara(st, pal, DEMOCHARA_LIFT, 9, nStand - 1);
    PlaceChara(st, pal, DEMOCHARA_WALKER, 17, nStand);
    // Across the gap from the hero's side, in view once the hero nears it.
    PlaceChara(st, pal, DEMOCHARA_SCATTER, 15, nStand);
    PlaceChara(st, pal, DEMOCHARA_SHOOTER, 27, nStand);
    PlaceChara(st, pal, DEMOCHARA_SHOOTER, 42, nStand - 3);  // on the ledge
    PlaceChara(st, pal, DEMOCHARA_GOAL, 48, nStand);
    for (int x = 14; x <= 16; ++x) PlaceItem(st, pal, DEMOITEM_COIN, x, nStand - 1);
    PlaceItem(st, pal, DEMOITEM_HEART, 40, nStand - 3);
  }
  return st;
}

void SetDemoGame(cProjectBuilder& builder) {
  builder.m_CommonPalette = MakeDemoCommonPalette();
  builder.m_Stage1 = MakeDemoStage(1);
  builder.m_Stage2 = MakeDemoStage(2);
}

bool BuildDemoProject(cProjectBuilder& builder) {
  builder.m_System.m_strTitle = Sjis("タルボリン デモ");
  // The menu is drawn with the game's font: the demo ships no label strip.
  builder.m_System.m_bTitleMenuCentred = 0;
  // A 256-colour game: palette pictures, with the palette animation on.
  builder.m_bPalettePictures = true;
  builder.m_System.m_bPaletteCycle = 1;
  // A tone for each system sound, so that the menus are heard.
  for (int i = 0; i < static_cast<int>(builder.m_System.m_vecSystemSoundFile.size()); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "wave\\se%02d.wav", i);
    builder.m_System.m_vecSystemSoundFile[i] = name;
  }
  // An extra life for every 300 points, counted when a stage is cleared.
  builder.m_System.m_bExtendOn = 1;
  builder.m_System.m_nExtendScore = DEMO_EXTEND_SCORE;
  // The game first: the music names the stages' piece in the stages it
  // finds, which the game would otherwise replace.
  SetDemoGame(builder);
  SetDemoMusic(builder);
  return builder.Build() && WriteDemoMusic(builder);
}
