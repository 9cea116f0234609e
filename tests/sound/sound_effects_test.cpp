#include "media/sound/sound_effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <string>
#include <vector>

#include "platform/text_cp932.h"
#include "base/report.h"
#include "tests/support/fifo_fixture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wav_writer.h"

namespace {

// Left sample of the next mixed frame.
int MixOne() {
  int16_t out[2] = {0x7777, 0x7777};
  AudioMixFramesForTests(out, 1);
  return out[0];
}

std::string Level(int16_t v) { return MakeWav16(std::vector<int16_t>(64, v), 1, 44100); }

class SoundEffects : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TARVOLIN4_HEADLESS", "1", 1);
    AudioSetManualMixForTests(true);
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    m_nVoicesBefore = AudioVoiceCountForTests();
  }
  void TearDown() override {
    DS_UnInit();
    SetSoundPlayHookForTests(nullptr);
    EXPECT_EQ(AudioVoiceCountForTests(), m_nVoicesBefore);
  }
  std::string Report() const { return m_Tmp.ReadFile("Report_Game.txt"); }

  cTempFolder m_Tmp;
  int m_nVoicesBefore = 0;
};

std::vector<int> s_Played;
void RecordPlay(int index) { s_Played.push_back(index); }

}  // namespace

TEST_F(SoundEffects, InitRunsHeadlessOnTheDummyDriver) {
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  ASSERT_NE(g_lpDS, nullptr);
  EXPECT_STREQ(AudioDriverNameForTests(), "dummy");
  EXPECT_EQ(g_lpDS->m_PrimaryFormat.nRate, 22050u);
  EXPECT_EQ(g_lpDS->m_PrimaryFormat.nBits, 8);
  EXPECT_EQ(g_lpDS->m_PrimaryFormat.nChannels, 1);
  EXPECT_EQ(g_lpDS->m_PrimaryFormat.nBlockAlign, 1);
  EXPECT_EQ(g_SoundList, nullptr);
  DS_UnInit();
  EXPECT_EQ(g_lpDS, nullptr);
  EXPECT_FALSE(AudioDeviceIsOpenForTests());
  EXPECT_TRUE(DS_Init(nullptr, 22050, 8, 1)) << "the device opens again after a shut-down";
}

TEST_F(SoundEffects, EverythingIsANoOpWhileClosed) {
  m_Tmp.WriteFile("a.wav", Level(1000));
  auto checkClosed = [&](SOUNDDATA& s) {
    EXPECT_TRUE(DS_LoadSound(&s, "a.wav", 1, -500));
    cVoice* p = nullptr;
    EXPECT_TRUE(DS_LoadWave(&p, "a.wav"));
    EXPECT_EQ(p, nullptr);
    EXPECT_TRUE(DS_DuplicateBuffer(&p, nullptr));
    EXPECT_EQ(DS_SetVolume(&s, 0, -500, 0), 0);
    EXPECT_EQ(DS_GetVolume(&s, 0), 0);
    DS_Play(&s, 0);
    DS_ReleaseSound(&s);
    EXPECT_EQ(AudioVoiceCountForTests(), m_nVoicesBefore);
  };
  SOUNDDATA before;
  checkClosed(before);
  EXPECT_TRUE(before.m_vBuffers.empty());
  cVector<SOUNDDATA> sounds(1);
  cVector<SOUNDFILEINFO> files(1);
  EXPECT_EQ(DS_LoadSounds(&sounds, &files, 0), 1);
  EXPECT_EQ(g_SoundList, nullptr);

  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  SOUNDDATA after;
  ASSERT_TRUE(DS_LoadSound(&after, "a.wav", 1, 0));
  DS_UnInit();
  // The sound was not in the loaded list, so it is released by hand.
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  DS_ReleaseSound(&after);
  DS_UnInit();
  checkClosed(after);
}

TEST_F(SoundEffects, StartupTableHasSeventeenSystemSoundsThenTheDatabase) {
  std::vector<std::string> system;
  for (int i = 0; i < 17; ++i) system.push_back("wave\\sys" + std::to_string(i) + ".wav");
  cVector<SOUNDFILEINFO> table;
  cVector<SOUNDDATA> sounds;
  BuildSoundTable(system, {"unused", "wave\\a.wav", Sjis("wave\\ジャンプ.wav")}, table, sounds);
  ASSERT_EQ(table.size(), 19u);
  ASSERT_EQ(sounds.size(), 19u);
  EXPECT_EQ(table[0].m_strName, "wave\\sys0.wav");
  EXPECT_EQ(table[16].m_strName, "wave\\sys16.wav");
  EXPECT_EQ(table[17].m_strName, "wave\\a.wav");
  EXPECT_EQ(table[18].m_strName, Sjis("wave\\ジャンプ.wav"));
  for (const SOUNDFILEINFO& e : table) {
    EXPECT_EQ(e.m_nBuffers, 1);
    EXPECT_EQ(e.m_nVolume, 0);
    EXPECT_EQ(e.m_nSpare, 1);
  }
  // An empty database still leaves room for system sound 16.
  BuildSoundTable(system, {}, table, sounds);
  EXPECT_EQ(table.size(), 17u);
  EXPECT_EQ(table[16].m_strName, "wave\\sys16.wav");

  // Sounds that are missing or damaged stay silent; the others load.
  BuildSoundTable(system, {"unused", "wave\\a.wav", Sjis("wave\\ジャンプ.wav")}, table, sounds);
  m_Tmp.WriteFile("wave/sys1.wav", Level(1000));
  m_Tmp.WriteFile("wave/a.wav", "RIFF");
  m_Tmp.WriteFile("wave/ジャンプ.wav", Level(1000));
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  EXPECT_EQ(DS_LoadSounds(&sounds, &table, SeVolumeForLevel(10)), 1);
  EXPECT_EQ(g_SoundList, &sounds);
  EXPECT_EQ(g_SoundFileList, &table);
  for (int i = 0; i < 19; ++i) {
    bool loaded = i == 1 || i == 18;
    EXPECT_EQ(sounds[i].m_nCount, loaded ? 1 : 0) << i;
    EXPECT_EQ(sounds[i].m_strName, loaded ? table[i].m_strName : "") << i;
  }
  EXPECT_EQ(AudioVoiceCountForTests(), m_nVoicesBefore + 2);
  DS_UnInit();  // while the list it releases is still alive

  // A table shorter than the list is a checked access: reported, and the
  // first entry's file stands in.
  ASSERT_TRUE(OpenReport("Report_Game.txt"));
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  cVector<SOUNDDATA> two(2);
  cVector<SOUNDFILEINFO> one(1);
  one[0].m_strName = "wave\\sys1.wav";
  DS_LoadSounds(&two, &one, 0);
  EXPECT_EQ(Report(), "err V[1] ( 1 , 272 )\n");
  EXPECT_EQ(two[1].m_strName, "wave\\sys1.wav");
  DS_UnInit();
}

// The option levels 0 to 10 as gains on the mixed samples.
TEST_F(SoundEffects, VolumeTableGainsOnMixedSamples) {
  const double gains[11] = {0.0,       0.0316228, 0.1,       0.2238721, 0.3981072, 0.5623413,
                            0.7079458, 0.8413951, 0.9120108, 0.9660509, 1.0};
  m_Tmp.WriteFile("s.wav", Level(20000));
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  for (int level = 0; level <= 10; ++level) {
    SCOPED_TRACE(level);
    cVector<SOUNDDATA> sounds(1);
    cVector<SOUNDFILEINFO> files(1);
    files[0].m_strName = "s.wav";
    DS_LoadSounds(&sounds, &files, SeVolumeForLevel(level));
    EXPECT_EQ(DS_GetVolume(&sounds[0], 0), SE_VOLUME_TABLE[level]);
    DS_Play(&sounds[0], 0);
    EXPECT_NEAR(MixOne(), 20000 * gains[level], 1.0);
    DS_ReleaseSound(&sounds[0]);
    g_SoundList = nullptr;
  }
  EXPECT_EQ(SeVolumeForLevel(-1), -10000);
  EXPECT_EQ(SeVolumeForLevel(99), 0);
  // At level 10 the caller gives 0 and the file's own volume is used.
  cVector<SOUNDDATA> sounds(1);
  cVector<SOUNDFILEINFO> files(1);
  files[0].m_strName = "s.wav";
  files[0].m_nVolume = -500;
  DS_LoadSounds(&sounds, &files, 0);
  EXPECT_EQ(DS_GetVolume(&sounds[0], 0), -500);
  SetSoundListVolume(SeVolumeForLevel(2));
  EXPECT_EQ(DS_GetVolume(&sounds[0], 0), -2000);
  DS_UnInit();
}

TEST_F(SoundEffects, SetVolumeClampsAndAddsWhenRelative) {
  m_Tmp.WriteFile("s.wav", Level(1000));
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  SOUNDDATA s;
  ASSERT_TRUE(DS_LoadSound(&s, "s.wav", 2, 0));
  struct CASE {
    int32_t start, volume;
    uint8_t relative;
    int32_t result;
  };
  const CASE cases[] = {
      {0, -20000, 0, -10000}, {0, 500, 0, 0},         {-800, -300, 1, -1100},
      {-800, 300, 1, -500},   {-800, 5000, 1, 0},     {-100, INT32_MIN, 1, -10000},
      {-800, -300, 2, -300},
  };
  for (const CASE& c : cases) {
    DS_SetVolume(&s, 1, c.start, 0);
    EXPECT_EQ(DS_SetVolume(&s, 1, c.volume, c.relative), c.result);
    EXPECT_EQ(DS_GetVolume(&s, 1), c.result);
  }
  EXPECT_EQ(DS_GetVolume(&s, 0), 0) << "each buffer has its own volume";
  EXPECT_EQ(DS_SetVolume(&s, 2, -500, 0), 0) << "no buffer 2";
  EXPECT_EQ(DS_GetVolume(&s, -1), 0);
  DS_ReleaseSound(&s);
}

TEST_F(SoundEffects, ReplayRestartsTheOneBuffer) {
  m_Tmp.WriteFile("s.wav", MakeWav8(std::vector<uint8_t>(100, 200)));
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  SOUNDDATA s;
  ASSERT_TRUE(DS_LoadSound(&s, "s.wav", 1, 0));
  DS_Play(&s, 0);
  std::vector<int16_t> out(2 * 40);
  AudioMixFramesForTests(out.data(), 40);
  EXPECT_EQ(out[0], (200 - 128) * 256);
  EXPECT_EQ(VoiceGetPositionForTests(s.m_vBuffers[0]), 20u);
  DS_Play(&s, 0);
  EXPECT_EQ(VoiceGetPositionForTests(s.m_vBuffers[0]), 0u);
  EXPECT_TRUE(VoiceIsPlayingForTests(s.m_vBuffers[0]));
  EXPECT_EQ(s.m_nNext, 0);
  EXPECT_EQ(MixOne(), (200 - 128) * 256) << "one voice, not two";
  // Played to its end, the sound stops by itself.
  std::vector<int16_t> rest(2 * 400);
  AudioMixFramesForTests(rest.data(), 400);
  EXPECT_FALSE(VoiceIsPlayingForTests(s.m_vBuffers[0]));
  DS_Play(&s, DSBPLAY_LOOPING);
  AudioMixFramesForTests(rest.data(), 400);
  EXPECT_TRUE(VoiceIsPlayingForTests(s.m_vBuffers[0])) << "a looped play goes on";
  DS_ReleaseSound(&s);
}

TEST_F(SoundEffects, BuffersTakeTurnsSoPlaysOverlap) {
  m_Tmp.WriteFile("s.wav", Level(8000));
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  SOUNDDATA s;
  ASSERT_TRUE(DS_LoadSound(&s, "s.wav", 3, 0));
  ASSERT_EQ(s.m_nCount, 3);
  ASSERT_EQ(AudioVoiceCountForTests(), m_nVoicesBefore + 3);
  const int nextAfter[4] = {1, 2, 0, 1};
  const int mixed[4] = {8000, 16000, 24000, 24000};
  for (int play = 0; play < 4; ++play) {
    SCOPED_TRACE(play);
    DS_Play(&s, 0);
    EXPECT_EQ(s.m_nNext, nextAfter[play]);
    EXPECT_EQ(MixOne(), mixed[play]);
  }
  EXPECT_EQ(VoiceGetPositionForTests(s.m_vBuffers[0]), 1u) << "the fourth play restarted buffer 0";
  EXPECT_EQ(VoiceGetPositionForTests(s.m_vBuffers[1]), 3u);
  // A count below 1 still makes the first buffer.
  SOUNDDATA one;
  ASSERT_TRUE(DS_LoadSound(&one, "s.wav", 0, 0));
  EXPECT_EQ(one.m_nCount, 1);
  // Loading over a loaded sound gives its buffers back first.
  ASSERT_TRUE(DS_LoadSound(&s, "s.wav", 1, 0));
  EXPECT_EQ(AudioVoiceCountForTests(), m_nVoicesBefore + 2);
  DS_ReleaseSound(&s);
  DS_ReleaseSound(&one);
}

TEST_F(SoundEffects, DamagedWavesAreReportedAndStaySilent) {
  const std::string good = MakeWav8({1, 2, 3, 4, 5, 6});
  auto with = [&](size_t at, uint32_t v) {
    std::string b = good;
    PutU32(b, at, v);
    return b;
  };
  WAV_SHAPE withList;
  withList.strSamples = "abcd";
  withList.vExtraChunks = {{"LIST", "abcd"}};
  const std::string listed = MakeWavBytes(withList);
  auto listWith = [&](size_t at, uint32_t v) {
    std::string b = listed;
    PutU32(b, at, v);
    return b;
  };
  WAV_SHAPE float32;
  float32.nTag = 3;
  float32.nBits = 32;
  float32.strSamples = std::string(8, '\0');
  WAV_SHAPE noData;
  noData.bDataChunk = false;
  WAV_SHAPE emptyData;
  WAV_SHAPE zeroChannels;
  zeroChannels.nChannels = 0;
  zeroChannels.strSamples = "abcd";
  struct CASE {
    const char* name;
    std::string bytes;
    const char* line;  // after the file name
  };
  const CASE cases[] = {
      {"truncated", good.substr(0, 40), "読み込み失敗！"},
      {"chunk before data beyond the file", listWith(36 + 4, 4096), "読み込み失敗！"},
      {"huge size", with(kWavFmtSizeAt, 0xFFFFFFFFu), "読み込み失敗！"},
      {"format tag 3", MakeWavBytes(float32), "読み込み失敗！"},
      {"no data chunk", MakeWavBytes(noData), "読み込み失敗！"},
      {"zero channels", MakeWavBytes(zeroChannels), "生成失敗！"},
      {"no samples", MakeWavBytes(emptyData), "生成失敗！"},
  };
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    m_Tmp.WriteFile("wave/bad.wav", c.bytes);
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    SOUNDDATA s;
    EXPECT_FALSE(DS_LoadSound(&s, "wave\\bad.wav", 1, 0));
    EXPECT_EQ(Report(), std::string("wave\\bad.wav") + c.line + "\n");
    EXPECT_EQ(s.m_nCount, 0);
    DS_Play(&s, 0);
    EXPECT_EQ(MixOne(), 0);
    DS_ReleaseSound(&s);
  }
  // A file that is not there at all is as quiet as ever.
  ASSERT_TRUE(OpenReport("Report_Game.txt"));
  SOUNDDATA s;
  EXPECT_FALSE(DS_LoadSound(&s, "wave\\none.wav", 1, 0));
  EXPECT_EQ(Report(), "");
  DS_ReleaseSound(&s);
  // A named pipe in the sound's place is a sound that cannot be read, at
  // once: nothing waits for a writer.
  ASSERT_TRUE(MakeFifo(m_Tmp.Path() + "/wave/pipe.wav"));
  ASSERT_TRUE(OpenReport("Report_Game.txt"));
  SOUNDDATA p;
  EXPECT_TRUE(FinishesWithin(5000, m_Tmp.Path() + "/wave/pipe.wav",
                             [&] { EXPECT_FALSE(DS_LoadSound(&p, "wave\\pipe.wav", 1, 0)); }));
  EXPECT_EQ(Report(), std::string("wave\\pipe.wav") + "読み込み失敗！\n");
  DS_ReleaseSound(&p);
}

TEST_F(SoundEffects, PlayRequestsByIndexAreCheckedAndRecorded) {
  std::vector<std::string> system(17, "wave\\sys.wav");
  cVector<SOUNDFILEINFO> table;
  cVector<SOUNDDATA> sounds;
  BuildSoundTable(system, {"", "wave\\user.wav"}, table, sounds);
  m_Tmp.WriteFile("wave/sys.wav", Level(1000));
  m_Tmp.WriteFile("wave/user.wav", Level(3000));
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  DS_LoadSounds(&sounds, &table, 0);
  s_Played.clear();
  SetSoundPlayHookForTests(RecordPlay);

  PlaySoundEntry(17);
  EXPECT_TRUE(VoiceIsPlayingForTests(sounds[17].m_vBuffers[0]));
  EXPECT_EQ(MixOne(), 3000);
  PlaySoundEntry(40);
  EXPECT_EQ(Report(), "err V[40] ( 18 , 284 )\n");
  EXPECT_TRUE(VoiceIsPlayingForTests(sounds[0].m_vBuffers[0])) << "the first sound plays instead";
  SOUNDDATA outside;
  DS_Play(&outside, 0);
  EXPECT_EQ(s_Played, (std::vector<int>{17, 0, -1}));
  DS_UnInit();
}

// The device's own thread mixes while the window and game threads play and
// change volumes.
TEST_F(SoundEffects, TheDeviceMixesWhileThreadsPlay) {
  m_Tmp.WriteFile("s.wav", Level(1000));
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  cVector<SOUNDFILEINFO> table(2);
  table[0].m_strName = table[1].m_strName = "s.wav";
  table[1].m_nBuffers = 4;
  cVector<SOUNDDATA> sounds(2);
  DS_LoadSounds(&sounds, &table, 0);
  AudioSetManualMixForTests(false);
  DS_Play(&sounds[0], DSBPLAY_LOOPING);
  std::thread game([] {
    for (int i = 0; i < 2000; ++i) {
      DS_Play(&g_SoundList->CheckedAt(1), 0);
      SetSoundListVolume(SeVolumeForLevel(i % 11));
    }
  });
  for (int i = 0; i < 2000; ++i) PlaySoundEntry(i % 2);
  game.join();
  DS_Play(&sounds[0], 0);
  bool ended = false;
  for (int wait = 0; wait < 2000 && !ended; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ended = !VoiceIsPlayingForTests(sounds[0].m_vBuffers[0]);
  }
  AudioSetManualMixForTests(true);
  EXPECT_TRUE(ended) << "the dummy device pulls from the mixer";
  DS_UnInit();
}
