#pragma once

#include "actions/basic/AdvancedAction.h"
#include "geometry/Vector.h"

#include <memory>

// Going for a ball out of the agent's reach: the general interception of a moving ball,
// searched over waiting, dashing and turn-then-dash plans, and the straight chase after
// the agent's own dribbled ball.

namespace tovren {

class Body;
class Command;

// Decide type 12 (13 right after a dribble), value always 10. getValue() simulates the
// agent's body and the ball cycle by cycle along five kinds of plan, records every plan
// under which the ball comes within reach, and keeps the first command of the best.
class Intercept : public AdvancedAction {
 public:
  static constexpr int PLANS_NUM = 100;

  // The kinds of plan, in the order searched and recorded.
  enum PlanKind { PK_WAIT = 0, PK_DASH = 1, PK_BACK_DASH = 2, PK_TURN_DASH = 3, PK_TURN2_DASH = 4 };

  explicit Intercept(const WorldModel* worldModel);
  ~Intercept() override;

  // Publishes a copy of the chosen plan's first command and forgets lastDecide.
  void execute(SayDecisionFlags& sayFlags) override;
  // Fills the plan table and chooses a plan; always 10.
  float getValue() override;
  // 13 while lastDecide is a dribble or a dribble interception, else 12.
  DecideType getType() const override;
  // The decide type of the previous cycle.
  void giveLastDecide(DecideType value) { lastDecide = value; }

  // The free ball's way, shared by the probes of one valuation.
  class BallTrack;

 protected:
  // One plan in slot planCount, with the probe body's and ball's positions of its
  // recorded cycle; the score before the final step. Takes the command over.
  void recordPlan(PlanKind kind, float cycles, float cost, float coastCycles, float ballDist,
                  float score, const Point& bodyPoint, const Point& ballPoint,
                  std::unique_ptr<Command> firstCommand);

  int chosenPlan = 0;
  int planCount = 0;
  float planCost[PLANS_NUM] = {};
  float planBallDist[PLANS_NUM] = {};
  float planCoastCycles[PLANS_NUM] = {};
  float planBallTravel[PLANS_NUM] = {};
  float planScore[PLANS_NUM] = {};
  int planKind[PLANS_NUM] = {};
  float planCycles[PLANS_NUM] = {};
  Point planBodyPoint[PLANS_NUM];
  // The first command of each recorded plan; null past planCount.
  std::unique_ptr<Command> planCommand[PLANS_NUM];
  DecideType lastDecide = DT_NONE;

 private:
  // The searches, in the order they run; each records its plans. A dash search returns
  // its dash body as it left it, a turn search its coasting body: the gauge of the next.
  void searchWait(BallTrack& track, float kickable);
  Body searchDash(BallTrack& track, PlanKind kind, float kickable, float planPower);
  Body searchTurnDash(BallTrack& track, PlanKind kind, const Body& gaugeStart, float kickable,
                      float planPower);
  void applyFinalScores();
};

// Decide type 13. Right after its own dribble kick: whether dashing straight on, with one
// power, brings the ball back within kicking distance within 31 cycles. 1000 and that dash
// when it does, AD_MIN_VALUE otherwise. It never turns the player.
class DribbleIntercept : public AdvancedAction {
 public:
  // The tracks advance at most this many cycles plus one.
  static constexpr int MAX_STEPS = 30;

  explicit DribbleIntercept(const WorldModel* worldModel);
  ~DribbleIntercept() override;

  void execute(SayDecisionFlags& sayFlags) override;
  float getValue() override;
  DecideType getType() const override { return DT_DRIBBLE_INTERCEPT; }

 protected:
  // The dash of the last successful getValue(); null after a failure.
  std::unique_ptr<Command> preparedCommand;
};

}  // namespace tovren
