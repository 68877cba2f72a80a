#include "worldmodel/MessageFields.h"

#include "support/WorldModelScene.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

namespace tovren {
namespace {

constexpr float kFloatTolerance = 1e-6f;

TEST(MessageFields, DecimalReadersTakeTheWholeAtomInBaseTenOrNothing) {
  const std::nullopt_t none = std::nullopt;
  struct Case {
    const char* text;
    std::optional<int> asInt;
    std::optional<float> asFloat;
  };
  const Case cases[] = {{"42", 42, 42.0f},
                        {"010", 10, 10.0f},
                        {"-0", 0, 0.0f},
                        {"-3", -3, -3.0f},
                        {"+7", 7, 7.0f},
                        {"2147483647", INT_MAX, 2147483647.0f},
                        {"-2147483648", INT_MIN, -2147483648.0f},
                        {"2147483648", none, 2147483648.0f},
                        {"-2147483649", none, -2147483649.0f},
                        {"0x10", none, none},
                        {"0x1p3", none, none},
                        {" 5", none, none},
                        {"5 ", none, none},
                        {"\t5", none, none},
                        {"5\r", none, none},
                        {"12abc", none, none},
                        {"--5", none, none},
                        {"-", none, none},
                        {"", none, none},
                        {"10.9", none, 10.9f},
                        {"007.5", none, 7.5f},
                        {".5", none, 0.5f},
                        {"5.", none, 5.0f},
                        {"-3E+2", none, -300.0f},
                        {"1e-05", none, 1e-5f},
                        {"1e", none, none},
                        {".", none, none},
                        {"1,5", none, none},
                        {"nan", none, none},
                        {"inf", none, none},
                        {"infinity", none, none},
                        {"1e39", none, none},
                        {"-1e39", none, none},
                        {"\"1\"", none, none}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(MessageFields::decimalInt(c.text), c.asInt);
    const std::optional<float> read = MessageFields::decimalFloat(c.text);
    ASSERT_EQ(read.has_value(), c.asFloat.has_value());
    if (read) {
      EXPECT_NEAR(*read, *c.asFloat, kFloatTolerance * std::fabs(*c.asFloat));
    }
  }
}

// Every number the server sent reads as the C library reads it in full.
void expectNumbersOfTheListRead(const SExpression& list, int& numbers) {
  for (unsigned int i = 0; i < list.size(); ++i) {
    if (const SExpression* child = MessageFields::listAt(list, i)) {
      expectNumbersOfTheListRead(*child, numbers);
      continue;
    }
    const std::string& text = MessageFields::atomAt(list, i)->asString();
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') continue;
    ++numbers;
    SCOPED_TRACE(text);
    ASSERT_TRUE(MessageFields::decimalFloat(text).has_value());
    EXPECT_EQ(*MessageFields::decimalFloat(text), static_cast<float>(value));
    if (text.find_first_of(".eE") == std::string::npos) {
      EXPECT_EQ(MessageFields::decimalInt(text),
                static_cast<int>(std::strtol(text.c_str(), nullptr, 10)));
    }
  }
}

TEST(MessageFields, DecimalReadersReadEveryNumberOfTheRecordedMessages) {
  int numbers = 0;
  for (const char* side : {"left", "right"}) {
    for (const support::RecordedLine& line :
         support::readRecording(support::fixturePath(side, "Tovren-2.txt"))) {
      if (!line.sent && SExpression::isWellFormed(line.text)) {
        expectNumbersOfTheListRead(*support::parseMessage(line.text), numbers);
      }
    }
  }
  EXPECT_GT(numbers, 10000);
}

}  // namespace
}  // namespace tovren
