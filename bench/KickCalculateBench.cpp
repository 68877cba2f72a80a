#include "bench/BenchScene.h"
#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/KickCalculate.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <benchmark/benchmark.h>

// One full refresh of the kick fan, as the body decision runs it in every cycle in which
// the agent can kick: 243 interception runs over the 22 players of a recorded play-on
// cycle, the ball at the agent's foot and every direction just looked at.

namespace tovren {
namespace {

// A play-on cycle of the recorded match (play_on from cycle 30, a free kick at 60).
const char* const PLAY_ON_CYCLE = "(see_global 40 ";
// The ball rests this far in front of the agent (metres): well within the kick distance.
constexpr float BALL_DIST = 0.6f;
// Fewer valid entries would mean the scene measures the early exits, not the runs.
constexpr unsigned int MIN_VALID_ENTRIES = 200;

void BM_KickCalculateUpdate(benchmark::State& state) {
  configureOfflineAgent();
  WorldModel wm;
  if (!buildKickableScene(wm, PLAY_ON_CYCLE, BALL_DIST)) {
    state.SkipWithError("the recorded play-on cycle could not be set up with a kickable ball");
    return;
  }
  wm.updateCurKickCalculate();
  const KickCalculate& fan = *wm.getCurKickCalculate();
  unsigned int valid = 0;
  for (unsigned int i = 0; i < fan.getSimulatesNum(); ++i)
    valid += fan.getSimulate(i).isValid() ? 1 : 0;
  if (valid < MIN_VALID_ENTRIES) {
    state.SkipWithError("most kicks of the fan should be predicted");
    return;
  }
  state.counters["validEntries"] = valid;

  for (auto _ : state) {
    wm.updateCurKickCalculate();
    benchmark::DoNotOptimize(fan.getSimulate(0).getCheckedPlayersNum());
  }
}

BENCHMARK(BM_KickCalculateUpdate)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tovren
