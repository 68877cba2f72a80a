#include "actions/withball/Pass.h"

#include "foundation/Check.h"
#include "support/ChildProcess.h"
#include "support/KickScene.h"
#include "support/PassScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

// Each failure stops a child process. No test here reads the factor file in the parent,
// so every child starts from a store without "Pass", as the program does.

namespace tovren {
namespace {

TEST(PassFactorsFile, EveryBadFileStopsNamingItsCondition) {
  struct Case {
    std::vector<support::FactorEdit> edits;  // no file at all when the first has no group
    const char* condition;
  };
  const Case cases[] = {
      {{{}}, "Cannot open configuration file: ./Configs/PassFactors.conf"},
      {{{"ExtraCatch", "", {}}}, "PassFactors.conf: \\[ExtraCatch\\] MinValue is missing"},
      {{{"StatusShoot", "MaxWeight", "1 2 3"}},
       "PassFactors.conf line [0-9]+, \\[StatusShoot\\] MaxWeight"},
      {{{"DribblePath", "MinValue", ""}},
       "PassFactors.conf line [0-9]+, \\[DribblePath\\] MinValue"},
      // Every key is counted before any is read.
      {{{"PosDeviation", "MinValue", "x 0 0 0"}, {"ExtraCatch", "MaxWeight", "0 0 0"}},
       "\\[ExtraCatch\\] MaxWeight"},
      {{{"Offense", "MinWeight", "1 2 x 4"}}, "\\[Offense\\] MinWeight: \"x\" is not a number"},
      // What the valuing reads is checked when the pass is built, before the match.
      {{{"GlobalVars", "CrossRate", "fast"}},
       "^\\./Configs/PassFactors.conf line 3, \\[GlobalVars\\] CrossRate: \"fast\""},
      {{{"GlobalVars", "", {}}},
       "^\\./Configs/PassFactors.conf: \\[GlobalVars\\] LogLevel is missing"},
      {{{"GlobalVars", "OffenseAlpha", {}}},
       "^\\./Configs/PassFactors.conf: \\[GlobalVars\\] OffenseAlpha is missing"},
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
    // A user's mistake ends the run with its line, as main does.
    EXPECT_DEATH(
        {
          try {
            support::ProbePass pass(&worldModel, false);
            std::fputs("built\n", stderr);
            pass.calculateGlobalVars();
          } catch (const UserError& error) {
            std::fputs(error.what(), stderr);
            std::exit(1);
          }
        },
        c.condition);
  }
}

}  // namespace
}  // namespace tovren
