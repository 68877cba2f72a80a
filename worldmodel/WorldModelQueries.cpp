#include "worldmodel/WorldModel.h"

#include "foundation/Basics.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/Player.h"

#include <cmath>
#include <cstddef>
#include <ostream>

namespace tovren {

namespace {

constexpr float FIELD_HALF_LENGTH = 52.5f;
constexpr float FIELD_HALF_WIDTH = 34.0f;
// The ball counts as in the field a little beyond the lines, where it is still in play.
constexpr float BALL_IN_FIELD_HALF_LENGTH = 53.0f;
constexpr float BALL_IN_FIELD_HALF_WIDTH = 34.5f;
constexpr float OWN_GOAL_LINE_X = -FIELD_HALF_LENGTH;
constexpr float SHOT_GOAL_HALF_WIDTH = 8.5f;
// A rolling shot is followed until it is this slow.
constexpr float SHOT_STOP_SPEED = 0.4f;
// Far more steps than a ball at top speed needs to slow down to the stop speed with any
// real decay; with a decay of 1 or more the roll-out still ends here.
constexpr unsigned int SHOT_ROLL_OUT_MAX_STEPS = 100;
constexpr float SHOT_LINE = -51.0f;
constexpr float SHOT_BETWEEN_LINE = -51.5f;
// A crossing between two given y values may miss them by this much.
constexpr float SHOT_BETWEEN_MARGIN = 1.0f;
constexpr float SHOOT_AREA_HALF_WIDTH = 25.0f;
constexpr float OUR_SHOOT_AREA_X = -20.0f;
constexpr float OPP_SHOOT_AREA_X = 30.0f;
constexpr float NO_EXTREME = 65535.0f;
// A goalie before a line weighs as much as three field players.
constexpr unsigned int GOALIE_LINE_WEIGHT = 3;
// Uniform numbers 1 to 5 and 8 (slots 0..4 and 7) make the defence.
constexpr unsigned int DEFENDER_SLOTS[] = {0, 1, 2, 3, 4, 7};
// getSeeDeltaCycle: within this of a part its own counter answers; within the other
// bound the nearer neighbour is blended in.
constexpr float VIEW_PART_OWN_ANGLE = 5.0f;
constexpr float VIEW_PART_BLEND_ANGLE = 22.0f;

// The x a copy of the ball reaches when rolled out with its own motion.
float rolledOutX(const Ball& ball, const Body& body) {
  Ball copy = ball;
  for (unsigned int step = 0;
       step < SHOT_ROLL_OUT_MAX_STEPS && copy.getVel().getMagnitude() > SHOT_STOP_SPEED; ++step) {
    copy.simulateByDynamics(body, BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);
  }
  return copy.getPos().getX();
}

// The y at which the ball's line of motion crosses the own goal line; false when it runs
// parallel to it.
bool goalLineCrossing(const Ball& ball, float& crossY) {
  const float vx = ball.getVel().getX();
  if (vx == 0.0f) return false;
  crossY =
      ball.getPos().getY() + ball.getVel().getY() * (OWN_GOAL_LINE_X - ball.getPos().getX()) / vx;
  return true;
}

// The first valid goalie of a team's full records, then of its half records; null when
// there is none.
template <std::size_t F, std::size_t H>
const Player* firstGoalie(Player* const (&fullRecords)[F], Player* const (&halfRecords)[H]) {
  for (const Player* player : fullRecords)
    if (player->isValid() && player->isGoalie()) return player;
  for (const Player* player : halfRecords)
    if (player->isValid() && player->isGoalie()) return player;
  return nullptr;
}

}  // namespace

// ---- Ball and kicking ----

bool WorldModel::isBallKickable() const { return isBallKickable(*ball); }

bool WorldModel::isBallKickable(const Ball& ball) const {
  const float kickDistance = ball.getSize() + body->getKickableMargin() + body->getSize();
  return ball.getAbsVec().getMagnitude() <= kickDistance;
}

bool WorldModel::isBallCatchable() const { return isBallCatchable(*ball); }

bool WorldModel::isBallCatchable(const Ball& ball) const {
  // The catch is aimed at the ball, so its area reaches the area's length along that
  // line, not the corner's distance: a ball beyond it would make the catch fail.
  return body->getCatchableAreaL() > ball.getAbsVec().getMagnitude();
}

bool WorldModel::isBallInTmmKickable() const { return isBallInTmmKickable(*ball); }

bool WorldModel::isBallInTmmKickable(const Ball& ball) const {
  const float kickDistance = ball.getSize() + body->getKickableMargin() + body->getSize();
  const Point at(ball.getPos());
  for (const Player* player : fullPlayers[TID_TEAMMATE]) {
    if (player->isValid() && !player->isBody() && player->getDistance(at) <= kickDistance)
      return true;
  }
  for (const Player* player : halfPlayers[TID_TEAMMATE]) {
    if (player->isValid() && !player->isBody() && player->getDistance(at) <= kickDistance)
      return true;
  }
  return false;
}

bool WorldModel::isBallInOppKickable() const { return isBallInOppKickable(*ball); }

bool WorldModel::isBallInOppKickable(const Ball& ball) const {
  const float kickDistance = ball.getSize() + body->getKickableMargin() + body->getSize();
  const Point at(ball.getPos());
  for (const Player* player : fullPlayers[TID_OPPONENT]) {
    if (player->isValid() && player->getDistance(at) <= kickDistance) return true;
  }
  for (const Player* player : halfPlayers[TID_OPPONENT]) {
    if (player->isValid() && player->getDistance(at) <= kickDistance) return true;
  }
  return false;
}

bool WorldModel::isBallInField() const { return isBallInField(*ball); }

bool WorldModel::isBallInField(const Ball& ball) {
  const float x = ball.getPos().getX();
  const float y = ball.getPos().getY();
  return x > -BALL_IN_FIELD_HALF_LENGTH && x < BALL_IN_FIELD_HALF_LENGTH &&
         y > -BALL_IN_FIELD_HALF_WIDTH && y < BALL_IN_FIELD_HALF_WIDTH;
}

float WorldModel::getBallOutDistance() const { return getOutDistance(Point(ball->getPos())); }

float WorldModel::getOutDistance(const Point& point) {
  float dx = 0.0f;
  if (point.x < -FIELD_HALF_LENGTH)
    dx = -FIELD_HALF_LENGTH - point.x;
  else if (point.x > FIELD_HALF_LENGTH)
    dx = point.x - FIELD_HALF_LENGTH;
  float dy = 0.0f;
  if (point.y < -FIELD_HALF_WIDTH)
    dy = -FIELD_HALF_WIDTH - point.y;
  else if (point.y > FIELD_HALF_WIDTH)
    dy = point.y - FIELD_HALF_WIDTH;
  return detail::hypotOf(dx, dy);
}

bool WorldModel::isOppBallShooted(const Ball& ball) const {
  float crossY = 0.0f;
  if (!goalLineCrossing(ball, crossY)) return false;
  if (std::fabs(crossY) > SHOT_GOAL_HALF_WIDTH) return false;
  const float line = ball.getPos().getX() < SHOT_LINE ? OWN_GOAL_LINE_X : SHOT_LINE;
  return rolledOutX(ball, *body) < line;
}

bool WorldModel::isOppBallShootedToTir(const Ball& ball, float maxY, float minY,
                                       Point& crossPoint) const {
  float crossY = 0.0f;
  if (!goalLineCrossing(ball, crossY)) return false;
  if (crossY < minY - SHOT_BETWEEN_MARGIN || crossY > maxY + SHOT_BETWEEN_MARGIN) return false;
  const float line = ball.getPos().getX() < SHOT_BETWEEN_LINE ? OWN_GOAL_LINE_X : SHOT_BETWEEN_LINE;
  if (rolledOutX(ball, *body) >= line) return false;
  crossPoint = Point(OWN_GOAL_LINE_X, crossY);
  return true;
}

// ---- Lines and players ----

float WorldModel::getTmmDefenseLine() const {
  float line = NO_EXTREME;
  bool found = false;
  for (unsigned int slot : DEFENDER_SLOTS) {
    const Player& player = *fullPlayers[TID_TEAMMATE][slot];
    if (!player.isValid()) continue;
    found = true;
    if (player.getPos().getX() < line) line = player.getPos().getX();
  }
  return found ? line : OWN_GOAL_LINE_X;
}

float WorldModel::getOppOffsideLine(bool withBall) const {
  const bool goalieKnown = getOppGoalie() != nullptr;

  // With the goalie known, the last field player makes the line; else the second last.
  float largest = -NO_EXTREME;
  float second = -NO_EXTREME;
  auto consider = [&](const Player& player) {
    if (!player.isValid()) return;
    const float x = player.getPos().getX();
    if (goalieKnown) {
      if (!player.isGoalie() && x > largest) largest = x;
    } else if (x > largest) {
      second = largest;
      largest = x;
    } else if (x > second) {
      second = x;
    }
  };
  for (const Player* player : fullPlayers[TID_OPPONENT]) consider(*player);
  for (const Player* player : halfPlayers[TID_OPPONENT]) consider(*player);

  float line = goalieKnown ? largest : second;
  if (withBall && ball->getPos().getX() > line) line = ball->getPos().getX();
  return line < 0.0f ? 0.0f : line;
}

float WorldModel::getTmmOffsideLine(bool withBall) const {
  const bool goalieKnown = getTmmGoalie() != nullptr;

  float smallest = NO_EXTREME;
  float second = NO_EXTREME;
  auto consider = [&](const Player& player) {
    if (!player.isValid()) return;
    const float x = player.getPos().getX();
    if (goalieKnown) {
      if (!player.isGoalie() && x < smallest) smallest = x;
    } else if (x < smallest) {
      second = smallest;
      smallest = x;
    } else if (x < second) {
      second = x;
    }
  };
  for (const Player* player : fullPlayers[TID_TEAMMATE]) consider(*player);
  for (const Player* player : halfPlayers[TID_TEAMMATE]) consider(*player);

  float line = goalieKnown ? smallest : second;
  if (withBall && ball->getPos().getX() < line) line = ball->getPos().getX();
  return line > 0.0f ? 0.0f : line;
}

unsigned int WorldModel::getOppPlayersBeforeLine(float line) const {
  unsigned int count = 0;
  auto consider = [&](const Player& player) {
    if (player.isValid() && player.getPos().getX() <= line)
      count += player.isGoalie() ? GOALIE_LINE_WEIGHT : 1;
  };
  for (const Player* player : fullPlayers[TID_OPPONENT]) consider(*player);
  for (const Player* player : halfPlayers[TID_OPPONENT]) consider(*player);
  return count;
}

unsigned int WorldModel::getOppPlayersBetweenLines(float line1, float line2) const {
  // Either order of the lines; an unsigned difference must not wrap.
  const unsigned int before1 = getOppPlayersBeforeLine(line1);
  const unsigned int before2 = getOppPlayersBeforeLine(line2);
  return before1 > before2 ? before1 - before2 : before2 - before1;
}

const Player& WorldModel::getNearestTmmToBall() const {
  const Player* nearest = body;
  float nearestDist = NO_EXTREME;
  bool found = false;
  for (const Player* player : fullPlayers[TID_TEAMMATE]) {
    if (!player->isValid()) continue;
    const float dist = player->getDistance(*ball);
    if (!found || dist < nearestDist) {
      nearest = player;
      nearestDist = dist;
      found = true;
    }
  }
  return *nearest;
}

const Player* WorldModel::getNearestOppToBall() const {
  const Player* nearest = nullptr;
  float nearestDist = NO_EXTREME;
  for (const Player* player : fullPlayers[TID_OPPONENT]) {
    if (!player->isValid()) continue;
    const float dist = player->getDistance(*ball);
    if (nearest == nullptr || dist < nearestDist) {
      nearest = player;
      nearestDist = dist;
    }
  }
  return nearest;
}

const Player* WorldModel::getTmmGoalie() const {
  return firstGoalie(fullPlayers[TID_TEAMMATE], halfPlayers[TID_TEAMMATE]);
}

const Player* WorldModel::getOppGoalie() const {
  return firstGoalie(fullPlayers[TID_OPPONENT], halfPlayers[TID_OPPONENT]);
}

bool WorldModel::isPlayerInOurField(const Player& player) { return player.getPos().getX() <= 0.0f; }

bool WorldModel::isPlayerInOppField(const Player& player) { return player.getPos().getX() > 0.0f; }

bool WorldModel::isPlayerInOurShootArea(const Player& player) {
  const float y = player.getPos().getY();
  return player.getPos().getX() < OUR_SHOOT_AREA_X && y > -SHOOT_AREA_HALF_WIDTH &&
         y < SHOOT_AREA_HALF_WIDTH;
}

bool WorldModel::isPlayerInOppShootArea(const Player& player) {
  const float y = player.getPos().getY();
  return player.getPos().getX() > OPP_SHOOT_AREA_X && y > -SHOOT_AREA_HALF_WIDTH &&
         y < SHOOT_AREA_HALF_WIDTH;
}

// ---- View parts ----

float WorldModel::getSeeDeltaCycle(float direction, float neighbourWeight) const {
  for (unsigned int i = 0; i < VIEW_PARTS_NUM; ++i) {
    const float delta = Degree::getDeltaAngle(direction, viewPartDir[i]);
    if (std::fabs(delta) < VIEW_PART_OWN_ANGLE) return static_cast<float>(viewPartCycle[i]);
    if (std::fabs(delta) < VIEW_PART_BLEND_ANGLE) {
      const unsigned int neighbour =
          delta > 0.0f ? (i + 1) % VIEW_PARTS_NUM : (i + VIEW_PARTS_NUM - 1) % VIEW_PARTS_NUM;
      return (1.0f - neighbourWeight) * viewPartCycle[i] +
             neighbourWeight * viewPartCycle[neighbour];
    }
  }
  // The parts lie 40 degrees apart, so only a direction that is not a number gets here.
  TOVREN_CHECK_NAMED(false, "0");
  return static_cast<float>(VIEW_PART_CYCLE_MAX);
}

// ---- Interception prediction and ball status ----

void WorldModel::updateCurInterCalculate() {
  curInterCalculate.startSession(0, nullptr, nullptr);
  curInterCalculate.updateByWorldModel(this, false, false, false);
  curInterCalculate.run();
  curInterCalculate.logCheckedPlayers();
}

void WorldModel::updateBallStatus() {
  const InterceptCalculate& prediction = curInterCalculate;
  if (!prediction.existFastestPlayer()) {
    ballStatus = BS_FreeBall;
  } else {
    const bool bodyKicks = isBallKickable();
    const bool tmmKicks = isBallInTmmKickable();
    const bool oppKicks = isBallInOppKickable();
    const unsigned int tmmCatchers = prediction.getTmmCheckedPlayersNum();
    const unsigned int oppCatchers = prediction.getOppCheckedPlayersNum();
    const bool bodyCatches = prediction.getCheckedListNum(*body) != InterceptCalculate::NONE;
    if (bodyKicks && oppKicks)
      ballStatus = BS_KICKABLE_BODY_OPP;
    else if (bodyKicks && tmmKicks)
      ballStatus = BS_KICKABLE_BODY_TMM;
    else if (bodyKicks)
      ballStatus = BS_KICKABLE_BODY;
    else if (tmmKicks && oppKicks)
      ballStatus = BS_KICKABLE_TMM_OPP;
    else if (tmmKicks)
      ballStatus = BS_KICKABLE_TMM;
    else if (oppKicks)
      ballStatus = BS_KICKABLE_OPP;
    else if (bodyCatches && oppCatchers > 0)
      ballStatus = BS_FREE_BALL_BODY_OPP;
    else if (bodyCatches && tmmCatchers > 1)
      ballStatus = BS_FREE_BALL_BODY_TMM;
    else if (bodyCatches)
      ballStatus = BS_FREE_BALL_BODY;
    else if (tmmCatchers > 0 && oppCatchers > 0)
      ballStatus = BS_FREE_BALL_TMM_OPP;
    else if (tmmCatchers > 0)
      ballStatus = BS_FREE_BALL_TMM;
    else
      ballStatus = BS_FREE_BALL_OPP;
  }
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "ballStatus: " << ballStatus << std::endl;
}

}  // namespace tovren
