// The project's shared catalogues: g_Database holds one list per database
// file under "data\database", read once at start-up by LoadDatabases. Every
// reference elsewhere in the project to a database entry is an index into
// one of these lists; index 0 is the "none" entry.
#pragma once

#include <string>

#include "records/anime_records.h"
#include "records/effect_records.h"
#include "records/media_records.h"
#include "records/record.h"
#include "records/sword_records.h"

class cEdDatabase : public cEdRecord {
 public:
  cEdDatabase();
  void RegisterFields(int) override { ClearTables(); }
  void SetDefaults();
  // Chara effect 0 and screen effect 0 are "none" whatever the files say.
  void ResetFirstEffects();
  // Makes the two reversed working lists copies of the effect lists.
  void CopyEffectWorkLists();

  cVector<cEdAnimeSet> m_vecAnimeSet;
  cVector<cEdAnime> m_vecAnime;
  cVector<cEdBmpCharaExc> m_vecBmpCharaExc;
  cVector<cEdSwordType> m_vecSwordType;
  cVector<cEdEffect> m_vecEffect;
  cVector<cEdCharaEffect> m_vecCharaEffect;
  cVector<cEdScrEffect> m_vecScrEffect;
  cVector<cEdPicture> m_vecPicture;
  cVector<cEdSound> m_vecSound;
  cVector<cEdBgm> m_vecBgm;
  cVector<cEdCharaEffect> m_vecCharaEffectRev;
  cVector<cEdScrEffect> m_vecScrEffectRev;
};

// Defined with the other long-lived globals (records/globals.cpp).
// Threads: loaded by InitGame on the window thread before the game thread
// starts; read-only afterwards (game thread, thLoader's fitting).
extern cEdDatabase g_Database;

// Reads the ten database files in their fixed order. On the first file that
// cannot be opened or is damaged: the box "%s のロードに失敗！" with its path
// and 0; the lists read before keep what they read, the others their
// defaults. 1 when all ten were read.
BOOL LoadDatabases(cEdDatabase& db);
BOOL LoadDatabases();

// Reads one database file into one list (1 / 0, no box); a file that cannot
// be opened or is damaged leaves the list as it was.
template <class T>
BOOL LoadDatabaseFile(cVector<T>& v, const std::string& path);

// The list readers, one per element class (u32 count, then the records).
void ReadAnimeSetList(cVector<cEdAnimeSet>& v, cDataFile& f);
void ReadAnimeList(cVector<cEdAnime>& v, cDataFile& f);
void ReadBmpCharaExcList(cVector<cEdBmpCharaExc>& v, cDataFile& f);
void ReadSwordTypeList(cVector<cEdSwordType>& v, cDataFile& f);
void ReadEffectList(cVector<cEdEffect>& v, cDataFile& f);
void ReadCharaEffectList(cVector<cEdCharaEffect>& v, cDataFile& f);
void ReadScrEffectList(cVector<cEdScrEffect>& v, cDataFile& f);
void ReadPictureList(cVector<cEdPicture>& v, cDataFile& f);
void ReadSoundList(cVector<cEdSound>& v, cDataFile& f);
void ReadBgmList(cVector<cEdBgm>& v, cDataFile& f);

// The paths of the ten files in loading order (indices into the path table).
constexpr int DATABASE_FILE_COUNT = 10;
const std::string& DatabaseFilePath(int i);
