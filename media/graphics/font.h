// The fonts of the system: fixed-pitch Shift-JIS text drawn into any surface
// on either drawing path, from glyph strips where a font keeps them, with
// lower-case letters as icons, framed text boxes and the digit surfaces.
#pragma once

#include <list>
#include <memory>
#include <string>

#include "media/graphics/dd.h"
#include "media/graphics/font_cache.h"
#include "platform/glyph_source.h"
#include "base/surface_tables.h"

class cFont;

// ---- Public interface ------------------------------------------------------

// Threads (fonts and digit surfaces): made by InitGame and released by
// UnInitGame on the window thread, before the game thread starts and after
// it has ended; in between only the thread that draws uses them.
// The three fonts of the system (10-, 16- and 32-pixel cells) and every font
// made, in creation order (lost-device recovery walks it).
extern cFont g_Fonts[FONT_COUNT];
extern std::list<cFont*> g_FontList;

// The digit surfaces, one per font ("0123456789" in that font's cells), and
// their descriptions (transparent, video memory, a render target).
extern DDSURFACEDATA g_DigitSD[FONT_COUNT];
extern DDSURFACEINFO g_DigitSurfaceInfo[FONT_COUNT];

// Makes each surface 10 cells by one of its font and draws the digits in it.
// 0 when a surface cannot be made.
BOOL DDCreateDigitSurfaces(DDSURFACEDATA* lpSDArray, const DDSURFACEINFO* lpInfo, int nCount, cFont* lpFonts,
                           const FONTINFO* lpTable);
void DDDrawDigits(DDSURFACEDATA* lpSD, cFont* lpFont);

// "Font10 : %d" and "Font16 : %d" to the report: the double-byte glyphs
// fonts 0 and 1 cached, each only when that font has its strip.
void ReportFontGlyphCounts();

class cFont {
 public:
  cFont() = default;
  // Releases nothing: ReleaseFonts does that at shut-down, while the
  // graphics layer is still up.
  ~cFont() = default;
  cFont(const cFont&) = delete;
  cFont& operator=(const cFont&) = delete;

  // cFont::Init of each entry, its surface numbers taken in the fixed
  // surface array that DDInit was given. 1.
  static BOOL InitAll(cFont* lpFonts, const FONTINFO* lpTable, int nCount);
  void Init(const char* szFace, int nWidth, int nHeight, int nCharSpacing, int nLineSpacing, int nColorNumber,
            DDSURFACEDATA* lpBoxSD, int nFrameWidth, int nFrameColor, DDSURFACEDATA* lpIconSD, int nFastFont);
  // Redraws the strips after a device loss or lost surfaces.
  void Restore();
  // The face, the strips and the work surface.
  void ReleaseFonts();

  // dwMode 0: lower-case letters are icons when the font has an icon
  // sheet; any other mode draws them as letters. The text is drawn as it
  // stands: it is never a format.
  void DrawText(DDSURFACEDATA* lpDstSD, int x, int y, const char* szText, DWORD dwMode);
  // Formats into 256 bytes (cut on a character boundary), then DrawText.
  void DrawTextf(DDSURFACEDATA* lpDstSD, int x, int y, const char* szFormat, ...) __attribute__((format(printf, 5, 6)));
  // The top-left w x h pixels of the box picture with a frame around them;
  // x or y 10000 centres the box on that axis of the box picture.
  void DrawBox(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight);
  // A box (a zero width or height is the text's measured size, the width
  // plus nMargin), then the text nMargin pixels right of the box's left.
  void DrawTextRect(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, const char* szText, int nMargin);
  // Formats into 512 bytes, then as DrawTextRect with no margin.
  void DrawTextBox(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, const char* szFormat, ...)
      __attribute__((format(printf, 7, 8)));

  // The size of a text: with a cell width, the widest line in cells by the
  // lines in line spacing; without, each line's extent.
  void MeasureText(const char* szText, int* lpWidth, int* lpHeight);

  // The inner steps of DrawText. Glyphs drawn one by one go to lpTextSD at
  // (x0, y0) and onward; glyphs from the strips go to lpDstSD at (x1, y1).
  void DrawGlyphs(DDSURFACEDATA* lpTextSD, int x0, int y0, DDSURFACEDATA* lpDstSD, int x1, int y1, const char* szText,
                  BOOL bIcon);
  void DrawGlyph(DDSURFACEDATA* lpSD, int x, int y, const char* szChar, int nBytes);
  void DrawIcons(DDSURFACEDATA* lpSD, int x, int y, const char* szText);
  void BuildFastFontHalf(BOOL bRestore);
  void BuildFastFontFull(BOOL bRestore);

  int m_nId = 0;
  // The face, on either path (the original's GDI font or D3DX font).
  std::unique_ptr<cGlyphFace> m_lpFont;
  std::string m_lpszFace;
  int m_nWidth = 0;
  int m_nHeight = 0;
  int m_nCharSpacing = 0;
  int m_nLineSpacing = 0;
  int m_nColorNumber = 0;
  // Direct3D: ARGB. DirectDraw: red | green << 8 | blue << 16.
  DWORD m_dwColor = 0;
  BOOL m_bCenter = 0;
  DDSURFACEDATA m_WorkSD;
  DDSURFACEDATA* m_lpBoxSD = nullptr;
  int m_nFrameWidth = 0;
  int m_nFrameColor = 0;
  DDSURFACEDATA* m_lpIconSD = nullptr;
  BOOL m_bIcon = 0;
  int m_nFastFont = 0;
  cFastFont* m_lpFastFont_Half = nullptr;
  cFastFont* m_lpFastFont_FullAdd = nullptr;

 private:
  void DestroyFastFonts();
  // Writes one character's ink into a surface, its cell's top-left at
  // (x, y); gives the advance.
  int RenderChar(DDSURFACEDATA* lpSD, int x, int y, const char* szChar, int nBytes);
  void RenderIntoStrip(const FASTGLYPH& g);
  // Clears a strip and draws its glyph text into it from the face itself
  // (no icons, no strips).
  void RedrawStrip(cFastFont& ff, const std::string& text);
  int LineExtent(const char* p, int nBytes);
  void DrawBoxAt(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight);
};
