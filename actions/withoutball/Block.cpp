#include "actions/withoutball/Block.h"

#include "actions/basic/BasicDash.h"
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

constexpr float BLOCK_VALUE = 1000.0f;
constexpr float GOAL_LINE_X = -52.5f;

// Up the field the winner is taken to run straight back, slowly, against teammates that
// react late; deep in our half he runs at the goal centre, faster.
constexpr float DEEP_BALL_X = -35.0f;
constexpr float FAR_DRIBBLE_SPEED = 0.85f;
constexpr float DEEP_DRIBBLE_SPEED = 1.1f;
constexpr unsigned int FAR_SEE_BALL_DELAY = 3;
constexpr unsigned int DEEP_SEE_BALL_DELAY = 2;
constexpr float FAR_DASH_POWER = 15.0f;
constexpr float DEEP_DASH_POWER = 20.0f;
constexpr float SPEED_STEP = 0.05f;

constexpr float GOTO_TOLERANCE = 0.2f;
constexpr float GOTO_ANGLE_TOLERANCE = 20.0f;  // degrees
constexpr float TRACE_AHEAD = 10.0f;

// The back line's limits and the central midfielder's trace change at this ball x.
constexpr float LIMIT_BALL_X = -30.0f;

// Posts 2 and 5: how far ahead of the home point the block may lie.
constexpr float OUTER_MAX_DELTA_Y = 6.0f;
constexpr float OUTER_FORWARD = -4.8f;
constexpr float OUTER_FORWARD_AFTER_BLOCK = -11.0f;
constexpr float OUTER_FORWARD_DEEP = -2.5f;
constexpr float OUTER_FORWARD_DEEP_AFTER_BLOCK = -4.0f;
constexpr float TIRED_STAMINA = 2000.0f;
constexpr float TIRED_FORWARD = -2.0f;
constexpr float EXHAUSTED_STAMINA = 1700.0f;
constexpr float EXHAUSTED_FORWARD = -1.0f;

// Posts 3 and 4.
constexpr float INNER_MAX_DELTA_Y = 6.0f;
constexpr float INNER_MAX_DELTA_Y_AFTER_BLOCK = 7.2f;
constexpr float INNER_FORWARD = -4.5f;
constexpr float INNER_FORWARD_DEEP = -2.0f;
constexpr float INNER_FORWARD_DEEP_AFTER_BLOCK = -3.5f;
constexpr float INNER_MAX_BEHIND_BALL = 5.0f;

// Post 8.
constexpr float CENTRAL_LOG_BALL_X = 5.0f;
constexpr float CENTRAL_MAX_DELTA_Y = 4.0f;
constexpr float CENTRAL_MAX_DELTA_X = 4.0f;
constexpr float CENTRAL_MAX_DELTA_X_FAR = 2.0f;

}  // namespace

Block::Block(const WorldModel* worldModel, const Positioning& positioning)
    : AdvancedAction(worldModel), positioning(positioning) {}

Block::~Block() = default;

float Block::getValue() {
  LogStream& log = logger["MainLog"];
  log << "Block::getValue" << std::endl;
  preparedCommand.reset();
  const InterceptCalculate& prediction = worldModel->getCurInterCalculate();
  if (!prediction.existFastestPlayer()) {
    log << "BLOCK AD_MIN_VALUE 1" << std::endl;
    return AD_MIN_VALUE;
  }
  const Player& winner = prediction.getFastestPlayer();
  const Body& body = worldModel->getBody();
  const Point ball = worldModel->getBall().getPos();

  const bool deep = !(ball.x > DEEP_BALL_X);
  const Point aim(GOAL_LINE_X, deep ? 0.0f : ball.y);
  Vector toAim;
  toAim.setByPoints(ball, aim);
  const float blockDir = toAim.getDirection();

  interCalculate.startSession(0, nullptr, &winner);
  interCalculate.setTmmSeeBallDelay(deep ? DEEP_SEE_BALL_DELAY : FAR_SEE_BALL_DELAY);
  interCalculate.setTmmSlowDashPower(deep ? DEEP_DASH_POWER : FAR_DASH_POWER);
  interCalculate.setTmmDirectDashPower(deep ? DEEP_DASH_POWER : FAR_DASH_POWER);
  interCalculate.addPlayer(body, false, false, true);
  interCalculate.addPlayer(winner, false, true, true);
  searchBlock(deep ? DEEP_DRIBBLE_SPEED : FAR_DRIBBLE_SPEED, blockDir);
  if (!interCalculate.existFastestPlayer()) {
    log << "BLOCK RETURN AD_MIN_VALUE 2 " << std::endl;
    return AD_MIN_VALUE;
  }
  blockPoint = interCalculate.getFastestInterPlayer().getInterPoint();

  const float bodyDistance = body.getDistance(blockPoint);
  Vector fromBlockToBody;
  fromBlockToBody.setByPoints(blockPoint, body.getPos());
  Vector blockAbsVector;
  blockAbsVector.setAsPolar(bodyDistance,
                            Degree::getDeltaAngle(blockDir, fromBlockToBody.getDirection()));
  if (log.isOutValid()) {
    Vector ahead;
    ahead.setAsPolar(TRACE_AHEAD, blockDir);
    ahead += body.getPos();
    log << "worldModel->getCurInterCalculate().getFastestPlayer().getPos() : " << winner.getPos()
        << std::endl;
    log << "maxBasicDist : " << bodyDistance / 5.0f + 1.5f << std::endl;
    log << "blockPoint : " << blockPoint << std::endl;
    log << "changedBlockPoint : " << ahead << std::endl;
  }

  if (!limitByPost()) return AD_MIN_VALUE;

  if (log.isOutValid()) {
    log << "BLOCK fabs(blockAbsVector.getDirection() ( > 110) : "
        << std::fabs(blockAbsVector.getDirection()) << std::endl;
    log << "BLOCK fabs(blockAbsVector.getY()) : ( < 8 )" << std::fabs(blockAbsVector.getY())
        << std::endl;
  }

  PreciseGotoPoint go(blockPoint, GOTO_TOLERANCE, body, false, GOTO_ANGLE_TOLERANCE);
  preparedCommand = go.takeCommand();
  if (preparedCommand == nullptr) preparedCommand = std::make_unique<EmptyCommand>();
  return BLOCK_VALUE;
}

unsigned int Block::searchBlock(float speed, float direction) {
  unsigned int runs = 0;
  while (runs < MAX_SEARCH_RUNS) {
    Vector dribble;
    dribble.setAsPolar(speed, direction);
    interCalculate.setVirtualBall(worldModel->getBall());
    interCalculate.setBlockedBallVel(dribble);
    interCalculate.run();
    ++runs;
    if (interCalculate.existFastestPlayer() || speed < 0.0f) break;
    speed -= SPEED_STEP;
  }
  return runs;
}

bool Block::limitByPost() {
  const Body& body = worldModel->getBody();
  const unsigned int post = body.getPostNum();
  if (post <= 5) blockPoint.x = std::min(blockPoint.x, 0.0f);
  if (post <= 5 || post == 8) return isWithinHomeLimits();
  if (post == 6 || post == 7) {
    const float line = worldModel->getTmmOffsideLine(true);
    if (blockPoint.x < line && body.getPos().getX() != line) {
      logger["MainLog"] << "AKHARIN TOF" << std::endl;
      blockPoint.x = line;
    }
  }
  return true;
}

bool Block::isWithinHomeLimits() const {
  const Body& body = worldModel->getBody();
  const float bodyX = body.getPos().getX();
  const float ballX = worldModel->getBall().getPos().getX();
  const bool afterBlock = lastDecide == DT_BLOCK;
  const Point home = positioning.getHomePoint(body.getUniNum());
  const float deltaX = home.x - blockPoint.x;
  const float deltaY = home.y - blockPoint.y;
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) {
    log << "VOSKAR : BLOCK : deltaX , deltaY : " << deltaX << " " << deltaY << std::endl;
    log << "VOSKAR : BLOCK : localHomePoint : " << home << std::endl;
  }

  switch (body.getPostNum()) {
    case 2:
    case 5: {
      // Signed on purpose: only a block towards the middle for post 5, towards the touchline
      // for post 2, is too far across.
      if (deltaY > OUTER_MAX_DELTA_Y) return false;
      float forward = OUTER_FORWARD;
      if (ballX > LIMIT_BALL_X && afterBlock) forward = OUTER_FORWARD_AFTER_BLOCK;
      if (ballX < LIMIT_BALL_X) {
        forward = afterBlock ? OUTER_FORWARD_DEEP_AFTER_BLOCK : OUTER_FORWARD_DEEP;
      }
      if (body.getStamina() < TIRED_STAMINA) forward = TIRED_FORWARD;
      if (body.getStamina() < EXHAUSTED_STAMINA) forward = EXHAUSTED_FORWARD;
      return !(deltaX < forward && blockPoint.x > bodyX);
    }
    case 3:
    case 4: {
      const float maxDeltaY = afterBlock ? INNER_MAX_DELTA_Y_AFTER_BLOCK : INNER_MAX_DELTA_Y;
      if (std::fabs(deltaY) >= maxDeltaY) return false;
      float forward = INNER_FORWARD;
      if (ballX < LIMIT_BALL_X) {
        forward = afterBlock ? INNER_FORWARD_DEEP_AFTER_BLOCK : INNER_FORWARD_DEEP;
      }
      if (deltaX <= forward && bodyX <= blockPoint.x) return false;
      return !(bodyX - ballX < -INNER_MAX_BEHIND_BALL);
    }
    case 8: {
      if (ballX > LIMIT_BALL_X && ballX <= CENTRAL_LOG_BALL_X && log.isOutValid()) {
        log << "SALAM Block 1 : Dx,Dy" << deltaX << " " << deltaY << std::endl;
      }
      const float maxDeltaX =
          ballX > CENTRAL_LOG_BALL_X ? CENTRAL_MAX_DELTA_X_FAR : CENTRAL_MAX_DELTA_X;
      if (std::fabs(deltaY) > CENTRAL_MAX_DELTA_Y) return false;
      return !(std::fabs(deltaX) > maxDeltaX && bodyX < blockPoint.x);
    }
    default:
      return true;
  }
}

void Block::execute(SayDecisionFlags&) {
  logger["MainLog"] << "Block::execute" << std::endl;
  publish(preparedCommand.get());
}

}  // namespace tovren
