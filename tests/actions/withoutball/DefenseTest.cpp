#include "actions/withoutball/Defense.h"

#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "support/DefenseScene.h"

#include <gtest/gtest.h>

namespace tovren {
namespace {

constexpr float TOLERANCE = 0.01f;

class DefenseScene : public support::DefenseScene<Defense> {
 protected:
  // A valid player seen without his number (half) or without his team (quarter).
  void placeUnnamed(bool half, unsigned int i, const Point& pos) {
    Player& p = half ? worldModel->setHalfPlayer(TID_OPPONENT, i) : worldModel->setQuarterPlayer(i);
    p.setPos().setAsCartesian(pos.x, pos.y);
    p.setValidPosDeviation(0.5f);
  }
};

TEST_F(DefenseScene, MarksOnlyInsideTheRectangleOfThePostAndKeepsTheBackLineDepth) {
  // Post, ball x, restart, opponent's offset from the home point, marked.
  const float cases[][6] = {
      {2, -10, 0, 4.5f, 4.5f, 1}, {2, -1, 0, 1.5f, 1, 0},     {3, -25, 0, 3, 1.5f, 1},
      {3, -25, 0, 1, 2, 0},       {8, 9, 0, -7, 3, 1},        {8, 10, 0, 0, 1, 0},
      {10, 0, 0, 0, 1, 0},        {10, 0, 1, 0, 1, 1},        {6, 20, 1, -20.5f, 1, 1},
      {6, -20, 1, -13.5f, 1, 0},  {1, -50, 0, 0.1f, 0.1f, 0}, {3, -20, 0, 1, 2, 0},
      {6, 20, 1, 6, 1, 0}};
  for (const auto& [post, ballX, restart, dx, dy, marked] : cases) {
    SCOPED_TRACE(::testing::Message() << post << " " << ballX << " " << restart);
    scene(unsigned(post), {-40, 30}, {ballX, 0}, restart != 0 ? "kick_in_r" : "play_on");
    const Point formation = home();
    placePlayer(TID_OPPONENT, 7, {formation.x + dx, formation.y + dy});
    EXPECT_EQ(action->getValue(), 10.0f);
    // At their restart beyond x 15 the wide midfielders stand 8 m deeper.
    const float drop = post == 6 && restart != 0 && ballX > 15 ? 8 : 0;
    const Point unmarked(formation.x - drop, formation.y);
    EXPECT_EQ(action->getHomePoint(0).getDistance(unmarked) > 0, marked != 0);
    if (marked != 0 && (post <= 5 || post == 8) && ballX > -34) {
      EXPECT_EQ(action->getHomePoint(0).x, formation.x);
    }
  }
}

TEST_F(DefenseScene, PicksTheCheapestCandidateTheFirstInWalkingOrderOnTies) {
  // Rectangle 5 by 5 around (-20, 0), the agent on it. The y of a full, a half and a
  // quarter player at x -18, and the mark's y: full before half, half before quarter, the
  // cheaper half, none on the border.
  const float cases[][4] = {{2, -2, 9, 2}, {9, 2, -2, 2}, {2.5f, -2, 9, -2}, {5, 9, 9, 0}};
  for (const auto& [fullY, halfY, quarterY, markY] : cases) {
    scene(9, {-20, 0}, {0, 0}, "play_on");
    placePlayer(TID_OPPONENT, 3, {-18, fullY});
    placeUnnamed(true, 4, {-18, halfY});
    placeUnnamed(false, 5, {-18, quarterY});
    Point point(-20, 0);
    action->checkMarkPlayer(point, 5, 5);
    EXPECT_EQ(point.y, markY) << fullY << " " << halfY << " " << quarterY;
  }
  // Far more than twenty candidates: the cheapest, the last quarter player, still wins.
  for (unsigned int i = 0; i < 30; ++i) placeUnnamed(i < 20, i % 20, {-17, 1 + 0.1f * i});
  placeUnnamed(false, 29, {-17, 0.5f});
  Point point(-20, 0);
  action->checkMarkPlayer(point, 5, 5);
  EXPECT_EQ(point.y, 0.5f);
}

TEST_F(DefenseScene, MarksFromBehindOrTowardsTheBallAtTheirRestarts) {
  // Post, restart, ball x, opponent x, mark point; the agent at (0, 0), the ball on y 4.
  const float cases[][6] = {{6, 1, 20, 10, 12.79f, 1.11f}, {9, 1, -10, 1, -1.1f, 0},
                            {9, 1, 1, 4, 2.2f, 2.4f},      {8, 1, 20, 10, 7, 0},
                            {6, 0, 20, 20, 17, 0},         {5, 1, 20, 10, 7, 0}};
  for (const auto& [post, restart, ballX, oppX, markX, markY] : cases) {
    SCOPED_TRACE(::testing::Message() << post << " " << restart << " " << oppX);
    scene(unsigned(post), {0, 0}, {ballX, 4}, restart != 0 ? "kick_in_r" : "play_on");
    EXPECT_EQ(action->makeMarkPoint({oppX, 0}).y, 0.0f) << "a fresh action marks from behind";
    action->getValue();
    EXPECT_NEAR(action->makeMarkPoint({oppX, 0}).getDistance({markX, markY}), 0, TOLERANCE);
  }
}

TEST_F(DefenseScene, GuardsTheGoalLineAndPullsTheBackTowardsTheAnchor) {
  // Post 5's home (-49, 9) and post 2's (-49, -9) come from a ball at our goal centre.
  // Post, ball, the guard's y and the turn there.
  const float cases[][5] = {{5, -52.5f, 7, 7, 90},    {5, -40, -10, 4.54f, -90},
                            {5, -52.5f, 3, 3, 90},    {2, -52.5f, -3, -3, 90},
                            {2, -40, 10, -4.54f, 90}, {2, -40, -20, -5.46f, -90}};
  for (const auto& [post, ballX, ballY, y, turn] : cases) {
    SCOPED_TRACE(::testing::Message() << post << " " << ballX << "," << ballY);
    scene(unsigned(post), {-51, y}, {-52.5f, 0}, "kick_in_l");
    placeBall({ballX, ballY});
    Point point;
    action->checkForGoal(point);
    EXPECT_NEAR(point.getDistance({-51, y}), 0, TOLERANCE);
    SayDecisionFlags flags;
    action->execute(flags);
    const auto* command = commandAs<TurnCommand>(action->getCommand());
    ASSERT_NE(command, nullptr);
    EXPECT_NEAR(command->getDirection(), turn, TOLERANCE);
  }
  // Post, ball, point, where the point ends.
  const float pulls[][7] = {{5, -22.5f, 5, -30, 5, -30, 5},
                            {5, -40, 5, -30, 5, -46.25f, 5},
                            {2, -35, -20, -52.5f, -25, -52.5f, -16.52f},
                            {9, 10, 0, 0, 8, 0, 5}};
  for (const auto& [post, ballX, ballY, x, y, endX, endY] : pulls) {
    scene(unsigned(post), {0, 0}, {ballX, ballY}, "play_on");
    Point point(x, y);
    action->checkGoalDist(point);
    EXPECT_NEAR(point.getDistance({endX, endY}), 0, TOLERANCE) << post << " " << ballX;
  }
}

TEST_F(DefenseScene, GoesToTheGuardPlaceByTurnPreciseStepOrPlainDash) {
  // Target x from the agent at (0, 0) facing 0: 0.2 turns to the facing, below 6 a precise
  // step (backward allowed), from 6 a plain go-to that turns to a target behind.
  const std::pair<float, CommandKind> cases[] = {
      {0.2f, CK_TURN}, {0.21f, CK_DASH}, {-3, CK_DASH}, {-6, CK_TURN}, {6, CK_DASH}};
  scene(5, {0, 0}, {10, 0}, "play_on");
  for (const auto& [x, kind] : cases) {
    action->gotoTir({x, 0}, 45);
    SayDecisionFlags flags;
    action->execute(flags);
    ASSERT_NE(action->getCommand(), nullptr);
    ASSERT_EQ(action->getCommand()->getKind(), kind) << x;
    if (x < 0 && kind == CK_DASH) {
      EXPECT_LT(commandAs<DashCommand>(action->getCommand())->getPower(), 0) << x;
    }
  }
}

}  // namespace
}  // namespace tovren
