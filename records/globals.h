// The long-lived globals of the records subsystem: the fixed start-up
// tables, the project database and the run tables built from it. They are
// defined together in records/globals.cpp, in their order of construction.
#pragma once

#include "records/database.h"
#include "records/database_run_tables.h"
#include "records/start_tables.h"
