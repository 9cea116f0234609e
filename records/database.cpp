#include "records/database.h"

#include <iterator>

#include "platform/text_cp932.h"
#include "records/database_bounds.h"
#include "records/database_list_io.h"
#include "base/message_box.h"
#include "records/start_tables.h"
#include "records/system.h"

cEdDatabase::cEdDatabase() {
  RegisterFields(DATA_VERSION_CURRENT);
  SetDefaults();
}

void cEdDatabase::SetDefaults() {
  ClearFields();
  m_vecAnimeSet.resize(1);
  m_vecAnime.resize(2);
  m_vecAnime[0].strName = Sjis("なし");
  m_vecAnime[1].strName = Sjis("アクションA");
  m_vecBmpCharaExc.assign(2, cEdBmpCharaExc());
  m_vecSwordType.assign(1, cEdSwordType());
  m_vecEffect.assign(2, cEdEffect());
  m_vecCharaEffect.assign(2, cEdCharaEffect());
  m_vecScrEffect.assign(2, cEdScrEffect());
  m_vecPicture.assign(2, cEdPicture());
  m_vecSound.assign(2, cEdSound());
  m_vecBgm.assign(2, cEdBgm());
}

void cEdDatabase::ResetFirstEffects() {
  m_vecCharaEffect.CheckedAt(0).nKind = 0;
  m_vecScrEffect.CheckedAt(0).nKind = 0;
}

void cEdDatabase::CopyEffectWorkLists() {
  m_vecCharaEffectRev = m_vecCharaEffect;
  m_vecScrEffectRev = m_vecScrEffect;
}

void ReadAnimeSetList(cVector<cEdAnimeSet>& v, cDataFile& f) {
  ReadDatabaseList(f, v, cEdAnimeSet(), "anime set list", "anime sets", DATABASE_MAX_ENTRIES[0]);
}
void ReadAnimeList(cVector<cEdAnime>& v, cDataFile& f) {
  ReadDatabaseList(f, v, cEdAnime(), "anime list", "animations", DATABASE_MAX_ENTRIES[1]);
}
void ReadBmpCharaExcList(cVector<cEdBmpCharaExc>& v, cDataFile& f) {
  ReadDatabaseList(f, v, cEdBmpCharaExc(), "chara picture list", "chara pictures", DATABASE_MAX_ENTRIES[2]);
}
void ReadSwordTypeList(cVector<cEdSwordType>& v, cDataFile& f) {
  ReadDatabaseList(f, v, cEdSwordType(), "sword type list", "sword types", DATABASE_MAX_ENTRIES[3]);
}
void ReadEffectList(cVector<cEdEffect>& v, cDataFile& f) {
  ReadDatabaseList(f, v, cEdEffect(), "effect list", "effects", DATABASE_MAX_ENTRIES[4]);
}
void ReadCharaEffectList(cVector<cEdCharaEffect>& v, cDataFile& f) {
  // Chara effect 0 is the "none" entry that every chara refers to by
  // default; a file without it cannot be used.
  cVector<cEdCharaEffect> tmp = v;
  ReadDatabaseList(f, tmp, cEdCharaEffect(), "chara effect list", "chara effects", DATABASE_MAX_ENTRIES[5]);
  if (!f.Failed() && tmp.empty()) f.Fail("empty chara effect list");
  if (!f.Failed()) v.swap(tmp);
}
void ReadScrEffectList(cVector<cEdScrEffect>& v, cDataFile& f) {
  cVector<cEdScrEffect> tmp = v;
  ReadDatabaseList(f, tmp, cEdScrEffect(), "screen effect list", "screen effects", DATABASE_MAX_ENTRIES[6]);
  if (!f.Failed() && tmp.empty()) f.Fail("empty screen effect list");
  if (!f.Failed()) v.swap(tmp);
}
void ReadPictureList(cVector<cEdPicture>& v, cDataFile& f) {
  ReadDatabaseList(f, v, cEdPicture(), "picture list", "pictures", DATABASE_MAX_ENTRIES[7]);
}
void ReadSoundList(cVector<cEdSound>& v, cDataFile& f) {
  ReadDatabaseList(f, v, cEdSound(), "sound list", "sounds", DATABASE_MAX_ENTRIES[8]);
}
void ReadBgmList(cVector<cEdBgm>& v, cDataFile& f) {
  ReadDatabaseList(f, v, cEdBgm(), "music list", "pieces of music", DATABASE_MAX_ENTRIES[9]);
}

namespace {

// The path-table entries of the ten files, in loading order.
const int s_anDatabasePath[DATABASE_FILE_COUNT] = {15, 17, 19, 21, 23, 25, 27, 29, 31, 33};
static_assert(std::size(DATABASE_MAX_ENTRIES) == DATABASE_FILE_COUNT);

// The list reader of each element class, by overload.
void ReadList(cVector<cEdAnimeSet>& v, cDataFile& f) { ReadAnimeSetList(v, f); }
void ReadList(cVector<cEdAnime>& v, cDataFile& f) { ReadAnimeList(v, f); }
void ReadList(cVector<cEdBmpCharaExc>& v, cDataFile& f) { ReadBmpCharaExcList(v, f); }
void ReadList(cVector<cEdSwordType>& v, cDataFile& f) { ReadSwordTypeList(v, f); }
void ReadList(cVector<cEdEffect>& v, cDataFile& f) { ReadEffectList(v, f); }
void ReadList(cVector<cEdCharaEffect>& v, cDataFile& f) { ReadCharaEffectList(v, f); }
void ReadList(cVector<cEdScrEffect>& v, cDataFile& f) { ReadScrEffectList(v, f); }
void ReadList(cVector<cEdPicture>& v, cDataFile& f) { ReadPictureList(v, f); }
void ReadList(cVector<cEdSound>& v, cDataFile& f) { ReadSoundList(v, f); }
void ReadList(cVector<cEdBgm>& v, cDataFile& f) { ReadBgmList(v, f); }

}  // namespace

const std::string& DatabaseFilePath(int i) {
  if (i < 0 || i >= DATABASE_FILE_COUNT) i = 0;
  return g_vecPathTable.CheckedAt(s_anDatabasePath[i]);
}

template <class T>
BOOL LoadDatabaseFile(cVector<T>& v, const std::string& path) {
  std::unique_ptr<cDataFile> f = OpenDataFileRead(path);
  if (!f) return 0;
  ReadList(v, *f);
  if (g_bStripCR) {
    for (T& r : v) r.StripStrFieldsCR();
  }
  return CloseDataFile(f);
}
template BOOL LoadDatabaseFile(cVector<cEdAnimeSet>&, const std::string&);
template BOOL LoadDatabaseFile(cVector<cEdAnime>&, const std::string&);
template BOOL LoadDatabaseFile(cVector<cEdBmpCharaExc>&, const std::string&);
template BOOL LoadDatabaseFile(cVector<cEdSwordType>&, const std::string&);
template BOOL LoadDatabaseFile(cVector<cEdEffect>&, const std::string&);
template BOOL LoadDatabaseFile(cVector<cEdCharaEffect>&, const std::string&);
template BOOL LoadDatabaseFile(cVector<cEdScrEffect>&, const std::string&);
template BOOL LoadDatabaseFile(cVector<cEdPicture>&, const std::string&);
template BOOL LoadDatabaseFile(cVector<cEdSound>&, const std::string&);
template BOOL LoadDatabaseFile(cVector<cEdBgm>&, const std::string&);

BOOL LoadDatabases(cEdDatabase& db) {
  // One step per file, in the fixed order; a failure stops at once.
  const auto fail = [](int i) {
    ErrorBoxf(Sjis("%s のロードに失敗！").c_str(), DatabaseFilePath(i).c_str());
    return 0;
  };
  if (!LoadDatabaseFile(db.m_vecAnimeSet, DatabaseFilePath(0))) return fail(0);
  if (!LoadDatabaseFile(db.m_vecAnime, DatabaseFilePath(1))) return fail(1);
  if (!LoadDatabaseFile(db.m_vecBmpCharaExc, DatabaseFilePath(2))) return fail(2);
  if (!LoadDatabaseFile(db.m_vecSwordType, DatabaseFilePath(3))) return fail(3);
  if (!LoadDatabaseFile(db.m_vecEffect, DatabaseFilePath(4))) return fail(4);
  if (!LoadDatabaseFile(db.m_vecCharaEffect, DatabaseFilePath(5))) return fail(5);
  if (!LoadDatabaseFile(db.m_vecScrEffect, DatabaseFilePath(6))) return fail(6);
  if (!LoadDatabaseFile(db.m_vecPicture, DatabaseFilePath(7))) return fail(7);
  if (!LoadDatabaseFile(db.m_vecSound, DatabaseFilePath(8))) return fail(8);
  if (!LoadDatabaseFile(db.m_vecBgm, DatabaseFilePath(9))) return fail(9);
  db.ResetFirstEffects();
  return 1;
}

BOOL LoadDatabases() { return LoadDatabases(g_Database); }

// The settings record clamps its music indices to this count.
int MusicDatabaseCount() { return static_cast<int>(g_Database.m_vecBgm.size()); }
