#pragma once

// The clearance: the ball away from where it is, to a teammate, at the goal or simply
// up-field, at full power.

#include "actions/basic/AdvancedAction.h"
#include "geometry/Vector.h"

#include <memory>

namespace tovren {

class Command;
class InterceptCalculate;

// With an opponent at the ball it kicks at once: beside the goal near it, else ahead of the
// best-placed teammate. Near the own goal, or as the goalie, it races nine kicks against
// the players and values the best by who wins the race and how dangerous the place is.
class Clear : public AdvancedAction {
 public:
  // The world model is read, not owned.
  explicit Clear(const WorldModel* worldModel);
  ~Clear() override;

  // Publishes the prepared kick and has it announced like a pass to the receiver.
  void execute(SayDecisionFlags& sayFlags) override;
  // AD_MIN_VALUE, with nothing prepared, when the clearance does not apply.
  float getValue() override;
  DecideType getType() const override { return DT_CLEAR; }

  // The weight of a teammate as the receiver of a clearance, from his distance from the
  // agent and how far ahead of it he stands (metres).
  static float getReceiverWeight(float distance, float ahead);
  // The weight of a defensive kick whose race a teammate, or an opponent, wins at x.
  static float getTmmRaceWeight(float interceptX);
  static float getOppRaceWeight(float interceptX);
  // The session of the defence's races: the agent, the teammates and the opponents of the
  // world model, each tuned for the race as he is added. Large, so on the heap.
  static std::unique_ptr<InterceptCalculate> startDefenseRace(const WorldModel* worldModel);

 private:
  // One target a clearance may kick at.
  struct Candidate {
    Point target;
    float weight = 0.0f;
    unsigned int receiverNum = 0;  // 0 for none
    bool teammateFirst = false;    // a teammate wins the race of the kick
  };
  static constexpr unsigned int CANDIDATES_NUM = 20;

  float getTwoKickableValue();
  float getDefenseValue();
  // The opponents' hold on the ball as a factor on the lead given to a receiver: near 0
  // with the ball at an opponent's foot, 1 at the edge of his reach.
  float getOppHoldMultiplier() const;
  // The defence weight w raised for danger: where the ball is, opponents close ahead.
  float getDangerWeight(float w, bool teammateFirst) const;
  // The kick towards the target becomes the prepared one.
  void prepareFastKick(const Point& target);
  // The kick of full power 50 degrees to the side the agent stands on.
  void prepareBlindKick();
  // The first candidate of the greatest weight.
  static unsigned int bestCandidate(const Candidate* candidates, unsigned int count);

  unsigned int selectedPlayerNum = 0;
  std::unique_ptr<Command> clearCommand;  // prepared by getValue(); kept after publishing
};

}  // namespace tovren
