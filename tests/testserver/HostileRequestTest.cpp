// Requests of every main and child type with bodies that are too short, random or oversized
// must get answers (or be dropped) without the server losing its footing.
#include <gtest/gtest.h>

#include <random>

#include "core/DataEncrypt.h"
#include "core/PacketHeader.h"
#include "tests/testserver/TestClient.h"
#include "testserver/TestServer.h"

using testserver::Role;

namespace {

// One case per channel, so that a sharded run spreads the channels over its shards.
class HostileRequests : public ::testing::TestWithParam<Role> {};

TEST_P(HostileRequests, EveryTypeWithBadBodiesLeavesTheServerAnswering) {
  const Role role = GetParam();
  auto o = testserver::ServerOptions::Ephemeral();
  o.date = 20151217;
  o.minute = 600;
  testserver::TestServer server(o);
  ASSERT_TRUE(server.start());
  std::mt19937 rng(12345 + static_cast<unsigned>(role));
  const int sizes[] = {0, 7, 64, 700};
  TestClient c(server.port(role));
  ASSERT_TRUE(c.connected());
  // The trade channel answers under request key 2 until a key exchange replaces it.
  if (role == Role::Trade) c.setKey(kRequestKey2);
  uint16_t code = 1;
  for (uint8_t main : {144, 145, 146, 150}) {
    for (int child = 0; child < 256; ++child) {
      if (role == Role::Trade && main == 146 && child == 0) continue;  // would change the key
      for (int size : sizes) {
        std::vector<uint8_t> packet(16 + size);
        for (int i = 0; i < size; ++i) packet[16 + i] = static_cast<uint8_t>(rng());
        // Small first bytes make counts and field tables look plausible.
        if (size > 0) packet[16] %= 4;
        int len = MakeRequest(main, static_cast<uint8_t>(child), 13, 0, code++, packet.data(), size);
        ASSERT_TRUE(c.send(packet.data(), len));
      }
    }
    // Keep the socket buffers from filling: a heartbeat marks the end of this batch.
    uint8_t hb[16];
    MakeRequest(0, 0, 0, 0, 0, hb, 0);
    ASSERT_TRUE(c.send(hb, 16));
    for (;;) {
      Reply r = c.receive(10.0);
      ASSERT_TRUE(r.ok) << "main " << int(main);
      if (r.header.MainType == 0) break;
    }
  }
  EXPECT_GT(server.requestCount(), 4u * 255 * 4);
}

INSTANTIATE_TEST_SUITE_P(EveryChannel, HostileRequests,
                         ::testing::Values(Role::Auth, Role::Quote, Role::Verify, Role::Trade,
                                           Role::Message, Role::PriceAlert),
                         [](const ::testing::TestParamInfo<Role>& channel) {
                           return std::string(testserver::RoleName(channel.param));
                         });

}  // namespace
