#include "coach/CoachWorldModel.h"

#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <string>

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
  EXPECT_FLOAT_EQ(ballX(history[2]), 2.0f);

  saveUpTo(live, history, 100);
  EXPECT_EQ(history.getSize(), 100);
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

TEST(CoachWorldModelHistoryDeathTest, LookupsOutsideTheStoredTimesStop) {
  support::setAgentConfig(true);
  struct Case {
    int saved;
    int index;
    const char* condition;
  };
  const Case cases[] = {{0, -1, "-time <= size - 1"},     {0, 0, "time <= curTime"},
                        {1, -1, "-time <= size - 1"},     {1, 0, "time >= startTime"},
                        {100, -100, "-time <= size - 1"}, {101, 1, "time >= startTime"},
                        {3, 4, "time <= curTime"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.saved) + " saved, index " + std::to_string(c.index));
    CoachWorldModel live;
    CoachWorldModelHistory history;
    saveUpTo(live, history, c.saved);
    EXPECT_DEATH(history[c.index], c.condition);
  }
}

TEST(CoachWorldModelHistory, LogsSavesAndObjects) {
  support::setAgentConfig(true);
  CoachWorldModel live;
  CoachWorldModelHistory history;
  saveUpTo(live, history, 99);
  std::ostringstream& log = support::captureMainLog();
  saveUpTo(live, history, 101);
  EXPECT_EQ(log.str(),
            "  0000. Saving WorldModel time= 100\n  0000. insert to history\n"
            "  0000. WorldModel copying 2\n  0000. WorldModel copied.\n"
            "  0000. CoachWorldModel copied.\n  0000. Now history size is 100\n"
            "  0000. curTime 100\n  0000. startTime 1\n"
            "  0000. Saving WorldModel time= 101\n  0000. Shifting history\n"
            "  0000. WorldModel copying 1\n  0000. WorldModel copying 2\n"
            "  0000. Now history size is 100\n  0000. curTime 101\n  0000. startTime 2\n");

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
