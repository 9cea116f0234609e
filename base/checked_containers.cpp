#include "base/checked_containers.h"

#include <string>

#include "platform/messages.h"
#include "base/report.h"

void ReportCheckedAccess(char kind, int index, int size, int elementSize) {
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
