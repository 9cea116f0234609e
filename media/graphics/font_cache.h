// The glyph strips of a font (its font cache): one surface of fixed cells,
// the single-byte strip holding byte b in cell b, the double-byte strip
// holding the characters it was given in the order they came.
#pragma once

#include <unordered_map>
#include <vector>

#include "media/graphics/dd.h"

// One cached double-byte character and its cell.
struct FASTGLYPH {
  char szGlyph[4];  // the two bytes and a NUL
  int nIndex;       // cell number
  int nX, nY;       // the cell's top-left corner in the strip
};

class cFastFont {
 public:
  cFastFont() = default;
  ~cFastFont();
  cFastFont(const cFastFont&) = delete;
  cFastFont& operator=(const cFastFont&) = delete;

  // Makes the strip surface (transparent, a render target on the Direct3D
  // path); FALSE when it cannot be made.
  BOOL Create(int nKind, int nCellWidth, int nCellHeight, int nColumns, int nRows);
  // Releases the surface and forgets the glyphs.
  void Destroy();

  // Takes the next free cell for a character; FALSE when the strip is full.
  BOOL AddGlyph(const char* szGlyph);
  // Cell b of a single-byte strip to (x, y).
  void DrawCell(DDSURFACEDATA* lpDstSD, int x, int y, BYTE b, DWORD dwFlags);
  // The first cell holding the character to (x, y); FALSE when none does.
  BOOL DrawGlyph(DDSURFACEDATA* lpDstSD, int x, int y, const char* szGlyph, DWORD dwFlags);
  // The first cached glyph of the character, or null.
  const FASTGLYPH* FindGlyph(const char* szGlyph) const;

  int m_nKind = 0;  // 0 single-byte strip, 1 double-byte strip
  int m_nCellWidth = 0;
  int m_nCellHeight = 0;
  int m_nColumns = 0;
  int m_nRows = 0;
  int m_nCapacity = 0;
  DDSURFACEDATA m_SD;
  std::vector<FASTGLYPH> m_lstGlyph;  // in cell order
  int m_nCount = 0;
  int m_nNext = 0;

 private:
  // Character (lead << 8 | trail) -> index in m_lstGlyph of its first cell.
  std::unordered_map<int, int> m_mapFirst;
};
