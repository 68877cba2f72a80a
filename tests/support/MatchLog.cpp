#include "support/MatchLog.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <sstream>

namespace tovren::support {

namespace {

const char* const kBodyCommands[] = {"dash", "kick", "turn", "tackle", "catch", "move"};
const char* const kRefereePrefix = "(referee ";

// The top-level lists of a datagram, each as its own text.
std::vector<std::string> topLevelCommands(const std::string& text) {
  std::vector<std::string> commands;
  int depth = 0;
  std::string::size_type start = 0;
  for (std::string::size_type i = 0; i < text.size(); ++i) {
    if (text[i] == '(') {
      if (depth++ == 0) start = i;
    } else if (text[i] == ')' && depth > 0 && --depth == 0) {
      commands.push_back(text.substr(start, i - start + 1));
    }
  }
  return commands;
}

std::string teamOf(const std::string& sender) { return sender.substr(0, sender.rfind('_')); }

bool isCoach(const std::string& sender) {
  const std::string suffix = "_Coach";
  return sender.size() > suffix.size() &&
         sender.compare(sender.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool has(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The mode a referee line sets: "(referee play_on)" gives "play_on".
std::string refereeMode(const ServerLogLine& line) {
  const std::string rest = line.text.substr(std::string(kRefereePrefix).size());
  return rest.substr(0, rest.find_first_of(" )"));
}

// The milliseconds that start a readable log line ("  0042. SendStr: ..."), or -1.
int lineMS(const std::string& line) {
  std::istringstream in(line);
  int ms = -1;
  char dot = 0;
  if (!(in >> ms >> dot) || dot != '.') return -1;
  return ms;
}

bool contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

std::vector<ServerLogLine> readServerLog(std::istream& in) {
  std::vector<ServerLogLine> lines;
  std::string raw;
  while (std::getline(in, raw)) {
    ServerLogLine line;
    char comma = 0;
    std::istringstream head(raw.substr(0, raw.find('\t')));
    const std::string::size_type tab = raw.find('\t');
    if (tab == std::string::npos || !(head >> line.cycle >> comma >> line.stopCycle) ||
        comma != ',') {
      continue;
    }
    const std::string rest = raw.substr(tab + 1);
    if (rest.rfind("Recv ", 0) == 0) {
      const std::string::size_type colon = rest.find(": ");
      if (colon == std::string::npos) continue;
      line.sender = rest.substr(5, colon - 5);
      line.text = rest.substr(colon + 2);
    } else if (rest.rfind(kRefereePrefix, 0) == 0) {
      line.text = rest;
    } else {
      continue;
    }
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> commandNames(const std::string& text) {
  std::vector<std::string> names;
  for (const std::string& command : topLevelCommands(text)) {
    names.push_back(command.substr(1, command.find_first_of(" ()", 1) - 1));
  }
  return names;
}

std::set<int> playOnCycles(const std::vector<ServerLogLine>& lines) {
  std::map<int, std::string> modeFrom;
  int last = 0;
  for (const ServerLogLine& line : lines) {
    if (line.sender.empty()) modeFrom[line.cycle] = refereeMode(line);
    last = std::max(last, line.cycle);
  }
  std::set<int> cycles;
  std::string mode = "before_kick_off";
  for (int cycle = 0; cycle <= last; ++cycle) {
    const auto found = modeFrom.find(cycle);
    if (found != modeFrom.end()) mode = found->second;
    if (mode == "play_on") cycles.insert(cycle);
  }
  return cycles;
}

Coverage coverage(const std::vector<ServerLogLine>& lines, const std::string& sender,
                  const std::set<int>& playOn) {
  std::set<int> anything;
  std::set<int> body;
  for (const ServerLogLine& line : lines) {
    if (line.sender != sender || line.stopCycle != 0) continue;
    anything.insert(line.cycle);
    for (const std::string& name : commandNames(line.text)) {
      if (std::find(std::begin(kBodyCommands), std::end(kBodyCommands), name) !=
          std::end(kBodyCommands)) {
        body.insert(line.cycle);
      }
    }
  }
  Coverage result;
  int run = 0;
  int runFrom = -1;
  int previous = -2;
  for (int cycle : playOn) {
    ++result.playOn;
    // A run of silence ends where play_on does.
    if (cycle != previous + 1) run = 0;
    previous = cycle;
    if (anything.count(cycle) != 0) {
      ++result.withCommand;
      run = 0;
      if (body.count(cycle) != 0) ++result.withBody;
      continue;
    }
    if (run++ == 0) runFrom = cycle;
    if (run > result.longestSilence) {
      result.longestSilence = run;
      result.silenceFrom = runFrom;
    }
  }
  return result;
}

std::vector<std::string> teamSenders(const std::string& team) {
  std::vector<std::string> senders;
  for (int number = 1; number <= 11; ++number) {
    senders.push_back(team + "_" + std::to_string(number));
  }
  senders.push_back(team + "_Coach");
  return senders;
}

std::vector<std::string> missingSenders(const std::vector<ServerLogLine>& lines,
                                        const std::vector<std::string>& senders) {
  std::set<std::string> seen;
  for (const ServerLogLine& line : lines) seen.insert(line.sender);
  std::vector<std::string> missing;
  for (const std::string& sender : senders) {
    if (seen.count(sender) == 0) missing.push_back(sender + " never sent anything");
  }
  return missing;
}

std::vector<std::string> coverageProblems(const std::vector<ServerLogLine>& lines,
                                          const std::vector<std::string>& senders,
                                          double leastShare, int mostSilentCycles) {
  const std::set<int> playOn = playOnCycles(lines);
  std::vector<std::string> problems;
  if (playOn.empty()) return {"the server's log holds no play_on cycle"};
  for (const std::string& sender : senders) {
    const Coverage each = coverage(lines, sender, playOn);
    if (each.withCommand < leastShare * each.playOn) {
      std::ostringstream text;
      text << sender << " sent a command in " << each.withCommand << " of " << each.playOn
           << " play_on cycles, fewer than " << std::lround(100 * leastShare) << "%";
      problems.push_back(text.str());
    }
    if (mostSilentCycles >= 0 && each.longestSilence > mostSilentCycles) {
      problems.push_back(sender + " was silent for " + std::to_string(each.longestSilence) +
                         " play_on cycles in a row from cycle " + std::to_string(each.silenceFrom) +
                         " (at most " + std::to_string(mostSilentCycles) + " allowed)");
    }
  }
  return problems;
}

bool kickedInPlayOn(const std::vector<ServerLogLine>& lines, const std::string& team) {
  const std::set<int> playOn = playOnCycles(lines);
  for (const ServerLogLine& line : lines) {
    if (line.sender.empty() || isCoach(line.sender) || teamOf(line.sender) != team ||
        line.stopCycle != 0 || playOn.count(line.cycle) == 0) {
      continue;
    }
    if (has(commandNames(line.text), "kick")) return true;
  }
  return false;
}

std::vector<std::string> lastNotBye(const std::vector<ServerLogLine>& lines,
                                    const std::vector<std::string>& senders) {
  std::map<std::string, std::string> last;
  for (const ServerLogLine& line : lines) {
    if (has(senders, line.sender)) last[line.sender] = line.text;
  }
  std::vector<std::string> problems;
  for (const std::string& sender : senders) {
    const auto found = last.find(sender);
    if (found == last.end() || found->second != "(bye)") {
      problems.push_back(sender + "'s last datagram was " +
                         (found == last.end() ? std::string("none") : found->second) +
                         ", not (bye)");
    }
  }
  return problems;
}

std::vector<std::string> nonFiniteCommands(const std::vector<ServerLogLine>& lines) {
  std::vector<std::string> problems;
  for (const ServerLogLine& line : lines) {
    std::string spaced = line.text;
    std::replace_if(
        spaced.begin(), spaced.end(), [](char c) { return c == '(' || c == ')' || c == '"'; }, ' ');
    std::istringstream tokens(spaced);
    std::string token;
    while (tokens >> token) {
      std::transform(token.begin(), token.end(), token.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      if (token[0] == '-' || token[0] == '+') token.erase(0, 1);
      if (token == "nan" || token == "inf" || token == "infinity") {
        problems.push_back(line.sender + " at cycle " + std::to_string(line.cycle) + ": " +
                           line.text);
        break;
      }
    }
  }
  return problems;
}

std::vector<std::string> coachChangeProblems(const std::vector<ServerLogLine>& lines,
                                             const std::string& team, std::istream& coachLog,
                                             const ChangeLimits& limits) {
  const std::string coach = team + "_Coach";
  std::vector<std::string> problems;
  int sent = 0;
  std::map<std::string, int> refusals;
  std::string line;
  while (std::getline(coachLog, line)) {
    const std::string::size_type send = line.find("SendStr: ");
    if (send != std::string::npos) {
      const std::vector<std::string> names = commandNames(line.substr(send));
      sent += static_cast<int>(std::count(names.begin(), names.end(), "change_player_type"));
    } else if (contains(line, "(warning")) {
      ++refusals[line.substr(line.find("(warning"))];
    }
  }
  for (const auto& each : refusals) {
    problems.push_back(coach + " was refused " + std::to_string(each.second) +
                       " times: " + each.first);
  }

  int logged = 0;
  int afterKickOff = 0;
  bool kickedOff = false;
  for (const ServerLogLine& each : lines) {
    if (each.sender.empty() && refereeMode(each) != "before_kick_off") kickedOff = true;
    if (each.sender != coach) continue;
    for (const std::string& command : topLevelCommands(each.text)) {
      std::istringstream words(command.substr(1));
      std::string name;
      int number = 0;
      int type = -1;
      if (!(words >> name) || name != "change_player_type") continue;
      ++logged;
      if (kickedOff) ++afterKickOff;
      if (!(words >> number >> type) || number < 1 || number > 11 || type < 0 ||
          type >= limits.playerTypes) {
        problems.push_back(coach + " at cycle " + std::to_string(each.cycle) +
                           " changed what is not its own player or a known type: " + command);
      }
    }
  }
  if (logged != sent) {
    problems.push_back(coach + " sent " + std::to_string(sent) +
                       " change_player_type commands, the server's log holds " +
                       std::to_string(logged));
  }
  if (afterKickOff > limits.subsMax) {
    problems.push_back(coach + " changed " + std::to_string(afterKickOff) +
                       " player types after kick-off, more than the " +
                       std::to_string(limits.subsMax) + " allowed");
  }
  return problems;
}

int serverSetting(const std::string& playerConf, const std::string& key) {
  const std::string start = "player::" + key + " = ";
  std::istringstream in(playerConf);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(start, 0) == 0) return std::stoi(line.substr(start.size()));
  }
  return -1;
}

std::vector<std::string> errorAnswers(std::istream& readableLog) {
  std::vector<std::string> found;
  std::string line;
  while (std::getline(readableLog, line)) {
    if (contains(line, "(error")) found.push_back(line);
  }
  return found;
}

SeeToSend seeToSend(std::istream& readableLog) {
  SeeToSend result;
  int seeMS = -1;
  std::string line;
  while (std::getline(readableLog, line)) {
    // A cycle header: a see of the last cycle has no send any more.
    if (!line.empty() && line[0] == '[') {
      seeMS = -1;
      continue;
    }
    if (contains(line, "RecStr: (sense_body ")) {
      ++result.senseBodies;
    } else if (contains(line, "RecStr: (see ")) {
      seeMS = lineMS(line);
    } else if (contains(line, "SendStr: ") && seeMS >= 0) {
      const int sendMS = lineMS(line);
      if (sendMS >= seeMS) result.ms.push_back(sendMS - seeMS);
      seeMS = -1;
    }
  }
  return result;
}

int percentile(std::vector<int> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<std::size_t>(std::ceil(share * values.size()));
  return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

std::vector<std::string> sanitizerReports(std::istream& output) {
  std::vector<std::string> found;
  std::string line;
  while (std::getline(output, line)) {
    if (contains(line, "Sanitizer") || contains(line, "runtime error:")) found.push_back(line);
  }
  return found;
}

}  // namespace tovren::support
