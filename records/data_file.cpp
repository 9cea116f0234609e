#include "records/data_file.h"

#include <unistd.h>

#include <atomic>
#include <cstring>

#include "platform/file_system.h"
#include "platform/text_cp932.h"
#include "base/report.h"

int32_t g_nCurDataVersion = 0;
int32_t g_nFileDataVersion = 0;
BOOL g_bStripCR = 0;

namespace {
std::atomic<int64_t> s_nWriteLimit{-1};
std::atomic<uint32_t> s_nTempSerial{0};
}  // namespace

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
  f->m_strTemp = f->m_strTarget + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(++s_nTempSerial);
  f->m_fp = std::fopen(f->m_strTemp.c_str(), "wb");
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
