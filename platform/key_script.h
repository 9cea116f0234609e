// The key script seam: TARVOLIN4_INPUT=FILE holds lines "FRAME KEY down|up"
// (KEY as SDL names keys, e.g. "Escape", "Z", "Left Shift"); each event
// reaches the game as the key's state and a key message to the main window
// when presented frame FRAME has been shown. KEY may also be a control of
// a pad: "Pad Left", "Pad Right", "Pad Up", "Pad Down" (the stick pushed to
// that side; up lets it back to the centre) or "Pad Button 1" to "Pad
// Button 8". A script that names one plays through a virtual joystick that
// stands for joystick 0, read as a plugged-in pad is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum KEYSCRIPTPAD : int {
  KSPAD_NONE = 0,  // a key of the keyboard
  KSPAD_LEFT,
  KSPAD_RIGHT,
  KSPAD_UP,
  KSPAD_DOWN,
  KSPAD_BUTTON1,  // buttons 1 to 8 follow in order
};

struct KEYSCRIPTEVENT {
  uint64_t m_nFrame;
  int m_nVk;  // 0 for a pad's control
  bool m_bDown;
  int m_nPad = KSPAD_NONE;
};

// The events of a script, in frame order (lines of one frame keep their
// order). Blank lines and lines starting with "#" are skipped; a line that
// does not parse is skipped and described in *pErrors (one line each).
std::vector<KEYSCRIPTEVENT> ParseKeyScript(std::string_view text, std::string* pErrors);

// Called for every presented frame: delivers the events due up to nFrame.
// The script is read on the first call.
void DeliverScriptedKeys(uint64_t nFrame);
// True when the script names a control of a pad (read on the first call).
bool KeyScriptDrivesPad();
