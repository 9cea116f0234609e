#include "platform/text_cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

// iconv descriptors are not safe to share between threads; one pair per
// thread, opened on first use.
struct cConverter {
  iconv_t m_cd;
  explicit cConverter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~cConverter() {
    if (m_cd != (iconv_t)-1) iconv_close(m_cd);
  }
};

iconv_t ToUtf8() {
  thread_local cConverter c("UTF-8", "CP932");
  return c.m_cd;
}

iconv_t FromUtf8() {
  thread_local cConverter c("CP932", "UTF-8");
  return c.m_cd;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view in) {
  std::string out;
  iconv_t cd = ToUtf8();
  if (cd == (iconv_t)-1) return std::string(in);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.reserve(in.size() * 3 / 2 + 4);
  char buf[1024];
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  while (left > 0) {
    char* dst = buf;
    size_t room = sizeof buf;
    size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, dst - buf);
    if (r == (size_t)-1) {
      if (errno == E2BIG) continue;
      // An invalid or cut-off sequence: one replacement character for the
      // byte, and go on after it.
      out.append("\xEF\xBF\xBD");
      ++src;
      --left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

std::string Utf8ToCp932(std::string_view in, bool* pbOk) {
  if (pbOk) *pbOk = true;
  std::string out;
  iconv_t cd = FromUtf8();
  if (cd == (iconv_t)-1) {
    if (pbOk) *pbOk = false;
    return out;
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.reserve(in.size());
  char buf[1024];
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  while (left > 0) {
    char* dst = buf;
    size_t room = sizeof buf;
    size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, dst - buf);
    if (r == (size_t)-1 && errno != E2BIG) {
      if (pbOk) *pbOk = false;
      return std::string();
    }
  }
  return out;
}

std::string Sjis(std::string_view utf8) {
  bool ok = false;
  std::string s = Utf8ToCp932(utf8, &ok);
  if (!ok) {
    std::fprintf(stderr, "Sjis: text does not convert to CP932\n");
    std::abort();
  }
  return s;
}
