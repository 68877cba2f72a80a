#include "coach/OppTypes.h"

#include "coach/CoachWorldModel.h"
#include "support/WorldModelScene.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tovren {
namespace {

// A coach that has the recorded match's parameters and types and feeds its inference one
// global view a step. Positions, velocities and directions are in the model's frame.
struct Scene {
  bool configured = (support::setAgentConfig(true), true);
  CoachWorldModel live;
  CoachWorldModelHistory history;
  OppTypes oppTypes{&live, history};

  explicit Scene(bool withTypes = true) {
    if (!withTypes) return;
    for (const auto& line :
         support::readRecording(support::fixturePath("left", "Tovren-coach.txt"))) {
      auto message = support::parseMessage(line.text);
      if (line.text.rfind("(server_param", 0) == 0) live.initServerParam(*message);
      if (line.text.rfind("(player_param", 0) == 0) live.initPlayerParam(*message);
      if (line.text.rfind("(player_type", 0) == 0) live.initPlayerType(*message);
    }
  }

  void step(const std::string& entries, const std::string& ball = "((b) 0 0 0 0)") {
    live.setCurTime(live.getCurTime() + 1);
    live.resetObjects();
    live.parseSeeGlobal(*support::parseMessage("(see_global 1 " + ball + " " + entries + ")"));
    history.saveWorldModel(&live, live.getCurTime());
    oppTypes.execute();
  }

  void hearPlayOn() { live.parseHear(*support::parseMessage("(hear 1 referee play_on)")); }

  // 'N' for every excluded type of opponent p, 'Y' for every open one.
  std::string marks(int p) const {
    std::string text;
    for (int t = 0; t < OppTypes::TYPES; ++t) text += oppTypes.isExcluded(p, t) ? 'N' : 'Y';
    return text;
  }
};

std::string player(const char* team, int n, float x, float y, float vx, float body) {
  std::ostringstream entry;
  entry << "((p \"" << team << "\" " << n << ") " << x << " " << -y << " " << vx << " 0 " << -body
        << " 0)";
  return entry.str();
}

// 85 degrees at 0.3 per cycle needs a moment of 85 x (1 + 0.3 x inertia): within the widened
// 201.6 only for types 1 (inertia 2.66) and 5 (4.11). The two tie at score 0. The alive
// goalie stays at type 0 whatever the notices say.
TEST(OppTypes, TurnsExcludeTypesOnceNoticedAndTypesKnown) {
  struct Case {
    const char* name;
    bool notified, withTypes;
    const char* marks;
    const char* message;
    int number = 3;
  };
  const Case cases[] = {{"not notified", false, true, "YNNNNNN", ""},
                        {"notified", true, true, "NYNNNYN", "(T 00100000000)"},
                        {"types not received", true, false, "YYYYYYY", ""},
                        {"number 11 notified", true, true, "NYNNNYN", "(T 00000000001)", 11}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scene scene(c.withTypes);
    scene.oppTypes.informOppChangePlayerType(1);
    if (c.notified) scene.oppTypes.informOppChangePlayerType(c.number);
    const std::string goalie = "((p \"Rival\" 1 goalie) 50 0 0 0 0 0)";
    scene.step(goalie + player("Rival", c.number, 20, 5, 0.3f, 0));
    scene.step(goalie + player("Rival", c.number, 20, 5, 0.3f, 0));
    scene.step(goalie + player("Rival", c.number, 20, 5, 0.3f, 85));
    EXPECT_EQ(scene.marks(c.number - 1), c.marks);
    EXPECT_EQ(scene.oppTypes.getFreeFormString(), c.message);
    EXPECT_EQ(scene.marks(0), c.withTypes ? "YNNNNNN" : "YYYYYYY");
  }
  // Type 5 turns 85 at 0.3 with a moment of 189.8, within a maximal one: each such turn
  // after another closes a fifth of the gap to 100, from 0 to 20, then to 36.
  Scene scene;
  scene.oppTypes.informOppChangePlayerType(3);
  for (const float body : {0, 0, 85, 170, 255}) scene.step(player("Rival", 3, 20, 5, 0.3f, body));
  EXPECT_FLOAT_EQ(scene.oppTypes.getScore(2, 5), 36.0f);
}

// Dash: from rest to 0.3 per cycle along the body needs power 0.3 / decay / dash power
// rate, beyond the widened 131 only for type 1 (decay 0.31). Kick: the ball gains 2.75
// with the opponent 0.5 behind it, power about 106, within the opponents' noise for all
// types but 1 and 3, whose kick randomness is smallest.
TEST(OppTypes, DashesAndKicksGiveEvidenceInPlayOnOnly) {
  const std::string rest = "((b) 0 0 0 0)", kicked = "((b) 1 0 2.585 0)";
  const std::string still = player("Rival", 4, 20, 5, 0, 0);
  const std::string near = player("Rival", 4, -0.5f, 0, 0, 0);
  const std::string teammate = player("Tovren", 6, 0, 0.5f, 0, 0);
  // At the widest reach with the ball, type 2's: 0.792947 + 0.3 + 0.085.
  const std::string edge = "((p \"Rival\" 7) 0 1.17794704 0 0 0 0)";
  struct Case {
    const char* name;
    bool playOn;
    std::string before, last, ball;
    const char* marks;
  };
  const Case cases[] = {
      {"dash", true, still, player("Rival", 4, 20, 5, 0.3f, 0), rest, "YNYYYYY"},
      {"dash with a turn", true, still, player("Rival", 4, 20, 5, 0.3f, 10), rest, "YYYYYYY"},
      {"dash before kick-off", false, still, player("Rival", 4, 20, 5, 0.3f, 0), rest, "YYYYYYY"},
      {"sole kicker", true, near, near, kicked, "YNYNYYY"},
      {"kicker and teammate", true, near + teammate, near + teammate, kicked, "YYYYYYY"},
      {"kicker and another at reach", true, near + edge, near + edge, kicked, "YYYYYYY"},
      {"only a teammate", true, still + teammate, still + teammate, kicked, "YYYYYYY"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scene scene;
    scene.oppTypes.informOppChangePlayerType(4);
    scene.step(c.before);
    if (c.playOn) scene.hearPlayOn();
    scene.step(c.before);
    scene.step(c.before);
    scene.step(c.last, c.ball);
    EXPECT_EQ(scene.marks(3), c.marks);
  }
}

}  // namespace
}  // namespace tovren
