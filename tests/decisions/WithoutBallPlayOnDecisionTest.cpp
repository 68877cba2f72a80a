#include "decisions/WithoutBallPlayOnDecision.h"

#include "actions/withoutball/Positioning.h"
#include "connection/Command.h"
#include "support/DecisionScene.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <vector>

namespace tovren {
namespace {

using support::DecisionScene;

TEST_F(DecisionScene, TheSelectionAndThePreviousDecisionEnableTheActions) {
  // An opponent at the ball, far from the agent: no tackle, no block, no chase of a dribble.
  scene(6, {-10, 0}, {5, 10});
  placePlayer(TID_OPPONENT, 9, {5.5f, 10});
  predict();
  Positioning positioning(worldModel.get());
  positioning.setHomePoints();
  WithoutBallPlayOnDecision decision(worldModel.get(), flags, mode, positioning);
  // Tackle 0, block 1, defense 2, offense 3, dribble intercept 4, intercept 5.
  const struct Case {
    WithoutBallSelection selection;
    DecideType last;
    std::vector<int> valued;
    DecideType chosen;
  } cases[] = {
      {WBS_BLOCK, DT_NONE, {0, 1, 2}, DT_DEFENSE},
      {WBS_BLOCK, DT_BLOCK, {0, 1, 2}, DT_DEFENSE},
      {WBS_INTERCEPT, DT_NONE, {0, 5}, DT_INTERCEPT},
      {WBS_INTERCEPT, DT_INTERCEPT, {0, 5}, DT_INTERCEPT},
      {WBS_INTERCEPT, DT_DRIBBLE, {0, 4, 5}, DT_INTERCEPT},
      {WBS_INTERCEPT, DT_SRP_DRIBBLE, {0, 4, 5}, DT_INTERCEPT},
      {WBS_INTERCEPT, DT_DRIBBLE_INTERCEPT, {0, 4, 5}, DT_INTERCEPT},
      {WBS_POSITIONING, DT_DRIBBLE, {0, 2}, DT_DEFENSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "selection " << c.selection << " after " << c.last);
    mode = TNM_LOOK_CAREFULLY;
    valued();
    EXPECT_EQ(decision.decide(0, c.last, c.selection), c.chosen);
    EXPECT_EQ(valued(), c.valued);
    EXPECT_NE(decision.getCommand(), nullptr);
    EXPECT_EQ(mode, TNM_LOOK_BY_BALL_DISTANCE);
  }

  // A free ball an opponent reaches first, 1.6 m ahead: a tackle, but not right after the
  // agent's own kick-and-run.
  placeAgent(6, {0, 0});
  placeBall({1.6f, 0}, Vector(Point(1, 0)));
  placePlayer(TID_OPPONENT, 9, {6, 0});
  predict();
  EXPECT_EQ(decision.decide(1, DT_SRP_DRIBBLE, WBS_POSITIONING), DT_DEFENSE);
  EXPECT_EQ(decision.decide(1, DT_DRIBBLE, WBS_POSITIONING), DT_TACKLE);
  EXPECT_EQ(support::textOf(decision.getCommand()), "(tackle 100.00)");
}

}  // namespace
}  // namespace tovren
