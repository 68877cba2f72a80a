#include "connection/Command.h"

#include "foundation/Logger.h"
#include "geometry/Vector.h"
#include "support/WorldModelScene.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace tovren {
namespace {

struct TextCase {
  std::function<std::unique_ptr<Command>()> make;
  std::string text;
};

template <typename T, typename... Args>
std::function<std::unique_ptr<Command>()> make(Args... args) {
  return [=] { return std::unique_ptr<Command>(std::make_unique<T>(args...)); };
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

const std::vector<TextCase>& textCases() {
  static const std::vector<TextCase> cases = {
      {make<DashCommand>(-30.5f), "(dash -30.50)"},
      {make<DashCommand>(-0.0f), "(dash -0.00)"},
      {make<DashCommand>(99.996f), "(dash 100.00)"},
      {make<KickCommand>(80.0f, 45.0f), "(kick 80.00 -45.00)"},
      {make<TurnCommand>(0.0f), "(turn -0.00)"},
      {make<TurnCommand>(-90.0f), "(turn 90.00)"},
      {make<TurnNeckCommand>(30.0f), "(turn_neck -30.00)"},
      {make<TackleCommand>(-100.0f), "(tackle -100.00)"},
      {make<CatchCommand>(12.5f), "(catch -12.50)"},
      {make<MoveCommand>(-10.0f, 20.0f), "(move -10.00 -20.00)"},
      {make<MoveCommand>(0.0f, 0.0f), "(move 0.00 -0.00)"},
      {make<MoveCommand>(Point{-52.5f, 34.0f}), "(move -52.50 -34.00)"},
      {make<PointToCommand>(false), "(pointto off)"},
      {make<PointToCommand>(true), "(pointto 0.00 -0.00)"},
      {make<PointToCommand>(3.2f, 90.0f), "(pointto 3.20 -90.00)"},
      {make<ChangeViewCommand>(VMQ_LOW, VMW_NARROW), "(change_view narrow low)"},
      {make<ChangeViewCommand>(VMQ_HIGH, VMW_NORMAL), "(change_view normal high)"},
      {make<ChangeViewCommand>(VMQ_LOW, VMW_WIDE), "(change_view wide low)"},
      // 3 is the one other value the width's range holds.
      {make<ChangeViewCommand>(VMQ_LOW, static_cast<ViewModeWidth>(3)), "(change_view low)"},
      {make<SayCommand>(std::string("Ab(c) d")), "(say \"Ab(c) d\")"},
      {make<FreeFormCommand>(std::string("(T 01234567890)")),
       "(say (freeform \"(T 01234567890)\"))"},
      {make<AttentionToCommand>(TID_TEAMMATE, 7), "(attentionto our 7)"},
      {make<AttentionToCommand>(TID_OPPONENT, 7), "(attentionto opp 7)"},
      {make<AttentionToCommand>(TID_UNKNOWN, 11), "(attentionto opp 11)"},
      {make<InitCommand>(std::string("T"), std::string("9.4.5"), true),
       "(init T (version 9.4.5)(goalie))"},
      {make<InitCommand>(std::string("T"), std::string("9.4.5"), false),
       "(init T (version 9.4.5))"},
      {make<EyeCommand>(true), "(eye on)"},
      {make<EyeCommand>(false), "(eye off)"},
      {make<ChangePlayerCommand>(3, 5), "(change_player_type 3 5)"},
      {make<CLangVersionCommand>(7, 8), "(clang (ver 7 8))"},
      {make<DoneCommand>(), "(done)"},
      {make<ByeCommand>(), "(bye)"},
      {make<EmptyCommand>(), ""},
  };
  return cases;
}

// Non-finite arguments: the server must never see "nan" or "inf".
const std::vector<TextCase>& nonFiniteCases() {
  static const std::vector<TextCase> cases = {
      {make<DashCommand>(kNaN), "(dash 0.00)"},
      {make<DashCommand>(-kInf), "(dash 0.00)"},
      {make<KickCommand>(kInf, -kNaN), "(kick 0.00 0.00)"},
      {make<TurnCommand>(kInf), "(turn 0.00)"},
      {make<TurnNeckCommand>(kNaN), "(turn_neck 0.00)"},
      {make<TackleCommand>(kInf), "(tackle 0.00)"},
      {make<CatchCommand>(-kInf), "(catch 0.00)"},
      {make<MoveCommand>(kNaN, 5.0f), "(move 0.00 -5.00)"},
      {make<PointToCommand>(kInf, kNaN), "(pointto 0.00 0.00)"},
  };
  return cases;
}

TEST(DashCommand, ByDirectionWritesABackwardDashAsItsSizeAt180Degrees) {
  const struct {
    float power;
    const char* text;
  } cases[] = {
      {-30.5f, "(dash 30.50 180.00)"},
      {-0.004f, "(dash 0.00 180.00)"},
      {-0.0f, "(dash 0.00)"},
      {99.996f, "(dash 100.00)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.power);
    EXPECT_EQ(DashCommand(c.power).toStringByDirection(), c.text);
  }
}

TEST(Command, WritesExactServerTextsAndLogsNothing) {
  std::ostringstream& log = support::captureMainLog();
  for (const TextCase& textCase : textCases()) {
    EXPECT_EQ(textCase.make()->toString(), textCase.text);
  }
  EXPECT_EQ(log.str(), "");
}

TEST(Command, WritesNonFiniteNumbersAsZeroAndLogsTheText) {
  for (const TextCase& textCase : nonFiniteCases()) {
    std::ostringstream& log = support::captureMainLog();
    EXPECT_EQ(textCase.make()->toString(), textCase.text);
    EXPECT_NE(log.str().find(textCase.text), std::string::npos) << log.str();
  }
}

// The text a command of each kind begins with; only the empty command writes nothing.
const std::string& kindPrefix(CommandKind kind) {
  // clang-format off
  static const std::vector<std::string> prefixes = {
      "(dash ", "(kick ", "(turn ", "(turn_neck ", "(tackle ", "(catch ", "(move ", "(pointto ",
      "(change_view ", "(say \"", "(say (freeform ", "(attentionto ", "(init ", "(eye ",
      "(change_player_type ", "(clang ", "(done)", "(bye)", ""};
  // clang-format on
  return prefixes[kind];
}

TEST(Command, CloneIsAnIndependentCopyOfTheSameKind) {
  for (const TextCase& textCase : textCases()) {
    SCOPED_TRACE(textCase.text);
    const std::unique_ptr<Command> original = textCase.make();
    const std::unique_ptr<Command> copy = original->clone();
    ASSERT_NE(copy.get(), original.get());
    EXPECT_EQ(typeid(*copy), typeid(*original));
    EXPECT_EQ(copy->toString(), textCase.text);
    EXPECT_EQ(textCase.text.rfind(kindPrefix(original->getKind()), 0), 0u);
    EXPECT_EQ(original->getKind() == CK_EMPTY, textCase.text.empty());
  }
  KickCommand kick(80.0f, 45.0f);
  const std::unique_ptr<Command> copy = kick.clone();
  kick.setPower(10.0f);
  kick.setDirection(-5.0f);
  EXPECT_EQ(copy->toString(), "(kick 80.00 -45.00)");
  EXPECT_EQ(kick.toString(), "(kick 10.00 5.00)");
  EXPECT_EQ(commandAs<KickCommand>(&kick), &kick);
  EXPECT_EQ(commandAs<DashCommand>(&kick), nullptr);
  EXPECT_EQ(commandAs<DashCommand>(nullptr), nullptr);
}

}  // namespace
}  // namespace tovren
