// A fresh folder under the system's temporary folder that becomes the
// working folder for the life of the object (the game works relative to its
// folder), and is removed afterwards.
#pragma once

#include <string>

class cTempFolder {
 public:
  cTempFolder();
  ~cTempFolder();
  cTempFolder(const cTempFolder&) = delete;
  cTempFolder& operator=(const cTempFolder&) = delete;

  const std::string& Path() const { return m_strPath; }
  // Writes a file (native path relative to the folder), making its folders.
  void WriteFile(const std::string& relPath, const std::string& bytes) const;
  std::string ReadFile(const std::string& relPath) const;
  bool Exists(const std::string& relPath) const;

 private:
  std::string m_strPath;
  std::string m_strOldCwd;
};
