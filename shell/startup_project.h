// The project settings start-up reads from g_System, in a form that needs
// neither the settings record's header nor the "System.ini" reader's (the
// two name their key records alike).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win_types.h"

struct PROJECTINIKEY {
  std::string strName;  // CP932
  int32_t nDefault = 0;
  std::string strDefault;
};

struct PROJECTSETTINGS {
  std::string strTitle;  // CP932
  bool bFullColour = false;
  uint8_t byTransR = 0, byTransG = 0, byTransB = 0;
  std::string strFontFace;  // the face the project's choice names (CP932)
  uint32_t nFontSettingA = 0;
  uint32_t nFontSettingB = 0;
  std::vector<std::string> vecSystemSoundFile;
  std::vector<PROJECTINIKEY> vecIniKey;  // in table order
};

// "data\System.dat" into g_System; on failure the box "%s の読み込みに失敗…"
// (also in the report) and false. Lists shorter than the positions the game
// reads are kept as they are: a missing entry is reported where it is used.
bool LoadProjectSettings();
PROJECTSETTINGS ProjectSettings();
