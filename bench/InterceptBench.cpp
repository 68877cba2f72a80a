#include "bench/BenchScene.h"
#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/WorldModel.h"

#include <benchmark/benchmark.h>

#include <memory>

// One interception run, as the world model makes it after every see and the kick fan 243
// times per update: the 22 players of a recorded play-on cycle right after the kick-off
// and the ball kicked from the centre spot, one case per kick direction.

namespace tovren {
namespace {

// Five cycles into the first play_on of the recording (the kick-off at cycle 5): the
// players have started to move, the ball still rests on the centre spot.
const char* const PLAY_ON_CYCLE = "(see_global 10 ";
// A firm pass, metres per cycle.
constexpr float KICK_SPEED = 2.5f;

// The world model's own session: a free ball, every known player. Timed: giving the
// session the kicked ball and running it.
void BM_InterceptRun(benchmark::State& state) {
  configureOfflineAgent();
  auto wm = std::make_unique<WorldModel>();
  Point recordedBall(0.0f, 0.0f);
  if (!buildRecordedScene(*wm, PLAY_ON_CYCLE, recordedBall)) {
    state.SkipWithError("the recorded play-on cycle could not be set up");
    return;
  }
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

}  // namespace
}  // namespace tovren
