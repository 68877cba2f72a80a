#pragma once

#include "agent/BasicAgent.h"
#include "foundation/Types.h"

#include <optional>
#include <set>
#include <string>

namespace tovren {

// Keeps the player in step with the server's cycle: the cycle flags, the predicted
// arrival of the next see, the loss verdicts of last cycle's commands, and the four
// decisions that the decision layer fills. Abstract.
class SyncedAgent : public BasicAgent {
 public:
  SyncedAgent(int argc, char** argv);
  ~SyncedAgent() override;

  // "End of cycle." in "MainLog" and the cycle's "EndInf: " record in "OfflineLog":
  // body command decided, body command sent, head command decided, head command sent.
  void logEndInf() override;
  // Judges last cycle's commands from the body's command counters: executed, lost, or
  // never sent; adopts the command of the cycle before when the server executed it late.
  void checkForLosts() override;
  bool isBodyCycleCommandLost() const override { return bodyCycleCommandLost; }
  bool isHeadCycleCommandLost() const override { return headCycleCommandLost; }

  // After the base: the see prediction is corrected for a lost change_view, last
  // cycle's body command moves to lastBodyCycleCommand, the other slots are freed, the
  // cycle flags start afresh and the prediction moves into the new cycle.
  void senseBody(const SExpression& message) override;
  // After the base: the cycle's see has arrived and predicts the next one.
  void see(const SExpression& message) override;
  // After the base: the timing steps are read again at their next use.
  void serverParam(const SExpression& message) override;

  // Lets the decision layer fill the slots as far as the see timing allows and sends
  // what is ready and not yet sent, in one datagram: body, turn_neck, change_view, say,
  // attentionto, pointto. Always true.
  bool decide() override;
  // At every alarm: sends what is late for the cycle (the see overdue, or 90% of the
  // cycle gone), deciding the head group on the spot; false once no sense_body has come
  // for more than 9990 ms.
  bool synchronize() override;

  // The decisions of the decision layer, each filling its slots.
  virtual void sayDecide() = 0;
  virtual void headDecide() = 0;
  virtual void pointToDecide() = 0;
  // Fills bodyCycleCommand; true when the ball is nearer than 7.5 metres.
  virtual bool bodyDecide(int quickLevel) = 0;

  // Arrival of the last see (ms into the cycle, negative for an earlier cycle), derived
  // from the prediction and the view width in force; 0 for an unknown width.
  int getLastSeeReceiveMS() const;
  // The view width that keeps the see in step with the cycle: normal or narrow for a
  // narrow view, narrow or normal for a normal view, narrow or wide for a wide view.
  ViewModeWidth getSyncedNarrow() const;
  ViewModeWidth getSyncedNormal() const;
  ViewModeWidth getSyncedWide() const;

  // The prediction moves into the new cycle: back by one cycle length.
  void setSeeReceiveMSAfterSenseBody();
  // The next see comes one period of the width in force after this one.
  void setSeeReceiveMSAfterSee();
  // A change_view went out: the next see comes one period of its width after the last
  // see. Anything but a change_view changes nothing.
  void setSeeReceiveMSAfterChangeView(const Command* command);
  // Last cycle's change_view was lost with its head command: the prediction moves one
  // period of its width back from the last see.
  void recoverSeeReceiveMSAfterChangeView(const Command* command);
  // 1 from 60% of the cycle on, when expensive actions reuse earlier values; else 0.
  int getQuickLevel() const;
  // True once the cycle clock is past its length less 2 ms.
  bool isLateForSending() const;

  int getSeeReceiveMS() const { return seeReceiveMS; }
  void setSeeReceiveMS(int value) { seeReceiveMS = value; }
  bool isSeeReceived() const { return seeReceived; }
  void setSeeReceived(bool value) { seeReceived = value; }
  bool isSenseBodyReceived() const { return senseBodyReceived; }
  void setSenseBodyReceived(bool value) { senseBodyReceived = value; }
  bool isQuickDecide() const { return quickDecide; }
  void setQuickDecide(bool value) { quickDecide = value; }
  bool isBodyCycleCommandSent() const { return bodyCycleCommandSent; }
  void setBodyCycleCommandSent(bool value) { bodyCycleCommandSent = value; }
  bool isHeadCycleCommandSent() const { return headCycleCommandSent; }
  void setHeadCycleCommandSent(bool value) { headCycleCommandSent = value; }
  void setBodyCycleCommandLost(bool value) { bodyCycleCommandLost = value; }
  void setHeadCycleCommandLost(bool value) { headCycleCommandLost = value; }

 protected:
  // The cycle length in ms: "sense_body_step" times "slow_down_factor", truncated.
  // Parameters the server has not given count as 100 and 1, each logged once.
  int getCycleLength() const;
  // The see period of a view width in ms; 0 for a width outside narrow to wide. It
  // rests on "send_step" times "slow_down_factor" (150 and 1 when not given).
  int getSeePeriod(ViewModeWidth width) const;

  // Predicted arrival of the next see, in ms from the start of the current cycle.
  int seeReceiveMS = 0;
  bool seeReceived = false;
  // Set at the first sense_body and never cleared.
  bool senseBodyReceived = false;
  // The body decision was made before the see and is to be made again when it arrives.
  bool quickDecide = false;
  bool bodyCycleCommandSent = false;
  bool headCycleCommandSent = false;
  bool bodyCycleCommandLost = false;
  bool headCycleCommandLost = false;

 private:
  // A server step (ms) times the slow-down factor, truncated; the fallback when the
  // product is no believable period.
  int getScaledStep(const char* name, float fallback) const;
  // The server parameter as a float, or the fallback (logged once) when it is missing.
  float getTimingParam(const char* name, float fallback) const;
  // Writes the line once per subject.
  void logFallbackOnce(const std::string& subject, float fallback) const;
  // True when commands not yet sent are late for the cycle.
  bool isEmergency() const;
  // Appends the text of a command, if there is one, in the form the server obeys: a
  // backward dash goes out by its direction where negative powers are clamped away.
  void appendText(std::string& text, const std::unique_ptr<Command>& command) const;
  // Sends the text as one datagram and logs it; an empty text sends nothing.
  void sendText(const std::string& text);

  // The fallbacks already logged.
  mutable std::set<std::string> loggedFallbacks;
  // The scaled steps of the cycle and of the see, read at their first use after each
  // server_param: the alarm asks for them every 10 ms.
  mutable std::optional<int> cycleLength;
  mutable std::optional<int> seeStep;
};

}  // namespace tovren
