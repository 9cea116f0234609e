// The run tables built once at start-up from g_Database: the step lists of
// animations and sprite effects that the animation player walks, and the
// forward and reversed start entries of chara effects and screen effects
// from which a running effect takes its values.
#pragma once

#include <cstdint>

#include "records/database.h"
#include "records/record.h"

// One step of an animation or effect sequence.
struct ANIMESTEP {
  int32_t nPattern;      // a pattern, or a control code: -2 back to step 0, -4 end
  int32_t nDuration;     // frames of 1/60 s
  int32_t bNoInterrupt;  // a change of animation that is not forced is refused
};

constexpr int32_t ANIMESTEP_LOOP = -2;
constexpr int32_t ANIMESTEP_END = -4;

// The running state of a chara or screen effect; the run tables hold entries
// of the same shape, of which start-up fills the values below the record.
struct EFFECTRUN {
  int16_t nEffect = 0;
  cEdKindEffect* lpRecord = nullptr;  // in g_Database, which never changes after start-up
  uint32_t nMode = 0;                 // 0 forwards, 1 reversed, 2 back and forth
  uint32_t bRepeat = 0;
  uint32_t bReverse = 0;              // the reversed table is in use
  uint32_t nFrame = 0;
  int32_t nStart = 0;
  int32_t nEnd = 0;
  double dCurrent = 0.0;
  double dStep = 0.0;                 // per frame
  int32_t nExtra1 = 0;
  int32_t nExtra2 = 0;
};

template <>
struct ReportedSize<ANIMESTEP> {
  static constexpr int value = 12;
};
template <>
struct ReportedSize<cVector<ANIMESTEP>> {
  static constexpr int value = 16;
};
template <>
struct ReportedSize<EFFECTRUN> {
  static constexpr int value = 56;
};

typedef cVector<cVector<ANIMESTEP>> ANIMERUNTABLE;
typedef cVector<EFFECTRUN> EFFECTRUNTABLE;

// Defined with the other long-lived globals (records/globals.cpp).
// Threads: built by InitGame on the window thread before the game thread
// starts (its creation orders the two); read only after that.
extern ANIMERUNTABLE g_vAnimeRun;
extern ANIMERUNTABLE g_vEffectRun;
extern EFFECTRUNTABLE g_CharaEffectRun;
extern EFFECTRUNTABLE g_CharaEffectRunRev;
extern EFFECTRUNTABLE g_ScrEffectRun;
extern EFFECTRUNTABLE g_ScrEffectRunRev;

void BuildAnimeRunTable(ANIMERUNTABLE& table);
void BuildEffectRunTable(ANIMERUNTABLE& table);
void BuildCharaEffectTables(EFFECTRUNTABLE& forward, EFFECTRUNTABLE& reversed);
void BuildScrEffectTables(EFFECTRUNTABLE& forward, EFFECTRUNTABLE& reversed);

// Fills one table entry from record nEffect of the chara-effect list (or of
// its reversed copy, whose from and to values it exchanges).
void CharaEffectRunSetup(EFFECTRUN& entry, int nEffect, BOOL bReverse);
void ScrEffectRunSetup(EFFECTRUN& entry, int nEffect, BOOL bReverse);
// Starts a run from a table entry: the record and the values; the run's own
// number, mode, repeat, direction and frame counter stay.
void EffectRunCopyEntry(EFFECTRUN& run, const EFFECTRUN& entry);

// The start-up steps after LoadDatabases: the reversed working lists, then
// the six tables in their order.
void BuildDatabaseRunTables();
