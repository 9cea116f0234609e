// Small services over g_System for stage play and the mode screens: ranking
// categories per play kind, the framed box of a group of project texts, and
// the low-value test of a status gauge.
#pragma once

#include <cstdint>
#include <string>

// The ranking categories switched on for play kind k (0 when the kind is off).
uint32_t CountSystemEntryFlags(int nPlayKind);

// The left edge that centres texts t .. t+n-1 of the project's text list on
// x (16 pixels per character; e != 0 leaves room for the cursor marker).
int CalcCenteredTextX(int x, int nFirstText, int nLines, int bMarker);

// The framed box that DrawSystemTexts draws: its size in pixels and its
// text, one line per project text (with a leading blank for the marker).
struct SYSTEMTEXTBOX {
  int nWidth;
  int nHeight;
  std::string strText;
};
SYSTEMTEXTBOX BuildSystemTextBox(int nFirstText, int nLines, int bMarker);

// Draws the box at (x, y) on the back buffer through the drawer that the
// font layer registers (the second system font's text box). The text is
// drawn as it stands: a "%" in a project text shows as "%". Nothing is drawn
// for n = 0 or while no drawer is registered.
void DrawSystemTexts(int x, int y, int nFirstText, int nLines, int bMarker);
using SystemTextBoxDrawer = void (*)(int x, int y, int nWidth, int nHeight, const std::string& strText);
void SetSystemTextBoxDrawer(SystemTextBoxDrawer pfn);

// 1 when the value of status item i is at or below its low mark (a
// percentage of the maximum when the item says so), else 0.
int CheckPercentThreshold(int nItem, int nValue, int nMax);
