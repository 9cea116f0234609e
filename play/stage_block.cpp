#include "play/stage_block.h"

#include <new>

#include "play/live_limits.h"

namespace {

cStageBlock MakeEmptyCell() {
  // A fresh block with no picture that meets nothing.
  cStageBlock fill;
  fill.m_nImageIndex = 0;
  fill.m_nHitKind = BLOCKHIT_NONE;
  fill.m_byRunFlag = 0;
  return fill;
}

}  // namespace

const cStageBlock& cBlockMap::EmptyCell() {
  static const cStageBlock s_Empty = MakeEmptyCell();
  return s_Empty;
}

bool cBlockMap::Reset(size_t nCells) {
  clear();
  try {
    m_vCell.assign(nCells, 0);
  } catch (const std::bad_alloc&) {
    clear();
    return false;
  }
  return true;
}

void cBlockMap::clear() {
  cVector<uint32_t>().swap(m_vCell);
  std::deque<cStageBlock>().swap(m_dqBlock);
}

cStageBlock* cBlockMap::Edit(size_t i) {
  uint32_t& n = m_vCell[i];
  if (n == 0) {
    if (!RoomForLive(LIVE_BLOCK, m_dqBlock.size())) return nullptr;
    m_dqBlock.push_back(EmptyCell());
    n = static_cast<uint32_t>(m_dqBlock.size());
  }
  return &m_dqBlock[n - 1];
}
