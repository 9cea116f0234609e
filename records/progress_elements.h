// Element records of the play-progress lists: a player's carried values, a
// named value (a stage's high score) and a pair of values (a challenge
// course's cleared flag and high score). A new element has every number 0
// and an empty name.
#pragma once

#include <cstdint>
#include <string>

#include "records/chara.h"
#include "records/record.h"

// One player's status carried to the next stage: the definition fields in
// m_Chara (a whole cEdChara record, written after this record's base part
// and converted by its own rules) and five values.
class cEdPlayRecEntryA : public cEdRecord {
 public:
  cEdPlayRecEntryA();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  cEdChara m_Chara;  // its own defaults in a new element
  uint32_t m_nCarryHp = 0;
  uint32_t m_nCarrySp = 0;
  uint32_t m_nCarryTime = 0;
  uint32_t m_nCarryValue = 0;
  uint32_t m_nCarryBgm = 0;
};

class cEdPlayRecEntryB : public cEdRecord {
 public:
  cEdPlayRecEntryB();
  void RegisterFields(int nVersion) override;

  std::string m_strName;
  uint32_t m_nValue = 0;
};

class cEdValuePair : public cEdRecord {
 public:
  cEdValuePair();
  void RegisterFields(int nVersion) override;

  uint32_t m_nFirst = 0;
  uint32_t m_nSecond = 0;
};
