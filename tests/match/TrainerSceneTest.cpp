#include "geometry/Degree.h"
#include "geometry/Vector.h"
#include "support/ChildProcess.h"
#include "support/MatchLog.h"
#include "support/RealServer.h"
#include "support/Trainer.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

// Scenes on the real simulation server: a whole team of this program on the left, no
// opponent, the ball and the players placed by the server's trainer in play_on. The
// server lives beside the repository; a clone without it skips them.

namespace tovren {
namespace {

using support::FieldView;
using support::RefereeCall;

const std::string kServerRun =
    std::string(TOVREN_SOURCE_DIR) + "/../shared/tools/simulation-server/run";
const std::string kBinary = std::string(TOVREN_BINARY_DIR) + "/tovren";
const std::string kTeamName = "Tovren";

constexpr int kTeamStartTimeoutMS = 40000;
// The coach sends its player type changes about 2 s after it connects, before the scene;
// this only bounds the wait for them.
constexpr int kCoachChangesTimeoutMS = 30000;
// A view comes every step; this only bounds the wait for one that never comes.
constexpr int kViewTimeoutMS = 5000;
// Long enough for every player to see where it and its teammates stand after the trainer
// has placed them: seeing, relocalising and telling each other who goes for the ball.
constexpr int kHeldCycles = 10;
// A scene whose hold a referee's call breaks is set again, this many times at most; the
// placements of all attempts together only bound a trainer that never keeps up.
constexpr int kKickOffAttempts = 5;
constexpr int kPlacementLimit = 20 * kHeldCycles;
constexpr int kStopTimeoutMS = 20000;
constexpr int kByeTimeoutMS = 20000;

struct Placement {
  int number;
  Point where;
  float facing;  // degrees
};

// The team sets no offside trap against itself: a lone forward is never offside.
const std::vector<std::string> kSceneOptions = {
    "server::coach=true", "server::coach_w_referee=true", "server::use_offside=false"};

// The goalie on its goal line, the field players in a row 10 m inside their own half;
// the placements given replace theirs. Each is set at rest: a move alone keeps the speed
// of a dash sent while the scene was held.
std::vector<std::string> moves(const std::vector<Placement>& actors) {
  std::map<int, Placement> all;
  all[1] = {1, Point(-50.0f, 0.0f), 0.0f};
  for (int number = 2; number <= 11; ++number) {
    all[number] = {number, Point(-10.0f, -27.0f + 6.0f * (number - 2)), 0.0f};
  }
  for (const Placement& actor : actors) all[actor.number] = actor;
  std::vector<std::string> commands;
  for (const auto& each : all) {
    std::ostringstream move;
    move << "(move (player " << kTeamName << " " << each.first << ") " << each.second.where.x << " "
         << each.second.where.y << " " << each.second.facing << " 0 0)";
    commands.push_back(move.str());
  }
  return commands;
}

class TrainerScene : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef TOVREN_SANITIZE_BUILD
    // A scene is timed in cycles, and a sanitized team on a small machine misses some; the
    // sanitizer run's match already plays the sanitized player.
    GTEST_SKIP() << "Scenes run in the normal build only";
#endif
    if (!std::filesystem::exists(kServerRun)) {
      GTEST_SKIP() << "The real simulation server is not beside the repository (" << kServerRun
                   << " is missing): no scene played";
    }
    std::filesystem::create_directories(serverDir);
    support::StartedServer started = support::startServer(kServerRun, serverDir, kSceneOptions);
    ASSERT_TRUE(started.process) << "The server did not start:" << started.failure;
    server = std::move(started.process);
    const int port = started.port;
    team = std::make_unique<support::Team>(kTeamName, kBinary, scratch.file(kTeamName), port);
    ASSERT_TRUE(support::waitUntil([&] { return team->hasStarted() || !team->script->isRunning(); },
                                   kTeamStartTimeoutMS));
    ASSERT_TRUE(team->hasStarted() && team->script->isRunning()) << kTeamName << " did not start:\n"
                                                                 << team->scriptOutput();
    // The coach weighs the players in order of their numbers, one change a cycle: its last
    // change is number 11's, kept or sent.
    support::FileWatch kept(team->readableLog('C'), "Player 11 keeps type ");
    support::FileWatch sent(serverDir + "/match.rcl",
                            "\tRecv " + kTeamName + "_Coach: (change_player_type 11 ");
    const auto changed = [&] { return kept.saw() || sent.saw(); };
    ASSERT_TRUE(support::waitUntil(changed, kCoachChangesTimeoutMS))
        << "The coach did not change the player types within " << kCoachChangesTimeoutMS / 1000
        << " s";
    trainer = std::make_unique<support::Trainer>(port + 1);
    ASSERT_TRUE(trainer->connect()) << "The trainer got no answer from the server";
  }

  // Sets play_on and holds the players and the ball (at rest) where the scene puts them,
  // placing them again every cycle for a while, so that each player has seen where it and
  // its teammates stand; the last placement sets the ball rolling (velocity per cycle).
  // A placement counts only when it reached the server before the next step and in the
  // cycle after the last one: a trainer that misses a step lets the players run free and
  // reach the ball before the scene starts, so the hold starts again, and a referee's call
  // during it sets the scene anew. The cycle in which the scene starts; nothing, with a
  // failure, when it could not be held.
  std::optional<int> kickOff(const std::vector<Placement>& actors, Point ball, Point velocity) {
    int placements = 0;
    for (int attempt = 0; attempt < kKickOffAttempts; ++attempt) {
      EXPECT_EQ(trainer->send({"(change_mode play_on)"}),
                std::vector<std::string>{"(ok change_mode)"});
      int held = 0;
      int last = -1;  // the cycle of the last placement held
      do {
        const std::optional<FieldView> view = trainer->nextView(kViewTimeoutMS);
        if (!view || ++placements > kPlacementLimit) {
          ADD_FAILURE() << (view ? "The scene was not held" : "The trainer saw no field")
                        << " after " << placements << " placements" << heard();
          return std::nullopt;
        }
        const int next = view->cycle == last + 1 ? held + 1 : 1;
        const bool release = next >= kHeldCycles;
        place(actors, ball, release ? velocity : Point());
        const bool inTime = !trainer->viewCameDuringSend();
        held = inTime ? next : 0;
        last = inTime ? view->cycle : -1;
        if (release && inTime && playStaysOn()) return last;
      } while (playStaysOn());
    }
    ADD_FAILURE() << "The referee broke the scene's hold in each of " << kKickOffAttempts
                  << " attempts" << heard();
    return std::nullopt;
  }

  // Whether the referee's last call so far is play_on.
  bool playStaysOn() const {
    const std::vector<RefereeCall>& calls = trainer->refereeCalls();
    return !calls.empty() && calls.back().mode == "play_on";
  }

  void place(const std::vector<Placement>& actors, Point ball, Point velocity) {
    std::vector<std::string> commands = moves(actors);
    std::ostringstream moveBall;
    moveBall << "(move (ball) " << ball.x << " " << ball.y << " 0 " << velocity.x << " "
             << velocity.y << ")";
    commands.push_back(moveBall.str());
    const std::vector<std::string> answers = trainer->send(commands);
    for (std::size_t i = 0; i < commands.size(); ++i) {
      EXPECT_EQ(answers[i], "(ok move)") << commands[i];
    }
  }

  // The field views from the start cycle up to the cycle limit after it, or up to the
  // first referee call other than play_on.
  std::vector<FieldView> watch(int from, int cycles) {
    std::vector<FieldView> views;
    while (const std::optional<FieldView> view = trainer->nextView(kViewTimeoutMS)) {
      if (view->cycle > from + cycles) break;
      views.push_back(*view);
      const std::vector<RefereeCall>& calls = trainer->refereeCalls();
      if (!calls.empty() && calls.back().mode != "play_on") break;
    }
    return views;
  }

  // The first call of the referee that starts with the text, from the cycle on.
  std::optional<RefereeCall> call(const std::string& start, int from = 0) const {
    for (const RefereeCall& each : trainer->refereeCalls()) {
      if (each.cycle >= from && each.mode.rfind(start, 0) == 0) return each;
    }
    return std::nullopt;
  }

  // The referee's calls, for a failure's message.
  std::string heard() const {
    std::ostringstream text;
    text << "; the referee called";
    for (const RefereeCall& each : trainer->refereeCalls()) {
      text << " " << each.mode << " at " << each.cycle;
    }
    return text.str();
  }

  // Stops the team, then the server, which then writes out its text log; a sanitizer's
  // report in a process's output fails the scene.
  std::vector<support::ServerLogLine> stop() {
    team->script->signal(SIGTERM);
    team->script->waitFor(kStopTimeoutMS);
    support::waitForByes(serverDir + "/match.rcl", support::teamSenders(kTeamName), kByeTimeoutMS);
    server->signal(SIGINT);
    server->waitFor(kStopTimeoutMS);
    for (const auto& each : support::kTeamProcesses) {
      std::ifstream output(team->out(each.first + ".out"));
      for (const std::string& line : support::sanitizerReports(output)) {
        ADD_FAILURE() << each.first << ": " << line;
      }
    }
    std::ifstream rcl(serverDir + "/match.rcl");
    return support::readServerLog(rcl);
  }

  support::ScratchDirectory scratch;
  const std::string serverDir = scratch.file("server");
  std::unique_ptr<support::ChildProcess> server;
  std::unique_ptr<support::Team> team;
  std::unique_ptr<support::Trainer> trainer;
};

// The player type of the player at the cycle: the coach's last change before it, or the
// default type 0.
int typeAt(const std::vector<support::ServerLogLine>& lines, int number, int cycle) {
  const std::string change = "(change_player_type " + std::to_string(number) + " ";
  int type = 0;
  for (const support::ServerLogLine& line : lines) {
    const std::string::size_type found = line.text.find(change);
    if (line.sender == kTeamName + "_Coach" && line.cycle <= cycle && found != std::string::npos) {
      type = std::stoi(line.text.substr(found + change.size()));
    }
  }
  return type;
}

constexpr int kScoringCycles = 50;

TEST_F(TrainerScene, ForwardAloneWithTheBallBeforeAnEmptyGoalScores) {
  const std::optional<int> kicked =
      kickOff({{9, Point(36.0f, 0.0f), 0.0f}}, Point(36.6f, 0.0f), Point());
  ASSERT_TRUE(kicked);
  const int start = *kicked;
  watch(start, kScoringCycles);
  stop();
  const std::optional<RefereeCall> goal = call("goal_l_");
  ASSERT_TRUE(goal) << "No goal within " << kScoringCycles << " cycles" << heard();
  EXPECT_LE(goal->cycle - start, kScoringCycles);
  std::printf("Scored %d cycles after the start\n", goal->cycle - start);
}

// The ball crosses the player's way 6 m ahead of it about 10 cycles after the start.
constexpr int kInterceptCycles = 30;

TEST_F(TrainerScene, TeammateInterceptsABallRolledAcrossItsPath) {
  const std::optional<int> kicked =
      kickOff({{7, Point(10.0f, 0.0f), 0.0f}}, Point(16.0f, -12.0f), Point(0.0f, 1.6f));
  ASSERT_TRUE(kicked);
  const int start = *kicked;
  const std::vector<FieldView> views = watch(start, kInterceptCycles);
  const std::vector<support::ServerLogLine> lines = stop();

  std::ostringstream closest;
  float least = 1e9f;
  std::optional<int> reached;
  for (const FieldView& view : views) {
    const auto player = view.players.find({kTeamName, 7});
    const std::optional<float> area = trainer->kickableArea(typeAt(lines, 7, view.cycle));
    ASSERT_NE(player, view.players.end()) << "Player 7 is not on the field at " << view.cycle;
    ASSERT_TRUE(area) << "The server did not describe player 7's type";
    const float distance = player->second.getDistance(view.ball);
    if (!reached && distance <= *area) reached = view.cycle;
    if (distance < least) {
      least = distance;
      closest.str("");
      closest << distance << " m from the ball at cycle " << view.cycle << " (kickable within "
              << *area << " m)";
    }
  }
  ASSERT_TRUE(reached) << "Player 7 came no closer than " << closest.str() << " in "
                       << kInterceptCycles << " cycles";
  std::printf("Player 7 had the ball within reach %d cycles after the start\n", *reached - start);
}

// A shot at 2 m a cycle from 17 m out crosses the goal line in about 12 cycles. The goalie,
// whose backward dashes are slower than its forward ones, misses about one such shot in
// eight: the scene gives it three.
constexpr int kShotCycles = 30;
constexpr int kShotAttempts = 3;

TEST_F(TrainerScene, GoalieCatchesASlowShot) {
  const Point from(-36.0f, 6.0f);
  Vector towards;
  towards.setByPoints(from, Point(-52.5f, 1.0f));
  towards.setAsPolar(2.0f, towards.getDirection());
  std::optional<RefereeCall> caught;
  int start = 0;
  for (int attempt = 0; attempt < kShotAttempts && !caught; ++attempt) {
    const std::optional<int> kicked = kickOff({}, from, towards);
    ASSERT_TRUE(kicked);
    start = *kicked;
    watch(start, kShotCycles);
    caught = call("goalie_catch_ball_l", start);
  }
  stop();
  ASSERT_TRUE(caught) << "The goalie caught none of " << kShotAttempts << " shots within "
                      << kShotCycles << " cycles" << heard();
  EXPECT_LE(caught->cycle - start, kShotCycles);
  std::printf("Caught %d cycles after the shot\n", caught->cycle - start);
}

// The goalie's commands in the cycles from the first to the last, each with its cycle.
std::vector<std::pair<int, support::DatagramCommand>> goalieCommands(
    const std::vector<support::ServerLogLine>& lines, int first, int last) {
  std::vector<std::pair<int, support::DatagramCommand>> commands;
  for (const support::ServerLogLine& line : lines) {
    if (line.sender != kTeamName + "_1" || line.cycle < first || line.cycle > last) continue;
    const auto parsed = support::parseCommands(line.text);
    if (!parsed) continue;
    for (const support::DatagramCommand& each : *parsed) commands.emplace_back(line.cycle, each);
  }
  return commands;
}

// The goalie faces the field with the ball at rest 2 m behind it, beyond its catch angles:
// it runs backward to the ball (the first dash lands after the last placement) and has
// it within reach after two dashes.
constexpr int kBackwardCycles = 5;
// Well beyond what a player standing still drifts, short of two backward dashes.
constexpr float kLeastBackward = 0.3f;  // metres

TEST_F(TrainerScene, PlayerSentBackwardMovesBackward) {
  const Placement goalie{1, Point(-44.0f, 0.0f), 0.0f};
  const std::optional<int> kicked = kickOff({goalie}, Point(-46.0f, 0.0f), Point());
  ASSERT_TRUE(kicked);
  const int start = *kicked;
  const std::vector<FieldView> views = watch(start, kBackwardCycles);
  const std::vector<support::ServerLogLine> lines = stop();

  // Each step counts along the body direction the goalie had before it, so a turn and a
  // forward run do not count as backward.
  Point from = goalie.where;
  float facing = goalie.facing;
  float backward = 0.0f;  // metres
  float most = 0.0f;
  std::ostringstream path;  // where the goalie stood, for a failure's message
  for (const FieldView& view : views) {
    const auto at = view.players.find({kTeamName, 1});
    const auto body = view.facings.find({kTeamName, 1});
    ASSERT_TRUE(at != view.players.end() && body != view.facings.end())
        << "The goalie is not on the field at " << view.cycle;
    backward -= (at->second.x - from.x) * Degree::cos(facing) +
                (at->second.y - from.y) * Degree::sin(facing);
    most = std::max(most, backward);
    from = at->second;
    facing = body->second;
    path << (path.tellp() > 0 ? "; (" : " (") << from.x << ", " << from.y << ") facing " << facing
         << " at " << view.cycle;
  }
  EXPECT_GT(most, kLeastBackward) << "The goalie ran no more than " << most << " m backward in "
                                  << kBackwardCycles << " cycles from cycle " << start
                                  << "; it stood at" << path.str() << heard();

  int obeyed = 0;
  std::ostringstream sent;  // what the goalie sent, for a failure's message
  for (const auto& [cycle, command] : goalieCommands(lines, start, start + kBackwardCycles)) {
    const bool backDash = command.name == "dash" && command.arguments.size() == 2 &&
                          command.arguments[1] == "180.00" &&
                          std::stof(command.arguments[0]) > 0.0f;
    if (backDash) ++obeyed;
    sent << (sent.tellp() > 0 ? "; (" : " (") << command.name;
    for (const std::string& argument : command.arguments) sent << " " << argument;
    sent << ") at " << cycle;
  }
  EXPECT_GT(obeyed, 0) << "The goalie sent no \"(dash P 180.00)\" in " << kBackwardCycles
                       << " cycles; it sent" << sent.str();
  std::vector<std::string> negative;
  for (const support::ServerLogLine& line : lines) {
    if (line.text.find("(dash -") != std::string::npos) {
      negative.push_back(line.sender + " at " + std::to_string(line.cycle) + ": " + line.text);
    }
  }
  EXPECT_TRUE(negative.empty()) << negative.size()
                                << " datagrams with a dash of negative power, the first "
                                << negative.front();
  std::printf("The goalie ran %.2f m backward with %d dashes at 180 degrees\n", most, obeyed);
}

// The goalie in its box facing the field, the ball at rest 0.7 m straight behind it: within
// the catchable area's length (1.2 m) but 0.7 m across a catch aimed at the nearest catch
// angle, so no catch the server takes can hold it.
constexpr int kBehindCycles = 10;
constexpr float kMaxCatchAngle = 90.0f;  // degrees, the server's, either side

TEST_F(TrainerScene, GoalieWithTheBallBehindItSendsNoCatch) {
  const Placement goalie{1, Point(-47.0f, 0.0f), 0.0f};
  const std::optional<int> kicked = kickOff({goalie}, Point(-47.7f, 0.0f), Point());
  ASSERT_TRUE(kicked);
  const int start = *kicked;
  watch(start, kBehindCycles);
  const std::vector<support::ServerLogLine> lines = stop();

  // While the scene is held the ball lies behind the goalie every cycle; once let go, the
  // goalie may turn to it, but never aims a catch beyond the server's angles.
  std::map<std::string, int> sent;
  std::string wrong;
  for (const auto& [cycle, command] :
       goalieCommands(lines, start - kHeldCycles + 1, start + kBehindCycles)) {
    ++sent[command.name];
    if (command.name != "catch") continue;
    const bool aimed = command.arguments.size() == 1 &&
                       std::fabs(std::stof(command.arguments[0])) <= kMaxCatchAngle;
    if (cycle <= start || !aimed) {
      wrong += " (catch " + (command.arguments.empty() ? "" : command.arguments[0]) + ") at " +
               std::to_string(cycle) + (cycle <= start ? " with the ball behind it;" : ";");
    }
  }
  EXPECT_TRUE(wrong.empty()) << "The goalie sent" << wrong;
  std::printf("The goalie sent %d kicks, %d dashes, %d turns and %d catches\n", sent["kick"],
              sent["dash"], sent["turn"], sent["catch"]);
}

}  // namespace
}  // namespace tovren
