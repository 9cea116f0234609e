#include "platform/midi_synth.h"

#include <dlfcn.h>
#include <fluidsynth.h>

#include <mutex>

#include "platform/audio.h"

namespace {

// FluidSynth and the libraries it brings (glib, JACK, libsndfile, readline
// and more) cost a start-up that plays no MIDI several milliseconds in the
// dynamic loader alone: the library is opened when the first synthesiser is
// made, and its functions are taken from it by name. The header still gives
// each function's type.
#define T4_FLUID_FUNCTIONS(X)                                                                                     \
  X(new_fluid_settings) X(delete_fluid_settings) X(fluid_settings_setnum) X(new_fluid_synth) X(delete_fluid_synth) \
  X(fluid_set_log_function) X(fluid_synth_sfload) X(fluid_synth_system_reset) X(fluid_synth_noteon)             \
  X(fluid_synth_noteoff) X(fluid_synth_key_pressure) X(fluid_synth_cc) X(fluid_synth_program_change)             \
  X(fluid_synth_channel_pressure) X(fluid_synth_pitch_bend) X(fluid_synth_sysex) X(fluid_synth_all_notes_off)    \
  X(fluid_synth_write_s16)

struct FLUIDAPI {
#define T4_FLUID_POINTER(name) decltype(&::name) name = nullptr;
  T4_FLUID_FUNCTIONS(T4_FLUID_POINTER)
#undef T4_FLUID_POINTER
  // Empty once every function is found.
  std::string strError;
};

FLUIDAPI LoadFluidApi() {
  FLUIDAPI api;
  // Kept open for the rest of the process: synthesisers outlive any one
  // piece, and the cached one is never freed.
  void* lib = dlopen(T4_FLUIDSYNTH_SONAME, RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    const char* why = dlerror();
    api.strError = std::string("FluidSynth cannot be loaded: ") + (why ? why : T4_FLUIDSYNTH_SONAME);
    return api;
  }
#define T4_FLUID_LOOKUP(name)                                                    \
  api.name = reinterpret_cast<decltype(&::name)>(dlsym(lib, #name));           \
  if (!api.name && api.strError.empty()) api.strError = "FluidSynth has no " #name;
  T4_FLUID_FUNCTIONS(T4_FLUID_LOOKUP)
#undef T4_FLUID_LOOKUP
  return api;
}

// Opened once, by the first thread that makes a synthesiser.
const FLUIDAPI& Fluid() {
  static const FLUIDAPI api = LoadFluidApi();
  return api;
}

const std::string kPackageSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// Written by tests before any music plays; read by whoever opens a stream.
MIDISYNTHFACTORY s_pfnFactory = nullptr;
std::string s_strSoundFont = kPackageSoundFont;

// Loading the sound font takes long next to starting a piece, and the music
// manager makes a new player for every piece: a released synthesiser is
// kept, reset, for the next one. Guarded by s_CacheLock (any thread).
struct FLUIDSET {
  fluid_settings_t* pSettings = nullptr;
  fluid_synth_t* pSynth = nullptr;
  std::string strFont;
};
std::mutex s_CacheLock;
FLUIDSET s_Cached;

void FreeSet(FLUIDSET& s) {
  if (s.pSynth) Fluid().delete_fluid_synth(s.pSynth);
  if (s.pSettings) Fluid().delete_fluid_settings(s.pSettings);
  s = FLUIDSET{};
}

class cFluidSynth final : public cMidiSynth {
 public:
  explicit cFluidSynth(FLUIDSET set) : m_Set(std::move(set)) {}
  ~cFluidSynth() override {
    Fluid().fluid_synth_system_reset(m_Set.pSynth);
    std::lock_guard<std::mutex> lk(s_CacheLock);
    if (!s_Cached.pSynth) {
      s_Cached = m_Set;
    } else {
      FreeSet(m_Set);
    }
  }
  void ShortMessage(uint32_t m) override {
    const int status = m & 0xFF, ch = status & 0x0F, d1 = (m >> 8) & 0x7F, d2 = (m >> 16) & 0x7F;
    fluid_synth_t* s = m_Set.pSynth;
    switch (status & 0xF0) {
      case 0x80: Fluid().fluid_synth_noteoff(s, ch, d1); break;
      case 0x90: d2 ? Fluid().fluid_synth_noteon(s, ch, d1, d2) : Fluid().fluid_synth_noteoff(s, ch, d1); break;
      case 0xA0: Fluid().fluid_synth_key_pressure(s, ch, d1, d2); break;
      case 0xB0: Fluid().fluid_synth_cc(s, ch, d1, d2); break;
      case 0xC0: Fluid().fluid_synth_program_change(s, ch, d1); break;
      case 0xD0: Fluid().fluid_synth_channel_pressure(s, ch, d1); break;
      case 0xE0: Fluid().fluid_synth_pitch_bend(s, ch, d1 | d2 << 7); break;
      default: break;  // system messages carry no sound
    }
  }
  void LongMessage(const uint8_t* p, size_t n) override {
    // FluidSynth takes the bytes between F0 and the closing F7.
    if (n < 2 || p[0] != 0xF0) return;
    size_t len = n - 1;
    if (p[n - 1] == 0xF7) --len;
    Fluid().fluid_synth_sysex(m_Set.pSynth, reinterpret_cast<const char*>(p + 1), static_cast<int>(len), nullptr,
                              nullptr, nullptr, 0);
  }
  void AllNotesOff() override { Fluid().fluid_synth_all_notes_off(m_Set.pSynth, -1); }
  void Reset() override { Fluid().fluid_synth_system_reset(m_Set.pSynth); }
  void Render(int16_t* p, int n) override { Fluid().fluid_synth_write_s16(m_Set.pSynth, n, p, 0, 2, p, 1, 2); }

 private:
  FLUIDSET m_Set;
};

void QuietLog(int, const char*, void*) {}

std::unique_ptr<cMidiSynth> CreateFluidSynth(std::string& error) {
  {
    std::lock_guard<std::mutex> lk(s_CacheLock);
    if (s_Cached.pSynth && s_Cached.strFont == s_strSoundFont) {
      FLUIDSET set = s_Cached;
      s_Cached = FLUIDSET{};
      return std::make_unique<cFluidSynth>(set);
    }
    FreeSet(s_Cached);
  }
  if (!Fluid().strError.empty()) {
    error = Fluid().strError;
    return nullptr;
  }
  // FluidSynth's own warnings would go to standard error; failures are
  // reported by the caller with the reason below.
  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
    Fluid().fluid_set_log_function(level, QuietLog, nullptr);
  FLUIDSET set;
  set.strFont = s_strSoundFont;
  set.pSettings = Fluid().new_fluid_settings();
  if (!set.pSettings) {
    error = "the synthesiser's settings cannot be made";
    return nullptr;
  }
  Fluid().fluid_settings_setnum(set.pSettings, "synth.sample-rate", double(kAudioMixRate));
  Fluid().fluid_settings_setnum(set.pSettings, "synth.gain", 0.6);
  set.pSynth = Fluid().new_fluid_synth(set.pSettings);
  if (!set.pSynth) {
    FreeSet(set);
    error = "the synthesiser cannot be made";
    return nullptr;
  }
  if (Fluid().fluid_synth_sfload(set.pSynth, set.strFont.c_str(), 1) == FLUID_FAILED) {
    error = "the sound font " + set.strFont + " cannot be loaded";
    FreeSet(set);
    return nullptr;
  }
  return std::make_unique<cFluidSynth>(set);
}

}  // namespace

std::unique_ptr<cMidiSynth> CreateMidiSynth(std::string& error) {
  return s_pfnFactory ? s_pfnFactory(error) : CreateFluidSynth(error);
}

const std::string& SoundFontPathForTests() { return s_strSoundFont; }

void SetMidiSynthFactoryForTests(MIDISYNTHFACTORY pfnFactory) { s_pfnFactory = pfnFactory; }

void SetSoundFontPathForTests(const std::string& path) { s_strSoundFont = path.empty() ? kPackageSoundFont : path; }
