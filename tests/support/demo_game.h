// The demo project as a small game: a controllable hero, two enemy kinds,
// a moving block, a coin, a heart and a goal in the common palette, and the
// two stages built from them. tools/make_demo installs it into a builder;
// the builder's own defaults (which other tests use) stay as they are.
#pragma once

#include "records/common_palette.h"
#include "records/stage.h"

class cProjectBuilder;

// Common-palette entries of the demo game.
enum DEMOBLOCK { DEMOBLOCK_GROUND = 1, DEMOBLOCK_WALL = 2 };
enum DEMOCHARA {
  DEMOCHARA_HERO = 1,     // the player: walk, jump, shoot under the keys
  DEMOCHARA_WALKER = 2,   // walks and turns at walls and ledges
  DEMOCHARA_SHOOTER = 3,  // stands and fires forward every two seconds
  DEMOCHARA_LIFT = 4,     // a block chara gliding right and left
  DEMOCHARA_GOAL = 5,     // clears the stage when touched
  DEMOCHARA_SCATTER = 6,  // fires forward at a random angle every second
};
enum DEMOITEM { DEMOITEM_COIN = 1, DEMOITEM_HEART = 2 };

// Key-state positions of a key condition: ten direction logs (none, left,
// right, ...), "no button", then buttons 1 to 8.
constexpr int DEMOKEY_LEFT = 1;
constexpr int DEMOKEY_RIGHT = 2;
constexpr int DEMOKEY_BUTTON1 = 11;  // jump
constexpr int DEMOKEY_BUTTON2 = 12;  // shoot

constexpr uint32_t DEMO_TIME_LIMIT = 120;  // seconds, both stages
constexpr uint32_t DEMO_EXTEND_SCORE = 300;  // points per extra life

cEdCommonPalette MakeDemoCommonPalette();
// Stage 1 or 2 of the demo game.
cEdStage MakeDemoStage(int nStage);
// Puts the demo game's palette and stages into the builder.
void SetDemoGame(cProjectBuilder& builder);
// The whole demo project written into the builder's folder as tools/make_demo
// ships it, but for System.ini: the demo's title, 256-colour pictures with
// the palette animation, a tone for each system sound, the music and the
// game. False when a file could not be written.
bool BuildDemoProject(cProjectBuilder& builder);
