// A data file as the records read and write it: a u32 data version, then one
// record. A file is read into memory whole when it is opened and parsed from
// there. Every read is checked against the bytes left in the file, so a
// short or damaged file stops the read with one report line instead of
// reading garbage or allocating without bound. Writes go to a temporary file
// beside the target, which replaces the target only when every write and the
// close succeeded.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/win_types.h"

// The system's data version (667 once start-up has run), the version of the
// file read last, and whether strings lose their carriage returns on reading.
// Threads: g_nCurDataVersion and g_bStripCR are set by InitGame before the
// game thread starts and only read after. g_nFileDataVersion is written by
// the thread reading a file: start-up on the window thread, then the game
// thread, or thLoader while the thread that started it waits; one file is
// read at a time, so no two threads touch it together.
extern int32_t g_nCurDataVersion;
extern int32_t g_nFileDataVersion;
extern BOOL g_bStripCR;

constexpr int32_t DATA_VERSION_CURRENT = 667;
// The longest text a string of a data file holds.
constexpr size_t DATA_STRING_MAX = 5119;

// memcpy for the short copies of members, without a call: sizes up to 16
// bytes as two overlapping moves.
inline void CopySmall(void* pDst, const void* pSrc, size_t n) {
  auto* d = static_cast<uint8_t*>(pDst);
  auto* s = static_cast<const uint8_t*>(pSrc);
  if (n >= 8) {
    if (n > 16) {
      std::memcpy(d, s, n);
      return;
    }
    std::memcpy(d, s, 8);
    std::memcpy(d + n - 8, s + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(d, s, 4);
    std::memcpy(d + n - 4, s + n - 4, 4);
  } else if (n >= 2) {
    std::memcpy(d, s, 2);
    std::memcpy(d + n - 2, s + n - 2, 2);
  } else if (n == 1) {
    *d = *s;
  }
}

class cDataFile {
 public:
  ~cDataFile();
  cDataFile(const cDataFile&) = delete;
  cDataFile& operator=(const cDataFile&) = delete;

  bool IsWriting() const { return m_bWriting; }
  // Set by the first failed read or write; later reads give zeros and fail.
  bool Failed() const { return m_bFailed; }
  int64_t BytesLeft() const { return m_bWriting ? 0 : m_nSize - m_nPos; }
  int64_t Position() const { return m_nPos; }
  // Back (or on) to a position that Position() gave while reading, for a
  // list read twice; nothing on a written or failed file.
  void SeekRead(int64_t nPos) {
    if (m_bReadable && nPos >= 0 && nPos <= m_nSize) m_nPos = nPos;
  }
  const std::string& Path() const { return m_strPath; }

  bool ReadBytes(void* p, size_t n) {
    if (m_bReadable && n <= static_cast<uint64_t>(m_nSize - m_nPos)) {
      CopySmall(p, m_pData.get() + m_nPos, n);
      m_nPos += static_cast<int64_t>(n);
      return true;
    }
    return ReadBytesFailed(p, n);
  }
  // The next n bytes, taken from the file; null, with nothing taken and no
  // failure, when fewer are left.
  const uint8_t* NextBytes(size_t n) {
    if (!m_bReadable || n > static_cast<uint64_t>(m_nSize - m_nPos)) return nullptr;
    const uint8_t* p = m_pData.get() + m_nPos;
    m_nPos += static_cast<int64_t>(n);
    return p;
  }
  bool ReadU32(uint32_t& v) { return ReadBytes(&v, 4); }
  bool ReadI32(int32_t& v) { return ReadBytes(&v, 4); }
  bool ReadU16(uint16_t& v) { return ReadBytes(&v, 2); }
  bool ReadU8(uint8_t& v) { return ReadBytes(&v, 1); }
  bool ReadF64(double& v) { return ReadBytes(&v, 8); }
  // A u32 element count of a list whose elements take at least
  // nMinElementBytes each; a count the rest of the file cannot hold marks the
  // file damaged and gives 0.
  uint32_t ReadCount(size_t nMinElementBytes, const char* pszWhat) {
    uint32_t n = 0;
    if (!ReadU32(n)) return 0;
    if (nMinElementBytes == 0) nMinElementBytes = 1;
    if (static_cast<uint64_t>(n) * nMinElementBytes <= static_cast<uint64_t>(BytesLeft())) return n;
    Fail(pszWhat);
    return 0;
  }
  // A string in the data-file encoding (u32 length + 1, then text and NUL).
  bool ReadString(std::string& s) {
    uint32_t len = 0;
    if (!ReadU32(len)) return false;
    // A length word of 0 is never written; it reads as the empty string.
    if (len <= 1) {
      s.clear();
      return true;
    }
    return ReadStringText(s, len);
  }

  bool WriteBytes(const void* p, size_t n);
  bool WriteU32(uint32_t v) { return WriteBytes(&v, 4); }
  bool WriteI32(int32_t v) { return WriteBytes(&v, 4); }
  bool WriteU16(uint16_t v) { return WriteBytes(&v, 2); }
  bool WriteU8(uint8_t v) { return WriteBytes(&v, 1); }
  bool WriteF64(double v) { return WriteBytes(&v, 8); }
  bool WriteString(const std::string& s);

  // Marks the file damaged; the first call writes the report line.
  void Fail(const char* pszWhat);

 private:
  friend std::unique_ptr<cDataFile> OpenDataFileRead(const std::string& path);
  friend std::unique_ptr<cDataFile> OpenDataFileWrite(const std::string& path);
  friend BOOL CloseDataFile(std::unique_ptr<cDataFile>& pFile);
  cDataFile() = default;
  bool ReadBytesFailed(void* p, size_t n);
  bool ReadStringText(std::string& s, uint32_t len);

  std::unique_ptr<uint8_t[]> m_pData;  // the whole file, when reading
  FILE* m_fp = nullptr;                // the temporary file, when writing
  std::string m_strPath;     // as the game named it (CP932)
  std::string m_strTemp;     // native path of the temporary file being written
  std::string m_strTarget;   // native path that the temporary file replaces
  int64_t m_nSize = 0;
  int64_t m_nPos = 0;
  bool m_bWriting = false;
  bool m_bFailed = false;
  bool m_bReadable = false;  // read and not failed
};

// Opens for reading and reads the version word into g_nFileDataVersion;
// null when the file cannot be opened or holds no version word (the latter
// with a report line).
std::unique_ptr<cDataFile> OpenDataFileRead(const std::string& path);
// Opens the temporary file for the target and writes g_nCurDataVersion.
std::unique_ptr<cDataFile> OpenDataFileWrite(const std::string& path);
// Closes. For a written file: 1 when every write and the close succeeded and
// the target was replaced; 0 otherwise, and the target is left as it was.
// For a read file: 1 unless the file was found damaged.
BOOL CloseDataFile(std::unique_ptr<cDataFile>& pFile);

// Removes, in a folder (a game path, "user_data" at start-up) and its
// subfolders, the temporary files that saves of a copy killed mid-save left
// behind. A save removes those of its own target by itself.
void RemoveStaleSaveTemps(const std::string& cp932Folder);

// Tests only: the next n bytes written to any data file fail once written
// so far reaches this many bytes (-1: never).
void SetDataFileWriteLimitForTests(int64_t nBytes);
