#include "decisions/SayDecision.h"

#include "connection/Command.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "foundation/SayEncoding.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

namespace tovren {

namespace {

// The range the value of a suggested pass is said in.
constexpr float SUGGEST_PASS_WEIGHT_MIN = -50.0f;
constexpr float SUGGEST_PASS_WEIGHT_MAX = 150.0f;
// Listened to when no teammate is known.
constexpr unsigned int DEFAULT_ATTENTION_NUM = 9;
constexpr unsigned int TEAM_SIZE = WorldModel::FULL_PLAYERS_NUM;
// Intercept codes from 12 to 22 name the uniform number 11 below in block mode.
constexpr unsigned int BLOCK_CODE_MAX = 2 * TEAM_SIZE;

// The uniform number an intercept or attention code names, 0 for none: a block code
// counts as the teammate who blocks, and nothing beyond the codes names anyone.
unsigned int codeToUniNum(unsigned int code) {
  if (code >= 1 && code <= TEAM_SIZE) return code;
  if (code > TEAM_SIZE && code <= BLOCK_CODE_MAX) return code - TEAM_SIZE;
  return 0;
}

// Appends a velocity by its length and direction, taken from its components so that a
// vector kept with a negative length is said the way it points.
void appendVelocity(const Vector& vel, std::string& text) {
  Vector plain;
  plain.setAsCartesian(vel.getX(), vel.getY());
  SayEncoding::encodeObjectVelocity(plain.getMagnitude(), plain.getDirection(), text);
}

// Appends the position and the velocity of a ball.
void appendBallState(const Ball& ball, std::string& text) {
  SayEncoding::encodeObjectPosition(ball.getPos().getX(), ball.getPos().getY(), text);
  appendVelocity(ball.getVel(), text);
}

}  // namespace

SayDecision::SayDecision(const WorldModel* worldModel) : worldModel(worldModel) {}

SayDecision::~SayDecision() = default;

void SayDecision::decide(const Command* bodyCommand, unsigned int interceptNumForSay) {
  logger["MainLog"] << "SayDecision::decide" << std::endl;
  const unsigned int attended = chooseAttentionNum(interceptNumForSay);
  // The server ignores an attention to oneself and keeps the focus it had.
  if (attended == worldModel->getBody().getUniNum()) {
    attentionCommand = std::make_unique<EmptyCommand>();
  } else {
    attentionCommand =
        std::make_unique<AttentionToCommand>(TID_TEAMMATE, static_cast<int>(attended));
  }

  if (sayFlags.freeKick) {
    sayFreeKick();
  } else if (sayFlags.beforePass) {
    sayBeforePass(bodyCommand);
  } else if (sayFlags.suggestPass) {
    saySuggestPass();
  } else if (getSayRoutinBallPermission()) {
    sayFlags.sayInterceptNum = interceptNumForSay;
    sayRoutinBall(bodyCommand);
  } else if (sayFlags.requestPassNum == 0) {
    sayCommand = std::make_unique<EmptyCommand>();
  } else {
    sayFlags.sayInterceptNum = interceptNumForSay;
    sayRequestPassSayWithoutBall(bodyCommand);
  }
}

unsigned int SayDecision::chooseAttentionNum(unsigned int interceptNumForSay) const {
  const unsigned int asked = codeToUniNum(sayFlags.attentionNum);
  if (asked != 0) return asked;

  const unsigned int ownNum = worldModel->getBody().getUniNum();
  const unsigned int interceptor = codeToUniNum(interceptNumForSay);
  if (interceptor != 0 && interceptor != ownNum) return interceptor;

  // The nearest valid teammate to the ball; on a tie the lower number.
  unsigned int nearest = 0;
  float nearestDist = 0.0f;
  for (unsigned int number = 1; number <= TEAM_SIZE; ++number) {
    const Player& player = worldModel->getFullPlayer(TID_TEAMMATE, number - 1);
    if (!player.isValid() || player.isBody()) continue;
    const float dist = player.getDistance(worldModel->getBall());
    if (nearest == 0 || dist < nearestDist) {
      nearest = number;
      nearestDist = dist;
    }
  }
  return nearest != 0 ? nearest : DEFAULT_ATTENTION_NUM;
}

bool SayDecision::getSayRoutinBallPermission() const {
  const Ball& ball = worldModel->getBall();
  return ball.getSeeTime() == worldModel->getCurTime() &&
         ball.getVelSeeTime() == worldModel->getCurTime();
}

Ball SayDecision::predictNextBall(const Command* bodyCommand) const {
  Body body = worldModel->getBody();
  body.simulateByAction(bodyCommand, false);
  body.simulateByDynamics(false);
  Ball ball = worldModel->getBall();
  ball.simulateByAction(worldModel->getBody(), bodyCommand, false);
  ball.simulateByDynamics(body, BCM_OVERLAP, BS_NONE, LOOK_AHEAD_TIME);
  return ball;
}

void SayDecision::appendCode(unsigned int number, std::string& text) {
  TOVREN_CHECK(number < SayEncoding::sayCodeKey.size());
  text.push_back(SayEncoding::sayCodeKey[number]);
}

std::string SayDecision::makeNextBallText(char kind, const Command* bodyCommand) const {
  std::string text(1, kind);
  appendBallState(predictNextBall(bodyCommand), text);
  appendCode(sayFlags.sayInterceptNum, text);
  return text;
}

void SayDecision::appendRoutineEnd(std::string& text) const {
  appendCode(sayFlags.requestPassNum, text);
  appendCode(worldModel->isBallKickable() ? 1 : 0, text);
}

void SayDecision::setSay(const std::string& message) {
  sayCommand = std::make_unique<SayCommand>(message);
}

void SayDecision::sayFreeKick() {
  std::string text = "F";
  appendCode(sayFlags.freeKickAdviceNum, text);
  setSay(text);
}

void SayDecision::saySuggestPass() {
  std::string text = "C";
  SayEncoding::encodeObjectVelocity(sayFlags.passSpeed, sayFlags.passDir, text);
  SayEncoding::encodeWeight(sayFlags.passWeight, SUGGEST_PASS_WEIGHT_MIN, SUGGEST_PASS_WEIGHT_MAX,
                            text);
  appendCode(sayFlags.suggestedReceiver, text);
  setSay(text);
}

void SayDecision::sayRequestPassSayWithoutBall(const Command*) {
  std::string text = "Y";
  appendCode(sayFlags.sayInterceptNum, text);
  appendRoutineEnd(text);
  setSay(text);
}

void SayDecision::sayBeforePass(const Command* bodyCommand) {
  setSay(makeNextBallText('A', bodyCommand));
}

void SayDecision::sayRoutinBall(const Command* bodyCommand) {
  std::string text = makeNextBallText('Z', bodyCommand);
  appendRoutineEnd(text);
  setSay(text);
}

void SayDecision::sayBeforePassRelated(const Command* bodyCommand) {
  const unsigned int receiverNum = codeToUniNum(sayFlags.sayInterceptNum);
  if (receiverNum == 0) {
    LogStream& log = logger["MainLog"];
    if (log.isOutValid()) {
      log << "SayDecision: no receiver " << sayFlags.sayInterceptNum << " to say B about."
          << std::endl;
    }
    sayCommand = std::make_unique<EmptyCommand>();
    return;
  }
  const Body& body = worldModel->getBody();
  Player receiver = worldModel->getFullPlayer(TID_TEAMMATE, receiverNum - 1);
  receiver.simulateByDynamics(body);
  Ball ball = worldModel->getBall();
  ball.simulateByAction(body, bodyCommand, false);
  ball.simulateByDynamics(body, BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);

  std::string text = "B";
  SayEncoding::encodeObjectPosition(ball.getPos().getX() - receiver.getPos().getX(),
                                    ball.getPos().getY() - receiver.getPos().getY(), text);
  appendVelocity(ball.getVel(), text);
  appendCode(sayFlags.sayInterceptNum, text);
  setSay(text);
}

std::unique_ptr<Command> SayDecision::takeSayCommand() { return std::move(sayCommand); }
std::unique_ptr<Command> SayDecision::takeAttentionCommand() { return std::move(attentionCommand); }

}  // namespace tovren
