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
  if (configText) {
    directory.write("Configs/Agent.conf", *configText);
    support::copyPlayerValueFiles(directory.path());
  }
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

// The command line and the configuration files are read by the configuration; here,
// once for each path through main, what the user sees of them.
TEST(Main, FirstArgumentAloneChoosesTheCoachRole) {
  // Only the coach reads the type rates, which this directory lacks.
  const Outcome coach = runProgram({"--coach"});
  EXPECT_EQ(coach.status, 1);
  EXPECT_EQ(coach.err, "Cannot open configuration file: ./Configs/OurTypesRates.conf\n");
  // The player's option parser rejects what follows; the coach would not look at it.
  const Outcome player = runProgram({"--goalie", "--coach", "--bogus"});
  EXPECT_EQ(player.status, 1);
  EXPECT_EQ(player.out, usageText());
}

// The player's own verdict on its run becomes the exit status: here an init answer it
// cannot live with, replayed without a server.
TEST(Main, RefusedInitAnswerEndsThePlayerWithStatusOne) {
  ScratchDirectory input;
  input.write("Tovren2.log.off.in", "  0003. RecStr: (init l 12 before_kick_off)\n");
  const Outcome outcome = runProgram({"--offline-player", "--number", "2"},
                                     agentConfigText({{"InputLogAddress", input.path()}}));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "Init answer refused: uniform number 12 is outside 1 to 11.\n");
}

TEST(Main, UsersMistakePrintsOneLineNamingItAndExitsWithOne) {
  struct Case {
    std::vector<std::string> arguments;
    std::optional<std::string> configText;  // none: no file
    const char* line;
  };
  const Case cases[] = {
      {{"--player-port", "abc"}, "", "option --player-port: \"abc\" is not a whole number"},
      {{"--player-port", "70000"},
       "",
       "option --player-port: \"70000\" is not between 1 and 65535"},
      {{"--coach", "--coach-port", "-1"},
       "",
       "option --coach-port: \"-1\" is not between 1 and 65535"},
      {{"--coach"},
       "[Server]\nCoachPort = 0\n",
       "./Configs/Agent.conf line 2, [Server] CoachPort: \"0\" is not between 1 and 65535"},
      {{"--host", "nosuchhost.invalid"}, "", "Unknown host: nosuchhost.invalid"},
      {{}, std::nullopt, "Cannot open configuration file: ./Configs/Agent.conf"},
      {{},
       "[Server]\nPlayerPort = six\n",
       "./Configs/Agent.conf line 2, [Server] PlayerPort: \"six\" is not a whole number"},
      {{},
       "[Server]\nBackDashRate = 1.01\n",
       "./Configs/Agent.conf line 2, [Server] BackDashRate: \"1.01\" is not between 0 and 1"},
      {{},
       "[Server]\nMaxCatchAngle = ninety\n",
       "./Configs/Agent.conf line 2, [Server] MaxCatchAngle: \"ninety\" is not a number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const Outcome outcome = runProgram(c.arguments, c.configText);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, std::string(c.line) + "\n");
  }
}

}  // namespace
}  // namespace tovren
