// Any text as a configuration file. The reader's stops on bad syntax are its specified
// answer to a user's mistake, so the text is first judged line by line on its own here:
// the reader must stop exactly where this judgement finds the first bad line, naming
// that line, and otherwise hold every setting with its tokens. The typed reads of every
// value may refuse a value only as a user's mistake.

#include "foundation/Check.h"
#include "foundation/Config.h"
#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tovren;

using Groups = std::map<std::string, std::map<std::string, std::string>>;

// What the reader must make of a text: the first bad line (0 for none) and the settings.
struct Judgement {
  int badLine = 0;
  Groups groups;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The line's settings into the groups, or false when the line is bad.
bool judgeLine(const std::string& line, std::string& group, Groups& groups) {
  const std::size_t end = std::min(line.find('#'), line.size());
  std::size_t first = 0;
  while (first < end && isBlank(line[first])) ++first;
  if (first == end) return true;
  std::size_t last = end - 1;
  while (isBlank(line[last])) --last;
  // A single significant character is no setting and no header.
  if (last == first) return true;
  if (line[first] == '[') {
    if (line[last] != ']') return false;
    group = line.substr(first + 1, last - first - 1);
    groups[group];
    return true;
  }
  const std::size_t equals = line.find('=');
  if (equals >= end || equals == first) return false;
  std::size_t keyLast = equals - 1;
  while (isBlank(line[keyLast])) --keyLast;
  std::size_t valueFirst = equals + 1;
  while (valueFirst <= last && isBlank(line[valueFirst])) ++valueFirst;
  groups[group][line.substr(first, keyLast - first + 1)] =
      valueFirst > last ? std::string() : line.substr(valueFirst, last - valueFirst + 1);
  return true;
}

Judgement judge(const std::string& text) {
  Judgement judgement;
  judgement.groups[""];
  std::string group;
  int number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t newline = std::min(text.find('\n', start), text.size());
    ++number;
    if (!judgeLine(text.substr(start, newline - start), group, judgement.groups)) {
      judgement.badLine = number;
      return judgement;
    }
    start = newline + 1;
  }
  return judgement;
}

// The tokens of a trimmed value: runs of blanks and tabs split it; "" is one empty token.
std::vector<std::string> tokens(const std::string& value) {
  std::vector<std::string> result(1);
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (!isBlank(value[i])) {
      result.back().push_back(value[i]);
    } else if (i + 1 < value.size() && !isBlank(value[i + 1])) {
      result.emplace_back();
    }
  }
  return result;
}

void expect(bool holds, const char* what, const std::string& detail) {
  if (holds) return;
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

void readTyped(const ConfigValue& value) {
  try {
    value.readInt();
  } catch (const UserError&) {
  }
  try {
    value.readBool();
  } catch (const UserError&) {
  }
  for (int i = 0; i < value.size(); ++i) {
    try {
      value.readFloat(i);
    } catch (const UserError&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::scratchDirectory() + "/fuzz.conf";
  fuzz::writeFile(path, data, size);
  const Judgement judgement = judge(std::string(reinterpret_cast<const char*>(data), size));

  ConfigFile file;
  try {
    file.readFile(path);
  } catch (const UserError& error) {
    const std::string named = path + " line " + std::to_string(judgement.badLine) + ": ";
    expect(judgement.badLine > 0, "a good text refused", error.what());
    expect(std::string(error.what()).rfind(named, 0) == 0, "the refusal names another line",
           error.what());
    return 0;
  }
  expect(judgement.badLine == 0, "a bad line taken", std::to_string(judgement.badLine));

  for (const auto& [group, settings] : judgement.groups) {
    for (const auto& [key, text] : settings) {
      const ConfigValue& value = file.need(group, key);
      expect(value.asString() == text, "a value read otherwise", "[" + group + "] " + key);
      const std::vector<std::string> expected = tokens(text);
      expect(value.size() == static_cast<int>(expected.size()), "another token count", text);
      for (int i = 0; i < value.size(); ++i) {
        expect(value[i].asString() == expected[static_cast<std::size_t>(i)], "another token", text);
      }
      readTyped(value);
    }
  }
  return 0;
}
