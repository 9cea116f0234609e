// The animation records of the database: a frame (pattern, time, no-interrupt
// flag), an animation (a named list of frames with three option values) and
// an animation set (a named list of animations with three picture offsets).
#pragma once

#include <cstdint>
#include <string>

#include "records/database_list_io.h"
#include "records/record.h"

class cEdAnimeFrame : public cEdRecord {
 public:
  cEdAnimeFrame() { RegisterFields(DATA_VERSION_CURRENT); }
  void RegisterFields(int nVersion) override;
  // The frame that readers and AnimeReset create: time 1, where a plainly
  // constructed frame has time 0.
  static cEdAnimeFrame MakeDefault();

  int32_t nPattern = 0;
  int32_t nTime = 0;  // tenths of a second
  int32_t bNoInterrupt = 0;
};

class cEdAnime : public cEdRecord {
 public:
  cEdAnime();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;
  void AnimeReset();

  std::string strName;
  cVector<cEdAnimeFrame> m_vecFrame;
  uint16_t wOption1 = 0;
  uint8_t cOption2 = 1;
  uint16_t wOption3 = 0;
};

class cEdAnimeSet : public cEdRecord {
 public:
  cEdAnimeSet();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;
  void SetDefaults();

  std::string strName;
  int32_t nPictureOffset1 = 0;
  int32_t nPictureOffset2 = 0;
  int32_t nPictureOffset3 = 0;
  cVector<cEdAnime> m_vecAnime;
};

// The failure lines name the original program's record sizes.
template <>
struct ReportedSize<cEdAnimeFrame> {
  static constexpr int value = 48;
};
template <>
struct ReportedSize<cEdAnime> {
  static constexpr int value = 76;
};
template <>
struct ReportedSize<cEdAnimeSet> {
  static constexpr int value = 80;
};
