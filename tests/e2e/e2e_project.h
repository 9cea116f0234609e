// A whole project in a folder, for runs of the real program: the builder's
// folders and world map, the fixture databases, the default settings, and
// every picture the fixed surface list loads.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/text_cp932.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "records/start_tables.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/database_fixtures.h"
#include "tests/support/project_builder.h"
#include "tests/support/system_fixtures.h"
#include "tests/support/temp_folder.h"

// Small 8-bit pictures whose palette is a grey ramp (the palette picture
// among them).
inline void WriteFixedPictures(const cTempFolder& folder) {
  std::vector<uint32_t> palette(256);
  for (uint32_t i = 0; i < 256; ++i) palette[i] = i << 16 | i << 8 | i;
  std::vector<uint8_t> pixels(128 * 128);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i % 251);
  const std::string bmp = MakeBmpIndexed(8, 128, 128, palette, pixels);
  for (const SYSTEMBITMAPINFO& b : g_vecSystemBitmap) {
    if (b.szFileName == "E") continue;
    std::string name = Cp932ToUtf8(b.szFileName);
    for (char& c : name) {
      if (c == '\\') c = '/';
    }
    folder.WriteFile(name, bmp);
  }
}

// folder must be the working folder (cTempFolder makes itself so).
inline void WriteE2EProject(const cTempFolder& folder) {
  cProjectBuilder builder(folder.Path());
  ASSERT_TRUE(builder.Build());
  cEdDatabase db = MakeFixtureDatabase();
  ASSERT_TRUE(WriteDatabaseFiles(db));
  ASSERT_TRUE(WriteDefaultSystemDat());
  cEdCommonPalette palette;
  ASSERT_TRUE(palette.SaveToFile(COMMON_PALETTE_PATH));
  WriteFixedPictures(folder);
}
