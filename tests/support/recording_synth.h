// A synthesiser for tests: it records each message with the mixer frame it
// arrived at (frames rendered before it) and renders a level that tells
// whether a note is held, so tests see both timing and sound.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/midi_synth.h"

struct SYNTHEVENT {
  uint64_t nFrame;
  uint32_t nMessage;  // short message; 0xF0 for a long one
  std::vector<uint8_t> vLong;
  bool operator==(const SYNTHEVENT&) const = default;
};

// The log of every recording synthesiser made since the last Reset (the
// music players make and drop synthesisers as pieces change).
struct SYNTHLOG {
  std::vector<SYNTHEVENT> vEvents;
  int nAllNotesOff = 0;
  int nResets = 0;
  int nSynths = 0;
  uint64_t nFrames = 0;  // rendered by the newest synthesiser
};
SYNTHLOG& RecordingSynthLog();
void ResetRecordingSynthLog();

// Installs the recording synthesiser as the MIDI stream's (null to undo).
void UseRecordingSynth(bool bOn);
// Note-on messages only (velocity above 0), with their frames.
std::vector<SYNTHEVENT> RecordedNoteOns();
