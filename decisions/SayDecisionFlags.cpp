#include "decisions/SayDecisionFlags.h"

namespace tovren {

SayDecisionFlags::SayDecisionFlags() { reset(); }

void SayDecisionFlags::reset() {
  decideReset();
  attentionNum = 0;
}

void SayDecisionFlags::decideReset() {
  beforePass = false;
  suggestPass = false;
  freeKick = false;
  sayInterceptNum = 0;
  requestPassNum = 0;
}

}  // namespace tovren
