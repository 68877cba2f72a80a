// Datagrams through the online coach's own dispatch, into a coach that has had a
// recorded start-up: init answer, server_param, player_param and the player types.
//
// Input: one byte that picks the recorded coach (left or right side), then the
// datagrams, separated by NUL bytes. Each datagram comes in a burst of its own and is
// followed by the coach's decision, as online.

#include "coach/AdvancedCoach.h"
#include "connection/VirtualConnection.h"
#include "fuzz/FuzzSupport.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tovren;

constexpr std::array<const char*, 2> kSides = {"left", "right"};

std::array<std::vector<std::string>, kSides.size()> startUps;

// The concrete coach with its link in reach.
class FuzzCoach : public AdvancedCoach {
 public:
  using AdvancedCoach::AdvancedCoach;

  void receive(const std::string& datagram) {
    if (!connection) connection = std::make_unique<VirtualConnection>();
    dynamic_cast<VirtualConnection&>(*connection).addMessage(datagram);
    sigIOHandler();
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::requireConfigs();
  fuzz::quietLogs();
  for (std::size_t i = 0; i < kSides.size(); ++i) {
    startUps[i] = fuzz::recordedStartUp(kSides[i], "Tovren-coach.txt", "see_global");
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t choice = data[0] % kSides.size();
  // The offline switch gives the world model a clock that only the messages move.
  std::unique_ptr<FuzzCoach> coach = fuzz::makeRole<FuzzCoach>({"--coach", "--offline-player"});

  fuzz::setLogsWriting(false);
  for (const std::string& text : startUps[choice]) coach->receive(text);
  fuzz::setLogsWriting(true);

  for (const std::string& datagram : fuzz::splitDatagrams(data + 1, size - 1)) {
    coach->receive(datagram);
  }
  return 0;
}
