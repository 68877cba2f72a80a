#include "foundation/Config.h"

#include "foundation/Check.h"

#include <cstdio>
#include <fstream>
#include <iostream>

namespace tovren {

namespace {

const char* const whiteSpace = " \t";

struct CommandLineOption {
  const char* name;
  const char* group;  // null: accepted and ignored
  const char* key;
  bool takesValue;  // false: the text stored is "True"
};

const CommandLineOption commandLineOptions[] = {
    {"--goalie", "Public", "IsGoalie", false},
    {"--offline-player", "Server", "OfflinePlayer", false},
    {"--offline-frames", "Server", "OfflineFrames", false},
    // The entry point chooses the coach role from the first argument.
    {"--coach", nullptr, nullptr, false},
    {"--host", "Server", "HostName", true},
    {"--player-port", "Server", "PlayerPort", true},
    {"--coach-port", "Server", "CoachPort", true},
    {"--number", "Public", "UniformNum", true},
    {"--team", "Public", "TeamName", true},
    {"--random-seed", "Public", "RandomSeed", true},
};

const CommandLineOption* findOption(const std::string& argument) {
  for (const auto& option : commandLineOptions) {
    if (argument == option.name) {
      return &option;
    }
  }
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------- ConfigValue

ConfigValue::ConfigValue(const std::string& text) : value(text) {
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

const Str& ConfigValue::operator[](int i) const {
  TOVREN_CHECK(i >= 0 && i < size());
  return values[static_cast<std::size_t>(i)];
}

// ---------------------------------------------------------------- ConfigGroup

void ConfigGroup::add(const std::string& key, const std::string& text) {
  values.insert_or_assign(key, ConfigValue(text));
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
    std::fprintf(stderr, "Cannot open configuration file: %s\n", path.c_str());
    std::fflush(stderr);
  }
  TOVREN_CHECK(fin);

  // Map nodes never move, so the current group can be held by pointer.
  ConfigGroup* current = &groups[""];
  std::string line;
  while (std::getline(fin, line)) {
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
      TOVREN_CHECK(line[ve] == ']');
      current = &groups[line.substr(vb + 1, ve - vb - 1)];
      continue;
    }

    const auto qpos = line.find('=');
    TOVREN_CHECK_NAMED(qpos != std::string::npos && qpos < cpos,
                       "qpos != string::npos && qpos < cpos");
    // "=" is significant, so qpos >= vb; the key is empty when qpos == vb.
    const auto keyEnd =
        qpos == vb ? std::string::npos : line.find_last_not_of(whiteSpace, qpos - 1);
    const std::string key =
        keyEnd == std::string::npos ? std::string() : line.substr(vb, keyEnd - vb + 1);
    TOVREN_CHECK(!key.empty());

    // Nothing significant after "=" (or only a comment) stores the empty text.
    const auto vs = line.find_first_not_of(whiteSpace, qpos + 1);
    const std::string text =
        vs == std::string::npos || vs > ve ? std::string() : line.substr(vs, ve - vs + 1);
    current->add(key, text);
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
    (*this)[option->group].add(option->key, text);
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
            << "  --coach--port portnum     : Set coach port number to connect to server\n"
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
