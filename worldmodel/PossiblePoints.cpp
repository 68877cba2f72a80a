#include "worldmodel/PossiblePoints.h"

#include "geometry/Degree.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"

#include <algorithm>
#include <cmath>

namespace tovren {

PossiblePoints possiblePoints;

namespace {

// Half the width of the direction window: the server rounds seen directions to degrees.
constexpr float HALF_WINDOW = 0.5f;
constexpr float BODY_CELL_SIZE = 0.2f;
constexpr float PLAYER_CELL_SIZE = 0.2f;
constexpr float BALL_CELL_SIZE = 0.18f;
// The predicted position is only a useful prior while it is this certain.
constexpr float PRIOR_MAX_DEVIATION = 5.0f;
// Once this few cells survive, further flags cannot improve the estimate much.
constexpr int ENOUGH_SURVIVORS = 4;
// The landmark pool holds no more flags than this.
constexpr int MAX_FLAGS = 53;
// A table larger than this is given back after the estimate rather than kept.
constexpr std::size_t KEPT_CAPACITY = 1 << 16;
// How far (metres) a sample of the prior turned once for all may lie from where its own
// turn puts it, far above the rounding of either: a fixed part and a share of the
// sample's length.
constexpr double SCREEN_MARGIN = 1e-3;
constexpr double SCREEN_SHARE = 1e-4;
// How far (degrees) inside or outside a window's edge a cell must lie to be taken or
// dropped without its own direction, far above the rounding of the direction and the
// edges; directions up to two turns round the edges well below it.
constexpr double SCREEN_ANGLE = 1e-3;
constexpr float SCREEN_MAX_DIRECTION = 720.0f;

}  // namespace

void PossiblePoints::getDistanceInterval(float distance, float quantizeStep, float& low,
                                         float& high) {
  double q = quantizeStep > 0.0f && std::isfinite(quantizeStep) ? quantizeStep : 0.0;
  double logDistance = std::log(double(distance));
  // nearbyint rounds ties to even in the default rounding mode. Without a step the
  // distance is taken as exact.
  double m = q > 0.0 ? q * std::nearbyint(logDistance / q) : logDistance;
  double a = std::exp(m - q / 2.0);
  double b = std::exp(m + q / 2.0);
  low = static_cast<float>(std::min(a, b));
  high = static_cast<float>(std::max(a, b));
}

PossiblePoints::Box PossiblePoints::sectorBox(const Point& centre, float r1, float r2, float a1,
                                              float a2, bool minusRule) {
  float sign = minusRule ? -1.0f : 1.0f;
  Box box{centre.x, centre.y, centre.x, centre.y};
  bool first = true;
  auto take = [&](float radius, float direction) {
    float px = centre.x + sign * radius * Degree::cos(direction);
    float py = centre.y + sign * radius * Degree::sin(direction);
    if (first) {
      box = Box{px, py, px, py};
      first = false;
      return;
    }
    box.minX = std::min(box.minX, px);
    box.maxX = std::max(box.maxX, px);
    box.minY = std::min(box.minY, py);
    box.maxY = std::max(box.maxY, py);
  };
  take(r1, a1);
  take(r1, a2);
  take(r2, a1);
  take(r2, a2);
  const float cardinals[4] = {90.0f, 270.0f, 0.0f, 180.0f};
  for (float cardinal : cardinals)
    if (Degree::isBetween(Degree::absoluteAngle(a1), Degree::absoluteAngle(a2), cardinal))
      take(r2, cardinal == 270.0f ? -90.0f : cardinal);
  return box;
}

bool PossiblePoints::initTable(const Box& box) {
  return initTableByNorthEast(box.minX, box.minY, box.maxX - box.minX, box.maxY - box.minY);
}

bool PossiblePoints::initTableByNorthEast(float x, float y, float width, float height) {
  releaseTable();
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(width) || !std::isfinite(height) ||
      width < 0.0f || height < 0.0f)
    return false;
  double wantedColumns = std::floor(double(width) / cellSizeX + 1.0);
  double wantedRows = std::floor(double(height) / cellSizeY + 1.0);
  if (!(wantedColumns * wantedRows <= maxCells)) return false;

  columns = static_cast<std::int32_t>(wantedColumns);
  rows = static_cast<std::int32_t>(wantedRows);
  stepX = width / columns;
  stepY = height / rows;
  originX = x;
  originY = y;
  cells.assign(static_cast<std::size_t>(columns) * rows, 0);
  constraintCount = 0;
  resultX = x + width / 2.0f;
  resultY = y + height / 2.0f;
  return true;
}

void PossiblePoints::releaseTable() {
  cells.clear();
  if (cells.capacity() > KEPT_CAPACITY) cells.shrink_to_fit();
  columns = 0;
  rows = 0;
  constraintCount = 0;
}

Point PossiblePoints::cellCentre(int i, int j) const {
  return Point(originX + (i + 0.5f) * stepX, originY + (j + 0.5f) * stepY);
}

int PossiblePoints::getSurvivorCount() const {
  return static_cast<int>(std::count(cells.begin(), cells.end(), constraintCount));
}

int PossiblePoints::addFlag(const FieldFlag* flag, float headDir, float quantizeStep) {
  return addSector(flag->getPos(), flag->getSeeDistance(), flag->getSeeDirection() + headDir,
                   quantizeStep, true);
}

int PossiblePoints::addSee(float distance, float direction, float headDir, const Vector& observer,
                           float quantizeStep) {
  return addSector(observer, distance, direction + headDir, quantizeStep, false);
}

bool PossiblePoints::initSector(const Point& centre, float distance, float direction,
                                float quantizeStep, bool minusRule) {
  float low = 0.0f;
  float high = 0.0f;
  getDistanceInterval(distance, quantizeStep, low, high);
  return initTable(
      sectorBox(centre, low, high, direction - HALF_WINDOW, direction + HALF_WINDOW, minusRule));
}

int PossiblePoints::addSector(const Point& centre, float distance, float direction,
                              float quantizeStep, bool minusRule) {
  float low = 0.0f;
  float high = 0.0f;
  getDistanceInterval(distance, quantizeStep, low, high);
  float from = direction - HALF_WINDOW;
  float to = direction + HALF_WINDOW;
  // Most cells lie clearly inside or outside the window: told apart by how far they lie
  // along and across its middle, whose sine and cosine every cell shares. Only cells near
  // an edge need their own direction. Directions far out of range round the window's
  // ends too much to be screened.
  const bool screened = std::fabs(direction) <= SCREEN_MAX_DIRECTION;
  const double middle = direction * Degree::degToRad;
  const double middleCos = std::cos(middle);
  const double middleSin = std::sin(middle);
  const double innerTan = std::tan((HALF_WINDOW - SCREEN_ANGLE) * Degree::degToRad);
  const double outerTan = std::tan((HALF_WINDOW + SCREEN_ANGLE) * Degree::degToRad);

  int passed = 0;
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < columns; ++i) {
      std::int32_t& cell = cells[static_cast<std::size_t>(columns) * j + i];
      if (cell != constraintCount) continue;
      // The direction is the one seen by the observer: from the cell to the flag, or from
      // the observer to the cell.
      Point cellPos = cellCentre(i, j);
      const Point& seer = minusRule ? cellPos : centre;
      const Point& seen = minusRule ? centre : cellPos;
      float dist = seer.getDistance(seen);
      if (!(low < dist && dist < high)) continue;
      const float dx = seen.x - seer.x;
      const float dy = seen.y - seer.y;
      const double along = middleCos * dx + middleSin * dy;
      const double across = std::fabs(middleCos * dy - middleSin * dx);
      if (screened && along > 0.0 && across >= along * outerTan) continue;
      if (!(screened && along > 0.0 && across <= along * innerTan) &&
          !Degree::isBetween(from, to, Degree::arcTan2(dy, dx)))
        continue;
      ++cell;
      ++passed;
    }
  }
  if (passed > 0) ++constraintCount;
  return passed;
}

int PossiblePoints::addPositionSimulate(float x, float y, float velX, float velY, float rand,
                                        float posDeviation, float extraDeviation) {
  if (cells.empty()) return 0;
  float base = (extraDeviation + posDeviation) / 1.4142135623730951f;
  float halfX = base + rand * velX;
  float halfY = base + rand * velY;
  if (!(halfX >= 0.0f) || !(halfY >= 0.0f)) return 0;
  float step = std::min(stepX, stepY);
  step = std::max(step, cellSizeX / 2.0f);
  step = std::max(step, cellSizeY / 2.0f);
  float velDirection = Degree::arcTan2(velY, velX);
  // Most samples fall outside the grid. The turn, the same for every sample, tells which
  // ones could fall inside; only those are turned sample by sample, which is what places
  // them. Outside the box by more than the margin, the two turns can never disagree.
  const double turn = -velDirection * Degree::degToRad;
  const double turnCos = std::cos(turn);
  const double turnSin = std::sin(turn);
  const bool screened = stepX > 0.0f && stepY > 0.0f;

  int passed = 0;
  float u = -halfX;
  for (int k = 0; u <= halfX && k < maxSamplesPerAxis; ++k, u += step) {
    float w = -halfY;
    for (int l = 0; w <= halfY && l < maxSamplesPerAxis; ++l, w += step) {
      if (screened) {
        const double margin = SCREEN_MARGIN + SCREEN_SHARE * (std::fabs(u) + std::fabs(w));
        const double screenX = x + (u * turnCos - w * turnSin) - originX;
        const double screenY = y + (u * turnSin + w * turnCos) - originY;
        if (screenX < -stepX - margin || screenX > columns * double(stepX) + margin ||
            screenY < -stepY - margin || screenY > rows * double(stepY) + margin)
          continue;
      }
      Vector sample(Point(u, w));
      sample.rotate(-velDirection);
      float px = x + sample.getX();
      float py = y + sample.getY();
      // A zero step means the box is a single column (or row).
      float column = stepX > 0.0f ? (px - originX) / stepX : 0.0f;
      float row = stepY > 0.0f ? (py - originY) / stepY : 0.0f;
      // Truncation toward zero puts samples less than a cell below the box into cell 0.
      if (!(column > -1.0f && column < columns && row > -1.0f && row < rows)) continue;
      std::int32_t& cell = cells[static_cast<std::size_t>(columns) * static_cast<int>(row) +
                                 static_cast<int>(column)];
      if (cell != constraintCount) continue;
      ++cell;
      ++passed;
    }
  }
  if (passed > 0) ++constraintCount;
  return passed;
}

bool PossiblePoints::setByFlags(const FieldFlag* const* flags, int count, float headDir,
                                float quantizeStep) {
  count = std::min(count, MAX_FLAGS);
  if (count <= 0) return false;

  const FieldFlag* ordered[MAX_FLAGS];
  for (int i = 0; i < count; ++i) ordered[i] = flags[i];
  for (int i = 0; i < count; ++i)
    for (int j = i + 1; j < count; ++j)
      if (ordered[i]->getSeeDistance() > ordered[j]->getSeeDistance())
        std::swap(ordered[i], ordered[j]);

  // The exchange sort leaves the first of the nearest flags in front.
  const FieldFlag* nearest = ordered[0];
  if (!initSector(nearest->getPos(), nearest->getSeeDistance(),
                  nearest->getSeeDirection() + headDir, quantizeStep, true))
    return false;

  for (int i = 0; i < count; ++i) {
    int passed = addFlag(ordered[i], headDir, quantizeStep);
    if (passed >= 1 && passed <= ENOUGH_SURVIVORS) break;
  }
  return true;
}

bool PossiblePoints::setBySee(float distance, float direction, float headDir,
                              const Vector& observer, float quantizeStep) {
  if (!initSector(observer, distance, direction + headDir, quantizeStep, false)) return false;
  addSee(distance, direction, headDir, observer, quantizeStep);
  return true;
}

void PossiblePoints::calculate() {
  if (cells.empty()) return;
  double sumX = 0.0;
  double sumY = 0.0;
  double sumXX = 0.0;
  double sumYY = 0.0;
  long survivors = 0;
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < columns; ++i) {
      if (cells[static_cast<std::size_t>(columns) * j + i] != constraintCount) continue;
      Point centre = cellCentre(i, j);
      sumX += centre.x;
      sumY += centre.y;
      sumXX += double(centre.x) * centre.x;
      sumYY += double(centre.y) * centre.y;
      ++survivors;
    }
  }
  if (survivors == 0) return;
  double meanX = sumX / survivors;
  double meanY = sumY / survivors;
  // Without any constraint the answer stays the centre of the box; the spread of the
  // whole box is still the honest deviation.
  if (constraintCount > 0) {
    resultX = static_cast<float>(meanX);
    resultY = static_cast<float>(meanY);
  }
  deviationX = static_cast<float>(std::sqrt(std::abs(sumXX / survivors - meanX * meanX)));
  deviationY = static_cast<float>(std::sqrt(std::abs(sumYY / survivors - meanY * meanY)));
}

namespace {

// The estimate on a standing grid: the object's predicted motion as a prior while that is
// certain enough, then the centroid of the surviving cells and half their spread.
Vector finishEstimate(PossiblePoints& grid, const Object& object, float& deviation) {
  if (object.getPosDeviation() < PRIOR_MAX_DEVIATION)
    grid.addPositionSimulate(object.getPos().getX(), object.getPos().getY(), object.getVel().getX(),
                             object.getVel().getY(), object.getRand(), object.getPosDeviation(),
                             0.0f);
  grid.calculate();
  grid.releaseTable();
  float dx = grid.getDeviationX();
  float dy = grid.getDeviationY();
  deviation = 0.5f * std::sqrt(dx * dx + dy * dy);
  return Vector(Point(grid.getResultX(), grid.getResultY()));
}

template <typename Seen>
Vector estimateSeen(PossiblePoints& grid, const Seen& seen, const Body& body, float& deviation,
                    float quantizeStep) {
  Vector predicted = seen.getPos();
  if (!grid.setBySee(seen.getSeeDistance(), seen.getSeeDirection(), body.getHeadDir(),
                     body.getPos(), quantizeStep)) {
    grid.releaseTable();
    return predicted;
  }
  return finishEstimate(grid, seen, deviation);
}

}  // namespace

Vector PossiblePoints::calculateBodyPosition(const Body& body, const FieldFlag* const* flags,
                                             int count, float& deviation, float quantizeStep) {
  cellSizeX = BODY_CELL_SIZE;
  cellSizeY = BODY_CELL_SIZE;
  Vector predicted = body.getPos();
  if (!setByFlags(flags, count, body.getHeadDir(), quantizeStep)) {
    releaseTable();
    return predicted;
  }
  return finishEstimate(*this, body, deviation);
}

Vector PossiblePoints::calculatePlayerPosition(const Player& player, const Body& body,
                                               float& deviation, float quantizeStep) {
  cellSizeX = PLAYER_CELL_SIZE;
  cellSizeY = PLAYER_CELL_SIZE;
  return estimateSeen(*this, player, body, deviation, quantizeStep);
}

Vector PossiblePoints::calculateBallPosition(const Ball& ball, const Body& body, float& deviation,
                                             float quantizeStep) {
  cellSizeX = BALL_CELL_SIZE;
  cellSizeY = BALL_CELL_SIZE;
  return estimateSeen(*this, ball, body, deviation, quantizeStep);
}

}  // namespace tovren
