#include "actions/withoutball/GoaliePositioning.h"

#include "actions/basic/BasicDash.h"
#include "actions/basic/BasicTurn.h"
#include "connection/Command.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "geometry/Line.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace tovren {

namespace {

constexpr float POSITIONING_VALUE = 10.0f;

const Point UPPER_POST(-52.5f, 7.0f);
const Point LOWER_POST(-52.5f, -7.0f);
const Point GOAL_CENTER(-52.5f, 0.0f);

// The depths: the normal one, the one of the penalty modes, and the one far out when the
// latest trick is on and the ball is in the opponents' half.
constexpr float NORMAL_DEPTH = -47.0f;
constexpr float NORMAL_DEAD_ZONE = 1.0f;
constexpr float PENALTY_DEPTH = -40.0f;
constexpr float PENALTY_DEAD_ZONE = 2.0f;
constexpr float TRICK_DEPTH = -32.0f;
constexpr float TRICK_BALL_X = -3.0f;
// The depth limit follows the predicted ball, this many times nearer the goal line.
constexpr float DEPTH_LIMIT_SLOPE = 2.8f;
constexpr float GOAL_LINE_X = -52.5f;

// The angle mode.
constexpr float PREDICTED_BALL_MIN_X = -52.4f;
constexpr float DEEP_BALL_X = -25.0f;
constexpr float ANGLE_DEPTH_FLOOR = -48.5f;
constexpr float SIDE_LINE_Y = 6.0f;
constexpr float FACING_DEAD_ANGLE = 15.0f;  // degrees
constexpr float FACING_DEAD_Y = 1.0f;
constexpr float SNAP_NEAR = 0.3f;
constexpr float SNAP_FROM_DIST = 10.0f;
constexpr float SNAP_PER_METRE = 0.05f;
constexpr float SNAP_FAR_DIST = 25.0f;
constexpr float SNAP_FAR = 1.2f;
constexpr float SNAP_SET_PLAY = 5.0f;
// Bisector directions (degrees) of a ball wide and near the goal line, and of one at a
// sharp angle.
constexpr float WIDE_BALL_DIR = 122.0f;
constexpr float SHARP_NEGATIVE_DIR = 122.0f;
constexpr float SHARP_POSITIVE_DIR = 124.0f;
constexpr float FRONT_BALL_DIR = 160.0f;
constexpr float POST_RUN_LIMIT = 6.0f;
constexpr float SHARP_RUN_LIMIT = 7.0f;
constexpr float SHARP_SNAP = 0.3f;
constexpr float REFINE_NEAR = 3.0f;
constexpr float LATERAL_NEAR = 1.2f;
constexpr float HOME_MIN_X = -50.5f;

// The shot at the post.
constexpr float SHOT_SPEED = 2.65f;
constexpr float LOW_STAMINA = 1400.0f;
constexpr float FULL_POWER = 100.0f;
// A shot passes the goal line within a few dozen cycles and a dashing goalie runs its
// limit in fewer; the cap only ends a simulation in which neither happens.
constexpr int MAX_SHOT_CYCLES = 100;

// The line mode.
constexpr float LINE_DEPTH_FLOOR = -50.0f;
constexpr float SHARP_ANGLE = 45.0f;  // degrees
constexpr float POST_HAND_OVER_DIST = 15.0f;
constexpr float GOAL_HAND_OVER_DIST = 30.0f;
constexpr float KEEP_OWN_X = 1.0f;
// The third number of the "Goalie LOG" lines.
constexpr float LOG_CONSTANT = -49.5f;

// The arrival tolerance.
constexpr float NEAR_BALL = 15.0f;
constexpr float FAR_BALL = 35.0f;
constexpr float NEAR_TOLERANCE = 0.08f;
constexpr float FAR_TOLERANCE = 1.5f;
constexpr float TIRED_STAMINA = 2000.0f;
constexpr float WIDEN_ADD = 1.3f;
constexpr float WIDEN_FACTOR = 1.2f;
constexpr float PENALTY_TOLERANCE = 0.2f;

constexpr float ACROSS_TURN_SLACK = 15.0f;  // degrees
constexpr float ONE_TURN_MOMENT = 179.0f;
// Backward dashes only this near the point and the goal.
constexpr float BACKWARD_HOME_DIST = 10.0f;
constexpr float BACKWARD_GOAL_DIST = 15.0f;
constexpr float GOTO_ANGLE_TOLERANCE = 20.0f;  // degrees
constexpr float FREE_KICK_RADIUS = 9.15f;
constexpr float FACE_BALL_TOLERANCE = 5.0f;  // degrees

bool isPenaltyMode(PlayMode mode) {
  return mode == PM_OUR_PENALTY_SETUP || mode == PM_OPP_PENALTY_SETUP ||
         mode == PM_OUR_PENALTY_READY || mode == PM_OPP_PENALTY_READY;
}

// The modes in which the opponents restart play and the ball must not be approached.
bool isOppRestartMode(PlayMode mode) {
  return mode == PM_OPP_FREE_KICK || mode == PM_OUR_OFFSIDE || mode == PM_OUR_FREE_KICK_FAULT ||
         mode == PM_OUR_CATCH_FAULT || mode == PM_OUR_BACK_PASS;
}

// The normal depth, or the far one when the latest trick is on and the ball is far out.
float baseDepth(float ballX) {
  const bool latestTrick = config["Agent"]["Public"]["LatestTrick"].asBool();
  return latestTrick && ballX > TRICK_BALL_X ? TRICK_DEPTH : NORMAL_DEPTH;
}

Point predictedBall(const Ball& ball) { return Point(ball.getPos() + ball.getVel()); }

float depthLimit(const Point& predicted) {
  return GOAL_LINE_X + (predicted.x - GOAL_LINE_X) / DEPTH_LIMIT_SLOPE;
}

float directionOf(const Point& from, const Point& to) {
  Vector v;
  v.setByPoints(from, to);
  return v.getDirection();
}

// The bisector of the angle under which the point sees the two posts, towards the goal.
float bisectorDir(const Point& from) {
  const float d1 = directionOf(from, UPPER_POST);
  const float d2 = directionOf(from, LOWER_POST);
  return Degree::normalizeAngle(d1 + std::fabs(Degree::normalizeAngle(d1 - d2)) * 0.5f);
}

// The crossing of two lines into the point; parallel lines leave it as it is.
void intersectInto(const Line& first, const Line& second, Point& point) {
  Point crossing;
  if (first.getLineIntersect(second, crossing)) point = crossing;
}

Line horizontalLine(float y) {
  Line line;
  line.setByPoints(Point(-1.0f, y), Point(1.0f, y));
  return line;
}

void logHome(LogStream* log, int step, const Point& home) {
  if (log != nullptr) *log << "goalieHomePoint " << step << " : " << home << std::endl;
}

void logDepth(LogStream* log, int step, float lineDepth, float base) {
  if (log == nullptr) return;
  *log << "Goalie LOG " << step << " : " << lineDepth << " " << base << " " << LOG_CONSTANT
       << std::endl;
}

}  // namespace

GoaliePositioning::GoaliePositioning(const WorldModel* worldModel) : AdvancedAction(worldModel) {}

GoaliePositioning::~GoaliePositioning() = default;

void GoaliePositioning::execute(SayDecisionFlags&) { publish(preparedCommand.get()); }

float GoaliePositioning::getArrivalTolerance(float ballDist, float stamina, PlayMode playMode) {
  float t = FAR_TOLERANCE;
  if (ballDist < NEAR_BALL) {
    t = NEAR_TOLERANCE;
  } else if (ballDist <= FAR_BALL) {
    t = NEAR_TOLERANCE +
        (FAR_TOLERANCE - NEAR_TOLERANCE) * (ballDist - NEAR_BALL) / (FAR_BALL - NEAR_BALL);
  }
  if (stamina < TIRED_STAMINA) t = (t + WIDEN_ADD) * WIDEN_FACTOR;
  if (playMode != PM_PLAY_ON) t = (t + WIDEN_ADD) * WIDEN_FACTOR;
  if (isPenaltyMode(playMode)) t = PENALTY_TOLERANCE;
  return t;
}

float GoaliePositioning::getValue() {
  const PlayMode playMode = worldModel->getPlayMode();
  if (isPenaltyMode(playMode)) {
    setGoalieParams();
  } else {
    setGoalieParamsLineMode();
  }
  const Body& body = worldModel->getBody();
  const Point ball(worldModel->getBall().getPos());
  const Point at(body.getPos());
  const float t = getArrivalTolerance(at.getDistance(ball), body.getStamina(), playMode);
  const float h = at.getDistance(goalieHomePoint);

  if (h < t) {
    // Across the reference line, to the side one turn reaches within the slack.
    const float across = Degree::normalizeAngle(midAngleLineDir - 90.0f);
    const float rA = Degree::normalizeAngle(across - body.getBodyDir());
    const float rB = Degree::normalizeAngle(across - 180.0f - body.getBodyDir());
    const float oneTurn =
        BasicTurn::getTurnAngle(BasicTurn::clampMoment(ONE_TURN_MOMENT, body), body);
    TurnAngle turn(std::fabs(rA) - ACROSS_TURN_SLACK < oneTurn ? rA : rB, body, 0.0f);
    preparedCommand = turn.takeCommand();
    return POSITIONING_VALUE;
  }

  if (isOppRestartMode(playMode)) {
    ForbiddenAreaGotoPoint go(goalieHomePoint, ball, FREE_KICK_RADIUS, body, false);
    if (go.getStatus() == GOTO_STATUS_MOVING) {
      preparedCommand = go.takeCommand();
    } else {
      TurnToPoint turn(ball, body, FACE_BALL_TOLERANCE);
      preparedCommand = turn.takeCommand();
    }
  } else {
    const bool canBackward =
        h < BACKWARD_HOME_DIST && at.getDistance(GOAL_CENTER) <= BACKWARD_GOAL_DIST;
    PreciseGotoPoint go(goalieHomePoint, t, body, canBackward, GOTO_ANGLE_TOLERANCE);
    preparedCommand = go.takeCommand();
  }
  if (LogStream* log = logger.getWriting("MainLog")) {
    *log << "GOALIE PrecideGTP 1 Stamina : " << body.getStamina() << std::endl;
  }
  return POSITIONING_VALUE;
}

void GoaliePositioning::setGoalieParams() {
  LogStream* log = logger.getWriting("MainLog");
  const PlayMode playMode = worldModel->getPlayMode();
  const Body& body = worldModel->getBody();
  const Ball& ball = worldModel->getBall();
  const Point goalie(body.getPos());

  // Depth.
  float virtualGoalieX = PENALTY_DEPTH;
  float deadZone = PENALTY_DEAD_ZONE;
  if (!isPenaltyMode(playMode)) {
    virtualGoalieX = baseDepth(ball.getPos().getX());
    deadZone = NORMAL_DEAD_ZONE;
  }
  Point predicted = predictedBall(ball);
  predicted.x = std::max(predicted.x, PREDICTED_BALL_MIN_X);
  if (ball.getPos().getX() < DEEP_BALL_X && goalie.x < virtualGoalieX) {
    virtualGoalieX = std::min(virtualGoalieX, std::max(goalie.x, depthLimit(predicted)));
  }
  virtualGoalieX = std::max(virtualGoalieX, ANGLE_DEPTH_FLOOR);
  if (std::fabs(goalie.x - virtualGoalieX) < deadZone) virtualGoalieX = goalie.x;

  // The bisector and its crossing with the depth line.
  const float mid = bisectorDir(predicted);
  Line midAngleLine;
  midAngleLine.setBySourceDir(predicted, mid);
  Line directWallLine;
  directWallLine.setByPoints(Point(virtualGoalieX, -1.0f), Point(virtualGoalieX, 1.0f));
  if (log != nullptr) {
    *log << "directWallLine : a, b, c = " << directWallLine.getA() << "," << directWallLine.getB()
         << "," << directWallLine.getC() << std::endl;
    *log << "midAngleLine : a, b, c = " << midAngleLine.getA() << "," << midAngleLine.getB() << ","
         << midAngleLine.getC() << std::endl;
    *log << "midAngleLine : direction = " << midAngleLine.getDirection() << std::endl;
    *log << "virtualGoalieX = " << virtualGoalieX << std::endl;
  }
  // Before the crossing the point stands on the depth line in front of the goal centre.
  Point home(virtualGoalieX, 0.0f);
  intersectInto(midAngleLine, directWallLine, home);
  logHome(log, 1, home);
  if (home.y > SIDE_LINE_Y) {
    intersectInto(midAngleLine, horizontalLine(SIDE_LINE_Y), home);
    logHome(log, 2, home);
  } else if (home.y < -SIDE_LINE_Y) {
    intersectInto(midAngleLine, horizontalLine(-SIDE_LINE_Y), home);
    logHome(log, 3, home);
  }
  midAngleLineDir = mid;
  // A goalie that would have to turn does not step a metre sideways.
  const float toHome =
      std::fabs(Degree::normalizeAngle(directionOf(goalie, home) - body.getBodyDir()));
  if (toHome >= FACING_DEAD_ANGLE && std::fabs(home.y - goalie.y) <= FACING_DEAD_Y) {
    home.y = goalie.y;
  }
  logHome(log, 4, home);

  // Sharp-angle refinements.
  const float perp = Degree::normalizeAngle(mid - 90.0f);
  Line lateralLine;
  lateralLine.setBySourceDir(goalie, perp);
  Line upperPostLine;
  upperPostLine.setByPoints(predicted, UPPER_POST);
  Line lowerPostLine;
  lowerPostLine.setByPoints(predicted, LOWER_POST);
  logHome(log, 5, home);

  const float ballDist = ball.getDistance(body);
  float snap = SNAP_NEAR;
  if (ballDist >= SNAP_FROM_DIST) snap = SNAP_NEAR + SNAP_PER_METRE * (ballDist - SNAP_FROM_DIST);
  if (ballDist >= SNAP_FAR_DIST) snap = SNAP_FAR;
  if (playMode != PM_PLAY_ON) snap = SNAP_SET_PLAY;

  if (mid > -WIDE_BALL_DIR && mid < 0.0f) {
    home = shootToTirSimulate(UPPER_POST, perp, 0.0f, POST_RUN_LIMIT, snap);
    logHome(log, 6, home);
  }
  if (mid > 0.0f && mid < WIDE_BALL_DIR) {
    home = shootToTirSimulate(LOWER_POST, perp, 0.0f, POST_RUN_LIMIT, snap);
    logHome(log, 7, home);
  }
  if (goalie.getDistance(home) < REFINE_NEAR) {
    if (mid > -FRONT_BALL_DIR && mid < -SHARP_NEGATIVE_DIR) {
      Point cross = home;
      intersectInto(lateralLine, upperPostLine, cross);
      home = shootToTirSimulate(cross, perp, 0.0f, SHARP_RUN_LIMIT, SHARP_SNAP);
      logHome(log, 8, home);
    }
    if (mid > SHARP_POSITIVE_DIR && mid < FRONT_BALL_DIR) {
      Point cross = home;
      intersectInto(lateralLine, lowerPostLine, cross);
      home = shootToTirSimulate(cross, perp, 0.0f, SHARP_RUN_LIMIT, SHARP_SNAP);
      logHome(log, 9, home);
    }
  }
  logHome(log, 10, home);

  // A small correction keeps the goalie on its lateral line, on the way to the ball.
  if (goalie.getDistance(home) < LATERAL_NEAR) {
    Line toBall;
    toBall.setByPoints(home, predicted);
    intersectInto(lateralLine, toBall, home);
  }
  logHome(log, 11, home);
  home.x = std::max(home.x, HOME_MIN_X);
  logHome(log, 12, home);
  goalieHomePoint = home;
}

Point GoaliePositioning::shootToTirSimulate(const Point& target, float runDir, float startOffset,
                                            float runLimit, float snapDist) const {
  if (std::fabs(runDir) > 90.0f) runDir = Degree::normalizeAngle(runDir + 180.0f);
  const Body& goalie = worldModel->getBody();
  Body body = goalie;
  Ball ball = worldModel->getBall();
  const DashCommand dash(body.getStamina() < LOW_STAMINA ? body.getStaminaIncMax() : FULL_POWER);

  Vector offset;
  offset.setAsPolar(startOffset, runDir);
  body.setPos().setAsCartesian(target.x + offset.getX(), target.y + offset.getY());
  body.setVel().setAsCartesian(0.0f, 0.0f);
  body.setBodyDir(runDir);
  ball.setVel().setAsPolar(SHOT_SPEED, directionOf(Point(ball.getPos()), target));
  ball.simulateByDynamics(body, BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);
  for (int cycle = 0; cycle < MAX_SHOT_CYCLES && ball.getPos().getX() > target.x &&
                      body.getDistance(target) < runLimit;
       ++cycle) {
    ball.simulateByDynamics(body, BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);
    body.simulateByAction(&dash, false);
    body.simulateByDynamics(false);
  }
  const Point end(body.getPos());
  return end.getDistance(goalie.getPos()) < snapDist ? Point(goalie.getPos()) : end;
}

void GoaliePositioning::setGoalieParamsLineMode() {
  LogStream* log = logger.getWriting("MainLog");
  const Ball& ball = worldModel->getBall();
  const float ballX = ball.getPos().getX();
  const float ballY = ball.getPos().getY();
  const float goalieX = worldModel->getBody().getPos().getX();

  const float base = baseDepth(ballX);
  const Point predicted = predictedBall(ball);
  const float limit = std::max(LINE_DEPTH_FLOOR, depthLimit(predicted));
  // A goalie between the limit and the base depth keeps its x.
  float lineDepth = base;
  if (goalieX < base && goalieX > limit) lineDepth = goalieX;

  Vector fromUpper;
  fromUpper.setByPoints(UPPER_POST, predicted);
  const float upperAngle = std::fabs(Degree::normalizeAngle(fromUpper.getDirection() - 90.0f));
  Vector fromLower;
  fromLower.setByPoints(LOWER_POST, predicted);
  const float lowerAngle = std::fabs(Degree::normalizeAngle(fromLower.getDirection() + 90.0f));
  Vector goalToBall;
  goalToBall.setByPoints(GOAL_CENTER, predicted);
  const float sideDir = predicted.y > 0.0f ? 90.0f : -90.0f;
  const float deltaAngleToGoal =
      std::fabs(Degree::normalizeAngle(goalToBall.getDirection() - sideDir));

  // A ball at a sharp angle near the goal is left to the angle mode.
  logDepth(log, 1, lineDepth, base);
  if (ballY > 0.0f && upperAngle < SHARP_ANGLE && fromUpper.getMagnitude() < POST_HAND_OVER_DIST) {
    if (log != nullptr) *log << "GOALIE Change Function 1" << std::endl;
    setGoalieParams();
    return;
  }
  logDepth(log, 2, lineDepth, base);
  if (ballY < 0.0f && lowerAngle < SHARP_ANGLE && fromLower.getMagnitude() < POST_HAND_OVER_DIST) {
    if (log != nullptr) *log << "GOALIE Change Function 2" << std::endl;
    setGoalieParams();
    return;
  }
  logDepth(log, 3, lineDepth, base);
  if (log != nullptr) {
    *log << "deltaAngleToGoal : " << deltaAngleToGoal << std::endl;
    *log << "goalToBall.Length : " << goalToBall.getMagnitude() << std::endl;
  }
  if (deltaAngleToGoal < SHARP_ANGLE && goalToBall.getMagnitude() < GOAL_HAND_OVER_DIST) {
    if (log != nullptr) *log << "GOALIE Change Function 3" << std::endl;
    setGoalieParams();
    return;
  }

  if (lineDepth == base && std::fabs(goalieX - lineDepth) < KEEP_OWN_X) {
    lineDepth = goalieX;
    logDepth(log, 5, lineDepth, base);
  }
  Line goalieLine;
  goalieLine.setByPoints(Point(lineDepth, 7.0f), Point(lineDepth, -7.0f));
  Line bisector;
  bisector.setBySourceDir(predicted, bisectorDir(predicted));
  // A bisector along the goal line (the ball on it, wide of the posts) meets the line
  // nowhere: the goalie then stands at the edge of its range on the ball's side.
  Point home(lineDepth, predicted.y >= 0.0f ? SIDE_LINE_Y : -SIDE_LINE_Y);
  intersectInto(bisector, goalieLine, home);
  home.y = std::max(-SIDE_LINE_Y, std::min(home.y, SIDE_LINE_Y));
  goalieHomePoint = home;
  midAngleLineDir = ballY >= 0.0f ? 180.0f : 0.0f;
}

}  // namespace tovren
