#include "worldmodel/MessageFields.h"

#include "support/WorldModelScene.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>

namespace tovren {
namespace {

TEST(MessageFields, DecimalReadersTakeTheWholeAtomInBaseTenOrNothing) {
  for (const char* text : {"0x10", "0x1p3", " 5", "5 ", "\t5", "5\r", "12abc", "--5", "-", "", "1e",
                           ".", "1,5", "nan", "inf", "1e39", "-1e39", "\"1\""}) {
    EXPECT_EQ(MessageFields::decimalInt(text), std::nullopt) << text;
    EXPECT_EQ(MessageFields::decimalFloat(text), std::nullopt) << text;
  }
  const std::optional<int> no;
  // clang-format off
  const std::pair<const char*, std::optional<int>> ints[] = {
      {"010", 10}, {"-0", 0}, {"+7", 7}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
      {"2147483648", no}, {"-2147483649", no}, {"10.9", no}};
  // clang-format on
  for (const auto& [text, value] : ints) EXPECT_EQ(MessageFields::decimalInt(text), value) << text;
  const std::pair<const char*, float> floats[] = {
      {"010", 10.0f}, {"-3", -3.0f},      {"007.5", 7.5f},  {".5", 0.5f},
      {"5.", 5.0f},   {"-3E+2", -300.0f}, {"1e-05", 1e-5f}, {"-2147483649", -2147483648.0f}};
  for (const auto& [text, value] : floats)
    EXPECT_EQ(MessageFields::decimalFloat(text), value) << text;
}

// Every number the server sent reads as the C library reads the whole atom.
void expectNumbersRead(const SExpression& list, int& numbers) {
  for (unsigned int i = 0; i < list.size(); ++i) {
    const SExpression* child = MessageFields::listAt(list, i);
    if (child != nullptr) expectNumbersRead(*child, numbers);
    const std::string text = child != nullptr ? "" : MessageFields::atomAt(list, i)->asString();
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != '\0') continue;
    ++numbers;
    EXPECT_EQ(MessageFields::decimalFloat(text), value) << text;
    if (text.find_first_of(".eE") != std::string::npos) continue;
    EXPECT_EQ(MessageFields::decimalInt(text), std::strtol(text.c_str(), nullptr, 10)) << text;
  }
}

TEST(MessageFields, DecimalReadersReadEveryNumberOfTheRecordedMessages) {
  int numbers = 0;
  for (const char* side : {"left", "right"}) {
    for (const auto& line : support::readRecording(support::fixturePath(side, "Tovren-2.txt"))) {
      if (!line.sent) expectNumbersRead(*support::parseMessage(line.text), numbers);
    }
  }
  EXPECT_GT(numbers, 10000);
}

}  // namespace
}  // namespace tovren
