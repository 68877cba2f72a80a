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

using tovren::SignalHandled;
using tovren::SignalHandler;

namespace {

// Generous: the machine running the tests may be slow and busy.
constexpr int kChildTimeoutMS = 20000;
// Long enough for several 10 ms alarms to fall due.
constexpr int kAlarmsDueMS = 300;

long monotonicMS() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void sleepMS(long ms) {
  timespec pause{ms / 1000, (ms % 1000) * 1000000};
  // Resumed after every handled signal, until the whole pause has passed.
  while (nanosleep(&pause, &pause) != 0) {
  }
}

// Async-signal-safe report of one line to the parent.
void report(int fd, const std::string& line) {
  std::string text = line + "\n";
  ssize_t written = write(fd, text.data(), text.size());
  (void)written;
}

void report(int fd, const std::string& key, long value) {
  report(fd, key + "=" + std::to_string(value));
}

bool isBlocked(int signal) {
  sigset_t current;
  sigprocmask(SIG_BLOCK, nullptr, &current);
  return sigismember(&current, signal) == 1;
}

bool hasDefaultAction(int signal) {
  struct sigaction action {};
  sigaction(signal, nullptr, &action);
  return action.sa_handler == SIG_DFL;
}

bool isTimerArmed() {
  itimerval timing{};
  getitimer(ITIMER_REAL, &timing);
  return timing.it_value.tv_sec != 0 || timing.it_value.tv_usec != 0;
}

// A forked child that runs a body (which installs handlers, so the test process keeps its
// own signal state) and reports lines back through a pipe.
class Child {
 public:
  explicit Child(const std::function<void(int)>& body) {
    int fds[2];
    if (pipe(fds) != 0) std::abort();
    std::fflush(nullptr);
    pid = fork();
    if (pid == 0) {
      close(fds[0]);
      rlimit noCore{0, 0};
      setrlimit(RLIMIT_CORE, &noCore);
      body(fds[1]);
      _exit(0);
    }
    close(fds[1]);
    readFd = fds[0];
  }

  ~Child() {
    if (pid > 0 && !reaped) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (readFd >= 0) close(readFd);
  }

  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Reads until the report holds the line, or the time is up.
  bool waitForLine(const std::string& line) {
    long deadline = monotonicMS() + kChildTimeoutMS;
    while (text.find(line + "\n") == std::string::npos) {
      if (!readSome(deadline)) return false;
    }
    return true;
  }

  bool isRunning() {
    if (reaped) return false;
    if (waitpid(pid, &status, WNOHANG) == pid) reaped = true;
    return !reaped;
  }

  void send(int signal) { kill(pid, signal); }

  // Reads the rest of the report and the exit status; a child that hangs is killed.
  int finish() {
    long deadline = monotonicMS() + kChildTimeoutMS;
    while (readSome(deadline)) {
    }
    while (!reaped && isRunning() && monotonicMS() < deadline) sleepMS(10);
    if (!reaped) {
      ADD_FAILURE() << "child did not end in time";
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      reaped = true;
    }
    return status;
  }

  // The value of a "key=value" line, or -1 when there is none.
  long valueOf(const std::string& key) const {
    std::size_t at = text.find(key + "=");
    if (at == std::string::npos) return -1;
    return std::stol(text.substr(at + key.size() + 1));
  }

  std::string text;

 private:
  // False at the end of the report or of the time.
  bool readSome(long deadline) {
    long left = deadline - monotonicMS();
    if (left <= 0) return false;
    pollfd waiting{readFd, POLLIN, 0};
    if (poll(&waiting, 1, static_cast<int>(left)) <= 0) return false;
    char buffer[256];
    ssize_t got = read(readFd, buffer, sizeof buffer);
    if (got <= 0) return false;
    text.append(buffer, static_cast<std::size_t>(got));
    return true;
  }

  pid_t pid = -1;
  int readFd = -1;
  int status = 0;
  bool reaped = false;
};

bool exitedCleanly(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

// Takes what the tests give it and records the callbacks it gets.
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
    return onAlarm ? onAlarm(alarms) : true;
  }

  static constexpr int kMaxAlarms = 64;
  int mask;
  long firstMS = 10;
  long intervalMS = 10;
  int timingCalls = 0;
  volatile int alarms = 0;
  long alarmTimes[kMaxAlarms] = {};
  std::function<bool(int)> onAlarm;  // given the count of alarms so far
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

}  // namespace

TEST(SignalHandled, DefaultsGoOnForCycleSignalsAndStopForTheRest) {
  Plain plain;
  EXPECT_TRUE(plain.sigAlrmHandler());
  EXPECT_TRUE(plain.sigIOHandler());
  EXPECT_FALSE(plain.sigIntHandler());
  EXPECT_FALSE(plain.sigKillHandler());
  EXPECT_FALSE(plain.sigQuitHandler());
  EXPECT_FALSE(plain.sigSegVHandler());
  EXPECT_FALSE(plain.sigTermHandler());
  long first = 0;
  long interval = 0;
  plain.sigAlrmTiming(first, interval);
  EXPECT_EQ(first, 10);
  EXPECT_EQ(interval, 10);
}

TEST(SignalHandler, EachHandlerCallsItsOwnCallbackAndTheStopFlagIsSticky) {
  struct sigaction savedSegv {};
  sigaction(SIGSEGV, nullptr, &savedSegv);
  Recorder recorder;
  SignalHandler::sh = &recorder;
  SignalHandler::finished = 0;

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

TEST(SignalHandler, WithoutObjectNothingHappens) {
  SignalHandler::sh = nullptr;
  SignalHandler::finished = 0;
  SignalHandler::initSignalHandlers(nullptr);
  SignalHandler::sigTermHandler(SIGTERM);
  SignalHandler::sigIntHandler(SIGINT);
  EXPECT_EQ(SignalHandler::sh, nullptr);
  EXPECT_EQ(SignalHandler::finished, 0);
}

TEST(SignalHandler, FirstAlarmAndPeriodFollowTheTiming) {
  Child child([](int fd) {
    Probe probe(1);
    // Over a second, so the whole seconds are converted too.
    probe.firstMS = 1200;
    probe.intervalMS = 150;
    probe.onAlarm = [](int alarms) { return alarms < 4; };
    long start = monotonicMS();
    SignalHandler::initSignalHandlers(&probe);
    SignalHandler::run();
    SignalHandler::stopTimer();
    report(fd, "timing", probe.timingCalls);
    report(fd, "alarms", probe.alarms);
    report(fd, "first", probe.alarmTimes[0] - start);
    report(fd, "span", probe.alarmTimes[3] - probe.alarmTimes[0]);
  });
  ASSERT_TRUE(exitedCleanly(child.finish())) << child.text;
  EXPECT_EQ(child.valueOf("timing"), 1);
  EXPECT_EQ(child.valueOf("alarms"), 4);
  EXPECT_GE(child.valueOf("first"), 1200 - 10);
  EXPECT_LT(child.valueOf("first"), 1200 + 1500);
  // Three periods of 150 ms, less a late first delivery.
  EXPECT_GE(child.valueOf("span"), 250);
  EXPECT_LT(child.valueOf("span"), 450 + 1500);
}

TEST(SignalHandler, StopStaysSetWhenALaterCallbackReturnsTrue) {
  class Nested : public Probe {
   public:
    Nested() : Probe(1 | 2 | 64) {}
    // SIGINT, blocked during the alarm, arrives after it; SIGTERM then runs nested
    // inside the SIGINT handler and ends the run before the SIGINT callback returns true.
    bool sigIntHandler() override {
      raise(SIGTERM);
      return true;
    }
    bool sigTermHandler() override {
      ++terms;
      return false;
    }
    volatile int terms = 0;
  };
  Child child([](int fd) {
    Nested nested;
    nested.firstMS = 50;
    nested.intervalMS = 300;
    // Without a sticky flag the run would go on until the 5th alarm.
    nested.onAlarm = [](int alarms) {
      if (alarms == 1) raise(SIGINT);
      return alarms < 5;
    };
    SignalHandler::initSignalHandlers(&nested);
    SignalHandler::run();
    SignalHandler::stopTimer();
    report(fd, "alarms", nested.alarms);
    report(fd, "terms", nested.terms);
  });
  ASSERT_TRUE(exitedCleanly(child.finish())) << child.text;
  EXPECT_EQ(child.valueOf("terms"), 1);
  EXPECT_EQ(child.valueOf("alarms"), 1);
}

TEST(SignalHandler, StoppedTimerLetsTheProcessExitCleanlyWithAlarmsDue) {
  Child child([](int fd) {
    Probe probe(1 | 4);
    probe.firstMS = 20;
    probe.intervalMS = 20;
    probe.onAlarm = [](int alarms) { return alarms < 3; };
    SignalHandler::initSignalHandlers(&probe);
    SignalHandler::run();
    SignalHandler::stopTimer();
    SignalHandler::finalSignalHandlers();
    // Late signals after the default actions are back: they stay pending.
    raise(SIGALRM);
    raise(SIGIO);
    sleepMS(kAlarmsDueMS);
    report(fd, "alarms", probe.alarms);
  });
  int status = child.finish();
  EXPECT_TRUE(exitedCleanly(status)) << "status " << status;
  // One more may slip in before the timer is stopped.
  EXPECT_GE(child.valueOf("alarms"), 3);
}

TEST(SignalHandler, RunningTimerKillsTheProcessOnceDefaultsAreBack) {
  // Why the timer is stopped before the defaults are restored.
  Child child([](int fd) {
    Probe probe(1);
    probe.firstMS = 20;
    probe.intervalMS = 20;
    probe.onAlarm = [](int alarms) { return alarms < 2; };
    SignalHandler::initSignalHandlers(&probe);
    SignalHandler::run();
    SignalHandler::finalSignalHandlers();
    sleepMS(kAlarmsDueMS);
    report(fd, "survived");
  });
  int status = child.finish();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) << "status " << status;
  EXPECT_EQ(child.text, "");
}

TEST(SignalHandler, DefaultCallbacksEndTheRunOnTermOnly) {
  class Announcing : public Plain {
   public:
    explicit Announcing(int fd) : fd(fd) {}
    bool sigAlrmHandler() override {
      if (!announced) report(fd, "ready");
      announced = true;
      return Plain::sigAlrmHandler();
    }
    int fd;
    bool announced = false;
  };
  Child child([](int fd) {
    Announcing announcing(fd);
    // The default run: all seven signals, 10 ms alarms, and a clean end.
    announcing.run();
    sleepMS(kAlarmsDueMS);
    report(fd, "ended");
  });
  ASSERT_TRUE(child.waitForLine("ready")) << child.text;
  child.send(SIGIO);
  sleepMS(kAlarmsDueMS);
  EXPECT_TRUE(child.isRunning());
  EXPECT_EQ(child.text, "ready\n");
  child.send(SIGTERM);
  int status = child.finish();
  EXPECT_TRUE(exitedCleanly(status)) << "status " << status;
  EXPECT_EQ(child.text, "ready\nended\n");
}

TEST(SignalHandler, CycleSignalIsUnblockedWithItsPartner) {
  Child child([](int fd) {
    sigset_t cycle;
    sigemptyset(&cycle);
    sigaddset(&cycle, SIGALRM);
    sigaddset(&cycle, SIGIO);
    sigaddset(&cycle, SIGTERM);
    sigprocmask(SIG_BLOCK, &cycle, nullptr);
    Probe probe(4);
    SignalHandler::finished = 1;
    SignalHandler::initSignalHandlers(&probe);
    report(fd, "alrmBlocked", isBlocked(SIGALRM));
    report(fd, "ioBlocked", isBlocked(SIGIO));
    report(fd, "termBlocked", isBlocked(SIGTERM));
    report(fd, "alrmDefault", hasDefaultAction(SIGALRM));
    report(fd, "ioDefault", hasDefaultAction(SIGIO));
    report(fd, "timing", probe.timingCalls);
    report(fd, "armed", isTimerArmed());
    report(fd, "finished", SignalHandler::finished);
  });
  ASSERT_TRUE(exitedCleanly(child.finish())) << child.text;
  EXPECT_EQ(child.valueOf("alrmBlocked"), 0);
  EXPECT_EQ(child.valueOf("ioBlocked"), 0);
  EXPECT_EQ(child.valueOf("termBlocked"), 1);
  EXPECT_EQ(child.valueOf("alrmDefault"), 1);
  EXPECT_EQ(child.valueOf("ioDefault"), 0);
  // No interval timer without SIGALRM, even with a timing of its own.
  EXPECT_EQ(child.valueOf("timing"), 0);
  EXPECT_EQ(child.valueOf("armed"), 0);
  EXPECT_EQ(child.valueOf("finished"), 0);
}

TEST(SignalHandler, EmptyMaskInstallsNothing) {
  Child child([](int fd) {
    Probe probe(0);
    SignalHandler::finished = 1;
    SignalHandler::initSignalHandlers(&probe);
    report(fd, "registered", SignalHandler::sh == &probe);
    report(fd, "finished", SignalHandler::finished);
    report(fd, "termDefault", hasDefaultAction(SIGTERM));
    report(fd, "alrmDefault", hasDefaultAction(SIGALRM));
    report(fd, "armed", isTimerArmed());
    report(fd, "timing", probe.timingCalls);
  });
  ASSERT_TRUE(exitedCleanly(child.finish())) << child.text;
  EXPECT_EQ(child.valueOf("registered"), 1);
  EXPECT_EQ(child.valueOf("finished"), 0);
  EXPECT_EQ(child.valueOf("termDefault"), 1);
  EXPECT_EQ(child.valueOf("alrmDefault"), 1);
  EXPECT_EQ(child.valueOf("armed"), 0);
  EXPECT_EQ(child.valueOf("timing"), 0);
}

TEST(SignalHandler, FinalRestoresDefaultsAndStopTimerDisarms) {
  Child child([](int fd) {
    Probe probe(127);
    // Far enough away that no alarm falls due during the test.
    probe.firstMS = 60000;
    probe.intervalMS = 60000;
    SignalHandler::initSignalHandlers(&probe);
    report(fd, "installed",
           !hasDefaultAction(SIGALRM) && !hasDefaultAction(SIGINT) && !hasDefaultAction(SIGIO) &&
               !hasDefaultAction(SIGQUIT) && !hasDefaultAction(SIGSEGV) &&
               !hasDefaultAction(SIGTERM));
    SignalHandler::finalSignalHandlers();
    report(fd, "restored",
           hasDefaultAction(SIGALRM) && hasDefaultAction(SIGINT) && hasDefaultAction(SIGIO) &&
               hasDefaultAction(SIGQUIT) && hasDefaultAction(SIGSEGV) && hasDefaultAction(SIGTERM));
    report(fd, "armedAfterFinal", isTimerArmed());
    report(fd, "blockedAfterFinal", isBlocked(SIGALRM) || isBlocked(SIGIO));
    SignalHandler::stopTimer();
    report(fd, "armedAfterStop", isTimerArmed());
    report(fd, "blockedAfterStop", isBlocked(SIGALRM) && isBlocked(SIGIO));
    report(fd, "termBlockedAfterStop", isBlocked(SIGTERM));
  });
  ASSERT_TRUE(exitedCleanly(child.finish())) << child.text;
  EXPECT_EQ(child.valueOf("installed"), 1);
  EXPECT_EQ(child.valueOf("restored"), 1);
  EXPECT_EQ(child.valueOf("armedAfterFinal"), 1);
  EXPECT_EQ(child.valueOf("blockedAfterFinal"), 0);
  EXPECT_EQ(child.valueOf("armedAfterStop"), 0);
  EXPECT_EQ(child.valueOf("blockedAfterStop"), 1);
  EXPECT_EQ(child.valueOf("termBlockedAfterStop"), 0);
}

TEST(SignalHandler, HandlersBlockTheCycleAndStopSignals) {
  Child child([](int fd) {
    Probe probe(1 | 2 | 4 | 64);
    probe.firstMS = 60000;
    probe.intervalMS = 60000;
    SignalHandler::initSignalHandlers(&probe);
    SignalHandler::stopTimer();
    for (int signal : {SIGALRM, SIGIO, SIGINT, SIGTERM}) {
      struct sigaction action {};
      sigaction(signal, nullptr, &action);
      std::string name = std::to_string(signal);
      report(fd, name + ".alrm", sigismember(&action.sa_mask, SIGALRM));
      report(fd, name + ".io", sigismember(&action.sa_mask, SIGIO));
      report(fd, name + ".int", sigismember(&action.sa_mask, SIGINT));
      report(fd, name + ".quit", sigismember(&action.sa_mask, SIGQUIT));
      report(fd, name + ".term", sigismember(&action.sa_mask, SIGTERM));
      report(fd, name + ".flags", action.sa_flags & (SA_RESTART | SA_RESETHAND));
    }
  });
  ASSERT_TRUE(exitedCleanly(child.finish())) << child.text;
  for (int cycle : {SIGALRM, SIGIO}) {
    std::string name = std::to_string(cycle);
    for (const char* blocked : {".alrm", ".io", ".int", ".quit", ".term"}) {
      EXPECT_EQ(child.valueOf(name + blocked), 1) << name << blocked;
    }
    EXPECT_EQ(child.valueOf(name + ".flags"), 0);
  }
  for (int stop : {SIGINT, SIGTERM}) {
    std::string name = std::to_string(stop);
    EXPECT_EQ(child.valueOf(name + ".alrm"), 0);
    EXPECT_EQ(child.valueOf(name + ".io"), 0);
    EXPECT_EQ(child.valueOf(name + (stop == SIGINT ? ".int" : ".term")), 1);
    EXPECT_EQ(child.valueOf(name + (stop == SIGINT ? ".term" : ".int")), 0);
  }
}

TEST(SignalHandler, ReturningSegvCallbackLeavesTheDefaultAction) {
  class SegvReporter : public Probe {
   public:
    explicit SegvReporter(int fd) : Probe(32), fd(fd) {}
    bool sigSegVHandler() override {
      report(fd, "callback");
      return true;
    }
    int fd;
  };
  Child child([](int fd) {
    SegvReporter reporter(fd);
    SignalHandler::initSignalHandlers(&reporter);
    raise(SIGSEGV);
    report(fd, "resumed");
    raise(SIGSEGV);
    report(fd, "survived");
  });
  int status = child.finish();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) << "status " << status;
  EXPECT_EQ(child.text, "callback\nresumed\n");
}
