#include "records/item.h"

#include "records/flow_fitting.h"
#include "records/database.h"
#include "records/palette_entry.h"

namespace {

typedef void (*ITEMCOPIER)(cEdItem& dst, const cEdItem& src);

const ITEMCOPIER s_ItemCopier[ITEM_INHERIT_GROUPS] = {
    [](cEdItem& d, const cEdItem& s) { CopyTextGroup(d, s); },
    [](cEdItem& d, const cEdItem& s) { CopyConditionGroup(d, s); },
    [](cEdItem& d, const cEdItem& s) { d.m_nSetting5 = s.m_nSetting5; },
    [](cEdItem& d, const cEdItem& s) { d.m_nSetting6 = s.m_nSetting6; },
    [](cEdItem& d, const cEdItem& s) {
      d.m_nImageKind = s.m_nImageKind;
      d.m_nImageIndex = s.m_nImageIndex;
      d.m_nImageSub = s.m_nImageSub;
    },
    [](cEdItem& d, const cEdItem& s) { d.m_nSetting10 = s.m_nSetting10; },
    [](cEdItem& d, const cEdItem& s) { d.m_bHidden = s.m_bHidden; },
    [](cEdItem& d, const cEdItem& s) {
      d.m_bShowIcon = s.m_bShowIcon;
      d.m_nIconIndex = s.m_nIconIndex;
    },
    [](cEdItem& d, const cEdItem& s) { d.m_nScale = s.m_nScale; },
    [](cEdItem& d, const cEdItem& s) { d.m_nPickup = s.m_nPickup; },
    [](cEdItem& d, const cEdItem& s) { d.m_bShowOnTake = s.m_bShowOnTake; },
    [](cEdItem& d, const cEdItem& s) { d.m_nSound = s.m_nSound; },
    [](cEdItem& d, const cEdItem& s) { d.m_vecCommand = s.m_vecCommand; },
};

}  // namespace

cEdItem* GetItemDef(int nSource, int nIndex) {
  cVector<cEdItem>* pList = PaletteList<cEdItem>(nSource);
  if (!pList || nIndex < 0 || static_cast<size_t>(nIndex) >= pList->size()) return nullptr;
  return &(*pList)[static_cast<size_t>(nIndex)];
}

cEdItem::cEdItem() {
  RegisterFields(DATA_VERSION_CURRENT);
  SetDefaults();
}

void cEdItem::RegisterFields(int) {
  ClearTables();
  AddField8(&m_nInheritSource, 1);   // 1
  AddField16(&m_nInheritIndex, 1);   // 2
  AddField8(&m_nCondMode, 1);        // 3
  AddField8(&m_nCondLatch, 1);       // 4
  AddField16(&m_nSetting5, 1);       // 5
  AddField16(&m_nSetting6, 1);       // 6
  AddField16(&m_nImageIndex, 1);     // 7
  AddField8(&m_nImageKind, 1);       // 8
  AddField16(&m_nImageSub, 1);       // 9
  AddField8(&m_nSetting10, 1);       // 10
  AddField8(&m_bHidden, 1);          // 11
  AddField8(&m_bShowIcon, 1);        // 12
  AddField16(&m_nIconIndex, 1);      // 13
  AddField8(&m_bShowOnTake, 1);      // 14
  AddField8(&m_nPickup, 1);          // 15
  AddField8(&m_nScale, 1);           // 16
  AddField16(&m_nSound, 1);          // 17
  AddStrField(&m_strText, 1);
}

void cEdItem::SetDefaults() {
  ClearFields();
  m_vecInherit.assign(ITEM_INHERIT_GROUPS, 0);
  m_nImageKind = IMAGE_ITEM;
  m_nImageIndex = 0;
  m_bShowOnTake = 1;
  m_nScale = 1;
  m_nSetting10 = 6;
}

void cEdItem::Read(cDataFile& f) {
  cEdRecord::Read(f);
  ReadPlacedHead(*this, f);
  ReadCommandList(m_vecCommand, f);
  if (g_nFileDataVersion < 219 && m_nImageKind == IMAGE_SHOT) m_nImageIndex = ShiftOldShotPicture(m_nImageIndex);
  InheritFromPalette();
  CheckRefs();
}

void cEdItem::Write(cDataFile& f) {
  CheckRefs();
  cEdRecord::Write(f);
  WritePlacedHead(*this, f);
  WriteCommandList(m_vecCommand, f);
}

void cEdItem::InheritFromPalette() {
  InheritMarkedGroups(*this, m_nInheritSource, m_nInheritIndex, m_vecInherit, s_ItemCopier);
}

void cEdItem::CheckRefs() {
  UnbindPaletteRefOutside<cEdItem>(m_nInheritSource, m_nInheritIndex);
  if (m_nScale < 1) m_nScale = 1;
  if (m_nSound >= g_Database.m_vecSound.size()) m_nSound = 0;
  for (cEdCommand& c : m_vecCommand) FitCommandToDatabase(c);
}

void cEdItem::FitCommands() {
  for (cEdCommand& c : m_vecCommand) FitCommandPalettes(c);
}
