#include "support/AgentScene.h"
#include "support/ChildProcess.h"
#include "support/ReplayScene.h"
#include "support/WorldModelScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
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
// The player ends by itself 9991 ms after start-up without a sense_body.
constexpr int kSilenceEndTimeoutMS = 40000;
// A whole recorded conversation (about 20 s) and the 9991 ms of silence after it.
constexpr int kConversationEndTimeoutMS = 90000;
constexpr int kReplayTimeoutMS = 60000;

const std::string kProgram = std::string(TOVREN_BINARY_DIR) + "/tovren";
const std::string kReplayServer =
    std::string(TOVREN_SOURCE_DIR) + "/tests/support/replay-server.py";

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

// A replay server on a free port and a player in a scratch directory whose
// configuration points at it.
class ServerRun {
 public:
  // The subdirectories are made before the player starts.
  ServerRun(const std::string& capture,
            std::vector<std::pair<std::string, std::string>> configChanges,
            const std::vector<std::string>& arguments,
            const std::vector<std::string>& subdirectories = {}) {
    // A port that was free a moment ago can be taken in between: try a few.
    for (int attempt = 0; attempt < 5 && !server; ++attempt) {
      port = support::findFreeUdpPort();
      server.emplace(
          std::vector<std::string>{"python3", kReplayServer, "--port", std::to_string(port),
                                   "--capture", capture, "--record", directory.file("record.txt"),
                                   "--tail", "60", "--timeout", "60"},
          directory.path(), directory.file("server-out.txt"), directory.file("server-err.txt"));
      // The record file appears once the server has bound its port.
      if (!waitUntil(
              [this] {
                return std::filesystem::exists(directory.file("record.txt")) ||
                       !server->isRunning();
              },
              kStartTimeoutMS) ||
          !server->isRunning()) {
        server.reset();
      }
    }
    configChanges.push_back({"HostName", "127.0.0.1"});
    configChanges.push_back({"PlayerPort", std::to_string(port)});
    directory.write("Configs/Agent.conf", agentConfigText(configChanges));
    for (const std::string& each : subdirectories) {
      std::filesystem::create_directories(directory.file(each));
    }
    std::vector<std::string> argv = {kProgram};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    player.emplace(argv, directory.path(), directory.file("out.txt"), directory.file("err.txt"));
  }

  ~ServerRun() {
    if (server) server->signal(SIGTERM);
  }

  bool isServerUp() const { return server.has_value(); }
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
  int port = 0;
  std::optional<ChildProcess> server;
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

TEST(OnlineRun, LeftPlayerAnnouncesItselfLogsAndSaysByeOnTermination) {
  ServerRun run(fixture("left", "Tovren-2.txt"),
                {{"LogToFile", "True"}, {"OffLogToFile", "True"}, {"OutputLogAddress", "logs/"}},
                {}, {"logs"});
  ASSERT_TRUE(run.isServerUp());
  ASSERT_TRUE(run.waitConnected(2)) << run.out() << run.err();
  // The server acknowledges the clang version about two seconds into the recording.
  EXPECT_TRUE(waitUntil(
      [&run] { return contains(readFile(run.directory.file("logs/Tovren2.log")), "(ok clang"); },
      kStartTimeoutMS));
  EXPECT_EQ(run.terminate(), 0) << run.err();

  const std::vector<std::string> sent = run.sent();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(sent[0], "(init Tovren (version 9.4))");
  EXPECT_EQ(sent[1], "(clang (ver 7 9))");
  EXPECT_EQ(sent.back(), "(bye)");
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "(bye)"), 1);
  EXPECT_EQ(run.out(),
            "Player 2 connected.\n"
            "    Log: logs/Tovren2.log\n"
            "    OffLog: logs/Tovren2.log.off\n"
            "Termination Handler.\n");

  const std::vector<std::string> log = readLines(run.directory.file("logs/Tovren2.log"));
  ASSERT_FALSE(log.empty());
  EXPECT_TRUE(std::regex_match(log.front(),
                               std::regex(R"(  \d{4}\. RecStr: \(init l 2 before_kick_off\))")))
      << log.front();
  EXPECT_TRUE(std::regex_match(log.back(), std::regex(R"(  \d{4,}\. Termination Handler\.)")))
      << log.back();
  const std::string text = readFile(run.directory.file("logs/Tovren2.log"));
  EXPECT_TRUE(contains(text, "Skipping message with unknown header: (ok clang (ver 7 8))"));
  EXPECT_TRUE(contains(text, "RecStr: (sense_body 0 (view_mode high normal)"));
  const std::string offline = readFile(run.directory.file("logs/Tovren2.log.off"));
  EXPECT_TRUE(contains(offline, "RecStr: (init l 2 before_kick_off)\n"));
  EXPECT_FALSE(contains(offline, "Skipping"));
  expectOnlyOfflineRecords(run.directory.file("logs/Tovren2.log.off"));
}

TEST(OnlineRun, GoalieInitCarriesTheGoalieMarkAndAnUnopenableLogIsAnnounced) {
  ServerRun run(fixture("left", "Tovren-1-goalie.txt"),
                {{"LogToFile", "True"}, {"OutputLogAddress", "missing"}}, {"--goalie"});
  ASSERT_TRUE(run.isServerUp());
  ASSERT_TRUE(run.waitConnected(1)) << run.out() << run.err();
  EXPECT_EQ(run.terminate(), 0) << run.err();

  const std::vector<std::string> sent = run.sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front(), "(init Tovren (version 9.4)(goalie))");
  EXPECT_EQ(sent.back(), "(bye)");
  EXPECT_EQ(run.out(),
            "Player 1 connected.\n"
            "    Log: missing/Tovren1.log\n"
            "Termination Handler.\n");
  EXPECT_TRUE(contains(run.err(), "missing/Tovren1.log")) << run.err();
}

TEST(OnlineRun, RightPlayerWritesItsOfflineLogToTheWorkingDirectoryForAnEmptyAddress) {
  ServerRun run(fixture("right", "Tovren-2.txt"),
                {{"OffLogToFile", "True"}, {"OutputLogAddress", ""}}, {});
  ASSERT_TRUE(run.isServerUp());
  ASSERT_TRUE(run.waitConnected(2)) << run.out() << run.err();
  EXPECT_EQ(run.terminate(), 0) << run.err();

  EXPECT_EQ(run.sent().front(), "(init Tovren (version 9.4))");
  EXPECT_EQ(run.sent().back(), "(bye)");
  EXPECT_EQ(run.out(),
            "Player 2 connected.\n"
            "    OffLog: ./Tovren2.log.off\n"
            "Termination Handler.\n");
  EXPECT_FALSE(std::filesystem::exists(run.directory.file("Tovren2.log")));
  const std::vector<std::string> offline = readLines(run.directory.file("Tovren2.log.off"));
  ASSERT_FALSE(offline.empty());
  EXPECT_TRUE(contains(offline.front(), "RecStr: (init r 2 before_kick_off)"));
  expectOnlyOfflineRecords(run.directory.file("Tovren2.log.off"));
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
  for (const char* answer : {"(init l 12 before_kick_off)", "(init r 3 play_on)"}) {
    ScratchDirectory captures;
    ServerRun run(writeCapture(captures, {answer}), {}, {});
    ASSERT_TRUE(run.isServerUp());
    EXPECT_EQ(run.finish(kExitTimeoutMS), 1) << answer << run.err();
    EXPECT_TRUE(contains(run.out(), "Init answer refused: ")) << run.out();
    EXPECT_FALSE(contains(run.out(), "connected")) << run.out();
    EXPECT_EQ(run.sent(), (std::vector<std::string>{"(init Tovren (version 9.4))", "(bye)"}));
  }
}

TEST(OnlineRun, MalformedAndRepeatedMessagesAreLoggedAndSkipped) {
  ScratchDirectory captures;
  std::vector<std::string> lines;
  for (const auto& line : support::readRecording(fixture("left", "Tovren-2.txt"))) {
    if (line.sent) continue;
    lines.push_back(line.text);
    if (lines.size() == 1) {
      lines.push_back("(init l 5 before_kick_off)");
      lines.push_back("(see 0 ((f c) 1 2)");
      lines.push_back("()");
      lines.push_back("((init) l 2)");
      lines.push_back("(sense_body 1 (view_mode high normal))");
    }
    if (lines.size() > 40) break;
  }
  lines.push_back("(think)");
  ServerRun run(writeCapture(captures, lines), {{"LogToFile", "True"}}, {});
  ASSERT_TRUE(run.isServerUp());
  ASSERT_TRUE(run.waitConnected(2)) << run.out() << run.err();
  // The whole short conversation has been played once its last message is logged.
  ASSERT_TRUE(waitUntil(
      [&run] { return contains(readFile(run.directory.file("Tovren2.log")), "RecStr: (think)"); },
      kStartTimeoutMS));
  EXPECT_EQ(run.terminate(), 0) << run.err();

  const std::string log = readFile(run.directory.file("Tovren2.log"));
  EXPECT_EQ(log.find("  "), 0u);
  EXPECT_TRUE(contains(log.substr(0, log.find('\n')), "RecStr: (init l 2 before_kick_off)"));
  EXPECT_TRUE(contains(log, "Skipping repeated init answer: (init l 5 before_kick_off)\n"));
  EXPECT_TRUE(contains(log, "Skipping malformed message: (see 0 ((f c) 1 2)\n"));
  EXPECT_TRUE(contains(log, "Skipping malformed message: ()\n"));
  EXPECT_TRUE(contains(log, "Skipping malformed message: ((init) l 2)\n"));
  EXPECT_TRUE(contains(log, "Skipping malformed sense_body: (sense_body 1"));
  EXPECT_EQ(run.out(),
            "Player 2 connected.\n"
            "    Log: ./Tovren2.log\n"
            "Termination Handler.\n");
}

// A run that played and then met the silence ends with 0 (the conversations below).
TEST(OnlineRun, ServerSilentFromTheStartEndsTheRunWithByeAndStatusOne) {
  ScratchDirectory captures;
  ServerRun run(writeCapture(captures, {"(init l 7 before_kick_off)"}), {}, {});
  ASSERT_TRUE(run.isServerUp());
  ASSERT_TRUE(run.waitConnected(7)) << run.out() << run.err();
  EXPECT_EQ(run.finish(kSilenceEndTimeoutMS), 1) << run.err();
  EXPECT_EQ(run.out(),
            "Player 7 connected.\n"
            "Server does not respond in the expected time.\n");
  EXPECT_EQ(run.sent().back(), "(bye)");
}

// ---------------------------------------------------------------- the cycle engine

// The cycle length of the recorded server (sense_body_step 100, slow_down_factor 1).
constexpr long kCycleMS = 100;
// Play-on cycles in which the stand-in head decision's change_view must go out.
constexpr double kChangeViewShare = 0.9;

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
void expectKeptInStep(const ServerRun& run, const std::string& side) {
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
  LogLine lastDecision;
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
    if (line.text == "SyncedAgent::decide" || startsWith(line.text, "Emergency Sending ")) {
      lastDecision = line;
    }
    if (line.text == "Emergency Sending bodyCycleCommand.") ++bodyEmergencies;
    if (line.text == "Emergency Sending headCycleCommand.") ++headEmergencies;
    if (startsWith(line.text, "SendStr: ")) {
      sendTexts.push_back(line.text.substr(9));
      changeViews += countOf(line.text, "(change_view ");
      // decide() looks at the clock after its log line: a line at T - 2 may still send,
      // one after it may not. The emergency's line follows its look at the clock, so it
      // gets one millisecond for the writing.
      if (lastDecision.text == "SyncedAgent::decide") {
        EXPECT_LE(lastDecision.ms, kCycleMS - 2) << lines[i];
      } else {
        EXPECT_LE(lastDecision.ms, kCycleMS - 1) << lines[i];
      }
    }
    if (line.text == "Server does not respond in the expected time.") {
      EXPECT_EQ(i + 1, lines.size()) << "the run went on after " << lines[i];
      EXPECT_GE(line.ms, 9991);
    }
  }
  closeBlock(lines.size());

  EXPECT_EQ(parseLogLine(lines.back()).text, "Server does not respond in the expected time.");
  std::size_t recordedSenseBodies = 0;
  for (const auto& each : support::readRecording(fixture(side, "Tovren-2.txt"))) {
    if (!each.sent && startsWith(each.text, "(sense_body ")) ++recordedSenseBodies;
  }
  EXPECT_EQ(senseBodies, recordedSenseBodies);
  EXPECT_GT(playOnCycles, 100u);
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
  // Both conversations play at once: each takes about 30 s of real time.
  ServerRun left(fixture("left", "Tovren-2.txt"), logs, {});
  ServerRun right(fixture("right", "Tovren-2.txt"), logs, {});
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
    expectKeptInStep(*run, side);
    expectReplaysToItself(*run, side);
  }
}

}  // namespace
}  // namespace tovren
