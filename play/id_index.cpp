#include "play/id_index.h"

#include <iterator>
#include <typeinfo>

#include "play/live_chara.h"
#include "play/live_lists.h"
#include "play/stage_chara.h"

namespace {
// Game thread only.
cIdIndex s_Index;

// A treap priority: ranks come in order, their hashes in no order.
uint32_t PriorityOf(uint64_t nRank) {
  uint64_t z = nRank + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}
}  // namespace

void IdIndexForget(cChara& chara) {
  if (s_Index.m_bReady && s_Index.IsFiled(chara)) s_Index.Unfile(chara.m_nIdSlot);
}

void NoteIdSet(cGameObj& obj) {
  // Only the stage charas are filed (not players, shots or items).
  if (!s_Index.m_bReady || typeid(obj) != typeid(cStageChara)) return;
  cChara& c = static_cast<cStageChara&>(obj);
  s_Index.Rekey(c, cIdIndex::BY_ID, c.m_nId);
}

void NoteCharaIdSet(cChara& chara) {
  if (s_Index.m_bReady) s_Index.Rekey(chara, cIdIndex::BY_CHARAID, chara.m_nCharaId);
}

cIdIndex& cIdIndex::Ready() {
  if (!s_Index.m_bReady) s_Index.Build();
  else s_Index.FileNewcomers();
  return s_Index;
}

const cIdIndex::CHAIN* cIdIndex::FindChain(KEY k, int32_t nKey) const {
  if (k == BY_CHARAID) {
    const CHAIN& ch = m_aByCharaId[static_cast<uint8_t>(nKey + 128)];
    return ch.nHead >= 0 ? &ch : nullptr;
  }
  auto it = m_mapById.find(nKey);
  return it == m_mapById.end() ? nullptr : &it->second;
}

cIdIndex::CHAIN& cIdIndex::Chain(KEY k, int32_t nKey) {
  if (k == BY_CHARAID) return m_aByCharaId[static_cast<uint8_t>(nKey + 128)];
  return m_mapById[nKey];
}

void cIdIndex::Build() {
  m_vEntry.clear();
  m_vFree.clear();
  m_mapById.clear();
  for (CHAIN& ch : m_aByCharaId) ch = CHAIN{};
  m_nFiled = m_nNulls = 0;
  m_nNextRank = 0;
  m_vEntry.reserve(g_lstChara.size());
  for (const auto& c : g_lstChara) {
    if (c) File(*c, m_nNextRank++);
    else ++m_nNulls;
  }
  m_bReady = true;
}

void cIdIndex::FileNewcomers() {
  if (m_nFiled + m_nNulls == g_lstChara.size()) return;
  // Charas join g_lstChara at its end only, and leave the index as they
  // leave the list: the ones not yet filed are the list's tail.
  auto it = g_lstChara.end();
  while (it != g_lstChara.begin() && !(*std::prev(it) && IsFiled(**std::prev(it)))) --it;
  for (; it != g_lstChara.end(); ++it) {
    if (*it) File(**it, m_nNextRank++);
    else ++m_nNulls;
  }
  if (m_nFiled + m_nNulls != g_lstChara.size()) Build();
}

void cIdIndex::File(cChara& c, uint64_t nRank) {
  int nSlot;
  if (!m_vFree.empty()) {
    nSlot = m_vFree.back();
    m_vFree.pop_back();
  } else {
    nSlot = static_cast<int>(m_vEntry.size());
    m_vEntry.emplace_back();
  }
  ENTRY& e = m_vEntry[nSlot];
  e.lpChara = &c;
  e.nRank = nRank;
  e.nPriority = PriorityOf(nRank);
  c.m_nIdSlot = nSlot;
  ++m_nFiled;
  Link(nSlot, BY_ID, c.m_nId);
  Link(nSlot, BY_CHARAID, c.m_nCharaId);
}

void cIdIndex::Unfile(int nSlot) {
  Unlink(nSlot, BY_ID);
  Unlink(nSlot, BY_CHARAID);
  ENTRY& e = m_vEntry[nSlot];
  e.lpChara->m_nIdSlot = -1;
  e.lpChara = nullptr;
  m_vFree.push_back(nSlot);
  --m_nFiled;
}

// Into the chain at its place by rank, which the treap finds.
void cIdIndex::Link(int nSlot, KEY k, int32_t nKey) {
  CHAIN& ch = Chain(k, nKey);
  ENTRY& e = m_vEntry[nSlot];
  e.anKey[k] = nKey;
  int nAfter = -1;  // the last of the chain ranked before it
  Insert(k, ch.nRoot, nSlot, nAfter);
  const int nBefore = nAfter >= 0 ? m_vEntry[nAfter].anNext[k] : ch.nHead;
  e.anPrev[k] = nAfter;
  e.anNext[k] = nBefore;
  if (nAfter >= 0) m_vEntry[nAfter].anNext[k] = nSlot;
  else ch.nHead = nSlot;
  if (nBefore >= 0) m_vEntry[nBefore].anPrev[k] = nSlot;
  else ch.nTail = nSlot;
}

void cIdIndex::Unlink(int nSlot, KEY k) {
  const ENTRY& e = m_vEntry[nSlot];
  CHAIN& ch = Chain(k, e.anKey[k]);
  Erase(k, ch.nRoot, nSlot);
  if (e.anPrev[k] >= 0) m_vEntry[e.anPrev[k]].anNext[k] = e.anNext[k];
  else ch.nHead = e.anNext[k];
  if (e.anNext[k] >= 0) m_vEntry[e.anNext[k]].anPrev[k] = e.anPrev[k];
  else ch.nTail = e.anPrev[k];
  if (k == BY_ID && ch.nHead < 0) m_mapById.erase(e.anKey[k]);
}

// Of the entries ranked before the new one on the path to its place, the
// last met is the one ranked last before it.
void cIdIndex::Insert(KEY k, int& nRoot, int nSlot, int& nAfter) {
  ENTRY& e = m_vEntry[nSlot];
  int* lpLink = &nRoot;
  while (*lpLink >= 0 && m_vEntry[*lpLink].nPriority >= e.nPriority) {
    ENTRY& r = m_vEntry[*lpLink];
    if (e.nRank < r.nRank) {
      lpLink = &r.anLeft[k];
    } else {
      nAfter = *lpLink;
      lpLink = &r.anRight[k];
    }
  }
  Split(k, *lpLink, e.nRank, e.anLeft[k], e.anRight[k], nAfter);
  *lpLink = nSlot;
}

void cIdIndex::Erase(KEY k, int& nRoot, int nSlot) {
  const uint64_t nRank = m_vEntry[nSlot].nRank;
  int* lpLink = &nRoot;  // the entry is in the tree
  while (*lpLink != nSlot) {
    ENTRY& r = m_vEntry[*lpLink];
    lpLink = nRank < r.nRank ? &r.anLeft[k] : &r.anRight[k];
  }
  const ENTRY& e = m_vEntry[nSlot];
  *lpLink = Merge(k, e.anLeft[k], e.anRight[k]);
}

// Split and Merge recurse as deep as the treap: about twice the logarithm
// of the chain's length.
void cIdIndex::Split(KEY k, int nRoot, uint64_t nRank, int& nBelow, int& nRest, int& nLastBelow) {
  if (nRoot < 0) {
    nBelow = nRest = -1;
    return;
  }
  ENTRY& r = m_vEntry[nRoot];
  if (r.nRank < nRank) {
    nLastBelow = nRoot;
    Split(k, r.anRight[k], nRank, r.anRight[k], nRest, nLastBelow);
    nBelow = nRoot;
  } else {
    Split(k, r.anLeft[k], nRank, nBelow, r.anLeft[k], nLastBelow);
    nRest = nRoot;
  }
}

// Every rank of nLow below every rank of nHigh.
int cIdIndex::Merge(KEY k, int nLow, int nHigh) {
  if (nLow < 0) return nHigh;
  if (nHigh < 0) return nLow;
  ENTRY& l = m_vEntry[nLow];
  ENTRY& h = m_vEntry[nHigh];
  if (l.nPriority > h.nPriority) {
    l.anRight[k] = Merge(k, l.anRight[k], nHigh);
    return nLow;
  }
  h.anLeft[k] = Merge(k, nLow, h.anLeft[k]);
  return nHigh;
}

void cIdIndex::Rekey(cChara& c, KEY k, int32_t nKey) {
  if (!IsFiled(c)) return;
  const int nSlot = c.m_nIdSlot;
  if (m_vEntry[nSlot].anKey[k] == nKey) return;
  Unlink(nSlot, k);
  Link(nSlot, k, nKey);
}

bool cIdIndex::IsFiled(const cChara& c) const {
  const int n = c.m_nIdSlot;
  return n >= 0 && static_cast<size_t>(n) < m_vEntry.size() && m_vEntry[n].lpChara == &c;
}
