#include "shell/system_report.h"

#include <string>

#include "media/graphics/dd.h"
#include "platform/system_info.h"
#include "platform/text_cp932.h"
#include "base/report.h"

// Lines of the original's report that have no counterpart here and are not
// written: the video memory of the DirectDraw path ("VRAM Total",
// "VRAM Free"), and the whole DirectX diagnostic part of the Direct3D path
// (DirectX version, texture memory, devices and their drivers,
// capabilities, format table, acceleration flags).

namespace {

// The texts of this system are UTF-8; the report takes CP932 lines and
// writes them as UTF-8 again. A byte CP932 cannot hold is dropped.
std::string ForReport(const std::string& utf8) {
  bool bOk = false;
  std::string s = Utf8ToCp932(utf8, &bOk);
  if (bOk) return s;
  std::string ascii;
  for (char c : utf8) {
    if (static_cast<unsigned char>(c) < 0x80) ascii += c;
  }
  return ascii;
}

}  // namespace

double BytesToMB(unsigned long long qwBytes) {
  return static_cast<double>(qwBytes) * static_cast<double>(1.0f / 1048576.0f);
}

unsigned long long ReportedDiskFree(unsigned long long qwBytes) {
  return qwBytes > 0x7FFFFFFFull ? 0x7FFFFFFFull : qwBytes;
}

BOOL WriteSystemReport() {
  if (!Reportf("OS : %s", ForReport(GetOsDescription()).c_str())) return 0;
  CPUDESC cpu = GetCpuDescription();
  Reportf("CPU : %s %s %d", ForReport(cpu.strVendor).c_str(), ForReport(cpu.strBrand).c_str(),
          static_cast<int>(cpu.dMHz));
  MEMORYDESC mem;
  if (GetMemoryDescription(mem)) {
    Reportf("Mem Total : %.3fMB", BytesToMB(mem.qwTotal));
    Reportf("Mem Free : %3.fMB", BytesToMB(mem.qwAvailable));
    Reportf("Vir Total : %.3fMB", BytesToMB(mem.qwTotalVirtual));
    Reportf("Vir Free : %3.fMB", BytesToMB(mem.qwAvailVirtual));
  }
  uint64_t n = 0;
  Reportf("HD Free : %3.fMB", BytesToMB(ReportedDiskFree(GetDiskFreeBytes(n) ? n : 0)));
  return 1;
}

BOOL WriteDisplayReport(BOOL) {
  if (!Reportf("%s", g_DDDisplay.nWindowMode ? "Mode : Window" : "Mode : Fullscreen")) return 0;
  Reportf("Bpp : %d", g_DDDisplay.nBpp);
  if (!lpDTCon) Reportf("RR : %u", static_cast<unsigned>(GetMonitorFrequency()));
  return 1;
}

BOOL IsOSAtLeast(int, int) { return TRUE; }
