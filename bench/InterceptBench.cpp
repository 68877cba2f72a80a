#include "foundation/Config.h"
#include "foundation/SExpression.h"
#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

// One interception run, as the world model makes it after every see and the kick fan 243
// times per update: the 22 players of a recorded play-on cycle right after the kick-off
// and the ball kicked from the centre spot, one case per kick direction.

namespace tovren {
namespace {

const char* const FIXTURES = TOVREN_SOURCE_DIR "/../shared/fixtures/left/";
// Five cycles into the first play_on of the recording (the kick-off at cycle 5): the
// players have started to move, the ball still rests on the centre spot.
const char* const PLAY_ON_CYCLE = "(see_global 10 ";
// A firm pass, metres per cycle.
constexpr float KICK_SPEED = 2.5f;
// A sighting this close keeps a player valid and well known.
constexpr float SEEN_POS_DEVIATION = 0.5f;

std::unique_ptr<SExpression> parse(const std::string& text) {
  if (!SExpression::isWellFormed(text)) return nullptr;
  unsigned int pos = 0;
  return std::make_unique<SExpression>(text, pos);
}

float numberAt(const SExpression& list, unsigned int i) {
  return static_cast<const SExpAtomic*>(list[i])->asFloat();
}

// The recorded parameters, then the players of the cycle in the own frame of the left
// side (the server's y and directions negated); the teammate nearest the centre is the
// agent. Returns whether the scene could be built.
bool buildScene(WorldModel& wm) {
  std::ifstream recording(std::string(FIXTURES) + "Tovren-2.txt");
  std::string line;
  while (std::getline(recording, line)) {
    const std::unique_ptr<SExpression> message = parse(line.substr(line.find('\t') + 1));
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
  unsigned int players = 0;
  for (unsigned int i = 2; i < view->size(); ++i) {
    const auto& entry = static_cast<const SExpression&>(*(*view)[i]);
    const auto& name = static_cast<const SExpression&>(*entry[0]);
    if (name[0]->toString() != "p") continue;
    const TeamId team = name[1]->toString() == "\"Tovren\"" ? TID_TEAMMATE : TID_OPPONENT;
    const unsigned int uniNum =
        static_cast<unsigned int>(static_cast<const SExpAtomic*>(name[2])->asInt());
    if (uniNum < 1 || uniNum > WorldModel::FULL_PLAYERS_NUM) return false;
    Player& p = wm.setFullPlayer(team, uniNum - 1);
    p.setTeamId(team);
    p.setUniNum(uniNum);
    p.setGoalie(name.size() > 3);
    p.setPos().setAsCartesian(numberAt(entry, 1), -numberAt(entry, 2));
    p.setVel().setAsCartesian(numberAt(entry, 3), -numberAt(entry, 4));
    p.setBodyDir(-numberAt(entry, 5));
    p.setHeadDir(-numberAt(entry, 6));
    p.setPosDeviation(SEEN_POS_DEVIATION);
    p.setValidPosDeviation(SEEN_POS_DEVIATION);
    ++players;
    if (team == TID_TEAMMATE &&
        (agent == nullptr || p.getPos().getMagnitude() < agent->getPos().getMagnitude())) {
      agent = &p;
    }
  }
  if (agent == nullptr || players != 2 * WorldModel::FULL_PLAYERS_NUM) return false;

  Body& body = wm.setBody();
  static_cast<Player&>(body) = *agent;
  wm.replaceBodyInPlayersList(body.getUniNum());
  return true;
}

// The world model's own session: a free ball, every known player. Timed: giving the
// session the kicked ball and running it.
void BM_InterceptRun(benchmark::State& state) {
  config.add("Agent");
  config["Agent"].addGroup("Server");
  config["Agent"]["Server"].add("OfflinePlayer", "true");
  auto wm = std::make_unique<WorldModel>();
  if (!buildScene(*wm)) {
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
