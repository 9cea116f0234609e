// A whole project in a folder, for runs of the real program: everything the
// project builder writes.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

// folder must be the working folder (cTempFolder makes itself so).
inline void WriteE2EProject(const cTempFolder& folder) {
  cProjectBuilder builder(folder.Path());
  ASSERT_TRUE(builder.Build());
}
