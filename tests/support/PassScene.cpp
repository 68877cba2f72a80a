#include "support/PassScene.h"

#include <filesystem>
#include <sstream>

namespace tovren {
namespace support {

std::string passFactorsText(const std::vector<FactorEdit>& edits) {
  const char* groups[] = {
      "GlobalVars",   "PosDeviation",       "Offense",           "SeeInformation",
      "BallDistance", "DashDistance",       "BreakOffsideLine",  "PassedOppNum",
      "StatusOppNum", "SecurityDeltaCycle", "StatusOppDistance", "StatusOppDirection",
      "StatusShoot",  "DribblePath",        "DefenseLine",       "ExtraCatch"};
  const char* globals[] = {"LogLevel",        "CrossRate",        "CrossAlpha",
                           "OffenseRate",     "OffenseAlpha",     "SecureBallRate",
                           "SecureBallAlpha", "BreakOffsideRate", "BreakOffsideAlpha"};
  const char* factors[] = {"MinValue", "MaxValue", "MinWeight", "MaxWeight"};
  auto edited = [&](const std::string& group, const std::string& key, std::string value) {
    std::optional<std::string> result = value;
    for (const FactorEdit& edit : edits) {
      if (edit.group == group && (edit.key.empty() || edit.key == key)) result = edit.value;
    }
    return result;
  };

  std::ostringstream text;
  for (int row = -1; row < 15; ++row) {
    const std::string group = groups[row + 1];
    if (!edited(group, "", "")) continue;
    text << "[" << group << "]\n";
    for (int j = 0; j < (row < 0 ? 9 : 4); ++j) {
      std::ostringstream value;
      if (row < 0) value << (j == 0 ? 0.0f : j % 2 ? 0.6f + 0.1f * (j / 2) : 0.5f + j / 2);
      for (int kind = 0; row >= 0 && kind < 4; ++kind) {
        value << (kind ? " " : "") << kind * 1000 + row * 10 + j;
      }
      const std::string key = row < 0 ? globals[j] : factors[j];
      if (auto line = edited(group, key, value.str())) text << key << " = " << *line << "\n";
    }
  }
  return text.str();
}

WorkingDirectory::WorkingDirectory(const std::string& path)
    : previous(std::filesystem::current_path()) {
  std::filesystem::current_path(path);
}

WorkingDirectory::~WorkingDirectory() { std::filesystem::current_path(previous); }

}  // namespace support
}  // namespace tovren
