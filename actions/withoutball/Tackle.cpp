#include "actions/withoutball/Tackle.h"

#include "connection/Command.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace tovren {

namespace {

// Wider than this to either side of the body direction, the ball is never tackled.
constexpr float MAX_BALL_ANGLE = 85.0f;  // degrees
constexpr float MAX_FAIL_PROBABILITY = 0.5f;
constexpr float TACKLE_POWER = 100.0f;
// A body facing its own half tackles backwards.
constexpr float OWN_HALF_FACING = 90.0f;  // degrees

float sixthPower(float value) {
  const float cube = value * value * value;
  return cube * cube;
}

bool isPenaltyMode(PlayMode mode) {
  return mode >= PM_OUR_PENALTY_SETUP && mode <= PM_OPP_PENALTY_READY;
}

float refuse(const char* line) {
  logger["MainLog"] << line << std::endl;
  return AD_MIN_VALUE;
}

}  // namespace

Tackle::Tackle(const WorldModel* worldModel) : AdvancedAction(worldModel) {}

Tackle::~Tackle() = default;

float Tackle::getValue() {
  logger["MainLog"] << "Tackle getValue()" << std::endl;
  preparedCommand.reset();
  if (isPenaltyMode(worldModel->getPlayMode())) return refuse("TACKLE : penalty AD_MIN_VALUE");
  const BallStatus status = worldModel->getBallStatus();
  if (status != BS_KICKABLE_OPP && status != BS_FREE_BALL_OPP) {
    return refuse("TACKLE : AD_MIN_VALUE");
  }
  const Vector& ball = worldModel->getBall().getBodyVec();
  if (std::fabs(ball.getDirection()) > MAX_BALL_ANGLE) return refuse("TACKLE : AD_MIN_VALUE");
  if ((lastDecide == DT_SRP_DRIBBLE || lastDecide == DT_DRIBBLE_INTERCEPT) &&
      status != BS_KICKABLE_OPP) {
    return refuse("bayad 1 tackle zamime mikardam vali chon hooshmad shodam, nakardam.");
  }

  // The parameters come from the server; without them there is no tackle to judge.
  const ConfigGroup& server = worldModel->getServerParam();
  if (!server.has("tackle_dist") || !server.has("tackle_width")) {
    return refuse("TACKLE : no tackle_dist or tackle_width AD_MIN_VALUE");
  }
  const float tackleDist = server["tackle_dist"].asFloat();
  const float tackleWidth = server["tackle_width"].asFloat();
  if (!(tackleDist > 0.0f) || !(tackleWidth > 0.0f)) {
    return refuse("TACKLE : no tackle_dist or tackle_width AD_MIN_VALUE");
  }
  float fail =
      sixthPower(ball.getX() / tackleDist) + sixthPower(std::fabs(ball.getY()) / tackleWidth);
  fail = std::clamp(fail, 0.0f, 1.0f);
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "TACKLE : failTackleProb : " << fail << std::endl;
  if (!(1.0f - fail > MAX_FAIL_PROBABILITY)) return AD_MIN_VALUE;

  const Body& body = worldModel->getBody();
  const bool ownHalf = std::fabs(body.getBodyDir()) >= OWN_HALF_FACING;
  // A server that ignores backward tackles still holds the tackler for its cycles; a
  // forward one instead would send the ball towards the own goal.
  if (ownHalf && !body.getCommandLimits().isBackTackleAble()) {
    return refuse("TACKLE : no backward tackle AD_MIN_VALUE");
  }
  preparedCommand = std::make_unique<TackleCommand>(ownHalf ? -TACKLE_POWER : TACKLE_POWER);
  return AD_IMMEDIATE_VALUE;
}

void Tackle::execute(SayDecisionFlags&) {
  logger["MainLog"] << "Tackle::execute" << std::endl;
  publish(preparedCommand.get());
}

}  // namespace tovren
