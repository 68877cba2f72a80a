#pragma once

#include "actions/basic/AdvancedAction.h"
#include "geometry/Vector.h"

#include <memory>

// The actions of the set plays, while the ball is not in play: the kick-off formation,
// the kick taker's walk to the ball and its wait there, the spread of the team while our
// goalkeeper holds the ball, and the stopping kick that keeps a ball where it lies.

namespace tovren {

// The common part of the set-play actions: getValue() only withdraws the published
// command, execute() builds one and publishes a copy, an EmptyCommand when the skill
// built none, so the decision never receives null from them.
class SetPlayAction : public AdvancedAction {
 public:
  explicit SetPlayAction(const WorldModel* worldModel);
  ~SetPlayAction() override;

  // Withdraws the published command; 100.
  float getValue() override;

 protected:
  // Keeps the built command (an EmptyCommand for null) and publishes a copy of it.
  void publishBuilt(std::unique_ptr<Command> built);
  // Frees the published command not taken.
  void withdraw() { command.reset(); }

  std::unique_ptr<Command> preparedCommand;  // the last one built by execute()
};

// Decide type 19. Takes the player to its kick-off point in before_kick_off and after a
// goal, and otherwise turns it to the centre spot (the kick-off taker to its own goal).
class NonPlayOnBeforeKickOff : public SetPlayAction {
 public:
  explicit NonPlayOnBeforeKickOff(const WorldModel* worldModel);

  void execute(SayDecisionFlags& sayFlags) override;
  DecideType getType() const override { return DT_NON_PLAY_ON_BEFORE_KICK_OFF; }

  void setIsKicker(bool value) { isKicker = value; }
  // The kick-off point of the post of a uniform number (1 to 11); any teammate may be asked.
  static Point getMovePoint(unsigned int uniNum);
  // The kick-off point of the agent.
  Point getMovePoint() const;

 private:
  bool isKicker = false;
};

// Decide type 18. Walks the kick taker of one of our set plays to its point behind the
// ball for a kick towards (50, 0); in any other mode it goes round the ball at the free
// kick distance. getValue() already finds out whether the taker has arrived.
class NonPlayOnGotoKick : public SetPlayAction {
 public:
  explicit NonPlayOnGotoKick(const WorldModel* worldModel);

  void execute(SayDecisionFlags& sayFlags) override;
  // Sets the status and discards the skill's command; 100.
  float getValue() override;
  DecideType getType() const override { return DT_NON_PLAY_ON_GOTO_KICK; }

  // GOTO_STATUS_MOVING (1) on the way, GOTO_STATUS_ARRIVED (0) at the kicking point.
  int getStatus() const { return status; }

 private:
  // The go-to skill's command for this cycle; sets the status.
  std::unique_ptr<Command> goToKick(bool writeLog);

  int status = 0;
};

// Decide type 17. The kick taker that waits at the ball faces the opponents' goal; just
// after our goalkeeper's catch it is moved out of the goalkeeper's way to (-40, -10).
class NonPlayOnBackBall : public SetPlayAction {
 public:
  explicit NonPlayOnBackBall(const WorldModel* worldModel);

  void execute(SayDecisionFlags& sayFlags) override;
  DecideType getType() const override { return DT_NON_PLAY_ON_BACK_BALL; }

  // Always 0 after execute().
  int getStatus() const { return status; }

 private:
  int status = 0;
};

// Decide type 20. While our goalkeeper is to play the ball out (after its catch, and at
// our goal kick) the field players go to fixed points of their posts and the goalkeeper
// moves itself to (-40, 18).
class GoalieCatchOffense : public SetPlayAction {
 public:
  explicit GoalieCatchOffense(const WorldModel* worldModel);

  void execute(SayDecisionFlags& sayFlags) override;
  DecideType getType() const override { return DT_GOALIE_CATCH_OFFENSE; }

  // The goalkeeper's last execute(): 1 moved to its point, 0 already there. A field
  // player's stays 0.
  int getStatus() const { return status; }
  // The point of the post of a uniform number (1 to 11) in the current play mode; at our
  // goal kick some posts follow the ball's side.
  Point getHomePoint(unsigned int uniNum) const;
  // The point of the agent.
  Point getHomePoint() const;

 private:
  int status = 0;
};

// Decide type 21. A stopping kick that leaves the ball at rest where it lies; worth
// waiting with (67) while more than 120 cycles of the play mode remain, a pass (35) after.
class HoldBall : public SetPlayAction {
 public:
  explicit HoldBall(const WorldModel* worldModel);

  void execute(SayDecisionFlags& sayFlags) override;
  float getValue() override;
  DecideType getType() const override { return DT_HOLD_BALL; }
};

}  // namespace tovren
