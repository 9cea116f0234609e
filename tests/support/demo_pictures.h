// Pictures and sounds made in code for fixture projects and the demo: the
// palette picture, the title, the menu window and cursor sheet, a plain
// sheet for every other picture the start-up loads, and short tones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The palette picture's colours: entry 0 the transparent magenta, 16 black
// (the colour between modes), 240 the menu frame, 241 the text.
std::vector<uint32_t> DemoPalette();
std::string DemoPaletteBmp();
// A night sky: a blue gradient over a band of hills, 640 x 480.
std::string DemoTitleBmp();
std::string DemoWindowBmp();
// The menu cursor at (0, 0) and the list cursor at (64, 0), on the key colour.
std::string DemoAccessoryBmp();
// A small sheet of the key colour with a grey square.
std::string DemoPlainBmp();

// The picture for a file of the fixed surface list (a "\"-separated game
// path): one of the above by name, the plain sheet otherwise.
std::string DemoPictureFor(const std::string& gamePath);
