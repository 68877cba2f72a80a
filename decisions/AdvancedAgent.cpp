#include "decisions/AdvancedAgent.h"

#include "connection/Command.h"
#include "foundation/FieldData.h"
#include "foundation/Logger.h"
#include "foundation/SExpression.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <memory>

namespace tovren {

namespace {

// A ball nearer than this (metres) is worth deciding again when the see arrives.
constexpr float NEAR_BALL_DISTANCE = 7.5f;
// The turn (degrees, counter-clockwise) that sweeps the view round for a lost ball.
constexpr float LOOK_FOR_BALL_TURN = 45.0f;
// A message from our goalie in our goal kick means the kick is taken once this many
// cycles of the mode's countdown are left at most (the first two are the approach).
constexpr unsigned int GOAL_KICK_TAKEN_REMAIN_CYCLE = 198;
constexpr unsigned int GOALIE_UNI_NUM = 1;

// A player who only ran for the ball leaves a ball both he and a teammate can kick to
// the teammate.
bool leavesTheBallToATeammate(int lastDecideType) {
  switch (lastDecideType) {
    case DT_NONE:
    case DT_BLOCK:
    case DT_OFFENSE:
    case DT_DEFENSE:
    case DT_INTERCEPT:
    case DT_DRIBBLE_INTERCEPT:
    case DT_LOOKING_FOR_BALL:
      return true;
    default:
      return false;
  }
}

bool isPenaltyMode(PlayMode playMode) {
  return playMode == PM_OUR_PENALTY_SETUP || playMode == PM_OPP_PENALTY_SETUP ||
         playMode == PM_OUR_PENALTY_READY || playMode == PM_OPP_PENALTY_READY;
}

}  // namespace

AdvancedAgent::AdvancedAgent(int argc, char** argv)
    : SyncedAgent(argc, argv),
      positioning(worldModel.get()),
      headDecision(this),
      sayDecision(worldModel.get()),
      pointToDecision(worldModel.get()),
      groupWorks(worldModel.get(), sayDecision.setSayFlags(), headDecision.getModeRef(),
                 positioning),
      nonPlayOnDecision(worldModel.get(), positioning, sayDecision.setSayFlags(),
                        headDecision.getModeRef()),
      penaltyDecision(worldModel.get(), sayDecision.setSayFlags(), headDecision.getModeRef(),
                      positioning),
      goaliePlayOnDecision(worldModel.get(), sayDecision.setSayFlags(), headDecision.getModeRef()),
      withBallPlayOnDecision(worldModel.get(), sayDecision.setSayFlags(),
                             headDecision.getModeRef()),
      withoutBallPlayOnDecision(worldModel.get(), sayDecision.setSayFlags(),
                                headDecision.getModeRef(), positioning) {}

AdvancedAgent::~AdvancedAgent() = default;

void AdvancedAgent::senseBody(const SExpression& message) {
  SyncedAgent::senseBody(message);
  nonPlayOnDecision.updateAfterSenseBody();
  withBallPlayOnDecision.updateAfterSenseBody();
  withoutBallPlayOnDecision.updateAfterSenseBody();
  groupWorks.updateAfterSenseBody();
  lastDecideType = decideType;
  decideType = DT_NONE;
  sayDecision.setSayFlags().reset();
  worldModel->setBall().setUpdateByHearPermitted(true);
}

void AdvancedAgent::see(const SExpression& message) {
  SyncedAgent::see(message);
  worldModel->updateCurInterCalculate();
  worldModel->updateBallStatus();
}

void AdvancedAgent::hear(const SExpression& message) {
  if (!hearMessage(message) || !hasUniNum()) return;
  LogStream& log = logger["MainLog"];
  const bool goalie = worldModel->getBody().isGoalie();
  if (message[2]->toString() == "referee") {
    groupWorks.resetByChangePlayMode();
    // In a shoot-out the kicks are taken at one goal: the side that attacks it mirrors.
    switch (penaltyDecision.checkPlayMode()) {
      case 1:
        log << "AdvancedAgent.PENALTY: Reversing Field" << std::endl;
        if (!goalie) {
          log << "Reverse. You are player" << std::endl;
          worldModel->setFieldData().setPenaltySideRate(-1);
        } else {
          log << "NO! Don't Reverse. You are goalie" << std::endl;
        }
        break;
      case 2:
        log << "AdvancedAgent.PENALTY: -1 Reversing Field" << std::endl;
        if (goalie) {
          log << "Reverse. You are goalie" << std::endl;
          worldModel->setFieldData().setPenaltySideRate(-1);
        } else {
          log << "NO! Don't Reverse. You are player" << std::endl;
        }
        break;
      default:
        break;
    }
  }

  const char header = worldModel->getHearedHeader();
  const unsigned int sender = worldModel->getHearedSender();
  const unsigned int heardNum = worldModel->getHearedInterceptNum();
  const bool passSaid = header == 'A' || header == 'B';
  if (passSaid) {
    groupWorks.setInterceptNum(heardNum);
  } else if (header == 'Y' || header == 'Z') {
    groupWorks.changeInterceptNumByHear(sender, heardNum);
    groupWorks.setHearedRequestPassNum(worldModel->getHearedRequestPassNum());
    groupWorks.setHearedRequestPassSender(sender);
    groupWorks.setHearedRequestPassTime(worldModel->getCurTime());
  }

  if (passSaid && sender == GOALIE_UNI_NUM && heardNum != GOALIE_UNI_NUM &&
      worldModel->getPlayMode() == PM_OUR_GOAL_KICK) {
    if (worldModel->getPlayModeRemainCycle() <= GOAL_KICK_TAKEN_REMAIN_CYCLE) {
      log << "GOAL_KICK --> GOAL_KICK_TAKEN" << std::endl;
      worldModel->setVirtualPlayMode(VPM_GOAL_KICK_TAKEN);
    } else {
      log << "GOAL_KICK --> NO CHANGE TO PLAY MODE" << std::endl;
    }
  }

  if (worldModel->getMustAttention()) sayDecision.setSayFlags().attentionNum = heardNum;
}

bool AdvancedAgent::bodyDecide(int quickLevel) {
  logger["MainLog"] << "AdvancedAgent::bodyDecide" << std::endl;
  if (!hasUniNum()) {
    // Messages before the init answer: nobody to decide for.
    decideType = DT_NONE;
    bodyCycleCommand = std::make_unique<EmptyCommand>();
    return false;
  }
  worldModel->updateCurInterCalculate();
  worldModel->updateBallStatus();
  groupWorks.updateInterceptNum();
  positioning.setHomePoints();

  const bool withBallAllowed = !(worldModel->getBallStatus() == BS_KICKABLE_BODY_TMM &&
                                 leavesTheBallToATeammate(lastDecideType));
  const DecideType last = static_cast<DecideType>(lastDecideType);
  const PlayMode playMode = worldModel->getPlayMode();
  const bool ballValid = worldModel->getBall().isValid();
  const bool ballKickable = worldModel->isBallKickable();

  if (playMode == PM_PLAY_ON ||
      (playMode == PM_OUR_GOAL_KICK && worldModel->getVirtualPlayMode() == VPM_GOAL_KICK_TAKEN)) {
    if (!ballValid) {
      lookForBall();
    } else if (worldModel->getBody().isGoalie()) {
      takeBodyCommand(goaliePlayOnDecision.decide(quickLevel, last), goaliePlayOnDecision);
    } else if (ballKickable && withBallAllowed) {
      if (quickLevel < 1) worldModel->updateCurKickCalculate();
      takeBodyCommand(withBallPlayOnDecision.decide(quickLevel, last), withBallPlayOnDecision);
      groupWorks.setLastWithBallDecideValid(true);
    } else {
      groupWorks.checkForLastWithBallDecideValid();
      const WithoutBallSelection selection =
          groupWorks.getWithoutBallSelection(withBallPlayOnDecision.getLastWithBallDecide());
      takeBodyCommand(withoutBallPlayOnDecision.decide(quickLevel, last, selection),
                      withoutBallPlayOnDecision);
    }
    groupWorks.decide();
  } else if (isPenaltyMode(playMode)) {
    if (!ballValid) {
      lookForBall();
    } else {
      if (quickLevel < 1 && ballKickable) {
        logger["MainLog"] << "PENALTY: updateCurKickCalculate() ..." << std::endl;
        worldModel->updateCurKickCalculate();
        logger["MainLog"] << "PENALTY: updated." << std::endl;
      }
      takeBodyCommand(penaltyDecision.decide(quickLevel, last), penaltyDecision);
    }
  } else if (!ballValid) {
    lookForBall();
  } else {
    if (quickLevel < 1 && ballKickable) worldModel->updateCurKickCalculate();
    takeBodyCommand(nonPlayOnDecision.decide(quickLevel), nonPlayOnDecision);
  }

  if (bodyCycleCommand == nullptr) {
    decideType = DT_NONE;
    bodyCycleCommand = std::make_unique<EmptyCommand>();
  }
  return worldModel->getBall().getAbsVec().getMagnitude() < NEAR_BALL_DISTANCE;
}

void AdvancedAgent::takeBodyCommand(int type, BodyDecision& decision) {
  decideType = type;
  // Replacing the slot frees a command an earlier decision of the cycle put there.
  bodyCycleCommand = decision.takeCommand();
}

void AdvancedAgent::lookForBall() {
  logger["MainLog"] << "Looking for ball." << std::endl;
  headDecision.setMode(TNM_LOOK_NORMALLY);
  decideType = DT_LOOKING_FOR_BALL;
  bodyCycleCommand = std::make_unique<TurnCommand>(LOOK_FOR_BALL_TURN);
}

bool AdvancedAgent::hasUniNum() const {
  const unsigned int uniNum = worldModel->getBody().getUniNum();
  return uniNum >= 1 && uniNum <= WorldModel::FULL_PLAYERS_NUM;
}

void AdvancedAgent::headDecide() {
  headDecision.decide(bodyCycleCommand.get());
  headCycleCommand = headDecision.takeTurnNeckCommand();
  changeViewCommand = headDecision.takeChangeViewCommand();
}

void AdvancedAgent::sayDecide() {
  if (!hasUniNum()) {
    sayCommand = std::make_unique<EmptyCommand>();
    attentionToCommand = std::make_unique<EmptyCommand>();
    return;
  }
  groupWorks.updateInterceptNum();
  sayDecision.decide(bodyCycleCommand.get(), groupWorks.getInterceptNumForSay());
  sayCommand = sayDecision.takeSayCommand();
  attentionToCommand = sayDecision.takeAttentionCommand();
}

void AdvancedAgent::pointToDecide() {
  pointToDecision.decide(headCycleCommand.get());
  pointToCommand = pointToDecision.takePointToCommand();
}

}  // namespace tovren
