#include "records/sword_records.h"

#include "platform/text_cp932.h"
#include "records/database_list_io.h"

void cEdBmpCharaExc::RegisterFields(int nVersion) {
  ClearTables();
  AddStrField(&strName, 1);
  if (nVersion >= 152) AddField32(&nAttr, 1);
  AddStrField(&strFile, 1);
  if (nVersion >= 172) AddField32(&bCustomCell, 1);
  if (nVersion >= 172) AddField32(&nCellBlocks, 1);
}

void cEdBmpCharaExc::Read(cDataFile& f) {
  cEdRecord::Read(f);
  if (g_nFileDataVersion < 153) nAttr = 0;
}

void cEdSwordPart::RegisterFields(int nVersion) {
  ClearTables();
  AddField32(&anPart[0], 1);
  AddField32(&anPart[1], 1);
  if (nVersion >= 138) AddField32(&anPart[2], 1);
  if (nVersion >= 138) AddField32(&anPart[3], 1);
  AddField32(&anPart[4], 1);
  AddField32(&anPart[5], 1);
  AddField32(&anPart[6], 1);
  AddField32(&anPart[7], 1);
  AddField32(&anPart[8], 1);
  AddField32(&anPart[9], 1);
}

cEdSwordPart cEdSwordPart::MakeDefault() {
  cEdSwordPart p;
  p.anPart[2] = 1;
  return p;
}

cEdSwordType::cEdSwordType() {
  RegisterFields(DATA_VERSION_CURRENT);
  cEdSwordPart p = cEdSwordPart::MakeDefault();
  p.anPart[9] = 1;
  m_vecPart.assign(1, p);
}

void cEdSwordType::RegisterFields(int nVersion) {
  ClearTables();
  AddStrField(&strName, 1);
  if (nVersion >= 151) AddField32(&nAttr, 1);
  AddStrField(&strFile, 1);
  AddStrField(&strFile2, 1);
}

void cEdSwordType::Read(cDataFile& f) {
  cEdRecord::Read(f);
  const cEdSwordPart proto = cEdSwordPart::MakeDefault();
  ReadNestedDatabaseList(f, m_vecPart, "sword part list", &proto);
  if (g_nFileDataVersion < 153) nAttr = 0;
}

void cEdSwordType::Write(cDataFile& f) {
  cEdRecord::Write(f);
  WriteRecordList(f, m_vecPart);
}

const cVector<std::string>& SwordDirectionLabels() {
  static const cVector<std::string> s_v = {Sjis("前"), Sjis("後"), Sjis("上"), Sjis("下"), std::string()};
  return s_v;
}
