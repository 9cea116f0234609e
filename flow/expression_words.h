// The vocabulary of the code command's expression language: functions,
// operators with their levels, objects, variable prefixes, statuses and
// system values, the token a word becomes, and how an assignment stores.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>

class cFlowChara;

constexpr const char* g_szCodeFunction[] = {"rand"};
constexpr const char* g_szCodeOperator[] = {"=", "+", "-", "*", "/", "%"};
constexpr int g_CodeOperatorLevel[] = {2, 1, 1, 0, 0, 0};
static_assert(std::size(g_szCodeOperator) == std::size(g_CodeOperatorLevel));
constexpr int CODE_OPERATOR_LEVELS = 3;
namespace CodeOperator {
enum Value : int32_t { Assign = 0, Add, Subtract, Multiply, Divide, Remainder };
}
constexpr const char* g_szCodeObject[] = {"my", "tg", "pl", "sys"};
namespace CodeObject {
enum Value : int32_t { My = 0, Target, Player, System };
}
constexpr const char* g_szCodeStatus[] = {"v1", "v2", "v3", "v4", "v5", "v6", "v7", "v8", "hp", "sp", "mhp",
                                          "msp", "cid", "z", "mark", "sight", "power", "imp", "def", "impd",
                                          "stop", "getsc"};
constexpr int CODE_STATUS_COUNT = 22;
static_assert(std::size(g_szCodeStatus) == CODE_STATUS_COUNT);
constexpr const char* g_szCodeSystemValue[] = {"time", "scrlx", "scrly", "score", "life"};
constexpr int CODE_SYSTEM_VALUE_COUNT = 5;
static_assert(std::size(g_szCodeSystemValue) == CODE_SYSTEM_VALUE_COUNT);

namespace CodeTokenKind {
enum Value : int32_t { Number = 0, Variable = 1, Status = 2, SystemValue = 3, Operator = 4 };
}

struct CodeToken {
  int32_t nKind = CodeTokenKind::Number;
  int32_t nValue = 0;
  int32_t* pStore = nullptr;  // a variable's storage
  int32_t nWidth = 4;         // 4, 2 or 0 (8-bit)
  int32_t nOperator = 0;
  int32_t nMin = -999999, nMax = 999999;
  int32_t nStatus = 0, nSystem = 0;
  cFlowChara* pObject = nullptr;
  bool HasStorage() const { return nKind >= CodeTokenKind::Variable && nKind <= CodeTokenKind::SystemValue; }
};

// Index of a word in a keyword list, -1 when it is none.
int CodeOperatorIndex(const std::string& word);
int CodeObjectIndex(const std::string& word);
int CodeStatusIndex(const std::string& word);
int CodeSystemValueIndex(const std::string& word);
bool IsCodeFunction(const std::string& word);

// Leading sign and digits, stopping at any other character; no digits give
// 0; a number beyond 32 bits is held at the nearest end.
int32_t CodeNumber(const char* psz);

// The result of classifying a word.
enum CodeClassResult { CODE_TOKEN = 0, CODE_FAIL = 1 };
// Makes the token of a word for the object (CodeObject; for "my" and "tg"
// pChara is the running chara). CODE_FAIL when the object is missing (no
// target, no player) or a status follows "sys".
CodeClassResult ClassifyCodeWord(const std::string& word, int nObject, cFlowChara& chara, CodeToken& token);
// Stores a value into the token's storage with its clamp and side effects;
// returns the stored value.
int32_t AssignCodeToken(const CodeToken& token, int32_t nValue, cFlowChara& chara);
