#include "platform/system_info.h"

#include <SDL.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string ReadWholeFile(const char* pszPath) {
  std::ifstream in(pszPath, std::ios::binary);
  if (!in) return std::string();
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Calls fn(key, value) for each "key : value" line until fn returns false.
template <class FN>
void ForEachField(std::string_view text, char sep, FN&& fn) {
  while (!text.empty()) {
    size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
    size_t colon = line.find(sep);
    if (colon == std::string_view::npos) {
      if (!fn(Trim(line), std::string_view())) return;
      continue;
    }
    if (!fn(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)))) return;
  }
}

bool SdlVideoUp() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

}  // namespace

std::string GetOsDescription() {
  std::string text;
  utsname u{};
  if (uname(&u) == 0) text = std::string(u.sysname) + " " + u.release;
  std::string pretty;
  ForEachField(ReadWholeFile("/etc/os-release"), '=', [&](std::string_view k, std::string_view v) {
    if (k != "PRETTY_NAME") return true;
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    pretty = v;
    return false;
  });
  if (!pretty.empty()) text += text.empty() ? pretty : " (" + pretty + ")";
  return text;
}

CPUDESC ParseCpuInfo(std::string_view text) {
  CPUDESC d;
  bool bFirstSeen = false;
  ForEachField(text, ':', [&](std::string_view k, std::string_view v) {
    // Only the first processor's block.
    if (k == "processor") {
      if (bFirstSeen) return false;
      bFirstSeen = true;
    } else if (k == "vendor_id" && d.strVendor.empty()) {
      d.strVendor = v;
    } else if (k == "model name" && d.strBrand.empty()) {
      d.strBrand = v;
    } else if (k == "cpu MHz" && d.dMHz == 0.0) {
      d.dMHz = std::strtod(std::string(v).c_str(), nullptr);
    }
    return true;
  });
  return d;
}

CPUDESC GetCpuDescription() { return ParseCpuInfo(ReadWholeFile("/proc/cpuinfo")); }

bool ParseMemInfo(std::string_view text, MEMORYDESC& out) {
  uint64_t total = 0, avail = 0, free = 0;
  bool bTotal = false, bAvail = false;
  ForEachField(text, ':', [&](std::string_view k, std::string_view v) {
    // Values are in kB.
    uint64_t n = std::strtoull(std::string(v).c_str(), nullptr, 10) * 1024u;
    if (k == "MemTotal") {
      total = n;
      bTotal = true;
    } else if (k == "MemAvailable") {
      avail = n;
      bAvail = true;
    } else if (k == "MemFree") {
      free = n;
    }
    return true;
  });
  if (!bTotal) return false;
  out.qwTotal = total;
  out.qwAvailable = bAvail ? avail : free;
  return true;
}

bool ParseVirtualMemory(std::string_view status, uint64_t qwLimit, MEMORYDESC& out) {
  uint64_t used = 0;
  bool bFound = false;
  ForEachField(status, ':', [&](std::string_view k, std::string_view v) {
    if (k != "VmSize") return true;
    used = std::strtoull(std::string(v).c_str(), nullptr, 10) * 1024u;  // kB
    bFound = true;
    return false;
  });
  if (!bFound) return false;
  out.qwTotalVirtual = qwLimit;
  out.qwAvailVirtual = used < qwLimit ? qwLimit - used : 0;
  return true;
}

bool GetMemoryDescription(MEMORYDESC& out) {
  if (!ParseMemInfo(ReadWholeFile("/proc/meminfo"), out)) return false;
  // Without a limit the address space is the user half of the machine's
  // addresses: 47 bits on 64-bit Linux, 3 GB on 32-bit.
  uint64_t limit = sizeof(void*) == 8 ? (1ull << 47) : (3ull << 30);
  struct rlimit rl {};
  if (getrlimit(RLIMIT_AS, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY && rl.rlim_cur < limit) limit = rl.rlim_cur;
  ParseVirtualMemory(ReadWholeFile("/proc/self/status"), limit, out);
  return true;
}

bool GetDiskFreeBytes(uint64_t& out) {
  struct statvfs s {};
  if (statvfs(".", &s) != 0) return false;
  out = static_cast<uint64_t>(s.f_bavail) * s.f_frsize;
  return true;
}

int GetDesktopBpp() {
  if (!SdlVideoUp()) return 32;
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 32;
  int n = SDL_BITSPERPIXEL(mode.format);
  return n == 24 || n == 0 ? 32 : n;
}

int GetMonitorFrequency() {
  if (!SdlVideoUp()) return 0;
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return mode.refresh_rate;
}
