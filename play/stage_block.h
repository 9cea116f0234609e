// One cell of the running stage's block map: a block record and the
// run-time byte beside it.
#pragma once

#include <cstdint>

#include "base/checked_containers.h"
#include "records/block.h"

class cStageBlock : public cEdBlock {
 public:
  uint8_t m_byRunFlag = 0;
};

template <>
struct ReportedSize<cStageBlock> {
  static constexpr int value = 128;
};

// The block map of the stage in play, row by row with a row stride of
// 2^(row shift) cells. Written by stage set-up and by block summons on the
// game thread; read by the game thread and by the frozen-frame drawing while
// the game thread waits for it.
extern cVector<cStageBlock> g_vBlockMap;
