#include "platform/midi_stream.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio.h"
#include "platform/midi_synth.h"

struct MIDISTREAM {
  // Held by the mixer's thread while it plays the stream (and calls back),
  // and by every function of the stream's owner.
  std::recursive_mutex lock;
  std::unique_ptr<cMidiSynth> pSynth;
  MIDISTREAMCALLBACK pfnCallback = nullptr;
  void* pUser = nullptr;
  int nAudioId = 0;

  std::deque<MIDIBUFFERHEADER*> queue;
  uint32_t nOffset = 0;  // of the next event in queue.front()
  bool bPlaying = false;
  bool bHaveEvent = false;  // the event at nOffset waits nWait frames
  uint64_t nWait = 0;
  uint32_t nTempo = 500000;  // microseconds per quarter note
  uint32_t nTimeDiv = 96;
  // The fraction of a frame carried from one delta to the next, in units
  // of 1 / TickLength().den, so that no rounding adds up over a piece.
  uint64_t nRemainder = 0;
  // Events played since time last moved on; see kMaxEventsAtOneInstant.
  int nBurst = 0;
};

namespace {

using u128 = unsigned __int128;

// No music plays this many events within one frame of the mix; a stream
// that does is a piece of no length looping on itself (or a tempo too fast
// to hear), and it is stopped rather than holding the mixer for ever.
constexpr int kMaxEventsAtOneInstant = 4096;

// The reason the last stream could not open; written and read on the
// thread that owns the music (the window thread).
std::string s_strOpenError;

uint32_t LeU32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// A tick lasts num / den frames of the mix.
struct TICKLENGTH {
  u128 num;
  uint64_t den;
};
TICKLENGTH TickLength(const MIDISTREAM& s) {
  if (s.nTimeDiv & 0x8000) {
    // SMPTE: the high byte is minus the frames per second (1 to 128 here, as
    // the top bit is set), the low byte the ticks per frame; 29 stands for
    // the 29.97 frames per second of drop-frame time code.
    const int fps = -static_cast<int8_t>(s.nTimeDiv >> 8);
    const uint64_t ticks = std::max<uint64_t>(1, s.nTimeDiv & 0xFF);
    if (fps == 29) return {u128(kAudioMixRate) * 1001, 30000 * ticks};
    return {u128(kAudioMixRate), uint64_t(fps) * ticks};
  }
  return {u128(s.nTempo) * kAudioMixRate, uint64_t(1000000) * std::max<uint32_t>(1, s.nTimeDiv)};
}

void HandBack(MIDIBUFFERHEADER* h) { h->nFlags = (h->nFlags & ~MHDR_INQUEUE) | MHDR_DONE; }

void StopLocked(MIDISTREAM& s) {
  s.bPlaying = false;
  for (MIDIBUFFERHEADER* h : s.queue) HandBack(h);
  s.queue.clear();
  s.nOffset = 0;
  s.bHaveEvent = false;
  s.nWait = 0;
  s.nRemainder = 0;
  // A piece played again starts at the tempo a piece starts with.
  s.nTempo = 500000;
  s.pSynth->AllNotesOff();
}

// Finds the next event to play, handing back the buffers played out.
void FetchNext(MIDISTREAM& s) {
  while (!s.queue.empty()) {
    MIDIBUFFERHEADER* h = s.queue.front();
    if (s.nOffset + 12 > h->nBytesRecorded) {
      s.queue.pop_front();
      s.nOffset = 0;
      HandBack(h);
      continue;
    }
    const uint32_t delta = LeU32(h->pData + s.nOffset);
    const TICKLENGTH tick = TickLength(s);
    const u128 total = tick.num * delta + s.nRemainder;
    s.nWait = static_cast<uint64_t>(total / tick.den);
    s.nRemainder = static_cast<uint64_t>(total % tick.den);
    s.bHaveEvent = true;
    return;
  }
}

void Dispatch(MIDISTREAM& s) {
  MIDIBUFFERHEADER* h = s.queue.front();
  const uint32_t off = s.nOffset;
  const uint32_t ev = LeU32(h->pData + off + 8);
  uint32_t len = 12;
  if (ev & MEVT_F_LONG) {
    const uint32_t n = ev & 0xFFFFFF;
    len = 12 + ((n + 3) & ~3u);
    if (uint64_t(off) + len > h->nBytesRecorded) {
      // A long event that claims more than its buffer holds ends the buffer.
      s.nOffset = h->nBytesRecorded;
      s.bHaveEvent = false;
      return;
    }
    s.pSynth->LongMessage(h->pData + off + 12, n);
  } else if ((ev & 0x3F000000) == 0) {
    if ((ev & 0xFF) >= 0x80 && (ev & 0xFF) < 0xF0) s.pSynth->ShortMessage(ev & 0xFFFFFF);
  } else if ((ev & 0x3F000000) == MEVT_TEMPO) {
    if (ev & 0xFFFFFF) s.nTempo = ev & 0xFFFFFF;
  }
  s.nOffset = off + len;
  s.bHaveEvent = false;
  if ((ev & MEVT_F_CALLBACK) && s.pfnCallback) {
    h->nOffset = off;
    s.pfnCallback(s.pUser, MM_MOM_POSITIONCB, h);
  }
}

void Fill(void* pUser, int16_t* pStereo, int nFrames) {
  MIDISTREAM& s = *static_cast<MIDISTREAM*>(pUser);
  std::lock_guard<std::recursive_mutex> lk(s.lock);
  s.nBurst = 0;
  int done = 0;
  while (done < nFrames) {
    if (s.bPlaying && !s.bHaveEvent) FetchNext(s);
    if (!s.bPlaying || !s.bHaveEvent) {
      // Stopped, paused or starved: the notes released still ring out.
      s.pSynth->Render(pStereo + 2 * done, nFrames - done);
      return;
    }
    if (s.nWait > 0) {
      const int n = static_cast<int>(std::min<uint64_t>(s.nWait, uint64_t(nFrames - done)));
      s.pSynth->Render(pStereo + 2 * done, n);
      done += n;
      s.nWait -= uint64_t(n);
      s.nBurst = 0;
      continue;
    }
    if (++s.nBurst > kMaxEventsAtOneInstant) {
      StopLocked(s);
      continue;
    }
    Dispatch(s);
  }
}

}  // namespace

MMRESULT midiStreamOpen(HMIDISTRM* phStream, MIDISTREAMCALLBACK pfnCallback, void* pUser) {
  if (!phStream) return MMSYSERR_INVALPARAM;
  *phStream = nullptr;
  std::string error;
  std::unique_ptr<cMidiSynth> synth = CreateMidiSynth(error);
  if (!synth) {
    s_strOpenError = error.empty() ? "no synthesiser" : error;
    return MMSYSERR_NODRIVER;
  }
  auto s = std::make_unique<MIDISTREAM>();
  s->pSynth = std::move(synth);
  s->pfnCallback = pfnCallback;
  s->pUser = pUser;
  s->nAudioId = AudioStreamAdd(&Fill, s.get());
  *phStream = s.release();
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamProperty(HMIDISTRM h, DWORD dwTimeDiv, DWORD dwProperty) {
  if (!h) return MMSYSERR_INVALHANDLE;
  if (dwProperty != (MIDIPROP_SET | MIDIPROP_TIMEDIV) || (dwTimeDiv & 0xFFFF) == 0 || dwTimeDiv > 0xFFFF)
    return MMSYSERR_INVALPARAM;
  std::lock_guard<std::recursive_mutex> lk(h->lock);
  h->nTimeDiv = dwTimeDiv;
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutPrepareHeader(HMIDISTRM h, MIDIBUFFERHEADER* p) {
  if (!h) return MMSYSERR_INVALHANDLE;
  if (!p || !p->pData || p->nBufferLength == 0) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::recursive_mutex> lk(h->lock);
  p->nFlags = (p->nFlags | MHDR_PREPARED) & ~MHDR_DONE;
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutUnprepareHeader(HMIDISTRM h, MIDIBUFFERHEADER* p) {
  if (!h) return MMSYSERR_INVALHANDLE;
  if (!p) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::recursive_mutex> lk(h->lock);
  if (p->nFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  p->nFlags &= ~MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamOut(HMIDISTRM h, MIDIBUFFERHEADER* p) {
  if (!h) return MMSYSERR_INVALHANDLE;
  if (!p || p->nBytesRecorded > p->nBufferLength) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::recursive_mutex> lk(h->lock);
  if (!(p->nFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
  if (p->nFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  p->nFlags = (p->nFlags | MHDR_INQUEUE) & ~MHDR_DONE;
  h->queue.push_back(p);
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamRestart(HMIDISTRM h) {
  if (!h) return MMSYSERR_INVALHANDLE;
  std::lock_guard<std::recursive_mutex> lk(h->lock);
  h->bPlaying = true;
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamPause(HMIDISTRM h) {
  if (!h) return MMSYSERR_INVALHANDLE;
  std::lock_guard<std::recursive_mutex> lk(h->lock);
  if (h->bPlaying) h->pSynth->AllNotesOff();
  h->bPlaying = false;
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamStop(HMIDISTRM h) {
  if (!h) return MMSYSERR_INVALHANDLE;
  std::lock_guard<std::recursive_mutex> lk(h->lock);
  StopLocked(*h);
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutReset(HMIDISTRM h) {
  if (!h) return MMSYSERR_INVALHANDLE;
  std::lock_guard<std::recursive_mutex> lk(h->lock);
  StopLocked(*h);
  h->pSynth->Reset();
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamClose(HMIDISTRM h) {
  if (!h) return MMSYSERR_INVALHANDLE;
  {
    // Buffers still queued are handed back: a stream left behind in the mix
    // would call back into an owner that is gone.
    std::lock_guard<std::recursive_mutex> lk(h->lock);
    StopLocked(*h);
  }
  // Outside the stream's lock: the mixer takes its own lock first, then ours.
  AudioStreamRemove(h->nAudioId);
  delete h;
  return MMSYSERR_NOERROR;
}

std::string MidiErrorText(MMRESULT n) {
  switch (n) {
    case MMSYSERR_NOERROR: return "no error";
    case MMSYSERR_NODRIVER: return s_strOpenError.empty() ? "no MIDI synthesiser" : s_strOpenError;
    case MMSYSERR_INVALHANDLE: return "the MIDI stream is not open";
    case MMSYSERR_INVALPARAM: return "a MIDI stream call was given a bad parameter";
    case MIDIERR_STILLPLAYING: return "the MIDI buffer is still queued";
    case MIDIERR_UNPREPARED: return "the MIDI buffer was not prepared";
    default: return "MIDI error " + std::to_string(n);
  }
}

cMidiStreamLock::cMidiStreamLock(HMIDISTRM hStream) : m_hStream(hStream) {
  if (m_hStream) m_hStream->lock.lock();
}
cMidiStreamLock::~cMidiStreamLock() {
  if (m_hStream) m_hStream->lock.unlock();
}
