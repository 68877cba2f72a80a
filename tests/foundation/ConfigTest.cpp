#include "foundation/Config.h"

#include "foundation/Check.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace tovren {
namespace {

constexpr float kFloatTolerance = 1e-6f;

// An argument vector as main receives it, with the program name first.
class Arguments {
 public:
  Arguments(std::initializer_list<const char*> list) : strings(list.begin(), list.end()) {
    for (auto& text : strings) pointers.push_back(text.data());
    pointers.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(strings.size()); }
  char** argv() { return pointers.data(); }

 private:
  std::vector<std::string> strings;
  std::vector<char*> pointers;
};

const char* const kUsage =
    "Usage : ./tovren [Options]\n"
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

// Every rule of the file syntax in one file; the last line has no newline.
const char* const kAgentFile =
    "# comment line\n"
    "   # indented comment\n"
    " \t \t\n"
    "\n"
    "x\n"
    "TopKey = top value   # before any header\n"
    "[Server]   # header with a comment\n"
    "HostName = localhost\n"
    "PlayerPort = 6000\n"
    "[ Server ]\n"
    "HostName = spaced\n"
    "[]\n"
    "EmptyGroupKey\t=\te\n"
    "[Public]\n"
    "Rates = 1  2\t 3\n"
    "Expression = a=b = c  # note\n"
    "Empty =\n"
    "EmptyNoted =    # nothing\n"
    "[Server]\n"
    "PlayerPort = 6001\n"
    "Last = final value";

TEST(ConfigFile, ReadsCommentsHeadersGroupsKeysAndValues) {
  support::ScratchDirectory directory;
  directory.write("agent.conf", kAgentFile);
  const ConfigFile file(directory.file("agent.conf"));
  const struct {
    const char *group, *key, *text;
  } settings[] = {
      {"", "TopKey", "top value"},
      {"", "EmptyGroupKey", "e"},  // empty brackets name the group before any header
      {"Server", "HostName", "localhost"},
      {"Server", "PlayerPort", "6001"},  // a later section adds to the group, later key wins
      {"Server", "Last", "final value"},
      {" Server ", "HostName", "spaced"},
      {"Public", "Expression", "a=b = c"},
      {"Public", "Rates", "1  2\t 3"},
      {"Public", "Empty", ""},
      {"Public", "EmptyNoted", ""},
  };
  for (const auto& s : settings) {
    EXPECT_EQ(file[s.group][s.key].asString(), s.text) << "[" << s.group << "] " << s.key;
  }
  const ConfigValue& rates = file["Public"]["Rates"];
  ASSERT_EQ(rates.size(), 3);
  EXPECT_EQ(rates.asInt(), 1);
  EXPECT_EQ(rates[1].asString(), "2");
  EXPECT_NEAR(rates[2].asFloat(), 3.0f, kFloatTolerance);
  EXPECT_EQ(file["Public"]["Empty"].size(), 1);
}

TEST(ConfigValue, TokensSplitAtRunsOfBlanksKeepingALeadingEmptyOne) {
  const ConfigValue leading(" \ta b\t");
  ASSERT_EQ(leading.size(), 3);
  EXPECT_EQ(leading[0].asString(), "");
  EXPECT_EQ(leading[2].asString(), "b");
  EXPECT_TRUE(ConfigValue("true 0").asBool());
  EXPECT_EQ(ConfigValue("r l").asChar(), 'r');
  ConfigGroup group;
  group.add("Rates", "1 2 3");
  group.add("Rates", "4");
  EXPECT_EQ(group["Rates"].size(), 1);
}

TEST(Config, FilesMergeIntoTheOneStoreOverDefaults) {
  support::ScratchDirectory directory;
  directory.write("first.conf", "[Server]\nHostName = a\nPlayerPort = 6000\n");
  directory.write("second.conf", "[Server]\nPlayerPort = 7000\n[Extra]\nK = v\n");
  config.add("MergeTest");
  config["MergeTest"].addGroup("Server");
  config["MergeTest"]["Server"].add("CoachPort", "6002");
  config["MergeTest"].addGroup("Server");  // an existing group keeps its keys
  config.add("MergeTest", directory.file("first.conf"));
  config.add("MergeTest", directory.file("second.conf"));
  config.add("MergeTest");  // a known name stays as it is
  // Every handle reaches the one store.
  const ConfigFile& file = Config()["MergeTest"];
  EXPECT_EQ(file["Server"]["CoachPort"].asInt(), 6002);
  EXPECT_EQ(file["Server"]["HostName"].asString(), "a");
  EXPECT_EQ(file["Server"]["PlayerPort"].asInt(), 7000);
  EXPECT_EQ(file["Extra"]["K"].asString(), "v");
}

TEST(ConfigFile, UsersMistakesNameFileLineGroupAndKeyOrTheOption) {
  support::ScratchDirectory directory;
  const std::string path = directory.file("m.conf");
  // Reads the file, then the three settings as the program reads them.
  const auto read = [&directory](const char* text) -> std::function<void()> {
    return [&directory, text] {
      directory.write("m.conf", text);
      const ConfigFile file(directory.file("m.conf"));
      file["Server"]["PlayerPort"].readInt(1, 65535);
      file["Server"]["Ratio"].readFloat(1);
      file["Server"]["Flag"].readBool();
    };
  };
  const auto need = [&directory](const char* text, const char* group,
                                 const char* key) -> std::function<void()> {
    return [&directory, text, group, key] {
      directory.write("m.conf", text);
      ConfigFile(directory.file("m.conf")).need(group, key);
    };
  };
  const auto apply = [](const char* option, const char* value) -> std::function<void()> {
    return [option, value] {
      ConfigFile agent;
      agent.addGroup("Server");
      agent.addGroup("Public");
      Arguments arguments{"./tovren", option, value};
      agent.setByArguments(arguments.argc(), arguments.argv());
    };
  };
  const struct Case {
    std::function<void()> act;
    std::string message;  // after the file's path where it starts with a blank or a colon
  } cases[] = {
      // A carriage return of a DOS line end is text.
      {read("[Server]\r\nHostName = a\r\n"),
       " line 1: a group header that does not end with \"]\""},
      {read("# [x\n[Server\n"), " line 2: a group header that does not end with \"]\""},
      {read("HostName # = localhost\n"), " line 1: a setting without \"=\""},
      {read("\n \t= 5\n"), " line 2: a setting without a key"},
      {read("[Server]\nPlayerPort = six\n"),
       " line 2, [Server] PlayerPort: \"six\" is not a whole number"},
      {read("[Server]\nPlayerPort = 1\nRatio = 1 x\n"),
       " line 3, [Server] Ratio: \"x\" is not a number"},
      {read("[Server]\nPlayerPort = 0\n"),
       " line 2, [Server] PlayerPort: \"0\" is not between 1 and 65535"},
      {read("[Server]\nPlayerPort = 65535\nRatio = 1 x\n"),
       " line 3, [Server] Ratio: \"x\" is not a number"},
      {read("[Server]\nPlayerPort = 65536\n"),
       " line 2, [Server] PlayerPort: \"65536\" is not between 1 and 65535"},
      {read("[Server]\nPlayerPort = 1\nRatio = 1 2\nFlag = maybe\n"),
       " line 4, [Server] Flag: \"maybe\" is not true, false, 1 or 0"},
      {need("[Server]\nPlayerPort = 1\n", "Server", "Ratio"), ": [Server] Ratio is missing"},
      {need("[Server]\nPlayerPort = 1\n", "Public", "PlayerPort"),
       ": [Public] PlayerPort is missing"},
      {[&directory] { ConfigFile(directory.file("none.conf")); },
       "Cannot open configuration file: " + directory.file("none.conf")},
      {apply("--player-port", "abc"), "option --player-port: \"abc\" is not a whole number"},
      {apply("--number", "12x"), "option --number: \"12x\" is not a whole number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      c.act();
      ADD_FAILURE() << "no error";
    } catch (const UserError& error) {
      EXPECT_EQ(error.what(),
                c.message[0] == ' ' || c.message[0] == ':' ? path + c.message : c.message);
    }
  }
}

TEST(ConfigDeathTest, LookupsOfUnknownNamesAndTheProgramsOwnBadValuesStop) {
  config.add("LookupTest");
  config["LookupTest"].addGroup("Public");
  config["LookupTest"]["Public"].add("Rates", "1 2");
  const Config& store = config;
  EXPECT_DEATH(store["NoSuchConfig"], "it != files.end\\(\\)");
  EXPECT_DEATH(store["LookupTest"]["NoSuchGroup"], "it != groups.end\\(\\)");
  EXPECT_DEATH(store["LookupTest"]["Public"]["NoSuchKey"], "it != values.end\\(\\)");
  const ConfigValue& rates = store["LookupTest"]["Public"]["Rates"];
  EXPECT_DEATH(rates[2], "i >= 0 && i < size\\(\\)");
  EXPECT_DEATH(rates[-1], "i >= 0 && i < size\\(\\)");
  // Only a value the user gave is a user's mistake; a default is the program's own.
  EXPECT_DEATH(ConfigValue("maybe").readBool(), "lower == \"true\"");
  ConfigFile bare;
  Arguments arguments{"./tovren", "--goalie"};
  EXPECT_DEATH(bare.setByArguments(arguments.argc(), arguments.argv()), "it != groups.end\\(\\)");
}

class CommandLine : public testing::Test {
 protected:
  CommandLine() {
    agent.addGroup("Server");
    agent.addGroup("Public");
    agent["Public"].add("TeamName", "Tovren");
    agent["Public"].add("IsGoalie", "False");
  }

  // Applies the arguments and returns what was printed.
  std::string apply(Arguments arguments, bool expected) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(agent.setByArguments(arguments.argc(), arguments.argv()), expected);
    return testing::internal::GetCapturedStdout();
  }

  ConfigFile agent;
};

TEST_F(CommandLine, OptionsSetTheirKeysTakingValuesAsTyped) {
  EXPECT_EQ(apply({"./tovren"}, true), "");
  EXPECT_EQ(apply({"./tovren", "--goalie", "--offline-player", "--offline-frames", "--coach",
                   "--host", " spaced host ", "--player-port", "6100", "--coach-port", "6102",
                   "--number", "7", "--team", "--goalie", "--random-seed", "42"},
                  true),
            "");
  const struct {
    const char *group, *key, *text;
  } settings[] = {{"Public", "IsGoalie", "True"},      {"Server", "OfflinePlayer", "True"},
                  {"Server", "OfflineFrames", "True"}, {"Server", "HostName", " spaced host "},
                  {"Server", "PlayerPort", "6100"},    {"Server", "CoachPort", "6102"},
                  {"Public", "UniformNum", "7"},       {"Public", "TeamName", "--goalie"},
                  {"Public", "RandomSeed", "42"}};
  for (const auto& s : settings) EXPECT_EQ(agent[s.group][s.key].asString(), s.text) << s.key;
  EXPECT_EQ(agent["Server"]["HostName"].size(), 3);
  apply({"./tovren", "--team", "A", "--team", "Later"}, true);
  EXPECT_EQ(agent["Public"]["TeamName"].asString(), "Later");
}

TEST_F(CommandLine, UnknownArgumentsAndAMissingValuePrintTheUsageKeepingEarlierSettings) {
  for (const char* bad : {"--team=Rival", "--Goalie", "--gO", "-goalie", "goalie", ""}) {
    EXPECT_EQ(apply({"./tovren", "--number", "9", bad, "--team", "Never"}, false), kUsage) << bad;
    EXPECT_EQ(agent["Public"]["UniformNum"].asInt(), 9) << bad;
    EXPECT_EQ(agent["Public"]["TeamName"].asString(), "Tovren") << bad;
  }
  EXPECT_EQ(apply({"./tovren", "--goalie", "--number"}, false), kUsage);
  EXPECT_EQ(agent["Public"]["IsGoalie"].asString(), "True");
  EXPECT_EQ(apply({"/usr/bin/player", "--bogus"}, false),
            std::string("Usage : /usr/bin/player [Options]\n") + (kUsage + 27));
}

}  // namespace
}  // namespace tovren
