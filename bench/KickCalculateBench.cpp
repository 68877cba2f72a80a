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

// The recorded scene; the agent, the teammate nearest the ball, takes the ball at his foot
// and has just looked in every direction. Returns whether the ball is kickable.
bool buildScene(WorldModel& wm) {
  Point recordedBall(0.0f, 0.0f);
  if (!buildRecordedScene(wm, PLAY_ON_CYCLE, recordedBall)) return false;
  Body& body = wm.setBody();
  Vector offset;
  offset.setAsPolar(BALL_DIST, body.getBodyDir());
  Ball& kicked = wm.setBall();
  kicked.setPos().setAsCartesian(body.getPos().getX() + offset.getX(),
                                 body.getPos().getY() + offset.getY());
  kicked.setVel().setAsCartesian(0.0f, 0.0f);
  kicked.setPosDeviation(0.0f);
  kicked.setValidPosDeviation(0.0f);
  kicked.updateRelativeVecs(body);
  for (unsigned int k = 0; k < WorldModel::FULL_PLAYERS_NUM; ++k) {
    wm.setFullPlayer(TID_TEAMMATE, k).updateRelativeVecs(body);
    wm.setFullPlayer(TID_OPPONENT, k).updateRelativeVecs(body);
  }

  const float headDir = body.getHeadDir();
  for (unsigned int i = 0; i < WorldModel::VIEW_PARTS_NUM; ++i) {
    body.setHeadDir(wm.getViewPartDir(i));
    wm.updateSeeDeltaCyclesAfterSee();
  }
  body.setHeadDir(headDir);
  return wm.isBallKickable();
}

void BM_KickCalculateUpdate(benchmark::State& state) {
  configureOfflineAgent();
  WorldModel wm;
  if (!buildScene(wm)) {
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
