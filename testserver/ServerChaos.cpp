// Replies held back (the Hold fault, and the chaos mode's late answers) and the chaos mode: a
// seeded server that misbehaves at random with the misbehaviours the faults give one at a time,
// so that a random walk meets stalls, drops, late answers, refusals and error answers in every
// screen. The same seed makes the same choices for the same order of requests.
#include <algorithm>
#include <random>

#include "core/MessageTypes.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "testserver/ServerCore.h"

namespace testserver {

namespace {

// Out of 1000 requests of the client's connections (heartbeats and HTTP pages aside).
constexpr int kStallPerMille = 35;    // read, never answered
constexpr int kLatePerMille = 35;     // answered after several later requests
constexpr int kErrorPerMille = 35;    // an error answer, with or without the user-text marker
constexpr int kDropPerMille = 20;     // the connection closed instead of answered
constexpr int kHalfPerMille = 15;     // half the answer, then closed
constexpr int kRefusePerMille = 10;   // closed, and the role's port refuses connects a while

// A late answer waits for this many later requests of its role: the client asks the quote
// server several times a second while a screen is open, so it comes seconds to minutes late.
constexpr int kLateFewest = 4;
constexpr int kLateMost = 60;
// A late answer nobody's requests release goes out after this long all the same.
constexpr double kLateLongest = 90;
constexpr double kRefuseShortest = 1;
constexpr double kRefuseLongest = 6;

const char* const kChaosTexts[] = {"服务器繁忙，请稍后再试", "系统维护中", "请求失败"};

}  // namespace

struct ServerCore::ChaosState {
  explicit ChaosState(uint64_t seed) : random(seed) {}
  std::mt19937_64 random;
  std::array<double, kRoleCount> reopenAt{};  // 0: listening
  std::array<uint64_t, kRoleCount> requests{};
  uint64_t faults = 0;

  int perMille() { return static_cast<int>(random() % 1000); }
  int between(int low, int high) {
    return low + static_cast<int>(random() % static_cast<uint64_t>(high - low + 1));
  }
};

void ServerCore::holdReply(Connection& c, std::vector<uint8_t> packet, int laterRequests) {
  held_.push_back(HeldReply{c.id, c.role, std::move(packet), laterRequests,
                            foundation::Clock::now()});
}

void ServerCore::sendHeld(size_t index) {
  HeldReply h = std::move(held_[index]);
  held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(index));
  auto it = conns_.find(h.connection);
  if (it != conns_.end() && !it->second->closed) sendRaw(*it->second, h.packet);
}

void ServerCore::releaseHeld(Role r) {
  for (size_t i = 0; i < held_.size();) {
    if (held_[i].role == r)
      sendHeld(i);
    else
      ++i;
  }
}

bool ServerCore::chaosTakes(Connection& c, const Request& req) {
  chaosReply_ = 0;
  if (!chaos_) {
    if (options_.chaosSeed == 0) return false;
    chaos_ = std::make_shared<ChaosState>(options_.chaosSeed);
  }
  const int role = static_cast<int>(c.role);
  ++chaos_->requests[static_cast<size_t>(role)];
  // Late answers of this role move one request nearer.
  for (size_t i = 0; i < held_.size();) {
    HeldReply& h = held_[i];
    if (h.role == c.role && h.laterRequests > 0 && --h.laterRequests == 0)
      sendHeld(i);
    else
      ++i;
  }
  if (req.header.MainType == kMainTypeHeartbeat) return false;

  int roll = chaos_->perMille();
  auto next = [&roll](int share) {
    const bool hit = roll < share;
    roll -= share;
    return hit;
  };
  if (next(kStallPerMille)) {
    chaosReply_ = 1;
  } else if (next(kLatePerMille)) {
    chaosReply_ = 2;
  } else if (next(kErrorPerMille)) {
    ++chaos_->faults;
    const char* text = kChaosTexts[chaos_->random() % std::size(kChaosTexts)];
    foundation::logInfo("testserver chaos %s: error answer to [%d,%d]", RoleName(c.role),
                        req.header.MainType, req.header.ChildType);
    replyError(c, req, text, chaos_->random() % 2 == 0);
    return true;
  } else if (next(kDropPerMille)) {
    ++chaos_->faults;
    foundation::logInfo("testserver chaos %s: connection dropped at [%d,%d]", RoleName(c.role),
                        req.header.MainType, req.header.ChildType);
    close(c);
    return true;
  } else if (next(kHalfPerMille)) {
    chaosReply_ = 3;
  } else if (next(kRefusePerMille) && c.role != Role::Http) {
    ++chaos_->faults;
    const double seconds =
        kRefuseShortest + (kRefuseLongest - kRefuseShortest) *
                              static_cast<double>(chaos_->random() % 1000) / 1000.0;
    foundation::logInfo("testserver chaos %s: refusing connects for %.1f s", RoleName(c.role),
                        seconds);
    if (listeners_[static_cast<size_t>(role)]) listeners_[static_cast<size_t>(role)]->pause();
    chaos_->reopenAt[static_cast<size_t>(role)] = foundation::Clock::now() + seconds;
    close(c);
    return true;
  }
  if (chaosReply_ != 0) {
    ++chaos_->faults;
    static const char* const kNames[] = {"", "stalled", "held back", "cut in half"};
    foundation::logInfo("testserver chaos %s: answer to [%d,%d] %s", RoleName(c.role),
                        req.header.MainType, req.header.ChildType, kNames[chaosReply_]);
  }
  return false;
}

bool ServerCore::chaosKeeps(Connection& c, std::vector<uint8_t>& packet) {
  if (chaosReply_ == 0 || !chaos_) return false;
  if (chaosReply_ == 1) return true;
  if (chaosReply_ == 3) {
    std::vector<uint8_t> half(packet.begin(),
                              packet.begin() + static_cast<std::ptrdiff_t>(
                                                   std::max<size_t>(1, packet.size() / 2)));
    sendRaw(c, half);
    closeAfterSend(c);
    return true;
  }
  holdReply(c, std::move(packet), chaos_->between(kLateFewest, kLateMost));
  return true;
}

void ServerCore::chaosHousekeeping() {
  const double now = foundation::Clock::now();
  // The whole server away a while: what a client meets when its server stops and starts again.
  if (options_.awaySeconds > 0) {
    if (awayFrom_ < 0) awayFrom_ = now;
    const double t = now - awayFrom_;
    const bool away = t >= options_.awayAt && t < options_.awayAt + options_.awaySeconds;
    if (away) {
      if (!away_) foundation::logInfo("testserver: away for %.0f s", options_.awaySeconds);
      for (auto& listener : listeners_)
        if (listener) listener->pause();
      for (auto& [id, c] : conns_)
        if (!c->closed) close(*c);
    } else if (away_) {
      foundation::logInfo("testserver: back");
      for (int r = 0; r < kRoleCount; ++r) openListener(static_cast<Role>(r));
    }
    away_ = away;
  }
  if (!chaos_) return;
  for (int r = 0; r < kRoleCount; ++r) {
    double& at = chaos_->reopenAt[static_cast<size_t>(r)];
    if (at > 0 && now >= at && !away_) {
      at = 0;
      openListener(static_cast<Role>(r));
    }
  }
  // A late answer goes out at last when no later request released it.
  for (size_t i = 0; i < held_.size();) {
    if (held_[i].laterRequests > 0 && now - held_[i].since >= kLateLongest)
      sendHeld(i);
    else
      ++i;
  }
}

}  // namespace testserver
