// The ground of a test that reads and writes data files: a fresh working
// folder, data version 667 with carriage returns stripped from strings, an
// empty report, and no window messages left from an earlier test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/messages.h"
#include "records/data_file.h"
#include "base/report.h"
#include "tests/support/temp_folder.h"

class cRecordFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_nCurDataVersion = 667;
    g_bStripCR = 1;
    ResetMessageLayerForTests();
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
  }
  void TearDown() override {
    g_nCurDataVersion = 667;
    g_bStripCR = 0;
  }

  // Writes the record in the layout of data version nVersion, through its
  // own writer, and gives the file's bytes.
  template <class T>
  std::string SaveAt(T& rec, int nVersion, const char* path = "old.dat") {
    g_nCurDataVersion = nVersion;
    EXPECT_TRUE(rec.SaveToFile(path));
    g_nCurDataVersion = 667;
    return m_Tmp.ReadFile(path);
  }

  cTempFolder m_Tmp;
};
