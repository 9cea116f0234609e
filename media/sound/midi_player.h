// The MIDI stream player: one piece read and merged by cMidiFile, fed to a
// MIDI stream through two alternating buffers of stream events, refilled
// when the stream reaches a buffer's last event, and started again from
// the beginning at the piece's end when it loops.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/sound/midi_file.h"
#include "platform/midi_stream.h"
#include "platform/win_types.h"

class cMidi : public cMidiFile {
 public:
  // Reads the file; when it was read, opens the stream with the piece's
  // first buffer waiting in it (stopped).
  explicit cMidi(const std::string& name);
  ~cMidi() override;
  cMidi(const cMidi&) = delete;
  cMidi& operator=(const cMidi&) = delete;

  // Starts, or resumes a paused piece; bLoop: start again at the end.
  void Restart(BOOL bLoop);
  // 1: pauses a playing piece; 0: stops it and rewinds to the start.
  void PauseStop(BOOL bPause);

  enum { kStopped = 0, kPlaying = 1, kPaused = 2 };
  int32_t State() const { return m_nState; }
  uint32_t ReadPosition() const { return m_nReadPos; }

  // Converts the merged track's events from nPos into the header's buffer
  // as stream events; the track bytes consumed by the events written.
  uint32_t FillBuffer(uint32_t nPos, MIDIBUFFERHEADER& header) const;

  static constexpr int32_t kBufferCount = 2;
  static constexpr uint32_t kBufferSize = 24000;

 private:
  void Open();
  void QueueBuffer();
  void Close();
  void Check(MMRESULT r, const char* pszStep) const;
  bool AtEnd() const { return m_nReadPos >= m_pTrack->EventsEnd(); }
  // What the original's player thread did with the stream's position
  // callbacks; here the stream calls it on the mixer's thread, under the
  // stream's lock, so no thread is left behind when the player goes.
  static void ThreadProc(void* pUser, UINT nMsg, MIDIBUFFERHEADER* pHeader);

  int32_t m_nBufferIndex = 0;
  HMIDISTRM m_hStream = nullptr;
  std::vector<MIDIBUFFERHEADER> m_vHeaders;
  std::vector<std::vector<uint8_t>> m_vBuffers;
  uint32_t m_nReadPos = MIDIIMAGE::kEventsStart;
  // Changed by the owner and by the stream's callback, both under the
  // stream's lock.
  int32_t m_nState = kStopped;
  int32_t m_bLoop = 0;
};
