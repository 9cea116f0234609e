#include "shell/system_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/system_info.h"
#include "base/report.h"
#include "tests/support/temp_folder.h"

TEST(SystemInfo, CpuInfoTakesTheFirstProcessor) {
  CPUDESC d = ParseCpuInfo(
      "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) Xeon(R) CPU @ 2.20GHz\n"
      "cpu MHz\t\t: 2199.998\n\nprocessor\t: 1\nvendor_id\t: Other\nmodel name\t: Second\ncpu MHz\t\t: 1000.0\n");
  EXPECT_EQ(d.strVendor, "GenuineIntel");
  EXPECT_EQ(d.strBrand, "Intel(R) Xeon(R) CPU @ 2.20GHz");
  EXPECT_EQ(static_cast<int>(d.dMHz), 2199);

  // A processor that tells none of these (many ARM kernels).
  CPUDESC none = ParseCpuInfo("processor\t: 0\nBogoMIPS\t: 50.00\nFeatures\t: fp asimd\n");
  EXPECT_EQ(none.strVendor, "");
  EXPECT_EQ(none.strBrand, "");
  EXPECT_EQ(none.dMHz, 0.0);
}

TEST(SystemInfo, MemInfoInBytes) {
  MEMORYDESC m;
  ASSERT_TRUE(ParseMemInfo("MemTotal:       16384000 kB\nMemFree:  1000 kB\nMemAvailable:    8192000 kB\n", m));
  EXPECT_EQ(m.qwTotal, 16384000ull * 1024);
  EXPECT_EQ(m.qwAvailable, 8192000ull * 1024);
  // Old kernels have no MemAvailable: the free memory stands for it.
  ASSERT_TRUE(ParseMemInfo("MemTotal: 2048 kB\nMemFree: 1024 kB\n", m));
  EXPECT_EQ(m.qwAvailable, 1024ull * 1024);
  EXPECT_FALSE(ParseMemInfo("garbage\n", m));
}

// The lines and their number formats; the values are the machine's.
TEST(SystemReport, WritesTheMachineLines) {
  cTempFolder folder;
  ASSERT_TRUE(OpenReport("Report_Game.txt"));
  ASSERT_TRUE(WriteSystemReport());
  std::string r = folder.ReadFile("Report_Game.txt");
  EXPECT_EQ(r.rfind("OS : Linux ", 0), 0u) << r;
  for (const char* psz : {"\nCPU : ", "\nMem Total : ", "\nMem Free : ", "\nVir Total : ", "\nVir Free : ", "\nHD Free : "})
    EXPECT_NE(r.find(psz), std::string::npos) << psz << "\n" << r;
  size_t total = r.find("Mem Total : ");
  ASSERT_NE(total, std::string::npos);
  // Totals with three decimals, free amounts with none.
  std::string line = r.substr(total, r.find('\n', total) - total);
  EXPECT_EQ(line.substr(line.size() - 6, 1), ".") << line;
  size_t free = r.find("HD Free : ");
  std::string freeLine = r.substr(free, r.find('\n', free) - free);
  EXPECT_EQ(freeLine.find('.'), std::string::npos) << freeLine;
  EXPECT_EQ(BytesToMB(3ull << 30), 3072.0);
}

TEST(SystemInfo, VirtualMemoryIsTheLimitLessWhatIsMapped) {
  MEMORYDESC m;
  ASSERT_TRUE(ParseVirtualMemory("Name:\tt4\nVmPeak:\t 9999 kB\nVmSize:\t  1024 kB\n", 1ull << 30, m));
  EXPECT_EQ(m.qwTotalVirtual, 1ull << 30);
  EXPECT_EQ(m.qwAvailVirtual, (1ull << 30) - (1ull << 20));
  // More mapped than the limit (a limit lowered after start-up): none free.
  ASSERT_TRUE(ParseVirtualMemory("VmSize:\t4096 kB\n", 1ull << 20, m));
  EXPECT_EQ(m.qwAvailVirtual, 0u);
  EXPECT_FALSE(ParseVirtualMemory("Name:\tt4\n", 1ull << 30, m));
}

// The free disk space stops at what 31 bits hold, so a large disk reads
// 2048MB; the display lines have no driver line outside a Direct3D device
// block (which this system has none of).
TEST(SystemReport, DiskFreeIsCappedAndNoDriverLine) {
  struct CASE {
    unsigned long long qwBytes;
    const char* pszLine;
  } cases[] = {
      {0, "  0"}, {5ull << 20, "  5"}, {0x7FFFFFFFull, "2048"}, {0x80000000ull, "2048"}, {1ull << 40, "2048"},
  };
  for (const CASE& c : cases) {
    char sz[64];
    std::snprintf(sz, sizeof(sz), "%3.f", BytesToMB(ReportedDiskFree(c.qwBytes)));
    EXPECT_STREQ(sz, c.pszLine) << c.qwBytes;
  }
  cTempFolder folder;
  ASSERT_TRUE(OpenReport("Report_Game.txt"));
  ASSERT_TRUE(WriteDisplayReport(TRUE));
  EXPECT_EQ(folder.ReadFile("Report_Game.txt").find("Driver"), std::string::npos) << folder.ReadFile("Report_Game.txt");
}
