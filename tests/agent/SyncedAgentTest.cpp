#include "agent/SyncedAgent.h"

#include "connection/Command.h"
#include "foundation/Timer.h"
#include "support/AgentScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tovren {
namespace {

using support::captureMainLog;
using support::captureOfflineLog;
using support::firstMessage;
using support::makeAgentOf;
using support::parseMessage;
using support::ProbeAgent;
using support::ScratchDirectory;

constexpr float kDirectionTolerance = 0.01f;

// A decision layer whose commands show in the send text and which counts its calls.
class CycleAgent : public ProbeAgent {
 public:
  using ProbeAgent::ProbeAgent;

  bool ballClose = false;
  int bodyDecisions = 0;
  int headDecisions = 0;
  int sayDecisions = 0;
  int pointToDecisions = 0;
  std::vector<int> quickLevels;

  // A dash whose power counts the decisions: 10, 20, ...
  bool bodyDecide(int quickLevel) override {
    ++bodyDecisions;
    quickLevels.push_back(quickLevel);
    bodyCycleCommand = std::make_unique<DashCommand>(10.0f * bodyDecisions);
    return ballClose;
  }
  void headDecide() override {
    ++headDecisions;
    headCycleCommand = std::make_unique<TurnNeckCommand>(10.0f);
    changeViewCommand = std::make_unique<ChangeViewCommand>(VMQ_HIGH, VMW_NARROW);
  }
  void sayDecide() override {
    ++sayDecisions;
    sayCommand = std::make_unique<SayCommand>("hi");
    attentionToCommand = std::make_unique<AttentionToCommand>(TID_TEAMMATE, 3);
  }
  void pointToDecide() override {
    ++pointToDecisions;
    pointToCommand = std::make_unique<PointToCommand>(10.0f, 20.0f);
  }
};

// The head group of CycleAgent as it goes out: turn_neck, change_view, say, attentionto,
// pointto.
std::string headGroupText() {
  return TurnNeckCommand(10.0f).toString() + ChangeViewCommand(VMQ_HIGH, VMW_NARROW).toString() +
         SayCommand("hi").toString() + AttentionToCommand(TID_TEAMMATE, 3).toString() +
         PointToCommand(10.0f, 20.0f).toString();
}

std::string dashText(int decision) { return DashCommand(10.0f * decision).toString(); }

// Command counts and the other values of a sense_body that the frame reads.
struct SenseBody {
  int kick = 0;
  int dash = 0;
  int turn = 0;
  int turnNeck = 0;
  int catchCount = 0;
  int move = 0;
  int focus = 0;
  int tackle = 0;
  int tackleExpires = 0;
  std::string width = "normal";
};

// A sense_body whose count (or value) of the member is the given one.
SenseBody with(int SenseBody::*member, int value) {
  SenseBody body;
  body.*member = value;
  return body;
}

SenseBody narrowView() {
  SenseBody body;
  body.width = "narrow";
  return body;
}

std::string senseBodyText(int cycle, const SenseBody& body) {
  std::ostringstream text;
  text << "(sense_body " << cycle << " (view_mode high " << body.width
       << ") (stamina 8000 1) (speed 0 0) (head_angle 0) (kick " << body.kick << ") (dash "
       << body.dash << ") (turn " << body.turn << ") (say 0) (turn_neck " << body.turnNeck
       << ") (catch " << body.catchCount << ") (move " << body.move
       << ") (change_view 0) (arm (movable 0) (expires 0) (target 0 0) (count 0)) (focus "
          "(target none) (count "
       << body.focus << ")) (tackle (expires " << body.tackleExpires << ") (count " << body.tackle
       << ")))";
  return text.str();
}

// A player with the recorded server parameters (T = 100, P = 150), or with their text
// changed, and its virtual link.
std::unique_ptr<CycleAgent> readyAgent(const ScratchDirectory& directory,
                                       const std::string& from = "", const std::string& to = "") {
  auto agent = makeAgentOf<CycleAgent>(directory, {"--offline-player"});
  std::string parameters = firstMessage("left", "Tovren-2.txt", "server_param");
  if (!from.empty()) parameters.replace(parameters.find(from), from.size(), to);
  agent->initVirtualConnection();
  agent->serverParam(*parseMessage(parameters));
  return agent;
}

// Hands a sense_body straight to the agent's operation, without a burst's decide().
void takeSenseBody(CycleAgent& agent, const SenseBody& body = SenseBody()) {
  agent.senseBody(*parseMessage(senseBodyText(agent.getWorldModel().getCurTime(), body)));
}

// Hands the recorded see to the agent as read at the millisecond.
void takeSee(CycleAgent& agent, int ms) {
  agent.virtualTimer().setCurMS(ms);
  agent.lastReceiveMS = ms;
  agent.see(*parseMessage(firstMessage("left", "Tovren-2.txt", "see")));
}

// Sense_body messages until the agent's own cycle count reaches the value.
void advanceTo(CycleAgent& agent, unsigned int curTime) {
  while (agent.getWorldModel().getCurTime() < curTime) takeSenseBody(agent);
}

// The lines of the text that begin, after the prefix, with the fragment; the fragment is
// cut off.
std::vector<std::string> linesAfter(const std::string& text, const std::string& fragment) {
  std::vector<std::string> found;
  std::istringstream lines(text);
  std::string line;
  const std::string prefixed = "  0000. " + fragment;
  while (std::getline(lines, line)) {
    if (line.rfind(prefixed, 0) == 0) found.push_back(line.substr(prefixed.size()));
  }
  return found;
}

// The loss verdicts logged (the world model logs collisions in the same form).
std::vector<std::string> verdictLines(const std::ostringstream& log) {
  std::vector<std::string> verdicts;
  for (const char* kind : {"*** Body command ", "*** Head command ", "*** Last losted "}) {
    for (const std::string& rest : linesAfter(log.str(), kind)) verdicts.push_back(kind + rest);
  }
  return verdicts;
}

std::vector<std::string> sent(const std::ostringstream& log) {
  return linesAfter(log.str(), "SendStr: ");
}

// ---------------------------------------------------------------- cycle start

TEST(SyncedAgent, SenseBodyKeepsLastBodyCommandOneCycleAndFreesTheOthers) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  agent->bodyCycleCommand = std::make_unique<DashCommand>(50.0f);
  agent->lastBodyCycleCommand = std::make_unique<TurnCommand>(30.0f);
  agent->headCycleCommand = std::make_unique<TurnNeckCommand>(10.0f);
  agent->changeViewCommand = std::make_unique<ChangeViewCommand>(VMQ_HIGH, VMW_NARROW);
  agent->sayCommand = std::make_unique<EmptyCommand>();
  agent->attentionToCommand = std::make_unique<EmptyCommand>();
  agent->pointToCommand = std::make_unique<EmptyCommand>();
  agent->setBodyCycleCommandSent(true);
  agent->setHeadCycleCommandSent(true);
  agent->setSeeReceived(true);
  agent->setQuickDecide(true);
  const Command* decided = agent->bodyCycleCommand.get();

  takeSenseBody(*agent);
  EXPECT_EQ(agent->lastBodyCycleCommand.get(), decided);
  EXPECT_EQ(agent->bodyCycleCommand, nullptr);
  EXPECT_EQ(agent->headCycleCommand, nullptr);
  EXPECT_EQ(agent->changeViewCommand, nullptr);
  EXPECT_EQ(agent->sayCommand, nullptr);
  EXPECT_EQ(agent->attentionToCommand, nullptr);
  EXPECT_EQ(agent->pointToCommand, nullptr);
  EXPECT_FALSE(agent->isBodyCycleCommandSent());
  EXPECT_FALSE(agent->isHeadCycleCommandSent());
  EXPECT_FALSE(agent->isSeeReceived());
  EXPECT_FALSE(agent->isQuickDecide());
  EXPECT_TRUE(agent->isSenseBodyReceived());

  takeSenseBody(*agent);
  EXPECT_EQ(agent->lastBodyCycleCommand, nullptr);
  EXPECT_TRUE(agent->isSenseBodyReceived());
}

TEST(SyncedAgent, MalformedSenseBodyLeavesTheCycleAsItWas) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  agent->bodyCycleCommand = std::make_unique<DashCommand>(50.0f);
  agent->senseBody(*parseMessage("(sense_body x)"));
  EXPECT_NE(agent->bodyCycleCommand, nullptr);
  EXPECT_FALSE(agent->isSenseBodyReceived());
  EXPECT_EQ(agent->getSeeReceiveMS(), 0);
}

TEST(SyncedAgent, CycleLengthAndSeePeriodsComeFromTheServerParameters) {
  ScratchDirectory directory;
  auto normal = readyAgent(directory);
  EXPECT_EQ(normal->getCycleLength(), 100);
  EXPECT_EQ(normal->getSeePeriod(VMW_NARROW), 75);
  EXPECT_EQ(normal->getSeePeriod(VMW_NORMAL), 150);
  EXPECT_EQ(normal->getSeePeriod(VMW_WIDE), 300);

  auto slow = readyAgent(directory, "(slow_down_factor 1)", "(slow_down_factor 1.5)");
  EXPECT_EQ(slow->getCycleLength(), 150);
  EXPECT_EQ(slow->getSeePeriod(VMW_NARROW), 112);
  EXPECT_EQ(slow->getSeePeriod(VMW_NORMAL), 225);
}

TEST(SyncedAgent, MissingOrUnusableTimingParametersFallBackAndAreLoggedOnce) {
  ScratchDirectory directory;
  std::ostringstream& log = captureMainLog();
  auto agent = makeAgentOf<CycleAgent>(directory, {"--offline-player"});
  takeSenseBody(*agent);
  takeSenseBody(*agent);
  EXPECT_EQ(agent->getSeeReceiveMS(), -200);
  EXPECT_EQ(agent->getSeePeriod(VMW_NORMAL), 150);
  EXPECT_EQ(linesAfter(log.str(), "No usable server parameter ").size(), 3u) << log.str();
  EXPECT_EQ(
      linesAfter(log.str(), "No usable server parameter sense_body_step: taking 100.00").size(),
      1u);

  // A factor of 0 gives no believable cycle; a word is no number.
  log.str("");
  agent->serverParam(*parseMessage("(server_param (slow_down_factor 0) (send_step abc))"));
  EXPECT_EQ(agent->getCycleLength(), 100);
  EXPECT_EQ(agent->getSeePeriod(VMW_NORMAL), 150);
  agent->serverParam(*parseMessage("(server_param (sense_body_step 200) (slow_down_factor 1))"));
  EXPECT_EQ(agent->getCycleLength(), 200);
  EXPECT_EQ(linesAfter(log.str(), "No usable server parameter sense_body_step times").size(), 1u)
      << log.str();
}

// ---------------------------------------------------------------- loss detection

TEST(SyncedAgentLosses, FirstSenseBodyRecordsNoCommandsAndJudgesNothingLost) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  std::ostringstream& log = captureMainLog();
  std::ostringstream& offline = captureOfflineLog();
  takeSenseBody(*agent);
  EXPECT_EQ(offline.str(), "  0000. EndInf: 0000\n  0000. RecStr: " +
                               parseMessage(senseBodyText(0, SenseBody()))->toString() + "\n");
  EXPECT_EQ(log.str().find("  0000. End of cycle.\n"), 0u) << log.str();
  EXPECT_TRUE(verdictLines(log).empty());
  EXPECT_FALSE(agent->isBodyCycleCommandLost());
  EXPECT_FALSE(agent->isHeadCycleCommandLost());
}

TEST(SyncedAgentLosses, UnsentCommandsAreLostButMoveNoSeePrediction) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  takeSenseBody(*agent);
  std::ostringstream& log = captureMainLog();
  std::ostringstream& offline = captureOfflineLog();
  agent->bodyCycleCommand = std::make_unique<DashCommand>(50.0f);
  agent->headCycleCommand = std::make_unique<TurnNeckCommand>(10.0f);
  agent->changeViewCommand = std::make_unique<ChangeViewCommand>(VMQ_HIGH, VMW_NARROW);
  agent->setSeeReceiveMS(120);

  takeSenseBody(*agent, with(&SenseBody::dash, 1));
  EXPECT_TRUE(agent->isBodyCycleCommandLost());
  EXPECT_TRUE(agent->isHeadCycleCommandLost());
  EXPECT_EQ(offline.str().substr(0, 21), "  0000. EndInf: 1010\n");
  EXPECT_EQ(verdictLines(log), (std::vector<std::string>{"*** Body command didn't send ***",
                                                         "*** Head command didn't send ***"}));
  EXPECT_EQ(agent->getSeeReceiveMS(), 20);  // only the shift into the new cycle
}

TEST(SyncedAgentLosses, BodyVerdictsFollowTheCountersOfTheCommandKinds) {
  struct Case {
    const char* name;
    std::unique_ptr<Command> body;
    std::unique_ptr<Command> last;
    SenseBody counts;
    bool lost;
    const char* logged;  // null: no verdict line
  };
  std::vector<Case> cases;
  cases.push_back({"kick executed", std::make_unique<KickCommand>(50.0f, 0.0f), nullptr,
                   with(&SenseBody::kick, 1), false, nullptr});
  cases.push_back({"turn executed", std::make_unique<TurnCommand>(30.0f), nullptr,
                   with(&SenseBody::turn, 1), false, nullptr});
  cases.push_back({"catch executed", std::make_unique<CatchCommand>(0.0f), nullptr,
                   with(&SenseBody::catchCount, 1), false, nullptr});
  cases.push_back({"dash executed", std::make_unique<DashCommand>(50.0f), nullptr,
                   with(&SenseBody::dash, 1), false, nullptr});
  cases.push_back({"tackle executed", std::make_unique<TackleCommand>(50.0f), nullptr,
                   with(&SenseBody::tackle, 1), false, nullptr});
  cases.push_back({"move executed", std::make_unique<MoveCommand>(-10.0f, 0.0f), nullptr,
                   with(&SenseBody::move, 1), false, nullptr});
  cases.push_back({"dash lost", std::make_unique<DashCommand>(50.0f), nullptr, SenseBody(), true,
                   "*** Body command lost ***"});
  cases.push_back({"dash lost, the older kick as well", std::make_unique<DashCommand>(50.0f),
                   std::make_unique<KickCommand>(50.0f, 0.0f), with(&SenseBody::turn, 1), true,
                   "*** Body command lost ***"});
  cases.push_back({"two dashes, the shared counter changed", std::make_unique<DashCommand>(50.0f),
                   std::make_unique<DashCommand>(40.0f), with(&SenseBody::dash, 1), false,
                   nullptr});
  cases.push_back({"empty command sent", std::make_unique<EmptyCommand>(), nullptr, SenseBody(),
                   false, nullptr});
  cases.push_back({"a kind without counter", std::make_unique<TurnNeckCommand>(10.0f), nullptr,
                   SenseBody(), false, nullptr});

  for (Case& each : cases) {
    SCOPED_TRACE(each.name);
    ScratchDirectory directory;
    auto agent = readyAgent(directory);
    takeSenseBody(*agent);
    std::ostringstream& log = captureMainLog();
    const Command* decided = each.body.get();
    agent->bodyCycleCommand = std::move(each.body);
    agent->lastBodyCycleCommand = std::move(each.last);
    agent->setBodyCycleCommandSent(true);
    takeSenseBody(*agent, each.counts);
    EXPECT_EQ(agent->isBodyCycleCommandLost(), each.lost);
    EXPECT_EQ(agent->lastBodyCycleCommand.get(), decided);
    const std::vector<std::string> verdicts = verdictLines(log);
    if (each.logged == nullptr) {
      EXPECT_TRUE(verdicts.empty()) << log.str();
    } else {
      EXPECT_EQ(verdicts, std::vector<std::string>{each.logged});
    }
  }
}

TEST(SyncedAgentLosses, OlderCommandExecutedLateIsAdoptedAndMovesTheBody) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  takeSenseBody(*agent);
  const float direction = agent->getWorldModel().getBody().getBodyDir();
  std::ostringstream& log = captureMainLog();
  agent->bodyCycleCommand = std::make_unique<DashCommand>(50.0f);
  agent->lastBodyCycleCommand = std::make_unique<TurnCommand>(60.0f);
  const Command* older = agent->lastBodyCycleCommand.get();
  agent->setBodyCycleCommandSent(true);

  takeSenseBody(*agent, with(&SenseBody::turn, 1));
  EXPECT_FALSE(agent->isBodyCycleCommandLost());
  EXPECT_NE(log.str().find("  0000. *** Last losted Body command executed ***\n"),
            std::string::npos);
  // The turn stays the previous body command for one more cycle; the dash is freed.
  EXPECT_EQ(agent->lastBodyCycleCommand.get(), older);
  EXPECT_GT(std::abs(agent->getWorldModel().getBody().getBodyDir() - direction),
            kDirectionTolerance);
}

TEST(SyncedAgentLosses, LostTurnLeavesTheBodyDirectionAlone) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  takeSenseBody(*agent);
  const float direction = agent->getWorldModel().getBody().getBodyDir();
  agent->bodyCycleCommand = std::make_unique<TurnCommand>(60.0f);
  agent->setBodyCycleCommandSent(true);
  takeSenseBody(*agent);
  EXPECT_TRUE(agent->isBodyCycleCommandLost());
  EXPECT_NEAR(agent->getWorldModel().getBody().getBodyDir(), direction, kDirectionTolerance);
}

TEST(SyncedAgentLosses, HeadVerdictsFollowTheFocusAndTurnNeckCounters) {
  struct Case {
    const char* name;
    std::unique_ptr<Command> head;
    SenseBody counts;
    bool lost;
  };
  std::vector<Case> cases;
  cases.push_back({"turn_neck executed", std::make_unique<TurnNeckCommand>(10.0f),
                   with(&SenseBody::turnNeck, 1), false});
  cases.push_back({"focus changed", std::make_unique<TurnNeckCommand>(10.0f),
                   with(&SenseBody::focus, 1), false});
  cases.push_back({"empty head command", std::make_unique<EmptyCommand>(), SenseBody(), false});
  cases.push_back({"turn_neck lost", std::make_unique<TurnNeckCommand>(10.0f), SenseBody(), true});

  for (Case& each : cases) {
    SCOPED_TRACE(each.name);
    ScratchDirectory directory;
    auto agent = readyAgent(directory);
    takeSenseBody(*agent);
    std::ostringstream& log = captureMainLog();
    agent->headCycleCommand = std::move(each.head);
    agent->setHeadCycleCommandSent(true);
    takeSenseBody(*agent, each.counts);
    EXPECT_EQ(agent->isHeadCycleCommandLost(), each.lost);
    EXPECT_EQ(verdictLines(log).size(), each.lost ? 1u : 0u);
  }
}

// ---------------------------------------------------------------- see timing

TEST(SyncedAgentSeeTiming, SeePredictsOnePeriodOnAndSenseBodyShiftsItIntoTheNewCycle) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  std::ostringstream& log = captureMainLog();
  takeSenseBody(*agent);
  EXPECT_EQ(agent->getSeeReceiveMS(), -100);  // the first sense_body before any see
  takeSee(*agent, 20);
  EXPECT_EQ(agent->getSeeReceiveMS(), 170);
  EXPECT_TRUE(agent->isSeeReceived());
  takeSenseBody(*agent);
  EXPECT_EQ(agent->getSeeReceiveMS(), 70);
  EXPECT_EQ(linesAfter(log.str(), "seeReceiveMS: "),
            (std::vector<std::string>{"-100", "170", "70"}));

  // Narrow: a see at 10 ms gives 85, and without a see the next cycle has it at -15.
  takeSenseBody(*agent, narrowView());
  takeSee(*agent, 10);
  EXPECT_EQ(agent->getSeeReceiveMS(), 85);
  takeSenseBody(*agent, narrowView());
  EXPECT_EQ(agent->getSeeReceiveMS(), -15);
}

TEST(SyncedAgentSeeTiming, ChangeViewRebasesOnTheLastSeeAndALostHeadCommandRecovers) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  takeSenseBody(*agent);
  takeSee(*agent, 20);
  std::ostringstream& log = captureMainLog();
  agent->changeViewCommand = std::make_unique<ChangeViewCommand>(VMQ_HIGH, VMW_NARROW);
  agent->setSeeReceiveMSAfterChangeView(agent->changeViewCommand.get());
  EXPECT_EQ(agent->getSeeReceiveMS(), 95);
  EXPECT_EQ(linesAfter(log.str(), "seeReceiveMS: "), std::vector<std::string>{"95"});

  // Still normal, and the turn_neck sent with the change_view lost: (95 - 150) - 75,
  // then the shift.
  agent->headCycleCommand = std::make_unique<TurnNeckCommand>(10.0f);
  agent->setHeadCycleCommandSent(true);
  takeSenseBody(*agent);
  EXPECT_TRUE(agent->isHeadCycleCommandLost());
  EXPECT_EQ(agent->getSeeReceiveMS(), -230);
  EXPECT_EQ(linesAfter(log.str(), "seeReceiveMS: ").back(), "-230");
}

TEST(SyncedAgentSeeTiming, NarrowWidthTakenAfterChangeViewPointsBackAtTheSee) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  takeSenseBody(*agent);
  takeSee(*agent, 20);
  const ChangeViewCommand narrow(VMQ_HIGH, VMW_NARROW);
  agent->setSeeReceiveMSAfterChangeView(&narrow);
  takeSenseBody(*agent, narrowView());
  EXPECT_EQ(agent->getSeeReceiveMS(), -5);
  EXPECT_EQ(agent->getLastSeeReceiveMS(), -80);
}

TEST(SyncedAgentSeeTiming, SeeAfterChangeViewUsesTheWidthTheBodyStillReports) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  takeSenseBody(*agent);
  takeSee(*agent, 20);
  const ChangeViewCommand narrow(VMQ_HIGH, VMW_NARROW);
  agent->setSeeReceiveMSAfterChangeView(&narrow);
  takeSee(*agent, 95);
  EXPECT_EQ(agent->getSeeReceiveMS(), 245);
}

TEST(SyncedAgentSeeTiming, OnlyAChangeViewMovesThePrediction) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  takeSenseBody(*agent);
  takeSee(*agent, 20);
  std::ostringstream& log = captureMainLog();
  const EmptyCommand empty;
  agent->setSeeReceiveMSAfterChangeView(nullptr);
  agent->setSeeReceiveMSAfterChangeView(&empty);
  agent->recoverSeeReceiveMSAfterChangeView(nullptr);
  agent->recoverSeeReceiveMSAfterChangeView(&empty);
  EXPECT_EQ(agent->getSeeReceiveMS(), 170);
  EXPECT_EQ(log.str(), "");
}

TEST(SyncedAgentSeeTiming, SyncedWidthsSwitchAtTheirThresholds) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  // With the normal width the body starts with, the last see lies one period (150 ms)
  // before the predicted one.
  const auto lastSeeAt = [&agent](int ms) { agent->setSeeReceiveMS(ms + 150); };

  lastSeeAt(34);
  EXPECT_EQ(agent->getLastSeeReceiveMS(), 34);
  EXPECT_EQ(agent->getSyncedNarrow(), VMW_NORMAL);
  EXPECT_EQ(agent->getSyncedNormal(), VMW_NORMAL);
  lastSeeAt(35);
  EXPECT_EQ(agent->getSyncedNarrow(), VMW_NARROW);
  EXPECT_EQ(agent->getSyncedNormal(), VMW_NARROW);
  lastSeeAt(47);
  EXPECT_EQ(agent->getSyncedNormal(), VMW_NARROW);
  lastSeeAt(48);
  EXPECT_EQ(agent->getSyncedNormal(), VMW_NORMAL);
  lastSeeAt(45);
  EXPECT_EQ(agent->getSyncedWide(), VMW_WIDE);
  lastSeeAt(46);
  EXPECT_EQ(agent->getSyncedWide(), VMW_NARROW);
  lastSeeAt(-80);
  EXPECT_EQ(agent->getLastSeeReceiveMS(), -80);
  EXPECT_EQ(agent->getSyncedNarrow(), VMW_NORMAL);
}

TEST(SyncedAgentSeeTiming, QuickLevelFromSixtyPercentAndLateFromTwoMillisecondsBeforeTheEnd) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  takeSenseBody(*agent);
  const auto at = [&agent](int ms) { agent->virtualTimer().setCurMS(ms); };
  at(59);
  EXPECT_EQ(agent->getQuickLevel(), 0);
  at(60);
  EXPECT_EQ(agent->getQuickLevel(), 1);
  at(98);
  EXPECT_FALSE(agent->isLateForSending());
  at(99);
  EXPECT_TRUE(agent->isLateForSending());
}

// ---------------------------------------------------------------- decide and send

TEST(SyncedAgentDecide, BeforeTheFirstSenseBodyOnlyLogsItsLine) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  std::ostringstream& log = captureMainLog();
  EXPECT_TRUE(agent->decide());
  EXPECT_EQ(log.str(), "  0000. SyncedAgent::decide\n");
  EXPECT_EQ(agent->bodyCycleCommand, nullptr);
  EXPECT_EQ(agent->headCycleCommand, nullptr);
}

TEST(SyncedAgentDecide, FirstThreeCyclesSendEmptyGroupsWithoutADatagram) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  takeSenseBody(*agent);
  takeSee(*agent, 20);
  std::ostringstream& log = captureMainLog();
  EXPECT_TRUE(agent->decide());
  for (const auto* slot :
       {&agent->bodyCycleCommand, &agent->headCycleCommand, &agent->changeViewCommand,
        &agent->sayCommand, &agent->attentionToCommand, &agent->pointToCommand}) {
    EXPECT_NE(dynamic_cast<const EmptyCommand*>(slot->get()), nullptr);
  }
  EXPECT_TRUE(agent->isBodyCycleCommandSent());
  EXPECT_TRUE(agent->isHeadCycleCommandSent());
  EXPECT_EQ(agent->bodyDecisions + agent->headDecisions + agent->sayDecisions, 0);
  EXPECT_TRUE(sent(log).empty());
  EXPECT_EQ(agent->getSeeReceiveMS(), 170);
  // Every further call in such a cycle replaces (and frees) the empty commands.
  EXPECT_TRUE(agent->decide());
  EXPECT_TRUE(sent(log).empty());
}

TEST(SyncedAgentDecide, CyclesFourToSixSendTheHeadGroupBesideAnEmptyBody) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  advanceTo(*agent, 4);
  takeSee(*agent, 20);
  std::ostringstream& log = captureMainLog();
  agent->decide();
  EXPECT_EQ(agent->bodyDecisions, 0);
  EXPECT_NE(dynamic_cast<const EmptyCommand*>(agent->bodyCycleCommand.get()), nullptr);
  EXPECT_EQ(sent(log), std::vector<std::string>{headGroupText()});
  // The narrow change_view re-bases the prediction on the see at 20 ms.
  EXPECT_EQ(agent->getSeeReceiveMS(), 95);
  EXPECT_EQ(agent->sayDecisions, 1);
  EXPECT_EQ(agent->pointToDecisions, 1);
}

TEST(SyncedAgentDecide, SendsTheBodyThenTheHeadGroupInOneDatagramOncePerCycle) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  advanceTo(*agent, 7);
  takeSee(*agent, 20);
  std::ostringstream& log = captureMainLog();
  agent->decide();
  agent->decide();
  EXPECT_EQ(sent(log), std::vector<std::string>{dashText(1) + headGroupText()});
  EXPECT_EQ(agent->bodyDecisions, 1);
  EXPECT_EQ(agent->headDecisions, 1);
  EXPECT_EQ(linesAfter(log.str(), "SyncedAgent::decide").size(), 2u);
}

TEST(SyncedAgentDecide, TackleExpiryKeepsTheBodyEmptyAndLeavesTheHeadAlone) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  advanceTo(*agent, 7);
  takeSenseBody(*agent, with(&SenseBody::tackleExpires, 5));
  takeSee(*agent, 20);
  std::ostringstream& log = captureMainLog();
  agent->decide();
  EXPECT_EQ(agent->bodyDecisions, 0);
  EXPECT_EQ(sent(log), std::vector<std::string>{headGroupText()});
}

TEST(SyncedAgentDecide, BodyWaitsForASeeBeforeMidCycleAndTheHeadForOneBeforeTheEnd) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  advanceTo(*agent, 7);
  std::ostringstream& log = captureMainLog();
  agent->setSeeReceiveMS(47);
  agent->decide();
  EXPECT_EQ(agent->bodyDecisions, 0);
  EXPECT_TRUE(sent(log).empty());

  agent->setSeeReceiveMS(48);
  agent->decide();
  EXPECT_EQ(agent->bodyDecisions, 1);
  EXPECT_EQ(agent->headDecisions, 0);
  EXPECT_EQ(sent(log), std::vector<std::string>{dashText(1)});

  agent->setSeeReceiveMS(97);
  agent->decide();
  EXPECT_EQ(agent->headDecisions, 0);
  agent->setSeeReceiveMS(98);
  agent->decide();
  EXPECT_EQ(agent->headDecisions, 1);
  EXPECT_EQ(sent(log), (std::vector<std::string>{dashText(1), headGroupText()}));
}

TEST(SyncedAgentDecide, CloseBallHoldsTheEarlyDecisionBackUntilTheSee) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  advanceTo(*agent, 7);
  agent->ballClose = true;
  std::ostringstream& log = captureMainLog();
  agent->setSeeReceiveMS(60);
  agent->virtualTimer().setCurMS(5);
  agent->decide();
  EXPECT_TRUE(agent->isQuickDecide());
  EXPECT_TRUE(sent(log).empty());

  takeSee(*agent, 60);
  agent->decide();
  EXPECT_FALSE(agent->isQuickDecide());
  EXPECT_EQ(agent->bodyDecisions, 2);
  EXPECT_EQ(agent->quickLevels, (std::vector<int>{0, 1}));
  EXPECT_EQ(sent(log), std::vector<std::string>{dashText(2) + headGroupText()});
}

TEST(SyncedAgentDecide, SeePredictedTooLateForAHoldGoesAtOnce) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  advanceTo(*agent, 7);
  agent->ballClose = true;
  std::ostringstream& log = captureMainLog();
  agent->setSeeReceiveMS(97);
  agent->decide();
  EXPECT_FALSE(agent->isQuickDecide());
  EXPECT_EQ(sent(log), std::vector<std::string>{dashText(1)});
}

TEST(SyncedAgentDecide, NothingGoesInTheLastTwoMillisecondsOfTheCycle) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  advanceTo(*agent, 7);
  takeSee(*agent, 99);
  std::ostringstream& log = captureMainLog();
  agent->decide();
  EXPECT_EQ(agent->bodyDecisions, 1);
  EXPECT_EQ(agent->headDecisions, 1);
  EXPECT_TRUE(sent(log).empty());
  EXPECT_FALSE(agent->isBodyCycleCommandSent());
  EXPECT_FALSE(agent->isHeadCycleCommandSent());

  agent->virtualTimer().setCurMS(98);
  agent->decide();
  EXPECT_EQ(sent(log), std::vector<std::string>{dashText(1) + headGroupText()});
}

TEST(SyncedAgentDecide, PermissionsGateEachGroupsDecisionAndSending) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  advanceTo(*agent, 7);
  takeSee(*agent, 20);
  std::ostringstream& log = captureMainLog();
  agent->setBodyCycleCommandDecidePermitted(false);
  agent->setHeadCycleCommandSendPermitted(false);
  agent->decide();
  EXPECT_EQ(agent->bodyDecisions, 0);
  EXPECT_EQ(agent->headDecisions, 1);
  EXPECT_TRUE(sent(log).empty());

  agent->setBodyCycleCommandDecidePermitted(true);
  agent->setBodyCycleCommandSendPermitted(false);
  agent->setHeadCycleCommandDecidePermitted(false);
  agent->setHeadCycleCommandSendPermitted(true);
  agent->decide();
  EXPECT_EQ(agent->bodyDecisions, 1);
  EXPECT_EQ(agent->headDecisions, 1);
  // The head group decided before goes now; the body may not.
  EXPECT_EQ(sent(log), std::vector<std::string>{headGroupText()});
}

// ---------------------------------------------------------------- emergency

TEST(SyncedAgentEmergency, BeforeTheFirstSenseBodyOnlyTheSilenceIsWatched) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  std::ostringstream& log = captureMainLog();
  agent->bodyCycleCommand = std::make_unique<DashCommand>(50.0f);
  agent->virtualTimer().setCurMS(95);
  EXPECT_TRUE(agent->synchronize());
  EXPECT_EQ(log.str(), "");
  EXPECT_FALSE(agent->isBodyCycleCommandSent());
}

TEST(SyncedAgentEmergency, OverdueSeeInTheSecondHalfOpensTheWindowEarly) {
  struct Case {
    int seeReceiveMS;
    int ms;
    bool emergency;
  };
  const Case cases[] = {{60, 76, false}, {60, 77, true}, {60, 97, true}, {60, 98, false},
                        {50, 90, false}, {50, 91, true}, {50, 97, true}, {50, 99, false}};
  for (const Case& each : cases) {
    SCOPED_TRACE(std::to_string(each.seeReceiveMS) + " " + std::to_string(each.ms));
    ScratchDirectory directory;
    auto agent = readyAgent(directory);
    advanceTo(*agent, 7);
    agent->setSeeReceiveMS(each.seeReceiveMS);
    agent->bodyCycleCommand = std::make_unique<DashCommand>(10.0f);
    std::ostringstream& log = captureMainLog();
    std::ostringstream& offline = captureOfflineLog();
    agent->virtualTimer().setCurMS(each.ms);
    EXPECT_TRUE(agent->synchronize());
    EXPECT_EQ(agent->isBodyCycleCommandSent(), each.emergency);
    if (each.emergency) {
      EXPECT_EQ(log.str().find("  0000. Emergency Sending bodyCycleCommand.\n"), 0u) << log.str();
      EXPECT_EQ(sent(log), std::vector<std::string>{dashText(1) + headGroupText()});
      EXPECT_EQ(offline.str(), "  0000. EmgSend\n");
    } else {
      EXPECT_EQ(log.str(), "");
      EXPECT_EQ(offline.str(), "");
    }
  }
}

TEST(SyncedAgentEmergency, HeldBackBodyGoesUnchangedAndEmptyTextsStillLeaveTheRecord) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  advanceTo(*agent, 7);
  agent->ballClose = true;
  agent->setSeeReceiveMS(60);
  agent->decide();
  ASSERT_TRUE(agent->isQuickDecide());
  agent->headCycleCommand = std::make_unique<EmptyCommand>();
  std::ostringstream& log = captureMainLog();
  std::ostringstream& offline = captureOfflineLog();
  agent->virtualTimer().setCurMS(80);
  agent->synchronize();
  EXPECT_EQ(sent(log), std::vector<std::string>{dashText(1)});
  EXPECT_TRUE(agent->isQuickDecide());
  EXPECT_EQ(agent->headDecisions, 0);  // a head command set but unsent stays so
  EXPECT_FALSE(agent->isHeadCycleCommandSent());

  // The next cycle's emergency finds only an empty body: no datagram, but the record.
  takeSenseBody(*agent);
  agent->bodyCycleCommand = std::make_unique<EmptyCommand>();
  agent->headCycleCommand = std::make_unique<EmptyCommand>();
  log.str("");
  offline.str("");
  agent->virtualTimer().setCurMS(95);
  agent->synchronize();
  EXPECT_TRUE(sent(log).empty());
  EXPECT_EQ(offline.str(), "  0000. EmgSend\n");
}

TEST(SyncedAgentEmergency, NoHeadGroupInTheFirstThreeCyclesAndNothingTwice) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  advanceTo(*agent, 3);
  std::ostringstream& offline = captureOfflineLog();
  agent->virtualTimer().setCurMS(95);
  agent->synchronize();
  EXPECT_EQ(agent->headDecisions, 0);
  EXPECT_EQ(offline.str(), "");

  takeSenseBody(*agent);
  std::ostringstream& log = captureMainLog();
  agent->virtualTimer().setCurMS(95);
  agent->synchronize();
  EXPECT_EQ(agent->headDecisions, 1);
  EXPECT_EQ(agent->bodyDecisions, 0);  // no body decision is made here
  EXPECT_EQ(sent(log), std::vector<std::string>{headGroupText()});
  // The see arriving after the emergency changes nothing of what was sent.
  takeSee(*agent, 96);
  agent->synchronize();
  agent->decide();
  EXPECT_EQ(agent->headDecisions, 1);
  EXPECT_EQ(sent(log), std::vector<std::string>{headGroupText()});
}

TEST(SyncedAgentEmergency, SilenceEndsTheRunFrom9991Milliseconds) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  takeSenseBody(*agent);
  agent->virtualTimer().setCurMS(9990);
  EXPECT_TRUE(agent->synchronize());
  agent->virtualTimer().setCurMS(9991);
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(agent->synchronize());
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Server does not respond in the expected time.\n");
}

}  // namespace
}  // namespace tovren
