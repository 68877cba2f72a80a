#include "actions/withoutball/Positioning.h"
#include "bench/BenchScene.h"
#include "decisions/GroupWorks.h"
#include "decisions/SayDecisionFlags.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

// One pass suggestion, as a midfielder makes it in the cycle in which a forward asked him:
// the 192 kicks of the virtual fan predicted for the teammate at the ball, near the
// opponents' goal his 12 crosses too, and the pass valued over them. The teammate at the
// ball is the agent itself here, which costs the same as any other kicker.

namespace tovren {
namespace {

const char* const PLAY_ON_CYCLE = "(see_global 40 ";
constexpr float BALL_DIST = 0.6f;  // metres in front of the kicker
// Crosses are valued from x 30 on.
constexpr float CROSS_BALL_X = 35.0f;

// The factor file (log level 0, read once) is read by its path from the repository's root.
void enterRepository() { std::filesystem::current_path(TOVREN_TEST_DATA_DIR "/../.."); }

void runSuggestion(benchmark::State& state, bool nearGoal) {
  configureOfflineAgent();
  enterRepository();
  WorldModel wm;
  if (!buildKickableScene(wm, PLAY_ON_CYCLE, BALL_DIST)) {
    state.SkipWithError("the recorded play-on cycle could not be set up with the ball at a foot");
    return;
  }
  if (nearGoal) moveAgentWithBall(wm, CROSS_BALL_X - wm.getBall().getPos().getX());
  wm.setBall().setSeeTime(wm.getCurTime());
  Positioning positioning(&wm);
  SayDecisionFlags flags;
  TurnNeckMode mode = TNM_LOOK_NORMALLY;
  // Its fan and pass are too large for a frame of their own.
  auto groupWorks = std::make_unique<GroupWorks>(&wm, flags, mode, positioning);
  groupWorks->setHearedRequestPassNum(wm.getBody().getUniNum());
  groupWorks->setHearedRequestPassTime(wm.getCurTime());
  groupWorks->suggestPassSayManager();
  if (!flags.suggestPass) {
    state.SkipWithError("the scene should have a pass to suggest");
    return;
  }
  state.counters["value"] = flags.passWeight;

  for (auto _ : state) {
    groupWorks->suggestPassSayManager();
    benchmark::DoNotOptimize(flags.passWeight);
  }
}

void BM_GroupWorksSuggestPassAtCentre(benchmark::State& state) { runSuggestion(state, false); }
void BM_GroupWorksSuggestPassWithCrosses(benchmark::State& state) { runSuggestion(state, true); }

BENCHMARK(BM_GroupWorksSuggestPassAtCentre)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_GroupWorksSuggestPassWithCrosses)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tovren
