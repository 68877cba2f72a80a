#include "agent/BasicAgent.h"
#include "connection/VirtualConnection.h"
#include "decisions/AdvancedAgent.h"
#include "foundation/Config.h"
#include "foundation/Timer.h"
#include "worldmodel/WorldModel.h"

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

// The whole cycle of the player: the recorded conversations of the test data, each handed
// to a player of its own through the offline replay's virtual link and clock, with the
// alarm every 10 ms of the virtual clock. Measured: the CPU time from one sense_body to
// the next, every handler of the cycle included. A second case puts the ball at the
// agent's feet in every see, so that the kick fan and the with-ball decision run: the
// recordings never bring the ball near a player.

namespace tovren {
namespace {

const char* const CONVERSATIONS[] = {
    "left/Tovren-1-goalie.txt",  "left/Tovren-2.txt",  "left/Tovren-3.txt",  "left/Tovren-7.txt",
    "right/Tovren-1-goalie.txt", "right/Tovren-2.txt", "right/Tovren-3.txt", "right/Tovren-7.txt",
};

// The alarm's phase within the cycle (ms): its ticks come every 10 ms, not in step with
// the server's cycle.
constexpr int ALARM_PHASE_MS = 5;
constexpr int ALARM_PERIOD_MS = 10;
// A ball this far (metres) straight ahead of the head is at the feet whichever way the
// head looks: well inside the kickable area.
const char* const BALL_AT_FEET = "((b) 0.6 0 0 0)";

struct Conversation {
  std::vector<std::string> arguments;  // after the program name
  // The replay's input form, one cycle a batch: the lines up to its "EndInf" record.
  std::vector<std::vector<OfflineLogEntry>> batches;
  std::vector<int> batchEndMS;  // the millisecond of each batch's "EndInf" record
};

// A player whose link and clock the benchmark drives.
class ReplayedAgent : public AdvancedAgent {
 public:
  using AdvancedAgent::AdvancedAgent;

  VirtualConnection& link() {
    if (!connection) initVirtualConnection();
    return static_cast<VirtualConnection&>(*connection);
  }
  VirtualTimer& clock() { return static_cast<VirtualTimer&>(worldModel->setTimer()); }
};

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

std::string withBallAtFeet(const std::string& see) {
  // Whatever ball the server reported goes; the one at the feet comes last.
  std::string text = see;
  for (const char* name : {"((b)", "((B)"}) {
    const std::string::size_type at = text.find(name);
    if (at == std::string::npos) continue;
    // The entry and the blank before it: "((b) 20 5)" ends at the second ")".
    const std::string::size_type end = text.find(')', text.find(')', at) + 1);
    if (end != std::string::npos) text.erase(at - 1, end - at + 2);
  }
  text.insert(text.size() - 1, std::string(" ") + BALL_AT_FEET);
  return text;
}

void writeLine(std::ostream& out, long ms, const std::string& record) {
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "  %04ld. ", ms);
  out << stamp << record << '\n';
}

// The recorded conversation as the offline log of a run with every command decided and
// sent: each received message at its millisecond in the cycle, each cycle closed by its
// "EndInf" record when the next sense_body came.
bool readConversation(const std::string& file, bool ballAtFeet, Conversation& conversation) {
  std::ifstream recording(std::string(TOVREN_TEST_DATA_DIR) + "/" + file);
  if (!recording) return false;
  std::ostringstream offline;
  long cycleStart = -1;
  std::string line;
  while (std::getline(recording, line)) {
    const std::string::size_type tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const long ms = std::strtol(line.c_str(), nullptr, 10);
    std::string text = line.substr(tab + 1);
    if (startsWith(text, "> ")) {
      if (startsWith(text, "> (init ")) {
        conversation.arguments = {"--offline-player"};
        if (text.find("(goalie)") != std::string::npos)
          conversation.arguments.push_back("--goalie");
      }
      continue;
    }
    if (cycleStart < 0) cycleStart = ms;
    if (startsWith(text, "(sense_body ")) {
      writeLine(offline, ms - cycleStart, "EndInf: 1111");
      cycleStart = ms;
    }
    if (startsWith(text, "(init ")) {
      conversation.arguments.push_back("--number");
      std::istringstream fields(text);
      std::string head, side, number;
      fields >> head >> side >> number;
      conversation.arguments.push_back(number);
    }
    if (ballAtFeet && startsWith(text, "(see ")) text = withBallAtFeet(text);
    writeLine(offline, ms - cycleStart, "RecStr: " + text);
  }

  std::istringstream in(offline.str());
  OfflineLogEntry entry;
  conversation.batches.emplace_back();
  while (BasicAgent::parseOfflinePlayerLogLine(in, entry)) {
    if (entry.label != "EndInf") {
      conversation.batches.back().push_back(entry);
      continue;
    }
    conversation.batchEndMS.push_back(entry.ms);
    conversation.batches.emplace_back();
  }
  conversation.batchEndMS.push_back(0);
  return conversation.arguments.size() >= 3;
}

double threadCpuMS() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return 1e3 * static_cast<double>(now.tv_sec) + 1e-6 * static_cast<double>(now.tv_nsec);
}

// Fires the alarm at every tick from nextTick up to (not including) untilMS.
void alarmsUntil(ReplayedAgent& agent, int& nextTick, int untilMS) {
  for (; nextTick < untilMS; nextTick += ALARM_PERIOD_MS) {
    agent.clock().setCurMS(nextTick);
    agent.sigAlrmHandler();
  }
}

// Replays one conversation; the CPU time (ms) of each cycle after the first sense_body
// is appended to cycles.
void replay(const Conversation& conversation, std::vector<double>& cycles) {
  std::vector<std::string> arguments = {"tovren"};
  arguments.insert(arguments.end(), conversation.arguments.begin(), conversation.arguments.end());
  std::vector<char*> argv;
  for (std::string& each : arguments) argv.push_back(each.data());
  ReplayedAgent agent(static_cast<int>(argv.size()), argv.data());
  // Nothing is written to the repository, whatever its configuration says.
  config["Agent"]["AgentLog"].add("LogToFile", "False");
  config["Agent"]["AgentLog"].add("OffLogToFile", "False");

  int senseBodyMS = 0;
  for (std::size_t b = 0; b < conversation.batches.size(); ++b) {
    const std::vector<OfflineLogEntry>& batch = conversation.batches[b];
    const double start = threadCpuMS();
    int nextTick = ALARM_PHASE_MS;
    for (const OfflineLogEntry& entry : batch) {
      const bool senseBody = startsWith(entry.message, "(sense_body ");
      // A sense_body is handled when the cycle before it ends, on that cycle's clock.
      if (!senseBody) alarmsUntil(agent, nextTick, entry.ms);
      agent.link().addMessage(entry.message);
      agent.clock().setCurMS(senseBody ? senseBodyMS : entry.ms);
      agent.sigIOHandler();
    }
    alarmsUntil(agent, nextTick, conversation.batchEndMS[b]);
    const double spent = threadCpuMS() - start;
    // The first batch is the start-up: the init answer and the parameters.
    if (b > 0) cycles.push_back(spent);
    senseBodyMS = conversation.batchEndMS[b];
  }
}

double percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0.0;
  const std::size_t rank = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1));
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(rank),
                   values.end());
  return values[rank];
}

// Swallows what the players print (their connection lines).
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

void runCycles(benchmark::State& state, bool ballAtFeet) {
  // The players read their configuration files from the repository's root.
  std::filesystem::current_path(TOVREN_TEST_DATA_DIR "/../..");
  std::vector<Conversation> conversations;
  for (const char* file : CONVERSATIONS) {
    conversations.emplace_back();
    if (!readConversation(file, ballAtFeet, conversations.back())) {
      state.SkipWithError((std::string("cannot read the conversation ") + file).c_str());
      return;
    }
  }

  NullBuffer discard;
  std::streambuf* const out = std::cout.rdbuf(&discard);
  std::vector<double> cycles;
  for (auto _ : state) {
    const std::size_t before = cycles.size();
    for (const Conversation& conversation : conversations) replay(conversation, cycles);
    double spent = 0.0;
    for (std::size_t i = before; i < cycles.size(); ++i) spent += cycles[i];
    state.SetIterationTime(1e-3 * spent);
  }
  std::cout.rdbuf(out);

  state.counters["cycles"] = static_cast<double>(cycles.size());
  state.counters["median_ms"] = percentile(cycles, 0.5);
  state.counters["p99_ms"] = percentile(cycles, 0.99);
  state.counters["max_ms"] = percentile(cycles, 1.0);
}

void BM_WholeCycle(benchmark::State& state) { runCycles(state, false); }
void BM_WholeCycleBallAtFeet(benchmark::State& state) { runCycles(state, true); }

// Each iteration replays all eight conversations, about 1500 cycles; the time reported is
// their CPU time together.
BENCHMARK(BM_WholeCycle)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_WholeCycleBallAtFeet)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
}  // namespace tovren
