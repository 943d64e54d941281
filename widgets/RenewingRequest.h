// What a screen shows from a server, kept current by itself. Every screen that asks a server for
// the figures or pages it shows holds one as a member and sends through it:
//
//   RenewingRequest live_{ui::WhileAlive(this, &Screen::requestData)};   // how it asks again
//   void Screen::requestData() {
//     live_.begin();                                  // a new round: earlier answers are dropped
//     MakeRequest_X(..., live_.send(GlobalDataRequest()), ...);    // each part of the round
//   }
//   void Screen::recvmsg(...) {
//     if (!live_.takes(reply.requestCode())) return;  // another item's, or an earlier request's
//     if (reply.header.isError()) { live_.failed(); return; }   // the page stays, asks again
//     live_.answered(reply.requestCode());
//     show(reply);
//   }
//   void Screen::viewWillDisappear(bool) { live_.stop(); }
//
// A screen knows whether it holds a current answer (current()): the answer to every part of its
// latest round. While it does not, it asks again by itself: after an error answer, when no answer
// came within the time-out (a stalled server, a connection that dropped or refused), each time a
// little later (a back-off), until an answer comes. What the screen shows stays meanwhile. Only
// the parts of the latest round are taken: the late answer of an earlier round, or of the item
// shown before, changes nothing. A request that still waits for its connection is taken out of
// the send queue when a new round replaces it, so that it never goes out twice.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"

class CDataRequest;

// Seconds. The time-out and the longest back-off stay well inside the 10 s in which a screen
// must come back once the server answers again.
struct RenewTiming {
  double timeout = 6;       // no answer this long: the round failed
  double firstRetry = 0.5;  // the first asking again after a failure
  double longestRetry = 3;  // the back-off doubles up to this
};

class RenewingRequest {
 public:
  using Timing = RenewTiming;

  RenewingRequest() = default;
  explicit RenewingRequest(std::function<void()> ask);
  RenewingRequest(std::function<void()> ask, Timing timing);
  RenewingRequest(const RenewingRequest&) = delete;
  RenewingRequest& operator=(const RenewingRequest&) = delete;
  ~RenewingRequest();

  // How the screen asks again (its request function, which calls begin and send).
  void setAsk(std::function<void()> ask);
  void setTiming(Timing timing) { state_->timing = timing; }

  // --- One round ---
  // A new round: the codes of earlier rounds are no longer taken (those still queued for a
  // connection are withdrawn), a scheduled asking again is cancelled and the time-out starts.
  void begin();
  // A part of the round: draws its code from the request object's counter (0, nothing waited
  // for, without one) and waits for its answer.
  uint16_t send(CDataRequest* request);
  // A part whose code was drawn elsewhere.
  uint16_t expect(uint16_t code);
  // The answer (or push) with that code belongs to the latest round.
  bool takes(uint16_t code) const;
  // The answer of that part was taken and shown; once every part is answered the screen holds a
  // current answer and the time-out stops. The back-off starts again from its first step.
  void answered(uint16_t code);
  // Every part at once (a round whose parts all come in one answer).
  void answered();
  // The round failed (an error answer, an answer that does not decode, a refusal): what is shown
  // stays, the codes stay taken (a late answer is still welcome) and the screen asks again after
  // the back-off.
  void failed();
  // The screen goes out of sight or away: no time-out, no asking again. Its next appearance
  // asks with a new round.
  void stop();
  // Forgets the answer held: the screen shows another item now and asks for it.
  void reset();

  // --- What the screen holds ---
  // The answer to every part of the latest round came.
  bool current() const { return state_->current; }
  // That part of the latest round has not been answered yet.
  bool awaits(uint16_t code) const;
  // A round is under way, or a failed one waits to ask again.
  bool active() const { return state_->active; }
  // Times the screen asked again by itself (after failures and time-outs).
  int renewals() const { return state_->renewals; }
  // Seconds (Clock::now) since when the screen has not held a current answer; 0 while it holds one.
  double notCurrentSince() const { return state_->current ? 0 : state_->notCurrentSince; }

 private:
  struct State {
    Timing timing;
    std::function<void()> ask;
    std::vector<uint16_t> codes;     // the parts of the latest round
    std::vector<uint16_t> waiting;   // those not answered yet
    std::shared_ptr<foundation::Timer> timer;  // the time-out or the asking again
    double retry = 0;                // the next back-off
    double notCurrentSince = 0;
    bool current = false;
    bool active = false;
    int renewals = 0;
  };
  static void armTimeOut(const std::shared_ptr<State>& s);
  static void scheduleAgain(const std::shared_ptr<State>& s);
  static void cancelTimer(State& s);

  std::shared_ptr<State> state_ = std::make_shared<State>();
};
