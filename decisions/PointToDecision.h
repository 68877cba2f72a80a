#pragma once

#include <memory>

namespace tovren {

class Command;
class WorldModel;

// The arm as a stamina signal to teammates: a tired player points in a field direction
// that grows with its stamina (0 degrees at 1000 up to 270 at the limit), and switches
// pointing off once it has recovered.
class PointToDecision {
 public:
  // The world model is read only and outlives the decision.
  explicit PointToDecision(const WorldModel* worldModel);
  ~PointToDecision();

  PointToDecision(const PointToDecision&) = delete;
  PointToDecision& operator=(const PointToDecision&) = delete;

  // Builds the cycle's pointto command; the turn_neck command of the cycle is not used,
  // the head direction is the world model's.
  void decide(const Command* headCommand);

  // The command of the last decide, to look at; null before the first one and once taken.
  const Command* getPointToCommand() const { return pointToCommand.get(); }
  // Hands the command over to the agent's pointto slot.
  std::unique_ptr<Command> takePointToCommand();

 private:
  const WorldModel* worldModel;  // not owned
  // A PointToCommand, or an EmptyCommand when nothing is to be sent.
  std::unique_ptr<Command> pointToCommand;
};

}  // namespace tovren
