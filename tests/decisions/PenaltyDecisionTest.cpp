#include "decisions/PenaltyDecision.h"

#include "actions/basic/BasicDash.h"
#include "connection/Command.h"
#include "support/DecisionScene.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tovren {
namespace {

class PenaltyScene : public support::DecisionScene {
 protected:
  // The agent on a uniform number (1 is the goalie) and the ball, in the referee's mode.
  PenaltyDecision& penalty(const std::string& call, unsigned int uniNum, Point agent, Point ball) {
    scene(uniNum, agent, ball);
    referee(call.c_str());
    predict();
    decision = std::make_unique<PenaltyDecision>(worldModel.get(), flags, mode,
                                                 Positioning(worldModel.get()));
    valued();
    return *decision;
  }
  // The goalie looks at the ball, the others at the opponents' goalie.
  void expectNeckMode() const {
    EXPECT_EQ(mode, worldModel->getBody().isGoalie() ? TNM_LOOK_CAREFULLY_TO_BALL
                                                     : TNM_LOOK_CAREFULLY_TO_OPP_GOALIE);
  }
  std::string command() const { return support::textOf(decision->getCommand()); }

  std::unique_ptr<PenaltyDecision> decision;
};

TEST_F(PenaltyScene, WhileAKickIsPreparedEachGoesToItsPlace) {
  // Our kick, uniform number, agent x, y, its place x, y (the waiting circle at 14u + 90
  // degrees for u other than 1).
  const float cases[][6] = {
      {0, 1, -20, 10, -40, 0},
      {0, 3, 20, 20, -3.3457f, 3.7157f},
      {0, 11, 20, 20, -2.1919f, -4.494f},
      {1, 1, -20, 10, -55, -22},
      {1, 7, 20, 20, -4.9513f, -0.6959f},
      {0, 1, -40.6f, 0.6f, -40, 0},
      {1, 7, -4.3f, 0, -4.9513f, -0.6959f},
  };
  for (const auto& [ours, uniNum, x, y, placeX, placeY] : cases) {
    SCOPED_TRACE(::testing::Message() << "number " << uniNum << (ours != 0 ? " ours" : ""));
    const auto u = static_cast<unsigned int>(uniNum);
    PenaltyDecision& penalty =
        this->penalty(ours != 0 ? "penalty_setup_l" : "penalty_setup_r", u, {x, y}, {42.5f, 0});
    EXPECT_EQ(penalty.decide(0, DT_NONE), DT_NONE);
    // Within 1 m an empty command.
    ExactGotoPoint go({placeX, placeY}, 1.0f, worldModel->getBody(), false);
    EXPECT_EQ(command(), go.getCommand() ? go.getCommand()->toString() : "");
    expectNeckMode();
    EXPECT_EQ(penalty.selectBallKicker(), u == 3 ? 2 : 1);
  }

  PenaltyDecision& kicker = this->penalty("penalty_setup_l", 3, {30, 5}, {42.5f, 0});
  EXPECT_EQ(kicker.decide(0, DT_NONE), DT_NON_PLAY_ON_GOTO_KICK);
  EXPECT_EQ(command().substr(0, 6), "(turn ");
}

TEST_F(PenaltyScene, OnlyTheKickerPlaysOurKickAndOnlyTheGoalieTheirs) {
  const struct Case {
    const char* call;
    unsigned int uniNum;
    float x;  // the agent's; the ball at 42.5 (ours) or -42.5 (theirs)
    int level;
    std::vector<int> valued;
    DecideType type;
    const char* command;  // its start
    bool mateAtBall = false;
  } cases[] = {
      // Dribble 4, safe dribble 5, shoot 6; the kicker's interception is that of its
      // without-ball decision (tackle 0, intercept 5).
      {"penalty_ready_l", 3, 42, 0, {4, 5, 6}, DT_DRIBBLE, "(kick "},
      {"penalty_ready_l", 3, 42, 1, {4, 6}, DT_DRIBBLE, "(kick "},
      {"penalty_ready_l", 3, 35, 0, {0, 5}, DT_INTERCEPT, "(dash "},
      {"penalty_ready_l", 7, 42, 0, {}, DT_NONE, ""},
      // Catch 0, positioning 1, goalie intercept 2: sent, but nothing decided.
      {"penalty_ready_r", 1, -50, 0, {0, 2}, DT_NONE, "(dash "},
      // Catch 0 and, with a teammate first at the ball, positioning 1.
      {"penalty_ready_r", 1, -50, 0, {0, 1}, DT_NONE, "(turn ", true},
      {"penalty_ready_r", 3, 0, 0, {}, DT_NONE, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.call << " number " << c.uniNum << " at " << c.x);
    const float ballX = c.call[14] == 'l' ? 42.5f : -42.5f;
    PenaltyDecision& penalty = this->penalty(c.call, c.uniNum, {c.x, 0}, {ballX, 0});
    if (c.mateAtBall) {
      placePlayer(TID_TEAMMATE, 3, {ballX + 0.5f, 0});
      predict();
    }
    EXPECT_EQ(penalty.decide(c.level, DT_NONE), c.type);
    EXPECT_EQ(valued(), c.valued);
    EXPECT_EQ(command().substr(0, 6), c.command);
    expectNeckMode();
  }
}

TEST_F(PenaltyScene, TheRefereeTellsTheHalfAndEndsOurKickUntilTheNextSetUp) {
  const struct Case {
    std::vector<const char*> calls;
    int half;
    bool kicks;  // the kicker still plays the ball in our penalty_ready
  } cases[] = {
      {{"penalty_onfield_l"}, 1, false},
      {{"penalty_onfield_r"}, 2, false},
      {{"penalty_ready_l", "penalty_miss_l"}, 0, false},
      {{"penalty_ready_l", "penalty_score_r"}, 0, false},
      {{"penalty_ready_l", "penalty_miss_l", "penalty_ready_l"}, 0, false},
      {{"penalty_ready_l", "penalty_taken_l"}, 0, true},
      {{"penalty_ready_r", "penalty_miss_l", "penalty_ready_l"}, 0, true},
      {{"penalty_ready_l", "penalty_score_l", "penalty_setup_l", "penalty_ready_l"}, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.calls.back());
    PenaltyDecision& kicker = this->penalty("play_on", 3, {42, 0}, {42.5f, 0});
    int half = -1;
    for (const char* call : c.calls) {
      referee(call);
      half = kicker.checkPlayMode();
      kicker.decide(0, DT_NONE);
    }
    EXPECT_EQ(half, c.half);
    if (worldModel->getPlayMode() == PM_OUR_PENALTY_READY) {
      EXPECT_EQ(command().substr(0, 6) == "(kick ", c.kicks);
    }
  }
}

}  // namespace
}  // namespace tovren
