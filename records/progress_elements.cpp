#include "records/progress_elements.h"

// Every version has the same fields: no gates.

cEdPlayRecEntryA::cEdPlayRecEntryA() {
  RegisterFields(DATA_VERSION_CURRENT);
  ClearFields();
}

void cEdPlayRecEntryA::RegisterFields(int) {
  ClearTables();
  AddField32(&m_nCarryHp, 1);
  AddField32(&m_nCarrySp, 1);
  AddField32(&m_nCarryTime, 1);
  AddField32(&m_nCarryValue, 1);
  AddField32(&m_nCarryBgm, 1);
}

void cEdPlayRecEntryA::Read(cDataFile& f) {
  cEdRecord::Read(f);
  if (!f.Failed()) m_Chara.Read(f);
}

void cEdPlayRecEntryA::Write(cDataFile& f) {
  cEdRecord::Write(f);
  m_Chara.Write(f);
}

cEdPlayRecEntryB::cEdPlayRecEntryB() {
  RegisterFields(DATA_VERSION_CURRENT);
  ClearFields();
}

void cEdPlayRecEntryB::RegisterFields(int) {
  ClearTables();
  AddField32(&m_nValue, 1);
  AddStrField(&m_strName, 1);
}

cEdValuePair::cEdValuePair() {
  RegisterFields(DATA_VERSION_CURRENT);
  ClearFields();
}

void cEdValuePair::RegisterFields(int) {
  ClearTables();
  AddField32(&m_nFirst, 1);
  AddField32(&m_nSecond, 1);
}
