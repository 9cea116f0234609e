// The database records that name media files: pictures, sound effects and
// pieces of music, each a display name, an attribute value and a file name.
#pragma once

#include <cstdint>
#include <string>

#include "records/record.h"

// The members and layout the three classes share.
class cEdMediaEntry : public cEdRecord {
 public:
  cEdMediaEntry() { RegisterFields(DATA_VERSION_CURRENT); }
  void RegisterFields(int nVersion) override;
  // Base Read; files older than 153 carry no meaningful attribute.
  void Read(cDataFile& f) override;

  std::string strName;
  int32_t nAttr = 0;
  std::string strFile;
};

class cEdPicture : public cEdMediaEntry {};
class cEdSound : public cEdMediaEntry {};
class cEdBgm : public cEdMediaEntry {};

// The music list's size is the original's; the picture and sound lists had
// no checked access of their own and report the same size.
template <>
struct ReportedSize<cEdBgm> {
  static constexpr int value = 72;
};
template <>
struct ReportedSize<cEdPicture> {
  static constexpr int value = 72;
};
template <>
struct ReportedSize<cEdSound> {
  static constexpr int value = 72;
};
