#include "worldmodel/WorldModel.h"

#include "foundation/SExpression.h"
#include "foundation/SayEncoding.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-4f;
// The weight encoding's step over the range of a suggested pass.
constexpr float WEIGHT_TOLERANCE = 1e-3f;

// The one-character number n of a say message.
std::string numChar(unsigned int n) { return std::string(1, SayEncoding::sayCodeKey[n]); }

std::string ballFields(float x, float y, float speed, float direction) {
  std::string out;
  SayEncoding::encodeObjectPosition(x, y, out);
  SayEncoding::encodeObjectVelocity(speed, direction, out);
  return out;
}

// The hear of a teammate's say, the text given without its quotes.
std::string teammateSay(const std::string& text, unsigned int sender = 5) {
  return "(hear 10 -30 our " + std::to_string(sender) + " \"" + text + "\")";
}

std::string selfSay(const std::string& text) { return "(hear 10 self \"" + text + "\")"; }

std::string coachSay(const std::string& text, const char* side = "left") {
  return std::string("(hear 0 online_coach_") + side + " (freeform \"" + text + "\"))";
}

// Everything a hear message may change, to compare before and after.
struct HeardState {
  explicit HeardState(const WorldModel& wm) {
    const Ball& ball = wm.getBall();
    numbers = {ball.getPos().getX(),           ball.getPos().getY(),
               ball.getVel().getX(),           ball.getVel().getY(),
               ball.getPosDeviation(),         ball.getValidPosDeviation(),
               wm.getHearedSuggestPassDir(),   wm.getHearedSuggestPassSpeed(),
               wm.getHearedSuggestPassWeight()};
    counts = {wm.getHearedSender(),
              wm.getHearedInterceptNum(),
              wm.getHearedRequestPassNum(),
              wm.getHearedSuggestPassNum(),
              wm.getHearedSuggestPassTime(),
              wm.getFreeKickAdvicerSayCycle(),
              wm.getFreeKickAdvicerSayNumber(),
              wm.getRefereeHearTime(),
              static_cast<unsigned int>(wm.getPlayMode()),
              static_cast<unsigned int>(wm.getHearedHeader()),
              wm.getMustAttention() ? 1u : 0u};
    for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i) {
      counts.push_back(wm.getFullPlayer(TID_OPPONENT, i).getType());
    }
  }
  bool operator==(const HeardState& other) const {
    return numbers == other.numbers && counts == other.counts;
  }
  std::vector<float> numbers;
  std::vector<unsigned int> counts;
};

class WorldModelHear : public ::testing::Test {
 protected:
  void SetUp() override {
    support::setAgentConfig(true);
    log = &support::captureMainLog();
    worldModel = std::make_unique<WorldModel>();
    worldModel->setCurTime(10);
  }

  void hear(const std::string& text) { worldModel->parseHear(*support::parseMessage(text)); }

  // The recorded parameter messages, so that the player types exist.
  void feedRecordedParameters() {
    for (const support::RecordedLine& line :
         support::readRecording(support::fixturePath("left", "Tovren-2.txt"))) {
      if (line.sent) continue;
      auto message = support::parseMessage(line.text);
      const std::string header = (*message)[0]->toString();
      if (header == "server_param") worldModel->initServerParam(*message);
      if (header == "player_param") worldModel->initPlayerParam(*message);
      if (header == "player_type") worldModel->initPlayerType(*message);
    }
    ASSERT_TRUE(worldModel->isPlayerTypeReceived(9));
  }

  // Sets values that every hear resets, so the reset can be seen.
  void hearRoutineMessage() {
    hear(teammateSay("Y" + numChar(4) + numChar(6) + "1", 8));
    ASSERT_EQ(worldModel->getHearedSender(), 8u);
  }

  bool logHas(const std::string& text) const { return log->str().find(text) != std::string::npos; }

  std::ostringstream* log = nullptr;
  std::unique_ptr<WorldModel> worldModel;
};

TEST_F(WorldModelHear, BeforePassMessageReplacesTheBallEvenRightAfterAReferee) {
  hear("(hear 9 referee play_on)");
  worldModel->setCurTime(worldModel->getRefereeHearTime() + 1);
  // Positions decode to the lower-left corner of their 0.2 m cell, speeds to 0.01 steps.
  hear(teammateSay("A" + ballFields(10.1f, -4.9f, 1.234f, -90.0f) + numChar(7)));
  const Ball& ball = worldModel->getBall();
  EXPECT_NEAR(ball.getPos().getX(), 10.0f, TOLERANCE);
  EXPECT_NEAR(ball.getPos().getY(), -5.0f, TOLERANCE);
  EXPECT_NEAR(ball.getVel().getMagnitude(), 1.23f, TOLERANCE);
  EXPECT_NEAR(ball.getVel().getDirection(), -90.0f, TOLERANCE);
  EXPECT_FLOAT_EQ(ball.getPosDeviation(), 0.0f);
  EXPECT_TRUE(ball.isAbsoluteUpdate());
  EXPECT_EQ(worldModel->getHearedHeader(), 'A');
  EXPECT_EQ(worldModel->getHearedSender(), 5u);
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 7u);
  EXPECT_EQ(worldModel->getHearedRequestPassNum(), 0u);
  EXPECT_TRUE(logHas("Body Pos"));  // the objects are logged after a teammate's message
}

TEST_F(WorldModelHear, RelatedBeforePassMessagePlacesTheBallFromTheReferencePlayer) {
  Player& third = worldModel->setFullPlayer(TID_TEAMMATE, 2);
  third.setPos().setAsCartesian(10.0f, 5.0f);
  third.setPosDeviation(1.0f);
  third.setValidPosDeviation(1.0f);
  // n = 14 names teammate 3; the offset (-2, 1) packs exactly.
  hear(teammateSay("B" + ballFields(-2.0f, 1.0f, 0.5f, 45.0f) + numChar(14)));
  EXPECT_NEAR(worldModel->getBall().getPos().getX(), 8.0f, TOLERANCE);
  EXPECT_NEAR(worldModel->getBall().getPos().getY(), 6.0f, TOLERANCE);
  EXPECT_NEAR(worldModel->getBall().getVel().getDirection(), 45.0f, TOLERANCE);
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 14u);
  EXPECT_EQ(worldModel->getHearedSender(), 5u);
}

TEST_F(WorldModelHear, RelatedBeforePassMessageLeavesTheBallWhenTheReferenceIsNotValid) {
  const HeardState before(*worldModel);
  hear(teammateSay("B" + ballFields(-2.0f, 1.0f, 0.5f, 45.0f) + numChar(3)));
  EXPECT_FLOAT_EQ(worldModel->getBall().getPosDeviation(), before.numbers[4]);
  EXPECT_FLOAT_EQ(worldModel->getBall().getPos().getX(), before.numbers[0]);
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 3u);
  EXPECT_EQ(worldModel->getHearedHeader(), 'B');
}

TEST_F(WorldModelHear, RelatedBeforePassMessageNamingTheHearerUsesItsBody) {
  worldModel->setBody().setUniNum(3);
  worldModel->setBody().setPos().setAsCartesian(-20.0f, 4.0f);
  worldModel->setBody().setPosDeviation(0.5f);
  worldModel->setBody().setValidPosDeviation(0.5f);
  hear(teammateSay("B" + ballFields(1.0f, -1.0f, 0.0f, 0.0f) + numChar(3)));
  EXPECT_NEAR(worldModel->getBall().getPos().getX(), -19.0f, TOLERANCE);
  EXPECT_NEAR(worldModel->getBall().getPos().getY(), 3.0f, TOLERANCE);

  worldModel->replaceBodyInPlayersList(3);
  hear(teammateSay("B" + ballFields(2.0f, 0.0f, 0.0f, 0.0f) + numChar(14)));
  EXPECT_NEAR(worldModel->getBall().getPos().getX(), -18.0f, TOLERANCE);
  EXPECT_NEAR(worldModel->getBall().getPos().getY(), 4.0f, TOLERANCE);
}

TEST_F(WorldModelHear, SuggestedPassSetsItsFiveValuesAndTheSenderOnly) {
  hear(teammateSay("Y" + numChar(4) + numChar(6) + "1", 8));
  std::string text = "C";
  SayEncoding::encodeObjectVelocity(2.0f, 30.0f, text);
  SayEncoding::encodeWeight(100.0f, -50.0f, 150.0f, text);
  text += numChar(9);
  worldModel->setCurTime(12);
  hear(teammateSay(text, 4));
  EXPECT_EQ(worldModel->getHearedHeader(), 'C');
  EXPECT_EQ(worldModel->getHearedSender(), 4u);
  EXPECT_EQ(worldModel->getHearedSuggestPassNum(), 9u);
  EXPECT_NEAR(worldModel->getHearedSuggestPassSpeed(), 2.0f, TOLERANCE);
  EXPECT_NEAR(worldModel->getHearedSuggestPassDir(), 30.0f, TOLERANCE);
  EXPECT_NEAR(worldModel->getHearedSuggestPassWeight(), 100.0f, WEIGHT_TOLERANCE);
  EXPECT_EQ(worldModel->getHearedSuggestPassTime(), 12u);
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 0u);
  EXPECT_EQ(worldModel->getHearedRequestPassNum(), 0u);
  EXPECT_FALSE(worldModel->getMustAttention());
  // The suggestion is not reset by the next hear.
  hear("(hear 13 self \"Zxyz\")");
  EXPECT_EQ(worldModel->getHearedSuggestPassNum(), 9u);
  EXPECT_EQ(worldModel->getHearedSuggestPassTime(), 12u);
}

TEST_F(WorldModelHear, FreeKickAdviceIsKeptAndLoggedButNotRightAfterAReferee) {
  hear(teammateSay("F" + numChar(7), 2));
  EXPECT_EQ(worldModel->getFreeKickAdvicerSayNumber(), 7u);
  EXPECT_EQ(worldModel->getFreeKickAdvicerSayCycle(), 10u);
  EXPECT_EQ(worldModel->getHearedSender(), 0u);
  EXPECT_EQ(worldModel->getHearedHeader(), 'F');
  EXPECT_TRUE(logHas("  0000. WorldModel::freeKickAdvicerHear sender=2 adviceNumber=7\n"));

  hear("(hear 11 referee free_kick_l)");
  worldModel->setCurTime(11);
  hear(teammateSay("F" + numChar(9), 2));
  EXPECT_EQ(worldModel->getFreeKickAdvicerSayNumber(), 7u);
  EXPECT_EQ(worldModel->getHearedHeader(), 'F');
  worldModel->setCurTime(12);
  hear(teammateSay("F" + numChar(9), 2));
  EXPECT_EQ(worldModel->getFreeKickAdvicerSayNumber(), 9u);
  EXPECT_EQ(worldModel->getFreeKickAdvicerSayCycle(), 12u);
}

TEST_F(WorldModelHear, RoutineMessageWithoutBallReadsTheAttentionFlag) {
  hear(teammateSay("Y" + numChar(4) + numChar(6) + "0", 8));
  EXPECT_EQ(worldModel->getHearedSender(), 8u);
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 4u);
  EXPECT_EQ(worldModel->getHearedRequestPassNum(), 6u);
  EXPECT_FALSE(worldModel->getMustAttention());
  for (const char* flag : {"1", "a"}) {
    hear(teammateSay("Y" + numChar(4) + numChar(6) + flag, 8));
    EXPECT_TRUE(worldModel->getMustAttention()) << flag;
  }
}

class WorldModelHearRoutine : public WorldModelHear {
 protected:
  void SetUp() override {
    WorldModelHear::SetUp();
    feedRecordedParameters();
    // Seen 20 m ahead of the agent, with an uncertain sighting.
    worldModel->setBall().setPos().setAsCartesian(20.0f, 0.0f);
    worldModel->setBall().updateRelativeVecs(worldModel->getBody());
    worldModel->setBall().setSeePosDeviation(3.0f);
  }
  void hearRoutine() {
    hear(teammateSay("Z" + ballFields(30.1f, 20.1f, 1.0f, 180.0f) + numChar(9) + numChar(10) + "1",
                     6));
  }
};

TEST_F(WorldModelHearRoutine, ReplacesAnUncertainBallThatTheAgentCannotKick) {
  hearRoutine();
  EXPECT_NEAR(worldModel->getBall().getPos().getX(), 30.0f, TOLERANCE);
  EXPECT_NEAR(worldModel->getBall().getPos().getY(), 20.0f, TOLERANCE);
  EXPECT_NEAR(worldModel->getBall().getVel().getX(), -1.0f, TOLERANCE);
  EXPECT_EQ(worldModel->getHearedSender(), 6u);
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 9u);
  EXPECT_EQ(worldModel->getHearedRequestPassNum(), 10u);
  EXPECT_TRUE(worldModel->getMustAttention());
}

TEST_F(WorldModelHearRoutine, KeepsTheBallWhenItIsSeenWellKickableOrNotToBeReplaced) {
  const float seenX = worldModel->getBall().getPos().getX();
  worldModel->setBall().setSeePosDeviation(2.0f);  // not strictly above the limit
  hearRoutine();
  EXPECT_FLOAT_EQ(worldModel->getBall().getPos().getX(), seenX);
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 9u);
  EXPECT_TRUE(worldModel->getMustAttention());

  worldModel->setBall().setSeePosDeviation(3.0f);
  worldModel->setBall().setUpdateByHearPermitted(false);
  hearRoutine();
  EXPECT_FLOAT_EQ(worldModel->getBall().getPos().getX(), seenX);

  worldModel->setBall().setUpdateByHearPermitted(true);
  worldModel->setBall().setPos().setAsCartesian(0.5f, 0.0f);  // within the kick distance
  worldModel->setBall().updateRelativeVecs(worldModel->getBody());
  ASSERT_TRUE(worldModel->isBallKickable());
  hearRoutine();
  EXPECT_FLOAT_EQ(worldModel->getBall().getPos().getX(), 0.5f);
  EXPECT_EQ(worldModel->getHearedSender(), 6u);
}

TEST_F(WorldModelHearRoutine, RightAfterARefereeOnlyTheHeaderIsTakenAndTheObjectsLogged) {
  hearRoutineMessage();
  hear("(hear 10 referee kick_in_r)");
  worldModel->setCurTime(11);
  const float seenX = worldModel->getBall().getPos().getX();
  log->str("");
  hearRoutine();
  EXPECT_EQ(worldModel->getHearedHeader(), 'Z');
  EXPECT_EQ(worldModel->getHearedSender(), 0u);
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 0u);
  EXPECT_EQ(worldModel->getHearedRequestPassNum(), 0u);
  EXPECT_FALSE(worldModel->getMustAttention());
  EXPECT_FLOAT_EQ(worldModel->getBall().getPos().getX(), seenX);
  EXPECT_TRUE(logHas("Body Pos"));
  EXPECT_TRUE(logHas("Ball Pos"));
}

TEST_F(WorldModelHear, RefereeCallStampsItsTime) {
  worldModel->setCurTime(42);
  hear("(hear 41 referee play_on)");
  EXPECT_EQ(worldModel->getRefereeHearTime(), 42u);
  EXPECT_EQ(worldModel->getPlayMode(), PM_PLAY_ON);
}

TEST_F(WorldModelHear, OwnEchoOfAPassAnnouncementNamesTheAgent) {
  worldModel->setBody().setUniNum(9);
  const HeardState before(*worldModel);
  hear(selfSay("A" + ballFields(10.1f, -4.9f, 1.0f, 0.0f) + numChar(4)));
  EXPECT_EQ(worldModel->getHearedHeader(), 'A');
  EXPECT_EQ(worldModel->getHearedSender(), 9u);
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 4u);
  EXPECT_FLOAT_EQ(worldModel->getBall().getPos().getX(), before.numbers[0]);
  EXPECT_FALSE(logHas("Body Pos"));

  hear(selfSay("B" + ballFields(1.0f, 1.0f, 1.0f, 0.0f) + numChar(15)));
  EXPECT_EQ(worldModel->getHearedHeader(), 'B');
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 15u);
}

TEST_F(WorldModelHear, OwnEchoOfOtherMessagesOrRightAfterARefereeChangesNothingButTheReset) {
  worldModel->setBody().setUniNum(9);
  feedRecordedParameters();
  std::string suggestion = "C";
  SayEncoding::encodeObjectVelocity(2.0f, 30.0f, suggestion);
  SayEncoding::encodeWeight(100.0f, -50.0f, 150.0f, suggestion);
  suggestion += numChar(9);
  const std::vector<std::string> echoes = {
      "Z" + ballFields(30.1f, 20.1f, 1.0f, 180.0f) + numChar(9) + numChar(10) + "1",
      "Y" + numChar(4) + numChar(6) + "1", suggestion, "F" + numChar(7)};
  worldModel->setBall().setSeePosDeviation(3.0f);
  const HeardState reset(*worldModel);
  for (const std::string& echo : echoes) {
    hearRoutineMessage();
    hear(selfSay(echo));
    EXPECT_TRUE(HeardState(*worldModel) == reset) << echo;
  }
  hear("(hear 10 referee play_on)");
  worldModel->setCurTime(11);
  const HeardState afterReferee(*worldModel);
  hear(selfSay("A" + ballFields(10.1f, -4.9f, 1.0f, 0.0f) + numChar(4)));
  EXPECT_TRUE(HeardState(*worldModel) == afterReferee);
}

TEST_F(WorldModelHear, OpponentsMessagesChangeNothingButTheReset) {
  const HeardState reset(*worldModel);
  hearRoutineMessage();
  hear("(hear 10 45 opp \"" + std::string("A") + ballFields(1.0f, 1.0f, 1.0f, 0.0f) + "3\")");
  EXPECT_TRUE(HeardState(*worldModel) == reset);
  EXPECT_FALSE(logHas("Skipping"));
}

TEST_F(WorldModelHear, OwnCoachNamesTheOpponentsTypes) {
  feedRecordedParameters();
  hear(coachSay("(T 01000000002)"));
  for (unsigned int k = 0; k < WorldModel::FULL_PLAYERS_NUM; ++k) {
    const unsigned int expected = k == 1 ? 1u : (k == 10 ? 2u : 0u);
    EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, k).getType(), expected) << k;
  }
  EXPECT_NEAR(worldModel->getFullPlayer(TID_OPPONENT, 10).getSpeedMax(),
              worldModel->getPlayerType(2)["player_speed_max"].asFloat(), TOLERANCE);
  EXPECT_TRUE(logHas("  0000. WorldModel::parseTeammateCoachHear\n"));
  EXPECT_TRUE(logHas("  0000. \tAOTR: Opp Num 2 setted to type 1\n"));
  EXPECT_TRUE(logHas("  0000. \tAOTR: Opp Num 11 setted to type 2\n"));
  // Other lists of the freeform text are passed over.
  hear(coachSay("(X 1 2)(T 33333333333)"));
  EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, 4).getType(), 3u);
}

TEST_F(WorldModelHear, OtherSidesCoachIsIgnoredAfterTheReset) {
  feedRecordedParameters();
  hearRoutineMessage();
  hear(coachSay("(T 55555555555)", "right"));
  EXPECT_EQ(worldModel->getHearedSender(), 0u);
  EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, 0).getType(), 0u);
  EXPECT_FALSE(logHas("parseTeammateCoachHear"));

  worldModel->setFieldSide(SI_RIGHT);
  hear(coachSay("(T 55555555555)", "left"));
  EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, 0).getType(), 0u);
  hear(coachSay("(T 55555555555)", "right"));
  EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, 0).getType(), 5u);
}

// Every malformed hear is logged and skipped: the heard values keep the reset, and the
// ball, the suggestion, the advice, the play mode and the opponents' types stay.
TEST_F(WorldModelHear, MalformedHearsAreLoggedAndChangeNothingButTheReset) {
  feedRecordedParameters();
  worldModel->setBall().setSeePosDeviation(3.0f);
  const std::string ball = ballFields(10.1f, -4.9f, 1.0f, 0.0f);
  const std::vector<std::string> hears = {
      // teammates' says
      teammateSay("A" + ball),  // shorter than its layout
      teammateSay("AB0xyz"),    // the stand-ins' say
      teammateSay("Z" + ball + "12"),
      teammateSay("Y12"),
      teammateSay("F"),
      teammateSay(""),
      teammateSay("A" + ball.substr(0, 5) + "!" + "3"),  // outside the alphabet
      teammateSay("Y1#1"),
      teammateSay("B" + ball + "0"),  // names no player
      teammateSay("B" + ball + numChar(23)),
      teammateSay("Q1234567"),        // no such kind
      "(hear 10 -30 our 5 AB0xyza)",  // not quoted
      "(hear 10 -30 our 12 \"F3\")",  // no such teammate
      "(hear 10 -30 our 0 \"F3\")",
      "(hear 10 -30 our x \"F3\")",
      "(hear 10 -30 our 5)",
      "(hear 10 -30 our 5 (F3))",
      "(hear 10 -30 their 5 \"F3\")",
      "(hear 10 -30 opp)",
      // senders
      "(hear 10 coach \"F3\")",
      "(hear 10 12abc our 5 \"F3\")",
      "(hear 10 (p \"Tovren\" 2) \"F3\")",
      "(hear 10 online_coach_middle (freeform \"(T 33333333333)\"))",
      "(hear 10 online_coach)",
      "(hear 10 online_coach_left \"(T 33333333333)\")",
      "(hear 10 self)",
      "(hear 10 self (F3))",
      "(hear 10 referee)",
      "(hear 10)",
      "(hear x referee play_on)",
      "(heard 10 referee play_on)",
      // the coach's freeform
      coachSay("(T 33333333333"),  // not one list
      coachSay("(T 33333333333))("),
      coachSay("T 33333333333"),  // an atom among the lists
      coachSay("(T 33333333333) X"),
      coachSay("((T) 33333333333)"),  // a list without a first atom
      coachSay("()"),
      coachSay("(T 3333333333)"),  // not 11 digits
      coachSay("(T 333333333333)"),
      coachSay("(T 3333x333333)"),
      coachSay("(T (33333333333))"),
      coachSay("(T)"),
      coachSay("(T 33333333333)(T 1)"),  // the fault is found before any type
      "(hear 0 online_coach_left (freeform (T 33333333333)))",
      "(hear 0 online_coach_left (freeform T))",
  };
  for (const std::string& text : hears) {
    hearRoutineMessage();
    const HeardState before(*worldModel);
    log->str("");
    hear(text);
    HeardState after(*worldModel);
    EXPECT_EQ(after.numbers, before.numbers) << text;
    // Only the five per-message values are reset.
    EXPECT_EQ(worldModel->getHearedHeader(), '\0') << text;
    EXPECT_EQ(worldModel->getHearedSender(), 0u) << text;
    EXPECT_EQ(worldModel->getHearedInterceptNum(), 0u) << text;
    EXPECT_EQ(worldModel->getHearedRequestPassNum(), 0u) << text;
    EXPECT_FALSE(worldModel->getMustAttention()) << text;
    // The suggestion, the advice, the referee's time and the play mode stay.
    for (std::size_t i = 3; i < 9; ++i) EXPECT_EQ(after.counts[i], before.counts[i]) << text;
    for (std::size_t i = 11; i < after.counts.size(); ++i) EXPECT_EQ(after.counts[i], 0u) << text;
    EXPECT_TRUE(logHas("Skipping")) << text;
  }
}

TEST_F(WorldModelHear, CoachDigitOfATypeNotReceivedIsSkipped) {
  hear(coachSay("(T 00000000000)"));  // no player type has arrived
  EXPECT_TRUE(logHas("Skipping coach message naming a player type not received"));
  EXPECT_FALSE(logHas("AOTR"));
  feedRecordedParameters();
  hear(coachSay("(T 00000000000)"));
  EXPECT_TRUE(logHas("AOTR: Opp Num 11 setted to type 0"));
}

// The recorded hears of both sides: the referee's calls, the stand-ins' says (all too
// short for any layout) and the own coach's freeform.
TEST_F(WorldModelHear, RecordedHearsOfBothSides) {
  for (const char* side : {"left", "right"}) {
    SetUp();
    feedRecordedParameters();
    const std::string coach = std::string("online_coach_") + side;
    // A type the recorded message replaces.
    hear(coachSay("(T 44444444444)", side));
    unsigned int referee = 0, says = 0, coachMessages = 0;
    for (const support::RecordedLine& line :
         support::readRecording(support::fixturePath(side, "Tovren-2.txt"))) {
      if (line.sent) continue;
      auto message = support::parseMessage(line.text);
      const std::string header = (*message)[0]->toString();
      if (header == "init") {
        worldModel->setFieldSide((*message)[1]->toString() == "l" ? SI_LEFT : SI_RIGHT);
      } else if (header == "sense_body") {
        worldModel->setCurTime(worldModel->getCurTime() + 1);
      } else if (header == "hear") {
        const HeardState before(*worldModel);
        log->str("");
        worldModel->parseHear(*message);
        const std::string sender = (*message)[2]->toString();
        if (sender == "referee") {
          ++referee;
          EXPECT_EQ(worldModel->getRefereeHearTime(), worldModel->getCurTime());
        } else if (sender == coach) {
          ++coachMessages;
          EXPECT_TRUE(logHas("AOTR: Opp Num 11 setted to type 0")) << line.text;
        } else {
          ++says;
          EXPECT_TRUE(HeardState(*worldModel) == before) << line.text;
          const bool ownSay = line.text.find(" our ") != std::string::npos ||
                              (sender == "self" &&
                               worldModel->getCurTime() != worldModel->getRefereeHearTime() + 1);
          EXPECT_EQ(logHas("Skipping say shorter than its layout"), ownSay) << line.text;
        }
      }
    }
    EXPECT_GT(referee, 10u) << side;
    EXPECT_GT(says, 30u) << side;
    EXPECT_EQ(coachMessages, 1u) << side;
    for (unsigned int k = 0; k < WorldModel::FULL_PLAYERS_NUM; ++k) {
      EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, k).getType(), 0u) << side;
    }
    EXPECT_EQ(worldModel->getPlayMode(), PM_PLAY_ON) << side;
  }
}

}  // namespace
}  // namespace tovren
