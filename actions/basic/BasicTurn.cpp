#include "actions/basic/BasicTurn.h"

#include "connection/Command.h"
#include "foundation/Check.h"
#include "geometry/Degree.h"
#include "geometry/Vector.h"
#include "worldmodel/Body.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"

#include <cmath>
#include <memory>

namespace tovren {

namespace {

// Ten turns at maximum moment cover any angle a caller asks about.
constexpr int MAX_COUNTED_TURNS = 10;

float turnFactor(float speed, const Player& player) {
  return 1.0f + player.getInertiaMoment() * speed;
}

}  // namespace

float BasicTurn::getTurnMoment(float angle, const Player& player) {
  return Degree::normalizeAngle(angle) * turnFactor(player.getVel().getMagnitude(), player);
}

float BasicTurn::getTurnAngle(float moment, const Player& player) {
  TOVREN_CHECK(moment <= player.getMaxMoment() && moment >= player.getMinMoment());
  return moment / turnFactor(player.getVel().getMagnitude(), player);
}

int BasicTurn::actionsToTurnAngle(float angle, const Player& player, float tolerance) {
  const float remaining = std::fabs(angle) - tolerance;
  // Only the speed of the copy matters: it decays by the player's decay each turn.
  float speed = player.getVel().getMagnitude();
  float turned = 0.0f;
  int count = 0;
  while (turned < remaining && count < MAX_COUNTED_TURNS) {
    turned += player.getMaxMoment() / turnFactor(speed, player);
    speed *= player.getDecay();
    ++count;
  }
  return count;
}

float BasicTurn::clampMoment(float moment, const Player& player) {
  if (moment > player.getMaxMoment()) {
    return player.getMaxMoment();
  }
  if (moment < player.getMinMoment()) {
    return player.getMinMoment();
  }
  return moment;
}

void BasicTurn::takeOver(BasicTurn& inner) {
  deltaAngle = inner.deltaAngle;
  necessaryTurnAngle = inner.necessaryTurnAngle;
  requestedTargetAngle = inner.requestedTargetAngle;
  performedTurnAngle = inner.performedTurnAngle;
  performedTurnMoment = inner.performedTurnMoment;
  oneTurnPossible = inner.oneTurnPossible;
  command = inner.takeCommand();
}

TurnAngle::TurnAngle(float relativeAngle, const Body& body, float tolerance) {
  necessaryTurnAngle = relativeAngle;
  requestedTargetAngle = body.getBodyDir() + relativeAngle;
  const float moment = getTurnMoment(relativeAngle, body);
  // Tested against the range itself, so an asymmetric range never lets a moment through.
  if (moment <= body.getMaxMoment() && moment >= body.getMinMoment()) {
    performedTurnMoment = moment;
    performedTurnAngle = relativeAngle;
    oneTurnPossible = true;
    deltaAngle = 0.0f;
  } else {
    performedTurnMoment = clampMoment(moment, body);
    performedTurnAngle = getTurnAngle(performedTurnMoment, body);
    deltaAngle = std::fabs(performedTurnAngle - relativeAngle);
    oneTurnPossible = deltaAngle <= tolerance;
  }
  command = std::make_unique<TurnCommand>(performedTurnMoment);
}

TurnToAngle::TurnToAngle(float direction, const Body& body, float tolerance) {
  // Not normalised here: the inner turn normalises it for the moment only.
  TurnAngle inner(direction - body.getBodyDir(), body, tolerance);
  takeOver(inner);
}

TurnToPoint::TurnToPoint(const Point& point, const Body& body, float tolerance) {
  const Point next = body.getPos() + body.getVel();
  Vector toPoint;
  toPoint.setByPoints(next, point);
  TurnToAngle inner(toPoint.getDirection(), body, tolerance);
  takeOver(inner);
}

TurnToObject::TurnToObject(const Object& object, const Body& body, float tolerance) {
  TurnToPoint inner(object.getPos(), body, tolerance);
  takeOver(inner);
}

}  // namespace tovren
