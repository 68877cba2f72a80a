#include "support/MatchLog.h"

#include "support/ChildProcess.h"
#include "support/RealServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

// The checks of the match test on crafted server and readable logs.

namespace tovren {
namespace {

using support::ServerLogLine;
using Problems = std::vector<std::string>;

std::vector<ServerLogLine> serverLog(const std::string& text) {
  std::istringstream in(text);
  return support::readServerLog(in);
}

// Kick-off at 0, play_on over cycles 2 to 5 and at 8; a free kick at 6 and 7.
const char* const kHalf =
    "0,4\tRecv A_1: (dash 10)\n"
    "0,9\t(referee kick_off_l)\n"
    "1,0\tRecv A_1: (kick 100 0)\n"
    "1,0\tRecv B_1: (kick 100 0)\n"
    "2,0\t(referee play_on)\n"
    "2,0\tRecv A_1: (dash 80)(turn_neck 10)\n"
    "2,0\tRecv A_2: (turn_neck 10)\n"
    "not a line of the log\n"
    "3,0\tRecv A_1: (turn_neck 10)\n"
    "5,0\tRecv A_1: (turn 30)\n"
    "6,0\t(referee free_kick_r)\n"
    "7,0\tRecv A_1: (dash 10)\n"
    "8,0\t(referee play_on)\n"
    "8,0\tRecv A_2: (kick 10 0)\n"
    "8,0\tRecv B_Coach: (kick 10 0)\n"
    "9,0\t(referee time_over)\n";

TEST(MatchLog, CoverageCountsPlayOnCyclesWithCommandsAndTheLongestSilence) {
  struct Case {
    const char* sender;
    int withCommand;
    int withBody;
    int longestSilence;
    int silenceFrom;
  };
  const Case cases[] = {
      // A turn_neck is no body command; the run at 8 starts anew after the free kick.
      {"A_1", 3, 2, 1, 4},
      {"A_2", 2, 1, 3, 3},
      {"A_3", 0, 0, 4, 2},
  };
  const std::vector<ServerLogLine> lines = serverLog(kHalf);
  const std::set<int> playOn = support::playOnCycles(lines);
  EXPECT_EQ(playOn, (std::set<int>{2, 3, 4, 5, 8}));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sender);
    const support::Coverage got = support::coverage(lines, c.sender, playOn);
    EXPECT_EQ(got.playOn, 5);
    EXPECT_EQ(got.withCommand, c.withCommand);
    EXPECT_EQ(got.withBody, c.withBody);
    EXPECT_EQ(got.longestSilence, c.longestSilence);
    EXPECT_EQ(got.silenceFrom, c.silenceFrom);
  }
}

TEST(MatchLog, CoverageProblemsAtTheirBounds) {
  struct Case {
    const char* name;
    const char* sender;
    double leastShare;
    int mostSilent;
    Problems expected;
  };
  const Case cases[] = {
      {"share and silence at their bounds", "A_1", 0.6, 1, {}},
      {"share below",
       "A_1",
       0.61,
       -1,
       {"A_1 sent a command in 3 of 5 play_on cycles, fewer than 61%"}},
      {"silence above",
       "A_2",
       0.4,
       2,
       {"A_2 was silent for 3 play_on cycles in a row from cycle 3 (at most 2 allowed)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(support::coverageProblems(serverLog(kHalf), {c.sender}, c.leastShare, c.mostSilent),
              c.expected);
  }
}

TEST(MatchLog, KicksCountInPlayOnOnlyAndForTheSendersTeam) {
  const std::vector<ServerLogLine> lines = serverLog(kHalf);
  EXPECT_TRUE(support::kickedInPlayOn(lines, "A"));
  // B's player kicked at the kick-off only; B's coach cannot kick.
  EXPECT_FALSE(support::kickedInPlayOn(lines, "B"));
}

TEST(MatchLog, SendersThatNeverSentOrDidNotEndWithBye) {
  const std::vector<ServerLogLine> lines = serverLog(
      "0,1\tRecv A_1: (init A (version 9.4))\n"
      "0,1\tRecv A_2: (init A (version 9.4))\n"
      "300,2\tRecv A_1: (bye)\n"
      "300,2\tRecv A_2: (bye)\n"
      "300,2\tRecv A_2: (change_view normal high)\n");
  EXPECT_EQ(support::missingSenders(lines, {"A_1", "A_2", "A_Coach"}),
            (Problems{"A_Coach never sent anything"}));
  EXPECT_EQ(support::lastNotBye(lines, {"A_1", "A_2", "A_Coach"}),
            (Problems{"A_2's last datagram was (change_view normal high), not (bye)",
                      "A_Coach's last datagram was none, not (bye)"}));
}

TEST(MatchLog, CommandsWithNanOrInfNumbers) {
  struct Case {
    const char* text;
    bool bad;
  };
  const Case cases[] = {
      {"(dash nan)", true},      {"(turn_neck 10)(turn -inf)", true},
      {"(kick 100 -NaN)", true}, {"(dash 80.5)(turn_neck -10)", false},
      {"(say infonan)", false},  {"(say \"nan(\")(turn_neck 1)", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Problems got =
        support::nonFiniteCommands(serverLog(std::string("7,0\tRecv A_4: ") + c.text + "\n"));
    EXPECT_EQ(got, c.bad ? Problems{std::string("A_4 at cycle 7: ") + c.text} : Problems{});
  }
}

TEST(MatchLog, PlayerDatagramsAreCommandsOfTheShapesThePlayerSends) {
  struct Case {
    const char* datagram;
    const char* problem;  // the first one; null: none
  };
  const Case cases[] = {
      {"(dash 80.00)(turn_neck -10.00)(change_view normal high)(say \"(a)b\")"
       "(attentionto our 11)(pointto 3.00 -40.00)",
       nullptr},
      {"(kick 100.00 -30.00)(change_view wide)(attentionto off)(pointto off)", nullptr},
      {"(init Tovren (version 9.4)(goalie))", nullptr},
      {"(clang (ver 7 9))", nullptr},
      {"(bye)", nullptr},
      // Ten characters is the longest say.
      {"(say \"nan()inf))\")", nullptr},
      {"(say \"nan()inf)))\")", "arguments of say: "},
      {"(dash nan)", "nan or inf: "},
      {"(move 1.00 inf)", "nan or inf: "},
      {"(turn 1.0x)", "arguments of turn: "},
      {"(kick 100.00)", "arguments of kick: "},
      {"(change_view high)", "arguments of change_view: "},
      {"(attentionto our 12)", "arguments of attentionto: "},
      {"(attentionto our 0)", "arguments of attentionto: "},
      {"(tackle 50.00)(done)", "unknown command done: "},
      {"(dash 80.00) x", "not a list of commands: "},
      {"(dash 80.00)(turn_neck 10.00", "not a list of commands: "},
      {"(say \"ab)", "not a list of commands: "},
      {"((dash) 80.00)", "not a list of commands: "},
      {"", "not a list of commands: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.datagram);
    const Problems got = support::playerCommandProblems(c.datagram);
    if (c.problem == nullptr) {
      EXPECT_EQ(got, Problems{});
    } else {
      ASSERT_FALSE(got.empty());
      EXPECT_EQ(got[0], c.problem + std::string(c.datagram));
    }
  }
  const auto commands = support::parseCommands("(say \"(kick)\")(init A (version 9.4))");
  ASSERT_TRUE(commands.has_value());
  ASSERT_EQ(commands->size(), 2u);
  EXPECT_EQ((*commands)[0].arguments, (Problems{"\"(kick)\""}));
  EXPECT_EQ((*commands)[1].arguments, (Problems{"A", "(version 9.4)"}));
  EXPECT_EQ(support::commandNames("(dash 10)(say \"(kick)\")"), (Problems{"dash", "say"}));
}

TEST(MatchLog, CyclesWithASeeOrADecisionButNoBodyCommand) {
  std::istringstream log(
      "  0000. RecStr: (sense_body 1 (view_mode high normal) (tackle (expires 0) (count 0)))\n"
      "  0040. RecStr: (see 1 ((b) 10 0))\n"
      "  0101. End of cycle.\n"
      "\n[0002]\n"
      "  0000. RecStr: (sense_body 2 (tackle (expires 0) (count 0)))\n"
      "  0040. RecStr: (see 2 ((b) 10 0))\n"
      "  0040. AdvancedAgent::bodyDecide\n"
      "  0042. SendStr: (turn_neck 5.00)(say \"(dash\")\n"
      "  0099. RecStr: (see 2 ((b) 10 0))\n"
      "  0000. RecStr: (sense_body 3 (tackle (expires 0) (count 0)))\n"
      "  0089. RecStr: (see 3 ((b) 10 0))\n"
      "  0091. Emergency Sending bodyCycleCommand.\n"
      "  0091. SendStr: (dash 50.00)\n"
      "  0000. RecStr: (sense_body 4 (tackle (expires 3) (count 1)))\n"
      "  0030. RecStr: (see 4 ((b) 10 0))\n"
      "  0000. RecStr: (sense_body 5 (tackle (expires 0) (count 1)))\n"
      "  0091. SendStr: (turn_neck 5.00)\n"
      "  0095. RecStr: (see 5 ((b) 10 0))\n"
      "  0095. AdvancedAgent::bodyDecide\n"
      "  0098. Defense::execute\n"
      "  0000. RecStr: (sense_body 6 (tackle (expires 0) (count 1)))\n"
      "  0000. AdvancedAgent::bodyDecide\n"
      "  0000. RecStr: (sense_body 7 (tackle (expires 0) (count 1)))\n"
      "  0091. SendStr: (turn_neck 5.00)\n"
      "  0000. RecStr: (sense_body 8 (tackle (expires 0) (count 1)))\n"
      "  0002. SendStr: (turn_neck 5.00)\n"
      "  0099. RecStr: (see 8 ((b) 10 0))\n"
      "  0101. End of cycle.\n");
  const std::vector<support::PlayerCycle> cycles = support::playerCycles(log);
  ASSERT_EQ(cycles.size(), 8u);
  EXPECT_EQ(cycles[0].lastMS, 40);
  EXPECT_EQ(cycles[1].seeMS, 40);
  EXPECT_EQ(cycles[3].tackleExpires, 3);

  struct Case {
    int firstCycle;
    int lateMS;
    Problems problems;
    int checked;
    int late;
  };
  const Case cases[] = {
      // The fourth is held by a tackle, the seventh neither saw nor decided; the fifth
      // decided too late to send and the eighth saw too late to decide. The second sent
      // after its decision, so its late see is no excuse.
      {2,
       98,
       {"cycle 2: see at 40 ms, decided, no body command sent",
        "cycle 6: no see, decided, no body command sent"},
       5,
       2},
      {1,
       99,
       {"cycle 1: see at 40 ms, not decided, no body command sent",
        "cycle 2: see at 40 ms, decided, no body command sent",
        "cycle 5: see at 95 ms, decided, no body command sent",
        "cycle 6: no see, decided, no body command sent"},
       6,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lateMS);
    const support::MissingBodies got = support::missingBodies(cycles, c.firstCycle, c.lateMS);
    EXPECT_EQ(got.problems, c.problems);
    EXPECT_EQ(got.checked, c.checked);
    EXPECT_EQ(got.late, c.late);
  }
}

TEST(MatchLog, CoachChangesAgainstWhatTheServerAllows) {
  struct Case {
    const char* name;
    std::string serverLog;
    std::string coachLog;
    Problems expected;
  };
  const std::string kickOff = "0,9\t(referee kick_off_l)\n";
  const Case cases[] = {
      {"before kick-off, another coach's changes apart",
       "0,3\tRecv A_Coach: (change_player_type 2 11)(change_player_type 3 12)\n"
       "0,3\tRecv B_Coach: (change_player_type 2 11)\n" +
           kickOff,
       "  0003. SendStr: (change_player_type 2 11)(change_player_type 3 12)\n",
       {}},
      {"three after kick-off",
       kickOff + "5,0\tRecv A_Coach: (change_player_type 2 11)(change_player_type 3 12)\n" +
           "6,0\tRecv A_Coach: (change_player_type 4 13)\n",
       "  0003. SendStr: (change_player_type 2 11)(change_player_type 3 12)\n"
       "  0003. SendStr: (change_player_type 4 13)\n",
       {}},
      {"four after kick-off",
       kickOff + "5,0\tRecv A_Coach: (change_player_type 2 11)(change_player_type 3 12)\n" +
           "6,0\tRecv A_Coach: (change_player_type 4 13)(change_player_type 5 14)\n",
       "  0003. SendStr: (change_player_type 2 11)(change_player_type 3 12)\n"
       "  0003. SendStr: (change_player_type 4 13)(change_player_type 5 14)\n",
       {"A_Coach changed 4 player types after kick-off, more than the 3 allowed"}},
      {"no own player, no known type",
       "0,3\tRecv A_Coach: (change_player_type 12 1)(change_player_type 2 18)\n",
       "  0003. SendStr: (change_player_type 12 1)(change_player_type 2 18)\n",
       {"A_Coach at cycle 0 changed what is not its own player or a known type: "
        "(change_player_type 12 1)",
        "A_Coach at cycle 0 changed what is not its own player or a known type: "
        "(change_player_type 2 18)"}},
      {"lost and refused",
       "0,3\tRecv A_Coach: (change_player_type 2 17)\n",
       "  0003. SendStr: (change_player_type 2 17)\n"
       "  0004. Skipping message with unknown header: (warning max_of_that_type_on_field)\n"
       "  0005. SendStr: (change_player_type 3 17)\n"
       "  0006. Skipping message with unknown header: (warning max_of_that_type_on_field)\n",
       {"A_Coach was refused 2 times: (warning max_of_that_type_on_field)",
        "A_Coach sent 2 change_player_type commands, the server's log holds 1"}},
  };
  const std::string conf = "player::player_types = 18\nplayer::subs_max = 3\n";
  support::ChangeLimits limits;
  limits.playerTypes = support::serverSetting(conf, "player_types");
  limits.subsMax = support::serverSetting(conf, "subs_max");
  ASSERT_EQ(limits.playerTypes, 18);
  ASSERT_EQ(limits.subsMax, 3);
  EXPECT_EQ(support::serverSetting(conf, "pt_max"), -1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::istringstream coachLog(c.coachLog);
    EXPECT_EQ(support::coachChangeProblems(serverLog(c.serverLog), "A", coachLog, limits),
              c.expected);
  }
}

TEST(MatchLog, SeeToSendTakesTheFirstSendAfterASeeInItsCycle) {
  std::istringstream log(
      "\n[0001]\n"
      "  0000. RecStr: (sense_body 1 (view_mode high normal))\n"
      "  0002. SendStr: (change_view normal high)\n"
      "  0040. RecStr: (see 1 ((b) 10 0))\n"
      "  0043. SendStr: (dash 10)\n"
      "  0050. SendStr: (turn_neck 5)\n"
      "  0090. RecStr: (see 1 ((b) 10 0))\n"
      "\n[0002]\n"
      "  0000. RecStr: (sense_body 2 (view_mode high normal))\n"
      "  0001. SendStr: (dash 10)\n"
      "  0030. RecStr: (see 2 ((b) 10 0))\n"
      "  0031. SendStr: (dash 10)\n");
  const support::SeeToSend got = support::seeToSend(log);
  EXPECT_EQ(got.ms, (std::vector<int>{3, 1}));
  EXPECT_EQ(got.senseBodies, 2);

  std::vector<int> hundred;
  for (int i = 100; i >= 1; --i) hundred.push_back(i);
  EXPECT_EQ(support::percentile({5, 1, 3, 2, 4}, 0.5), 3);
  EXPECT_EQ(support::percentile(hundred, 0.99), 99);
  EXPECT_EQ(support::percentile({7}, 0.99), 7);
  EXPECT_EQ(support::percentile({}, 0.5), 0);
}

TEST(MatchLog, ErrorAnswersAndSanitizerReportsAreFoundByTheirLines) {
  std::istringstream readable(
      "  0004. Skipping message with unknown header: (error illegal_command_form)\n"
      "  0005. Skipping message with unknown header: (warning no_subs_left)\n");
  EXPECT_EQ(
      support::errorAnswers(readable),
      (Problems{"  0004. Skipping message with unknown header: (error illegal_command_form)"}));
  std::istringstream output(
      "Player 1 connected.\n"
      "==7==ERROR: AddressSanitizer: heap-use-after-free on address 0x1\n"
      "agent/X.cpp:3:5: runtime error: signed integer overflow\n"
      "Termination Handler.\n");
  EXPECT_EQ(support::sanitizerReports(output).size(), 2u);
  std::istringstream nonFinite(
      "  0040. Non-finite number written as 0.00 in command: (dash 0.00)\n"
      "  0041. SendStr: (dash 0.00)\n");
  EXPECT_EQ(support::nonFiniteWrites(nonFinite),
            (Problems{"  0040. Non-finite number written as 0.00 in command: (dash 0.00)"}));
}

TEST(FileWatch, FindsItsTextAcrossTheLooksWhateverElseWatchesTheFile) {
  support::ScratchDirectory directory;
  const std::string path = directory.file("match.rcl");
  support::FileWatch bye(path, "\tRecv A_2: (bye)\n");
  support::FileWatch over(path, "(referee time_over)");
  const struct Step {
    const char* appended;
    bool bye, over;
  } steps[] = {
      {"", false, false},  // the file is not there yet
      {"9,0\tRecv A_2: (by", false, false},
      // The text completed by the next piece, and another watch's text in the same piece.
      {"e)\n9,0\t(referee time_over)\n", true, true},
      // Once seen, always seen.
      {"10,0\tRecv A_2: (dash 10)\n", true, true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.appended);
    if (*step.appended != '\0') std::ofstream(path, std::ios::app) << step.appended;
    EXPECT_EQ(bye.saw(), step.bye);
    EXPECT_EQ(over.saw(), step.over);
  }
}

}  // namespace
}  // namespace tovren
