// The glyph strips of the fonts.
#include "media/graphics/font_cache.h"

namespace {

int GlyphKey(const char* szGlyph) {
  return static_cast<uint8_t>(szGlyph[0]) << 8 | static_cast<uint8_t>(szGlyph[1]);
}

}  // namespace

cFastFont::~cFastFont() { Destroy(); }

BOOL cFastFont::Create(int nKind, int nCellWidth, int nCellHeight, int nColumns, int nRows) {
  Destroy();
  m_nKind = nKind;
  m_nCellWidth = nCellWidth;
  m_nCellHeight = nCellHeight;
  m_nColumns = nColumns;
  m_nRows = nRows;
  m_nCapacity = nColumns * nRows;
  if (nCellWidth <= 0 || nCellHeight <= 0 || nColumns <= 0 || nRows <= 0) return FALSE;
  return DDCreateSurface(&m_SD, nCellWidth * nColumns, nCellHeight * nRows, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0);
}

void cFastFont::Destroy() {
  DDReleaseSurface(&m_SD);
  m_SD = DDSURFACEDATA{};
  m_lstGlyph.clear();
  m_mapFirst.clear();
  m_nCount = 0;
  m_nNext = 0;
}

BOOL cFastFont::AddGlyph(const char* szGlyph) {
  if (m_nNext >= m_nCapacity) return FALSE;
  FASTGLYPH g{};
  g.szGlyph[0] = szGlyph[0];
  g.szGlyph[1] = szGlyph[1];
  g.nIndex = m_nNext;
  g.nX = (m_nNext % m_nColumns) * m_nCellWidth;
  g.nY = (m_nNext / m_nColumns) * m_nCellHeight;
  m_mapFirst.emplace(GlyphKey(szGlyph), static_cast<int>(m_lstGlyph.size()));
  m_lstGlyph.push_back(g);
  ++m_nCount;
  ++m_nNext;
  return TRUE;
}

const FASTGLYPH* cFastFont::FindGlyph(const char* szGlyph) const {
  auto it = m_mapFirst.find(GlyphKey(szGlyph));
  return it == m_mapFirst.end() ? nullptr : &m_lstGlyph[static_cast<size_t>(it->second)];
}

void cFastFont::DrawCell(DDSURFACEDATA* lpDstSD, int x, int y, BYTE b, DWORD dwFlags) {
  DDBltFast(lpDstSD, x, y, m_nCellWidth, m_nCellHeight, &m_SD, (b % 16) * m_nCellWidth, (b / 16) * m_nCellHeight,
            dwFlags);
}

BOOL cFastFont::DrawGlyph(DDSURFACEDATA* lpDstSD, int x, int y, const char* szGlyph, DWORD dwFlags) {
  const FASTGLYPH* g = FindGlyph(szGlyph);
  if (!g) return FALSE;
  DDBltFast(lpDstSD, x, y, m_nCellWidth, m_nCellHeight, &m_SD, g->nX, g->nY, dwFlags);
  return TRUE;
}
