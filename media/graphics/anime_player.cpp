#include "media/graphics/anime_player.h"

#include <algorithm>
#include <span>
#include <vector>

void cAnime::Build(const ANIMEFRAME* const* lpSequences) {
  if (!lpSequences) return;
  // Each sequence as far as its control code, which BuildFrom stops after.
  std::vector<std::span<const ANIMEFRAME>> vTable;
  for (; *lpSequences; ++lpSequences) {
    size_t k = 0;
    while ((*lpSequences)[k].nPattern >= 0) ++k;
    vTable.emplace_back(*lpSequences, k + 1);
  }
  BuildFrom(vTable);
}

ANIMERUNFRAME& cAnime::Current() { return vAnime.CheckedAt(nAnime).CheckedAt(nFrame); }

BOOL cAnime::SetAnime(int nNew, BOOL bForce) {
  if (!bForce && !vAnime.empty() && Current().bNoInterrupt) return FALSE;
  // An animation the table does not hold would be read at every later
  // update; refusing it keeps the object on what it shows. An empty table
  // is never read, so it keeps any number.
  if (!vAnime.empty() && (nNew < 0 || static_cast<size_t>(nNew) >= vAnime.size())) return FALSE;
  nFrame = 0;
  nAnime = nNew;
  nTick = 0;
  return TRUE;
}

BOOL cAnime::ChangeAnime(int nNew, BOOL bForce) {
  if (nNew == nAnime) return TRUE;
  return SetAnime(nNew, bForce);
}

int cAnime::Update() {
  if (vAnime.empty()) return 0;
  nTick += 1;
  if (nTick >= Current().nDuration) {
    nTick = 0;
    cVector<ANIMERUNFRAME>& seq = vAnime.CheckedAt(nAnime);
    // A sequence ending in a code other than the three (the tables' -4 "ended")
    // or holding only a code stays on its last frame instead of running off.
    if (static_cast<size_t>(nFrame) + 1 < seq.size()) {
      nFrame += 1;
      const ANIMERUNFRAME& f = seq.CheckedAt(nFrame);
      if (f.nPattern == ANIME_JUMP) {
        if (!SetAnime(f.nDuration, TRUE)) nFrame -= 1;
      } else if (f.nPattern == ANIME_LOOP) {
        nFrame = 0;
      } else if (f.nPattern == ANIME_HOLD) {
        nFrame -= 1;
      }
    }
  }
  return Current().nPattern;
}

void cAnime::Advance(int nUpdates) {
  if (vAnime.empty()) return;
  const size_t nFrames = vAnime.CheckedAt(nAnime).size();
  // Each turn spends what is left of the current frame, so a long frame
  // costs one turn, not one per update.
  for (size_t k = 0; k <= nFrames && nUpdates > 0; ++k) {
    const int32_t nLast = std::max<int32_t>(Current().nDuration, 1);
    const int64_t nLeft = static_cast<int64_t>(nLast) - nTick;
    if (nLeft > nUpdates) {
      nTick += nUpdates;
      return;
    }
    nUpdates -= static_cast<int>(std::max<int64_t>(nLeft, 1));
    nTick = nLast - 1;
    Update();
  }
}

int cAnime::GetPattern() {
  if (vAnime.empty()) return 0;
  return Current().nPattern;
}
