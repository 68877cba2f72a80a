#include "coach/OurTypes.h"

#include "coach/AssignmentGraph.h"
#include "coach/CoachWorldModel.h"
#include "foundation/Check.h"
#include "support/ChildProcess.h"
#include "support/PassScene.h"
#include "support/WorldModelScene.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tovren {

const char* const keys[] = {"PlayerSpeedMax", "StaminaIncMax", "PlayerDecay",    "InertiaMoment",
                            "DashPowerRate",  "PlayerSize",    "KickableMargin", "KickRand",
                            "ExtraStamina",   "EffortMax",     "EffortMin"};

// Rows from..to-1; row r has the total rate r and the group rates 10r + 1 to 10r + 6.
static std::string lines(bool post, int from, int to, const std::string& tail = "") {
  std::string text;
  for (int r = from; r < to; ++r) {
    text += std::string(keys[r]) + " =";
    for (int k = 1; k <= (post ? 6 : 1); ++k) text += " " + std::to_string(post ? 10 * r + k : r);
    text += tail + "\n";
  }
  return text;
}

// Every row has the same total rate and the same group rates.
static std::string sameRates(const std::string& main, const std::string& post) {
  std::string text = "[MainRates]\n";
  for (const char* key : keys) text += key + (" = " + main) + "\n";
  text += "[PostRates]\n";
  for (const char* key : keys) text += key + (" = " + post) + "\n";
  return text;
}

// A coach world model with the recorded match's parameters and types, and the task built
// in a working directory whose rates file holds the text.
struct Coach {
  bool configured = (support::setAgentConfig(true), true);
  CoachWorldModel live;
  CoachWorldModelHistory history;
  std::unique_ptr<OurTypes> ourTypes;

  explicit Coach(const std::string& rates, bool withTypes = true) {
    const support::ScratchDirectory directory;
    directory.write("Configs/OurTypesRates.conf", rates);
    const support::WorkingDirectory inside(directory.path());
    ourTypes = std::make_unique<OurTypes>(&live, history);
    if (withTypes) receiveTypes();
  }

  // The recorded parameters, whose "(pt_max 1)" becomes the text given.
  void receiveTypes(const std::string& ptMax = "(pt_max 1)") {
    for (const auto& line :
         support::readRecording(support::fixturePath("left", "Tovren-coach.txt"))) {
      std::string text = line.text;
      if (text.rfind("(player_param", 0) == 0) {
        text.replace(text.find("(pt_max 1)"), 10, ptMax);
        live.initPlayerParam(*support::parseMessage(text));
      }
      if (text.rfind("(player_type", 0) == 0) live.initPlayerType(*support::parseMessage(text));
    }
  }

  // Type 3 as type 0 of the recording but for the (key value) pairs given.
  void setType3(const std::string& pairs) {
    live.initPlayerType(*support::parseMessage(
        "(player_type (id 3)(player_speed_max 1.05)(stamina_inc_max 45)(player_decay 0.4)"
        "(inertia_moment 5)(dash_power_rate 0.006)(player_size 0.3)(kickable_margin 0.7)"
        "(kick_rand 0.1)(extra_stamina 50)(effort_max 1)(effort_min 0.6)" +
        pairs + ")"));
  }

  // One see_global listing the own players whose uniforms the text holds as letters
  // ('a' is 1), then one run as the scheduler makes it: the command taken, if any.
  std::unique_ptr<ChangePlayerCommand> run(const std::string& present) {
    std::string entries;
    for (char u : present)
      entries += "((p \"Tovren\" " + std::to_string(u - 'a' + 1) + ") 0 0 0 0 0 0)";
    live.setCurTime(live.getCurTime() + 1);
    live.resetObjects();
    live.parseSeeGlobal(*support::parseMessage("(see_global 1 ((b) 0 0 0 0) " + entries + ")"));
    return ourTypes->execute() ? ourTypes->setChangePlayerCommandSent() : nullptr;
  }
};

TEST(OurTypes, RatesFileFillsEveryCellFromItsGroupKeyAndToken) {
  // Tokens past the sixth, a group in two sections, a key twice.
  const std::string text = "[PostRates]\n" + lines(true, 0, 5, " 99") +
                           "[MainRates]\nPlayerDecay = 77\n" + lines(false, 0, 2) +
                           "PlayerDecay = 2\n" + lines(false, 3, 11) + "[PostRates]\n" +
                           lines(true, 5, 11, " 99");
  const Coach coach(text, false);
  for (int cell = 0; cell < 77; ++cell)
    EXPECT_EQ(coach.ourTypes->getRate(cell / 7, cell % 7),
              cell % 7 ? 10 * (cell / 7) + cell % 7 : cell / 7);
}

TEST(OurTypesDeathTest, IncompleteRatesFileStopsAtStartUpNamingFileGroupAndKey) {
  const std::string main = "[MainRates]\n" + lines(false, 0, 11);
  const std::string post = "[PostRates]\n" + lines(true, 0, 10);
  const struct Case {
    std::string rates;
    const char* line;
  } cases[] = {
      {main + post + lines(true, 10, 11) + "KickRand = 1 2 3 4 5",
       "OurTypesRates.conf line 25, \\[PostRates\\] KickRand: holds fewer than 6 numbers"},
      {main + post, "^\\./Configs/OurTypesRates.conf: \\[PostRates\\] EffortMin is missing"},
      {post + lines(true, 10, 11),
       "^\\./Configs/OurTypesRates.conf: \\[MainRates\\] PlayerSpeedMax is missing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    // A user's mistake ends the run with its line, as main does.
    EXPECT_EXIT(
        {
          try {
            Coach(c.rates, false);
          } catch (const UserError& error) {
            std::fputs(error.what(), stderr);
            std::exit(1);
          }
        },
        testing::ExitedWithCode(1), c.line);
  }
}

// Only the parameter of the case counts, at twice its score.
TEST(OurTypes, ParameterScoresMeetAtTheBandEnds) {
  const char* const serverKeys[] = {"player_speed_max", "stamina_inc_max", "player_decay",
                                    "inertia_moment",   "dash_power_rate", "player_size",
                                    "kickable_margin",  "kick_rand",       "extra_stamina",
                                    "effort_max",       "effort_min"};
  struct Case {
    int row;
    const char* value;
    int uniNum;  // 7 is of standard number 2, 10 of 7, 3 of 9, 11 of 8, 2 of 10
    float score;
  };
  const Case cases[] = {{7, "0.05", 7, 50},    {7, "0.07", 7, -70},      {7, "0.12", 7, -100},
                        {4, "0.0063", 7, -85}, {4, "0.00631", 7, 15.5f}, {2, "0.43", 7, -85},
                        {2, "0.44", 7, 20},    {1, "33", 7, -60},        {1, "33", 10, -480},
                        {1, "33", 3, -480},    {1, "33", 2, -60},        {1, "35.5", 11, -47.5f},
                        {1, "20", 2, -800},    {8, "150", 7, 100},       {0, "0.9", 7, -100},
                        {3, "4", 7, 0},        {3, "12", 7, -100},       {10, "0.45", 7, -75},
                        {5, "0.2", 7, -50},    {6, "0.75", 7, 25},       {9, "0.9", 7, -50}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(serverKeys[c.row]) + " " + c.value + " " + std::to_string(c.uniNum));
    Coach coach(sameRates("0", "2 2 2 2 2 2") + "[MainRates]\n" + keys[c.row] + " = 1\n");
    coach.setType3(std::string("(") + serverKeys[c.row] + " " + c.value + ")");
    EXPECT_NEAR(coach.ourTypes->getPlayerWeight(c.uniNum - 1, 3), 2 * c.score, 0.02);
  }
}

// Extra stamina scores 100 in the column of the player's group, player decay 1000 in its own.
TEST(OurTypes, UniformNumberChoosesTheRatesColumnDecaySwappingTheLastTwo) {
  const int cases[][3] = {{2, 10, 5600}, {3, 9, 6500}, {4, 11, 5600}, {5, 6, -10000},
                          {6, 4, 2200},  {7, 2, 1100}, {8, 3, 1100},  {9, 5, 2200},
                          {10, 7, 4400}, {11, 8, 4400}};
  Coach coach(sameRates("0", "1 2 3 4 5 6") + "[MainRates]\nExtraStamina = 1\nPlayerDecay = 10\n");
  coach.setType3("(extra_stamina 100)(player_decay 0.6)");
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    EXPECT_EQ(OurTypes::getStandardUniNum(c[0]), c[1]);
    EXPECT_FLOAT_EQ(coach.ourTypes->getPlayerWeight(c[0] - 1, 3), c[2]);
  }
  EXPECT_DEATH(OurTypes::getStandardUniNum(1), "failed: 0 ");
  EXPECT_DEATH(OurTypes::getStandardUniNum(12), "failed: 0 ");
}

// Uniform 2 (row 1), type 0 of the recording with only its extra stamina (50) rated.
TEST(OurTypes, PlayerWeightsReachTheGraphTruncatedAndWithinTheSolversSpan) {
  const std::pair<const char*, int> cases[] = {{"0.0199", 0},    {"-0.0399", -1},    {"3", 150},
                                               {"1e30", 400000}, {"-1e30", -400000}, {"1e38", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    Coach coach(sameRates("0", "1 1 1 1 1 1") + "[MainRates]\nExtraStamina = " + c.first + "\n");
    coach.ourTypes->setPlayerGraphs(1);
    for (int column = 0; column < 3; ++column)
      EXPECT_EQ(coach.ourTypes->getAssignmentGraph().getWeight(1, column), c.second);
  }
}

// Only extra stamina counts: of the recorded types 4 (97.5) before 2 (95.1), 3 (88.6),
// 6 (80.4), 5 (76.4), 1 (55.7) and 0 (50); uniform 5 is held to type 0.
const std::string extraStaminaRates =
    sameRates("0", "1 1 1 1 1 1") + "[MainRates]\nExtraStamina = 1\n";

TEST(OurTypes, OneCommandARunForTheLowestUniformSeenNotSentAndNotOfThatTypeAlready) {
  struct Case {
    const char* name;
    int typesFrom, anyoneFrom, sevenFrom;  // the first run with them
    const char* sent;
  };
  const Case cases[] = {{"all present", 0, 0, 0, "2 3 4 6 7 8 9 10 11 - - - - "},
                        {"uniform 7 late", 0, 0, 11, "2 3 4 6 8 9 10 11 - - - 7 - "},
                        {"nobody seen at first", 0, 2, 0, "- - 2 3 4 6 7 8 9 10 11 - - "},
                        {"types late", 1, 0, 0, "- 2 3 4 6 7 8 9 10 11 - - - "}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Without "pt_max" three players a type.
    Coach coach(extraStaminaRates, false);
    if (c.typesFrom == 0) coach.receiveTypes("");
    std::string sent;
    std::vector<int> perType(OurTypes::TYPES);
    for (int run = 0; run < 13; ++run) {
      if (run == c.typesFrom && run > 0) coach.receiveTypes("");
      const auto command = coach.run(run < c.anyoneFrom  ? ""
                                     : run < c.sevenFrom ? "abcdefhijk"
                                                         : "abcdefghijk");
      sent += command ? std::to_string(command->getUniformNum()) + " " : "- ";
      EXPECT_FALSE(coach.ourTypes->hasChangePlayerCommand()) << "a sent change is no longer ready";
      if (command) ++perType[command->getPlayerType()];
    }
    EXPECT_EQ(sent, c.sent);
    EXPECT_EQ(perType, (std::vector<int>{0, 0, 3, 3, 3, 0, 0}));
  }
}

// The server's count of a type covers the whole field: the default type 0 takes the players
// that the other types, each within the count, leave.
TEST(OurTypes, ServersLimitOfATypeHoldsForEveryTypeButTheDefault) {
  struct Case {
    const char* ptMax;
    std::vector<int> perType;  // commands sent of each type
  };
  const Case cases[] = {{"(pt_max 1)", {0, 1, 1, 1, 1, 1, 1}},
                        {"(pt_max 2)", {0, 0, 2, 2, 2, 1, 2}},
                        {"(pt_max 0)", {0, 0, 0, 0, 0, 0, 0}},
                        {"(pt_max 4)", {0, 0, 3, 3, 3, 0, 0}},
                        {"(pt_max x)", {0, 0, 3, 3, 3, 0, 0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ptMax);
    Coach coach(extraStaminaRates, false);
    coach.receiveTypes(c.ptMax);
    std::vector<int> perType(OurTypes::TYPES);
    int lastUniform = 0;
    for (int run = 0; run < 11; ++run) {
      const auto command = coach.run("abcdefghijk");
      if (!command) continue;
      ++perType[command->getPlayerType()];
      EXPECT_GT(command->getUniformNum(), lastUniform);
      lastUniform = command->getUniformNum();
    }
    EXPECT_EQ(perType, c.perType);
  }
}

}  // namespace tovren
