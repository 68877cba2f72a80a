#include "support/AgentScene.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tovren {
namespace {

using support::agentConfigText;
using support::ChildProcess;
using support::readFile;
using support::ScratchDirectory;

// Generous: the sanitizer build on a slow machine starts slowly.
constexpr int kExitTimeoutMS = 30000;

const std::string kProgram = std::string(TOVREN_BINARY_DIR) + "/tovren";

struct Outcome {
  std::optional<int> status;
  std::string out;
  std::string err;
};

// Runs the program to its end in a directory that holds the shipped configuration.
Outcome runProgram(const std::vector<std::string>& arguments, bool withConfiguration = true) {
  ScratchDirectory directory;
  if (withConfiguration) directory.write("Configs/Agent.conf", agentConfigText({}));
  std::vector<std::string> argv = {kProgram};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  ChildProcess program(argv, directory.path(), directory.file("out.txt"),
                       directory.file("err.txt"));
  Outcome outcome;
  outcome.status = program.waitFor(kExitTimeoutMS);
  outcome.out = readFile(directory.file("out.txt"));
  outcome.err = readFile(directory.file("err.txt"));
  return outcome;
}

std::string usageText() {
  return "Usage : " + kProgram +
         " [Options]\n"
         "Options :\n"
         "  --goalie                  : Init agent as a goalie\n"
         "  --coach                   : Init and run as coach\n"
         "  --offline-player          : Run as offline player\n"
         "  --offline-frames          : Run as offline frames player\n"
         "  --team teamname           : Set teamname to connect to server\n"
         "  --host hostname           : Set hostname to connect to server\n"
         "  --player-port portnum     : Set player port number to connect to server\n"
         "  --coach--port portnum     : Set coach port number to connect to server\n"
         "  --number pnum             : Set player number\n"
         "\n";
}

TEST(Main, CoachAsTheFirstArgumentChoosesTheCoachRole) {
  const Outcome outcome = runProgram({"--coach"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "The coach role is not built yet.\n");
}

TEST(Main, OnlyTheWholeFirstArgumentChoosesTheCoach) {
  // The player's option parser rejects what follows; the coach would not look at it.
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--goalie", "--coach", "--bogus"}, {"--coachx", "--bogus"}}) {
    const Outcome outcome = runProgram(arguments);
    EXPECT_EQ(outcome.status, 1) << arguments[0];
    EXPECT_EQ(outcome.out, usageText()) << arguments[0];
  }
}

TEST(Main, EveryRejectedCommandLinePrintsTheUsageAndExitsWithOne) {
  const std::vector<std::vector<std::string>> rejected = {
      {"--number"},     {"--host"},       {"--player-port"},
      {"--coach-port"}, {"--team"},       {"--random-seed"},
      {"--bogus"},      {"--team=Other"}, {"--team", "Other", "--goalie", "extra"}};
  for (const auto& arguments : rejected) {
    const Outcome outcome = runProgram(arguments);
    EXPECT_EQ(outcome.status, 1) << arguments.back();
    EXPECT_EQ(outcome.out, usageText()) << arguments.back();
  }
}

TEST(Main, MissingConfigurationFileStopsAndNamesThePath) {
  const Outcome outcome = runProgram({}, false);
  ASSERT_TRUE(outcome.status.has_value());
  EXPECT_NE(*outcome.status, 0);
  EXPECT_NE(outcome.err.find("./Configs/Agent.conf"), std::string::npos) << outcome.err;
}

}  // namespace
}  // namespace tovren
