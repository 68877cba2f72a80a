#pragma once

#include "agent/SyncedAgent.h"

namespace tovren {

// Stand-in for the decision layer, which is not built yet. It keeps the final class
// name and file, so that the entry point and the frame run a complete player already:
// every decision fills its slots with empty commands, and the head decision asks for
// the view width that keeps the see in step with the cycle.
class AdvancedAgent : public SyncedAgent {
 public:
  AdvancedAgent(int argc, char** argv);
  ~AdvancedAgent() override;

  // An empty body command; false, since the stand-in never holds a decision back.
  bool bodyDecide(int quickLevel) override;
  // An empty turn_neck and a high-quality change_view of the synced normal width.
  void headDecide() override;
  // An empty say and an empty attentionto.
  void sayDecide() override;
  // An empty pointto.
  void pointToDecide() override;
};

}  // namespace tovren
