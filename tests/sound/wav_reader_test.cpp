#include "media/sound/wav_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_folder.h"
#include "tests/support/wav_writer.h"

namespace {

bool Parse(const std::string& bytes, WAVEDATA& wave) {
  return ParseWave(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &wave);
}

std::string Samples(const WAVEDATA& w) { return std::string(w.m_vData.begin(), w.m_vData.end()); }

}  // namespace

// Written out by hand, so that the writer and the reader cannot share a
// mistake: 8-bit mono 22050 Hz, a 3-byte "LIST" chunk (padded to 4) between
// "fmt " and "data", and five samples (odd: the pad byte closes the file).
TEST(WavReader, HandWrittenFile) {
  const unsigned char bytes[] = {
      'R', 'I', 'F', 'F', 54, 0, 0, 0, 'W', 'A', 'V', 'E',                //
      'f', 'm', 't', ' ', 16, 0, 0, 0,                                    //
      1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x22, 0x56, 0, 0, 1, 0, 8, 0,         //
      'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0,                   //
      'd', 'a', 't', 'a', 5, 0, 0, 0, 0x80, 0xFF, 0x00, 0x80, 0x40, 0,   //
  };
  WAVEDATA w;
  ASSERT_TRUE(ParseWave(bytes, sizeof bytes, &w));
  EXPECT_EQ(w.m_Format.nTag, 1);
  EXPECT_EQ(w.m_Format.nChannels, 1);
  EXPECT_EQ(w.m_Format.nRate, 22050u);
  EXPECT_EQ(w.m_Format.nBlockAlign, 1);
  EXPECT_EQ(w.m_Format.nBits, 8);
  EXPECT_EQ(Samples(w), std::string("\x80\xFF\x00\x80\x40", 5));
}

TEST(WavReader, GoodFilesOfEveryShape) {
  struct CASE {
    const char* name;
    WAV_SHAPE spec;
  };
  WAV_SHAPE mono8;
  mono8.strSamples = std::string("\x10\x80\xF0", 3);
  WAV_SHAPE stereo16;
  stereo16.nChannels = 2;
  stereo16.nBits = 16;
  stereo16.nRate = 44100;
  stereo16.strSamples = std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
  WAV_SHAPE fmt18 = mono8;
  fmt18.nFmtSize = 18;
  WAV_SHAPE fmt40 = stereo16;
  fmt40.nFmtSize = 40;
  WAV_SHAPE extra = mono8;
  extra.vExtraChunks = {{"fact", "\x03\0\0\0"}, {"LIST", "odd"}};
  const CASE cases[] = {
      {"8-bit mono 22050", mono8}, {"16-bit stereo 44100", stereo16}, {"fmt of 18", fmt18},
      {"fmt of 40", fmt40},        {"chunks before data", extra},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    WAVEDATA w;
    ASSERT_TRUE(Parse(MakeWavBytes(c.spec), w));
    EXPECT_EQ(w.m_Format.nChannels, c.spec.nChannels);
    EXPECT_EQ(w.m_Format.nRate, c.spec.nRate);
    EXPECT_EQ(w.m_Format.nBits, c.spec.nBits);
    EXPECT_EQ(w.m_Format.nBlockAlign, c.spec.nChannels * c.spec.nBits / 8);
    EXPECT_EQ(Samples(w), c.spec.strSamples);
  }
  WAVEDATA tone;
  ASSERT_TRUE(Parse(MakeToneWav8(880.0, 100), tone));
  EXPECT_EQ(tone.m_Format.nRate, 22050u);
  EXPECT_EQ(tone.m_vData.size(), 2205u);
}

TEST(WavReader, DamagedAndForeignFilesAreRefused) {
  const std::string good = MakeWav8({1, 2, 3, 4, 5, 6});
  auto with = [&](size_t at, uint32_t v) {
    std::string b = good;
    PutU32(b, at, v);
    return b;
  };
  WAV_SHAPE float32;
  float32.nTag = 3;
  float32.nBits = 32;
  float32.strSamples = std::string(8, '\0');
  WAV_SHAPE noData;
  noData.bDataChunk = false;
  WAV_SHAPE shortFmt;
  shortFmt.nFmtSize = 14;
  shortFmt.strSamples = "ab";
  // "data" ahead of "fmt ": the search for "data" starts after "fmt ".
  std::string dataFirst = "RIFF";
  dataFirst += std::string("\x26\0\0\0", 4) + "WAVE" + "data" + std::string("\x02\0\0\0", 4) + "ab";
  dataFirst += good.substr(12, 24);
  std::string notWave = good;
  notWave.replace(8, 4, "AVI ");

  struct CASE {
    const char* name;
    std::string bytes;
  };
  const CASE cases[] = {
      {"empty", ""},
      {"header only", good.substr(0, 10)},
      {"not RIFF", "RIFX" + good.substr(4)},
      {"RIFF but not WAVE", notWave},
      {"cut inside fmt", good.substr(0, 30)},
      {"huge fmt size", with(kWavFmtSizeAt, 0xFFFFFFF0u)},
      {"fmt shorter than 16", MakeWavBytes(shortFmt)},
      {"format tag 3", MakeWavBytes(float32)},
      {"no data chunk", MakeWavBytes(noData)},
      {"data before fmt", dataFirst},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    WAVEDATA w;
    EXPECT_FALSE(Parse(c.bytes, w));
    EXPECT_TRUE(w.m_vData.empty());
  }
}

// Writers that never go back to fix the sizes leave "RIFF" and "data" sizes
// that run past the end of the file; such a file plays the samples that are
// there.
TEST(WavReader, SizesPastTheEndCountTheBytesThere) {
  const std::string good = MakeWav8({1, 2, 3, 4, 5, 6});
  const size_t dataSize = WavDataSizeAt(16);
  auto with = [&](size_t at, uint32_t v) {
    std::string b = good;
    PutU32(b, at, v);
    return b;
  };
  std::string both = with(kWavRiffSizeAt, 0xFFFFFFFFu);
  PutU32(both, dataSize, 0xFFFFFFFFu);
  struct CASE {
    const char* name;
    std::string bytes;
    std::string samples;
  };
  const CASE cases[] = {
      {"RIFF size 8 too large", with(kWavRiffSizeAt, static_cast<uint32_t>(good.size())), "\1\2\3\4\5\6"},
      {"huge RIFF size", with(kWavRiffSizeAt, 0xFFFFFFFFu), "\1\2\3\4\5\6"},
      {"data size one too large", with(dataSize, 7), "\1\2\3\4\5\6"},
      {"huge data size", with(dataSize, 0xFFFFFFFFu), "\1\2\3\4\5\6"},
      {"both huge", both, "\1\2\3\4\5\6"},
      {"cut inside the data", good.substr(0, good.size() - 3), "\1\2\3"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    WAVEDATA w;
    ASSERT_TRUE(Parse(c.bytes, w));
    EXPECT_EQ(w.m_Format.nRate, 22050u);
    EXPECT_EQ(Samples(w), c.samples);
  }
}

TEST(WavReader, ReadsThroughTheGamePathAndFrees) {
  cTempFolder tmp;
  tmp.WriteFile("wave/Jump.WAV", MakeWav16({100, -100, 200, -200}, 2, 44100));
  WAVEDATA w;
  ASSERT_TRUE(DS_ReadWave("wave\\jump.wav", &w));
  EXPECT_EQ(w.m_Format.nChannels, 2);
  EXPECT_EQ(w.m_vData.size(), 8u);
  DS_FreeWave(&w);
  EXPECT_TRUE(w.m_vData.empty());
  EXPECT_FALSE(DS_ReadWave("wave\\missing.wav", &w));
}

// A sound named by a folder (a database entry with an empty file name names
// the sound folder itself): a folder opens for reading and on ext4 gives a
// size of 2^63 - 1, which is not a wave to allocate for.
TEST(WavReader, AFolderIsNotAWave) {
  cTempFolder tmp;
  tmp.WriteFile("wave/Sub.wav/x", "");
  WAVEDATA w;
  EXPECT_FALSE(DS_ReadWave("wave\\", &w));
  EXPECT_FALSE(DS_ReadWave("wave\\Sub.wav", &w));
  EXPECT_TRUE(w.m_vData.empty());
}
