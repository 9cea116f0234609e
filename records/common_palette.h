// The common palette (`g_CommonPalette`, "data\CommonPalette.cplt4"): the
// block, chara and item definitions every stage of the project can use, the
// list readers it shares with the stage file, and how inheritance sees a
// palette list while it is being read.
#pragma once

#include "records/block.h"
#include "records/chara.h"
#include "records/item.h"
#include "records/record.h"

class cEdCommonPalette : public cEdRecord {
 public:
  // One default element in each list.
  cEdCommonPalette();
  void RegisterFields(int) override { ClearTables(); }
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;
  // Pads each list to two elements, then refreshes every element.
  void Normalize();

  cVector<cEdBlock> m_vecBlock;
  cVector<cEdChara> m_vecChara;
  cVector<cEdItem> m_vecItem;
};

// Threads: loaded by InitGame on the window thread before the game thread
// starts; read-only afterwards (game thread; thLoader's stage fitting while
// its caller waits).
extern cEdCommonPalette g_CommonPalette;
extern const char* const COMMON_PALETTE_PATH;  // "data\CommonPalette.cplt4"

// Reads COMMON_PALETTE_PATH into g_CommonPalette: 1 on success. On failure
// (with "%s のロードに失敗！" left to the caller) the palette still holds
// two elements per list, each element 0 the fixed empty definition.
BOOL LoadCommonPalette();

// The longest palette list a file may hold (entries are named in 16 bits).
constexpr uint32_t PALETTE_MAX_ENTRIES = 65536;
// List readers shared with the stage file: u32 count, then that many
// elements, each starting from the class's defaults. The list grows as its
// elements are read, so a count that the bytes after it cannot hold costs
// nothing; the entries not yet read still count for inheritance (below). A
// count above PALETTE_MAX_ENTRIES marks the file damaged.
void ReadBlockList(cVector<cEdBlock>& v, cDataFile& f);
void ReadCharaList(cVector<cEdChara>& v, cDataFile& f);
void ReadItemList(cVector<cEdItem>& v, cDataFile& f);

// Element 0 of every palette list is this fixed empty definition whatever a
// file holds.
void ResetPaletteHead(cVector<cEdBlock>& vBlock, cVector<cEdChara>& vChara, cVector<cEdItem>& vItem);
// Pads a palette list to two default elements.
template <class T>
void PadPaletteList(cVector<T>& v) {
  while (v.size() < 2) v.emplace_back();
}

// ---- Palette lists as inheritance sees them ------------------------------
// A list being read counts as long as its file says from the start, and
// every entry not yet read stands as a default element of its class: an
// entry may take its marked groups from a later one, and takes the
// defaults. Outside a read these are the list's own size and elements.
size_t PaletteListCount(const cVector<cEdBlock>& v);
size_t PaletteListCount(const cVector<cEdChara>& v);
size_t PaletteListCount(const cVector<cEdItem>& v);
// Entry nIndex (below PaletteListCount) to inherit from; null while the
// common palette is read, which inherits nothing.
const cEdBlock* PaletteEntryToInherit(const cVector<cEdBlock>& v, size_t nIndex);
const cEdChara* PaletteEntryToInherit(const cVector<cEdChara>& v, size_t nIndex);
const cEdItem* PaletteEntryToInherit(const cVector<cEdItem>& v, size_t nIndex);

// Held while the common palette is read: nothing is inherited at all, since
// its inheritance marks are cleared afterwards and the file's values stand.
class cCommonPaletteReadScope {
 public:
  cCommonPaletteReadScope();
  ~cCommonPaletteReadScope();
  cCommonPaletteReadScope(const cCommonPaletteReadScope&) = delete;
  cCommonPaletteReadScope& operator=(const cCommonPaletteReadScope&) = delete;
};
