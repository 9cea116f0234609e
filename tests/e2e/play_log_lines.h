// The lines of a TARVOLIN4_PLAYLOG file, one per play frame, read back into
// their fields for the end-to-end tests.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

struct PLAYLOGLINE {
  unsigned nFrame = 0;
  int nStage = 0, nState = -2, nX = 0, nY = 0, nHp = 0, nLives = 0, nScore = 0, nTime = 0;
  int nCharas = 0, nShots = 0, nItems = 0;
};

// Every well-formed line, in order; other lines are passed over.
inline std::vector<PLAYLOGLINE> ParsePlayLog(const std::string& text) {
  std::vector<PLAYLOGLINE> v;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    PLAYLOGLINE l;
    if (std::sscanf(line.c_str(),
                    "frame=%u stage=%d state=%d x=%d y=%d hp=%d lives=%d score=%d time=%d charas=%d shots=%d items=%d",
                    &l.nFrame, &l.nStage, &l.nState, &l.nX, &l.nY, &l.nHp, &l.nLives, &l.nScore, &l.nTime,
                    &l.nCharas, &l.nShots, &l.nItems) == 12)
      v.push_back(l);
  }
  return v;
}
