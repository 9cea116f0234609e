#include "tests/support/project_builder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

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

// The colour table of the 8-bit display: the demo palette's entry nearest
// to the even mix of colours a and b. Made once; every set writes it.
const std::string& DemoColourTable() {
  static const std::string table = [] {
    const std::vector<uint32_t> pal = DemoPalette();
    std::string t(65536, '\0');
    auto ch = [&](int i, int s) { return static_cast<int>((pal[static_cast<size_t>(i)] >> s) & 0xFF); };
    for (int a = 0; a < 256; ++a)
      for (int b = a; b < 256; ++b) {
        int best = 0, bestD = 1 << 30;
        for (int i = 0; i < 256; ++i) {
          int d = 0;
          for (int s = 0; s <= 16; s += 8) {
            int m = (ch(a, s) + ch(b, s)) / 2 - ch(i, s);
            d += m * m;
          }
          if (d < bestD) bestD = d, best = i;
        }
        t[static_cast<size_t>(a * 256 + b)] = t[static_cast<size_t>(b * 256 + a)] = static_cast<char>(best);
      }
    return t;
  }();
  return table;
}

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
  // The writer checks common-palette references against the loaded palette:
  // the project's own must stand in for it, or every template and inherit
  // reference to it would be written as none.
  cEdCommonPalette saved = std::move(g_CommonPalette);
  g_CommonPalette = m_CommonPalette;
  // Stored as the first numbered file of each name, as the editor saves them.
  const BOOL bOk = WriteStageFile(m_Stage1, std::string(DEMO_STAGE1) + "_000", m_nDataVersion) &&
         WriteStageFile(m_Stage2, std::string(DEMO_STAGE2) + "_000", m_nDataVersion);
  g_CommonPalette = std::move(saved);
  return bOk;
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
  // The pictures the databases name, which the stage scene loads as it
  // starts (it reports each one it cannot load).
  std::vector<std::string> named;
  for (size_t e = 1; e < m_Database.m_vecBmpCharaExc.size(); ++e) named.push_back(m_Database.m_vecBmpCharaExc[e].strFile);
  for (size_t e = 1; e < m_Database.m_vecSwordType.size(); ++e) {
    named.push_back(m_Database.m_vecSwordType[e].strFile);
    named.push_back(m_Database.m_vecSwordType[e].strFile2);
  }
  for (size_t e = 1; e < m_Database.m_vecEffect.size(); ++e) named.push_back(m_Database.m_vecEffect[e].strFile);
  for (const std::string& name : named)
    if (!name.empty() && !WriteBytes(name, DemoPictureFor(name, m_bPalettePictures))) return 0;
  // The 24 colour sets the option screen offers at 8 bits.
  for (int n = 0; n < 24; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "bmp\\hbt\\hbt%02d.dat", n);
    if (!WriteBytes(name, DemoColourTable())) return 0;
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
