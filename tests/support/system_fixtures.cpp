#include "tests/support/system_fixtures.h"

#include <filesystem>

namespace {

template <class T>
void RemoveAt(cVector<T>& v, int k) {
  if (k >= 0 && static_cast<size_t>(k) < v.size()) v.erase(v.begin() + k);
}

BOOL WriteAtVersion(cEdRecord& r, const char* pszPath, const char* pszFolder, int nVersion) {
  std::filesystem::create_directories(pszFolder);
  const int32_t nSaved = g_nCurDataVersion;
  g_nCurDataVersion = nVersion;
  BOOL ok = r.SaveToFile(pszPath);
  g_nCurDataVersion = nSaved;
  return ok;
}

}  // namespace

BOOL WriteSystemDat(cEdSystem& sys, int nVersion) { return WriteAtVersion(sys, SYSTEM_DAT_PATH, "data", nVersion); }

BOOL WriteDefaultSystemDat() {
  cEdSystem sys;
  return WriteSystemDat(sys);
}

cEdSystem SystemAsWrittenBy(int v) {
  cEdSystem sys;
  // Undone in falling order of the versions that inserted them.
  if (v < 568) {
    RemoveAt(sys.m_vecIniKey, 5);
    RemoveAt(sys.m_vecIniKey, 4);
  }
  if (v < 567) RemoveAt(sys.m_vecIniKey, 4);
  if (v < 286) RemoveAt(sys.m_vecIniKey, 0);
  if (v < 210) RemoveAt(sys.m_vecCarryStatus, 9);
  if (v < 201) RemoveAt(sys.m_vecCarryStatus, 14);
  if (v < 193) {
    RemoveAt(sys.m_vecText, 23);
    RemoveAt(sys.m_vecText, 22);
  }
  if (v < 181) {
    RemoveAt(sys.m_vecText, 9);
    RemoveAt(sys.m_vecText, 8);
  }
  if (v < 169) {
    RemoveAt(sys.m_vecText, 14);
    RemoveAt(sys.m_vecText, 13);
    RemoveAt(sys.m_vecText, 12);
    RemoveAt(sys.m_vecSaveMenu, 1);
  }
  if (v < 168) RemoveAt(sys.m_vecCarryStatus, 16);
  return sys;
}

BOOL WriteOptionDat(cEdOption& opt) {
  return WriteAtVersion(opt, OPTION_DAT_PATH, "user_data", DATA_VERSION_CURRENT);
}
