#pragma once

#include "actions/basic/AdvancedAction.h"
#include "geometry/Vector.h"

// The go-to-point skills: one dash or one turn per cycle that brings the agent's body to
// a point. They differ in how hard they dash: ExactGotoPoint comes to rest on the point
// after coasting, PreciseGotoPoint picks the power whose step ends nearest the point, and
// DashNormalGotoPoint dashes by the stamina left up to a caller's ceiling. Built on them:
// the set-play approach behind the ball (FreeKickGotoPoint), the dash that catches up
// with a dribbled ball (DashDribbleGotoBall) and the go-to around a forbidden circle or
// strip (ForbiddenAreaGotoPoint).

namespace tovren {

class Ball;
class Body;

// What a go-to skill decided.
constexpr int GOTO_MODE_DASH = 4;
constexpr int GOTO_MODE_ARRIVED = 6;
constexpr int GOTO_MODE_TURN = 12;

// Dashes that stop on the target; turns when the target is not within 20 degrees of the
// body direction (or of its reverse, with backward dashing allowed). Within the distance
// tolerance (strictly) it has arrived and builds no command.
class ExactGotoPoint : public BasicAction {
 public:
  // Builds a dash or a turn; none when arrived.
  ExactGotoPoint(Point target, float distTolerance, const Body& body, bool canBackward);
  int getMode() const { return mode; }

  // The power of the dash after which the body, coasting, comes to rest on the target;
  // forward when direction is not negative (100), backward otherwise (-100).
  static void setDashPower(const Body& body, Point target, float direction, float& power);

 private:
  int mode = GOTO_MODE_ARRIVED;
};

// As ExactGotoPoint, with the caller's angle tolerance as the dash cone, half of it as the
// turn margin, and the power whose step of this cycle ends nearest the target.
class PreciseGotoPoint : public BasicAction {
 public:
  // Builds a dash or a turn; none when arrived.
  PreciseGotoPoint(Point target, float distTolerance, const Body& body, bool canBackward,
                   float angleTolerance);
  int getMode() const { return mode; }

  // Tries the powers 0, 5, ... 100 (or 0, -5, ... -100 for a negative direction) and
  // keeps the smallest whose position after this cycle lies nearest the target.
  static void setDashPower(const Body& body, Point target, float direction, float& power);

 private:
  int mode = GOTO_MODE_ARRIVED;
};

// Dashes towards the target when the body faces it (within 6 degrees or the angle under
// which the tolerance circle is seen), with a power set by the stamina left and capped by
// maxPower; turns towards it otherwise. Within the tolerance it reports arrival and still
// builds a command (its command is never null). The five-argument form turns to the
// final body direction once the body faces the target from within the tolerance, and
// always does so when maxPower is exactly 0.
class DashNormalGotoPoint : public BasicAction {
 public:
  DashNormalGotoPoint(const Point& target, float distTolerance, const Body& body, float maxPower);
  DashNormalGotoPoint(const Point& target, float distTolerance, const Body& body, float maxPower,
                      float finalBodyDir);
  int getMode() const { return mode; }

 private:
  void build(const Point& target, float distTolerance, const Body& body, float maxPower,
             const float* finalBodyDir);

  int mode = GOTO_MODE_TURN;
};

// What the set-play approach and the forbidden-area go-to report.
constexpr int GOTO_STATUS_ARRIVED = 0;
constexpr int GOTO_STATUS_MOVING = 1;

// Walks the kick taker of a set play to the point `behindDist` behind the ball (beyond
// its own and the ball's size), opposite the kick direction, by ExactGotoPoint; when the
// ball stands in the way it first makes for a point on the ball's far side, halfway
// round. Arrived only at the point behind the ball.
class FreeKickGotoPoint : public BasicAction {
 public:
  // kickDir: absolute, degrees; behindDist: metres. Builds a dash or a turn; none within
  // the tolerance of the point it makes for (arrived, or at a point of the way round).
  FreeKickGotoPoint(const Point& ballPos, float kickDir, float behindDist, const Body& body);
  int getStatus() const { return status; }

 private:
  int status = GOTO_STATUS_MOVING;
};

// A full dash (or one cycle's recovery when the stamina runs low) when dashing straight
// on brings the body within kicking reach of the ball within 30 cycles; no command
// otherwise.
class DashDribbleGotoBall : public BasicAction {
 public:
  DashDribbleGotoBall(const Ball& ball, const Body& body);
};

// Goes towards a target without entering a forbidden area, and first leads the body out
// when it stands deep inside. One DashNormalGotoPoint towards the point chosen for this
// cycle gives the command, which is never null. The path is planned afresh every cycle.
// Arrival is reported only when the body heads straight for the real target and is
// within the tolerance of it; escapes, detours and corner legs always report moving.
class ForbiddenAreaGotoPoint : public BasicAction {
 public:
  // The open disc of `radius` around `center`. With forbidBeyondCenterX, targets with x
  // beyond center.x - 1.5 and detour points beyond center.x are not allowed either.
  ForbiddenAreaGotoPoint(const Point& target, Point center, float radius, const Body& body,
                         bool forbidBeyondCenterX);
  // The strip x > X1, between the two y bounds (given in either order), open towards +x.
  ForbiddenAreaGotoPoint(const Point& target, float X1, float Y1, float Y2, const Body& body);

  int getStatus() const { return status; }
  // The body stood deep inside the area and is being led out.
  bool isForbiddenSource() const { return forbiddenSource; }
  // The requested target was not allowed and was moved.
  bool isForbiddenTarget() const { return forbiddenTarget; }
  // The place around the strip of the real target (1 to 5); 0 for the circle.
  int getRealTargetPlace() const { return realTargetPlace; }
  // The target after it was moved, or the escape point; never a detour point.
  Point getRealTargetPoint() const { return realTargetPoint; }
  // No path keeps a sense of going round: always false.
  bool isClockwise() const { return clockwise; }

 private:
  // Takes over the command of the inner go-to; arrival counts only on the straight path.
  void finish(DashNormalGotoPoint& inner, bool straightPath);

  int status = GOTO_STATUS_MOVING;
  bool forbiddenSource = false;
  bool forbiddenTarget = false;
  int realTargetPlace = 0;
  Point realTargetPoint;
  bool clockwise = false;
  bool detour = false;  // heading for a detour or corner point, not for realTargetPoint
};

}  // namespace tovren
