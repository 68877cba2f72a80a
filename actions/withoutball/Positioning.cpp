#include "actions/withoutball/Positioning.h"

#include "actions/basic/BasicDash.h"
#include "actions/basic/BasicTurn.h"
#include "connection/Command.h"
#include "foundation/Basics.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace tovren {

namespace {

// The formation rows given point by point; rows 2 and 4 are computed from them.
struct FormationRow {
  unsigned int row;
  float ballX;
  float yFactor;
  Point points[Positioning::POSTS_NUM - 1];  // post indexes 1 to 10
};

const FormationRow LITERAL_ROWS[] = {
    {0,
     -52.5f,
     0.35f,
     {{-49, -9},
      {-49, -3},
      {-49, 3},
      {-49, 9},
      {-34, 17},
      {-34, -17},
      {-45, 0},
      {-13, 0},
      {-10, -20},
      {-10, 20}}},
    {1,
     -23.0f,
     0.35f,
     {{-30, -15},
      {-30, -5},
      {-30, 5},
      {-30, 15},
      {-20, 12},
      {-20, -12},
      {-30, 0},
      {0, 0},
      {0, -18},
      {0, 18}}},
    {3,
     17.0f,
     0.35f,
     {{14, -17},
      {14, -5.8f},
      {14, 5.8f},
      {14, 17},
      {13, 20},
      {13, -20},
      {15, 0},
      {21.5f, 0},
      {23, -10},
      {23, 10}}},
    {5,
     52.5f,
     0.4f,
     {{10, -20},
      {0, -10},
      {0, 10},
      {10, 20},
      {32, 18},
      {32, -18},
      {14, 0},
      {49.5f, 0},
      {50, -6},
      {50, 6}}},
    // Only the anchor of row 4; home points never come from it.
    {7,
     52.5f,
     0.35f,
     {{10, -20},
      {0, -10},
      {0, 10},
      {10, 20},
      {46, 37},
      {46, -37},
      {14, 0},
      {46.5f, 0},
      {48, -3},
      {48, 3}}},
};
constexpr float COMPUTED_ROWS_Y_FACTOR = 0.35f;
constexpr float ROW_2_BALL_X = 0.0f;
constexpr float ROW_4_BALL_X = 28.0f;
// The wide posts keep their own places at a central ball.
const Point ROW_2_WIDE_PLUS_Y(0.5f, 6.0f);
const Point ROW_2_WIDE_MINUS_Y(0.5f, -6.0f);

// The last row a ball beyond the formation extrapolates from.
constexpr unsigned int LAST_LOWER_ROW = 4;

// Post indexes the rules single out.
constexpr unsigned int PI_WIDE_PLUS_Y = 5;
constexpr unsigned int PI_WIDE_MINUS_Y = 6;
constexpr unsigned int PI_CENTRAL = 7;
constexpr unsigned int PI_CENTRE_FORWARD = 8;
constexpr unsigned int PI_FORWARD_MINUS_Y = 9;
constexpr unsigned int PI_FORWARD_PLUS_Y = 10;

// Behind this ball x the defenders may stand farther ahead of the deepest teammates.
constexpr float DEEP_BALL_X = -38.0f;
constexpr float CENTRE_BACK_MARGIN = 2.0f;
constexpr float CENTRE_BACK_DEEP_MARGIN = 7.0f;
constexpr float CENTRAL_MARGIN = 3.6f;
constexpr float OFFSIDE_MARGIN = 3.5f;
// The back line and the central post never cross this x.
constexpr float DEFENDERS_MAX_X = -1.0f;
constexpr float FORWARDS_MAX_X = 50.0f;
constexpr float FORWARDS_BALL_X = 38.0f;
constexpr float CENTRE_FORWARD_MAX_X = 44.5f;
constexpr float WIDE_MAX_X = 39.0f;
constexpr float WIDE_BALL_X = 35.0f;
constexpr float WIDE_BALL_Y = 5.0f;
constexpr float WIDE_Y_FACTOR = 2.0f;
constexpr float FORWARDS_CLOSE_BALL_X = 40.0f;
constexpr float FORWARDS_CLOSE_BALL_Y = 15.0f;
constexpr float FORWARDS_CLOSE_Y_FACTOR = 0.1f;
constexpr float FORWARDS_SIDE_Y = 2.0f;
constexpr float HOME_MAX_Y = 32.0f;
constexpr float NEAR_GOAL_BALL_X = 36.0f;
constexpr float NEAR_GOAL_CENTRE_BALL_X = 40.0f;
constexpr float NEAR_GOAL_BALL_Y = 7.0f;
constexpr float NEAR_GOAL_MIN_X = 36.0f;
constexpr float FORWARDS_BACK_BALL_Y = 28.0f;
constexpr float FORWARDS_BACK_MAX = 7.0f;
constexpr float FORWARDS_OUT_Y = 1.5f;
constexpr float CENTRE_FORWARD_BACK_BALL_Y = 25.0f;
constexpr float CENTRE_FORWARD_BACK_MAX = 3.0f;

// Teammate limits: the partner centre back counts this far ahead of where he stands.
constexpr float PARTNER_X_OFFSET = 15.0f;
constexpr float NO_LIMIT = 65535.0f;
constexpr unsigned int UNI_CENTRAL = 5;
constexpr unsigned int UNI_CENTRE_BACK_PLUS_Y = 7;   // post 4
constexpr unsigned int UNI_CENTRE_BACK_MINUS_Y = 8;  // post 3

// Positioning command.
constexpr float GOTO_TOLERANCE = 1.5f;
constexpr float FREE_KICK_RADIUS = 9.15f;
constexpr float ARRIVED_TURN_TOLERANCE = 5.0f;  // degrees
constexpr float GOAL_KICK_X1 = 36.0f;
constexpr float GOAL_KICK_Y1 = -20.0f;
constexpr float GOAL_KICK_Y2 = 20.0f;
constexpr double SET_PLAY_BALL_Y_FACTOR = 0.15;
// A deep ball: the defenders go without a final direction.
constexpr float DEEP_FINAL_DIR_BALL_X = -32.0f;
constexpr float CENTRAL_FINAL_DIR_BALL_X = 10.0f;

bool isForward(unsigned int postIndex) {
  return postIndex == PI_FORWARD_MINUS_Y || postIndex == PI_FORWARD_PLUS_Y;
}

bool isDefender(unsigned int postIndex) {
  return (postIndex >= 1 && postIndex <= 4) || postIndex == PI_CENTRAL;
}

// The deepest field-player x among the own teammates of both lists: the smallest when our
// goalkeeper is seen, else the second smallest; 0 at most. fullSlotValue(k, player,
// value) decides whether full slot k counts, and with which value.
template <typename FullSlotValue>
float getTeammateLimit(const WorldModel& worldModel, FullSlotValue fullSlotValue) {
  bool goalieSeen = false;
  float smallest = NO_LIMIT;
  float second = NO_LIMIT;
  auto count = [&](float value) {
    if (value < smallest) {
      second = smallest;
      smallest = value;
    } else if (value < second) {
      second = value;
    }
  };
  auto fieldPlayerX = [&](const Player& player, float& value) {
    if (!player.isValid()) return false;
    if (player.isGoalie()) {
      goalieSeen = true;
      return false;
    }
    value = player.getPos().getX();
    return true;
  };
  for (unsigned int k = 0; k < WorldModel::FULL_PLAYERS_NUM; ++k) {
    const Player& player = worldModel.getFullPlayer(TID_TEAMMATE, k);
    float value = 0.0f;
    const bool counts = fieldPlayerX(player, value);
    if (fullSlotValue(k, player, counts, value)) count(value);
  }
  for (unsigned int k = 0; k < WorldModel::HALF_PLAYERS_NUM; ++k) {
    float value = 0.0f;
    if (fieldPlayerX(worldModel.getHalfPlayer(TID_TEAMMATE, k), value)) count(value);
  }
  return std::min(goalieSeen ? smallest : second, 0.0f);
}

// Set-play points by post at the opponents' goalie catch and goal kick.
struct SetPlayHome {
  unsigned int post;
  Point catchHome;
  Point goalKickHome;
};
const SetPlayHome SET_PLAY_HOMES[] = {
    {6, {18, 10}, {28, 10}},    {7, {18, -10}, {28, -10}}, {9, {25, 0}, {35, 0}},
    {10, {30, -20}, {35, -20}}, {11, {30, 20}, {35, 20}},
};

}  // namespace

Positioning::Positioning(const WorldModel* worldModel) : worldModel(worldModel) { setSimplePos(); }

void Positioning::setSimplePos() {
  for (const FormationRow& literal : LITERAL_ROWS) {
    yFactor[literal.row] = literal.yFactor;
    ballPoint[literal.row] = Point(literal.ballX, 0.0f);
    for (unsigned int i = 1; i < POSTS_NUM; ++i) formation[literal.row][i] = literal.points[i - 1];
  }
  // Row `to` lies between rows `from` and `towards` as its ball x lies between theirs.
  auto computeRow = [this](unsigned int to, float ballX, unsigned int from, unsigned int towards) {
    yFactor[to] = COMPUTED_ROWS_Y_FACTOR;
    ballPoint[to] = Point(ballX, 0.0f);
    const float ratio = (ballX - ballPoint[from].x) / (ballPoint[towards].x - ballPoint[from].x);
    for (unsigned int i = 1; i < POSTS_NUM; ++i) {
      const Point& a = formation[from][i];
      const Point& b = formation[towards][i];
      formation[to][i] = Point(a.x + ratio * (b.x - a.x), a.y + ratio * (b.y - a.y));
    }
  };
  computeRow(2, ROW_2_BALL_X, 1, 3);
  formation[2][PI_WIDE_PLUS_Y] = ROW_2_WIDE_PLUS_Y;
  formation[2][PI_WIDE_MINUS_Y] = ROW_2_WIDE_MINUS_Y;
  computeRow(4, ROW_4_BALL_X, 3, 7);
}

void Positioning::setHomePoints() {
  const Vector& ball = worldModel->getBall().getPos();
  const float bx = ball.getX();
  const float by = ball.getY();
  LogStream& log = logger["MainLog"];

  unsigned int s = 0;
  if (bx > ballPoint[LAST_LOWER_ROW].x) {
    s = LAST_LOWER_ROW;
  } else if (!(bx < ballPoint[0].x)) {
    while (s < LAST_LOWER_ROW && !(bx < ballPoint[s + 1].x)) ++s;
  }
  const float t = (bx - ballPoint[s].x) / (ballPoint[s + 1].x - ballPoint[s].x);

  for (unsigned int i = 1; i < POSTS_NUM; ++i) {
    const Point& low = formation[s][i];
    const Point& high = formation[s + 1][i];
    float x = low.x + t * (high.x - low.x);
    float y = low.y + t * (high.y - low.y);
    float f = yFactor[s] + t * (yFactor[s + 1] - yFactor[s]);

    if (isForward(i) && bx > FORWARDS_CLOSE_BALL_X && std::fabs(by) < FORWARDS_CLOSE_BALL_Y) {
      f = FORWARDS_CLOSE_Y_FACTOR;
    }
    if (i == PI_CENTRE_FORWARD) x = std::min(x, CENTRE_FORWARD_MAX_X);
    const bool wideToBall = (i == PI_WIDE_PLUS_Y && by < -WIDE_BALL_Y && bx > WIDE_BALL_X) ||
                            (i == PI_WIDE_MINUS_Y && by > WIDE_BALL_Y && bx > WIDE_BALL_X);
    if (wideToBall) {
      f = WIDE_Y_FACTOR;
      x = std::min(x, WIDE_MAX_X);
    }

    y = y + by * f;

    if (i == 2 || i == 3) {
      const float m = getMaxXFor34();
      x = std::min(x, m + (bx > DEEP_BALL_X ? CENTRE_BACK_MARGIN : CENTRE_BACK_DEEP_MARGIN));
      log << "maxXFor3&4 : " << m << std::endl;
    }
    if (i == PI_CENTRAL && bx > DEEP_BALL_X) {
      const float m = getMaxXFor7();
      x = std::min(x, m + CENTRAL_MARGIN);
      log << "maxXFor7 : " << m << std::endl;
    }

    const float offsideLine = worldModel->getOppOffsideLine(true);
    log << "oppOffsideLine : " << offsideLine << std::endl;
    const float offsideLimit = offsideLine - OFFSIDE_MARGIN;

    if (isForward(i) && bx > FORWARDS_BALL_X) x = std::min(std::max(x, bx), FORWARDS_MAX_X);

    if (i == PI_FORWARD_PLUS_Y) y = std::max(y, -FORWARDS_SIDE_Y);
    if (i == PI_FORWARD_MINUS_Y) y = std::min(y, FORWARDS_SIDE_Y);
    y = std::min(std::max(y, -HOME_MAX_Y), HOME_MAX_Y);

    const bool forwardOnBallSide = (i == PI_FORWARD_MINUS_Y && by < -NEAR_GOAL_BALL_Y) ||
                                   (i == PI_FORWARD_PLUS_Y && by > NEAR_GOAL_BALL_Y);
    if (forwardOnBallSide && bx > NEAR_GOAL_BALL_X) {
      const float back = Basics::reRate(std::fabs(by), NEAR_GOAL_BALL_Y, FORWARDS_BACK_BALL_Y, 0.0f,
                                        FORWARDS_BACK_MAX, RRM_DIRECT);
      x = std::max(x - back, NEAR_GOAL_MIN_X);
      y += i == PI_FORWARD_MINUS_Y ? -FORWARDS_OUT_Y : FORWARDS_OUT_Y;
    }
    if (i == PI_CENTRE_FORWARD && bx > NEAR_GOAL_CENTRE_BALL_X &&
        std::fabs(by) > NEAR_GOAL_BALL_Y) {
      const float back = Basics::reRate(std::fabs(by), NEAR_GOAL_BALL_Y, CENTRE_FORWARD_BACK_BALL_Y,
                                        0.0f, CENTRE_FORWARD_BACK_MAX, RRM_DIRECT);
      x = std::max(x - back, NEAR_GOAL_MIN_X);
    }
    // The wide posts near the goal do not cross to the far side of the middle.
    if (i == PI_WIDE_PLUS_Y && y < 0.0f && bx > WIDE_BALL_X) y = 0.0f;
    if (i == PI_WIDE_MINUS_Y && y > 0.0f && bx > WIDE_BALL_X) y = 0.0f;

    if (isDefender(i)) x = std::min(x, DEFENDERS_MAX_X);

    if (x > offsideLimit && worldModel->getPlayMode() == PM_PLAY_ON) x = offsideLimit;

    homePoint[i] = Point(x, y);
  }
}

Point Positioning::getHomePoint(unsigned int uniNum) const {
  TOVREN_CHECK(uniNum >= 1 && uniNum <= POSTS_NUM);
  return homePoint[Player::uniNumToPostNum(uniNum) - 1];
}

Point Positioning::getBasicPos(unsigned int postIndex) const {
  TOVREN_CHECK(postIndex < POSTS_NUM);
  return homePoint[postIndex];
}

float Positioning::getMaxXFor7() const {
  return getTeammateLimit(*worldModel, [](unsigned int k, const Player&, bool counts, float&) {
    return counts && k + 1 != UNI_CENTRAL;
  });
}

float Positioning::getMaxXFor34() const {
  const unsigned int ownPost = worldModel->getBody().getPostNum();
  // Each centre back counts his partner, well ahead of where he stands, and not himself.
  unsigned int partner = 0;
  if (ownPost == Player::uniNumToPostNum(UNI_CENTRE_BACK_MINUS_Y)) partner = UNI_CENTRE_BACK_PLUS_Y;
  if (ownPost == Player::uniNumToPostNum(UNI_CENTRE_BACK_PLUS_Y)) partner = UNI_CENTRE_BACK_MINUS_Y;
  return getTeammateLimit(
      *worldModel, [partner](unsigned int k, const Player& player, bool counts, float& value) {
        const unsigned int uniNum = k + 1;
        if (uniNum != UNI_CENTRE_BACK_PLUS_Y && uniNum != UNI_CENTRE_BACK_MINUS_Y) return counts;
        if (uniNum != partner || !player.isValid()) return false;
        value = player.getPos().getX() + PARTNER_X_OFFSET;
        return true;
      });
}

Point Positioning::getOppGoalieKickHome(Point target) const {
  const PlayMode playMode = worldModel->getPlayMode();
  const bool goalieCatch =
      playMode == PM_OPP_FREE_KICK && worldModel->getVirtualPlayMode() == VPM_OPP_GOALIE_CATCH_BALL;
  const bool goalKick = playMode == PM_OPP_GOAL_KICK;
  if (!goalieCatch && !goalKick) return target;

  logger["MainLog"] << "Positioning GoalieCatchOppHome model="
                    << (goalieCatch ? "catch" : "goalkick") << std::endl;
  const unsigned int post = worldModel->getBody().getPostNum();
  for (const SetPlayHome& home : SET_PLAY_HOMES) {
    if (home.post == post) target = goalieCatch ? home.catchHome : home.goalKickHome;
  }
  target.y = static_cast<float>(target.y + SET_PLAY_BALL_Y_FACTOR *
                                               double(worldModel->getBall().getPos().getY()));
  return target;
}

std::unique_ptr<Command> Positioning::getPositioningCommand(Point target) const {
  const Body& body = worldModel->getBody();
  const Point ball = worldModel->getBall().getPos();
  const PlayMode playMode = worldModel->getPlayMode();

  if (playMode == PM_PLAY_ON) {
    const unsigned int post = body.getPostNum();
    const float power = getDashPower(target);
    if (post >= 9) {
      DashNormalGotoPoint go(target, GOTO_TOLERANCE, body, power, 0.0f);
      return go.takeCommand();
    }
    const bool facesBall = post <= 5 || (post == 8 && ball.x < CENTRAL_FINAL_DIR_BALL_X);
    if (facesBall && ball.x > DEEP_FINAL_DIR_BALL_X) {
      DashNormalGotoPoint go(target, GOTO_TOLERANCE, body, power, getFinalBodyDir(target));
      return go.takeCommand();
    }
    DashNormalGotoPoint go(target, GOTO_TOLERANCE, body, power);
    return go.takeCommand();
  }

  LogStream& log = logger["MainLog"];
  log << "Positioning NPO " << std::endl;
  std::unique_ptr<ForbiddenAreaGotoPoint> go;
  if (playMode == PM_OUR_OFFSIDE) {
    log << "Positioning  NPO Offside NPOX" << std::endl;
    go = std::make_unique<ForbiddenAreaGotoPoint>(target, ball, FREE_KICK_RADIUS, body, true);
  } else if (playMode == PM_OPP_GOAL_KICK) {
    log << "Positioning  NPO GoalKickOpp NPOX" << std::endl;
    go = std::make_unique<ForbiddenAreaGotoPoint>(getOppGoalieKickHome(target), GOAL_KICK_X1,
                                                  GOAL_KICK_Y1, GOAL_KICK_Y2, body);
  } else if (playMode == PM_OPP_FREE_KICK &&
             worldModel->getVirtualPlayMode() == VPM_OPP_GOALIE_CATCH_BALL) {
    log << "Positioning  NPO GoalieCatchOpp NPOX" << std::endl;
    go = std::make_unique<ForbiddenAreaGotoPoint>(getOppGoalieKickHome(target), ball,
                                                  FREE_KICK_RADIUS, body, false);
  } else {
    log << "Positioning  NPO Other  NPOX" << std::endl;
    go = std::make_unique<ForbiddenAreaGotoPoint>(target, ball, FREE_KICK_RADIUS, body, false);
  }
  if (go->getStatus() != GOTO_STATUS_ARRIVED) return go->takeCommand();
  TurnToPoint turn(ball, body, ARRIVED_TURN_TOLERANCE);
  return turn.takeCommand();
}

float Positioning::getDashPower(const Point& target) const {
  const Body& body = worldModel->getBody();
  const unsigned int post = body.getPostNum();
  TOVREN_CHECK(post >= 1 && post <= POSTS_NUM);
  const Point b = body.getPos();
  const float ballX = worldModel->getBall().getPos().getX();
  const float stamina = body.getStamina();
  const float incMax = body.getStaminaIncMax();
  const float d = b.getDistance(target);

  float power = 100.0f;
  if (post >= 2 && post <= 5) {
    if (target.x > b.x && target.x > -36.0f && ballX < 0.0f) {
      power = 60.0f;
      if (stamina < 2300.0f) power = incMax;
    }
    if (ballX > 0.0f && b.x - target.x <= 4.0f && stamina < 2800.0f) power = incMax * 0.5f;
    if (ballX > 15.0f && b.x - target.x <= 6.0f && stamina < 2800.0f) power = incMax / 3.0f;
  } else if (post == 7 || post == 8) {
    power = 85.0f;
    if (stamina < 2300.0f) power = incMax;
    if (stamina < 2000.0f) power = incMax * 0.5f;
  } else if (post != 1 && b.x <= target.x) {
    if (d < 5.0f) power = 80.0f;
    if (d < 3.0f) power = 50.0f;
    if (d < 1.5f) power = 0.0f;
  } else if (post != 1) {
    if (ballX < 20.0f) {
      power = 80.0f;
      if (stamina < 1700.0f) power = incMax;
      if (stamina < 1600.0f) power = incMax * 0.5f;
    }
    if (ballX < 5.0f) {
      power = 65.0f;
      if (stamina < 2300.0f) power = incMax;
      if (stamina < 2000.0f) power = incMax * 0.5f;
    }
    if (ballX < -10.0f) {
      power = 40.0f;
      if (stamina < 2700.0f) power = incMax;
      if (stamina < 2300.0f) power = incMax / 3.0f;
    }
    if (d < 7.0f) power = incMax * 0.5f;
    if (d < 3.0f) power = 0.0f;
  }
  return power;
}

float Positioning::getFinalBodyDir(const Point& target) const {
  const unsigned int post = worldModel->getBody().getPostNum();
  const float ballY = worldModel->getBall().getPos().getY();
  float direction = ballY > target.y ? 90.0f : -90.0f;
  switch (post) {
    case 2:
      if (ballY > -12.0f) direction = 180.0f;
      break;
    case 3:
      if (ballY > 0.0f) direction = 180.0f;
      if (ballY < -15.0f) direction = -135.0f;
      break;
    case 4:
      if (ballY < 0.0f) direction = 180.0f;
      if (ballY > 15.0f) direction = 135.0f;
      break;
    case 5:
      if (ballY < 12.0f) direction = 180.0f;
      break;
    case 8:
      if (std::fabs(ballY) > 12.0f) direction = 180.0f;
      break;
    default:
      break;
  }
  return direction;
}

}  // namespace tovren
