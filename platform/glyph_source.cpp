// The glyph sources: FreeType faces found through fontconfig, and the fake
// source of the tests.
#include "platform/glyph_source.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <future>
#include <map>
#include <mutex>
#include <system_error>
#include <strings.h>

#include "platform/text_cp932.h"

namespace {

// ---- The face-name table ----------------------------------------------------

// Windows faces (as the project's face table and the font table name them)
// and the Debian family drawn in their place. fontconfig knows none of the
// Windows names and would answer a Latin face for them.
struct FACEMAP {
  const char* szWindowsFace;  // UTF-8
  const char* szFamily;
};
constexpr const char* kGothic = "IPAGothic";
constexpr const char* kPGothic = "IPAPGothic";
constexpr const char* kMincho = "IPAMincho";
constexpr const char* kPMincho = "IPAPMincho";
const FACEMAP s_aFaceMap[] = {
    {"ＭＳ ゴシック", kGothic},       {"MS Gothic", kGothic},
    {"ＭＳ Ｐゴシック", kPGothic},    {"MS PGothic", kPGothic},
    {"MS UI Gothic", kPGothic},       {"ＭＳ 明朝", kMincho},
    {"MS Mincho", kMincho},           {"ＭＳ Ｐ明朝", kPMincho},
    {"MS PMincho", kPMincho},         {"メイリオ", kPGothic},
    {"Meiryo", kPGothic},             {"HGｺﾞｼｯｸE", kGothic},
    {"HGSｺﾞｼｯｸE", kGothic},           {"HGPｺﾞｼｯｸE", kPGothic},
    {"HGｺﾞｼｯｸM", kGothic},            {"HGSｺﾞｼｯｸM", kGothic},
    {"HGPｺﾞｼｯｸM", kPGothic},          {"HG丸ｺﾞｼｯｸM-PRO", kGothic},
    {"HG創英角ｺﾞｼｯｸUB", kGothic},     {"HGS創英角ｺﾞｼｯｸUB", kGothic},
    {"HGP創英角ｺﾞｼｯｸUB", kPGothic},   {"HG創英角ﾎﾟｯﾌﾟ体", kGothic},
    {"HGS創英角ﾎﾟｯﾌﾟ体", kGothic},    {"HGP創英角ﾎﾟｯﾌﾟ体", kPGothic},
    {"HG明朝B", kMincho},             {"HGS明朝B", kMincho},
    {"HGP明朝B", kPMincho},           {"HG明朝E", kMincho},
    {"HGS明朝E", kMincho},            {"HGP明朝E", kPMincho},
    {"HG行書体", kMincho},            {"HGS行書体", kMincho},
    {"HGP行書体", kPMincho},          {"HG教科書体", kMincho},
    {"HGS教科書体", kMincho},         {"HGP教科書体", kPMincho},
    {"HG正楷書体-PRO", kMincho},      {"HG創英ﾌﾟﾚｾﾞﾝｽEB", kMincho},
    {"HGS創英ﾌﾟﾚｾﾞﾝｽEB", kMincho},    {"HGP創英ﾌﾟﾚｾﾞﾝｽEB", kPMincho},
    // An empty name asks for the default face of the Shift-JIS character set.
    {"", kGothic},
};

// ---- Characters -------------------------------------------------------------

int CharCode(std::string_view szChar) {
  if (szChar.empty()) return 0;
  int c = static_cast<uint8_t>(szChar[0]);
  if (szChar.size() >= 2) c = c << 8 | static_cast<uint8_t>(szChar[1]);
  return c;
}

// The Unicode code point of one CP932 character, 0 when it has none.
char32_t CodePointOf(std::string_view szChar) {
  if (szChar.size() == 1) {
    uint8_t b = static_cast<uint8_t>(szChar[0]);
    if (b < 0x20 || b == 0x7F) return 0;
    // A Japanese system shows byte 5C as the yen sign.
    if (b == 0x5C) return 0xA5;
    if (b < 0x80) return b;
  }
  std::string u = Cp932ToUtf8(szChar);
  if (u.empty()) return 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(u.data());
  char32_t cp;
  if (p[0] < 0x80) cp = p[0];
  else if ((p[0] & 0xE0) == 0xC0 && u.size() >= 2) cp = (p[0] & 0x1Fu) << 6 | (p[1] & 0x3Fu);
  else if ((p[0] & 0xF0) == 0xE0 && u.size() >= 3) cp = (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
  else if ((p[0] & 0xF8) == 0xF0 && u.size() >= 4)
    cp = (p[0] & 0x07u) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
  else return 0;
  return cp == 0xFFFD ? 0 : cp;
}

// ---- FreeType ---------------------------------------------------------------

// FreeType's library object is not safe across threads; fonts are made on
// the window thread and drawn on the drawing thread, so every call goes
// through this lock.
std::mutex s_FreeTypeMutex;

// The file fontconfig gives for a family; "" when it has no font of exactly
// that family (it would otherwise answer its nearest Latin face).
std::string FindFontFile(FcConfig* cfg, const std::string& familyUtf8) {
  FcPattern* pat = FcPatternCreate();
  if (!pat) return "";
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(familyUtf8.c_str()));
  FcConfigSubstitute(cfg, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res = FcResultNoMatch;
  FcPattern* match = FcFontMatch(cfg, pat, &res);
  FcPatternDestroy(pat);
  if (!match) return "";
  std::string file;
  bool bSameFamily = false;
  FcChar8* s = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &s) == FcResultMatch; ++i)
    if (strcasecmp(reinterpret_cast<const char*>(s), familyUtf8.c_str()) == 0) bSameFamily = true;
  if (bSameFamily && FcPatternGetString(match, FC_FILE, 0, &s) == FcResultMatch)
    file = reinterpret_cast<const char*>(s);
  FcPatternDestroy(match);
  return file;
}

class cFreeTypeFace : public cGlyphFace {
 public:
  cFreeTypeFace(FT_Library lib, const std::string& file, const std::string& fallbackFile, int nWidth, int nHeight)
      : m_nHeight(std::max(nHeight, 1)) {
    m_Face = OpenSized(lib, file, nWidth, &m_nAscent);
    if (!fallbackFile.empty() && fallbackFile != file)
      m_Fallback = OpenSized(lib, fallbackFile, nWidth, &m_nFallbackAscent);
  }
  ~cFreeTypeFace() override {
    std::lock_guard<std::mutex> lock(s_FreeTypeMutex);
    if (m_Face) FT_Done_Face(m_Face);
    if (m_Fallback) FT_Done_Face(m_Fallback);
  }

  int CellHeight() const override { return m_nHeight; }

  void RenderGlyph(std::string_view szChar, GLYPHBITMAP& out) override {
    int code = CharCode(szChar);
    std::lock_guard<std::mutex> lock(s_FreeTypeMutex);
    auto it = m_mapCache.find(code);
    if (it != m_mapCache.end()) {
      out = it->second;
      return;
    }
    GLYPHBITMAP g;
    g.nAdvance = szChar.size() >= 2 ? m_nHeight : m_nHeight / 2;
    char32_t cp = CodePointOf(szChar);
    if (cp) {
      FT_Face face = m_Face;
      int nAscent = m_nAscent;
      FT_UInt idx = face ? FT_Get_Char_Index(face, cp) : 0;
      if (!idx && m_Fallback) {
        face = m_Fallback;
        nAscent = m_nFallbackAscent;
        idx = FT_Get_Char_Index(face, cp);
      }
      if (idx && FT_Load_Glyph(face, idx, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) == 0)
        Copy(face->glyph, nAscent, g);
    }
    m_mapCache.emplace(code, g);
    out = std::move(g);
  }

 private:
  // Opens a file at the size whose character cell (ascent plus descent, as
  // the Windows font mapper counts a positive height) is m_nHeight pixels.
  FT_Face OpenSized(FT_Library lib, const std::string& file, int nWidth, int* lpAscent) {
    if (file.empty()) return nullptr;
    std::lock_guard<std::mutex> lock(s_FreeTypeMutex);
    FT_Face face = nullptr;
    if (FT_New_Face(lib, file.c_str(), 0, &face) != 0) return nullptr;
    double asc = face->ascender, desc = -static_cast<double>(face->descender), avg = 0;
    if (const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
      if (os2->usWinAscent + os2->usWinDescent > 0) {
        asc = os2->usWinAscent;
        desc = os2->usWinDescent;
      }
      avg = os2->xAvgCharWidth;
    }
    if (asc + desc <= 0) asc = face->units_per_EM, desc = 0;
    double scale = m_nHeight / (asc + desc);
    double ppem = face->units_per_EM * scale;
    double xppem = ppem;
    if (nWidth > 0 && avg > 0) xppem = ppem * nWidth / (avg * scale);
    FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(std::lround(xppem * 64)),
                     static_cast<FT_F26Dot6>(std::lround(ppem * 64)), 72, 72);
    *lpAscent = static_cast<int>(std::lround(asc * scale));
    return face;
  }

  void Copy(FT_GlyphSlot slot, int nAscent, GLYPHBITMAP& g) {
    const FT_Bitmap& bm = slot->bitmap;
    g.nAdvance = static_cast<int>((slot->advance.x + 32) >> 6);
    g.nWidth = static_cast<int>(bm.width);
    g.nHeight = static_cast<int>(bm.rows);
    g.nLeft = slot->bitmap_left;
    g.nTop = nAscent - slot->bitmap_top;
    g.vInk.assign(static_cast<size_t>(g.nWidth) * g.nHeight, 0);
    for (int y = 0; y < g.nHeight; ++y) {
      const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
      for (int x = 0; x < g.nWidth; ++x) {
        bool ink = bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1) != 0 : row[x] >= 128;
        g.vInk[static_cast<size_t>(y) * g.nWidth + x] = ink ? 1 : 0;
      }
    }
  }

  int m_nHeight;
  FT_Face m_Face = nullptr;
  FT_Face m_Fallback = nullptr;
  int m_nAscent = 0;
  int m_nFallbackAscent = 0;
  std::map<int, GLYPHBITMAP> m_mapCache;
};

// Reading fontconfig's configuration (its XML files and font caches) takes
// several milliseconds. Start-up asks for it early, on a helper thread, and
// the first look-up that needs a configuration takes that one (waiting for
// it if need be) instead of reading its own. One never taken is destroyed at
// exit, as a look-up destroys its own.
class cConfigReadAhead {
 public:
  ~cConfigReadAhead() {
    if (FcConfig* cfg = Take()) FcConfigDestroy(cfg);
  }
  void Start() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Pending.valid()) return;
    try {
      m_Pending = std::async(std::launch::async, [] { return FcInitLoadConfigAndFonts(); });
    } catch (const std::system_error&) {
      // No thread: the first look-up reads the configuration itself.
    }
  }
  // The configuration read ahead, now the caller's; null when none is
  // pending.
  FcConfig* Take() {
    std::future<FcConfig*> pending;
    {
      std::lock_guard<std::mutex> lock(m_Mutex);
      pending = std::move(m_Pending);
    }
    return pending.valid() ? pending.get() : nullptr;
  }

 private:
  std::mutex m_Mutex;
  std::future<FcConfig*> m_Pending;
};

cConfigReadAhead s_ConfigAhead;

class cFreeTypeSource : public cGlyphSource {
 public:
  cFreeTypeSource() {
    if (FT_Init_FreeType(&m_Lib) != 0) {
      m_Lib = nullptr;
      std::fprintf(stderr, "FreeType could not be started: text is not drawn\n");
    }
  }
  ~cFreeTypeSource() override {
    if (m_Lib) FT_Done_FreeType(m_Lib);
  }

  std::unique_ptr<cGlyphFace> OpenFace(const std::string& szFaceCp932, int nWidth, int nHeight) override {
    std::string family = SystemFamilyOfFace(szFaceCp932);
    // A face the table does not know may still be installed under its name.
    if (family.empty()) family = Cp932ToUtf8(szFaceCp932);
    std::string file, fallback;
    FilesOfFamilies(family, kGothic, &file, &fallback);
    // A face that is not here is replaced by the Japanese gothic, as the
    // Windows font mapper replaces it by a font of the Shift-JIS set.
    if (file.empty()) file = fallback;
    if (!m_Lib) return std::make_unique<cFreeTypeFace>(nullptr, "", "", nWidth, nHeight);
    return std::make_unique<cFreeTypeFace>(m_Lib, file, fallback, nWidth, nHeight);
  }

 private:
  // Both look-ups share one configuration of our own, made only when a
  // family is not known yet and destroyed at once: fontconfig's shared
  // configuration is only ever freed by FcFini, and one kept alive holds
  // memory that leak checkers cannot follow.
  void FilesOfFamilies(const std::string& a, const std::string& b, std::string* lpA, std::string* lpB) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    FcConfig* cfg = nullptr;
    for (const std::string* f : {&a, &b}) {
      if (m_mapFiles.count(*f)) continue;
      if (!cfg) cfg = s_ConfigAhead.Take();
      if (!cfg) cfg = FcInitLoadConfigAndFonts();
      m_mapFiles.emplace(*f, cfg ? FindFontFile(cfg, *f) : "");
    }
    if (cfg) FcConfigDestroy(cfg);
    *lpA = m_mapFiles[a];
    *lpB = m_mapFiles[b];
  }

  FT_Library m_Lib = nullptr;
  std::mutex m_Mutex;
  std::map<std::string, std::string> m_mapFiles;
};

// ---- The fake source ----------------------------------------------------------

class cFakeFace : public cGlyphFace {
 public:
  explicit cFakeFace(int nHeight) : m_nHeight(std::max(nHeight, 1)) {}
  int CellHeight() const override { return m_nHeight; }
  void RenderGlyph(std::string_view szChar, GLYPHBITMAP& out) override {
    int code = CharCode(szChar);
    out = GLYPHBITMAP{};
    out.nWidth = FakeGlyphWidthForTests(code, m_nHeight);
    out.nHeight = m_nHeight;
    out.nAdvance = out.nWidth;
    out.vInk.assign(static_cast<size_t>(out.nWidth) * out.nHeight, 0);
    for (int y = 0; y < out.nHeight; ++y)
      for (int x = 0; x < out.nWidth; ++x) out.vInk[static_cast<size_t>(y) * out.nWidth + x] = FakeGlyphInkForTests(code, x, y);
  }

 private:
  int m_nHeight;
};

class cFakeSource : public cGlyphSource {
 public:
  std::unique_ptr<cGlyphFace> OpenFace(const std::string&, int, int nHeight) override {
    return std::make_unique<cFakeFace>(nHeight);
  }
};

std::atomic<cGlyphSource*> s_lpTestSource{nullptr};

}  // namespace

std::string SystemFamilyOfFace(const std::string& szFaceCp932) {
  std::string u = Cp932ToUtf8(szFaceCp932);
  for (const FACEMAP& m : s_aFaceMap)
    if (strcasecmp(u.c_str(), m.szWindowsFace) == 0) return m.szFamily;
  return "";
}

cGlyphSource* GetGlyphSource() {
  if (cGlyphSource* p = s_lpTestSource.load()) return p;
  // Never destroyed: the fonts are globals too, and a face released after
  // its library would be a use after free at exit.
  static cGlyphSource* s_lpFreeType = CreateFreeTypeGlyphSource().release();
  return s_lpFreeType;
}

void SetGlyphSourceForTests(cGlyphSource* lpSource) { s_lpTestSource.store(lpSource); }

void ReadFontConfigurationAhead() {
  if (!s_lpTestSource.load()) s_ConfigAhead.Start();
}

std::unique_ptr<cGlyphSource> CreateFreeTypeGlyphSource() { return std::make_unique<cFreeTypeSource>(); }
std::unique_ptr<cGlyphSource> CreateFakeGlyphSourceForTests() { return std::make_unique<cFakeSource>(); }

int FakeGlyphWidthForTests(int nCode, int nHeight) { return nCode > 0xFF ? std::max(nHeight, 1) : std::max(nHeight / 2, 1); }

bool FakeGlyphInkForTests(int nCode, int x, int y) {
  if (nCode <= 0x20) return false;
  // Each diagonal carries one bit of the code, so no two characters look
  // alike; the second term keeps every glyph inked.
  return (((nCode >> ((x + y) % 16)) & 1) != 0) != ((x * 3 + y) % 4 == 0);
}
