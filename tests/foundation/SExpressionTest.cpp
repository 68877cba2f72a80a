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

std::unique_ptr<SExpression> parse(const std::string& text, unsigned int& pos) {
  return std::make_unique<SExpression>(text, pos);
}

std::unique_ptr<SExpression> parse(const std::string& text) {
  unsigned int pos = 0;
  return parse(text, pos);
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

TEST(SExpression, SeeMessageHoldsAtomsAndListsWithoutHeadersForListHeadedChildren) {
  const auto see = parse("(see 12 ((f c) 10.5 -3) ((b) 20 5))");
  ASSERT_EQ(see->size(), 4u);
  EXPECT_EQ(atomAt(*see, 0).asString(), "see");
  EXPECT_EQ(atomAt(*see, 1).asInt(), 12);
  const SExpression& flag = listAt(*see, 2);
  ASSERT_EQ(flag.size(), 3u);
  EXPECT_EQ(listAt(flag, 0).toString(), "(f c)");
  EXPECT_NEAR(atomAt(flag, 1).asFloat(), 10.5f, kFloatTolerance);
  EXPECT_EQ(listAt(*see, 3).toString(), "((b) 20 5)");
  EXPECT_FALSE(see->hasSExpWithHeader("f"));
  EXPECT_FALSE(see->hasSExpWithHeader("b"));
  // One level down, (f c) is headed by an atom.
  EXPECT_TRUE(flag.hasSExpWithHeader("f"));
  EXPECT_EQ(flag["f"].toString(), "(f c)");
}

TEST(SExpression, LaterChildWithTheSameHeaderWins) {
  const auto list = parse("(a (b 1) (c) (b 2))");
  EXPECT_EQ((*list)["b"].toString(), "(b 2)");
  EXPECT_EQ((*list)["c"].size(), 1u);
  EXPECT_FALSE(list->hasSExpWithHeader("a"));
  EXPECT_FALSE(list->hasSExpWithHeader("2"));
}

TEST(SExpression, EmptyListsParseAndWriteAsEmptyParentheses) {
  const auto empty = parse("()");
  EXPECT_EQ(empty->size(), 0u);
  EXPECT_EQ(empty->toString(), "()");
  const auto nested = parse("(x () (()))");
  EXPECT_EQ(nested->toString(), "(x () (()))");
  // A child without elements registers no header.
  EXPECT_FALSE(nested->hasSExpWithHeader(""));
}

TEST(SExpression, OnlyBlankAndTabSeparate) {
  const auto spaced = parse("(a  b\t c)");
  ASSERT_EQ(spaced->size(), 3u);
  EXPECT_EQ(atomAt(*spaced, 2).asString(), "c");
  EXPECT_EQ(spaced->toString(), "(a b c)");

  const auto newline = parse("(a\nb)");
  ASSERT_EQ(newline->size(), 1u);
  EXPECT_EQ(atomAt(*newline, 0).asString(), "a\nb");

  const auto carriageReturn = parse("(a\r b\r)");
  ASSERT_EQ(carriageReturn->size(), 2u);
  EXPECT_EQ(atomAt(*carriageReturn, 1).asString(), "b\r");

  // Parentheses end an atom without a separator.
  const auto packed = parse("(server_param (a 1)(b 2))");
  ASSERT_EQ(packed->size(), 3u);
  EXPECT_EQ(packed->toString(), "(server_param (a 1) (b 2))");
}

TEST(SExpression, DoubleQuotesKeepSeparatorsAndParenthesesInsideOneAtom) {
  const auto say = parse("(hear 12 self \"pass me (now)\")");
  ASSERT_EQ(say->size(), 4u);
  EXPECT_EQ(atomAt(*say, 3).asString(), "\"pass me (now)\"");

  const auto mixed = parse("(a\"b c\"d e)");
  ASSERT_EQ(mixed->size(), 2u);
  EXPECT_EQ(atomAt(*mixed, 0).asString(), "a\"b c\"d");

  const auto emptyQuotes = parse("(team_l_start \"\")");
  EXPECT_EQ(atomAt(*emptyQuotes, 1).asString(), "\"\"");
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

TEST(SExpression, PositionEndsOnTheClosingParenthesis) {
  unsigned int pos = 0;
  const auto first = parse("(a) further words", pos);
  EXPECT_EQ(pos, 2u);
  EXPECT_EQ(first->toString(), "(a)");

  const std::string text = "xx (b (c d) e) tail";
  pos = 3;
  const auto inner = parse(text, pos);
  EXPECT_EQ(pos, 13u);
  EXPECT_EQ(text[pos], ')');
  EXPECT_EQ(inner->toString(), "(b (c d) e)");

  unsigned int atomPos = 1;
  const SExpAtomic atom("(abc def)", atomPos);
  EXPECT_EQ(atom.asString(), "abc");
  EXPECT_EQ(atomPos, 3u);
}

TEST(SExpression, SenseBodyFromTheServerIsReadByHeader) {
  const auto body = parse(firstFixtureMessage("(sense_body "));
  EXPECT_EQ(atomAt(*body, 0).asString(), "sense_body");
  ASSERT_TRUE(body->hasSExpWithHeader("stamina"));
  const SExpression& stamina = (*body)["stamina"];
  ASSERT_GE(stamina.size(), 3u);
  EXPECT_GT(atomAt(stamina, 1).asFloat(), 0.0f);
  const SExpression& viewMode = (*body)["view_mode"];
  ASSERT_EQ(viewMode.size(), 3u);
  EXPECT_EQ(atomAt(viewMode, 1).asString(), "high");
  EXPECT_TRUE(body->hasSExpWithHeader("speed"));
  EXPECT_FALSE(body->hasSExpWithHeader("sense_body"));
}

TEST(SExpression, ServerParametersAreReachedByName) {
  const auto params = parse(firstFixtureMessage("(server_param "));
  EXPECT_GT(params->size(), 100u);
  EXPECT_NEAR(atomAt((*params)["kick_power_rate"], 1).asFloat(), 0.027f, kFloatTolerance);
  EXPECT_NEAR(atomAt((*params)["ball_decay"], 1).asFloat(), 0.94f, kFloatTolerance);
  EXPECT_EQ(atomAt((*params)["game_log_dir"], 1).asString(), "\"./\"");
  EXPECT_EQ(atomAt((*params)["team_l_start"], 1).asString(), "\"\"");
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

TEST(SExpressionDeathTest, ParserStopsWhereWellFormednessRefuses) {
  const std::string see = firstFixtureMessage("(see ");
  const std::string cut = see.substr(0, see.size() / 2);
  ASSERT_FALSE(SExpression::isWellFormed(cut));
  EXPECT_DEATH(parse(cut), "i < value.length\\(\\)");
  EXPECT_DEATH(parse("(say \"unclosed)"), "i < value.length\\(\\)");
  EXPECT_DEATH(parse(""), "value\\[pos\\] == '\\('");
  EXPECT_DEATH(parse(" " + see), "value\\[pos\\] == '\\('");
}

TEST(SExpressionDeathTest, NamedConditionsStopTheProcess) {
  const auto list = parse("(a (b 1))");
  EXPECT_DEATH((*list)[2u], "index >= 0 && index < elements.size\\(\\)");
  const SExpression& constList = *list;
  EXPECT_DEATH(constList[7u], "index >= 0 && index < elements.size\\(\\)");
  EXPECT_DEATH(constList["c"], "it != indices.end\\(\\)");
  EXPECT_DEATH(parse("(a b"), "i < value.length\\(\\)");
  unsigned int pos = 3;
  EXPECT_DEATH(SExpAtomic("abc", pos), "pos < value.length\\(\\)");
}

}  // namespace
}  // namespace tovren
