// The world map (`g_WorldMap`, "data\WorldMap.dat"): a grid of cells, the
// table of cell kinds, the start cell, and the events placed on cells, each
// with its list of actions that the world-map scene tests and runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win_types.h"
#include "base/checked_containers.h"
#include "records/record.h"

class cEdWorld;
class cEdWorldEvent;
class cEdWorldAction;

// The failure lines of the checked access name the original's record sizes.
template <>
struct ReportedSize<cEdWorld> {
  static constexpr int value = 80;
};
template <>
struct ReportedSize<cEdWorldEvent> {
  static constexpr int value = 76;
};
template <>
struct ReportedSize<cEdWorldAction> {
  static constexpr int value = 112;
};

class cEdWorldMap : public cEdRecord {
 public:
  cEdWorldMap();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  void SetDefaults();
  // Resizes the grid, keeping every cell that lies inside both sizes; 0 (and
  // nothing changed) for a size below 1 or one beyond WORLDMAP_MAX_CELLS.
  BOOL SetSize(int nWidth, int nHeight);
  // The first event of m_vEvent standing on (x, y); null when there is none.
  cEdWorldEvent* FindEntry(int x, int y);
  // The grid cell at column x, row y, through the checked access.
  int32_t& CellAt(int x, int y);

  // Registered members, in file order.
  int32_t m_nWidth = 0;   // cells
  int32_t m_nHeight = 0;  // cells
  int32_t m_nPitch = 0;   // cells per stored row, 1 << m_nPitchShift
  int32_t m_nPitchShift = 0;
  int32_t m_nStartX = 0;  // the player's start cell
  int32_t m_nStartY = 0;
  int32_t m_nBackColor = 0;    // palette number the map view is filled with
  int32_t m_bBackPicture = 0;  // 1: the background picture is drawn over it
  std::string m_strName;
  std::string m_strBackPicture;  // replaces "bmp\WorldBack.bmp" when set

  cVector<cEdWorld> m_vWorld;  // the cell kinds; a cell holds an index into it
  cVector<int32_t> m_vCell;    // pitch × height, row after row
  cVector<cEdWorldEvent> m_vEvent;
  cVector<cEdWorldEvent> m_vEventB;  // entry 0 is the default event

 private:
  // The grid as pitch and shift for nWidth, keeping the cells of the old
  // layout when that layout is a sound one.
  void ResizeGrid(int nWidth, int nHeight);
  // Makes the grid fit its width and height; false when the size itself is
  // unusable, and the file is then marked damaged.
  bool CheckGrid(cDataFile& f);
  void Normalise();
};

// One cell kind.
class cEdWorld : public cEdRecord {
 public:
  cEdWorld();
  void RegisterFields(int nVersion) override;

  int32_t m_nValue = 0;  // carried through unchanged; no reader of ours uses it
  int32_t m_bBlock = 0;  // 1: the kind cannot be entered
  int32_t m_nIndex = 0;  // the kind's number, also its chip in "bmp\WorldMapChip.bmp"
  std::string m_strName;
  std::string m_strPassText;
};

// One event: a cell position and the actions tested there in order.
class cEdWorldEvent : public cEdRecord {
 public:
  cEdWorldEvent();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  int32_t m_nX = 0;
  int32_t m_nY = 0;
  std::string m_strName;
  cVector<cEdWorldAction> m_vAction;
};

// One action of an event. The meanings below are those the world-map scene
// gives the eleven values; the table in RegisterFields is the one place
// that ties them to the file.
class cEdWorldAction : public cEdRecord {
 public:
  cEdWorldAction();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override { WriteAndHook(*this, f); }

  int32_t m_nKind = 0;      // 0 can be entered, 2 blocks the cell, others are passed over
  int32_t m_bPassed = 0;    // counts as passed whatever the flags say
  int32_t m_bReEnter = 0;   // may be entered again once passed
  int32_t m_nPassFlag = 0;  // story flag set when passed
  int32_t m_nNeedFlag = 0;  // story flag required (0: none)
  int32_t m_nVarNo = 0;     // story variable compared (0: none)
  int32_t m_nCompare = 0;   // CompareOp
  int32_t m_nCompareValue = 0;
  int32_t m_nScoreNeed = 0;  // total score required
  int32_t m_nValue10 = 0;    // carried through unchanged; no reader of ours uses it
  int32_t m_nEndKind = 0;    // index into WorldEndActionNames(); from data version 209
  std::string m_strStage;    // stage file
  std::string m_strText;     // description shown on the map
};

inline cEdWorld& WorldAt(cVector<cEdWorld>& v, int i) { return v.CheckedAt(i); }
inline cEdWorldEvent& WorldEventAt(cVector<cEdWorldEvent>& v, int i) { return v.CheckedAt(i); }
inline cEdWorldAction& WorldCellAt(cVector<cEdWorldAction>& v, int i) { return v.CheckedAt(i); }

// The largest grid (pitch × height) a map may have; a file asking for more
// is damaged.
constexpr int32_t WORLDMAP_MAX_CELLS = 1 << 20;

// The label texts kept for the world map (CP932): the cell-kind names
// ("ワールド", "道", "壁") and the end actions ("しない", "2周目へ突入",
// "タイトルへ戻る").
const std::vector<std::string>& WorldKindNames();
const std::vector<std::string>& WorldEndActionNames();

// Threads: loaded by InitGame on the window thread before the game thread
// starts; read-only afterwards (game thread, and the window thread's stage
// requests while the game thread waits in SendMessage).
extern cEdWorldMap g_WorldMap;

// Start-up's step: g_WorldMap from "data\WorldMap.dat". A file that cannot
// be opened or is damaged gives the box "%s のロードに失敗！" and 0, and
// g_WorldMap keeps what it held.
inline constexpr const char* WORLDMAP_PATH = "data\\WorldMap.dat";
BOOL LoadWorldMap();
