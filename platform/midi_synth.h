// The synthesiser that MIDI music plays on: FluidSynth with the TimGM6mb
// sound font, rendered into our mixer at its rate. Tests put a recording
// synthesiser in its place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class cMidiSynth {
 public:
  virtual ~cMidiSynth() = default;
  // status | data1 << 8 | data2 << 16, as a MIDI stream event holds it.
  virtual void ShortMessage(uint32_t nMessage) = 0;
  // A system-exclusive message, F0 or F7 first.
  virtual void LongMessage(const uint8_t* pBytes, size_t nBytes) = 0;
  // Every sounding note released (a stopped or paused stream).
  virtual void AllNotesOff() = 0;
  // Back to the state after power-on: programs, controllers, no notes.
  virtual void Reset() = 0;
  // nFrames stereo frames at the mixer's rate, written (not added) to pStereo.
  virtual void Render(int16_t* pStereo, int nFrames) = 0;
};

// Null, with a reason in `error` (UTF-8), when the sound font cannot be
// loaded or the synthesiser cannot be made.
std::unique_ptr<cMidiSynth> CreateMidiSynth(std::string& error);

// Where the sound font is looked for (the Debian package's file).
const std::string& SoundFontPathForTests();

// Tests: another synthesiser maker (null restores FluidSynth), and another
// sound font file ("" restores the package's).
typedef std::unique_ptr<cMidiSynth> (*MIDISYNTHFACTORY)(std::string& error);
void SetMidiSynthFactoryForTests(MIDISYNTHFACTORY pfnFactory);
void SetSoundFontPathForTests(const std::string& path);
