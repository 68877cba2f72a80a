#pragma once

#include "foundation/Str.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tovren {

// A setting: its whole text and the text split at blanks and tabs into tokens.
// There is always at least one token ("" gives one empty token).
class ConfigValue {
 public:
  // The origin says where a user gave the text (file, line, group and key, or the
  // option); it is empty for values written by code.
  explicit ConfigValue(const std::string& text, const std::string& origin = std::string());
  ConfigValue(const ConfigValue&) = default;
  ConfigValue(ConfigValue&&) = default;
  ConfigValue& operator=(const ConfigValue&) = default;
  ConfigValue& operator=(ConfigValue&&) = default;
  virtual ~ConfigValue();

  // The text exactly as it was given, blanks between tokens included.
  const std::string& asString() const { return value; }
  // The first token, converted as Str converts it.
  int asInt() const;
  float asFloat() const;
  bool asBool() const;
  char asChar() const;
  // asInt(), asFloat() and asBool() for a value the user gave: a token that is not
  // wholly of the kind ("12x" is no number) throws a UserError that names its origin and
  // its text. readFloat reads token i.
  int readInt() const;
  // readInt() for a number that must lie in low..high (both taken).
  int readInt(int low, int high) const;
  float readFloat(int i = 0) const;
  // readFloat() for the first token, a number that must lie in low..high (both taken).
  float readFloat(float low, float high) const;
  bool readBool() const;
  // Throws a UserError naming the value's origin and what is wrong with it; a value
  // written by code is the program's own, so there it stops as an assertion.
  [[noreturn]] void refuse(const std::string& problem) const;

  int size() const { return static_cast<int>(values.size()); }
  // The token at the index (from 0), which must be below size().
  const Str& operator[](int i) const;

 private:
  std::string value;
  std::vector<Str> values;
  std::string origin;
};

// A keyed table of values: a section of a configuration file, or on its own a table
// such as the server's parameters.
class ConfigGroup {
 public:
  // Inserts the key, or replaces its text, tokens and origin.
  void add(const std::string& key, const std::string& text,
           const std::string& origin = std::string());
  // Whether the key is there: values that come from the network are looked up only then.
  bool has(const std::string& key) const { return values.count(key) != 0; }
  // A missing key stops the process.
  ConfigValue& operator[](const std::string& key);
  const ConfigValue& operator[](const std::string& key) const;

 private:
  std::map<std::string, ConfigValue> values;
};

// Named groups; keys that stand before any header go to the group "".
class ConfigFile {
 public:
  ConfigFile();
  // Reads the file at the path.
  explicit ConfigFile(const std::string& path);

  // Reads a configuration text into this file, later settings replacing earlier ones.
  // A file that cannot be opened, or a line that is neither a header nor a setting,
  // throws a UserError naming the file (and the line).
  virtual void readFile(const std::string& path);
  virtual ~ConfigFile();

  void setByFile(const std::string& path);
  // Adds an empty group; an existing group keeps its keys.
  void addGroup(const std::string& name);
  // A missing group stops the process.
  ConfigGroup& operator[](const std::string& name);
  const ConfigGroup& operator[](const std::string& name) const;
  // The value of a key that a reader cannot do without: a missing group or key is the
  // user's mistake in the file last read, so it throws a UserError naming the file, the
  // group and the key. Readers ask for every key at start-up.
  const ConfigValue& need(const std::string& group, const std::string& key) const;

  // Applies the command-line options argv[1..argc-1]. On the first argument it does
  // not accept it prints the usage text and returns false; earlier settings stay.
  // A number option whose value is not a number throws a UserError naming both.
  bool setByArguments(int argc, char** argv);
  // Prints the usage text on standard output.
  void argumentsError(const std::string& programName) const;

 private:
  std::map<std::string, ConfigGroup> groups;
  std::string path;  // the file read last, named when a needed key is missing
};

// Handle on the process-wide store of configuration files. Every handle shares one
// store, made by the first use and never freed.
class Config {
 public:
  class ConfigFiles {
   public:
    virtual ~ConfigFiles();
    std::map<std::string, std::unique_ptr<ConfigFile>> files;
  };

  Config();
  virtual ~Config();

  // Registers an empty file under the name; a registered name is left as it is.
  void add(const std::string& name);
  // Reads the file at the path into the file of that name, registering it when new;
  // a file already registered merges the new settings in.
  void add(const std::string& name, const std::string& path);
  // An unregistered name stops the process.
  ConfigFile& operator[](const std::string& name);
  const ConfigFile& operator[](const std::string& name) const;

 private:
  static ConfigFiles& store();

  static ConfigFiles* configFiles;
};

// The process-wide handle.
extern Config config;

}  // namespace tovren
