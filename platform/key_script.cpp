#include "platform/key_script.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/joystick.h"
#include "platform/keyboard.h"
#include "platform/test_seams.h"

namespace {

std::string Trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string_view::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r");
  return std::string(s.substr(b, e - b + 1));
}

struct cKeyScript {
  std::mutex m_Lock;
  bool m_bRead = false;
  std::vector<KEYSCRIPTEVENT> m_Events;
  size_t m_nNext = 0;

  void ReadLocked() {
    if (m_bRead) return;
    m_bRead = true;
    std::string path = EnvText("TARVOLIN4_INPUT");
    if (path.empty()) return;
    std::ifstream f(path, std::ios::binary);
    if (!f) {
      std::fprintf(stderr, "TARVOLIN4_INPUT: cannot read %s\n", path.c_str());
      return;
    }
    std::ostringstream text;
    text << f.rdbuf();
    std::string errors;
    m_Events = ParseKeyScript(text.str(), &errors);
    if (!errors.empty()) std::fprintf(stderr, "%s", errors.c_str());
  }
};

cKeyScript s_Script;

// "Pad Left" ... "Pad Button 8" as KSPAD_*; KSPAD_NONE for any other name.
int PadControlOf(const std::string& name) {
  static const char* const kSides[] = {"Pad Left", "Pad Right", "Pad Up", "Pad Down"};
  for (int i = 0; i < 4; ++i)
    if (name == kSides[i]) return KSPAD_LEFT + i;
  const std::string button = "Pad Button ";
  if (name.size() == button.size() + 1 && name.compare(0, button.size(), button) == 0) {
    const char c = name.back();
    if (c >= '1' && c <= '8') return KSPAD_BUTTON1 + (c - '1');
  }
  return KSPAD_NONE;
}

void DeliverPadEvent(const KEYSCRIPTEVENT& ev) {
  switch (ev.m_nPad) {
    case KSPAD_LEFT: SetScriptedPadAxis(0, ev.m_bDown ? -32768 : 0); break;
    case KSPAD_RIGHT: SetScriptedPadAxis(0, ev.m_bDown ? 32767 : 0); break;
    case KSPAD_UP: SetScriptedPadAxis(1, ev.m_bDown ? -32768 : 0); break;
    case KSPAD_DOWN: SetScriptedPadAxis(1, ev.m_bDown ? 32767 : 0); break;
    default: SetScriptedPadButton(ev.m_nPad - KSPAD_BUTTON1, ev.m_bDown); break;
  }
}

}  // namespace

std::vector<KEYSCRIPTEVENT> ParseKeyScript(std::string_view text, std::string* pErrors) {
  std::vector<KEYSCRIPTEVENT> events;
  size_t pos = 0;
  int nLine = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) nl = text.size();
    std::string line = Trim(text.substr(pos, nl - pos));
    pos = nl + 1;
    ++nLine;
    if (line.empty() || line[0] == '#') continue;
    // The key's name may hold blanks ("Left Shift"): the frame is the first
    // word and the direction the last.
    size_t firstGap = line.find_first_of(" \t");
    size_t lastGap = line.find_last_of(" \t");
    bool ok = firstGap != std::string::npos && lastGap > firstGap;
    KEYSCRIPTEVENT ev{0, 0, false};
    if (ok) {
      std::string frame = line.substr(0, firstGap);
      std::string key = Trim(line.substr(firstGap, lastGap - firstGap));
      std::string dir = line.substr(lastGap + 1);
      ok = !frame.empty() && frame.find_first_not_of("0123456789") == std::string::npos && frame.size() <= 18;
      if (ok) ev.m_nFrame = std::stoull(frame);
      ev.m_nPad = PadControlOf(key);
      ev.m_nVk = ok && ev.m_nPad == KSPAD_NONE ? VkFromKeyName(key) : 0;
      ok = ok && (ev.m_nVk != 0 || ev.m_nPad != KSPAD_NONE) && (dir == "down" || dir == "up");
      ev.m_bDown = dir == "down";
    }
    if (!ok) {
      if (pErrors) *pErrors += "TARVOLIN4_INPUT: line " + std::to_string(nLine) + " skipped: " + line + "\n";
      continue;
    }
    events.push_back(ev);
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const KEYSCRIPTEVENT& a, const KEYSCRIPTEVENT& b) { return a.m_nFrame < b.m_nFrame; });
  return events;
}

void DeliverScriptedKeys(uint64_t nFrame) {
  std::lock_guard<std::mutex> lk(s_Script.m_Lock);
  s_Script.ReadLocked();
  while (s_Script.m_nNext < s_Script.m_Events.size() && s_Script.m_Events[s_Script.m_nNext].m_nFrame <= nFrame) {
    const KEYSCRIPTEVENT& ev = s_Script.m_Events[s_Script.m_nNext++];
    if (ev.m_nPad != KSPAD_NONE)
      DeliverPadEvent(ev);
    else
      PostKeyMessage(ev.m_nVk, ev.m_bDown, false);
  }
}

bool KeyScriptDrivesPad() {
  std::lock_guard<std::mutex> lk(s_Script.m_Lock);
  s_Script.ReadLocked();
  return std::any_of(s_Script.m_Events.begin(), s_Script.m_Events.end(),
                     [](const KEYSCRIPTEVENT& ev) { return ev.m_nPad != KSPAD_NONE; });
}
