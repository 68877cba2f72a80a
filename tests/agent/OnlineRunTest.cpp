#include "support/AgentScene.h"
#include "support/ChildProcess.h"
#include "support/MatchLog.h"
#include "support/ReplayScene.h"
#include "support/ReplayServer.h"
#include "support/WorldModelScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

// The built player against the replay server, which plays a recorded conversation and
// records every datagram the player sends.

namespace tovren {
namespace {

using support::agentConfigText;
using support::ChildProcess;
using support::readFile;
using support::readLines;
using support::ScratchDirectory;
using support::waitUntil;

// Generous waits: the sanitizer build on a slow machine starts slowly. Nothing below
// depends on a shorter time.
constexpr int kStartTimeoutMS = 20000;
constexpr int kExitTimeoutMS = 30000;
// The conversation played (about 11 s) and the 9991 ms of silence after it.
constexpr int kConversationEndTimeoutMS = 90000;
constexpr int kReplayTimeoutMS = 60000;
// Seconds of the player's silence, once the conversation is played, that end the server.
constexpr double kServerTailSeconds = 60;

const std::string kProgram = std::string(TOVREN_BINARY_DIR) + "/tovren";

std::string fixture(const std::string& side, const std::string& file) {
  return support::fixturePath(side, file);
}

// The text of each recorded datagram, in order.
std::vector<std::string> recordedTexts(const std::string& path) {
  std::vector<std::string> texts;
  for (const std::string& line : readLines(path)) {
    const auto tab = line.find('\t');
    if (tab != std::string::npos) texts.push_back(line.substr(tab + 1));
  }
  return texts;
}

bool contains(const std::string& text, const std::string& fragment) {
  return text.find(fragment) != std::string::npos;
}

// A replay server on a port of its own and a player in a scratch directory whose
// configuration points at it.
class ServerRun {
 public:
  // The subdirectories are made before the player starts.
  ServerRun(const std::string& capture,
            std::vector<std::pair<std::string, std::string>> configChanges,
            const std::vector<std::string>& arguments,
            const std::vector<std::string>& subdirectories = {},
            double tailSeconds = kServerTailSeconds)
      : server(directory.path(), {"--capture", capture, "--record", directory.file("record.txt"),
                                  "--tail", std::to_string(tailSeconds), "--timeout", "60"}) {
    if (!isServerUp()) return;
    configChanges.push_back({"HostName", "127.0.0.1"});
    configChanges.push_back({"PlayerPort", std::to_string(server.getPort())});
    directory.write("Configs/Agent.conf", agentConfigText(configChanges));
    support::copyPlayerValueFiles(directory.path());
    for (const std::string& each : subdirectories) {
      std::filesystem::create_directories(directory.file(each));
    }
    std::vector<std::string> argv = {kProgram};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    player.emplace(argv, directory.path(), directory.file("out.txt"), directory.file("err.txt"));
  }

  ~ServerRun() { server.process.signal(SIGTERM); }

  // Whether the server has started, and so the player; otherwise why not.
  ::testing::AssertionResult isServerUp() const {
    if (server.getPort() != 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "The replay server did not start: " << server.errors();
  }
  std::string out() const { return readFile(directory.file("out.txt")); }
  std::string err() const { return readFile(directory.file("err.txt")); }
  std::vector<std::string> sent() const { return recordedTexts(directory.file("record.txt")); }
  bool hasSent(const std::string& text) const {
    for (const std::string& each : sent()) {
      if (each == text) return true;
    }
    return false;
  }

  // Waits until the player has announced its connection and the clang version command
  // has reached the server.
  bool waitConnected(int uniNum) {
    const std::string line = "Player " + std::to_string(uniNum) + " connected.\n";
    return waitUntil([&] { return contains(out(), line) && hasSent("(clang (ver 7 9))"); },
                     kStartTimeoutMS);
  }

  // Stops the player with SIGTERM; its exit status, and waits for its "(bye)".
  std::optional<int> terminate() {
    player->signal(SIGTERM);
    return finish(kExitTimeoutMS);
  }

  // Its exit status once it has ended within the time, and waits for its "(bye)".
  std::optional<int> finish(int timeoutMS) {
    const std::optional<int> status = player->waitFor(timeoutMS);
    waitUntil([this] { return hasSent("(bye)"); }, kStartTimeoutMS);
    return status;
  }

  ScratchDirectory directory;
  support::ReplayServer server;
  std::optional<ChildProcess> player;
};

// Every line of an offline log is one of its three records behind the line prefix.
void expectOnlyOfflineRecords(const std::string& path) {
  const std::regex record(R"(  \d{4,}\. (RecStr: \(.*|EndInf: [01]{4}|EmgSend))");
  const std::vector<std::string> lines = readLines(path);
  EXPECT_FALSE(lines.empty());
  for (const std::string& line : lines) {
    EXPECT_TRUE(std::regex_match(line, record)) << line;
  }
}

TEST(OnlineRun, PlayersAnnounceThemselvesAndTheirLogsAndSayByeOnTermination) {
  struct Case {
    const char* side;
    const char* file;
    std::vector<std::pair<std::string, std::string>> config;
    bool goalie;
    const char* out;
    const char* offlineLog;  // null: none
  };
  const Case cases[] = {
      {"left",
       "Tovren-2.txt",
       {{"LogToFile", "True"}, {"OffLogToFile", "True"}, {"OutputLogAddress", "logs/"}},
       false,
       "Player 2 connected.\n    Log: logs/Tovren2.log\n    OffLog: logs/Tovren2.log.off\n",
       "logs/Tovren2.log.off"},
      // A log that cannot be opened is announced, and the player plays on.
      {"left",
       "Tovren-1-goalie.txt",
       {{"LogToFile", "True"}, {"OutputLogAddress", "missing"}},
       true,
       "Player 1 connected.\n    Log: missing/Tovren1.log\n",
       nullptr},
      // An empty address is the working directory.
      {"right",
       "Tovren-2.txt",
       {{"OffLogToFile", "True"}, {"OutputLogAddress", ""}},
       false,
       "Player 2 connected.\n    OffLog: ./Tovren2.log.off\n",
       "Tovren2.log.off"},
  };
  // All at once: each waits for its own server.
  std::vector<std::unique_ptr<ServerRun>> runs;
  for (const Case& c : cases) {
    runs.push_back(std::make_unique<ServerRun>(
        fixture(c.side, c.file), c.config,
        c.goalie ? std::vector<std::string>{"--goalie"} : std::vector<std::string>{},
        std::vector<std::string>{"logs"}));
  }
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const Case& c = cases[i];
    ServerRun& run = *runs[i];
    SCOPED_TRACE(c.file);
    ASSERT_TRUE(run.isServerUp());
    ASSERT_TRUE(run.waitConnected(c.goalie ? 1 : 2)) << run.out() << run.err();
    EXPECT_EQ(run.terminate(), 0) << run.err();
    const std::vector<std::string> sent = run.sent();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[0],
              c.goalie ? "(init Tovren (version 9.4)(goalie))" : "(init Tovren (version 9.4))");
    EXPECT_EQ(sent[1], "(clang (ver 7 9))");
    EXPECT_EQ(sent.back(), "(bye)");
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "(bye)"), 1);
    EXPECT_EQ(run.out(), std::string(c.out) + "Termination Handler.\n");
    if (c.offlineLog == nullptr) {
      EXPECT_TRUE(contains(run.err(), "missing/Tovren1.log")) << run.err();
      continue;
    }
    const std::string offline = run.directory.file(c.offlineLog);
    EXPECT_TRUE(contains(readFile(offline), std::string("RecStr: (init ") + c.side[0] + " 2 "));
    expectOnlyOfflineRecords(offline);
  }
}

TEST(OnlineRun, ReplayServerStartsAndThePlayerConnectsWhileTheProbedPortIsTaken) {
  // Another process takes the port a probe has just found free.
  const support::HeldUdpPort taken(support::findFreeUdpPort());
  ServerRun run(fixture("left", "Tovren-2.txt"), {}, {});
  ASSERT_TRUE(run.isServerUp());
  EXPECT_NE(run.server.getPort(), taken.getPort());
  ASSERT_TRUE(run.waitConnected(2)) << run.out() << run.err();
  EXPECT_EQ(run.terminate(), 0) << run.err();
}

// A conversation of the player's init command and the given server lines.
std::string writeCapture(const ScratchDirectory& directory, const std::vector<std::string>& lines) {
  std::ofstream capture(directory.file("capture.txt"));
  capture << "0\t> (init Tovren (version 9.4))\n";
  int ms = 1;
  for (const std::string& line : lines) capture << ms++ << "\t" << line << "\n";
  return directory.file("capture.txt");
}

TEST(OnlineRun, RefusedInitAnswerSaysByeAndExitsWithOne) {
  ScratchDirectory captures[2];
  std::vector<std::unique_ptr<ServerRun>> runs;
  const char* const answers[] = {"(init l 12 before_kick_off)", "(init r 3 play_on)"};
  for (int i = 0; i < 2; ++i) {
    runs.push_back(std::make_unique<ServerRun>(writeCapture(captures[i], {answers[i]}),
                                               std::vector<std::pair<std::string, std::string>>{},
                                               std::vector<std::string>{}));
  }
  for (int i = 0; i < 2; ++i) {
    ServerRun& run = *runs[i];
    SCOPED_TRACE(answers[i]);
    ASSERT_TRUE(run.isServerUp());
    EXPECT_EQ(run.finish(kExitTimeoutMS), 1) << run.err();
    EXPECT_TRUE(contains(run.out(), "Init answer refused: ")) << run.out();
    EXPECT_FALSE(contains(run.out(), "connected")) << run.out();
    EXPECT_EQ(run.sent(), (std::vector<std::string>{"(init Tovren (version 9.4))", "(bye)"}));
  }
}

// ---------------------------------------------------------------- the cycle engine

// The recorded conversation up to this millisecond: some 60 play-on cycles, enough to
// show the player keeps in step, in half the time of the whole.
constexpr long kConversationCutMS = 12000;
// Play-on cycles in which the stand-in head decision's change_view must go out; a
// loaded machine may make the player miss a few.
constexpr double kChangeViewShare = 0.5;

// The recorded conversation of the side up to the cut, in the directory.
std::string cutConversation(const ScratchDirectory& directory, const std::string& side) {
  std::ofstream capture(directory.file(side + ".txt"));
  for (const std::string& line : readLines(fixture(side, "Tovren-2.txt"))) {
    if (std::strtol(line.c_str(), nullptr, 10) > kConversationCutMS) break;
    capture << line << "\n";
  }
  return directory.file(side + ".txt");
}

// A line of the readable log: its millisecond and its text.
struct LogLine {
  long ms = -1;
  std::string text;
};

LogLine parseLogLine(const std::string& line) {
  LogLine parsed;
  const std::string::size_type point = line.find(". ");
  if (line.rfind("  ", 0) == 0 && point != std::string::npos) {
    parsed.ms = std::strtol(line.c_str(), nullptr, 10);
    parsed.text = line.substr(point + 2);
  } else {
    parsed.text = line;
  }
  return parsed;
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}

std::size_t countOf(const std::string& text, const std::string& fragment) {
  std::size_t count = 0;
  for (auto at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1)) {
    ++count;
  }
  return count;
}

// Checks, from the player's own readable log, how it kept in step with the server's
// cycle during a whole recorded conversation, and that what it logged as sent is what
// the server received.
void expectKeptInStep(const ServerRun& run, const std::string& side,
                      const std::string& conversation) {
  SCOPED_TRACE(side);
  const std::vector<std::string> lines = readLines(run.directory.file("Tovren2.log"));
  ASSERT_FALSE(lines.empty());

  std::string playMode = "before_kick_off";
  bool blockStartsInPlayOn = false;
  std::size_t changeViews = 0;
  std::size_t bodyEmergencies = 0;
  std::size_t headEmergencies = 0;
  std::size_t playOnCycles = 0;
  std::size_t playOnCyclesWithChangeView = 0;
  std::size_t senseBodies = 0;
  std::vector<std::string> sendTexts;
  const auto closeBlock = [&](std::size_t index) {
    EXPECT_LE(changeViews, 1u) << "head group sent twice in the cycle before line " << index;
    EXPECT_LE(bodyEmergencies, 1u) << "before line " << index;
    EXPECT_LE(headEmergencies, 1u) << "before line " << index;
    if (blockStartsInPlayOn && playMode == "play_on") {
      ++playOnCycles;
      if (changeViews == 1) ++playOnCyclesWithChangeView;
    }
    changeViews = bodyEmergencies = headEmergencies = 0;
    blockStartsInPlayOn = playMode == "play_on";
  };

  for (std::size_t i = 0; i < lines.size(); ++i) {
    const LogLine line = parseLogLine(lines[i]);
    if (startsWith(line.text, "[")) {
      closeBlock(i);
      continue;
    }
    if (startsWith(line.text, "RecStr: (sense_body ")) ++senseBodies;
    if (startsWith(line.text, "RecStr: (hear ") &&
        line.text.find(" referee ") != std::string::npos) {
      playMode = line.text.substr(line.text.rfind(' ') + 1);
      playMode.pop_back();
    }
    if (line.text == "Emergency Sending bodyCycleCommand.") ++bodyEmergencies;
    if (line.text == "Emergency Sending headCycleCommand.") ++headEmergencies;
    if (startsWith(line.text, "SendStr: ")) {
      sendTexts.push_back(line.text.substr(9));
      changeViews += countOf(line.text, "(change_view ");
    }
    if (line.text == "Server does not respond in the expected time.") {
      EXPECT_EQ(i + 1, lines.size()) << "the run went on after " << lines[i];
      EXPECT_GE(line.ms, 9991);
    }
  }
  closeBlock(lines.size());

  EXPECT_EQ(parseLogLine(lines.back()).text, "Server does not respond in the expected time.");
  std::size_t recordedSenseBodies = 0;
  for (const auto& each : support::readRecording(conversation)) {
    if (!each.sent && startsWith(each.text, "(sense_body ")) ++recordedSenseBodies;
  }
  EXPECT_EQ(senseBodies, recordedSenseBodies);
  EXPECT_GT(playOnCycles, 50u);
  EXPECT_GE(playOnCyclesWithChangeView, kChangeViewShare * playOnCycles)
      << playOnCyclesWithChangeView << " of " << playOnCycles;

  // Every logged send reached the server, and nothing else went out but the init, the
  // clang version and the bye.
  std::vector<std::string> received = run.sent();
  ASSERT_GE(received.size(), 3u);
  EXPECT_EQ(received[1], "(clang (ver 7 9))");
  EXPECT_EQ(received.back(), "(bye)");
  received = std::vector<std::string>(received.begin() + 2, received.end() - 1);
  EXPECT_EQ(received, sendTexts);
}

// Replays the run's offline log and compares the offline log that the replay writes.
void expectReplaysToItself(const ServerRun& run, const std::string& side) {
  SCOPED_TRACE(side);
  ScratchDirectory replayed;
  std::filesystem::copy_file(run.directory.file("Tovren2.log.off"),
                             replayed.file("Tovren2.log.off.in"));
  EXPECT_EQ(support::runOfflinePlayer(replayed, replayed.path(), 2, kReplayTimeoutMS), 0)
      << readFile(replayed.file("err.txt"));
  const std::vector<std::string> log = readLines(replayed.file("Tovren2.log"));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(parseLogLine(log.back()).text, "End of input offline log.");

  // Byte for byte but for what the replay itself implies (each kind is explained in
  // ReplayDifferences): a sense_body recorded at 0 ms of its cycle, a hear joined to
  // the message before it recorded at that message's millisecond, and an emergency that
  // the replay's stopped clock does not repeat, with the end-of-cycle records it changes.
  const support::ReplayDifferences differences =
      support::compareReplay(support::readOfflineLog(run.directory.file("Tovren2.log.off")),
                             support::readOfflineLog(replayed.file("Tovren2.log.off")));
  EXPECT_EQ(differences.mismatch, "");
  ::testing::Test::RecordProperty(
      side + "ReplayDifferences",
      std::to_string(differences.senseBodyStamps) + " sense_body stamps, " +
          std::to_string(differences.joinedHearStamps) + " joined hear stamps, " +
          std::to_string(differences.droppedEmergencies) + " dropped emergencies, " +
          std::to_string(differences.changedEndInfs) + " changed EndInf records");
}

TEST(OnlineRun, BothSidesKeepInStepUntilTheServerStopsAndTheirOfflineLogsReplay) {
  const std::vector<std::pair<std::string, std::string>> logs = {{"LogToFile", "True"},
                                                                 {"OffLogToFile", "True"}};
  // Both conversations play at once: each takes about 21 s of real time.
  ScratchDirectory conversations;
  ServerRun left(cutConversation(conversations, "left"), logs, {});
  ServerRun right(cutConversation(conversations, "right"), logs, {});
  ASSERT_TRUE(left.isServerUp());
  ASSERT_TRUE(right.isServerUp());
  const std::optional<int> leftStatus = left.finish(kConversationEndTimeoutMS);
  const std::optional<int> rightStatus = right.finish(kConversationEndTimeoutMS);

  for (const auto& [side, run] : {std::pair<std::string, ServerRun*>{"left", &left},
                                  std::pair<std::string, ServerRun*>{"right", &right}}) {
    SCOPED_TRACE(side);
    EXPECT_EQ(side == "left" ? leftStatus : rightStatus, 0) << run->err();
    EXPECT_EQ(run->out(),
              "Player 2 connected.\n"
              "    Log: ./Tovren2.log\n"
              "    OffLog: ./Tovren2.log.off\n"
              "Server does not respond in the expected time.\n");
    expectOnlyOfflineRecords(run->directory.file("Tovren2.log.off"));
    expectKeptInStep(*run, side, conversations.file(side + ".txt"));
    expectReplaysToItself(*run, side);
  }
}

// ---------------------------------------------------------------- the decisions

// The frame sends an empty body in the first six cycles, whatever the decisions.
constexpr int kFirstDecidedCycle = 7;
// Nothing is sent from here on in the 100 ms cycle: a see or a decision that only ends
// then (a loaded machine hands over late what came in time) has no body command to show.
constexpr int kLateMS = 98;
// The server ends this soon after the conversation, so the whole run stays short.
constexpr double kShortTailSeconds = 1;

struct RecordedPlayer {
  const char* side;
  const char* file;
  const char* team;
  int uniNum;
  bool goalie;
};

// Checks one player's run of a whole conversation of the given cycles and prints its row
// of figures; its see-to-send times are added to the list.
void expectDecidedEveryCycle(const ServerRun& run, const RecordedPlayer& player, std::size_t played,
                             double cpuSeconds, std::vector<int>& seeToSendMS) {
  const std::string log =
      run.directory.file(std::string(player.team) + std::to_string(player.uniNum) + ".log");
  std::ifstream cyclesIn(log);
  const std::vector<support::PlayerCycle> cycles = support::playerCycles(cyclesIn);
  EXPECT_EQ(cycles.size(), played);
  const support::MissingBodies missing =
      support::missingBodies(cycles, kFirstDecidedCycle, kLateMS);
  EXPECT_EQ(missing.problems, std::vector<std::string>{});
  // Most cycles of a conversation have a see.
  EXPECT_GT(missing.checked, static_cast<int>(played) / 3);

  std::ifstream writesIn(log);
  EXPECT_EQ(support::nonFiniteWrites(writesIn), std::vector<std::string>{});
  const std::vector<std::string> sent = run.sent();
  ASSERT_GE(sent.size(), 3u);
  for (const std::string& datagram : sent) {
    EXPECT_EQ(support::playerCommandProblems(datagram), std::vector<std::string>{});
  }

  std::ifstream timesIn(log);
  const support::SeeToSend times = support::seeToSend(timesIn);
  seeToSendMS.insert(seeToSendMS.end(), times.ms.begin(), times.ms.end());
  std::printf("%-7s %-20s %6zu %7d %5d %5d ms %5d ms %5zu %6.2f ms\n", player.side, player.file,
              played, missing.checked, missing.late, support::percentile(times.ms, 0.5),
              support::percentile(times.ms, 0.99), times.ms.size(),
              1000.0 * cpuSeconds / static_cast<double>(played));
}

TEST(OnlineRun, EveryRecordedPlayerDecidesEachCycleItSeesAndSendsOnlyWellFormedCommands) {
  const RecordedPlayer players[] = {
      {"left", "Tovren-1-goalie.txt", "Tovren", 1, true},
      {"left", "Tovren-2.txt", "Tovren", 2, false},
      {"left", "Tovren-3.txt", "Tovren", 3, false},
      {"left", "Tovren-7.txt", "Tovren", 7, false},
      {"left", "Rival-2.txt", "Rival", 2, false},
      {"right", "Tovren-1-goalie.txt", "Tovren", 1, true},
      {"right", "Tovren-2.txt", "Tovren", 2, false},
      {"right", "Tovren-3.txt", "Tovren", 3, false},
      {"right", "Tovren-7.txt", "Tovren", 7, false},
      {"right", "Rival-2.txt", "Rival", 2, false},
  };
  // All at once: each conversation lasts about 20 s.
  std::vector<std::unique_ptr<ServerRun>> runs;
  for (const RecordedPlayer& player : players) {
    runs.push_back(std::make_unique<ServerRun>(
        fixture(player.side, player.file),
        std::vector<std::pair<std::string, std::string>>{{"LogToFile", "True"},
                                                         {"TeamName", player.team}},
        player.goalie ? std::vector<std::string>{"--goalie"} : std::vector<std::string>{},
        std::vector<std::string>{}, kShortTailSeconds));
  }
  // The CPU time of the start-up is left out of the time per cycle.
  std::vector<double> connectedCpu;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(std::string(players[i].side) + "/" + players[i].file);
    ASSERT_TRUE(runs[i]->isServerUp());
    ASSERT_TRUE(runs[i]->waitConnected(players[i].uniNum)) << runs[i]->out() << runs[i]->err();
    connectedCpu.push_back(support::processCpuSeconds(runs[i]->player->id()));
  }

  std::printf("%-7s %-20s %6s %7s %5s %8s %8s %5s %9s\n", "side", "conversation", "cycles",
              "checked", "late", "see-send", "p99", "sees", "CPU/cycle");
  std::vector<int> seeToSendMS;
  double cpuSeconds = 0;
  std::size_t cycles = 0;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const RecordedPlayer& player = players[i];
    ServerRun& run = *runs[i];
    SCOPED_TRACE(std::string(player.side) + "/" + player.file);
    // The server ends once the conversation is played; the player, still running, is
    // stopped after its CPU clock is read.
    ASSERT_TRUE(run.server.process.waitFor(kConversationEndTimeoutMS).has_value());
    const double cpu = support::processCpuSeconds(run.player->id()) - connectedCpu[i];
    run.player->signal(SIGTERM);
    EXPECT_EQ(run.player->waitFor(kExitTimeoutMS), 0);
    EXPECT_EQ(run.out(), "Player " + std::to_string(player.uniNum) + " connected.\n    Log: ./" +
                             player.team + std::to_string(player.uniNum) +
                             ".log\nTermination Handler.\n");
    EXPECT_EQ(run.err(), "");
    const std::size_t played =
        support::receivedMessages(fixture(player.side, player.file), "sense_body").size();
    expectDecidedEveryCycle(run, player, played, cpu, seeToSendMS);
    cpuSeconds += cpu;
    cycles += played;
  }
  std::printf(
      "all: see to send median %d ms, 99th percentile %d ms over %zu sees; "
      "CPU %.2f ms per cycle over %zu cycles\n",
      support::percentile(seeToSendMS, 0.5), support::percentile(seeToSendMS, 0.99),
      seeToSendMS.size(), 1000.0 * cpuSeconds / static_cast<double>(cycles), cycles);
  std::fflush(stdout);
}

}  // namespace
}  // namespace tovren
