// The Ogg Vorbis music player: a player object that opens a file, plays it
// (endlessly or a number of times, looping without a gap) and stops, decoded
// with libvorbisfile on the mixer's thread straight into the mix.
#pragma once

#include <cstdint>

// The loop count that repeats endlessly.
constexpr int32_t kVoxLoopForever = 0x7FFFFFFF;

class cVoxPlayer {
 public:
  // Closes the current file and opens `path` (CP932 game path): non-zero
  // when it is an Ogg Vorbis file that can play.
  virtual uint8_t Load(const char* pszPath) = 0;
  // From the current position; a piece that ended starts from the top.
  virtual void Play() = 0;
  // Silent, and back to the start of the piece.
  virtual void Stop() = 0;
  virtual void Close() = 0;
  // Repeats after the first play: 0 plays once, kVoxLoopForever endlessly.
  virtual void SetLoopCount(int32_t nCount) = 0;
  // Destroys the player; it leaves the mix before it goes.
  virtual void Release() = 0;

 protected:
  virtual ~cVoxPlayer() = default;
};

// A new player in the mix (silent until a file plays), or null.
cVoxPlayer* CreateVox();

// Told of a file that opened but cannot be played: at Load, a file that is
// no Ogg Vorbis stream or one this player cannot play (step "Load"); while
// it plays, data that cannot be decoded (step "Play", once per Load). pszWhy
// says what was wrong. Called on the thread of the Load or on the mixer's;
// a missing file is no fault (the manager falls back to the MIDI piece).
typedef void (*OGGFAULTHANDLER)(const char* pszPath, const char* pszStep, const char* pszWhy);
void SetOggFaultHandler(OGGFAULTHANDLER pfn);
