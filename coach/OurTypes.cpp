#include "coach/OurTypes.h"

#include "foundation/Check.h"
#include "foundation/Config.h"

#include <string>

namespace tovren {

namespace {

const char* const ratesPath = "./Configs/OurTypesRates.conf";

// The file's key of each row.
const char* const rateKeys[OurTypes::rateRows] = {"PlayerSpeedMax", "StaminaIncMax", "PlayerDecay",
                                                  "InertiaMoment",  "DashPowerRate", "PlayerSize",
                                                  "KickableMargin", "KickRand",      "ExtraStamina",
                                                  "EffortMax",      "EffortMin"};

struct RateGroup {
  const char* name;
  int tokens;  // numbers read from each key, into columns first to first + tokens - 1
  int first;
};

const RateGroup mainRates = {"MainRates", 1, 0};
const RateGroup postRates = {"PostRates", OurTypes::rateColumns - 1, 1};

// A line with too few numbers is the user's mistake, so the stop names the file, group
// and key instead of an index deep in the store.
float readRate(const RateGroup& group, int row, int token) {
  const ConfigValue& value = config["OurTypes"][group.name][rateKeys[row]];
  if (value.size() < group.tokens) {
    value.refuse("holds fewer than " + std::to_string(group.tokens) + " numbers");
  }
  return value.readFloat(token);
}

}  // namespace

OurTypes::OurTypes() { loadOurTypesRates(); }

OurTypes::~OurTypes() = default;

void OurTypes::loadOurTypesRates() {
  config.add("OurTypes");
  config["OurTypes"].setByFile(ratesPath);
  for (const RateGroup* group : {&mainRates, &postRates}) {
    for (int token = 0; token < group->tokens; ++token) {
      for (int row = 0; row < rateRows; ++row) {
        rates[row][group->first + token] = readRate(*group, row, token);
      }
    }
  }
}

}  // namespace tovren
