// The ranking file of a stage under "user_data" (one per play kind) and the
// texts the ranking screens show: clear times and padded numbers.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"
#include "records/ranking.h"

// "user_data\story\", "user_data\challenge\" or "user_data\free\" by play kind,
// the stage name without its folder, then "rkg". FALSE, and path empty, for
// a replay or any other play kind: those keep no ranking.
BOOL BuildUserDataPath(std::string& path, int nPlayKind, const std::string& strStage);
// 1 when the stage's ranking file was read; otherwise the default ranking
// and 0 (no file yet is the common case of a first play).
BOOL LoadUserDataRecord(cEdRankingSet& ranking, int nPlayKind, const std::string& strStage);
// 1 when the file was written whole. A missing "user_data" folder of the play
// kind is made first; a failed save leaves a report line and the earlier file.
BOOL SaveUserDataRecord(cEdRankingSet& ranking, int nPlayKind, const std::string& strStage);

// The registration after a stage result: every kind whose rank position is
// not -1 gets its value under the name, then the ranking is saved. The
// save's result (the tables are changed either way).
BOOL RegisterRankResults(cEdRankingSet& ranking, const int32_t anRankPos[RANK_TABLE_COUNT],
                         const int32_t anValue[RANK_TABLE_COUNT], const std::string& strName, int nPlayKind,
                         const std::string& strStage);

// Hundredths of a second as "MM:SS.hh" ("01:02.34" for 6234); a negative
// part is written as "-" and its absolute value.
void FormatRankTime(std::string& out, int32_t nValue);
// The value right-aligned to max(nMinDigits, its digits), zero-padded; the
// leading zeros become blanks unless bKeepZeros; "-" before a negative value,
// "+" before one of 0 or more when bPlus.
void NumberToText(std::string& out, int32_t nValue, int nMinDigits, BOOL bKeepZeros, BOOL bPlus);
// Decimal digits of n, 1 to 11.
int CountDigits(int32_t n);
