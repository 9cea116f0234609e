#include "media/sound/midi_player.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/report.h"
#include "platform/audio.h"
#include "tests/support/corruption.h"
#include "tests/support/music_writers.h"
#include "tests/support/recording_synth.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string z(1, '\0');
std::string End() { return std::string("\xFF\x2F\x00", 3); }

// Mixes n frames in uneven pieces (the device's period does not matter).
std::vector<int16_t> Mix(int n) {
  std::vector<int16_t> out(size_t(n) * 2);
  for (int done = 0; done < n;) {
    const int k = std::min(n - done, 777);
    AudioMixFramesForTests(out.data() + 2 * done, k);
    done += k;
  }
  return out;
}

std::vector<uint64_t> NoteOnFrames() {
  std::vector<uint64_t> v;
  for (const SYNTHEVENT& e : RecordedNoteOns()) v.push_back(e.nFrame);
  return v;
}

// 96 ticks to the quarter note: 500,000 us per quarter is 22,050 frames,
// and from tick 96 on the tempo doubles. Track 2's note at tick 96 follows
// the tempo change of track 0 at the same tick; a text event in track 1
// sits between a note's on and off. The longest track ends at tick 288.
std::string TempoPiece() {
  const std::string t0 = VarLen(0) + "\xFF\x51\x03\x07\xA1\x20" + VarLen(96) + "\xFF\x51\x03\x03\xD0\x90" +
                         VarLen(0) + End();
  const std::string t1 = VarLen(0) + "\x90\x3C\x40" + VarLen(48) + "\xFF\x01\x04text" + VarLen(48) + "\x80\x3C" +
                         z + VarLen(0) + "\x90\x3E\x40" + VarLen(96) + "\x80\x3E" + z + VarLen(0) + End();
  const std::string t2 = VarLen(96) + "\x91\x40\x50" + VarLen(192) + "\x81\x40" + z + VarLen(0) + End();
  return MakeMidiFile(1, 96, {t0, t1, t2});
}

class MidiPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TARVOLIN4_HEADLESS", "1", 1);
    AudioSetManualMixForTests(true);
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    UseRecordingSynth(true);
    ResetRecordingSynthLog();
  }
  void TearDown() override {
    UseRecordingSynth(false);
    SetSoundFontPathForTests("");
  }
  cTempFolder m_Tmp;
};

TEST_F(MidiPlayer, NotesFollowTheTempoAndLoopAtTheLongestTracksEnd) {
  m_Tmp.WriteFile("bgm/a.mid", TempoPiece());
  cMidi m("bgm\\a.mid");
  ASSERT_TRUE(m.IsLoaded());
  m.Restart(1);
  Mix(2 * 44100 + 100);
  // One pass lasts 22,050 + 2 x 11,025 frames; the loop starts over at the
  // first tempo.
  const std::vector<uint64_t> want = {0, 22050, 22050, 44100, 66150, 66150, 88200};
  EXPECT_EQ(NoteOnFrames(), want);
  const std::vector<SYNTHEVENT> on = RecordedNoteOns();
  ASSERT_GE(on.size(), 3u);
  EXPECT_EQ(on[1].nMessage, 0x403E90u);  // track 1 before track 2 at one tick
  EXPECT_EQ(on[2].nMessage, 0x504091u);
  EXPECT_EQ(m.State(), cMidi::kPlaying);
}

TEST_F(MidiPlayer, WithoutLoopItStopsRewoundAndPlaysAgainFromTheStart) {
  m_Tmp.WriteFile("bgm/a.mid", TempoPiece());
  cMidi m("bgm\\a.mid");
  m.Restart(0);
  Mix(50000);
  EXPECT_EQ(m.State(), cMidi::kStopped);
  EXPECT_EQ(NoteOnFrames().size(), 3u);
  m.Restart(0);
  Mix(23000);
  EXPECT_EQ(NoteOnFrames(), (std::vector<uint64_t>{0, 22050, 22050, 50000, 72050, 72050}));
}

TEST_F(MidiPlayer, PauseResumesWhereItWasAndStopRewinds) {
  m_Tmp.WriteFile("bgm/a.mid", TempoPiece());
  cMidi m("bgm\\a.mid");
  m.Restart(1);
  Mix(10000);
  m.PauseStop(1);
  EXPECT_EQ(m.State(), cMidi::kPaused);
  EXPECT_GE(RecordingSynthLog().nAllNotesOff, 1);
  Mix(5000);
  m.Restart(1);
  Mix(13000);
  // The second note comes 5,000 frames late: the pause held the position.
  EXPECT_EQ(NoteOnFrames(), (std::vector<uint64_t>{0, 27050, 27050}));
  m.PauseStop(0);
  m.Restart(1);
  Mix(10);
  EXPECT_EQ(NoteOnFrames().back(), 28000u);
  EXPECT_EQ(RecordedNoteOns().back().nMessage, 0x403C90u);
}

TEST_F(MidiPlayer, LongPiecesRefillTheBuffersWithoutLosingTime) {
  // 3,000 notes a tick apart: six buffers' worth of events, and a tick of
  // 229.6875 frames whose fractions must not add up.
  std::string t;
  for (int i = 0; i < 3000; ++i) t += VarLen(i ? 1 : 0) + "\x90\x3C\x40" + VarLen(0) + "\x80\x3C" + z;
  t += VarLen(0) + End();
  m_Tmp.WriteFile("bgm/long.mid", MakeMidiFile(0, 96, {t}));
  cMidi m("bgm\\long.mid");
  m.Restart(0);
  Mix(3000 * 230 + 100);
  const std::vector<uint64_t> got = NoteOnFrames();
  ASSERT_EQ(got.size(), 3000u);
  for (uint64_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], i * 22050 / 96) << i;
}

// A time-code division counts frames per second (minus, in the high byte)
// and ticks per frame; a tempo event does not move it. 29 stands for the
// 29.97 frames per second of drop-frame time code.
TEST_F(MidiPlayer, TimeCodeDivisionsIgnoreTheTempo) {
  struct CASE {
    uint16_t nDivision;
    uint32_t nTicks;  // to the second note
    uint64_t nFrame;  // where it sounds
  } cases[] = {
      {0xE728, 1000, 44100},  // 25 frames of 40 ticks: a tick is a millisecond
      {0xE350, 2400, 44144},  // 30 frames at 29.97 per second: 1.001 s
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nDivision);
    ResetRecordingSynthLog();
    const std::string t = VarLen(0) + "\xFF\x51\x03\x03\xD0\x90" + VarLen(0) + "\x90\x3C\x40" + VarLen(c.nTicks) +
                          "\x90\x3E\x40" + VarLen(0) + End();
    m_Tmp.WriteFile("bgm/tc.mid", MakeMidiFile(0, c.nDivision, {t}));
    cMidi m("bgm\\tc.mid");
    ASSERT_TRUE(m.IsLoaded());
    m.Restart(0);
    Mix(int(c.nFrame) + 100);
    EXPECT_EQ(NoteOnFrames(), (std::vector<uint64_t>{0, c.nFrame}));
  }
}

TEST_F(MidiPlayer, FillBufferWritesStreamEvents) {
  // Tempo, a text event (not sent: its ticks go to the next event), a
  // system-exclusive message, a program change and a note.
  const std::string t = VarLen(0) + "\xFF\x51\x03\x07\xA1\x20" + VarLen(10) + "\xFF\x01\x01" "a" + VarLen(5) +
                        "\xF0\x03\x7E\x09\xF7" + VarLen(0) + "\xC0\x05" + VarLen(3) + "\x90\x3C\x40" + VarLen(0) +
                        End();
  m_Tmp.WriteFile("bgm/f.mid", MakeMidiFile(0, 96, {t}));
  cMidi m("bgm\\f.mid");
  ASSERT_TRUE(m.IsLoaded());
  auto words = [](const std::vector<uint8_t>& b, uint32_t n) {
    std::vector<uint32_t> w;
    for (uint32_t i = 0; i + 4 <= n; i += 4) w.push_back(uint32_t(b[i]) | b[i + 1] << 8 | b[i + 2] << 16 | uint32_t(b[i + 3]) << 24);
    return w;
  };
  std::vector<uint8_t> data(64);
  MIDIBUFFERHEADER h;
  h.pData = data.data();
  h.nBufferLength = 64;
  const uint32_t all = m.FillBuffer(MIDIIMAGE::kEventsStart, h);
  EXPECT_EQ(all, m.Track()->EventsEnd() - MIDIIMAGE::kEventsStart);
  EXPECT_EQ(words(data, h.nBytesRecorded), (std::vector<uint32_t>{
                                               0, 0, 0x0107A120,                 // tempo
                                               15, 0, 0x80000004, 0xF7097EF0u,  // F0 7E 09 F7
                                               0, 0, 0x05C0,                     // program
                                               3, 0, 0x403C90,                   // note
                                               0, 0, 0x40002FFF}));              // end marker
  // A buffer with room for the tempo alone: it ends full, its last event
  // calls back, and the text event is read again with the next buffer so
  // that its ticks still reach the message after it.
  h.nBufferLength = 20;
  const uint32_t first = m.FillBuffer(MIDIIMAGE::kEventsStart, h);
  EXPECT_EQ(first, 7u);
  EXPECT_EQ(words(data, h.nBytesRecorded), (std::vector<uint32_t>{0, 0, 0x4107A120}));
  h.nBufferLength = 64;
  m.FillBuffer(MIDIIMAGE::kEventsStart + first, h);
  EXPECT_EQ(words(data, 12)[0], 15u);
}

TEST_F(MidiPlayer, EventsThatCannotBeSentKeepTheirTime) {
  // A tempo event of the wrong length, and a system-exclusive message that
  // no buffer can hold: neither is sent, and the note after each keeps its
  // time (7 + 5 ticks).
  struct CASE {
    const char* what;
    std::string event;
  } cases[] = {
      {"two-byte tempo", "\xFF\x51\x02\x07\xA1"},
      {"sysex over a buffer", "\xF0" + VarLen(24000) + std::string(23999, '\x11') + "\xF7"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string t = VarLen(7) + c.event + VarLen(5) + "\x90\x3C\x40" + VarLen(0) + End();
    m_Tmp.WriteFile("bgm/u.mid", MakeMidiFile(0, 96, {t}));
    cMidi m("bgm\\u.mid");
    ASSERT_TRUE(m.IsLoaded());
    std::vector<uint8_t> data(cMidi::kBufferSize);
    MIDIBUFFERHEADER h;
    h.pData = data.data();
    h.nBufferLength = cMidi::kBufferSize;
    m.FillBuffer(MIDIIMAGE::kEventsStart, h);
    ASSERT_EQ(h.nBytesRecorded, 24u);
    EXPECT_EQ(data[0], 12);
    EXPECT_EQ(data[8], 0x90);
  }
}

TEST_F(MidiPlayer, MissingSoundFontIsOneReportLineAndSilence) {
  UseRecordingSynth(false);
  SetSoundFontPathForTests("/nonexistent/none.sf2");
  m_Tmp.WriteFile("bgm/a.mid", TempoPiece());
  {
    cMidi m("bgm\\a.mid");
    EXPECT_TRUE(m.IsLoaded());
    m.Restart(1);
    const std::vector<int16_t> out = Mix(4000);
    EXPECT_EQ(out, std::vector<int16_t>(out.size(), 0));
    m.PauseStop(1);
    m.PauseStop(0);
  }
  const std::string report = m_Tmp.ReadFile("Report_Game.txt");
  EXPECT_NE(report.find("Midi bgm\\a.mid Open the sound font /nonexistent/none.sf2 cannot be loaded"),
            std::string::npos);
  EXPECT_EQ(report.find("Midi bgm\\a.mid", report.find("Midi bgm\\a.mid") + 1), std::string::npos) << report;
}

TEST_F(MidiPlayer, TheSoundFontPlaysTheDemoPiece) {
  UseRecordingSynth(false);
  if (::access(SoundFontPathForTests().c_str(), R_OK) != 0) GTEST_SKIP() << "no sound font";
  m_Tmp.WriteFile("bgm/s.mid", DemoStageMidi());
  cMidi m("bgm\\s.mid");
  m.Restart(1);
  const std::vector<int16_t> out = Mix(22050);
  int peak = 0;
  for (int16_t v : out) peak = std::max(peak, std::abs(int(v)));
  EXPECT_GT(peak, 500);
}

TEST_F(MidiPlayer, DamagedFilesNeverCrashOrHang) {
  CORRUPTIONPLAN plan;
  plan.nMutations = 1500;
  const int n = RunCorruptionHarness(DemoStageMidi(), "bgm/x.mid", [] {
    cMidi m("bgm\\x.mid");
    if (!m.IsLoaded()) return;
    const MIDIIMAGE& i = *m.Track();
    ASSERT_GE(i.vBytes.size(), 26u);
    EXPECT_EQ(i.vBytes[i.vBytes.size() - 2], 0x2F);
    m.Restart(1);
    Mix(3000);
  }, plan);
  EXPECT_GT(n, 1500);
  // A piece with no length that loops is stopped, not spun.
  m_Tmp.WriteFile("bgm/zero.mid", MakeMidiFile(0, 96, {VarLen(0) + "\x90\x3C\x40" + VarLen(0) + End()}));
  cMidi zero("bgm\\zero.mid");
  zero.Restart(1);
  Mix(1000);
  Mix(1000);
}

}  // namespace
