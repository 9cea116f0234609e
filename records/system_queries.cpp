#include "records/system_queries.h"

#include <algorithm>
#include <atomic>
#include <limits>

#include "base/message_box.h"
#include "records/system.h"

namespace {
std::atomic<SystemTextBoxDrawer> s_pfnDrawer{nullptr};

int WidestText(int t, int n, int e) {
  int w = 0;
  for (int i = 0; i < n; ++i) w = std::max(w, CountMbcsChars(g_System.m_vecText.CheckedAt(t + i)));
  if (e != 0) ++w;
  return w;
}
}  // namespace

uint32_t CountSystemEntryFlags(int k) {
  const cEdRankingSwitch& sw = g_System.m_vecRankingSwitch.CheckedAt(k);
  if (sw.m_bOn == 0) return 0;
  uint32_t n = 0;
  for (uint8_t b : sw.Flags()) n += b != 0 ? 1 : 0;
  return n;
}

int CalcCenteredTextX(int x, int t, int n, int e) { return x - (WidestText(t, n, e) * 16) / 2; }

SYSTEMTEXTBOX BuildSystemTextBox(int t, int n, int e) {
  SYSTEMTEXTBOX box{0, 0, std::string()};
  if (n <= 0) return box;
  box.nWidth = WidestText(t, n, e) * 16;
  box.nHeight = n * 16;
  for (int i = 0; i < n; ++i) {
    if (e != 0) box.strText += ' ';
    box.strText += g_System.m_vecText.CheckedAt(t + i);
    box.strText += '\n';
  }
  return box;
}

void DrawSystemTexts(int x, int y, int t, int n, int e) {
  if (n <= 0) return;
  SystemTextBoxDrawer pfn = s_pfnDrawer.load();
  SYSTEMTEXTBOX box = BuildSystemTextBox(t, n, e);
  if (pfn) pfn(x, y, box.nWidth, box.nHeight, box.strText);
}

void SetSystemTextBoxDrawer(SystemTextBoxDrawer pfn) { s_pfnDrawer.store(pfn); }

int CheckPercentThreshold(int i, int value, int max) {
  const cEdSystemElemB& item = g_System.m_vecStatusItem.CheckedAt(i);
  if (item.m_bLowMarkPercent) {
    double p;
    if (max != 0) {
      p = value * 100.0 / max;
    } else {
      // What the division by zero gives in IEEE arithmetic.
      p = value > 0 ? std::numeric_limits<double>::infinity()
          : value < 0 ? -std::numeric_limits<double>::infinity()
                      : std::numeric_limits<double>::quiet_NaN();
    }
    return static_cast<double>(item.m_nLowMark) >= p ? 1 : 0;
  }
  return value <= item.m_nLowMark ? 1 : 0;
}
