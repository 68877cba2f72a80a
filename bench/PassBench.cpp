#include "actions/withball/Pass.h"
#include "bench/BenchScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/WorldModel.h"

#include <benchmark/benchmark.h>

#include <filesystem>

// One valuing of the pass, as the with-ball decision runs it in every cycle in which the
// agent has the ball: the 243 kicks of a fan already updated, scored for the four kinds,
// and, near the opponents' goal, the twelve crosses predicted and scored too.

namespace tovren {
namespace {

// Just before the kick-off of the recorded match: number 11 stands at the centre spot.
const char* const KICK_OFF_CYCLE = "(see_global 12 ";
constexpr unsigned int RECORDED_CYCLE = 12;
constexpr float BALL_DIST = 0.6f;  // metres in front of the agent
// Crosses are valued from x 30 on.
constexpr float CROSS_BALL_X = 35.0f;

// The factor file is read by its path from the repository's root.
void enterRepository() { std::filesystem::current_path(TOVREN_TEST_DATA_DIR "/../.."); }

void runPassValuing(benchmark::State& state, bool nearGoal) {
  configureOfflineAgent();
  enterRepository();
  WorldModel wm;
  if (!buildKickableScene(wm, KICK_OFF_CYCLE, BALL_DIST)) {
    state.SkipWithError("the recorded kick-off cycle could not be set up with a kickable ball");
    return;
  }
  // No suggestion was heard in this cycle.
  wm.setCurTime(RECORDED_CYCLE);
  if (nearGoal) moveAgentWithBall(wm, CROSS_BALL_X - wm.getBall().getPos().getX());
  wm.updateCurKickCalculate();
  Pass pass(&wm, false);
  pass.setCurKickCalculate(wm.getCurKickCalculate());
  state.counters["value"] = pass.getValue();
  state.counters["model"] = pass.getPassModel();

  for (auto _ : state) benchmark::DoNotOptimize(pass.getValue());
}

void BM_PassGetValueAtCentre(benchmark::State& state) { runPassValuing(state, false); }
void BM_PassGetValueWithCrosses(benchmark::State& state) { runPassValuing(state, true); }

BENCHMARK(BM_PassGetValueAtCentre)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PassGetValueWithCrosses)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tovren
