#include "coach/CoachWorldModel.h"

#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"

#include <gtest/gtest.h>

namespace tovren {
namespace {

// Saves the live model for times 1..last, its ball at x = time.
void saveUpTo(CoachWorldModel& live, CoachWorldModelHistory& history, int last) {
  for (int time = history.getCurTime() < 0 ? 1 : history.getCurTime() + 1; time <= last; ++time) {
    live.setCurTime(static_cast<unsigned int>(time));
    live.setBall().setPos().setAsCartesian(static_cast<float>(time), 0.0f);
    history.saveWorldModel(&live, static_cast<unsigned int>(time));
  }
}

float ballX(const CoachWorldModel* copy) { return copy->getBall().getPos().getX(); }

TEST(CoachWorldModelHistory, KeepsTheLastHundredAndReusesTheOldestCopy) {
  support::setAgentConfig(true);
  CoachWorldModel live;
  CoachWorldModelHistory history;
  saveUpTo(live, history, 2);
  EXPECT_EQ(history[-1], history[1]);

  saveUpTo(live, history, 100);
  EXPECT_EQ(history[-99], history[1]);
  const CoachWorldModel* oldest = history[1];
  live.setBall().setPos().setAsCartesian(-7.0f, 0.0f);
  EXPECT_FLOAT_EQ(ballX(history[100]), 100.0f);  // a copy, not the live model

  saveUpTo(live, history, 101);
  EXPECT_EQ(history.getSize(), 100);
  EXPECT_EQ(history.getStartTime(), 2);
  EXPECT_EQ(history[101], oldest);
  EXPECT_FLOAT_EQ(ballX(history[101]), 101.0f);
  EXPECT_FLOAT_EQ(ballX(history[-1]), 100.0f);
  EXPECT_FLOAT_EQ(ballX(history[2]), 2.0f);
}

// The object lines are the coach's record of every cycle.
TEST(CoachWorldModel, LogsTheBallAndEveryValidPlayer) {
  support::setAgentConfig(true);
  CoachWorldModel live;
  live.parseSeeGlobal(*support::parseMessage(
      "(see_global 1 ((b) 1 2 0.5 0.25) ((p \"Tovren\" 1 goalie) -50 -3 0.1 0.2 10 20) "
      "((p \"Rival\" 9) 3 -4 0.3 0.4 30 -45 t))"));
  std::ostringstream& objects = support::captureMainLog();
  live.logObjects();
  EXPECT_EQ(objects.str(),
            "  0000. Ball Pos(1.00,-2.00) Vel(0.50,-0.25)\n"
            "  0000. OurF1 Pos(-50.00,3.00) Vel(0.10,-0.20) Bod-10.00 Hed-20.00 Nec0.00 Tac0 G\n"
            "  0000. OppF9 Pos(3.00,4.00) Vel(0.30,-0.40) Bod-30.00 Hed45.00 Nec0.00 Tac1\n");
}

}  // namespace
}  // namespace tovren
