// The seams through which records/ reads and draws what only the running
// program has: the view of the loaded project that the flow fitting passes
// test indices against, and the framed box of the project's system texts.
#pragma once

// Installs the real ones. InitGame calls it once System.dat is loaded and
// before the first file that holds flows (the world map and common palette,
// then the stages) is read; both read the globals as they stand when used.
void InstallRecordSeams();
