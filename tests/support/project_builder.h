// Writes a game's project folder through the records' own writers: the
// folder layout the player expects, then every project file the builder
// knows so far. Tests build fixtures with it; tools/make_demo builds the demo
// project with it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "records/stage.h"
#include "records/system.h"
#include "records/world_map.h"

class cProjectBuilder {
 public:
  // rootFolder is a native path (absolute, or relative to the working
  // folder); it is made when missing.
  explicit cProjectBuilder(std::string rootFolder);

  // The data version the files are written in (667 unless set): the
  // records' writers then write that version's layout, as an older editor
  // did.
  void SetDataVersion(int32_t nVersion) { m_nDataVersion = nVersion; }
  int32_t DataVersion() const { return m_nDataVersion; }

  // The folders, then every file below; 1 when all of it was written.
  BOOL Build();
  BOOL MakeFolders();
  BOOL WriteDatabases();  // m_Database to "data\database\*.dat"
  BOOL WriteSystem();     // m_System to "data\System.dat"
  BOOL WriteWorldMap();   // m_WorldMap to "data\WorldMap.dat"
  BOOL WriteCommonPalette();  // m_CommonPalette to "data\CommonPalette.cplt4"
  BOOL WriteStages();     // m_Stage1 and m_Stage2 as the demo's two stages
  // Every picture of the fixed surface list that start-up insists on, and
  // those the databases name.
  BOOL WritePictures();
  // A short tone for every system sound and sound-database entry named.
  BOOL WriteSounds();

  // The game path (CP932, "\" between folders) of a file under the root;
  // "" when the root has no CP932 form.
  std::string GamePath(std::string_view relCp932) const;
  const std::string& Root() const { return m_strRoot; }

  // The pictures as 8-bit palette pictures (a 256-colour game, as the demo
  // is) rather than full-colour ones.
  bool m_bPalettePictures = false;

  // The records written; a test changes them before it builds.
  cEdDatabase m_Database;
  cEdSystem m_System;
  cEdWorldMap m_WorldMap;
  cEdCommonPalette m_CommonPalette;
  cEdStage m_Stage1;
  cEdStage m_Stage2;

 private:
  BOOL WriteBytes(std::string_view relCp932, const std::string& bytes) const;

  std::string m_strRoot;
  int32_t m_nDataVersion = DATA_VERSION_CURRENT;
};

// The demo's stages, as the world map's events name them.
inline constexpr const char* DEMO_STAGE1 = "data\\stg4\\Stage1.stg4";
inline constexpr const char* DEMO_STAGE2 = "data\\stg4\\Stage2.stg4";

// The demo's world map, 20 × 15: a road from the start cell (4, 7) east to
// two stage events, with a gate between them that opens once stage 1 is
// passed (story flag 1); stage 2 sets flag 2 and returns to the title.
cEdWorldMap MakeDemoWorldMap();
