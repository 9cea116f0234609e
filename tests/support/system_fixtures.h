// Fixture builders for the project's settings file "data\System.dat" (the
// current version and the shapes older versions wrote) and the player's
// "user_data\Option.dat", written through the records' own writers under
// the working folder.
#pragma once

#include "records/option.h"
#include "records/system.h"

// Writes the settings as version nVersion wrote them (its fields and lists).
BOOL WriteSystemDat(cEdSystem& sys, int nVersion = DATA_VERSION_CURRENT);
// The settings of a new project, as "data\System.dat".
BOOL WriteDefaultSystemDat();
// The defaults of a new project in the shape that version nVersion held
// them: the lists without the entries that later versions inserted, so that
// reading the file back gives the defaults again (with the values the
// conversions set).
cEdSystem SystemAsWrittenBy(int nVersion);
// "user_data\Option.dat".
BOOL WriteOptionDat(cEdOption& opt);
