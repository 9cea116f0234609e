// The single-instance rule. A lock file held with flock and holding the
// holder's process id stands for the named mutex "ゲーム"; terminating the
// other copy sends it SIGTERM, then SIGKILL after 500 ms. The lock is kept
// per user and per game folder (the working folder), in a folder only the
// user can write ($XDG_RUNTIME_DIR, or a 0700 folder of the user's under the
// temporary folder), so that copies of different games, and tests running
// side by side, do not meet, and no one else can plant a link in its place.
// The holder removes the file when it lets go.
#pragma once

#include <string>

class cInstanceLock {
 public:
  enum CREATERESULT {
    LOCK_FIRST,            // no other copy: this one holds the lock
    LOCK_ALREADY_RUNNING,  // another copy holds it
  };
  enum TERMINATERESULT {
    TERMINATE_NO_OTHER,     // no other copy could be named (it is still starting)
    TERMINATE_DONE,         // the other copy was ended (and its lock is ours when it let go in time)
    TERMINATE_CANNOT_OPEN,  // the other copy cannot be signalled
  };

  cInstanceLock() = default;
  ~cInstanceLock() { Release(); }
  cInstanceLock(const cInstanceLock&) = delete;
  cInstanceLock& operator=(const cInstanceLock&) = delete;

  // The lock of the working folder. A lock file that cannot be made at all
  // counts as no other copy (start-up goes on without the lock).
  CREATERESULT Create();
  // Ends the copy that holds the lock and waits for it (Create said
  // LOCK_ALREADY_RUNNING).
  TERMINATERESULT TerminateOther();
  // Lets go of the lock and removes its file.
  void Release();
  bool IsHeld() const { return m_bHeld; }

 private:
  bool OpenLockFile();
  bool TryLock();

  std::string m_strPath;
  int m_nFd = -1;
  bool m_bHeld = false;
};

// The lock file of the working folder; "" when there is no private folder
// to keep it in.
std::string InstanceLockPath();
