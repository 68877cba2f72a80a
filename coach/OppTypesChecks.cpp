#include "coach/CoachWorldModel.h"
#include "coach/OppTypes.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Player.h"

#include <ostream>

namespace tovren {

namespace {

// Slower changes of velocity are drift and noise, not a dash or a kick.
constexpr double DASH_ACCEL_MIN = 0.3;
constexpr double KICK_ACCEL_MIN = 0.2;

void logLine(const char* text) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << text << std::endl;
}

const Player& opponent(const CoachWorldModel& model, int i) {
  return model.getFullPlayer(TID_OPPONENT, static_cast<unsigned int>(i));
}

// The velocity change the fastest-decaying type would need between two models.
Vector dashAccel(const Player& before, const Player& after, float maxPlayerDecay) {
  return after.getVel() * (1.0f / maxPlayerDecay) - before.getVel();
}

bool isDash(const Player& before, const Player& after, float maxPlayerDecay) {
  return before.getBodyDir() == after.getBodyDir() &&
         double(dashAccel(before, after, maxPlayerDecay).getMagnitude()) > DASH_ACCEL_MIN;
}

// The play modes in which nobody moves of his own will.
bool isStillPlayMode(PlayMode playMode) {
  return playMode == PM_BEFORE_KICK_OFF || playMode == PM_OUR_GOAL || playMode == PM_OPP_GOAL;
}

// Calls visit(i, first, before, now) for every opponent i that is not sure and is alive in
// each model given; without an earlier model, first is before.
template <typename Visit>
void forUnsureAlive(const bool (&sure)[OppTypes::PLAYERS], const CoachWorldModel* earlier,
                    const CoachWorldModel& previous, const CoachWorldModel& current, Visit visit) {
  for (int i = 0; i < OppTypes::PLAYERS; ++i) {
    const Player& before = opponent(previous, i);
    const Player& first = earlier == nullptr ? before : opponent(*earlier, i);
    const Player& now = opponent(current, i);
    if (sure[i] || !first.isAlive() || !before.isAlive() || !now.isAlive()) continue;
    visit(i, first, before, now);
  }
}

}  // namespace

void OppTypes::checkForTurns() {
  logLine("OppTypes: checkForTurns ");
  if (history.getSize() <= 2) return;
  const CoachWorldModel& current = *worldModel;
  const CoachWorldModel& previous = *history[-1];
  if (previous.getPlayMode() != current.getPlayMode() ||
      previous.getVirtualPlayMode() != current.getVirtualPlayMode()) {
    return;
  }
  logLine("OppTypes: checking ");
  forUnsureAlive(sure, nullptr, previous, current,
                 [&](int i, const Player&, const Player& before, const Player& now) {
                   if (before.getBodyDir() != now.getBodyDir())
                     informTurn(i, previous.getCurTime());
                 });
  if (history.getSize() <= 3) return;
  const CoachWorldModel& earlier = *history[-2];
  forUnsureAlive(
      sure, &earlier, previous, current,
      [&](int i, const Player& first, const Player& before, const Player& now) {
        if (before.getBodyDir() != now.getBodyDir() && first.getBodyDir() != before.getBodyDir()) {
          informMaxTurn(i, earlier.getCurTime());
        }
      });
}

void OppTypes::checkForDashes() {
  logLine("OppTypes: checkForDashes ");
  if (history.getSize() <= 3) return;
  const CoachWorldModel& current = *worldModel;
  if (current.getCurTime() - current.getRefereeHearTime() <= 2 ||
      isStillPlayMode(current.getPlayMode())) {
    logLine("OppTypes: Ignoring checkForDashes because of playmode");
    return;
  }
  logLine("OppTypes: checking ");
  const CoachWorldModel& previous = *history[-1];
  forUnsureAlive(sure, nullptr, previous, current,
                 [&](int i, const Player&, const Player& before, const Player& now) {
                   if (isDash(before, now, maxPlayerDecay)) informDash(i, previous.getCurTime());
                 });
  if (history.getSize() <= 4) return;
  const CoachWorldModel& earlier = *history[-2];
  forUnsureAlive(
      sure, &earlier, previous, current,
      [&](int i, const Player& first, const Player& before, const Player& now) {
        if (isDash(before, now, maxPlayerDecay) && isDash(first, before, maxPlayerDecay)) {
          informMaxDash(i, earlier.getCurTime());
        }
      });
}

void OppTypes::checkForKicks() {
  logLine("OppTypes: checkForKicks ");
  if (history.getSize() <= 2) return;
  const CoachWorldModel& current = *worldModel;
  if (current.getCurTime() - current.getRefereeHearTime() <= 1 ||
      isStillPlayMode(current.getPlayMode())) {
    logLine("OppTypes: Ignoring checkForKicks because of playmode");
    return;
  }
  logLine("OppTypes: checking ");
  const CoachWorldModel& previous = *history[-1];
  const ConfigGroup& serverParam = current.getServerParam();
  const Vector ballAccel =
      current.getBall().getVel() * (1.0f / serverParam["ball_decay"].asFloat()) -
      previous.getBall().getVel();
  if (double(ballAccel.getMagnitude()) <= KICK_ACCEL_MIN) return;
  logLine("OppTypes::Ball is kicked");

  const float tackleDist = serverParam["tackle_dist"].asFloat();
  LogStream& log = logger["MainLog"];
  int kickers = 0;
  int kicker = -1;
  // Opponents first, then teammates; only an opponent is remembered as the kicker.
  const TeamId teams[] = {TID_OPPONENT, TID_TEAMMATE};
  for (TeamId team : teams) {
    const char* tag = team == TID_OPPONENT ? "   Opp " : "   Tmm ";
    for (int i = 0; i < PLAYERS; ++i) {
      const Player& before = previous.getFullPlayer(team, static_cast<unsigned int>(i));
      const Player& now = current.getFullPlayer(team, static_cast<unsigned int>(i));
      if (!before.isAlive() || !now.isAlive()) continue;
      const float distance = before.getDistance(previous.getBall());
      if (distance <= maxKickableDistance) {
        log << tag << i + 1 << " is able to kick" << std::endl;
        if (team == TID_OPPONENT) kicker = i;
        ++kickers;
      }
      if (distance < tackleDist && !before.isTackling() && now.isTackling()) {
        log << tag << i + 1 << " is able to kick(tackle)" << std::endl;
        if (team == TID_OPPONENT) kicker = -1;
        ++kickers;
      }
    }
  }

  if (kickers == 0) {
    logLine("OppTypes: WHAT!!!!! ball kicked without kicker");
  } else if (kickers > 1) {
    logLine("OppTypes: many kickers");
  } else if (kicker == -1) {
    logLine("only teammate kickers or opponents tacklers");
  } else if (sure[kicker]) {
    logLine("foundSure = true");
  } else {
    informKick(kicker, previous.getCurTime(), ballAccel);
  }
}

}  // namespace tovren
