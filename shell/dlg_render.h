// Drawing of the program's own dialogs into a 0x00RRGGBB picture: fills,
// frames and CP932 text with the dialogs' face, and the stepping through
// CP932 characters that the text controls share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/dlg_library.h"

// Bytes of the character at pos: 2 for a lead byte with its trail, else 1.
size_t CharBytesAt(const std::string& strCp932, size_t pos);
// The start of the character before pos (pos > 0).
size_t PrevCharStart(const std::string& strCp932, size_t pos);

// Colours of the dialogs.
enum : uint32_t {
  kDlgFace = 0xF0F0F0,
  kDlgText = 0x000000,
  kDlgGrayText = 0x808080,
  kDlgLight = 0xFFFFFF,
  kDlgShadow = 0xA0A0A0,
  kDlgDark = 0x696969,
  kDlgCaption = 0x2B5797,
  kDlgCaptionText = 0xFFFFFF,
  kDlgHighlight = 0x3399FF,
  kDlgHighlightText = 0xFFFFFF,
  kDlgWindow = 0xFFFFFF,
  kDlgDesktop = 0x203040,
};

class cDlgCanvas {
 public:
  cDlgCanvas(std::vector<uint32_t>& vPixels, int nWidth, int nHeight);
  void Fill(const DLGRECT& rc, uint32_t colour);
  void Frame(const DLGRECT& rc, uint32_t colour);
  void Bevel(const DLGRECT& rc, bool bSunken);
  // Width in pixels of a CP932 text in the dialog face.
  int TextWidth(const std::string& strCp932);
  int LineHeight();
  // Draws text with its first cell's top-left at (x, y), clipped to rc.
  void Text(int x, int y, const std::string& strCp932, uint32_t colour, const DLGRECT& rcClip);
  void Pixel(int x, int y, uint32_t colour);

 private:
  std::vector<uint32_t>& m_vPixels;
  int m_nWidth;
  int m_nHeight;
};

// The caption, frame and controls of a dialog.
void DrawDialog(cDlgCanvas& canvas, const cDlg& dlg, const std::string& strCompositionUtf8);
