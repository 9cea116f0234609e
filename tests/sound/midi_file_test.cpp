#include "media/sound/midi_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/report.h"
#include "platform/text_cp932.h"
#include "tests/support/allocation_probe.h"
#include "tests/support/music_writers.h"
#include "tests/support/temp_folder.h"

namespace {

std::string End() { return std::string("\xFF\x2F\x00", 3); }
std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::unique_ptr<MIDIIMAGE> Parse(const std::string& file) {
  cMidiFile f;
  return f.ParseSmf(reinterpret_cast<const uint8_t*>(file.data()), file.size());
}

TEST(MidiVarLen, ReadsAndWritesTheFileEncoding) {
  struct CASE {
    uint32_t value;
    std::vector<uint8_t> bytes;  // empty: cannot be written
  } cases[] = {
      {0, {0x00}},
      {0x7F, {0x7F}},
      {0x80, {0x81, 0x00}},
      {0x3FFF, {0xFF, 0x7F}},
      {0x4000, {0x81, 0x80, 0x00}},
      {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
      {0x10000000, {}},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.value);
    uint8_t out[4] = {};
    const int n = WriteVarLen(out, c.value);
    ASSERT_EQ(size_t(n), c.bytes.size());
    if (n == 0) continue;
    EXPECT_EQ(std::vector<uint8_t>(out, out + n), c.bytes);
    uint32_t back = 0;
    EXPECT_EQ(ReadVarLen(c.bytes.data(), c.bytes.size(), back), n);
    EXPECT_EQ(back, c.value);
  }
  // A fifth byte, and bytes that end in the middle of a number.
  const uint8_t five[5] = {0x81, 0x81, 0x81, 0x81, 0x01};
  uint32_t v = 0;
  EXPECT_EQ(ReadVarLen(five, 5, v), 0);
  EXPECT_EQ(ReadVarLen(five, 2, v), 0);
}

TEST(MidiMerge, FormatOneBecomesOneTrackInTimeOrder) {
  // Track 0: tempo at 0 and 96. Track 1: a note with a text meta event
  // between its on and off, ends at 192. Track 2: a program and a note at
  // 96 (after track 0's tempo change at the same tick), its off by running
  // status, ends at 100.
  const std::string z(1, '\0');
  const std::string t0 = VarLen(0) + "\xFF\x51\x03\x07\xA1\x20" + VarLen(96) + "\xFF\x51\x03\x03\xD0\x90" +
                         VarLen(0) + End();
  const std::string t1 = VarLen(0) + "\x90\x3C\x40" + VarLen(48) + "\xFF\x01\x02hi" + VarLen(48) + "\x80\x3C" + z +
                         VarLen(96) + End();
  const std::string t2 = VarLen(96) + "\xC1\x05" + VarLen(0) + "\x91\x40\x50" + VarLen(4) + "\x40" + z +
                         VarLen(0) + End();
  auto image = Parse(MakeMidiFile(1, 96, {t0, t1, t2}));
  ASSERT_TRUE(image);
  const std::string events = VarLen(0) + "\xFF\x51\x03\x07\xA1\x20" +  // track 0, tick 0
                             VarLen(0) + "\x90\x3C\x40" +               // track 1, tick 0
                             VarLen(48) + "\xFF\x01\x02hi" +            // tick 48
                             VarLen(48) + "\xFF\x51\x03\x03\xD0\x90" +  // tick 96: track 0 first
                             VarLen(0) + "\x80\x3C" + z +               // then track 1
                             VarLen(0) + "\xC1\x05" + VarLen(0) + "\x91\x40\x50" +  // then track 2
                             VarLen(4) + "\x91\x40" + z +  // running status written out
                             VarLen(92) + End();           // the longest track's end, tick 192
  std::string head = std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk", 18);
  head += std::string(1, '\0') + std::string(1, '\0') + char(events.size() >> 8) + char(events.size() & 0xFF);
  EXPECT_EQ(image->vBytes, Bytes(head + events));

  EXPECT_EQ(image->TimeDivision(), 96);
}

TEST(MidiMerge, SysexAndFormatZeroKeepTheirBytes) {
  const std::string t = VarLen(0) + "\xF0\x03\x7E\x09\xF7" + VarLen(10) + "\xB0\x07\x64" + VarLen(0) + End();
  auto image = Parse(MakeMidiFile(0, 480, {t}));
  ASSERT_TRUE(image);
  EXPECT_EQ(std::string(image->vBytes.begin() + 22, image->vBytes.end()), t);
}

// A short file whose header claims 65,535 tracks is refused without
// anything being made for the tracks that are not there.
TEST(MidiRefusal, TheTrackCountIsBelievedOnlyAsFarAsTheBytesGo) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  const std::string file = MakeMidiFile(1, 96, {VarLen(0) + End()}).replace(10, 2, "\xFF\xFF");
  cAllocationProbe probe;
  EXPECT_EQ(Parse(file), nullptr);
  EXPECT_LT(probe.PeakBytes(), 64u << 10);
}

TEST(MidiRefusal, EachDamageHasItsLine) {
  cTempFolder tmp;
  ASSERT_TRUE(OpenReport("Report_Game.txt"));
  const std::string good = MakeMidiFile(0, 96, {VarLen(0) + "\x90\x3C\x40" + VarLen(0) + End()});
  std::string longHeader = good;
  longHeader[7] = 7;
  std::string format2 = good;
  format2[9] = 2;
  std::string format3 = good;
  format3[9] = 3;
  std::string noTrack = good;
  noTrack[14] = 'X';
  struct CASE {
    const char* what;
    std::string bytes;
    const char* line;  // UTF-8
  } cases[] = {
      {"riff", "RIFF" + good, "Init 標準MIDIでない(4)"},
      {"header length", longHeader, "Init 標準MIDIでない(6)"},
      {"format 2", format2, "Init 対応フォーマットが2でない"},
      {"format 3", format3, "Init 対応フォーマットが0または1でない"},
      {"no MTrk", noTrack, "Init 標準MIDIでない(4)"},
      {"truncated", good.substr(0, good.size() - 2), "Init トラックが壊れています"},
      {"second track missing", MakeMidiFile(1, 96, {VarLen(0) + End()}).replace(10, 2, std::string("\0\x02", 2)),
       "Init トラックが壊れています"},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    tmp.WriteFile("bgm/x.mid", c.bytes);
    cMidiFile f;
    f.LoadFile("bgm\\x.mid");
    EXPECT_FALSE(f.IsLoaded());
    EXPECT_NE(tmp.ReadFile("Report_Game.txt").find(std::string("Midi bgm\\x.mid ") + c.line), std::string::npos);
  }
  cMidiFile missing;
  missing.LoadFile("bgm\\none.mid");
  EXPECT_FALSE(missing.IsLoaded());
  EXPECT_NE(tmp.ReadFile("Report_Game.txt").find("Midi bgm\\none.mid Create ファイルが開けません"), std::string::npos);
}

}  // namespace
