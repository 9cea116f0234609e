#include "records/key_record.h"

cKeyRecord::cKeyRecord() {
  RegisterFields(DATA_VERSION_CURRENT);
  m_nRandomSeed = 0;
}

void cKeyRecord::RegisterFields(int) {
  ClearTables();
  AddField32(&m_nRandomSeed, 1);
}

void cKeyRecord::Clear() {
  ClearFields();
  m_vecKeys1.clear();
  m_vecKeys2.clear();
  m_vecRun1.clear();
  m_vecRun2.clear();
  for (uint32_t& n : m_nPlayPos) n = 0;
}

void cKeyRecord::Read(cDataFile& f) { KeyRecordRead(*this, f); }
void cKeyRecord::Write(cDataFile& f) { KeyRecordWrite(*this, f); }

void KeyRecordRead(cKeyRecord& rec, cDataFile& f) {
  rec.cEdRecord::Read(f);
  ReadValueList(f, rec.m_vecKeys1, "direction stream");
  ReadValueList(f, rec.m_vecKeys2, "button stream");
  ReadValueList(f, rec.m_vecRun1, "direction runs");
  ReadValueList(f, rec.m_vecRun2, "button runs");
}

void KeyRecordWrite(cKeyRecord& rec, cDataFile& f) {
  rec.cEdRecord::Write(f);
  WriteValueList(f, rec.m_vecKeys1);
  WriteValueList(f, rec.m_vecKeys2);
  WriteValueList(f, rec.m_vecRun1);
  WriteValueList(f, rec.m_vecRun2);
}

namespace {

void RecordStream(cVector<uint16_t>& keys, cVector<uint32_t>& runs, uint16_t w) {
  // The run list follows the key list; a record read from a damaged file
  // may have them apart, and then a new run starts.
  if (!keys.empty() && keys.back() == w && runs.size() == keys.size()) {
    ++runs.back();
  } else {
    runs.resize(keys.size(), 0);
    keys.push_back(w);
    runs.push_back(1);
  }
}

bool StreamEnded(const cVector<uint16_t>& keys, const cVector<uint32_t>& runs, uint32_t nIndex) {
  return nIndex >= keys.size() || nIndex >= runs.size();
}

void PlayStream(const cVector<uint16_t>& keys, const cVector<uint32_t>& runs, uint32_t& nIndex, uint32_t& nCount,
                uint16_t& w) {
  w = keys[nIndex];
  ++nCount;
  // At or past: a run length of 0 from a damaged file still moves on.
  if (nCount >= runs[nIndex]) {
    nCount = 0;
    ++nIndex;
  }
}

}  // namespace

void KeyRecordRecordFrame(cKeyRecord& rec, uint16_t wDir, uint16_t wButton) {
  RecordStream(rec.m_vecKeys1, rec.m_vecRun1, wDir);
  RecordStream(rec.m_vecKeys2, rec.m_vecRun2, wButton);
}

int KeyRecordPlayFrame(cKeyRecord& rec, uint16_t& wDir, uint16_t& wButton) {
  if (StreamEnded(rec.m_vecKeys1, rec.m_vecRun1, rec.m_nPlayPos[0]) ||
      StreamEnded(rec.m_vecKeys2, rec.m_vecRun2, rec.m_nPlayPos[2])) {
    return 1;
  }
  PlayStream(rec.m_vecKeys1, rec.m_vecRun1, rec.m_nPlayPos[0], rec.m_nPlayPos[1], wDir);
  PlayStream(rec.m_vecKeys2, rec.m_vecRun2, rec.m_nPlayPos[2], rec.m_nPlayPos[3], wButton);
  return 0;
}

void KeyRecordAssign(cKeyRecord& dst, cKeyRecord& src) {
  if (&dst == &src) return;
  dst.CopyFieldValues(src);
  dst.m_vecKeys1 = src.m_vecKeys1;
  dst.m_vecKeys2 = src.m_vecKeys2;
  dst.m_vecRun1 = src.m_vecRun1;
  dst.m_vecRun2 = src.m_vecRun2;
}
