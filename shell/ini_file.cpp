#include "shell/ini_file.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/file_system.h"
#include "platform/text_cp932.h"
#include "base/report.h"

INIVALUES g_Ini;

namespace {

// Which value each position of the key table sets.
int32_t* IntFieldAt(INIVALUES& v, size_t nPos) {
  switch (nPos) {
    case 0: return &v.nDirect3D;
    case 1: return &v.nWindowMode;
    case 2: return &v.nBpp;
    case 3: return &v.nVSync;
    case 4: return &v.nD3D_FontCache;
    case 5: return &v.nDD_FontCache;
    case 6: return &v.nDD_VideoStretch;
    case 7: return &v.nShowFps;
    default: return nullptr;
  }
}

// atoi as the original's runtime had it: leading white space, a sign, digits;
// out-of-range numbers stop at the int limits instead of being undefined.
int32_t IniAtoi(const std::string& s) {
  long long n = std::strtoll(s.c_str(), nullptr, 10);
  if (n > INT_MAX) return INT_MAX;
  if (n < INT_MIN) return INT_MIN;
  return static_cast<int32_t>(n);
}

// At most nMax bytes, without leaving half of a double-byte character.
std::string CutToField(const std::string& s, size_t nMax) {
  if (s.size() <= nMax) return s;
  size_t i = 0;
  while (i < nMax) {
    bool pair = IsSjisLeadByte(static_cast<uint8_t>(s[i])) && i + 1 < s.size();
    size_t step = pair ? 2 : 1;
    if (i + step > nMax) break;
    i += step;
  }
  return s.substr(0, i);
}

void ApplyIniValue(INIVALUES& values, const INIKEYTABLE& table, const std::string& key, const std::string& value) {
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].strName != key) continue;
    if (int32_t* p = IntFieldAt(values, i)) {
      *p = IniAtoi(value);
    } else if (i == kIniPositionFreeStage) {
      if (value.size() >= 2 && value.size() <= kFreeStageMax) values.szFreeStage = value;
    }
    return;
  }
}

struct FILECLOSER {
  void operator()(FILE* fp) const { std::fclose(fp); }
};

}  // namespace

const INIKEYTABLE& DefaultIniKeyTable() {
  static const INIKEYTABLE s_Table = {
      {"Direct3D", 2, ""},      {"WindowMode", 0, ""},    {"Bpp", 0, ""},
      {"VSync", 2, ""},         {"D3D_FontCache", 0, ""}, {"DD_FontCache", 1, ""},
      {"DD_VideoStretch", 0, ""}, {"ShowFps", 1, ""},     {"FreeStage", 0, ""},
  };
  return s_Table;
}

void SetIniDefaults(INIVALUES& values, const INIKEYTABLE& table) {
  // A table shorter than a new project's takes the missing defaults from the
  // new project's table, so no value is left as it happened to be.
  const INIKEYTABLE& fallback = DefaultIniKeyTable();
  auto keyAt = [&](size_t i) -> const INIKEY& { return i < table.size() ? table[i] : fallback[i]; };
  for (size_t i = 0; i < kIniPositionFreeStage; ++i) *IntFieldAt(values, i) = keyAt(i).nDefault;
  values.szFreeStage = CutToField(keyAt(kIniPositionFreeStage).strDefault, kFreeStageMax);
}

BOOL ReadIniFile(const std::string& path, INIVALUES& values, const INIKEYTABLE& table) {
  std::unique_ptr<FILE, FILECLOSER> fp(OpenFile(path, "rb"));
  if (!fp) return FALSE;
  FILE* f = fp.get();
  const std::string exitLine = "Exit";
  for (int nLine = 0; nLine < kIniLineMax; ++nLine) {
    std::string key;
    bool bEquals = false;
    for (;;) {
      int c = std::fgetc(f);
      // Mended: a last line "Exit" without a line feed still ends the file
      // properly (the original failed it and dropped every value).
      if (c == EOF) return key == exitLine ? TRUE : FALSE;
      if (c == '\0') return TRUE;
      if (c == '=') {
        bEquals = true;
        break;
      }
      if (c == '\n') break;
      if (c == '\r' || c == ' ' || c == '\t') continue;
      if (key.size() >= kIniTextMax) return FALSE;
      key += static_cast<char>(c);
    }
    if (!bEquals) {
      if (key == exitLine) return TRUE;
      continue;
    }
    std::string value;
    int end;
    for (;;) {
      end = std::fgetc(f);
      if (end == EOF || end == ' ' || end == '\t' || end == '/' || end == '\n' || end == '\0') break;
      if (value.size() >= kIniTextMax) return FALSE;
      value += static_cast<char>(end);
    }
    // Mended: the carriage return of a CRLF line is not part of the value
    // (the original kept it, so a "FreeStage" path never named a file).
    if ((end == '\n' || end == EOF) && !value.empty() && value.back() == '\r') value.pop_back();
    ApplyIniValue(values, table, key, value);
  }
  return TRUE;
}

void LoadSystemIni(INIVALUES& values, const INIKEYTABLE& table) {
  SetIniDefaults(values, table);
  if (!ReadIniFile("System.ini", values, table)) {
    ReportLogAndErrorBoxf("%s", Sjis("System.ini の読み込みに失敗しました！").c_str());
    SetIniDefaults(values, table);
  }
  // A negative "Direct3D" has no meaning, and -1 would read as a cancelled
  // start-up dialog: it takes the table's default, or "ask" when the table's
  // default is negative too.
  if (values.nDirect3D < 0) {
    const INIKEY& key = table.empty() ? DefaultIniKeyTable()[0] : table[0];
    values.nDirect3D = key.nDefault >= 0 ? key.nDefault : DefaultIniKeyTable()[0].nDefault;
  }
}
