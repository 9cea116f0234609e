// cEdStage: one playable level (its settings, its own palette, the blocks,
// charas and items placed in it, its backgrounds, its removal areas), as a
// stage file in "data\stg4" holds it and as a replay carries it. g_Stage is
// the stage in play and the buffer every stage file is read into;
// g_StageCopy holds the settings of the stage the game modes loaded.
#pragma once

#include <cstdint>
#include <string>

#include "records/block.h"
#include "records/chara.h"
#include "records/item.h"
#include "records/record.h"

constexpr uint32_t STAGE_END_MARK = 123456789;
constexpr int STAGE_SUB_COUNT = 5;
constexpr int STAGE_RANKING_SWITCHES = 5;
// The largest map play makes of a stage, whatever its file asks for: a
// width of at most 65,536 cells (placements name their cell in 16 bits) and
// a block map, margins included, of at most 16M cells.
constexpr uint32_t STAGE_MAX_SIDE_CELLS = 65536;
constexpr uint64_t STAGE_MAX_MAP_CELLS = 16u * 1024u * 1024u;
// The cells of margin around a stage in play's block map, on every side.
constexpr uint32_t STAGE_MAP_MARGIN = 10;

// A removal area: A to D switch the left, right, top and bottom side on;
// E to H are the margins in cells beyond the view on those sides.
class cEdStageSub : public cEdRecord {
 public:
  cEdStageSub();
  void RegisterFields(int nVersion) override;
  void Set(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e, uint32_t f, uint32_t g, uint32_t h);

  uint32_t m_nA{}, m_nB{}, m_nC{}, m_nD{}, m_nE{}, m_nF{}, m_nG{}, m_nH{};
};

// One background layer.
class cEdBackground : public cEdRecord {
 public:
  cEdBackground();
  void RegisterFields(int nVersion) override;
  // Fields cleared, then shown, colour 16, rates 0.1.
  void SetDefaults();

  std::string m_strFile;  // the picture, when not a plain fill
  uint32_t m_bShown{};    // 1  from 62
  uint32_t m_bFill{};     // 2
  uint32_t m_nFillColour{};  // 3  a palette index
  uint32_t m_nLayer{};    // 4  0 behind the objects, 1 in front
  double m_dRateX{};      // 5  from 61
  double m_dRateY{};      // 6  from 61
  uint32_t m_bAutoX{};    // 7  from 61
  uint32_t m_bAutoY{};    // 8  from 61
  double m_dOffsetX{};    // 9  from 62
  double m_dOffsetY{};    // 10 from 62

 private:
  // Files before 61 hold two words in place of the rates, files of 61 two
  // in place of the offsets; both are read and dropped.
  uint32_t m_nDropped1{};
  uint32_t m_nDropped2{};
};

// An element of the stage's text list: one string, kept with the stage.
class cEdStageObjB : public cEdRecord {
 public:
  cEdStageObjB() { RegisterFields(DATA_VERSION_CURRENT); }
  void RegisterFields(int) override {
    ClearTables();
    AddStrField(&m_strText, 1);
  }
  std::string m_strText;
};

template <>
struct ReportedSize<cEdBackground> {
  static constexpr int value = 112;
};

class cEdStage : public cEdRecord {
 public:
  cEdStage();
  void RegisterFields(int nVersion) override;
  void SetDefaults();
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;
  // The stage part of a replay: the settings, flags, removal areas,
  // backgrounds and texts of `stage`, the palettes and placements of this.
  void WriteForReplay(cDataFile& f, cEdStage& stage);
  void Normalize();
  // Stores the level as given and derives the speed values (fields 87 to
  // 93 and the flow time factor) from SpeedLevelInUse.
  void SetSpeedLevel(uint32_t nLevel);
  // The stored level when it is one of the editor's 1 to 19, else 10: a
  // level of 0 would give no sub-steps at all, 20 and more more sub-steps
  // than the play loop is made for.
  uint32_t SpeedLevelInUse() const;
  // Frames per second for the pacing, which divides by it, and for every
  // count of frames per second of play: 60 for a stored 0 or a rate above
  // 1,000 no display can show.
  uint32_t FrameRate() const { return m_nFps && m_nFps <= 1000 ? m_nFps : 60; }

  // The map as stage set-up and spawning use it. The record keeps the
  // file's width, height and placements, so a replay writes them back as
  // read; these give the sizes bounded to what play can hold, the row
  // shift of the block map (rows of 2^s cells, s the binary digits of
  // MapWidth() + 19; (MapHeight() + 20) << s cells in all, at most
  // STAGE_MAX_MAP_CELLS) and whether a placement's cell lies in the block
  // map with its margins, which hold blocks too.
  uint32_t MapWidth() const;
  uint32_t MapHeight() const;
  int MapRowShift() const;
  bool PlacementInMap(uint32_t nColumn, uint32_t nRow) const;
  // The first placed chara that is a player with a picture; -1 when none.
  int FindPlayerPlacement() const;
  bool HasPlayerPlacement() const { return FindPlayerPlacement() >= 0; }
  // Empties the palettes and placements (and frees their storage).
  void ClearRecordLists();

  std::string m_strText;
  cVector<cEdBlock> m_vecBlock;  // placed
  cVector<cEdChara> m_vecChara;
  cVector<cEdItem> m_vecItem;
  cVector<cEdBlock> m_vecPaletteBlock;  // the stage palette (PALETTE_STAGE)
  cVector<cEdChara> m_vecPaletteChara;
  cVector<cEdItem> m_vecPaletteItem;
  cVector<cEdBackground> m_vecBackground;
  cVector<cEdStageObjB> m_vecText;
  cVector<uint32_t> m_vecRankingSwitch;  // one per ranking category
  // Removal areas: charas, block charas, items, shots of either side flag.
  cEdStageSub m_aSub[STAGE_SUB_COUNT];

  // The registered fields, numbered in file order; sizes are in cells of 32
  // pixels unless named otherwise.
  uint32_t m_nWidth{};             // 1
  uint32_t m_nSetting2{};          // 2  kept, not played
  uint32_t m_nSetting3{};          // 3  kept, not played
  uint32_t m_nHeight{};            // 4
  uint32_t m_bStopLeft{};          // 5  scroll stops
  uint32_t m_bStopRight{};         // 6
  uint32_t m_bStopTop{};           // 7
  uint32_t m_bStopBottom{};        // 8
  uint32_t m_nStopLeft{};          // 9  at most W - 20 (signed)
  uint32_t m_nStopRight{};         // 10 at most W - 1
  uint32_t m_nStopTop{};           // 11 at most H - 15
  uint32_t m_nStopBottom{};        // 12 at most H - 1
  uint32_t m_nFps{};               // 13 frames per second (FrameRate)
  uint32_t m_bTimeLimit{};         // 14
  uint32_t m_nTimeLimit{};         // 15 seconds
  uint32_t m_nWarningTime{};       // 16 seconds
  uint32_t m_nScrollKindX{};       // 17 0 follows the player, 1 automatic
  uint32_t m_nScrollKindY{};       // 18
  int32_t m_nAutoScrollX{};        // 19 tenths
  int32_t m_nAutoScrollY{};        // 20
  double m_dGravityBase{};         // 21
  uint32_t m_nSpeedLevel{};        // 22 1 to 19 (SpeedLevelInUse)
  uint32_t m_nHitFrequency{};      // 23 0: every sub-step
  uint32_t m_nBgm{};               // 24 Bgm database index
  uint32_t m_nBgmOption{};         // 25 from 166
  uint32_t m_bKeepBgm{};           // 26 from 199
  uint32_t m_bEightLayers{};       // 27
  uint32_t m_bInheritStatus{};     // 28
  uint32_t m_bCarryStatus{};       // 29
  uint32_t m_bShowStatusBar{};     // 30 from 183
  uint32_t m_bResultAutoClose{};   // 31 from 184
  uint32_t m_bStageNoBanner{};     // 32
  uint32_t m_bStartBanner{};       // 33 from 225
  uint32_t m_bClearBanner{};       // 34
  uint32_t m_bGameOverBanner{};    // 35
  // Player boxes and ranges, in pixels.
  uint32_t m_nPlayerBodyW{}, m_nPlayerBodyH{};              // 36, 37 from 200
  uint32_t m_nPlayerBodyNgW{}, m_nPlayerBodyNgH{};          // 38, 39 from 200 (no gravity)
  uint32_t m_nPlayerHitW{}, m_nPlayerHitH{};                // 40, 41
  uint32_t m_nPlayerHitNgW{}, m_nPlayerHitNgH{};            // 42, 43 from 155
  uint32_t m_nPlayerHit1W{}, m_nPlayerHit1H{};              // 44, 45 form 1, second range
  uint32_t m_nPlayerHit3W{}, m_nPlayerHit3H{};              // 46, 47 third range
  uint32_t m_bPlayerBodyBottom{}, m_bPlayerBodyNgBottom{};  // 48, 49 from 200
  uint32_t m_bPlayerHitBottom{}, m_bPlayerHitNgBottom{};    // 50, 51 from 155
  uint32_t m_nPlayerBodyShow{};                             // 52 from 200
  uint32_t m_nPlayerHitShow{}, m_nPlayerHit2Show{}, m_nPlayerHit3Show{};  // 53 to 55
  uint32_t m_nPlayerBodyColour{};                           // 56 from 200
  uint32_t m_nPlayerHitColour{}, m_nPlayerHit2Colour{}, m_nPlayerHit3Colour{};  // 57 to 59
  // Stage-chara boxes and ranges.
  uint32_t m_nCharaBodyW{}, m_nCharaBodyH{};                // 60, 61 from 200 (move type 0)
  uint32_t m_nCharaBodyOtherW{}, m_nCharaBodyOtherH{};      // 62, 63 from 200
  uint32_t m_nCharaHitW{}, m_nCharaHitH{};                  // 64, 65
  uint32_t m_nCharaHitNgW{}, m_nCharaHitNgH{};              // 66, 67 from 155
  uint32_t m_nCharaHit1W{}, m_nCharaHit1H{};                // 68, 69
  uint32_t m_bCharaBodyBottom{}, m_bCharaBodyOtherBottom{};  // 70, 71 from 200
  uint32_t m_bCharaHitBottom{}, m_bCharaHitNgBottom{};      // 72, 73 from 155
  uint32_t m_nItemHitW{}, m_nItemHitH{};                    // 74, 75
  uint32_t m_nPlayerForm2W{}, m_nPlayerForm2H{};            // 76, 77 also the player's shot box
  uint32_t m_nSetting78{}, m_nSetting79{};                  // 78, 79 kept, not played
  uint32_t m_nCharaForm2W{}, m_nCharaForm2H{};              // 80, 81 also the charas' shot box
  uint32_t m_nSetting82{}, m_nSetting83{};                  // 82, 83 kept, not played
  uint32_t m_nSetting84{};                                  // 84 kept, not played
  uint32_t m_nViewAddX{}, m_nViewAddY{};                    // 85, 86 added to the view size
  // Derived from the speed level in use (SetSpeedLevel).
  uint32_t m_nSpeedDiv{};    // 87 n, logic sub-steps per frame
  double m_dSpeedDiv{};      // 88 n
  double m_dSpeedDiv2{};     // 89 n²
  double m_dSpeedLimit{};    // 90 S
  double m_dGravity{};       // 91 field 21 / n²
  double m_dMaxSpeed{};      // 92 S / n, per sub-step
  uint32_t m_nFallSteps{};   // 93 8n
  uint32_t m_bOnScreenOnly{};            // 94
  uint32_t m_nPlayerInvincibleEach{};    // 95 frames
  uint32_t m_nPlayerInvincible{};        // 96
  uint32_t m_nCharaInvincibleEach{};     // 97
  uint32_t m_nCharaInvincible{};         // 98

  // Run-time only.
  uint32_t m_nFlowTimeMul{};     // 6n: the flow commands' time factor
  std::string m_strFilePath;     // the stage file being loaded or last loaded
  uint32_t m_bFindLatest{};      // the second argument of the last LoadStage
  uint32_t m_bLoaded{};          // set by the loader once the file was read

 private:
  void ReadPlacementLists(cDataFile& f);
  void ConvertOlder(int nVersion);
  void WriteSettingsPart(cDataFile& f);
  void WriteRecordsPart(cDataFile& f);
  void WriteTailPart(cDataFile& f);
};

// Defined here until the globals are gathered.
// Threads: g_Stage is written by thLoader while the thread that started the
// load (the game thread, or the window thread serving a stage request while
// the game thread waits in SendMessage) waits for it; that thread then
// copies the settings into g_StageCopy. Stage play reads both on the game
// thread. Never two at once: each hand-over is a wait.
extern cEdStage g_Stage;
extern cEdStage g_StageCopy;
