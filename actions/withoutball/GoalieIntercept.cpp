#include "actions/withoutball/GoalieIntercept.h"

#include "actions/basic/BasicDash.h"
#include "actions/basic/BasicTurn.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "geometry/Line.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>

namespace tovren {

namespace {

// The catch box: ball and goalie strictly inside.
constexpr float CATCH_BOX_X = -36.4f;
constexpr float CATCH_BOX_HALF_Y = 19.6f;
constexpr float CATCH_VALUE = 1000.0f;
constexpr float KICK_OUT_POWER = 100.0f;

constexpr float INTERCEPT_VALUE = 1000.0f;
// The box in which an intercept point counts, bounds included.
constexpr float INTERCEPT_BOX_X = -35.5f;
constexpr float INTERCEPT_BOX_HALF_Y = 19.5f;

// Below this stamina the goalie dashes only what it recovers in a cycle.
constexpr float LOW_STAMINA = 1400.0f;
constexpr float FULL_POWER = 100.0f;
constexpr float LOW_BACKWARD_FACTOR = -0.5f;

constexpr float UNSET_TIME = 999.0f;
// A standing goalie must have the ball this far inside its radius, and such a candidate
// wins only when there is no other.
constexpr float STANDING_MARGIN = 0.15f;
constexpr float STANDING_SCORE = -1000.0f;
constexpr int STANDING_CYCLES = 4;
constexpr float SCORE_DEPTH_CAP = 0.3f;
constexpr float SCORE_DEPTH_FACTOR = 10.0f;
// A cycle of coasting counts half a cycle of dashing.
constexpr float COAST_WEIGHT = 0.5f;

// The dash searches.
constexpr float REACH_TOLERANCE = 0.3f;
constexpr float REACH_TOLERANCE_PER_METRE = 0.12f;
constexpr float NOT_AHEAD_FACTOR = 0.5f;
constexpr float AHEAD_ANGLE = 2.0f;  // degrees
constexpr int COAST_CYCLES = 4;
// Steps after the first one that records, and the steps of a search that never does.
constexpr int STEPS_AFTER_FOUND = 4;
constexpr int MAX_DASH_STEPS = 200;

// The bonus of a ball moving along or against the dash (see angleBonus).
constexpr float NEAR_CROSSING = 8.0f;
constexpr float ALONG_ANGLE = 90.0f;
constexpr float ACROSS_ANGLE = 120.0f;
constexpr float ALONG_BONUS = 1.5f;
constexpr float ACROSS_BONUS = 0.2f;
constexpr float AGAINST_BONUS = 0.4f;

// The turn-first searches: their table limits, their last cycle and their reach test.
constexpr int TURN_AND_RUN_LAST_INDEX = 29;
constexpr int DELAYED_RUN_LAST_INDEX = 69;
constexpr int LAST_RUN_CYCLE = 300;
constexpr float MARGIN_PER_CYCLE = -0.045f;
constexpr float MARGIN_BASE = -0.45f;
constexpr float FAR_BALL = 10.0f;
constexpr float FAR_BALL_FACTOR = 1.8f;
constexpr float NEAR_BALL_FACTOR = 1.0f;
constexpr float ONE_TURN_MOMENT = 179.0f;
// A run entry whose ball lies within this angle of the body dashes at once.
constexpr float DASH_AT_ONCE_ANGLE = 8.0f;  // degrees

// The shot cut.
constexpr float SHOT_MIN_SPEED = 0.4f;
constexpr float SHOT_ALONG_BODY = 10.0f;  // degrees, forward or backward
constexpr float CUT_TOLERANCE = 0.2f;
constexpr float CUT_ANGLE_TOLERANCE = 20.0f;

// How much a crossing point A metres away, met at angle a (degrees, 0 to 180) between
// the dash and the ball, widens the reach: a ball moving along the dash widens it, one
// coming against it narrows it, at near crossings only a little.
float angleBonus(float crossingDist, float angle) {
  const float cosine = Degree::cos(angle);
  if (crossingDist >= NEAR_CROSSING || angle < ALONG_ANGLE) return ALONG_BONUS * cosine;
  if (angle < ACROSS_ANGLE) return ACROSS_BONUS * cosine;
  return AGAINST_BONUS * cosine;
}

void advance(Body& body, Ball& ball) {
  body.simulateByDynamics(false);
  ball.simulateByDynamics(body, BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);
}

float stepPower(const Body& body, bool backward) {
  const bool low = body.getStamina() < LOW_STAMINA;
  if (backward) return low ? LOW_BACKWARD_FACTOR * body.getStaminaIncMax() : -FULL_POWER;
  return low ? body.getStaminaIncMax() : FULL_POWER;
}

}  // namespace

GoalieCatch::GoalieCatch(const WorldModel* worldModel) : AdvancedAction(worldModel) {}

GoalieCatch::~GoalieCatch() = default;

bool GoalieCatch::isInsideBox(const Vector& ballPos, const Vector& bodyPos) {
  return ballPos.getX() < CATCH_BOX_X && bodyPos.getX() < CATCH_BOX_X &&
         std::fabs(ballPos.getY()) < CATCH_BOX_HALF_Y &&
         std::fabs(bodyPos.getY()) < CATCH_BOX_HALF_Y;
}

float GoalieCatch::getValue() {
  const Body& body = worldModel->getBody();
  const Ball& ball = worldModel->getBall();
  canCatch = isInsideBox(ball.getPos(), body.getPos()) && lastDecide != DT_PASS &&
             worldModel->isBallCatchable();
  if (!canCatch) return AD_MIN_VALUE;
  const Vector& toBall = ball.getBodyVec();
  const float catchDirection = body.getCommandLimits().getCatchDirection(toBall.getDirection());
  if (catchDirection != toBall.getDirection()) {
    // The server turns a catch beyond its angles to the limit: the catch area (its length
    // along the aim, its width across) must hold the ball there.
    const float off = Degree::normalizeAngle(toBall.getDirection() - catchDirection);
    const float along = toBall.getMagnitude() * Degree::cos(off);
    const float across = toBall.getMagnitude() * Degree::sin(off);
    canCatch = along > 0.0f && along < body.getCatchableAreaL() &&
               std::fabs(across) < 0.5f * body.getCatchableAreaW();
  }
  return canCatch ? CATCH_VALUE : AD_MIN_VALUE;
}

void GoalieCatch::execute(SayDecisionFlags&) {
  if (canCatch) {
    const float toBall = worldModel->getBall().getBodyVec().getDirection();
    command = std::make_unique<CatchCommand>(
        worldModel->getBody().getCommandLimits().getCatchDirection(toBall));
  } else {
    command = std::make_unique<KickCommand>(KICK_OUT_POWER, 0.0f);
  }
}

GoalieIntercept::GoalieIntercept(const WorldModel* worldModel) : AdvancedAction(worldModel) {}

GoalieIntercept::~GoalieIntercept() = default;

void GoalieIntercept::execute(SayDecisionFlags&) {
  logger["MainLog"] << "GoalieIntercept::execute" << std::endl;
  publish(candidateCommand[bestCandidate].get());
}

float GoalieIntercept::getValue() {
  logger["MainLog"] << "GoalieIntercept::getValue" << std::endl;
  const Body& body = worldModel->getBody();
  Search search;
  search.forwardDashPower = stepPower(body, false);
  search.backwardDashPower = stepPower(body, true);
  // The catch is aimed at the ball: its reach is the catch area's length.
  search.catchRadius = body.getCatchableAreaL();
  resetCandidates(search.catchRadius);

  searchStanding(search);
  searchDash(search, false);
  searchDash(search, true);
  Run run;
  searchTurnAndRun(search, run);
  searchDelayedRun(search, run);

  chooseCandidate();
  if (candidatesNum == 0) return AD_MIN_VALUE;
  cutShot();
  const Point& point = candidatePoint[bestCandidate];
  const bool inBox = point.x <= INTERCEPT_BOX_X && std::fabs(point.y) <= INTERCEPT_BOX_HALF_Y;
  return inBox ? INTERCEPT_VALUE : AD_MIN_VALUE;
}

void GoalieIntercept::resetCandidates(float catchRadius) {
  candidatesNum = 0;
  bestCandidate = 0;
  for (int i = 0; i < CANDIDATES_MAX; ++i) {
    candidateTime[i] = UNSET_TIME;
    candidateBallDist[i] = catchRadius;
    candidateScore[i] = 0.0f;
    candidateCommand[i].reset();
  }
}

int GoalieIntercept::record(const Point& point, float time, float ballDist,
                            std::unique_ptr<Command> command) {
  TOVREN_CHECK(candidatesNum < CANDIDATES_MAX);
  const int i = candidatesNum++;
  candidatePoint[i] = point;
  candidateTime[i] = time;
  candidateBallDist[i] = ballDist;
  candidateCommand[i] = std::move(command);
  return i;
}

void GoalieIntercept::recordReach(const Search& search, const Body& coastBody,
                                  const Ball& coastBall, float time, float extraScore,
                                  std::unique_ptr<Command> command) {
  const float d = coastBall.getDistance(coastBody);
  const int i = record(coastBody.getPos(), time, d, std::move(command));
  candidateScore[i] +=
      SCORE_DEPTH_FACTOR * std::min(search.catchRadius - d, SCORE_DEPTH_CAP) + extraScore;
}

void GoalieIntercept::searchStanding(const Search& search) {
  Body coastBody = worldModel->getBody();
  Ball coastBall = worldModel->getBall();
  for (int j = 0; j < STANDING_CYCLES; ++j) {
    if (coastBall.getDistance(coastBody) <= search.catchRadius - STANDING_MARGIN) {
      recordReach(search, coastBody, coastBall, COAST_WEIGHT * j, STANDING_SCORE, nullptr);
    }
    advance(coastBody, coastBall);
  }
}

void GoalieIntercept::searchDash(Search& search, bool backward) {
  const Body& body = worldModel->getBody();
  const Ball& ball = worldModel->getBall();
  const float ballDistNow = ball.getDistance(body);
  search.runBody = body;
  search.runBall = ball;
  int n = 0;
  int k = 0;
  do {
    // The coast pair starts from the state before this step's dash.
    Body coastBody = search.runBody;
    Ball coastBall = search.runBall;
    ++n;
    search.simDash.setPower(stepPower(search.runBody, backward));
    search.runBody.simulateByAction(&search.simDash, false);
    advance(search.runBody, search.runBall);

    // Forward the lines stay those of the goalie now; backward they follow the copy.
    const float dashDir = backward ? search.runBody.getBodyDir() + 180.0f : body.getBodyDir();
    const Point dashFrom = backward ? Point(search.runBody.getPos()) : Point(body.getPos());
    const Point ballFrom = backward ? Point(search.runBall.getPos()) : Point(ball.getPos());
    const float ballLineDir =
        backward ? ball.getVel().getDirection() : body.getVel().getDirection();
    Line dashLine;
    dashLine.setBySourceDir(dashFrom, dashDir);
    Line ballLine;
    ballLine.setBySourceDir(ballFrom, ballLineDir);
    Point crossing;
    // Parallel lines have no crossing: not ahead.
    const bool crosses = dashLine.getLineIntersect(ballLine, crossing);
    Vector toCrossing;
    toCrossing.setByPoints(dashFrom, crossing);
    const bool ahead =
        crosses &&
        std::fabs(Degree::normalizeAngle(toCrossing.getDirection() - dashDir)) < AHEAD_ANGLE;

    float tolerance = REACH_TOLERANCE + REACH_TOLERANCE_PER_METRE * ballDistNow;
    float bonus = 0.0f;
    if (ahead) {
      const float bonusDir = backward ? dashDir : search.runBody.getBodyDir();
      const float angle =
          std::fabs(Degree::normalizeAngle(bonusDir - search.runBall.getVel().getDirection()));
      bonus = angleBonus(toCrossing.getMagnitude(), angle);
    } else {
      tolerance *= NOT_AHEAD_FACTOR;
    }

    bool found = false;
    for (int j = 0; j < COAST_CYCLES; ++j) {
      if (coastBall.getDistance(coastBody) <= search.catchRadius + tolerance + bonus) {
        const float power = backward ? search.backwardDashPower : search.forwardDashPower;
        recordReach(search, coastBody, coastBall, n + COAST_WEIGHT * j, 0.0f,
                    std::make_unique<DashCommand>(power));
        found = true;
      }
      advance(coastBody, coastBall);
    }
    // Once a step has found the ball, k counts the steps from it on.
    if (found || k > 0) ++k;
  } while (k < STEPS_AFTER_FOUND && n < MAX_DASH_STEPS);
}

bool GoalieIntercept::simulateRunCycle(Search& search, Run& run, int cycle, float& a1) {
  search.simDash.setPower(stepPower(run.running, false));
  run.running.simulateByAction(&search.simDash, false);
  run.runDistance += run.running.getVel().getMagnitude();
  const float margin = MARGIN_PER_CYCLE * cycle + MARGIN_BASE;
  advance(run.standing, run.ball);

  Vector v;
  v.setByPoints(run.standing.getPos(), run.ball.getPos());
  a1 = Degree::normalizeAngle(v.getDirection() - run.standing.getBodyDir());
  const float a2 =
      std::fabs(Degree::normalizeAngle(v.getDirection() - run.ball.getVel().getDirection()));
  float correction = 0.0f;
  if (a2 >= ALONG_ANGLE) {
    const float factor = v.getMagnitude() >= FAR_BALL ? FAR_BALL_FACTOR : NEAR_BALL_FACTOR;
    correction = factor * Degree::cos(a2);
  }
  return v.getMagnitude() <= search.catchRadius + run.runDistance + margin + correction;
}

void GoalieIntercept::recordRun(const Search& search, const Run& run, int cycle, float a1) {
  const Body& body = worldModel->getBody();
  std::unique_ptr<Command> command;
  if (std::fabs(a1) <= DASH_AT_ONCE_ANGLE) {
    command = std::make_unique<DashCommand>(search.forwardDashPower);
  } else {
    TurnAngle turn(a1, body, 0.0f);
    command = turn.takeCommand();
  }
  const float ballDist = run.ball.getDistance(run.standing) - run.runDistance;
  record(run.standing.getPos(), static_cast<float>(cycle), ballDist, std::move(command));
}

void GoalieIntercept::searchTurnAndRun(Search& search, Run& run) {
  const Body& body = worldModel->getBody();
  run.running = search.runBody;
  run.running.setVel().setAsCartesian(0.0f, 0.0f);
  run.runDistance = 0.0f;
  run.standing = body;
  run.ball = worldModel->getBall();
  advance(run.standing, run.ball);
  // A server whose maximum moment is below 179 turns by its maximum.
  const float oneTurn =
      BasicTurn::getTurnAngle(BasicTurn::clampMoment(ONE_TURN_MOMENT, body), body);
  for (int t = 2; t <= LAST_RUN_CYCLE && candidatesNum <= TURN_AND_RUN_LAST_INDEX; ++t) {
    float a1 = 0.0f;
    if (simulateRunCycle(search, run, t, a1) && std::fabs(a1) <= oneTurn) {
      recordRun(search, run, t, a1);
    }
  }
}

void GoalieIntercept::searchDelayedRun(Search& search, Run& run) {
  run.running = run.standing;
  run.running.setVel().setAsCartesian(0.0f, 0.0f);
  run.runDistance = 0.0f;
  run.standing = worldModel->getBody();
  run.ball = worldModel->getBall();
  advance(run.standing, run.ball);
  advance(run.standing, run.ball);
  for (int u = 3; u <= LAST_RUN_CYCLE && candidatesNum <= DELAYED_RUN_LAST_INDEX; ++u) {
    float a1 = 0.0f;
    if (simulateRunCycle(search, run, u, a1)) recordRun(search, run, u, a1);
  }
}

void GoalieIntercept::chooseCandidate() {
  bestCandidate = 0;
  for (int i = 0; i < candidatesNum; ++i) {
    candidateScore[i] -= candidateTime[i];
    if (candidateScore[i] > candidateScore[bestCandidate]) bestCandidate = i;
  }
}

void GoalieIntercept::cutShot() {
  std::unique_ptr<Command>& chosen = candidateCommand[bestCandidate];
  const Ball& ball = worldModel->getBall();
  const Body& body = worldModel->getBody();
  if (chosen == nullptr || chosen->getKind() != CK_DASH) return;
  if (ball.getVel().getMagnitude() <= SHOT_MIN_SPEED || !worldModel->isOppBallShooted(ball)) {
    return;
  }
  const float a3 =
      std::fabs(Degree::normalizeAngle(ball.getVel().getDirection() - body.getBodyDir()));
  if (a3 <= SHOT_ALONG_BODY || a3 >= 180.0f - SHOT_ALONG_BODY) return;
  Line ballLine;
  ballLine.setBySourceDir(ball.getPos(), ball.getVel().getDirection());
  Line bodyLine;
  bodyLine.setBySourceDir(body.getPos(), body.getBodyDir());
  Point cut;
  if (!ballLine.getLineIntersect(bodyLine, cut)) return;
  PreciseGotoPoint goTo(cut, CUT_TOLERANCE, body, true, CUT_ANGLE_TOLERANCE);
  chosen = goTo.takeCommand();
}

}  // namespace tovren
