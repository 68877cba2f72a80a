#include "foundation/Config.h"

#include "foundation/Check.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace tovren {

namespace {

const char* const whiteSpace = " \t";

struct CommandLineOption {
  const char* name;
  const char* group;  // null: accepted and ignored
  const char* key;
  bool takesValue;  // false: the text stored is "True"
  bool takesNumber;
};

const CommandLineOption commandLineOptions[] = {
    {"--goalie", "Public", "IsGoalie", false, false},
    {"--offline-player", "Server", "OfflinePlayer", false, false},
    {"--offline-frames", "Server", "OfflineFrames", false, false},
    // The entry point chooses the coach role from the first argument.
    {"--coach", nullptr, nullptr, false, false},
    {"--host", "Server", "HostName", true, false},
    {"--player-port", "Server", "PlayerPort", true, true},
    {"--coach-port", "Server", "CoachPort", true, true},
    {"--number", "Public", "UniformNum", true, true},
    {"--team", "Public", "TeamName", true, false},
    {"--random-seed", "Public", "RandomSeed", true, true},
};

const CommandLineOption* findOption(const std::string& argument) {
  for (const auto& option : commandLineOptions) {
    if (argument == option.name) {
      return &option;
    }
  }
  return nullptr;
}

// "<path> line <n>", the start of every line that names a mistake in a file.
std::string fileLine(const std::string& path, int lineNumber) {
  return path + " line " + std::to_string(lineNumber);
}

}  // namespace

// ---------------------------------------------------------------- ConfigValue

ConfigValue::ConfigValue(const std::string& text, const std::string& origin)
    : value(text), origin(origin) {
  std::string::size_type start = 0;
  // Each pass stores one token and moves start past it, so the split ends.
  for (;;) {
    const auto separator = value.find_first_of(whiteSpace, start);
    if (separator == std::string::npos) {
      values.emplace_back(value.substr(start));
      return;
    }
    values.emplace_back(value.substr(start, separator - start));
    start = value.find_first_not_of(whiteSpace, separator);
    if (start == std::string::npos) {
      return;
    }
  }
}

ConfigValue::~ConfigValue() = default;

int ConfigValue::asInt() const {
  TOVREN_CHECK(values.size() > 0);
  return values[0].asInt();
}

float ConfigValue::asFloat() const {
  TOVREN_CHECK(values.size() > 0);
  return values[0].asFloat();
}

bool ConfigValue::asBool() const {
  TOVREN_CHECK(values.size() > 0);
  return values[0].asBool();
}

char ConfigValue::asChar() const {
  TOVREN_CHECK(values.size() > 0);
  return values[0].asChar();
}

int ConfigValue::readInt() const {
  const std::string& text = values[0].asString();
  char* end = nullptr;
  const long number = std::strtol(text.c_str(), &end, 0);
  if (end != text.c_str() && *end == '\0' && number >= INT_MIN && number <= INT_MAX) {
    return static_cast<int>(number);
  }
  if (origin.empty()) return asInt();
  refuse("\"" + value + "\" is not a whole number");
}

int ConfigValue::readInt(int low, int high) const {
  const int number = readInt();
  if (number >= low && number <= high) return number;
  refuse("\"" + value + "\" is not between " + std::to_string(low) + " and " +
         std::to_string(high));
}

float ConfigValue::readFloat(int i) const {
  const std::string& text = (*this)[i].asString();
  char* end = nullptr;
  const float number = std::strtof(text.c_str(), &end);
  if (end != text.c_str() && *end == '\0' && std::isfinite(number)) return number;
  if (origin.empty()) return (*this)[i].asFloat();
  refuse("\"" + text + "\" is not a number");
}

float ConfigValue::readFloat(float low, float high) const {
  const float number = readFloat();
  if (number >= low && number <= high) return number;
  std::ostringstream range;
  range << low << " and " << high;
  refuse("\"" + value + "\" is not between " + range.str());
}

bool ConfigValue::readBool() const {
  bool flag = false;
  if (Str::readBool(values[0].asString(), flag)) return flag;
  if (origin.empty()) return asBool();
  refuse("\"" + value + "\" is not true, false, 1 or 0");
}

void ConfigValue::refuse(const std::string& problem) const {
  TOVREN_CHECK_NAMED(!origin.empty(), problem.c_str());
  throw UserError(origin + ": " + problem);
}

const Str& ConfigValue::operator[](int i) const {
  TOVREN_CHECK(i >= 0 && i < size());
  return values[static_cast<std::size_t>(i)];
}

// ---------------------------------------------------------------- ConfigGroup

void ConfigGroup::add(const std::string& key, const std::string& text, const std::string& origin) {
  values.insert_or_assign(key, ConfigValue(text, origin));
}

ConfigValue& ConfigGroup::operator[](const std::string& key) {
  const auto it = values.find(key);
  TOVREN_CHECK(it != values.end());
  return it->second;
}

const ConfigValue& ConfigGroup::operator[](const std::string& key) const {
  const auto it = values.find(key);
  TOVREN_CHECK(it != values.end());
  return it->second;
}

// ---------------------------------------------------------------- ConfigFile

ConfigFile::ConfigFile() = default;

ConfigFile::ConfigFile(const std::string& path) { readFile(path); }

ConfigFile::~ConfigFile() = default;

void ConfigFile::readFile(const std::string& path) {
  std::ifstream fin(path);
  if (!fin) {
    throw UserError("Cannot open configuration file: " + path);
  }
  this->path = path;

  // Map nodes never move, so the current group can be held by pointer.
  ConfigGroup* current = &groups[""];
  std::string currentName;
  std::string line;
  int lineNumber = 0;
  while (std::getline(fin, line)) {
    ++lineNumber;
    const auto cpos = line.find('#');
    const auto vb = line.find_first_not_of(whiteSpace);
    if (vb == std::string::npos || vb >= cpos) {
      continue;
    }
    // Here cpos > vb >= 0, so cpos - 1 cannot wrap.
    const auto ve = line.find_last_not_of(whiteSpace, cpos == std::string::npos ? cpos : cpos - 1);
    if (ve <= vb) {
      continue;
    }

    if (line[vb] == '[') {
      if (line[ve] != ']') {
        // A carriage return of a DOS line end counts as text here.
        throw UserError(fileLine(path, lineNumber) +
                        ": a group header that does not end with \"]\"");
      }
      currentName = line.substr(vb + 1, ve - vb - 1);
      current = &groups[currentName];
      continue;
    }

    const auto qpos = line.find('=');
    if (qpos == std::string::npos || qpos >= cpos) {
      throw UserError(fileLine(path, lineNumber) + ": a setting without \"=\"");
    }
    // "=" is significant, so qpos >= vb; the key is empty when qpos == vb.
    const auto keyEnd =
        qpos == vb ? std::string::npos : line.find_last_not_of(whiteSpace, qpos - 1);
    const std::string key =
        keyEnd == std::string::npos ? std::string() : line.substr(vb, keyEnd - vb + 1);
    if (key.empty()) {
      throw UserError(fileLine(path, lineNumber) + ": a setting without a key");
    }

    // Nothing significant after "=" (or only a comment) stores the empty text.
    const auto vs = line.find_first_not_of(whiteSpace, qpos + 1);
    const std::string text =
        vs == std::string::npos || vs > ve ? std::string() : line.substr(vs, ve - vs + 1);
    current->add(key, text, fileLine(path, lineNumber) + ", [" + currentName + "] " + key);
  }
}

void ConfigFile::setByFile(const std::string& path) { readFile(path); }

void ConfigFile::addGroup(const std::string& name) { groups.try_emplace(name); }

ConfigGroup& ConfigFile::operator[](const std::string& name) {
  const auto it = groups.find(name);
  TOVREN_CHECK(it != groups.end());
  return it->second;
}

const ConfigGroup& ConfigFile::operator[](const std::string& name) const {
  const auto it = groups.find(name);
  TOVREN_CHECK(it != groups.end());
  return it->second;
}

const ConfigValue& ConfigFile::need(const std::string& group, const std::string& key) const {
  const auto it = groups.find(group);
  if (it == groups.end() || !it->second.has(key)) {
    throw UserError((path.empty() ? std::string("configuration") : path) + ": [" + group + "] " +
                    key + " is missing");
  }
  return it->second[key];
}

bool ConfigFile::setByArguments(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const CommandLineOption* option = argv[i] == nullptr ? nullptr : findOption(argv[i]);
    if (option == nullptr || (option->takesValue && (i + 1 >= argc || argv[i + 1] == nullptr))) {
      argumentsError(argv[0] == nullptr ? "" : argv[0]);
      return false;
    }
    if (option->group == nullptr) {
      continue;
    }
    const char* text = "True";
    if (option->takesValue) {
      text = argv[++i];
    }
    ConfigGroup& group = (*this)[option->group];
    group.add(option->key, text, std::string("option ") + option->name);
    // Read later, but a wrong value is told now, while the option can be named.
    if (option->takesNumber) {
      group[option->key].readInt();
    }
  }
  return true;
}

void ConfigFile::argumentsError(const std::string& programName) const {
  std::cout << "Usage : " << programName << " [Options]\n"
            << "Options :\n"
            << "  --goalie                  : Init agent as a goalie\n"
            << "  --coach                   : Init and run as coach\n"
            << "  --offline-player          : Run as offline player\n"
            << "  --offline-frames          : Run as offline frames player\n"
            << "  --team teamname           : Set teamname to connect to server\n"
            << "  --host hostname           : Set hostname to connect to server\n"
            << "  --player-port portnum     : Set player port number to connect to server\n"
            << "  --coach-port portnum      : Set coach port number to connect to server\n"
            << "  --number pnum             : Set player number\n"
            << "\n";
  std::cout.flush();
}

// ---------------------------------------------------------------- Config

Config::ConfigFiles::~ConfigFiles() = default;

Config::ConfigFiles* Config::configFiles = nullptr;

Config config;

Config::Config() { store(); }

Config::~Config() = default;

Config::ConfigFiles& Config::store() {
  // Made once and never freed: handles and readers may outlive any static order.
  if (configFiles == nullptr) {
    configFiles = new ConfigFiles;
  }
  return *configFiles;
}

void Config::add(const std::string& name) {
  auto& files = store().files;
  if (files.find(name) == files.end()) {
    files.emplace(name, std::make_unique<ConfigFile>());
  }
}

void Config::add(const std::string& name, const std::string& path) {
  auto& files = store().files;
  const auto it = files.find(name);
  if (it != files.end()) {
    it->second->readFile(path);
    return;
  }
  files.emplace(name, std::make_unique<ConfigFile>(path));
}

ConfigFile& Config::operator[](const std::string& name) {
  auto& files = store().files;
  const auto it = files.find(name);
  TOVREN_CHECK(it != files.end());
  return *it->second;
}

const ConfigFile& Config::operator[](const std::string& name) const {
  const auto& files = store().files;
  const auto it = files.find(name);
  TOVREN_CHECK(it != files.end());
  return *it->second;
}

}  // namespace tovren
