// The key script seam: TARVOLIN4_INPUT=FILE holds lines "FRAME KEY down|up"
// (KEY as SDL names keys, e.g. "Escape", "Z", "Left Shift"); each event
// reaches the game as the key's state and a key message to the main window
// when presented frame FRAME has been shown.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct KEYSCRIPTEVENT {
  uint64_t m_nFrame;
  int m_nVk;
  bool m_bDown;
};

// The events of a script, in frame order (lines of one frame keep their
// order). Blank lines and lines starting with "#" are skipped; a line that
// does not parse is skipped and described in *pErrors (one line each).
std::vector<KEYSCRIPTEVENT> ParseKeyScript(std::string_view text, std::string* pErrors);

// Called for every presented frame: delivers the events due up to nFrame.
// The script is read on the first call.
void DeliverScriptedKeys(uint64_t nFrame);
