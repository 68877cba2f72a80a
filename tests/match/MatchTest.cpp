#include "support/ChildProcess.h"
#include "support/MatchLog.h"
#include "support/RealServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

// A short match on the real simulation server: two teams of this program, each started by
// scripts/start-team.sh with its coach and its readable logs, then the server's text log,
// the readable logs and the exit statuses are checked. The server lives beside the
// repository; a clone without it skips the match.

namespace tovren {
namespace {

using support::ChildProcess;
using support::FileWatch;
using support::kTeamProcesses;
using support::readFile;
using support::ScratchDirectory;
using support::ServerLogLine;
using support::Team;
using support::waitUntil;

const std::string kServerRun =
    std::string(TOVREN_SOURCE_DIR) + "/../shared/tools/simulation-server/run";

// 300 cycles of 100 ms in two halves, so that each team kicks off once: a team that
// never wins the ball back in one long half would otherwise make no kick in play_on. The
// kick-off waits 5 s after the last player, so that each coach's first changes come
// before it, as in a match where the coach is there early.
constexpr int kHalfSeconds = 15;
constexpr int kHalves = 2;
constexpr int kKickOffWaitSteps = 50;
// The server ends by itself this long after the match, should the test not stop it.
constexpr int kGameOverWaitSteps = 150;

constexpr int kTeamStartTimeoutMS = 40000;
// From the coaches' start: the kick-off waits and the halves with room to spare.
constexpr int kHalfTimeoutMS = 60000;
constexpr int kStopTimeoutMS = 20000;
constexpr int kAnswerTimeoutMS = 20000;
// Every "(bye)" has reached the server by the time the teams have stopped; this only
// bounds the wait for one that never comes.
constexpr int kByeTimeoutMS = 20000;

// A Tovren player's uniform number in this variable stops that player with SIGSTOP at
// cycle 100 until the match is over: the test must then fail.
const char* const kStopPlayerVariable = "TOVREN_MATCH_STOP_PLAYER";
const char* const kStopCycleHeader = "[0100]";

// How many problems of one kind a failure lists.
constexpr std::size_t kShownProblems = 12;

struct TeamSetup {
  std::string name;
  std::string binary;
  double leastCommandShare;
  int mostSilentCycles;  // negative: not checked
};

std::string joined(const std::vector<std::string>& problems) {
  std::string text;
  for (std::size_t i = 0; i < problems.size() && i < kShownProblems; ++i) {
    text += "\n  " + problems[i];
  }
  if (problems.size() > kShownProblems) {
    text += "\n  ... and " + std::to_string(problems.size() - kShownProblems) + " more";
  }
  return text;
}

// Every player's and coach's name in the server's log, team by team.
std::vector<std::string> allSenders(const std::vector<std::unique_ptr<Team>>& teams) {
  std::vector<std::string> senders;
  for (const auto& team : teams) {
    const std::vector<std::string> each = support::teamSenders(team->name);
    senders.insert(senders.end(), each.begin(), each.end());
  }
  return senders;
}

// Every check of the match whose teams have ended and whose server has stopped.
void checkMatch(const std::vector<TeamSetup>& setups,
                const std::vector<std::unique_ptr<Team>>& teams, const std::string& serverDir) {
  std::ifstream rcl(serverDir + "/match.rcl");
  const std::vector<ServerLogLine> lines = support::readServerLog(rcl);
  const std::vector<std::string> senders = allSenders(teams);
  const std::vector<std::string> missing = support::missingSenders(lines, senders);
  EXPECT_TRUE(missing.empty()) << "Not connected:" << joined(missing);
  for (const TeamSetup& setup : setups) {
    std::vector<std::string> players = support::teamSenders(setup.name);
    players.pop_back();
    const std::vector<std::string> gaps =
        support::coverageProblems(lines, players, setup.leastCommandShare, setup.mostSilentCycles);
    EXPECT_TRUE(gaps.empty()) << "Players without commands in play_on:" << joined(gaps);
    EXPECT_TRUE(support::kickedInPlayOn(lines, setup.name))
        << setup.name << " never kicked the ball in play_on";
  }
  const std::vector<std::string> notBye = support::lastNotBye(lines, senders);
  EXPECT_TRUE(notBye.empty()) << "Ended without (bye):" << joined(notBye);
  const std::vector<std::string> nonFinite = support::nonFiniteCommands(lines);
  EXPECT_TRUE(nonFinite.empty()) << "Commands with nan or inf:" << joined(nonFinite);

  // The server writes its settings under a folder literally named "~".
  const std::string conf = readFile(serverDir + "/~/.rcssserver/player.conf");
  support::ChangeLimits limits;
  limits.playerTypes = support::serverSetting(conf, "player_types");
  limits.subsMax = support::serverSetting(conf, "subs_max");
  ASSERT_GT(limits.playerTypes, 0) << "no player_types in the server's player.conf";
  ASSERT_GE(limits.subsMax, 0) << "no subs_max in the server's player.conf";

  for (const auto& team : teams) {
    std::ifstream coachLog(team->readableLog('C'));
    const std::vector<std::string> changes =
        support::coachChangeProblems(lines, team->name, coachLog, limits);
    EXPECT_TRUE(changes.empty()) << "Player type changes:" << joined(changes);

    std::vector<std::string> errors;
    std::vector<std::string> ends;
    std::vector<std::string> reports;
    for (const auto& each : kTeamProcesses) {
      std::ifstream log(team->readableLog(each.second));
      if (!log) errors.push_back(team->readableLog(each.second) + " is missing");
      for (const std::string& line : support::errorAnswers(log)) {
        errors.push_back(team->name + each.second + ".log:" + line);
      }
      const std::string status = readFile(team->out(each.first + ".status"));
      if (status != "0\n") {
        ends.push_back(
            team->name + " " + each.first + " ended with status " +
            (status.empty() ? std::string("unknown") : status.substr(0, status.size() - 1)));
      }
      std::ifstream output(team->out(each.first + ".out"));
      for (const std::string& line : support::sanitizerReports(output)) {
        reports.push_back(team->name + " " + each.first + ": " + line);
      }
    }
    EXPECT_TRUE(errors.empty()) << "Errors from the server:" << joined(errors);
    EXPECT_TRUE(ends.empty()) << "Exit statuses after SIGTERM:" << joined(ends);
    EXPECT_TRUE(reports.empty()) << "Sanitizer reports:" << joined(reports);
  }
}

// Per player: the share of play_on cycles with a body command, the see-to-send time
// (median and 99th percentile) and the CPU time per cycle it lived.
void printFigures(const std::vector<std::unique_ptr<Team>>& teams, const std::string& serverDir,
                  const std::vector<std::vector<double>>& cpu) {
  std::ifstream rcl(serverDir + "/match.rcl");
  const std::vector<ServerLogLine> lines = support::readServerLog(rcl);
  const std::set<int> playOn = support::playOnCycles(lines);
  std::printf(
      "Figures over %zu play_on cycles (targets: body command >= 98%%, "
      "see-to-send p99 < 5 ms)\n",
      playOn.size());
  std::printf("%-10s %10s %9s %9s %6s %8s\n", "player", "body cmd", "see-send", "p99", "sees",
              "CPU/cyc");
  for (std::size_t t = 0; t < teams.size(); ++t) {
    for (std::size_t p = 0; p + 1 < kTeamProcesses.size(); ++p) {
      const std::string sender = teams[t]->name + "_" + std::to_string(p + 1);
      const support::Coverage each = support::coverage(lines, sender, playOn);
      std::ifstream log(teams[t]->readableLog(kTeamProcesses[p].second));
      const support::SeeToSend times = support::seeToSend(log);
      const double share = each.playOn > 0 ? 100.0 * each.withBody / each.playOn : 0.0;
      const double perCycle =
          times.senseBodies > 0 && cpu[t][p] >= 0 ? 1000.0 * cpu[t][p] / times.senseBodies : -1;
      std::printf("%-10s %9.1f%% %6d ms %6d ms %6zu %5.2f ms\n", sender.c_str(), share,
                  support::percentile(times.ms, 0.5), support::percentile(times.ms, 0.99),
                  times.ms.size(), perCycle);
    }
  }
  std::fflush(stdout);
}

// Plays a match between the teams and checks it.
void playMatch(const std::vector<TeamSetup>& setups) {
  ScratchDirectory scratch;
  const std::string serverDir = scratch.file("server");
  std::filesystem::create_directories(serverDir);
  const support::StartedServer started = support::startServer(
      kServerRun, serverDir,
      {"server::auto_mode=true", "server::kick_off_wait=" + std::to_string(kKickOffWaitSteps),
       "server::connect_wait=300", "server::game_over_wait=" + std::to_string(kGameOverWaitSteps),
       "server::half_time=" + std::to_string(kHalfSeconds),
       "server::nr_normal_halfs=" + std::to_string(kHalves), "server::nr_extra_halfs=0",
       "server::penalty_shoot_outs=false"});
  ASSERT_TRUE(started.process) << "The server did not start:" << started.failure;
  ChildProcess& server = *started.process;
  const int port = started.port;

  std::vector<std::unique_ptr<Team>> teams;
  for (const TeamSetup& setup : setups) {
    teams.push_back(
        std::make_unique<Team>(setup.name, setup.binary, scratch.file(setup.name), port));
  }
  ASSERT_TRUE(waitUntil(
      [&] {
        for (const auto& team : teams) {
          if (!team->hasStarted() && team->script->isRunning()) return false;
        }
        return true;
      },
      kTeamStartTimeoutMS));
  for (const auto& team : teams) {
    ASSERT_TRUE(team->hasStarted() && team->script->isRunning())
        << team->name << " did not start:\n"
        << team->scriptOutput();
  }

  // The player to stop, if any, and the sign that it has reached the cycle.
  const char* stopNumber = std::getenv(kStopPlayerVariable);
  pid_t stopped = 0;
  std::unique_ptr<FileWatch> stopWatch;
  if (stopNumber != nullptr) {
    const int number = std::atoi(stopNumber);
    ASSERT_TRUE(number >= 1 && number <= 11) << kStopPlayerVariable << " must be 1 to 11";
    stopWatch = std::make_unique<FileWatch>(
        teams[0]->readableLog(kTeamProcesses[number - 1].second), kStopCycleHeader);
    stopped = teams[0]->processId(kTeamProcesses[number - 1].first);
  }
  FileWatch timeOver(serverDir + "/match.rcl", "(referee time_over)");
  const bool over = waitUntil(
      [&] {
        if (stopWatch && stopWatch->saw() && stopped > 0) {
          kill(stopped, SIGSTOP);
          std::printf("Stopped %s player %s (process %d) at cycle 100\n", teams[0]->name.c_str(),
                      stopNumber, static_cast<int>(stopped));
          std::fflush(stdout);
          stopWatch.reset();
        }
        return timeOver.saw() || !server.isRunning();
      },
      kHalfTimeoutMS);
  std::vector<std::vector<double>> cpu;
  for (const auto& team : teams) {
    cpu.emplace_back();
    for (const auto& each : kTeamProcesses)
      cpu.back().push_back(support::processCpuSeconds(team->processId(each.first)));
  }
  if (stopped > 0) kill(stopped, SIGCONT);
  ASSERT_TRUE(server.isRunning()) << "The server ended during the match:\n"
                                  << readFile(serverDir + "/server.err");
  ASSERT_TRUE(over) << "No (referee time_over) within " << kHalfTimeoutMS / 1000
                    << " s of the teams' start";

  for (const auto& team : teams) team->script->signal(SIGTERM);
  for (const auto& team : teams) {
    EXPECT_EQ(team->script->waitFor(kStopTimeoutMS), 0) << team->name << " did not stop:\n"
                                                        << team->scriptOutput();
  }
  // The server stops once it has taken every "(bye)"; one that does not come fails the
  // checks below.
  support::waitForByes(serverDir + "/match.rcl", allSenders(teams), kByeTimeoutMS);
  server.signal(SIGINT);
  ASSERT_TRUE(server.waitFor(kStopTimeoutMS).has_value()) << "The server did not stop on SIGINT";

  printFigures(teams, serverDir, cpu);
  checkMatch(setups, teams, serverDir);
}

const std::string kBinary = std::string(TOVREN_BINARY_DIR) + "/tovren";

#ifndef TOVREN_SANITIZE_BUILD

TEST(Match, TwoTeamsPlayTwoShortHalvesOnTheRealServer) {
  if (!std::filesystem::exists(kServerRun)) {
    GTEST_SKIP() << "The real simulation server is not beside the repository (" << kServerRun
                 << " is missing): no match played";
  }
  playMatch({{"Tovren", kBinary, 0.95, 3}, {"Rival", kBinary, 0.95, 3}});
}

#else

// The sanitizer team is slower: its command share is checked loosely, its silences not.
TEST(Match, SanitizerTeamPlaysTheNormalBuild) {
  const std::string normal = std::string(TOVREN_SOURCE_DIR) + "/build/tovren";
  if (!std::filesystem::exists(kServerRun)) {
    GTEST_SKIP() << "The real simulation server is not beside the repository (" << kServerRun
                 << " is missing): no match played";
  }
  if (!std::filesystem::exists(normal)) {
    GTEST_SKIP() << "The normal build's " << normal
                 << " is missing: build it first, the sanitizer team plays against it";
  }
  playMatch({{"Tovren", kBinary, 0.80, -1}, {"Rival", normal, 0.95, 3}});
}

#endif

// One datagram to the port on 127.0.0.1 and the text of the first answer, "" when none
// comes in time.
std::string answerTo(int port, const std::string& text) {
  const support::HeldUdpPort client(0);
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  server.sin_port = htons(static_cast<uint16_t>(port));
  sendto(client.getDescriptor(), text.c_str(), text.size() + 1, 0,
         reinterpret_cast<const sockaddr*>(&server), sizeof server);
  pollfd readable{client.getDescriptor(), POLLIN, 0};
  char buffer[8192];
  if (poll(&readable, 1, kAnswerTimeoutMS) != 1) return "";
  const ssize_t got = recv(client.getDescriptor(), buffer, sizeof buffer - 1, 0);
  return got > 0 ? std::string(buffer, strnlen(buffer, static_cast<std::size_t>(got))) : "";
}

TEST(Match, ServerStartsOnPortsChosenAnewWhenTheFirstAreTakenBeforeItsBind) {
  if (!std::filesystem::exists(kServerRun)) {
    GTEST_SKIP() << "The real simulation server is not beside the repository (" << kServerRun
                 << " is missing): no server started";
  }
  ScratchDirectory scratch;
  // Another process takes the trainer's port of the first choice before the server binds.
  const int first = support::findServerPorts();
  ASSERT_NE(first, 0);
  const support::HeldUdpPort taken(first + 1);
  std::vector<int> chosen;
  const support::StartedServer started = support::startServer(kServerRun, scratch.path(), {}, [&] {
    chosen.push_back(chosen.empty() ? first : support::findServerPorts());
    return chosen.back();
  });
  ASSERT_TRUE(started.process) << "The server did not start:" << started.failure;
  ASSERT_EQ(chosen.size(), 2u) << started.failure;
  EXPECT_EQ(started.port, chosen[1]);
  EXPECT_NE(started.failure.find("ports " + std::to_string(first) + "-"), std::string::npos)
      << started.failure;
  EXPECT_EQ(answerTo(started.port, "(init Probe (version 9.4))"), "(init l 1 before_kick_off)");
  started.process->signal(SIGINT);
  EXPECT_TRUE(started.process->waitFor(kStopTimeoutMS).has_value());
}

}  // namespace
}  // namespace tovren
