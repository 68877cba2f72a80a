#include "connection/Command.h"

#include "foundation/Logger.h"
#include "geometry/Vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
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
      {make<DashCommand>(100.0f), "(dash 100.00)"},
      {make<DashCommand>(-30.5f), "(dash -30.50)"},
      {make<DashCommand>(-0.0f), "(dash -0.00)"},
      {make<DashCommand>(0.004f), "(dash 0.00)"},
      {make<DashCommand>(99.996f), "(dash 100.00)"},
      {make<KickCommand>(80.0f, 45.0f), "(kick 80.00 -45.00)"},
      {make<KickCommand>(100.0f, -180.0f), "(kick 100.00 180.00)"},
      {make<TurnCommand>(0.0f), "(turn -0.00)"},
      {make<TurnCommand>(-0.0f), "(turn 0.00)"},
      {make<TurnCommand>(-90.0f), "(turn 90.00)"},
      {make<TurnNeckCommand>(30.0f), "(turn_neck -30.00)"},
      {make<TurnNeckCommand>(-0.001f), "(turn_neck 0.00)"},
      {make<TackleCommand>(-100.0f), "(tackle -100.00)"},
      {make<CatchCommand>(12.5f), "(catch -12.50)"},
      {make<MoveCommand>(-10.0f, 20.0f), "(move -10.00 -20.00)"},
      {make<MoveCommand>(-10.0f, -20.0f), "(move -10.00 20.00)"},
      {make<MoveCommand>(0.0f, 0.0f), "(move 0.00 -0.00)"},
      {make<MoveCommand>(Point{-52.5f, 34.0f}), "(move -52.50 -34.00)"},
      {make<PointToCommand>(false), "(pointto off)"},
      {make<PointToCommand>(true), "(pointto 0.00 -0.00)"},
      {make<PointToCommand>(3.2f, 90.0f), "(pointto 3.20 -90.00)"},
      {make<ChangeViewCommand>(VMQ_LOW, VMW_NARROW), "(change_view narrow low)"},
      {make<ChangeViewCommand>(VMQ_HIGH, VMW_NARROW), "(change_view narrow high)"},
      {make<ChangeViewCommand>(VMQ_LOW, VMW_NORMAL), "(change_view normal low)"},
      {make<ChangeViewCommand>(VMQ_HIGH, VMW_NORMAL), "(change_view normal high)"},
      {make<ChangeViewCommand>(VMQ_LOW, VMW_WIDE), "(change_view wide low)"},
      {make<ChangeViewCommand>(VMQ_HIGH, VMW_WIDE), "(change_view wide high)"},
      // 3 is the one other value the width's range holds.
      {make<ChangeViewCommand>(VMQ_LOW, static_cast<ViewModeWidth>(3)), "(change_view low)"},
      {make<SayCommand>(std::string("")), "(say \"\")"},
      {make<SayCommand>(std::string("Ab(c) d")), "(say \"Ab(c) d\")"},
      {make<FreeFormCommand>(std::string("")), "(say (freeform \"\"))"},
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
      {make<MoveCommand>(1.0f, -kInf), "(move 1.00 0.00)"},
      {make<PointToCommand>(kInf, kNaN), "(pointto 0.00 0.00)"},
  };
  return cases;
}

// "MainLog" written into a string, registered once for this test binary.
std::ostringstream& mainLog() {
  static std::ostringstream* text = [] {
    auto* out = new std::ostringstream;
    logger.add("MainLog", new LogStream(out, nullptr));
    return out;
  }();
  return *text;
}

TEST(Command, WritesExactServerTexts) {
  for (const TextCase& textCase : textCases()) {
    EXPECT_EQ(textCase.make()->toString(), textCase.text);
  }
}

TEST(Command, WritesNonFiniteNumbersAsZeroAndLogsTheText) {
  for (const TextCase& textCase : nonFiniteCases()) {
    mainLog().str("");
    const std::string text = textCase.make()->toString();
    EXPECT_EQ(text, textCase.text);
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);
    EXPECT_EQ(mainLog().str(),
              "  0000. Non-finite number written as 0.00 in command: " + textCase.text + "\n");
  }
}

TEST(Command, FiniteNumbersLogNothing) {
  mainLog().str("");
  for (const TextCase& textCase : textCases()) {
    textCase.make()->toString();
  }
  EXPECT_EQ(mainLog().str(), "");
}

TEST(Command, CloneIsAnIndependentCopyOfTheSameKind) {
  for (const TextCase& textCase : textCases()) {
    const std::unique_ptr<Command> original = textCase.make();
    const std::unique_ptr<Command> copy = original->clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy.get(), original.get());
    EXPECT_EQ(typeid(*copy), typeid(*original));
    EXPECT_EQ(copy->toString(), textCase.text);
  }

  KickCommand kick(80.0f, 45.0f);
  const std::unique_ptr<Command> copy = kick.clone();
  kick.setPower(10.0f);
  kick.setDirection(-5.0f);
  EXPECT_EQ(copy->toString(), "(kick 80.00 -45.00)");
  EXPECT_EQ(kick.toString(), "(kick 10.00 5.00)");
}

TEST(Command, GettersKeepTheSystemFrame) {
  const KickCommand kick(80.0f, 45.0f);
  EXPECT_EQ(kick.getPower(), 80.0f);
  EXPECT_EQ(kick.getDirection(), 45.0f);

  const MoveCommand move(Point{-10.0f, 20.0f});
  EXPECT_EQ(move.getX(), -10.0f);
  EXPECT_EQ(move.getY(), 20.0f);

  const PointToCommand off(false);
  EXPECT_EQ(off.getDist(), 0.0f);
  EXPECT_EQ(off.getDir(), 0.0f);
  const PointToCommand on(3.2f, 90.0f);
  EXPECT_EQ(on.getDist(), 3.2f);
  EXPECT_EQ(on.getDir(), 90.0f);

  const ChangeViewCommand view(VMQ_HIGH, VMW_WIDE);
  EXPECT_EQ(view.getQuality(), VMQ_HIGH);
  EXPECT_EQ(view.getWidth(), VMW_WIDE);

  const AttentionToCommand attention(TID_OPPONENT, 9);
  EXPECT_EQ(attention.getTeamId(), TID_OPPONENT);
  EXPECT_EQ(attention.getUniformNum(), 9);

  const InitCommand init("Tovren", "9.4.5", true);
  EXPECT_EQ(init.getTeamName(), "Tovren");
  EXPECT_EQ(init.getVersion(), "9.4.5");
  EXPECT_TRUE(init.getIsGoalie());

  DashCommand dash(50.0f);
  dash.setPower(-20.0f);
  EXPECT_EQ(dash.getPower(), -20.0f);
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

TEST(Command, KindMatchesTheTextAndSurvivesCloning) {
  for (const TextCase& textCase : textCases()) {
    SCOPED_TRACE(textCase.text);
    const std::unique_ptr<Command> command = textCase.make();
    const CommandKind kind = command->getKind();
    EXPECT_EQ(textCase.text.rfind(kindPrefix(kind), 0), 0u);
    EXPECT_EQ(kind == CK_EMPTY, textCase.text.empty());
    EXPECT_EQ(command->clone()->getKind(), kind);
  }
  const DashCommand dash(10.0f);
  EXPECT_EQ(commandAs<DashCommand>(&dash), &dash);
  EXPECT_EQ(commandAs<KickCommand>(&dash), nullptr);
  EXPECT_EQ(commandAs<DashCommand>(nullptr), nullptr);
}

}  // namespace
}  // namespace tovren
