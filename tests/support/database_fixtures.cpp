#include "tests/support/database_fixtures.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_system.h"
#include "platform/text_cp932.h"

namespace {

cEdAnimeFrame Frame(int32_t nPattern, int32_t nTime, int32_t bNoInterrupt) {
  cEdAnimeFrame f;
  f.nPattern = nPattern;
  f.nTime = nTime;
  f.bNoInterrupt = bNoInterrupt;
  return f;
}

cEdAnime Anime(const char* pszName, std::initializer_list<cEdAnimeFrame> frames) {
  cEdAnime a;
  a.strName = Sjis(pszName);
  a.m_vecFrame.assign(frames.begin(), frames.end());
  return a;
}

template <class T>
T Media(const char* pszName, const char* pszFile, int32_t nAttr) {
  T r;
  r.strName = Sjis(pszName);
  r.strFile = pszFile;
  r.nAttr = nAttr;
  return r;
}

template <class T>
T KindEffect(const char* pszName, int32_t nKind, std::initializer_list<int32_t> params) {
  T r;
  r.strName = Sjis(pszName);
  r.nKind = nKind;
  int i = 0;
  for (int32_t p : params) r.anParam[i++] = p;
  return r;
}

template <class T>
bool WriteList(cVector<T>& v, const std::string& path) {
  std::unique_ptr<cDataFile> f = OpenDataFileWrite(path);
  if (!f) return false;
  WriteRecordList(*f, v);
  return CloseDataFile(f) == 1;
}

bool WriteFile(cEdDatabase& db, int i, const std::string& path) {
  switch (i) {
    case 0: return WriteList(db.m_vecAnimeSet, path);
    case 1: return WriteList(db.m_vecAnime, path);
    case 2: return WriteList(db.m_vecBmpCharaExc, path);
    case 3: return WriteList(db.m_vecSwordType, path);
    case 4: return WriteList(db.m_vecEffect, path);
    case 5: return WriteList(db.m_vecCharaEffect, path);
    case 6: return WriteList(db.m_vecScrEffect, path);
    case 7: return WriteList(db.m_vecPicture, path);
    case 8: return WriteList(db.m_vecSound, path);
    case 9: return WriteList(db.m_vecBgm, path);
  }
  return false;
}

}  // namespace

cEdDatabase MakeFixtureDatabase() {
  cEdDatabase db;

  cEdAnimeSet hero;
  hero.strName = Sjis("主人公");
  hero.nPictureOffset1 = 8;
  hero.nPictureOffset2 = 16;
  hero.nPictureOffset3 = 24;
  hero.m_vecAnime[0].m_vecFrame.assign({Frame(0, 2, 0), Frame(1, 2, 0)});
  hero.m_vecAnime[1].m_vecFrame.assign({Frame(2, 1, 0), Frame(3, 1, 0), Frame(4, 1, 0)});
  hero.m_vecAnime[1].wOption1 = 3;
  cEdAnimeSet enemy;
  enemy.strName = Sjis("敵");
  enemy.nPictureOffset1 = 4;
  enemy.m_vecAnime[3].m_vecFrame.clear();
  db.m_vecAnimeSet = {hero, enemy};

  db.m_vecAnime = {Anime("なし", {Frame(5, 3, 0), Frame(6, 4, 0)}),
                   Anime("アクションA", {Frame(10, 2, 0), Frame(11, 5, 1), Frame(12, 1, 0)}),
                   Anime("ジャンプ", {})};
  db.m_vecAnime[1].wOption1 = 513;
  db.m_vecAnime[1].cOption2 = 7;
  db.m_vecAnime[1].wOption3 = 65535;

  cEdBmpCharaExc boss;
  boss.strName = Sjis("ボス");
  boss.strFile = "bmp\\chara_sp\\Boss.bmp";
  boss.nAttr = 2;
  boss.bCustomCell = 1;
  boss.nCellBlocks = 4;
  db.m_vecBmpCharaExc = {cEdBmpCharaExc(), boss};

  cEdSwordType sword;
  sword.strName = Sjis("剣");
  sword.strFile = "bmp\\sword\\Sword1.bmp";
  sword.strFile2 = "bmp\\sword\\Sword2.bmp";
  sword.m_vecPart.resize(2);
  for (int k = 0; k < 10; ++k) {
    sword.m_vecPart[0].anPart[k] = k + 1;
    sword.m_vecPart[1].anPart[k] = -(k + 1) * 3;
  }
  db.m_vecSwordType = {cEdSwordType(), sword};

  cEdEffect bomb;
  bomb.strName = Sjis("爆発");
  bomb.strFile = "bmp\\effect\\Bomb.bmp";
  bomb.nAttr = 1;
  bomb.nCellWidth = 64;
  bomb.nCellHeight = 48;
  bomb.bScalable = 1;
  for (int k = 0; k < 4; ++k) {
    cEdEffectFrame f;
    f.nPattern = k;
    f.nTime = k + 1;
    bomb.m_vecFrame.push_back(f);
  }
  cEdEffect none;
  none.strName = Sjis("なし");
  none.m_vecFrame.assign(2, cEdEffectFrame::MakeDefault());
  db.m_vecEffect = {none, bomb};

  db.m_vecCharaEffect = {KindEffect<cEdCharaEffect>("なし", 1, {5, 0, 32}),
                         KindEffect<cEdCharaEffect>("回転", 7, {10, 0, 1440}),
                         KindEffect<cEdCharaEffect>("点滅", 6, {10, 2})};
  db.m_vecScrEffect = {KindEffect<cEdScrEffect>("なし", 2, {10, 4, 4}),
                       KindEffect<cEdScrEffect>("移動", 1, {10, 0, 0, 640, 120}),
                       KindEffect<cEdScrEffect>("円", 10, {5, 640, 0, 8})};

  db.m_vecPicture = {Media<cEdPicture>("なし", "", 0), Media<cEdPicture>("看板", "bmp\\picture\\Sign.bmp", 5)};
  db.m_vecSound = {Media<cEdSound>("なし", "", 0), Media<cEdSound>("ジャンプ", "wave\\Jump.wav", 0),
                   Media<cEdSound>("爆発", "wave\\Bomb.wav", 9)};
  db.m_vecBgm = {Media<cEdBgm>("なし", "", 0), Media<cEdBgm>("ステージ1", "bgm\\Stage1.ogg", 0)};
  return db;
}

bool WriteDatabaseFiles(cEdDatabase& db, const std::string& root, int nVersion) {
  CreateDirectoryA(root + "data");
  CreateDirectoryA(root + "data\\database");
  int32_t nSaved = g_nCurDataVersion;
  g_nCurDataVersion = nVersion;
  bool ok = true;
  for (int i = 0; i < DATABASE_FILE_COUNT && ok; ++i) ok = WriteFile(db, i, root + DatabaseFilePath(i));
  g_nCurDataVersion = nSaved;
  return ok;
}

std::string DatabaseFileBytes(cEdDatabase& db, int i, int nVersion) {
  const std::string tmp = "fixture_bytes.tmp";
  int32_t nSaved = g_nCurDataVersion;
  g_nCurDataVersion = nVersion;
  bool ok = WriteFile(db, i, tmp);
  g_nCurDataVersion = nSaved;
  if (!ok) return std::string();
  std::ifstream in(ResolvePath(tmp), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  in.close();
  std::filesystem::remove(ResolvePath(tmp));
  return s.str();
}

cEdAnime AnimeOf(std::initializer_list<std::pair<int, int>> patternTenths) {
  cEdAnime a;
  a.m_vecFrame.clear();
  for (auto [nPattern, nTenths] : patternTenths) {
    cEdAnimeFrame f;
    f.nPattern = nPattern;
    f.nTime = nTenths;
    a.m_vecFrame.push_back(f);
  }
  return a;
}
