#include "base/atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/paths.h"

namespace {
bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

std::string DirOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}
}  // namespace

std::string AtomicTempPath(const std::string& resolvedPath) { return resolvedPath + ".tmp"; }

std::string WriteTargetPath(const std::string& resolvedPath) {
  std::string target = resolvedPath;
  // A loop of links ends the walk; the rename then replaces the last link read.
  for (int hop = 0; hop < 32; ++hop) {
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    char link[PATH_MAX];
    ssize_t n = ::readlink(target.c_str(), link, sizeof link - 1);
    if (n <= 0) break;
    link[n] = '\0';
    target = link[0] == '/' ? std::string(link) : JoinPath(DirOf(target), link);
  }
  return target;
}

bool WriteFileAtomic(const std::string& path, const void* data, size_t size) {
  std::string target = WriteTargetPath(ResolvePath(path));
  std::string temp = AtomicTempPath(target);
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, static_cast<const char*>(data), size) && ::fsync(fd) == 0;
  int err = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    errno = err;
    return false;
  }
  // Make the rename itself durable.
  int dfd = ::open(DirOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

int OpenRegularFile(const std::string& path) {
  // O_NONBLOCK makes the open of a FIFO with no writer (or of a device that
  // waits for a carrier) return at once; the type check then refuses it.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  int err = 0;
  if (::fstat(fd, &st) != 0)
    err = errno;
  else if (S_ISDIR(st.st_mode))
    err = EISDIR;
  else if (!S_ISREG(st.st_mode))
    err = EINVAL;
  if (err != 0) {
    ::close(fd);
    errno = err;
    return -1;
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

std::string FileErrorText(int err) {
  switch (err) {
    case ENOENT: return "no such file";
    case EINVAL: return "not a regular file";
    case EISDIR: return "a directory, not a file";
    case EFBIG: return "too large";
    case ENOSPC: return "no space left on the device";
    case EDQUOT: return "disk quota exceeded";
    case EACCES:
    case EPERM: return "permission denied";
    case EROFS: return "read-only file system";
    default: return std::strerror(err);
  }
}

bool ReadWholeFile(const std::string& path, std::string* out, size_t maxSize, std::string* why) {
  out->clear();
  int fd = OpenRegularFile(ResolvePath(path));
  if (fd < 0) {
    int err = errno;
    if (why) *why = FileErrorText(err);
    errno = err;
    return false;
  }
  struct stat st;
  const std::string tooLarge = "larger than " + std::to_string(maxSize) + " bytes";
  if (::fstat(fd, &st) != 0 || static_cast<unsigned long long>(st.st_size) > maxSize) {
    ::close(fd);
    if (why) *why = tooLarge;
    errno = EFBIG;
    return false;
  }
  // Room for the whole file at once (a file that grows while it is read
  // still fits, by growing the string).
  out->reserve(static_cast<size_t>(st.st_size));
  char buf[8192];
  bool ok = true;
  int err = 0;
  for (;;) {
    ssize_t r = ::read(fd, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      err = errno;
      ok = false;
      if (why) *why = FileErrorText(err);
      break;
    }
    if (r == 0) break;
    if (out->size() + static_cast<size_t>(r) > maxSize) {  // grew while we read
      err = EFBIG;
      ok = false;
      if (why) *why = tooLarge;
      break;
    }
    out->append(buf, static_cast<size_t>(r));
  }
  ::close(fd);
  if (!ok) {
    out->clear();
    errno = err;
  }
  return ok;
}
