// The music manager g_Bgm as the window requests reach it (the music sink),
// with the start-up's tables of the five slots' standard names.
#pragma once

// Start-up: installs the sink, and initialises g_Bgm when the player's music
// option is on (window thread).
void StartMusic();
// The option screen when it closes: g_Bgm uninitialised, then initialised
// again when the music option is on (game thread).
void RestartMusic();
