#include "flow/value_ops.h"

#include <algorithm>
#include <cmath>

#include "flow/flow_host.h"
#include "platform/game_random.h"

const FLOWSTATUSENTRY g_FlowStatusTable[] = {
    //  bytes  condition range        percent of           operation range
    {4, -999999, 999999, 0, -999999, 999999},        // 0  own variable
    {4, 0, 999999, CharaStatus::MaxHp, 0, 999999},   // 1  HP
    {4, 0, 999999, CharaStatus::MaxSp, 0, 999999},   // 2  SP
    {4, 0, 999999, 0, 0, 999999},                    // 3  "最大HP"
    {4, 0, 999999, 0, 0, 999999},                    // 4  "最大SP"
    {1, 0, 99, 0, 0, 99},                            // 5  "キャラID"
    {1, 0, 7, 0, 0, 7},                              // 6  "Z座標"
    {2, 0, 119, 0, 0, 119},                          // 7  "マーク番号"
    {1, 0, 40, 0, 0, 40},                            // 8  "視界範囲(hbl)"
    {4, 0, 999999, 0, 0, 999999},                    // 9  "体当たりの威力"
    {1, -20, 20, 0, -20, 20},                        // 10 "体当たりの衝撃"
    {4, 0, 999999, 0, 0, 999999},                    // 11 "防御力"
    {1, 0, 20, 0, 0, 20},                            // 12 "衝撃耐性"
    {2, 0, 200, 0, 0, 200},                          // 13 "止まりやすさ"
    {4, 0, 999999, 0, -999999, 999999},              // 14 "獲得スコア"
};
static_assert(sizeof(g_FlowStatusTable) / sizeof(g_FlowStatusTable[0]) == CHARA_STATUS_COUNT);

const FLOWRANGE g_FlowSystemRange[] = {
    {0, 999},        // "時間"
    {-480, 480},     // "横スクロール速度"
    {-480, 480},     // "縦スクロール速度"
    {0, 999999},     // "スコア"
    {0, 99},         // "残り人数"
};
static_assert(sizeof(g_FlowSystemRange) / sizeof(g_FlowSystemRange[0]) == SYSTEM_VALUE_COUNT);

int CompareByOp(int32_t a, int32_t b, int op) {
  switch (op) {
    case 0: return a == b;
    case 1: return a != b;
    case 2: return a >= b;
    case 3: return a <= b;
    case 4: return a > b;
    case 5: return a < b;
    default: return 0;
  }
}
int CompareI8(int8_t a, int8_t b, int op) { return CompareByOp(a, b, op); }
int CompareI16(int16_t a, int16_t b, int op) { return CompareByOp(a, b, op); }

int32_t Saturate32(int64_t n) { return static_cast<int32_t>(std::clamp<int64_t>(n, INT32_MIN, INT32_MAX)); }

int32_t AtWidth(int32_t n, int nBytes) {
  if (nBytes == 1) return static_cast<int8_t>(static_cast<uint32_t>(n) & 0xFF);
  if (nBytes == 2) return static_cast<int16_t>(static_cast<uint32_t>(n) & 0xFFFF);
  return n;
}

int32_t PercentOf(int32_t nBase, int32_t nPercent) {
  double d = static_cast<double>(static_cast<int64_t>(nBase) * nPercent) * 0.01;
  d += d >= 0 ? 0.5 : -0.5;
  return Saturate32(static_cast<int64_t>(std::trunc(d)));
}

int32_t ApplyAssignOp(int32_t* pValue, int32_t nOperand, int op, int32_t nMin, int32_t nMax) {
  int64_t v = *pValue;
  const int64_t b = nOperand;
  switch (op) {
    case 0: v = b; break;
    case 1: v += b; break;
    case 2: v -= b; break;
    case 3: {
      int64_t p = v * b;  // both within 32 bits: exact in 64
      if (p > INT32_MAX || p < INT32_MIN) p = ((v < 0) == (b < 0)) ? nMax : nMin;
      v = p;
      break;
    }
    case 4: if (b != 0) v /= b; break;
    case 5: if (b != 0) v %= b; break;
    case 6: v = PercentOf(static_cast<int32_t>(v), nOperand); break;
    default: break;
  }
  int32_t nBefore = Saturate32(v);
  *pValue = static_cast<int32_t>(std::clamp<int64_t>(v, nMin, nMax));
  return nBefore;
}

int32_t RandomBetween(int32_t a, int32_t b) {
  int64_t lo = std::min(a, b), hi = std::max(a, b);
  return static_cast<int32_t>(lo + rand() % (hi - lo + 1));
}
