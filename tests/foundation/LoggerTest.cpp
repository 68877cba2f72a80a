#include "foundation/Logger.h"

#include "foundation/Timer.h"
#include "geometry/Vector.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>

namespace tovren {
namespace {

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

// The object logs and the end-of-cycle records are read back by the replay: this is their
// exact layout.
TEST(LogStream, PrefixesEachLineWithTheTimeOfItsFirstInsertAndMarksNewCycles) {
  const struct Case {
    const char* name;
    std::function<void(LogStream&, VirtualTimer&)> write;
    const char* text;
  } cases[] = {
      {"time of the first insert",
       [](LogStream& log, VirtualTimer& timer) {
         timer.setCurMS(7);
         log << "x=" << 3 << std::endl;
         timer.setCurMS(42);
         log << "a";
         timer.setCurMS(50);
         log << "b" << std::endl;
       },
       "  0007. x=3\n  0042. ab\n"},
      {"wider times in full",
       [](LogStream& log, VirtualTimer& timer) {
         timer.setCurMS(12345);
         log << "late" << std::endl;
         timer.setCurMS(9999);
         log << "edge" << std::endl;
       },
       "  12345. late\n  9999. edge\n"},
      {"only endl starts a line",
       [](LogStream& log, VirtualTimer& timer) {
         timer.setCurMS(3);
         log << "one\n"
             << "two" << std::flush << "three" << '\n'
             << std::endl;
         log << std::endl;
         log << "four" << std::endl;
       },
       "  0003. one\ntwothree\n\n\n  0003. four\n"},
      {"two decimals, integers plain",
       [](LogStream& log, VirtualTimer&) {
         log << 1.5f << ' ' << 3 << ' ' << 2.0 / 3.0 << ' ' << -0.004 << ' ' << 1234567.891 << ' '
             << 7L << std::endl;
       },
       "  0000. 1.50 3 0.67 -0.00 1234567.89 7\n"},
      {"decimals rounded as the stream rounds them",
       [](LogStream& log, VirtualTimer&) {
         log << 0.125 << ' ' << 0.375 << ' ' << 2.675f << ' ' << -1e300 / 1e290 << ' ' << 1e20
             << std::endl;
       },
       "  0000. 0.12 0.38 2.67 -10000000000.00 100000000000000000000.00\n"},
      {"other formats and non-finite numbers as the stream writes them",
       [](LogStream& log, VirtualTimer&) {
         log << std::setprecision(4) << 2.0 / 3.0 << std::setprecision(2) << ' ' << std::setw(6)
             << 1.5f << ' ' << std::scientific << 1500.0 << std::fixed << ' '
             << std::numeric_limits<double>::infinity() << ' '
             << -std::numeric_limits<float>::infinity() << std::endl;
       },
       "  0000. 0.6667   1.50 1.50e+03 inf -inf\n"},
      {"points and vectors as their output operators write them",
       [](LogStream& log, VirtualTimer& timer) {
         timer.setCurMS(9);
         log << Point(1.5f, -2.0f) << Vector(Point(0.125f, 3.0f)) << std::setprecision(1)
             << Point(0.25f, 1.0f) << std::endl;
       },
       "  0009. (1.50,-2.00)(0.12,3.00)(0.2,1.0)\n"},
      {"manipulators leave the prefix alone",
       [](LogStream& log, VirtualTimer& timer) {
         timer.setCurMS(42);
         log << std::hex << 255 << std::dec << ' ' << 255 << std::endl;
         timer.setCurMS(16);
         log << std::setw(5) << 7 << std::endl;
       },
       "  0042. ff 255\n  0016.     7\n"},
      {"new cycles between line ends",
       [](LogStream& log, VirtualTimer& timer) {
         timer.resetCycle(4);
         log << "end of 4" << std::endl;
         timer.resetCycle(5);
         log.newCycle();
         timer.setCurMS(12);
         log << "half";
         timer.resetCycle(12345);
         log.newCycle();
         log << "rest" << std::endl;
       },
       "  0000. end of 4\n\n[0005]\n  0012. half\n[12345]\nrest\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ostringstream text;
    VirtualTimer timer;
    LogStream log(&text, &timer);
    c.write(log, timer);
    EXPECT_EQ(text.str(), c.text);
  }
  std::ostringstream text;
  LogStream untimed(&text, nullptr);
  untimed << "a" << std::endl;
  untimed.newCycle();
  EXPECT_EQ(text.str(), "  0000. a\n\n[0000]\n");
}

TEST(LogFile, EmptiesAnExistingFileAndLosesLinesSilentlyWhereItCannotWrite) {
  support::ScratchDirectory directory;
  directory.write("old.log", "old contents\n");
  {
    LogFile log(directory.file("old.log"), nullptr);
    EXPECT_EQ(support::readFile(directory.file("old.log")), "");
    log << "new" << std::endl;
  }
  EXPECT_EQ(support::readFile(directory.file("old.log")), "  0000. new\n");
  LogFile lost(directory.file("no-such-dir/x.log"), nullptr);
  lost << "lost " << 1.5 << std::endl;
  lost.newCycle();
}

TEST(LogStream, WithoutOutputNothingIsFormatted) {
  int formatted = 0;
  LogNull null;
  EXPECT_FALSE(null.isOutValid());
  null << Counted{&formatted} << 1.5 << std::endl;
  null.newCycle();
  LogStream& unregistered = logger["Logger.never-registered"];
  EXPECT_FALSE(unregistered.isOutValid());
  unregistered << Counted{&formatted} << std::endl;
  EXPECT_EQ(formatted, 0);
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

TEST(Logger, EveryHandleReachesTheOneRegistryWhereTheFirstStreamOfANameStays) {
  // Registered streams live to the end of the process, so must their outputs.
  static std::ostringstream firstText;
  static bool firstDeleted = false;
  std::ostringstream secondText;
  bool secondDeleted = false;
  auto* first = new WatchedLog(&firstText, &firstDeleted);
  Logger other;
  other.add("Logger.twice", first);
  logger.add("Logger.twice", new WatchedLog(&secondText, &secondDeleted));
  EXPECT_TRUE(secondDeleted);
  EXPECT_FALSE(firstDeleted);
  EXPECT_TRUE(logger.isRegistered("Logger.twice"));
  logger["Logger.twice"] << "kept" << std::endl;
  EXPECT_EQ(firstText.str(), "  0000. kept\n");
  logger.add("Logger.null", nullptr);
  EXPECT_FALSE(logger.isRegistered("Logger.null"));
}

TEST(LoggerDeathTest, UseWithoutRegistryStops) {
  EXPECT_DEATH(
      {
        Logger::logStreams = nullptr;
        logger["MainLog"] << 1;
      },
      "logStreams");
}

}  // namespace
}  // namespace tovren
