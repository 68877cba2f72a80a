#pragma once

#include "actions/basic/AdvancedAction.h"
#include "geometry/Vector.h"

// The kick skills: one kick command that gives a kickable ball a wanted motion. A kick of
// power P adds to the ball's velocity P × kick_power_rate × effectiveness along the kick
// direction, where the effectiveness falls off with the ball's distance from the body and
// its angle from the body direction. Each kick flags whether it stays within the power the
// caller allows; the command is built either way.

namespace tovren {

class Ball;
class Body;

class BasicKick : public BasicAction {
 public:
  bool isPossible() const { return possible; }
  // The kick as a power vector in the body's frame (length power, direction relative to
  // the body); set by KickToDirectionVelocity, zero for the other kicks.
  Vector getKickVec() const { return kickVec; }
  // Along the wanted ball direction, the velocity change divided by (1 - ball decay); set
  // by the velocity kicks and StopBall, zero for the fast kicks.
  Vector getTrajVec() const { return trajVec; }

  // The power the acceleration needs at the ball's place: acceleration / effectiveness.
  // A ball out of reach (effectiveness 0 or less) needs more than any power: the largest
  // float.
  static float needKick(float acceleration, const Body& body, const Ball& ball);
  // The absolute direction in which a kick of the given power must be aimed so that the
  // ball then moves along the direction. When the ball's sideways motion is beyond the
  // kick's reach, the kick goes straight across against it.
  static float directionOfMaxPowerKick(float direction, const Body& body, const Ball& ball,
                                       float power);

 protected:
  BasicKick() = default;
  // Takes over an inner velocity kick's flag, travel vector and command.
  void takeOver(BasicKick& inner);

  Vector kickVec;
  Vector trajVec;
  bool possible = false;
};

// Gives the ball the velocity of the given speed (metres per cycle) along the absolute
// direction (degrees); possible when the power needed is at most 100 + extraPower.
class KickToDirectionVelocity : public BasicKick {
 public:
  KickToDirectionVelocity(float direction, float speed, const Ball& ball, const Body& body,
                          float extraPower);

 private:
  float direction;
  float speed;
  const Ball* ball;  // the caller's, not owned
  const Body* body;  // the caller's, not owned
  float extraPower;
};

// Sends the ball from its position towards the target with the given first speed.
class KickToPointVelocity : public BasicKick {
 public:
  KickToPointVelocity(const Point& target, float speed, const Ball& ball, const Body& body,
                      float extraPower);

 private:
  Point target;
  float speed;
  const Ball* ball;
  const Body* body;
  float extraPower;
};

// Sends the ball towards the target so that it arrives there with the end speed.
class KickToPointArriveVelocity : public BasicKick {
 public:
  KickToPointArriveVelocity(const Point& target, float endSpeed, const Ball& ball, const Body& body,
                            float extraPower);

 private:
  Point target;
  float endSpeed;
  const Ball* ball;
  const Body* body;
  float extraPower;
};

// Sends the ball towards the target so that it covers the distance in the given number of
// cycles (not truncated). A number of cycles that is not positive cannot be met: the kick
// is then built as for one cycle and flagged not possible.
class KickToPointCycles : public BasicKick {
 public:
  KickToPointCycles(const Point& target, float cycles, const Ball& ball, const Body& body,
                    float extraPower);

 private:
  Point target;
  float cycles;
  const Ball* ball;
  const Body* body;
  float extraPower;
};

// The kick at the body's maximum power along an absolute direction; possible when the
// ball's sideways motion can be cancelled.
class FastKickToDir : public BasicKick {
 public:
  FastKickToDir(float direction, const Ball& ball, const Body& body);

 private:
  float direction;
  const Ball* ball;
  const Body* body;
};

// The maximum-power kick along the direction from the body's position to the target.
class FastKickToPoint : public BasicKick {
 public:
  FastKickToPoint(const Point& target, const Ball& ball, const Body& body);

 private:
  Point target;
  const Ball* ball;
  const Body* body;
};

// The kick that keeps the ball's velocity as it is (power 0).
class StopBall : public BasicKick {
 public:
  StopBall(const Ball& ball, const Body& body, float extraPower);

 private:
  const Ball* ball;
  const Body* body;
  float extraPower;
};

}  // namespace tovren
