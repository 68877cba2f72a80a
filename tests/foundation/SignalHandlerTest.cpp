#include "foundation/SignalHandler.h"

#include "foundation/SignalHandled.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace tovren {
namespace {

// Generous: the machine running the tests may be slow and busy.
constexpr int kChildTimeoutMS = 20000;

long monotonicMS() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// At least the pause, resumed after every handled signal: long enough for 10 ms alarms to
// fall due however busy the machine.
void sleepMS(long ms) {
  timespec pause{ms / 1000, (ms % 1000) * 1000000};
  while (nanosleep(&pause, &pause) != 0) {
  }
}

// Async-signal-safe report to the parent.
void report(int fd, const std::string& text) {
  ssize_t written = write(fd, text.data(), text.size());
  (void)written;
}

struct ChildResult {
  int status = 0;
  std::string text;
  bool exitedCleanly() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }
};

// Runs the body in a forked child, so the test process keeps its own signal state, and
// returns what the body reported and how the child ended; a child that hangs is killed.
ChildResult runInChild(const std::function<void(int)>& body) {
  int fds[2];
  if (pipe(fds) != 0) std::abort();
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    body(fds[1]);
    _exit(0);
  }
  close(fds[1]);
  ChildResult result;
  const long deadline = monotonicMS() + kChildTimeoutMS;
  pollfd waiting{fds[0], POLLIN, 0};
  char buffer[256];
  ssize_t got = 1;
  while (got > 0 && monotonicMS() < deadline &&
         poll(&waiting, 1, static_cast<int>(deadline - monotonicMS())) > 0) {
    got = read(fds[0], buffer, sizeof buffer);
    if (got > 0) result.text.append(buffer, static_cast<std::size_t>(got));
  }
  close(fds[0]);
  if (got != 0) {
    ADD_FAILURE() << "child did not end in time";
    kill(pid, SIGKILL);
  }
  waitpid(pid, &result.status, 0);
  return result;
}

// "h" for a signal with a handler, "d" for the default action; "b" blocked, "u" not.
std::string signalState(int signal) {
  struct sigaction action {};
  sigaction(signal, nullptr, &action);
  sigset_t current;
  sigprocmask(SIG_BLOCK, nullptr, &current);
  return std::string(action.sa_handler == SIG_DFL ? "d" : "h") +
         (sigismember(&current, signal) == 1 ? "b" : "u");
}

std::string timerState() {
  itimerval timing{};
  getitimer(ITIMER_REAL, &timing);
  return timing.it_value.tv_sec != 0 || timing.it_value.tv_usec != 0 ? "armed" : "disarmed";
}

// Takes the mask and timing the tests give it and counts its alarms.
class Probe : public SignalHandled {
 public:
  explicit Probe(int mask) : mask(mask) {}
  int signalsMask() override { return mask; }
  void sigAlrmTiming(long& first, long& interval) override {
    ++timingCalls;
    first = firstMS;
    interval = intervalMS;
  }
  bool sigAlrmHandler() override {
    if (alarms < kMaxAlarms) alarmTimes[alarms] = monotonicMS();
    ++alarms;
    return alarms < stopAtAlarm;
  }

  static constexpr int kMaxAlarms = 8;
  int mask;
  // Far enough away that no alarm falls due during a test, unless a test sets it.
  long firstMS = 60000;
  long intervalMS = 60000;
  int stopAtAlarm = kMaxAlarms;
  int timingCalls = 0;
  volatile int alarms = 0;
  long alarmTimes[kMaxAlarms] = {};
};

// Records which callback each static handler reaches.
class Recorder : public SignalHandled {
 public:
  int signalsMask() override { return 0; }
  bool sigAlrmHandler() override { return note("alrm", true); }
  bool sigIntHandler() override { return note("int", true); }
  bool sigIOHandler() override { return note("io", true); }
  bool sigKillHandler() override { return note("kill", true); }
  bool sigQuitHandler() override { return note("quit", true); }
  bool sigSegVHandler() override { return note("segv", true); }
  bool sigTermHandler() override { return note("term", stopOnTerm); }

  std::string calls;
  bool stopOnTerm = false;

 private:
  bool note(const char* name, bool result) {
    calls += std::string(name) + " ";
    return result;
  }
};

// Only the defaults.
class Plain : public SignalHandled {
 public:
  int signalsMask() override { return 127; }
};

TEST(SignalHandled, DefaultsGoOnForCycleSignalsAndStopForTheRest) {
  Plain plain;
  EXPECT_TRUE(plain.sigAlrmHandler() && plain.sigIOHandler());
  EXPECT_FALSE(plain.sigIntHandler() || plain.sigKillHandler() || plain.sigQuitHandler() ||
               plain.sigSegVHandler() || plain.sigTermHandler());
}

TEST(SignalHandler, EachHandlerCallsItsOwnCallbackAndTheStopFlagIsSticky) {
  struct sigaction savedSegv {};
  sigaction(SIGSEGV, nullptr, &savedSegv);
  Recorder recorder;
  SignalHandler::sh = nullptr;
  SignalHandler::finished = 0;
  SignalHandler::initSignalHandlers(nullptr);
  SignalHandler::sigTermHandler(SIGTERM);  // without an object nothing happens
  EXPECT_EQ(SignalHandler::sh, nullptr);
  EXPECT_EQ(SignalHandler::finished, 0);

  SignalHandler::sh = &recorder;
  SignalHandler::sigAlrmHandler(SIGALRM);
  SignalHandler::sigIntHandler(SIGINT);
  SignalHandler::sigIOHandler(SIGIO);
  SignalHandler::sigKillHandler(SIGKILL);
  SignalHandler::sigQuitHandler(SIGQUIT);
  SignalHandler::sigSegVHandler(SIGSEGV);
  EXPECT_EQ(SignalHandler::finished, 0);
  SignalHandler::sigTermHandler(SIGTERM);
  EXPECT_EQ(SignalHandler::finished, 1);
  recorder.stopOnTerm = true;
  SignalHandler::sigTermHandler(SIGTERM);
  SignalHandler::sigAlrmHandler(SIGALRM);
  EXPECT_EQ(SignalHandler::finished, 1);
  EXPECT_EQ(recorder.calls, "alrm int io kill quit segv term term alrm ");

  SignalHandler::sh = nullptr;
  SignalHandler::finished = 0;
  sigaction(SIGSEGV, &savedSegv, nullptr);
}

TEST(SignalHandler, FirstAlarmAndPeriodFollowTheTiming) {
  const ChildResult child = runInChild([](int fd) {
    Probe probe(1);
    // Over a second, so the whole seconds are converted too.
    probe.firstMS = 1200;
    probe.intervalMS = 150;
    probe.stopAtAlarm = 4;
    const long start = monotonicMS();
    SignalHandler::initSignalHandlers(&probe);
    SignalHandler::run();
    SignalHandler::stopTimer();
    report(fd, std::to_string(probe.timingCalls) + " " + std::to_string(probe.alarms) + " " +
                   std::to_string(probe.alarmTimes[0] - start) + " " +
                   std::to_string(probe.alarmTimes[3] - probe.alarmTimes[0]));
  });
  ASSERT_TRUE(child.exitedCleanly()) << child.text;
  int timingCalls = 0, alarms = 0;
  long first = 0, span = 0;
  ASSERT_EQ(std::sscanf(child.text.c_str(), "%d %d %ld %ld", &timingCalls, &alarms, &first, &span),
            4);
  EXPECT_EQ(timingCalls, 1);
  EXPECT_EQ(alarms, 4);
  EXPECT_GE(first, 1200 - 10);
  // Three periods of 150 ms, less a late first delivery.
  EXPECT_GE(span, 250);
}

TEST(SignalHandler, InstallsOnlyTheWantedSignalsUnblockingEachWithItsPartner) {
  const struct Case {
    int mask;
    const char* state;  // SIGALRM, SIGIO, SIGTERM, the timer, the sigAlrmTiming calls
  } cases[] = {
      {0, "db db db disarmed 0"},
      // No interval timer without SIGALRM, which is unblocked as SIGIO's partner.
      {4, "du hu db disarmed 0"},
      {1 | 64, "hu du hu armed 1"},
  };
  for (const Case& c : cases) {
    const ChildResult child = runInChild([&c](int fd) {
      sigset_t blocked;
      sigemptyset(&blocked);
      for (int signal : {SIGALRM, SIGIO, SIGTERM}) sigaddset(&blocked, signal);
      sigprocmask(SIG_BLOCK, &blocked, nullptr);
      Probe probe(c.mask);
      SignalHandler::finished = 1;
      SignalHandler::initSignalHandlers(&probe);
      if (SignalHandler::sh != &probe || SignalHandler::finished != 0) report(fd, "not cleared ");
      report(fd, signalState(SIGALRM) + " " + signalState(SIGIO) + " " + signalState(SIGTERM) +
                     " " + timerState() + " " + std::to_string(probe.timingCalls));
    });
    ASSERT_TRUE(child.exitedCleanly()) << child.text;
    EXPECT_EQ(child.text, c.state) << "mask " << c.mask;
  }
}

TEST(SignalHandler, FinalRestoresDefaultsAndStopTimerDisarmsAndBlocksTheCycleSignals) {
  const ChildResult child = runInChild([](int fd) {
    Probe probe(127);
    SignalHandler::initSignalHandlers(&probe);
    std::string states;
    const auto record = [&states] {
      for (int signal : {SIGALRM, SIGINT, SIGIO, SIGQUIT, SIGSEGV, SIGTERM}) {
        states += signalState(signal) + " ";
      }
      states += timerState() + "\n";
    };
    record();
    SignalHandler::finalSignalHandlers();
    record();
    SignalHandler::stopTimer();
    record();
    report(fd, states);
  });
  ASSERT_TRUE(child.exitedCleanly()) << child.text;
  EXPECT_EQ(child.text,
            "hu hu hu hu hu hu armed\n"
            "du du du du du du armed\n"
            "db du db du du du disarmed\n");
}

TEST(SignalHandler, HandlersBlockTheCycleAndStopSignals) {
  const ChildResult child = runInChild([](int fd) {
    Probe probe(1 | 2 | 4 | 64);
    SignalHandler::initSignalHandlers(&probe);
    SignalHandler::stopTimer();
    for (int signal : {SIGALRM, SIGIO, SIGINT, SIGTERM}) {
      struct sigaction action {};
      sigaction(signal, nullptr, &action);
      std::string blocked;
      for (int other : {SIGALRM, SIGIO, SIGINT, SIGQUIT, SIGTERM}) {
        blocked += sigismember(&action.sa_mask, other) == 1 ? "b" : "-";
      }
      if (action.sa_flags & (SA_RESTART | SA_RESETHAND)) blocked += " flags";
      report(fd, blocked + "\n");
    }
  });
  ASSERT_TRUE(child.exitedCleanly()) << child.text;
  // Blocked while handling SIGALRM, SIGIO, SIGINT, SIGTERM: of ALRM, IO, INT, QUIT, TERM.
  EXPECT_EQ(child.text, "bbbbb\nbbbbb\n--b--\n----b\n");
}

TEST(SignalHandler, ReturningSegvCallbackLeavesTheDefaultAction) {
  class SegvReporter : public Probe {
   public:
    explicit SegvReporter(int fd) : Probe(32), fd(fd) {}
    bool sigSegVHandler() override {
      report(fd, "callback\n");
      return true;
    }
    int fd;
  };
  const ChildResult child = runInChild([](int fd) {
    SegvReporter reporter(fd);
    SignalHandler::initSignalHandlers(&reporter);
    raise(SIGSEGV);
    report(fd, "resumed\n");
    raise(SIGSEGV);
    report(fd, "survived\n");
  });
  EXPECT_TRUE(WIFSIGNALED(child.status) && WTERMSIG(child.status) == SIGSEGV) << child.status;
  EXPECT_EQ(child.text, "callback\nresumed\n");
}

TEST(SignalHandled, RunEndsOnTermAndLeavesNoAlarmToKillTheProcess) {
  class Terminating : public Plain {
   public:
    // SIGTERM, blocked while the alarm is handled, ends the run right after it.
    bool sigAlrmHandler() override {
      if (++alarms == 3) raise(SIGTERM);
      return Plain::sigAlrmHandler();
    }
    int alarms = 0;
  };
  const ChildResult child = runInChild([](int fd) {
    Terminating terminating;
    // The default run: all seven signals, 10 ms alarms.
    terminating.run();
    // Alarms would fall due many times over, with their default action back.
    sleepMS(300);
    report(fd, "ended after " + std::to_string(terminating.alarms));
  });
  EXPECT_TRUE(child.exitedCleanly()) << child.status;
  EXPECT_EQ(child.text, "ended after 3");
}

}  // namespace
}  // namespace tovren
