#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/text_cp932.h"

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = x - 'A' + 'a';
    if (y >= 'A' && y <= 'Z') y = y - 'A' + 'a';
    if (x != y) return false;
  }
  return true;
}

bool Exists(const std::string& native) {
  struct stat st;
  return ::lstat(native.c_str(), &st) == 0;
}

// The name on disk in folder `dir` for `name`, matched without regard to
// case; `name` itself when nothing matches.
std::string MatchInFolder(const std::string& dir, const std::string& name) {
  std::string probe = dir.empty() ? name : (dir == "/" ? "/" + name : dir + "/" + name);
  if (Exists(probe)) return name;
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return name;
  std::string found = name;
  while (dirent* e = ::readdir(d)) {
    if (SameIgnoringCase(e->d_name, name)) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

}  // namespace

std::string ResolvePath(std::string_view cp932Path) {
  std::string utf8 = Cp932ToUtf8(cp932Path);
  for (char& c : utf8) {
    if (c == '\\') c = '/';
  }
  std::string out;
  size_t pos = 0;
  if (!utf8.empty() && utf8[0] == '/') {
    out = "/";
    pos = 1;
  }
  bool missing = false;  // once a component is missing, the rest cannot exist
  while (pos <= utf8.size()) {
    size_t next = utf8.find('/', pos);
    if (next == std::string::npos) next = utf8.size();
    std::string comp = utf8.substr(pos, next - pos);
    pos = next + 1;
    if (comp.empty()) continue;
    std::string name = comp;
    if (!missing && comp != "." && comp != "..") {
      name = MatchInFolder(out, comp);
      std::string probe = out.empty() ? name : (out == "/" ? "/" + name : out + "/" + name);
      if (!Exists(probe)) missing = true;
    }
    if (out.empty() || out == "/") {
      out += name;
    } else {
      out += "/" + name;
    }
  }
  if (out.empty() && !utf8.empty()) out = utf8;
  return out;
}

FILE* OpenNativeFile(const std::string& nativePath, const char* mode) {
  if (nativePath.empty() || !mode) return nullptr;
  int flags;
  bool bEmpty = false;
  const bool bBoth = std::strchr(mode, '+') != nullptr;
  switch (mode[0]) {
    case 'r': flags = bBoth ? O_RDWR : O_RDONLY; break;
    case 'w': flags = (bBoth ? O_RDWR : O_WRONLY) | O_CREAT; bEmpty = true; break;
    case 'a': flags = (bBoth ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND; break;
    default: errno = EINVAL; return nullptr;
  }
  // Without O_NONBLOCK the open of a named pipe waits for its other end; the
  // kind is known only once it is open. O_TRUNC waits until it is known too.
  int fd = ::open(nativePath.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (!ok) errno = EINVAL;
  int fl = ok ? ::fcntl(fd, F_GETFL) : -1;
  ok = ok && fl >= 0 && ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) == 0;
  ok = ok && (!bEmpty || ::ftruncate(fd, 0) == 0);
  FILE* fp = ok ? ::fdopen(fd, mode) : nullptr;
  if (!fp) {
    int e = errno;
    ::close(fd);
    errno = e;
  }
  return fp;
}

FILE* OpenFile(std::string_view cp932Path, const char* mode) {
  if (cp932Path.empty()) return nullptr;
  return OpenNativeFile(ResolvePath(cp932Path), mode);
}

FILEREADRESULT ReadFileBytes(std::string_view cp932Path, uint64_t nMaxBytes, std::vector<uint8_t>& vBytes) {
  vBytes.clear();
  FILE* fp = OpenFile(cp932Path, "rb");
  if (!fp) return FILEREAD_NOFILE;
  bool ok = std::fseek(fp, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(fp) : -1;
  ok = size >= 0 && static_cast<uint64_t>(size) <= nMaxBytes && std::fseek(fp, 0, SEEK_SET) == 0;
  if (ok) {
    vBytes.resize(static_cast<size_t>(size));
    ok = vBytes.empty() || std::fread(vBytes.data(), 1, vBytes.size(), fp) == vBytes.size();
  }
  std::fclose(fp);
  if (!ok) vBytes.clear();
  return ok ? FILEREAD_OK : FILEREAD_FAILED;
}

DWORD GetFileAttributesA(std::string_view cp932Path) {
  if (cp932Path.empty()) return INVALID_FILE_ATTRIBUTES;
  struct stat st;
  if (::stat(ResolvePath(cp932Path).c_str(), &st) != 0) return INVALID_FILE_ATTRIBUTES;
  return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
}

BOOL PathIsDirectoryA(std::string_view cp932Path) {
  DWORD a = GetFileAttributesA(cp932Path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? TRUE : FALSE;
}

BOOL PathFileExistsA(std::string_view cp932Path) {
  return GetFileAttributesA(cp932Path) != INVALID_FILE_ATTRIBUTES ? TRUE : FALSE;
}

BOOL CreateDirectoryA(std::string_view cp932Path) {
  if (cp932Path.empty()) return FALSE;
  return ::mkdir(ResolvePath(cp932Path).c_str(), 0777) == 0 ? TRUE : FALSE;
}

std::vector<std::string> ListFolder(std::string_view cp932Folder) {
  std::vector<std::string> names;
  std::string dir = cp932Folder.empty() ? std::string(".") : ResolvePath(cp932Folder);
  DIR* d = ::opendir(dir.c_str());
  if (!d) return names;
  while (dirent* e = ::readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    bool ok = false;
    std::string n = Utf8ToCp932(e->d_name, &ok);
    if (ok) names.push_back(std::move(n));
  }
  ::closedir(d);
  return names;
}

std::string GetCurrentDirectoryCp932() {
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  if (ec) return std::string();
  bool ok = false;
  std::string s = Utf8ToCp932(cwd, &ok);
  if (!ok) return std::string();
  for (char& c : s) {
    if (c == '/') c = '\\';
  }
  return s;
}
