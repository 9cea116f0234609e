// The MIDI stream output: buffers of stream events (delta ticks, stream id,
// event word, long-message bytes) queued on a stream, played in time on the
// mixer's thread through a synthesiser into the mix. Events that carry the
// callback flag call the stream's callback at the moment they play.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"

typedef uint32_t MMRESULT;
enum : MMRESULT {
  MMSYSERR_NOERROR = 0,
  MMSYSERR_ERROR = 1,
  MMSYSERR_NODRIVER = 6,
  MMSYSERR_INVALHANDLE = 5,
  MMSYSERR_INVALPARAM = 11,
  MIDIERR_STILLPLAYING = 65,
  MIDIERR_UNPREPARED = 64,
};

// Event word flags and kinds of a stream event.
constexpr uint32_t MEVT_F_LONG = 0x80000000;
constexpr uint32_t MEVT_F_CALLBACK = 0x40000000;
constexpr uint32_t MEVT_TEMPO = 0x01000000;
// What reaches the callback when an event with MEVT_F_CALLBACK plays.
constexpr UINT MM_MOM_POSITIONCB = 0x3CA;

// One buffer of stream events. The flags say where the buffer is.
enum : uint32_t { MHDR_DONE = 0x1, MHDR_PREPARED = 0x2, MHDR_INQUEUE = 0x4 };
struct MIDIBUFFERHEADER {
  uint8_t* pData = nullptr;
  uint32_t nBufferLength = 0;
  uint32_t nBytesRecorded = 0;  // bytes of events in pData
  uint32_t nUser = 0;           // the owner's word
  uint32_t nFlags = 0;
  uint32_t nOffset = 0;  // offset of the event that called back
};

struct MIDISTREAM;
typedef MIDISTREAM* HMIDISTRM;
// Runs on the mixer's thread while the stream is locked: it may call the
// stream's functions again (the lock is recursive), and must not call the
// mixer's.
typedef void (*MIDISTREAMCALLBACK)(void* pUser, UINT nMsg, MIDIBUFFERHEADER* pHeader);

// A stream starts paused with no buffers, 500,000 microseconds per quarter
// note and 96 ticks per quarter note. Fails when no synthesiser can be made
// (no sound font): MMSYSERR_NODRIVER, with the reason in MidiErrorText.
MMRESULT midiStreamOpen(HMIDISTRM* phStream, MIDISTREAMCALLBACK pfnCallback, void* pUser);
constexpr DWORD MIDIPROP_SET = 0x80000000;
constexpr DWORD MIDIPROP_TIMEDIV = 0x00000001;
// Ticks per quarter note, or (top bit set) SMPTE frames and ticks per frame.
MMRESULT midiStreamProperty(HMIDISTRM hStream, DWORD dwTimeDiv, DWORD dwProperty);
MMRESULT midiOutPrepareHeader(HMIDISTRM hStream, MIDIBUFFERHEADER* pHeader);
MMRESULT midiOutUnprepareHeader(HMIDISTRM hStream, MIDIBUFFERHEADER* pHeader);
// Appends a prepared buffer to the stream's queue.
MMRESULT midiStreamOut(HMIDISTRM hStream, MIDIBUFFERHEADER* pHeader);
MMRESULT midiStreamRestart(HMIDISTRM hStream);
// Holds the position; sounding notes are released.
MMRESULT midiStreamPause(HMIDISTRM hStream);
// Notes off, every queued buffer handed back (done), position to the start,
// the stream paused.
MMRESULT midiStreamStop(HMIDISTRM hStream);
// As stop, and the synthesiser back to its power-on state.
MMRESULT midiOutReset(HMIDISTRM hStream);
// Stops the stream first; after it returns the callback is not called again.
MMRESULT midiStreamClose(HMIDISTRM hStream);

// The text of an error (UTF-8), the last reason for MMSYSERR_NODRIVER.
std::string MidiErrorText(MMRESULT nResult);

// Holds the stream's lock, as its callback runs under it: the owner of a
// stream takes it around changes to what the callback also touches.
class cMidiStreamLock {
 public:
  explicit cMidiStreamLock(HMIDISTRM hStream);
  ~cMidiStreamLock();
  cMidiStreamLock(const cMidiStreamLock&) = delete;
  cMidiStreamLock& operator=(const cMidiStreamLock&) = delete;

 private:
  HMIDISTRM m_hStream;
};
