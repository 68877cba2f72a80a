#include "actions/withball/SRPDribble.h"
#include "actions/withball/Shoot.h"
#include "bench/BenchScene.h"
#include "worldmodel/Body.h"
#include "worldmodel/KickCalculate.h"
#include "worldmodel/WorldModel.h"

#include <benchmark/benchmark.h>

#include <memory>

// One valuing of the shot and of the safe-reach-point dribble, as the with-ball decision
// asks them in a play-on cycle with all 22 players of a recorded view known.

namespace tovren {
namespace {

const char* const PLAY_ON_CYCLE = "(see_global 40 ";
constexpr float BALL_DIST = 0.6f;  // metres in front of the agent
// Where the shot is measured: inside the shooting range, off the goal's centre.
const Point SHOOT_BALL(40.0f, 5.0f);

void BM_ShootGetValue(benchmark::State& state) {
  configureOfflineAgent();
  WorldModel wm;
  Point recordedBall(0.0f, 0.0f);
  if (!buildRecordedScene(wm, PLAY_ON_CYCLE, recordedBall)) {
    state.SkipWithError("the recorded play-on cycle could not be read");
    return;
  }
  wm.setBody().setBodyDir(0.0f);
  if (!placeAgentBehindBall(wm, SHOOT_BALL, BALL_DIST)) {
    state.SkipWithError("the ball should be kickable");
    return;
  }
  // Its session is too large for a frame of its own.
  auto shoot = std::make_unique<Shoot>(&wm);
  state.counters["value"] = shoot->getValue();
  for (auto _ : state) benchmark::DoNotOptimize(shoot->getValue());
}

void BM_SRPDribbleGetValue(benchmark::State& state) {
  configureOfflineAgent();
  WorldModel wm;
  if (!buildKickableScene(wm, PLAY_ON_CYCLE, BALL_DIST)) {
    state.SkipWithError("the ball should be kickable in the recorded play-on cycle");
    return;
  }
  wm.updateCurKickCalculate();
  auto dribble = std::make_unique<SRPDribble>(&wm);
  state.counters["value"] = dribble->getValue();
  for (auto _ : state) benchmark::DoNotOptimize(dribble->getValue());
}

BENCHMARK(BM_ShootGetValue)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SRPDribbleGetValue)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tovren
