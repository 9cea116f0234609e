// The database records of extra chara pictures: special chara pictures (a
// named picture with its cell size) and sword types (a name, two pictures
// and a list of parts of ten values each).
#pragma once

#include <cstdint>
#include <string>

#include "records/record.h"

class cEdBmpCharaExc : public cEdRecord {
 public:
  cEdBmpCharaExc() { RegisterFields(DATA_VERSION_CURRENT); }
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;

  std::string strName;
  int32_t nAttr = 0;
  std::string strFile;
  int32_t bCustomCell = 0;  // set: a cell is nCellBlocks × 32 pixels, else 32
  int32_t nCellBlocks = 2;  // units of 32 pixels
};

class cEdSwordPart : public cEdRecord {
 public:
  cEdSwordPart() { RegisterFields(DATA_VERSION_CURRENT); }
  void RegisterFields(int nVersion) override;
  // As the part-list reader creates it: value 3 is 1.
  static cEdSwordPart MakeDefault();

  // Value 1 is anPart[0]; values 8 and 9 are the cell's width and height
  // in pixels.
  int32_t anPart[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
};

class cEdSwordType : public cEdRecord {
 public:
  cEdSwordType();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  std::string strName;
  int32_t nAttr = 0;
  std::string strFile;
  std::string strFile2;
  cVector<cEdSwordPart> m_vecPart;
};

template <>
struct ReportedSize<cEdBmpCharaExc> {
  static constexpr int value = 80;
};
template <>
struct ReportedSize<cEdSwordType> {
  static constexpr int value = 104;
};
template <>
struct ReportedSize<cEdSwordPart> {
  static constexpr int value = 76;
};

// The labels "前", "後", "上", "下" and an empty end entry (CP932).
const cVector<std::string>& SwordDirectionLabels();
