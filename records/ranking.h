// The ranking tables of one stage (`g_RankingSet`): five tables, one per
// ranking category (score, time left, clear time, HP left, SP left), of 20
// rows each, best row first.
#pragma once

#include <cstdint>
#include <string>

#include "records/record.h"

constexpr int RANK_TABLE_COUNT = 5;
constexpr int RANK_ROW_COUNT = 20;

// One row: used flag, value, name.
class cEdRankEntry : public cEdRecord {
 public:
  cEdRankEntry();
  void RegisterFields(int nVersion) override;

  uint32_t m_bUsed = 0;
  int32_t m_nValue = 0;
  std::string m_strName;
};

class cEdRankTable : public cEdRecord {
 public:
  // RankTableDefault: order flag 0 and 20 empty rows.
  cEdRankTable();
  void RegisterFields(int nVersion) override;
  // RankTableRead / RankTableWrite: the base part (the order flag), then u32
  // row count and the rows.
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  cVector<cEdRankEntry> m_vecEntry;
  uint32_t m_bHigherFirst = 0;  // 1: a larger value ranks first
};

class cEdRankingSet : public cEdRecord {
 public:
  // Five normalised tables ordered 1, 1, 0, 1, 1.
  cEdRankingSet();
  void RegisterFields(int nVersion) override;
  // After reading, the set always holds five tables of 20 rows: the drawing
  // and registration index them by category and row.
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  cVector<cEdRankTable> m_vecTable;
};

// Threads: the game thread only (the ranking screens and the stage's
// ranking work run there or while it waits for them).
extern cEdRankingSet g_RankingSet;

// The order flag 0 and exactly 20 rows (rows past 20 dropped, empty rows
// appended).
void RankTableNormalize(cEdRankTable& table);
// The default set: five normalised tables, order flags 1, 1, 0, 1, 1.
void ResetRanking(cEdRankingSet& set);
// The first unused row, or the first row the value beats (strictly), or -1.
int FindRankPosition(const cEdRankTable& table, int32_t nValue);
// Registers the value under the name; the row count stays.
void RankTableInsert(cEdRankTable& table, const std::string& strName, int32_t nValue);
// The default order flag of a category: clear time ranks the smaller first.
uint32_t RankDefaultHigherFirst(int nKind);

template <>
struct ReportedSize<cEdRankEntry> {
  static constexpr int value = 60;
};
template <>
struct ReportedSize<cEdRankTable> {
  static constexpr int value = 56;
};
