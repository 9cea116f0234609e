#include "records/replay_file.h"

#include <memory>

#include "base/message_box.h"
#include "base/report.h"
#include "platform/game_random.h"
#include "platform/text_cp932.h"
#include "records/data_file.h"
#include "records/stage_loading.h"

cKeyRecord g_ReplayKeys[REPLAY_BUFFER_COUNT];
cEdProgress g_ReplayProgress[REPLAY_BUFFER_COUNT];
std::string g_strReplayPath;

BOOL SaveReplay(cKeyRecord& rec, const std::string& path, cEdStage& stage, cEdStage& stageAsLoaded,
                cEdProgress& progress) {
  std::unique_ptr<cDataFile> f = OpenDataFileWrite(path);
  if (!f) return 0;
  stage.WriteForReplay(*f, stageAsLoaded);
  KeyRecordWrite(rec, *f);
  if (g_nCurDataVersion >= REPLAY_PROGRESS_VERSION) progress.Write(*f);
  return CloseDataFile(f);
}

BOOL LoadReplay(cKeyRecord& rec, const std::string& path, cEdStage& stage, cEdStage& stageCopy,
                cEdProgress& progress) {
  std::unique_ptr<cDataFile> f = OpenDataFileRead(path);
  if (!f) return 0;
  // Read aside: a file that breaks off half way must not leave a half-read
  // stage or record behind in the live ones.
  auto pStage = std::make_unique<cEdStage>();
  cKeyRecord keys;
  auto pProgress = std::make_unique<cEdProgress>(progress);
  pStage->Read(*f);
  if (!f->Failed()) KeyRecordRead(keys, *f);
  const bool bHasProgress = g_nFileDataVersion >= REPLAY_PROGRESS_VERSION;
  if (!f->Failed() && bHasProgress) pProgress->Read(*f);
  const bool bRead = !f->Failed();
  if (!CloseDataFile(f) || !bRead) return 0;
  if (!pStage->HasPlayerPlacement()) {
    Reportf(Sjis("リプレイファイル %s のステージに主人公が配置されていません").c_str(), path.c_str());
    return 0;
  }

  pStage->m_strFilePath = path;
  pStage->m_bLoaded = 1;
  stage = *pStage;
  if (&stageCopy != &stage) CopyStageSettings(stageCopy, stage);
  KeyRecordAssign(rec, keys);
  for (uint32_t& n : rec.m_nPlayPos) n = 0;
  if (bHasProgress) progress = *pProgress;
  return 1;
}

void ReplayBeginAttempt(uint32_t dwSeed) {
  g_ReplayProgress[1] = g_ReplayProgress[0];
  g_ReplayProgress[0] = g_Progress;
  KeyRecordAssign(g_ReplayKeys[1], g_ReplayKeys[0]);
  g_ReplayKeys[0].Clear();
  g_ReplayKeys[0].m_nRandomSeed = dwSeed;
  srand(dwSeed);
}

void ReplayRecordFrame(uint16_t wDir, uint16_t wButton) { KeyRecordRecordFrame(g_ReplayKeys[0], wDir, wButton); }

int ReplayPlayFrame(uint16_t& wDir, uint16_t& wButton) { return KeyRecordPlayFrame(g_ReplayKeys[0], wDir, wButton); }

BOOL LoadReplayForRequest(const std::string& path) {
  if (!LoadReplay(g_ReplayKeys[0], path, g_Stage, g_StageCopy, g_Progress)) {
    ErrorBoxf(Sjis("リプレイファイル %s の読み込みに失敗しました！").c_str(), path.c_str());
    return 0;
  }
  g_strReplayPath = path;
  return 1;
}

BOOL SaveReplayForRequest(int nBuffer, const std::string& path) {
  const int n = nBuffer == 0 ? 0 : 1;
  if (!SaveReplay(g_ReplayKeys[n], path, g_Stage, g_StageCopy, g_ReplayProgress[n])) {
    ErrorBoxf(Sjis("リプレイファイル %s の保存に失敗しました！").c_str(), path.c_str());
    return 0;
  }
  return 1;
}
