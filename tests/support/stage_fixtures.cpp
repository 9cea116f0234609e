#include "tests/support/stage_fixtures.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "records/flow_enums.h"
#include "platform/file_system.h"
#include "platform/text_cp932.h"
#include "tests/support/flow_fixtures.h"

namespace {

cEdBlock PaletteBlock(const char* pszName, uint16_t nPicture, uint8_t nHit) {
  cEdBlock b;
  b.m_strText = Sjis(pszName);
  b.m_nImageIndex = nPicture;
  b.m_nHitKind = nHit;
  return b;
}

cEdChara PlayerChara() {
  cEdChara c;
  c.m_strText = Sjis("主人公");
  c.m_nType = 0;
  c.m_nSide = 0;
  c.m_nImageIndex = 1;
  c.m_nMaxHp = 3;
  c.m_vecFlow.push_back(MakeJumpOnKeyFlow());
  return c;
}

cEdChara EnemyChara() {
  cEdChara c;
  c.m_strText = Sjis("敵");
  c.m_nImageIndex = 16;
  c.m_nAttack = 1;
  c.m_nScore = 100;
  c.m_vecFlow = MakeEnemyFlows();
  return c;
}

cEdItem CoinItem() {
  cEdItem it;
  it.m_strText = Sjis("コイン");
  it.m_nImageIndex = 1;
  it.m_nSound = 1;
  it.m_vecCommand.push_back(MakeItemCommand(ItemCommandKind::StatusOp));
  return it;
}

// Runs fn with `value` standing in for `global`, then puts the global back.
template <class T, class F>
auto WithStandIn(T& global, T& value, F fn) {
  if (&global == &value) return fn();
  T saved = std::move(global);
  global = value;
  auto r = fn();
  value = global;
  global = std::move(saved);
  return r;
}

void MakeParentFolder(const std::string& gamePath) {
  std::filesystem::path p(ResolvePath(gamePath));
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
}

class cVersionScope {
 public:
  explicit cVersionScope(int v) : m_nSaved(g_nCurDataVersion) { g_nCurDataVersion = v; }
  ~cVersionScope() { g_nCurDataVersion = m_nSaved; }

 private:
  int32_t m_nSaved;
};

}  // namespace

cEdCommonPalette MakeFixtureCommonPalette() {
  cEdCommonPalette pal;
  pal.m_vecBlock.resize(1);
  pal.m_vecBlock.push_back(PaletteBlock("地面", 1, BLOCKHIT_SOLID));
  pal.m_vecBlock.push_back(PaletteBlock("トゲ", 2, BLOCKHIT_DEADLY));
  cEdBlock box = PaletteBlock("アイテムブロック", 3, BLOCKHIT_SOLID);
  box.m_nItemSource = PALETTE_COMMON;
  box.m_nItemIndex = 1;
  pal.m_vecBlock.push_back(box);

  pal.m_vecChara.resize(1);
  pal.m_vecChara.push_back(PlayerChara());
  pal.m_vecChara.push_back(EnemyChara());

  pal.m_vecItem.resize(1);
  pal.m_vecItem.push_back(CoinItem());
  cEdItem heart;
  heart.m_strText = Sjis("ハート");
  heart.m_nImageIndex = 2;
  heart.m_nPickup = ITEMPICKUP_REPEAT;
  pal.m_vecItem.push_back(heart);
  return pal;
}

cEdStage MakeFixtureStage(uint32_t nWidth, uint32_t nHeight) {
  cEdStage st;
  st.m_strText = Sjis("テストステージ");
  st.m_nWidth = nWidth;
  st.m_nHeight = nHeight;
  st.m_bTimeLimit = 1;
  st.m_nTimeLimit = 300;
  st.m_nBgm = 1;

  st.m_vecPaletteBlock.push_back(PaletteBlock("レンガ", 5, BLOCKHIT_SOLID));
  cEdChara guard = EnemyChara();
  guard.m_strText = Sjis("見張り");
  guard.m_nMaxHp = 5;
  st.m_vecPaletteChara.push_back(guard);
  cEdItem key;
  key.m_strText = Sjis("カギ");
  key.m_nImageIndex = 3;
  st.m_vecPaletteItem.push_back(key);

  for (uint32_t x = 0; x < nWidth; ++x) {
    // The ground block's own values equal those it inherits.
    cEdBlock b = PaletteBlock("地面", 1, BLOCKHIT_SOLID);
    b.m_nColumn = static_cast<uint16_t>(x);
    b.m_nRow = static_cast<uint16_t>(nHeight - 1);
    b.m_nInheritSource = PALETTE_COMMON;
    b.m_nInheritIndex = 1;
    b.m_vecInherit.assign(BLOCK_INHERIT_GROUPS, 1);
    st.m_vecBlock.push_back(b);
  }
  cEdChara player = PlayerChara();
  player.m_nColumn = 2;
  player.m_nRow = static_cast<uint16_t>(nHeight - 3);
  st.m_vecChara.push_back(player);
  cEdChara enemy = EnemyChara();
  enemy.m_nColumn = 10;
  enemy.m_nRow = static_cast<uint16_t>(nHeight - 3);
  enemy.m_nTemplateSource = PALETTE_COMMON;
  enemy.m_nTemplateIndex = 2;
  enemy.m_nPlacementValue = 7;
  st.m_vecChara.push_back(enemy);
  cEdItem coin = CoinItem();
  coin.m_nColumn = 6;
  coin.m_nRow = static_cast<uint16_t>(nHeight - 4);
  st.m_vecItem.push_back(coin);

  st.m_vecBackground.push_back(cEdBackground());
  st.m_vecBackground[1].m_strFile = "bmp\\Back1.bmp";
  st.m_vecBackground[1].m_bAutoX = 1;
  st.m_vecBackground[1].m_dRateX = 0.5;
  st.m_vecText.resize(1);
  st.m_vecText[0].m_strText = Sjis("はじまり");
  return st;
}

cEdStage MakeLargeStage(uint32_t nWidth, uint32_t nHeight, int nBlocks, int nCharas, int nItems) {
  cEdStage st;
  st.m_nWidth = nWidth;
  st.m_nHeight = nHeight;
  st.m_vecPaletteBlock.push_back(PaletteBlock("レンガ", 5, BLOCKHIT_SOLID));
  st.m_vecBlock.reserve(static_cast<size_t>(nBlocks));
  for (int i = 0; i < nBlocks; ++i) {
    cEdBlock b = PaletteBlock("", static_cast<uint16_t>(1 + i % 30), BLOCKHIT_SOLID);
    b.m_nColumn = static_cast<uint16_t>(static_cast<uint32_t>(i) % nWidth);
    b.m_nRow = static_cast<uint16_t>(nHeight - 1 - static_cast<uint32_t>(i) / nWidth % nHeight);
    st.m_vecBlock.push_back(b);
  }
  const cVector<cEdFlow> flows = MakeEnemyFlows();
  for (int i = 0; i < nCharas; ++i) {
    cEdChara c = i == 0 ? PlayerChara() : EnemyChara();
    if (i != 0) c.m_vecFlow = flows;
    c.m_nColumn = static_cast<uint16_t>(static_cast<uint32_t>(i * 2) % nWidth);
    c.m_nRow = static_cast<uint16_t>(nHeight / 2);
    st.m_vecChara.push_back(c);
  }
  for (int i = 0; i < nItems; ++i) {
    cEdItem it = CoinItem();
    it.m_nColumn = static_cast<uint16_t>(static_cast<uint32_t>(i * 2 + 1) % nWidth);
    it.m_nRow = static_cast<uint16_t>(nHeight / 3);
    st.m_vecItem.push_back(it);
  }
  return st;
}

BOOL WriteCommonPaletteFile(cEdCommonPalette& pal, int nVersion, const std::string& path) {
  MakeParentFolder(path);
  cVersionScope version(nVersion);
  return WithStandIn(g_CommonPalette, pal, [&] { return g_CommonPalette.SaveToFile(path); });
}

BOOL WriteStageFile(cEdStage& stage, const std::string& path, int nVersion) {
  MakeParentFolder(path);
  cVersionScope version(nVersion);
  return WithStandIn(g_Stage, stage, [&] { return g_Stage.SaveToFile(path); });
}

std::string StageFileBytes(cEdStage& stage, int nVersion) {
  const std::string path = "stage_bytes.tmp";
  if (!WriteStageFile(stage, path, nVersion)) return {};
  std::ifstream f(ResolvePath(path), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  std::filesystem::remove(ResolvePath(path));
  return bytes;
}
