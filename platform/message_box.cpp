#include "platform/message_box.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/test_seams.h"
#include "platform/text_cp932.h"

namespace {

std::atomic<MESSAGEBOXDRIVER> s_pfnDriver{nullptr};

int DefaultAnswer(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_YESNO: return IDNO;
    case MB_OKCANCEL:
    case MB_YESNOCANCEL: return IDCANCEL;
    default: return IDOK;
  }
}

// A scripted answer that the box offers, or the default.
int AnswerFor(const std::string& a, UINT type) {
  UINT t = type & MB_TYPEMASK;
  bool yesNo = t == MB_YESNO || t == MB_YESNOCANCEL;
  bool cancel = t == MB_OKCANCEL || t == MB_YESNOCANCEL;
  bool ok = t == MB_OK || t == MB_OKCANCEL;
  if (a == "yes" && yesNo) return IDYES;
  if (a == "no" && yesNo) return IDNO;
  if (a == "cancel" && cancel) return IDCANCEL;
  if (a == "ok" && ok) return IDOK;
  return DefaultAnswer(type);
}

}  // namespace

void SetMessageBoxDriver(MESSAGEBOXDRIVER pfn) { s_pfnDriver.store(pfn); }

int MessageBoxA(HWND hOwner, std::string_view text, std::string_view caption, UINT type) {
  MESSAGEBOXDRIVER drv = s_pfnDriver.load();
  if (drv && !IsHeadless()) return drv(hOwner, text, caption, type);
  static std::mutex s_Out;
  std::string answer;
  int result = NextScriptedAnswer(answer) ? AnswerFor(answer, type) : DefaultAnswer(type);
  {
    std::lock_guard<std::mutex> lk(s_Out);
    std::fprintf(stderr, "[%s] %s\n", Cp932ToUtf8(caption).c_str(), Cp932ToUtf8(text).c_str());
    std::fflush(stderr);
  }
  return result;
}
