#include "records/story_slot.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "base/message_box.h"
#include "base/report.h"
#include "platform/text_cp932.h"
#include "records/system.h"

cVector<SLOTENTRY> g_SlotList(static_cast<size_t>(kProgressSlotCount));

namespace {

bool SlotInRange(int nSlot) { return nSlot >= 0 && nSlot < kProgressSlotCount; }

// The story play kind's lives setting; a settings file without one reads 0.
uint32_t StoryListValue(const cVector<uint32_t>& v) { return v.empty() ? 0 : v[0]; }

// The slot's file read over a reset record: 1 when it read whole.
BOOL ReadSlotFile(int nSlot, cEdProgress& p) {
  ProgressReset(p);
  return p.LoadFromFile(MakeStorySlotPath(nSlot));
}

}  // namespace

std::string MakeStorySlotPath(int nSlot) {
  char sz[16];
  std::snprintf(sz, sizeof sz, "%02d", nSlot + 1);
  return std::string("user_data\\story\\Story") + sz + ".dat";
}

void LoadSaveSlotList(cVector<SLOTENTRY>& list) {
  for (size_t i = 0; i < list.size(); ++i) {
    cEdProgress p;
    if (ReadSlotFile(static_cast<int>(i), p)) {
      list[i].bUsed = 1;
      list[i].stSaved = p.m_stSaved;
    } else {
      list[i].bUsed = 0;
    }
  }
}

std::string SaveStorySlotFailedText(const std::string& path) {
  return path + Sjis(" に保存できませんでした！");
}

BOOL SaveStorySlot(int nSlot) {
  if (!SlotInRange(nSlot)) {
    ReportLine("story slot " + std::to_string(nSlot) + " is not a slot; nothing saved");
    return 0;
  }
  const std::string path = MakeStorySlotPath(nSlot);
  const SAVEDTIME old = g_Progress.m_stSaved;
  g_Progress.m_stSaved = GetLocalSaveTime();
  if (!g_Progress.SaveToFile(path)) {
    // The list keeps showing what the file still holds.
    g_Progress.m_stSaved = old;
    ReportLine("could not save the story slot file " + Cp932ToUtf8(path));
    ErrorBox(SaveStorySlotFailedText(path));
    return 0;
  }
  SLOTENTRY& e = g_SlotList.CheckedAt(nSlot);
  e.bUsed = 1;
  e.stSaved = g_Progress.m_stSaved;
  return 1;
}

BOOL LoadStorySlot(int nSlot) {
  if (!SlotInRange(nSlot)) return 0;
  // Read into a copy: a damaged file must not leave half a record behind.
  cEdProgress p;
  if (!ReadSlotFile(nSlot, p)) return 0;
  g_Progress = p;
  if (StoryListValue(g_System.m_vecInfiniteLives)) {
    g_Progress.m_nLivesStart = g_Progress.m_nLives = kUnlimitedLives;
  } else if (g_Progress.m_nLives == kUnlimitedLives) {
    g_Progress.m_nLives = static_cast<int32_t>(StoryListValue(g_System.m_vecStartLives));
  }
  return 1;
}

SAVEDTIME GetLocalSaveTime() {
  using namespace std::chrono;
  const system_clock::time_point now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  SAVEDTIME st{};
  st.wYear = static_cast<uint16_t>(tm.tm_year + 1900);
  st.wMonth = static_cast<uint16_t>(tm.tm_mon + 1);
  st.wDayOfWeek = static_cast<uint16_t>(tm.tm_wday);
  st.wDay = static_cast<uint16_t>(tm.tm_mday);
  st.wHour = static_cast<uint16_t>(tm.tm_hour);
  st.wMinute = static_cast<uint16_t>(tm.tm_min);
  st.wSecond = static_cast<uint16_t>(tm.tm_sec);
  st.wMilliseconds = static_cast<uint16_t>(ms);
  return st;
}
