#include "decisions/GroupWorks.h"

#include "actions/withoutball/Positioning.h"
#include "foundation/Timer.h"
#include "support/ChildProcess.h"
#include "support/PassScene.h"
#include "support/PositioningScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tovren {
namespace {

class ProbeGroupWorks : public GroupWorks {
 public:
  using GroupWorks::blockMode;
  using GroupWorks::GroupWorks;
  using GroupWorks::interceptNum;
  using GroupWorks::interceptNumSetTime;
  using GroupWorks::lastWithBallDecideValid;
  using GroupWorks::requestPassNum;
  using GroupWorks::sayInterceptNumPermission;
};

// (interceptNum, blockMode, sayInterceptNumPermission).
struct State {
  unsigned int num;
  bool block;
  bool say;
  bool operator==(const State& o) const { return num == o.num && block == o.block && say == o.say; }
};
std::ostream& operator<<(std::ostream& out, const State& s) {
  return out << "(" << s.num << ", " << s.block << ", " << s.say << ")";
}

constexpr unsigned int NOW = 20;
const float NO = NAN;  // no value given

// The agent (far from the ball unless moved) and the ball at rest at the centre spot, or
// where a test puts them, and coordination built on them.
class GroupWorksScene : public support::PositioningScene {
 protected:
  void scene(unsigned int uniNum, Point ball = {0, 0},
             const std::string& factors = support::passFactorsText()) {
    SetUp();
    referee("play_on");
    placeAgent(uniNum, {-30, 20});
    worldModel->setBody().setGoalie(uniNum == 1);
    placeBall(ball);
    worldModel->setCurTime(NOW);
    worldModel->setBall().setSeeTime(NOW);
    directory.write("Configs/PassFactors.conf", factors);
    support::WorkingDirectory inside(directory.path());
    positioning = std::make_unique<Positioning>(worldModel.get());
    positioning->setHomePoints();
    flags = SayDecisionFlags();
    mode = TNM_LOOK_NORMALLY;
    groupWorks = std::make_unique<ProbeGroupWorks>(worldModel.get(), flags, mode, *positioning);
  }
  // Comma-separated: "T8 x y [deviation]" a teammate (no number: one not identified),
  // "O5 x y" an opponent, "A x y [valid deviation]" the agent, "B deviation" the ball's. Players
  // are valid; their deviation (0.5 unless given) is the one the rules read. Positions
  // are taken from the origin.
  void place(const std::string& text, const Point& origin = {0, 0}) {
    std::istringstream items(text);
    std::string item;
    unsigned int half = 0;
    while (std::getline(items, item, ',')) {
      std::istringstream in(item);
      std::string tag;
      float x = 0, y = 0, deviation = 0.5f;
      in >> tag >> x;
      if (tag == "B") {
        worldModel->setBall().setPosDeviation(x);
        continue;
      }
      in >> y;
      const bool deviationGiven = static_cast<bool>(in >> deviation);
      x += origin.x;
      y += origin.y;
      if (tag == "A") {
        moveAgent({x, y});
        // The agent's place known no better than this.
        if (deviationGiven) worldModel->setBody().setValidPosDeviation(deviation);
        continue;
      }
      const TeamId team = tag[0] == 'T' ? TID_TEAMMATE : TID_OPPONENT;
      const unsigned int uniNum = tag.size() > 1 ? std::stoi(tag.substr(1)) : 0;
      Player& player = uniNum != 0 ? support::placeFullPlayer(*worldModel, team, uniNum, x, y)
                                   : worldModel->setHalfPlayer(team, half++);
      player.setTeamId(team);
      player.setPos().setAsCartesian(x, y);
      player.setPosDeviation(deviation);
      player.setValidPosDeviation(0.5f);
    }
    worldModel->updateCurInterCalculate();
    worldModel->updateBallStatus();
  }
  void moveAgent(const Point& pos) {
    worldModel->setBody().setPos().setAsCartesian(pos.x, pos.y);
    worldModel->setBall().updateRelativeVecs(worldModel->getBody());
  }
  // Players around the ball so that the prediction gives the status; the agent comes to
  // the ball for the statuses that need it.
  void makeStatus(BallStatus status) {
    const std::string at[] = {
        "", "T2 -.5 0", "O5 .5 0", "",       "T2 -.5 0, O5 .5 0", "", "",
        "", "T2 -2 0",  "O5 2 0",  "A 0 -2", "T2 -2 0, O5 2 0",   "", "A 0 -2, O5 2 0"};
    place(at[status], worldModel->getBall().getPos());
    ASSERT_EQ(worldModel->getBallStatus(), status);
  }
  void start(const State& s) {
    groupWorks->interceptNum = s.num;
    groupWorks->blockMode = s.block;
    groupWorks->sayInterceptNumPermission = s.say;
  }
  State state() const {
    return {groupWorks->interceptNum, groupWorks->blockMode, groupWorks->sayInterceptNumPermission};
  }
  // The reset and set lines of the log in order: "reset 1.2" as R1.2, "set 1" as S1.
  std::string rules() const {
    std::string joined;
    for (const std::string& line : support::linesWith(log.str(), "interceptNum ")) {
      std::istringstream words(line.substr(line.find(". ") + 2));
      std::string head, kind, rule;
      words >> head >> kind >> rule;
      if (head != "interceptNum" || (kind != "reset" && kind != "set") || !words.eof()) continue;
      joined += (joined.empty() ? "" : " ") + std::string(kind == "reset" ? "R" : "S") + rule;
    }
    return joined;
  }

  std::ostringstream& log = support::captureMainLog();
  support::ScratchDirectory directory;
  SayDecisionFlags flags;
  TurnNeckMode mode = TNM_LOOK_NORMALLY;
  std::unique_ptr<Positioning> positioning;
  std::unique_ptr<ProbeGroupWorks> groupWorks;
};

TEST_F(GroupWorksScene, ResetRulesThenSetRulesChooseWhoGoesForTheBall) {
  // The agent is 6 (1 the goalie, 3 a forward); block weights at the spot: 100 less the
  // distance on the x axis. The rules that acted: R for a reset, S for a set, in order.
  struct Case {
    const char* name;
    unsigned int me;
    State before;
    const char* scene;
    State after;
    const char* rules;
  } cases[] = {
      // clang-format off
      {"own chase, off",      6, {6, 0, 1}, "T8 -3 0",                      {8, 0, 1}, "R1.1 S1"},
      {"own chase, on",       6, {6, 0, 0}, "A -2 0",                       {6, 0, 0}, ""},
      {"mate at 3.0, off",    6, {7, 0, 1}, "T7 -30 9 3, T8 -3 0",          {8, 0, 1}, "R1.2 S1"},
      {"mate at 3.5, off",    6, {7, 0, 1}, "T7 -30 9 3.5, T8 -3 0",        {7, 0, 1}, ""},
      {"ball lost to 5.5",    6, {8, 0, 1}, "T8 -3 0, B 5.5",               {8, 0, 1}, "R2 S1"},
      {"ball known to 5.0",   6, {8, 0, 1}, "T8 -3 0, B 5",                 {8, 0, 1}, ""},
      {"own block, off",      6, {6, 1, 1}, "T8 -3 0",                      {8, 0, 1}, "R3.1 S1"},
      {"mate blocks, off",    6, {7, 1, 1}, "T7 -30 9, T8 -3 0",            {8, 0, 1}, "R3.2 S1"},
      {"beaten by 10.0",      6, {7, 1, 1}, "O5 1 0, T7 -20 0, T8 -10 0",   {7, 1, 1}, ""},
      {"beaten by 10.5",      6, {7, 1, 1}, "O5 1 0, T7 -20 0, T8 -9.5 0",  {8, 1, 1}, "R4.1 S3.1"},
      {"mate after opponent", 6, {0, 0, 0}, "O5 1 0, T8 -2 0",              {8, 1, 1}, "S3.1"},
      {"agent lost but nearer", 6, {0, 0, 0}, "O5 1 0, T8 -10 0, A -2 0 999", {6, 1, 1}, "S3.1"},
      {"lower post in time",  6, {0, 0, 0}, "T3 -2 0, T7 0 3, O5 0 -3",     {7, 0, 1}, "S2.1"},
      {"lower post late",     6, {0, 0, 0}, "T3 -2 0, T7 0 2.5, O5 0 -2.5", {3, 0, 1}, "S2.1"},
      {"unknown mate: me",    6, {0, 0, 0}, "A -2 0, T3 0 -2.5, T 0 3",     {6, 0, 0}, "S2.2"},
      {"unknown mate",        3, {0, 0, 0}, "A -2 0, T7 0 -2.5, T 0 3",     {0, 0, 0}, ""},
      {"goalie alone",        1, {0, 0, 0}, "O5 1 0",                       {0, 1, 0}, ""},
      {"unknown blocker: me", 6, {0, 0, 0}, "A -5 0, O5 1 0, T -2 0",       {6, 1, 0}, "S3.2"},
      {"unknown blocker",     6, {0, 0, 0}, "O5 1 0, T8 -5 0, T -2 0",      {0, 0, 0}, ""},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scene(c.me);
    place(c.scene);
    start(c.before);
    log.str("");
    groupWorks->updateInterceptNum();
    EXPECT_EQ(state(), c.after);
    EXPECT_EQ(rules(), c.rules);
  }
}

TEST_F(GroupWorksScene, AnAnnouncementFreezesTheNumberForItsCycleAndThreeMore) {
  // Left alone, the rules hand chaser 7 over to teammate 8; teammate 9 is unseen, so a
  // claim naming him is believed.
  for (const unsigned int later : {0u, 3u, 4u}) {
    SCOPED_TRACE(later);
    scene(6);
    place("T7 -30 9, T8 -3 0");
    groupWorks->setInterceptNum(7);
    worldModel->setCurTime(NOW + later);
    log.str("");
    groupWorks->updateInterceptNum();
    groupWorks->changeInterceptNumByHear(5, 9);
    const bool frozen = later < 4;
    const auto refused = support::linesWith(log.str(), "Changing interceptNum is not permitted.");
    EXPECT_EQ(refused.size(), frozen ? 2u : 0u);
    EXPECT_EQ(rules(), frozen ? "" : "R1.2 S1");
    EXPECT_EQ(state(), (frozen ? State{7, 0, 1} : State{9, 0, 1}));
  }

  // A new announcement replaces the number at once and freezes it anew.
  groupWorks->setInterceptNum(7);
  worldModel->setCurTime(NOW + 6);
  groupWorks->setInterceptNum(20);
  worldModel->setCurTime(NOW + 9);
  groupWorks->updateInterceptNum();
  EXPECT_EQ(state(), (State{9, 1, 1}));

  // Nobody announced freezes nothing; a code naming no teammate is not taken at all.
  groupWorks->setInterceptNum(0);
  EXPECT_EQ(state(), (State{0, 0, 1}));
  groupWorks->updateInterceptNum();
  EXPECT_EQ(state(), (State{8, 0, 1}));
  worldModel->setCurTime(NOW + 13);
  groupWorks->setInterceptNum(23);
  groupWorks->changeInterceptNumByHear(5, 9);
  EXPECT_EQ(state(), (State{9, 0, 1}));

  // A referee's call clears the number but not the time of the announcement.
  groupWorks->setInterceptNum(7);
  groupWorks->resetByChangePlayMode();
  EXPECT_EQ(state(), (State{0, 0, 0}));
  groupWorks->interceptNum = 5;
  EXPECT_FALSE(groupWorks->getChangeInterceptNumPermission());
}

TEST_F(GroupWorksScene, ARoutineMessageIsTakenWhenTheAgentCannotCheckBetter) {
  // The agent is 6; teammates 7 and 9 stand known to the deviations given.
  struct Case {
    const char* name;
    State before;
    float deviation7, deviation9;
    unsigned int sender, code;
    State after;
  } cases[] = {
      {"the chaser gives up", {7, 0, 0}, 1, 1, 7, 0, {0, 0, 1}},
      {"another's 0 is no claim", {7, 0, 1}, 1, 1, 5, 0, {7, 0, 1}},
      {"the agent's own message", {7, 0, 0}, 1, 1, 6, 0, {0, 0, 1}},
      {"the agent's own number", {7, 0, 0}, 1, 1, 5, 6, {6, 0, 1}},
      {"number 11, unseen", {7, 0, 0}, 1, 1, 5, 11, {11, 0, 1}},
      {"the agent's own block code", {7, 0, 0}, 1, 1, 5, 17, {6, 1, 1}},
      {"both well known", {7, 0, 0}, 1.5f, 1, 5, 9, {7, 0, 0}},
      {"both known to 2.0", {7, 0, 0}, 2, 2, 5, 9, {7, 0, 0}},
      {"the named one known to 2.5", {7, 0, 0}, 1, 2.5f, 5, 9, {9, 0, 1}},
      {"the chaser known to 2.5", {7, 0, 0}, 2.5f, 1, 5, 9, {9, 0, 1}},
      {"a block code names its blocker", {7, 0, 0}, 1, 2.5f, 5, 20, {9, 1, 1}},
      {"a well-known blocker's code", {7, 0, 0}, 1, 1, 5, 20, {7, 0, 0}},
      {"the chaser says he blocks", {7, 0, 0}, 1, 1, 7, 18, {7, 1, 1}},
      {"no choice of its own", {0, 0, 0}, 1, 1, 5, 9, {9, 0, 1}},
      {"a code naming nobody", {7, 0, 0}, 1, 1, 7, 23, {7, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scene(6);
    place("T7 -30 -20 " + std::to_string(c.deviation7) + ", T9 -30 0 " +
          std::to_string(c.deviation9));
    start(c.before);
    groupWorks->changeInterceptNumByHear(c.sender, c.code);
    EXPECT_EQ(state(), c.after);
  }
}

TEST_F(GroupWorksScene, TheNumberIsSaidOnlyWhenChaserAndBallAreWellKnown) {
  // State, deviations of teammate 7, of the agent (6) and of the ball, the code said.
  struct Case {
    State state;
    float deviation7, deviationMe, ballDeviation;
    unsigned int said;
  } cases[] = {
      {{0, 0, 1}, 0, 0, 0, 0},  {{7, 0, 1}, 1.9f, 9, 1.9f, 7}, {{7, 1, 1}, 1.9f, 0, 0, 18},
      {{7, 0, 0}, 0, 0, 0, 0},  {{7, 0, 1}, 2, 0, 0, 0},       {{7, 0, 1}, 0, 0, 2, 0},
      {{6, 1, 1}, 9, 9, 0, 17},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.state << " " << c.deviation7 << " " << c.deviationMe
                                      << " " << c.ballDeviation);
    scene(6);
    place("T7 -30 -20 " + std::to_string(c.deviation7) + ", B " + std::to_string(c.ballDeviation));
    worldModel->setBody().setPosDeviation(c.deviationMe);
    start(c.state);
    EXPECT_EQ(groupWorks->getInterceptNumForSay(), c.said);
  }

  // The weights the blockers are chosen by: on the line from our goal, and aside.
  const Player& onLine = support::placeFullPlayer(*worldModel, TID_TEAMMATE, 7, -40, 0);
  const Player& aside = support::placeFullPlayer(*worldModel, TID_TEAMMATE, 8, -30, 10);
  EXPECT_NEAR(groupWorks->getBlockWeight({-30, 0}, onLine), 90.0f, 1e-4f);
  EXPECT_NEAR(groupWorks->getBlockWeight({-30, 0}, aside), 76.5f, 1e-4f);
}

TEST_F(GroupWorksScene, WithoutTheBallTheAgreementTheBallStatusAndThePostChooseTheRole) {
  const int ME = 100;
  const WithoutBallSelection B = WBS_BLOCK, I = WBS_INTERCEPT, P = WBS_POSITIONING;
  // The ball is given from the agent's home point (or on the field), the agent from the
  // ball; the agreed chaser (ME for the agent), in block mode, announced 2 cycles ago; a
  // last with-ball decision still valid (0 none).
  struct Case {
    const char* name;
    int post, chaser, block, frozen, last, status, fromHome;
    Point ball, agent;
    WithoutBallSelection expected;
  } cases[] = {
      {"kick-and-run dribble", 9, 2, 0, 0, DT_SRP_DRIBBLE, 2, 1, {}, {-10, 0}, I},
      {"dribble", 9, 2, 0, 0, DT_DRIBBLE, 2, 1, {}, {-10, 0}, P},
      {"fresh block announcement", 9, ME, 1, 1, 0, 8, 1, {}, {-10, 0}, B},
      {"block after the freeze", 9, ME, 1, 0, 0, 10, 1, {}, {}, B},
      {"chaser, opponent's ball", 9, ME, 0, 0, 0, 2, 1, {}, {-10, 0}, B},
      {"forward chaser, contested ball", 9, ME, 0, 0, 0, 11, 1, {}, {-10, 0}, I},
      {"back chaser, contested ball", 4, ME, 0, 0, 0, 11, 1, {}, {-10, 0}, B},
      {"post 5 chaser, contested ball", 5, ME, 0, 0, 0, 11, 1, {}, {-10, 0}, B},
      {"post 8 chaser, both reach it", 8, ME, 0, 0, 0, 13, 1, {}, {}, B},
      {"post 6 chaser, both reach it", 6, ME, 0, 0, 0, 13, 1, {}, {}, I},
      {"free ball for the agent", 9, 2, 0, 0, 0, 10, 1, {}, {}, I},
      {"free ball, fresh announcement", 9, 2, 0, 1, 0, 10, 1, {}, {}, P},
      {"free ball, nobody announced", 9, 0, 0, 1, 0, 10, 1, {}, {}, I},
      {"teammate's free ball", 2, 2, 0, 0, 0, 8, 1, {}, {-10, 0}, P},
      {"teammate's kickable ball", 2, 2, 0, 0, 0, 1, 1, {}, {-10, 0}, P},
      {"post 2: 7 ahead, 5 aside", 2, 2, 0, 0, 0, 2, 1, {7, 5}, {-10, 0}, B},
      {"post 2: 6 aside", 2, 2, 0, 0, 0, 2, 1, {7, 6}, {-10, 0}, P},
      {"post 2: 15 the other way", 2, 2, 0, 0, 0, 2, 1, {7, -15}, {-10, 0}, B},
      {"post 2: 8 ahead", 2, 2, 0, 0, 0, 2, 1, {8, 0}, {-10, 0}, P},
      {"post 2: 8 ahead, passed", 2, 2, 0, 0, 0, 2, 1, {8, 0}, {10, 0}, B},
      {"post 5: 5 the other way", 5, 2, 0, 0, 0, 2, 1, {7, -5}, {-10, 0}, B},
      {"post 5: 6 the other way", 5, 2, 0, 0, 0, 2, 1, {7, -6}, {-10, 0}, P},
      {"post 3: 5 ahead, 5 aside", 3, 2, 0, 0, 0, 2, 1, {5, -5}, {-10, 0}, B},
      {"post 3: 6 ahead", 3, 2, 0, 0, 0, 2, 1, {6, 0}, {-10, 0}, P},
      {"post 4: 6 aside", 4, 2, 0, 0, 0, 2, 1, {0, 6}, {-10, 0}, P},
      {"post 8: ball at x 4.9", 8, 2, 0, 0, 0, 2, 0, {4.9f, 0}, {10, 0}, B},
      {"post 8: ball at x 5", 8, 2, 0, 0, 0, 2, 0, {5, 0}, {10, 0}, P},
      {"post 6: ball at y 4.6", 6, 2, 0, 0, 0, 2, 0, {-3.5f, 4.6f}, {8, 0}, B},
      {"post 6: ball at y 4.5", 6, 2, 0, 0, 0, 2, 0, {-3.5f, 4.5f}, {8, 0}, P},
      {"post 6: 13.9 ahead of home", 6, 2, 0, 0, 0, 2, 1, {0, -1}, {13.9f, 0}, B},
      {"post 6: 14 ahead of home", 6, 2, 0, 0, 0, 2, 1, {0, -1}, {14, 0}, P},
      {"post 7: 9.9 below home", 7, 2, 0, 0, 0, 2, 1, {0, -9.9f}, {-10, 0}, B},
      {"post 7: 10.1 below home", 7, 2, 0, 0, 0, 2, 1, {0, -10.1f}, {-10, 0}, P},
      {"post 9 has no rule", 9, 2, 0, 0, 0, 2, 1, {}, {-10, 0}, P},
      {"post rule, contested ball", 2, 2, 0, 0, 0, 11, 1, {}, {-10, 0}, B},
      {"post rule, opponent's free ball", 5, 2, 0, 0, 0, 9, 1, {}, {-10, 0}, B},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const unsigned int me = Player::postNumToUniNum(unsigned(c.post));
    scene(me);
    const Point home = positioning->getHomePoint(me);
    const Point ball = c.fromHome ? Point(home.x + c.ball.x, home.y + c.ball.y) : c.ball;
    placeBall(ball);
    moveAgent({ball.x + c.agent.x, ball.y + c.agent.y});
    makeStatus(static_cast<BallStatus>(c.status));
    groupWorks->interceptNum = c.chaser == ME ? me : unsigned(c.chaser);
    groupWorks->blockMode = c.block;
    groupWorks->interceptNumSetTime = c.frozen ? NOW - 2 : 0;
    groupWorks->lastWithBallDecideValid = c.last != 0;
    EXPECT_EQ(groupWorks->getWithoutBallSelection(static_cast<DecideType>(c.last)), c.expected);
  }

  // Another player who can kick the ball ends the last with-ball decision.
  for (const int status : {1, 2, 4, 9, 13}) {
    SCOPED_TRACE(status);
    scene(6);
    makeStatus(static_cast<BallStatus>(status));
    groupWorks->setLastWithBallDecideValid(true);
    groupWorks->checkForLastWithBallDecideValid();
    EXPECT_EQ(groupWorks->isLastWithBallDecideValid(), status > 4);
  }
}

TEST_F(GroupWorksScene, AForwardAboutToReachTheBallAsksTheMidfielderOnTheBallsSide) {
  const unsigned int UNTOUCHED = 3;
  // The agent's post and distance behind the ball (metres to cycles alike), an opponent at
  // the ball, the ball's y, whom the agent asked in the last cycle and whom it asks.
  struct Case {
    const char* name;
    unsigned int post;
    float distance;
    bool opponent;
    float ballY;
    unsigned int last, asked;
  } cases[] = {
      {"post 10, ball on +y: post 6", 10, 3, 0, 12, 0, 10},
      {"ball on -y: post 7", 10, 3, 0, -12, 0, 11},
      {"ball at y 5: as before", 10, 3, 0, 5, 11, 11},
      {"ball at y -5: as before", 10, 3, 0, -5, 0, 0},
      {"ball at y 5.1", 10, 3, 0, 5.1f, 11, 10},
      {"post 9", 9, 3, 0, -12, 0, 11},
      {"post 8 asks nobody", 8, 2, 0, 12, 0, 0},
      {"four cycles away", 10, 4, 0, 12, 0, UNTOUCHED},
      {"off the catchers", 10, 3, 1, 12, 0, UNTOUCHED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scene(Player::postNumToUniNum(c.post), {0, c.ballY});
    place("A " + std::to_string(-c.distance) + " " + std::to_string(c.ballY) +
          (c.opponent ? ", O5 .5 " + std::to_string(c.ballY) : ""));
    groupWorks->requestPassNum = c.last;
    groupWorks->updateAfterSenseBody();
    groupWorks->requestPassNum = 0;
    flags.attentionNum = flags.requestPassNum = UNTOUCHED;
    groupWorks->decide();
    EXPECT_EQ(flags.requestPassNum, c.asked);
    EXPECT_EQ(flags.attentionNum, c.asked);
  }
}

// Every criterion weighs 0, so each pass is worth its kind's alpha.
std::string flatFactors(float alpha) {
  const char* groups[] = {
      "PosDeviation",       "Offense",           "SeeInformation",     "BallDistance",
      "DashDistance",       "BreakOffsideLine",  "PassedOppNum",       "StatusOppNum",
      "SecurityDeltaCycle", "StatusOppDistance", "StatusOppDirection", "StatusShoot",
      "DribblePath",        "DefenseLine",       "ExtraCatch"};
  std::vector<support::FactorEdit> edits;
  for (const char* group : groups) {
    edits.push_back({group, "MinWeight", "0 0 0 0"});
    edits.push_back({group, "MaxWeight", "0 0 0 0"});
  }
  for (const char* key : {"CrossAlpha", "OffenseAlpha", "SecureBallAlpha", "BreakOffsideAlpha"})
    edits.push_back({"GlobalVars", key, std::to_string(alpha)});
  return support::passFactorsText(edits);
}

TEST_F(GroupWorksScene, AMidfielderAskedInThisCycleSuggestsTheBestPassOfTheTeammateAtTheBall) {
  // When and whom the request asked, the ms of the cycle, the ball's age, the alpha of a
  // flat pass model (NO: the usual one).
  struct Case {
    const char* name;
    unsigned int heardAgo, heardNum;
    long ms;
    unsigned int ballAge;
    float alpha;
    bool suggested;
  } cases[] = {
      {"asked in this cycle", 0, 6, 0, 0, NO, true}, {"in the last cycle", 1, 6, 0, 0, NO, false},
      {"another was asked", 0, 7, 0, 0, NO, false},  {"at 59 ms", 0, 6, 59, 0, NO, true},
      {"at 61 ms", 0, 6, 61, 0, NO, false},          {"ball seen 2 ago", 0, 6, 0, 2, NO, true},
      {"ball seen 3 ago", 0, 6, 0, 3, NO, false},    {"worth -49.9", 0, 6, 0, 0, -49.9f, true},
      {"worth -50", 0, 6, 0, 0, -50, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scene(6, {0, 0}, std::isnan(c.alpha) ? support::passFactorsText() : flatFactors(c.alpha));
    support::markAllViewPartsSeen(*worldModel);
    // Teammate 2 is at the ball; a pass of his to 9 or to the agent gets no plan weight.
    place("A 0 10, T2 -.5 0, T9 12 -2, O3 20 20");
    worldModel->setBall().setSeeTime(NOW - c.ballAge);
    dynamic_cast<VirtualTimer&>(worldModel->setTimer()).setCurMS(c.ms);
    groupWorks->setHearedRequestPassNum(c.heardNum);
    groupWorks->setHearedRequestPassTime(NOW - c.heardAgo);
    groupWorks->setHearedRequestPassSender(4);
    groupWorks->decide();
    const bool asked = c.heardAgo == 0 && c.heardNum == 6;
    EXPECT_EQ(mode, asked ? TNM_LOOK_NORMALLY_TO_BALL : TNM_LOOK_NORMALLY);
    EXPECT_EQ(flags.attentionNum, asked ? 4u : 0u);
    EXPECT_EQ(flags.suggestPass, c.suggested);
    if (!c.suggested) continue;
    // A kick of the teammate's fan: 1 to 2.5 per cycle in steps of 0.5, every 7.5 degrees.
    EXPECT_NEAR(std::remainder(flags.passSpeed, 0.5f), 0.0f, 1e-4f);
    EXPECT_TRUE(flags.passSpeed > 0.9f && flags.passSpeed < 2.6f) << flags.passSpeed;
    EXPECT_NEAR(std::remainder(flags.passDir, 7.5f), 0.0f, 1e-3f);
    EXPECT_TRUE(flags.suggestedReceiver == 9 || flags.suggestedReceiver == 6);
    if (!std::isnan(c.alpha)) {
      EXPECT_EQ(flags.passWeight, c.alpha);
    }
  }
}

}  // namespace
}  // namespace tovren
