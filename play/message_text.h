// Message texts of stage play: a text (or a 16 x 16 item cell or icon) with
// variable tokens, placed on the screen, over a chara or on a cell of the
// stage, shown for a time or until the stage ends, with a pop-in frame.
#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "base/checked_containers.h"
#include "media/graphics/dd.h"
#include "platform/win_types.h"

class cGameObj;

constexpr int TEXTKIND_TEXT = 1;
constexpr int TEXTKIND_ITEMCELL = 2;
constexpr int TEXTKIND_ICON = 3;
constexpr int TEXTLIFE_TIMED = 2;

// The set-up values of a text object, in the order of its members.
struct TEXTSETUP {
  int nKind = TEXTKIND_TEXT;
  std::string strText;
  int anCell[3] = {0, 0, 0};  // kind 2: DrawSmallCell's kind, index and column
  BOOL bSubstitute = 0;
  BOOL bRefresh = 0;
  int nInterval = 0;
  BOOL bRect = 0;
  int nPosMode = 0;  // 0 screen centre, 1-6 a chara, 7 a screen cell, 8 a stage cell
  int nCellX = 0, nCellY = 0;
  int nOffsetX = 0, nOffsetY = 0;
  BOOL bKeepInside = 0;
  int nLifeMode = 0;
  BOOL bPin = 0;
  int anKept[2] = {0, 0};
  int nCharaId = 0;
  int nLife = 0;  // frames
  BOOL bCountWhilePaused = 0;
  BOOL bNoPopIn = 0;
};

struct TEXTOBJ {
  DDSURFACEDATA* lpSD = nullptr;  // an element of g_lstTextSD (kind 1)
  TEXTSETUP set;
  std::string strWork;  // the text with its tokens replaced
  int nWidth = 0, nHeight = 0;
  BOOL bPinned = 0;
  int nPinX = 0, nPinY = 0;
  BOOL bPopIn = 0;
  double dPopIn = 0.0;
  BOOL bDrawn = 0;  // drawn at least once

  // bSurfaceExists: set up again over a text whose surface is kept.
  void TextObjectSetup(const TEXTSETUP& s, BOOL bSurfaceExists);
  void TextLayout();
  void TextRender(int* lpWidth, int* lpHeight, const std::string& text) const;
  void TextCreateSurface();
  void TextDrawToSurface(DDSURFACEDATA* lpSD) const;
  // 1 when the text is finished (its surface is then gone). nPlayFrame is
  // the scene's play-frame counter.
  int TextObjectDraw(DDSURFACEDATA* lpDst, BOOL bPaused, uint32_t nPlayFrame);
  // The screen position of this frame (by the position mode, pinned, kept
  // inside); FALSE when the chara it follows is gone.
  BOOL TextPlace(int& x, int& y);
  void RemoveSurface();
};

// The source with its variable tokens (#C / #S, a number 1 to 255, then
// optionally "_" with Z, P and a width digit up to ".") replaced.
std::string LayoutTextTokens(const std::string& src);

// The text surfaces and their descriptions (restored after a device loss),
// and the texts on show. Written and read by the game thread, and by the
// frozen-frame threads while it waits for them.
extern std::list<DDSURFACEDATA> g_lstTextSD;
extern std::list<DDSURFACEINFO> g_lstTextInfo;
extern cList<TEXTOBJ> g_lstText;
void ClearStageTexts();

// The live chara with an id, null when there is none; the stage scene
// installs it (FindCharaById).
typedef cGameObj* (*TEXTCHARALOOKUP)(int nId);
void SetTextCharaLookup(TEXTCHARALOOKUP pfn);
