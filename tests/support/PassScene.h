#pragma once

// Scenes for the pass: a factor file whose every number tells where it stands, a pass
// whose fields a test can read, and a working directory for the file's relative path.

#include "actions/withball/Pass.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tovren {
namespace support {

// One change to the factor file: a key's new value text, or with no value the key
// dropped (the whole group with an empty key).
struct FactorEdit {
  std::string group;
  std::string key;
  std::optional<std::string> value;
};

// A complete factor file. Token k of factor key j (MinValue 0 .. MaxWeight 3) of row r
// (in file order) is k × 1000 + r × 10 + j. "GlobalVars": LogLevel 0, CrossRate 0.6,
// CrossAlpha 1.5 and so on up to BreakOffsideAlpha 4.5, in steps of 0.1 and 1.
std::string passFactorsText(const std::vector<FactorEdit>& edits = {});

// A pass with its valuing left out and its fields open to the test.
class ProbePass : public Pass {
 public:
  using Pass::Pass;
  void execute(SayDecisionFlags&) override {}
  float getValue() override { return AD_MIN_VALUE; }

  using Pass::breakOffsideAlpha;
  using Pass::crossRate;
  using Pass::logLevel;
  using Pass::passFactors;
};

// Works in the directory while it lives.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path);
  ~WorkingDirectory();
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::filesystem::path previous;
};

}  // namespace support
}  // namespace tovren
