#pragma once

// Helpers for testing the world model: the configuration it reads, a "MainLog" that
// the tests can read back, messages parsed from text, and the recorded conversations.

#include "foundation/SExpression.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tovren {
namespace support {

// The team name the world model tests play under ("Tovren", as in the fixtures).
extern const char* const OWN_TEAM_NAME;

// Registers the configuration "Agent" with "OfflinePlayer" of group "Server" and
// "TeamName" of group "Public", as the player frame sets them before it builds the
// world model.
void setAgentConfig(bool offlinePlayer, const std::string& teamName = OWN_TEAM_NAME);

// Registers "MainLog" on a text buffer (once per process; no timer, so every line
// starts with "  0000. ") and empties the buffer.
std::ostringstream& captureMainLog();

// A message parsed from text; the text must be a well-formed message.
std::unique_ptr<SExpression> parseMessage(const std::string& text);
// A see entry (or any list) parsed from text. Entries are lists headed by a name list,
// which the message-level check refuses, so the text must be well-formed inside a message.
std::unique_ptr<SExpression> parseEntry(const std::string& text);

// One line of a recorded conversation: the time in milliseconds, whether the recorded
// client sent it, and the text.
struct RecordedLine {
  long ms = 0;
  bool sent = false;
  std::string text;
};

// The folder of the recorded conversations, in the repository.
std::string dataDirectory();
// The path of a file of the recorded conversations ("left", "Tovren-2.txt").
std::string fixturePath(const std::string& side, const std::string& file);
std::vector<RecordedLine> readRecording(const std::string& path);

}  // namespace support
}  // namespace tovren
