#include "records/data_file.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
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

// The whole of an open regular file. False on a read error or when it is
// too large to hold; a file cut short while it is read counts as the
// shorter file.
bool ReadWholeFile(FILE* fp, std::unique_ptr<uint8_t[]>& pData, int64_t& nSize) {
  struct stat st;
  if (::fstat(::fileno(fp), &st) != 0 || st.st_size < 0) return false;
  const uint64_t n = static_cast<uint64_t>(st.st_size);
  if (n > static_cast<uint64_t>(PTRDIFF_MAX)) return false;
  pData.reset(new (std::nothrow) uint8_t[n ? n : 1]);
  if (!pData) return false;
  const size_t got = n ? std::fread(pData.get(), 1, n, fp) : 0;
  if (got != n && std::ferror(fp)) return false;
  nSize = static_cast<int64_t>(got);
  return true;
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
  m_bReadable = false;
  if (m_bWriting) {
    Reportf(Sjis("%s の書き込みに失敗しました（%s）").c_str(), m_strPath.c_str(), what);
  } else {
    Reportf(Sjis("データファイル %s が破損しています（%s、%lld バイト目）").c_str(), m_strPath.c_str(), what,
            static_cast<long long>(m_nPos));
  }
}

bool cDataFile::ReadBytesFailed(void* p, size_t n) {
  std::memset(p, 0, n);
  if (!m_bFailed) Fail("short file");
  return false;
}

bool cDataFile::ReadStringText(std::string& s, uint32_t len) {
  if (!m_bReadable || static_cast<int64_t>(len) > BytesLeft()) {
    Fail("string length");
    return false;
  }
  // The text ends at its first NUL, within the bytes read.
  const char* p = reinterpret_cast<const char*>(m_pData.get() + m_nPos);
  const void* nul = std::memchr(p, 0, len);
  s.assign(p, nul ? static_cast<const char*>(nul) - p : len);
  m_nPos += len;
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
  f->m_strPath = name;
  bool bRead = ReadWholeFile(fp, f->m_pData, f->m_nSize);
  std::fclose(fp);
  if (!bRead) {
    f->Fail("read error");
    return nullptr;
  }
  f->m_bReadable = true;
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
