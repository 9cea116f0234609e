// Play-time conditions: a condition record against a chara, condition lists
// with their modes and latches, the status and system values conditions and
// status commands read, and the key-state test of key conditions.
#pragma once

#include <cstdint>

#include "base/checked_containers.h"
#include "records/flow_records.h"

class cFlowChara;
class cFlowRun;

// 1 when the condition holds for the subject chara.
int EvaluateCondition(const cEdCondition& cond, cFlowChara& subject);
int EvaluateStatusCondition(const cEdCondition& cond, cFlowChara& subject);
// Mode 0: all hold (an empty list holds); 1: one holds (an empty list does
// not); any other mode: 0. Stops at the first decisive condition.
int EvaluateConditionList(const cVector<cEdCondition>& vCond, int nMode, cFlowChara& subject);
// The latching rule of every owner of a condition list: an empty list holds;
// a latched list holds without evaluation; a list that holds latches when its
// latch byte is set.
int CheckConditionList(const cVector<cEdCondition>& vCond, int nMode, int bLatch, int32_t& bLatched,
                       cFlowChara& subject);
int CheckFlowConditions(cFlowRun& run, cFlowChara& subject);

// The subject byte of status conditions and status commands.
namespace FlowSubject {
enum Value : int32_t { Self = 0, Target = 1, System = 2 };
}
// The chara a subject byte names (the chara itself or its target); null for
// the system, any other value, or a chara without a target.
cFlowChara* SubjectChara(cFlowChara& self, int nSubject);
// The variables of scope 0 (common) or 1 (stage); null for any other scope.
cVector<int32_t>* VarsOfScope(int nScope);

// A chara status 0..14 (0: the chara's variable at nVarIndex, checked).
int32_t ReadCharaStatus(cFlowChara& chara, int nStatus, int nVarIndex);
// A system value 0..4 as conditions and status commands read it: time is 0
// while the stage's time is off.
int32_t ReadSystemValue(int nIndex);
