#include "shell/startup_project.h"

#include "platform/text_cp932.h"
#include "base/report.h"
#include "records/system.h"

namespace {

// The lists of the settings that the program reads at fixed positions
// (screens, menu items, play kinds, texts, statuses), with how many entries
// those positions need. A file may hold any count of each; one that holds
// fewer is readable but cannot be played.
struct NEEDEDLIST {
  const char* pszName;
  size_t (*pfnCount)(const cEdSystem&);
  size_t nNeeded;
};
const NEEDEDLIST kNeededLists[] = {
    {"screen music", [](const cEdSystem& s) { return s.m_vecScreenBgm.size(); }, 4},
    {"screen music loop", [](const cEdSystem& s) { return s.m_vecScreenBgmLoop.size(); }, 4},
    {"title menu", [](const cEdSystem& s) { return s.m_vecTitleMenu.size(); }, 7},
    {"save menu", [](const cEdSystem& s) { return s.m_vecSaveMenu.size(); }, 4},
    {"option menu", [](const cEdSystem& s) { return s.m_vecOptionMenu.size(); }, 6},
    {"start lives", [](const cEdSystem& s) { return s.m_vecStartLives.size(); }, 4},
    {"infinite lives", [](const cEdSystem& s) { return s.m_vecInfiniteLives.size(); }, 4},
    {"ranking switches", [](const cEdSystem& s) { return s.m_vecRankingSwitch.size(); }, 4},
    {"carry-over statuses", [](const cEdSystem& s) { return s.m_vecCarryStatus.size(); }, 25},
    {"reset switches", [](const cEdSystem& s) { return s.m_vecResetSwitch.size(); }, 25},
    {"status items", [](const cEdSystem& s) { return s.m_vecStatusItem.size(); }, 5},
    {"texts", [](const cEdSystem& s) { return s.m_vecText.size(); }, 27},
};

}  // namespace

bool ProjectListsPlayable(const cEdSystem& sys) {
  for (const NEEDEDLIST& l : kNeededLists) {
    const size_t n = l.pfnCount(sys);
    if (n >= l.nNeeded) continue;
    Reportf(Sjis("データファイル %s の %s は %zu 個しかありません（%zu 個必要です）").c_str(), SYSTEM_DAT_PATH,
            l.pszName, n, l.nNeeded);
    return false;
  }
  return true;
}

bool LoadProjectSettings() {
  // A settings file too short in a list the program indexes would end the
  // first frames through a checked access, with no word to the player.
  if (LoadSystem() && ProjectListsPlayable(g_System)) return true;
  ReportLogAndErrorBoxf(SystemLoadFailedFormat().c_str(), SYSTEM_DAT_PATH);
  return false;
}

PROJECTSETTINGS ProjectSettings() {
  const cEdSystem& sys = g_System;
  PROJECTSETTINGS p;
  p.strTitle = sys.m_strTitle;
  p.bFullColour = sys.m_nColourMode != 0;
  p.byTransR = sys.m_byTransR;
  p.byTransG = sys.m_byTransG;
  p.byTransB = sys.m_byTransB;
  p.strFontFace = FontNameAt(static_cast<int>(sys.m_nFontFace));
  p.nFontSettingA = sys.m_nFontSettingA;
  p.nFontSettingB = sys.m_nFontSettingB;
  p.vecSystemSoundFile.assign(sys.m_vecSystemSoundFile.begin(), sys.m_vecSystemSoundFile.end());
  for (const cEdSystemElemC& k : sys.m_vecIniKey) {
    // Kind 1 holds a text, every other kind a number.
    PROJECTINIKEY key;
    key.strName = k.m_strKey;
    if (k.m_nKind == 1)
      key.strDefault = k.m_strValue;
    else
      key.nDefault = static_cast<int32_t>(k.m_nValue);
    p.vecIniKey.push_back(key);
  }
  return p;
}
