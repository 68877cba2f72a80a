#include "decisions/GroupWorks.h"

#include "actions/withoutball/Positioning.h"
#include "foundation/Check.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "foundation/Timer.h"
#include "geometry/Degree.h"
#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/KickCalculate.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <cmath>
#include <ostream>

namespace tovren {

namespace {

// A teammate's announcement holds the number for its cycle and this many more.
constexpr unsigned int FREEZE_CYCLES = 3;
// Up to this position deviation (metres) a teammate missing from the prediction is
// believed to be out of the race; beyond it the agent cannot tell.
constexpr float TRUSTED_ABSENCE_DEVIATION = 3.0f;
// Above this ball deviation (metres) nobody's number is worth keeping.
constexpr float LOST_BALL_DEVIATION = 5.0f;
// A blocker gives way only to a player better placed by more than this.
constexpr float BLOCK_WEIGHT_MARGIN = 10.0f;
// Below this deviation (metres) of the chaser and the ball the number may be said.
constexpr float SAY_DEVIATION = 2.0f;
// Above this deviation (metres) the agent cannot check a teammate and takes his word.
constexpr float CHECKABLE_DEVIATION = 2.0f;
constexpr float BLOCK_WEIGHT_BASE = 100.0f;
constexpr float BLOCK_WEIGHT_PER_DEGREE = 0.15f;
const Point OWN_GOAL_CENTRE(-52.5f, 0.0f);
// The agent asks for a suggestion when it reaches the ball in fewer cycles.
constexpr unsigned int REQUEST_INTER_TIME = 4;
// Beyond this |y| (metres) of the ball the wing's midfielder is asked.
constexpr float REQUEST_SIDE_Y = 5.0f;
constexpr unsigned int RIGHT_MIDFIELD_POST = 6;  // asked for a ball at y > 0
constexpr unsigned int LEFT_MIDFIELD_POST = 7;
// The suggestion scores a whole fan: too costly after this share of the cycle.
constexpr double SUGGEST_CYCLE_SHARE = 0.6;
// A ball seen longer ago (cycles) is too uncertain to suggest a pass for.
constexpr unsigned int SUGGEST_BALL_AGE = 2;
// Only a pass worth more than this is suggested.
constexpr float SUGGEST_MIN_VALUE = -50.0f;
// The server's cycle (ms) when its parameters do not give a usable one.
constexpr float DEFAULT_SENSE_BODY_STEP = 100.0f;
constexpr float DEFAULT_SLOW_DOWN_FACTOR = 1.0f;
constexpr float MAX_CYCLE_MS = 100000.0f;

// The cycle length in milliseconds from the server's parameters, truncated.
int cycleLengthMs(const ConfigGroup& serverParam) {
  const float step = serverParam.has("sense_body_step") ? serverParam["sense_body_step"].asFloat()
                                                        : DEFAULT_SENSE_BODY_STEP;
  const float factor = serverParam.has("slow_down_factor")
                           ? serverParam["slow_down_factor"].asFloat()
                           : DEFAULT_SLOW_DOWN_FACTOR;
  const float product = step * factor;
  // Values from the network: keep the conversion to int defined.
  if (!(product >= 0.0f && product <= MAX_CYCLE_MS)) {
    return static_cast<int>(DEFAULT_SENSE_BODY_STEP * DEFAULT_SLOW_DOWN_FACTOR);
  }
  return static_cast<int>(product);
}

bool isOppBall(BallStatus status) {
  return status == BS_KICKABLE_OPP || status == BS_FREE_BALL_OPP;
}

bool isContestedOppBall(BallStatus status) {
  return status == BS_FREE_BALL_BODY_OPP || status == BS_FREE_BALL_TMM_OPP;
}

}  // namespace

GroupWorks::GroupWorks(const WorldModel* worldModel, SayDecisionFlags& sayFlags,
                       TurnNeckMode& turnNeckMode, const Positioning& positioning)
    : worldModel(worldModel),
      positioning(positioning),
      sayFlags(sayFlags),
      turnNeckMode(turnNeckMode),
      virtualPass(worldModel) {
  virtualKickCalculate.init();
  virtualPass.setCurKickCalculate(&virtualKickCalculate);
}

GroupWorks::~GroupWorks() = default;

void GroupWorks::updateAfterSenseBody() { lastRequestPassNum = requestPassNum; }

void GroupWorks::resetByChangePlayMode() {
  interceptNum = 0;
  blockMode = false;
  sayInterceptNumPermission = false;
}

unsigned int GroupWorks::me() const { return worldModel->getBody().getUniNum(); }

const Player& GroupWorks::playerOf(unsigned int num) const {
  if (num == me()) return worldModel->getBody();
  TOVREN_CHECK(num >= 1 && num <= WorldModel::FULL_PLAYERS_NUM);
  return worldModel->getFullPlayer(TID_TEAMMATE, num - 1);
}

bool GroupWorks::getChangeInterceptNumPermission() const {
  return worldModel->getCurTime() - interceptNumSetTime > FREEZE_CYCLES || interceptNum == 0;
}

float GroupWorks::getBlockWeight(const Point& interPoint, const Player& player) const {
  Vector toPoint;
  toPoint.setByPoints(player.getPos(), interPoint);
  Vector fromGoal;
  fromGoal.setByPoints(OWN_GOAL_CENTRE, interPoint);
  const float angle =
      std::fabs(Degree::getDeltaAngle(fromGoal.getDirection(), toPoint.getDirection()));
  return BLOCK_WEIGHT_BASE - BLOCK_WEIGHT_PER_DEGREE * angle - toPoint.getMagnitude();
}

// ---- The intercept number of the agent's own prediction ----

void GroupWorks::updateInterceptNum() {
  LogStream& log = logger["MainLog"];
  if (!getChangeInterceptNumPermission()) {
    log << "Changing interceptNum is not permitted." << std::endl;
    return;
  }
  log << "GroupWorks::updateInterceptNum" << std::endl;
  const InterceptCalculate& prediction = worldModel->getCurInterCalculate();
  const unsigned int tmmN = prediction.getTmmCheckedPlayersNum();
  const unsigned int oppN = prediction.getOppCheckedPlayersNum();
  Point interPoint(0.0f, 0.0f);
  if (tmmN + oppN > 0) interPoint = prediction.getFastestInterPlayer().getInterPoint();
  applyResetRules(interPoint, tmmN, oppN);
  if (interceptNum == 0) applySetRules(interPoint, tmmN, oppN);
  logState("final interceptNum (Bl, Sy, Pn):");
}

void GroupWorks::resetIfMissing(const InterceptCalculate& prediction, const char* bodyRule,
                                const char* teammateRule) {
  const char* rule = nullptr;
  if (interceptNum == me()) {
    if (prediction.getCheckedListNum(worldModel->getBody()) == InterceptCalculate::NONE)
      rule = bodyRule;
  } else {
    const Player& teammate = playerOf(interceptNum);
    if (teammate.getPosDeviation() <= TRUSTED_ABSENCE_DEVIATION &&
        prediction.getCheckedListNum(teammate) == InterceptCalculate::NONE)
      rule = teammateRule;
  }
  if (rule == nullptr) return;
  interceptNum = 0;
  logger["MainLog"] << "interceptNum reset " << rule << std::endl;
}

void GroupWorks::applyResetRules(const Point& interPoint, unsigned int tmmN, unsigned int oppN) {
  const InterceptCalculate& prediction = worldModel->getCurInterCalculate();
  LogStream& log = logger["MainLog"];
  if (interceptNum != 0 && !blockMode) resetIfMissing(prediction, "1.1", "1.2");
  if (worldModel->getBall().getPosDeviation() > LOST_BALL_DEVIATION) {
    interceptNum = 0;
    log << "interceptNum reset 2" << std::endl;
  }
  if (interceptNum != 0 && blockMode && tmmN > 0) resetIfMissing(prediction, "3.1", "3.2");
  if (interceptNum == 0 || !blockMode || tmmN + oppN == 0) return;

  const float blockerWeight = getBlockWeight(interPoint, playerOf(interceptNum));
  for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i) {
    const Player& teammate = worldModel->getFullPlayer(TID_TEAMMATE, i);
    if (!teammate.isValid() || teammate.isGoalie()) continue;
    if (getBlockWeight(interPoint, teammate) - blockerWeight > BLOCK_WEIGHT_MARGIN) {
      interceptNum = 0;
      log << "interceptNum reset 4.1" << std::endl;
      return;
    }
  }
  const Body& body = worldModel->getBody();
  if (!body.isGoalie() && getBlockWeight(interPoint, body) - blockerWeight > BLOCK_WEIGHT_MARGIN) {
    interceptNum = 0;
    log << "interceptNum reset 4.2" << std::endl;
  }
}

void GroupWorks::applySetRules(const Point& interPoint, unsigned int tmmN, unsigned int oppN) {
  const InterceptCalculate& prediction = worldModel->getCurInterCalculate();
  if (tmmN == 1) {
    const Player& fastest = prediction.getFastestPlayer();
    if (fastest.getTeamId() == TID_TEAMMATE && fastest.getModel() == PLM_FULL) {
      interceptNum = fastest.getUniNum();
      blockMode = false;
      sayInterceptNumPermission = true;
      logger["MainLog"] << "interceptNum set 1" << std::endl;
    }
  } else if (tmmN >= 2 && prediction.getFastestPlayer().getTeamId() == TID_TEAMMATE) {
    chooseFastestTeammate(oppN);
  }
  const BallStatus status = worldModel->getBallStatus();
  if (interceptNum == 0 && isOppBall(status)) chooseBlocker(interPoint);
}

void GroupWorks::chooseFastestTeammate(unsigned int oppN) {
  const InterceptCalculate& prediction = worldModel->getCurInterCalculate();
  const Player* winner = nullptr;
  bool unidentifiedSeen = false;
  for (unsigned int k = 0; k < prediction.getCheckedPlayersNum(); ++k) {
    const InterceptPlayer& entry = prediction.getCheckedInterPlayer(k);
    const Player& player = *entry.getPlayer();
    if (player.getTeamId() != TID_TEAMMATE) continue;
    // A teammate who arrives after the first opponent cannot take the ball.
    if (oppN > 0 && entry.getInterTime() > prediction.getFastestOppInterPlayer().getInterTime())
      continue;
    if (player.getModel() == PLM_HALF) {
      unidentifiedSeen = true;
      continue;
    }
    if (winner == nullptr || player.getPostNum() < winner->getPostNum()) winner = &player;
  }
  if (winner == nullptr) return;
  LogStream& log = logger["MainLog"];
  if (!unidentifiedSeen) {
    interceptNum = winner->getUniNum();
    blockMode = false;
    sayInterceptNumPermission = true;
    log << "interceptNum set 2.1" << std::endl;
  } else if (winner->getUniNum() == me()) {
    // The unidentified teammate may be the better choice: go, but do not claim it.
    interceptNum = me();
    blockMode = false;
    sayInterceptNumPermission = false;
    log << "interceptNum set 2.2" << std::endl;
  }
}

void GroupWorks::chooseBlocker(const Point& interPoint) {
  bool found = false;
  unsigned int best = 0;
  float bestWeight = 0.0f;
  for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i) {
    const Player& teammate = worldModel->getFullPlayer(TID_TEAMMATE, i);
    if (!teammate.isValid() || teammate.isGoalie()) continue;
    const float weight = getBlockWeight(interPoint, teammate);
    if (!found || weight > bestWeight) {
      found = true;
      best = i;
      bestWeight = weight;
    }
  }
  const Body& body = worldModel->getBody();
  if (!body.isGoalie()) {
    const float weight = getBlockWeight(interPoint, body);
    if (!found || weight > bestWeight) {
      found = true;
      best = me() - 1;
      bestWeight = weight;
    }
  }
  if (!found) {
    interceptNum = 0;
    blockMode = true;
    sayInterceptNumPermission = false;
    return;
  }

  bool unidentifiedBetter = false;
  for (unsigned int i = 0; i < WorldModel::HALF_PLAYERS_NUM && !unidentifiedBetter; ++i) {
    const Player& teammate = worldModel->getHalfPlayer(TID_TEAMMATE, i);
    unidentifiedBetter = teammate.isValid() && getBlockWeight(interPoint, teammate) > bestWeight;
  }
  LogStream& log = logger["MainLog"];
  if (!unidentifiedBetter) {
    interceptNum = best + 1;
    blockMode = true;
    sayInterceptNumPermission = true;
    log << "interceptNum set 3.1" << std::endl;
  } else if (best + 1 == me()) {
    interceptNum = me();
    blockMode = true;
    sayInterceptNumPermission = false;
    log << "interceptNum set 3.2" << std::endl;
  }
}

unsigned int GroupWorks::getInterceptNumForSay() const {
  if (interceptNum == 0) return 0;
  if (interceptNum != me() && !(playerOf(interceptNum).getPosDeviation() < SAY_DEVIATION)) return 0;
  if (!(worldModel->getBall().getPosDeviation() < SAY_DEVIATION)) return 0;
  if (!sayInterceptNumPermission) return 0;
  return blockMode ? interceptNum + BLOCK_CODE_OFFSET : interceptNum;
}

bool GroupWorks::getPassSayRequestPermittion() const {
  const InterceptCalculate& prediction = worldModel->getCurInterCalculate();
  const unsigned int k = prediction.getCheckedListNum(worldModel->getBody());
  if (k == InterceptCalculate::NONE) return false;
  return prediction.getCheckedInterPlayer(k).getInterTime() < REQUEST_INTER_TIME;
}

void GroupWorks::checkForLastWithBallDecideValid() {
  const BallStatus status = worldModel->getBallStatus();
  if (status == BS_KICKABLE_TMM || status == BS_KICKABLE_OPP || status == BS_KICKABLE_TMM_OPP)
    lastWithBallDecideValid = false;
}

void GroupWorks::logState(const char* head) const {
  logger["MainLog"] << head << " " << (blockMode ? 1 : 0) << " "
                    << (sayInterceptNumPermission ? 1 : 0) << " " << interceptNum << std::endl;
}

// ---- The intercept number from teammates' messages ----

void GroupWorks::decodeInterceptCode(unsigned int code) {
  blockMode = code > BLOCK_CODE_OFFSET;
  interceptNum = blockMode ? code - BLOCK_CODE_OFFSET : code;
}

void GroupWorks::setInterceptNum(unsigned int code) {
  if (code > MAX_INTERCEPT_CODE) {
    logger["MainLog"] << "Heard interceptNum out of range ignored: " << code << std::endl;
    return;
  }
  sayInterceptNumPermission = true;
  interceptNumSetTime = worldModel->getCurTime();
  decodeInterceptCode(code);
  logState("setting interceptNum (Bl, Sy, Pn):");
}

void GroupWorks::changeInterceptNumByHear(unsigned int sender, unsigned int code) {
  LogStream& log = logger["MainLog"];
  if (code > MAX_INTERCEPT_CODE) {
    log << "Heard interceptNum out of range ignored: " << code << std::endl;
    return;
  }
  if (!getChangeInterceptNumPermission()) {
    log << "Changing interceptNum is not permitted." << std::endl;
    return;
  }
  log << "suggested interceptNum: " << code << std::endl;
  // A block code names its blocker, like any other, by the number it decodes to.
  const unsigned int named = code > BLOCK_CODE_OFFSET ? code - BLOCK_CODE_OFFSET : code;
  bool take = sender == interceptNum || sender == me();
  if (!take) {
    if (code == 0) return;
    // With no choice of its own there is nothing to weigh the claim against.
    take = named == me() || playerOf(named).getPosDeviation() > CHECKABLE_DEVIATION ||
           interceptNum == 0 || playerOf(interceptNum).getPosDeviation() > CHECKABLE_DEVIATION;
  }
  if (!take) return;
  decodeInterceptCode(code);
  sayInterceptNumPermission = true;
  logState("setting interceptNum (Bl, Sy, Pn):");
}

// ---- The role without the ball ----

WithoutBallSelection GroupWorks::getWithoutBallSelection(DecideType lastWithBallDecide) const {
  const WithoutBallSelection selection = chooseWithoutBall(lastWithBallDecide);
  logger["MainLog"] << "GroupWorks::getWithoutBallSelection > return: " << selection << std::endl;
  return selection;
}

WithoutBallSelection GroupWorks::chooseWithoutBall(DecideType lastWithBallDecide) const {
  // Right after a kick-and-run dribble the agent runs after its own ball.
  if (lastWithBallDecideValid && lastWithBallDecide == DT_SRP_DRIBBLE) return WBS_INTERCEPT;
  WithoutBallSelection selection = WBS_POSITIONING;
  if (interceptNum == me()) selection = blockMode ? WBS_BLOCK : WBS_INTERCEPT;
  // A fresh announcement of a teammate is obeyed as it stands.
  if (!getChangeInterceptNumPermission()) return selection;

  const BallStatus status = worldModel->getBallStatus();
  if (selection == WBS_POSITIONING && status == BS_FREE_BALL_BODY) selection = WBS_INTERCEPT;
  if (selection == WBS_INTERCEPT) {
    const unsigned int post = worldModel->getBody().getPostNum();
    const bool defender = post <= 5 || post == 8;
    if (isOppBall(status) || (defender && isContestedOppBall(status))) selection = WBS_BLOCK;
  }
  if (selection != WBS_POSITIONING) return selection;
  if (!isOppBall(status) && !isContestedOppBall(status)) return selection;
  return blocksByPost() ? WBS_BLOCK : WBS_POSITIONING;
}

bool GroupWorks::blocksByPost() const {
  const Point ball = worldModel->getBall().getPos();
  const float bodyX = worldModel->getBody().getPos().getX();
  const Point home = positioning.getHomePoint(me());
  const float dx = ball.x - home.x;
  const float dy = ball.y - home.y;
  const unsigned int post = worldModel->getBody().getPostNum();
  LogStream& log = logger["MainLog"];
  log << "Blocking by post " << post << ":" << std::endl
      << "DeltaX : " << dx << std::endl
      << "DeltaY : " << dy << std::endl
      << "------------------------------" << std::endl;

  // The ball already between the agent and its own goal.
  const bool passed = bodyX > ball.x;
  // The wing midfielders stay with an attack on their side unless they ran far ahead.
  const bool nearWing = dy > -10.0f && dx > -10.0f && bodyX - home.x < 14.0f;
  switch (post) {
    case 2:
      return dy < 6.0f && (dx < 8.0f || passed);
    case 3:
    case 4:
      return std::fabs(dy) < 6.0f && (dx < 6.0f || passed);
    case 5:
      return dy > -6.0f && (dx < 8.0f || passed);
    case 8:
      return ball.x < 5.0f && std::fabs(dy) < 12.0f && (dx < 6.0f || passed);
    case 6:
      return ball.y > 4.5f && nearWing;
    case 7:
      return ball.y < -4.5f && nearWing;
    default:
      return false;
  }
}

// ---- Pass request and suggestion ----

void GroupWorks::decide() {
  logger["MainLog"] << "GroupWorks::decide" << std::endl;
  if (getPassSayRequestPermittion()) requestSuggestPassSayManager();
  if (hearedRequestPassTime == worldModel->getCurTime() && hearedRequestPassNum == me())
    suggestPassSayManager();
}

void GroupWorks::requestSuggestPassSayManager() {
  logger["MainLog"] << "GroupWorks::requestSuggestPassSayManager" << std::endl;
  const unsigned int post = worldModel->getBody().getPostNum();
  if (post >= 9 && post <= 11) {
    const float ballY = worldModel->getBall().getPos().getY();
    if (std::fabs(ballY) > REQUEST_SIDE_Y) {
      requestPassNum =
          Player::postNumToUniNum(ballY > 0.0f ? RIGHT_MIDFIELD_POST : LEFT_MIDFIELD_POST);
    } else {
      // Near the middle keep asking whom was asked before.
      requestPassNum = lastRequestPassNum;
    }
  }
  sayFlags.attentionNum = requestPassNum;
  sayFlags.requestPassNum = requestPassNum;
}

void GroupWorks::suggestPassSayManager() {
  LogStream& log = logger["MainLog"];
  log << "GroupWorks::suggestPassSayManager" << std::endl;
  turnNeckMode = TNM_LOOK_NORMALLY_TO_BALL;
  sayFlags.attentionNum = hearedRequestPassSender;

  const long now = worldModel->getTimer().now();
  const int cycleMs = cycleLengthMs(worldModel->getServerParam());
  const unsigned int ballAge = worldModel->getCurTime() - worldModel->getBall().getSeeTime();
  if (static_cast<double>(now) > SUGGEST_CYCLE_SHARE * cycleMs || ballAge > SUGGEST_BALL_AGE) {
    log << "Not enough time or informations." << std::endl;
    return;
  }

  const Player& kicker = worldModel->getNearestTmmToBall();
  virtualKickCalculate.update(worldModel, kicker);
  const float value = virtualPass.getValue(kicker);
  const KickInterceptCalculate* chosen = virtualPass.getPassInterCalc();
  const Player* receiver = virtualPass.getPassPlayer();
  if (!(value > SUGGEST_MIN_VALUE) || chosen == nullptr || receiver == nullptr) {
    log << "There is no good pass." << std::endl;
    return;
  }
  const Vector& velocity = chosen->getFirstBall().getVel();
  sayFlags.suggestPass = true;
  sayFlags.passDir = velocity.getDirection();
  sayFlags.passSpeed = velocity.getMagnitude();
  sayFlags.passWeight = value;
  sayFlags.suggestedReceiver = receiver->getUniNum();
  log << "VirtualPass:" << std::endl
      << "\tPlayer: " << receiver->getTeamId() << " " << receiver->getUniNum() << std::endl
      << "\tWeight: " << value << std::endl
      << "\tModel: " << virtualPass.getPassModel() << std::endl
      << "\tDir: " << sayFlags.passDir << std::endl
      << "\tSpeed: " << sayFlags.passSpeed << std::endl;
}

}  // namespace tovren
