#include "platform/ogg_stream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "tests/support/corruption.h"
#include "tests/support/music_writers.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr int kPiece = 11025;  // frames of the generated tone

std::vector<int16_t> Mix(int n) {
  std::vector<int16_t> out(size_t(n) * 2);
  for (int done = 0; done < n;) {
    const int k = std::min(n - done, 1000);
    AudioMixFramesForTests(out.data() + 2 * done, k);
    done += k;
  }
  return out;
}

// Frames up to the last one that is not silent.
int SoundingFrames(const std::vector<int16_t>& v) {
  for (size_t f = v.size() / 2; f > 0; --f)
    if (v[2 * f - 2] || v[2 * f - 1]) return int(f);
  return 0;
}

// The faults the player told, one "path step why" line each.
std::vector<std::string> s_vFaults;
void RecordFault(const char* pszPath, const char* pszStep, const char* pszWhy) {
  s_vFaults.push_back(std::string(pszPath) + " " + pszStep + " " + pszWhy);
}

class OggPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    s_vFaults.clear();
    SetOggFaultHandler(&RecordFault);
    setenv("TARVOLIN4_HEADLESS", "1", 1);
    AudioSetManualMixForTests(true);
    m_pPlayer = CreateVox();
    ASSERT_TRUE(m_pPlayer);
    m_Tmp.WriteFile("bgm/tone.ogg", MakeOggFile(LoopableTone(kPiece, 50, 12000), 2, 44100));
  }
  void TearDown() override {
    m_pPlayer->Release();
    SetOggFaultHandler(nullptr);
  }

  // The piece played once: the reference the loop is held against.
  std::vector<int16_t> Once() {
    EXPECT_EQ(m_pPlayer->Load("bgm\\tone.ogg"), 1);
    m_pPlayer->SetLoopCount(0);
    m_pPlayer->Play();
    std::vector<int16_t> v = Mix(kPiece + 2000);
    m_pPlayer->Stop();
    return v;
  }

  cTempFolder m_Tmp;
  cVoxPlayer* m_pPlayer = nullptr;
};

TEST_F(OggPlayer, LoopsWithoutAGapOrAClick) {
  const std::vector<int16_t> once = Once();
  // Played once, the piece is exactly its frames long, then silence.
  ASSERT_EQ(SoundingFrames(once), kPiece);
  m_pPlayer->SetLoopCount(kVoxLoopForever);
  m_pPlayer->Play();
  const std::vector<int16_t> looped = Mix(3 * kPiece);
  // Every pass is the piece sample for sample: nothing inserted or lost at
  // the loop point, so the last sample runs into the first as in the piece.
  for (int pass = 0; pass < 3; ++pass)
    for (int k = 0; k < 2 * kPiece; ++k)
      ASSERT_EQ(looped[size_t(2 * kPiece * pass + k)], once[size_t(k)]) << "pass " << pass << " sample " << k;
  const int jump = std::abs(looped[2 * kPiece] - looped[2 * kPiece - 2]);
  EXPECT_LT(jump, 1200);  // one step of a 200 Hz tone at 12,000
}

TEST_F(OggPlayer, LoopCountsStopAndReload) {
  Once();
  m_pPlayer->SetLoopCount(2);
  m_pPlayer->Play();
  EXPECT_EQ(SoundingFrames(Mix(4 * kPiece)), 3 * kPiece);
  // Stop rewinds; Play starts again from the first sample.
  m_pPlayer->Play();
  const std::vector<int16_t> a = Mix(100);
  m_pPlayer->Stop();
  EXPECT_EQ(SoundingFrames(Mix(100)), 0);
  m_pPlayer->Play();
  EXPECT_EQ(Mix(100), a);
}

TEST_F(OggPlayer, OtherRatesAndMonoAreConverted) {
  m_Tmp.WriteFile("bgm/mono.ogg", MakeOggFile(std::vector<int16_t>(kPiece, 8000), 1, 22050));
  ASSERT_EQ(m_pPlayer->Load("bgm\\mono.ogg"), 1);
  m_pPlayer->SetLoopCount(0);
  m_pPlayer->Play();
  const std::vector<int16_t> out = Mix(3 * kPiece);
  EXPECT_NEAR(SoundingFrames(out), 2 * kPiece, 2);
  EXPECT_EQ(out[2 * kPiece], out[2 * kPiece + 1]);  // both sides
  EXPECT_NEAR(out[2 * kPiece], 8000, 400);
}

// What is not Ogg does not load; a file that is there but cannot be played
// is told as a fault, a missing one is not (the manager then tries MIDI).
TEST_F(OggPlayer, WhatIsNotOggDoesNotLoad) {
  m_Tmp.WriteFile("bgm/text.ogg", "not an ogg file at all");
  m_Tmp.WriteFile("bgm/empty.ogg", "");
  const struct {
    const char* pszPath;
    const char* pszFault;
  } cases[] = {
      {"bgm\\none.ogg", nullptr},
      {"bgm\\text.ogg", "bgm\\text.ogg Load not an Ogg Vorbis stream"},
      {"bgm\\empty.ogg", "bgm\\empty.ogg Load not an Ogg Vorbis stream"},
      {"", nullptr},
      {"bgm", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszPath);
    s_vFaults.clear();
    EXPECT_EQ(m_pPlayer->Load(c.pszPath), 0);
    m_pPlayer->Play();
    EXPECT_EQ(SoundingFrames(Mix(500)), 0);
    EXPECT_EQ(s_vFaults, c.pszFault ? std::vector<std::string>{c.pszFault} : std::vector<std::string>{});
  }
}

// Audio packets damaged after good headers: the piece opens, and what
// cannot be decoded is told once, however often the piece loops.
TEST_F(OggPlayer, DataThatCannotBeDecodedIsToldOnce) {
  std::string bytes = MakeOggFile(LoopableTone(4 * 44100, 10, 12000), 2, 44100);
  // A few bytes of an audio page in the middle changed (the headers take
  // the first pages): that page fails its checksum and the decoder meets a
  // hole.
  std::vector<size_t> pages;
  for (size_t at = bytes.find("OggS"); at != std::string::npos; at = bytes.find("OggS", at + 4)) pages.push_back(at);
  ASSERT_GE(pages.size(), 5u);
  const size_t at = pages[pages.size() / 2] + 60;
  for (size_t i = at; i < at + 8; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
  m_Tmp.WriteFile("bgm/hole.ogg", bytes);
  ASSERT_EQ(m_pPlayer->Load("bgm\\hole.ogg"), 1) << (s_vFaults.empty() ? "" : s_vFaults[0]);
  m_pPlayer->SetLoopCount(kVoxLoopForever);
  m_pPlayer->Play();
  Mix(3 * 44100);
  ASSERT_EQ(s_vFaults.size(), 1u);
  EXPECT_EQ(s_vFaults[0].rfind("bgm\\hole.ogg Play ", 0), 0u) << s_vFaults[0];
}

TEST_F(OggPlayer, DamagedFilesNeverCrashOrHang) {
  CORRUPTIONPLAN plan;
  plan.nMutations = 600;
  plan.nAllTruncationsBelow = 512;
  const std::string good = MakeOggFile(LoopableTone(4410, 10, 12000), 2, 44100);
  const int n = RunCorruptionHarness(good, "bgm/x.ogg", [&] {
    s_vFaults.clear();
    // A damaged file that is refused always says why.
    if (!m_pPlayer->Load("bgm\\x.ogg")) {
      ASSERT_EQ(s_vFaults.size(), 1u);
      return;
    }
    m_pPlayer->SetLoopCount(kVoxLoopForever);
    m_pPlayer->Play();
    Mix(9000);
    m_pPlayer->Close();
  }, plan);
  EXPECT_GT(n, 600);
}

}  // namespace
