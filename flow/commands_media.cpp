// Executors of the picture, screen, sound, music and code commands.
#include "flow/command_executors.h"
#include "flow/expression.h"

void ExecRunCode(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  if (run.m_lpCommand) RunCode(run.m_lpCommand->m_strText, chara);
}
