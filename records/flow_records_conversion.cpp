#include "records/flow_records_conversion.h"

#include <algorithm>
#include <cstdint>

#include "records/command_catalogue.h"
#include "records/flow_enums.h"
#include "records/flow_records.h"

namespace {

using namespace FlowCommandKind;

class cParamEditor {
 public:
  explicit cParamEditor(cVector<int32_t>& v) : m_v(v) {}

  int32_t Get(size_t i) const { return i < m_v.size() ? m_v[i] : 0; }
  void Set(size_t i, int32_t n) {
    if (i < m_v.size()) m_v[i] = n;
  }
  // A file may hold any value; an increment wraps at 32 bits.
  void Increment(size_t i) { Set(i, static_cast<int32_t>(static_cast<uint32_t>(Get(i)) + 1u)); }
  void IncrementAtMost(size_t i, int32_t nMax) { Set(i, static_cast<int32_t>(std::min<int64_t>(int64_t{Get(i)} + 1, nMax))); }
  void MakeLong(size_t n) { m_v.resize(n, 0); }
  // The list made n long, entries at..n-2 moved up one place, entry at = n.
  void Insert(int32_t n, size_t at, size_t nLong) {
    m_v.resize(nLong, 0);
    for (size_t i = nLong - 1; i > at; --i) m_v[i] = m_v[i - 1];
    m_v[at] = n;
  }
  void Clear() { m_v.clear(); }

 private:
  cVector<int32_t>& m_v;
};

// StatusOp: statuses inserted at nFirst move the target's (p4) and the
// operand's (p13) status index up.
void ShiftStatusOpIndices(cParamEditor& p, int32_t nFirst) {
  if (p.Get(0) == 0 && p.Get(3) != 2 && p.Get(4) >= nFirst) p.Increment(4);
  if (p.Get(6) == 2 && p.Get(12) != 2 && p.Get(13) >= nFirst) p.Increment(13);
}

// The mark numbers of shots and graphics stop at 119.
constexpr int32_t MARK_NUMBER_MAX = 119;

}  // namespace

void ConvertOldCommandParams(cEdCommand& cmd, int v) {
  const int k = FlowKindOfCommand(cmd.m_byList, cmd.m_byKind);
  if (k < 0) return;
  cParamEditor p(cmd.m_vParam);

  if (v < 145 && k == StageClear) p.MakeLong(5);
  if (v < 166 && k == PlayBgm) {
    p.MakeLong(2);
    p.Set(1, 1);
  }
  if (v < 168 && k == StatusOp) ShiftStatusOpIndices(p, 10);
  if (v < 189 && k == SetTarget) p.Insert(0, 2, 10);
  if (v < 194 && k == ShowPicture) p.Insert(1, 6, 14);
  if (v < 195 && (k == RunCharaEffect || k == RunScreenEffect)) p.Insert(0, 1, 3);
  if (v < 203) {
    if (k == SummonChara || k == SummonItem) p.Clear();
    if (k == FlowControl) p.MakeLong(3);
    if (k == StatusOp) ShiftStatusOpIndices(p, 5);
  }
  if (v < 210 && k == StatusOp2 && p.Get(0) != 2 && p.Get(1) >= 6) p.Increment(1);
  if (v < 219 && k == ChangeGraphic && p.Get(0) == 3) p.IncrementAtMost(1, MARK_NUMBER_MAX);
  if (v < 220 && k == Shot && cmd.m_pShot) {
    cEdShot& s = *cmd.m_pShot;
    s.m_wPicture = static_cast<uint16_t>(std::min<int32_t>(s.m_wPicture + 1, MARK_NUMBER_MAX));
  }
  if (v < 514 && k == ChargeMove && cmd.m_pMove) {
    // The charge's angle came at 514: none, mirrored for a chara facing right.
    cEdMove& m = *cmd.m_pMove;
    m.m_nAngle = 0;
    m.m_nAngleStep = 0;
    m.m_byMirrorAngle = 1;
  }
  if (v < 545) {
    if (k == Message) {
      p.MakeLong(17);
      p.Set(10, 1);
    }
    if (k == ShowPicture) {
      p.MakeLong(14);
      p.Set(11, 0);
    }
  }
  if (v < 546 && k == Message) p.Set(10, (p.Get(0) == 0 || p.Get(0) == 7) ? 1 : 0);
  if (v < 547) {
    if (k == Message) {
      p.MakeLong(17);
      p.Set(11, 0);
      p.Set(12, 0);
      p.Set(13, 0);
      p.Set(14, 1);
      p.Set(15, 0);
    }
    if (k == ShowPicture) {
      p.MakeLong(14);
      p.Set(12, 0);
      p.Set(13, 0);
    }
  }
  if (v < 556 && k == Message) {
    p.MakeLong(17);
    p.Set(16, 1);
  }
}
