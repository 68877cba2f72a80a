#include "agent/BasicAgent.h"

#include "foundation/SExpression.h"
#include "foundation/Timer.h"
#include "support/AgentScene.h"
#include "support/ReplayScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

// The offline replay of a player's run from its offline log, in process and with the
// built executable.

namespace tovren {
namespace {

using support::agentConfigText;
using support::captureMainLog;
using support::captureOfflineLog;
using support::firstMessage;
using support::makeAgentOf;
using support::ProbeAgent;
using support::ScratchDirectory;

// A player that notes what the replay makes it do: each message operation with the
// millisecond at which its datagram was taken, each decide() with the clock and the four
// permissions, each alarm with the clock.
class ReplayAgent : public ProbeAgent {
 public:
  using BasicAgent::offlinePlayerManager;
  using ProbeAgent::ProbeAgent;

  std::vector<std::string> events;

  void senseBody(const SExpression& message) override {
    note("senseBody");
    ProbeAgent::senseBody(message);
  }
  void see(const SExpression& message) override {
    note("see");
    ProbeAgent::see(message);
  }
  void hear(const SExpression& message) override {
    note("hear");
    ProbeAgent::hear(message);
  }
  void serverParam(const SExpression& message) override {
    note("serverParam");
    ProbeAgent::serverParam(message);
  }
  void init(const SExpression& message) override {
    note("init");
    ProbeAgent::init(message);
  }
  void think(const SExpression& message) override {
    note("think");
    ProbeAgent::think(message);
  }
  bool decide() override {
    std::ostringstream event;
    event << "decide " << getWorldModel().getTimer().now() << " "
          << isBodyCycleCommandDecidePermitted() << isBodyCycleCommandSendPermitted()
          << isHeadCycleCommandDecidePermitted() << isHeadCycleCommandSendPermitted();
    events.push_back(event.str());
    return ProbeAgent::decide();
  }
  bool synchronize() override {
    events.push_back("alarm " + std::to_string(getWorldModel().getTimer().now()));
    return ProbeAgent::synchronize();
  }

 private:
  void note(const char* operation) {
    events.push_back(std::string(operation) + " " + std::to_string(lastReceiveMS));
  }
};

const char* const kInit = "(init l 2 before_kick_off)";

// An offline log line: the zero-padded millisecond and the record.
std::string line(const char* ms, const std::string& record) {
  return std::string("  ") + ms + ". " + record;
}

std::string recStr(const char* ms, const std::string& message) {
  return line(ms, "RecStr: " + message);
}

std::string recorded(const std::string& header) {
  return firstMessage("left", "Tovren-2.txt", header);
}

// Replays the lines as the input log of player 2 (or the given file name) in the
// directory; the player, its standard output in out.
std::unique_ptr<ReplayAgent> replay(const ScratchDirectory& directory,
                                    const std::vector<std::string>& lines, std::string& out,
                                    const std::vector<std::string>& arguments = {"--number", "2"},
                                    const std::string& fileName = "Tovren2.log.off.in",
                                    bool lastLineEnd = true) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    text += lines[i];
    if (i + 1 < lines.size() || lastLineEnd) text += "\n";
  }
  directory.write("input/" + fileName, text);
  std::vector<std::string> words = {"--offline-player"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  auto agent = makeAgentOf<ReplayAgent>(
      directory, words, agentConfigText({{"InputLogAddress", directory.file("input")}}));
  ::testing::internal::CaptureStdout();
  agent->run();
  out = ::testing::internal::GetCapturedStdout();
  return agent;
}

// ---------------------------------------------------------------- the line parser

TEST(OfflineLogLine, ReadsTheDecimalMillisecondTheLabelAndTheMessage) {
  struct Case {
    std::string line;
    bool numbered;
    int ms;
    const char* label;
    std::string message;
  };
  const std::string longMessage = "(think " + std::string(100000, 'x') + ")";
  const Case cases[] = {
      {"  0012. RecStr: (see 1 2)", true, 12, "RecStr", "(see 1 2)"},  // decimal: not octal
      {"  0093. EmgSend", true, 93, "EmgSend", ""},
      {"  0100. EndInf: 1110", true, 100, "EndInf", "1110"},
      {"  0009. RecStr:", true, 9, "RecStr", ""},
      {"  0008. RecStr: ", true, 8, "RecStr", ""},
      {"  -001. RecStr: (think)", true, -1, "RecStr", "(think)"},
      {"(see 1)", false, 0, "", ""},
      {"  99999999999. RecStr: (think)", false, 0, "", ""},
      {"  0001. RecStr: " + longMessage, true, 1, "RecStr", longMessage},
      // The message runs from after the first colon.
      {"  0007. RecStr: (hear 1 self \"a: b\")", true, 7, "RecStr", "(hear 1 self \"a: b\")"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line.substr(0, 40));
    for (const char* end : {"\n", ""}) {
      std::istringstream in(c.line + end);
      OfflineLogEntry entry;
      ASSERT_TRUE(BasicAgent::parseOfflinePlayerLogLine(in, entry));
      EXPECT_EQ(entry.numbered, c.numbered);
      EXPECT_EQ(entry.line, c.line);
      if (!c.numbered) continue;
      EXPECT_EQ(entry.ms, c.ms);
      EXPECT_EQ(entry.label, c.label);
      EXPECT_EQ(entry.message, c.message);
      EXPECT_FALSE(BasicAgent::parseOfflinePlayerLogLine(in, entry));
      EXPECT_EQ(entry.ms, c.ms);  // untouched at the end
    }
  }
}

// ---------------------------------------------------------------- the replay

TEST(OfflineReplay, FindsTheInputLogByTheUniformCharacterOrSaysWhatIsMissing) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    const char* fileName;
    const char* out;  // null: the replay ran
  };
  const Case cases[] = {
      {"no uniform number",
       {},
       "Tovren2.log.off.in",
       "Offline Player Manager : you must specify player number.\n"
       "Type \"--number pnum\" after command.\n"},
      {"no file for the number",
       {"--number", "10"},
       "Tovren10.log.off.in",
       "Offline Player Manager : can not open input log file for player 10\n"},
      {"the letter of ten", {"--number", "10"}, "TovrenA.log.off.in", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory directory;
    captureMainLog();
    std::string out;
    auto agent = replay(directory, {recStr("0003", "(think)")}, out, c.arguments, c.fileName);
    if (c.out != nullptr) {
      EXPECT_EQ(out, c.out);
      EXPECT_TRUE(agent->events.empty());
    } else {
      EXPECT_EQ(agent->events, (std::vector<std::string>{"think 3", "decide 3 1111"}));
    }
  }
}

TEST(OfflineReplay, BatchesReplayAtTheLoggedMillisecondsWithTheirRecordsPermissions) {
  ScratchDirectory directory;
  std::ostringstream& log = captureMainLog();
  captureOfflineLog();
  std::string out;
  auto agent = replay(
      directory,
      {recStr("0003", kInit), recStr("0004", recorded("server_param")),
       line("0101", "EndInf: 1010"), recStr("0000", recorded("sense_body")),
       recStr("0040", recorded("see")), recStr("0041", "(hear 10 self \"AB0xyz\")"),
       recStr("0045", "(hear 10 45 opp \"AB0xyz\")"), recStr("0046", "(hear 10 referee play_on)"),
       line("0095", "EmgSend"), line("0097", "SendStr: (dash 10.00)"), line("0099", "EndInf: 0101"),
       recStr("0001", recorded("sense_body")), recStr("0010", "(think)")},
      out);
  const std::vector<std::string> expected = {
      // The first cycle, with the permissions of the record that closes it.
      "init 3", "decide 3 1010", "serverParam 4", "decide 4 1010",
      // A sense_body is handed over when the record before it was written.
      "senseBody 101", "decide 0 0101",
      // The see and both players' hears in one burst; the referee's on its own.
      "see 40", "hear 40", "hear 40", "decide 40 0101", "hear 46", "decide 46 0101", "alarm 95",
      // The end of the file closes the last cycle with every permission.
      "senseBody 99", "decide 0 1111", "think 10", "decide 10 1111"};
  EXPECT_EQ(agent->events, expected);
  EXPECT_EQ(out.rfind("Player 2 connected.\n", 0), 0u) << out;
  EXPECT_TRUE(agent->isBodyCycleCommandDecidePermitted());
  EXPECT_TRUE(agent->isHeadCycleCommandSendPermitted());
  const std::string text = log.str();
  EXPECT_EQ(text.substr(text.size() - 34), "  0000. End of input offline log.\n");
}

TEST(OfflineReplay, EmptyInputAddressMeansTheWorkingDirectory) {
  ScratchDirectory directory;
  captureMainLog();
  directory.write("Tovren2.log.off.in", recStr("0003", "(think)") + "\n");
  auto agent = makeAgentOf<ReplayAgent>(directory, {"--offline-player", "--number", "2"},
                                        agentConfigText({{"InputLogAddress", ""}}));
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(directory.path());
  agent->run();
  std::filesystem::current_path(previous);
  EXPECT_EQ(agent->events, (std::vector<std::string>{"think 3", "decide 3 1111"}));
}

TEST(OfflineReplay, EndsOfFilesShortRecordsAndBadLines) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::string> events;
  };
  std::vector<Case> cases = {
      {"empty file", {}, {}},
      {"file ending after a record: an empty batch of every permission",
       {recStr("0003", "(think)"), line("0100", "EndInf: 0000")},
       {"think 3", "decide 3 0000"}},
      {"a short record still hands the next sense_body over at its millisecond",
       {recStr("0004", recorded("server_param")), line("0090", "EndInf:"),
        recStr("0000", recorded("sense_body"))},
       {"serverParam 4", "decide 4 1111", "senseBody 90", "decide 0 1111"}},
      {"an emergency whose millisecond tells of a silent server does not end the replay",
       {recStr("0003", "(think)"), line("9991", "EmgSend"), recStr("0010", "(think)")},
       {"think 3", "decide 3 1111", "alarm 9991", "think 10", "decide 10 1111"}},
      {"bad lines skipped, missing digits of a record taken as 1",
       {recStr("0003", "(think)"), "(think)", line("0012", "RecStr:"), line("0013", "RecStr: "),
        recStr("0014", "(see 1"), recStr("-001", "(think)"), recStr("0010", "(think)"),
        line("0020", "Mystery: (think)"), line("0090", "EndInf: 10")},
       {"think 3", "decide 3 1011", "think -1", "decide -1 1011", "think 10", "decide 10 1011"}},
  };
  // Batches have no size limit.
  Case& longBatch = cases.back();
  for (int i = 0; i < 120; ++i) {
    longBatch.lines.push_back(recStr("0005", "(think)"));
    longBatch.events.insert(longBatch.events.end(), {"think 5", "decide 5 0000"});
  }
  longBatch.lines.push_back(line("0100", "EndInf: 0000"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory directory;
    captureMainLog();
    std::string out;
    auto agent =
        replay(directory, c.lines, out, {"--number", "2"}, "Tovren2.log.off.in", !c.lines.empty());
    EXPECT_EQ(agent->events, c.events);
    EXPECT_TRUE(
        agent->isBodyCycleCommandDecidePermitted() && agent->isBodyCycleCommandSendPermitted() &&
        agent->isHeadCycleCommandDecidePermitted() && agent->isHeadCycleCommandSendPermitted());
  }
}

TEST(OfflineReplayDeathTest, NeedsTheVirtualLinkAndTheVirtualClock) {
  ScratchDirectory directory;
  auto unlinked = makeAgentOf<ReplayAgent>(directory, {"--offline-player", "--number", "2"});
  EXPECT_DEATH(unlinked->offlinePlayerManager(), "link != nullptr");
  auto online = makeAgentOf<ReplayAgent>(directory, {"--number", "2"});
  online->initVirtualConnection();
  EXPECT_DEATH(online->offlinePlayerManager(), "clock != nullptr");
}

// ---------------------------------------------------------------- the shipped example

TEST(OfflineReplay, ShippedExampleReplaysWithoutAServerAndAgainToTheSameLog) {
  const std::string examples = std::string(TOVREN_SOURCE_DIR) + "/examples";
  ASSERT_TRUE(std::filesystem::exists(examples + "/Tovren2.log.off.in"));
  constexpr int kReplayTimeoutMS = 60000;
  ScratchDirectory first;
  EXPECT_EQ(support::runOfflinePlayer(first, examples, 2, kReplayTimeoutMS), 0)
      << support::readFile(first.file("err.txt"));
  EXPECT_EQ(support::readFile(first.file("out.txt")),
            "Player 2 connected.\n"
            "    Log: ./Tovren2.log\n"
            "    OffLog: ./Tovren2.log.off\n");
  const std::vector<std::string> log = support::readLines(first.file("Tovren2.log"));
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.back().find(". End of input offline log."), std::string::npos) << log.back();
  const support::ReplayDifferences differences =
      support::compareReplay(support::readOfflineLog(examples + "/Tovren2.log.off.in"),
                             support::readOfflineLog(first.file("Tovren2.log.off")));
  EXPECT_EQ(differences.mismatch, "");

  // What a replay writes, it replays exactly: the replay itself is deterministic.
  ScratchDirectory second;
  std::filesystem::copy_file(first.file("Tovren2.log.off"), second.file("Tovren2.log.off.in"));
  EXPECT_EQ(support::runOfflinePlayer(second, second.path(), 2, kReplayTimeoutMS), 0);
  EXPECT_EQ(support::readFile(second.file("Tovren2.log.off")),
            support::readFile(first.file("Tovren2.log.off")));
}

}  // namespace
}  // namespace tovren
