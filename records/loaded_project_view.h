// The view of the loaded project that the flow fitting passes read in the
// running program: the record counts of g_Database, the palette lists of
// g_CommonPalette and g_Stage, and the keep-test-play-flows switch of
// g_System. Start-up installs it before the first project file is read.
#pragma once

#include "records/flow_fitting.h"

class cLoadedFlowProjectView : public cFlowProjectView {
 public:
  int DatabaseCount(FITDATABASE db) const override;
  // Value 10 of each part of the sword type: its duration in tenths of a
  // second, taken as a 16-bit value.
  std::vector<int> SwordPartFrames(int nType) const override;
  int PaletteCount(FITPALETTE pal, FITPALETTELIST list) const override;
  bool KeepMarkedFlows() const override;
};

// Makes the globals' view the one the fitting passes read.
void InstallLoadedFlowProjectView();
