#include "records/default_data.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/text_cp932.h"
#include "base/report.h"
#include "records/start_tables.h"

namespace fs = std::filesystem;

const char* const g_aszProjectFolder[] = {
    "user_data", "user_data\\story", "user_data\\challenge", "user_data\\free", "user_data\\rpl4",
    "data", "data\\database", "data\\stg4", "data\\stg4\\old_ver", "data\\work", "data\\plt4",
    "bmp", "bmp\\back", "bmp\\chara_sp", "bmp\\effect", "bmp\\picture", "bmp\\sword", "bmp\\convert",
    "bmp\\plt", "bmp\\hbt",
    "wave", "bgm", "",
};

namespace {

// A game path without its closing "\", as the folder itself.
std::string FolderName(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
  return path;
}

}  // namespace

BOOL CreateDefaultData(HWND hWnd) {
  const std::string data = FolderName(g_vecPathTable.CheckedAt(0));
  const std::string def = FolderName(g_vecPathTable.CheckedAt(1));
  if (PathIsDirectoryA(data)) return TRUE;
  if (!PathIsDirectoryA(def)) return FALSE;
  if (MessageBoxA(hWnd, Sjis("データが存在しません！デフォルトデータを作成しますか？\n"),
                  Sjis("デフォルトデータ作成の確認"), MB_YESNO) != IDYES) {
    return FALSE;
  }
  const fs::path target(ResolvePath(data));
  std::error_code ec;
  // A "data" that is a file (or a link to nothing) is not ours to replace:
  // the copy would fail and its clean-up would delete it.
  if (fs::symlink_status(target, ec).type() != fs::file_type::not_found) return FALSE;
  ec.clear();
  fs::copy(fs::path(ResolvePath(def)), target, fs::copy_options::recursive, ec);
  if (!ec) return TRUE;
  std::error_code ec2;
  fs::remove_all(target, ec2);
  return FALSE;
}

void CreateProjectFolders() {
  for (int i = 0; g_aszProjectFolder[i][0] != '\0'; ++i) CreateDirectoryA(g_aszProjectFolder[i]);
}

BOOL PrepareProjectFolders(HWND hWnd) {
  if (!CreateDefaultData(hWnd)) {
    ReportLogAndErrorBoxf("%s",
                          Sjis("「data」フォルダの作成に失敗…\n「default」フォルダに問題がある可能性があります。").c_str());
    return FALSE;
  }
  CreateProjectFolders();
  return TRUE;
}
