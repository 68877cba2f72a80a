#include "actions/withball/Pass.h"

#include "support/ChildProcess.h"
#include "support/KickScene.h"
#include "support/PassScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

// Each failure stops a child process. No test here reads the factor file in the parent,
// so every child starts from a store without "Pass", as the program does.

namespace tovren {
namespace {

TEST(PassFactorsFile, EveryBadFileStopsNamingItsCondition) {
  struct Case {
    std::vector<support::FactorEdit> edits;  // no file at all when the first has no group
    const char* condition;  // "built" first: the pass was built and stopped at its valuing
  };
  const Case cases[] = {
      {{{}}, "Assertion failed: fin "},
      {{{"ExtraCatch", "", {}}}, "it != groups.end\\(\\)"},
      {{{"StatusShoot", "MaxWeight", "1 2 3"}}, "PassFactors.conf \\[StatusShoot\\] MaxWeight"},
      {{{"DribblePath", "MinValue", ""}}, "PassFactors.conf \\[DribblePath\\] MinValue"},
      // Every key is counted before any is read.
      {{{"PosDeviation", "MinValue", "x 0 0 0"}, {"ExtraCatch", "MaxWeight", "0 0 0"}},
       "\\[ExtraCatch\\] MaxWeight"},
      {{{"Offense", "MinWeight", "1 2 x 4"}}, "end != value.c_str\\(\\)"},
      {{{"GlobalVars", "", {}}}, "built(.|\n)*it != groups.end\\(\\)"},
      {{{"GlobalVars", "OffenseAlpha", {}}}, "built(.|\n)*it != values.end\\(\\)"},
  };

  support::setAgentConfig(true);
  WorldModel worldModel;
  support::placeAgentWithBall(worldModel, 40.0f, 0.0f, 0.0f, 0.5f);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.condition);
    support::ScratchDirectory directory;
    if (!c.edits[0].group.empty()) {
      directory.write("Configs/PassFactors.conf", support::passFactorsText(c.edits));
    }
    support::WorkingDirectory inside(directory.path());
    EXPECT_DEATH(
        {
          support::ProbePass pass(&worldModel, false);
          std::fputs("built\n", stderr);
          pass.calculateGlobalVars();
        },
        c.condition);
  }
}

}  // namespace
}  // namespace tovren
