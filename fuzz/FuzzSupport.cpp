#include "fuzz/FuzzSupport.h"

#include "foundation/Logger.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <streambuf>

namespace tovren::fuzz {

namespace {

// Takes every character and keeps none.
class DropBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// A log whose lines are built in full and then dropped.
class DroppingLog : public LogStream {
 public:
  DroppingLog() : LogStream(nullptr, nullptr), out(&buffer) {}
  void setWriting(bool writing) { setOut(writing ? &out : nullptr); }

 private:
  DropBuffer buffer;
  std::ostream out;
};

// Owned by the logger once registered.
DroppingLog* mainLog = nullptr;
DroppingLog* offlineLog = nullptr;

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "fuzz set-up: %s\n", what.c_str());
  std::abort();
}

}  // namespace

std::vector<std::string> recordedStartUp(const std::string& side, const std::string& file,
                                         const std::string& stop) {
  const std::string path = std::string(TOVREN_TEST_DATA_DIR) + "/" + side + "/" + file;
  std::ifstream in(path);
  if (!in) fail("cannot read " + path);
  std::vector<std::string> texts;
  std::string line;
  while (std::getline(in, line)) {
    const std::string::size_type tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string text = line.substr(tab + 1);
    // The client's own lines start with "> ".
    if (text.rfind("> ", 0) == 0) continue;
    if (text.rfind("(" + stop + " ", 0) == 0) break;
    texts.push_back(text);
  }
  if (texts.empty()) fail("no start-up in " + path);
  return texts;
}

std::vector<std::string> splitDatagrams(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> datagrams(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\0') {
      datagrams.emplace_back();
    } else {
      datagrams.back().push_back(static_cast<char>(data[i]));
    }
  }
  return datagrams;
}

void quietLogs() {
  mainLog = new DroppingLog();
  offlineLog = new DroppingLog();
  logger.add("MainLog", mainLog);
  logger.add("OfflineLog", offlineLog);
  setLogsWriting(true);
  // The connection lines of every run would bury libFuzzer's own report.
  const int devNull = open("/dev/null", O_WRONLY);
  if (devNull < 0 || dup2(devNull, STDOUT_FILENO) < 0) fail("cannot silence standard output");
  close(devNull);
}

void setLogsWriting(bool writing) {
  mainLog->setWriting(writing);
  offlineLog->setWriting(writing);
}

void requireConfigs() {
  if (access("Configs/Agent.conf", R_OK) != 0) {
    fail("no Configs/Agent.conf here: run from the repository root, " +
         std::string(TOVREN_SOURCE_DIR));
  }
}

const std::string& scratchDirectory() {
  // Never freed: the removal at exit runs after the statics are gone.
  static const std::string* path = [] {
    char pattern[] = "/tmp/tovren-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr) fail("cannot make a scratch directory");
    const std::string* made = new std::string(pattern);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(*path, ignored);
    });
    return made;
  }();
  return *path;
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) fail("cannot write " + path);
}

}  // namespace tovren::fuzz
