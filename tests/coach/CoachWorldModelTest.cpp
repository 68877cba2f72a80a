#include "coach/CoachWorldModel.h"

#include "foundation/SExpression.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-4f;

float number(const SExpression& list, unsigned int i) {
  return static_cast<const SExpAtomic*>(list[i])->asFloat();
}

// The recorded coach reads every cycle of the match as the trainer saw it: the server's
// x, the negated y and directions, own players told by the quoted team name.
TEST(CoachWorldModel, RecordedGlobalViewsMatchTheTrainersTruth) {
  support::setAgentConfig(true);
  for (const char* side : {"left", "right"}) {
    SCOPED_TRACE(side);
    std::map<int, std::string> truth;
    for (const auto& line : support::readRecording(support::fixturePath(side, "trainer.txt"))) {
      if (line.text.rfind("(see_global ", 0) == 0)
        truth[std::stoi(line.text.substr(12))] = line.text;
    }
    CoachWorldModel model;
    int compared = 0;
    for (const auto& line :
         support::readRecording(support::fixturePath(side, "Tovren-coach.txt"))) {
      if (line.text.rfind("(see_global ", 0) != 0) continue;
      model.setCurTime(model.getCurTime() + 1);
      model.resetObjects();
      model.parseSeeGlobal(*support::parseMessage(line.text));
      const int cycle = std::stoi(line.text.substr(12));
      if (cycle < 1 || truth.count(cycle) == 0) continue;
      ++compared;
      auto view = support::parseMessage(truth[cycle]);
      for (unsigned int i = 2; i < view->size(); ++i) {
        const auto& entry = static_cast<const SExpression&>(*(*view)[i]);
        const auto& name = static_cast<const SExpression&>(*entry[0]);
        if (name[0]->toString() == "b") {
          EXPECT_NEAR(model.getBall().getPos().getX(), number(entry, 1), TOLERANCE);
          EXPECT_NEAR(model.getBall().getPos().getY(), -number(entry, 2), TOLERANCE);
          EXPECT_NEAR(model.getBall().getVel().getY(), -number(entry, 4), TOLERANCE);
          EXPECT_EQ(model.getBall().getSeeTime(), model.getCurTime());
        }
        if (name[0]->toString() != "p") continue;
        const TeamId team = name[1]->toString() == "\"Tovren\"" ? TID_TEAMMATE : TID_OPPONENT;
        const Player& player =
            model.getFullPlayer(team, static_cast<unsigned int>(number(name, 2)) - 1);
        EXPECT_NEAR(player.getPos().getX(), number(entry, 1), TOLERANCE);
        EXPECT_NEAR(player.getPos().getY(), -number(entry, 2), TOLERANCE);
        EXPECT_NEAR(player.getVel().getX(), number(entry, 3), TOLERANCE);
        EXPECT_NEAR(player.getBodyDir(), -number(entry, 5), TOLERANCE);
        EXPECT_NEAR(player.getHeadDir(), -number(entry, 6), TOLERANCE);
        if (entry.size() > 7) EXPECT_NEAR(player.getPointingDir(), -number(entry, 7), TOLERANCE);
        EXPECT_EQ(player.isGoalie(), name.size() > 3);
        EXPECT_TRUE(player.isAlive());
      }
    }
    EXPECT_GT(compared, 100);
  }
}

// A see_global of unexpected shape is logged and leaves every object as it was.
TEST(CoachWorldModel, MalformedGlobalViewChangesNothing) {
  support::setAgentConfig(true);
  const char* const good = "((b) 1 2 0 0) ((p \"Rival\" 4) 5 6 0 0 0 0)";
  struct Case {
    const char* name;
    const char* entries;
  };
  const Case cases[] = {
      {"element that is no list", "7"},
      {"name that is no list", "(b 1 2 0 0)"},
      {"flag entry", "((f c) 0 0)"},
      {"upper-case kind", "((B) 0 0 0 0)"},
      {"uniform number 12", "((p \"Rival\" 12) 0 0 0 0 0 0)"},
      {"uniform number -1", "((p \"Rival\" -1) 0 0 0 0 0 0)"},
      {"uniform number 0", "((p \"Rival\" 0) 0 0 0 0 0 0)"},
      {"marker that is a list", "((p \"Rival\" 4 (g)) 0 0 0 0 0 0)"},
      {"third goal", "((g l) -52.5 0) ((g r) 52.5 0) ((g l) -52.5 0)"},
      {"goal of no side", "((g x) 0 0)"},
      {"value that is no number", "((b) 9 9 x 0)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CoachWorldModel model;
    model.parseSeeGlobal(*support::parseMessage(std::string("(see_global 3 ") + good + ")"));
    std::ostringstream& log = support::captureMainLog();
    // The fault stands last, so a parser that wrote entry by entry would be caught.
    model.parseSeeGlobal(
        *support::parseMessage(std::string("(see_global 4 ((b) 8 8 1 1) ") + c.entries + ")"));
    EXPECT_FLOAT_EQ(model.getBall().getPos().getX(), 1.0f);
    EXPECT_FLOAT_EQ(model.getFullPlayer(TID_OPPONENT, 3).getPos().getY(), -6.0f);
    EXPECT_NE(log.str().find("Skipping"), std::string::npos);
  }
}

TEST(CoachWorldModel, OnlyTheRefereeSetsPlayModeAndHearTime) {
  support::setAgentConfig(true);
  struct Case {
    const char* message;
    PlayMode playMode;
    unsigned int refereeHearTime;
  };
  const Case cases[] = {
      {"(hear 12 referee play_on)", PM_PLAY_ON, 5},
      {"(hear 12 (p \"Rival\" 3) \"play_on\")", PM_BEFORE_KICK_OFF, 0},
      {"(hear 12 coach play_on)", PM_BEFORE_KICK_OFF, 0},
      {"(hear x referee play_on)", PM_BEFORE_KICK_OFF, 0},
      {"(hear 12 (p (x) 3) \"a\")", PM_BEFORE_KICK_OFF, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    CoachWorldModel model;
    model.setCurTime(5);
    model.parseHear(*support::parseMessage(c.message));
    EXPECT_EQ(model.getPlayMode(), c.playMode);
    EXPECT_EQ(model.getRefereeHearTime(), c.refereeHearTime);
  }
}

}  // namespace
}  // namespace tovren
