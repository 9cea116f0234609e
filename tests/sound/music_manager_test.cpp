#include "media/sound/music_manager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <string>
#include <vector>

#include "base/report.h"
#include "platform/audio.h"
#include "tests/support/music_writers.h"
#include "tests/support/recording_synth.h"
#include "tests/support/temp_folder.h"

namespace {

// A stand-in Ogg player: it loads what names "good" and logs every call.
std::vector<std::string> s_vVoxLog;
class cFakeVox final : public cVoxPlayer {
 public:
  uint8_t Load(const char* p) override {
    s_vVoxLog.push_back(std::string("load ") + p);
    return std::string(p).find("good") != std::string::npos;
  }
  void Play() override { s_vVoxLog.push_back("play"); }
  void Stop() override { s_vVoxLog.push_back("stop"); }
  void Close() override {}
  void SetLoopCount(int32_t n) override { s_vVoxLog.push_back("loop " + std::to_string(n)); }
  void Release() override {
    s_vVoxLog.push_back("release");
    delete this;
  }
};
cVoxPlayer* MakeFakeVox() { return new cFakeVox; }

std::string End() { return std::string("\xFF\x2F\x00", 3); }
std::string OneNote() {
  return MakeMidiFile(0, 96, {VarLen(0) + "\x90\x3C\x40" + VarLen(96) + "\x80\x3C" + std::string(1, '\0') + VarLen(0) + End()});
}

class MusicManager : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TARVOLIN4_HEADLESS", "1", 1);
    AudioSetManualMixForTests(true);
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    UseRecordingSynth(true);
    ResetRecordingSynthLog();
    SetCreateVoxForTests(&MakeFakeVox);
    s_vVoxLog.clear();
    m_Tmp.WriteFile("bgm/Title.mid", OneNote());
    m_Tmp.WriteFile("bgm/good.mid", OneNote());
    m_Tmp.WriteFile("bgm/bad.mid", "MThd");
    FillStandardMusicNames(m_vOgg, m_vMid);
  }
  void TearDown() override {
    m_Bgm.UnInit();
    ResetCreateVoxForTests();
    UseRecordingSynth(false);
  }
  bool MidiPlaying() const {
    const cMidi* m = m_Bgm.MidiPlayerForTests(0);
    return m && m->State() == cMidi::kPlaying;
  }
  bool VoxPlaying() { return m_Bgm.Vox().CurrentPlayer() == 0; }

  cTempFolder m_Tmp;
  cVector<std::string> m_vOgg, m_vMid;
  cBgm m_Bgm;
};

TEST_F(MusicManager, SetMusicTakesTheKindFromTheExtension) {
  ASSERT_EQ(m_Bgm.Init(1, &m_vOgg, &m_vMid, kMusicSlotCount), 1);
  struct CASE {
    const char* name;
    BOOL result;
    int32_t kind;
    const char* ogg;
    const char* mid;
  } cases[] = {
      {"bgm\\a.ogg", 1, BGMKIND_OGG, "bgm\\a.ogg", "bgm\\Title.mid"},
      {"bgm\\a.OGG", 1, BGMKIND_OGG, "bgm\\a.OGG", "bgm\\Title.mid"},
      {"bgm\\a.mid", 1, BGMKIND_MIDI, "bgm\\Title.ogg", "bgm\\a.mid"},
      {"bgm\\a.MID", 1, BGMKIND_MIDI, "bgm\\Title.ogg", "bgm\\a.mid"},
      {"bgm\\a.Ogg", 0, BGMKIND_NONE, "bgm\\a.Ogg", "bgm\\a.Ogg"},
      {"bgm\\a.wav", 0, BGMKIND_NONE, "bgm\\a.wav", "bgm\\a.wav"},
      {"bgm.d\\a", 0, BGMKIND_NONE, "bgm.d\\a", "bgm.d\\a"},
      {"bgm\\none", 0, BGMKIND_NONE, "", ""},
      {"", 0, BGMKIND_NONE, "", ""},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    FillStandardMusicNames(m_vOgg, m_vMid);
    EXPECT_EQ(m_Bgm.SetMusic(0, c.name), c.result);
    EXPECT_EQ(m_Bgm.SlotKindForTests(0), c.kind);
    EXPECT_EQ(m_vOgg[0], c.ogg);
    EXPECT_EQ(m_vMid[0], c.mid);
  }
}

TEST_F(MusicManager, PlayFollowsTheSlotsKindAndFailsOver) {
  struct CASE {
    const char* what;
    const char* name;  // nullptr: the slot keeps its standard names, kind 0
    BOOL result;
    int32_t playerKind;
    int32_t slotAfter;
    bool vox, midi;  // which one sounds afterwards
  } cases[] = {
      {"ogg", "bgm\\good.ogg", 1, BGMKIND_OGG, 0, true, false},
      {"midi", "bgm\\good.mid", 1, BGMKIND_MIDI, 0, false, true},
      {"ogg that fails", "bgm\\bad.ogg", 0, BGMKIND_NONE, -1, false, false},
      {"midi that fails", "bgm\\bad.mid", 0, BGMKIND_NONE, -1, false, false},
      {"unknown kind, Ogg fails, MIDI plays", nullptr, 1, BGMKIND_MIDI, 0, false, true},
      {"capital-O Ogg: tried as Ogg, refused as MIDI", "bgm\\bad.Ogg", 0, BGMKIND_NONE, -1, false, false},
      {"no extension silences both", "bgm\\good", 0, BGMKIND_NONE, -1, false, false},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(m_Bgm.Init(1, &m_vOgg, &m_vMid, kMusicSlotCount), 1);
    FillStandardMusicNames(m_vOgg, m_vMid);
    // Something plays first in another slot, so that a failure must silence it.
    m_Bgm.SetMusic(3, "bgm\\good.ogg");
    ASSERT_EQ(m_Bgm.Play(0, 3, 1, 0, 1), 1);
    if (c.name) m_Bgm.SetMusic(0, c.name);
    EXPECT_EQ(m_Bgm.Play(0, 0, 1, 0, 1), c.result);
    EXPECT_EQ(m_Bgm.PlayerKindForTests(0), c.playerKind);
    EXPECT_EQ(m_Bgm.CurrentSlot(), c.slotAfter);
    EXPECT_EQ(VoxPlaying(), c.vox);
    EXPECT_EQ(MidiPlaying(), c.midi);
    if (!c.name) {
      EXPECT_EQ(m_Bgm.SlotKindForTests(0), BGMKIND_NONE);
    }
    m_Bgm.UnInit();
  }
}

TEST_F(MusicManager, TheSameSlotGoesOnUnlessRestarted) {
  ASSERT_EQ(m_Bgm.Init(1, &m_vOgg, &m_vMid, kMusicSlotCount), 1);
  m_Bgm.SetMusic(1, "bgm\\good.ogg");
  ASSERT_EQ(m_Bgm.Play(0, 1, 1, 0, 1), 1);
  const size_t loads = s_vVoxLog.size();
  EXPECT_EQ(m_Bgm.Play(0, 1, 1, 0, 0), 1);
  EXPECT_EQ(s_vVoxLog.size(), loads);
  // Stopped, the slot stays current: without restart it stays silent.
  m_Bgm.Stop();
  EXPECT_FALSE(VoxPlaying());
  EXPECT_EQ(m_Bgm.Play(0, 1, 1, 0, 0), 1);
  EXPECT_FALSE(VoxPlaying());
  EXPECT_EQ(m_Bgm.Play(0, 1, 0, 0, 1), 1);
  EXPECT_TRUE(VoxPlaying());
  EXPECT_EQ(s_vVoxLog.back(), "play");
  EXPECT_EQ(s_vVoxLog[s_vVoxLog.size() - 2], "loop 0");

  // A MIDI piece restarted starts from its beginning: a second note-on at
  // the frame the restart came.
  m_Bgm.SetMusic(4, "bgm\\good.mid");
  ASSERT_EQ(m_Bgm.Play(0, 4, 1, 0, 1), 1);
  EXPECT_FALSE(VoxPlaying());
  std::vector<int16_t> buf(2 * 3000);
  AudioMixFramesForTests(buf.data(), 3000);
  ASSERT_EQ(m_Bgm.Play(0, 4, 1, 0, 1), 1);
  AudioMixFramesForTests(buf.data(), 10);
  const std::vector<SYNTHEVENT> on = RecordedNoteOns();
  ASSERT_EQ(on.size(), 2u);
  EXPECT_EQ(on[1].nFrame, 0u);  // a new player, a new synthesiser
  EXPECT_EQ(RecordingSynthLog().nSynths, 2);
}

TEST_F(MusicManager, UninitialisedOrWithoutThePlayerLibraryNothingHappens) {
  // Never initialised (the music option off): calls succeed and do nothing.
  EXPECT_EQ(m_Bgm.SetMusic(0, "bgm\\good.ogg"), 1);
  EXPECT_EQ(m_Bgm.Play(0, 0, 1, 0, 1), 1);
  m_Bgm.Stop();
  EXPECT_TRUE(s_vVoxLog.empty());
  EXPECT_EQ(m_Bgm.CurrentSlot(), -1);

  // No player library: Init fails, nothing plays until the next Init.
  SetCreateVoxForTests(nullptr);
  EXPECT_EQ(m_Bgm.Init(1, &m_vOgg, &m_vMid, kMusicSlotCount), 0);
  EXPECT_TRUE(m_Bgm.IsInitialised());
  EXPECT_EQ(m_Bgm.SetMusic(0, "bgm\\good.mid"), 0);
  EXPECT_EQ(m_Bgm.Play(0, 0, 1, 0, 1), 0);
  EXPECT_FALSE(MidiPlaying());
  m_Bgm.UnInit();
  EXPECT_FALSE(m_Bgm.IsInitialised());

  // Off and on again: new players, the slot kinds cleared.
  SetCreateVoxForTests(&MakeFakeVox);
  ASSERT_EQ(m_Bgm.Init(1, &m_vOgg, &m_vMid, kMusicSlotCount), 1);
  m_Bgm.SetMusic(2, "bgm\\good.ogg");
  m_Bgm.UnInit();
  EXPECT_EQ(s_vVoxLog.back(), "release");
  ASSERT_EQ(m_Bgm.Init(1, &m_vOgg, &m_vMid, kMusicSlotCount), 1);
  EXPECT_EQ(m_Bgm.SlotKindForTests(2), BGMKIND_NONE);
}

TEST_F(MusicManager, RealPlayersUnderTheManager) {
  // The real Ogg player: a generated piece plays; a missing one fails over
  // to the slot's MIDI piece.
  ResetCreateVoxForTests();
  m_Tmp.WriteFile("bgm/Stage.ogg", MakeOggFile(LoopableTone(4410, 10, 9000), 2, 44100));
  m_Tmp.WriteFile("bgm/Title.mid", OneNote());
  ASSERT_EQ(m_Bgm.Init(1, &m_vOgg, &m_vMid, kMusicSlotCount), 1);
  ASSERT_EQ(m_Bgm.Play(0, 4, 1, 0, 1), 1);
  EXPECT_EQ(m_Bgm.PlayerKindForTests(0), BGMKIND_OGG);
  std::vector<int16_t> buf(2 * 2000);
  AudioMixFramesForTests(buf.data(), 2000);
  EXPECT_NE(buf[2 * 1000], 0);
  ASSERT_EQ(m_Bgm.Play(0, 0, 1, 0, 1), 1);
  EXPECT_EQ(m_Bgm.PlayerKindForTests(0), BGMKIND_MIDI);
  AudioMixFramesForTests(buf.data(), 2000);
  EXPECT_EQ(buf[2 * 1000], 1000);  // the recording synthesiser's held note; the Ogg is silent
  m_Bgm.Stop();
  AudioMixFramesForTests(buf.data(), 100);
  EXPECT_EQ(buf[0], 0);
}

// A piece that is there but is no Ogg Vorbis stream: the report says so in
// the MIDI player's form, and the slot falls over to its MIDI piece.
TEST_F(MusicManager, AnOggPieceThatCannotLoadGivesItsReportLine) {
  ResetCreateVoxForTests();
  std::string ogg = MakeOggFile(LoopableTone(4410, 10, 9000), 2, 44100);
  ogg[1] = 'X';  // no page starts where the stream must
  m_Tmp.WriteFile("bgm/Title.ogg", ogg);
  m_Tmp.WriteFile("bgm/Title.mid", OneNote());
  ASSERT_EQ(m_Bgm.Init(1, &m_vOgg, &m_vMid, kMusicSlotCount), 1);
  ASSERT_EQ(m_Bgm.Play(0, 0, 1, 0, 1), 1);
  EXPECT_EQ(m_Bgm.PlayerKindForTests(0), BGMKIND_MIDI);
  const std::string report = m_Tmp.ReadFile("Report_Game.txt");
  EXPECT_NE(report.find("Ogg bgm\\Title.ogg Load not an Ogg Vorbis stream"), std::string::npos) << report;
  m_Bgm.Stop();
}

}  // namespace

namespace {

TEST_F(MusicManager, PlaysOnTheDeviceThreadWhileTheOwnerChangesPieces) {
  // The dummy device mixes on its own thread, in real time: the players'
  // locks and their leaving the mix are what keeps this clean.
  ResetCreateVoxForTests();
  m_Tmp.WriteFile("bgm/Stage.ogg", MakeOggFile(LoopableTone(2205, 5, 9000), 2, 44100));
  std::string t;
  for (int i = 0; i < 400; ++i) t += VarLen(1) + "\x90\x3C\x40" + VarLen(1) + "\x80\x3C" + std::string(1, '\0');
  m_Tmp.WriteFile("bgm/Title.mid", MakeMidiFile(0, 24, {t + VarLen(0) + End()}));
  AudioSetManualMixForTests(false);
  ASSERT_TRUE(AudioOpenDevice());
  ASSERT_EQ(m_Bgm.Init(1, &m_vOgg, &m_vMid, kMusicSlotCount), 1);
  for (int i = 0; i < 60; ++i) {
    m_Bgm.Play(0, i % 2 ? 4 : 0, 1, 0, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    if (i % 7 == 0) m_Bgm.Stop();
    if (i % 13 == 0) {
      m_Bgm.UnInit();
      m_Bgm.Init(1, &m_vOgg, &m_vMid, kMusicSlotCount);
    }
  }
  m_Bgm.UnInit();
  AudioCloseDevice();
  AudioSetManualMixForTests(true);
  EXPECT_GT(RecordingSynthLog().nFrames, 0u);
}

}  // namespace
