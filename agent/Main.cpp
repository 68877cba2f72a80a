#include "coach/AdvancedCoach.h"
#include "decisions/AdvancedAgent.h"
#include "foundation/Check.h"

#include <cstring>
#include <iostream>
#include <memory>

// The first argument alone chooses the role; the whole argument vector goes to the
// role's configuration. A user's mistake ends the process with one line naming it and
// status 1, not an abort: the user can mend it.
int main(int argc, char** argv) {
  try {
    if (argc > 1 && std::strcmp(argv[1], "--coach") == 0) {
      auto coach = std::make_unique<tovren::AdvancedCoach>(argc, argv);
      coach->run();
      // A failed link, or a server that never sent the global view, ends with status 1.
      const int status = coach->getExitStatus();
      coach.reset();
      return status;
    }
    auto agent = std::make_unique<tovren::AdvancedAgent>(argc, argv);
    agent->run();
    // An init answer the player cannot live with, or a server that never answered,
    // ends an orderly run with status 1.
    const int status = agent->getExitStatus();
    agent.reset();
    return status;
  } catch (const tovren::UserError& error) {
    std::cout.flush();
    std::cerr << error.what() << std::endl;
    return 1;
  }
}
