#pragma once

#include "foundation/SignalHandled.h"

namespace tovren {

// Stand-in for the online coach, which is not built yet: it keeps the final class name
// and file so that the entry point chooses the coach role already, and it only says
// that the role is missing.
class AdvancedCoach : public SignalHandled {
 public:
  AdvancedCoach(int argc, char** argv);
  ~AdvancedCoach() override;

  // Prints one line saying that the coach role is not built yet and returns.
  void run() override;
  // No signal is wanted: the stand-in never enters the signal loop.
  int signalsMask() override;
};

}  // namespace tovren
