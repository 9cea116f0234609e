// The code command's expression language: RunCode runs one statement for a
// chara; ParseCodeStatement evaluates its groups and calls into decimals,
// EvalCodeExpression reduces the flat rest by operator levels.
#pragma once

#include <cstdint>
#include <string>

class cFlowChara;

// The error flag of the running statement; written and read by the game
// thread only (one statement at a time).
extern int32_t g_bCodeError;

// Groups and calls nest at most this deep; a deeper statement is refused.
constexpr int MAX_CODE_NESTING = 64;

// 1 when the statement ran without error; starts the HP and SP gauges of the
// chara for the changes it made.
int RunCode(const std::string& text, cFlowChara& chara);
int32_t ParseCodeStatement(const std::string& text, cFlowChara& chara);
int32_t EvalCodeExpression(const std::string& text, cFlowChara& chara);
