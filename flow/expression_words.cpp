#include "flow/expression_words.h"

#include <algorithm>
#include <cctype>

#include "flow/flow_host.h"
#include "flow/value_ops.h"
#include "records/progress.h"

namespace {

template <size_t N>
int IndexIn(const char* const (&list)[N], const std::string& word) {
  for (size_t i = 0; i < N; ++i)
    if (word == list[i]) return static_cast<int>(i);
  return -1;
}

// The chara status behind a status word 8..21 ("hp".."getsc"), with the
// storage width the language gives it and its assignment range.
struct CODESTATUSENTRY {
  int32_t nCharaStatus;
  int32_t nWidth;
  int32_t nMin, nMax;  // hp and sp: up to the object's maximum, read at the time
};
const CODESTATUSENTRY s_aCodeStatus[] = {
    {CharaStatus::Hp, 4, 0, 0},                    // hp
    {CharaStatus::Sp, 4, 0, 0},                    // sp
    {CharaStatus::MaxHp, 4, 1, 999999},            // mhp
    {CharaStatus::MaxSp, 4, 1, 999999},            // msp
    {CharaStatus::CharaId, 0, 0, 99},              // cid
    {CharaStatus::Z, 0, 0, 7},                     // z
    {CharaStatus::Mark, 2, 0, 119},                // mark
    {CharaStatus::Sight, 0, 0, 40},                // sight
    {CharaStatus::Power, 4, -999999, 999999},      // power
    {CharaStatus::Impact, 0, -20, 20},             // imp
    {CharaStatus::Defence, 4, 0, 999999},          // def
    {CharaStatus::ImpactResist, 0, 0, 20},         // impd
    {CharaStatus::Stopping, 2, 0, 200},            // stop
    {CharaStatus::ScoreGained, 4, -999999, 999999},  // getsc
};
constexpr int CODE_FIRST_NAMED_STATUS = 8;
static_assert(std::size(s_aCodeStatus) == CODE_STATUS_COUNT - CODE_FIRST_NAMED_STATUS);

}  // namespace

int CodeOperatorIndex(const std::string& word) { return IndexIn(g_szCodeOperator, word); }
int CodeObjectIndex(const std::string& word) { return IndexIn(g_szCodeObject, word); }
int CodeStatusIndex(const std::string& word) { return IndexIn(g_szCodeStatus, word); }
int CodeSystemValueIndex(const std::string& word) { return IndexIn(g_szCodeSystemValue, word); }
bool IsCodeFunction(const std::string& word) { return IndexIn(g_szCodeFunction, word) >= 0; }

int32_t CodeNumber(const char* psz) {
  bool bNegative = false;
  if (*psz == '+' || *psz == '-') bNegative = *psz++ == '-';
  int64_t n = 0;
  for (; *psz >= '0' && *psz <= '9'; ++psz) {
    n = n * 10 + (*psz - '0');
    if (n > static_cast<int64_t>(INT32_MAX) + 1) n = static_cast<int64_t>(INT32_MAX) + 1;
  }
  return Saturate32(bNegative ? -n : n);
}

CodeClassResult ClassifyCodeWord(const std::string& word, int nObject, cFlowChara& chara, CodeToken& token) {
  token = CodeToken{};
  if (int op = CodeOperatorIndex(word); op >= 0) {
    token.nKind = CodeTokenKind::Operator;
    token.nOperator = op;
    return CODE_TOKEN;
  }
  // The object is fetched for every word that becomes a token.
  cFlowChara* pObject = nullptr;
  switch (nObject) {
    case CodeObject::My: pObject = &chara; break;
    case CodeObject::Target:
      pObject = chara.Target();
      if (!pObject) return CODE_FAIL;
      break;
    case CodeObject::Player:
      pObject = FlowStage().FirstPlayer();
      if (!pObject) return CODE_FAIL;
      break;
    default: break;
  }
  if (word[0] == 'C' || word[0] == 'S') {
    cVector<int32_t>& v = word[0] == 'C' ? CommonVars() : FlowStage().StageVars();
    token.nKind = CodeTokenKind::Variable;
    token.pStore = &v.CheckedAt(CodeNumber(word.c_str() + 1));
    token.nValue = *token.pStore;
    return CODE_TOKEN;
  }
  if (int st = CodeStatusIndex(word); st >= 0) {
    if (!pObject) return CODE_FAIL;  // a status after "sys"
    token.nKind = CodeTokenKind::Status;
    token.nStatus = st;
    token.pObject = pObject;
    if (st < CODE_FIRST_NAMED_STATUS) {
      token.pStore = &pObject->Vars().CheckedAt(st + 1);
      token.nValue = *token.pStore;
      return CODE_TOKEN;
    }
    const CODESTATUSENTRY& e = s_aCodeStatus[st - CODE_FIRST_NAMED_STATUS];
    token.nWidth = e.nWidth;
    token.nValue = pObject->Status(e.nCharaStatus);
    token.nMin = e.nMin;
    token.nMax = e.nMax;
    if (e.nCharaStatus == CharaStatus::Hp) token.nMax = std::max(0, pObject->Status(CharaStatus::MaxHp));
    if (e.nCharaStatus == CharaStatus::Sp) token.nMax = std::max(0, pObject->Status(CharaStatus::MaxSp));
    return CODE_TOKEN;
  }
  if (int sv = CodeSystemValueIndex(word); sv >= 0) {
    cFlowStage& stage = FlowStage();
    token.nKind = CodeTokenKind::SystemValue;
    token.nSystem = sv;
    token.nMin = g_FlowSystemRange[sv].nMin;
    token.nMax = g_FlowSystemRange[sv].nMax;
    switch (sv) {
      case SystemValue::Time: token.pStore = &stage.TimeCounter(); break;
      case SystemValue::ScrollX: token.pStore = &stage.ScrollSpeed(0); break;
      case SystemValue::ScrollY: token.pStore = &stage.ScrollSpeed(1); break;
      case SystemValue::Score: token.pStore = &g_Progress.m_nScore; break;
      case SystemValue::Lives: token.pStore = &g_Progress.m_nLives; break;
    }
    token.nValue = *token.pStore;
    if (sv == SystemValue::Lives && token.nValue == kUnlimitedLives) {
      token.nValue = 0;
      token.nMin = token.nMax = kUnlimitedLives;
    }
    return CODE_TOKEN;
  }
  token.nValue = CodeNumber(word.c_str());
  return CODE_TOKEN;
}

int32_t AssignCodeToken(const CodeToken& token, int32_t nValue, cFlowChara& chara) {
  int32_t v = std::clamp(nValue, token.nMin, token.nMax);
  if (token.nKind == CodeTokenKind::Variable || token.nKind == CodeTokenKind::SystemValue ||
      (token.nKind == CodeTokenKind::Status && token.nStatus < CODE_FIRST_NAMED_STATUS)) {
    *token.pStore = v;
    if (token.nKind == CodeTokenKind::SystemValue &&
        (token.nSystem == SystemValue::ScrollX || token.nSystem == SystemValue::ScrollY)) {
      int nAxis = token.nSystem == SystemValue::ScrollX ? 0 : 1;
      cFlowStage& stage = FlowStage();
      stage.SetScrollSpeed(nAxis, stage.AutoScroll(nAxis), v);
    }
    return v;
  }
  if (token.nKind != CodeTokenKind::Status || !token.pObject) return v;
  cFlowChara& obj = *token.pObject;
  const CODESTATUSENTRY& e = s_aCodeStatus[token.nStatus - CODE_FIRST_NAMED_STATUS];
  v = AtWidth(v, e.nWidth == 0 ? 1 : e.nWidth);
  obj.SetStatus(e.nCharaStatus, v);
  switch (e.nCharaStatus) {
    case CharaStatus::Hp:
      if (&obj != &chara && v <= 0) FlowStage().SetOtherCharaDefeated();
      break;
    case CharaStatus::MaxHp:
      obj.SetStatus(CharaStatus::Hp, std::clamp(obj.Status(CharaStatus::Hp), 1, std::max(v, 1)));
      break;
    case CharaStatus::MaxSp:
      obj.SetStatus(CharaStatus::Sp, std::clamp(obj.Status(CharaStatus::Sp), 1, std::max(v, 1)));
      break;
    case CharaStatus::Sight:
      if (!obj.KeepsSight()) obj.SightChanged(TRUE);
      break;
    default: break;
  }
  return v;
}
