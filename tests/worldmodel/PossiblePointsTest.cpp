#include "worldmodel/PossiblePoints.h"

#include "foundation/FieldData.h"
#include "foundation/SExpression.h"
#include "geometry/Degree.h"
#include "support/ActionScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace tovren {
namespace {

using support::parseEntry;

constexpr float TOLERANCE = 1e-4f;
// What the grid may miss a synthetic truth by: a couple of 0.2 m cells.
constexpr float POSITION_TOLERANCE = 0.3f;
// The recorded match: quantize_step 0.1 (moving objects), quantize_step_l 0.01 (flags).
constexpr float QUANTIZE_STEP = 0.1f;
constexpr float QUANTIZE_STEP_L = 0.01f;

// What the server reports: the distance quantised on a logarithmic scale, then to 0.1;
// the direction relative to the head, in its own (negated) frame, to whole degrees.
float serverDistance(float distance, float quantizeStep) {
  double quantised =
      std::exp(std::nearbyint(std::log(distance + 1e-10) / quantizeStep) * quantizeStep);
  return static_cast<float>(std::nearbyint(quantised * 10.0) / 10.0);
}

float serverDirection(const Point& from, const Point& to, float headDir) {
  float global = Degree::arcTan2(to.y - from.y, to.x - from.x);
  return static_cast<float>(std::nearbyint(-Degree::normalizeAngle(global - headDir)));
}

std::string entryText(const char* name, float distance, float direction) {
  std::ostringstream text;
  text << "((" << name << ") " << distance << " " << direction << ")";
  return text.str();
}

// The flags an agent at truth with this head direction sees in a normal view.
std::vector<FieldFlag> seenFlags(const FieldData& fieldData, const Point& truth, float headDir) {
  std::vector<FieldFlag> flags;
  for (int id = 0; id < FieldData::flagsNum; ++id) {
    Point flagPos = fieldData.getFlagPos(id);
    float global = Degree::arcTan2(flagPos.y - truth.y, flagPos.x - truth.x);
    if (std::abs(Degree::normalizeAngle(global - headDir)) > 45.0f) continue;
    FieldFlag flag;
    float distance = serverDistance(truth.getDistance(flagPos), QUANTIZE_STEP_L);
    auto entry = parseEntry(entryText("f", distance, serverDirection(truth, flagPos, headDir)));
    EXPECT_TRUE(flag.parse(id, *entry, 1));
    flag.update(fieldData);
    flags.push_back(flag);
  }
  return flags;
}

TEST(PossiblePointsBody, SyntheticFlagsLocaliseTheAgent) {
  FieldData fieldData;
  struct Case {
    Point truth;
    float headDir;
  };
  const Case cases[] = {{Point(-10.0f, 5.0f), 30.0f},
                        {Point(0.0f, 0.0f), 0.0f},
                        {Point(40.0f, -25.0f), -170.0f},
                        {Point(-48.0f, 30.0f), 95.0f},
                        {Point(20.0f, 12.0f), 180.0f}};
  for (const Case& c : cases) {
    std::vector<FieldFlag> flags = seenFlags(fieldData, c.truth, c.headDir);
    ASSERT_GE(flags.size(), 2u);
    std::vector<const FieldFlag*> pointers;
    for (const FieldFlag& flag : flags) pointers.push_back(&flag);

    // Predicted far off and forgotten: the flags alone decide.
    Body body = support::makeBody(Point(30.0f, 30.0f), c.headDir);
    body.setPosDeviation(20.0f);
    body.update(pointers.data(), nullptr, nullptr, static_cast<unsigned int>(pointers.size()), 0,
                0);
    EXPECT_NEAR(body.getPos().getX(), c.truth.x, POSITION_TOLERANCE) << c.truth.x;
    EXPECT_NEAR(body.getPos().getY(), c.truth.y, POSITION_TOLERANCE) << c.truth.y;
    EXPECT_LT(body.getPosDeviation(), 0.5f);
    EXPECT_EQ(body.getValidPosDeviation(), body.getPosDeviation());
  }
}

TEST(PossiblePointsBody, APredictionNearTheTruthKeepsTheEstimateThere) {
  FieldData fieldData;
  const Point truth(-20.0f, -10.0f);
  std::vector<FieldFlag> flags = seenFlags(fieldData, truth, 60.0f);
  std::vector<const FieldFlag*> pointers;
  for (const FieldFlag& flag : flags) pointers.push_back(&flag);
  Body body = support::makeBody(Point(-20.1f, -10.05f), 60.0f, support::polar(0.3f, 60.0f));
  body.setPosDeviation(1.0f);
  float deviation = body.getPosDeviation();
  Vector estimate = possiblePoints.calculateBodyPosition(
      body, pointers.data(), static_cast<int>(pointers.size()), deviation, QUANTIZE_STEP);
  EXPECT_NEAR(estimate.getX(), truth.x, POSITION_TOLERANCE);
  EXPECT_NEAR(estimate.getY(), truth.y, POSITION_TOLERANCE);
  EXPECT_LT(deviation, 0.5f);
}

// A flag at a known place seen at a distance and a direction from the head (own frame).
FieldFlag syntheticFlag(const Point& pos, float distance, float direction) {
  FieldFlag flag;
  flag.setPos().setAsCartesian(pos.x, pos.y);
  flag.setSeeDistance(distance);
  flag.setSeeDirection(direction);
  return flag;
}

TEST(PossiblePointsBody, OneFlagGivesTheCentroidOfItsSector) {
  // The agent looks along +x at a flag 10 m ahead at the origin.
  FieldFlag flag = syntheticFlag(Point(0.0f, 0.0f), 10.0f, 0.0f);
  const FieldFlag* flags[1] = {&flag};
  Body body = support::makeBody(Point(-50.0f, 20.0f), 0.0f);
  body.setPosDeviation(5.0f);
  float deviation = body.getPosDeviation();
  Vector estimate = possiblePoints.calculateBodyPosition(body, flags, 1, deviation, 0.1f);
  float low = 0.0f;
  float high = 0.0f;
  PossiblePoints::getDistanceInterval(10.0f, 0.1f, low, high);
  EXPECT_NEAR(estimate.getX(), -(low + high) / 2.0f, 0.02f);
  EXPECT_NEAR(estimate.getY(), 0.0f, 0.02f);
  // About a uniform spread over the sector's depth of about 1 m (0.29) and its width of
  // 0.17 m (0.05); the deviation is half their length.
  EXPECT_NEAR(possiblePoints.getDeviationX(), (high - low) / std::sqrt(12.0f), 0.03f);
  EXPECT_NEAR(deviation, 0.15f, 0.03f);
}

TEST(PossiblePointsBody, AFlagThatContradictsTheSurvivorsIsPassedOver) {
  FieldFlag near = syntheticFlag(Point(0.0f, 0.0f), 10.0f, 0.0f);
  // From about (-10, 0) this flag would be at 90 degrees, not at -90.
  FieldFlag wrong = syntheticFlag(Point(-10.0f, 10.0f), 12.0f, -90.0f);
  FieldFlag right = syntheticFlag(Point(-10.0f, -15.0f), 15.0f, -90.0f);
  const FieldFlag* flags[3] = {&near, &wrong, &right};
  ASSERT_TRUE(possiblePoints.setByFlags(flags, 3, 0.0f, 0.1f));
  EXPECT_EQ(possiblePoints.getConstraintCount(), 2);
  EXPECT_GT(possiblePoints.getSurvivorCount(), 0);
  EXPECT_EQ(possiblePoints.addFlag(&wrong, 0.0f, 0.1f), 0);
  EXPECT_EQ(possiblePoints.getConstraintCount(), 2);
  possiblePoints.releaseTable();
}

TEST(PossiblePointsBody, FewSurvivorsStopTheFlagLoop) {
  // A flag half a metre away leaves a sector of a single cell.
  FieldFlag close = syntheticFlag(Point(0.0f, 0.0f), 0.5f, 0.0f);
  FieldFlag far = syntheticFlag(Point(0.0f, 20.0f), 20.0f, 90.0f);
  const FieldFlag* flags[2] = {&far, &close};
  ASSERT_TRUE(possiblePoints.setByFlags(flags, 2, 0.0f, 0.1f));
  EXPECT_EQ(possiblePoints.getConstraintCount(), 1);
  EXPECT_LE(possiblePoints.getSurvivorCount(), 4);
  possiblePoints.releaseTable();
}

TEST(PossiblePointsGrid, PriorOutsideTheSurvivorsIsDropped) {
  ASSERT_TRUE(possiblePoints.setBySee(10.0f, 0.0f, 0.0f, Vector(), 0.1f));
  int survivors = possiblePoints.getSurvivorCount();
  ASSERT_GT(survivors, 0);
  EXPECT_EQ(possiblePoints.addPositionSimulate(30.0f, 30.0f, 0.5f, 0.0f, 0.1f, 1.0f, 0.0f), 0);
  EXPECT_EQ(possiblePoints.getSurvivorCount(), survivors);
  EXPECT_EQ(possiblePoints.getConstraintCount(), 1);
  // A negative half-extent (velocity against the rand) runs no sample.
  EXPECT_EQ(possiblePoints.addPositionSimulate(10.0f, 0.0f, -30.0f, 0.0f, 0.1f, 1.0f, 0.0f), 0);
  EXPECT_GT(possiblePoints.addPositionSimulate(10.0f, 0.0f, 0.0f, 0.0f, 0.1f, 1.0f, 0.0f), 0);
  EXPECT_EQ(possiblePoints.getConstraintCount(), 2);
  possiblePoints.releaseTable();
}

TEST(PossiblePointsGrid, AWindowAcrossZeroTakesTheFarPointAtZero) {
  float low = 0.0f;
  float high = 0.0f;
  PossiblePoints::getDistanceInterval(10.0f, 0.1f, low, high);
  EXPECT_NEAR(low, std::exp(2.25f), TOLERANCE);
  EXPECT_NEAR(high, std::exp(2.35f), TOLERANCE);

  ASSERT_TRUE(possiblePoints.setBySee(10.0f, 0.0f, 0.0f, Vector(), 0.1f));
  float maxX =
      possiblePoints.getOriginX() + possiblePoints.getColumns() * possiblePoints.getStepX();
  EXPECT_NEAR(maxX, high, 1e-4f);
  // Without the point at 0 degrees the box would end at high * cos(0.5).
  EXPECT_GT(maxX, high * Degree::cos(0.5f) + 2e-4f);
  EXPECT_NEAR(
      possiblePoints.getOriginY() + possiblePoints.getRows() * possiblePoints.getStepY() / 2.0f,
      0.0f, 1e-4f);
  possiblePoints.releaseTable();
}

// The cells that the prior's samples fall in when each sample is turned on its own, on a
// fresh grid of player cells (0.2 m).
std::size_t cellsOfTurnedSamples(float x, float y, float velX, float velY, float rand,
                                 float posDeviation) {
  const PossiblePoints& grid = possiblePoints;
  const float half = posDeviation / std::sqrt(2.0f);
  const float halfX = half + rand * velX;
  const float halfY = half + rand * velY;
  const float step = std::max(std::min(grid.getStepX(), grid.getStepY()), 0.1f);
  const float velDirection = Degree::arcTan2(velY, velX);
  std::set<std::pair<int, int>> cells;
  int k = 0;
  for (float u = -halfX; u <= halfX && k < PossiblePoints::maxSamplesPerAxis; u += step, ++k) {
    int l = 0;
    for (float w = -halfY; w <= halfY && l < PossiblePoints::maxSamplesPerAxis; w += step, ++l) {
      Vector sample(Point(u, w));
      sample.rotate(-velDirection);
      const float column = (x + sample.getX() - grid.getOriginX()) / grid.getStepX();
      const float row = (y + sample.getY() - grid.getOriginY()) / grid.getStepY();
      if (column > -1.0f && column < grid.getColumns() && row > -1.0f && row < grid.getRows()) {
        cells.insert({static_cast<int>(column), static_cast<int>(row)});
      }
    }
  }
  return cells.size();
}

TEST(PossiblePointsGrid, PriorKeepsEveryCellASampleTurnedOnItsOwnFallsIn) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f);
  Player player;
  player.setSeeDistance(5.0f);
  float deviation = 0.0f;
  possiblePoints.calculatePlayerPosition(player, body, deviation, QUANTIZE_STEP);

  std::mt19937 random(11);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int i = 0; i < 2000; ++i) {
    const float distance = 1.0f + 40.0f * unit(random);
    const float direction = 360.0f * unit(random) - 180.0f;
    const Vector observer(Point(100.0f * unit(random) - 50.0f, 60.0f * unit(random) - 30.0f));
    ASSERT_TRUE(possiblePoints.setBySee(distance, direction, 0.0f, observer, QUANTIZE_STEP));
    // Priors about the grid, reaching over its edges by up to 3 m.
    const float x = possiblePoints.getOriginX() +
                    possiblePoints.getColumns() * possiblePoints.getStepX() * unit(random) +
                    6.0f * unit(random) - 3.0f;
    const float y = possiblePoints.getOriginY() +
                    possiblePoints.getRows() * possiblePoints.getStepY() * unit(random) +
                    6.0f * unit(random) - 3.0f;
    const float velX = 2.0f * unit(random) - 1.0f;
    const float velY = 2.0f * unit(random) - 1.0f;
    const float posDeviation = 4.0f * unit(random);
    // setBySee has applied its sector: a fresh grid would mark the same cells.
    possiblePoints.initTableByNorthEast(possiblePoints.getOriginX(), possiblePoints.getOriginY(),
                                        possiblePoints.getColumns() * possiblePoints.getStepX(),
                                        possiblePoints.getRows() * possiblePoints.getStepY());
    const std::size_t expected = cellsOfTurnedSamples(x, y, velX, velY, 0.1f, posDeviation);
    ASSERT_EQ(possiblePoints.addPositionSimulate(x, y, velX, velY, 0.1f, posDeviation, 0.0f),
              static_cast<int>(expected))
        << "case " << i;
  }
  possiblePoints.releaseTable();
}

// The cells of the grid that an observation allows, each tested by its own distance and
// direction: from the cell to the flag (minusRule), or from the observer to the cell.
// When it allows none, the grid keeps every cell.
int cellsInSector(const Point& centre, float distance, float direction, bool minusRule) {
  const PossiblePoints& grid = possiblePoints;
  float low = 0.0f;
  float high = 0.0f;
  PossiblePoints::getDistanceInterval(distance, QUANTIZE_STEP, low, high);
  int cells = 0;
  for (int j = 0; j < grid.getRows(); ++j) {
    for (int i = 0; i < grid.getColumns(); ++i) {
      const Point cell(grid.getOriginX() + (i + 0.5f) * grid.getStepX(),
                       grid.getOriginY() + (j + 0.5f) * grid.getStepY());
      const Point& seer = minusRule ? cell : centre;
      const Point& seen = minusRule ? centre : cell;
      const float dist = seer.getDistance(seen);
      if (low < dist && dist < high &&
          Degree::isBetween(direction - 0.5f, direction + 0.5f,
                            Degree::arcTan2(seen.y - seer.y, seen.x - seer.x))) {
        ++cells;
      }
    }
  }
  return cells > 0 ? cells : grid.getColumns() * grid.getRows();
}

TEST(PossiblePointsGrid, ObservationsKeepEveryCellThatItsOwnDirectionAllows) {
  std::mt19937 random(13);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int i = 0; i < 1000; ++i) {
    const float distance = 0.5f + 50.0f * unit(random);
    // Up to three turns, beyond those the windows are not screened.
    const float direction = 2160.0f * unit(random) - 1080.0f;
    const Point place(100.0f * unit(random) - 50.0f, 60.0f * unit(random) - 30.0f);
    ASSERT_TRUE(possiblePoints.setBySee(distance, direction, 0.0f, Vector(place), QUANTIZE_STEP));
    EXPECT_EQ(possiblePoints.getSurvivorCount(), cellsInSector(place, distance, direction, false))
        << "seen, case " << i;
    FieldFlag flag = syntheticFlag(place, distance, direction);
    const FieldFlag* flags[1] = {&flag};
    ASSERT_TRUE(possiblePoints.setByFlags(flags, 1, 0.0f, QUANTIZE_STEP));
    EXPECT_EQ(possiblePoints.getSurvivorCount(), cellsInSector(place, distance, direction, true))
        << "flag, case " << i;
  }
  possiblePoints.releaseTable();
}

TEST(PossiblePointsGrid, CellSizeIsKeptPerKindAndANarrowBoxHasOneCell) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f);
  Ball ball;
  ball.setSeeDistance(5.0f);
  ball.setSeeDirection(0.0f);
  float deviation = 20.0f;
  possiblePoints.calculateBallPosition(ball, body, deviation, 0.1f);
  ASSERT_TRUE(possiblePoints.initTableByNorthEast(0.0f, 0.0f, 0.1f, 0.19f));
  EXPECT_EQ(possiblePoints.getColumns(), 1);
  EXPECT_EQ(possiblePoints.getRows(), 2);  // 0.19 / 0.18 + 1

  Player player;
  player.setSeeDistance(5.0f);
  player.setSeeDirection(0.0f);
  possiblePoints.calculatePlayerPosition(player, body, deviation, 0.1f);
  ASSERT_TRUE(possiblePoints.initTableByNorthEast(0.0f, 0.0f, 0.1f, 0.19f));
  EXPECT_EQ(possiblePoints.getRows(), 1);
  possiblePoints.releaseTable();
}

TEST(PossiblePointsSeen, BallAndPlayerAreFoundWhereTheyAre) {
  const Point bodyPos(10.0f, -5.0f);
  const float headDir = 20.0f;
  Body body = support::makeBody(bodyPos, headDir);
  struct Case {
    Point truth;
    float tolerance;
  };
  const Case cases[] = {{Point(14.0f, -2.0f), POSITION_TOLERANCE},
                        {Point(12.0f, 10.0f), 0.6f},
                        {Point(30.0f, -1.0f), 0.6f}};
  for (const Case& c : cases) {
    float distance = serverDistance(bodyPos.getDistance(c.truth), QUANTIZE_STEP);
    float direction = -serverDirection(bodyPos, c.truth, headDir);

    Ball ball;
    ball.setSeeDistance(distance);
    ball.setSeeDirection(direction);
    float ballDeviation = 20.0f;
    Vector ballEstimate = possiblePoints.calculateBallPosition(ball, body, ballDeviation, 0.1f);
    EXPECT_NEAR(ballEstimate.getX(), c.truth.x, c.tolerance);
    EXPECT_NEAR(ballEstimate.getY(), c.truth.y, c.tolerance);
    EXPECT_LT(ballDeviation, c.tolerance);

    // A player predicted close to the truth: the prior narrows the sector.
    Player player;
    player.setSeeDistance(distance);
    player.setSeeDirection(direction);
    player.setPos().setAsCartesian(c.truth.x + 0.2f, c.truth.y);
    player.setPosDeviation(0.5f);
    float playerDeviation = player.getPosDeviation();
    Vector playerEstimate =
        possiblePoints.calculatePlayerPosition(player, body, playerDeviation, 0.1f);
    EXPECT_NEAR(playerEstimate.getX(), c.truth.x, c.tolerance);
    EXPECT_NEAR(playerEstimate.getY(), c.truth.y, c.tolerance);
    EXPECT_LT(playerDeviation, c.tolerance);
  }
}

TEST(PossiblePointsSeen, DegenerateObservationsNeverGiveNaN) {
  Body body = support::makeBody(Point(3.0f, 4.0f), 0.0f);
  Ball ball;
  ball.setPos().setAsCartesian(7.0f, 4.0f);
  float deviation = 2.0f;

  // Seen at distance 0: the sector is the observer's point.
  ball.setSeeDistance(0.0f);
  ball.setSeeDirection(0.0f);
  Vector atZero = possiblePoints.calculateBallPosition(ball, body, deviation, 0.1f);
  EXPECT_NEAR(atZero.getX(), 3.0f, TOLERANCE);
  EXPECT_NEAR(atZero.getY(), 4.0f, TOLERANCE);
  EXPECT_TRUE(std::isfinite(deviation));

  // No quantisation step: the distance is taken as exact.
  ball.setSeeDistance(4.0f);
  deviation = 2.0f;
  Vector exact = possiblePoints.calculateBallPosition(ball, body, deviation, 0.0f);
  EXPECT_NEAR(exact.getX(), 7.0f, 0.1f);
  EXPECT_TRUE(std::isfinite(deviation));

  // A box that is not finite, or absurdly large, keeps the prediction.
  const float bad[] = {std::numeric_limits<float>::infinity(),
                       std::numeric_limits<float>::quiet_NaN(), -3.0f, 1e30f};
  for (float distance : bad) {
    ball.setSeeDistance(distance);
    deviation = 2.0f;
    Vector kept = possiblePoints.calculateBallPosition(ball, body, deviation, 0.1f);
    EXPECT_FLOAT_EQ(kept.getX(), 7.0f) << distance;
    EXPECT_FLOAT_EQ(deviation, 2.0f) << distance;
  }
  EXPECT_EQ(possiblePoints.getColumns(), 0);

  // A box of zero size: every sample falls into its single cell.
  ASSERT_TRUE(possiblePoints.initTableByNorthEast(1.0f, 1.0f, 0.0f, 0.0f));
  EXPECT_EQ(possiblePoints.getColumns(), 1);
  EXPECT_EQ(possiblePoints.addPositionSimulate(1.0f, 1.0f, 0.0f, 0.0f, 0.1f, 0.5f, 0.0f), 1);
  possiblePoints.calculate();
  EXPECT_NEAR(possiblePoints.getResultX(), 1.0f, TOLERANCE);
  EXPECT_EQ(possiblePoints.getDeviationX(), 0.0f);
  possiblePoints.releaseTable();
}

}  // namespace
}  // namespace tovren
