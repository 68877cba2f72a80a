#include "actions/withoutball/Defense.h"

#include "actions/withoutball/Positioning.h"
#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "support/PositioningScene.h"

#include <gtest/gtest.h>

#include <memory>

namespace tovren {
namespace {

constexpr float TOLERANCE = 0.01f;

class DefenseScene : public support::PositioningScene {
 protected:
  // The agent on a post at pos, the ball, the referee's word, home points for that ball.
  Defense& scene(unsigned int post, const Point& pos, const Point& ball, const char* mode) {
    SetUp();
    referee(mode);
    placeAgent(Player::postNumToUniNum(post), pos);
    placeBall(ball);
    positioning = std::make_unique<Positioning>(worldModel.get());
    positioning->setHomePoints();
    defense = std::make_unique<Defense>(worldModel.get(), *positioning);
    return *defense;
  }
  Point home() const { return positioning->getHomePoint(worldModel->getBody().getUniNum()); }
  // A valid player seen without his number (half) or without his team (quarter).
  void placeUnnamed(bool half, unsigned int i, const Point& pos) {
    Player& p = half ? worldModel->setHalfPlayer(TID_OPPONENT, i) : worldModel->setQuarterPlayer(i);
    p.setPos().setAsCartesian(pos.x, pos.y);
    p.setValidPosDeviation(0.5f);
  }

  std::unique_ptr<Positioning> positioning;
  std::unique_ptr<Defense> defense;
};

TEST_F(DefenseScene, MarksOnlyInsideTheRectangleOfThePostAndKeepsTheBackLineDepth) {
  // Post, ball x, referee, opponent's offset from the home point, marked.
  struct Case {
    unsigned int post;
    float ballX;
    const char* mode;
    float dx, dy;
    bool marked;
  };
  const Case cases[] = {
      {2, -10, "play_on", 4.5f, 4.5f, true}, {2, -1, "play_on", 1.5f, 1, false},
      {3, -25, "play_on", 3, 1.5f, true},    {3, -25, "play_on", 1, 2, false},
      {8, 9, "play_on", -7, 3, true},        {8, 10, "play_on", 0, 1, false},
      {10, 0, "play_on", 0, 1, false},       {10, 0, "kick_in_r", 0, 1, true},
      {6, 20, "kick_in_r", -20.5f, 1, true}, {6, -20, "kick_in_r", -13.5f, 1, false},
      {1, -50, "play_on", 0.1f, 0.1f, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.post << " " << c.ballX << " " << c.mode);
    scene(c.post, {-40, 30}, {c.ballX, 0}, c.mode);
    const Point formation = home();
    placePlayer(TID_OPPONENT, 7, {formation.x + c.dx, formation.y + c.dy});
    EXPECT_EQ(defense->getValue(), 10.0f);
    EXPECT_EQ(defense->getHomePoint(0).getDistance(formation) > 0, c.marked);
    if (c.marked && (c.post <= 5 || c.post == 8) && c.ballX > -34) {
      EXPECT_EQ(defense->getHomePoint(0).x, formation.x);
    }
  }
  SayDecisionFlags flags;
  defense->execute(flags);
  EXPECT_NE(defense->getCommand(), nullptr);
}

TEST_F(DefenseScene, PicksTheCheapestCandidateTheFirstInWalkingOrderOnTies) {
  // Rectangle 5 by 5 around (-20, 0), the agent on it: the mark y tells who was taken.
  struct Case {
    const char* name;
    float fullY, halfY, quarterY, markY;
  };
  const Case cases[] = {{"full before half", 2, -2, 9, 2},
                        {"half before quarter", 9, 2, -2, 2},
                        {"cheaper half", 2.5f, -2, 9, -2},
                        {"border is outside", 5, 9, 9, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scene(9, {-20, 0}, {0, 0}, "play_on");
    placePlayer(TID_OPPONENT, 3, {-18, c.fullY});
    placeUnnamed(true, 4, {-18, c.halfY});
    placeUnnamed(false, 5, {-18, c.quarterY});
    Point point(-20, 0);
    defense->checkMarkPlayer(point, 5, 5);
    EXPECT_EQ(point.y, c.markY);
  }
  // Far more than twenty candidates: the cheapest, the last quarter player, still wins.
  for (unsigned int i = 0; i < 30; ++i) placeUnnamed(i < 20, i % 20, {-17, 1 + 0.1f * i});
  placeUnnamed(false, 29, {-17, 0.5f});
  Point point(-20, 0);
  defense->checkMarkPlayer(point, 5, 5);
  EXPECT_EQ(point.y, 0.5f);
}

TEST_F(DefenseScene, MarksFromBehindOrTowardsTheBallAtTheirRestarts) {
  // Post, referee, ball x, opponent x, mark point; the agent at (0, 0), the ball on y 4.
  struct Case {
    unsigned int post;
    const char* mode;
    float ballX, oppX, markX, markY;
  };
  const Case cases[] = {
      {6, "kick_in_r", 20, 10, 12.79f, 1.11f}, {9, "corner_kick_r", -10, 1, -1.1f, 0},
      {9, "corner_kick_r", 1, 4, 2.2f, 2.4f},  {8, "kick_in_r", 20, 10, 7, 0},
      {6, "play_on", 20, 20, 17, 0},           {5, "kick_in_r", 20, 10, 7, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.post << " " << c.mode << " " << c.oppX);
    scene(c.post, {0, 0}, {c.ballX, 4}, c.mode);
    EXPECT_EQ(defense->makeMarkPoint({c.oppX, 0}).y, 0.0f) << "a fresh action marks from behind";
    defense->getValue();
    const Point mark = defense->makeMarkPoint({c.oppX, 0});
    EXPECT_NEAR(mark.x, c.markX, TOLERANCE);
    EXPECT_NEAR(mark.y, c.markY, TOLERANCE);
  }
}

TEST_F(DefenseScene, GuardsTheGoalLineAndPullsTheBackTowardsTheAnchor) {
  // Post 5's home (-49, 9) and post 2's (-49, -9) come from a ball at our goal centre.
  struct Case {
    unsigned int post;
    float ballX, ballY, y, turn;
  };
  const Case cases[] = {{5, -52.5f, 7, 7, 90},    {5, -40, -10, 4.54f, -90},
                        {5, -52.5f, 3, 3, 90},    {2, -52.5f, -3, -3, 90},
                        {2, -40, 10, -4.54f, 90}, {2, -40, -20, -5.46f, -90}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.post << " " << c.ballX << "," << c.ballY);
    scene(c.post, {-51, c.y}, {-52.5f, 0}, "kick_in_l");
    placeBall({c.ballX, c.ballY});
    Point point;
    defense->checkForGoal(point);
    EXPECT_EQ(point.x, -51.0f);
    EXPECT_NEAR(point.y, c.y, TOLERANCE);
    SayDecisionFlags flags;
    defense->execute(flags);
    const auto* turn = commandAs<TurnCommand>(defense->getCommand());
    ASSERT_NE(turn, nullptr);
    EXPECT_NEAR(turn->getDirection(), c.turn, TOLERANCE);
  }
  // Post, ball, point, where the point ends.
  const float pulls[][7] = {{5, -22.5f, 5, -30, 5, -30, 5},
                            {5, -40, 5, -30, 5, -46.25f, 5},
                            {2, -35, -20, -52.5f, -25, -52.5f, -16.52f},
                            {9, 10, 0, 0, 8, 0, 5}};
  for (const auto& [post, ballX, ballY, x, y, endX, endY] : pulls) {
    scene(unsigned(post), {0, 0}, {ballX, ballY}, "play_on");
    Point point(x, y);
    defense->checkGoalDist(point);
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
    defense->gotoTir({x, 0}, 45);
    SayDecisionFlags flags;
    defense->execute(flags);
    ASSERT_NE(defense->getCommand(), nullptr);
    ASSERT_EQ(defense->getCommand()->getKind(), kind) << x;
    if (x < 0 && kind == CK_DASH) {
      EXPECT_LT(commandAs<DashCommand>(defense->getCommand())->getPower(), 0) << x;
    }
  }
}

}  // namespace
}  // namespace tovren
