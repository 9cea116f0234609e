#include "shell/dlg_file_chooser.h"

#include <algorithm>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/test_seams.h"
#include "platform/text_cp932.h"
#include "platform/window.h"
#include "base/path_helpers.h"
#include "shell/dlg_render.h"

namespace {

// The choosers' path buffer, in bytes with the terminating NUL.
constexpr int kPathBufferSize = 260;

int FoldCase(int c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

// One character of a CP932 text as a number (lead << 8 | trail for a pair),
// letters folded to capitals.
std::vector<int> Chars(const std::string& s) {
  std::vector<int> v;
  for (size_t i = 0; i < s.size();) {
    const size_t n = CharBytesAt(s, i);
    const int c = n == 2 ? (static_cast<uint8_t>(s[i]) << 8 | static_cast<uint8_t>(s[i + 1]))
                         : FoldCase(static_cast<uint8_t>(s[i]));
    v.push_back(c);
    i += n;
  }
  return v;
}

bool Match(const std::vector<int>& name, size_t ni, const std::vector<int>& pat, size_t pi) {
  while (pi < pat.size()) {
    if (pat[pi] == '*') {
      while (pi < pat.size() && pat[pi] == '*') ++pi;
      if (pi == pat.size()) return true;
      for (size_t k = ni; k <= name.size(); ++k)
        if (Match(name, k, pat, pi)) return true;
      return false;
    }
    if (ni >= name.size()) return false;
    if (pat[pi] != '?' && pat[pi] != name[ni]) return false;
    ++ni;
    ++pi;
  }
  return ni == name.size();
}

bool HasExtension(const std::string& name) {
  std::string ext;
  return GetExtension(ext, name) != FALSE;
}

// The parts of a typed name between "\" or "/" (a trail byte 0x5C is no
// separator). False for what names nothing under the game folder: a drive
// (":") or a path from the root.
bool SplitTypedPath(const std::string& text, std::vector<std::string>& parts) {
  parts.assign(1, std::string());
  for (size_t i = 0; i < text.size();) {
    const size_t n = CharBytesAt(text, i);
    if (n == 1 && text[i] == ':') return false;
    if (n == 1 && (text[i] == '\\' || text[i] == '/')) {
      if (i == 0) return false;
      parts.emplace_back();
    } else {
      parts.back().append(text, i, n);
    }
    i += n;
  }
  return true;
}

// The folder that holds a CP932 folder path ("" for a folder of the game
// folder itself).
std::string ParentFolder(const std::string& folder) {
  size_t cut = 0;
  for (size_t i = 0; i < folder.size();) {
    const size_t n = CharBytesAt(folder, i);
    if (n == 1 && folder[i] == '\\') cut = i;
    i += n;
  }
  return folder.substr(0, cut);
}

// The folder without the "\" separators at its end.
std::string TrimmedFolder(const std::string& folder) {
  std::string f = folder;
  while (!f.empty() && f.back() == '\\' && (f.size() < 2 || CharBytesAt(f, PrevCharStart(f, f.size() - 1)) == 1))
    f.pop_back();
  return f;
}

bool SortsBefore(const std::string& a, const std::string& b) {
  const std::vector<int> ca = Chars(a), cb = Chars(b);
  return ca != cb ? ca < cb : a < b;
}

}  // namespace

// ---- The drawn chooser --------------------------------------------------------

namespace {
const DLGLAYOUT kChooserLayout = {"ＭＳ Ｐゴシック", 9, 0, 0, true, nullptr, 0};
}  // namespace

cFileChooserDlg::cFileChooserDlg(bool bSave, const std::string& folder, const std::string& title,
                                 const FILEFILTER& filter, const std::string& defExt, const std::string& offered)
    : cDlg(kChooserLayout), m_bSave(bSave), m_strFolder(TrimmedFolder(folder)), m_Filter(filter),
      m_strDefExt(defExt) {
  m_strCaption = title;
  m_nEscapeResult = 0;
  const int cw = 420;
  const int ch = 300;
  auto add = [&](int id, CTRLSTYLE style, DLGRECT rc, const std::string& text) {
    DLGCONTROL c;
    c.item = {id, style, 0, 0, 0, 0, nullptr};
    c.rc = rc;
    c.strText = text;
    m_vItems.push_back(std::move(c));
    return &m_vItems.back();
  };
  add(IDC_FILE_FOLDER, CS_TEXT, {12, 10, cw - 24, 14}, "");
  add(IDC_FILE_LIST, CS_LIST, {12, 30, cw - 24, 180}, "");
  add(-1, CS_TEXT, {12, 222, 80, 14}, Sjis("ファイル名:"));
  add(IDC_FILE_NAME, CS_EDIT, {96, 218, cw - 108, 22}, offered)->nMaxBytes = kPathBufferSize - 1;
  add(IDC_FILE_FILTER, CS_TEXT, {12, 250, 220, 14}, filter.strDescription);
  add(IDOK, CS_DEFPUSH, {cw - 184, ch - 36, 80, 24}, Sjis(bSave ? "保存(&S)" : "開く(&O)"));
  add(IDCANCEL, CS_PUSH, {cw - 92, ch - 36, 80, 24}, Sjis("キャンセル"));
  ShowFolder();
  DLGCONTROL* name = Item(IDC_FILE_NAME);
  if (!bSave && offered.empty() && !m_vFiles.empty()) name->strText = m_vFiles[0];
  name->nSelStart = 0;
  name->nSelEnd = static_cast<int>(name->strText.size());
  m_rcWindow.w = cw + 2 * kFrameWidth;
  m_rcWindow.h = ch + 2 * kFrameWidth + kCaptionHeight;
  m_rcWindow.x = (kClientWidth - m_rcWindow.w) / 2;
  m_rcWindow.y = (kClientHeight - m_rcWindow.h) / 2;
}

void cFileChooserDlg::ShowFolder() {
  m_vFolders = ListSubfolders(m_strFolder);
  // Up, unless this is the game folder: the choosers stay inside it.
  if (!m_strFolder.empty()) m_vFolders.insert(m_vFolders.begin(), "..");
  m_vFiles = ListMatchingFiles(m_strFolder, m_Filter.strPattern);
  DLGCONTROL* list = Item(IDC_FILE_LIST);
  list->vLines.clear();
  for (const std::string& f : m_vFolders) list->vLines.push_back(f + "\\");
  list->vLines.insert(list->vLines.end(), m_vFiles.begin(), m_vFiles.end());
  // The first file is under the cursor, as the name box offers it.
  list->nCurSel = !m_vFiles.empty() ? static_cast<int>(m_vFolders.size()) : list->vLines.empty() ? -1 : 0;
  list->nTop = 0;
  SetItemText(IDC_FILE_FOLDER, m_strFolder.empty() ? std::string(".") : m_strFolder);
}

void cFileChooserDlg::EnterFolder(const std::string& folder) {
  m_strFolder = folder;
  ShowFolder();
  SetItemText(IDC_FILE_NAME, "");
}

void cFileChooserDlg::OnInitDialog() {
  cDlg::OnInitDialog();
  SetFocusItem(m_bSave || Item(IDC_FILE_LIST)->vLines.empty() ? IDC_FILE_NAME : IDC_FILE_LIST);
}

LRESULT cFileChooserDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  cDlg::OnCommand(wParam, lParam);
  const int nId = static_cast<int>(wParam & 0xFFFF);
  const int nCode = static_cast<int>((wParam >> 16) & 0xFFFF);
  if (nId == IDC_FILE_LIST) {
    DLGCONTROL* list = Item(IDC_FILE_LIST);
    if (!list || list->nCurSel < 0 || list->nCurSel >= static_cast<int>(list->vLines.size())) return 0;
    const size_t nSel = static_cast<size_t>(list->nCurSel);
    if (nSel < m_vFolders.size()) {
      // A folder line is opened, not chosen.
      if (nCode == LBN_DBLCLK) {
        const std::string& f = m_vFolders[nSel];
        EnterFolder(f == ".." ? ParentFolder(m_strFolder) : JoinChooserPath(m_strFolder, f));
      }
      return 0;
    }
    SetItemText(IDC_FILE_NAME, m_vFiles[nSel - m_vFolders.size()]);
    if (nCode == LBN_DBLCLK) Accept();
  } else if (nId == IDOK && nCode == BN_CLICKED) {
    Accept();
  } else if (nId == IDCANCEL && nCode == BN_CLICKED) {
    EndDlg(0);
  }
  return 0;
}

void cFileChooserDlg::Accept() {
  // A typed name may lead through folders ("old_ver\\a.stg4_1", "..\\x"), as
  // in the system's own choosers, but never above the game folder.
  std::vector<std::string> parts;
  if (!SplitTypedPath(GetItemText(IDC_FILE_NAME), parts)) return;
  std::string folder = m_strFolder;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (folder.empty()) return;
      folder = ParentFolder(folder);
      continue;
    }
    folder = JoinChooserPath(folder, part);
    if (!PathIsDirectoryA(folder)) return;
  }
  std::string name = parts.back();
  if (name == "..") {
    if (folder.empty()) return;
    name.clear();
    folder = ParentFolder(folder);
  } else if (name == ".") {
    name.clear();
  }
  if (name.empty() || PathIsDirectoryA(JoinChooserPath(folder, name))) {
    // A folder: the chooser moves there and waits for a file.
    EnterFolder(name.empty() ? folder : JoinChooserPath(folder, name));
    return;
  }
  if (m_bSave && !HasExtension(name) && !m_strDefExt.empty()) name += "." + m_strDefExt;
  const std::string path = JoinChooserPath(folder, name);
  const bool bExists = PathFileExistsA(path) && !PathIsDirectoryA(path);
  if (!m_bSave && !bExists) return;
  if (m_bSave && PathIsDirectoryA(path)) return;
  if (m_bSave && bExists) {
    const std::string text = name + Sjis(" は既に存在します。\n上書きしますか？");
    if (MessageBoxA(nullptr, text, m_strCaption, MB_YESNO | MB_ICONWARNING) != IDYES) return;
  }
  m_strChosen = path;
  EndDlg(1);
}

namespace {

// 1 with the chosen CP932 path, 0 when cancelled, -1 when there is no game
// window to draw in.
int RunChooser(bool bSave, std::string& chosen, const std::string& folder, const std::string& title,
               const FILEFILTER& filter, const std::string& defExt, const std::string& offered) {
  if (IsHeadless() || !HasGameWindow()) return -1;
  cFileChooserDlg dlg(bSave, folder, title, filter, defExt, offered);
  int r = DialogModal(dlg, 0);
  if (r == 1) chosen = dlg.m_strChosen;
  return r;
}

// The scripted chooser: "file:PATH" (UTF-8) chooses PATH.
int ScriptedChooser(std::string& chosen, const std::string& folder, const std::string& title,
                    const FILEFILTER& filter) {
  std::string answer;
  const bool bFile = NextScriptedAnswer(answer) && answer.rfind("file:", 0) == 0;
  std::fprintf(stderr, "[%s] %s %s -> %s\n", Cp932ToUtf8(title).c_str(), Cp932ToUtf8(folder).c_str(),
               Cp932ToUtf8(filter.strDescription).c_str(), bFile ? answer.c_str() + 5 : "cancel");
  std::fflush(stderr);
  if (!bFile) return 0;
  bool bOk = false;
  std::string cp932 = Utf8ToCp932(answer.substr(5), &bOk);
  if (!bOk || cp932.empty()) return 0;
  chosen = cp932;
  return 1;
}

}  // namespace

bool MatchFilePattern(const std::string& name, const std::string& patterns) {
  const std::vector<int> n = Chars(name);
  size_t start = 0;
  for (;;) {
    size_t semi = patterns.find(';', start);
    std::string one = patterns.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
    while (!one.empty() && one.front() == ' ') one.erase(0, 1);
    while (!one.empty() && one.back() == ' ') one.pop_back();
    if (!one.empty() && Match(n, 0, Chars(one), 0)) return true;
    if (semi == std::string::npos) return false;
    start = semi + 1;
  }
}

std::string JoinChooserPath(const std::string& folder, const std::string& name) {
  const std::string f = TrimmedFolder(folder);
  return f.empty() ? name : f + "\\" + name;
}

std::vector<std::string> ListMatchingFiles(const std::string& folder, const std::string& patterns) {
  std::vector<std::string> out;
  for (const std::string& name : ListFolder(folder)) {
    if (!MatchFilePattern(name, patterns)) continue;
    if (PathIsDirectoryA(JoinChooserPath(folder, name))) continue;
    out.push_back(name);
  }
  std::sort(out.begin(), out.end(), SortsBefore);
  return out;
}

std::vector<std::string> ListSubfolders(const std::string& folder) {
  std::vector<std::string> out;
  for (const std::string& name : ListFolder(folder)) {
    if (name == "." || name == "..") continue;
    if (PathIsDirectoryA(JoinChooserPath(folder, name))) out.push_back(name);
  }
  std::sort(out.begin(), out.end(), SortsBefore);
  return out;
}

BOOL ChooseOpenFile(std::string& path, int nBufferSize, const std::string& folder, const std::string& title,
                    const FILEFILTER& filter, const std::string& defExt, std::vector<std::string>* lpResults) {
  path.clear();
  std::string chosen;
  int r = RunChooser(false, chosen, folder, title, filter, defExt, std::string());
  if (r < 0) r = ScriptedChooser(chosen, folder, title, filter);
  // A path that does not fit the caller's buffer is not chosen.
  if (r != 1 || static_cast<int>(chosen.size()) > nBufferSize - 1) return 0;
  path = chosen;
  if (lpResults) lpResults->push_back(chosen);
  return 1;
}

BOOL ChooseSaveFile(std::string& path, const std::string& folder, const std::string& title, const FILEFILTER& filter,
                    const std::string& defExt, BOOL bKeep) {
  if (!bKeep) path.clear();
  std::string chosen;
  int r = RunChooser(true, chosen, folder, title, filter, defExt, path);
  if (r < 0) r = ScriptedChooser(chosen, folder, title, filter);
  if (r != 1 || chosen.size() > kPathBufferSize - 1) return 0;
  path = chosen;
  return 1;
}

std::string ReplayExtension() { return "rpl4_667"; }

std::string ProposeReplaySaveName(const std::string& stage) {
  if (stage.empty()) return std::string();
  const std::string ext = ReplayExtension();
  std::string name;
  if (!ReplaceExtension(name, stage, ext.c_str())) name = stage + "." + ext;
  StripDirectory(name);
  const std::string base = "user_data\\rpl4\\" + name;
  std::string candidate = base;
  for (int a = 0; a <= 8; ++a) {
    for (int b = 0; b <= 8; ++b) {
      MakeNumberedName(candidate, base, a, b);
      if (!PathFileExistsA(candidate)) {
        StripDirectory(candidate);
        return candidate;
      }
    }
  }
  StripDirectory(candidate);
  return candidate;
}

BOOL ChooseOpenFileForRequest(std::string& path, const OPENCHOOSER& chooser) {
  FILEFILTER filter{chooser.pszFilter, chooser.pszPattern};
  return ChooseOpenFile(path, kPathBufferSize, chooser.pszFolder, Sjis(chooser.pszTitle), filter, chooser.pszDefExt, nullptr);
}

BOOL ChooseReplaySaveFileForRequest(std::string& path, const std::string& stage) {
  const std::string ext = ReplayExtension();
  path = ProposeReplaySaveName(stage);
  FILEFILTER filter{"ReplayFile ( *." + ext + " )", "*." + ext};
  return ChooseSaveFile(path, "user_data\\rpl4\\", Sjis("保存先のファイル選択"), filter, ext, TRUE);
}
