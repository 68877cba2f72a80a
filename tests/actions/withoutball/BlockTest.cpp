#include "actions/withoutball/Block.h"

#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "support/DefenseScene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tovren {
namespace {

class ProbeBlock : public Block {
 public:
  using Block::Block;
  using Block::blockPoint;
  using Block::interCalculate;
  using Block::limitByPost;
  using Block::searchBlock;
};

using BlockScene = support::DefenseScene<ProbeBlock>;

TEST_F(BlockScene, BlocksWhereTheAgentCatchesTheDribbledBallOrNowhere) {
  // Agent, ball and its x speed, an opponent on it, blocked, an empty command, the runs of a
  // search from 0.85: an agent chasing from 8 m behind, on the ball himself, a ball gone
  // before anyone reaches it, a dribble out of reach even when left where it is taken.
  const float cases[][9] = {{-12, 0.5f, -20, 0, 0, 1, 1, 0, 3},
                            {0, 0, 0.1f, 0, 0, 0, 1, 1, 1},
                            {-40, 0, 52, 0, 2.5f, 0, 0, 0, 18},
                            {52, 33, -50, -30, 0, 1, 0, 0, 18}};
  for (const auto& [x, y, ballX, ballY, ballVx, opponent, blocked, empty, runs] : cases) {
    SCOPED_TRACE(::testing::Message() << x << "," << y);
    scene(9, {x, y}, {ballX, ballY}, "play_on");
    worldModel->setBall().setVel().setAsCartesian(ballVx, 0);
    if (opponent != 0) placePlayer(TID_OPPONENT, 9, {ballX - 0.3f, ballY});
    worldModel->updateCurInterCalculate();
    action->blockPoint = Point(1, 2);
    EXPECT_EQ(action->getValue(), blocked != 0 ? 1000.0f : AD_MIN_VALUE);
    EXPECT_EQ(action->blockPoint.getDistance({1, 2}) > 0, blocked != 0);
    SayDecisionFlags flags;
    action->execute(flags);
    const Command* command = action->getCommand();
    EXPECT_EQ(command != nullptr, blocked != 0);
    EXPECT_TRUE(command == nullptr || (command->getKind() == CK_EMPTY) == (empty != 0));
    EXPECT_EQ(action->searchBlock(0.85f, 180), unsigned(runs));
  }
  EXPECT_EQ(action->searchBlock(1.1f, 180), 23u) << "down to a hair below 0";
}

// From x -35 on the dribbler is taken to run at our goal's centre, before it straight back:
// the block lies on his way from the ball (y 10) to (-52.5, aim y).
TEST_F(BlockScene, DeepDribbleRunsAtTheGoalCentre) {
  const float cases[][2] = {{-35, 0}, {-34.9f, 10}};  // ball x, aim y
  for (const auto& [ballX, aimY] : cases) {
    SCOPED_TRACE(ballX);
    scene(9, {-45, 5}, {ballX, 10}, "play_on");
    placePlayer(TID_OPPONENT, 9, {ballX - 0.3f, 10});
    worldModel->updateCurInterCalculate();
    ASSERT_EQ(action->getValue(), 1000.0f);
    const Point& p = action->blockPoint;
    EXPECT_LT(p.x, ballX - 1);
    EXPECT_NEAR((p.x - ballX) * (aimY - 10) - (p.y - 10) * (-52.5f - ballX), 0, 1e-2f);
  }
}

TEST_F(BlockScene, PostsKeepTheBlockNearHomeBehindTheLineOrRefuseIt) {
  // Post, after a block, stamina (thousands), ball x, agent x, block point from the home
  // point, accepted, its x moved to (99: not moved). Our line stands at -20.
  const float cases[][9] = {
      {5, 0, 8, 0, -4.7f, 0, 20, 1, 99},      {2, 0, 8, 0, -4.7f, 0, -6.5f, 0, 99},
      {2, 0, 8, 0, -4.7f, 5, 0, 1, 0},        {2, 1, 8, -30, -34.5f, 5, 0, 0, 99},
      {2, 0, 8, -30, -29, 5, 0, 1, 99},       {5, 0, 8, -29.9f, -34.5f, 5, 0, 0, 99},
      {5, 1, 8, -29.9f, -34.5f, 5, 0, 1, 99}, {2, 0, 8, -31, -35, 3, 0, 0, 99},
      {2, 1, 8, -31, -35, 3, 0, 1, 99},       {5, 0, 1.9f, -30, -34.5f, 2.5f, 0, 0, 99},
      {5, 0, 8, -30, -34.5f, 2.5f, 0, 1, 99}, {5, 1, 1.65f, -29.9f, -34.5f, 1.5f, 0, 0, 99},
      {3, 0, 8, -31, -35, 0, 6.5f, 0, 99},    {3, 1, 8, -31, -35, 0, 6.5f, 1, 99},
      {3, 1, 8, -31, -35, 0, 7.2f, 0, 99},    {4, 0, 8, -31, -35, 2.5f, 0, 0, 99},
      {4, 1, 8, -31, -35, 2.5f, 0, 1, 99},    {4, 0, 8, -30, -34.5f, 4.6f, 0, 0, 99},
      {4, 0, 8, -31, -32, 2.5f, 0, 1, 99},    {4, 0, 8, -31, -36.5f, 0, 0, 0, 99},
      {8, 0, 8, 5, -16.4f, 3, 0, 1, 99},      {8, 0, 8, 5.01f, -16.4f, 3, 0, 0, 99},
      {8, 0, 8, 5.01f, -13, 3, 0, 1, 99},     {8, 0, 8, 5, -16.4f, 0, 4.5f, 0, 99},
      {6, 0, 8, 0, -10, -30, 0, 1, -20},      {6, 0, 8, 0, -20, -30, 0, 1, 99},
      {9, 0, 8, 0, 0, 30, 30, 1, 99},         {1, 0, 8, 0, 0, 10, 0, 1, 0},
      {5, 0, 8, 0, -4.7f, 5, 0, 1, 0}};
  for (const auto& [post, afterBlock, stamina, ballX, x, dx, dy, accepted, movedX] : cases) {
    SCOPED_TRACE(::testing::Message() << post << " " << afterBlock << " " << stamina << " " << ballX
                                      << " " << x << " " << dx << " " << dy);
    scene(unsigned(post), {x, 0}, {ballX, 0}, "play_on");
    worldModel->setBody().setStamina(stamina * 1000);
    placePlayer(TID_TEAMMATE, 2, {-25, 0});
    placePlayer(TID_TEAMMATE, 4, {-20, 0});
    positioning->setHomePoints();
    action->giveLastDecide(afterBlock != 0 ? DT_BLOCK : DT_NONE);
    action->blockPoint = Point(home().x + dx, home().y + dy);
    EXPECT_EQ(action->limitByPost(), accepted != 0);
    if (accepted == 0) continue;
    EXPECT_NEAR(action->blockPoint.x, movedX == 99 ? home().x + dx : movedX, 1e-4f);
  }
}

}  // namespace
}  // namespace tovren
