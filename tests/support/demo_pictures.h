// Pictures and sounds made in code for fixture projects and the demo: the
// palette picture, the title, the menu window and cursor sheet, a plain
// sheet for every other picture the start-up loads, and short tones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The palette picture's colours: entry 0 the transparent magenta, 16 black
// (the colour between modes), 17 to 103 the colours of the palette pictures
// below, 208 to 239 eight colour ramps of four shades (bright to dark),
// 240 the menu frame, 241 the text.
std::vector<uint32_t> DemoPalette();
std::string DemoPaletteBmp();
// A night sky: a blue gradient over a band of hills, 640 x 480.
std::string DemoTitleBmp();
std::string DemoWindowBmp();
// The menu cursor at (0, 0) and the list cursor at (64, 0), on the key colour.
std::string DemoAccessoryBmp();
// The same with the world map's walker (four facings, two pictures each,
// from (0, 64)), the lives icon at (0, 48) and the slot mark at (80, 0).
std::string DemoAccessorySheet(bool bPalette);
// The world map's chips (woods for kinds 0 to 4, roads for 5 to 9, five a
// row) and event pictures (a row per event kind, passed ones at x 32).
std::string DemoWorldMapChipBmp(bool bPalette);
std::string DemoWorldEventBmp(bool bPalette);
// A small sheet of the key colour with a grey square.
std::string DemoPlainBmp();

// The same four as 8-bit pictures in the palette's colours, as a game made
// for the 256-colour mode ships them; the title's sky has 32 stars, one in
// each colour-ramp entry.
std::string DemoTitleBmp8();
std::string DemoWindowBmp8();
std::string DemoAccessoryBmp8();
std::string DemoPlainBmp8();

// The stage sheets of the demo game, full colour or (b8) in the palette's
// colours. Block.bmp: 15 blocks a column (1 ground, 2 wall); Character1.bmp:
// one chara a row, the same cell in all 20 columns (1 hero, 2 walker,
// 3 shooter, 4 lift, 5 goal), drawn facing left; Item.bmp: 15 items a
// column of two pattern cells (1 coin, 2 heart); Shot.bmp: a ball in every
// 16 x 16 cell.
std::string DemoBlockSheet(bool b8);
std::string DemoCharaSheet(bool b8);
std::string DemoItemSheet(bool b8);
std::string DemoShotSheet(bool b8);
// StatusWindow.bmp: the 640 x 20 strip behind the status bar.
std::string DemoStatusWindowSheet(bool b8);
// Word.bmp: the banners (stage and start, replay, clear, game over) and the
// digit rows of the stage number (y 128) and the time counter (y 160).
std::string DemoWordSheet(bool b8);

// The picture for a file of the fixed surface list (a "\"-separated game
// path): one of the above by name (the 8-bit ones with bPalettePictures),
// the plain sheet otherwise.
std::string DemoPictureFor(const std::string& gamePath, bool bPalettePictures = false);
