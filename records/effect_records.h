// The effect records of the database: sprite effects (a picture cut into
// cells and a list of frames), and chara and screen effects (a kind out of a
// fixed catalogue with five parameters), with the two kind catalogues.
#pragma once

#include <cstdint>
#include <string>

#include "records/database_list_io.h"
#include "records/record.h"

class cEdEffectFrame : public cEdRecord {
 public:
  cEdEffectFrame() { RegisterFields(DATA_VERSION_CURRENT); }
  void RegisterFields(int nVersion) override;
  // As the frame-list reader creates it: time 1.
  static cEdEffectFrame MakeDefault();

  int32_t nPattern = 0;  // cell number in the effect's picture
  int32_t nTime = 0;     // tenths of a second
};

class cEdEffect : public cEdRecord {
 public:
  cEdEffect();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;
  // Leaves the frame list as it is.
  void SetDefaults();

  // The numbers together after the strings: the record is 8 bytes smaller
  // than in file order, and a database holds tens of thousands of them.
  std::string strName;
  std::string strFile;
  int32_t nAttr = 0;
  int32_t nCellWidth = 32;  // pixels
  int32_t nCellHeight = 32;
  int32_t bScalable = 0;
  cVector<cEdEffectFrame> m_vecFrame;
};

// The members and layout shared by chara effects and screen effects.
class cEdKindEffect : public cEdRecord {
 public:
  cEdKindEffect() { RegisterFields(DATA_VERSION_CURRENT); }
  void RegisterFields(int nVersion) override;

  std::string strName;
  int32_t nKind = 1;  // 0 = none, else a kind of the class's catalogue
  int32_t anParam[5] = {0, 0, 0, 0, 0};  // p1 (run time, tenths of a second) to p5
};

class cEdCharaEffect : public cEdKindEffect {
 public:
  void Read(cDataFile& f) override;
};

class cEdScrEffect : public cEdKindEffect {
 public:
  void Read(cDataFile& f) override;
};

template <>
struct ReportedSize<cEdEffectFrame> {
  static constexpr int value = 44;
};
template <>
struct ReportedSize<cEdEffect> {
  static constexpr int value = 100;
};
template <>
struct ReportedSize<cEdCharaEffect> {
  static constexpr int value = 76;
};
template <>
struct ReportedSize<cEdScrEffect> {
  static constexpr int value = 76;
};

// ---- Kind catalogues --------------------------------------------------------

// One parameter of one kind; a kind that needs fewer than five parameters
// has entries with an empty label and 0, 0, 0.
struct EFFECTPARAMDEF {
  std::string strName;  // CP932
  int16_t nMin = 0;
  int16_t nMax = 0;
  int16_t nDefault = 0;
};

constexpr int CHARA_EFFECT_KINDS = 16;
constexpr int SCR_EFFECT_KINDS = 13;

// Kind k's parameters start at entry 5 × k (kind 0 has five empty entries).
const cVector<EFFECTPARAMDEF>& CharaEffectParamDefs();
const cVector<EFFECTPARAMDEF>& ScrEffectParamDefs();
// The name and the speed note of kind k are entry k − 1; an empty entry ends
// each list.
const cVector<std::string>& CharaEffectKindNames();
const cVector<std::string>& CharaEffectKindNotes();
const cVector<std::string>& ScrEffectKindNames();
const cVector<std::string>& ScrEffectKindNotes();
