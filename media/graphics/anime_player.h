// The animation sequence player every live object embeds: frame lists ended
// by a control code (-1 hold, -2 loop, -3 forced jump), frames that refuse a
// start of another animation that is not forced.
#pragma once

#include <cstdint>

#include "base/checked_containers.h"
#include "platform/win_types.h"

// One frame as the run-time animation tables hold a sequence.
struct ANIMEFRAME {
  int32_t nPattern;      // 0 or more: a pattern; negative: a control code ending the sequence
  int32_t nDuration;     // updates the frame lasts; for -3 the animation to jump to
  uint8_t bNoInterrupt;  // while current, a start that is not forced is refused
};

// A frame of the player's own copy (the no-interrupt mark widened).
struct ANIMERUNFRAME {
  int32_t nPattern;
  int32_t nDuration;
  uint32_t bNoInterrupt;
};

constexpr int32_t ANIME_HOLD = -1;
constexpr int32_t ANIME_LOOP = -2;
constexpr int32_t ANIME_JUMP = -3;

class cAnime {
 public:
  // lpSequences is a list of sequences ended by a null pointer; a null list
  // changes nothing.
  void Build(const ANIMEFRAME* const* lpSequences);
  // The same from a table of step lists whose steps carry nPattern,
  // nDuration and bNoInterrupt (the database's run tables); each list is
  // read up to and including its first negative pattern.
  template <class TABLE>
  void BuildFrom(const TABLE& table);

  BOOL SetAnime(int nAnime, BOOL bForce);
  BOOL ChangeAnime(int nAnime, BOOL bForce);
  int Update();
  int GetPattern();
  // nUpdates updates at once (a lead-in started part-way), at most one pass
  // through the current sequence: its length bounds any start-up skip.
  void Advance(int nUpdates);

  cVector<cVector<ANIMERUNFRAME>> vAnime;
  int32_t nAnime = 0;
  int32_t nFrame = 0;
  int32_t nTick = 0;

 private:
  ANIMERUNFRAME& Current();
};

template <class TABLE>
void cAnime::BuildFrom(const TABLE& table) {
  vAnime.clear();
  nAnime = nFrame = nTick = 0;
  vAnime.resize(table.size());
  for (size_t i = 0; i < table.size(); ++i) {
    cVector<ANIMERUNFRAME>& seq = vAnime[i];
    for (const auto& f : table[i]) {
      seq.push_back(ANIMERUNFRAME{f.nPattern, f.nDuration, f.bNoInterrupt ? 1u : 0u});
      if (f.nPattern < 0) break;
    }
  }
}

template <>
struct ReportedSize<ANIMERUNFRAME> {
  static constexpr int value = 12;
};
template <>
struct ReportedSize<cVector<ANIMERUNFRAME>> {
  static constexpr int value = 16;
};
