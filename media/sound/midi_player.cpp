#include "media/sound/midi_player.h"

#include <algorithm>
#include <cstring>

#include "base/report.h"
#include "platform/text_cp932.h"

namespace {

void PutU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
uint32_t LeU32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

constexpr uint32_t kEndMarker = 0x002FFF;  // FF 2F 00 as a short message

}  // namespace

cMidi::cMidi(const std::string& name) {
  LoadFile(name);
  if (IsLoaded()) Open();
}

cMidi::~cMidi() { Close(); }

void cMidi::Check(MMRESULT r, const char* pszStep) const {
  // A stream that did not open was reported once; every later call on it
  // would only say the same again.
  if (r == MMSYSERR_NOERROR || !m_hStream) return;
  ReportAndLogf(Sjis("Midi %s %s %s").c_str(), m_strName.c_str(), pszStep, MidiErrorText(r).c_str());
}

void cMidi::Open() {
  m_nBufferIndex = 0;
  m_vHeaders.assign(kBufferCount, MIDIBUFFERHEADER{});
  m_vBuffers.assign(kBufferCount, std::vector<uint8_t>(kBufferSize));
  for (int i = 0; i < kBufferCount; ++i) {
    m_vHeaders[i].pData = m_vBuffers[i].data();
    m_vHeaders[i].nBufferLength = kBufferSize;
    m_vHeaders[i].nUser = uint32_t(i);
  }
  MMRESULT r = midiStreamOpen(&m_hStream, &cMidi::ThreadProc, this);
  if (r != MMSYSERR_NOERROR) {
    m_hStream = nullptr;
    ReportAndLogf(Sjis("Midi %s Open %s").c_str(), m_strName.c_str(), MidiErrorText(r).c_str());
  }
  cMidiStreamLock lk(m_hStream);
  Check(midiStreamProperty(m_hStream, m_pTrack->TimeDivision(), MIDIPROP_SET | MIDIPROP_TIMEDIV), "Property");
  m_nReadPos = MIDIIMAGE::kEventsStart;
  m_nState = kStopped;
  QueueBuffer();
}

void cMidi::QueueBuffer() {
  if (!m_hStream) return;
  MIDIBUFFERHEADER& h = m_vHeaders[size_t(m_nBufferIndex)];
  if (AtEnd() || (h.nFlags & MHDR_INQUEUE)) return;
  m_nReadPos += FillBuffer(m_nReadPos, h);
  Check(midiOutPrepareHeader(m_hStream, &h), "Prepare");
  Check(midiStreamOut(m_hStream, &h), "Out");
  m_nBufferIndex = (m_nBufferIndex + 1) % kBufferCount;
}

uint32_t cMidi::FillBuffer(uint32_t nPos, MIDIBUFFERHEADER& h) const {
  std::memset(h.pData, 0, h.nBufferLength);
  const uint8_t* b = m_pTrack->vBytes.data();
  const uint32_t end = m_pTrack->EventsEnd();
  const uint32_t size = h.nBufferLength;
  uint32_t used = 0;
  uint32_t consumed = 0;  // track bytes up to the last event written
  int64_t lastEvent = -1;
  uint64_t carry = 0;  // ticks of events not sent, added to the next one
  bool bFull = false;
  uint32_t p = nPos;
  auto put = [&](uint32_t delta, uint32_t word) {
    PutU32(h.pData + used, delta);
    PutU32(h.pData + used + 4, 0);
    PutU32(h.pData + used + 8, word);
    lastEvent = used;
    used += 12;
  };
  while (p < end) {
    uint32_t delta = 0;
    const int k = ReadVarLen(b + p, end - p, delta);
    if (k == 0 || p + uint32_t(k) >= end) break;
    const uint32_t q = p + uint32_t(k);
    const uint8_t status = b[q];
    const uint32_t total = static_cast<uint32_t>(std::min<uint64_t>(carry + delta, 0xFFFFFFFF));
    if (status == 0xF0 || status == 0xF7 || status == 0xFF) {
      const uint32_t lenAt = status == 0xFF ? q + 2 : q + 1;
      uint32_t len = 0;
      const int kl = lenAt < end ? ReadVarLen(b + lenAt, end - lenAt, len) : 0;
      if (kl == 0 || len > end - lenAt - uint32_t(kl)) break;
      const uint32_t data = lenAt + uint32_t(kl);
      const uint32_t next = data + len;
      if (status != 0xFF) {
        const uint32_t n = 1 + len;
        const uint64_t need = 12 + ((uint64_t(n) + 3) & ~uint64_t(3));
        if (need > size) {
          // Larger than a whole buffer: it can never be sent, so it is left
          // out as an unsent meta event is, and the piece goes on.
          carry += delta;
          p = next;
          continue;
        }
        if (used + need > size) {
          bFull = true;
          break;
        }
        const uint32_t at = used;
        put(total, MEVT_F_LONG | n);
        h.pData[at + 12] = status;
        std::memcpy(h.pData + at + 13, b + data, len);
        used = at + uint32_t(need);
      } else if (b[q + 1] == 0x2F) {
        if (used + 12 > size) {
          bFull = true;
          break;
        }
        put(total, MEVT_F_CALLBACK | kEndMarker);
        consumed = next - nPos;
        break;
      } else if (b[q + 1] == 0x51 && len == 3) {
        if (used + 12 > size) {
          bFull = true;
          break;
        }
        put(total, MEVT_TEMPO | uint32_t(b[data]) << 16 | uint32_t(b[data + 1]) << 8 | b[data + 2]);
      } else {
        carry += delta;
        p = next;
        continue;
      }
      p = next;
    } else {
      const uint32_t n = (status >= 0xC0 && status <= 0xDF) ? 1 : 2;
      if (q + 1 + n > end) break;
      if (used + 12 > size) {
        bFull = true;
        break;
      }
      uint32_t word = status | uint32_t(b[q + 1]) << 8;
      if (n == 2) word |= uint32_t(b[q + 2]) << 16;
      put(total, word);
      p = q + 1 + n;
    }
    carry = 0;
    // Unsent meta events after the last event written are read again with
    // the next buffer, so that their time is not lost at a buffer's edge.
    consumed = p - nPos;
  }
  if (bFull && lastEvent >= 0) {
    uint8_t* w = h.pData + lastEvent + 8;
    PutU32(w, LeU32(w) | MEVT_F_CALLBACK);
  }
  h.nFlags = 0;
  h.nOffset = 0;
  h.nBytesRecorded = used;
  return consumed;
}

void cMidi::ThreadProc(void* pUser, UINT nMsg, MIDIBUFFERHEADER* pHeader) {
  cMidi* self = static_cast<cMidi*>(pUser);
  if (nMsg != MM_MOM_POSITIONCB || !pHeader || uint64_t(pHeader->nOffset) + 12 > pHeader->nBytesRecorded) return;
  const uint32_t word = LeU32(pHeader->pData + pHeader->nOffset + 8);
  if ((word & 0xFFFFFF) == kEndMarker) {
    self->PauseStop(0);
    if (self->m_bLoop) self->Restart(1);
  } else if (!self->AtEnd()) {
    self->QueueBuffer();
  }
}

void cMidi::Restart(BOOL bLoop) {
  if (!IsLoaded()) return;
  cMidiStreamLock lk(m_hStream);
  m_bLoop = bLoop;
  if (m_nState == kPlaying) return;
  Check(midiStreamRestart(m_hStream), "Restart");
  const int32_t prev = m_nState;
  m_nState = kPlaying;
  if (prev == kStopped && !AtEnd()) QueueBuffer();
}

void cMidi::PauseStop(BOOL bPause) {
  if (!IsLoaded()) return;
  cMidiStreamLock lk(m_hStream);
  if (!bPause) {
    Check(midiStreamStop(m_hStream), "Stop");
    m_nState = kStopped;
    m_nReadPos = MIDIIMAGE::kEventsStart;
    QueueBuffer();
  } else if (m_nState == kPlaying) {
    Check(midiStreamPause(m_hStream), "Pause");
    m_nState = kPaused;
  }
}

void cMidi::Close() {
  if (!IsLoaded() || !m_hStream) return;
  {
    cMidiStreamLock lk(m_hStream);
    Check(midiOutReset(m_hStream), "Reset");
    for (MIDIBUFFERHEADER& h : m_vHeaders) Check(midiOutUnprepareHeader(m_hStream, &h), "Unprepare");
  }
  Check(midiStreamClose(m_hStream), "Close");
  m_hStream = nullptr;
}
