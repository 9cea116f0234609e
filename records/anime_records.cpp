#include "records/anime_records.h"

#include "platform/text_cp932.h"

void cEdAnimeFrame::RegisterFields(int /*nVersion*/) {
  ClearTables();
  AddField32(&nPattern, 1);
  AddField32(&nTime, 1);
  AddField32(&bNoInterrupt, 1);
}

cEdAnimeFrame cEdAnimeFrame::MakeDefault() {
  cEdAnimeFrame fr;
  fr.nTime = 1;
  return fr;
}

cEdAnime::cEdAnime() {
  RegisterFields(DATA_VERSION_CURRENT);
  AnimeReset();
}

void cEdAnime::RegisterFields(int nVersion) {
  ClearTables();
  AddStrField(&strName, 1);
  if (nVersion >= 55) AddField16(&wOption1, 1);
  if (nVersion >= 55) AddField8(&cOption2, 1);
  if (nVersion >= 55) AddField16(&wOption3, 1);
}

void cEdAnime::AnimeReset() {
  ClearFields();
  // Below version 55 the options are not registered, so ClearFields leaves
  // them; the reset clears them all the same.
  wOption1 = 0;
  wOption3 = 0;
  m_vecFrame.assign(1, cEdAnimeFrame::MakeDefault());
  cOption2 = 1;
}

void cEdAnime::Read(cDataFile& f) {
  cEdRecord::Read(f);
  const cEdAnimeFrame proto = cEdAnimeFrame::MakeDefault();
  ReadNestedDatabaseList(f, m_vecFrame, "anime frame list", &proto);
}

void cEdAnime::Write(cDataFile& f) {
  cEdRecord::Write(f);
  WriteRecordList(f, m_vecFrame);
}

cEdAnimeSet::cEdAnimeSet() {
  RegisterFields(DATA_VERSION_CURRENT);
  SetDefaults();
}

void cEdAnimeSet::RegisterFields(int nVersion) {
  ClearTables();
  AddStrField(&strName, 1);
  AddField32(&nPictureOffset1, 1);
  AddField32(&nPictureOffset2, 1);
  if (nVersion >= 119) AddField32(&nPictureOffset3, 1);
}

void cEdAnimeSet::SetDefaults() {
  ClearFields();
  nPictureOffset3 = 0;
  static const char* const s_aszName[4] = {"立ち", "立ち移動", "飛行", "飛行移動"};
  m_vecAnime.assign(4, cEdAnime());
  for (int i = 0; i < 4; ++i) m_vecAnime[i].strName = Sjis(s_aszName[i]);
}

void cEdAnimeSet::Read(cDataFile& f) {
  cEdRecord::Read(f);
  ReadNestedDatabaseList(f, m_vecAnime, "anime list");
  if (f.Failed()) return;
  if (g_nFileDataVersion < 128) {
    // Sets of these versions always had the four standard animations; the
    // flying pair got its names later.
    m_vecAnime.resize(4, cEdAnime());
    m_vecAnime[2].strName = Sjis("飛行");
    m_vecAnime[3].strName = Sjis("飛行移動");
  }
}

void cEdAnimeSet::Write(cDataFile& f) {
  cEdRecord::Write(f);
  WriteRecordList(f, m_vecAnime);
}
