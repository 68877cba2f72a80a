#include "coach/OurTypes.h"

#include "foundation/Check.h"
#include "support/ChildProcess.h"
#include "support/PassScene.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace tovren {

const char* const keys[] = {"PlayerSpeedMax", "StaminaIncMax", "PlayerDecay",    "InertiaMoment",
                            "DashPowerRate",  "PlayerSize",    "KickableMargin", "KickRand",
                            "ExtraStamina",   "EffortMax",     "EffortMin"};

// Rows from..to-1; row r has the total rate r and the group rates 10r + 1 to 10r + 6.
static std::string lines(bool post, int from, int to, const std::string& tail = "") {
  std::string text;
  for (int r = from; r < to; ++r) {
    text += std::string(keys[r]) + " =";
    for (int k = 1; k <= (post ? 6 : 1); ++k) text += " " + std::to_string(post ? 10 * r + k : r);
    text += tail + "\n";
  }
  return text;
}

// Builds the task in a working directory whose rates file holds the text.
static std::unique_ptr<OurTypes> buildWith(const support::ScratchDirectory& directory,
                                           const std::string& text) {
  directory.write("Configs/OurTypesRates.conf", text);
  const support::WorkingDirectory inside(directory.path());
  return std::make_unique<OurTypes>();
}

TEST(OurTypes, RatesFileFillsEveryCellFromItsGroupKeyAndToken) {
  // Tokens past the sixth, a group in two sections, a key twice.
  const std::string text = "[PostRates]\n" + lines(true, 0, 5, " 99") +
                           "[MainRates]\nPlayerDecay = 77\n" + lines(false, 0, 2) +
                           "PlayerDecay = 2\n" + lines(false, 3, 11) + "[PostRates]\n" +
                           lines(true, 5, 11, " 99");
  const auto types = buildWith(support::ScratchDirectory(), text);
  for (int cell = 0; cell < 77; ++cell)
    EXPECT_EQ(types->getRate(cell / 7, cell % 7), cell % 7 ? 10 * (cell / 7) + cell % 7 : cell / 7);
}

TEST(OurTypesDeathTest, IncompleteRatesFileStopsAtStartUp) {
  // No EffortMin in PostRates.
  const std::string rates =
      "[MainRates]\n" + lines(false, 0, 11) + "[PostRates]\n" + lines(true, 0, 10);
  const support::ScratchDirectory directory;
  // Children only: the store is process-wide. A user's mistake ends the run with its line.
  EXPECT_DEATH(
      {
        try {
          buildWith(directory, rates + lines(true, 10, 11) + "KickRand = 1 2 3 4 5");
        } catch (const UserError& error) {
          std::fputs(error.what(), stderr);
          std::exit(1);
        }
      },
      "OurTypesRates.conf line 25, \\[PostRates\\] KickRand: holds fewer than 6 numbers");
  // The store's own stop, whose wording is the store's.
  EXPECT_DEATH(buildWith(directory, rates), "");
}

}  // namespace tovren
