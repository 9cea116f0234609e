// Stage pictures made in code for drawing fixtures: a sky and a band of
// hills for two background layers, a block sheet, the accessory sheet with
// the status icons and gauges, the word sheet's digits and banner, the
// status window strip and a chara sheet whose patterns differ. Pixels are 0x00RRGGBB, rows top-down; magenta is the key.
#pragma once

#include <cstdint>
#include <vector>

constexpr uint32_t kStageKey = 0xFF00FF;

// 200 x 160: a gradient with a checker, so that its offset shows.
std::vector<uint32_t> StageSkyPixels();
// 160 x 480: hills along the bottom, the key above them.
std::vector<uint32_t> StageHillsPixels();
// 64 x 480: block pictures 0 to 29 (column q = n / 15, row n % 15).
std::vector<uint32_t> StageBlockSheetPixels();
// 128 x 176: status icons at (16 i, 32), the message icon at (48, 0), the
// menu cursor at (64, 0), the
// gauge frames at (0|64, 128), the fills at y 144 and the low fills at 160.
std::vector<uint32_t> StageAccessoryPixels();
// 320 x 192: digit d as a seven-segment figure at (32 d, 160), the game-over
// banner at (0, 96).
std::vector<uint32_t> StageWordPixels();
// 640 x 20.
std::vector<uint32_t> StageStatusWindowPixels();
// 640 x 480, a chara sheet: pictures 1 to 14 (rows) in a colour each, facing
// left, with a badge of the pattern's colour in columns 0 to 19 (white,
// yellow, cyan, black, then again).
std::vector<uint32_t> StageCharaSheetPixels();
