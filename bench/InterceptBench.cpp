#include "actions/withoutball/Intercept.h"
#include "bench/BenchScene.h"
#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/WorldModel.h"

#include <benchmark/benchmark.h>

#include <memory>

// One interception run, as the world model makes it after every see and the kick fan 243
// times per update: the 22 players of a recorded play-on cycle right after the kick-off
// and the ball kicked from the centre spot, one case per kick direction. And the
// interception action's valuation, which runs in most cycles of every player without the
// ball: the same players and a ball rolling past the agent, one case per roll direction.

namespace tovren {
namespace {

// Five cycles into the first play_on of the recording (the kick-off at cycle 5): the
// players have started to move, the ball still rests on the centre spot.
const char* const PLAY_ON_CYCLE = "(see_global 10 ";
// A firm pass, metres per cycle.
constexpr float KICK_SPEED = 2.5f;

// The recorded play-on cycle, or null with the benchmark skipped.
std::unique_ptr<WorldModel> makePlayOnScene(benchmark::State& state) {
  configureOfflineAgent();
  auto wm = std::make_unique<WorldModel>();
  Point recordedBall(0.0f, 0.0f);
  if (!buildRecordedScene(*wm, PLAY_ON_CYCLE, recordedBall)) {
    state.SkipWithError("the recorded play-on cycle could not be set up");
    return nullptr;
  }
  return wm;
}

// The world model's own session: a free ball, every known player. Timed: giving the
// session the kicked ball and running it.
void BM_InterceptRun(benchmark::State& state) {
  std::unique_ptr<WorldModel> wm = makePlayOnScene(state);
  if (wm == nullptr) return;
  Vector kick;
  kick.setAsPolar(KICK_SPEED, static_cast<float>(state.range(0)));
  Ball& ball = wm->setBall();
  ball.setPos().setAsCartesian(0.0f, 0.0f);
  ball.setVel() = kick;
  ball.setPosDeviation(0.0f);
  ball.setValidPosDeviation(0.0f);

  // Prepared once, as the kick fan prepares its session; only the run is timed.
  auto session = std::make_unique<InterceptCalculate>();
  session->startSession(0, nullptr, nullptr);
  session->updateByWorldModel(wm.get(), false, false, false);
  if (session->getPlayersNum() != 2 * WorldModel::FULL_PLAYERS_NUM) {
    state.SkipWithError("every recorded player should take part");
    return;
  }
  session->run();
  state.counters["players"] = session->getPlayersNum();
  state.counters["catchers"] = session->getCheckedPlayersNum();
  state.counters["firstCycle"] =
      session->existFastestPlayer() ? session->getFastestInterPlayer().getInterTime() : -1.0;

  // A run leaves the virtual ball where the run ended, so each run is given the kick
  // afresh, as the kick fan gives each of its kicks.
  const Ball kicked = wm->getBall();
  for (auto _ : state) {
    session->setVirtualBall(kicked);
    session->run();
    benchmark::DoNotOptimize(session->getCheckedPlayersNum());
  }
}

// Kick directions in degrees, 45 apart.
BENCHMARK(BM_InterceptRun)
    ->DenseRange(0, 315, 45)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// Where the ball starts, from the agent, and how fast it rolls (metres per cycle).
const Point BALL_OFFSET(8.0f, 3.0f);
constexpr float ROLL_SPEED = 1.5f;

void BM_InterceptGetValue(benchmark::State& state) {
  std::unique_ptr<WorldModel> wm = makePlayOnScene(state);
  if (wm == nullptr) return;
  const Point agent = wm->getBody().getPos();
  Ball& ball = wm->setBall();
  ball.setPos().setAsCartesian(agent.x + BALL_OFFSET.x, agent.y + BALL_OFFSET.y);
  ball.setVel().setAsPolar(ROLL_SPEED, static_cast<float>(state.range(0)));
  ball.setPosDeviation(0.0f);
  ball.setValidPosDeviation(0.0f);
  ball.updateRelativeVecs(wm->getBody());
  wm->updateCurInterCalculate();
  wm->updateBallStatus();

  Intercept intercept(wm.get());
  for (auto _ : state) benchmark::DoNotOptimize(intercept.getValue());
}

// Roll directions in degrees, 45 apart.
BENCHMARK(BM_InterceptGetValue)
    ->DenseRange(0, 315, 45)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tovren
