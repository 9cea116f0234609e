#include "shell/startup_project.h"

#include "platform/text_cp932.h"
#include "base/report.h"
#include "records/system.h"

bool LoadProjectSettings() {
  // The lists keep the file's counts: an entry the game reads at a fixed
  // position is looked up when it is used, and one that is missing then is
  // reported by its checked access.
  if (LoadSystem()) return true;
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
