// Fixture builders for the common palette and stage files: small palettes
// and stages with meaningful entries, a large stage for the benchmark, and
// writers that put them on disk through the records' own writers, in the
// layout of any data version.
#pragma once

#include <cstdint>
#include <string>

#include "records/common_palette.h"
#include "records/stage.h"

// Blocks: 1 ground (solid), 2 spikes (deadly), 3 a block carrying item 1.
// Charas: 1 the player (type 0, picture 1), 2 an enemy with the walker and
// shooter flows. Items: 1 a coin (sound 1), 2 a heart.
cEdCommonPalette MakeFixtureCommonPalette();

// W × H cells: a floor of common-palette ground blocks on the last row, the
// player at (2, H - 3), an enemy bound to common chara 2 at (10, H - 3), a
// coin at (6, H - 4); the stage palette holds one block, one chara and one
// item of its own; two backgrounds and one text.
cEdStage MakeFixtureStage(uint32_t nWidth, uint32_t nHeight);

// A stage of nWidth × nHeight cells with nBlocks placed blocks (row-major
// from the bottom row up), nCharas charas with flows and nItems items with
// commands; chara 0 is the player.
cEdStage MakeLargeStage(uint32_t nWidth, uint32_t nHeight, int nBlocks, int nCharas, int nItems);

// Writes the palette to "data\CommonPalette.cplt4" (or path) as version
// nVersion laid it out. The palette's references are checked against
// itself, as they are when it is the loaded palette.
BOOL WriteCommonPaletteFile(cEdCommonPalette& pal, int nVersion = DATA_VERSION_CURRENT,
                            const std::string& path = COMMON_PALETTE_PATH);

// Writes the stage as version nVersion laid it out (no end mark before 173).
// Its stage-palette references are checked against its own palette.
BOOL WriteStageFile(cEdStage& stage, const std::string& path, int nVersion = DATA_VERSION_CURRENT);

// The bytes WriteStageFile gives.
std::string StageFileBytes(cEdStage& stage, int nVersion = DATA_VERSION_CURRENT);

// A file that holds one definition record (block, chara or item) after its
// own empty base part, for the records' tests at any data version.
template <class T>
class cDefinitionFile : public cEdRecord {
 public:
  cDefinitionFile() { RegisterFields(DATA_VERSION_CURRENT); }
  void RegisterFields(int) override { ClearTables(); }
  void Read(cDataFile& f) override {
    cEdRecord::Read(f);
    m_Record.Read(f);
  }
  void Write(cDataFile& f) override {
    cEdRecord::Write(f);
    m_Record.Write(f);
  }
  T m_Record;
};

// Writes rec as version nVersion laid it out and reads it back as the
// running system does; `back` receives the record read.
template <class T>
BOOL WriteAndReadDefinition(const T& rec, int nVersion, T& back, const std::string& path = "def.dat") {
  cDefinitionFile<T> out;
  out.m_Record = rec;
  const int32_t saved = g_nCurDataVersion;
  g_nCurDataVersion = nVersion;
  BOOL ok = out.SaveToFile(path);
  g_nCurDataVersion = saved;
  if (!ok) return 0;
  cDefinitionFile<T> in;
  ok = in.LoadFromFile(path);
  back = in.m_Record;
  return ok;
}
