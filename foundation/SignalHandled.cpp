#include "foundation/SignalHandled.h"

#include "foundation/SignalHandler.h"

namespace tovren {

bool SignalHandled::sigAlrmHandler() { return true; }

bool SignalHandled::sigIntHandler() { return false; }

bool SignalHandled::sigIOHandler() { return true; }

bool SignalHandled::sigKillHandler() { return false; }

bool SignalHandled::sigQuitHandler() { return false; }

bool SignalHandled::sigSegVHandler() { return false; }

bool SignalHandled::sigTermHandler() { return false; }

void SignalHandled::sigAlrmTiming(long& first, long& interval) {
  first = 10;
  interval = 10;
}

void SignalHandled::run() {
  SignalHandler::initSignalHandlers(this);
  SignalHandler::run();
  // A late alarm must not meet the default action, which would kill the process.
  SignalHandler::stopTimer();
  SignalHandler::finalSignalHandlers();
}

}  // namespace tovren
