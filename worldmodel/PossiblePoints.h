#pragma once

#include "geometry/Vector.h"

#include <cstdint>
#include <vector>

namespace tovren {

class Ball;
class Body;
class FieldFlag;
class Player;

// The localisation grid: the area the first observation allows, cut into cells that
// further observations keep or drop; the estimate is the centroid of the survivors.
// One process-wide instance, one estimate at a time.
class PossiblePoints {
 public:
  // Each returns the estimated position and writes its deviation (metres). When the
  // observations give no usable area (non-finite, or absurdly large), the object's
  // own predicted position is returned and the deviation is left as it is.
  Vector calculateBodyPosition(const Body& body, const FieldFlag* const* flags, int count,
                               float& deviation, float quantizeStep);
  Vector calculatePlayerPosition(const Player& player, const Body& body, float& deviation,
                                 float quantizeStep);
  Vector calculateBallPosition(const Ball& ball, const Body& body, float& deviation,
                               float quantizeStep);

  // Builds the grid on the nearest flag's area and applies the flags nearest first
  // until at most 4 cells survive. False when no grid could be built.
  bool setByFlags(const FieldFlag* const* flags, int count, float headDir, float quantizeStep);
  // Returns the number of cells that passed; 0 leaves the grid unchanged.
  int addFlag(const FieldFlag* flag, float headDir, float quantizeStep);
  // The grid on the area of one observation of another object. False when no grid
  // could be built.
  bool setBySee(float distance, float direction, float headDir, const Vector& observer,
                float quantizeStep);
  int addSee(float distance, float direction, float headDir, const Vector& observer,
             float quantizeStep);
  // The prior from a predicted position and velocity.
  int addPositionSimulate(float x, float y, float velX, float velY, float rand, float posDeviation,
                          float extraDeviation);
  // False, with no grid, for a non-finite box or one of more than maxCells cells.
  bool initTableByNorthEast(float x, float y, float width, float height);
  void calculate();
  // Drops the table; its memory is kept for the next estimate.
  void releaseTable();

  // The open interval (low, high) a seen distance stands for under the server's
  // logarithmic quantisation with step q.
  static void getDistanceInterval(float distance, float quantizeStep, float& low, float& high);

  float getResultX() const { return resultX; }
  float getResultY() const { return resultY; }
  float getDeviationX() const { return deviationX; }
  float getDeviationY() const { return deviationY; }
  float getOriginX() const { return originX; }
  float getOriginY() const { return originY; }
  float getStepX() const { return stepX; }
  float getStepY() const { return stepY; }
  int getColumns() const { return columns; }
  int getRows() const { return rows; }
  int getConstraintCount() const { return constraintCount; }
  // How many cells survive all constraints applied so far.
  int getSurvivorCount() const;

  // Above any sector a see on the field can give (the whole field in 0.18 m cells is
  // about 220000).
  static constexpr int maxCells = 1 << 18;
  // Bounds the prior's sampling loops whatever the velocity (a real prior needs < 100).
  static constexpr int maxSamplesPerAxis = 256;

 private:
  struct Box {
    float minX, minY, maxX, maxY;
  };
  // The bounding box of an annular sector: around the flag with the minus rule,
  // around the observer with the plus rule.
  static Box sectorBox(const Point& centre, float r1, float r2, float a1, float a2, bool minusRule);
  bool initTable(const Box& box);
  // One observation, as the distance and the absolute direction (degrees) from the observer
  // to the object, around the flag (minus rule: the observer is in a cell) or around the
  // observer (plus rule: the object is in a cell). initSector builds the grid on its area,
  // addSector keeps the cells that agree with it.
  bool initSector(const Point& centre, float distance, float direction, float quantizeStep,
                  bool minusRule);
  int addSector(const Point& centre, float distance, float direction, float quantizeStep,
                bool minusRule);
  Point cellCentre(int i, int j) const;

  std::vector<std::int32_t> cells;  // columns * rows counters; empty between estimates
  float resultX = 0.0f;
  float resultY = 0.0f;
  float deviationX = 0.0f;
  float deviationY = 0.0f;
  float originX = 0.0f;
  float originY = 0.0f;
  float stepX = 0.0f;
  float stepY = 0.0f;
  std::int32_t constraintCount = 0;
  std::int32_t columns = 0;
  std::int32_t rows = 0;
  float cellSizeX = 0.2f;
  float cellSizeY = 0.2f;
};

extern PossiblePoints possiblePoints;

}  // namespace tovren
