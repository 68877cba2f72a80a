#pragma once

// Helpers for tests of the offline replay: offline logs read back, a replayed log compared
// with the log it was replayed from, and the built player run offline.

#include "support/ChildProcess.h"

#include <optional>
#include <string>
#include <vector>

namespace tovren::support {

// One line of an offline log: the millisecond of its prefix and the record after it.
struct OfflineRecord {
  long ms = 0;
  std::string record;
};

std::vector<OfflineRecord> readOfflineLog(const std::string& path);

// How the offline log written by a replay differs from the log it replayed, by the kinds
// of difference that the replay implies, and the first difference of any other kind.
struct ReplayDifferences {
  // A sense_body is recorded at 0 ms: the replay hands it over when its cycle's record
  // was written and the cycle clock then starts from 0, not from the ms it took online.
  int senseBodyStamps = 0;
  // A teammate's or coach's hear that directly follows another received message is
  // handed over with it, so it is recorded at that message's millisecond.
  int joinedHearStamps = 0;
  // An "EmgSend" that the replay does not repeat: online the record is written after
  // the sending, and its millisecond, or a see prediction a millisecond later on the
  // replay's stopped clock, can lie outside the emergency window.
  int droppedEmergencies = 0;
  // "EndInf" records that differ, allowed only in the cycle of a dropped emergency and
  // the cycle after it (what was not sent there may be sent later or not at all).
  int changedEndInfs = 0;
  // "EndInf" records of cycles in which nothing was decided online: a loaded machine
  // handed that cycle's messages over in one burst with the next cycle's, which a replay,
  // message by message, does not repeat.
  int burstCycles = 0;
  // Empty when there is no other difference.
  std::string mismatch;
};

ReplayDifferences compareReplay(const std::vector<OfflineRecord>& original,
                                const std::vector<OfflineRecord>& replayed);

// Runs the built player with "--offline-player --number N" in the directory, with both
// logs on, reading its input from the input directory; its exit status.
std::optional<int> runOfflinePlayer(const ScratchDirectory& directory,
                                    const std::string& inputDirectory, int uniNum, int timeoutMS);

}  // namespace tovren::support
