// The settings of a new project, and the static tables of face names and
// colour-mode labels.
#include <string>
#include <vector>

#include "platform/text_cp932.h"
#include "records/system.h"

namespace {

const char* const kTextsUtf8[28] = {
    "ワールド",
    "ステージ",
    "スコア",
    "ハイスコア",
    "トータルスコア",
    "スコア",
    "残り時間",
    "クリア時間",
    "残りHP",
    "残りSP",
    "ステージに挑む",
    "やっぱりやめる",
    "セーブする",
    "やっぱりやめる",
    "オートセーブＯＮ",
    "オートセーブＯＦＦ",
    "保存先が不明です！一度は「セーブ」して下さい！",
    "タイトルへ戻る",
    "やっぱりやめる",
    "しゅうりょう",
    "つづける",
    "リトライ",
    "リトライ",
    "マップへ戻る",
    "Vキーでジャンルの切り替え",
    "スペースキーでタイトルへ戻る",
    "スペースキーで終了",
    "F3キーでランキングへ登録",
};

const char* const kTitleMenuUtf8[7] = {"はじめから", "つづきから", "チャレンジ", "フリー",
                                       "リプレイ",   "オプション", "しゅうりょう"};
const char* const kSaveMenuUtf8[4] = {"セーブ", "オートセーブ", "もどる", "タイトルへ"};
const char* const kOptionMenuUtf8[6] = {"BGM", "SE", "ランキング登録", "ランキング登録名", "もどる", ""};

struct STATUSITEMDEFAULT {
  const char* pszLabelUtf8;
  uint32_t nDigits;
};
const STATUSITEMDEFAULT kStatusItems[5] = {
    {"スコア", 4}, {"スコア", 3}, {"HP", 0}, {"SP", 0}, {"人", 2},
};

const char* const kFontNamesUtf8[] = {
    "System", "Terminal", "FixedSys", "Roman", "Script", "Modern", "Small Fonts", "MS Serif",
    "WST_Czec", "WST_Engl", "WST_Fren", "WST_Germ", "WST_Ital", "WST_Span", "WST_Swed", "Courier",
    "MS Sans Serif", "Marlett", "Arial", "Arial CE", "Arial CYR", "Arial Greek", "Arial TUR",
    "Arial Baltic", "Courier New", "Courier New CE", "Courier New CYR", "Courier New Greek",
    "Courier New TUR", "Courier New Baltic", "Lucida Console", "Lucida Sans Unicode",
    "Times New Roman", "Times New Roman CE", "Times New Roman CYR", "Times New Roman Greek",
    "Times New Roman TUR", "Times New Roman Baltic", "Wingdings", "Symbol", "Verdana",
    "Arial Black", "Comic Sans MS", "Impact", "Georgia", "Franklin Gothic Medium",
    "Palatino Linotype", "Tahoma", "Trebuchet MS", "Webdings", "Estrangelo Edessa", "Gautami",
    "Latha", "Mangal", "MV Boli", "Raavi", "Shruti", "Tunga", "Sylfaen",
    "ＭＳ ゴシック",  // 59
    "ＭＳ Ｐゴシック",  // 60, the default face
    "MS UI Gothic", "ＭＳ 明朝", "ＭＳ Ｐ明朝", "Microsoft Sans Serif", "Gulim", "GulimChe", "Dotum",
    "DotumChe", "Batang", "BatangChe", "Gungsuh", "GungsuhChe", "SimSun", "NSimSun", "SimSun-PUA",
    "SimHei", "MingLiU", "PMingLiU", "Arial Narrow", "Book Antiqua", "Bookman Old Style", "Century",
    "Century Gothic", "Garamond", "MS Outlook", "HGｺﾞｼｯｸE", "HGPｺﾞｼｯｸE", "HGSｺﾞｼｯｸE",
    "HG丸ｺﾞｼｯｸM-PRO", "HG創英角ｺﾞｼｯｸUB", "HGP創英角ｺﾞｼｯｸUB", "HGS創英角ｺﾞｼｯｸUB",
    "HG創英角ﾎﾟｯﾌﾟ体", "HGP創英角ﾎﾟｯﾌﾟ体", "HGS創英角ﾎﾟｯﾌﾟ体", "HG正楷書体-PRO", "InMusicSym",
    "Kartika", "Vrinda",
    "メイリオ",  // 100
    "MT Extra", "HGｺﾞｼｯｸM", "HGPｺﾞｼｯｸM", "HGSｺﾞｼｯｸM", "HG行書体", "HGP行書体", "HGS行書体",
    "HG教科書体", "HGP教科書体", "HGS教科書体", "HG明朝B", "HGP明朝B", "HGS明朝B", "HG明朝E",
    "HGP明朝E", "HGS明朝E", "HG創英ﾌﾟﾚｾﾞﾝｽEB", "HGP創英ﾌﾟﾚｾﾞﾝｽEB", "HGS創英ﾌﾟﾚｾﾞﾝｽEB", "OCRB",
    "Sydnie",
    "",  // 122
};
static_assert(sizeof(kFontNamesUtf8) / sizeof(kFontNamesUtf8[0]) == 123);

const char* const kColourDepthLabelsUtf8[3] = {
    "256色(8bit) カラーパレットあり",
    "1677万色(24bit) カラーパレットなし",
    "",
};

cVector<std::string> ConvertTable(const char* const* ppszUtf8, size_t n) {
  cVector<std::string> v;
  v.reserve(n);
  for (size_t i = 0; i < n; ++i) v.push_back(Sjis(ppszUtf8[i]));
  return v;
}

cVector<std::string>& FontNameTable() {
  static cVector<std::string> s_Table = ConvertTable(kFontNamesUtf8, 123);
  return s_Table;
}

cVector<std::string>& ColourDepthLabels() {
  static cVector<std::string> s_Table = ConvertTable(kColourDepthLabelsUtf8, 3);
  return s_Table;
}

void LabelMenu(cVector<cEdSystemText>& v, const char* const* ppszUtf8, size_t n) {
  v.clear();
  v.resize(n);
  for (size_t i = 0; i < n; ++i) v.CheckedAt(static_cast<int>(i)).m_strLabel = Sjis(ppszUtf8[i]);
}

}  // namespace

int FontNameCount() { return static_cast<int>(FontNameTable().size()); }
const std::string& FontNameAt(int nIndex) { return FontNameTable().CheckedAt(nIndex); }
const std::string& ColourDepthLabelAt(int nIndex) { return ColourDepthLabels().CheckedAt(nIndex); }

void cEdSystem::SetDefaults() {
  ClearFields();

  m_nExtendScore = 100;
  m_bHideWhilePaused = 1;
  m_nFontSettingA = 0;
  m_nFontFace = 60;
  m_bReplaySave = 1;
  m_bTitleMenuCentred = 1;
  m_nResetStatusStory = 1;
  m_nResetStatusChallenge = 1;
  m_nResetStatusFree = 1;
  m_bPauseItemA = 1;
  m_bPauseItemB = 1;
  m_nColourRampValue = 16;

  m_vecCarryStatus.assign(25, 0);
  for (int i : {0, 1, 13, 14, 16, 17, 19, 20, 21}) m_vecCarryStatus.CheckedAt(i) = 1;
  m_vecResetSwitch.assign(25, 0);
  m_vecResetSwitch.CheckedAt(11) = 1;
  m_vecResetSwitch.CheckedAt(12) = 1;

  m_vecStatusItem.clear();
  m_vecStatusItem.resize(5);
  for (int i = 0; i < 5; ++i) {
    cEdSystemElemB& item = m_vecStatusItem.CheckedAt(i);
    item.m_bShown = 1;
    item.m_bIcon = 1;
    item.m_strLabel = Sjis(kStatusItems[i].pszLabelUtf8);
    item.m_nDigits = kStatusItems[i].nDigits;
  }

  m_vecRankingSwitch.clear();
  m_vecRankingSwitch.resize(4);
  for (int i = 0; i < 4; ++i) {
    cEdRankingSwitch& sw = m_vecRankingSwitch.CheckedAt(i);
    const uint8_t on = i < 3 ? 1 : 0;
    sw.m_bOn = on;
    sw.Flags().assign(5, on);
  }

  LabelMenu(m_vecTitleMenu, kTitleMenuUtf8, 7);
  LabelMenu(m_vecSaveMenu, kSaveMenuUtf8, 4);
  LabelMenu(m_vecOptionMenu, kOptionMenuUtf8, 6);

  m_bCarryLives = 1;
  m_bStoryMissMenu = 1;
  m_bMapShowLives = 1;
  m_nChallengeLimit = 40;
  m_bChallengeLimitOn = 1;

  m_vecStartLives = {5, 5, 5, 99};
  m_vecInfiniteLives = {1, 1, 1, 1};

  m_bMapShowScore = 1;
  m_bSaveShowTotalScore = 1;
  m_bChallengeShowHighScore = 1;
  m_bChallengeShowTotalScore = 1;

  m_vecText = ConvertTable(kTextsUtf8, 28);
  m_vecSystemSoundFile.assign(17, std::string());
  m_vecScreenBgm = {0, 0, 0, 0};
  m_vecScreenBgmLoop = {1, 1, 1, 1};

  m_vecIniKey.clear();
  m_vecIniKey.resize(9);
  static const struct {
    const char* pszName;
    uint32_t nValue;
  } kNumberKeys[8] = {
      {"Direct3D", 2},      {"WindowMode", 0},   {"Bpp", 0},             {"VSync", 2},
      {"D3D_FontCache", 0}, {"DD_FontCache", 1}, {"DD_VideoStretch", 0}, {"ShowFps", 1},
  };
  for (int i = 0; i < 8; ++i) SetIniKeyNumber(m_vecIniKey.CheckedAt(i), kNumberKeys[i].pszName, kNumberKeys[i].nValue);
  SetIniKeyText(m_vecIniKey.CheckedAt(8), "FreeStage", std::string());
}
