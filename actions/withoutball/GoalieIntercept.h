#pragma once

// The goalkeeper's hands: catching a ball within reach inside its box, and getting a moving
// ball within its catch radius by standing, dashing or turning first.

#include "actions/basic/AdvancedAction.h"
#include "connection/Command.h"
#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"

#include <memory>

namespace tovren {

// Decide type 3. 1000 when the ball and the goalie stand inside the box in front of our
// goal (x < -36.4, |y| < 19.6), the ball is catchable and the last decision was not a
// pass; AD_MIN_VALUE otherwise. A ball beyond the server's catch angles is catchable only
// where the catch area aimed at the nearest limit still holds it.
class GoalieCatch : public AdvancedAction {
 public:
  // The world model is read, not owned.
  explicit GoalieCatch(const WorldModel* worldModel);
  ~GoalieCatch() override;

  // What was decided in the previous cycle; the goalie never catches right after a pass.
  void giveLastDecide(DecideType type) { lastDecide = type; }
  // Whether the ball and the goalie both stand strictly inside the box.
  static bool isInsideBox(const Vector& ballPos, const Vector& bodyPos);

  // Publishes a catch towards the ball (or the nearest catch angle the server takes)
  // after a getValue() of 1000, else a full kick straight ahead.
  void execute(SayDecisionFlags& sayFlags) override;
  float getValue() override;
  DecideType getType() const override { return DT_GOALIE_CATCH; }

 private:
  bool canCatch = false;  // the verdict of the last getValue()
  DecideType lastDecide = DT_NONE;
};

// Decide type 14. Looks ahead cycle by cycle for the ways of having the ball within the
// catch radius: standing, dashing forward or backward at once, turning first, or starting
// two cycles late. The earliest, closest way wins; a dash towards a shot at our goal becomes
// a go-to the point where the shot crosses the goalie's body line. The value is 1000 when
// the winning point lies in the goalie's box (x <= -35.5, |y| <= 19.5), else AD_MIN_VALUE,
// which is also the value, with no command, when no way was found.
class GoalieIntercept : public AdvancedAction {
 public:
  static constexpr int CANDIDATES_MAX = 100;

  // The world model is read, not owned.
  explicit GoalieIntercept(const WorldModel* worldModel);
  ~GoalieIntercept() override;

  // Publishes a copy of the chosen candidate's command (none for a standing candidate).
  void execute(SayDecisionFlags& sayFlags) override;
  float getValue() override;
  DecideType getType() const override { return DT_GOALIE_INTERCEPT; }

  // The candidates of the last getValue(), in the order found, and the chosen one.
  int getCandidatesNum() const { return candidatesNum; }
  int getBestCandidate() const { return bestCandidate; }
  float getCandidateTime(int i) const { return candidateTime[i]; }
  float getCandidateScore(int i) const { return candidateScore[i]; }

 private:
  // What the searches of one getValue() share.
  struct Search {
    float catchRadius = 0.0f;
    float forwardDashPower = 0.0f;
    float backwardDashPower = 0.0f;
    // The goalie copy that dashes, and the ball beside it.
    Body runBody;
    Ball runBall;
    // The one dash every simulated step applies; no command is allocated for a step.
    DashCommand simDash{0.0f};
  };
  // A goalie that only drifts, the ball beside it, and a copy of the goalie that only
  // dashes, whose summed speeds say how far the goalie would have run.
  struct Run {
    Body standing;
    Ball ball;
    Body running;
    float runDistance = 0.0f;
  };

  // Empties the table, freeing the commands of the last call.
  void resetCandidates(float catchRadius);
  // Writes entry candidatesNum and returns its index.
  int record(const Point& point, float time, float ballDist, std::unique_ptr<Command> command);
  // A candidate of the standing check or of a dash search: scored by how deep inside the
  // catch radius the ball lies.
  void recordReach(const Search& search, const Body& coastBody, const Ball& coastBall, float time,
                   float extraScore, std::unique_ptr<Command> command);

  void searchStanding(const Search& search);
  // Dashes every step, forward or backward, and lets a copy coast four cycles after each.
  void searchDash(Search& search, bool backward);
  // Turns now (within one turn) and runs from the next cycle.
  void searchTurnAndRun(Search& search, Run& run);
  // Spends two cycles and runs from the third.
  void searchDelayedRun(Search& search, Run& run);
  // One cycle of a Run at cycle c; true when the ball is then within the run's reach, with
  // the ball's direction relative to the standing body in a1.
  static bool simulateRunCycle(Search& search, Run& run, int cycle, float& a1);
  void recordRun(const Search& search, const Run& run, int cycle, float a1);

  void chooseCandidate();
  // A dash chosen against a shot becomes a go-to where the shot crosses the body line.
  void cutShot();

  int bestCandidate = 0;
  int candidatesNum = 0;
  float candidateTime[CANDIDATES_MAX] = {};
  float candidateBallDist[CANDIDATES_MAX] = {};
  float candidateScore[CANDIDATES_MAX] = {};
  Point candidatePoint[CANDIDATES_MAX];
  std::unique_ptr<Command> candidateCommand[CANDIDATES_MAX];  // null: do nothing
};

}  // namespace tovren
