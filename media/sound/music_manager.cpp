#include "media/sound/music_manager.h"

#include <new>

#include "base/message_box.h"
#include "base/report.h"
#include "platform/text_cp932.h"

// Built in static construction; see the header for its threads.
cBgm g_Bgm;

namespace {

// Written by tests only, before the manager is initialised; read by cVox::Init.
CREATEVOXFUNC s_pfnCreateVox = &CreateVox;

// The text after the last "." of a name, and whether there is one.
bool ExtensionOf(const std::string& name, std::string& ext) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  ext = name.substr(dot + 1);
  return true;
}

// A piece that opened but cannot be played, in the form of the MIDI
// player's lines: the file, the step, what was wrong.
void ReportOggFault(const char* pszPath, const char* pszStep, const char* pszWhy) {
  ReportAndLogf(Sjis("Ogg %s %s %s").c_str(), pszPath, pszStep, pszWhy);
}

}  // namespace

void SetCreateVoxForTests(CREATEVOXFUNC pfn) { s_pfnCreateVox = pfn; }
void ResetCreateVoxForTests() { s_pfnCreateVox = &CreateVox; }

void FillStandardMusicNames(cVector<std::string>& ogg, cVector<std::string>& mid) {
  static const char* const kBase[kMusicSlotCount] = {"Title", "WorldMap", "Challenge", "Option", "Stage"};
  ogg.clear();
  mid.clear();
  for (const char* b : kBase) {
    ogg.push_back(std::string("bgm\\") + b + ".ogg");
    mid.push_back(std::string("bgm\\") + b + ".mid");
  }
}

// ---- cVox ---------------------------------------------------------------------

BOOL cVox::Init() {
  // The player library is linked in; a test can make it "missing".
  m_pfnCreateVox = s_pfnCreateVox;
  SetOggFaultHandler(&ReportOggFault);
  if (!m_pfnCreateVox) {
    ErrorBoxf("%s", Sjis("oggの初期化に失敗！").c_str());
    return 0;
  }
  return 1;
}

BOOL cVox::CreatePlayers(int32_t nPlayers) {
  for (cVoxPlayer* p : m_vPlayers)
    if (p) p->Release();
  m_vPlayers.clear();
  m_nCurrent = -1;
  if (!m_pfnCreateVox) return 0;
  try {
    m_vPlayers.assign(size_t(nPlayers < 0 ? 0 : nPlayers), nullptr);
  } catch (const std::bad_alloc&) {
    ReportOutOfMemory();
    return 0;
  }
  for (cVoxPlayer*& p : m_vPlayers) {
    p = m_pfnCreateVox();
    if (!p) {
      ReportOutOfMemory();
      return 0;
    }
  }
  return 1;
}

BOOL cVox::Play(int32_t nPlayer, const std::string& path, BOOL bLoop) {
  if (path.empty()) return 0;
  Stop();
  if (nPlayer < 0 || size_t(nPlayer) >= m_vPlayers.size() || !m_vPlayers[size_t(nPlayer)]) return 0;
  cVoxPlayer* p = m_vPlayers[size_t(nPlayer)];
  p->Close();
  if (!p->Load(path.c_str())) {
    m_nCurrent = -1;
    return 0;
  }
  p->SetLoopCount(bLoop ? kVoxLoopForever : 0);
  p->Play();
  m_nCurrent = nPlayer;
  return 1;
}

void cVox::Stop() {
  if (m_nCurrent < 0) return;
  if (size_t(m_nCurrent) < m_vPlayers.size() && m_vPlayers[size_t(m_nCurrent)]) m_vPlayers[size_t(m_nCurrent)]->Stop();
  m_nCurrent = -1;
}

void cVox::Release() {
  for (cVoxPlayer*& p : m_vPlayers) {
    if (p) p->Release();
    p = nullptr;
  }
  m_vPlayers.clear();
  m_nCurrent = -1;
  m_pfnCreateVox = nullptr;
}

// ---- cBgm ---------------------------------------------------------------------

cBgm::~cBgm() {
  UnInit();
  m_Vox.Release();
}

BOOL cBgm::Init(int32_t nPlayers, cVector<std::string>* pOggNames, cVector<std::string>* pMidiNames,
                int32_t nSlots) {
  std::lock_guard<std::recursive_mutex> lk(m_Lock);
  bInit = 1;
  m_bVoxReady = false;
  DestroyMidiPlayers();
  m_vMidi.clear();
  m_vPlayerKind.clear();
  if (!m_Vox.Init()) {
    LogLine(Sjis("m_Vox.Init失敗！").c_str());
    return 0;
  }
  SetPlayers(nPlayers);
  m_pOggNames = pOggNames;
  m_pMidiNames = pMidiNames;
  m_vSlotKind.assign(size_t(nSlots < 0 ? 0 : nSlots), BGMKIND_NONE);
  m_bVoxReady = pOggNames && pMidiNames;
  return 1;
}

BOOL cBgm::SetPlayers(int32_t nPlayers) {
  std::lock_guard<std::recursive_mutex> lk(m_Lock);
  const size_t n = size_t(nPlayers < 0 ? 0 : nPlayers);
  m_vMidi.resize(n);
  m_Vox.CreatePlayers(nPlayers);
  m_vPlayerKind.assign(n, BGMKIND_NONE);
  return 1;
}

BOOL cBgm::SetMusic(int32_t nSlot, const std::string& file) {
  std::lock_guard<std::recursive_mutex> lk(m_Lock);
  if (!bInit) return 1;
  if (!m_bVoxReady) return 0;
  std::string& ogg = m_pOggNames->CheckedAt(nSlot);
  std::string& mid = m_pMidiNames->CheckedAt(nSlot);
  int32_t& kind = m_vSlotKind.CheckedAt(nSlot);
  std::string ext;
  if (!ExtensionOf(file, ext)) {
    ogg.clear();
    mid.clear();
    kind = BGMKIND_NONE;
    return 0;
  }
  if (ext == "mid" || ext == "MID") {
    mid = file.substr(0, file.size() - ext.size()) + "mid";
    kind = BGMKIND_MIDI;
    return 1;
  }
  if (ext == "ogg" || ext == "OGG") {
    ogg = file;
    kind = BGMKIND_OGG;
    return 1;
  }
  ogg = file;
  mid = file;
  kind = BGMKIND_NONE;
  return 0;
}

BOOL cBgm::Play(int32_t nPlayer, int32_t nSlot, BOOL bLoop, int32_t nMidiStopMode, BOOL bRestart) {
  std::lock_guard<std::recursive_mutex> lk(m_Lock);
  if (!bInit) return 1;
  if (!m_bVoxReady) return 0;
  if (nSlot == m_nCurrentSlot && !bRestart) return 1;
  m_nCurrentSlot = nSlot;
  const int32_t kind = m_vSlotKind.CheckedAt(nSlot);
  const std::string ogg = m_pOggNames->CheckedAt(nSlot);
  const std::string mid = m_pMidiNames->CheckedAt(nSlot);
  if (kind == BGMKIND_MIDI) {
    if (PlayMidiBgm(nPlayer, mid, bLoop)) {
      m_vPlayerKind.CheckedAt(nPlayer) = BGMKIND_MIDI;
      m_Vox.Stop();
      return 1;
    }
  } else if (kind == BGMKIND_OGG) {
    if (m_Vox.Play(nPlayer, ogg, bLoop)) {
      m_vPlayerKind.CheckedAt(nPlayer) = BGMKIND_OGG;
      StopMidiBgm(0);
      return 1;
    }
  } else {
    if (m_Vox.Play(nPlayer, ogg, bLoop)) {
      m_vPlayerKind.CheckedAt(nPlayer) = BGMKIND_OGG;
      StopMidiBgm(nMidiStopMode);
      return 1;
    }
    if (PlayMidiBgm(nPlayer, mid, bLoop)) {
      m_vPlayerKind.CheckedAt(nPlayer) = BGMKIND_MIDI;
      m_Vox.Stop();
      return 1;
    }
  }
  m_vPlayerKind.CheckedAt(nPlayer) = BGMKIND_NONE;
  m_nCurrentSlot = -1;
  m_Vox.Stop();
  StopMidiBgm(0);
  return 0;
}

void cBgm::Stop() {
  std::lock_guard<std::recursive_mutex> lk(m_Lock);
  if (!bInit) return;
  StopMidiBgm(0);
  m_Vox.Stop();
}

void cBgm::UnInit() {
  std::lock_guard<std::recursive_mutex> lk(m_Lock);
  if (!bInit) return;
  m_Vox.Release();
  DestroyMidiPlayers();
  m_vMidi.clear();
  m_bVoxReady = false;
  bInit = 0;
}

BOOL cBgm::PlayMidiBgm(int32_t nPlayer, const std::string& path, BOOL bLoop) {
  StopMidiBgm(1);
  DestroyMidiPlayers();
  std::string ext;
  if (!ExtensionOf(path, ext) || ext != "mid") return 0;
  std::unique_ptr<cMidi>& slot = m_vMidi.CheckedAt(nPlayer);
  slot = std::make_unique<cMidi>(path);
  if (!slot->IsLoaded()) return 0;
  slot->Restart(bLoop);
  return 1;
}

void cBgm::StopMidiBgm(BOOL bPause) {
  for (auto& m : m_vMidi)
    if (m) m->PauseStop(bPause);
}

void cBgm::DestroyMidiPlayers() {
  for (auto& m : m_vMidi) m.reset();
}

int32_t cBgm::SlotKindForTests(int32_t nSlot) const {
  std::lock_guard<std::recursive_mutex> lk(m_Lock);
  return nSlot >= 0 && size_t(nSlot) < m_vSlotKind.size() ? m_vSlotKind[size_t(nSlot)] : BGMKIND_NONE;
}

int32_t cBgm::PlayerKindForTests(int32_t nPlayer) const {
  std::lock_guard<std::recursive_mutex> lk(m_Lock);
  return nPlayer >= 0 && size_t(nPlayer) < m_vPlayerKind.size() ? m_vPlayerKind[size_t(nPlayer)] : BGMKIND_NONE;
}

cMidi* cBgm::MidiPlayerForTests(int32_t nPlayer) const {
  std::lock_guard<std::recursive_mutex> lk(m_Lock);
  return nPlayer >= 0 && size_t(nPlayer) < m_vMidi.size() ? m_vMidi[size_t(nPlayer)].get() : nullptr;
}
