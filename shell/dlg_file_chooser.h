// The file choosers: the open chooser for a stage or replay file to play and
// the save chooser for where a replay goes. Each starts in its folder, lists
// the subfolders and the files that match its patterns (without regard to
// letter case), lets its player move into subfolders and up again (never
// above the game's folder), and hands back a CP932 path relative to the
// game's folder, with "\" separators.
#pragma once

#include <string>
#include <vector>

#include "platform/win_types.h"
#include "shell/dlg_library.h"
#include "shell/main_window.h"

// The filter of a chooser: what it shows its player and the patterns
// ("*.stg4_*;*.rpl4_*"), CP932.
struct FILEFILTER {
  std::string strDescription;
  std::string strPattern;
};

// 1 when a file was chosen: path holds it (at most nBufferSize - 1 bytes,
// "folder\sub\name"), and lpResults, when given, gets it appended. 0 when
// cancelled: path is "". Headless the next TARVOLIN4_ANSWERS entry
// "file:PATH" chooses PATH; any other answer cancels.
BOOL ChooseOpenFile(std::string& path, int nBufferSize, const std::string& strFolder, const std::string& strTitle,
                    const FILEFILTER& filter, const std::string& strDefExt, std::vector<std::string>* lpResults);
// 1 when a path was chosen. With bKeep the path's text (a file name) is
// offered; otherwise it is cleared first. A name without an extension gets
// the default one; choosing a file that exists asks before overwriting it.
// 0 when cancelled, the path as it was given (or cleared).
BOOL ChooseSaveFile(std::string& path, const std::string& strFolder, const std::string& strTitle,
                    const FILEFILTER& filter, const std::string& strDefExt, BOOL bKeep);

// True when the CP932 file name matches one of the ";"-separated patterns
// ("*" any run, "?" one character), letters compared without case.
bool MatchFilePattern(const std::string& strName, const std::string& strPatterns);
// The files (not folders) of a CP932 folder that match, sorted without case.
std::vector<std::string> ListMatchingFiles(const std::string& strFolder, const std::string& strPatterns);
// The subfolders of a CP932 folder ("." and ".." left out), sorted without
// case.
std::vector<std::string> ListSubfolders(const std::string& strFolder);
// "folder\name" with exactly one "\" between them ("" folder: the name).
std::string JoinChooserPath(const std::string& strFolder, const std::string& strName);

// The replay extension ("rpl4_667") and the free name offered for a replay of
// a stage: the stage file's name with that extension, numbered _00 to _88 in
// "user_data\rpl4\", the first that does not exist (_88 when all do); only
// the file name. "" for an empty stage name.
std::string ReplayExtension();
std::string ProposeReplaySaveName(const std::string& strStageName);

// The drawn chooser: the folder shown, a list of its subfolders (each with a
// "\" after it, "..\" first to go up) and matching files, the file name and
// the two buttons. Enter on a folder line, or a typed folder name, moves
// there. m_strChosen holds "folder\name" after it ended with 1.
enum : int {
  IDC_FILE_LIST = 1120,
  IDC_FILE_NAME = 1152,
  IDC_FILE_FOLDER = 1091,
  IDC_FILE_FILTER = 1136,
};
class cFileChooserDlg : public cDlg {
 public:
  // offered: the file name shown at first (the save chooser's proposal).
  cFileChooserDlg(bool bSave, const std::string& strFolder, const std::string& strTitle, const FILEFILTER& filter,
                  const std::string& strDefExt, const std::string& strOffered);
  void OnInitDialog() override;
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;

  std::string m_strChosen;

 private:
  void Accept();
  void ShowFolder();
  void EnterFolder(const std::string& strFolder);

  bool m_bSave;
  std::string m_strFolder;  // shown now; no "\" at the end, "" the game folder
  FILEFILTER m_Filter;
  std::string m_strDefExt;
  std::vector<std::string> m_vFolders;  // the list's first lines
  std::vector<std::string> m_vFiles;    // the lines after them
};

// The main window's requests (window thread).
BOOL ChooseOpenFileForRequest(std::string& path, const OPENCHOOSER& chooser);
BOOL ChooseReplaySaveFileForRequest(std::string& path, const std::string& strStageName);
