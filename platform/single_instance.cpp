#include "platform/single_instance.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "base/debug.h"

SingleInstanceLock::~SingleInstanceLock() { Release(); }

std::string SingleInstanceLock::LockPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/kelvanthrop.lock";
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = (tmp && *tmp) ? tmp : "/tmp";
  return dir + "/kelvanthrop-" + std::to_string(::getuid()) + ".lock";
}

SingleInstanceLock::Result SingleInstanceLock::Acquire() {
  if (fd_ >= 0) return Result::kAcquired;
  std::string path = LockPath();
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    DebugPrintf("single-instance lock %s not made: %s\n", path.c_str(), std::strerror(errno));
    return Result::kUnavailable;
  }
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) return Result::kAnotherRunning;
    DebugPrintf("single-instance lock %s not taken: %s\n", path.c_str(), std::strerror(err));
    return Result::kUnavailable;
  }
  fd_ = fd;
  return Result::kAcquired;
}

void SingleInstanceLock::Release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}
