#include "base/debug.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {
std::mutex g_sinkMutex;
DebugSink g_sink;
}  // namespace

DebugSink SetDebugSink(DebugSink sink) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  DebugSink old = std::move(g_sink);
  g_sink = std::move(sink);
  return old;
}

void DebugPrintf(const char* fmt, ...) {
  char buf[1024];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  std::string line = std::string("Message:") + buf;
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  if (g_sink) {
    g_sink(line);
  } else {
    std::fputs(line.c_str(), stderr);
    if (line.empty() || line.back() != '\n') std::fputc('\n', stderr);
  }
}
