#include "flow/expression.h"

#include <vector>

#include "base/checked_containers.h"
#include "base/message_box.h"
#include "flow/expression_words.h"
#include "flow/flow_host.h"
#include "flow/value_ops.h"
#include "platform/text_cp932.h"

int32_t g_bCodeError = 0;

// A token of the original's token list: ten 32-bit words.
template <>
struct ReportedSize<CodeToken> {
  static constexpr int value = 40;
};

namespace {

void Fail() { g_bCodeError = 1; }

void FailWithBox(const std::string& text) {
  ErrorBox(text);
  Fail();
}

// The statement is scanned once from left to right; the text that groups and
// calls leave behind (their values in decimal) is built in out, which is
// what the flat evaluation then reads. pMatch holds, for every "(", the index
// of its ")" (-1 when none), worked out once for the whole text so that no
// parenthesis is searched for twice.
class cCodeParser {
 public:
  cCodeParser(const std::string& text, cFlowChara& chara) : m_s(text), m_chara(chara), m_vMatch(text.size(), -1) {
    std::vector<size_t> vOpen;
    for (size_t i = 0; i < m_s.size(); ++i) {
      if (m_s[i] == '(') vOpen.push_back(i);
      else if (m_s[i] == ')' && !vOpen.empty()) {
        m_vMatch[vOpen.back()] = static_cast<int64_t>(i);
        vOpen.pop_back();
      }
    }
  }

  // The value of the statement in [nBegin, nEnd) of the text. An error met
  // while scanning this statement (a "(" without its ")", a bad call) gives
  // it up without evaluating it: its value is 0. The error flag is not
  // looked at on the way out, so a group or argument that failed yields its
  // value and the statement around it goes on.
  int32_t Parse(size_t nBegin, size_t nEnd, int nDepth) {
    if (nDepth > MAX_CODE_NESTING) {
      FailWithBox(Sjis("\")\"が見つかりません！"));
      return 0;
    }
    std::string out;
    size_t w = 0;  // start of the current word in out
    for (size_t i = nBegin; i < nEnd;) {
      char c = m_s[i];
      if (c == '(') {
        std::string name = out.substr(w);
        const bool bGroup = name.empty();
        const bool bCall = !bGroup && IsCodeFunction(name);
        int64_t j = m_vMatch[i];
        if (j < 0 || static_cast<size_t>(j) >= nEnd) {
          if (bCall) FailWithBox(Sjis("関数 ") + name + Sjis(" で\")\"が見つかりません！"));
          else FailWithBox(Sjis("\")\"が見つかりません！"));
          return 0;
        }
        if (bGroup || bCall) {
          int32_t nValue = 0;
          if (bGroup) {
            nValue = Parse(i + 1, static_cast<size_t>(j), nDepth + 1);
          } else if (!Call(name, i, static_cast<size_t>(j), nDepth, nValue)) {
            return 0;
          }
          out.resize(w);
          out += std::to_string(nValue);
          i = static_cast<size_t>(j) + 1;
          continue;
        }
        out += c;
        ++i;
        continue;
      }
      out += c;
      if (c == ' ') w = out.size();
      ++i;
    }
    return EvalCodeExpression(out, m_chara);
  }

 private:
  // A call's arguments are statements of their own; false when the call
  // itself is wrong (its error box shown).
  bool Call(const std::string& name, size_t nOpen, size_t nClose, int nDepth, int32_t& nValue) {
    std::vector<int32_t> vArg;
    size_t nPiece = nOpen + 1;
    int nLevel = 0;
    for (size_t k = nOpen + 1; k <= nClose; ++k) {
      char c = m_s[k];
      if (c == '(') ++nLevel;
      else if (c == ')' && k < nClose) --nLevel;
      if ((c == ',' && nLevel == 0) || k == nClose) {
        if (k > nPiece) vArg.push_back(Parse(nPiece, k, nDepth + 1));
        nPiece = k + 1;
      }
    }
    if (vArg.size() != 2) {
      FailWithBox(Sjis("関数 ") + name + Sjis(" の引数が不正です！"));
      return false;
    }
    nValue = RandomBetween(vArg[0], vArg[1]);
    return true;
  }

  const std::string& m_s;
  cFlowChara& m_chara;
  std::vector<int64_t> m_vMatch;
};

int32_t Apply(int nOperator, int32_t a, int32_t b) {
  const uint32_t ua = static_cast<uint32_t>(a), ub = static_cast<uint32_t>(b);
  switch (nOperator) {
    case CodeOperator::Add: return static_cast<int32_t>(ua + ub);
    case CodeOperator::Subtract: return static_cast<int32_t>(ua - ub);
    case CodeOperator::Multiply: return static_cast<int32_t>(ua * ub);
    // INT_MIN / -1 wraps to INT_MIN and its remainder is 0, as on the 32-bit
    // machines the games were made on, instead of trapping.
    case CodeOperator::Divide: return (b == -1) ? static_cast<int32_t>(0u - ua) : a / b;
    case CodeOperator::Remainder: return (b == -1) ? 0 : a % b;
    default: return 0;
  }
}

// The operand at nSide (-1 left, 1 right) of the operator vToken[k] that
// has none: the token list as it stands (vOut, then vToken from k) read at
// that place through the checked access, which reports it and hands back
// the list's first token. An operator found there counts as the number 0.
CodeToken MissingOperand(const std::vector<CodeToken>& vOut, const std::vector<CodeToken>& vToken, size_t k,
                         int nSide) {
  cVector<CodeToken> vList(vOut);
  vList.insert(vList.end(), vToken.begin() + static_cast<std::ptrdiff_t>(k), vToken.end());
  CodeToken t = vList.CheckedAt(static_cast<int>(vOut.size()) + nSide);
  if (t.nKind == CodeTokenKind::Operator) t = CodeToken{};
  return t;
}

}  // namespace

int32_t EvalCodeExpression(const std::string& text, cFlowChara& chara) {
  std::vector<CodeToken> vToken;
  std::string word;
  int nObject = CodeObject::My;
  for (size_t i = 0; i <= text.size(); ++i) {
    char c = i < text.size() ? text[i] : '\0';
    if (c != ' ' && c != '.' && c != '\0') {
      word += c;
      continue;
    }
    if (c == '.') {
      nObject = CodeObjectIndex(word);
      if (nObject < 0) {
        FailWithBox(Sjis("オブジェクト \"") + word + Sjis(".\" が認識できません！"));
        return 0;
      }
      word.clear();
      continue;
    }
    if (word.empty()) continue;
    CodeToken token;
    if (ClassifyCodeWord(word, nObject, chara, token) == CODE_FAIL) {
      Fail();
      return 0;
    }
    vToken.push_back(token);
    nObject = CodeObject::My;
    word.clear();
  }

  // Each level in one pass from the front: the operators of a level apply
  // left to right, each to the result before it.
  int32_t nResult = vToken.empty() ? 0 : vToken.back().nValue;
  for (int nLevel = 0; nLevel < CODE_OPERATOR_LEVELS; ++nLevel) {
    std::vector<CodeToken> vOut;
    vOut.reserve(vToken.size());
    for (size_t k = 0; k < vToken.size(); ++k) {
      const CodeToken& t = vToken[k];
      if (t.nKind != CodeTokenKind::Operator || g_CodeOperatorLevel[t.nOperator] != nLevel) {
        vOut.push_back(t);
        continue;
      }
      // An operator next to another operator is refused. One with nothing on
      // a side reads the token list there through the checked access (a
      // report and the close request) and takes its first token instead.
      const bool bNoLeft = vOut.empty(), bNoRight = k + 1 >= vToken.size();
      if ((!bNoLeft && vOut.back().nKind == CodeTokenKind::Operator) ||
          (!bNoRight && vToken[k + 1].nKind == CodeTokenKind::Operator)) {
        Fail();
        return 0;
      }
      const CodeToken left = bNoLeft ? MissingOperand(vOut, vToken, k, -1) : vOut.back();
      const CodeToken right = bNoRight ? MissingOperand(vOut, vToken, k, 1) : vToken[k + 1];
      if (bNoLeft) vOut.push_back(left);
      int32_t nValue = 0;
      if (t.nOperator == CodeOperator::Assign) {
        if (!left.HasStorage()) {
          Fail();
          return 0;
        }
        nValue = AssignCodeToken(left, right.nValue, chara);
      } else if ((t.nOperator == CodeOperator::Divide || t.nOperator == CodeOperator::Remainder) &&
                 right.nValue == 0) {
        FailWithBox(Sjis("0除算が行われました！(") + text + ")");
        return 0;
      } else {
        nValue = Apply(t.nOperator, left.nValue, right.nValue);
      }
      CodeToken r;
      r.nValue = nValue;
      vOut.back() = r;
      nResult = nValue;
      ++k;
    }
    vToken.swap(vOut);
  }
  return nResult;
}

int32_t ParseCodeStatement(const std::string& text, cFlowChara& chara) {
  return cCodeParser(text, chara).Parse(0, text.size(), 0);
}

int RunCode(const std::string& text, cFlowChara& chara) {
  g_bCodeError = 0;
  const int32_t nHp = chara.Status(CharaStatus::Hp);
  const int32_t nSp = chara.Status(CharaStatus::Sp);
  ParseCodeStatement(text, chara);
  if (g_bCodeError) return 0;
  if (int32_t n = chara.Status(CharaStatus::Hp); n != nHp) chara.StartLifeGauge(Saturate32(int64_t{n} - nHp));
  if (int32_t n = chara.Status(CharaStatus::Sp); n != nSp) chara.StartSpGauge(Saturate32(int64_t{n} - nSp));
  return 1;
}
