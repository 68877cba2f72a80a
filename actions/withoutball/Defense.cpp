#include "actions/withoutball/Defense.h"

#include "actions/basic/BasicDash.h"
#include "actions/basic/BasicTurn.h"
#include "actions/withoutball/Positioning.h"
#include "connection/Command.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace tovren {

namespace {

constexpr float DEFENSE_VALUE = 10.0f;

// The back line and the central midfielder give up the mark's x once the ball is this far
// up: they keep the formation's depth.
constexpr float KEEP_FORMATION_X_BALL_X = -34.0f;
// The wide midfielders mark only when the ball is this deep (or at a restart).
constexpr float WIDE_MARK_BALL_X = -30.0f;
constexpr float CENTRAL_MARK_BALL_X = 10.0f;
// At an opponents' restart beyond this x the wide midfielders stand this much deeper.
constexpr float WIDE_DROP_BALL_X = 15.0f;
constexpr float WIDE_DROP = 8.0f;

// Behind the opponent: 2 m when near, up to 3 m from 10 m away.
constexpr float MARK_BEHIND_MIN = 2.0f;
constexpr float MARK_BEHIND_MAX = 3.0f;
constexpr float MARK_BEHIND_DISTANCE_DIVISOR = 10.0f;
constexpr float MARK_TOWARD_BALL = 3.0f;
constexpr float MARK_TOWARD_BALL_BALL_X = -10.0f;

constexpr unsigned int LAST_BACK_POST = 5;
constexpr unsigned int CENTRAL_POST = 8;

// Close to our goal.
constexpr float GOAL_LINE_X = -52.5f;
constexpr float POST_ANCHOR_Y = 5.0f;
constexpr float GOAL_DIST_BALL_DISTANCE = 20.0f;
constexpr float GOAL_DIST_BALL_X = -30.0f;
constexpr float GUARD_X = -51.0f;
constexpr float GUARD_BODY_MARGIN = 1.0f;
constexpr float GUARD_POST_Y = 7.0f;   // the guard's place when the ball is at the post
constexpr float GUARD_INNER_Y = 3.0f;  // and the place it tends to as the ball goes away
constexpr float GUARD_HOME_HALF_LENGTH_5 = 11.0f;
constexpr float GUARD_HOME_HALF_LENGTH_2 = 13.0f;
constexpr float GUARD_HOME_HALF_WIDTH = 7.0f;
constexpr float TIR_TURN_DISTANCE = 0.2f;
constexpr float TIR_PRECISE_DISTANCE = 6.0f;
constexpr float TIR_ANGLE_TOLERANCE = 20.0f;  // degrees
constexpr float TIR_DASH_TOLERANCE = 1.5f;
constexpr float TIR_MAX_POWER = 100.0f;

struct MarkRectangle {
  float halfLength;  // along x
  float halfWidth;   // along y
};

MarkRectangle getMarkRectangle(unsigned int post, float ballX) {
  switch (post) {
    case 2:
    case 5:
      return ballX <= -2.0f ? MarkRectangle{5.0f, 5.0f} : MarkRectangle{1.0f, 5.0f};
    case 3:
    case 4:
      return ballX <= -20.0f ? MarkRectangle{4.0f, 1.8f} : MarkRectangle{5.0f, 4.0f};
    case 6:
    case 7:
    case 9:
    case 10:
    case 11:
      return {13.0f, 13.0f};
    case 8:
      return {8.0f, 4.0f};
    default:
      return {0.0f, 0.0f};
  }
}

}  // namespace

Defense::Defense(const WorldModel* worldModel, const Positioning& positioning)
    : AdvancedAction(worldModel), positioning(positioning) {}

Defense::~Defense() = default;

bool Defense::isOppRestart() const {
  switch (worldModel->getPlayMode()) {
    case PM_OPP_FREE_KICK:
    case PM_OPP_KICK_IN:
    case PM_OUR_OFFSIDE:
    case PM_OPP_CORNER_KICK:
    case PM_OUR_FREE_KICK_FAULT:
    case PM_OUR_CATCH_FAULT:
    case PM_OUR_BACK_PASS:
      return true;
    default:
      return false;
  }
}

float Defense::getValue() {
  logger["MainLog"] << "Defense::getValue" << std::endl;
  const Body& body = worldModel->getBody();
  const unsigned int post = body.getPostNum();
  const float ballX = worldModel->getBall().getPos().getX();
  const bool oppRestart = isOppRestart();
  const Point formation = positioning.getHomePoint(body.getUniNum());
  homePoint = formation;
  const MarkRectangle rectangle = getMarkRectangle(post, ballX);

  const bool wide = post == 6 || post == 7;
  if (wide && ballX > WIDE_DROP_BALL_X && oppRestart) homePoint.x -= WIDE_DROP;
  markBehind = !oppRestart;

  bool mark = false;
  bool keepFormationX = false;
  if (post <= LAST_BACK_POST) {
    mark = true;
    keepFormationX = true;
  } else if (wide) {
    mark = ballX < WIDE_MARK_BALL_X || oppRestart;
  } else if (post == CENTRAL_POST) {
    mark = ballX < CENTRAL_MARK_BALL_X;
    keepFormationX = true;
  } else {
    mark = oppRestart;
  }
  if (mark) {
    checkMarkPlayer(homePoint, rectangle.halfLength, rectangle.halfWidth);
    if (keepFormationX && ballX > KEEP_FORMATION_X_BALL_X) homePoint.x = formation.x;
  }

  preparedCommand = positioning.getPositioningCommand(homePoint);
  return DEFENSE_VALUE;
}

void Defense::checkMarkPlayer(Point& point, float halfLength, float halfWidth) const {
  const Point bodyPos = worldModel->getBody().getPos();
  // The cheapest so far; a later candidate must be strictly cheaper.
  bool found = false;
  float bestCost = 0.0f;
  Point bestMark;
  const auto consider = [&](const Player& player) {
    if (!player.isValid()) return;
    const Point pos = player.getPos();
    if (!(std::fabs(pos.x - point.x) < halfLength && std::fabs(pos.y - point.y) < halfWidth)) {
      return;
    }
    const Point mark = makeMarkPoint(pos);
    const float cost = bodyPos.getDistance(mark) + point.getDistance(mark);
    if (!found || cost < bestCost) {
      found = true;
      bestCost = cost;
      bestMark = mark;
    }
  };
  for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i) {
    consider(worldModel->getFullPlayer(TID_OPPONENT, i));
  }
  for (unsigned int i = 0; i < WorldModel::HALF_PLAYERS_NUM; ++i) {
    consider(worldModel->getHalfPlayer(TID_OPPONENT, i));
  }
  for (unsigned int i = 0; i < WorldModel::QUARTER_PLAYERS_NUM; ++i) {
    consider(worldModel->getQuarterPlayer(i));
  }

  LogStream& log = logger["MainLog"];
  if (!found) {
    log << "I did not mark any player" << std::endl;
    return;
  }
  if (log.isOutValid()) log << "I am marking a point that is : " << bestMark << std::endl;
  point = bestMark;
}

Point Defense::makeMarkPoint(Point opponent) const {
  const Body& body = worldModel->getBody();
  const Point ball = worldModel->getBall().getPos();
  const float back = std::min(
      body.getDistance(opponent) / MARK_BEHIND_DISTANCE_DIVISOR + MARK_BEHIND_MIN, MARK_BEHIND_MAX);
  const unsigned int post = body.getPostNum();
  if (!markBehind && ball.x > MARK_TOWARD_BALL_BALL_X && post > LAST_BACK_POST &&
      post != CENTRAL_POST) {
    Vector towardBall;
    towardBall.setByPoints(opponent, ball);
    towardBall.setAsPolar(MARK_TOWARD_BALL, towardBall.getDirection());
    return Point(opponent.x + towardBall.getX(), opponent.y + towardBall.getY());
  }
  return Point(opponent.x - back, opponent.y);
}

void Defense::checkGoalDist(Point& point) const {
  const unsigned int post = worldModel->getBody().getPostNum();
  Point anchor;
  if (post == 5) anchor = Point(GOAL_LINE_X, POST_ANCHOR_Y);
  if (post == 2) anchor = Point(GOAL_LINE_X, -POST_ANCHOR_Y);
  const Point ball = worldModel->getBall().getPos();
  const float ballDistance = ball.getDistance(anchor);
  const float half = ballDistance / 2.0f;
  const float pointDistance = point.getDistance(anchor);
  if ((ballDistance < GOAL_DIST_BALL_DISTANCE || ball.x < GOAL_DIST_BALL_X) &&
      pointDistance > half) {
    // pointDistance > half >= 0, so the division is safe.
    const float scale = half / pointDistance;
    point = Point(anchor.x + (point.x - anchor.x) * scale, anchor.y + (point.y - anchor.y) * scale);
  }
}

void Defense::checkForGoal(Point& point) {
  const Body& body = worldModel->getBody();
  const unsigned int post = body.getPostNum();
  if (post != 2 && post != 5) return;
  // Post 2 is the mirror image of post 5, with a longer reach along x.
  const float side = post == 5 ? 1.0f : -1.0f;
  const float homeHalfLength = post == 5 ? GUARD_HOME_HALF_LENGTH_5 : GUARD_HOME_HALF_LENGTH_2;
  const Point home = positioning.getHomePoint(body.getUniNum());
  if (!(std::fabs(home.x - GOAL_LINE_X) < homeHalfLength &&
        std::fabs(home.y - side * GUARD_POST_Y) < GUARD_HOME_HALF_WIDTH)) {
    return;
  }
  float x = GUARD_X;
  if (std::fabs(x - body.getPos().getX()) < GUARD_BODY_MARGIN && body.getPos().getX() < GUARD_X) {
    x = body.getPos().getX();
  }
  // With r the ratio of the ball's distances to the post and to the inner point, the place
  // runs from the post to the inner point as r^3 / (r^3 + 1); written with the distances
  // themselves, a ball on the inner point gives the inner point instead of a division by 0.
  const Point ball = worldModel->getBall().getPos();
  const double toPost =
      std::pow(double(ball.getDistance(Point(GOAL_LINE_X, side * GUARD_POST_Y))), 3);
  const double toInner =
      std::pow(double(ball.getDistance(Point(GOAL_LINE_X, side * GUARD_INNER_Y))), 3);
  const double share = toPost / (toPost + toInner);
  const float y = side * static_cast<float>(GUARD_POST_Y - (GUARD_POST_Y - GUARD_INNER_Y) * share);
  const float facing = ball.y < y ? -90.0f : 90.0f;
  point = Point(x, y);
  gotoTir(point, facing);
}

void Defense::gotoTir(Point target, float direction) {
  const Body& body = worldModel->getBody();
  const float distance = body.getDistance(target);
  if (distance <= TIR_TURN_DISTANCE) {
    TurnAngle turn(Degree::normalizeAngle(direction - body.getBodyDir()), body, 0.0f);
    preparedCommand = turn.takeCommand();
  } else if (distance < TIR_PRECISE_DISTANCE) {
    PreciseGotoPoint go(target, TIR_TURN_DISTANCE, body, true, TIR_ANGLE_TOLERANCE);
    preparedCommand = go.takeCommand();
  } else {
    DashNormalGotoPoint go(target, TIR_DASH_TOLERANCE, body, TIR_MAX_POWER);
    preparedCommand = go.takeCommand();
  }
}

void Defense::execute(SayDecisionFlags&) {
  logger["MainLog"] << "Defense::execute" << std::endl;
  publish(preparedCommand.get());
}

}  // namespace tovren
