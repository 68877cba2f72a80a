#pragma once

#include "actions/basic/AdvancedAction.h"

#include <memory>

// Taking the ball from an opponent with a tackle.

namespace tovren {

// Decide type 8. 1000 and a full-power tackle when the ball an opponent holds or reaches
// first lies within 85 degrees of the body direction and the tackle fails with a
// probability below one half; AD_MIN_VALUE otherwise. It never moves the player.
class Tackle : public AdvancedAction {
 public:
  explicit Tackle(const WorldModel* worldModel);
  ~Tackle() override;

  void execute(SayDecisionFlags& sayFlags) override;
  float getValue() override;
  DecideType getType() const override { return DT_TACKLE; }
  // The decide type of the previous cycle.
  void giveLastDecide(DecideType value) { lastDecide = value; }

 protected:
  // The tackle of the last successful getValue(); null after a refusal.
  std::unique_ptr<Command> preparedCommand;
  DecideType lastDecide = DT_NONE;
};

}  // namespace tovren
