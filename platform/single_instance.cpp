#include "platform/single_instance.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "base/debug.h"

namespace {
constexpr char kLeaving[] = "leaving";
SingleInstanceLock* g_heldLock = nullptr;
}  // namespace

SingleInstanceLock::~SingleInstanceLock() { Release(); }

void MarkInstanceLeaving() {
  if (g_heldLock) g_heldLock->MarkLeaving();
}

bool SingleInstanceLock::HolderIsLeaving() {
  int fd = ::open(LockPath().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  char buf[sizeof kLeaving] = {};
  ssize_t n;
  do {
    n = ::read(fd, buf, sizeof buf - 1);
  } while (n < 0 && errno == EINTR);
  ::close(fd);
  return n == static_cast<ssize_t>(sizeof kLeaving - 1) && std::memcmp(buf, kLeaving, n) == 0;
}

void SingleInstanceLock::MarkLeaving() {
  if (fd_ < 0) return;
  if (::ftruncate(fd_, 0) != 0 ||
      ::pwrite(fd_, kLeaving, sizeof kLeaving - 1, 0) != static_cast<ssize_t>(sizeof kLeaving - 1))
    DebugPrintf("single-instance lock: cannot say so: %s\n", std::strerror(errno));
}

SingleInstanceLock::Result SingleInstanceLock::AcquireWaiting(uint32_t graceMs, uint32_t leavingMs) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  for (;;) {
    Result r = Acquire();
    if (r != Result::kAnotherRunning) return r;
    // The holder may start leaving while this copy waits.
    const uint32_t limit = HolderIsLeaving() ? leavingMs : graceMs;
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    if (waited >= static_cast<long long>(limit)) return r;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

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
  g_heldLock = this;
  // A leaver's word from an earlier run is not this copy's.
  if (::ftruncate(fd_, 0) != 0)
    DebugPrintf("single-instance lock %s not cleared: %s\n", path.c_str(), std::strerror(errno));
  return Result::kAcquired;
}

void SingleInstanceLock::Release() {
  if (fd_ < 0) return;
  if (g_heldLock == this) g_heldLock = nullptr;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}
