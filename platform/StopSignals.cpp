#include "platform/StopSignals.h"

#include <csignal>
#include <initializer_list>

namespace platform {

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnStopSignal(int) { g_stop = 1; }

}  // namespace

void CatchStopSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(sig, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

bool StopSignalled() { return g_stop != 0; }

}  // namespace platform
