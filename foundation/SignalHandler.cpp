#include "foundation/SignalHandler.h"

#include "foundation/SignalHandled.h"

#include <signal.h>
#include <sys/time.h>

namespace tovren {

SignalHandled* SignalHandler::sh = nullptr;
volatile std::sig_atomic_t SignalHandler::finished = 0;

namespace {

struct WantedSignal {
  int bit;
  int signal;
  void (*handler)(int);
};

// In the order of installation.
const WantedSignal kWantedSignals[] = {
    {1, SIGALRM, &SignalHandler::sigAlrmHandler},  {2, SIGINT, &SignalHandler::sigIntHandler},
    {4, SIGIO, &SignalHandler::sigIOHandler},      {8, SIGKILL, &SignalHandler::sigKillHandler},
    {16, SIGQUIT, &SignalHandler::sigQuitHandler}, {32, SIGSEGV, &SignalHandler::sigSegVHandler},
    {64, SIGTERM, &SignalHandler::sigTermHandler},
};

// The cycle signals and the stop signals that could interrupt their work.
const int kGuardedSignals[] = {SIGALRM, SIGIO, SIGINT, SIGQUIT, SIGTERM};

// In the order of restoring.
const int kRestoredSignals[] = {SIGALRM, SIGINT, SIGIO, SIGKILL, SIGQUIT, SIGSEGV, SIGTERM};

bool isCycleSignal(int signal) { return signal == SIGALRM || signal == SIGIO; }

// The per-cycle work of SIGALRM and SIGIO never interleaves, and no stop signal writes
// to a log in the middle of it.
void blockedWhileHandling(int signal, sigset_t& set) {
  sigemptyset(&set);
  if (isCycleSignal(signal)) {
    for (int each : kGuardedSignals) sigaddset(&set, each);
  } else {
    sigaddset(&set, signal);
  }
}

// Only the signal and its partner in the cycle work, whatever else its handler blocks.
void unblockedAtInstallation(int signal, sigset_t& set) {
  sigemptyset(&set);
  if (isCycleSignal(signal)) {
    sigaddset(&set, SIGALRM);
    sigaddset(&set, SIGIO);
  } else {
    sigaddset(&set, signal);
  }
}

timeval toTimeval(long ms) {
  timeval value{};
  value.tv_sec = static_cast<time_t>(ms / 1000);
  value.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
  return value;
}

void dispatch(bool (SignalHandled::*callback)()) {
  if (SignalHandler::sh == nullptr) return;
  if (!(SignalHandler::sh->*callback)()) SignalHandler::finished = 1;
}

}  // namespace

void SignalHandler::initSignalHandlers(SignalHandled* obj) {
  if (obj == nullptr) return;
  sh = obj;
  // Cleared before anything is installed, so a stop that arrives at once is not lost.
  finished = 0;
  int mask = obj->signalsMask();
  for (const WantedSignal& wanted : kWantedSignals) {
    if ((mask & wanted.bit) == 0) continue;
    struct sigaction action {};
    action.sa_handler = wanted.handler;
    action.sa_flags = 0;
    blockedWhileHandling(wanted.signal, action.sa_mask);
    // Refused for SIGKILL, which cannot be caught.
    sigaction(wanted.signal, &action, nullptr);
    sigset_t unblocked;
    unblockedAtInstallation(wanted.signal, unblocked);
    sigprocmask(SIG_UNBLOCK, &unblocked, nullptr);
    if (wanted.signal == SIGALRM) {
      long first = 10;
      long interval = 10;
      obj->sigAlrmTiming(first, interval);
      itimerval timing{};
      timing.it_value = toTimeval(first);
      timing.it_interval = toTimeval(interval);
      setitimer(ITIMER_REAL, &timing, nullptr);
    }
  }
}

void SignalHandler::run() {
  // Testing the flag with the stop and cycle signals blocked, and waiting with the set
  // blocked before, closes the gap in which a signal between the test and the wait would
  // be slept through.
  sigset_t guarded;
  sigemptyset(&guarded);
  for (int each : kGuardedSignals) sigaddset(&guarded, each);
  sigset_t before;
  sigprocmask(SIG_BLOCK, &guarded, &before);
  while (finished == 0) sigsuspend(&before);
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

void SignalHandler::stopTimer() {
  sigset_t cycleSignals;
  sigemptyset(&cycleSignals);
  sigaddset(&cycleSignals, SIGALRM);
  sigaddset(&cycleSignals, SIGIO);
  sigprocmask(SIG_BLOCK, &cycleSignals, nullptr);
  itimerval off{};
  setitimer(ITIMER_REAL, &off, nullptr);
}

void SignalHandler::finalSignalHandlers() {
  for (int each : kRestoredSignals) signal(each, SIG_DFL);
}

void SignalHandler::sigAlrmHandler(int) { dispatch(&SignalHandled::sigAlrmHandler); }

void SignalHandler::sigIntHandler(int) { dispatch(&SignalHandled::sigIntHandler); }

void SignalHandler::sigIOHandler(int) { dispatch(&SignalHandled::sigIOHandler); }

void SignalHandler::sigKillHandler(int) { dispatch(&SignalHandled::sigKillHandler); }

void SignalHandler::sigQuitHandler(int) { dispatch(&SignalHandled::sigQuitHandler); }

void SignalHandler::sigSegVHandler(int) {
  // Returning resumes the faulting code; with the default action back, the repeated
  // fault ends the process instead of looping through this handler.
  signal(SIGSEGV, SIG_DFL);
  dispatch(&SignalHandled::sigSegVHandler);
}

void SignalHandler::sigTermHandler(int) { dispatch(&SignalHandled::sigTermHandler); }

}  // namespace tovren
