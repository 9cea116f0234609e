#include "base/checked_containers.h"

#include <gtest/gtest.h>

#include "platform/messages.h"
#include "base/report.h"
#include "tests/support/temp_folder.h"

namespace {

struct cThreeInts {
  int32_t a, b, c;
};

int CountCloses(HWND w) {
  int n = 0;
  MSG m;
  while (PeekMessage(&m, w, 0, 0, PM_REMOVE)) {
    if (m.message == WM_CLOSE) ++n;
  }
  return n;
}

class CheckedAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMessageLayerForTests();
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    g_hWndMain = CreateMessageWindow(nullptr);
  }
  void TearDown() override { ResetMessageLayerForTests(); }
  cTempFolder m_Tmp;
};

}  // namespace

template <>
struct ReportedSize<cThreeInts> {
  static constexpr int value = 48;
};

// Start-up and the tests that expect no failed access read the count of
// failures: every failure, of a vector or a list, counts once.
TEST_F(CheckedAccess, OutOfRangeReportsClosesAndYieldsElementZero) {
  const int nFailures = CheckedAccessFailures();
  cVector<int32_t> v{10, 11, 12, 13, 14};
  EXPECT_EQ(v.CheckedAt(3), 13);
  EXPECT_EQ(v.CheckedAt(5), 10);
  EXPECT_EQ(v.CheckedAt(-1), 10);
  EXPECT_EQ(m_Tmp.ReadFile("Report_Game.txt"), "err V[5] ( 5 , 4 )\nerr V[-1] ( 5 , 4 )\n");
  EXPECT_EQ(CountCloses(g_hWndMain), 2);
  EXPECT_EQ(CheckedAccessFailures(), nFailures + 2);
}

TEST_F(CheckedAccess, EmptyVectorGivesAFreshDefaultEveryTime) {
  cVector<int32_t> empty;
  int32_t& d = empty.CheckedAt(0);
  EXPECT_EQ(d, 0);
  d = 77;  // a caller writing through the bad access
  EXPECT_EQ(empty.CheckedAt(2), 0);
  cVector<int32_t> other{5};
  EXPECT_EQ(other.CheckedAt(0), 5);
  EXPECT_EQ(m_Tmp.ReadFile("Report_Game.txt"), "err V[0] ( 0 , 4 )\nerr V[2] ( 0 , 4 )\n");
  EXPECT_EQ(CountCloses(g_hWndMain), 2);
}

TEST_F(CheckedAccess, ListFormUsesTheStatedSizeAndOneDefaultObject) {
  const int nFailures = CheckedAccessFailures();
  cList<cThreeInts> l(3, cThreeInts{1, 2, 3});
  EXPECT_EQ(l.CheckedListAt(2).a, 1);
  cThreeInts* first = &l.CheckedListAt(3);
  EXPECT_EQ(first->a, 0);
  first->a = 9;
  cThreeInts* second = &l.CheckedListAt(-4);
  EXPECT_EQ(first, second);
  EXPECT_EQ(second->a, 0);
  EXPECT_EQ(m_Tmp.ReadFile("Report_Game.txt"), "err L[3] ( 3 , 48 )\nerr L[-4] ( 3 , 48 )\n");
  EXPECT_EQ(CheckedAccessFailures(), nFailures + 2);
}

TEST_F(CheckedAccess, FillsTouchEveryElementAndNothingWhenEmpty) {
  cVector<int32_t> v(4, 1);
  FillInt(v, 7);
  EXPECT_EQ(v, (cVector<int32_t>(4, 7)));
  cVector<uint8_t> b;
  FillByte(b, 3);
  EXPECT_EQ(m_Tmp.ReadFile("Report_Game.txt"), "");
  EXPECT_EQ(CountCloses(g_hWndMain), 0);
}
