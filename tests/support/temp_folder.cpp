#include "tests/support/temp_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

cTempFolder::cTempFolder() {
  std::string tmpl = (fs::temp_directory_path() / "t4test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  m_strPath = tmpl;
  m_strOldCwd = fs::current_path().string();
  fs::current_path(m_strPath);
}

cTempFolder::~cTempFolder() {
  std::error_code ec;
  fs::current_path(m_strOldCwd, ec);
  fs::remove_all(m_strPath, ec);
}

void cTempFolder::WriteFile(const std::string& relPath, const std::string& bytes) const {
  fs::path p = fs::path(m_strPath) / relPath;
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string cTempFolder::ReadFile(const std::string& relPath) const {
  std::ifstream f(fs::path(m_strPath) / relPath, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool cTempFolder::Exists(const std::string& relPath) const { return fs::exists(fs::path(m_strPath) / relPath); }
