// The option scene (game mode 5): the enabled option items of the project
// with their values; the colour set, music, sound-effect volume and ranking
// mode are edited in place (the colour set and the volume take effect at
// once), the ranking name through the name entry; leaving the scene sets
// the music up again and saves "user_data\Option.dat".
#pragma once

#include <cstdint>
#include <vector>

#include "media/graphics/dd.h"
#include "shell/menu_cursor.h"

// The option items. g_System's option-item list holds them in the order of
// OptionItemAt, which is not this one.
enum OPTIONITEM : int32_t {
  OPTIONITEM_HBT = 0,
  OPTIONITEM_MUSIC = 1,
  OPTIONITEM_SEVOLUME = 2,
  OPTIONITEM_RANKINGMODE = 3,
  OPTIONITEM_NAME = 4,
  OPTIONITEM_BACK = 5,
};
constexpr int OPTIONITEM_COUNT = 6;
// The item of entry nEntry (0..5) of g_System's option-item list, whose
// labels are "BGM", "SE", "ランキング登録", "ランキング登録名", "もどる" and an
// empty one in a new project: music, volume, ranking mode, name, back, and
// the colour set, which joined the list last.
OPTIONITEM OptionItemAt(int nEntry);

// Layout in pixels.
constexpr int32_t kOptionTitleY = 32;
constexpr int32_t kOptionRowsY = 96;
constexpr int32_t kOptionRowHeight = 16;
constexpr int32_t kOptionCursorX = 48;
constexpr int32_t kOptionLabelX = 64;
constexpr int32_t kOptionValueX = 208;
constexpr int32_t kOptionValueCursorX = 192;

class cSceneOption : public cMenuScreenScene {
 public:
  cSceneOption();

  void Init() override;
  void Begin() override;   // phase 0: fade-in
  void OptionPhase();      // phase 1
  void End() override;     // phase 2: fade-out, music, save, then the title

  // The screen surface drawn from g_Option.
  void DrawScreen() override;

  int32_t m_nSubStep = 0;  // 0 set-up, 1 choosing an item, 2 editing its value
  int32_t m_nItemCount = 0;
  int32_t m_anItem[OPTIONITEM_COUNT] = {};  // the rows' entries of the option-item list
  int32_t m_nEditItem = 0;
  int32_t m_nValueBefore = 0;
  int32_t* m_lpnEdited = nullptr;
  int32_t m_nMin = 0;
  int32_t m_nMax = 0;

 private:
  void ChooseItem();
  void EditValue();
};

// What a change of an option does at once: the colour set reloads the hbt
// pictures, the volume goes to every loaded sound. Tests replace them.
struct OPTIONLINKS {
  void (*pfnApplyHbt)(int nHbt);
  void (*pfnApplySeVolume)(int nLevel);
  // Leaving the scene: the music manager set up again by the music option.
  void (*pfnRestartMusic)();
};
// Threads: set before the game thread starts; read by the game thread.
extern OPTIONLINKS g_OptionLinks;
OPTIONLINKS DefaultOptionLinks();

// The label of a ranking mode 0..3 (CP932); an empty text for any other.
std::string RankingModeLabel(int nMode);
