#include "actions/withball/Pass.h"

#include "support/ChildProcess.h"
#include "support/KickScene.h"
#include "support/PassScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tovren {
namespace {

constexpr float ANGLE_TOLERANCE = 0.01f;  // degrees

using support::ProbePass;

class PassScene : public ::testing::Test {
 protected:
  void SetUp() override {
    support::setAgentConfig(true);
    worldModel = std::make_unique<WorldModel>();
    placeBall(0.0f);
  }
  void placeBall(float x) { support::placeAgentWithBall(*worldModel, x - 0.5f, 0, 0, 0.5f); }
  void writeFactors(const std::vector<support::FactorEdit>& edits = {}) {
    directory.write("Configs/PassFactors.conf", support::passFactorsText(edits));
  }

  support::ScratchDirectory directory;
  std::unique_ptr<WorldModel> worldModel;
};

TEST_F(PassScene, FactorsComeFromTheTokenOfTheirKindAndAreReread) {
  writeFactors({{"StatusShoot", "MinValue", "1111 1.5 2110 3110 99"}});
  support::WorkingDirectory inside(directory.path());
  ProbePass pass(worldModel.get(), false);
  const PassFactors* f = pass.passFactors;
  const float readAndExpected[][2] = {
      {f[PK_CROSS].posDeviation.minValue, 0},
      {f[PK_OFFENSE].offense.maxValue, 1011},
      {f[PK_BREAK_OFFSIDE].extraCatch.maxWeight, 3143},
      {f[PK_CROSS].statusShoot.minValue, 1111},
      {f[PK_OFFENSE].statusShoot.minValue, 1.5f},
      {f[PK_BREAK_OFFSIDE].statusShoot.minValue, 3110},
  };
  for (const auto& [read, expected] : readAndExpected) EXPECT_EQ(read, expected);

  pass.calculateGlobalVars();
  EXPECT_FLOAT_EQ(pass.crossRate, 0.0f) << "no crosses with the ball before x 30";
  writeFactors({{"GlobalVars", "BreakOffsideAlpha", "-7 3"},
                {"GlobalVars", "LogLevel", "-1"},
                {"Offense", "MaxValue", "5 6 7 8"},
                {"ExtraCatch", "", std::nullopt}});
  placeBall(30.0f);
  pass.calculateGlobalVars();
  EXPECT_FLOAT_EQ(pass.crossRate, 0.6f);
  EXPECT_FLOAT_EQ(pass.breakOffsideAlpha, 4.5f) << "the store changes only when the file is read";
  pass.loadPassFactors();
  pass.calculateGlobalVars();
  EXPECT_FLOAT_EQ(pass.breakOffsideAlpha, -7.0f);
  EXPECT_NE(pass.logLevel, 0u);
  EXPECT_EQ(pass.passFactors[PK_SECURE_BALL].offense.maxValue, 7.0f);
  EXPECT_EQ(pass.passFactors[PK_OFFENSE].extraCatch.minWeight, 1142.0f) << "kept from before";
}

TEST(PassPlan, WeightsByUniformNumbersAndBallX) {
  // Kicker, receiver, ball x, weight.
  const float cases[][4] = {
      {5, 5, 0, 0},    {5, 7, 0, -75},     {5, 11, 0, 85}, {5, 0, 0, 60},      {5, 12, 0, 0},
      {7, 5, 0, -15},  {9, 6, 0, -75},     {6, 10, 0, 85}, {6, 0, 0, 60},      {8, 1, 0, 60},
      {2, 10, 35, 85}, {2, 10, 35.5, -15}, {2, 11, 0, 0},  {2, 4, 0, 60},      {2, 5, 0, 0},
      {4, 11, 35, 85}, {4, 11, 36, -15},   {4, 2, 0, 60},  {4, 10, 0, 0},      {3, 4, 0, 60},
      {3, 11, 35, 60}, {3, 11, 36, -15},   {3, 5, 0, 0},   {10, 3, 37.5, -30}, {11, 9, 38, 60},
      {1, 10, 50, 0},  {12, 10, 0, 0},
  };
  for (const auto& [kicker, receiver, x, weight] : cases) {
    SCOPED_TRACE(::testing::Message() << kicker << " to " << receiver << " at " << x);
    EXPECT_EQ(Pass::getPlanWeight(kicker, receiver, Point(x, 0)), weight);
  }
}

TEST_F(PassScene, ShootAngleCountsTheGoalieOnlyBetweenThePosts) {
  // From (x, 0) with the goalie at (goalie x, goalie y); no goalie at x 0.
  const float cases[][4] = {
      {0, 0, 0, 15.19f},          {42.5f, 0, 0, 69.98f},
      {42.5f, 51.5f, 0, 34.99f},  {42.5f, 51.5f, 3, 53.43f},
      {42.5f, 51.5f, 6, 68.68f},  {42.5f, 51.5f, 6.5f, 69.98f},
      {42.5f, 51.5f, -6, 68.68f}, {42.5f, 51.5f, -6.5f, 69.98f},
      {42.5f, 51.5f, 20, 69.98f}, {40, 30, 0, 58.50f},
      {52.5f, 0, 0, 180},
  };
  for (const auto& [x, goalieX, goalieY, angle] : cases) {
    SCOPED_TRACE(::testing::Message() << x << " goalie " << goalieX << "," << goalieY);
    support::placeFullPlayer(*worldModel, TID_OPPONENT, 1, goalieX, goalieY)
        .setGoalie(goalieX != 0);
    EXPECT_NEAR(Pass::getShootDirValue(Point(x, 0), worldModel.get()), angle, ANGLE_TOLERANCE);
  }
}

}  // namespace
}  // namespace tovren
