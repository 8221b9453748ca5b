#pragma once
// A FIFO put where the game expects one of its files. Code that opens it the
// wrong way blocks in open() or read() until a writer comes: the watch is that
// writer. If the code under test is still inside the FIFO after the grace
// time, the watch opens the other end and closes it, so the code returns and
// the test fails (unblocked() is true) instead of hanging the run.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

class FifoWatch {
 public:
  explicit FifoWatch(std::string path) : path_(std::move(path)) {
    made_ = ::mkfifo(path_.c_str(), 0644) == 0;
    thread_ = std::thread([this] {
      std::unique_lock<std::mutex> lock(mutex_);
      if (cv_.wait_for(lock, std::chrono::seconds(3), [this] { return done_; })) return;
      // Still waiting: play the writer (and the reader, for a writer).
      for (int flags : {O_WRONLY | O_NONBLOCK, O_RDONLY | O_NONBLOCK}) {
        int fd = ::open(path_.c_str(), flags | O_CLOEXEC);
        if (fd >= 0) {
          unblocked_ = true;
          ::close(fd);
        }
      }
    });
  }
  ~FifoWatch() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    cv_.notify_all();
    thread_.join();
    ::unlink(path_.c_str());
  }
  bool made() const { return made_; }
  // True when the code under test had to be released from the FIFO.
  bool unblocked() const { return unblocked_; }

 private:
  std::string path_;
  bool made_ = false;
  std::atomic<bool> unblocked_{false};
  bool done_ = false;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::thread thread_;
};
