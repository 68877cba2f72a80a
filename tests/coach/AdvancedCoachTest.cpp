#include "coach/AdvancedCoach.h"
#include "coach/Task.h"
#include "connection/VirtualConnection.h"
#include "foundation/Timer.h"
#include "support/AgentScene.h"
#include "support/Scene.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

namespace tovren {
namespace {

using support::ScratchDirectory;
using Texts = std::vector<std::string>;

struct RecordingConnection : VirtualConnection {
  using Connection::send;
  bool send(const std::string& text) override {
    sent.push_back(text);
    return true;
  }
  Texts sent;
};

// Runs when told to, counts its runs and always has a text and its change ready.
class ScriptedTask : public Task {
 public:
  ScriptedTask(const CoachWorldModel* world, const CoachWorldModelHistory& history, bool runs,
               int changeTo)
      : Task(world, history), runs(runs), changeTo(changeTo) {}
  bool execute() override {
    ++executions;
    freeFormString = "(X)";
    freeFormReady = true;
    changePlayerCommand = std::make_unique<ChangePlayerCommand>(changeTo, 1);
    changePlayerCommandReady = changeTo > 0;
    return runs;
  }
  void informOppChangePlayerType(unsigned int playerNum) override { informed = playerNum; }
  bool runs;
  int changeTo;
  int executions = 0;
  unsigned int informed = 0;
};

class ProbeCoach : public AdvancedCoach {
 public:
  using AdvancedCoach::AdvancedCoach;
  using AdvancedCoach::numSentFreeForm;
  using BasicCoach::history;
  using BasicCoach::worldModel;
  RecordingConnection& link() {
    if (!connection) connection = std::make_unique<RecordingConnection>();
    return static_cast<RecordingConnection&>(*connection);
  }
  void burst(const Texts& datagrams) {
    for (const std::string& each : datagrams) link().addMessage(each);
    sigIOHandler();
  }
  const ScriptedTask& addScripted(bool runs, int changeTo, int limit = -1, int period = 0) {
    auto task = std::make_unique<ScriptedTask>(worldModel.get(), history, runs, changeTo);
    const ScriptedTask& added = *task;
    addTask(std::move(task), limit, period);
    return added;
  }
};

// A coach built in the directory, as the program builds it there.
std::unique_ptr<ProbeCoach> makeCoach(const ScratchDirectory& directory,
                                      Texts words = {"-", "--coach"}) {
  directory.write("Configs/Agent.conf", support::agentConfigText({}));
  std::filesystem::copy_file(std::string(TOVREN_SOURCE_DIR) + "/Configs/OurTypesRates.conf",
                             directory.file("Configs/OurTypesRates.conf"));
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  char previous[PATH_MAX];
  EXPECT_TRUE(getcwd(previous, sizeof previous) && chdir(directory.path().c_str()) == 0);
  auto coach = std::make_unique<ProbeCoach>(static_cast<int>(words.size()), argv.data());
  EXPECT_EQ(chdir(previous), 0);
  return coach;
}

TEST(AdvancedCoach, FreeFormFollowsThePlayOnWaitTheSendPeriodAndTheQuota) {
  const std::string max = "(say_coach_cnt_max 128)";
  const std::string wait2 = "(freeform_wait_period 2)" + max;
  struct Case {
    const char* name;
    bool playOn;
    unsigned int past, cycle;
    std::string params;
    int sentBefore;
    bool allowed;
  };
  const Case cases[] = {
      {"first at cycle 0", false, 0, 0, max, 0, true},
      {"second at cycle 0", false, 0, 0, max, 1, false},
      {"quota reached", false, 0, 3000, "(say_coach_cnt_max 2)", 1, true},
      {"quota passed", false, 0, 3000, "(say_coach_cnt_max 2)", 2, false},
      {"no count max", false, 0, 6000, "", 0, false},
      {"wait not over", true, 2, 100, wait2 + "(freeform_send_period 10)", 0, false},
      {"remainder above wait", true, 9, 100, wait2 + "(freeform_send_period 10)", 0, false},
      {"remainder within wait", true, 11, 100, wait2 + "(freeform_send_period 10)", 0, true},
      {"remainder at the wait", true, 12, 100, wait2 + "(freeform_send_period 10)", 0, true},
      {"send period 0", true, 3, 100, wait2 + "(freeform_send_period 0)", 0, true},
      {"no send period", true, 11, 100, wait2, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory directory;
    auto coach = makeCoach(directory);
    const ScriptedTask& probe = coach->addScripted(true, 0);
    coach->burst(
        {"(server_param " + c.params + ")", c.playOn ? "(hear 1 referee play_on)" : "(think)"});
    // The see_global below adds the last cycle of play on.
    if (c.playOn) coach->worldModel->setCurTime(c.past - 1);
    coach->numSentFreeForm = c.sentBefore;
    coach->burst({"(see_global " + std::to_string(c.cycle) + ")"});
    EXPECT_EQ(coach->link().sent, c.allowed ? Texts{"(say (freeform \"(X)\"))"} : Texts{});
    EXPECT_EQ(probe.isFreeFormReady(), !c.allowed);
  }
}

TEST(AdvancedCoach, TasksRunWithinTheirLimitsAfterTheirPeriodsAndTheLastChangeIsSent) {
  ScratchDirectory directory;
  auto coach = makeCoach(directory);
  const ScriptedTask* tasks[] = {&coach->addScripted(true, 4, 2, 1),
                                 &coach->addScripted(true, 7, 2, 0),
                                 &coach->addScripted(false, 9, 1, 0)};
  for (int pass = 0; pass < 6; ++pass) {
    coach->burst({"(see_global " + std::to_string(pass) + ")"});
    coach->burst({"(hear 0 referee play_on)"});  // the same cycle: no run, nothing sent
  }
  const std::string seven = "(change_player_type 7 1)";
  EXPECT_EQ(coach->link().sent, (Texts{seven, seven, "(change_player_type 4 1)"}));
  EXPECT_EQ(tasks[0]->executions, 2);
  EXPECT_EQ(tasks[1]->executions, 2);
  EXPECT_EQ(tasks[2]->executions, 6);
}

TEST(AdvancedCoach, BurstIsDispatchedInArrivalOrderThenDecidedOnce) {
  ScratchDirectory directory;
  auto coach = makeCoach(directory);
  const ScriptedTask& probe = coach->addScripted(true, 0);
  coach->sigIOHandler();  // before the link exists
  coach->burst({"(see_global 0)", "(see 0)", "((x))", "(hear 0 referee play_on)",
                "(HEAR 0 referee kick_off_l)", "(see_global x)", "(see_global 1) ("});
  // Play on began after the first cycle and before the second; the tasks ran once.
  EXPECT_EQ(coach->getWorldModel().getPlayOnPastCycles(), 1u);
  EXPECT_EQ(coach->getWorldModel().getPlayMode(), PM_PLAY_ON);
  EXPECT_EQ(probe.executions, 1);
}

TEST(AdvancedCoach, AnOpponentsTypeChangeIsToldToTheTasksByItsNumber) {
  // The message and the number the tasks are told, 0 for none.
  const std::pair<const char*, unsigned int> cases[] = {{"(change_player_type 11)", 11},
                                                        {"(change_player_type 1)", 1},
                                                        {"(change_player_type 12)", 0},
                                                        {"(change_player_type 0)", 0},
                                                        {"(change_player_type 4 3)", 0}};
  for (const auto& [message, informed] : cases) {
    SCOPED_TRACE(message);
    ScratchDirectory directory;
    auto coach = makeCoach(directory);
    const ScriptedTask& probe = coach->addScripted(true, 0);
    coach->burst({message});
    EXPECT_EQ(probe.informed, informed);
  }
}

// The server reads only the first command of a coach's datagram and answers each in turn.
TEST(AdvancedCoach, EachCommandGoesAloneAndARefusedChangeIsLoggedWithItsPlayer) {
  const std::string refusal =
      "Player 4's type change to type 1 refused: (warning max_of_that_type_on_field)";
  struct Case {
    Texts answers;
    const char* logged;  // the line of the answers, if any
  };
  const Case cases[] = {
      {{"(ok say)", "(warning max_of_that_type_on_field)"}, refusal.c_str()},
      {{"(ok say)", "(ok change_player_type 4 1)", "(error unknown_command)"},
       "Answer to no command: (error unknown_command)"},
      // An acceptance of the change tells that the freeform's answer was lost.
      {{"(ok change_player_type 4 1)", "(warning max_of_that_type_on_field)"},
       "Answer to no command: (warning max_of_that_type_on_field)"},
      {{"(error could_not_parse_say)"},
       "Refused: (say (freeform \"(X)\")) (error could_not_parse_say)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.logged);
    ScratchDirectory directory;
    auto coach = makeCoach(directory);
    coach->addScripted(true, 4);
    Texts parameters;
    for (const auto& line :
         support::readRecording(support::fixturePath("left", "Tovren-coach.txt"))) {
      if (line.text.rfind("(player_", 0) == 0) parameters.push_back(line.text);
    }
    coach->burst(parameters);
    coach->burst({"(server_param (say_coach_cnt_max 128))", "(change_player_type 4 3)"});
    coach->burst({"(see_global 0)"});
    EXPECT_EQ(coach->link().sent, (Texts{"(say (freeform \"(X)\"))", "(change_player_type 4 1)"}));
    std::ostringstream& log = support::captureMainLog();
    coach->burst(c.answers);
    const std::string text = log.str();
    EXPECT_EQ(
        support::linesWith(text, "efused").size() + support::linesWith(text, "no command").size(),
        1u)
        << text;
    EXPECT_EQ(support::linesWith(text, c.logged).size(), 1u);
    // The picture of the player stays what the server last announced.
    EXPECT_EQ(coach->getWorldModel().getFullPlayer(TID_TEAMMATE, 3).getType(), 3u);
  }
}

// Only its log line tells of a refused view: the watchdog's clock, the coach's time, its
// history and its objects stay as the last good view left them.
TEST(AdvancedCoach, RefusedGlobalViewLeavesNoTraceButItsLogLine) {
  const char* const refused[] = {"(see_global x ((b) 8 8 1 1))",
                                 "(see_global 8 ((b) 8 8 1 1) ((p \"Rival\" 12) 0 0 0 0 0 0))",
                                 "(see_global 8 ((b) 8 8 1 1) 7)"};
  for (const char* text : refused) {
    SCOPED_TRACE(text);
    ScratchDirectory directory;
    auto coach = makeCoach(directory, {"-", "--coach", "--offline-player"});
    coach->burst({"(see_global 7 ((b) 1 2 0 0))"});
    auto& clock = static_cast<VirtualTimer&>(coach->worldModel->setTimer());
    clock.setCurMS(5000);
    const std::ostringstream& log = support::captureMainLog();
    coach->burst({text});
    EXPECT_EQ(clock.now(), 5000);
    EXPECT_EQ(clock.getCycle(), 7);
    EXPECT_EQ(coach->getWorldModel().getCurTime(), 1u);
    EXPECT_EQ(coach->history.getSize(), 1);
    EXPECT_FLOAT_EQ(coach->getWorldModel().getBall().getPos().getX(), 1.0f);
    EXPECT_EQ(support::linesWith(log.str(), "Skipping").size(), 1u) << log.str();
  }
}

TEST(AdvancedCoach, FirstWellFormedInitAnswerSetsTheSideAndAnnouncesTheCoach) {
  struct Case {
    Texts answers;
    Side before, side;
    const char* out;
  };
  const char* const connected = "Coach is connected.\n";
  const Case cases[] = {
      {{"(init r ok)"}, SI_LEFT, SI_RIGHT, connected},
      {{"(init x ok)", "(init)", "((init) l)", "(init l ok)"}, SI_RIGHT, SI_LEFT, connected},
      {{"(init l ok)", "(init r ok)"}, SI_RIGHT, SI_LEFT, connected},
      {{"(init 7 ok)"}, SI_RIGHT, SI_RIGHT, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers.front());
    ScratchDirectory directory;
    auto coach = makeCoach(directory);
    coach->worldModel->setFieldSide(c.before);
    testing::internal::CaptureStdout();
    coach->burst(c.answers);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    EXPECT_EQ(coach->getWorldModel().getFieldSide(), c.side);
  }
}

TEST(AdvancedCoach, EyeOnGoesOutOnceFromTick200WithALinkAndSilenceEndsTheRun) {
  ScratchDirectory directory;
  auto coach = makeCoach(directory, {"-", "--coach", "--offline-player"});
  for (int tick = 0; tick < 250; ++tick) EXPECT_TRUE(coach->sigAlrmHandler());
  EXPECT_TRUE(coach->link().sent.empty());
  EXPECT_TRUE(coach->sigAlrmHandler() && coach->sigAlrmHandler());
  EXPECT_EQ(coach->link().sent, Texts{"(eye on)"});

  auto& clock = static_cast<VirtualTimer&>(coach->worldModel->setTimer());
  clock.setCurMS(SyncedCoach::kServerSilenceMS);
  EXPECT_TRUE(coach->sigAlrmHandler());
  clock.setCurMS(SyncedCoach::kServerSilenceMS + 1);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(coach->sigAlrmHandler());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Server does not respond in the expected time.\n");
  EXPECT_EQ(coach->getExitStatus(), 1);
}

}  // namespace
}  // namespace tovren
