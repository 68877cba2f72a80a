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

// Runs the program to its end in a directory that holds the configuration text (none
// when absent), by default the shipped one.
Outcome runProgram(const std::vector<std::string>& arguments,
                   const std::optional<std::string>& configText = agentConfigText({})) {
  ScratchDirectory directory;
  if (configText) directory.write("Configs/Agent.conf", *configText);
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
         "  --coach-port portnum      : Set coach port number to connect to server\n"
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

struct UserMistake {
  const char* name;
  std::vector<std::string> arguments;
  std::optional<std::string> configText;  // none: no file
  const char* line;                       // the one line on standard error
};

// Names the case in the test list instead of its bytes.
void PrintTo(const UserMistake& mistake, std::ostream* out) { *out << mistake.name; }

class MainUserMistake : public testing::TestWithParam<UserMistake> {};

TEST_P(MainUserMistake, PrintsOneLineNamingItAndExitsWithOne) {
  const UserMistake& mistake = GetParam();
  const Outcome outcome = runProgram(mistake.arguments, mistake.configText);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, std::string(mistake.line) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Main, MainUserMistake,
    testing::Values(
        UserMistake{"WordAsPort",
                    {"--player-port", "abc"},
                    "",
                    "option --player-port: \"abc\" is not a whole number"},
        UserMistake{"NumberWithTail",
                    {"--coach-port", "12x"},
                    "",
                    "option --coach-port: \"12x\" is not a whole number"},
        UserMistake{"UnknownHost",
                    {"--host", "nosuchhost.invalid"},
                    "",
                    "Unknown host: nosuchhost.invalid"},
        UserMistake{
            "NoFile", {}, std::nullopt, "Cannot open configuration file: ./Configs/Agent.conf"},
        UserMistake{"NoEquals",
                    {},
                    "[Server]\nHostName localhost\n",
                    "./Configs/Agent.conf line 2: a setting without \"=\""},
        UserMistake{"WordInFile",
                    {},
                    "[Server]\nPlayerPort = six\n",
                    "./Configs/Agent.conf line 2, [Server] PlayerPort: \"six\" is not a whole "
                    "number"}));

}  // namespace
}  // namespace tovren
