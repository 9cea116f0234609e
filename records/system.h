// The project's system settings (`g_System`, "data\System.dat"): the title,
// the texts and menus of the mode screens, the lists that steer lives,
// carried status, rankings and music, the numeric switches of stage play and
// the default "System.ini" key table; with the conversions of older files.
#pragma once

#include <cstdint>
#include <string>

#include "base/checked_containers.h"
#include "records/record.h"

// Element records of the lists.

// A menu item: enabled flag and label.
class cEdSystemText : public cEdRecord {
 public:
  cEdSystemText();
  void RegisterFields(int nVersion) override;

  uint32_t m_bEnabled = 1;
  std::string m_strLabel;
};

// A status display item of the stage's status bar.
class cEdSystemElemB : public cEdRecord {
 public:
  cEdSystemElemB();
  void RegisterFields(int nVersion) override;
  // ReadWithLegacyFlag: files before 204 have no m_bShowNumber; it becomes 1.
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override { WriteAndHook(*this, f); }

  // Zero until a file supplies them: the constructor leaves nothing unset.
  uint32_t m_bShown = 0;
  uint32_t m_bIcon = 0;
  std::string m_strLabel;
  uint32_t m_bShowNumber = 0;
  uint32_t m_nDigits = 0;
  int32_t m_nLowMark = 0;
  uint32_t m_bLowMarkPercent = 0;
};

// One "System.ini" key (INIKEY): kind 0 a number (m_nValue), 1 a text
// (m_strValue).
class cEdSystemElemC : public cEdRecord {
 public:
  cEdSystemElemC();
  void RegisterFields(int nVersion) override;

  uint32_t m_nKind = 0;
  std::string m_strKey;
  uint32_t m_nValue = 0;
  std::string m_strValue;
};

// The ranking switches of one play kind: m_bOn, then one byte per ranking
// category in the trailing byte list of cEdU32List (m_vecByte holds the
// flags).
class cEdRankingSwitch : public cEdU32List {
 public:
  cEdRankingSwitch();
  void RegisterFields(int nVersion) override;
  cVector<uint8_t>& Flags() { return m_vecByte; }
  const cVector<uint8_t>& Flags() const { return m_vecByte; }

  uint32_t m_bOn = 0;
};

// The failure lines of the checked accesses name the original's sizes.
template <>
struct ReportedSize<cEdSystemText> {
  static constexpr int value = 56;
};
template <>
struct ReportedSize<cEdSystemElemB> {
  static constexpr int value = 76;
};
template <>
struct ReportedSize<cEdSystemElemC> {
  static constexpr int value = 76;
};
template <>
struct ReportedSize<cEdRankingSwitch> {
  static constexpr int value = 56;
};

class cEdSystem : public cEdRecord {
 public:
  cEdSystem();

  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  // The settings of a new project; the constructor's last step.
  void SetDefaults();
  // Every screen music index that the music database does not hold becomes 0.
  void ClampBgmIndices();
  void ClampBgmIndices(int nMusicCount);

  std::string m_strTitle;
  cVector<uint8_t> m_vecCarryStatus;
  cVector<uint8_t> m_vecResetSwitch;
  uint32_t m_bExtendOn = 0;
  uint32_t m_nExtendScore = 0;
  uint32_t m_bHideWhilePaused = 0;
  uint32_t m_nFontSettingA = 0;
  uint32_t m_nFontFace = 0;
  uint32_t m_nFontSettingB = 0;
  uint32_t m_bReplaySave = 0;
  uint32_t m_bKeepMarkedFlows = 0;
  cVector<cEdSystemElemB> m_vecStatusItem;
  uint32_t m_bTitleMenuCentred = 0;
  cVector<cEdSystemText> m_vecTitleMenu;
  cVector<cEdSystemText> m_vecSaveMenu;
  cVector<cEdSystemText> m_vecOptionMenu;
  uint32_t m_bCarryLives = 0;
  uint32_t m_bStoryMissMenu = 0;
  uint32_t m_bMapShowLives = 0;
  uint32_t m_nChallengeLimit = 0;
  uint32_t m_bChallengeLimitOn = 0;
  cVector<uint32_t> m_vecStartLives;
  cVector<uint32_t> m_vecInfiniteLives;
  cVector<cEdRankingSwitch> m_vecRankingSwitch;
  uint32_t m_bMapShowScore = 0;
  uint32_t m_bSaveShowTotalScore = 0;
  uint32_t m_nResetStatusStory = 0;
  uint32_t m_bPauseItemA = 0;
  uint32_t m_bChallengeShowHighScore = 0;
  uint32_t m_bChallengeShowTotalScore = 0;
  uint32_t m_nResetStatusChallenge = 0;
  uint32_t m_bPauseItemB = 0;
  uint32_t m_nResetStatusFree = 0;
  uint32_t m_nResetStatusTest = 0;
  uint32_t m_nColourMode = 0;
  uint8_t m_byTransR = 0;
  uint8_t m_byTransG = 0;
  uint8_t m_byTransB = 0;
  cVector<std::string> m_vecSystemSoundFile;
  cVector<uint32_t> m_vecScreenBgm;
  cVector<uint8_t> m_vecScreenBgmLoop;
  cVector<std::string> m_vecText;
  cVector<cEdSystemElemC> m_vecIniKey;
  uint32_t m_bFollowScroll = 0;
  uint32_t m_bScaleFromFoot = 0;
  uint32_t m_bKeepDefeated = 0;
  uint32_t m_bCharaColourChange = 0;
  uint32_t m_nColourRampValue = 0;
  uint32_t m_bPaletteCycle = 0;
  uint32_t m_bRetrigger = 0;
  uint32_t m_bShotOption = 0;
  uint32_t m_bBlockKeepAlone = 0;

 private:
  void ReadLists(cDataFile& f, int nVersion);
  void ConvertOlder(int nVersion);
  void ConvertIniKeys(int nVersion);

  // The word that files of versions 221 to 259 carry after m_bFollowScroll;
  // read and thrown away.
  uint32_t m_nDroppedWord = 0;
};

// Threads: loaded by InitGame on the window thread before the game thread
// starts; read-only afterwards.
extern cEdSystem g_System;

// The number of entries of the music database (defined with g_Database).
int MusicDatabaseCount();

// "data\System.dat" into g_System: 1 on success. A file that cannot be
// opened or is damaged leaves g_System as it was and gives 0; start-up then
// shows SystemLoadFailedFormat() with the path.
extern const char* const SYSTEM_DAT_PATH;
BOOL LoadSystem();
const std::string& SystemLoadFailedFormat();  // "%s の読み込みに失敗…" (CP932)

// The face names that m_nFontFace indexes (123, CP932) and the labels of
// the colour modes (3, CP932). Index checked: an index outside gives the
// checked-access report and entry 0.
int FontNameCount();
const std::string& FontNameAt(int nIndex);
const std::string& ColourDepthLabelAt(int nIndex);

void SetIniKeyNumber(cEdSystemElemC& key, const std::string& strName, uint32_t nValue);
void SetIniKeyText(cEdSystemElemC& key, const std::string& strName, const std::string& strText);

