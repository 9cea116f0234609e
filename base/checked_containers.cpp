#include "base/checked_containers.h"

#include <atomic>
#include <string>

#include "platform/messages.h"
#include "base/report.h"

namespace {
// Written by whichever thread fails an access, read by start-up on the
// window thread; atomic, nothing else hangs on it.
std::atomic<int> s_nCheckedAccessFailures{0};
}  // namespace

int CheckedAccessFailures() { return s_nCheckedAccessFailures.load(); }

void ReportCheckedAccess(char kind, int index, int size, int elementSize) {
  ++s_nCheckedAccessFailures;
  std::string text;
  FormatString(text, "err %c[%d] ( %d , %d )", kind, index, size, elementSize);
  LogLine(text.c_str());
  ReportLine(text);
  PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
}

void FillInt(cVector<int32_t>& v, int32_t n) {
  for (int i = 0; i < static_cast<int>(v.size()); ++i) v.CheckedAt(i) = n;
}

void FillByte(cVector<uint8_t>& v, uint8_t b) {
  for (int i = 0; i < static_cast<int>(v.size()); ++i) v.CheckedAt(i) = b;
}
