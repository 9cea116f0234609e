#include "records/field_tables.h"

#include <mutex>
#include <vector>

namespace {

constinit cFieldNode s_Root;
constinit std::mutex s_TreeLock;

}  // namespace

const cFieldNode& cFieldNode::Root() { return s_Root; }

const cFieldNode* cFieldNode::FindChild(ptrdiff_t nOffset, uint32_t dwCount, int8_t cSize) const {
  for (const cFieldNode* c = m_pFirstChild.load(std::memory_order_acquire); c; c = c->m_pNextSibling)
    if (c->Registers(nOffset, dwCount, cSize)) return c;
  return nullptr;
}

const cFieldNode* cFieldNode::NextSlow(ptrdiff_t nOffset, uint32_t dwCount, int8_t cSize) const {
  if (const cFieldNode* c = FindChild(nOffset, dwCount, cSize)) return c;
  std::lock_guard<std::mutex> lock(s_TreeLock);
  if (const cFieldNode* c = FindChild(nOffset, dwCount, cSize)) return c;
  cFieldNode* c = new cFieldNode(this, nOffset, dwCount, cSize);
  c->m_pNextSibling = m_pFirstChild.load(std::memory_order_relaxed);
  m_pFirstChild.store(c, std::memory_order_release);
  return c;
}

const RECTABLES& cFieldNode::MakeTables() const {
  std::lock_guard<std::mutex> lock(s_TreeLock);
  if (const RECTABLES* t = m_pTables.load(std::memory_order_acquire)) return *t;
  std::vector<const cFieldNode*> path;
  for (const cFieldNode* n = this; n != &s_Root; n = n->m_pParent) path.push_back(n);
  RECTABLES* t = new RECTABLES;
  for (auto it = path.rbegin(); it != path.rend(); ++it) {
    const cFieldNode& n = **it;
    if (n.m_cSize == 0) {
      t->vecStrField.push_back(RECSTRFIELD{n.m_nOffset});
      continue;
    }
    t->vecField.push_back(RECFIELD{n.m_nOffset, n.m_dwCount, n.m_cSize});
    const size_t nBytes = static_cast<size_t>(n.m_dwCount) * static_cast<size_t>(n.m_cSize);
    t->nFieldBytes += nBytes;
    if (nBytes == 0) continue;
    if (!t->vecRun.empty() && t->vecRun.back().nOffset + static_cast<ptrdiff_t>(t->vecRun.back().nBytes) == n.m_nOffset) {
      t->vecRun.back().nBytes += nBytes;
    } else {
      t->vecRun.push_back(RECRUN{n.m_nOffset, nBytes});
    }
  }
  m_pTables.store(t, std::memory_order_release);
  return *t;
}
