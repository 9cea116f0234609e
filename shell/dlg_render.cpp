#include "shell/dlg_render.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "platform/glyph_source.h"
#include "platform/text_cp932.h"

size_t CharBytesAt(const std::string& s, size_t pos) {
  if (pos + 1 < s.size() && IsSjisLeadByte(static_cast<uint8_t>(s[pos])) &&
      IsSjisTrailByte(static_cast<uint8_t>(s[pos + 1])))
    return 2;
  return 1;
}

size_t PrevCharStart(const std::string& s, size_t pos) {
  size_t i = 0;
  size_t prev = 0;
  while (i < pos && i < s.size()) {
    prev = i;
    i += CharBytesAt(s, i);
  }
  return prev;
}

namespace {

// The dialogs' face and its rendered characters, window thread only. Made
// again when a test swaps the glyph source.
struct FACECACHE {
  cGlyphSource* lpSource = nullptr;
  std::unique_ptr<cGlyphFace> lpFace;
  std::map<std::string, GLYPHBITMAP> mGlyphs;
};

FACECACHE& Face() {
  // Never destroyed: a face must not outlive the FreeType library it came
  // from, and the library's own static may go first at exit.
  static FACECACHE& s_Cache = *new FACECACHE;
  cGlyphSource* src = GetGlyphSource();
  if (s_Cache.lpSource != src || !s_Cache.lpFace) {
    s_Cache.lpSource = src;
    s_Cache.mGlyphs.clear();
    s_Cache.lpFace = src ? src->OpenFace(Sjis("ＭＳ Ｐゴシック"), 0, kDialogTextHeight) : nullptr;
  }
  return s_Cache;
}

const GLYPHBITMAP* Glyph(const std::string& ch) {
  FACECACHE& f = Face();
  if (!f.lpFace) return nullptr;
  auto it = f.mGlyphs.find(ch);
  if (it == f.mGlyphs.end()) {
    GLYPHBITMAP g;
    f.lpFace->RenderGlyph(ch, g);
    it = f.mGlyphs.emplace(ch, std::move(g)).first;
  }
  return &it->second;
}

}  // namespace

cDlgCanvas::cDlgCanvas(std::vector<uint32_t>& v, int w, int h) : m_vPixels(v), m_nWidth(w), m_nHeight(h) {
  m_vPixels.resize(static_cast<size_t>(w) * h, kDlgDesktop);
}

void cDlgCanvas::Pixel(int x, int y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return;
  m_vPixels[static_cast<size_t>(y) * m_nWidth + x] = colour;
}

void cDlgCanvas::Fill(const DLGRECT& rc, uint32_t colour) {
  const int x0 = std::max(rc.x, 0), x1 = std::min(rc.x + rc.w, m_nWidth);
  const int y0 = std::max(rc.y, 0), y1 = std::min(rc.y + rc.h, m_nHeight);
  for (int y = y0; y < y1; ++y)
    std::fill(m_vPixels.begin() + static_cast<ptrdiff_t>(y) * m_nWidth + x0,
              m_vPixels.begin() + static_cast<ptrdiff_t>(y) * m_nWidth + x1, colour);
}

void cDlgCanvas::Frame(const DLGRECT& rc, uint32_t colour) {
  Fill({rc.x, rc.y, rc.w, 1}, colour);
  Fill({rc.x, rc.y + rc.h - 1, rc.w, 1}, colour);
  Fill({rc.x, rc.y, 1, rc.h}, colour);
  Fill({rc.x + rc.w - 1, rc.y, 1, rc.h}, colour);
}

void cDlgCanvas::Bevel(const DLGRECT& rc, bool bSunken) {
  const uint32_t tl = bSunken ? kDlgShadow : kDlgLight;
  const uint32_t br = bSunken ? kDlgLight : kDlgDark;
  Fill({rc.x, rc.y, rc.w, 1}, tl);
  Fill({rc.x, rc.y, 1, rc.h}, tl);
  Fill({rc.x, rc.y + rc.h - 1, rc.w, 1}, br);
  Fill({rc.x + rc.w - 1, rc.y, 1, rc.h}, br);
}

int cDlgCanvas::LineHeight() {
  FACECACHE& f = Face();
  return f.lpFace ? std::max(f.lpFace->CellHeight(), kDialogTextHeight) : kDialogTextHeight;
}

int cDlgCanvas::TextWidth(const std::string& s) {
  int w = 0;
  for (size_t i = 0; i < s.size();) {
    const size_t n = CharBytesAt(s, i);
    if (const GLYPHBITMAP* g = Glyph(s.substr(i, n))) w += g->nAdvance;
    i += n;
  }
  return w;
}

void cDlgCanvas::Text(int x, int y, const std::string& s, uint32_t colour, const DLGRECT& clip) {
  for (size_t i = 0; i < s.size();) {
    const size_t n = CharBytesAt(s, i);
    const GLYPHBITMAP* g = Glyph(s.substr(i, n));
    i += n;
    if (!g) continue;
    for (int gy = 0; gy < g->nHeight; ++gy) {
      for (int gx = 0; gx < g->nWidth; ++gx) {
        if (!g->Ink(gx, gy)) continue;
        const int px = x + g->nLeft + gx, py = y + g->nTop + gy;
        if (clip.Contains(px, py)) Pixel(px, py, colour);
      }
    }
    x += g->nAdvance;
  }
}

namespace {

// "&" marks a mnemonic in button texts; it is not drawn.
std::string Label(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    const size_t n = CharBytesAt(s, i);
    if (!(n == 1 && s[i] == '&')) out.append(s, i, n);
    i += n;
  }
  return out;
}

void DrawEdit(cDlgCanvas& cv, const DLGCONTROL& c, const DLGRECT& rc, bool bFocus, const std::string& strComp) {
  cv.Fill(rc, c.bEnabled ? kDlgWindow : kDlgFace);
  cv.Bevel(rc, true);
  const DLGRECT inner{rc.x + 2, rc.y + 1, rc.w - 4, rc.h - 2};
  const int ty = rc.y + (rc.h - cv.LineHeight()) / 2;
  const int s0 = std::min(c.nSelStart, c.nSelEnd), s1 = std::max(c.nSelStart, c.nSelEnd);
  // Scrolled so that the caret stays in view (the automatic horizontal scroll).
  int caretX = cv.TextWidth(c.strText.substr(0, static_cast<size_t>(c.nSelEnd)));
  std::string comp = strComp.empty() ? std::string() : Utf8ToCp932(strComp);
  int shift = std::max(0, caretX + cv.TextWidth(comp) + 2 - inner.w);
  int x = inner.x - shift;
  const std::string before = c.strText.substr(0, static_cast<size_t>(s0));
  const std::string sel = c.strText.substr(static_cast<size_t>(s0), static_cast<size_t>(s1 - s0));
  const std::string after = c.strText.substr(static_cast<size_t>(s1));
  cv.Text(x, ty, before, kDlgText, inner);
  x += cv.TextWidth(before);
  if (!sel.empty()) {
    const int w = cv.TextWidth(sel);
    const DLGRECT hl{x, ty, w, cv.LineHeight()};
    if (bFocus)
      cv.Fill({std::max(hl.x, inner.x), hl.y, std::min(hl.x + hl.w, inner.x + inner.w) - std::max(hl.x, inner.x), hl.h},
              kDlgHighlight);
    cv.Text(x, ty, sel, bFocus ? kDlgHighlightText : kDlgText, inner);
    x += w;
  }
  if (bFocus && !comp.empty()) {
    cv.Text(x, ty, comp, kDlgText, inner);
    const int w = cv.TextWidth(comp);
    cv.Fill({x, ty + cv.LineHeight(), w, 1}, kDlgText);
    x += w;
  }
  cv.Text(x, ty, after, kDlgText, inner);
  if (bFocus) {
    const int cx = inner.x - shift + caretX + (comp.empty() ? 0 : cv.TextWidth(comp));
    if (inner.Contains(cx, ty)) cv.Fill({cx, ty, 1, cv.LineHeight()}, kDlgText);
  }
}

void DrawList(cDlgCanvas& cv, const DLGCONTROL& c, const DLGRECT& rc, bool bFocus) {
  cv.Fill(rc, kDlgWindow);
  cv.Bevel(rc, true);
  const DLGRECT inner{rc.x + 2, rc.y + 2, rc.w - 4, rc.h - 4};
  const int lh = cv.LineHeight() + 2;
  for (int i = c.nTop, row = 0; i < static_cast<int>(c.vLines.size()); ++i, ++row) {
    const int y = inner.y + row * lh;
    if (y >= inner.y + inner.h) break;
    const bool bSel = i == c.nCurSel;
    if (bSel) cv.Fill({inner.x, y, inner.w, std::min(lh, inner.y + inner.h - y)}, bFocus ? kDlgHighlight : kDlgShadow);
    cv.Text(inner.x + 2, y + 1, c.vLines[static_cast<size_t>(i)], bSel ? kDlgHighlightText : kDlgText, inner);
  }
  if (c.vLines.empty()) return;
  // A thin bar on the right tells where the visible lines are.
  const int rows = std::max(1, inner.h / lh);
  if (static_cast<int>(c.vLines.size()) > rows) {
    const int n = static_cast<int>(c.vLines.size());
    const int barH = std::max(8, inner.h * rows / n);
    const int barY = inner.y + (inner.h - barH) * c.nTop / std::max(1, n - rows);
    cv.Fill({inner.x + inner.w - 4, barY, 4, barH}, kDlgShadow);
  }
}

}  // namespace

void DrawDialog(cDlgCanvas& cv, const cDlg& dlg, const std::string& strComp) {
  const DLGRECT& w = dlg.m_rcWindow;
  cv.Fill(w, kDlgFace);
  cv.Frame(w, kDlgDark);
  cv.Bevel({w.x + 1, w.y + 1, w.w - 2, w.h - 2}, false);
  const int ox = w.x + kFrameWidth;
  int cy = w.y + kFrameWidth;
  if (dlg.HasCaption()) {
    const DLGRECT cap{w.x + kFrameWidth, w.y + kFrameWidth, w.w - 2 * kFrameWidth, kCaptionHeight};
    cv.Fill(cap, kDlgCaption);
    cv.Text(cap.x + 6, cap.y + (kCaptionHeight - cv.LineHeight()) / 2, dlg.m_strCaption, kDlgCaptionText, cap);
    cy += kCaptionHeight;
  }
  const int focus = dlg.FocusId();
  for (const DLGCONTROL& c : dlg.m_vItems) {
    const DLGRECT rc{ox + c.rc.x, cy + c.rc.y, c.rc.w, c.rc.h};
    const bool bFocus = c.item.nId == focus && focus != -1;
    const uint32_t text = c.bEnabled ? kDlgText : kDlgGrayText;
    const int ty = rc.y + (rc.h - cv.LineHeight()) / 2;
    switch (c.item.nStyle) {
      case CS_TEXT:
        cv.Text(rc.x, rc.y, c.strText, text, {rc.x, rc.y, rc.w + 64, rc.h + 8});
        break;
      case CS_PICTURE:
        break;
      case CS_EDIT:
        DrawEdit(cv, c, rc, bFocus, strComp);
        break;
      case CS_LIST:
        DrawList(cv, c, rc, bFocus);
        break;
      case CS_PUSH:
      case CS_DEFPUSH: {
        if (c.item.nStyle == CS_DEFPUSH || bFocus) cv.Frame(rc, kDlgText);
        const DLGRECT in{rc.x + 1, rc.y + 1, rc.w - 2, rc.h - 2};
        cv.Fill(in, 0xE1E1E1);
        cv.Bevel(in, c.bPressed);
        const std::string label = Label(c.strText);
        const int tw = cv.TextWidth(label);
        const int d = c.bPressed ? 1 : 0;
        cv.Text(rc.x + (rc.w - tw) / 2 + d, ty + d, label, text, in);
        if (bFocus) {
          for (int x = in.x + 2; x < in.x + in.w - 2; x += 2) {
            cv.Pixel(x, in.y + 2, kDlgText);
            cv.Pixel(x, in.y + in.h - 3, kDlgText);
          }
        }
        break;
      }
      case CS_RADIO:
      case CS_CHECK: {
        const DLGRECT box{rc.x, rc.y + (rc.h - 12) / 2, 12, 12};
        if (c.item.nStyle == CS_RADIO) {
          // A ring of radius 5.5 around the box's centre, a dot of 2.5 inside.
          for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 12; ++x) {
              const int d2 = (2 * x - 11) * (2 * x - 11) + (2 * y - 11) * (2 * y - 11);  // (2 * distance)^2
              if (d2 > 121) continue;
              uint32_t col = d2 >= 81 ? kDlgDark : kDlgWindow;
              if (c.bChecked && d2 <= 25) col = kDlgText;
              cv.Pixel(box.x + x, box.y + y, col);
            }
          }
        } else {
          cv.Fill(box, kDlgWindow);
          cv.Frame(box, kDlgDark);
          if (c.bChecked) {
            // A tick: down three pixels, then up five.
            for (int i = 0; i < 7; ++i) {
              const int yy = i < 3 ? box.y + 5 + i : box.y + 7 - (i - 2) + 1;
              cv.Fill({box.x + 2 + i, yy, 1, 2}, kDlgText);
            }
          }
        }
        const std::string label = Label(c.strText);
        cv.Text(rc.x + 16, ty, label, text, {rc.x, rc.y - 2, rc.w + 32, rc.h + 4});
        if (bFocus) {
          const int tw = cv.TextWidth(label);
          for (int x = rc.x + 15; x < rc.x + 17 + tw; x += 2) cv.Pixel(x, ty + cv.LineHeight(), kDlgText);
        }
        break;
      }
      case CS_GROUP: {
        const int th = cv.LineHeight();
        const DLGRECT fr{rc.x, rc.y + th / 2, rc.w, rc.h - th / 2};
        cv.Frame(fr, kDlgShadow);
        cv.Frame({fr.x + 1, fr.y + 1, fr.w - 2, fr.h - 2}, kDlgLight);
        const int tw = cv.TextWidth(c.strText);
        cv.Fill({rc.x + 6, rc.y, tw + 4, th}, kDlgFace);
        cv.Text(rc.x + 8, rc.y, c.strText, text, {rc.x, rc.y, rc.w, th + 2});
        break;
      }
    }
  }
}
