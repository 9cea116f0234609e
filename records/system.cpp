#include "records/system.h"

#include "platform/text_cp932.h"
#include "base/report.h"

// ---------------------------------------------------------------------------
// Element records.

cEdSystemText::cEdSystemText() {
  RegisterFields(DATA_VERSION_CURRENT);
  m_bEnabled = 1;
}

void cEdSystemText::RegisterFields(int) {
  ClearTables();
  AddField32(&m_bEnabled, 1);
  AddStrField(&m_strLabel, 1);
}

cEdSystemElemB::cEdSystemElemB() { RegisterFields(DATA_VERSION_CURRENT); }

void cEdSystemElemB::RegisterFields(int v) {
  ClearTables();
  AddField32(&m_bShown, 1);
  AddField32(&m_bIcon, 1);
  AddStrField(&m_strLabel, 1);
  AddField32(&m_nDigits, 1);
  if (v >= 204) AddField32(&m_bShowNumber, 1);
  if (v >= 587) AddField32(&m_nLowMark, 1);
  if (v >= 587) AddField32(&m_bLowMarkPercent, 1);
}

void cEdSystemElemB::Read(cDataFile& f) {
  cEdRecord::Read(f);
  if (g_nFileDataVersion < 204) m_bShowNumber = 1;
}

cEdSystemElemC::cEdSystemElemC() { RegisterFields(DATA_VERSION_CURRENT); }

void cEdSystemElemC::RegisterFields(int) {
  ClearTables();
  AddField32(&m_nKind, 1);
  AddStrField(&m_strKey, 1);
  AddField32(&m_nValue, 1);
  AddStrField(&m_strValue, 1);
}

cEdRankingSwitch::cEdRankingSwitch() {
  RegisterFields(DATA_VERSION_CURRENT);
  m_vecByte.assign(5, 0);
}

void cEdRankingSwitch::RegisterFields(int) {
  ClearTables();
  AddField32(&m_bOn, 1);
}

void SetIniKeyNumber(cEdSystemElemC& key, const std::string& strName, uint32_t nValue) {
  key.m_strKey = strName;
  key.m_nKind = 0;
  key.m_nValue = nValue;
}

void SetIniKeyText(cEdSystemElemC& key, const std::string& strName, const std::string& strText) {
  key.m_strKey = strName;
  key.m_nKind = 1;
  key.m_strValue = strText;
}

// ---------------------------------------------------------------------------
// cEdSystem: layout.

cEdSystem::cEdSystem() {
  RegisterFields(DATA_VERSION_CURRENT);
  SetDefaults();
}

void cEdSystem::RegisterFields(int v) {
  ClearTables();
  AddStrField(&m_strTitle, 1);
  if (v >= 185) AddField32(&m_bExtendOn, 1);
  AddField32(&m_nExtendScore, 1);
  AddField32(&m_bHideWhilePaused, 1);
  AddField32(&m_nFontSettingA, 1);
  if (v >= 205) AddField32(&m_nFontFace, 1);
  if (v >= 170) AddField32(&m_nFontSettingB, 1);
  if (v >= 113) AddField32(&m_bKeepMarkedFlows, 1);
  if (v >= 184) AddField32(&m_bReplaySave, 1);
  if (v >= 157) AddField32(&m_bTitleMenuCentred, 1);
  AddField32(&m_bCarryLives, 1);
  if (v >= 191) AddField32(&m_bStoryMissMenu, 1);
  if (v >= 191) AddField32(&m_bMapShowLives, 1);
  AddField32(&m_nChallengeLimit, 1);
  AddField32(&m_bChallengeLimitOn, 1);
  if (v >= 167) AddField32(&m_bMapShowScore, 1);
  if (v >= 167) AddField32(&m_bSaveShowTotalScore, 1);
  if (v >= 188) AddField32(&m_nResetStatusStory, 1);
  if (v >= 224) AddField32(&m_bPauseItemA, 1);
  if (v >= 167) AddField32(&m_bChallengeShowHighScore, 1);
  if (v >= 167) AddField32(&m_bChallengeShowTotalScore, 1);
  if (v >= 188) AddField32(&m_nResetStatusChallenge, 1);
  if (v >= 224) AddField32(&m_bPauseItemB, 1);
  if (v >= 188) AddField32(&m_nResetStatusFree, 1);
  if (v >= 192) AddField32(&m_nResetStatusTest, 1);
  if (v >= 187) AddField32(&m_nColourMode, 1);
  if (v >= 187) AddField8(&m_byTransR, 1);
  if (v >= 187) AddField8(&m_byTransG, 1);
  if (v >= 187) AddField8(&m_byTransB, 1);
  if (v >= 214) AddField32(&m_bFollowScroll, 1);
  if (v >= 221 && v <= 259) AddField32(&m_nDroppedWord, 1);
  if (v >= 261) AddField32(&m_bScaleFromFoot, 1);
  if (v >= 272) AddField32(&m_bKeepDefeated, 1);
  if (v >= 287) AddField32(&m_bCharaColourChange, 1);
  if (v >= 515) AddField32(&m_nColourRampValue, 1);
  if (v >= 289) AddField32(&m_bPaletteCycle, 1);
  if (v >= 525) AddField32(&m_bRetrigger, 1);
  if (v >= 555) AddField32(&m_bShotOption, 1);
  if (v >= 637) AddField32(&m_bBlockKeepAlone, 1);
}

namespace {

// List readers: u32 n (bounded by the bytes left), the list made exactly n
// long, then each element. Elements already in the list keep what the file
// does not carry.
void ReadByteList(cDataFile& f, cVector<uint8_t>& v, const char* pszWhat) {
  uint32_t n = f.ReadCount(1, pszWhat);
  if (f.Failed()) return;
  v.resize(n, 0);
  if (n) f.ReadBytes(v.data(), n);
}

void ReadU32List(cDataFile& f, cVector<uint32_t>& v, const char* pszWhat) {
  uint32_t n = f.ReadCount(4, pszWhat);
  if (f.Failed()) return;
  v.resize(n, 0);
  if (n) f.ReadBytes(v.data(), static_cast<size_t>(n) * 4);
}

void ReadStringList(cDataFile& f, cVector<std::string>& v, const char* pszWhat) {
  uint32_t n = f.ReadCount(4, pszWhat);
  if (f.Failed()) return;
  v.resize(n);
  for (uint32_t i = 0; i < n && !f.Failed(); ++i) {
    std::string s;
    if (f.ReadString(s)) v[i] = std::move(s);
  }
}

void WriteStringList(cDataFile& f, const cVector<std::string>& v) {
  f.WriteU32(static_cast<uint32_t>(v.size()));
  for (const std::string& s : v) f.WriteString(s);
}

// Size N: the list is made exactly N long.
template <class T>
void SizeList(cVector<T>& v, size_t n) {
  v.resize(n);
}

// Insert x at k: elements k to N-2 move up by one, the last one drops out,
// so the length stays N.
template <class T>
void InsertKeepLength(cVector<T>& v, int k, const T& x) {
  if (k < 0 || static_cast<size_t>(k) >= v.size()) {
    v.CheckedAt(k);  // reports the bad index
    return;
  }
  for (size_t i = v.size() - 1; i > static_cast<size_t>(k); --i) v[i] = v[i - 1];
  v[k] = x;
}

cEdSystemText EnabledItem(const std::string& strLabel) {
  cEdSystemText t;
  t.m_bEnabled = 1;
  t.m_strLabel = strLabel;
  return t;
}

cEdSystemElemC NumberKey(const char* pszName, uint32_t nValue) {
  cEdSystemElemC k;
  SetIniKeyNumber(k, pszName, nValue);
  return k;
}

}  // namespace

// ---------------------------------------------------------------------------
// cEdSystem: reading and writing.

void cEdSystem::Read(cDataFile& f) {
  const int v = g_nFileDataVersion;
  cEdRecord::Read(f);
  if (!f.Failed()) ReadLists(f, v);
  if (f.Failed()) return;
  if (v < DATA_VERSION_CURRENT) ConvertOlder(v);
  ClampBgmIndices();
}

void cEdSystem::ReadLists(cDataFile& f, int v) {
  ReadByteList(f, m_vecCarryStatus, "carry status list");
  if (v >= 501) ReadByteList(f, m_vecResetSwitch, "reset switch list");
  ReadRecordList(f, m_vecStatusItem, "status item list");
  ReadU32List(f, m_vecStartLives, "start lives list");
  if (v >= 191) ReadU32List(f, m_vecInfiniteLives, "infinite lives list");
  if (v >= 186) ReadRecordList(f, m_vecRankingSwitch, "ranking switch list");
  ReadStringList(f, m_vecText, "text list");
  ReadStringList(f, m_vecSystemSoundFile, "system sound list");
  ReadU32List(f, m_vecScreenBgm, "screen music list");
  if (v >= 202) ReadByteList(f, m_vecScreenBgmLoop, "screen music loop list");
  ReadRecordList(f, m_vecTitleMenu, "title menu");
  ReadRecordList(f, m_vecSaveMenu, "save menu");
  ReadRecordList(f, m_vecOptionMenu, "option menu");
  ReadRecordList(f, m_vecIniKey, "System.ini key table");
}

void cEdSystem::Write(cDataFile& f) {
  ClampBgmIndices();
  cEdRecord::Write(f);
  // The running program writes every list (its version is 667); the gates
  // let the fixture builders write the files that older versions wrote.
  const int v = g_nCurDataVersion;
  WriteValueList(f, m_vecCarryStatus);
  if (v >= 501) WriteValueList(f, m_vecResetSwitch);
  WriteRecordList(f, m_vecStatusItem);
  WriteValueList(f, m_vecStartLives);
  if (v >= 191) WriteValueList(f, m_vecInfiniteLives);
  if (v >= 186) WriteRecordList(f, m_vecRankingSwitch);
  WriteStringList(f, m_vecText);
  WriteStringList(f, m_vecSystemSoundFile);
  WriteValueList(f, m_vecScreenBgm);
  if (v >= 202) WriteValueList(f, m_vecScreenBgmLoop);
  WriteRecordList(f, m_vecTitleMenu);
  WriteRecordList(f, m_vecSaveMenu);
  WriteRecordList(f, m_vecOptionMenu);
  WriteRecordList(f, m_vecIniKey);
}

// The conversions run in the order of their thresholds: later ones work on
// the shapes the earlier ones made.
void cEdSystem::ConvertOlder(int v) {
  if (v < 113) m_bKeepMarkedFlows = 0;
  if (v < 157) m_bTitleMenuCentred = 0;
  if (v < 167) {
    m_bMapShowScore = 1;
    m_bSaveShowTotalScore = 1;
    m_bChallengeShowHighScore = 1;
    m_bChallengeShowTotalScore = 1;
  }
  if (v < 168) {
    SizeList(m_vecCarryStatus, 25);
    InsertKeepLength<uint8_t>(m_vecCarryStatus, 16, 1);
  }
  if (v < 169) {
    SizeList(m_vecSaveMenu, 4);
    InsertKeepLength(m_vecSaveMenu, 1, EnabledItem(Sjis("オートセーブ")));
    SizeList(m_vecText, 28);
    InsertKeepLength(m_vecText, 12, Sjis("保存先が不明です！一度は「セーブ」して下さい！"));
    InsertKeepLength(m_vecText, 12, Sjis("オートセーブＯＦＦ"));
    InsertKeepLength(m_vecText, 12, Sjis("オートセーブＯＮ"));
  }
  if (v < 170) m_nFontSettingB = 0;
  if (v < 181) {
    for (int i = 0; i < 4; ++i) {
      cVector<uint8_t>& flags = m_vecRankingSwitch.CheckedAt(i).Flags();
      SizeList(flags, 5);
      flags[3] = 0;
      flags[4] = 0;
    }
    SizeList(m_vecText, 28);
    InsertKeepLength(m_vecText, 8, Sjis("残りHP"));
    InsertKeepLength(m_vecText, 9, Sjis("残りSP"));
  }
  if (v < 184) m_bReplaySave = 1;
  if (v < 185) m_bExtendOn = 1;
  if (v < 187) {
    m_nColourMode = 0;
    m_byTransR = 0;
    m_byTransG = 177;
    m_byTransB = 0;
  }
  if (v < 188) {
    m_nResetStatusStory = 1;
    m_nResetStatusChallenge = 1;
    m_nResetStatusFree = 1;
  }
  if (v < 191) {
    m_vecInfiniteLives = {0, 0, 0, 1};
    m_bStoryMissMenu = 0;
    m_bMapShowLives = 0;
  }
  if (v < 192) m_nResetStatusTest = 1;
  if (v < 193) {
    SizeList(m_vecText, 28);
    InsertKeepLength(m_vecText, 22, Sjis("リトライ"));
    InsertKeepLength(m_vecText, 23, Sjis("マップへ戻る"));
  }
  if (v < 201) {
    SizeList(m_vecCarryStatus, 25);
    InsertKeepLength<uint8_t>(m_vecCarryStatus, 14, 0);
  }
  if (v < 202) m_vecScreenBgmLoop.assign(4, 1);
  if (v < 205) m_nFontFace = 60;
  if (v < 210) {
    SizeList(m_vecCarryStatus, 25);
    InsertKeepLength<uint8_t>(m_vecCarryStatus, 9, 0);
  }
  if (v < 214) m_bFollowScroll = 1;
  if (v < 224) {
    m_bPauseItemA = 0;
    m_bPauseItemB = 0;
  }
  if (v < 261) m_bScaleFromFoot = 1;
  if (v < 272) m_bKeepDefeated = 0;
  if (v < 286) {
    SizeList(m_vecIniKey, 9);
    InsertKeepLength(m_vecIniKey, 0, NumberKey("Direct3D", 1));
    cEdSystemElemC& vsync = m_vecIniKey.CheckedAt(3);
    if (vsync.m_nValue >= 3) vsync.m_nValue = 2;
  }
  if (v < 287) m_bCharaColourChange = 0;
  if (v < 289) m_bPaletteCycle = m_nColourMode == 0 ? 1 : 0;
  if (v < 501) m_vecResetSwitch.assign(25, 0);
  if (v < 515) m_nColourRampValue = 16;
  if (v < 525) m_bRetrigger = 1;
  if (v < 555) m_bShotOption = 1;
  if (v < 568) ConvertIniKeys(v);
  if (v < 587) {
    SizeList(m_vecStatusItem, 5);
    for (int i = 2; i <= 3; ++i) {
      m_vecStatusItem[i].m_nLowMark = 33;
      m_vecStatusItem[i].m_bLowMarkPercent = 1;
    }
  }
  if (v < 637) m_bBlockKeepAlone = v <= 616 ? 1 : 0;
}

// The key table grew by index, not by name: files before 286 carry five
// keys (Direct3D comes first at 286), 286 to 566 six, 567 seven.
void cEdSystem::ConvertIniKeys(int v) {
  if (v < 567) {
    SizeList(m_vecIniKey, 9);
    InsertKeepLength(m_vecIniKey, 4, NumberKey("DD_VideoStretch", 0));
  }
  if (v < 568) {
    SizeList(m_vecIniKey, 9);
    InsertKeepLength(m_vecIniKey, 4, NumberKey("D3D_FontCache", 0));
    InsertKeepLength(m_vecIniKey, 5, NumberKey("DD_FontCache", 1));
  }
}

void cEdSystem::ClampBgmIndices() { ClampBgmIndices(MusicDatabaseCount()); }

void cEdSystem::ClampBgmIndices(int nMusicCount) {
  for (uint32_t& n : m_vecScreenBgm) {
    if (nMusicCount <= 0 || n >= static_cast<uint32_t>(nMusicCount)) n = 0;
  }
}

// ---------------------------------------------------------------------------
// The global and its loading.

const char* const SYSTEM_DAT_PATH = "data\\System.dat";

BOOL LoadSystem() {
  // Read over a copy, so that a damaged file leaves the settings whole.
  cEdSystem sys = g_System;
  if (!sys.LoadFromFile(SYSTEM_DAT_PATH)) return 0;
  g_System = std::move(sys);
  return 1;
}

const std::string& SystemLoadFailedFormat() {
  static const std::string s = Sjis("%s の読み込みに失敗…");
  return s;
}
