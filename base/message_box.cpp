#include "base/message_box.h"

#include <cstdarg>

#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"

int AppMessageBox(std::string_view text, std::string_view caption, UINT type) {
  // Our boxes are drawn in the game window in every display mode, so the
  // full-screen route of the original has nothing to add here.
  return MessageBoxA(g_hWndMain, text, caption, type);
}

int ErrorBox(std::string_view text) {
  static const std::string s_Caption = Sjis("エラー");
  return AppMessageBox(text, s_Caption, MB_OK);
}

int ErrorBoxf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string s = VFormat(fmt, ap);
  va_end(ap);
  return ErrorBox(s);
}

int ErrorBoxfIfLogging(const char* fmt, ...) {
  if (!g_bLogEnable) return 0;
  va_list ap;
  va_start(ap, fmt);
  std::string s = VFormat(fmt, ap);
  va_end(ap);
  return ErrorBox(s);
}

void ReportOutOfMemory() {
  static const std::string s_Text = Sjis("メモリが不足しています！");
  ErrorBox(s_Text);
  PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
}

BOOL IsDbcsPair(const char* p) {
  if (!p || !p[0]) return FALSE;
  return IsSjisLeadByte(static_cast<uint8_t>(p[0])) && IsSjisTrailByte(static_cast<uint8_t>(p[1])) ? TRUE : FALSE;
}

int CountMbcsChars(std::string_view text) {
  int n = 0;
  size_t i = 0;
  while (i < text.size() && text[i] != '\0') {
    uint8_t c = static_cast<uint8_t>(text[i]);
    if (IsSjisLeadByte(c) && i + 1 < text.size() && IsSjisTrailByte(static_cast<uint8_t>(text[i + 1]))) {
      ++n;
      i += 2;
    } else {
      if (c != '\n') ++n;
      ++i;
    }
  }
  return n;
}
