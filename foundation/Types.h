#pragma once

// Small enumerations shared by the commands, the world model and the layers above.
// Plain enums: their values are the numbers the messages, logs and tables use.

namespace tovren {

// Which team a player belongs to, seen from the own side.
enum TeamId { TID_TEAMMATE = 0, TID_OPPONENT = 1, TID_UNKNOWN = 2 };

// The field side the server gives in its init answer.
enum Side { SI_LEFT = 0, SI_RIGHT = 1 };

// How far a seen player is identified: neither team nor number, team only, both.
enum PlayerModel { PLM_QUARTER = 0, PLM_HALF = 1, PLM_FULL = 2 };

enum TriAnswer { TA_YES = 0, TA_NO = 1, TA_DONT_KNOW = 2 };

// Half view angles 22.5, 45 and 90 degrees.
enum ViewModeWidth { VMW_NARROW = 0, VMW_NORMAL = 1, VMW_WIDE = 2 };

enum ViewModeQuality { VMQ_LOW = 0, VMQ_HIGH = 1 };

// The referee's play mode relative to the own side: from 4 on, even is ours, odd theirs.
enum PlayMode {
  PM_TIME_UP_WITHOUT_A_TEAM = 0,
  PM_TIME_UP = 1,
  PM_BEFORE_KICK_OFF = 2,
  PM_PLAY_ON = 3,
  PM_OUR_KICK_OFF = 4,
  PM_OPP_KICK_OFF = 5,
  PM_OUR_FREE_KICK = 6,
  PM_OPP_FREE_KICK = 7,
  PM_OUR_KICK_IN = 8,
  PM_OPP_KICK_IN = 9,
  PM_OUR_OFFSIDE = 10,
  PM_OPP_OFFSIDE = 11,
  PM_OUR_GOAL = 12,
  PM_OPP_GOAL = 13,
  PM_OUR_GOAL_KICK = 14,
  PM_OPP_GOAL_KICK = 15,
  PM_OUR_CORNER_KICK = 16,
  PM_OPP_CORNER_KICK = 17,
  PM_OUR_FREE_KICK_FAULT = 18,
  PM_OPP_FREE_KICK_FAULT = 19,
  PM_OUR_CATCH_FAULT = 20,
  PM_OPP_CATCH_FAULT = 21,
  PM_OUR_BACK_PASS = 22,
  PM_OPP_BACK_PASS = 23,
  PM_OUR_PENALTY_SETUP = 24,
  PM_OPP_PENALTY_SETUP = 25,
  PM_OUR_PENALTY_READY = 26,
  PM_OPP_PENALTY_READY = 27
};

// Refinements kept beside the play mode; pairs from 5 on are ours/theirs.
enum VirtualPlayMode {
  VPM_NONE = 0,
  VPM_DROP_BALL = 1,
  VPM_HALF_TIME = 2,
  VPM_TIME_EXTENDED = 3,
  VPM_PENALTY_DRAW = 4,
  VPM_OUR_GOALIE_CATCH_BALL = 5,
  VPM_OPP_GOALIE_CATCH_BALL = 6,
  VPM_GOAL_KICK_TAKEN = 7,
  VPM_OUR_FOUL = 8,
  VPM_OPP_FOUL = 9,
  VPM_OUR_PENALTY_ONFIELD = 10,
  VPM_OPP_PENALTY_ONFIELD = 11,
  VPM_OUR_PENALTY_MISS = 12,
  VPM_OPP_PENALTY_MISS = 13,
  VPM_OUR_PENALTY_SCORE = 14,
  VPM_OPP_PENALTY_SCORE = 15,
  VPM_OUR_PENALTY_WINNER = 16,
  VPM_OPP_PENALTY_WINNER = 17,
  VPM_OUR_PENALTY_FOUL = 18,
  VPM_OPP_PENALTY_FOUL = 19,
  VPM_OUR_PENALTY_TAKEN = 20,
  VPM_OPP_PENALTY_TAKEN = 21,
  VPM_OUR_INDIRECT_FREE_KICK = 22,
  VPM_OPP_INDIRECT_FREE_KICK = 23
};

// Who can kick the ball now or will reach it first (BODY the agent, TMM a teammate,
// OPP an opponent).
enum BallStatus {
  BS_NONE = 0,
  BS_KICKABLE_TMM = 1,
  BS_KICKABLE_OPP = 2,
  BS_KICKABLE_BODY = 3,
  BS_KICKABLE_TMM_OPP = 4,
  BS_KICKABLE_BODY_TMM = 5,
  BS_KICKABLE_BODY_OPP = 6,
  BS_FreeBall = 7,
  BS_FREE_BALL_TMM = 8,
  BS_FREE_BALL_OPP = 9,
  BS_FREE_BALL_BODY = 10,
  BS_FREE_BALL_TMM_OPP = 11,
  BS_FREE_BALL_BODY_TMM = 12,
  BS_FREE_BALL_BODY_OPP = 13
};

}  // namespace tovren
