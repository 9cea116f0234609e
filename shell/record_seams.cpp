#include "shell/record_seams.h"

#include <string>

#include "media/graphics/dd.h"
#include "media/graphics/font.h"
#include "records/loaded_project_view.h"
#include "records/system_queries.h"

namespace {

// The second system font's text box on the back buffer; the text is drawn
// as it stands, so a "%" in a project text is no format.
void DrawSystemTextBox(int x, int y, int nWidth, int nHeight, const std::string& strText) {
  g_Fonts[1].DrawTextBox(&g_BackBufferSD, x, y, nWidth, nHeight, "%s", strText.c_str());
}

}  // namespace

void InstallRecordSeams() {
  InstallLoadedFlowProjectView();
  SetSystemTextBoxDrawer(&DrawSystemTextBox);
}
