#include "records/ranking.h"

cEdRankEntry::cEdRankEntry() { RegisterFields(DATA_VERSION_CURRENT); }

void cEdRankEntry::RegisterFields(int) {
  ClearTables();
  AddField32(&m_bUsed, 1);
  AddField32(&m_nValue, 1);
  AddStrField(&m_strName, 1);
}

cEdRankTable::cEdRankTable() {
  RegisterFields(DATA_VERSION_CURRENT);
  m_bHigherFirst = 0;
  m_vecEntry.resize(RANK_ROW_COUNT);
}

void cEdRankTable::RegisterFields(int) {
  ClearTables();
  AddField32(&m_bHigherFirst, 1);
}

void cEdRankTable::Read(cDataFile& f) {
  cEdRecord::Read(f);
  // Twenty rows are kept whatever the file holds (RankingSet's Read).
  ReadRecordList(f, m_vecEntry, "ranking rows", static_cast<const cEdRankEntry*>(nullptr), RANK_ROW_COUNT);
}

void cEdRankTable::Write(cDataFile& f) {
  cEdRecord::Write(f);
  WriteRecordList(f, m_vecEntry);
}

cEdRankingSet::cEdRankingSet() {
  RegisterFields(DATA_VERSION_CURRENT);
  ResetRanking(*this);
}

void cEdRankingSet::RegisterFields(int) { ClearTables(); }

uint32_t RankDefaultHigherFirst(int nKind) { return nKind == 2 ? 0 : 1; }

void RankTableNormalize(cEdRankTable& table) {
  table.ClearFields();
  table.m_vecEntry.resize(RANK_ROW_COUNT);
}

void ResetRanking(cEdRankingSet& set) {
  set.ClearFields();
  set.m_vecTable.clear();
  for (int i = 0; i < RANK_TABLE_COUNT; ++i) {
    cEdRankTable t;
    RankTableNormalize(t);
    t.m_bHigherFirst = RankDefaultHigherFirst(i);
    set.m_vecTable.push_back(std::move(t));
  }
}

void cEdRankingSet::Read(cDataFile& f) {
  cEdRecord::Read(f);
  // A table takes at least its field, string and row count words.
  // Five tables are kept whatever the file holds (below).
  ReadRecordElements(f, m_vecTable, f.ReadCount(12, "ranking tables"), static_cast<const cEdRankTable*>(nullptr),
                     RANK_TABLE_COUNT);
  if (!f.Failed() && g_nFileDataVersion < 181) {
    // Categories 3 and 4 came at 181.
    while (m_vecTable.size() > RANK_TABLE_COUNT) m_vecTable.pop_back();
    while (m_vecTable.size() < RANK_TABLE_COUNT) {
      cEdRankTable t;
      RankTableNormalize(t);
      m_vecTable.push_back(std::move(t));
    }
    m_vecTable[3].m_bHigherFirst = 1;
    m_vecTable[4].m_bHigherFirst = 1;
  }
  // Five tables of 20 rows whatever the file held; a missing table takes its
  // category's order.
  if (m_vecTable.size() > RANK_TABLE_COUNT) m_vecTable.resize(RANK_TABLE_COUNT);
  while (m_vecTable.size() < RANK_TABLE_COUNT) {
    cEdRankTable t;
    RankTableNormalize(t);
    t.m_bHigherFirst = RankDefaultHigherFirst(static_cast<int>(m_vecTable.size()));
    m_vecTable.push_back(std::move(t));
  }
  for (cEdRankTable& t : m_vecTable) t.m_vecEntry.resize(RANK_ROW_COUNT);
}

void cEdRankingSet::Write(cDataFile& f) {
  cEdRecord::Write(f);
  WriteRecordList(f, m_vecTable);
}

int FindRankPosition(const cEdRankTable& table, int32_t nValue) {
  for (size_t i = 0; i < table.m_vecEntry.size(); ++i) {
    const cEdRankEntry& row = table.m_vecEntry[i];
    if (row.m_bUsed == 0) return static_cast<int>(i);
    if (table.m_bHigherFirst == 1 ? nValue > row.m_nValue : table.m_bHigherFirst == 0 && nValue < row.m_nValue) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void RankTableInsert(cEdRankTable& table, const std::string& strName, int32_t nValue) {
  if (table.m_vecEntry.empty()) return;
  int pos = FindRankPosition(table, nValue);
  cEdRankEntry row;
  row.m_bUsed = 1;
  row.m_nValue = nValue;
  row.m_strName = strName;
  if (pos < 0 || static_cast<size_t>(pos) >= table.m_vecEntry.size()) {
    table.m_vecEntry.push_back(std::move(row));
  } else {
    table.m_vecEntry.insert(table.m_vecEntry.begin() + pos, std::move(row));
  }
  table.m_vecEntry.pop_back();
}

