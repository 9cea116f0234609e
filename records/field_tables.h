// The field tables of the records, shared: every record of a class that
// registers at one data version names the same members at the same offsets
// in the same order, so all of them use one pair of tables, made once and
// kept for the run. Registering, copying and reading a record allocate
// nothing for its tables.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "base/checked_containers.h"

// One registered fixed-size member. It is held as an offset into its record,
// so a copied or moved record's table names the copy's own members.
struct RECFIELD {
  ptrdiff_t nOffset;
  uint32_t dwCount;
  int8_t cSize;
};

// One registered string member.
struct RECSTRFIELD {
  ptrdiff_t nOffset;
};

// The failure lines name the sizes the original program's descriptors had.
template <>
struct ReportedSize<RECFIELD> {
  static constexpr int value = 16;
};
template <>
struct ReportedSize<RECSTRFIELD> {
  static constexpr int value = 8;
};

// Fields that follow each other in the file and lie next to each other in
// the record, as one copy.
struct RECRUN {
  ptrdiff_t nOffset;
  size_t nBytes;
};

// Both tables of one registration.
struct RECTABLES {
  cVector<RECFIELD> vecField;
  cVector<RECSTRFIELD> vecStrField;
  size_t nFieldBytes = 0;  // all fields' bytes in a file
  cVector<RECRUN> vecRun;  // all fields, in as few copies as they allow
};

// A registration is a path in one tree: each node is one step (a member
// registered after those of its parent), and a record registering walks
// from the root, taking the child that registers the same member or adding
// it. So every record of a class that registers at one data version ends on
// the same node, and that node's tables, made on first use, serve them all.
// A class has a handful of layouts, so the tree stays small. Nodes are added
// under a lock and read without one, so any thread that reads a file can
// register.
class cFieldNode {
 public:
  constexpr cFieldNode() = default;
  cFieldNode(const cFieldNode* pParent, ptrdiff_t nOffset, uint32_t dwCount, int8_t cSize)
      : m_pParent(pParent), m_nOffset(nOffset), m_dwCount(dwCount), m_cSize(cSize) {}

  // The node for one more member registered after this one's: a string
  // when cSize is 0.
  const cFieldNode* Next(ptrdiff_t nOffset, uint32_t dwCount, int8_t cSize) const {
    const cFieldNode* c = m_pFirstChild.load(std::memory_order_acquire);
    return c && c->Registers(nOffset, dwCount, cSize) ? c : NextSlow(nOffset, dwCount, cSize);
  }
  const RECTABLES& Tables() const {
    const RECTABLES* t = m_pTables.load(std::memory_order_acquire);
    return t ? *t : MakeTables();
  }

  // The node of the empty registration.
  static const cFieldNode& Root();

 private:
  bool Registers(ptrdiff_t nOffset, uint32_t dwCount, int8_t cSize) const {
    return m_nOffset == nOffset && m_dwCount == dwCount && m_cSize == cSize;
  }
  const cFieldNode* FindChild(ptrdiff_t nOffset, uint32_t dwCount, int8_t cSize) const;
  const cFieldNode* NextSlow(ptrdiff_t nOffset, uint32_t dwCount, int8_t cSize) const;
  const RECTABLES& MakeTables() const;

  const cFieldNode* m_pParent = nullptr;
  ptrdiff_t m_nOffset = 0;
  uint32_t m_dwCount = 0;
  int8_t m_cSize = 0;
  // Set before the node is published, then never changed.
  const cFieldNode* m_pNextSibling = nullptr;
  mutable std::atomic<const cFieldNode*> m_pFirstChild{nullptr};
  mutable std::atomic<const RECTABLES*> m_pTables{nullptr};
};
