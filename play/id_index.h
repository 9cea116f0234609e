// The stage charas of g_lstChara filed by id (m_nId) and by chara ID (the
// flows' status 5, m_nCharaId), for the lookups that want the first chara
// of an id in list order: a chain per id holds its charas in list order, so
// a lookup looks at the charas of that id only, however long the list.
// Ids need not be unique (a lookup's own conditions pick among them), and
// the answers are those of a walk over the list.
// Kept current with the list and the ids:
// - a chara appended to g_lstChara is filed at the next lookup;
// - a chara leaves when it leaves the list (EraseChara) or is freed
//   (cChara's destructor);
// - every writer of m_nId (cGameObj::Setup, CopyFrom) calls NoteIdSet
//   afterwards, and cChara::SetStatus calls NoteCharaIdSet after writing
//   m_nCharaId: the chara moves to the chain of its new id, at its place in
//   list order;
// - anything else that changes the list's length (a chara taken out without
//   a word) has it filed afresh at the next lookup.
// Players are not filed: they are few, and the lookups look at them first.
// Game thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class cChara;
class cGameObj;

// A chara leaving g_lstChara or about to be freed.
void IdIndexForget(cChara& chara);
// After a write to obj's m_nId.
void NoteIdSet(cGameObj& obj);
// After a write to the chara's m_nCharaId.
void NoteCharaIdSet(cChara& chara);

class cIdIndex {
 public:
  cIdIndex() = default;
  // Charas freed after it at the program's exit find it empty.
  ~cIdIndex() { m_bReady = false; }
  cIdIndex(const cIdIndex&) = delete;
  cIdIndex& operator=(const cIdIndex&) = delete;

  // The index as g_lstChara stands now: the charas appended since filed.
  static cIdIndex& Ready();

  // The first stage chara of g_lstChara in list order with that m_nId
  // (FirstOfId) or m_nCharaId (FirstOfCharaId) for which fnTest gives
  // true; null when none does. fnTest changes neither the list nor ids.
  template <class TEST>
  cChara* FirstOfId(int32_t nId, TEST&& fnTest) const {
    return FirstOf(BY_ID, nId, fnTest);
  }
  template <class TEST>
  cChara* FirstOfCharaId(int32_t nCharaId, TEST&& fnTest) const {
    if (nCharaId < INT8_MIN || nCharaId > INT8_MAX) return nullptr;  // no chara holds it
    return FirstOf(BY_CHARAID, nCharaId, fnTest);
  }

  size_t FiledCountForTests() const { return m_nFiled; }

 private:
  friend void IdIndexForget(cChara& chara);
  friend void NoteIdSet(cGameObj& obj);
  friend void NoteCharaIdSet(cChara& chara);

  enum KEY { BY_ID, BY_CHARAID, KEY_COUNT };
  // A chain is a list in rank order for the lookups' walk, and the same
  // entries in a treap by rank (priorities from the rank's hash) that finds
  // a moving chara's place in it in logarithmic time.
  struct CHAIN {
    int nHead = -1, nTail = -1;
    int nRoot = -1;
  };
  struct ENTRY {
    cChara* lpChara;  // null for a free slot
    uint64_t nRank;   // grows with the place in g_lstChara
    int32_t anKey[KEY_COUNT];
    int anPrev[KEY_COUNT], anNext[KEY_COUNT];   // the chains, -1 at their ends
    int anLeft[KEY_COUNT], anRight[KEY_COUNT];  // the treaps, -1 for none
    uint32_t nPriority;                         // a parent's is at least its children's
  };

  template <class TEST>
  cChara* FirstOf(KEY k, int32_t nKey, TEST& fnTest) const {
    const CHAIN* lpChain = FindChain(k, nKey);
    if (!lpChain) return nullptr;
    for (int e = lpChain->nHead; e >= 0; e = m_vEntry[e].anNext[k])
      if (fnTest(*m_vEntry[e].lpChara)) return m_vEntry[e].lpChara;
    return nullptr;
  }
  const CHAIN* FindChain(KEY k, int32_t nKey) const;
  CHAIN& Chain(KEY k, int32_t nKey);

  void Build();
  void FileNewcomers();
  void File(cChara& c, uint64_t nRank);
  void Unfile(int nSlot);
  void Link(int nSlot, KEY k, int32_t nKey);
  void Unlink(int nSlot, KEY k);
  // The treap of a chain, by its root. Insert sets nAfter to the entry
  // ranked last before the new one (-1 for none); Split sets nLastBelow to
  // the last of nBelow's when it has any; Merge gives the root it makes.
  void Insert(KEY k, int& nRoot, int nSlot, int& nAfter);
  void Erase(KEY k, int& nRoot, int nSlot);
  void Split(KEY k, int nRoot, uint64_t nRank, int& nBelow, int& nRest, int& nLastBelow);
  int Merge(KEY k, int nLow, int nHigh);
  void Rekey(cChara& c, KEY k, int32_t nKey);
  bool IsFiled(const cChara& c) const;

  bool m_bReady = false;
  std::vector<ENTRY> m_vEntry;
  std::vector<int> m_vFree;  // free slots of m_vEntry
  size_t m_nFiled = 0;
  size_t m_nNulls = 0;  // null places of g_lstChara met
  uint64_t m_nNextRank = 0;
  std::unordered_map<int32_t, CHAIN> m_mapById;
  CHAIN m_aByCharaId[256];  // by m_nCharaId + 128
};
