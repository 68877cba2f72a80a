#include "agent/BasicAgent.h"

#include "connection/Command.h"
#include "connection/OnlineConnection.h"
#include "foundation/Config.h"
#include "foundation/Timer.h"
#include "support/AgentScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace tovren {
namespace {

using support::agentConfigText;
using support::firstMessage;
using support::makeAgent;
using support::ScratchDirectory;

const ConfigGroup& agentGroup(const std::string& name) { return config["Agent"][name]; }

std::string textOf(const std::string& group, const std::string& key) {
  return agentGroup(group)[key].asString();
}

// Each line of the text that holds the fragment.
std::vector<std::string> linesWith(const std::string& text, const std::string& fragment) {
  std::vector<std::string> found;
  std::string::size_type start = 0;
  while (start < text.size()) {
    std::string::size_type end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (line.find(fragment) != std::string::npos) found.push_back(line);
    start = end + 1;
  }
  return found;
}

// ---------------------------------------------------------------- configuration

TEST(BasicAgentConfig, DefaultsAreTheTwelveTextsAndASecondRunResetsOnlyThem) {
  BasicAgent::setConfigDefaults();
  config["Agent"]["Public"].add("TeamName", "Changed");
  config["Agent"]["Public"].add("RandomSeed", "7");
  BasicAgent::setConfigDefaults();

  EXPECT_EQ(textOf("Server", "HostName"), "localhost");
  EXPECT_EQ(textOf("Server", "PlayerPort"), "6000");
  EXPECT_EQ(textOf("Server", "Version"), "9.4.5");
  EXPECT_EQ(textOf("Server", "OfflinePlayer"), "False");
  EXPECT_EQ(textOf("Public", "TeamName"), "Tovren");
  EXPECT_EQ(textOf("Public", "IsGoalie"), "False");
  EXPECT_EQ(textOf("Public", "UniformNum"), "0");
  EXPECT_EQ(textOf("Public", "LatestTrick"), "False");
  EXPECT_EQ(textOf("AgentLog", "LogToFile"), "False");
  EXPECT_EQ(textOf("AgentLog", "OffLogToFile"), "False");
  EXPECT_EQ(textOf("AgentLog", "InputLogAddress"), ".");
  EXPECT_EQ(textOf("AgentLog", "OutputLogAddress"), ".");
  EXPECT_EQ(textOf("Public", "RandomSeed"), "7");
}

TEST(BasicAgentConfig, ShippedFileAnnouncesTheVersionTheServerAccepts) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {});
  EXPECT_EQ(textOf("Server", "Version"), "9.4");
  EXPECT_EQ(textOf("Public", "TeamName"), "Tovren");
  EXPECT_EQ(agentGroup("Server")["PlayerPort"].asInt(), 6000);
  EXPECT_FALSE(agentGroup("Public")["IsGoalie"].asBool());
  EXPECT_FALSE(agentGroup("AgentLog")["LogToFile"].asBool());
  EXPECT_FALSE(agentGroup("AgentLog")["OffLogToFile"].asBool());
}

TEST(BasicAgentConfig, FileReplacesDefaultsAndCommandLineReplacesFile) {
  ScratchDirectory directory;
  auto agent = makeAgent(
      directory, {"--team", "Cli Team", "--player-port", "6100"},
      agentConfigText({{"TeamName", "FileTeam"}, {"PlayerPort", "6050"}, {"IsGoalie", "TRUE"}}));
  EXPECT_EQ(textOf("Public", "TeamName"), "Cli Team");
  EXPECT_EQ(agentGroup("Server")["PlayerPort"].asInt(), 6100);
  EXPECT_TRUE(agentGroup("Public")["IsGoalie"].asBool());
  EXPECT_EQ(textOf("Server", "Version"), "9.4");
}

TEST(BasicAgentConfig, OneAndZeroAreBooleansAndTextKeepsItsInnerBlanks) {
  ScratchDirectory directory;
  auto first =
      makeAgent(directory, {}, agentConfigText({{"IsGoalie", "1"}, {"TeamName", "Two Words"}}));
  EXPECT_TRUE(agentGroup("Public")["IsGoalie"].asBool());
  EXPECT_EQ(textOf("Public", "TeamName"), "Two Words");
  auto second = makeAgent(directory, {}, agentConfigText({{"IsGoalie", "0"}}));
  EXPECT_FALSE(agentGroup("Public")["IsGoalie"].asBool());
}

TEST(BasicAgentConfig, MisspelledKeysOtherCaseGroupsAndKeysBeforeAGroupChangeNothing) {
  ScratchDirectory directory;
  const std::string text = "TeamName = BeforeAnyGroup\n" + agentConfigText({}) +
                           "teamname = Lower\n[public]\nTeamName = OtherGroup\n";
  auto agent = makeAgent(directory, {}, text);
  EXPECT_EQ(textOf("Public", "TeamName"), "Tovren");
}

TEST(BasicAgentConfig, OptionsWithoutAPlayerReaderAreStoredOnly) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--random-seed", "7", "--offline-frames", "--coach-port",
                                     "6002", "--number", "4", "--coach", "--goalie"});
  EXPECT_EQ(textOf("Public", "RandomSeed"), "7");
  EXPECT_EQ(textOf("Server", "OfflineFrames"), "True");
  EXPECT_EQ(textOf("Server", "CoachPort"), "6002");
  EXPECT_EQ(agentGroup("Public")["UniformNum"].asInt(), 4);
  EXPECT_EQ(textOf("Public", "IsGoalie"), "True");
}

// ---------------------------------------------------------------- construction and signals

TEST(BasicAgent, StartsWithEmptySlotsClearedFlagsAndEveryPermission) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {});
  EXPECT_EQ(agent->connection, nullptr);
  EXPECT_EQ(agent->sayCommand, nullptr);
  EXPECT_EQ(agent->bodyCycleCommand, nullptr);
  EXPECT_EQ(agent->headCycleCommand, nullptr);
  EXPECT_EQ(agent->pointToCommand, nullptr);
  EXPECT_EQ(agent->attentionToCommand, nullptr);
  EXPECT_EQ(agent->changeViewCommand, nullptr);
  EXPECT_EQ(agent->lastBodyCycleCommand, nullptr);
  EXPECT_TRUE(agent->isBodyCycleCommandDecidePermitted());
  EXPECT_TRUE(agent->isBodyCycleCommandSendPermitted());
  EXPECT_TRUE(agent->isHeadCycleCommandDecidePermitted());
  EXPECT_TRUE(agent->isHeadCycleCommandSendPermitted());
  EXPECT_FALSE(agent->isSenseBodyReceived());
  EXPECT_FALSE(agent->isSeeReceived());
  EXPECT_FALSE(agent->isQuickDecide());
  EXPECT_FALSE(agent->isBodyCycleCommandSent());
  EXPECT_FALSE(agent->isHeadCycleCommandSent());
  EXPECT_FALSE(agent->isBodyCycleCommandLost());
  EXPECT_FALSE(agent->isHeadCycleCommandLost());
  EXPECT_EQ(agent->getSeeReceiveMS(), 0);
  EXPECT_EQ(agent->getExitStatus(), 0);
}

TEST(BasicAgent, WorldModelTakesTheVirtualTimerOnlyForTheOfflinePlayer) {
  ScratchDirectory directory;
  auto online = makeAgent(directory, {});
  EXPECT_NE(dynamic_cast<const OnlineTimer*>(&online->getWorldModel().getTimer()), nullptr);
  auto offline = makeAgent(directory, {"--offline-player"});
  EXPECT_NE(dynamic_cast<const VirtualTimer*>(&offline->getWorldModel().getTimer()), nullptr);
}

TEST(BasicAgent, WantsAllSevenSignalsWithTenMillisecondAlarms) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {});
  EXPECT_EQ(agent->signalsMask(), 0x7f);
  long first = 0;
  long period = 0;
  agent->sigAlrmTiming(first, period);
  EXPECT_EQ(first, 10);
  EXPECT_EQ(period, 10);
}

TEST(BasicAgent, StopHandlersWriteTheirMessageToTheLogAndStandardOutput) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {});
  std::ostringstream& log = support::captureMainLog();
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(agent->sigIntHandler());
  EXPECT_FALSE(agent->sigQuitHandler());
  EXPECT_FALSE(agent->sigTermHandler());
  EXPECT_FALSE(agent->sigKillHandler());
  const std::string expected =
      "Interrupt Handler.\nQuit Handler.\nTermination Handler.\nKill Handler.\n";
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), expected);
  EXPECT_EQ(log.str(),
            "  0000. Interrupt Handler.\n  0000. Quit Handler.\n  0000. Termination Handler.\n"
            "  0000. Kill Handler.\n");
}

TEST(BasicAgentDeathTest, SegmentationViolationHandlerEndsTheProcessWithStatusOne) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {});
  EXPECT_EXIT(agent->sigSegVHandler(), ::testing::ExitedWithCode(1), "");
}

TEST(BasicAgent, AlarmEndsTheRunOnlyFrom9991msWithoutSenseBody) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  agent->virtualTimer().setCurMS(9990);
  EXPECT_TRUE(agent->sigAlrmHandler());
  agent->virtualTimer().setCurMS(9991);
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(agent->sigAlrmHandler());
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Server does not respond in the expected time.\n");
}

// ---------------------------------------------------------------- dispatch

TEST(BasicAgentDispatch, HandsEveryHeaderToItsOperationInArrivalOrder) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  const std::string side = "left";
  const std::string file = "Tovren-2.txt";
  agent->queue(firstMessage(side, file, "init"));
  agent->queue(firstMessage(side, file, "server_param"));
  agent->queue(firstMessage(side, file, "player_param"));
  agent->queue(firstMessage(side, file, "player_type"));
  agent->queue("(think)");
  agent->queue(firstMessage(side, file, "sense_body"));
  agent->queue(firstMessage(side, file, "see"));
  agent->queue(firstMessage(side, file, "hear"));
  agent->queue("(fullstate 0)");
  agent->queue(firstMessage(side, file, "change_player_type"));

  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(agent->sigIOHandler());
  ::testing::internal::GetCapturedStdout();

  const std::vector<std::string> expected = {
      "init",      "serverParam", "playerParam", "playerType", "think",
      "senseBody", "see",         "hear",        "fullState",  "changePlayerType"};
  EXPECT_EQ(agent->operations, expected);
  EXPECT_EQ(agent->decideCount, 1);
}

TEST(BasicAgentDispatch, UnknownHeadersAreLoggedAndSkipped) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  std::ostringstream& log = support::captureMainLog();
  agent->queue("(ok clang (ver 7 8))");
  agent->queue("(see_global 12)");
  agent->queue("(Init l 2 before_kick_off)");
  agent->queue("(sense_bod 3)");
  agent->queue("(think)");

  EXPECT_TRUE(agent->sigIOHandler());
  EXPECT_EQ(agent->operations, std::vector<std::string>{"think"});
  const std::vector<std::string> expected = {
      "  0000. Skipping message with unknown header: (ok clang (ver 7 8))",
      "  0000. Skipping message with unknown header: (see_global 12)",
      "  0000. Skipping message with unknown header: (Init l 2 before_kick_off)",
      "  0000. Skipping message with unknown header: (sense_bod 3)"};
  EXPECT_EQ(linesWith(log.str(), "Skipping"), expected);
}

TEST(BasicAgentDispatch, MalformedDatagramsAreLoggedAndSkippedAndTheNextIsHandled) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  std::ostringstream& log = support::captureMainLog();
  const std::vector<std::string> malformed = {"",       "(",      "()",      "((see) 1)",
                                              "(see 1", "see 1)", " (think)"};
  for (const std::string& text : malformed) agent->queue(text);
  agent->queue("(think) (hear 1 referee play_on)");  // only the first list is handled

  EXPECT_TRUE(agent->sigIOHandler());
  EXPECT_EQ(agent->operations, std::vector<std::string>{"think"});
  EXPECT_EQ(agent->decideCount, 1);
  const std::vector<std::string> lines = linesWith(log.str(), "Skipping malformed message: ");
  ASSERT_EQ(lines.size(), malformed.size());
  for (std::size_t i = 0; i < malformed.size(); ++i) {
    EXPECT_EQ(lines[i], "  0000. Skipping malformed message: " + malformed[i]);
  }
  EXPECT_EQ(linesWith(log.str(), "Ignoring"),
            std::vector<std::string>{
                "  0000. Ignoring text after the message: (hear 1 referee play_on)"});
}

TEST(BasicAgentDispatch, StampsEachDatagramWithTheCycleClockBeforeItsOperation) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  agent->queue(firstMessage("left", "Tovren-2.txt", "server_param"));
  agent->virtualTimer().setCurMS(37);
  EXPECT_TRUE(agent->sigIOHandler());
  EXPECT_EQ(agent->lastReceiveMS, 37);

  // The sense_body is stamped on the clock of the cycle it closes, then restarts it.
  std::string senseBody = firstMessage("left", "Tovren-2.txt", "sense_body");
  senseBody.replace(0, std::string("(sense_body 0").size(), "(sense_body 5");
  agent->queue(senseBody);
  agent->virtualTimer().setCurMS(104);
  EXPECT_TRUE(agent->sigIOHandler());
  EXPECT_EQ(agent->lastReceiveMS, 104);
  EXPECT_EQ(agent->getWorldModel().getTimer().now(), 0);
  EXPECT_EQ(agent->getWorldModel().getTimer().getCycle(), 5);
  EXPECT_EQ(agent->getWorldModel().getCurCycle(), 5u);
}

TEST(BasicAgentDispatch, SigioBeforeTheConnectionIsIgnored) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {});
  EXPECT_TRUE(agent->sigIOHandler());
  EXPECT_EQ(agent->decideCount, 0);
}

TEST(BasicAgentDispatch, EmptyBurstDecidesOnceAndKeepsTheLastStamp) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  agent->initVirtualConnection();
  agent->lastReceiveMS = 12;
  agent->virtualTimer().setCurMS(50);
  EXPECT_TRUE(agent->sigIOHandler());
  EXPECT_EQ(agent->decideCount, 1);
  EXPECT_TRUE(agent->operations.empty());
  EXPECT_EQ(agent->lastReceiveMS, 12);
}

TEST(BasicAgentDispatch, MalformedSenseBodyStartsNoCycle) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  agent->queue("(sense_body 3 (view_mode high normal))");
  agent->queue("(sense_body x)");
  agent->virtualTimer().setCurMS(40);
  EXPECT_TRUE(agent->sigIOHandler());
  EXPECT_TRUE(agent->operations.empty());
  EXPECT_EQ(agent->getWorldModel().getCurTime(), 0u);
  EXPECT_EQ(agent->getWorldModel().getTimer().getCycle(), -1);
  EXPECT_EQ(agent->getWorldModel().getTimer().now(), 40);
  EXPECT_FALSE(agent->isSenseBodyReceived());
}

TEST(BasicAgentSenseBody, EverySenseBodyCountsOneCycleWhateverItsNumber) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  agent->queue(firstMessage("left", "Tovren-2.txt", "server_param"));
  EXPECT_TRUE(agent->sigIOHandler());
  const std::string senseBody = firstMessage("left", "Tovren-2.txt", "sense_body");
  agent->queue(senseBody);
  EXPECT_TRUE(agent->sigIOHandler());
  EXPECT_EQ(agent->getWorldModel().getCurTime(), 1u);
  agent->queue(senseBody);
  EXPECT_TRUE(agent->sigIOHandler());
  EXPECT_EQ(agent->getWorldModel().getCurTime(), 2u);
  EXPECT_EQ(agent->getWorldModel().getCurCycle(), 0u);
  EXPECT_TRUE(agent->isSenseBodyReceived());
}

// ---------------------------------------------------------------- init answer

TEST(BasicAgentInit, LeftAnswerSetsSideNumberAndTheConfiguredGoalieFlag) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player", "--goalie"});
  agent->queue("(init l 7 before_kick_off)");
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(agent->sigIOHandler());
  const std::string out = ::testing::internal::GetCapturedStdout();

  const WorldModel& world = agent->getWorldModel();
  EXPECT_EQ(world.getFieldSide(), SI_LEFT);
  EXPECT_EQ(world.getBody().getUniNum(), 7u);
  EXPECT_TRUE(world.getBody().isGoalie());
  EXPECT_TRUE(world.isBodyReplaced());
  EXPECT_EQ(&world.getFullPlayer(TID_TEAMMATE, 6), &world.getBody());
  EXPECT_EQ(out.rfind("Player 7 connected.\n", 0), 0u) << out;
}

TEST(BasicAgentInit, RightAnswerOnlyLooksAtTheFirstLetterAndPrintsTheNumberInDecimal) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  agent->queue("(init right 11 before_kick_off extra)");
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(agent->sigIOHandler());
  const std::string out = ::testing::internal::GetCapturedStdout();

  const WorldModel& world = agent->getWorldModel();
  EXPECT_EQ(world.getFieldSide(), SI_RIGHT);
  EXPECT_EQ(world.getBody().getUniNum(), 11u);
  EXPECT_FALSE(world.getBody().isGoalie());
  EXPECT_EQ(out.rfind("Player 11 connected.\n", 0), 0u) << out;
}

TEST(BasicAgentInit, NumberOutsideOneToElevenEndsTheRunWithStatusOne) {
  for (const char* number : {"12", "0", "-3"}) {
    ScratchDirectory directory;
    auto agent = makeAgent(directory, {"--offline-player"});
    agent->queue(std::string("(init l ") + number + " before_kick_off)");
    agent->queue("(think)");
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(agent->sigIOHandler());
    EXPECT_EQ(
        ::testing::internal::GetCapturedStdout(),
        std::string("Init answer refused: uniform number ") + number + " is outside 1 to 11.\n");
    EXPECT_EQ(agent->getExitStatus(), 1);
    EXPECT_EQ(agent->operations, std::vector<std::string>{"init"});
    EXPECT_FALSE(agent->getWorldModel().isBodyReplaced());
    EXPECT_EQ(agent->decideCount, 1);
  }
}

TEST(BasicAgentInit, AnswerAfterKickOffEndsTheRunWithStatusOne) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  agent->queue("(init r 3 play_on)");
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(agent->sigIOHandler());
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Init answer refused: play mode play_on, but the player can join only before "
            "kick-off.\n");
  EXPECT_EQ(agent->getExitStatus(), 1);
  EXPECT_EQ(agent->getWorldModel().getFieldSide(), SI_LEFT);
  EXPECT_FALSE(agent->getWorldModel().isBodyReplaced());
}

TEST(BasicAgentInit, SecondAnswerChangesNothing) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  std::ostringstream& log = support::captureMainLog();
  agent->queue("(init l 2 before_kick_off)");
  agent->queue("(init r 5 before_kick_off)");
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(agent->sigIOHandler());
  const std::string out = ::testing::internal::GetCapturedStdout();

  EXPECT_EQ(agent->getWorldModel().getFieldSide(), SI_LEFT);
  EXPECT_EQ(agent->getWorldModel().getBody().getUniNum(), 2u);
  EXPECT_EQ(linesWith(out, "connected.").size(), 1u);
  EXPECT_EQ(
      linesWith(log.str(), "Skipping repeated init answer: (init r 5 before_kick_off)").size(), 1u);
  EXPECT_EQ(agent->getExitStatus(), 0);
}

TEST(BasicAgentInit, MalformedAnswersAreSkippedAndALaterGoodOneIsTaken) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  std::ostringstream& log = support::captureMainLog();
  const std::vector<std::string> malformed = {
      "(init x 2 before_kick_off)", "(init l abc before_kick_off)", "(init l 2)",
      "(init l (2) before_kick_off)", "(init (l) 2 before_kick_off)"};
  for (const std::string& text : malformed) agent->queue(text);
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(agent->sigIOHandler());
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_FALSE(agent->getWorldModel().isBodyReplaced());
  EXPECT_EQ(linesWith(log.str(), "Skipping malformed message: (init").size(), malformed.size());

  agent->queue("(init r 4 before_kick_off)");
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(agent->sigIOHandler());
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(agent->getWorldModel().getBody().getUniNum(), 4u);
  EXPECT_EQ(agent->getWorldModel().getFieldSide(), SI_RIGHT);
}

TEST(BasicAgentInit, PlayerCharacterIsTheDigitThenALetter) {
  EXPECT_EQ(BasicAgent::getPlayerCharacter(1), '1');
  EXPECT_EQ(BasicAgent::getPlayerCharacter(9), '9');
  EXPECT_EQ(BasicAgent::getPlayerCharacter(10), 'A');
  EXPECT_EQ(BasicAgent::getPlayerCharacter(11), 'B');
}

// The online link with every send failing with one error.
class FailingLink : public OnlineConnection {
 public:
  explicit FailingLink(int error) : OnlineConnection("127.0.0.1", 6000), error(error) {}

 protected:
  int transmit(const char*, std::size_t) override { return error; }

 private:
  int error;
};

TEST(BasicAgentSend, FailedLinkEndsTheRunWithStatusOneAndPassingFaultsAreOnlyLogged) {
  const std::pair<int, bool> cases[] = {
      {EAGAIN, true}, {ENOBUFS, true}, {EINTR, true}, {EPERM, false}, {ECONNREFUSED, false}};
  std::ostringstream& log = support::captureMainLog();
  for (const auto& [error, goesOn] : cases) {
    SCOPED_TRACE(error);
    ScratchDirectory directory;
    auto agent = makeAgent(directory, {"--offline-player"});
    agent->connection = std::make_unique<FailingLink>(error);
    log.str("");
    ::testing::internal::CaptureStdout();
    agent->init(*support::parseMessage("(init l 3 before_kick_off)"));  // sends the clang command
    const bool printed =
        ::testing::internal::GetCapturedStdout().find("Send message fault.") != std::string::npos;
    EXPECT_EQ(agent->sigIOHandler() && agent->sigAlrmHandler(), goesOn);
    EXPECT_EQ(agent->getExitStatus(), goesOn ? 0 : 1);
    EXPECT_EQ(printed, !goesOn);
    EXPECT_NE(log.str().find(std::string("Send message fault. ") + std::strerror(error)),
              std::string::npos);
  }
}

}  // namespace
}  // namespace tovren
