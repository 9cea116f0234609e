// The fonts: set-up, text drawing on both paths, measuring, boxes, the
// glyph strips' contents and the digit surfaces.
#include "media/graphics/font.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "media/graphics/dd_batch_state.h"
#include "media/graphics/dd_effects.h"
#include "media/graphics/dd_internal.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "base/message_box.h"
#include "base/report.h"

namespace {

// The digit surfaces are drawn over pictures: transparent, in video memory,
// render targets on the Direct3D path.
DDSURFACEINFO DigitSurfaceInfo() {
  DDSURFACEINFO info;
  info.szFileName.assign(1, 'E');  // "E": an empty surface
  info.bTransmit = 1;
  info.nMemType = 0;
  info.nDTMemType = DTMEMORYTYPE_VIDEO_RT;
  return info;
}

}  // namespace

cFont g_Fonts[FONT_COUNT];
std::list<cFont*> g_FontList;
DDSURFACEDATA g_DigitSD[FONT_COUNT];
DDSURFACEINFO g_DigitSurfaceInfo[FONT_COUNT] = {DigitSurfaceInfo(), DigitSurfaceInfo(), DigitSurfaceInfo()};

namespace {

// The 256 characters the double-byte strip is filled with first. The list
// holds "ト" twice; the first one is found, the second only takes a cell.
const std::string& FixedGlyphList() {
  static const std::string s = Sjis(
      "０１２３４５６７８９ー～、。．！？「」（）・…※→↑↓←＋－＝○●×ＡＢＣＤＥＦ"
      "ＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔ"
      "ｕｖｗｘｙｚあいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめ"
      "もやゆよらりるれろわをんがぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽぁぃぅ"
      "ぇぉっゃゅょアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメ"
      "モヤユヨラリルレロワヲンガギグゲゴザジズゼゾダヂヅデトバビブベボヴパピプペポァィ"
      "ゥェォッャュョ□■☆★％＆＜＞：");
  return s;
}

// Direct3D: a texture record with pixels or a parent. DirectDraw: a surface.
bool HasSurface(const DDSURFACEDATA* lpSD) {
  if (!lpSD) return false;
  if (lpDTCon) return lpSD->lpDT && (lpSD->lpDT->lpSurface || lpSD->lpParentSD);
  return lpSD->lpDDS && lpSD->lpDDS->lpSurface;
}

DDSURFACEDATA* FixedSurface(int n) {
  if (!g_DDDisplay.lpSDArray || n < 0 || n >= g_DDDisplay.nInfoCount) return nullptr;
  return &g_DDDisplay.lpSDArray[n];
}

bool IsPair(const char* p) {
  return IsSjisLeadByte(static_cast<uint8_t>(p[0])) && p[1] != 0 && IsSjisTrailByte(static_cast<uint8_t>(p[1]));
}

// A text batch of our own. A batch the caller left open is set aside and
// put back afterwards, so its queued blits are neither dropped nor mixed
// with the text's (opening a batch otherwise empties the open one).
class cTextBatch {
 public:
  explicit cTextBatch(BOOL bSort) {
    if (lpDTCon && g_bBatchOpen) {
      m_bSaved = true;
      m_bSort = g_bBatchSort;
      m_nCount = g_nBatchCount;
      m_vData.swap(g_vBatchData);
      m_vLayer.swap(g_vBatchLayer);
    }
    DDBeginBatch(bSort);
  }
  ~cTextBatch() {
    DDEndBatch();
    if (!m_bSaved) return;
    g_bBatchOpen = 1;
    g_bBatchSort = m_bSort;
    g_nBatchCount = m_nCount;
    g_vBatchData.swap(m_vData);
    g_vBatchLayer.swap(m_vLayer);
  }
  cTextBatch(const cTextBatch&) = delete;
  cTextBatch& operator=(const cTextBatch&) = delete;

 private:
  bool m_bSaved = false;
  BOOL m_bSort = 0;
  int32_t m_nCount = 0;
  std::vector<DDBATCHDATA> m_vData;
  std::vector<DDBATCHLAYER> m_vLayer;
};

// vsnprintf's cut can split a double-byte character; its lone lead byte
// would pair with whatever follows the text.
void CutOnCharBoundary(char* s, int nWritten, size_t nCap) {
  if (nWritten < 0) {
    s[0] = 0;
    return;
  }
  if (static_cast<size_t>(nWritten) < nCap) return;
  size_t n = std::strlen(s), i = 0;
  while (i < n) {
    if (IsSjisLeadByte(static_cast<uint8_t>(s[i])) && i + 1 == n) {
      s[i] = 0;
      return;
    }
    i += IsPair(s + i) ? 2 : 1;
  }
}

// Text colour of the DirectDraw path from a palette entry: a GDI colour.
// At 16 bits the entries hold field values, scaled here to 0-255.
DWORD GdiColorOf(int nColorNumber) {
  if (nColorNumber < 0 || nColorNumber > 255) return 0;
  const BYTE* e = g_Palette + nColorNumber * 4;
  DWORD r = e[0], g = e[1], b = e[2];
  if (g_DDDisplay.nBpp == 16) {
    const DDMASKSET& m = g_MaskSetA;
    if (m.dwRedMax) r = (r * 255 / m.dwRedMax) & 0xFF;
    if (m.dwGreenMax) g = (g * 255 / m.dwGreenMax) & 0xFF;
    if (m.dwBlueMax) b = (b * 255 / m.dwBlueMax) & 0xFF;
  }
  return r | g << 8 | b << 16;
}

}  // namespace

// ---- Set-up and release -----------------------------------------------------

BOOL cFont::InitAll(cFont* lpFonts, const FONTINFO* lpTable, int nCount) {
  for (int i = 0; i < nCount; ++i) {
    const FONTINFO& f = lpTable[i];
    lpFonts[i].Init(f.szFaceName.c_str(), f.nWidth, f.nHeight, f.nCharSpacing, f.nLineSpacing, f.nColorNumber,
                    FixedSurface(f.nBoxSurface), f.nFrameWidth, f.nFrameColorNumber, FixedSurface(f.nIconSurface),
                    f.nFastFont);
  }
  return 1;
}

void cFont::Init(const char* szFace, int nWidth, int nHeight, int nCharSpacing, int nLineSpacing, int nColorNumber,
                 DDSURFACEDATA* lpBoxSD, int nFrameWidth, int nFrameColor, DDSURFACEDATA* lpIconSD, int nFastFont) {
  m_nWidth = nWidth;
  m_nHeight = nHeight;
  m_nCharSpacing = nCharSpacing;
  m_nLineSpacing = nLineSpacing;
  m_nColorNumber = nColorNumber;
  m_dwColor = 0;
  if (g_DDDisplay.nBpp != 0 && nColorNumber >= 0 && nColorNumber < 256) {
    if (lpDTCon) {
      const BYTE* e = g_Palette + nColorNumber * 4;
      m_dwColor = 0xFF000000u | static_cast<DWORD>(e[0]) << 16 | static_cast<DWORD>(e[1]) << 8 | e[2];
    } else {
      m_dwColor = GdiColorOf(nColorNumber);
    }
  }
  m_lpBoxSD = lpBoxSD;
  m_nFrameWidth = nFrameWidth;
  m_nFrameColor = nFrameColor;
  m_lpIconSD = lpIconSD;
  m_bIcon = lpIconSD != nullptr;

  std::string face = szFace ? szFace : "";
  if (lpDTCon) {
    // The Direct3D font takes a face name of at most 31 bytes.
    if (face.size() > 31) {
      face.resize(31);
      CutOnCharBoundary(face.data(), 31, 31);
      face.resize(std::strlen(face.c_str()));
    }
    m_lpszFace = face;
    m_lpFont = GetGlyphSource()->OpenFace(face, 0, nHeight);
  } else {
    m_lpFont = GetGlyphSource()->OpenFace(face, nWidth, nHeight);
  }
  bool bWorkMissing = lpDTCon ? m_WorkSD.lpDT == nullptr : m_WorkSD.lpDDS == nullptr;
  if (bWorkMissing) {
    BOOL bOk = DDCreateScratchSurface(&m_WorkSD, g_DDDisplay.nWidth, g_DDDisplay.nHeight, 1, 0, DTMEMORYTYPE_VIDEO_RT);
    if (!bOk && !lpDTCon) {
      Logf("DDCreateSurface Font::Work");
      PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
      return;
    }
  }
  if (lpDTCon) m_nId = lpDTCon->nNextFontId++;
  else if (g_lpDDCon) m_nId = static_cast<int>(g_lpDDCon->dwFontCounter++);
  // A font made again keeps its one place in the list.
  if (std::find(g_FontList.begin(), g_FontList.end(), this) == g_FontList.end()) g_FontList.push_back(this);

  m_nFastFont = nFastFont;
  if (nFastFont == 0) {
    DestroyFastFonts();
    return;
  }
  if (nCharSpacing == 0 || nLineSpacing == 0) {
    Logf("%s", Sjis("※フォントクラスで文字間が未設定！").c_str());
    return;
  }
  DestroyFastFonts();
  m_lpFastFont_Half = new cFastFont;
  if (!m_lpFastFont_Half->Create(0, nCharSpacing, nLineSpacing, 16, 16)) {
    Logf("m_lpFastFont_Half Err");
    PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
    // Until the program has closed, text is drawn one glyph at a time
    // rather than from a strip without a surface.
    DestroyFastFonts();
    return;
  }
  int nColumns, nRows;
  if (lpDTCon) {
    nColumns = std::min(1024 / nCharSpacing, 32);
    nRows = std::min(1024 / nLineSpacing, 32);
  } else {
    nColumns = std::min(g_DDDisplay.nWidth / nCharSpacing, 32);
    nRows = std::min(g_DDDisplay.nHeight / nLineSpacing, 30);
  }
  m_lpFastFont_FullAdd = new cFastFont;
  if (!m_lpFastFont_FullAdd->Create(1, nCharSpacing, nLineSpacing, nColumns, nRows)) {
    Logf("m_lpFastFont_FullAdd Err");
    PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
    DestroyFastFonts();
    return;
  }
  BuildFastFontHalf(FALSE);
  BuildFastFontFull(FALSE);
}

void cFont::DestroyFastFonts() {
  delete m_lpFastFont_Half;
  m_lpFastFont_Half = nullptr;
  delete m_lpFastFont_FullAdd;
  m_lpFastFont_FullAdd = nullptr;
}

void cFont::ReleaseFonts() {
  m_lpFont.reset();
  DestroyFastFonts();
  DDReleaseSurface(&m_WorkSD);
  g_FontList.remove(this);
  // The box and icon pictures belong to whoever made the font and may go
  // after it; a released font draws no box and no icons.
  m_lpBoxSD = nullptr;
  m_lpIconSD = nullptr;
  m_bIcon = 0;
}

void cFont::Restore() {
  if (lpDTCon) {
    if (m_lpFastFont_Half && m_lpFastFont_Half->m_SD.bLost) {
      BuildFastFontHalf(TRUE);
      m_lpFastFont_Half->m_SD.bLost = 0;
    }
    if (m_lpFastFont_FullAdd && m_lpFastFont_FullAdd->m_SD.bLost) {
      BuildFastFontFull(TRUE);
      m_lpFastFont_FullAdd->m_SD.bLost = 0;
    }
    return;
  }
  // DirectDraw surfaces here are never lost; the strips are redrawn all
  // the same.
  if (m_lpFastFont_Half && HasSurface(&m_lpFastFont_Half->m_SD)) BuildFastFontHalf(TRUE);
  if (m_lpFastFont_FullAdd && HasSurface(&m_lpFastFont_FullAdd->m_SD)) BuildFastFontFull(TRUE);
}

// ---- The strips ---------------------------------------------------------------

void cFont::BuildFastFontHalf(BOOL) {
  if (!m_lpFastFont_Half) return;
  // Row 0 (bytes 0 to 15: the end of text, the line feed) stays empty.
  std::string text = "\n";
  for (int row = 1; row < 16; ++row) {
    for (int col = 0; col < 16; ++col) text += static_cast<char>(row * 16 + col);
    text += '\n';
  }
  RedrawStrip(*m_lpFastFont_Half, text);
}

void cFont::BuildFastFontFull(BOOL bRestore) {
  if (!m_lpFastFont_FullAdd) return;
  cFastFont& ff = *m_lpFastFont_FullAdd;
  if (!bRestore) {
    const std::string& list = FixedGlyphList();
    for (size_t i = 0; i + 1 < list.size(); i += 2)
      if (!ff.AddGlyph(list.c_str() + i)) break;
  }
  std::string text;
  int n = 0;
  for (const FASTGLYPH& g : ff.m_lstGlyph) {
    text.append(g.szGlyph, 2);
    if (++n % ff.m_nColumns == 0) text += '\n';
  }
  RedrawStrip(ff, text);
}

void cFont::RedrawStrip(cFastFont& ff, const std::string& text) {
  DDFillRect(&ff.m_SD, 0, 0, ff.m_SD.nWidth, ff.m_SD.nHeight, 0);
  BOOL bIcon = m_bIcon;
  int nFastFont = m_nFastFont;
  m_bIcon = 0;
  m_nFastFont = 0;
  DrawText(&ff.m_SD, 0, 0, text.c_str(), 0);
  m_bIcon = bIcon;
  m_nFastFont = nFastFont;
}

void cFont::RenderIntoStrip(const FASTGLYPH& g) {
  cFastFont& ff = *m_lpFastFont_FullAdd;
  if (lpDTCon) {
    if (!DDBeginScene() || !DDSetRenderTarget(0, &ff.m_SD)) return;
    RenderChar(&ff.m_SD, g.nX, g.nY, g.szGlyph, 2);
    DDSetRenderTarget(0, lpDTCon->lpTargetSD);
    return;
  }
  // At 8 bits the text colour is matched against the display palette, which
  // a fade may have changed: the entry is put right for the call.
  bool b8 = g_DDDisplay.nBpp == 8 && m_nColorNumber >= 0 && m_nColorNumber < 256;
  if (b8) DDSetPaletteEntries(m_nColorNumber, 1, g_Palette + m_nColorNumber * 4);
  RenderChar(&ff.m_SD, g.nX, g.nY, g.szGlyph, 2);
  if (b8) DDSetPaletteEntries(m_nColorNumber, 1, g_WorkPalette + m_nColorNumber * 4);
}

// ---- Glyphs -------------------------------------------------------------------

int cFont::RenderChar(DDSURFACEDATA* lpSD, int x, int y, const char* szChar, int nBytes) {
  if (!m_lpFont || !lpSD) return 0;
  GLYPHBITMAP g;
  m_lpFont->RenderGlyph(std::string_view(szChar, static_cast<size_t>(nBytes)), g);
  DDSURFACEDATA* sd = lpSD;
  DDResolveLinked(&sd);
  DDRedirectBackBuffer(&sd);
  cPixelBuffer* buf = DDSurfacePixels(sd);
  if (!buf) return g.nAdvance;
  DWORD ink;
  if (lpDTCon) {
    ink = ArgbToRaw(buf->Format(), m_dwColor);
  } else if (buf->Format() == PF_INDEX8) {
    // The palette entry of the text colour, as the system matches it.
    ink = static_cast<DWORD>(m_nColorNumber) & 0xFF;
  } else {
    DWORD red = m_dwColor & 0xFF, green = m_dwColor >> 8 & 0xFF, blue = m_dwColor >> 16 & 0xFF;
    ink = ArgbToRaw(buf->Format(), 0xFF000000u | red << 16 | green << 8 | blue);
  }
  int nW = std::min(sd->nWidth, buf->Width()), nH = std::min(sd->nHeight, buf->Height());
  for (int gy = 0; gy < g.nHeight; ++gy) {
    int py = y + g.nTop + gy;
    if (py < 0 || py >= nH) continue;
    for (int gx = 0; gx < g.nWidth; ++gx) {
      int px = x + g.nLeft + gx;
      if (px >= 0 && px < nW && g.Ink(gx, gy)) buf->SetRaw(px, py, ink);
    }
  }
  return g.nAdvance;
}

void cFont::DrawGlyph(DDSURFACEDATA* lpSD, int x, int y, const char* szChar, int nBytes) {
  int px, py;
  if (m_bCenter && m_lpFont) {
    GLYPHBITMAP g;
    m_lpFont->RenderGlyph(std::string_view(szChar, static_cast<size_t>(nBytes)), g);
    px = x + m_nCharSpacing / 2 - g.nAdvance / 2;
    py = y + m_nLineSpacing / 2 - m_lpFont->CellHeight() / 2;
  } else if (nBytes == 1) {
    px = x + m_nCharSpacing / 8;
    py = y + m_nLineSpacing / 16 - 1;
  } else {
    px = x;
    py = y;
  }
  if (lpDTCon && m_nFastFont) {
    // With strips DrawText opened no scene of its own.
    if (!DDBeginScene() || !DDSetRenderTarget(0, lpSD)) return;
    RenderChar(lpSD, px, py, szChar, nBytes);
    DDSetRenderTarget(0, lpDTCon->lpTargetSD);
    return;
  }
  RenderChar(lpSD, px, py, szChar, nBytes);
}

int cFont::LineExtent(const char* p, int nBytes) {
  if (!m_lpFont) return 0;
  int w = 0;
  GLYPHBITMAP g;
  for (int i = 0; i < nBytes;) {
    int n = (i + 1 < nBytes && IsPair(p + i)) ? 2 : 1;
    m_lpFont->RenderGlyph(std::string_view(p + i, static_cast<size_t>(n)), g);
    w += g.nAdvance;
    i += n;
  }
  return w;
}

void cFont::MeasureText(const char* szText, int* lpWidth, int* lpHeight) {
  int w = 0, h = 0;
  const char* p = szText ? szText : "";
  for (;;) {
    const char* e = std::strchr(p, '\n');
    size_t n = e ? static_cast<size_t>(e - p) : std::strlen(p);
    if (m_nCharSpacing != 0) {
      w = std::max(w, CountMbcsChars(std::string_view(p, n)) * m_nCharSpacing);
      h += m_nLineSpacing;
    } else {
      // A proportional font is measured on both paths: unmeasured, its text
      // vanished from every surface that is not a render target.
      int ext = LineExtent(p, static_cast<int>(n));
      w = std::max(w, ext);
      h += ext == 0 ? 20 : m_nLineSpacing;
    }
    if (!e) break;
    p = e + 1;
  }
  if (lpWidth) *lpWidth = w;
  if (lpHeight) *lpHeight = h;
}

void cFont::DrawGlyphs(DDSURFACEDATA* lpTextSD, int x0, int y0, DDSURFACEDATA* lpDstSD, int x1, int y1,
                       const char* szText, BOOL bIcon) {
  cTextBatch batch(TRUE);
  if (m_nCharSpacing == 0) {
    int nLine = 0;
    const char* p = szText;
    for (;;) {
      const char* e = std::strchr(p, '\n');
      int n = static_cast<int>(e ? e - p : static_cast<ptrdiff_t>(std::strlen(p)));
      int pen = x0;
      for (int i = 0; i < n;) {
        int k = (i + 1 < n && IsPair(p + i)) ? 2 : 1;
        pen += RenderChar(lpTextSD, pen, y0 + nLine, p + i, k);
        i += k;
      }
      if (!e) break;
      p = e + 1;
      nLine += m_nLineSpacing;
    }
    return;
  }
  bool bIcons = bIcon && HasSurface(m_lpIconSD);
  bool bStrips = m_nFastFont && lpDstSD && m_lpFastFont_Half && m_lpFastFont_FullAdd;
  int col = 0, line = 0;
  for (const char* p = szText; *p;) {
    uint8_t c = static_cast<uint8_t>(*p);
    if (IsPair(p)) {
      bool bWideSpace = c == 0x81 && static_cast<uint8_t>(p[1]) == 0x40;
      if (!bWideSpace) {
        char ch[4] = {p[0], p[1], 0, 0};
        if (bStrips) {
          cFastFont& ff = *m_lpFastFont_FullAdd;
          if (!ff.DrawGlyph(lpDstSD, x1 + col, y1 + line, ch, 1)) {
            if (!ff.AddGlyph(ch)) {
              DrawGlyph(lpTextSD, x0 + col, y0 + line, ch, 2);
            } else {
              RenderIntoStrip(ff.m_lstGlyph.back());
              ff.DrawGlyph(lpDstSD, x1 + col, y1 + line, ch, 1);
            }
          }
        } else {
          DrawGlyph(lpTextSD, x0 + col, y0 + line, ch, 2);
        }
      }
      col += m_nCharSpacing;
      p += 2;
      continue;
    }
    if (c == ' ') {
      col += m_nCharSpacing;
    } else if (bIcons && c >= 'a' && c <= 'z') {
      col += m_nCharSpacing;
    } else if (c == '\n') {
      line += m_nLineSpacing;
      col = 0;
    } else {
      if (bStrips) m_lpFastFont_Half->DrawCell(lpDstSD, x1 + col, y1 + line, c, 1);
      else DrawGlyph(lpTextSD, x0 + col, y0 + line, p, 1);
      col += m_nCharSpacing;
    }
    ++p;
  }
}

void cFont::DrawIcons(DDSURFACEDATA* lpSD, int x, int y, const char* szText) {
  if (!m_bIcon || !HasSurface(m_lpIconSD) || m_nCharSpacing == 0) return;
  cTextBatch batch(FALSE);
  int col = 0, line = 0;
  for (const char* p = szText; *p;) {
    uint8_t c = static_cast<uint8_t>(*p);
    if (IsPair(p)) {
      col += m_nCharSpacing;
      p += 2;
      continue;
    }
    if (c == '\n') {
      line += m_nLineSpacing;
      col = 0;
    } else {
      if (c >= 'a' && c <= 'z')
        DDBltFast(lpSD, x + col, y + line, m_nCharSpacing, m_nLineSpacing, m_lpIconSD, (c - 0x61) * m_nCharSpacing, 0,
                  1);
      col += m_nCharSpacing;
    }
    ++p;
  }
}

// ---- Texts --------------------------------------------------------------------

void cFont::DrawText(DDSURFACEDATA* lpDstSD, int x, int y, const char* szText, DWORD dwMode) {
  if (!lpDstSD || !szText) return;
  BOOL bIcon = dwMode == 0 ? m_bIcon : 0;
  int w = 0, h = 0;
  if (!lpDTCon) {
    MeasureText(szText, &w, &h);
    DDFillRect(&m_WorkSD, 0, 0, w, h, 0);
    DrawGlyphs(&m_WorkSD, 0, 0, lpDstSD, x, y, szText, bIcon);
    DDBltFast(lpDstSD, x, y, w, h, &m_WorkSD, 0, 0, 1);
    // Icons only where the letters were left free for them: a text drawn in
    // letter mode would otherwise get the icons over its letters.
    if (bIcon) DrawIcons(lpDstSD, x, y, szText);
    return;
  }
  DDResolveLinked(&lpDstSD);
  DDRedirectBackBuffer(&lpDstSD);
  bool bRenderTarget = lpDstSD->lpDT && lpDstSD->lpDT->bRenderTarget;
  if (!bRenderTarget) {
    MeasureText(szText, &w, &h);
    DDFillRect(&m_WorkSD, 0, 0, w, h, 0);
    if (!m_nFastFont && !DDBeginScene()) return;
    DrawGlyphs(&m_WorkSD, 0, 0, lpDstSD, x, y, szText, bIcon);
    if (bIcon) DrawIcons(&m_WorkSD, 0, 0, szText);
    DDBltFast(lpDstSD, x, y, w, h, &m_WorkSD, 0, 0, 1);
    return;
  }
  if (!m_nFastFont && !DDBeginScene()) return;
  DrawGlyphs(lpDstSD, x, y, lpDstSD, x, y, szText, bIcon);
  if (bIcon) DrawIcons(lpDstSD, x, y, szText);
}

void cFont::DrawTextf(DDSURFACEDATA* lpDstSD, int x, int y, const char* szFormat, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, szFormat);
  int n = std::vsnprintf(buf, sizeof buf, szFormat, ap);
  va_end(ap);
  CutOnCharBoundary(buf, n, sizeof buf);
  DrawText(lpDstSD, x, y, buf, 0);
}

// The box picture's top-left, then the frame around it.
void cFont::DrawBoxAt(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h) {
  DDBltFramed(lpDstSD, x, y, w, h, m_lpBoxSD, m_nFrameWidth, m_nFrameColor);
}

void cFont::DrawBox(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight) {
  int bw = m_lpBoxSD ? m_lpBoxSD->nWidth : 0, bh = m_lpBoxSD ? m_lpBoxSD->nHeight : 0;
  if (x == 10000) x = (bw >> 1) - (nWidth >> 1);
  if (y == 10000) y = (bh >> 1) - (nHeight >> 1);
  DrawBoxAt(lpDstSD, x, y, nWidth, nHeight);
}

void cFont::DrawTextRect(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, const char* szText,
                         int nMargin) {
  if (!szText) szText = "";
  if (nWidth == 0 || nHeight == 0) {
    int w, h;
    MeasureText(szText, &w, &h);
    if (nWidth == 0) nWidth = w + nMargin;
    if (nHeight == 0) nHeight = h;
  }
  DrawBox(lpDstSD, x, y, nWidth, nHeight);
  int bw = m_lpBoxSD ? m_lpBoxSD->nWidth : 0;
  if (x == 10000) x = (bw >> 1) - (nWidth >> 1);
  if (y == 10000) y = ((m_lpBoxSD ? m_lpBoxSD->nHeight : 0) >> 1) - (nHeight >> 1);
  DrawText(lpDstSD, x + nMargin, y, szText, 0);
}

void cFont::DrawTextBox(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, const char* szFormat, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, szFormat);
  int n = std::vsnprintf(buf, sizeof buf, szFormat, ap);
  va_end(ap);
  CutOnCharBoundary(buf, n, sizeof buf);
  DrawTextRect(lpDstSD, x, y, nWidth, nHeight, buf, 0);
}

// ---- Digit surfaces and the shut-down report -----------------------------------

BOOL DDCreateDigitSurfaces(DDSURFACEDATA* lpSDArray, const DDSURFACEINFO* lpInfo, int nCount, cFont* lpFonts,
                           const FONTINFO* lpTable) {
  BOOL bOk = 1;
  for (int i = 0; i < nCount; ++i) {
    // A surface that cannot be made fails start-up instead of leaving the
    // number drawing without its digits.
    if (!DDCreateSurface(&lpSDArray[i], 10 * lpTable[i].nCharSpacing, lpTable[i].nLineSpacing, lpInfo[i].bTransmit,
                         lpInfo[i].nMemType, lpInfo[i].nDTMemType, nullptr, 0)) {
      bOk = 0;
      continue;
    }
    DDDrawDigits(&lpSDArray[i], &lpFonts[i]);
  }
  return bOk;
}

void DDDrawDigits(DDSURFACEDATA* lpSD, cFont* lpFont) {
  DDFillSurface(lpSD, 0);
  lpFont->DrawText(lpSD, 0, 0, "0123456789", 0);
}

void ReportFontGlyphCounts() {
  if (g_Fonts[0].m_lpFastFont_FullAdd) Reportf("Font10 : %d", g_Fonts[0].m_lpFastFont_FullAdd->m_nCount);
  if (g_Fonts[1].m_lpFastFont_FullAdd) Reportf("Font16 : %d", g_Fonts[1].m_lpFastFont_FullAdd->m_nCount);
}
