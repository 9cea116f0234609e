#include "shell/startup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media/graphics/dd_effects.h"
#include "media/graphics/dd_pixel_effects.h"
#include "media/graphics/font.h"
#include "media/sound/sound_effects.h"
#include "platform/file_system.h"
#include "platform/glyph_source.h"
#include "platform/joystick.h"
#include "platform/messages.h"
#include "platform/system_info.h"
#include "platform/text_cp932.h"
#include "platform/window.h"
#include "play/stage_graphics.h"
#include "records/common_palette.h"
#include "records/data_file.h"
#include "records/database.h"
#include "records/database_run_tables.h"
#include "records/default_data.h"
#include "base/checked_containers.h"
#include "base/message_box.h"
#include "records/option.h"
#include "records/system.h"
#include "base/path_helpers.h"
#include "base/report.h"
#include "records/world_map.h"
#include "shell/boot_file.h"
#include "shell/dlg_startup.h"
#include "shell/frame_timing.h"
#include "shell/game_loop.h"
#include "shell/main_window.h"
#include "shell/mode_scenes.h"
#include "shell/music_requests.h"
#include "shell/player_input.h"
#include "shell/chara_effect_blt.h"
#include "shell/record_seams.h"
#include "shell/startup_project.h"
#include "shell/scene_manager.h"
#include "shell/system_report.h"

// Steps of start-up and shut-down whose units do not exist yet. Each is
// skipped where it belongs, so the order of the rest stays that of the
// finished program:
//   InitGame  13  the program's icon on the window (no icon resource here)
//             31  the stage-play word that a direct play clears
//   UnInitGame 9  the window library's keyboard hook (never installed here)
//             10  DestroyIcon of the program's icon
// StartStageFile (the free-play stage) goes through g_WindowRequests, so
// that tests can put another loader in its place.

DDSURFACEDATA g_aStageSurface[SYSTEM_BITMAP_COUNT];
DDSURFACEINFO g_aStageSurfaceInfo[SYSTEM_BITMAP_COUNT];
BOOL g_bFreeStage = 0;

namespace {

STARTUPRAN s_Ran;
// What start-up takes from g_System, read once it is loaded.
PROJECTSETTINGS s_Project;

// InitAll keeps pointers into the font table; it lives as long as the fonts.
cVector<FONTINFO> s_FontTable;
cVector<SOUNDFILEINFO> s_SoundTable;
cVector<SOUNDDATA> s_SoundList;

bool StartGraphics(HWND hWnd, int nCmdShow, int nWindowFlag) {
  INIVALUES& ini = g_Ini;
  FillSurfaceInfoTable(g_aStageSurfaceInfo);
  auto tryInit = [&] {
    s_Ran.bGraphics = true;
    return DDInit(ini.nDirect3D, hWnd, kClientWidth, kClientHeight, ini.nBpp, ini.nVSync, nWindowFlag, 1, 60,
                  ini.nVSync, g_aStageSurface, g_aStageSurfaceInfo, SYSTEM_BITMAP_COUNT, 0);
  };
  bool bOk = tryInit();
  if (!bOk && ini.nDirect3D) {
    DDUnInit();
    ini.nDirect3D = 0;
    ShowWindow(hWnd, nWindowFlag ? nCmdShow : SW_SHOWMAXIMIZED);
    bOk = tryInit();
  }
  if (!bOk) {
    Logf("DDInit");
    return false;
  }
  SetFramePacingPath(lpDTCon != nullptr, lpDTCon == nullptr && g_lpDD != nullptr);
  DDSetFrameGate(&WaitFrameGateD3D);
  SetStageSurfaceTable(g_aStageSurface, SYSTEM_BITMAP_COUNT);
  InstallCharaEffectBlt();
  return true;
}

bool LoadPaletteAndColourKey() {
  if (!lpDTCon && !g_lpDDPalette) return true;
  const DDSURFACEINFO* lpPaletteInfo = &g_aStageSurfaceInfo[0];
  if (!DDLoadPaletteFromFile(g_WorkPalette, lpPaletteInfo, g_DDDisplay.nWindowMode)) return false;
  std::memcpy(g_Palette, g_WorkPalette, sizeof(g_Palette));
  const PROJECTSETTINGS& p = s_Project;
  if (!p.bFullColour) return DDSetTransmit(lpPaletteInfo) != 0;
  if (g_DDDisplay.nBpp == 16) {
    if (!DDSetTransmit(lpPaletteInfo)) return false;
    DDSetExactTransmitRGB(p.byTransR, p.byTransG, p.byTransB);
    return true;
  }
  DDSetTransmitRGB(p.byTransR, p.byTransG, p.byTransB);
  return true;
}

}  // namespace

bool LoadHbt(int n) {
  if (lpDTCon || g_DDDisplay.nBpp != 8) return true;
  char szPath[64];
  std::snprintf(szPath, sizeof szPath, "bmp\\hbt\\hbt%02d.dat", n);
  // Sets 0 to 23 exist; any other number from a damaged option file would
  // copy a palette row from past the palette's end.
  if (n < 0 || n > 23 || !DDLoadColorTable(g_ColorTable, szPath)) {
    ErrorBoxf(Sjis("%s の読み込みに失敗！").c_str(), szPath);
    return false;
  }
  if (!DDLoadPaletteFromFile(g_WorkPalette, &g_aStageSurfaceInfo[0], g_DDDisplay.nWindowMode)) {
    Logf("DDLoadPaletteFromFile");
    return false;
  }
  if (n < 12) {
    DDRotatePalette(g_WorkPalette, 16, 207, n * 16, 0, g_WorkPalette);
  } else {
    for (int row = 1; row <= 12; ++row)
      if (row != n - 11) std::memcpy(g_WorkPalette + row * 64, g_WorkPalette + (n - 11) * 64, 64);
  }
  std::memcpy(g_Palette, g_WorkPalette, sizeof(g_Palette));
  DDSetPaletteEntries(0, 255, g_WorkPalette);
  return true;
}

namespace {

bool LoadFixedSurfaces() {
  std::vector<int> index(SYSTEM_BITMAP_COUNT);
  for (int i = 0; i < SYSTEM_BITMAP_COUNT; ++i) index[static_cast<size_t>(i)] = i;
  return DDLoadSurfaceList(g_aStageSurface, index.data(), SYSTEM_BITMAP_COUNT);
}

}  // namespace

void LoadBackgroundSurfaces(DDSURFACEDATA* aSD, DDSURFACEINFO* aInfo, const std::string* aszFile) {
  for (int i = 0; i < STAGESURFACE_BACKGROUND_COUNT; ++i) {
    const int n = STAGESURFACE_BACKGROUND + i;
    DDSURFACEDATA& sd = aSD[n];
    DDSURFACEINFO& info = aInfo[n];
    // The description follows the surface: a restore reloads what it names.
    auto load = [&](const std::string& name) {
      DDReleaseSurface(&sd);
      info.szFileName = name;
      return DDSurfaceErrorName(DDCreateSurfaceFromFile(&sd, name.c_str(), info.bTransmit, g_DDDisplay.nBpp,
                                                        info.nMemType, info.nDTMemType, info.lpParentSD,
                                                        info.bPalMap, info.nMirrorWidth, info.nMirrorHeight, 0));
    };
    // A slot that already holds the picture (the defaults start-up loaded,
    // or the same stage again) is not read a second time.
    if (info.szFileName == aszFile[i] && SurfaceHasPixels(&sd)) continue;
    const std::string& strDefault = g_vecSystemBitmap.CheckedAt(n).szFileName;
    if (load(aszFile[i]) || aszFile[i] == strDefault) continue;
    Reportf(Sjis("%s の読み込みに失敗！").c_str(), aszFile[i].c_str());
    load(strDefault);
  }
}

namespace {

bool StartFonts() {
  s_FontTable = g_vecFontInfo;
  const std::string& face = s_Project.strFontFace;
  for (FONTINFO& f : s_FontTable) {
    f.szFaceName = face;
    if (f.nFastFont == 2) f.nFastFont = lpDTCon ? g_Ini.nD3D_FontCache : g_Ini.nDD_FontCache;
  }
  s_Ran.bFonts = true;
  if (!cFont::InitAll(g_Fonts, s_FontTable.data(), FONT_COUNT)) return false;
  // The 16-pixel font's two switches of the project: icons, and glyphs
  // centred in their cells.
  g_Fonts[1].m_bIcon = s_Project.nFontSettingA ? 1 : 0;
  g_Fonts[1].m_bCenter = s_Project.nFontSettingB ? 1 : 0;
  s_Ran.bDigits = true;
  return DDCreateDigitSurfaces(g_DigitSD, g_DigitSurfaceInfo, FONT_COUNT, g_Fonts, s_FontTable.data()) != 0;
}

bool StartSound(HWND hWnd) {
  const std::vector<std::string>& systemFiles = s_Project.vecSystemSoundFile;
  std::vector<std::string> databaseFiles;
  for (const cEdSound& s : g_Database.m_vecSound) databaseFiles.push_back(s.strFile);
  BuildSoundTable(systemFiles, databaseFiles, s_SoundTable, s_SoundList);
  s_Ran.bSound = true;
  if (!DS_Init(hWnd, 22050, 8, 1)) {
    Logf("%s", Sjis("DS_Init失敗！").c_str());
    return false;
  }
  DS_LoadSounds(&s_SoundList, &s_SoundTable, SeVolumeForLevel(g_Option.m_nSeVolume));
  return true;
}

// False only when the stage exists and cannot be started.
bool StartFreeStage() {
  if (g_Ini.szFreeStage.empty()) return true;
  std::string path = g_Ini.szFreeStage;
  std::string latest;
  if (FindLatestNumberedFile(latest, path, "stg4")) path = latest;
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
    ReportAndLogf(Sjis("「%s」の読み込みに失敗しました！").c_str(), path.c_str());
    g_Ini.szFreeStage.clear();
    return true;
  }
  g_Ini.szFreeStage = path;
  g_bFreeStage = 1;
  if (!g_WindowRequests.pfnStartStageFile || !g_WindowRequests.pfnStartStageFile(path, 1)) return false;
  cSceneManager& m = g_SceneMgr;
  m.m_nPlayKind = PLAYKIND_FREE;
  m.m_nTitleChoice = 3;
  // A stage named at start-up shows its result values but registers no
  // ranking: the game's ranking switch stays off.
  m.m_bRankingOn = 0;
  m.m_nMode = GAMEMODE_STAGE;
  m.m_nPrevMode = GAMEMODE_TITLE;
  m.m_bDirectPlay = 1;
  return true;
}

}  // namespace

SCREENMODERESULT DecideScreenMode(INIVALUES& ini, int nDesktopBpp, bool bFullColourProject, bool bOsAtLeast6,
                                  int& nWindowFlag) {
  const bool bD3D = ini.nDirect3D != 0;
  if (bD3D) {
    nWindowFlag = ini.nWindowMode != 0;
    if (ini.nVSync >= 2) ini.nVSync = 1;
  } else if (ini.nWindowMode) {
    nWindowFlag = 1;
    ini.nVSync = 0;
  } else {
    nWindowFlag = 0;
    if (ini.nVSync >= 2) ini.nVSync = bOsAtLeast6 ? 0 : 1;
  }
  if (ini.nBpp == 0) {
    if (nWindowFlag)
      ini.nBpp = nDesktopBpp;
    else
      ini.nBpp = (!bD3D && !bFullColourProject) ? 8 : 32;
  }
  const int b = ini.nBpp;
  bool bAccepted = b == 16 || b == 32;
  if (!bD3D && b == 8 && !nWindowFlag && !bFullColourProject) bAccepted = true;
  return bAccepted ? SCREENMODE_OK : SCREENMODE_REFUSED;
}

const STARTUPRAN& StartupStepsRanForTests() { return s_Ran; }

bool StartupFontsReady() { return s_Ran.bFonts; }

bool InitGame(const char* lpCmdLine, int nCmdShow) {
  const HWND hWnd = g_MainWnd.m_hWnd;

  // A checked access that fails before g_hWndMain is set posts its close
  // request to no window; the request is made again once there is one.
  const int nFailedAccessesBefore = CheckedAccessFailures();
  // Read while the project loads; the fonts are made from it much later.
  ReadFontConfigurationAhead();
  timeBeginPeriod(1);
  s_Ran.bTimerPeriod = true;
  srand(timeGetTime());
  g_nCurDataVersion = DATA_VERSION_CURRENT;
  g_bStripCR = 1;

  // CreateDefaultData with its box, then the folder list.
  if (!PrepareProjectFolders(hWnd)) return false;
  // Saves cut short by a kill leave their temporary files beside the target.
  RemoveStaleSaveTemps("user_data");

  if (!LoadDatabases(g_Database)) {
    ReportLogAndErrorBoxf("%s", Sjis("データベースの読み込みに失敗…").c_str());
    return false;
  }
  BuildDatabaseRunTables();

  if (!LoadProjectSettings()) return false;
  s_Project = ProjectSettings();
  InstallRecordSeams();

  INIKEYTABLE keys;
  for (const PROJECTINIKEY& k : s_Project.vecIniKey) {
    INIKEY key;
    key.strName = k.strName;
    key.nDefault = k.nDefault;
    key.strDefault = k.strDefault;
    keys.push_back(key);
  }
  LoadSystemIni(g_Ini, keys);
  int nDirect3D = DecideDrawingPath(g_Ini.nDirect3D, s_Project.strTitle, &StartupDialogModal);
  if (nDirect3D == kDrawingPathCancelled) return false;
  g_Ini.nDirect3D = nDirect3D;

  // Whole, as given: not split, not unquoted, not trimmed.
  if (lpCmdLine && *lpCmdLine) g_Ini.szFreeStage = lpCmdLine;

  g_SceneMgr.m_nTargetFps = 60;
  g_SceneMgr.m_nFadeStep = 10;
  InstallStageLinks();

  for (cPlayerInput& in : g_vPlayerInput) {
    in.m_dwRepeatDelay = 18;
    in.m_dwRepeatPeriod = 6;
  }

  int nWindowFlag = 0;
  if (DecideScreenMode(g_Ini, GetDesktopBpp(), s_Project.bFullColour, IsOSAtLeast(6, 0), nWindowFlag) !=
      SCREENMODE_OK) {
    ErrorBoxf("%s", Sjis("画面モードが不正です！\nSystem.iniと画面の設定を見直して下さい！").c_str());
    return false;
  }

  ShowWindow(hWnd, (g_Ini.nDirect3D || nWindowFlag) ? nCmdShow : SW_SHOWMAXIMIZED);
  g_hWndMain = hWnd;
  if (CheckedAccessFailures() != nFailedAccessesBefore) PostMessage(hWnd, WM_CLOSE, 0, 0);
  SetWindowTextA(hWnd, s_Project.strTitle);

  if (g_Ini.nBpp == 8) g_Ini.nDD_VideoStretch = 0;

  if (!StartGraphics(hWnd, nCmdShow, nWindowFlag)) return false;
  if (lpDTCon)
    DDSetTextureFailureText(Sjis("テクスチャの作成に失敗しました！\nビデオカードの性能が十分ではないかもしれません。\n"
                                 "System.iniファイルで「Direct3D=0」に変更してDirect3Dを無効にすれば改善される可能性があります。"));
  LinkGlobalTables([](int nSurface, int nParent) {
    if (nSurface < 0 || nSurface >= SYSTEM_BITMAP_COUNT || nParent < 0 || nParent >= SYSTEM_BITMAP_COUNT) return;
    g_aStageSurfaceInfo[nSurface].lpParentSD = &g_aStageSurface[nParent];
  });
  WriteDisplayReport(TRUE);

  if (!LoadPaletteAndColourKey()) return false;

  if (!lpDTCon) {
    g_bPresentByBlt = 1;
    if (!g_DDDisplay.nWindowMode && g_Ini.nVSync && GetMonitorFrequency() >= g_SceneMgr.m_nTargetFps)
      g_bPresentByBlt = 0;
  }

  if (!LoadFixedSurfaces()) return false;
  if (!StartFonts()) return false;

  InitJoysticks();
  for (cPlayerInput& in : g_vPlayerInput) in.SetDefaultJoystickMasks();
  if (!LoadKeyConfig(kKeyConfigPath, g_KeyConfig)) SetDefaultKeyConfig(g_KeyConfig);
  LoadOption();
  if (g_DDDisplay.nBpp == 8 && !LoadHbt(g_Option.HbtInUse())) return false;

  StartMusic();
  if (!StartSound(hWnd)) return false;

  if (!LoadWorldMap()) return false;
  if (!LoadCommonPalette()) {
    ReportLogAndErrorBoxf(Sjis("%s のロードに失敗！").c_str(), COMMON_PALETTE_PATH);
    return false;
  }

  return StartFreeStage();
}

void UnInitGame() {
  if (s_Ran.bGraphics && (lpDTCon || g_lpDD) && s_Ran.bFonts) ReportFontGlyphCounts();
  if (s_Ran.bTimerPeriod) {
    timeEndPeriod(1);
    s_Ran.bTimerPeriod = false;
  }
  if (s_Ran.bSound) {
    DS_UnInit();
    s_Ran.bSound = false;
  }
  if (cMusicSink* lpMusic = GetMusicSink()) lpMusic->UnInit();
  DeleteAllScenes();
  if (s_Ran.bFonts) {
    for (cFont& f : g_Fonts) f.ReleaseFonts();
    s_Ran.bFonts = false;
  }
  if (s_Ran.bDigits) {
    for (DDSURFACEDATA& sd : g_DigitSD) DDReleaseSurface(&sd);
    s_Ran.bDigits = false;
  }
  if (s_Ran.bGraphics) {
    DDUnInit();
    s_Ran.bGraphics = false;
  }
  UnInitJoysticks();
}
