#include "foundation/Config.h"
#include "foundation/SExpression.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/KickCalculate.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

// One full refresh of the kick fan, as the body decision runs it in every cycle in which
// the agent can kick: 243 interception runs over the 22 players of a recorded play-on
// cycle, the ball at the agent's foot and every direction just looked at.

namespace tovren {
namespace {

const char* const FIXTURES = TOVREN_SOURCE_DIR "/../shared/fixtures/left/";
// A play-on cycle of the recorded match (play_on from cycle 30, a free kick at 60).
const char* const PLAY_ON_CYCLE = "(see_global 40 ";
// The ball rests this far in front of the agent (metres): well within the kick distance.
constexpr float BALL_DIST = 0.6f;
// Fewer valid entries would mean the scene measures the early exits, not the runs.
constexpr unsigned int MIN_VALID_ENTRIES = 200;
// A sighting this close keeps a player valid and well known.
constexpr float SEEN_POS_DEVIATION = 0.5f;

std::unique_ptr<SExpression> parse(const std::string& text) {
  if (!SExpression::isWellFormed(text)) return nullptr;
  unsigned int pos = 0;
  return std::make_unique<SExpression>(text, pos);
}

float number(const SExpression& list, unsigned int i) {
  return static_cast<const SExpAtomic*>(list[i])->asFloat();
}

// The recorded parameters, then the players of the cycle in the own frame of the left
// side (the server's y and directions negated). Returns whether the scene could be built.
bool buildScene(WorldModel& wm) {
  std::ifstream player(std::string(FIXTURES) + "Tovren-2.txt");
  std::string line;
  while (std::getline(player, line)) {
    const std::string text = line.substr(line.find('\t') + 1);
    const std::unique_ptr<SExpression> message = parse(text);
    if (message == nullptr) continue;
    const std::string header = (*message)[0]->toString();
    if (header == "server_param") wm.initServerParam(*message);
    if (header == "player_param") wm.initPlayerParam(*message);
    if (header == "player_type") wm.initPlayerType(*message);
  }

  std::ifstream trainer(std::string(FIXTURES) + "trainer.txt");
  std::unique_ptr<SExpression> view;
  while (view == nullptr && std::getline(trainer, line)) {
    const std::string text = line.substr(line.find('\t') + 1);
    if (text.rfind(PLAY_ON_CYCLE, 0) == 0) view = parse(text);
  }
  if (view == nullptr) return false;

  const Player* agent = nullptr;
  Point ball;
  for (unsigned int i = 2; i < view->size(); ++i) {
    const auto& entry = static_cast<const SExpression&>(*(*view)[i]);
    const auto& name = static_cast<const SExpression&>(*entry[0]);
    const std::string kind = name[0]->toString();
    if (kind == "b") ball = Point(number(entry, 1), -number(entry, 2));
    if (kind != "p") continue;
    const TeamId team = name[1]->toString() == "\"Tovren\"" ? TID_TEAMMATE : TID_OPPONENT;
    const unsigned int uniNum =
        static_cast<unsigned int>(static_cast<const SExpAtomic*>(name[2])->asInt());
    Player& p = wm.setFullPlayer(team, uniNum - 1);
    p.setTeamId(team);
    p.setUniNum(uniNum);
    p.setGoalie(name.size() > 3);
    p.setPos().setAsCartesian(number(entry, 1), -number(entry, 2));
    p.setVel().setAsCartesian(number(entry, 3), -number(entry, 4));
    p.setBodyDir(-number(entry, 5));
    p.setHeadDir(-number(entry, 6));
    p.setPosDeviation(SEEN_POS_DEVIATION);
    p.setValidPosDeviation(SEEN_POS_DEVIATION);
    if (team == TID_TEAMMATE &&
        (agent == nullptr || p.getDistance(ball) < agent->getDistance(ball))) {
      agent = &p;
    }
  }
  if (agent == nullptr) return false;

  // The agent is the teammate nearest the ball; it takes his place and the ball.
  Body& body = wm.setBody();
  static_cast<Player&>(body) = *agent;
  wm.replaceBodyInPlayersList(body.getUniNum());
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
  config.add("Agent");
  config["Agent"].addGroup("Server");
  config["Agent"]["Server"].add("OfflinePlayer", "true");
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
