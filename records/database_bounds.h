// The most entries of each database that a game can use. Everything that
// names a database entry stores its number at a fixed width: a shot's sword
// type is a byte; a chara's anime set, own picture and effects, a block's
// and an item's own picture, a shot's hit effect, an item's sound and the
// numbers that the anime-set, effect, chara-effect, screen-effect, picture
// and sound commands take are 16 bits. Entries past what such a number can name are never shown or
// played, so a database file keeps no more than that (the rest are read
// past, and the report says how many). Animations and pieces of music are
// also named by 32-bit numbers (the animation command, a stage's music, the
// screens' music), so their lists keep every entry.
#pragma once

#include <cstddef>
#include <cstdint>

// In the order of the database files (DatabaseFilePath).
constexpr size_t DATABASE_MAX_ENTRIES[] = {
    size_t{1} << 16,  // anime sets
    SIZE_MAX,         // animations
    size_t{1} << 16,  // special chara pictures
    size_t{1} << 8,   // sword types
    size_t{1} << 16,  // effects
    size_t{1} << 16,  // chara effects (a chara names one in 16 bits; a run reaches the first 32768)
    size_t{1} << 16,  // screen effects
    size_t{1} << 16,  // pictures
    size_t{1} << 16,  // sounds
    SIZE_MAX,         // pieces of music
};
