#include "agent/BasicAgent.h"

#include "connection/OnlineConnection.h"
#include "foundation/Timer.h"
#include "support/AgentScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace tovren {
namespace {

using support::firstMessage;
using support::makeAgent;
using support::ScratchDirectory;

std::string recorded(const std::string& header) {
  return firstMessage("left", "Tovren-2.txt", header);
}

TEST(BasicAgent, StopHandlersEndTheRunAndSayWhichStopped) {
  struct Case {
    bool (BasicAgent::*handler)();
    const char* out;
  };
  const Case cases[] = {{&BasicAgent::sigIntHandler, "Interrupt Handler.\n"},
                        {&BasicAgent::sigQuitHandler, "Quit Handler.\n"},
                        {&BasicAgent::sigTermHandler, "Termination Handler.\n"},
                        {&BasicAgent::sigKillHandler, "Kill Handler.\n"}};
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out);
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(((*agent).*c.handler)());
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.out);
  }
}

TEST(BasicAgentDeathTest, SegmentationViolationHandlerEndsTheProcessWithStatusOne) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {});
  EXPECT_EXIT(agent->sigSegVHandler(), ::testing::ExitedWithCode(1), "");
}

// ---------------------------------------------------------------- dispatch

TEST(BasicAgentDispatch, HandsEachWellFormedDatagramOfABurstToItsOperationThenDecidesOnce) {
  struct Case {
    const char* name;
    std::vector<std::string> datagrams;
    std::vector<std::string> operations;
  };
  const Case cases[] = {
      {"every header in arrival order",
       {recorded("init"), recorded("server_param"), recorded("player_param"),
        recorded("player_type"), "(think)", recorded("sense_body"), recorded("see"),
        recorded("hear"), "(fullstate 0)", recorded("change_player_type")},
       {"init", "serverParam", "playerParam", "playerType", "think", "senseBody", "see", "hear",
        "fullState", "changePlayerType"}},
      {"unknown headers skipped",
       {"(ok clang (ver 7 8))", "(see_global 12)", "(Init l 2 before_kick_off)", "(sense_bod 3)",
        "(think)"},
       {"think"}},
      {"malformed datagrams skipped, only the first list taken",
       {"", "(", "()", "((see) 1)", "(see 1", "see 1)", " (think)",
        "(think) (hear 1 referee play_on)"},
       {"think"}},
      {"malformed sense_body starts no cycle",
       {"(sense_body 3 (view_mode high normal))", "(sense_body x)"},
       {}},
      {"empty burst", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory directory;
    auto agent = makeAgent(directory, {"--offline-player"});
    agent->initVirtualConnection();
    for (const std::string& datagram : c.datagrams) agent->queue(datagram);
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(agent->sigIOHandler());
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(agent->operations, c.operations);
    EXPECT_EQ(agent->decideCount, 1);
    if (c.operations.empty()) {
      EXPECT_EQ(agent->getWorldModel().getCurTime(), 0u);
      EXPECT_EQ(agent->getWorldModel().getTimer().getCycle(), -1);
      EXPECT_FALSE(agent->isSenseBodyReceived());
    }
  }
}

TEST(BasicAgentDispatch, SigioBeforeTheConnectionIsIgnored) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {});
  EXPECT_TRUE(agent->sigIOHandler());
  EXPECT_EQ(agent->decideCount, 0);
}

TEST(BasicAgentDispatch, StampsEachDatagramWithTheCycleClockAndEachSenseBodyCountsACycle) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  agent->queue(recorded("server_param"));
  agent->virtualTimer().setCurMS(37);
  EXPECT_TRUE(agent->sigIOHandler());
  EXPECT_EQ(agent->lastReceiveMS, 37);

  // A sense_body is stamped on the clock of the cycle it closes, then restarts it at its
  // own cycle number; the count of cycles goes on whatever the number says.
  std::string senseBody = recorded("sense_body");
  senseBody.replace(0, std::string("(sense_body 0").size(), "(sense_body 5");
  for (const unsigned int curTime : {1u, 2u}) {
    agent->queue(senseBody);
    agent->virtualTimer().setCurMS(104);
    EXPECT_TRUE(agent->sigIOHandler());
    EXPECT_EQ(agent->lastReceiveMS, 104);
    EXPECT_EQ(agent->getWorldModel().getTimer().now(), 0);
    EXPECT_EQ(agent->getWorldModel().getTimer().getCycle(), 5);
    EXPECT_EQ(agent->getWorldModel().getCurTime(), curTime);
  }
  EXPECT_EQ(agent->getWorldModel().getCurCycle(), 5u);

  // An empty burst keeps the last stamp.
  agent->virtualTimer().setCurMS(50);
  EXPECT_TRUE(agent->sigIOHandler());
  EXPECT_EQ(agent->lastReceiveMS, 104);
}

// ---------------------------------------------------------------- init answer

TEST(BasicAgentInit, AnswersAreTakenOnceRefusedWithStatusOneOrSkipped) {
  struct Case {
    const char* name;
    std::vector<std::string> answers;
    bool goalie;
    Side side;
    unsigned int uniNum;  // 0: the body is not placed
    const char* refusal;  // null: accepted
  };
  const std::vector<std::string> skipped = {
      "(init x 2 before_kick_off)",   "(init l abc before_kick_off)", "(init l 2)",
      "(init l (2) before_kick_off)", "(init (l) 2 before_kick_off)", "(init r 4 before_kick_off)"};
  const Case cases[] = {
      {"left goalie", {"(init l 7 before_kick_off)"}, true, SI_LEFT, 7, nullptr},
      {"right by its first letter",
       {"(init right 11 before_kick_off x)"},
       false,
       SI_RIGHT,
       11,
       nullptr},
      {"number one", {"(init r 1 before_kick_off)"}, false, SI_RIGHT, 1, nullptr},
      {"second answer skipped",
       {"(init l 2 before_kick_off)", "(init r 5 before_kick_off)"},
       false,
       SI_LEFT,
       2,
       nullptr},
      {"malformed ones skipped, a later good one taken", skipped, false, SI_RIGHT, 4, nullptr},
      {"number 12",
       {"(init l 12 before_kick_off)", "(think)"},
       false,
       SI_LEFT,
       0,
       "uniform number 12 is outside 1 to 11"},
      {"number 0",
       {"(init l 0 before_kick_off)"},
       false,
       SI_LEFT,
       0,
       "uniform number 0 is outside 1 to 11"},
      {"number -3",
       {"(init r -3 before_kick_off)"},
       false,
       SI_LEFT,
       0,
       "uniform number -3 is outside 1 to 11"},
      {"after kick-off",
       {"(init r 3 play_on)"},
       false,
       SI_LEFT,
       0,
       "play mode play_on, but the player can join only before kick-off"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory directory;
    std::vector<std::string> arguments = {"--offline-player"};
    if (c.goalie) arguments.push_back("--goalie");
    auto agent = makeAgent(directory, arguments);
    for (const std::string& answer : c.answers) agent->queue(answer);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(agent->sigIOHandler(), c.refusal == nullptr);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              c.refusal ? "Init answer refused: " + std::string(c.refusal) + ".\n"
                        : "Player " + std::to_string(c.uniNum) + " connected.\n");
    EXPECT_EQ(agent->getExitStatus(), c.refusal ? 1 : 0);
    // A refused answer stops the burst: nothing after it is handled.
    if (c.refusal) {
      EXPECT_EQ(agent->operations, std::vector<std::string>{"init"});
    }
    const WorldModel& world = agent->getWorldModel();
    EXPECT_EQ(world.isBodyReplaced(), c.uniNum != 0);
    EXPECT_EQ(world.getFieldSide(), c.side);
    if (c.uniNum == 0) continue;
    EXPECT_EQ(world.getBody().getUniNum(), c.uniNum);
    EXPECT_EQ(world.getBody().isGoalie(), c.goalie);
    EXPECT_EQ(&world.getFullPlayer(TID_TEAMMATE, c.uniNum - 1), &world.getBody());
  }
}

TEST(BasicAgentInit, PlayerCharacterIsTheDigitThenALetter) {
  const std::pair<unsigned int, char> cases[] = {{1, '1'}, {9, '9'}, {10, 'A'}, {11, 'B'}};
  for (const auto& [uniNum, character] : cases) {
    EXPECT_EQ(BasicAgent::getPlayerCharacter(uniNum), character);
  }
}

// ---------------------------------------------------------------- sending

// The online link with every send failing with one error.
class FailingLink : public OnlineConnection {
 public:
  explicit FailingLink(int error) : OnlineConnection("127.0.0.1", 6000), error(error) {}

 protected:
  int transmit(const char*, std::size_t) override { return error; }

 private:
  int error;
};

TEST(BasicAgentSend, FailedLinkEndsTheRunWithStatusOneAndPassingFaultsGoOn) {
  const std::pair<int, bool> cases[] = {
      {EAGAIN, true}, {ENOBUFS, true}, {EINTR, true}, {EPERM, false}, {ECONNREFUSED, false}};
  for (const auto& [error, goesOn] : cases) {
    SCOPED_TRACE(error);
    ScratchDirectory directory;
    auto agent = makeAgent(directory, {"--offline-player"});
    agent->connection = std::make_unique<FailingLink>(error);
    ::testing::internal::CaptureStdout();
    agent->init(*support::parseMessage("(init l 3 before_kick_off)"));  // sends the clang command
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(agent->sigIOHandler() && agent->sigAlrmHandler(), goesOn);
    EXPECT_EQ(agent->getExitStatus(), goesOn ? 0 : 1);
  }
}

}  // namespace
}  // namespace tovren
