#include "foundation/FieldData.h"

#include "foundation/SExpression.h"
#include "support/WorldModelScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace tovren {
namespace {

int flagId(const FieldData& field, const std::string& text) {
  unsigned int pos = 0;
  const SExpression name(text, pos);
  return field.getFlagId(name);
}

int goalId(const FieldData& field, const std::string& text) {
  unsigned int pos = 0;
  const SExpression name(text, pos);
  return field.getGoalId(name);
}

int lineId(const FieldData& field, const std::string& text) {
  unsigned int pos = 0;
  const SExpression name(text, pos);
  return field.getLineId(name);
}

void expectPoint(const Point& actual, float x, float y) {
  EXPECT_FLOAT_EQ(actual.x, x);
  EXPECT_FLOAT_EQ(actual.y, y);
}

// The names in id order, as the server writes them.
std::vector<std::string> flagNamesInIdOrder() {
  std::vector<std::string> names = {
      "(f c)",     "(f l t)",   "(f l b)",   "(f c t)",   "(f c b)",   "(f r t)",   "(f r b)",
      "(f p l t)", "(f p l c)", "(f p l b)", "(f p r t)", "(f p r c)", "(f p r b)", "(f g l t)",
      "(f g l b)", "(f g r t)", "(f g r b)", "(f l 0)",   "(f r 0)",   "(f t 0)",   "(f b 0)"};
  for (const char* edge : {"t l", "t r", "b l", "b r"}) {
    for (int d = 10; d <= 50; d += 10)
      names.push_back("(f " + std::string(edge) + " " + std::to_string(d) + ")");
  }
  for (const char* edge : {"l t", "l b", "r t", "r b"}) {
    for (int d = 10; d <= 30; d += 10)
      names.push_back("(f " + std::string(edge) + " " + std::to_string(d) + ")");
  }
  return names;
}

TEST(FieldData, EveryFlagNameMapsToItsId) {
  FieldData field;
  const std::vector<std::string> names = flagNamesInIdOrder();
  ASSERT_EQ(names.size(), static_cast<size_t>(FieldData::flagsNum));
  for (size_t id = 0; id < names.size(); ++id)
    EXPECT_EQ(flagId(field, names[id]), int(id)) << names[id];
}

TEST(FieldData, NamesMatchByTheFirstDigitOnlyWhateverTheKind) {
  FieldData field;
  EXPECT_EQ(flagId(field, "(f t r 15)"), 26);
  EXPECT_EQ(flagId(field, "(x c)"), 0);
  EXPECT_EQ(lineId(field, "(l l)"), 0);
  EXPECT_EQ(lineId(field, "(l r)"), 1);
  EXPECT_EQ(lineId(field, "(l t)"), 2);
  EXPECT_EQ(lineId(field, "(l b)"), 3);
  EXPECT_EQ(goalId(field, "(g l)"), 0);
  EXPECT_EQ(goalId(field, "(g r)"), 1);
}

// Collects the ids of every landmark name in the see messages of one recorded client.
void readNames(const std::string& recording, const FieldData& field, std::set<int>& flags,
               std::set<int>& goals, std::set<int>& lines) {
  const std::regex landmark(R"(\(\(([fgl])( [^()]*)\))");
  for (const support::RecordedLine& recorded : support::readRecording(recording)) {
    const std::string& line = recorded.text;
    if (line.find("(see ") == std::string::npos) continue;
    for (std::sregex_iterator it(line.begin(), line.end(), landmark), end; it != end; ++it) {
      const std::string name = "(" + (*it)[1].str() + (*it)[2].str() + ")";
      if (name[1] == 'f') flags.insert(flagId(field, name));
      if (name[1] == 'g') goals.insert(goalId(field, name));
      if (name[1] == 'l') lines.insert(lineId(field, name));
    }
  }
}

TEST(FieldData, EveryLandmarkNameOfRecordedSeeMessagesIsKnown) {
  FieldData field;
  std::set<int> flags;
  std::set<int> goals;
  std::set<int> lines;
  for (const char* side : {"left", "right"}) {
    for (const char* player :
         {"Tovren-1-goalie.txt", "Tovren-2.txt", "Tovren-3.txt", "Tovren-7.txt", "Rival-2.txt"}) {
      readNames(support::fixturePath(side, player), field, flags, goals, lines);
    }
  }
  EXPECT_EQ(flags.count(FieldData::unknownId), 0u);
  // Between them the players saw every flag of the table.
  EXPECT_EQ(flags.size(), static_cast<size_t>(FieldData::flagsNum));
  EXPECT_EQ(goals, (std::set<int>{0, 1}));
  EXPECT_EQ(lines, (std::set<int>{0, 1, 2, 3}));
}

TEST(FieldData, UnknownNamesFromTheNetworkAreReportedNotFatal) {
  FieldData field;
  for (const char* text :
       {"(f)", "(f x)", "(f l)", "(f c x)", "(f l t 40)", "(f t l 60)", "(f t l)", "(f p l)",
        "(f p x t)", "(f g l c)", "(f b x 10)", "(f (l) t)", "(f r b x)", "(f \"\" 0)"}) {
    EXPECT_EQ(flagId(field, text), FieldData::unknownId) << text;
  }
  for (const char* text : {"(g)", "(g c)", "(g (l))"}) {
    EXPECT_EQ(goalId(field, text), FieldData::unknownId) << text;
  }
  for (const char* text : {"(l)", "(l c)", "(l 0)"}) {
    EXPECT_EQ(lineId(field, text), FieldData::unknownId) << text;
  }
}

TEST(FieldData, PositionsAndOutwardNormalsTurnWithTheSideFactors) {
  const struct {
    int id;
    Point position;
  } flags[] = {{0, {0, 0}},      {1, {-52.5f, 34}},     {6, {52.5f, -34}},     {9, {-36.2f, -20}},
               {11, {36.2f, 0}}, {13, {-52.5f, 7.32f}}, {16, {52.5f, -7.32f}}, {17, {-57.5f, 0}},
               {20, {0, -39}},   {43, {-57.5f, 30}}};
  const float normals[2][4] = {{180, 0, 90, -90}, {0, 180, -90, 90}};
  const struct Case {
    const char* name;
    int right, penalty;
    bool turned;
  } cases[] = {{"left", 1, 1, false},
               {"right", -1, 1, true},
               {"right at penalties", -1, -1, false},
               {"left at penalties", 1, -1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FieldData field;
    field.setRightSideRate(c.right);
    field.setPenaltySideRate(c.penalty);
    const float sign = c.turned ? -1.0f : 1.0f;
    for (const auto& flag : flags) {
      expectPoint(field.getFlagPos(flag.id), sign * flag.position.x, sign * flag.position.y);
    }
    expectPoint(field.getGoalPos(0), sign * -52.5f, 0);
    expectPoint(field.getGoalPos(1), sign * 52.5f, 0);
    expectPoint(field.getLinePos(0), sign * -52.5f, 0);
    expectPoint(field.getLinePos(3), 0, sign * -34);
    for (int line = 0; line < 4; ++line) {
      EXPECT_EQ(field.getPrependOrient(line), normals[c.turned][line]) << line;
    }
  }
}

TEST(FieldData, EveryNamedPositionMatchesItsName) {
  // The distance written in a boundary flag's name is its coordinate along that line.
  FieldData field;
  const std::vector<std::string> names = flagNamesInIdOrder();
  for (int id = 21; id <= 40; ++id) {
    const Point p = field.getFlagPos(id);
    EXPECT_EQ(std::abs(p.y), 39) << names[id];
    EXPECT_EQ(std::to_string(int(std::abs(p.x))), names[id].substr(7, 2)) << names[id];
    EXPECT_EQ(p.x < 0, names[id][5] == 'l') << names[id];
    EXPECT_EQ(p.y > 0, names[id][3] == 't') << names[id];
  }
  for (int id = 41; id <= 52; ++id) {
    const Point p = field.getFlagPos(id);
    EXPECT_EQ(std::abs(p.x), 57.5f) << names[id];
    EXPECT_EQ(std::to_string(int(std::abs(p.y))), names[id].substr(7, 2)) << names[id];
    EXPECT_EQ(p.x < 0, names[id][3] == 'l') << names[id];
    EXPECT_EQ(p.y > 0, names[id][5] == 't') << names[id];
  }
}

TEST(FieldDataDeathTest, IdsOutsideTheTableStop) {
  FieldData field;
  EXPECT_DEATH(field.getFlagPos(53), "Assertion failed: 0");
  EXPECT_DEATH(field.getFlagPos(-1), "Assertion failed: 0");
  EXPECT_DEATH(field.getGoalPos(2), "Assertion failed: 0");
  EXPECT_DEATH(field.getLinePos(4), "Assertion failed: 0");
  EXPECT_DEATH(field.getPrependOrient(-1), "Assertion failed: 0");
}

}  // namespace
}  // namespace tovren
