// Where the fonts' glyphs come from: a face opened by its Windows face name
// (CP932) and a pixel height, rendering one CP932 character at a time to a
// monochrome bitmap. The FreeType source serves the program; the fake source
// draws fixed patterns, so that tests can tell every character apart.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One rendered character. Ink pixels are 1, the others 0, row by row.
// (nLeft, nTop) is where the bitmap's top-left lies relative to the point the
// character is drawn at, which is the top-left of its character cell (as a
// text-out call places text), not the baseline.
struct GLYPHBITMAP {
  int nWidth = 0;
  int nHeight = 0;
  int nLeft = 0;
  int nTop = 0;
  int nAdvance = 0;  // pixels the pen moves right
  std::vector<uint8_t> vInk;

  bool Ink(int x, int y) const { return vInk[static_cast<size_t>(y) * nWidth + x] != 0; }
};

class cGlyphFace {
 public:
  virtual ~cGlyphFace() = default;
  // szChar holds one character: one byte, or a lead and a trail byte.
  // Characters without a glyph (control bytes, unassigned codes) give an
  // empty bitmap with an advance.
  virtual void RenderGlyph(std::string_view szChar, GLYPHBITMAP& out) = 0;
  // The height of a line of text (the character cell), in pixels.
  virtual int CellHeight() const = 0;
};

class cGlyphSource {
 public:
  virtual ~cGlyphSource() = default;
  // nHeight is the character cell height in pixels; nWidth the average
  // character width (0 = the face's own proportions). Never null: a face
  // that is not installed falls back to the Japanese gothic.
  virtual std::unique_ptr<cGlyphFace> OpenFace(const std::string& szFaceCp932, int nWidth, int nHeight) = 0;
};

// The source the fonts use: the FreeType one unless a test set another.
cGlyphSource* GetGlyphSource();
// Tests only: null returns to the FreeType source. Not owned.
void SetGlyphSourceForTests(cGlyphSource* lpSource);
// Starts reading the font configuration on a helper thread, so that the
// first face opened finds it read (start-up calls this early, long before
// the fonts are made). Nothing while a test source is set.
void ReadFontConfigurationAhead();

std::unique_ptr<cGlyphSource> CreateFreeTypeGlyphSource();
std::unique_ptr<cGlyphSource> CreateFakeGlyphSourceForTests();

// The family of this system that stands for a Windows face (CP932 name), or
// "" for a face the table does not know.
std::string SystemFamilyOfFace(const std::string& szFaceCp932);

// The fake source's glyphs, for tests that check drawn pixels. A face of
// cell height h draws a single-byte character as a box h / 2 wide and h high
// (advance h / 2) and a double-byte one h x h (advance h), both with their
// top-left at the drawing point; `code` is the byte, or lead << 8 | trail.
// Bytes below 0x20 draw nothing.
int FakeGlyphWidthForTests(int nCode, int nHeight);
bool FakeGlyphInkForTests(int nCode, int x, int y);
