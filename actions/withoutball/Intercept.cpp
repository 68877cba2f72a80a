#include "actions/withoutball/Intercept.h"

#include "actions/basic/BasicTurn.h"
#include "connection/Command.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "geometry/Line.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <utility>

namespace tovren {

// The ball's way while nothing touches it. With collisions left out it does not depend on
// the agent, so one track serves every probe of a valuation; it is simulated only as far as
// the searches ask.
class Intercept::BallTrack {
 public:
  static constexpr int MAX_CYCLE = 300;

  explicit BallTrack(const WorldModel& worldModel)
      : ball(worldModel.getBall()),
        body(worldModel.getBody()),
        presentDistance(worldModel.getBall().getBodyVec().getMagnitude()) {
    record();
  }
  // The ball's position and velocity direction (degrees) after the cycles, 0 to MAX_CYCLE.
  const Point& getPos(int cycle) {
    reach(cycle);
    return pos[cycle];
  }
  float getVelDir(int cycle) {
    reach(cycle);
    return velDir[cycle];
  }
  // From the body to the ball after the cycles; now, the world model's own distance.
  float getDistance(const Body& probeBody, int cycle) {
    return cycle == 0 ? presentDistance : Point(probeBody.getPos()).getDistance(getPos(cycle));
  }

 private:
  void reach(int cycle) {
    TOVREN_CHECK(cycle >= 0 && cycle <= MAX_CYCLE);
    while (recorded <= cycle) {
      ball.simulateByDynamics(body, BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);
      record();
    }
  }
  void record() {
    pos[recorded] = ball.getPos();
    velDir[recorded] = ball.getVel().getDirection();
    ++recorded;
  }

  Ball ball;
  const Body& body;
  float presentDistance;
  int recorded = 0;
  Point pos[MAX_CYCLE + 1];
  float velDir[MAX_CYCLE + 1] = {};
};

namespace {

// A value copy of the agent's body, advanced one cycle at a time, paired with the ball of
// the same cycle on the track; the world model is never touched.
struct Probe {
  Body body;
  int cycle = 0;
  Intercept::BallTrack* track;

  Probe(const WorldModel& worldModel, Intercept::BallTrack& track)
      : body(worldModel.getBody()), track(&track) {}
  // The dash costs its stamina, then the body moves.
  void dash(const DashCommand& command) {
    body.simulateByAction(&command, false);
    coast();
  }
  void coast() {
    body.simulateByDynamics(false);
    ++cycle;
  }
  float getDistance() const { return track->getDistance(body, cycle); }
  const Point& getBallPos() const { return track->getPos(cycle); }
  float getBallVelDir() const { return track->getVelDir(cycle); }
};

constexpr float INTERCEPT_VALUE = 10.0f;

// Below this stamina a dash costs no more than a cycle brings back.
constexpr float TIRED_STAMINA = 1400.0f;
constexpr float FULL_POWER = 100.0f;
constexpr float BACKWARD_TIRED_SHARE = 0.5f;

// Waiting counts only with the ball this far inside the kickable distance.
constexpr float WAIT_MARGIN = 0.15f;
constexpr int WAIT_CYCLES = 3;
// The score of a reached ball grows with how deep it lies in the kickable area, to this.
constexpr float DEPTH_CAP = 0.3f;
constexpr float DEPTH_WEIGHT = 10.0f;
// A coasting cycle costs half a dashing one.
constexpr float COAST_COST = 0.5f;
constexpr int COAST_STEPS = 3;

// The dash searches stop 3 iterations after the first that found a plan, or at the cap.
constexpr int DASH_TRIES = 3;
constexpr int FORWARD_MAX_ITERATIONS = 200;
constexpr int BACKWARD_MAX_ITERATIONS = 5;
// The reach test: a bonus share of the present distance, halved for a crossing behind.
constexpr float REACH_BONUS_SHARE = 0.07f;
constexpr float AHEAD_TOLERANCE = 2.0f;  // degrees
constexpr float NEAR_CROSSING = 8.0f;    // metres
constexpr float MEET_WEIGHT = 1.5f;
constexpr float ACROSS_WEIGHT = 0.2f;
constexpr float CHASE_WEIGHT = 0.4f;

// The turn searches: the cycle penalty of a turn-then-dash plan and its angle term.
constexpr int TURN_SEARCH_END = 300;
constexpr int TURN_ONCE_PLAN_LIMIT = 29;
constexpr int TURN_TWICE_PLAN_LIMIT = 69;
constexpr float CYCLE_PENALTY_RATE = -0.045f;
constexpr float CYCLE_PENALTY_BASE = -0.45f;
constexpr float FAR_BALL = 10.0f;
constexpr float FAR_AGAINST_WEIGHT = 1.8f;
// A turn this small is left out: the plan dashes at once.
constexpr float NEGLIGIBLE_TURN = 8.0f;  // degrees
// The largest moment asked for; the player's own limit may be smaller.
constexpr float WIDEST_MOMENT = 179.0f;

// A wait plan faces the opponents' goal while the ball comes.
const Point WAIT_FACING(50.0f, 0.0f);
// An opponent's cycle of lead over a wait plan costs this much score, and a cycle of lag gains it.
constexpr float OPPONENT_CYCLE_WEIGHT = 5.0f;
constexpr float AFTER_DRIBBLE_PENALTY = 10000.0f;

// The dribble chase: a ball this close in two cycles in a row counts as reached, and it
// dashes at full power only this far above the stamina where effort or recovery start to fall.
constexpr float NEAR_KICKABLE_MARGIN = 0.2f;  // metres
constexpr float DRIBBLE_STAMINA_RESERVE = 150.0f;

float getKickableDistance(const WorldModel& worldModel) {
  const Body& body = worldModel.getBody();
  return body.getSize() + body.getKickableMargin() + worldModel.getBall().getSize();
}

bool isAfterDribble(DecideType decide) {
  return decide == DT_DRIBBLE || decide == DT_SRP_DRIBBLE || decide == DT_DRIBBLE_INTERCEPT;
}

float getDepthScore(float kickable, float distance) {
  return DEPTH_WEIGHT * std::min(kickable - distance, DEPTH_CAP);
}

// The power a tired body dashes with, forward or backward.
float getDashPower(const Body& body, bool backward) {
  if (body.getStamina() < TIRED_STAMINA) {
    return backward ? -BACKWARD_TIRED_SHARE * body.getStaminaIncMax() : body.getStaminaIncMax();
  }
  return backward ? -FULL_POWER : FULL_POWER;
}

// How far from the coasting body the ball may be and still be reached by the dash body:
// more where the dash line crosses the ball's line ahead, by how the ball meets the body.
float getReach(const WorldModel& worldModel, const Probe& dashing, bool backward, float kickable) {
  const Body& present = worldModel.getBody();
  const Ball& presentBall = worldModel.getBall();
  float bonus = REACH_BONUS_SHARE * presentBall.getBodyVec().getMagnitude();
  const float dashDir = backward ? dashing.body.getBodyDir() + 180.0f : present.getBodyDir();
  const Point origin = backward ? dashing.body.getPos() : present.getPos();
  const Point ballSource = backward ? dashing.getBallPos() : Point(presentBall.getPos());
  Line dashLine;
  dashLine.setBySourceDir(origin, dashDir);
  Line ballLine;
  ballLine.setBySourceDir(ballSource, presentBall.getVel().getDirection());
  Point crossing;
  bool ahead = dashLine.getLineIntersect(ballLine, crossing);
  Vector toCrossing;
  if (ahead) {
    toCrossing.setByPoints(origin, crossing);
    ahead =
        std::fabs(Degree::normalizeAngle(toCrossing.getDirection() - dashDir)) < AHEAD_TOLERANCE;
  }
  if (!ahead) return kickable + bonus / 2.0f;

  const float facing = backward ? dashing.body.getBodyDir() + 180.0f : dashing.body.getBodyDir();
  const float theta = std::fabs(Degree::normalizeAngle(facing - dashing.getBallVelDir()));
  float weight = MEET_WEIGHT;
  if (toCrossing.getMagnitude() < NEAR_CROSSING && theta >= 90.0f) {
    weight = theta < 120.0f ? ACROSS_WEIGHT : CHASE_WEIGHT;
  }
  return kickable + bonus + weight * Degree::cos(theta);
}

}  // namespace

Intercept::Intercept(const WorldModel* worldModel) : AdvancedAction(worldModel) {}

Intercept::~Intercept() = default;

float Intercept::getValue() {
  logger["MainLog"] << "Intercept::getValue" << std::endl;
  const Body& present = worldModel->getBody();
  const float powerForward = getDashPower(present, false);
  const float powerBackward = getDashPower(present, true);
  const float kickable = getKickableDistance(*worldModel);

  planCount = 0;
  chosenPlan = 0;
  for (int i = 0; i < PLANS_NUM; ++i) {
    planCost[i] = 999.0f;
    planBallDist[i] = kickable;
    planCoastCycles[i] = 0.0f;
    planScore[i] = 0.0f;
    planCommand[i].reset();
  }

  BallTrack track(*worldModel);
  searchWait(track, kickable);
  searchDash(track, PK_DASH, kickable, powerForward);
  const Body backwardBody = searchDash(track, PK_BACK_DASH, kickable, powerBackward);
  const Body turnOnceBody =
      searchTurnDash(track, PK_TURN_DASH, backwardBody, kickable, powerForward);
  searchTurnDash(track, PK_TURN2_DASH, turnOnceBody, kickable, powerForward);
  applyFinalScores();

  for (int i = 0; i < planCount; ++i) {
    if (planScore[i] > planScore[chosenPlan]) chosenPlan = i;
  }
  return INTERCEPT_VALUE;
}

void Intercept::recordPlan(PlanKind kind, float cycles, float cost, float coastCycles,
                           float ballDist, float score, const Point& bodyPoint,
                           const Point& ballPoint, std::unique_ptr<Command> firstCommand) {
  if (planCount >= PLANS_NUM) return;
  const int i = planCount++;
  planKind[i] = kind;
  planCycles[i] = cycles;
  planCost[i] = cost;
  planCoastCycles[i] = coastCycles;
  planBallDist[i] = ballDist;
  planScore[i] = score;
  planBodyPoint[i] = bodyPoint;
  planBallTravel[i] = worldModel->getBall().getDistance(ballPoint);
  planCommand[i] = std::move(firstCommand);
}

void Intercept::searchWait(BallTrack& track, float kickable) {
  Probe pair(*worldModel, track);
  for (int k = 0; k <= WAIT_CYCLES; ++k) {
    const float distance = pair.getDistance();
    if (distance <= kickable - WAIT_MARGIN) {
      TurnToPoint turn(WAIT_FACING, worldModel->getBody(), 0.0f);
      recordPlan(PK_WAIT, float(k), COAST_COST * float(k), float(k), distance,
                 getDepthScore(kickable, distance), pair.body.getPos(), pair.getBallPos(),
                 turn.takeCommand());
    }
    if (k < WAIT_CYCLES) pair.coast();
  }
}

Body Intercept::searchDash(BallTrack& track, PlanKind kind, float kickable, float planPower) {
  const bool backward = kind == PK_BACK_DASH;
  const int maxIterations = backward ? BACKWARD_MAX_ITERATIONS : FORWARD_MAX_ITERATIONS;
  Probe dashing(*worldModel, track);
  DashCommand scratch(0.0f);
  int tries = 0;
  bool found = false;
  for (int n = 1; n <= maxIterations && tries <= DASH_TRIES; ++n) {
    Probe coasting = dashing;
    scratch.setPower(getDashPower(dashing.body, backward));
    dashing.dash(scratch);
    const float reach = getReach(*worldModel, dashing, backward, kickable);
    for (int k = 0; k <= COAST_STEPS; ++k) {
      const float distance = coasting.getDistance();
      if (distance <= reach) {
        recordPlan(kind, float(n + k), float(n) + COAST_COST * float(k), float(k), distance,
                   getDepthScore(kickable, distance), coasting.body.getPos(), coasting.getBallPos(),
                   std::make_unique<DashCommand>(planPower));
        found = true;
      }
      if (k < COAST_STEPS) coasting.coast();
    }
    if (found) ++tries;
  }
  return dashing.body;
}

Body Intercept::searchTurnDash(BallTrack& track, PlanKind kind, const Body& gaugeStart,
                               float kickable, float planPower) {
  const Body& present = worldModel->getBody();
  const bool twice = kind == PK_TURN2_DASH;
  const int planLimit = twice ? TURN_TWICE_PLAN_LIMIT : TURN_ONCE_PLAN_LIMIT;
  const float widestTurn =
      BasicTurn::getTurnAngle(BasicTurn::clampMoment(WIDEST_MOMENT, present), present);

  Body gauge = gaugeStart;
  gauge.setVel().setAsCartesian(0.0f, 0.0f);
  float gaugeReach = kickable;
  DashCommand scratch(0.0f);
  Probe coasting(*worldModel, track);
  int t = twice ? 2 : 1;
  for (int turn = 0; turn < t; ++turn) coasting.coast();

  while (planCount <= planLimit && t < TURN_SEARCH_END) {
    ++t;
    scratch.setPower(getDashPower(gauge, false));
    gauge.simulateByAction(&scratch, false);
    gaugeReach += gauge.getVel().getMagnitude();
    const float penalty = CYCLE_PENALTY_RATE * float(t) + CYCLE_PENALTY_BASE;
    coasting.coast();

    Vector toBall;
    toBall.setByPoints(coasting.body.getPos(), coasting.getBallPos());
    const float turnAngle =
        Degree::normalizeAngle(toBall.getDirection() - coasting.body.getBodyDir());
    const float phi =
        std::fabs(Degree::normalizeAngle(toBall.getDirection() - coasting.getBallVelDir()));
    float angleTerm = 0.0f;
    if (phi >= 90.0f) {
      angleTerm = (toBall.getMagnitude() < FAR_BALL ? 1.0f : FAR_AGAINST_WEIGHT) * Degree::cos(phi);
    }
    if (toBall.getMagnitude() > gaugeReach + penalty + angleTerm) continue;
    if (!twice && std::fabs(turnAngle) > widestTurn) continue;

    std::unique_ptr<Command> first;
    if (std::fabs(turnAngle) <= NEGLIGIBLE_TURN) {
      first = std::make_unique<DashCommand>(planPower);
    } else {
      TurnAngle turning(turnAngle, present, 0.0f);
      first = turning.takeCommand();
    }
    recordPlan(kind, float(t), float(t), 0.0f, toBall.getMagnitude() - gaugeReach + kickable, 0.0f,
               coasting.body.getPos(), coasting.getBallPos(), std::move(first));
  }
  return coasting.body;
}

void Intercept::applyFinalScores() {
  const InterceptCalculate& prediction = worldModel->getCurInterCalculate();
  const bool opponentCatches = prediction.existFastestOppPlayer();
  const float opponentCycle =
      opponentCatches ? float(prediction.getFastestOppInterPlayer().getInterTime()) : 0.0f;
  for (int i = 0; i < planCount; ++i) {
    planScore[i] -= planCost[i];
    if (planKind[i] == PK_WAIT && opponentCatches) {
      planScore[i] -= OPPONENT_CYCLE_WEIGHT * (planCycles[i] - opponentCycle);
    }
    if (planKind[i] == PK_DASH && isAfterDribble(lastDecide)) {
      planScore[i] -= AFTER_DRIBBLE_PENALTY;
    }
  }
}

void Intercept::execute(SayDecisionFlags&) {
  logger["MainLog"] << "Intercept::execute" << std::endl;
  const Command* chosen = chosenPlan < planCount ? planCommand[chosenPlan].get() : nullptr;
  if (chosen != nullptr) {
    publish(chosen);
  } else {
    // No plan at all: face the opponents' goal, as a wait plan would.
    TurnToPoint turn(WAIT_FACING, worldModel->getBody(), 0.0f);
    publish(turn.getCommand());
  }
  lastDecide = DT_NONE;
}

DecideType Intercept::getType() const {
  return isAfterDribble(lastDecide) ? DT_DRIBBLE_INTERCEPT : DT_INTERCEPT;
}

DribbleIntercept::DribbleIntercept(const WorldModel* worldModel) : AdvancedAction(worldModel) {}

DribbleIntercept::~DribbleIntercept() = default;

float DribbleIntercept::getValue() {
  logger["MainLog"] << "DribbleIntercept::getValue" << std::endl;
  preparedCommand.reset();
  const Body& body = worldModel->getBody();
  const float kickable = getKickableDistance(*worldModel);
  const float nearKickable = kickable + NEAR_KICKABLE_MARGIN;
  const float tiredStamina =
      body.getStaminaMax() * std::max(body.getEffortDecThr(), body.getRecoverDecThr()) +
      DRIBBLE_STAMINA_RESERVE;
  const float power = body.getStamina() < tiredStamina ? body.getStaminaIncMax() : FULL_POWER;
  auto dash = std::make_unique<DashCommand>(power);

  // The lead track stands one cycle ahead of the current one.
  Intercept::BallTrack track(*worldModel);
  Probe current(*worldModel, track);
  Probe lead(*worldModel, track);
  lead.dash(*dash);
  for (int n = 0; n <= DribbleIntercept::MAX_STEPS + 1; ++n) {
    if (n > 0) {
      current.dash(*dash);
      lead.dash(*dash);
    }
    if (current.getDistance() < kickable ||
        (current.getDistance() < nearKickable && lead.getDistance() < nearKickable)) {
      preparedCommand = std::move(dash);
      return AD_IMMEDIATE_VALUE;
    }
  }
  return AD_MIN_VALUE;
}

void DribbleIntercept::execute(SayDecisionFlags&) {
  logger["MainLog"] << "DribbleIntercept::execute" << std::endl;
  publish(preparedCommand.get());
}

}  // namespace tovren
