#include "worldmodel/Body.h"

#include "connection/Command.h"
#include "foundation/Check.h"
#include "foundation/Config.h"
#include "geometry/Degree.h"
#include "worldmodel/PossiblePoints.h"

#include <algorithm>
#include <cmath>

namespace tovren {

namespace {

// The sizes of the world model's landmark pools: counts beyond them are not read.
constexpr unsigned int MAX_SEEN_FLAGS = 53;
constexpr unsigned int MAX_SEEN_LINES = 4;

}  // namespace

const CommandLimits::Key CommandLimits::KEYS[5] = {
    {"MinDashPower", "min_dash_power", &CommandLimits::minDashPower, -100.0f, 0.0f},
    {"BackDashRate", "back_dash_rate", &CommandLimits::backDashRate, 0.0f, 1.0f},
    {"MaxBackTacklePower", "max_back_tackle_power", &CommandLimits::maxBackTacklePower, 0.0f,
     100.0f},
    {"MinCatchAngle", "min_catch_angle", &CommandLimits::minCatchAngle, -180.0f, 0.0f},
    {"MaxCatchAngle", "max_catch_angle", &CommandLimits::maxCatchAngle, 0.0f, 180.0f},
};

void CommandLimits::setByConfig(const ConfigGroup& group) {
  for (const Key& key : KEYS) {
    if (group.has(key.configKey)) this->*key.field = group[key.configKey].asFloat();
  }
}

void CommandLimits::setByServerParam(const ConfigGroup& serverParam) {
  for (const Key& key : KEYS) {
    if (serverParam.has(key.serverKey)) this->*key.field = serverParam[key.serverKey].asFloat();
  }
  // The server takes no dash faster backward than forward.
  backDashRate = std::clamp(backDashRate, 0.0f, 1.0f);
}

Body::Body() : Player(PLM_FULL) {}

void Body::setServerParamVars(const ConfigGroup& serverParam) {
  Player::setServerParamVars(serverParam);
  visibleDistance = serverParam["visible_distance"].asFloat();
  commandLimits.setByServerParam(serverParam);
}

float Body::viewWidthToViewAngle(ViewModeWidth width) {
  switch (width) {
    case VMW_NARROW:
      return 22.5f;
    case VMW_NORMAL:
      return 45.0f;
    case VMW_WIDE:
      return 90.0f;
  }
  return 0.0f;
}

void Body::update(const FieldFlag* const* flags, const FieldGoal* const*,
                  const FieldLine* const* lines, unsigned int flagsNum, unsigned int,
                  unsigned int linesNum) {
  // Landmarks seen without a direction (a lone distance) can neither turn nor place
  // the agent.
  const FieldLine* farthest = nullptr;
  for (unsigned int i = 0; i < std::min(linesNum, MAX_SEEN_LINES); ++i) {
    const FieldLine* line = lines[i];
    if (line == nullptr || line->getSeeDirection() == NOT_MEASURED) continue;
    if (farthest == nullptr ||
        line->getHeadVec().getMagnitude() > farthest->getHeadVec().getMagnitude())
      farthest = line;
  }
  if (farthest != nullptr) {
    float d = farthest->getHeadVec().getDirection();
    float p = farthest->getPrependOrient();
    headDir = d >= 0.0f ? Degree::normalizeAngle(p + (90.0f - d))
                        : Degree::normalizeAngle(p - (d + 90.0f));
    bodyDir = Degree::normalizeAngle(headDir - relativeHeadDir);
  }

  const FieldFlag* usable[MAX_SEEN_FLAGS];
  int usableNum = 0;
  for (unsigned int i = 0; i < std::min(flagsNum, MAX_SEEN_FLAGS); ++i) {
    const FieldFlag* flag = flags[i];
    if (flag == nullptr || flag->getSeeDirection() == NOT_MEASURED) continue;
    usable[usableNum++] = flag;
  }
  if (usableNum > 0)
    pos =
        possiblePoints.calculateBodyPosition(*this, usable, usableNum, posDeviation, quantizeStep);

  validPosDeviation = posDeviation;
  vel.setAsPolar(speedAmount, speedDir + headDir);
}

void Body::simulateByAction(const Command* command, bool noStamina) {
  if (command == nullptr) return;
  switch (command->getKind()) {
    case CK_DASH: {
      float power = static_cast<const DashCommand&>(*command).getPower();
      // Where the server clamps negative powers away, the backward dash goes out as its
      // size at 180 degrees: slower by the back dash rate, and charged once.
      const bool byDirection = power < 0.0f && commandLimits.isBackDashByDirection();
      Vector accel;
      if (byDirection) {
        accel.setAsPolar(-power * dashPowerRate * effort * commandLimits.backDashRate,
                         Degree::normalizeAngle(bodyDir + 180.0f));
      } else {
        accel.setAsPolar(power * dashPowerRate * effort, bodyDir);
      }
      // A backward dash of negative power keeps its negative magnitude and is never
      // shortened here.
      if (accel.getMagnitude() > accelMax) accel.setAsPolar(accelMax, accel.getDirection());
      vel += accel;
      if (vel.getMagnitude() > speedMax) vel.setAsPolar(speedMax, vel.getDirection());
      if (!noStamina) {
        stamina -= power >= 0.0f || byDirection ? std::abs(power) : 2.0f * std::abs(power);
        if (stamina < 0.0f) stamina = 0.0f;
      }
      break;
    }
    case CK_TURN: {
      // The server clamps the moment to its range; so does the model.
      float moment = std::max(
          minMoment, std::min(static_cast<const TurnCommand&>(*command).getDirection(), maxMoment));
      float turnAngle = moment / std::max(1.0f, 1.0f + inertiaMoment * vel.getMagnitude());
      TOVREN_CHECK(turnAngle <= maxMoment);
      TOVREN_CHECK(turnAngle >= minMoment);
      bodyDir = Degree::normalizeAngle(bodyDir + turnAngle);
      headDir = Degree::normalizeAngle(bodyDir + relativeHeadDir);
      break;
    }
    case CK_MOVE: {
      const auto& move = static_cast<const MoveCommand&>(*command);
      pos.setAsCartesian(move.getX(), move.getY());
      break;
    }
    default:
      break;
  }
}

void Body::simulateByDynamics(bool noStamina) {
  pos += vel;
  vel *= decay;
  posDeviation = std::min(posDeviation + 0.5f, MAX_POS_DEVIATION);
  validPosDeviation = std::min(validPosDeviation + 0.5f, MAX_POS_DEVIATION);
  velDeviation = std::min(velDeviation + 0.02f, MAX_VEL_DEVIATION);
  if (!noStamina) stamina = std::min(stamina + staminaIncMax, staminaMax);
  collisionStatus = TA_DONT_KNOW;
}

}  // namespace tovren
