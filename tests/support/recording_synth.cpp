#include "tests/support/recording_synth.h"

#include <mutex>

namespace {

std::mutex s_Lock;
SYNTHLOG s_Log;

class cRecordingSynth final : public cMidiSynth {
 public:
  void ShortMessage(uint32_t m) override {
    std::lock_guard<std::mutex> lk(s_Lock);
    s_Log.vEvents.push_back({m_nFrame, m, {}});
    const uint32_t kind = m & 0xF0;
    if (kind == 0x90 && ((m >> 16) & 0x7F)) ++m_nHeld;
    if ((kind == 0x80 || (kind == 0x90 && !((m >> 16) & 0x7F))) && m_nHeld > 0) --m_nHeld;
  }
  void LongMessage(const uint8_t* p, size_t n) override {
    std::lock_guard<std::mutex> lk(s_Lock);
    s_Log.vEvents.push_back({m_nFrame, 0xF0, std::vector<uint8_t>(p, p + n)});
  }
  void AllNotesOff() override {
    std::lock_guard<std::mutex> lk(s_Lock);
    ++s_Log.nAllNotesOff;
    m_nHeld = 0;
  }
  void Reset() override {
    std::lock_guard<std::mutex> lk(s_Lock);
    ++s_Log.nResets;
    m_nHeld = 0;
  }
  void Render(int16_t* p, int n) override {
    std::lock_guard<std::mutex> lk(s_Lock);
    for (int i = 0; i < 2 * n; ++i) p[i] = static_cast<int16_t>(m_nHeld * 1000);
    m_nFrame += uint64_t(n);
    s_Log.nFrames = m_nFrame;
  }

 private:
  uint64_t m_nFrame = 0;
  int m_nHeld = 0;
};

std::unique_ptr<cMidiSynth> MakeRecordingSynth(std::string&) {
  std::lock_guard<std::mutex> lk(s_Lock);
  ++s_Log.nSynths;
  return std::make_unique<cRecordingSynth>();
}

}  // namespace

SYNTHLOG& RecordingSynthLog() { return s_Log; }

void ResetRecordingSynthLog() {
  std::lock_guard<std::mutex> lk(s_Lock);
  s_Log = SYNTHLOG{};
}

void UseRecordingSynth(bool bOn) { SetMidiSynthFactoryForTests(bOn ? &MakeRecordingSynth : nullptr); }

std::vector<SYNTHEVENT> RecordedNoteOns() {
  std::lock_guard<std::mutex> lk(s_Lock);
  std::vector<SYNTHEVENT> out;
  for (const SYNTHEVENT& e : s_Log.vEvents)
    if ((e.nMessage & 0xF0) == 0x90 && ((e.nMessage >> 16) & 0x7F)) out.push_back(e);
  return out;
}
