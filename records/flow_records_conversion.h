// The conversion of the parameters of commands read from files older than
// the current data version: parameters inserted, lists lengthened and numbers
// moved where the kinds changed over the versions.
#pragma once

class cEdCommand;

// Runs every conversion row whose version lies above nFileVersion, in
// ascending version. Item commands convert under the rows of the flow kind
// they share (item kind + 15). A parameter a row tests but the list lacks
// reads as 0; a row never adds a parameter by changing it.
void ConvertOldCommandParams(cEdCommand& cmd, int nFileVersion);
