#include "platform/key_script.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>

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
      ev.m_nVk = ok ? VkFromKeyName(key) : 0;
      ok = ok && ev.m_nVk != 0 && (dir == "down" || dir == "up");
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
    PostKeyMessage(ev.m_nVk, ev.m_bDown, false);
  }
}
