#include "actions/basic/BasicDash.h"

#include "connection/Command.h"
#include "foundation/Basics.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "geometry/Line.h"
#include "worldmodel/Body.h"

#include <cmath>
#include <cstdlib>
#include <ostream>
#include <utility>

namespace tovren {

namespace {

// Circle: the moved or escape point keeps this much room outside the rim.
constexpr float CIRCLE_OUTSIDE_GAP = 0.5f;
// Circle: with forbidBeyondCenterX the target stays this far short of the center's x.
constexpr float CIRCLE_BEYOND_CENTER_GAP = 1.5f;
// Circle: a body more than this deep inside the rim is led out first.
constexpr float CIRCLE_ESCAPE_DEPTH = 1.3f;
// Circle: a straight line may graze the circle by this much.
constexpr float CIRCLE_GRAZE = 0.07f;
// Circle: the detour radius grows by up to this margin the nearer the body is to the rim.
constexpr float CIRCLE_DETOUR_MARGIN = 10.0f;
// Circle: detour points beyond these bounds lie off the field.
constexpr float CIRCLE_DETOUR_MAX_X = 56.5f;
constexpr float CIRCLE_DETOUR_MAX_Y = 38.0f;
// Circle: a detour point counts as clearly nearer when by more than this (metres).
constexpr float CIRCLE_CLEARLY_NEARER = 1.0f;
// Rectangle: a body more than this inside every border is led out first.
constexpr float RECT_ESCAPE_DEPTH = 0.8f;
// Rectangle: corner points lie this far outside both borders that meet there.
constexpr float RECT_CORNER_GAP = 1.5f;

// Distance tolerances and power ceilings of the inner go-to, by path.
constexpr float CIRCLE_ESCAPE_TOLERANCE = 1.5f;
constexpr float CIRCLE_STRAIGHT_TOLERANCE = 1.4f;
constexpr float CIRCLE_DETOUR_TOLERANCE = 1.1f;
constexpr float CIRCLE_TRIAL_TOLERANCE = 0.9f;
constexpr float CIRCLE_TRIAL_POWER = 100.0f;
constexpr float RECT_ESCAPE_TOLERANCE = 1.2f;
constexpr float RECT_STRAIGHT_TOLERANCE = 1.4f;
constexpr float RECT_CORNER_TOLERANCE = 1.0f;
constexpr float AREA_MAX_POWER = 90.0f;

// How to go around the strip.
constexpr int GO_STRAIGHT = 0;
constexpr int GO_BY_Y2_CORNER = 1;
constexpr int GO_BY_Y1_CORNER = 2;

// The direction from center to a point, taken from the point to center and reversed, so
// that a point on the center gives 180 (towards -x).
float directionFromCenter(const Point& center, const Point& point) {
  Vector toCenter;
  toCenter.setByPoints(point, center);
  return Degree::normalizeAngle(toCenter.getDirection() + 180.0f);
}

Point onCircle(const Point& center, float radius, float direction) {
  Vector offset;
  offset.setAsPolar(radius, direction);
  return Point(Vector(center) + offset);
}

// The place around the strip x > X1, Y1 < y < Y2: 1 beside the Y2 side, 2 off the Y2
// corner, 3 in front of the open end, 4 off the Y1 corner, 5 beside the Y1 side, 0 inside.
int placeOf(const Point& point, float X1, float Y1, float Y2) {
  if (point.x > X1) {
    if (point.y >= Y2) return 1;
    if (point.y <= Y1) return 5;
    return 0;
  }
  if (point.y >= Y2) return 2;
  if (point.y <= Y1) return 4;
  return 3;
}

// The point by which p, inside the strip x > X1, Y1 < y < Y2, gets onto its nearest
// border: openEnd through the open end (x = X1), else straight onto the Y1 or the Y2 side;
// ties go to the open end, then to the Y1 side. tag stands before the case word of the
// log lines.
Point nearestBorderPoint(const Point& p, const Point& openEnd, float X1, float Y1, float Y2,
                         LogStream& log, const char* tag) {
  Point border = openEnd;
  float best = p.x - X1;
  if (best > p.y - Y1) {
    log << "FAGotoPoint " << tag << "near1" << std::endl;
    border = Point(p.x, Y1);
    best = p.y - Y1;
  }
  if (best > Y2 - p.y) {
    log << "FAGotoPoint " << tag << "near2" << std::endl;
    border = Point(p.x, Y2);
  }
  return border;
}

// How to go from a place to a place: straight within one place, between neighbours and
// from inside; otherwise by the corner that keeps the leg off the strip.
int goModelOf(int sourcePlace, int targetPlace) {
  if (sourcePlace == 0 || std::abs(sourcePlace - targetPlace) <= 1) {
    return GO_STRAIGHT;
  }
  static constexpr int byPlaces[6][6] = {
      {0, 0, 0, 0, 0, 0},
      {0, 0, 0, GO_BY_Y2_CORNER, GO_BY_Y2_CORNER, GO_BY_Y2_CORNER},
      {0, 0, 0, 0, GO_STRAIGHT, GO_BY_Y1_CORNER},
      {0, GO_BY_Y2_CORNER, 0, 0, 0, GO_BY_Y1_CORNER},
      {0, GO_BY_Y2_CORNER, GO_STRAIGHT, 0, 0, 0},
      {0, GO_BY_Y1_CORNER, GO_BY_Y1_CORNER, GO_BY_Y1_CORNER, 0, 0},
  };
  return byPlaces[sourcePlace][targetPlace];
}

// Whether a go-to towards the point would dash now rather than turn; only the mode is kept.
// Arrival cannot show here: with a detour point within the trial tolerance the other one
// lies clearly farther, and the choice is settled before any trial.
bool wouldDash(const Point& point, const Body& body) {
  const DashNormalGotoPoint trial(point, CIRCLE_TRIAL_TOLERANCE, body, CIRCLE_TRIAL_POWER);
  return trial.getMode() != GOTO_MODE_TURN;
}

}  // namespace

void ForbiddenAreaGotoPoint::finish(DashNormalGotoPoint& inner, bool straightPath) {
  command = inner.takeCommand();
  status = straightPath && inner.getMode() == GOTO_MODE_ARRIVED ? GOTO_STATUS_ARRIVED
                                                                : GOTO_STATUS_MOVING;
}

ForbiddenAreaGotoPoint::ForbiddenAreaGotoPoint(const Point& target, Point center, float radius,
                                               const Body& body, bool forbidBeyondCenterX) {
  realTargetPoint = target;
  LogStream& log = logger["MainLog"];
  log << "ForbiddenAreaGotoPoint Circle" << std::endl;
  log << "FAGotoPoint Point = " << target << std::endl;
  log << "FAGotoPoint Center = " << center << std::endl;
  log << "FAGotoPoint Radius = " << radius << std::endl;

  const Point position = body.getPos();
  const float centerDist = body.getDistance(center);

  if (forbidBeyondCenterX && target.x > center.x - CIRCLE_BEYOND_CENTER_GAP) {
    log << "FAGotoPoint forbiddenTargetX = true" << std::endl;
    realTargetPoint = Point(center.x - CIRCLE_BEYOND_CENTER_GAP, target.y);
    forbiddenTarget = true;
  }
  if (center.getDistance(realTargetPoint) < radius) {
    log << "FAGotoPoint forbiddenTarget = true" << std::endl;
    forbiddenTarget = true;
    realTargetPoint =
        onCircle(center, radius + CIRCLE_OUTSIDE_GAP, directionFromCenter(center, realTargetPoint));
  }

  if (centerDist < radius - CIRCLE_ESCAPE_DEPTH) {
    log << "FAGotoPoint forbiddenSource = true" << std::endl;
    forbiddenSource = true;
    realTargetPoint =
        onCircle(center, radius + CIRCLE_OUTSIDE_GAP, directionFromCenter(center, position));
    DashNormalGotoPoint escape(realTargetPoint, CIRCLE_ESCAPE_TOLERANCE, body, AREA_MAX_POWER);
    finish(escape, false);
    return;
  }

  log << "FAGotoPoint newPoint = " << realTargetPoint << std::endl;
  Line way;
  way.setByPoints(position, realTargetPoint);
  const float formulaA = way.getPointDist(center);
  log << "FAGotoPoint formulaA = " << formulaA << std::endl;

  if (formulaA >= radius - CIRCLE_GRAZE || position.getDistance(realTargetPoint) <= centerDist) {
    DashNormalGotoPoint straight(realTargetPoint, CIRCLE_STRAIGHT_TOLERANCE, body, AREA_MAX_POWER);
    finish(straight, true);
    return;
  }

  log << "FAGotoPoint <radius " << std::endl;
  detour = true;
  const float centerSourceAngle = directionFromCenter(center, position);
  log << "FAGotoPoint centerSourceAngle=" << centerSourceAngle << std::endl;
  const float centerTargetAngle = directionFromCenter(center, realTargetPoint);
  log << "FAGotoPoint centerTargetAngle=" << centerTargetAngle << std::endl;
  const float middleAngle = (centerTargetAngle - centerSourceAngle) * 0.5f;
  log << "FAGotoPoint middleAngle=" << middleAngle << std::endl;
  // Close to the rim the way round swings wide; far off it hugs the circle.
  const float margin = Basics::reRate(centerDist - radius, 0.0f, CIRCLE_DETOUR_MARGIN, 0.0f,
                                      CIRCLE_DETOUR_MARGIN, RRM_INVERSE);
  const float detourRadius = radius + margin;
  const Point tp1 = onCircle(center, detourRadius, centerSourceAngle + middleAngle);
  const Point tp2 = onCircle(center, detourRadius, centerSourceAngle + middleAngle + 180.0f);
  log << "FAGotoPoint tp1" << tp1 << std::endl;
  log << "FAGotoPoint tp2" << tp2 << std::endl;

  auto refused = [&](const Point& point) {
    return std::fabs(point.x) > CIRCLE_DETOUR_MAX_X || std::fabs(point.y) > CIRCLE_DETOUR_MAX_Y ||
           (forbidBeyondCenterX && point.x > center.x);
  };
  const float dist1 = position.getDistance(tp1);
  const float dist2 = position.getDistance(tp2);
  bool first = false;
  if (refused(tp1)) {
    log << "FAGotoPoint select2 mode 1" << std::endl;
  } else if (refused(tp2)) {
    log << "FAGotoPoint select1 mode 1" << std::endl;
    first = true;
  } else if (dist2 - CIRCLE_CLEARLY_NEARER > dist1) {
    log << "FAGotoPoint select1 mode 2" << std::endl;
    first = true;
  } else if (dist1 - CIRCLE_CLEARLY_NEARER > dist2) {
    log << "FAGotoPoint select2 mode 2" << std::endl;
  } else {
    const bool dash1 = wouldDash(tp1, body);
    const bool dash2 = wouldDash(tp2, body);
    log << "FAGotoPoint directdashes" << dash1 << " " << dash2 << std::endl;
    if (dash1 && !dash2) {
      log << "FAGotoPoint select1 mode 3" << std::endl;
      first = true;
    } else if (dash2 && !dash1) {
      log << "FAGotoPoint select2 mode 3" << std::endl;
    } else if (std::fabs(tp2.y) > std::fabs(tp1.y)) {
      log << "FAGotoPoint select1 mode 4" << std::endl;
      first = true;
    } else {
      log << "FAGotoPoint select2 mode 4" << std::endl;
    }
  }
  DashNormalGotoPoint around(first ? tp1 : tp2, CIRCLE_DETOUR_TOLERANCE, body, AREA_MAX_POWER);
  finish(around, false);
}

ForbiddenAreaGotoPoint::ForbiddenAreaGotoPoint(const Point& target, float X1, float Y1, float Y2,
                                               const Body& body) {
  LogStream& log = logger["MainLog"];
  log << "ForbiddenAreaGotoPoint Rect" << std::endl;
  log << "FAGotoPoint Point 1st=" << target << std::endl;
  if (Y1 > Y2) {
    std::swap(Y1, Y2);
  }
  log << "ForbiddenAreaGotoPoint X1 = " << X1 << std::endl;
  log << "ForbiddenAreaGotoPoint Y1 = " << Y1 << std::endl;
  log << "ForbiddenAreaGotoPoint Y2 = " << Y2 << std::endl;

  realTargetPoint = target;
  realTargetPlace = 1;
  if (target.x > X1 && target.y > Y1 && target.y < Y2) {
    // Onto the nearest border.
    log << "FAGotoPoint forbiddenTargetFlag = true" << std::endl;
    forbiddenTarget = true;
    realTargetPoint = nearestBorderPoint(target, Point(X1, target.y), X1, Y1, Y2, log, "");
  }
  log << "FAGotoPoint Point 2nd=" << realTargetPoint << std::endl;

  const Point position = body.getPos();
  if (position.x > X1 + RECT_ESCAPE_DEPTH && position.y > Y1 + RECT_ESCAPE_DEPTH &&
      position.y < Y2 - RECT_ESCAPE_DEPTH) {
    // Out by the nearest border; through the open end the real target's y is kept, which
    // leads out and towards the target at once.
    log << "FAGotoPoint forbiddenSourceFlag = true" << std::endl;
    forbiddenSource = true;
    realTargetPoint =
        nearestBorderPoint(position, Point(X1, realTargetPoint.y), X1, Y1, Y2, log, "fsource ");
    DashNormalGotoPoint escape(realTargetPoint, RECT_ESCAPE_TOLERANCE, body, AREA_MAX_POWER);
    finish(escape, false);
    return;
  }

  realTargetPlace = placeOf(realTargetPoint, X1, Y1, Y2);
  const int sourcePlace = placeOf(position, X1, Y1, Y2);
  log << "FAGotoPoint realTargetPlace = " << realTargetPlace << std::endl;
  log << "FAGotoPoint sourcePlace" << sourcePlace << std::endl;
  const int goModel = goModelOf(sourcePlace, realTargetPlace);
  log << "FAGotoPoint goModel = " << goModel << std::endl;

  if (goModel == GO_STRAIGHT) {
    DashNormalGotoPoint straight(realTargetPoint, RECT_STRAIGHT_TOLERANCE, body, AREA_MAX_POWER);
    finish(straight, true);
    return;
  }
  detour = true;
  const Point corner = goModel == GO_BY_Y2_CORNER
                           ? Point(X1 - RECT_CORNER_GAP, Y2 + RECT_CORNER_GAP)
                           : Point(X1 - RECT_CORNER_GAP, Y1 - RECT_CORNER_GAP);
  DashNormalGotoPoint around(corner, RECT_CORNER_TOLERANCE, body, AREA_MAX_POWER);
  finish(around, false);
}

}  // namespace tovren
