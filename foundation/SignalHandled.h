#pragma once

namespace tovren {

// The base of every object whose whole work runs in signal handlers (the player frame
// and the coach). SignalHandler forwards each wanted signal to one callback here; a
// callback returns false to end the run.
class SignalHandled {
 public:
  SignalHandled() = default;
  virtual ~SignalHandled() = default;
  SignalHandled(const SignalHandled&) = delete;
  SignalHandled& operator=(const SignalHandled&) = delete;

  virtual bool sigAlrmHandler();  // goes on
  virtual bool sigIntHandler();   // ends the run
  virtual bool sigIOHandler();    // goes on
  virtual bool sigKillHandler();  // ends the run (never delivered: SIGKILL cannot be caught)
  virtual bool sigQuitHandler();  // ends the run
  // Ends the run. A callback that returns leaves SIGSEGV at its default action, so the
  // fault, met again, ends the process.
  virtual bool sigSegVHandler();
  virtual bool sigTermHandler();  // ends the run

  // Bits of the wanted signals: 1 SIGALRM, 2 SIGINT, 4 SIGIO, 8 SIGKILL, 16 SIGQUIT,
  // 32 SIGSEGV, 64 SIGTERM.
  virtual int signalsMask() = 0;
  // Milliseconds to the first alarm and between alarms; 10 and 10.
  virtual void sigAlrmTiming(long& first, long& interval);

  // Installs the handlers, sleeps until a callback ends the run, disarms the alarms and
  // restores the default actions.
  virtual void run();
};

}  // namespace tovren
