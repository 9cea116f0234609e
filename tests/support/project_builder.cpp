#include "tests/support/project_builder.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "platform/file_system.h"
#include "platform/text_cp932.h"
#include "records/data_file.h"
#include "records/start_tables.h"
#include "tests/support/database_fixtures.h"
#include "tests/support/demo_pictures.h"
#include "tests/support/stage_fixtures.h"
#include "tests/support/system_fixtures.h"
#include "tests/support/wav_writer.h"

namespace {

// The records write the layout of g_nCurDataVersion; the builder's version
// holds only for the duration of one write.
class cDataVersionScope {
 public:
  explicit cDataVersionScope(int32_t nVersion) : m_nSaved(g_nCurDataVersion) { g_nCurDataVersion = nVersion; }
  ~cDataVersionScope() { g_nCurDataVersion = m_nSaved; }
  cDataVersionScope(const cDataVersionScope&) = delete;
  cDataVersionScope& operator=(const cDataVersionScope&) = delete;

 private:
  int32_t m_nSaved;
};

// A game's folders: those start-up makes, and the picture and music folders
// the fixed tables read from.
const char* const s_aszFolder[] = {
    "data",
    "data\\database",
    "data\\stg4",
    "data\\stg4\\old_ver",
    "data\\work",
    "data\\plt4",
    "bmp",
    "bmp\\plt",
    "bmp\\hbt",
    "bgm",
    "user_data",
    "user_data\\story",
    "user_data\\challenge",
    "user_data\\free",
    "user_data\\rpl4",
};

// The settings writer works under the working folder and clamps music
// indices against g_Database: both are the project's for one write.
class cProjectScope {
 public:
  cProjectScope(const std::string& root, const cEdDatabase& db) : m_SavedDb(g_Database) {
    std::error_code ec;
    m_OldCwd = std::filesystem::current_path(ec);
    std::filesystem::current_path(root, ec);
    m_bOk = !ec;
    g_Database = db;
  }
  ~cProjectScope() {
    std::error_code ec;
    std::filesystem::current_path(m_OldCwd, ec);
    g_Database = m_SavedDb;
  }
  cProjectScope(const cProjectScope&) = delete;
  cProjectScope& operator=(const cProjectScope&) = delete;
  bool Ok() const { return m_bOk; }

 private:
  cEdDatabase m_SavedDb;
  std::filesystem::path m_OldCwd;
  bool m_bOk = false;
};

constexpr int CELL_WALL = 1;  // a blocking kind (kinds 0 to 4 block)
constexpr int CELL_ROAD = 5;  // a passable kind (kinds 5 to 9)

}  // namespace

cProjectBuilder::cProjectBuilder(std::string rootFolder)
    : m_Database(MakeFixtureDatabase()),
      m_WorldMap(MakeDemoWorldMap()),
      m_CommonPalette(MakeFixtureCommonPalette()),
      m_Stage1(MakeFixtureStage(30, 15)),
      m_Stage2(MakeFixtureStage(40, 15)),
      m_strRoot(std::move(rootFolder)) {}

std::string cProjectBuilder::GamePath(std::string_view relCp932) const {
  bool bOk = false;
  std::string root = Utf8ToCp932(m_strRoot, &bOk);
  if (!bOk || root.empty()) return "";
  if (root.back() != '/' && root.back() != '\\') root += '\\';
  root.append(relCp932);
  return root;
}

BOOL cProjectBuilder::MakeFolders() {
  if (GamePath("").empty()) return 0;
  for (const char* pszFolder : s_aszFolder) {
    std::error_code ec;
    std::filesystem::create_directories(ResolvePath(GamePath(pszFolder)), ec);
    if (ec) return 0;
  }
  return 1;
}

BOOL cProjectBuilder::WriteDatabases() {
  return WriteDatabaseFiles(m_Database, GamePath(""), m_nDataVersion) ? 1 : 0;
}

BOOL cProjectBuilder::WriteSystem() {
  cProjectScope scope(m_strRoot, m_Database);
  if (!scope.Ok()) return 0;
  return WriteSystemDat(m_System, m_nDataVersion);
}

BOOL cProjectBuilder::WriteCommonPalette() {
  cProjectScope scope(m_strRoot, m_Database);
  if (!scope.Ok()) return 0;
  return WriteCommonPaletteFile(m_CommonPalette, m_nDataVersion);
}

BOOL cProjectBuilder::WriteStages() {
  cProjectScope scope(m_strRoot, m_Database);
  if (!scope.Ok()) return 0;
  // Stored as the first numbered file of each name, as the editor saves them.
  return WriteStageFile(m_Stage1, std::string(DEMO_STAGE1) + "_000", m_nDataVersion) &&
         WriteStageFile(m_Stage2, std::string(DEMO_STAGE2) + "_000", m_nDataVersion);
}

BOOL cProjectBuilder::WriteBytes(std::string_view relCp932, const std::string& bytes) const {
  std::string native = ResolvePath(GamePath(relCp932));
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(native).parent_path(), ec);
  std::ofstream f(native, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return f.good() ? 1 : 0;
}

BOOL cProjectBuilder::WritePictures() {
  for (const SYSTEMBITMAPINFO& b : g_vecSystemBitmap) {
    if (b.szFileName == "E" || b.bNoError) continue;
    if (!WriteBytes(b.szFileName, DemoPictureFor(b.szFileName, m_bPalettePictures))) return 0;
  }
  return 1;
}

BOOL cProjectBuilder::WriteSounds() {
  int n = 0;
  auto write = [&](const std::string& name) {
    if (name.empty()) return true;
    ++n;
    return WriteBytes(name, MakeToneWav8(330.0 + 55.0 * (n % 12), 120)) != 0;
  };
  for (const std::string& name : m_System.m_vecSystemSoundFile) {
    if (!write(name)) return 0;
  }
  for (size_t i = 1; i < m_Database.m_vecSound.size(); ++i) {
    if (!write(m_Database.m_vecSound[i].strFile)) return 0;
  }
  return 1;
}

BOOL cProjectBuilder::WriteWorldMap() {
  cDataVersionScope version(m_nDataVersion);
  return m_WorldMap.SaveToFile(GamePath(WORLDMAP_PATH));
}

BOOL cProjectBuilder::Build() {
  if (!MakeFolders()) return 0;
  if (!WriteDatabases()) return 0;
  if (!WriteSystem()) return 0;
  if (!WriteCommonPalette()) return 0;
  if (!WriteWorldMap()) return 0;
  if (!WriteStages()) return 0;
  if (!WritePictures()) return 0;
  return WriteSounds();
}

cEdWorldMap MakeDemoWorldMap() {
  cEdWorldMap map;  // 20 × 15, the ten default kinds, the default event
  map.m_strName = Sjis("デモワールド");
  map.m_nStartX = 4;
  map.m_nStartY = 7;
  for (int y = 0; y < map.m_nHeight; ++y) {
    for (int x = 0; x < map.m_nWidth; ++x) map.CellAt(x, y) = (y == 7 && x >= 3 && x <= 16) ? CELL_ROAD : CELL_WALL;
  }

  cEdWorldEvent stage1;
  stage1.m_nX = 7;
  stage1.m_nY = 7;
  stage1.m_strName = Sjis("ステージ1");
  cEdWorldAction& a1 = stage1.m_vAction[0];
  a1.m_nKind = 0;
  a1.m_nPassFlag = 1;
  a1.m_bReEnter = 1;
  a1.m_strStage = DEMO_STAGE1;
  a1.m_strText = Sjis("最初のステージ");
  map.m_vEvent.push_back(stage1);

  // The gate: passed over once flag 1 is set, blocking until then.
  cEdWorldEvent gate;
  gate.m_nX = 10;
  gate.m_nY = 7;
  gate.m_strName = Sjis("門");
  gate.m_vAction[0].m_nKind = 1;
  gate.m_vAction[0].m_nNeedFlag = 1;
  gate.m_vAction.emplace_back();
  gate.m_vAction[1].m_nKind = 2;
  map.m_vEvent.push_back(gate);

  cEdWorldEvent stage2;
  stage2.m_nX = 14;
  stage2.m_nY = 7;
  stage2.m_strName = Sjis("ステージ2");
  cEdWorldAction& a2 = stage2.m_vAction[0];
  a2.m_nKind = 0;
  a2.m_nPassFlag = 2;
  a2.m_nNeedFlag = 1;
  a2.m_bReEnter = 1;
  a2.m_nEndKind = 2;  // "タイトルへ戻る"
  a2.m_strStage = DEMO_STAGE2;
  a2.m_strText = Sjis("最後のステージ");
  map.m_vEvent.push_back(stage2);
  return map;
}
