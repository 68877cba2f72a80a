#pragma once

#include <csignal>

namespace tovren {

class SignalHandled;

// Static dispatcher: installs process-wide handlers for the signals that one registered
// object wants and forwards every delivery to that object's callback.
class SignalHandler {
 public:
  SignalHandler() = delete;

  // Registers obj (not owned; it must outlive the run), installs the handlers of its
  // mask, arms the interval timer when it wants SIGALRM, and clears the stop flag.
  // A null obj does nothing.
  static void initSignalHandlers(SignalHandled* obj);
  // Sleeps until a callback has ended the run; returns at once when it has already ended.
  static void run();
  // Disarms the interval timer and blocks SIGIO and SIGALRM, so that neither a late alarm
  // nor a late datagram meets the default actions restored next.
  static void stopTimer();
  // Restores the default action of all seven signals; neither the interval timer nor the
  // blocked signals change.
  static void finalSignalHandlers();

  // Each calls the registered object's callback of the same name (nothing without one)
  // and sets the stop flag when it returns false.
  static void sigAlrmHandler(int);
  static void sigIntHandler(int);
  static void sigIOHandler(int);
  static void sigKillHandler(int);
  static void sigQuitHandler(int);
  static void sigSegVHandler(int);
  static void sigTermHandler(int);

  // The registered object; never cleared.
  static SignalHandled* sh;
  // Sticky: set by a callback that returns false, cleared only by initSignalHandlers.
  static volatile std::sig_atomic_t finished;
};

}  // namespace tovren
