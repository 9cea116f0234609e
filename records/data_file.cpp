#include "records/data_file.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "platform/file_system.h"
#include "platform/text_cp932.h"
#include "base/report.h"

int32_t g_nCurDataVersion = 0;
int32_t g_nFileDataVersion = 0;
BOOL g_bStripCR = 0;

namespace fs = std::filesystem;

namespace {
std::atomic<int64_t> s_nWriteLimit{-1};
std::atomic<uint32_t> s_nTempSerial{0};

// A save's temporary file is named "<target>" + kTempMark + "<pid>-<serial>",
// a shape no file of a game or a player has, so that one left by a copy
// that was killed during a save is known for ours.
constexpr std::string_view kTempMark = ".t4save~";

std::string TempNameFor(const std::string& target) {
  return target + std::string(kTempMark) + std::to_string(::getpid()) + "-" + std::to_string(++s_nTempSerial);
}

bool AllDigits(std::string_view s) {
  return !s.empty() && s.size() <= 10 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// True for the name of a save's temporary file of a copy that no longer
// runs; a copy still saving keeps its file. `target`, when not empty, is the
// only target name whose files count.
bool IsStaleTempName(std::string_view name, std::string_view target) {
  size_t at = name.rfind(kTempMark);
  if (at == std::string_view::npos || at == 0) return false;
  if (!target.empty() && name.substr(0, at) != target) return false;
  std::string_view tail = name.substr(at + kTempMark.size());
  size_t dash = tail.find('-');
  if (dash == std::string_view::npos || !AllDigits(tail.substr(0, dash)) || !AllDigits(tail.substr(dash + 1)))
    return false;
  long pid = std::strtol(std::string(tail.substr(0, dash)).c_str(), nullptr, 10);
  if (pid == ::getpid()) return false;
  return pid <= 0 || pid > INT32_MAX || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

// Removes the stale temporary files of `target` (a native path) beside it.
void RemoveStaleTempsOf(const std::string& target) {
  fs::path t(target);
  fs::path folder = t.has_parent_path() ? t.parent_path() : fs::path(".");
  const std::string name = t.filename().string();
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (IsStaleTempName(it->path().filename().string(), name) && it->is_regular_file(ec)) fs::remove(it->path(), ec);
  }
}

}  // namespace

void RemoveStaleSaveTemps(const std::string& cp932Folder) {
  std::error_code ec;
  const fs::path root(cp932Folder.empty() ? std::string(".") : ResolvePath(cp932Folder));
  // Links to folders are not followed: only the game's own folders are
  // cleaned.
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    if (it.depth() > 8) {
      it.disable_recursion_pending();
      continue;
    }
    std::error_code kindEc;
    if (IsStaleTempName(it->path().filename().string(), "") && it->is_regular_file(kindEc) && !kindEc) {
      std::error_code rmEc;
      fs::remove(it->path(), rmEc);
    }
  }
}

void SetDataFileWriteLimitForTests(int64_t nBytes) { s_nWriteLimit = nBytes; }

cDataFile::~cDataFile() {
  if (m_fp) std::fclose(m_fp);
  if (m_bWriting && !m_strTemp.empty()) ::unlink(m_strTemp.c_str());
}

void cDataFile::Fail(const char* what) {
  if (m_bFailed) return;
  m_bFailed = true;
  if (m_bWriting) {
    Reportf(Sjis("%s の書き込みに失敗しました（%s）").c_str(), m_strPath.c_str(), what);
  } else {
    Reportf(Sjis("データファイル %s が破損しています（%s、%lld バイト目）").c_str(), m_strPath.c_str(), what,
            static_cast<long long>(m_nPos));
  }
}

bool cDataFile::ReadBytes(void* p, size_t n) {
  if (m_bFailed || m_bWriting || static_cast<int64_t>(n) > m_nSize - m_nPos) {
    std::memset(p, 0, n);
    if (!m_bFailed) Fail("short file");
    return false;
  }
  if (n == 0) return true;
  if (std::fread(p, 1, n, m_fp) != n) {
    std::memset(p, 0, n);
    Fail("read error");
    return false;
  }
  m_nPos += static_cast<int64_t>(n);
  return true;
}

uint32_t cDataFile::ReadCount(size_t nMinElementBytes, const char* what) {
  uint32_t n = 0;
  if (!ReadU32(n)) return 0;
  if (nMinElementBytes == 0) nMinElementBytes = 1;
  if (static_cast<uint64_t>(n) * nMinElementBytes > static_cast<uint64_t>(BytesLeft())) {
    Fail(what);
    return 0;
  }
  return n;
}

bool cDataFile::ReadString(std::string& s) {
  uint32_t len = 0;
  if (!ReadU32(len)) return false;
  // A length word of 0 is never written; it reads as the empty string.
  if (len <= 1) {
    s.clear();
    return true;
  }
  if (static_cast<int64_t>(len) > BytesLeft()) {
    Fail("string length");
    return false;
  }
  std::string buf(len, '\0');
  if (!ReadBytes(buf.data(), len)) return false;
  // The text ends at its first NUL, within the bytes read.
  size_t nul = buf.find('\0');
  if (nul != std::string::npos) buf.resize(nul);
  s = std::move(buf);
  return true;
}

bool cDataFile::WriteBytes(const void* p, size_t n) {
  if (m_bFailed || !m_bWriting) return false;
  if (n == 0) return true;
  int64_t limit = s_nWriteLimit.load();
  if (limit >= 0 && m_nPos + static_cast<int64_t>(n) > limit) {
    Fail("write error");
    return false;
  }
  if (std::fwrite(p, 1, n, m_fp) != n) {
    Fail("write error");
    return false;
  }
  m_nPos += static_cast<int64_t>(n);
  return true;
}

bool cDataFile::WriteString(const std::string& s) {
  // Texts longer than a data file holds are cut on a character boundary, so
  // no half of a double-byte character is left at the end.
  size_t len = s.size();
  size_t nul = s.find('\0');
  if (nul != std::string::npos) len = nul;
  if (len > DATA_STRING_MAX) {
    size_t i = 0;
    while (i < DATA_STRING_MAX) {
      size_t step = (IsSjisLeadByte(static_cast<uint8_t>(s[i])) && i + 1 < len) ? 2 : 1;
      if (i + step > DATA_STRING_MAX) break;
      i += step;
    }
    len = i;
  }
  if (!WriteU32(static_cast<uint32_t>(len + 1))) return false;
  if (len == 0) return true;
  return WriteBytes(s.data(), len) && WriteU8(0);
}

std::unique_ptr<cDataFile> OpenDataFileRead(const std::string& path) {
  std::string name = path.empty() ? std::string("err") : path;
  FILE* fp = OpenFile(name, "rb");
  if (!fp) return nullptr;
  std::unique_ptr<cDataFile> f(new cDataFile());
  f->m_fp = fp;
  f->m_strPath = name;
  if (std::fseek(fp, 0, SEEK_END) == 0) {
    long size = std::ftell(fp);
    f->m_nSize = size < 0 ? 0 : size;
  }
  std::fseek(fp, 0, SEEK_SET);
  uint32_t version = 0;
  if (!f->ReadU32(version)) return nullptr;
  g_nFileDataVersion = static_cast<int32_t>(version);
  return f;
}

std::unique_ptr<cDataFile> OpenDataFileWrite(const std::string& path) {
  if (path.empty()) return nullptr;
  std::unique_ptr<cDataFile> f(new cDataFile());
  f->m_strPath = path;
  f->m_strTarget = ResolvePath(path);
  RemoveStaleTempsOf(f->m_strTarget);
  f->m_strTemp = TempNameFor(f->m_strTarget);
  f->m_fp = OpenNativeFile(f->m_strTemp, "wb");
  if (!f->m_fp) {
    f->m_strTemp.clear();
    return nullptr;
  }
  f->m_bWriting = true;
  f->WriteI32(g_nCurDataVersion);
  return f;
}

BOOL CloseDataFile(std::unique_ptr<cDataFile>& f) {
  if (!f) return 0;
  BOOL ok = f->m_bFailed ? 0 : 1;
  if (f->m_bWriting) {
    FILE* fp = f->m_fp;
    f->m_fp = nullptr;
    if (std::fflush(fp) != 0 || ::fsync(fileno(fp)) != 0) ok = 0;
    if (std::fclose(fp) != 0) ok = 0;
    if (ok && std::rename(f->m_strTemp.c_str(), f->m_strTarget.c_str()) != 0) ok = 0;
    if (ok) {
      f->m_strTemp.clear();
    } else if (!f->m_bFailed) {
      f->Fail("close");
    }
  }
  f.reset();
  return ok;
}
