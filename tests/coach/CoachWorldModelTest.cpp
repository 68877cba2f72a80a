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

float number(const SExpression& list, unsigned int i) {
  return static_cast<const SExpAtomic*>(list[i])->asFloat();
}

// An object of the model against its entry of the trainer's view.
void expectEntry(const Object& object, const SExpression& entry) {
  EXPECT_FLOAT_EQ(object.getPos().getX(), number(entry, 1));
  EXPECT_FLOAT_EQ(object.getPos().getY(), -number(entry, 2));
  EXPECT_FLOAT_EQ(object.getVel().getX(), number(entry, 3));
  EXPECT_FLOAT_EQ(object.getVel().getY(), -number(entry, 4));
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
        if (name[0]->toString() == "b") expectEntry(model.getBall(), entry);
        if (name[0]->toString() != "p") continue;
        const TeamId team = name[1]->toString() == "\"Tovren\"" ? TID_TEAMMATE : TID_OPPONENT;
        const Player& player =
            model.getFullPlayer(team, static_cast<unsigned int>(number(name, 2)) - 1);
        expectEntry(player, entry);
        EXPECT_FLOAT_EQ(player.getBodyDir(), -number(entry, 5));
        EXPECT_FLOAT_EQ(player.getHeadDir(), -number(entry, 6));
        EXPECT_FLOAT_EQ(player.getPointingDir(), entry.size() > 7 ? -number(entry, 7) : 0.0f);
        EXPECT_EQ(player.isGoalie(), name.size() > 3);
      }
    }
    EXPECT_GT(compared, 100);
  }
}

// A see_global of unexpected shape is logged and leaves every object as it was.
TEST(CoachWorldModel, MalformedGlobalViewChangesNothing) {
  support::setAgentConfig(true);
  const char* const good = "((b) 1 2 0 0) ((p \"Rival\" 4) 5 6 0 0 0 0)";
  const char* const faults[] = {"7",
                                "(b 1 2 0 0)",
                                "((f c) 0 0)",
                                "((B) 0 0 0 0)",
                                "((p \"Rival\" 12) 0 0 0 0 0 0)",
                                "((p \"Rival\" -1) 0 0 0 0 0 0)",
                                "((p \"Rival\" 0) 0 0 0 0 0 0)",
                                "((p \"Rival\" 4 (g)) 0 0 0 0 0 0)",
                                "((g l) -52.5 0) ((g r) 52.5 0) ((g l) -52.5 0)",
                                "((g x) 0 0)",
                                "((b) 9 9 x 0)"};
  for (const char* fault : faults) {
    SCOPED_TRACE(fault);
    CoachWorldModel model;
    model.parseSeeGlobal(*support::parseMessage(std::string("(see_global 3 ") + good + ")"));
    std::ostringstream& log = support::captureMainLog();
    // The fault stands last, so a parser that wrote entry by entry would be caught.
    model.parseSeeGlobal(
        *support::parseMessage(std::string("(see_global 4 ((b) 8 8 1 1) ") + fault + ")"));
    EXPECT_FLOAT_EQ(model.getBall().getPos().getX(), 1.0f);
    EXPECT_FLOAT_EQ(model.getFullPlayer(TID_OPPONENT, 3).getPos().getY(), -6.0f);
    EXPECT_NE(log.str().find("Skipping"), std::string::npos);
  }
}

TEST(CoachWorldModel, OnlyTheRefereeSetsPlayModeAndHearTime) {
  support::setAgentConfig(true);
  const char* const messages[] = {
      "(hear 12 referee play_on)", "(hear 12 (p \"Rival\" 3) \"play_on\")",
      "(hear 12 coach play_on)", "(hear x referee play_on)", "(hear 12 (p (x) 3) \"a\")"};
  for (const char* message : messages) {
    SCOPED_TRACE(message);
    CoachWorldModel model;
    model.setCurTime(5);
    model.parseHear(*support::parseMessage(message));
    const bool referee = message == messages[0];
    EXPECT_EQ(model.getPlayMode(), referee ? PM_PLAY_ON : PM_BEFORE_KICK_OFF);
    EXPECT_EQ(model.getRefereeHearTime(), referee ? 5u : 0u);
  }
}

}  // namespace
}  // namespace tovren
