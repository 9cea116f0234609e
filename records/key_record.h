// The replay key record: the random seed of a recorded play and player 1's
// input as two run-length streams (direction word and button word).
#pragma once

#include <cstdint>

#include "records/record.h"

class cKeyRecord : public cEdRecord {
 public:
  cKeyRecord();
  void RegisterFields(int nVersion) override;
  // KeyRecordRead / KeyRecordWrite: the base part (the seed), then the two
  // u16 streams and the two u32 run lists, each as u32 count and values.
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  // Seed 0, every list empty, the playback counters 0.
  void Clear();

  cVector<uint16_t> m_vecKeys1;  // successive distinct direction words
  cVector<uint16_t> m_vecKeys2;  // successive distinct button words
  cVector<uint32_t> m_vecRun1;   // frames each direction word lasted
  cVector<uint32_t> m_vecRun2;   // frames each button word lasted
  uint32_t m_nRandomSeed = 0;
  // Playback, never saved: direction index, frames into its run, button
  // index, frames into its run.
  uint32_t m_nPlayPos[4] = {0, 0, 0, 0};
};

void KeyRecordRead(cKeyRecord& rec, cDataFile& f);
void KeyRecordWrite(cKeyRecord& rec, cDataFile& f);
// Appends one frame of input.
void KeyRecordRecordFrame(cKeyRecord& rec, uint16_t wDir, uint16_t wButton);
// Fills the words from the recording and moves on one frame: 0; or 1 once
// either stream has ended (the words are then left alone).
int KeyRecordPlayFrame(cKeyRecord& rec, uint16_t& wDir, uint16_t& wButton);
// The seed and the four lists; the playback counters of dst stay.
void KeyRecordAssign(cKeyRecord& dst, cKeyRecord& src);
