#include "platform/test_seams.h"

#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

std::mutex s_Lock;
std::vector<std::string> s_Answers;
size_t s_NextAnswer = 0;
bool s_bAnswersRead = false;

void ReadAnswersLocked() {
  if (s_bAnswersRead) return;
  s_bAnswersRead = true;
  s_Answers.clear();
  s_NextAnswer = 0;
  std::string all = EnvText("TARVOLIN4_ANSWERS");
  size_t pos = 0;
  while (!all.empty() && pos <= all.size()) {
    size_t comma = all.find(',', pos);
    if (comma == std::string::npos) comma = all.size();
    s_Answers.push_back(all.substr(pos, comma - pos));
    pos = comma + 1;
  }
}

}  // namespace

bool IsHeadless() {
  std::string h = EnvText("TARVOLIN4_HEADLESS");
  if (!h.empty() && h != "0") return true;
  return EnvText("DISPLAY").empty() && EnvText("WAYLAND_DISPLAY").empty();
}

bool NextScriptedAnswer(std::string& answer) {
  std::lock_guard<std::mutex> lk(s_Lock);
  ReadAnswersLocked();
  if (s_NextAnswer >= s_Answers.size()) return false;
  answer = s_Answers[s_NextAnswer++];
  return true;
}

long EnvNumber(const char* name, long def) {
  const char* v = std::getenv(name);
  if (!v || !*v) return def;
  char* end = nullptr;
  long n = std::strtol(v, &end, 10);
  return (end && *end == '\0') ? n : def;
}

std::string EnvText(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

void ResetScriptedAnswersForTests() {
  std::lock_guard<std::mutex> lk(s_Lock);
  s_bAnswersRead = false;
}
