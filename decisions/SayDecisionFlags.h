#pragma once

// The two per-agent records that carry a body decision's results to the decisions that
// run after it in the same cycle: what to say (read by the say decision) and how the neck
// moves (read by the head decision). Kept apart from both so that the actions, the body
// decisions and team coordination can write them without depending on their readers.

namespace tovren {

// The say request of the cycle. One per agent, held by the say decision and written
// through references by the actions' execute, team coordination, the set-play kicker
// selection and the hear handler.
struct SayDecisionFlags {
  SayDecisionFlags();

  // Clears the requests of a new cycle; the values read only while their flag is raised
  // (pass direction, speed and weight, suggested receiver, advised kicker) stay.
  void reset();
  // As reset(), but keeps attentionNum: a second body decision in the same cycle must
  // not forget whom the hear handler asked to listen to.
  void decideReset();

  bool beforePass = false;             // a pass or clearance is kicked now: say A
  bool suggestPass = false;            // suggest a pass to the teammate who asked: say C
  float passDir = 0.0f;                // suggested first ball velocity, degrees, field frame
  float passSpeed = 0.0f;              // its speed, metres per cycle
  float passWeight = 0.0f;             // its value, said within -50 to 150
  unsigned int sayInterceptNum = 0;    // receiver (A) or intercept number (Y, Z); 0 none
  unsigned int attentionNum = 0;       // teammate to listen to; 0 lets the say decision choose
  unsigned int suggestedReceiver = 0;  // receiver of the suggested pass
  unsigned int requestPassNum = 0;     // teammate asked for a pass; 0 no request
  bool freeKick = false;               // set-play kicker advice: say F
  unsigned int freeKickAdviceNum = 0;  // uniform number advised as kicker
};

// How the head moves this cycle; held by the head decision, which starts at
// TNM_LOOK_NORMALLY. No writer sets TNM_NONE.
enum TurnNeckMode {
  TNM_NONE = 0,
  TNM_LOOK_BY_BALL_DISTANCE = 1,
  TNM_LOOK_NORMALLY = 2,
  TNM_LOOK_CAREFULLY = 3,
  TNM_LOOK_NORMALLY_TO_BALL = 4,
  TNM_LOOK_CAREFULLY_TO_BALL = 5,
  TNM_LOOK_CAREFULLY_TO_OPP_GOALIE = 6
};

}  // namespace tovren
