// Seeds of the price-alert readings' fuzz target from the test server's answers: the stored
// setting (150/3), the permission (150/8), and the settings list (150/2) and received alerts
// (150/6) whole and in parts. With VERDAN_FUZZ_SEED_DIR set the committed seeds are refreshed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/DataRequest.h"
#include "core/PriceAlertRequests.h"
#include "tests/testserver/TestClient.h"
#include "testserver/TestServer.h"

using testserver::Role;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr char kTarget[] = "price_alert_replies";

// A packet as the target reads it: the header with the body's length, then the body.
Bytes Packet(const Reply& r) {
  PacketHeader h = r.header;
  h.flags &= 0x40;
  h.bodyLen = static_cast<uint16_t>(r.body.size());
  Bytes out(kPacketHeaderSize);
  h.Write(out.data());
  out.insert(out.end(), r.body.begin(), r.body.end());
  return out;
}

class PriceAlertSeeds {
 public:
  explicit PriceAlertSeeds(std::string dir) : dir_(std::move(dir) + "/" + kTarget) {
    std::filesystem::create_directories(dir_);
  }
  void add(const std::string& name, uint8_t mode, const std::vector<Reply>& replies) {
    Bytes bytes{mode};
    for (const Reply& r : replies) {
      Bytes p = Packet(r);
      bytes.insert(bytes.end(), p.begin(), p.end());
    }
    std::ofstream out(dir_ + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ++count;
  }
  int count = 0;

 private:
  std::string dir_;
};

class Asker {
 public:
  explicit Asker(testserver::TestServer& server) : client_(server.port(Role::PriceAlert)) {}
  bool connected() const { return client_.connected(); }
  // Sends what the builder queued and collects `parts` packets of the answer.
  std::vector<Reply> ask(const std::function<void()>& build, int parts = 1) {
    QueueCapture capture;
    build();
    for (const Bytes& p : capture.take(SendQueueKind::PriceNotification))
      EXPECT_TRUE(client_.send(p));
    std::vector<Reply> out;
    for (int i = 0; i < parts; ++i) {
      Reply r = client_.receiveReply();
      EXPECT_TRUE(r.ok);
      if (!r.ok) break;
      out.push_back(r);
    }
    return out;
  }

 private:
  TestClient client_;
};

void RecordPriceAlert(PriceAlertSeeds& seeds) {
  auto options = testserver::ServerOptions::Ephemeral();
  options.date = 20151217;
  options.minute = 10 * 60 + 30;
  testserver::TestServer server(options);
  ASSERT_TRUE(server.start());
  Asker pa(server);
  ASSERT_TRUE(pa.connected());
  CDataRequest* rq = GlobalDataRequest();

  seeds.add("permission", 0, pa.ask([&] { MakeRequest_PriceNotificationAuthority(rq, 0, 1, 50); }));
  seeds.add("stored-setting", 0,
            pa.ask([&] { MakeRequest_PriceNotificationGetSetting(rq, 0, 2, 1, "600000", 52); }));
  seeds.add("no-setting", 0,
            pa.ask([&] { MakeRequest_PriceNotificationGetSetting(rq, 0, 3, 1, "600003", 52); }));
  for (const char* code : {"600003", "600006", "600009"}) {
    pa.ask([&] {
      MakeRequest_PriceNotificationUploadSetting(rq, 0, 4, 1, code, "股票", 1, 3, 10000, 0, 0, 52);
    });
  }
  seeds.add("settings", 1, pa.ask([&] { MakeRequest_PriceNotificationSettingList(rq, 0, 5, 53); }));
  seeds.add("alerts", 2, pa.ask([&] { MakeRequest_PriceNotificationList(rq, 0, 6, 0, 200, 51); }));
  server.splitReplies(150, 2, 3);
  server.splitReplies(150, 6, 3);
  auto parts = pa.ask([&] { MakeRequest_PriceNotificationSettingList(rq, 0, 7, 53); }, 3);
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[2].header.PackageNo, 2);
  seeds.add("settings-in-parts", 1, parts);
  parts = pa.ask([&] { MakeRequest_PriceNotificationList(rq, 0, 8, 0, 200, 51); }, 3);
  ASSERT_EQ(parts.size(), 3u);
  seeds.add("alerts-in-parts", 2, parts);
  server.stop();
}

}  // namespace

TEST(FuzzSeeds, PriceAlertRepliesGetSeedsFromTheServersAnswers) {
  const char* wanted = std::getenv("VERDAN_FUZZ_SEED_DIR");
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("verdan-pa-seeds-" + std::to_string(::getpid()));
  PriceAlertSeeds seeds(wanted ? std::string(wanted) : scratch.string());
  RecordPriceAlert(seeds);
  EXPECT_EQ(seeds.count, 7);
  const std::filesystem::path committed =
      std::filesystem::path(VERDAN_SOURCE_DIR) / "tests/data/fuzz" / kTarget;
  EXPECT_TRUE(std::filesystem::exists(committed / "settings-in-parts")) << committed;
  std::error_code ec;
  std::filesystem::remove_all(scratch, ec);
}
