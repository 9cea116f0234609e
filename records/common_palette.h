// The common palette (`g_CommonPalette`, "data\CommonPalette.cplt4"): the
// block, chara and item definitions every stage of the project can use, the
// list readers it shares with the stage file, and the rule that a palette
// entry is not inherited from before it has been read.
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

// List readers shared with the stage file: u32 count, the list refilled
// with that many default elements, each read.
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

// ---- Inheritance while a palette is being read ----------------------------
// A palette list is resized to its count before its elements are read, so
// the entries not yet read hold defaults. An element read meanwhile keeps
// its own values for the groups it would take from such an entry.
enum PALETTELIST { PALLIST_BLOCK = 0, PALLIST_CHARA = 1, PALLIST_ITEM = 2 };
bool PaletteEntryReady(int nSource, PALETTELIST list, int nIndex);

// Held while the common palette is read: nothing is inherited at all, since
// its inheritance marks are cleared afterwards and the file's values stand.
class cCommonPaletteReadScope {
 public:
  cCommonPaletteReadScope();
  ~cCommonPaletteReadScope();
  cCommonPaletteReadScope(const cCommonPaletteReadScope&) = delete;
  cCommonPaletteReadScope& operator=(const cCommonPaletteReadScope&) = delete;
};

// Held while list `list` of g_Stage's palette is read; the list readers
// keep count of the elements read.
class cStagePaletteReadScope {
 public:
  explicit cStagePaletteReadScope(PALETTELIST list);
  ~cStagePaletteReadScope();
  cStagePaletteReadScope(const cStagePaletteReadScope&) = delete;
  cStagePaletteReadScope& operator=(const cStagePaletteReadScope&) = delete;
};
