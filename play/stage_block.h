// The block map of the stage in play: one small word per cell, and a block
// record only for the cells that hold a block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "base/checked_containers.h"
#include "records/block.h"

// One cell's block: a block record and the run-time byte beside it.
class cStageBlock : public cEdBlock {
 public:
  // The record part from b, keeping the run-time byte.
  void SetBlock(const cEdBlock& b) { static_cast<cEdBlock&>(*this) = b; }

  uint8_t m_byRunFlag = 0;
};

template <>
struct ReportedSize<cStageBlock> {
  static constexpr int value = 128;
};

// Row by row with a row stride of 2^(row shift) cells. An empty cell (image
// 0, no hit) costs one word: most of a stage's map is empty, and a block
// record is larger than a hundred such words. A cell that holds a block owns
// a record of its own, which stays where it is while the map lives, so a
// chara may keep pointing at the block under its feet.
class cBlockMap {
 public:
  // nCells empty cells in place of the map; false, with the map left empty,
  // when there is no memory for them.
  bool Reset(size_t nCells);
  void clear();
  size_t size() const { return m_vCell.size(); }
  bool HoldsBlock(size_t i) const { return m_vCell[i] != 0; }
  // The cell's block; the one shared empty block for a cell without one.
  const cStageBlock& operator[](size_t i) const {
    const uint32_t n = m_vCell[i];
    return n ? m_dqBlock[n - 1] : EmptyCell();
  }
  // The cell's own block to change, made empty for a cell without one; null
  // when the map already holds as many blocks as a stage may keep
  // (LIVE_MAX[LIVE_BLOCK]: every cell of the largest map could hold one,
  // but a map that full would take gigabytes).
  cStageBlock* Edit(size_t i);
  // The block every empty cell shows.
  static const cStageBlock& EmptyCell();

 private:
  cVector<uint32_t> m_vCell;          // 0: empty, else 1 + index into m_dqBlock
  std::deque<cStageBlock> m_dqBlock;  // deque: addresses stay as it grows
};

// Written by stage set-up and by block summons on the game thread; read by
// the game thread and by the frozen-frame drawing while the game thread
// waits for it.
extern cBlockMap g_vBlockMap;
