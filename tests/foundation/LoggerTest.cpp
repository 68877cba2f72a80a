#include "foundation/Logger.h"

#include "foundation/Timer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>

using tovren::LogFile;
using tovren::Logger;
using tovren::LogNull;
using tovren::LogStdOut;
using tovren::LogStream;
using tovren::VirtualTimer;

namespace {

// A file in the temporary directory, removed when the test ends.
class TempFile {
 public:
  explicit TempFile(const std::string& name)
      : path(::testing::TempDir() + "tovren-" + std::to_string(getpid()) + "-" + name) {}
  ~TempFile() { std::remove(path.c_str()); }
  std::string contents() const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  const std::string path;
};

// Counts how often it is formatted.
struct Counted {
  int* formatted;
};

std::ostream& operator<<(std::ostream& out, const Counted& value) {
  ++*value.formatted;
  return out << "counted";
}

// Tells whether it has been deleted.
class WatchedLog : public LogStream {
 public:
  WatchedLog(std::ostream* out, bool* deleted) : LogStream(out, nullptr), deleted(deleted) {}
  ~WatchedLog() override { *deleted = true; }

 private:
  bool* deleted;
};

}  // namespace

TEST(LogFile, LinePrefixCarriesTheTimeOfTheFirstInsert) {
  TempFile file("prefix.log");
  VirtualTimer timer;
  {
    LogFile log(file.path, &timer);
    timer.setCurMS(7);
    log << "x=" << 3 << std::endl;
    timer.setCurMS(42);
    log << "a";
    timer.setCurMS(50);
    log << "b" << std::endl;
  }
  EXPECT_EQ(file.contents(), "  0007. x=3\n  0042. ab\n");
}

TEST(LogFile, TimesPastFourDigitsAreWrittenInFull) {
  TempFile file("wide.log");
  VirtualTimer timer;
  LogFile log(file.path, &timer);
  timer.setCurMS(12345);
  log << "late" << std::endl;
  timer.setCurMS(9999);
  log << "edge" << std::endl;
  EXPECT_EQ(file.contents(), "  12345. late\n  9999. edge\n");
}

TEST(LogFile, OnlyEndlStartsANewPrefixedLine) {
  TempFile file("endl.log");
  VirtualTimer timer;
  LogFile log(file.path, &timer);
  timer.setCurMS(3);
  log << "one\n"
      << "two" << std::flush << "three" << '\n'
      << std::endl;
  log << std::endl;
  log << "four" << std::endl;
  EXPECT_EQ(file.contents(), "  0003. one\ntwothree\n\n\n  0003. four\n");
}

TEST(LogFile, FloatingPointHasTwoDecimalsIntegersNone) {
  TempFile file("numbers.log");
  LogFile log(file.path, nullptr);
  log << 1.5f << ' ' << 3 << ' ' << 2.0 / 3.0 << ' ' << -0.004 << ' ' << 1234567.891 << ' ' << 7L
      << std::endl;
  EXPECT_EQ(file.contents(), "  0000. 1.50 3 0.67 -0.00 1234567.89 7\n");
}

TEST(LogFile, NewCycleWritesBracketedCycleBetweenLineEnds) {
  TempFile file("cycle.log");
  VirtualTimer timer;
  LogFile log(file.path, &timer);
  timer.resetCycle(4);
  log << "end of 4" << std::endl;
  timer.resetCycle(5);
  log.newCycle();
  timer.setCurMS(12);
  log << "start of 5" << std::endl;
  timer.resetCycle(12345);
  log.newCycle();
  EXPECT_EQ(file.contents(), "  0000. end of 4\n\n[0005]\n  0012. start of 5\n\n[12345]\n");
}

TEST(LogFile, NewCycleLeavesAnOpenLineOpen) {
  TempFile file("open.log");
  VirtualTimer timer;
  LogFile log(file.path, &timer);
  timer.resetCycle(2);
  log << "half";
  log.newCycle();
  log << "rest" << std::endl;
  EXPECT_EQ(file.contents(), "  0000. half\n[0002]\nrest\n");
}

TEST(LogFile, FormatManipulatorsLeaveThePrefixAlone) {
  TempFile file("format.log");
  VirtualTimer timer;
  LogFile log(file.path, &timer);
  timer.setCurMS(42);
  log << std::hex << 255 << std::dec << ' ' << 255 << std::endl;
  timer.setCurMS(16);
  log << std::setw(5) << 7 << std::endl;
  EXPECT_EQ(file.contents(), "  0042. ff 255\n  0016.     7\n");
}

TEST(LogFile, EmptiesAnExistingFile) {
  TempFile file("truncate.log");
  {
    std::ofstream old(file.path);
    old << "old contents\n";
  }
  LogFile log(file.path, nullptr);
  EXPECT_EQ(file.contents(), "");
  log << "new" << std::endl;
  EXPECT_EQ(file.contents(), "  0000. new\n");
}

TEST(LogFile, UnopenablePathLosesLinesSilently) {
  LogFile log("/nonexistent-tovren-dir/x.log", nullptr);
  EXPECT_TRUE(log.isOutValid());
  log << "lost " << 1.5 << std::endl;
  log.newCycle();
}

TEST(LogStream, WithoutTimerTimeAndCycleAreZero) {
  std::ostringstream text;
  LogStream log(&text, nullptr);
  log << "a" << std::endl;
  log.newCycle();
  EXPECT_EQ(text.str(), "  0000. a\n\n[0000]\n");
}

TEST(LogStream, WithoutOutputNothingIsFormatted) {
  int formatted = 0;
  LogNull null;
  EXPECT_FALSE(null.isOutValid());
  null << Counted{&formatted} << 1.5 << std::endl;
  null << std::hex;
  null.newCycle();
  EXPECT_EQ(formatted, 0);

  std::ostringstream text;
  LogStream live(&text, nullptr);
  live << Counted{&formatted} << std::endl;
  EXPECT_EQ(formatted, 1);
  EXPECT_EQ(text.str(), "  0000. counted\n");
}

TEST(LogStdOut, SwitchesStandardOutputToTwoDecimals) {
  std::ostringstream captured;
  std::streambuf* saved = std::cout.rdbuf(captured.rdbuf());
  std::ios_base::fmtflags savedFlags = std::cout.flags();
  std::streamsize savedPrecision = std::cout.precision();
  VirtualTimer timer;
  timer.setCurMS(8);
  {
    LogStdOut log(&timer);
    log << 0.125f << std::endl;
    std::cout << 2.5 << '\n';
  }
  std::cout.rdbuf(saved);
  std::cout.flags(savedFlags);
  std::cout.precision(savedPrecision);
  EXPECT_EQ(captured.str(), "  0008. 0.12\n2.50\n");
}

TEST(Logger, UnregisteredNameWritesNowhere) {
  LogStream& log = tovren::logger["Logger.never-registered"];
  EXPECT_FALSE(log.isOutValid());
  EXPECT_FALSE(tovren::logger.isRegistered("Logger.never-registered"));
  int formatted = 0;
  log << Counted{&formatted} << std::endl;
  EXPECT_EQ(formatted, 0);
}

TEST(Logger, FirstStreamOfANameStaysAndTheRefusedOneIsDeleted) {
  static std::ostringstream firstText;
  std::ostringstream secondText;
  static bool firstDeleted = false;
  bool secondDeleted = false;
  auto* first = new WatchedLog(&firstText, &firstDeleted);
  tovren::logger.add("Logger.twice", first);
  tovren::logger.add("Logger.twice", new WatchedLog(&secondText, &secondDeleted));
  EXPECT_TRUE(secondDeleted);
  EXPECT_FALSE(firstDeleted);
  EXPECT_TRUE(tovren::logger.isRegistered("Logger.twice"));
  EXPECT_EQ(&tovren::logger["Logger.twice"], first);
  tovren::logger["Logger.twice"] << "kept" << std::endl;
  EXPECT_EQ(firstText.str(), "  0000. kept\n");
  EXPECT_EQ(secondText.str(), "");
}

TEST(Logger, EveryHandleReachesTheOneRegistry) {
  // Registered streams live to the end of the process, so must their outputs.
  static std::ostringstream text;
  Logger other;
  other.add("Logger.shared", new LogStream(&text, nullptr));
  tovren::logger["Logger.shared"] << 2 << std::endl;
  EXPECT_EQ(text.str(), "  0000. 2\n");
}

TEST(Logger, NullStreamIsNotRegistered) {
  tovren::logger.add("Logger.null", nullptr);
  EXPECT_FALSE(tovren::logger.isRegistered("Logger.null"));
  EXPECT_FALSE(tovren::logger["Logger.null"].isOutValid());
}

TEST(LoggerDeathTest, UseWithoutRegistryStops) {
  EXPECT_DEATH(
      {
        Logger::logStreams = nullptr;
        tovren::logger["MainLog"] << 1;
      },
      "logStreams");
}
