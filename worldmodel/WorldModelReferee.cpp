#include "worldmodel/WorldModel.h"

#include "foundation/Logger.h"
#include "foundation/SExpression.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/MessageFields.h"

#include <ostream>
#include <string>

namespace tovren {

namespace {

// A referee call that names a side ("_l" or "_r" after the stem). The values are those
// for the own side; the opponents' value is one more. KEEP leaves the field as it is.
constexpr int KEEP = -1;
constexpr int CLEAR = -2;  // virtual play mode back to none, whichever side

struct SidedCall {
  const char* stem;
  int playMode;
  int virtualPlayMode;
  unsigned int remainCycle;
};

// Set plays last until the referee's next call; these are the cycles they are given.
constexpr unsigned int SET_PLAY_CYCLES = 200;
constexpr unsigned int FAULT_CYCLES = 30;
constexpr unsigned int GOAL_CYCLES = 50;
constexpr unsigned int PENALTY_SETUP_CYCLES = 100;
constexpr unsigned int PENALTY_READY_CYCLES = 50;

const SidedCall sidedCalls[] = {
    {"kick_off", PM_OUR_KICK_OFF, KEEP, SET_PLAY_CYCLES},
    {"free_kick", PM_OUR_FREE_KICK, KEEP, SET_PLAY_CYCLES},
    {"indirect_free_kick", PM_OUR_FREE_KICK, VPM_OUR_INDIRECT_FREE_KICK, SET_PLAY_CYCLES},
    {"kick_in", PM_OUR_KICK_IN, KEEP, SET_PLAY_CYCLES},
    {"offside", PM_OUR_OFFSIDE, KEEP, FAULT_CYCLES},
    {"goal_kick", PM_OUR_GOAL_KICK, CLEAR, SET_PLAY_CYCLES},
    {"corner_kick", PM_OUR_CORNER_KICK, KEEP, SET_PLAY_CYCLES},
    {"free_kick_fault", PM_OUR_FREE_KICK_FAULT, KEEP, FAULT_CYCLES},
    {"catch_fault", PM_OUR_CATCH_FAULT, KEEP, FAULT_CYCLES},
    {"penalty_setup", PM_OUR_PENALTY_SETUP, CLEAR, PENALTY_SETUP_CYCLES},
    {"penalty_ready", PM_OUR_PENALTY_READY, CLEAR, PENALTY_READY_CYCLES},
    {"goalie_catch_ball", KEEP, VPM_OUR_GOALIE_CATCH_BALL, 0},
    {"foul", KEEP, VPM_OUR_FOUL, 0},
    {"back_pass", PM_OUR_BACK_PASS, KEEP, 0},
    {"penalty_onfield", KEEP, VPM_OUR_PENALTY_ONFIELD, 0},
    {"penalty_miss", KEEP, VPM_OUR_PENALTY_MISS, 0},
    {"penalty_score", KEEP, VPM_OUR_PENALTY_SCORE, 0},
    {"penalty_winner", KEEP, VPM_OUR_PENALTY_WINNER, 0},
    {"penalty_foul", KEEP, VPM_OUR_PENALTY_FOUL, 0},
    {"penalty_taken", KEEP, VPM_OUR_PENALTY_TAKEN, 0},
};

// A call without a side. The time-up calls and before_kick_off set the play mode, the
// others only the virtual play mode; none sets a count.
struct PlainCall {
  const char* word;
  int playMode;
  int virtualPlayMode;
};

const PlainCall plainCalls[] = {
    {"before_kick_off", PM_BEFORE_KICK_OFF, KEEP},
    {"time_up_without_a_team", PM_TIME_UP_WITHOUT_A_TEAM, KEEP},
    {"time_up", PM_TIME_UP, KEEP},
    {"time_over", PM_TIME_UP, KEEP},
    {"half_time", KEEP, VPM_HALF_TIME},
    {"time_extended", KEEP, VPM_TIME_EXTENDED},
    {"penalty_draw", KEEP, VPM_PENALTY_DRAW},
};

}  // namespace

void WorldModel::parseRefereeHear(const SExpression& message) {
  const SExpAtomic* wordAtom = MessageFields::atomAt(message, 3);
  if (wordAtom == nullptr) {
    LogStream& log = logger["MainLog"];
    if (log.isOutValid())
      log << "Skipping referee message without a call: " << message.toString() << std::endl;
    return;
  }
  const std::string& word = wordAtom->asString();
  playModeRemainCycle = 0;

  if (word == "play_on") {
    playMode = PM_PLAY_ON;
    virtualPlayMode = VPM_NONE;
    playOnStartCycle = curTime;
    return;
  }
  if (word == "drop_ball") {
    virtualPlayMode = VPM_DROP_BALL;
    ball->setPosDeviation(MAX_POS_DEVIATION);
    ball->setValidPosDeviation(MAX_POS_DEVIATION);
    return;
  }
  for (const PlainCall& call : plainCalls) {
    if (word != call.word) continue;
    if (call.playMode != KEEP) playMode = static_cast<PlayMode>(call.playMode);
    if (call.virtualPlayMode != KEEP)
      virtualPlayMode = static_cast<VirtualPlayMode>(call.virtualPlayMode);
    return;
  }

  std::size_t length = word.size();
  if (length > 2 && word[length - 2] == '_' &&
      (word[length - 1] == 'l' || word[length - 1] == 'r')) {
    bool ours = (word[length - 1] == 'l') == (fieldSide == SI_LEFT);
    std::string stem = word.substr(0, length - 2);
    for (const SidedCall& call : sidedCalls) {
      if (stem != call.stem) continue;
      if (call.playMode != KEEP) playMode = static_cast<PlayMode>(call.playMode + (ours ? 0 : 1));
      if (call.virtualPlayMode == CLEAR) {
        virtualPlayMode = VPM_NONE;
      } else if (call.virtualPlayMode != KEEP) {
        virtualPlayMode = static_cast<VirtualPlayMode>(call.virtualPlayMode + (ours ? 0 : 1));
      }
      playModeRemainCycle = call.remainCycle;
      if (call.playMode == PM_OUR_KICK_OFF) ball->updateByHear(0.0f, 0.0f, 0.0f, 0.0f, *body);
      return;
    }
  }

  // The goal calls carry the score after the side ("goal_l_2"); only the side is read.
  if (word.compare(0, 6, "goal_l") == 0 || word.compare(0, 6, "goal_r") == 0) {
    bool ours = (word[5] == 'l') == (fieldSide == SI_LEFT);
    playMode = ours ? PM_OUR_GOAL : PM_OPP_GOAL;
    playModeRemainCycle = GOAL_CYCLES;
    return;
  }

  // A call of a newer server: the modes stay, the count is already 0.
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "Unknown referee call: " << word << std::endl;
}

}  // namespace tovren
