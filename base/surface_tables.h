// The row types of the fixed surface and font tables, shared by the tables
// (records/start_tables.h) and the graphics layer that makes the surfaces and
// fonts from them.
#pragma once

#include <cstdint>
#include <string>

// One row of the system bitmap table: a picture of the fixed surface list,
// or (file name "E") a surface created empty at the given size.
struct SYSTEMBITMAPINFO {
  std::string szFileName;  // CP932, at most 259 bytes
  int32_t bTransmit;       // the picture has a transparent colour
  int32_t nMemType;        // memory kind of the surface
  int32_t nDTMemType;      // memory kind of its drawing texture
  int32_t bParent;         // made from the parent surface that LinkGlobalTables names
  int32_t bPalMap;         // passed on to the surface loader (0 throughout)
  int32_t bNoError;        // a missing file gives no message
  int32_t nMirrorWidth;    // cell width of the mirrored copy, or 0
  int32_t nMirrorHeight;   // passed on to the surface loader (0 throughout)
  int32_t nWidth;          // of an empty surface
  int32_t nHeight;
};

// One font of the system.
struct FONTINFO {
  std::string szFaceName;     // CP932, at most 255 bytes
  int32_t nWidth;             // character width (0 = the face's default)
  int32_t nHeight;            // character height
  int32_t nCharSpacing;       // cell width in pixels (0 = proportional)
  int32_t nLineSpacing;       // cell height and line pitch in pixels
  int32_t nColorNumber;       // palette number of the text colour
  int32_t nBoxSurface;        // fixed surface of the box picture
  int32_t nFrameWidth;        // frame thickness of boxes
  int32_t nFrameColorNumber;  // palette number of the frame colour
  int32_t nIconSurface;       // fixed surface of the icon sheet
  int32_t nFastFont;          // 0 = no glyph strips; 2 is replaced at start-up
};

constexpr int SYSTEM_BITMAP_COUNT = 71;
constexpr int FONT_COUNT = 3;
constexpr int BLANK_SURFACE_INFO_COUNT = 3;
constexpr int SURFACE_LINK_COUNT = 31;

