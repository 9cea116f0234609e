// Fixture builders for the ten database files: a small but meaningful
// project database, and its files written through the records' own writers.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "records/database.h"

// Two or three entries per list, each with its own values: animations with
// frames (one with the no-interrupt flag on its second frame, one without
// frames), a set with four animations and offsets, a sword type with two
// parts, a sprite effect with frames, chara effects of kinds 1, 7 and 6,
// screen effects of kinds 2, 1 and 10, and media entries with file names.
cEdDatabase MakeFixtureDatabase();

// An animation of the given frames, each a pattern and its time in tenths
// of a second (interruptible).
cEdAnime AnimeOf(std::initializer_list<std::pair<int, int>> patternTenths);

// Writes the ten files of db under root (a game path prefix such as "" or
// "proj\"), "data\database\AnimeSet.dat" and so on, in the layout of data
// version nVersion, making "data" and "data\database" where missing (root
// itself must exist). True when all ten were written.
bool WriteDatabaseFiles(cEdDatabase& db, const std::string& root = "", int nVersion = DATA_VERSION_CURRENT);

// The bytes that WriteDatabaseFiles gives file i (in loading order) of db.
std::string DatabaseFileBytes(cEdDatabase& db, int i, int nVersion = DATA_VERSION_CURRENT);
