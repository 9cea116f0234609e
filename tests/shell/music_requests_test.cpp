#include "shell/music_requests.h"

#include <gtest/gtest.h>

#include "media/sound/music_manager.h"
#include "records/option.h"
#include "shell/main_window.h"

namespace {

TEST(MusicRequests, StartUpInstallsTheManagerAndTheOptionDecides) {
  const int32_t saved = g_Option.m_bMusic;
  for (int32_t on : {0, 1}) {
    SCOPED_TRACE(on);
    g_Option.m_bMusic = on;
    StartMusic();
    ASSERT_NE(GetMusicSink(), nullptr);
    EXPECT_EQ(g_Bgm.IsInitialised(), on);
    // The window requests reach g_Bgm through the sink.
    GetMusicSink()->SetMusic(2, "bgm\\x.mid");
    EXPECT_EQ(g_Bgm.SlotKindForTests(2), on ? BGMKIND_MIDI : BGMKIND_NONE);
    // The option screen turning music off and on again.
    g_Option.m_bMusic = !on;
    RestartMusic();
    EXPECT_EQ(g_Bgm.IsInitialised(), !on);
    // A new start forgets the kinds; an uninitialised manager keeps them.
    EXPECT_EQ(g_Bgm.SlotKindForTests(2), on ? BGMKIND_MIDI : BGMKIND_NONE);
    GetMusicSink()->UnInit();
    EXPECT_FALSE(g_Bgm.IsInitialised());
  }
  SetMusicSink(nullptr);
  g_Option.m_bMusic = saved;
}

}  // namespace
