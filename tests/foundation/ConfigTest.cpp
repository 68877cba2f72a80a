#include "foundation/Config.h"

#include "foundation/Check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace tovren {
namespace {

constexpr float kFloatTolerance = 1e-6f;

// A file in the test's temporary folder, removed again at the end of the test.
class TempFile {
 public:
  TempFile(const std::string& name, const std::string& contents)
      : path(testing::TempDir() + "tovren_" + std::to_string(getpid()) + "_" + name) {
    std::ofstream(path, std::ios::binary) << contents;
  }
  ~TempFile() { std::remove(path.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::string path;
};

// An argument vector as main receives it, with the program name first.
class Arguments {
 public:
  Arguments(std::initializer_list<const char*> list) : strings(list.begin(), list.end()) {
    for (auto& text : strings) {
      pointers.push_back(text.data());
    }
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
    "TeamName = Tovren\n"
    "Rates = 1  2\t 3\n"
    "Expression = a=b = c  # note\n"
    "Empty =\n"
    "EmptyNoted =    # nothing\n"
    "[Server]\n"
    "PlayerPort = 6001\n"
    "Version=9.4\n"
    "Last = final value";

TEST(ConfigFile, ReadsCommentsHeadersGroupsKeysAndValues) {
  const TempFile conf("agent.conf", kAgentFile);
  const ConfigFile file(conf.path);

  EXPECT_EQ(file[""]["TopKey"].asString(), "top value");
  // Empty brackets name the group of the keys before any header.
  EXPECT_EQ(file[""]["EmptyGroupKey"].asString(), "e");

  const ConfigGroup& server = file["Server"];
  EXPECT_EQ(server["HostName"].asString(), "localhost");
  // The second section of the group adds to the first, and the later key wins.
  EXPECT_EQ(server["PlayerPort"].asInt(), 6001);
  EXPECT_EQ(server["Version"].asString(), "9.4");
  EXPECT_EQ(server["Last"].asString(), "final value");
  EXPECT_EQ(file[" Server "]["HostName"].asString(), "spaced");

  const ConfigGroup& pub = file["Public"];
  EXPECT_EQ(pub["TeamName"].asString(), "Tovren");
  EXPECT_EQ(pub["Expression"].asString(), "a=b = c");
}

TEST(ConfigFile, ValuesSplitIntoTokensAtRunsOfBlanksAndTabs) {
  const TempFile conf("tokens.conf", kAgentFile);
  const ConfigFile file(conf.path);
  const ConfigValue& rates = file["Public"]["Rates"];
  EXPECT_EQ(rates.asString(), "1  2\t 3");
  ASSERT_EQ(rates.size(), 3);
  EXPECT_EQ(rates.asInt(), 1);
  EXPECT_EQ(rates[1].asString(), "2");
  EXPECT_NEAR(rates[2].asFloat(), 3.0f, kFloatTolerance);
}

TEST(ConfigFile, EmptySettingStoresTheEmptyText) {
  const TempFile conf("empty.conf", kAgentFile);
  const ConfigFile file(conf.path);
  for (const char* key : {"Empty", "EmptyNoted"}) {
    const ConfigValue& value = file["Public"][key];
    EXPECT_EQ(value.asString(), "") << key;
    ASSERT_EQ(value.size(), 1) << key;
    EXPECT_EQ(value[0].asString(), "") << key;
  }
}

TEST(ConfigValue, TokensKeepEmptyOnesWhereTheTextStartsWithABlank) {
  EXPECT_EQ(ConfigValue("").size(), 1);
  const ConfigValue leading(" \ta b\t");
  ASSERT_EQ(leading.size(), 3);
  EXPECT_EQ(leading[0].asString(), "");
  EXPECT_EQ(leading[1].asString(), "a");
  EXPECT_EQ(leading[2].asString(), "b");
  EXPECT_EQ(leading.asString(), " \ta b\t");
  EXPECT_TRUE(ConfigValue("true 0").asBool());
  EXPECT_EQ(ConfigValue("r l").asChar(), 'r');
}

TEST(ConfigGroup, AddReplacesTextAndTokens) {
  ConfigGroup group;
  group.add("ball_decay", "0.94");
  group.add("Rates", "1 2 3");
  group.add("Rates", "4");
  EXPECT_NEAR(group["ball_decay"].asFloat(), 0.94f, kFloatTolerance);
  EXPECT_EQ(group["Rates"].asString(), "4");
  EXPECT_EQ(group["Rates"].size(), 1);
}

TEST(Config, AddingAKnownNameMergesTheFileIn) {
  const TempFile first("first.conf", "[Server]\nHostName = a\nPlayerPort = 6000\n");
  const TempFile second("second.conf", "[Server]\nPlayerPort = 7000\n[Extra]\nK = v\n");
  config.add("MergeTest", first.path);
  config.add("MergeTest", second.path);
  config.add("MergeTest");  // a known name stays as it is

  // Every handle reaches the one store.
  const Config other;
  const ConfigFile& file = other["MergeTest"];
  EXPECT_EQ(file["Server"]["HostName"].asString(), "a");
  EXPECT_EQ(file["Server"]["PlayerPort"].asInt(), 7000);
  EXPECT_EQ(file["Extra"]["K"].asString(), "v");
}

TEST(Config, FileSettingsReplaceDefaultsAndKeepTheOthers) {
  const TempFile conf("defaults.conf", "[Server]\nPlayerPort = 6100\n");
  config.add("DefaultsTest");
  ConfigFile& agent = config["DefaultsTest"];
  agent.addGroup("Server");
  agent["Server"].add("HostName", "localhost");
  agent["Server"].add("PlayerPort", "6000");
  agent.addGroup("Server");  // an existing group keeps its keys
  agent.setByFile(conf.path);
  EXPECT_EQ(agent["Server"]["HostName"].asString(), "localhost");
  EXPECT_EQ(agent["Server"]["PlayerPort"].asInt(), 6100);
}

TEST(ConfigFile, MalformedLinesAreUserErrorsNamingFileAndLine) {
  const std::pair<const char*, const char*> cases[] = {
      // A carriage return of a DOS line end is text.
      {"[Server]\r\nHostName = a\r\n", " line 1: a group header that does not end with \"]\""},
      {"# [x\n[Server\n", " line 2: a group header that does not end with \"]\""},
      {"HostName # = localhost\n", " line 1: a setting without \"=\""},
      {"\n \t= 5\n", " line 2: a setting without a key"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    const TempFile file("malformed.conf", text);
    try {
      ConfigFile{file.path};
      ADD_FAILURE() << "read without error";
    } catch (const UserError& error) {
      EXPECT_EQ(error.what(), file.path + message);
    }
  }
}

TEST(ConfigDeathTest, LookupsOfUnknownNamesStop) {
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
  EXPECT_DEATH(ConfigValue("").asInt(), "end != value.c_str\\(\\)");
  EXPECT_DEATH(ConfigValue("maybe").asBool(), "lower == \"true\"");
  // Only a value the user gave is a user's mistake; a default is the program's own.
  EXPECT_DEATH(ConfigValue("maybe").readBool(), "lower == \"true\"");
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

TEST_F(CommandLine, OptionsSetTheirKeys) {
  const std::string printed =
      apply({"./tovren", "--goalie", "--offline-player", "--offline-frames", "--coach", "--host",
             "10.0.0.1", "--player-port", "6100", "--coach-port", "6102", "--number", "7", "--team",
             "Rival", "--random-seed", "42"},
            true);
  EXPECT_EQ(printed, "");
  EXPECT_TRUE(agent["Public"]["IsGoalie"].asBool());
  EXPECT_EQ(agent["Public"]["IsGoalie"].asString(), "True");
  EXPECT_EQ(agent["Server"]["OfflinePlayer"].asString(), "True");
  EXPECT_EQ(agent["Server"]["OfflineFrames"].asString(), "True");
  EXPECT_EQ(agent["Server"]["HostName"].asString(), "10.0.0.1");
  EXPECT_EQ(agent["Server"]["PlayerPort"].asInt(), 6100);
  EXPECT_EQ(agent["Server"]["CoachPort"].asInt(), 6102);
  EXPECT_EQ(agent["Public"]["UniformNum"].asInt(), 7);
  EXPECT_EQ(agent["Public"]["TeamName"].asString(), "Rival");
  EXPECT_EQ(agent["Public"]["RandomSeed"].asInt(), 42);
}

TEST_F(CommandLine, NoArgumentsIsAccepted) { EXPECT_EQ(apply({"./tovren"}, true), ""); }

TEST_F(CommandLine, ValuesAreTakenAsTypedEvenWhenTheyLookLikeOptions) {
  apply({"./tovren", "--team", "--goalie", "--host", " spaced host ", "--team", "Later"}, true);
  EXPECT_EQ(agent["Public"]["TeamName"].asString(), "Later");
  EXPECT_EQ(agent["Public"]["IsGoalie"].asString(), "False");
  const ConfigValue& host = agent["Server"]["HostName"];
  EXPECT_EQ(host.asString(), " spaced host ");
  EXPECT_EQ(host.size(), 3);
  EXPECT_EQ(host[0].asString(), "");

  apply({"./tovren", "--team", "--goalie"}, true);
  EXPECT_EQ(agent["Public"]["TeamName"].asString(), "--goalie");
}

TEST_F(CommandLine, ValueOptionAsLastArgumentPrintsTheUsageText) {
  EXPECT_EQ(apply({"./tovren", "--goalie", "--number"}, false), kUsage);
  // The option before it stays applied.
  EXPECT_EQ(agent["Public"]["IsGoalie"].asString(), "True");
}

TEST_F(CommandLine, UnknownArgumentsPrintTheUsageTextAfterKeepingEarlierSettings) {
  for (const char* bad : {"--team=Rival", "--Goalie", "--gO", "-goalie", "goalie", ""}) {
    EXPECT_EQ(apply({"./tovren", "--number", "9", bad, "--team", "Never"}, false), kUsage) << bad;
    EXPECT_EQ(agent["Public"]["UniformNum"].asInt(), 9) << bad;
    EXPECT_EQ(agent["Public"]["TeamName"].asString(), "Tovren") << bad;
  }
  EXPECT_EQ(apply({"/usr/bin/player", "--bogus"}, false),
            std::string("Usage : /usr/bin/player [Options]\n") + (kUsage + 27));
}

TEST(CommandLineDeathTest, CallerEndsWithStatusOneOnABadCommandLine) {
  const auto run = [](Arguments arguments) {
    ConfigFile agent;
    agent.addGroup("Server");
    agent.addGroup("Public");
    std::exit(agent.setByArguments(arguments.argc(), arguments.argv()) ? 0 : 1);
  };
  EXPECT_EXIT(run({"./tovren", "--player-port"}), testing::ExitedWithCode(1), "");
  EXPECT_EXIT(run({"./tovren", "--number", "3"}), testing::ExitedWithCode(0), "");
}

TEST(CommandLineDeathTest, OptionForAMissingGroupStops) {
  ConfigFile bare;
  Arguments arguments{"./tovren", "--goalie"};
  EXPECT_DEATH(bare.setByArguments(arguments.argc(), arguments.argv()), "it != groups.end\\(\\)");
}

}  // namespace
}  // namespace tovren
