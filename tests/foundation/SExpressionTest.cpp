#include "foundation/SExpression.h"

#include "support/WorldModelScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace tovren {
namespace {

constexpr float kFloatTolerance = 1e-6f;

std::unique_ptr<SExpression> parse(const std::string& text) {
  unsigned int pos = 0;
  return std::make_unique<SExpression>(text, pos);
}

const SExpAtomic& atomAt(const SExpression& list, unsigned int index) {
  const SExpElement* element = list[index];
  EXPECT_EQ(element->type(), SExpType::Atom) << "element " << index << " of " << list.toString();
  return dynamic_cast<const SExpAtomic&>(*element);
}

const SExpression& listAt(const SExpression& list, unsigned int index) {
  const SExpElement* element = list[index];
  EXPECT_EQ(element->type(), SExpType::List) << "element " << index << " of " << list.toString();
  return dynamic_cast<const SExpression&>(*element);
}

// Every datagram of every recorded conversation: the text after "<ms>\t", and after
// "> " on the lines the client sent.
std::vector<std::string> fixtureMessages() {
  const std::filesystem::path root = support::dataDirectory();
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.is_regular_file() && entry.path().extension() == ".txt") {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  std::vector<std::string> messages;
  for (const auto& file : files) {
    for (const support::RecordedLine& line : support::readRecording(file.string())) {
      messages.push_back(line.text);
    }
  }
  return messages;
}

const std::vector<std::string>& allFixtureMessages() {
  static const std::vector<std::string> messages = fixtureMessages();
  return messages;
}

std::string firstFixtureMessage(const std::string& prefix) {
  for (const auto& message : allFixtureMessages()) {
    if (message.compare(0, prefix.size(), prefix) == 0) {
      return message;
    }
  }
  ADD_FAILURE() << "no fixture message starts with " << prefix;
  return "(" + prefix + ")";
}

TEST(SExpression, SplitsAtBlanksTabsAndParenthesesKeepingQuotedTextWhole) {
  const struct Case {
    const char* text;
    unsigned int size;
    const char* written;
    const char* last;  // the last element written, or nullptr
  } cases[] = {
      {"(see 12 ((f c) 10.5 -3) ((b) 20 5))", 4, "(see 12 ((f c) 10.5 -3) ((b) 20 5))",
       "((b) 20 5)"},
      {"(a  b\t c)", 3, "(a b c)", "c"},
      {"(a\nb)", 1, "(a\nb)", "a\nb"},  // only blank and tab separate
      {"(a\r b\r)", 2, "(a\r b\r)", "b\r"},
      {"(server_param (a 1)(b 2))", 3, "(server_param (a 1) (b 2))", "(b 2)"},
      {"(hear 12 self \"pass me (now)\")", 4, "(hear 12 self \"pass me (now)\")",
       "\"pass me (now)\""},
      {"(a\"b c\"d e)", 2, "(a\"b c\"d e)", "e"},
      {"(team_l_start \"\")", 2, "(team_l_start \"\")", "\"\""},
      {"()", 0, "()", nullptr},
      {"(x () (()))", 3, "(x () (()))", "(())"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto list = parse(c.text);
    ASSERT_EQ(list->size(), c.size);
    EXPECT_EQ(list->toString(), c.written);
    if (c.last != nullptr) EXPECT_EQ((*list)[c.size - 1]->toString(), c.last);
  }
}

TEST(SExpression, ChildrenAreFoundByAnAtomHeaderTheLaterWinning) {
  const auto see = parse("(see 12 ((f c) 10.5 -3) (b 1) (c) (b 2) ())");
  EXPECT_EQ((*see)["b"].toString(), "(b 2)");
  EXPECT_EQ((*see)["c"].size(), 1u);
  EXPECT_NEAR(atomAt(listAt(*see, 2), 1).asFloat(), 10.5f, kFloatTolerance);
  // Neither the list's own header, an atom, a list-headed child nor an empty one counts.
  for (const char* header : {"see", "12", "f", ""}) EXPECT_FALSE(see->hasSExpWithHeader(header));
  EXPECT_TRUE(listAt(*see, 2).hasSExpWithHeader("f"));
}

TEST(SExpression, CoachFreeformHeardWithNestedQuotesFollowsTheToggleRule) {
  // Players hear the coach's freeform as a list with a quoted text.
  const auto player = parse(firstFixtureMessage("(hear 0 online_coach_left (freeform "));
  ASSERT_EQ(player->size(), 4u);
  EXPECT_EQ(atomAt((*player)["freeform"], 1).asString(), "\"(T 00000000000)\"");

  // The coach hears its own text wrapped in quotes of the server's, so the inner
  // quotes toggle and the parentheses between them form a list.
  const auto coach = parse(firstFixtureMessage("(hear 0 online_coach_left \"(freeform "));
  ASSERT_EQ(coach->size(), 6u);
  EXPECT_EQ(atomAt(*coach, 3).asString(), "\"(freeform \"");
  EXPECT_EQ(listAt(*coach, 4).toString(), "(T 00000000000)");
  EXPECT_EQ(atomAt(*coach, 5).asString(), "\")\"");
  EXPECT_TRUE(coach->hasSExpWithHeader("T"));
}

TEST(SExpression, RecordedServerMessagesAreReadByHeader) {
  const auto body = parse(firstFixtureMessage("(sense_body "));
  EXPECT_GT(atomAt((*body)["stamina"], 1).asFloat(), 0.0f);
  EXPECT_EQ(atomAt((*body)["view_mode"], 1).asString(), "high");
  const auto params = parse(firstFixtureMessage("(server_param "));
  EXPECT_NEAR(atomAt((*params)["kick_power_rate"], 1).asFloat(), 0.027f, kFloatTolerance);
  EXPECT_EQ(atomAt((*params)["game_log_dir"], 1).asString(), "\"./\"");
}

TEST(SExpression, EveryRecordedMessageIsWellFormedAndParsesToAStableText) {
  const auto& messages = allFixtureMessages();
  ASSERT_GT(messages.size(), 6000u);
  for (const auto& message : messages) {
    ASSERT_TRUE(SExpression::isWellFormed(message)) << message;
    unsigned int pos = 0;
    const SExpression parsed(message, pos);
    EXPECT_EQ(pos, message.size() - 1) << message;
    ASSERT_GT(parsed.size(), 0u);
    EXPECT_EQ(parsed[0]->type(), SExpType::Atom) << message;
    // Written back, the text is well formed and reads back to itself.
    const std::string written = parsed.toString();
    ASSERT_TRUE(SExpression::isWellFormed(written)) << written;
    unsigned int writtenPos = 0;
    EXPECT_EQ(SExpression(written, writtenPos).toString(), written);
  }
}

TEST(SExpression, IsWellFormedRefusesEmptyAndOddlyShapedTexts) {
  const std::vector<std::string> refused = {
      "",           " ",           "\n",    "abc",     ")",     "(",     "()",
      "( )",        "(\t)",        "(())",  "((a) b)", " (a)",  "\n(a)", "x(a)",
      "(a",         "(a (b)",      "(a))",  "(a) (b)", "(a) b", "(a)x",  "(a \"b)",
      "(a \"b\"))", "(a (b \"c))", "(\"a)", ")(a)",
  };
  for (const auto& text : refused) {
    EXPECT_FALSE(SExpression::isWellFormed(text)) << "[" << text << "]";
  }
  const std::vector<std::string> accepted = {
      "(a)",    "(a)\n",   "(a) \t\r\n", "( a )",  "(\ta\t(b))", "(\"a b\" c)",
      "(a ())", "(\"(\")", "(a \"\")",   "(a\nb)", "(a\"b)\"c)", "(a \"b)\")",
  };
  for (const auto& text : accepted) {
    EXPECT_TRUE(SExpression::isWellFormed(text)) << "[" << text << "]";
    unsigned int pos = 0;
    const SExpression parsed(text, pos);
    EXPECT_EQ(parsed[0]->type(), SExpType::Atom) << text;
  }
}

TEST(SExpression, IsWellFormedBoundsTheNesting) {
  const auto nested = [](unsigned int depth) {
    return "(a " + std::string(depth - 1, '(') + "b" + std::string(depth, ')');
  };
  const std::string deepest = nested(SExpression::maxWellFormedDepth);
  ASSERT_TRUE(SExpression::isWellFormed(deepest));
  unsigned int pos = 0;
  EXPECT_EQ(SExpression(deepest, pos).toString(), deepest);
  EXPECT_FALSE(SExpression::isWellFormed(nested(SExpression::maxWellFormedDepth + 1)));
  EXPECT_FALSE(SExpression::isWellFormed("(a " + std::string(100000, '(')));
}

TEST(SExpression, IsWellFormedRefusesMangledRecordedMessages) {
  const auto& messages = allFixtureMessages();
  int refusedCount = 0;
  for (std::size_t m = 0; m < messages.size(); m += 17) {
    const std::string& message = messages[m];
    const std::size_t length = message.size();
    std::vector<std::string> variants;
    // Cut as a full receive buffer would cut it.
    for (std::size_t cut : {std::size_t{1}, length / 4, length / 2, length - 1}) {
      variants.push_back(message.substr(0, cut));
    }
    variants.push_back(message + ")");
    variants.push_back(message.substr(1));
    variants.push_back(" " + message);
    variants.push_back("(" + message);
    variants.push_back(message + " " + message);
    for (const auto& variant : variants) {
      EXPECT_FALSE(SExpression::isWellFormed(variant)) << "[" << variant << "]";
      ++refusedCount;
    }
  }
  EXPECT_GT(refusedCount, 1000);
}

TEST(SExpression, WhateverIsWellFormedParsesToTheSameShape) {
  // Random edits with the characters that matter to the parser; a text that passes the
  // test must parse without stopping, with element 0 an atom.
  const auto& messages = allFixtureMessages();
  const std::string alphabet = "()\" \t\na";
  std::mt19937 generator(20240611u);
  int accepted = 0;
  int refused = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string text = messages[generator() % messages.size()];
    if (text.size() > 400) {
      text = text.substr(0, 400) + std::string(40, ')');
    }
    const int edits = 1 + static_cast<int>(generator() % 3);
    for (int e = 0; e < edits && !text.empty(); ++e) {
      const std::size_t at = generator() % text.size();
      const char c = alphabet[generator() % alphabet.size()];
      switch (generator() % 3) {
        case 0:
          text.erase(at, 1);
          break;
        case 1:
          text.insert(at, 1, c);
          break;
        default:
          text[at] = c;
          break;
      }
    }
    if (!SExpression::isWellFormed(text)) {
      ++refused;
      continue;
    }
    ++accepted;
    unsigned int pos = 0;
    const SExpression parsed(text, pos);
    ASSERT_GT(parsed.size(), 0u) << text;
    EXPECT_EQ(parsed[0]->type(), SExpType::Atom) << text;
    EXPECT_TRUE(SExpression::isWellFormed(parsed.toString())) << text;
  }
  EXPECT_GT(accepted, 100);
  EXPECT_GT(refused, 100);
}

TEST(SExpressionDeathTest, ParserStopsWhereWellFormednessRefusesAndOnUnknownNames) {
  const std::string see = firstFixtureMessage("(see ");
  const std::string cut = see.substr(0, see.size() / 2);
  ASSERT_FALSE(SExpression::isWellFormed(cut));
  EXPECT_DEATH(parse(cut), "i < value.length\\(\\)");
  EXPECT_DEATH(parse("(say \"unclosed)"), "i < value.length\\(\\)");
  EXPECT_DEATH(parse(" " + see), "value\\[pos\\] == '\\('");
  const auto list = parse("(a (b 1))");
  EXPECT_DEATH((*list)[2u], "index >= 0 && index < elements.size\\(\\)");
  EXPECT_DEATH((*list)["c"], "it != indices.end\\(\\)");
  unsigned int pos = 3;
  EXPECT_DEATH(SExpAtomic("abc", pos), "pos < value.length\\(\\)");
}

}  // namespace
}  // namespace tovren
