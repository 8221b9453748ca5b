#include "platform/quit_request.h"

#include <signal.h>

#include <csignal>

namespace {
volatile std::sig_atomic_t g_quitRequested = 0;

extern "C" void OnQuitSignal(int) { g_quitRequested = 1; }
}  // namespace

void InstallQuitSignalHandlers() {
  struct sigaction sa = {};
  sa.sa_handler = OnQuitSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no SA_RESTART: a blocking wait returns at once
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

void RequestQuit() { g_quitRequested = 1; }
bool IsQuitRequested() { return g_quitRequested != 0; }
void ClearQuitRequest() { g_quitRequested = 0; }
