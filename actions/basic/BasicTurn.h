#pragma once

#include "actions/basic/AdvancedAction.h"

// The turn skills: one turn command that turns the body by a relative angle, to an
// absolute direction, towards a point or towards an object. A moment turns a body by
// moment / (1 + inertia_moment × speed), and only moments within the player's minimum and
// maximum moment can be sent.

namespace tovren {

class Body;
class Object;
class Player;
struct Point;

class BasicTurn : public BasicAction {
 public:
  // The moment that turns the player by the angle (degrees) in one cycle, not clamped.
  static float getTurnMoment(float angle, const Player& player);
  // The angle by which the moment turns the player; the moment must lie within the
  // player's moment range.
  static float getTurnAngle(float moment, const Player& player);
  // The turns at maximum moment needed to cover |angle| less the tolerance: 0 to 10, 10
  // also when ten turns do not cover it.
  static int actionsToTurnAngle(float angle, const Player& player, float tolerance);
  // The moment brought into the player's moment range; callers that ask getTurnAngle for
  // a fixed moment (such as 179) pass it through this first.
  static float clampMoment(float moment, const Player& player);

  // How far the turn sent falls short of the requested angle (absolute, degrees).
  float getDeltaAngle() const { return deltaAngle; }
  // The requested relative angle, not normalised.
  float getNecessaryTurnAngle() const { return necessaryTurnAngle; }
  // The body direction plus the requested relative angle, not normalised.
  float getRequestedTargetAngle() const { return requestedTargetAngle; }
  // The angle the command sent turns the body by.
  float getPerformedTurnAngle() const { return performedTurnAngle; }
  float getPerformedTurnMoment() const { return performedTurnMoment; }
  // True when the turn sent reaches the requested angle within the tolerance.
  bool isOneTurnPossible() const { return oneTurnPossible; }

 protected:
  BasicTurn() = default;
  // Takes over an inner turn's results and its command.
  void takeOver(BasicTurn& inner);

  float deltaAngle = 0.0f;
  float necessaryTurnAngle = 0.0f;
  float requestedTargetAngle = 0.0f;
  float performedTurnAngle = 0.0f;
  float performedTurnMoment = 0.0f;
  bool oneTurnPossible = false;
};

// Turns by an angle relative to the body direction (degrees, not normalised).
class TurnAngle : public BasicTurn {
 public:
  TurnAngle(float relativeAngle, const Body& body, float tolerance);
};

// Turns to an absolute body direction (degrees).
class TurnToAngle : public BasicTurn {
 public:
  TurnToAngle(float direction, const Body& body, float tolerance);
};

// Turns towards a point, aimed from where the body will be after its current velocity.
class TurnToPoint : public BasicTurn {
 public:
  TurnToPoint(const Point& point, const Body& body, float tolerance);
};

// Turns towards an object's current position.
class TurnToObject : public BasicTurn {
 public:
  TurnToObject(const Object& object, const Body& body, float tolerance);
};

}  // namespace tovren
