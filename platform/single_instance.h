#pragma once
// One copy of the game per user: the first copy holds an exclusive lock on a
// file in the user's runtime directory for as long as it runs. The system
// drops the lock when the process ends in any way, so a crashed copy never
// blocks the next start.
//
// A copy on its way out (the player chose QUIT: the credits picture, the
// shutdown) still holds the lock for a few seconds. It writes "leaving" into
// the lock file, and a copy started meanwhile waits for it to go instead of
// refusing to start.
#include <cstdint>
#include <string>

class SingleInstanceLock {
 public:
  enum class Result {
    kAcquired,        // this is the only copy
    kAnotherRunning,  // another copy holds the lock
    kUnavailable,     // the lock file cannot be made; the game runs unguarded
  };

  SingleInstanceLock() = default;
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  Result Acquire();
  // Acquire, and while another copy holds the lock, try again until it is
  // released: for up to graceMs, or up to leavingMs once the holder says
  // it is leaving. Waits in steps of a tenth of a second.
  Result AcquireWaiting(uint32_t graceMs, uint32_t leavingMs);
  // Tells copies started from now on that this one is leaving.
  void MarkLeaving();
  void Release();
  bool IsHeld() const { return fd_ >= 0; }

  // $XDG_RUNTIME_DIR/kelvanthrop.lock, or a per-user file in the temporary
  // directory when the runtime directory is not set.
  static std::string LockPath();
  // Whether the copy holding the lock file at LockPath said it is leaving.
  static bool HolderIsLeaving();

 private:
  int fd_ = -1;
};

// MarkLeaving on the lock this process holds, if any (the shell's quit).
void MarkInstanceLeaving();
