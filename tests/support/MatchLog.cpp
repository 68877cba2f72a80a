#include "support/MatchLog.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

namespace tovren::support {

namespace {

const char* const kBodyCommands[] = {"dash", "kick", "turn", "tackle", "catch", "move"};
const char* const kRefereePrefix = "(referee ";

// The top-level lists of a datagram, each as its own text; a parenthesis in quotes is text.
std::vector<std::string> topLevelCommands(const std::string& text) {
  std::vector<std::string> commands;
  int depth = 0;
  bool quoted = false;
  std::string::size_type start = 0;
  for (std::string::size_type i = 0; i < text.size(); ++i) {
    if (text[i] == '"') {
      quoted = !quoted;
    } else if (quoted) {
      continue;
    } else if (text[i] == '(') {
      if (depth++ == 0) start = i;
    } else if (text[i] == ')' && depth > 0 && --depth == 0) {
      commands.push_back(text.substr(start, i - start + 1));
    }
  }
  return commands;
}

// A piece of a datagram: '(' or ')', 'w' a word, '"' a quoted text with its quotes.
struct Token {
  char kind;
  std::string text;
};

// The tokens of a text; a quote left open runs to the end and clears `closed`.
std::vector<Token> tokenize(const std::string& text, bool& closed) {
  std::vector<Token> tokens;
  closed = true;
  std::string::size_type i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      ++i;
    } else if (c == '(' || c == ')') {
      tokens.push_back({c, std::string(1, c)});
      ++i;
    } else if (c == '"') {
      const std::string::size_type end = text.find('"', i + 1);
      closed = end != std::string::npos;
      const std::string::size_type stop = closed ? end + 1 : text.size();
      tokens.push_back({'"', text.substr(i, stop - i)});
      i = stop;
    } else {
      const std::string::size_type end = text.find_first_of(" \t\n()\"", i);
      const std::string::size_type stop = end == std::string::npos ? text.size() : end;
      tokens.push_back({'w', text.substr(i, stop - i)});
      i = stop;
    }
  }
  return tokens;
}

// Reads the list that opens at `at` and moves past its closing parenthesis: its first
// word and then each argument go to `words`. False when it is no list with a word first.
bool readList(const std::vector<Token>& tokens, std::size_t& at, std::vector<std::string>& words) {
  if (at + 1 >= tokens.size() || tokens[at].kind != '(' || tokens[at + 1].kind != 'w') {
    return false;
  }
  ++at;
  while (at < tokens.size() && tokens[at].kind != ')') {
    if (tokens[at].kind != '(') {
      words.push_back(tokens[at++].text);
      continue;
    }
    std::vector<std::string> inner;
    if (!readList(tokens, at, inner)) return false;
    std::string list = "(";
    for (std::size_t i = 0; i < inner.size(); ++i) list += (i == 0 ? "" : " ") + inner[i];
    words.push_back(list + ")");
  }
  if (at >= tokens.size()) return false;
  ++at;
  return true;
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

bool holdsBodyCommand(const std::string& datagram) {
  for (const std::string& name : commandNames(datagram)) {
    if (std::find(std::begin(kBodyCommands), std::end(kBodyCommands), name) !=
        std::end(kBodyCommands)) {
      return true;
    }
  }
  return false;
}

std::vector<std::string> linesWith(std::istream& in, const char* part) {
  std::vector<std::string> found;
  std::string line;
  while (std::getline(in, line)) {
    if (contains(line, part)) found.push_back(line);
  }
  return found;
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

std::optional<std::vector<DatagramCommand>> parseCommands(const std::string& datagram) {
  bool closed = true;
  const std::vector<Token> tokens = tokenize(datagram, closed);
  if (!closed || tokens.empty()) return std::nullopt;
  std::vector<DatagramCommand> commands;
  std::size_t at = 0;
  while (at < tokens.size()) {
    std::vector<std::string> words;
    if (!readList(tokens, at, words)) return std::nullopt;
    commands.push_back({words[0], std::vector<std::string>(words.begin() + 1, words.end())});
  }
  return commands;
}

bool hasNonFiniteWord(const std::string& text) {
  bool closed = true;
  for (const Token& token : tokenize(text, closed)) {
    if (token.kind != 'w') continue;
    std::string word = token.text;
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (word[0] == '-' || word[0] == '+') word.erase(0, 1);
    if (word == "nan" || word == "inf" || word == "infinity") return true;
  }
  return false;
}

namespace {

// The arguments a player's command may have, each form a blank-separated list of what
// stands there: N a finite number, S a say text, U a uniform number, T "our" or "opp",
// W a view width, Q a view quality, A any word, L a list; anything else stands for itself.
struct CommandShape {
  const char* name;
  std::vector<std::string> forms;
};

const CommandShape kPlayerCommands[] = {
    {"dash", {"N", "N N"}},
    {"kick", {"N N"}},
    {"turn", {"N"}},
    {"turn_neck", {"N"}},
    {"tackle", {"N"}},
    {"catch", {"N"}},
    {"move", {"N N"}},
    {"change_view", {"W", "W Q"}},
    {"say", {"S"}},
    {"attentionto", {"off", "T U"}},
    {"pointto", {"off", "N N"}},
    {"init", {"A L", "A L L"}},
    {"clang", {"L"}},
    {"bye", {""}},
};

// The longest say text the server passes on.
constexpr std::size_t kSayLength = 10;

bool isFiniteNumber(const std::string& word) {
  char* end = nullptr;
  const double value = std::strtod(word.c_str(), &end);
  return !word.empty() && *end == '\0' && std::isfinite(value);
}

bool fits(const std::string& kind, const std::string& word) {
  if (kind == "N") return isFiniteNumber(word);
  if (kind == "S") return word.size() >= 2 && word[0] == '"' && word.size() - 2 <= kSayLength;
  if (kind == "U") {
    const std::string::size_type digits = word.find_first_not_of("0123456789");
    return digits == std::string::npos && word.size() <= 2 && std::atoi(word.c_str()) >= 1 &&
           std::atoi(word.c_str()) <= 11;
  }
  if (kind == "T") return word == "our" || word == "opp";
  if (kind == "W") return word == "narrow" || word == "normal" || word == "wide";
  if (kind == "Q") return word == "low" || word == "high";
  if (kind == "A") return word[0] != '(' && word[0] != '"';
  if (kind == "L") return word[0] == '(';
  return word == kind;
}

bool hasForm(const DatagramCommand& command, const std::string& form) {
  std::istringstream kinds(form);
  std::string kind;
  std::size_t i = 0;
  while (kinds >> kind) {
    if (i >= command.arguments.size() || !fits(kind, command.arguments[i])) return false;
    ++i;
  }
  return i == command.arguments.size();
}

}  // namespace

std::vector<std::string> playerCommandProblems(const std::string& datagram) {
  const std::optional<std::vector<DatagramCommand>> commands = parseCommands(datagram);
  if (!commands) return {"not a list of commands: " + datagram};
  std::vector<std::string> problems;
  if (hasNonFiniteWord(datagram)) problems.push_back("nan or inf: " + datagram);
  for (const DatagramCommand& command : *commands) {
    const auto shape =
        std::find_if(std::begin(kPlayerCommands), std::end(kPlayerCommands),
                     [&](const CommandShape& each) { return command.name == each.name; });
    if (shape == std::end(kPlayerCommands)) {
      problems.push_back("unknown command " + command.name + ": " + datagram);
    } else if (std::none_of(shape->forms.begin(), shape->forms.end(),
                            [&](const std::string& form) { return hasForm(command, form); })) {
      problems.push_back("arguments of " + command.name + ": " + datagram);
    }
  }
  return problems;
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
    if (holdsBodyCommand(line.text)) body.insert(line.cycle);
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
    if (hasNonFiniteWord(line.text)) {
      problems.push_back(line.sender + " at cycle " + std::to_string(line.cycle) + ": " +
                         line.text);
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
  return linesWith(readableLog, "(error");
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

std::vector<PlayerCycle> playerCycles(std::istream& readableLog) {
  static const std::string senseBody = "RecStr: (sense_body ";
  static const std::string tackle = "(tackle (expires ";
  std::vector<PlayerCycle> cycles;
  std::string line;
  while (std::getline(readableLog, line)) {
    const int ms = lineMS(line);
    const std::string::size_type point = line.find(". ");
    if (ms < 0 || point == std::string::npos) continue;
    const std::string text = line.substr(point + 2);
    if (text.rfind(senseBody, 0) == 0) {
      PlayerCycle cycle;
      cycle.number = static_cast<int>(cycles.size()) + 1;
      const std::string::size_type expires = text.find(tackle);
      if (expires != std::string::npos) {
        cycle.tackleExpires = std::atoi(text.c_str() + expires + tackle.size());
      }
      cycles.push_back(cycle);
    }
    // Written when the next sense_body comes, still on the old cycle's clock.
    if (cycles.empty() || text == "End of cycle.") continue;
    PlayerCycle& cycle = cycles.back();
    cycle.lastMS = ms;
    if (text.rfind("RecStr: (see ", 0) == 0) {
      if (cycle.seeMS < 0 && !cycle.decided) cycle.sentAfterDecision = false;
      if (cycle.seeMS < 0) cycle.seeMS = ms;
    } else if (text == "AdvancedAgent::bodyDecide") {
      cycle.decided = true;
      cycle.sentAfterDecision = false;
    } else if (text.rfind("SendStr: ", 0) == 0) {
      cycle.sentAfterDecision = true;
      if (holdsBodyCommand(text.substr(9))) cycle.bodySent = true;
    }
  }
  return cycles;
}

MissingBodies missingBodies(const std::vector<PlayerCycle>& cycles, int firstCycle, int lateMS) {
  MissingBodies result;
  for (const PlayerCycle& cycle : cycles) {
    if (cycle.number < firstCycle || cycle.tackleExpires != 0 ||
        (cycle.seeMS < 0 && !cycle.decided)) {
      continue;
    }
    ++result.checked;
    if (cycle.bodySent) continue;
    if (cycle.lastMS >= lateMS && !cycle.sentAfterDecision) {
      ++result.late;
      continue;
    }
    result.problems.push_back("cycle " + std::to_string(cycle.number) + ": " +
                              (cycle.seeMS < 0 ? std::string("no see")
                                               : "see at " + std::to_string(cycle.seeMS) + " ms") +
                              (cycle.decided ? ", decided" : ", not decided") +
                              ", no body command sent");
  }
  return result;
}

std::vector<std::string> nonFiniteWrites(std::istream& readableLog) {
  return linesWith(readableLog, "Non-finite number written");
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
