// The environment switches that let tests and CI run the real program
// without a person: headless runs, scripted answers, keys and frame limits.
#pragma once

#include <string>

// TARVOLIN4_HEADLESS=1, or no display to open a window on.
bool IsHeadless();

// The next answer of TARVOLIN4_ANSWERS ("yes", "no", "ok", "cancel",
// "text:NAME", "file:PATH", "d3d", "ddraw"), taken in order of use across the
// whole run; false when the list is used up or not given.
bool NextScriptedAnswer(std::string& answer);

// An integer switch; `def` when unset or not a number.
long EnvNumber(const char* name, long def);
// A text switch; "" when unset.
std::string EnvText(const char* name);

// Tests only: read TARVOLIN4_ANSWERS again from the start.
void ResetScriptedAnswersForTests();
