// The demo project's music: a title piece (generated Ogg) and a stage piece
// (generated MIDI), entered in the music database and named by the title
// screen and both stages.
#pragma once

#include "platform/win_types.h"
#include "tests/support/project_builder.h"

// Music-database entries the demo adds (entry 0 stays "none").
constexpr uint32_t kDemoTitleMusic = 1;
constexpr uint32_t kDemoStageMusic = 2;

// Sets the records (before Build) and writes the two files (after the
// folders exist); 1 when both were written.
void SetDemoMusic(cProjectBuilder& builder);
BOOL WriteDemoMusic(const cProjectBuilder& builder);
