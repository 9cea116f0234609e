#include "platform/audio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

PCM_FORMAT Format(uint16_t channels, uint16_t bits, uint32_t rate) {
  PCM_FORMAT f;
  f.nTag = 1;
  f.nChannels = channels;
  f.nBits = bits;
  f.nRate = rate;
  f.nBlockAlign = static_cast<uint16_t>(channels * bits / 8);
  return f;
}

std::vector<uint8_t> Pcm16(const std::vector<int16_t>& v) {
  std::vector<uint8_t> b;
  for (int16_t s : v) {
    b.push_back(static_cast<uint8_t>(s & 0xFF));
    b.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
  }
  return b;
}

std::vector<int16_t> Mix(int frames) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 0x7777);
  AudioMixFramesForTests(out.data(), frames);
  return out;
}

class AudioMixer : public ::testing::Test {
 protected:
  void SetUp() override {
    AudioSetManualMixForTests(true);
    m_nVoicesBefore = AudioVoiceCountForTests();
  }
  void TearDown() override {
    for (cVoice* v : m_vVoices) VoiceRelease(v);
    EXPECT_EQ(AudioVoiceCountForTests(), m_nVoicesBefore);
  }
  cVoice* Make(const PCM_FORMAT& f, const std::vector<uint8_t>& bytes) {
    cVoice* v = VoiceCreate(f, bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (v) m_vVoices.push_back(v);
    return v;
  }
  std::vector<cVoice*> m_vVoices;
  int m_nVoicesBefore = 0;
};

}  // namespace

TEST_F(AudioMixer, SilentWithoutPlayingVoices) {
  ASSERT_NE(Make(Format(1, 16, 44100), Pcm16({1000, 1000})), nullptr);
  for (int16_t s : Mix(16)) EXPECT_EQ(s, 0);
}

// The game's sounds are 8-bit 22050 Hz mono: each source frame becomes two
// mix frames, the second halfway to the next sample, on both sides.
TEST_F(AudioMixer, EightBitMonoIsCentredAndResampled) {
  cVoice* v = Make(Format(1, 8, 22050), {128 + 10, 128 + 20, 128 - 40});
  ASSERT_NE(v, nullptr);
  VoicePlay(v, false);
  std::vector<int16_t> out = Mix(8);
  const int expectLeft[8] = {2560, 3840, 5120, -2560, -10240, -10240, 0, 0};
  for (int f = 0; f < 8; ++f) {
    EXPECT_EQ(out[2 * f], expectLeft[f]) << "frame " << f;
    EXPECT_EQ(out[2 * f + 1], expectLeft[f]) << "frame " << f;
  }
  EXPECT_FALSE(VoiceIsPlayingForTests(v)) << "a sound that is not looped stops at its end";
}

TEST_F(AudioMixer, StereoKeepsItsSidesAndLoopsWrap) {
  cVoice* v = Make(Format(2, 16, 44100), Pcm16({100, -100, 200, -200}));
  ASSERT_NE(v, nullptr);
  VoicePlay(v, true);
  std::vector<int16_t> out = Mix(5);
  const int16_t expect[10] = {100, -100, 200, -200, 100, -100, 200, -200, 100, -100};
  for (int k = 0; k < 10; ++k) EXPECT_EQ(out[k], expect[k]) << k;
  EXPECT_TRUE(VoiceIsPlayingForTests(v));
  EXPECT_EQ(VoiceGetPositionForTests(v), 1u);
  VoiceStop(v);
  for (int16_t s : Mix(4)) EXPECT_EQ(s, 0);
}

TEST_F(AudioMixer, DuplicatesShareSamplesAndAddUpWithClipping) {
  cVoice* a = Make(Format(1, 16, 44100), Pcm16({20000, 20000, 20000, 20000}));
  ASSERT_NE(a, nullptr);
  VoiceSetVolume(a, -800);
  cVoice* b = VoiceDuplicate(a);
  ASSERT_NE(b, nullptr);
  m_vVoices.push_back(b);
  EXPECT_EQ(VoiceGetVolume(b), -800);
  EXPECT_FALSE(VoiceIsPlayingForTests(b));
  VoiceSetVolume(a, 0);
  VoiceSetVolume(b, 0);
  VoicePlay(a, false);
  EXPECT_EQ(Mix(1)[0], 20000);
  VoicePlay(b, false);
  EXPECT_EQ(Mix(1)[0], 32767) << "two voices overlap and the sum is clipped";
  // The original goes away; its duplicate still has the samples.
  VoiceRelease(a);
  m_vVoices.erase(m_vVoices.begin());
  EXPECT_EQ(Mix(1)[0], 20000);
}

TEST_F(AudioMixer, VolumesAreHundredthsOfADecibel) {
  EXPECT_EQ(VolumeToGain(0), 1.0f);
  EXPECT_EQ(VolumeToGain(-10000), 0.0f);
  EXPECT_NEAR(VolumeToGain(-2000), 0.1f, 1e-6);
  EXPECT_NEAR(VolumeToGain(-600), 0.501187f, 1e-5);
  cVoice* v = Make(Format(1, 16, 44100), Pcm16({1000}));
  VoiceSetVolume(v, -20000);
  EXPECT_EQ(VoiceGetVolume(v), -10000);
  VoiceSetVolume(v, 300);
  EXPECT_EQ(VoiceGetVolume(v), 0);
}

TEST_F(AudioMixer, FormatsThatCannotPlayAreRefused) {
  struct CASE {
    const char* name;
    PCM_FORMAT format;
    size_t bytes;
  };
  PCM_FORMAT badAlign = Format(2, 16, 22050);
  badAlign.nBlockAlign = 2;
  PCM_FORMAT notPcm = Format(1, 8, 22050);
  notPcm.nTag = 3;
  const CASE cases[] = {
      {"zero channels", Format(0, 8, 22050), 8},  {"three channels", Format(3, 8, 22050), 9},
      {"12 bits", Format(1, 12, 22050), 8},        {"24 bits", Format(1, 24, 22050), 9},
      {"rate 0", Format(1, 8, 0), 8},              {"rate 400000", Format(1, 8, 400000), 8},
      {"block size not a frame", badAlign, 8},     {"not PCM", notPcm, 8},
      {"no whole frame", Format(2, 16, 22050), 3},
  };
  std::vector<uint8_t> data(16, 0);
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(VoiceCreate(c.format, data.data(), static_cast<uint32_t>(c.bytes)), nullptr);
  }
  EXPECT_EQ(AudioVoiceCountForTests(), m_nVoicesBefore);
}

TEST_F(AudioMixer, StreamsAreAddedUntilRemoved) {
  auto fill = [](void* user, int16_t* out, int frames) {
    ++*static_cast<int*>(user);
    for (int k = 0; k < frames * 2; ++k) out[k] = 300;
  };
  int calls = 0;
  int id = AudioStreamAdd(fill, &calls);
  ASSERT_GT(id, 0);
  cVoice* v = Make(Format(1, 16, 44100), Pcm16({1000, 1000}));
  VoicePlay(v, false);
  std::vector<int16_t> out = Mix(2);
  EXPECT_EQ(out[0], 1300);
  EXPECT_EQ(out[3], 1300);
  AudioStreamRemove(id);
  Mix(2);
  EXPECT_EQ(calls, 1);
}
