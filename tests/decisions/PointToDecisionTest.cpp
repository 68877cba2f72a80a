#include "decisions/PointToDecision.h"

#include "connection/Command.h"
#include "support/PositioningScene.h"

#include <gtest/gtest.h>

#include <string>

namespace tovren {
namespace {

class PointToDecisionTest : public support::PositioningScene {
 protected:
  // The agent with the arm counts of a sense_body, a stamina and a head direction.
  void placeAgent(unsigned int movable, unsigned int expires, float stamina, float headDir) {
    const std::string arm = "(arm (movable " + std::to_string(movable) + ") (expires " +
                            std::to_string(expires) + ") (target 0 0) (count 0))";
    ASSERT_TRUE(worldModel->setBody().parseSenseBody(
        *support::parseMessage("(sense_body 1 (view_mode high normal) (stamina 8000 1) (speed 0 0) "
                               "(head_angle 0) (kick 0) (dash 0) (turn 0) (say 0) (turn_neck 0) "
                               "(catch 0) (move 0) (change_view 0) " +
                               arm +
                               " (focus (target none) (count 0)) (tackle (expires 0) (count 0)))"),
        SI_LEFT));
    worldModel->setBody().setStamina(stamina);
    worldModel->setBody().setHeadDir(headDir);
  }
};

TEST_F(PointToDecisionTest, PointsByStaminaUpToTheLimitAndTakesAPointingArmDownAboveIt) {
  struct Case {
    const char* name;
    const char* mode;
    unsigned int movable, expires;
    float stamina, headDir;
    const char* expected;  // "" for nothing sent
  } cases[] = {
      {"at the play_on limit: 270", "play_on", 0, 0, 2500, 0, "(pointto 1000.00 90.00)"},
      {"halfway in play_on: 135", "play_on", 0, 0, 1750, 0, "(pointto 1000.00 -135.00)"},
      {"1000: 0 from the head at 90", "play_on", 0, 0, 1000, 90, "(pointto 1000.00 90.00)"},
      {"below 1000: still 0", "play_on", 0, 0, 400, 90, "(pointto 1000.00 90.00)"},
      {"other modes: limit 3850", "free_kick_l", 0, 0, 3000, 0, "(pointto 1000.00 170.53)"},
      {"above the limit, arm pointing", "play_on", 0, 4, 2500.5f, 0, "(pointto off)"},
      {"above the limit, arm expired", "play_on", 0, 0, 3000, 0, ""},
      {"arm not movable though tired", "play_on", 2, 0, 1000, 0, ""},
      {"arm not movable though rested and pointing", "play_on", 2, 4, 8000, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    referee(c.mode);
    placeAgent(c.movable, c.expires, c.stamina, c.headDir);
    PointToDecision decision(worldModel.get());
    decision.decide(nullptr);
    EXPECT_EQ(decision.takePointToCommand()->toString(), c.expected);
  }
}

}  // namespace
}  // namespace tovren
