#include "agent/BasicAgent.h"

#include "foundation/SExpression.h"
#include "foundation/Timer.h"
#include "support/AgentScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

// Real conversations, each datagram either as recorded or with its tokens mangled, go
// through the player's own dispatch: nothing the network sends may stop the process or
// leave a non-finite number in the picture of the match. The sanitizer build runs the
// same scenes and reports any invalid read, leak or undefined operation.

namespace tovren {
namespace {

using support::makeAgent;
using support::ScratchDirectory;

// Tokens that a hostile or broken peer could put where a number or a word belongs.
const char* const kHostileTokens[] = {
    "nan",      "-nan", "inf", "-inf", "1e39", "-1e39", "99999999999",    "-99999999999",
    "0",        "-0",   "-1",  "12",   "255",  "abc",   "\"\"",           "\"q",
    "goalie",   "l",    "r",   "our",  "opp",  "1.5",   "0x7fffffff",     "-2147483648",
    "()",       "(b)",  "(p)", "(f)",  "(g)",  "(l)",   "(p \"Tovren\")", "(p \"Tovren\" 99)",
    "(f c t t)"};

std::vector<std::string> tokenize(const std::string& text) {
  std::vector<std::string> tokens;
  std::string::size_type i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ' || c == '\t') {
      ++i;
    } else if (c == '(' || c == ')') {
      tokens.emplace_back(1, c);
      ++i;
    } else {
      std::string::size_type end = i;
      bool quoted = false;
      while (end < text.size()) {
        const char d = text[end];
        if (d == '"') quoted = !quoted;
        if (!quoted && (d == ' ' || d == '\t' || d == '(' || d == ')')) break;
        ++end;
      }
      tokens.push_back(text.substr(i, end - i));
      i = end;
    }
  }
  return tokens;
}

std::string join(const std::vector<std::string>& tokens) {
  std::string text;
  for (const std::string& token : tokens) {
    if (!text.empty() && token != ")" && text.back() != '(') text += ' ';
    text += token;
  }
  return text;
}

// A few random edits that keep most of the message's shape, so that it gets past the
// well-formedness test and into the readers.
std::string mangle(const std::string& text, std::mt19937& random) {
  std::vector<std::string> tokens = tokenize(text);
  if (tokens.size() < 3) return text;
  const int edits = 1 + static_cast<int>(random() % 4);
  for (int e = 0; e < edits; ++e) {
    // Never the opening "(" and header, so the message reaches its reader.
    const std::size_t at = 2 + random() % (tokens.size() - 2);
    switch (random() % 6) {
      case 0:
      case 1:
        if (tokens[at] != "(" && tokens[at] != ")") {
          tokens[at] = kHostileTokens[random() % (sizeof kHostileTokens / sizeof *kHostileTokens)];
        }
        break;
      case 2:
        if (tokens[at] != "(" && tokens[at] != ")") tokens.erase(tokens.begin() + at);
        break;
      case 3:
        if (tokens[at] != "(" && tokens[at] != ")") tokens.insert(tokens.begin() + at, tokens[at]);
        break;
      case 4: {
        // An atom turned into a list holding it, or the reverse.
        if (tokens[at] != "(" && tokens[at] != ")") {
          tokens.insert(tokens.begin() + at + 1, ")");
          tokens.insert(tokens.begin() + at, "(");
        }
        break;
      }
      default: {
        const std::size_t other = 2 + random() % (tokens.size() - 2);
        std::swap(tokens[at], tokens[other]);
        break;
      }
    }
  }
  return join(tokens);
}

bool finite(const Vector& v) { return std::isfinite(v.getX()) && std::isfinite(v.getY()); }

struct Fed {
  int mangled = 0;
  int wellFormed = 0;  // mangled ones that got past the well-formedness test to a reader
};

// Feeds the recording; every other datagram is mangled (and sometimes also given as
// recorded, so the match goes on).
Fed feedMangled(const std::string& side, const std::string& file, unsigned int seed) {
  std::mt19937 random(seed);
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player", "--number", "2"});
  Fed fed;
  long cycleStart = 0;
  ::testing::internal::CaptureStdout();
  for (const support::RecordedLine& line :
       support::readRecording(support::fixturePath(side, file))) {
    if (line.sent) continue;
    if (line.text.rfind("(sense_body", 0) == 0) cycleStart = line.ms;
    agent->virtualTimer().setCurMS(line.ms - cycleStart);
    const bool hostile = random() % 2 == 0;
    if (hostile) {
      const std::string text = mangle(line.text, random);
      agent->queue(text);
      ++fed.mangled;
      if (SExpression::isWellFormed(text)) ++fed.wellFormed;
    }
    // A refused init answer is a stop the player chose, not a crash: take a fresh player.
    if (!hostile || random() % 2 == 0) agent->queue(line.text);
    if (!agent->sigIOHandler()) agent = makeAgent(directory, {"--offline-player", "--number", "2"});
    const WorldModel& wm = agent->getWorldModel();
    EXPECT_TRUE(finite(wm.getBody().getPos())) << line.text;
    EXPECT_TRUE(finite(wm.getBall().getPos())) << line.text;
    EXPECT_TRUE(finite(wm.getBall().getVel())) << line.text;
  }
  ::testing::internal::GetCapturedStdout();
  return fed;
}

TEST(HostileTraffic, MangledConversationsNeitherStopNorPoisonThePlayer) {
  Fed total;
  unsigned int seed = 0;
  for (const char* side : {"left", "right"}) {
    for (const char* file :
         {"Tovren-1-goalie.txt", "Tovren-2.txt", "Tovren-3.txt", "Tovren-7.txt"}) {
      SCOPED_TRACE(std::string(side) + " " + file);
      const Fed fed = feedMangled(side, file, ++seed);
      total.mangled += fed.mangled;
      total.wellFormed += fed.wellFormed;
    }
  }
  EXPECT_GT(total.mangled, 1000);
  EXPECT_GT(total.wellFormed, total.mangled / 2);
}

}  // namespace
}  // namespace tovren
