#include "support/ReplayScene.h"

#include "support/AgentScene.h"

#include <cstdlib>
#include <sstream>

namespace tovren::support {

namespace {

bool isRecStr(const OfflineRecord& line) { return line.record.rfind("RecStr: (", 0) == 0; }

bool hasHeader(const OfflineRecord& line, const std::string& header) {
  return line.record.rfind("RecStr: (" + header, 0) == 0;
}

// A hear the replay hands over together with the message before it.
bool isJoinableHear(const OfflineRecord& line) {
  return hasHeader(line, "hear") && line.record.find("referee") == std::string::npos;
}

std::string describe(const char* what, std::size_t index, const OfflineRecord& line) {
  std::ostringstream text;
  text << what << " line " << index + 1 << ": " << line.ms << ". " << line.record;
  return text.str();
}

}  // namespace

std::vector<OfflineRecord> readOfflineLog(const std::string& path) {
  std::vector<OfflineRecord> records;
  for (const std::string& line : readLines(path)) {
    OfflineRecord record;
    const std::string::size_type point = line.find(". ");
    if (point != std::string::npos) {
      record.ms = std::strtol(line.substr(0, point).c_str(), nullptr, 10);
      record.record = line.substr(point + 2);
    } else {
      record.ms = -1;
      record.record = line;
    }
    records.push_back(record);
  }
  return records;
}

ReplayDifferences compareReplay(const std::vector<OfflineRecord>& original,
                                const std::vector<OfflineRecord>& replayed) {
  ReplayDifferences differences;
  // What the replay must write for each original line, but for dropped emergencies.
  std::vector<OfflineRecord> expected;
  long groupMS = 0;
  bool afterRecStr = false;
  for (const OfflineRecord& line : original) {
    OfflineRecord wanted = line;
    if (isRecStr(line) && afterRecStr && isJoinableHear(line)) {
      wanted.ms = groupMS;
      if (wanted.ms != line.ms) ++differences.joinedHearStamps;
    } else if (hasHeader(line, "sense_body")) {
      wanted.ms = 0;
      if (line.ms != 0) ++differences.senseBodyStamps;
      groupMS = 0;
    } else {
      groupMS = line.ms;
    }
    afterRecStr = isRecStr(line);
    expected.push_back(wanted);
  }

  std::size_t i = 0;
  std::size_t j = 0;
  int tolerantEndInfs = 0;
  while (i < expected.size() && j < replayed.size()) {
    const OfflineRecord& want = expected[i];
    const OfflineRecord& got = replayed[j];
    const bool bothEndInf =
        want.record.rfind("EndInf: ", 0) == 0 && got.record.rfind("EndInf: ", 0) == 0;
    if (want.ms == got.ms && want.record == got.record) {
      if (bothEndInf && tolerantEndInfs > 0) --tolerantEndInfs;
      ++i;
      ++j;
    } else if (want.record == "EmgSend") {
      ++differences.droppedEmergencies;
      tolerantEndInfs = 2;
      ++i;
    } else if (bothEndInf && want.ms == got.ms && want.record == "EndInf: 0000") {
      ++differences.burstCycles;
      ++i;
      ++j;
    } else if (bothEndInf && want.ms == got.ms && tolerantEndInfs > 0) {
      ++differences.changedEndInfs;
      --tolerantEndInfs;
      ++i;
      ++j;
    } else {
      differences.mismatch = describe("expected", i, want) + "\n" + describe("replayed", j, got);
      return differences;
    }
  }
  while (i < expected.size() && expected[i].record == "EmgSend") {
    ++differences.droppedEmergencies;
    ++i;
  }
  if (i < expected.size()) {
    differences.mismatch = describe("missing", i, expected[i]);
  } else if (j < replayed.size()) {
    differences.mismatch = describe("extra", j, replayed[j]);
  }
  return differences;
}

std::optional<int> runOfflinePlayer(const ScratchDirectory& directory,
                                    const std::string& inputDirectory, int uniNum, int timeoutMS) {
  directory.write("Configs/Agent.conf", agentConfigText({{"LogToFile", "True"},
                                                         {"OffLogToFile", "True"},
                                                         {"InputLogAddress", inputDirectory}}));
  copyPlayerValueFiles(directory.path());
  ChildProcess player({std::string(TOVREN_BINARY_DIR) + "/tovren", "--offline-player", "--number",
                       std::to_string(uniNum)},
                      directory.path(), directory.file("out.txt"), directory.file("err.txt"));
  return player.waitFor(timeoutMS);
}

}  // namespace tovren::support
