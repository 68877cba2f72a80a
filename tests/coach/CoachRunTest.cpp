#include "support/AgentScene.h"
#include "support/ChildProcess.h"
#include "support/ReplayServer.h"
#include "support/WorldModelScene.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The built coach against the replay server playing the recorded coach conversation.

namespace tovren {
namespace {

using support::readFile;

constexpr int kStartTimeoutMS = 20000;
constexpr int kExitTimeoutMS = 30000;
// The recording (about 17 s after the init), then the watchdog's ten seconds.
constexpr int kConversationEndTimeoutMS = 90000;

const std::string kCapture = support::fixturePath("left", "Tovren-coach.txt");

class CoachRun {
 public:
  explicit CoachRun(std::vector<std::pair<std::string, std::string>> changes)
      : server(dir.path(), {"--capture", kCapture, "--record", dir.file("record.txt"), "--tail",
                            "60", "--timeout", "60"}) {
    if (server.getPort() == 0) return;
    changes.push_back({"HostName", "127.0.0.1"});
    changes.push_back({"CoachPort", std::to_string(server.getPort())});
    dir.write("Configs/Agent.conf", support::agentConfigText(changes));
    std::filesystem::copy_file(std::string(TOVREN_SOURCE_DIR) + "/Configs/OurTypesRates.conf",
                               dir.file("Configs/OurTypesRates.conf"));
    coach.emplace(std::vector<std::string>{std::string(TOVREN_BINARY_DIR) + "/tovren", "--coach"},
                  dir.path(), dir.file("out.txt"), dir.file("err.txt"));
  }
  ~CoachRun() { server.process.signal(SIGTERM); }

  // Whether the server and the coach have started; otherwise why not.
  ::testing::AssertionResult started() const {
    if (coach) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "The replay server did not start: " << server.errors();
  }

  // (ms after the init, text) of every datagram the coach sent.
  std::vector<std::pair<long, std::string>> sent() const {
    std::vector<std::pair<long, std::string>> all;
    for (const std::string& line : support::readLines(dir.file("record.txt"))) {
      all.emplace_back(std::stol(line), line.substr(line.find('\t') + 1));
    }
    return all;
  }
  bool hasSent(const std::string& prefix) const {
    return readFile(dir.file("record.txt")).find("\t" + prefix) != std::string::npos;
  }
  std::string out() const { return readFile(dir.file("out.txt")); }

  support::ScratchDirectory dir;
  support::ReplayServer server;
  std::optional<support::ChildProcess> coach;
};

TEST(CoachRun, AsksForTheGlobalViewSetsOurTypesSaysByeOnTerminationAndEndsOnSilence) {
  CoachRun terminated({{"LogToFile", "True"}, {"OffLogToFile", "True"}});
  CoachRun silent({});
  ASSERT_TRUE(terminated.started());
  ASSERT_TRUE(silent.started());
  // Eleven runs of the own types after the first view make every change there is.
  ASSERT_TRUE(support::waitUntil(
      [&] {
        return terminated.hasSent("(eye on)") &&
               support::linesWith(readFile(terminated.dir.file("TovrenC.log")),
                                  "RecStr: (see_global")
                       .size() >= 12;
      },
      kStartTimeoutMS))
      << terminated.out();
  terminated.coach->signal(SIGTERM);
  EXPECT_EQ(terminated.coach->waitFor(kExitTimeoutMS), 0);
  EXPECT_EQ(terminated.out(),
            "Coach is connected.\n    Log: ./TovrenC.log\n    OffLog: "
            "./TovrenC.log.off\nTermination Handler.\n");
  support::waitUntil([&] { return terminated.hasSent("(bye)"); }, kStartTimeoutMS);
  const auto sent = terminated.sent();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(sent.front().second, "(init Tovren (version 9.4))");
  EXPECT_EQ(sent.back().second, "(bye)");
  std::set<std::string> changed, types;
  for (const auto& [ms, text] : sent) {
    EXPECT_TRUE(text != "(eye on)" || ms >= 1500) << ms;
    EXPECT_EQ(text.find("(say"), std::string::npos) << text;
    // One change a datagram, each own field player once, never the goalie; the recorded
    // server allows one player of a type ("pt_max" 1), and all start with type 0.
    if (text.rfind("(change_player_type ", 0) != 0) continue;
    EXPECT_EQ(text.find(')'), text.size() - 1) << text;
    EXPECT_TRUE(changed.insert(text.substr(0, text.rfind(' '))).second) << text;
    EXPECT_TRUE(types.insert(text.substr(text.rfind(' '))).second) << text;
  }
  EXPECT_FALSE(changed.empty());
  EXPECT_EQ(changed.count("(change_player_type 1"), 0u);
  EXPECT_EQ(types.count(" 0)"), 0u);

  EXPECT_EQ(silent.coach->waitFor(kConversationEndTimeoutMS), 0);
  EXPECT_EQ(silent.out(), "Coach is connected.\nServer does not respond in the expected time.\n");
  support::waitUntil([&] { return silent.hasSent("(bye)"); }, kStartTimeoutMS);
  const auto silentSent = silent.sent();
  ASSERT_FALSE(silentSent.empty()) << "The silent server recorded nothing from the coach";
  EXPECT_EQ(silentSent.back().second, "(bye)");
  long initMS = 0, lastServerMS = 0;
  for (const auto& line : support::readRecording(kCapture)) {
    if (line.sent && line.text.rfind("(init", 0) == 0) initMS = line.ms;
    if (!line.sent) lastServerMS = line.ms - initMS;
  }
  const long silence = silentSent.back().first - lastServerMS;
  EXPECT_TRUE(silence >= 9500 && silence <= 30000) << silence;
}

}  // namespace
}  // namespace tovren
