// Any text as the offline replay's input file, replayed by the concrete player as
// "--offline-player --number 2" replays it: every line read, every logged message
// dispatched, every emergency repeated.

#include "decisions/AdvancedAgent.h"
#include "foundation/Config.h"
#include "fuzz/FuzzSupport.h"

#include <memory>
#include <string>
#include <vector>

using namespace tovren;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::requireConfigs();
  fuzz::quietLogs();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The name the replay looks for: team "Tovren" of the shipped file, player 2.
  fuzz::writeFile(fuzz::scratchDirectory() + "/Tovren2.log.off.in", data, size);
  std::unique_ptr<AdvancedAgent> player =
      fuzz::makeRole<AdvancedAgent>({"--offline-player", "--number", "2"});
  config["Agent"]["AgentLog"].add("InputLogAddress", fuzz::scratchDirectory());
  player->run();
  return 0;
}
