#pragma once
// One copy of the game per user: the first copy holds an exclusive lock on a
// file in the user's runtime directory for as long as it runs. The system
// drops the lock when the process ends in any way, so a crashed copy never
// blocks the next start.
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
  void Release();
  bool IsHeld() const { return fd_ >= 0; }

  // $XDG_RUNTIME_DIR/kelvanthrop.lock, or a per-user file in the temporary
  // directory when the runtime directory is not set.
  static std::string LockPath();

 private:
  int fd_ = -1;
};
