// Datagrams through the player's own dispatch, into a player that has had a recorded
// start-up: init answer, server_param, player_param and the player types.
//
// Input: one byte that picks the recorded player (left or right side, field player or
// goalie), then the datagrams, separated by NUL bytes. Each datagram comes in a burst of
// its own, a little later in the cycle than the one before, and is followed by the
// player's decision, as online.

#include "connection/VirtualConnection.h"
#include "decisions/AdvancedAgent.h"
#include "foundation/Timer.h"
#include "fuzz/FuzzSupport.h"
#include "worldmodel/WorldModel.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tovren;

struct Player {
  const char* side;
  const char* file;
  bool goalie;
};

constexpr std::array<Player, 4> kPlayers = {{
    {"left", "Tovren-2.txt", false},
    {"right", "Tovren-2.txt", false},
    {"left", "Tovren-1-goalie.txt", true},
    {"right", "Tovren-1-goalie.txt", true},
}};

// Milliseconds between two datagrams of the input: a few datagrams span a cycle.
constexpr int kDatagramStepMS = 17;
// A cycle is 100 ms; the clock runs on through it as the datagrams come.
constexpr int kCycleMS = 100;

std::array<std::vector<std::string>, kPlayers.size()> startUps;

// The concrete player with its link and clock in reach.
class FuzzPlayer : public AdvancedAgent {
 public:
  using AdvancedAgent::AdvancedAgent;

  void receive(const std::string& datagram, int ms) {
    if (!connection) initVirtualConnection();
    dynamic_cast<VirtualConnection&>(*connection).addMessage(datagram);
    dynamic_cast<VirtualTimer&>(worldModel->setTimer()).setCurMS(ms);
    sigIOHandler();
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::requireConfigs();
  fuzz::quietLogs();
  for (std::size_t i = 0; i < kPlayers.size(); ++i) {
    startUps[i] = fuzz::recordedStartUp(kPlayers[i].side, kPlayers[i].file, "sense_body");
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t choice = data[0] % kPlayers.size();
  std::vector<std::string> arguments = {"--offline-player"};
  if (kPlayers[choice].goalie) arguments.push_back("--goalie");
  std::unique_ptr<FuzzPlayer> player = fuzz::makeRole<FuzzPlayer>(arguments);

  fuzz::setLogsWriting(false);
  for (const std::string& text : startUps[choice]) player->receive(text, 0);
  fuzz::setLogsWriting(true);

  int ms = 0;
  for (const std::string& datagram : fuzz::splitDatagrams(data + 1, size - 1)) {
    player->receive(datagram, ms);
    ms = (ms + kDatagramStepMS) % kCycleMS;
  }
  return 0;
}
