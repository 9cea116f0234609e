// What the machine is: the operating system, the processor, memory, free
// disk space and the display, for the report file and the screen-mode
// decision of start-up. Each query answers what this system can honestly
// tell; an unknown value is reported as such rather than guessed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "Linux 6.1.0-18-amd64 (Debian GNU/Linux 12 (bookworm))": the kernel's name
// and release, and the distribution's name when /etc/os-release gives one.
std::string GetOsDescription();

struct CPUDESC {
  std::string strVendor;  // "GenuineIntel"; empty when not reported
  std::string strBrand;   // "Intel(R) Core(TM) ..."; empty when not reported
  double dMHz = 0.0;      // the first processor's clock; 0 when not reported
};
CPUDESC GetCpuDescription();
// The fields of a /proc/cpuinfo text (the first processor's).
CPUDESC ParseCpuInfo(std::string_view text);

struct MEMORYDESC {
  uint64_t qwTotal = 0;      // bytes of physical memory
  uint64_t qwAvailable = 0;  // bytes available to new work
  // The process's address space: its limit (RLIMIT_AS, or the user half of
  // the machine's addresses when there is none) and what is not mapped yet.
  uint64_t qwTotalVirtual = 0;
  uint64_t qwAvailVirtual = 0;
};
// False when /proc/meminfo cannot be read.
bool GetMemoryDescription(MEMORYDESC& out);
// False when the text lacks MemTotal (MemAvailable falls back to MemFree).
bool ParseMemInfo(std::string_view text, MEMORYDESC& out);
// The address-space fields from /proc/self/status's VmSize and the limit in
// bytes; false when the text lacks VmSize.
bool ParseVirtualMemory(std::string_view status, uint64_t qwLimit, MEMORYDESC& out);

// Bytes free to this process on the file system of the working folder;
// false when it cannot be asked.
bool GetDiskFreeBytes(uint64_t& out);

// The display as SDL sees it. The desktop's colour depth: 24 counts as 32
// (a 24-bit desktop shows 32-bit windows), and 32 when there is no display
// to ask.
int GetDesktopBpp();
// The refresh rate in Hz; 0 when unknown.
int GetMonitorFrequency();
