#include "actions/withoutball/NonPlayOn.h"

#include "actions/basic/BasicDash.h"
#include "actions/basic/BasicKick.h"
#include "actions/basic/BasicTurn.h"
#include "connection/Command.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <ostream>
#include <utility>

namespace tovren {

namespace {

constexpr unsigned int POSTS_NUM = 11;
constexpr float SET_PLAY_VALUE = 100.0f;

// Kick-off points by post (index 0 unused); post 9 takes the kick-off next to the spot.
const Point KICK_OFF_POINTS[POSTS_NUM + 1] = {{0, 0},   {-47, 0},   {-13, -16},   {-16, -5},
                                              {-16, 5}, {-14, 16},  {-5, 13.5f},  {-5, -13.5f},
                                              {-12, 0}, {-0.5f, 0}, {-0.8f, -15}, {-0.8f, 15}};
// Closer than this to its point a player has arrived and only turns.
constexpr float KICK_OFF_ARRIVED_DISTANCE = 0.2f;  // metres
const Point CENTRE_SPOT(0, 0);
const Point OWN_GOAL_CENTRE(-52.5f, 0);
const Point OPP_GOAL_CENTRE(52.5f, 0);
// The distance a side keeps from the ball at the other side's set play.
constexpr float FREE_KICK_DISTANCE = 9.15f;  // metres

// The set-play taker kicks towards this point.
const Point KICK_AIM(50, 0);
// Out of the goalkeeper's way after its catch.
const Point BACK_BALL_POINT(-40, -10);
constexpr float BACK_BALL_MOVE_DISTANCE = 3.1f;  // metres
// The referee gives a free kick 200 cycles; the move is allowed only in its first two.
constexpr unsigned int BACK_BALL_MOVE_REMAIN_CYCLES = 198;

// Home points after our goalkeeper's catch, and at our goal kick with the ball on the
// positive or the other side; posts 3, 4 and 8 follow the ball at the goal kick.
const Point CATCH_HOME_POINTS[POSTS_NUM + 1] = {{0, 0},   {-47, 0},  {-33, -22}, {-33, 0},
                                                {-33, 8}, {-33, 28}, {-18, 28},  {-18, -18},
                                                {-30, 7}, {-2, 7},   {-2, -15},  {-2, 28}};
const Point GOAL_KICK_HOME_POINTS_BALL_Y_ABOVE_0[POSTS_NUM + 1] = {
    {0, 0},    {-47, 0},   {-30, -20}, {-33, -2}, {-39, 11}, {-30, 20},
    {-18, 15}, {-10, -15}, {-33, 11},  {-1, 0},   {-1, -20}, {-1, 20}};
const Point GOAL_KICK_HOME_POINTS_BALL_Y_NOT_ABOVE_0[POSTS_NUM + 1] = {
    {0, 0},    {-47, 0},   {-30, -20}, {-39, -11}, {-33, 2},  {-30, 20},
    {-18, 15}, {-10, -15}, {-33, -11}, {-1, 0},    {-1, -20}, {-1, 20}};
// The goalkeeper kicks out from here; within the distance it stands there.
const Point GOALIE_KICK_POINT(-40, 18);
constexpr float GOALIE_KICK_POINT_DISTANCE = 1.8f;  // metres
// A field player within the tolerance of its point turns to the ball.
constexpr float CATCH_HOME_TOLERANCE = 1.6f;  // metres
constexpr float CATCH_HOME_MAX_POWER = 100.0f;
constexpr float CATCH_TURN_TOLERANCE = 5.0f;  // degrees

// Above this many remaining cycles a held ball is worth waiting with.
constexpr unsigned int HOLD_BALL_PASS_REMAIN_CYCLES = 120;
constexpr float HOLD_BALL_PASS_VALUE = 35.0f;
constexpr float HOLD_BALL_WAIT_VALUE = 67.0f;

bool isKickMode(PlayMode mode) {
  switch (mode) {
    case PM_OUR_KICK_OFF:
    case PM_OUR_FREE_KICK:
    case PM_OUR_KICK_IN:
    case PM_OPP_OFFSIDE:
    case PM_OUR_GOAL_KICK:
    case PM_OUR_CORNER_KICK:
    case PM_OPP_FREE_KICK_FAULT:
    case PM_OPP_CATCH_FAULT:
    case PM_OPP_BACK_PASS:
    case PM_OUR_PENALTY_SETUP:
    case PM_OPP_PENALTY_SETUP:
    case PM_OUR_PENALTY_READY:
    case PM_OPP_PENALTY_READY:
      return true;
    default:
      return false;
  }
}

// The post of a uniform number; the check names the table that was asked.
unsigned int postOf(unsigned int uniNum) {
  const unsigned int post = Player::uniNumToPostNum(uniNum);
  TOVREN_CHECK_NAMED(post >= 1 && post <= POSTS_NUM, "0");
  return post;
}

}  // namespace

SetPlayAction::SetPlayAction(const WorldModel* worldModel) : AdvancedAction(worldModel) {}

SetPlayAction::~SetPlayAction() = default;

float SetPlayAction::getValue() {
  withdraw();
  return SET_PLAY_VALUE;
}

void SetPlayAction::publishBuilt(std::unique_ptr<Command> built) {
  preparedCommand = built ? std::move(built) : std::make_unique<EmptyCommand>();
  publish(preparedCommand.get());
}

NonPlayOnBeforeKickOff::NonPlayOnBeforeKickOff(const WorldModel* worldModel)
    : SetPlayAction(worldModel) {}

Point NonPlayOnBeforeKickOff::getMovePoint(unsigned int uniNum) {
  return KICK_OFF_POINTS[postOf(uniNum)];
}

Point NonPlayOnBeforeKickOff::getMovePoint() const {
  return getMovePoint(worldModel->getBody().getUniNum());
}

void NonPlayOnBeforeKickOff::execute(SayDecisionFlags&) {
  withdraw();
  const Body& body = worldModel->getBody();
  const Point move = getMovePoint();
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "NONPLAYON(BKO) movePoint : " << move << std::endl;

  const PlayMode mode = worldModel->getPlayMode();
  // Arrival is judged at the point the move goes to, the centre post's too, so that a
  // player standing there turns instead of sending the same move every cycle.
  const bool arrived = body.getDistance(move) < KICK_OFF_ARRIVED_DISTANCE;
  const bool placing = mode == PM_BEFORE_KICK_OFF || mode == PM_OUR_GOAL || mode == PM_OPP_GOAL;
  if (placing && !arrived) {
    publishBuilt(std::make_unique<MoveCommand>(move));
    return;
  }
  TurnToPoint turn(isKicker ? OWN_GOAL_CENTRE : CENTRE_SPOT, body, 0.0f);
  publishBuilt(turn.takeCommand());
}

NonPlayOnGotoKick::NonPlayOnGotoKick(const WorldModel* worldModel) : SetPlayAction(worldModel) {}

std::unique_ptr<Command> NonPlayOnGotoKick::goToKick(bool writeLog) {
  const Body& body = worldModel->getBody();
  const Ball& ball = worldModel->getBall();
  const Point ballPos(ball.getPos());
  LogStream& log = logger["MainLog"];
  if (isKickMode(worldModel->getPlayMode())) {
    if (writeLog) log << "GOTOKICK OK" << std::endl;
    Vector toAim;
    toAim.setByPoints(Point(body.getPos()), KICK_AIM);
    FreeKickGotoPoint go(ballPos, toAim.getDirection(), ball.getSize(), body);
    status = go.getStatus();
    return go.takeCommand();
  }
  if (writeLog) log << "GOTOKICK WHAT?(CHECK IT)" << std::endl;
  // Not our kick: keep the free kick distance from the ball and wait at its edge.
  ForbiddenAreaGotoPoint go(ballPos, ballPos, FREE_KICK_DISTANCE, body, false);
  status = go.getStatus();
  return go.takeCommand();
}

float NonPlayOnGotoKick::getValue() {
  withdraw();
  goToKick(true);
  return SET_PLAY_VALUE;
}

void NonPlayOnGotoKick::execute(SayDecisionFlags&) {
  withdraw();
  publishBuilt(goToKick(false));
}

NonPlayOnBackBall::NonPlayOnBackBall(const WorldModel* worldModel) : SetPlayAction(worldModel) {}

void NonPlayOnBackBall::execute(SayDecisionFlags&) {
  withdraw();
  const Body& body = worldModel->getBody();
  status = 0;
  if (worldModel->getPlayMode() == PM_OUR_FREE_KICK &&
      worldModel->getVirtualPlayMode() == VPM_OUR_GOALIE_CATCH_BALL &&
      body.getDistance(BACK_BALL_POINT) > BACK_BALL_MOVE_DISTANCE &&
      worldModel->getPlayModeRemainCycle() > BACK_BALL_MOVE_REMAIN_CYCLES) {
    publishBuilt(std::make_unique<MoveCommand>(BACK_BALL_POINT));
    return;
  }
  TurnToPoint turn(OPP_GOAL_CENTRE, body, 0.0f);
  publishBuilt(turn.takeCommand());
}

GoalieCatchOffense::GoalieCatchOffense(const WorldModel* worldModel) : SetPlayAction(worldModel) {}

Point GoalieCatchOffense::getHomePoint(unsigned int uniNum) const {
  const unsigned int post = postOf(uniNum);
  if (worldModel->getPlayMode() != PM_OUR_GOAL_KICK) return CATCH_HOME_POINTS[post];
  return worldModel->getBall().getPos().getY() > 0.0f
             ? GOAL_KICK_HOME_POINTS_BALL_Y_ABOVE_0[post]
             : GOAL_KICK_HOME_POINTS_BALL_Y_NOT_ABOVE_0[post];
}

Point GoalieCatchOffense::getHomePoint() const {
  return getHomePoint(worldModel->getBody().getUniNum());
}

void GoalieCatchOffense::execute(SayDecisionFlags&) {
  withdraw();
  const Body& body = worldModel->getBody();
  const Point home = getHomePoint();
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "GoalieCatchOffense(BKO) homePoint : " << home << std::endl;

  if (!body.isGoalie()) {
    if (body.getDistance(home) <= CATCH_HOME_TOLERANCE) {
      log << "GoalieCatchOffense player stat=turntoball" << std::endl;
      TurnToPoint turn(Point(worldModel->getBall().getPos()), body, CATCH_TURN_TOLERANCE);
      publishBuilt(turn.takeCommand());
      return;
    }
    DashNormalGotoPoint go(home, CATCH_HOME_TOLERANCE, body, CATCH_HOME_MAX_POWER);
    publishBuilt(go.takeCommand());
    return;
  }
  if (body.getDistance(GOALIE_KICK_POINT) > GOALIE_KICK_POINT_DISTANCE) {
    log << "GoalieCatchOffense goalie stat=1" << std::endl;
    status = GOTO_STATUS_MOVING;
    publishBuilt(std::make_unique<MoveCommand>(GOALIE_KICK_POINT));
    return;
  }
  log << "GoalieCatchOffense goalie stat=0" << std::endl;
  status = GOTO_STATUS_ARRIVED;
  publishBuilt(std::make_unique<EmptyCommand>());
}

HoldBall::HoldBall(const WorldModel* worldModel) : SetPlayAction(worldModel) {}

float HoldBall::getValue() {
  withdraw();
  LogStream& log = logger["MainLog"];
  if (worldModel->getPlayModeRemainCycle() <= HOLD_BALL_PASS_REMAIN_CYCLES) {
    log << "HoldBall::getValue (pass/value = 35)" << std::endl;
    return HOLD_BALL_PASS_VALUE;
  }
  log << "HoldBall::getValue (wait/value = 67)" << std::endl;
  return HOLD_BALL_WAIT_VALUE;
}

void HoldBall::execute(SayDecisionFlags&) {
  withdraw();
  logger["MainLog"] << "HoldBall::execute" << std::endl;
  const Body& body = worldModel->getBody();
  const Ball& ball = worldModel->getBall();
  KickToPointArriveVelocity kick(Point(ball.getPos()), 0.0f, ball, body, 0.0f);
  publishBuilt(kick.takeCommand());
}

}  // namespace tovren
