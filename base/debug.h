#pragma once
// Debug output: every line goes to stderr as "Message:" followed by the text.
// Tests may install a sink to capture the lines instead.
#include <functional>
#include <string>

void DebugPrintf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Replaces the destination of DebugPrintf (null restores stderr). Returns the old sink.
using DebugSink = std::function<void(const std::string&)>;
DebugSink SetDebugSink(DebugSink sink);
