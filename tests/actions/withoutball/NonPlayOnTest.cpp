#include "actions/withoutball/NonPlayOn.h"

#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "support/ActionScene.h"
#include "support/PositioningScene.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tovren {
namespace {

constexpr float AIM_TOLERANCE = 1.0f;  // degrees

class NonPlayOnScene : public support::PositioningScene {
 protected:
  // Our free kick with the referee's count after so many sense_body messages.
  void remainCycles(unsigned int cycles) {
    referee("free_kick_l");
    for (; cycles < 200; ++cycles) worldModel->updatePlayModeRemainCycleAfterSenseBody();
  }
  // getValue() leaves nothing published; execute() always publishes.
  const Command& run(AdvancedAction& action, float value = 100.0f) {
    EXPECT_EQ(action.getValue(), value);
    EXPECT_EQ(action.getCommand(), nullptr);
    SayDecisionFlags flags;
    action.execute(flags);
    return action.getCommand() ? *action.getCommand() : empty;
  }
  // Expects a move to the point, or else a turn that leaves the resting agent facing it.
  void expectMoveOrFacing(const Command& command, bool moves, const Point& point) {
    EXPECT_TRUE(!moves || command.toString() == MoveCommand(point).toString());
    if (moves) return;
    ASSERT_EQ(command.getKind(), CK_TURN);
    Body body = worldModel->getBody();
    const Vector aim(Point(point.x - body.getPos().getX(), point.y - body.getPos().getY()));
    support::simulateCycle(body, &command);
    EXPECT_NEAR(body.getBodyDir(), aim.getDirection(), AIM_TOLERANCE);
  }

  EmptyCommand empty;  // stands in for a missing command, which fails the kind checks
};

TEST_F(NonPlayOnScene, BeforeKickOffMovesFromTwoTenthsInPlacingModesAndOtherwiseFacesItsAim) {
  // The centre post (uniform 3) judges its arrival at the point it moves to.
  // Call, uniform, position, kick-off taker, moves, the kick-off point or the turn's aim.
  const std::tuple<const char*, unsigned int, Point, bool, bool, Point> cases[] = {
      {"goal_l_1", 1, {-47, 0.2f}, false, true, {-47, 0}},
      {"goal_r_1", 2, {-1, 15.2f}, false, true, {-0.8f, 15}},
      {"kick_off_l", 2, {-20, 20}, true, false, {-52.5f, 0}},
      {"before_kick_off", 3, {-0.31f, 0}, false, false, {0, 0}},
      {"before_kick_off", 3, {-5, 0}, false, true, {-0.5f, 0}}};
  for (const auto& [call, uniNum, pos, kicker, moves, aim] : cases) {
    SCOPED_TRACE(::testing::Message() << call << " " << uniNum << " " << pos);
    referee(call);
    placeAgent(uniNum, pos);
    NonPlayOnBeforeKickOff action(worldModel.get());
    action.setIsKicker(kicker);
    expectMoveOrFacing(run(action), moves, aim);
  }
}

TEST_F(NonPlayOnScene, ByRemainingCyclesBackBallMovesOnlyAfterTheCatchAndHoldBallPassesFrom120) {
  // Virtual play mode (5 our goalie's catch), distance from (-40, -10), remaining cycles, moves.
  const float cases[][4] = {
      {5, 3.11f, 199, 1}, {5, 3.1f, 199, 0}, {5, 20, 198, 0}, {5, 20, 200, 1}, {0, 20, 200, 0}};
  for (const auto& [virtualMode, distance, remain, moves] : cases) {
    SCOPED_TRACE(::testing::Message() << virtualMode << " " << distance << " " << remain);
    remainCycles(unsigned(remain));
    worldModel->setVirtualPlayMode(VirtualPlayMode(virtualMode));
    placeAgent(7, {-40, -10 + distance});
    NonPlayOnBackBall action(worldModel.get());
    expectMoveOrFacing(run(action), moves != 0, moves ? Point(-40, -10) : Point(52.5f, 0));
  }
  support::placeAgentWithBall(*worldModel, 0, 0, 0, 0.7f);
  HoldBall hold(worldModel.get());
  for (const auto& [remain, value] : {std::pair(120u, 35.0f), {121u, 67.0f}, {200u, 67.0f}}) {
    remainCycles(remain);
    EXPECT_EQ(run(hold, value).getKind(), CK_KICK) << remain;
  }
}

TEST_F(NonPlayOnScene, GotoKickArrivesBehindTheBallOrAtTheFreeKickDistanceAndReportsItInGetValue) {
  // The ball at (10, 0): our taker goes behind it, at their kick we wait 9.65 m short.
  // Their kick, agent x, status (0 arrived, 1 on the way).
  const float cases[][3] = {{0, 9.52f, 0}, {0, 0, 1}, {1, 0.35f, 0}, {1, -20, 1}};
  for (const auto& [theirs, x, status] : cases) {
    SCOPED_TRACE(::testing::Message() << theirs << " " << x);
    referee(theirs != 0 ? "free_kick_r" : "free_kick_l");
    placeAgent(9, {x, 0});
    placeBall({10, 0});
    NonPlayOnGotoKick action(worldModel.get());
    EXPECT_EQ((action.getValue(), action.getStatus()), status) << "after getValue";
    EXPECT_EQ((run(action), action.getStatus()), status) << "after execute";
  }
}

TEST_F(NonPlayOnScene, GoalieCatchOffenseHomePointsAndThresholds) {
  // Home points by play mode, ball side and uniform; the ball lies at (-45, ballY).
  // Our goal kick (else our free kick), ball y, uniform, home point.
  const std::tuple<bool, float, unsigned int, Point> homes[] = {
      {1, 0, 8, {-39, -11}}, {1, 0, 7, {-33, 2}},  {1, 0, 5, {-33, -11}}, {1, 9, 8, {-33, -2}},
      {1, 9, 7, {-39, 11}},  {1, 9, 5, {-33, 11}}, {0, 9, 2, {-2, 28}},   {0, 0, 11, {-18, -18}}};
  for (const auto& [goalKick, ballY, uniNum, home] : homes) {
    SCOPED_TRACE(::testing::Message() << goalKick << " " << ballY << " " << uniNum);
    referee(goalKick ? "goal_kick_l" : "free_kick_l");
    placeBall({-45, ballY});
    EXPECT_EQ(GoalieCatchOffense(worldModel.get()).getHomePoint(uniNum).getDistance(home), 0);
  }
  // The goalkeeper moves beyond 1.8 m of (-40, 18); uniform 3, facing its home (-2, 7),
  // turns to the ball within 1.6 m and dashes beyond.
  const float thresholds[][5] = {{1, -40, 19.8f, CK_EMPTY, 0},
                                 {1, -40, 19.81f, CK_MOVE, 1},
                                 {3, -0.4f, 7, CK_TURN, 0},
                                 {3, -0.39f, 7, CK_DASH, 0}};
  for (const auto& [uniNum, x, y, kind, status] : thresholds) {
    SCOPED_TRACE(::testing::Message() << uniNum << " " << x << " " << y);
    placeAgent(unsigned(uniNum), {x, y}, 180);
    worldModel->setBody().setGoalie(uniNum == 1);
    placeBall({-45, 0});
    GoalieCatchOffense action(worldModel.get());
    const Command& command = run(action);
    EXPECT_EQ(action.getStatus(), status);
    if (kind == CK_TURN) expectMoveOrFacing(command, false, {-45, 0});
    EXPECT_EQ(command.getKind(), CommandKind(kind));
  }
}

}  // namespace
}  // namespace tovren
