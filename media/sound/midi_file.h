// Standard MIDI files: the reader that checks a format 0 or format 1 file
// and merges its tracks into one format-0 image in memory, with every status
// byte written out, ready for the stream player to turn into stream events.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The merged track: "MThd" (6 bytes, format 0, 1 track, the file's time
// division), "MTrk", the events' length, the events, ending with FF 2F 00.
struct MIDIIMAGE {
  std::vector<uint8_t> vBytes;
  // Offset of the first event, and of the byte after the last.
  static constexpr uint32_t kEventsStart = 22;
  uint32_t EventsEnd() const { return static_cast<uint32_t>(vBytes.size()); }
  uint16_t TimeDivision() const { return static_cast<uint16_t>(vBytes[12] << 8 | vBytes[13]); }
};

class cMidiFile {
 public:
  virtual ~cMidiFile() = default;

  // Reads the file (CP932 game path) and converts it; every refusal is one
  // report line, and the file then stays unloaded.
  void LoadFile(const std::string& name);
  // Checks and converts a file's bytes; null when refused (one report line
  // naming the file that LoadFile keeps).
  std::unique_ptr<MIDIIMAGE> ParseSmf(const uint8_t* pBytes, size_t nBytes);

  bool IsLoaded() const { return m_pTrack != nullptr; }
  const std::string& Name() const { return m_strName; }
  const MIDIIMAGE* Track() const { return m_pTrack.get(); }

 protected:
  std::string m_strName;
  std::unique_ptr<MIDIIMAGE> m_pTrack;
};

// A variable-length number of a MIDI file: bytes read (1 to 4), 0 when a
// fifth byte would be needed or the bytes end first.
int ReadVarLen(const uint8_t* p, size_t nLeft, uint32_t& value);
// Bytes written (1 to 4) into p; 0 for a value of 0x10000000 or more.
int WriteVarLen(uint8_t* p, uint32_t value);
