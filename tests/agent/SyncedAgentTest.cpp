#include "agent/SyncedAgent.h"

#include "connection/Command.h"
#include "foundation/Timer.h"
#include "support/AgentScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <climits>
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
// pointto; directions are negated on the wire.
const std::string kHeadGroup =
    "(turn_neck -10.00)(change_view narrow high)(say \"hi\")"
    "(attentionto our 3)(pointto 10.00 -20.00)";

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

// The texts sent, from the log lines that the online run's check reads as well.
std::vector<std::string> sent(const std::ostringstream& log) {
  std::vector<std::string> found;
  std::istringstream lines(log.str());
  const std::string prefix = "  0000. SendStr: ";
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(prefix, 0) == 0) found.push_back(line.substr(prefix.size()));
  }
  return found;
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

  // One that cannot be read leaves the cycle as it was.
  agent->senseBody(*parseMessage("(sense_body x)"));
  EXPECT_EQ(agent->bodyCycleCommand.get(), decided);
  EXPECT_FALSE(agent->isSenseBodyReceived());

  takeSenseBody(*agent);
  EXPECT_EQ(agent->lastBodyCycleCommand.get(), decided);
  for (const auto* slot :
       {&agent->bodyCycleCommand, &agent->headCycleCommand, &agent->changeViewCommand,
        &agent->sayCommand, &agent->attentionToCommand, &agent->pointToCommand}) {
    EXPECT_EQ(*slot, nullptr);
  }
  EXPECT_FALSE(agent->isBodyCycleCommandSent() || agent->isHeadCycleCommandSent() ||
               agent->isSeeReceived() || agent->isQuickDecide());
  EXPECT_TRUE(agent->isSenseBodyReceived());

  takeSenseBody(*agent);
  EXPECT_EQ(agent->lastBodyCycleCommand, nullptr);
}

TEST(SyncedAgent, CycleLengthAndSeePeriodsComeFromUsableServerParameters) {
  struct Case {
    const char* name;
    const char* parameters;  // null: none received
    int cycle;
    int narrow;
    int normal;
    int wide;
  };
  const Case cases[] = {
      {"recorded", "", 100, 75, 150, 300},
      {"slowed down", "(slow_down_factor 1.5)", 150, 112, 225, 450},
      {"none", nullptr, 100, 75, 150, 300},
      {"factor 0 and a word", "(slow_down_factor 0) (send_step abc)", 100, 75, 150, 300},
      {"longer cycle", "(sense_body_step 200) (slow_down_factor 1)", 200, 75, 150, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory directory;
    auto agent = makeAgentOf<CycleAgent>(directory, {"--offline-player"});
    if (c.parameters != nullptr) {
      agent->serverParam(*parseMessage(firstMessage("left", "Tovren-2.txt", "server_param")));
      // Read before the change, which must count all the same.
      EXPECT_EQ(agent->getCycleLength(), 100);
      EXPECT_EQ(agent->getSeePeriod(VMW_NORMAL), 150);
      agent->serverParam(*parseMessage(std::string("(server_param ") + c.parameters + ")"));
    }
    EXPECT_EQ(agent->getCycleLength(), c.cycle);
    EXPECT_EQ(agent->getSeePeriod(VMW_NARROW), c.narrow);
    EXPECT_EQ(agent->getSeePeriod(VMW_NORMAL), c.normal);
    EXPECT_EQ(agent->getSeePeriod(VMW_WIDE), c.wide);
  }
}

// ---------------------------------------------------------------- loss detection

TEST(SyncedAgentLosses, EndOfCycleRecordTellsWhatWasDecidedAndSent) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  std::ostringstream& offline = captureOfflineLog();
  takeSenseBody(*agent);
  EXPECT_EQ(offline.str(), "  0000. EndInf: 0000\n  0000. RecStr: " +
                               parseMessage(senseBodyText(0, SenseBody()))->toString() + "\n");
  EXPECT_FALSE(agent->isBodyCycleCommandLost() || agent->isHeadCycleCommandLost());

  // Unsent commands are lost, but move no see prediction.
  offline.str("");
  agent->bodyCycleCommand = std::make_unique<DashCommand>(50.0f);
  agent->headCycleCommand = std::make_unique<TurnNeckCommand>(10.0f);
  agent->changeViewCommand = std::make_unique<ChangeViewCommand>(VMQ_HIGH, VMW_NARROW);
  agent->setSeeReceiveMS(120);
  takeSenseBody(*agent, with(&SenseBody::dash, 1));
  EXPECT_TRUE(agent->isBodyCycleCommandLost());
  EXPECT_TRUE(agent->isHeadCycleCommandLost());
  EXPECT_EQ(offline.str().substr(0, 21), "  0000. EndInf: 1010\n");
  EXPECT_EQ(agent->getSeeReceiveMS(), 20);  // only the shift into the new cycle
}

TEST(SyncedAgentLosses, BodyVerdictsFollowTheCountersOfTheCommandKinds) {
  struct Case {
    const char* name;
    std::unique_ptr<Command> body;
    std::unique_ptr<Command> last;
    SenseBody counts;
    bool lost;
  };
  std::vector<Case> cases;
  cases.push_back({"kick executed", std::make_unique<KickCommand>(50.0f, 0.0f), nullptr,
                   with(&SenseBody::kick, 1), false});
  cases.push_back({"turn executed", std::make_unique<TurnCommand>(30.0f), nullptr,
                   with(&SenseBody::turn, 1), false});
  cases.push_back({"catch executed", std::make_unique<CatchCommand>(0.0f), nullptr,
                   with(&SenseBody::catchCount, 1), false});
  cases.push_back({"dash executed", std::make_unique<DashCommand>(50.0f), nullptr,
                   with(&SenseBody::dash, 1), false});
  cases.push_back({"tackle executed", std::make_unique<TackleCommand>(50.0f), nullptr,
                   with(&SenseBody::tackle, 1), false});
  cases.push_back({"move executed", std::make_unique<MoveCommand>(-10.0f, 0.0f), nullptr,
                   with(&SenseBody::move, 1), false});
  cases.push_back({"dash lost", std::make_unique<DashCommand>(50.0f), nullptr, SenseBody(), true});
  cases.push_back({"dash lost, the older kick as well", std::make_unique<DashCommand>(50.0f),
                   std::make_unique<KickCommand>(50.0f, 0.0f), with(&SenseBody::turn, 1), true});
  cases.push_back({"two dashes, the shared counter changed", std::make_unique<DashCommand>(50.0f),
                   std::make_unique<DashCommand>(40.0f), with(&SenseBody::dash, 1), false});
  cases.push_back(
      {"empty command sent", std::make_unique<EmptyCommand>(), nullptr, SenseBody(), false});
  cases.push_back({"a kind without counter", std::make_unique<TurnNeckCommand>(10.0f), nullptr,
                   SenseBody(), false});

  for (Case& each : cases) {
    SCOPED_TRACE(each.name);
    ScratchDirectory directory;
    auto agent = readyAgent(directory);
    takeSenseBody(*agent);
    const Command* decided = each.body.get();
    agent->bodyCycleCommand = std::move(each.body);
    agent->lastBodyCycleCommand = std::move(each.last);
    agent->setBodyCycleCommandSent(true);
    takeSenseBody(*agent, each.counts);
    EXPECT_EQ(agent->isBodyCycleCommandLost(), each.lost);
    EXPECT_EQ(agent->lastBodyCycleCommand.get(), decided);
  }
}

TEST(SyncedAgentLosses, OnlyAnExecutedTurnMovesTheBodyAndALateOneIsAdopted) {
  struct Case {
    const char* name;
    bool olderTurn;  // else the turn is the command of the cycle
    SenseBody counts;
    bool turned;
  };
  const Case cases[] = {{"older turn executed late", true, with(&SenseBody::turn, 1), true},
                        {"turn lost", false, SenseBody(), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory directory;
    auto agent = readyAgent(directory);
    takeSenseBody(*agent);
    const float direction = agent->getWorldModel().getBody().getBodyDir();
    auto turn = std::make_unique<TurnCommand>(60.0f);
    const Command* older = turn.get();
    if (c.olderTurn) {
      agent->bodyCycleCommand = std::make_unique<DashCommand>(50.0f);
      agent->lastBodyCycleCommand = std::move(turn);
    } else {
      agent->bodyCycleCommand = std::move(turn);
    }
    agent->setBodyCycleCommandSent(true);
    takeSenseBody(*agent, c.counts);
    EXPECT_EQ(agent->isBodyCycleCommandLost(), !c.turned);
    // The adopted turn stays the previous body command for one more cycle.
    if (c.olderTurn) {
      EXPECT_EQ(agent->lastBodyCycleCommand.get(), older);
    }
    EXPECT_EQ(
        std::abs(agent->getWorldModel().getBody().getBodyDir() - direction) > kDirectionTolerance,
        c.turned);
  }
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
    agent->headCycleCommand = std::move(each.head);
    agent->setHeadCycleCommandSent(true);
    takeSenseBody(*agent, each.counts);
    EXPECT_EQ(agent->isHeadCycleCommandLost(), each.lost);
  }
}

// ---------------------------------------------------------------- see timing

TEST(SyncedAgentSeeTiming, SeePredictsOnePeriodOnAndSenseBodyShiftsItIntoTheNewCycle) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  takeSenseBody(*agent);
  EXPECT_EQ(agent->getSeeReceiveMS(), -100);  // the first sense_body before any see
  takeSee(*agent, 20);
  EXPECT_EQ(agent->getSeeReceiveMS(), 170);
  EXPECT_TRUE(agent->isSeeReceived());
  takeSenseBody(*agent);
  EXPECT_EQ(agent->getSeeReceiveMS(), 70);

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
  // Anything but a change_view moves nothing.
  const EmptyCommand empty;
  agent->setSeeReceiveMSAfterChangeView(nullptr);
  agent->setSeeReceiveMSAfterChangeView(&empty);
  agent->recoverSeeReceiveMSAfterChangeView(nullptr);
  agent->recoverSeeReceiveMSAfterChangeView(&empty);
  EXPECT_EQ(agent->getSeeReceiveMS(), 170);

  agent->changeViewCommand = std::make_unique<ChangeViewCommand>(VMQ_HIGH, VMW_NARROW);
  agent->setSeeReceiveMSAfterChangeView(agent->changeViewCommand.get());
  EXPECT_EQ(agent->getSeeReceiveMS(), 95);

  // Still normal, and the turn_neck sent with the change_view lost: (95 - 150) - 75,
  // then the shift.
  agent->headCycleCommand = std::make_unique<TurnNeckCommand>(10.0f);
  agent->setHeadCycleCommandSent(true);
  takeSenseBody(*agent);
  EXPECT_TRUE(agent->isHeadCycleCommandLost());
  EXPECT_EQ(agent->getSeeReceiveMS(), -230);
}

TEST(SyncedAgentSeeTiming, AfterAChangeViewTheWidthTheBodyReportsCounts) {
  ScratchDirectory directory;
  const ChangeViewCommand narrow(VMQ_HIGH, VMW_NARROW);
  // The sense_body reporting narrow points back at the see; a see before it still
  // predicts with the normal width.
  auto reported = readyAgent(directory);
  takeSenseBody(*reported);
  takeSee(*reported, 20);
  reported->setSeeReceiveMSAfterChangeView(&narrow);
  takeSenseBody(*reported, narrowView());
  EXPECT_EQ(reported->getSeeReceiveMS(), -5);
  EXPECT_EQ(reported->getLastSeeReceiveMS(), -80);

  auto notYet = readyAgent(directory);
  takeSenseBody(*notYet);
  takeSee(*notYet, 20);
  notYet->setSeeReceiveMSAfterChangeView(&narrow);
  takeSee(*notYet, 95);
  EXPECT_EQ(notYet->getSeeReceiveMS(), 245);
}

TEST(SyncedAgentSeeTiming, PredictionStaysWithinHalfTheIntRangeWhateverTheClockSays) {
  // A replayed log can stamp a message with any int; the prediction is then held at a
  // bound, from which a change_view or a lost one moves it no further.
  constexpr int kLatest = INT_MAX / 2;
  constexpr int kEarliest = INT_MIN / 2;
  struct Case {
    const char* name;
    int seeMS;
    int afterSee;
    int afterWideChangeView;
    int afterLostWideChangeView;
  };
  const Case cases[] = {
      {"just below the bound", kLatest - 151, kLatest - 1, kLatest, kLatest - 450},
      {"at the bound", kLatest - 150, kLatest, kLatest, kLatest - 450},
      {"past the bound", kLatest - 149, kLatest, kLatest, kLatest - 450},
      {"largest int", INT_MAX, kLatest, kLatest, kLatest - 450},
      {"smallest int", INT_MIN, kEarliest, kEarliest + 150, kEarliest},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory directory;
    auto agent = readyAgent(directory);
    takeSenseBody(*agent);
    takeSee(*agent, c.seeMS);
    EXPECT_EQ(agent->getSeeReceiveMS(), c.afterSee);
    const ChangeViewCommand wide(VMQ_HIGH, VMW_WIDE);
    agent->setSeeReceiveMSAfterChangeView(&wide);
    EXPECT_EQ(agent->getSeeReceiveMS(), c.afterWideChangeView);
    agent->recoverSeeReceiveMSAfterChangeView(&wide);
    EXPECT_EQ(agent->getSeeReceiveMS(), c.afterLostWideChangeView);
  }
}

TEST(SyncedAgentSeeTiming, SyncedWidthsSwitchAtTheirThresholds) {
  struct Case {
    int lastSee;
    ViewModeWidth narrow;
    ViewModeWidth normal;
    ViewModeWidth wide;
  };
  const Case cases[] = {
      {-80, VMW_NORMAL, VMW_NORMAL, VMW_WIDE},  {34, VMW_NORMAL, VMW_NORMAL, VMW_WIDE},
      {35, VMW_NARROW, VMW_NARROW, VMW_WIDE},   {45, VMW_NARROW, VMW_NARROW, VMW_WIDE},
      {46, VMW_NARROW, VMW_NARROW, VMW_NARROW}, {47, VMW_NARROW, VMW_NARROW, VMW_NARROW},
      {48, VMW_NARROW, VMW_NORMAL, VMW_NARROW}};
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lastSee);
    // With the normal width the body starts with, the last see lies one period (150 ms)
    // before the predicted one.
    agent->setSeeReceiveMS(c.lastSee + 150);
    EXPECT_EQ(agent->getLastSeeReceiveMS(), c.lastSee);
    EXPECT_EQ(agent->getSyncedNarrow(), c.narrow);
    EXPECT_EQ(agent->getSyncedNormal(), c.normal);
    EXPECT_EQ(agent->getSyncedWide(), c.wide);
  }
}

TEST(SyncedAgentSeeTiming, QuickLevelFromSixtyPercentAndLateFromTwoMillisecondsBeforeTheEnd) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  takeSenseBody(*agent);
  const std::tuple<int, int, bool> cases[] = {
      {59, 0, false}, {60, 1, false}, {98, 1, false}, {99, 1, true}};
  for (const auto& [ms, quickLevel, late] : cases) {
    SCOPED_TRACE(ms);
    agent->virtualTimer().setCurMS(ms);
    EXPECT_EQ(agent->getQuickLevel(), quickLevel);
    EXPECT_EQ(agent->isLateForSending(), late);
  }
}

// ---------------------------------------------------------------- decide and send

TEST(SyncedAgentDecide, BeforeTheFirstSenseBodyDecidesNothing) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  takeSee(*agent, 20);
  EXPECT_TRUE(agent->decide());
  EXPECT_EQ(agent->bodyCycleCommand, nullptr);
  EXPECT_EQ(agent->headCycleCommand, nullptr);
}

TEST(SyncedAgentDecide, FirstCyclesSendEmptyGroupsThenTheHeadGroupBesideAnEmptyBody) {
  struct Case {
    unsigned int curTime;
    std::vector<std::string> sent;
    int seeReceiveMS;  // a narrow change_view re-bases the prediction on the see
  };
  const Case cases[] = {{3, {}, 170}, {4, {kHeadGroup}, 95}, {6, {kHeadGroup}, 95}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.curTime);
    ScratchDirectory directory;
    auto agent = readyAgent(directory);
    advanceTo(*agent, c.curTime);
    takeSee(*agent, 20);
    std::ostringstream& log = captureMainLog();
    EXPECT_TRUE(agent->decide());
    EXPECT_TRUE(agent->decide());  // replaces, and so frees, the empty commands
    EXPECT_NE(dynamic_cast<const EmptyCommand*>(agent->bodyCycleCommand.get()), nullptr);
    EXPECT_EQ(agent->bodyDecisions, 0);
    EXPECT_EQ(agent->headDecisions + agent->sayDecisions + agent->pointToDecisions,
              c.sent.empty() ? 0 : 3);
    EXPECT_TRUE(agent->isBodyCycleCommandSent());
    EXPECT_TRUE(agent->isHeadCycleCommandSent());
    EXPECT_EQ(sent(log), c.sent);
    EXPECT_EQ(agent->getSeeReceiveMS(), c.seeReceiveMS);
  }
}

TEST(SyncedAgentDecide, SendsTheBodyThenTheHeadGroupInOneDatagramOncePerCycle) {
  ScratchDirectory directory;
  auto agent = readyAgent(directory);
  advanceTo(*agent, 7);
  takeSee(*agent, 20);
  std::ostringstream& log = captureMainLog();
  agent->decide();
  agent->decide();
  EXPECT_EQ(sent(log), std::vector<std::string>{dashText(1) + kHeadGroup});
  EXPECT_EQ(agent->bodyDecisions, 1);
  EXPECT_EQ(agent->headDecisions, 1);

  // A tackle still expiring keeps the next cycle's body empty; the head goes.
  takeSenseBody(*agent, with(&SenseBody::tackleExpires, 5));
  takeSee(*agent, 20);
  agent->decide();
  EXPECT_EQ(agent->bodyDecisions, 1);
  EXPECT_EQ(sent(log), (std::vector<std::string>{dashText(1) + kHeadGroup, kHeadGroup}));
}

// A decision layer that dashes backward.
class BackwardAgent : public CycleAgent {
 public:
  using CycleAgent::CycleAgent;
  bool bodyDecide(int quickLevel) override {
    const bool close = CycleAgent::bodyDecide(quickLevel);
    bodyCycleCommand = std::make_unique<DashCommand>(-10.0f * bodyDecisions);
    return close;
  }
};

// The shipped Agent.conf without its lines of the server's command limits.
std::string configWithoutLimits() {
  std::istringstream shipped(support::agentConfigText({}));
  std::string text;
  for (std::string line; std::getline(shipped, line);) {
    bool limit = false;
    for (const CommandLimits::Key& key : CommandLimits::KEYS) {
      limit = limit || line.rfind(key.configKey, 0) == 0;
    }
    if (!limit) text += line + "\n";
  }
  return text;
}

TEST(SyncedAgentDecide, BackwardDashGoesOutInTheFormTheServerObeys) {
  struct Case {
    const char* name;
    std::string config;
    std::string serverLimit;  // added to the recorded server_param
    std::string dash;
  };
  const Case cases[] = {
      {"neither states a limit", configWithoutLimits(), "", "(dash -10.00)"},
      {"Agent.conf states today's server", support::agentConfigText({}), "", "(dash 10.00 180.00)"},
      {"server_param over Agent.conf", support::agentConfigText({}), "(min_dash_power -100)",
       "(dash -10.00)"},
      {"server_param over the default", configWithoutLimits(), "(min_dash_power 0)",
       "(dash 10.00 180.00)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory directory;
    std::unique_ptr<CycleAgent> agent =
        makeAgentOf<BackwardAgent>(directory, {"--offline-player"}, c.config);
    std::string parameters = firstMessage("left", "Tovren-2.txt", "server_param");
    parameters.replace(parameters.find("(back_passes"), 0, c.serverLimit);
    agent->initVirtualConnection();
    agent->serverParam(*parseMessage(parameters));
    advanceTo(*agent, 7);
    takeSee(*agent, 20);
    std::ostringstream& log = captureMainLog();
    agent->decide();
    EXPECT_EQ(sent(log), std::vector<std::string>{c.dash + kHeadGroup});
  }
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
  EXPECT_EQ(sent(log), (std::vector<std::string>{dashText(1), kHeadGroup}));
}

TEST(SyncedAgentDecide, CloseBallHoldsTheEarlyDecisionBackUntilASeeThatComesInTime) {
  struct Case {
    int seeReceiveMS;
    bool held;
  };
  for (const Case& c : {Case{60, true}, Case{96, true}, Case{97, false}}) {
    SCOPED_TRACE(c.seeReceiveMS);
    ScratchDirectory directory;
    auto agent = readyAgent(directory);
    advanceTo(*agent, 7);
    agent->ballClose = true;
    std::ostringstream& log = captureMainLog();
    agent->setSeeReceiveMS(c.seeReceiveMS);
    agent->virtualTimer().setCurMS(5);
    agent->decide();
    EXPECT_EQ(agent->isQuickDecide(), c.held);
    if (!c.held) {
      EXPECT_EQ(sent(log), std::vector<std::string>{dashText(1)});
      continue;
    }
    EXPECT_TRUE(sent(log).empty());
    takeSee(*agent, 60);
    agent->decide();
    EXPECT_FALSE(agent->isQuickDecide());
    EXPECT_EQ(agent->quickLevels, (std::vector<int>{0, 1}));
    EXPECT_EQ(sent(log), std::vector<std::string>{dashText(2) + kHeadGroup});
  }
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
  EXPECT_FALSE(agent->isBodyCycleCommandSent() || agent->isHeadCycleCommandSent());

  agent->virtualTimer().setCurMS(98);
  agent->decide();
  EXPECT_EQ(sent(log), std::vector<std::string>{dashText(1) + kHeadGroup});
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
  EXPECT_EQ(sent(log), std::vector<std::string>{kHeadGroup});
}

// ---------------------------------------------------------------- emergency

TEST(SyncedAgentEmergency, LateOrOverdueSeeSendsWhatIsLeftBeforeTheLastTwoMilliseconds) {
  struct Case {
    unsigned int curTime;
    int seeReceiveMS;
    int ms;
    bool emergency;
  };
  // A see predicted for the second half and overdue by a sixth of the cycle; else from
  // 90% of the cycle on.
  const Case cases[] = {{7, 60, 76, false}, {7, 60, 77, true},  {7, 60, 97, true},
                        {7, 60, 98, false}, {7, 50, 90, false}, {7, 50, 91, true},
                        {7, 50, 97, true},  {7, 50, 99, false}, {0, 50, 95, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.curTime) + " " + std::to_string(c.seeReceiveMS) + " " +
                 std::to_string(c.ms));
    ScratchDirectory directory;
    auto agent = readyAgent(directory);
    advanceTo(*agent, c.curTime);
    agent->setSeeReceiveMS(c.seeReceiveMS);
    agent->bodyCycleCommand = std::make_unique<DashCommand>(10.0f);
    std::ostringstream& log = captureMainLog();
    std::ostringstream& offline = captureOfflineLog();
    agent->virtualTimer().setCurMS(c.ms);
    EXPECT_TRUE(agent->synchronize());
    EXPECT_EQ(agent->isBodyCycleCommandSent(), c.emergency);
    EXPECT_EQ(sent(log), c.emergency ? std::vector<std::string>{dashText(1) + kHeadGroup}
                                     : std::vector<std::string>{});
    EXPECT_EQ(offline.str(), c.emergency ? "  0000. EmgSend\n" : "");
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
  EXPECT_EQ(sent(log), std::vector<std::string>{kHeadGroup});
  // The see arriving after the emergency changes nothing of what was sent.
  takeSee(*agent, 96);
  agent->synchronize();
  agent->decide();
  EXPECT_EQ(agent->headDecisions, 1);
  EXPECT_EQ(sent(log), std::vector<std::string>{kHeadGroup});
}

TEST(SyncedAgentEmergency, SilenceEndsTheRunFrom9991MillisecondsWithStatusOneIfNeverAnswered) {
  struct Case {
    bool answered;
    int ms;
    bool goesOn;
    int status;
  };
  const Case cases[] = {{false, 9990, true, 0},
                        {false, 9991, false, 1},
                        {true, 9990, true, 0},
                        {true, 9991, false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.answered) + " " + std::to_string(c.ms));
    ScratchDirectory directory;
    auto agent = readyAgent(directory);
    if (c.answered) takeSenseBody(*agent);
    agent->virtualTimer().setCurMS(c.ms);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(agent->sigAlrmHandler(), c.goesOn);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              c.goesOn ? "" : "Server does not respond in the expected time.\n");
    EXPECT_EQ(agent->getExitStatus(), c.status);
    // A late alarm before the run stops reports nothing more.
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(agent->sigAlrmHandler(), c.goesOn);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  }
}

}  // namespace
}  // namespace tovren
