#pragma once

// What the fuzz targets share: the recorded start-ups they build on, the split of one
// input into datagrams, logs that format every line and keep none, and a scratch
// directory for the targets that read a file.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tovren::fuzz {

// The texts the recorded client received, in order, up to (not including) the first
// message with the header stop ("left", "Tovren-2.txt", "sense_body").
std::vector<std::string> recordedStartUp(const std::string& side, const std::string& file,
                                         const std::string& stop);

// The input cut at NUL bytes: a datagram never holds one, as the link ends a datagram at
// its first NUL. Empty pieces are kept, since the link hands empty datagrams on too.
std::vector<std::string> splitDatagrams(const std::uint8_t* data, std::size_t size);

// Registers "MainLog" and "OfflineLog" on streams that format every line and drop it, so
// the fuzzed code's logging runs too, and sends standard output to /dev/null. Call it
// once, before any init answer could register the names.
void quietLogs();
// Turns formatting of those logs on or off (off while a recorded start-up is replayed).
void setLogsWriting(bool writing);

// Stops with a line saying why unless the working directory holds "Configs/Agent.conf",
// which the player and the coach read: the targets run from the repository root (they
// cannot move there themselves, as libFuzzer reads the paths it was given afterwards).
void requireConfigs();

// The player or the coach, built as the program builds it from these arguments after
// the program name.
template <typename Role>
std::unique_ptr<Role> makeRole(std::vector<std::string> words) {
  words.insert(words.begin(), "tovren");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return std::make_unique<Role>(static_cast<int>(words.size()), argv.data());
}

// A directory of its own under /tmp for the whole run; the path without a final "/".
const std::string& scratchDirectory();
// Replaces the file's content; the path is absolute.
void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace tovren::fuzz
