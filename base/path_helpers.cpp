#include "base/path_helpers.h"

#include <vector>

#include "platform/file_system.h"
#include "platform/text_cp932.h"

namespace {

bool IsAbsolute(const std::string& p) {
  if (p.empty()) return false;
  if (p[0] == '\\' || p[0] == '/') return true;
  return p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

std::vector<std::string> SplitPath(const std::string& p) {
  std::vector<std::string> parts;
  std::string cur;
  for (size_t i = 0; i < p.size(); ++i) {
    uint8_t c = static_cast<uint8_t>(p[i]);
    if (IsSjisLeadByte(c) && i + 1 < p.size()) {
      cur += p[i];
      cur += p[i + 1];
      ++i;
    } else if (c == '\\' || c == '/') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += p[i];
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
    if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
    if (x != y) return false;
  }
  return true;
}

// The position of the extension's "." in the file name, or npos.
size_t ExtensionDot(const std::string& path) {
  size_t start = FileNameStart(path);
  size_t dot = std::string::npos;
  for (size_t i = start; i < path.size(); ++i) {
    uint8_t c = static_cast<uint8_t>(path[i]);
    if (IsSjisLeadByte(c) && i + 1 < path.size()) {
      ++i;
    } else if (c == '.') {
      dot = i;
    }
  }
  return dot;
}

}  // namespace

size_t FileNameStart(const std::string& path) {
  // A forward scan: a trail byte can look like "\" (0x5C), and one can also
  // look like a lead byte, so only a walk from the start knows the pairs.
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    uint8_t c = static_cast<uint8_t>(path[i]);
    if (IsSjisLeadByte(c) && i + 1 < path.size()) {
      ++i;
    } else if (c == '\\' || c == '/') {
      start = i + 1;
    }
  }
  return start;
}

BOOL MakeRelativePath(std::string& path) {
  if (!IsAbsolute(path)) return TRUE;
  std::string cwd = GetCurrentDirectoryCp932();
  if (cwd.empty()) return FALSE;
  std::vector<std::string> from = SplitPath(cwd);
  std::vector<std::string> to = SplitPath(path);
  size_t common = 0;
  while (common < from.size() && common < to.size() && SameIgnoringCase(from[common], to[common])) ++common;
  if (common == 0) return FALSE;
  std::string rel;
  for (size_t i = common; i < from.size(); ++i) rel += "..\\";
  if (rel.empty()) rel = ".\\";
  for (size_t i = common; i < to.size(); ++i) {
    rel += to[i];
    if (i + 1 < to.size()) rel += "\\";
  }
  path = rel;
  return TRUE;
}

BOOL MakeAbsolutePath(std::string& path) {
  if (IsAbsolute(path)) return TRUE;
  std::string cwd = GetCurrentDirectoryCp932();
  if (cwd.empty()) return FALSE;
  if (cwd.back() != '\\') cwd += '\\';
  path = cwd + path;
  return TRUE;
}

void StripDirectory(std::string& path) {
  size_t start = FileNameStart(path);
  if (start > 0) path.erase(0, start);
}

BOOL ReplaceExtension(std::string& dst, const std::string& src, const char* pszExt) {
  dst = src;
  size_t dot = ExtensionDot(src);
  if (dot == std::string::npos) return FALSE;
  if (pszExt) {
    dst.resize(dot + 1);
    dst += pszExt;
  } else {
    dst.resize(dot);
  }
  return TRUE;
}

BOOL RemoveExtension(std::string& path) {
  size_t dot = ExtensionDot(path);
  if (dot == std::string::npos) return FALSE;
  path.resize(dot);
  return TRUE;
}

BOOL GetExtension(std::string& dst, const std::string& path) {
  size_t dot = ExtensionDot(path);
  if (dot == std::string::npos) return FALSE;
  dst = path.substr(dot + 1);
  return TRUE;
}

BOOL MakeNumberedName(std::string& dst, const std::string& src, int nDigit1, int nDigit2) {
  size_t dot = ExtensionDot(src);
  if (dot == std::string::npos) return FALSE;
  dst = src.substr(0, dot);
  dst += '_';
  dst += static_cast<char>('0' + nDigit1);
  dst += static_cast<char>('0' + nDigit2);
  dst += src.substr(dot);
  return TRUE;
}

BOOL FindLatestNumberedFile(std::string& dst, const std::string& path, const char* pszExt) {
  std::string work;
  if (!ReplaceExtension(work, path, pszExt)) work = path;
  size_t nameStart = FileNameStart(work);
  std::string folder = work.substr(0, nameStart);
  std::string stem = work.substr(nameStart) + "_";
  // One listing of the folder answers what a probe per number would.
  int best = -1;
  for (const std::string& name : ListFolder(folder)) {
    if (name.size() != stem.size() + 3) continue;
    if (!SameIgnoringCase(name.substr(0, stem.size()), stem)) continue;
    int n = 0;
    bool digits = true;
    for (size_t i = stem.size(); i < name.size(); ++i) {
      if (name[i] < '0' || name[i] > '9') {
        digits = false;
        break;
      }
      n = n * 10 + (name[i] - '0');
    }
    if (digits && n > best) best = n;
  }
  if (best < 0) return FALSE;
  char digits[4] = {static_cast<char>('0' + best / 100), static_cast<char>('0' + best / 10 % 10),
                    static_cast<char>('0' + best % 10), '\0'};
  dst = work + "_" + digits;
  return TRUE;
}
