#include "records/chara.h"

#include "records/flow_fitting.h"
#include "records/database.h"
#include "records/palette_entry.h"

namespace {

typedef void (*CHARACOPIER)(cEdChara& dst, const cEdChara& src);

// Group i of the inheritance vector; the numbers are those of the fields.
#define T4_COPY(member) d.member = s.member
const CHARACOPIER s_CharaCopier[CHARA_INHERIT_GROUPS] = {
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_strText); },                              // 0
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nType); T4_COPY(m_nPlayerNo); },         // 1: 26, 27
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nSide); },                                // 2: 28
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nGroup); },                               // 3: 29
    [](cEdChara& d, const cEdChara& s) {                                                     // 4: conditions, 3, 4
      T4_COPY(m_vecCondition);
      T4_COPY(m_nCondMode);
      T4_COPY(m_nCondLatch);
    },
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nDir); },       // 5: 5
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nSetting6); },  // 6: 6
    [](cEdChara& d, const cEdChara& s) {                           // 7: 7, 8, 11
      T4_COPY(m_nOffsetXBase);
      T4_COPY(m_nOffsetXStep);
      T4_COPY(m_bOffsetXMirror);
    },
    [](cEdChara& d, const cEdChara& s) {  // 8: 9, 10, 12
      T4_COPY(m_nOffsetYBase);
      T4_COPY(m_nOffsetYStep);
      T4_COPY(m_bOffsetYMirror);
    },
    [](cEdChara& d, const cEdChara& s) {  // 9: 14, 13, 15
      T4_COPY(m_nImageKind);
      T4_COPY(m_nImageIndex);
      T4_COPY(m_nImageSub);
    },
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nAnimeSet); },   // 10: 16
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nSetting17); },  // 11: 17
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nStatusA); },    // 12: 18
    [](cEdChara& d, const cEdChara& s) {                            // 13: 19, 20, 21
      T4_COPY(m_nAppearEffect);
      T4_COPY(m_nAppearEffectMode);
      T4_COPY(m_bAppearEffectRepeat);
    },
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nDefeatEffect); T4_COPY(m_nDefeatEffectMode); },  // 14: 22, 23
    [](cEdChara& d, const cEdChara& s) {                                                             // 15: 24, 25
      T4_COPY(m_nDefeatEffectParam8);
      T4_COPY(m_nDefeatEffectParam16);
    },
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nStatusB); },                               // 16: 31
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nMoveType); },                              // 17: 30
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nInvincibleKind); T4_COPY(m_nSetting33); },  // 18: 32, 33
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_bBlockChara); },                            // 19: 34
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nScale); },                                 // 20: 35
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_bFollowScroll); },                          // 21: 36
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nSetting37); T4_COPY(m_nViewLimitHalfCells); },  // 22: 37, 38
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nMaxHp); },           // 23: 39
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nMaxSp); },           // 24: 40
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nForm); },            // 25: 42
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nAttack); },          // 26: 43
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nKnockBack); },       // 27: 44
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nHitEffect); },       // 28: 45
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nDefence); },         // 29: 46
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nKnockBackGuard); },  // 30: 47
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nSetting41); },       // 31: 41
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nViewTestKind); T4_COPY(m_nAppearKind); },  // 32: 52, 53
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nSwitchNo); T4_COPY(m_bSwitchLinked); },    // 33: 51, 50
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nScore); },                                // 34: 48
    [](cEdChara& d, const cEdChara& s) { T4_COPY(m_nSetting49); },                            // 35: 49
    [](cEdChara& d, const cEdChara& s) {                                                      // 36: the flows
      T4_COPY(m_vecFlow);
      if (d.m_vecFlow.empty()) d.m_vecFlow.push_back(MakeDefaultCharaFlow());
    },
};
#undef T4_COPY

// A group inserted into the inheritance vector at nAt by a later version:
// the entries from nAt on move up by one (the last falls off) and the new
// group is taken from the template, as it was before it could be chosen.
void InsertInheritGroup(cVector<uint8_t>& v, int nAt) {
  v.resize(CHARA_INHERIT_GROUPS, 0);
  for (int i = CHARA_INHERIT_GROUPS - 1; i > nAt; --i) v[i] = v[i - 1];
  v[nAt] = 1;
}

bool NoCount(size_t nIndex, size_t nCount) { return nIndex >= nCount; }

}  // namespace

cEdFlow MakeDefaultCharaFlow() {
  cEdFlow flow;
  flow.RegisterFields(DATA_VERSION_CURRENT);
  flow.ClearFields();
  flow.m_cTriggerParam = 3;
  return flow;
}

cEdChara::cEdChara() {
  RegisterFields(DATA_VERSION_CURRENT);
  SetDefaults();
}

void cEdChara::RegisterFields(int v) {
  ClearTables();
  AddField8(&m_nTemplateSource, 1);                  // 1
  AddField16(&m_nTemplateIndex, 1);                  // 2
  AddField8(&m_nCondMode, 1);                        // 3
  AddField8(&m_nCondLatch, 1);                       // 4
  AddField8(&m_nDir, 1);                             // 5
  AddField8(&m_nSetting6, 1);                        // 6
  AddField16(&m_nOffsetXBase, 1);                    // 7
  AddField16(&m_nOffsetXStep, 1);                    // 8
  AddField16(&m_nOffsetYBase, 1);                    // 9
  AddField16(&m_nOffsetYStep, 1);                    // 10
  AddField8(&m_bOffsetXMirror, 1);                   // 11
  AddField8(&m_bOffsetYMirror, 1);                   // 12
  AddField16(&m_nImageIndex, 1);                     // 13
  AddField8(&m_nImageKind, 1);                       // 14
  AddField16(&m_nImageSub, 1);                       // 15
  AddField16(&m_nAnimeSet, 1);                       // 16
  AddField8(&m_nSetting17, 1);                       // 17
  AddField8(&m_nStatusA, 1);                         // 18
  AddField16(&m_nAppearEffect, 1);                   // 19
  if (v >= 196) AddField8(&m_nAppearEffectMode, 1);  // 20
  AddField8(&m_bAppearEffectRepeat, 1);              // 21
  AddField16(&m_nDefeatEffect, 1);                   // 22
  if (v >= 196) AddField8(&m_nDefeatEffectMode, 1);  // 23
  AddField8(&m_nDefeatEffectParam8, 1);              // 24
  AddField16(&m_nDefeatEffectParam16, 1);            // 25
  AddField8(&m_nType, 1);                            // 26
  AddField8(&m_nPlayerNo, 1);                        // 27
  AddField8(&m_nSide, 1);                            // 28
  AddField8(&m_nGroup, 1);                           // 29
  AddField8(&m_nMoveType, 1);                        // 30
  AddField8(&m_nStatusB, 1);                         // 31
  AddField8(&m_nInvincibleKind, 1);                  // 32
  if (v >= 285) AddField8(&m_nSetting33, 1);         // 33
  AddField8(&m_bBlockChara, 1);                      // 34
  AddField8(&m_nScale, 1);                           // 35
  if (v >= 210) AddField8(&m_bFollowScroll, 1);      // 36
  AddField8(&m_nSetting37, 1);                       // 37
  AddField8(&m_nViewLimitHalfCells, 1);              // 38
  AddField32(&m_nMaxHp, 1);                          // 39
  AddField32(&m_nMaxSp, 1);                          // 40
  AddField16(&m_nSetting41, 1);                      // 41
  if (v >= 201) AddField8(&m_nForm, 1);              // 42
  AddField32(&m_nAttack, 1);                         // 43
  AddField8(&m_nKnockBack, 1);                       // 44
  AddField16(&m_nHitEffect, 1);                      // 45
  if (v >= 168) AddField32(&m_nDefence, 1);          // 46
  AddField8(&m_nKnockBackGuard, 1);                  // 47
  AddField32(&m_nScore, 1);                          // 48
  AddField8(&m_nSetting49, 1);                       // 49
  AddField8(&m_bSwitchLinked, 1);                    // 50
  AddField16(&m_nSwitchNo, 1);                       // 51
  AddField8(&m_nViewTestKind, 1);                    // 52
  AddField8(&m_nAppearKind, 1);                      // 53
  AddStrField(&m_strText, 1);
}

void cEdChara::SetDefaults() {
  m_nPlacementValue = 0;
  ClearFields();
  m_vecInherit.assign(CHARA_INHERIT_GROUPS, 0);
  m_nImageKind = IMAGE_CHARA;
  m_nSetting17 = 3;
  m_bAppearEffectRepeat = 1;
  m_nType = 1;
  m_nSide = 1;
  m_nStatusB = 1;
  m_nScale = 1;
  m_nMaxHp = 10;
  m_nSetting41 = 10;
  m_nDefence = 0;
  m_nSetting49 = 1;
  m_nImageIndex = 0;
}

void cEdChara::Read(cDataFile& f) {
  cEdRecord::Read(f);
  ReadPlacedHead(*this, f);
  ReadFlowList(m_vecFlow, f);
  if (!TestPlayFlowsKept()) FixupLoadedFlows(m_vecFlow);
  if (g_nFileDataVersion < DATA_VERSION_CURRENT) ConvertOlder(g_nFileDataVersion);
  InheritFromTemplate();
  RefreshTemplate();
}

void cEdChara::ConvertOlder(int v) {
  if (v < 168) {
    m_nDefence = 0;
    InsertInheritGroup(m_vecInherit, 27);
  }
  if (v < 196) {
    m_nAppearEffectMode = 0;
    m_nDefeatEffectMode = 0;
  }
  if (v < 201) {
    m_nForm = 0;
    InsertInheritGroup(m_vecInherit, 24);
  }
  if (v < 206 && static_cast<int8_t>(m_nForm) >= 2) ++m_nForm;
  if (v < 210) {
    m_bFollowScroll = 0;
    InsertInheritGroup(m_vecInherit, 21);
  }
  if (v < 219 && m_nImageKind == IMAGE_SHOT) m_nImageIndex = ShiftOldShotPicture(m_nImageIndex);
  if (v < 285) m_nSetting33 = 1;
}

void cEdChara::Write(cDataFile& f) {
  RefreshTemplate();
  cEdRecord::Write(f);
  WritePlacedHead(*this, f);
  WriteFlowList(m_vecFlow, f);
}

void cEdChara::InheritFromTemplate() {
  InheritMarkedGroups(*this, m_nTemplateSource, m_nTemplateIndex, m_vecInherit, s_CharaCopier);
}

void cEdChara::RefreshTemplate() {
  UnbindPaletteRefOutside<cEdChara>(m_nTemplateSource, m_nTemplateIndex);
  // With fewer than two own pictures index 1 is past the list too; the
  // drawing code looks it up through the checked access.
  if (m_nImageKind == IMAGE_OWN && NoCount(m_nImageIndex, g_Database.m_vecBmpCharaExc.size())) m_nImageIndex = 1;
  if (static_cast<int8_t>(m_nScale) < 1) m_nScale = 1;
  if (NoCount(m_nAnimeSet, g_Database.m_vecAnimeSet.size())) m_nAnimeSet = 0;
  if (NoCount(m_nAppearEffect, g_Database.m_vecCharaEffect.size())) m_nAppearEffect = 0;
  if (NoCount(m_nDefeatEffect, g_Database.m_vecCharaEffect.size())) m_nDefeatEffect = 0;
  if (NoCount(m_nHitEffect, g_Database.m_vecEffect.size())) m_nHitEffect = 0;
  for (size_t i = 0; i < m_vecFlow.size();) {
    cEdFlow& flow = m_vecFlow[i];
    FitFlowCommands(flow);
    if (flow.m_vecCondition.empty() && flow.m_vecKeyCondition.empty() && flow.m_vecCommand.empty()) {
      m_vecFlow.erase(m_vecFlow.begin() + static_cast<ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

void cEdChara::FitFlows() {
  for (cEdFlow& flow : m_vecFlow) FitFlowPalettes(flow);
}

double cEdChara::CalcOffsetX(int n, int nDirection) const {
  double d = static_cast<double>(m_nOffsetXStep) * n + m_nOffsetXBase;
  return nDirection == 1 && m_bOffsetXMirror ? -d : d;
}

double cEdChara::CalcOffsetY(int n, int nDirection) const {
  double d = static_cast<double>(m_nOffsetYStep) * n + m_nOffsetYBase;
  return nDirection == 1 && m_bOffsetYMirror ? -d : d;
}
