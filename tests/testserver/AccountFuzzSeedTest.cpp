// Records the test server's answers to the account screens as seeds of the fuzz_account_*
// targets (see FuzzSeedTest.cpp for the layout and VERDAN_FUZZ_SEED_DIR).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/LoginRequests.h"
#include "core/PacketHeader.h"
#include "tests/testserver/TestClient.h"
#include "testserver/TestServer.h"

using testserver::Role;

namespace {

using Bytes = std::vector<uint8_t>;

// One seed: the reader byte, the header as a receive record holds it, the decoded body.
Bytes Seed(uint8_t reader, const Reply& r) {
  PacketHeader h = r.header;
  h.flags &= 0x40;
  h.bodyLen = static_cast<uint16_t>(r.body.size());
  Bytes out(1 + kPacketHeaderSize);
  out[0] = reader;
  h.Write(out.data() + 1);
  out.insert(out.end(), r.body.begin(), r.body.end());
  return out;
}

void Write(const std::string& dir, const std::string& target, const std::string& name,
           const Bytes& bytes) {
  std::filesystem::create_directories(dir + "/" + target);
  std::ofstream out(dir + "/" + target + "/" + name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST(FuzzSeeds, AccountScreensGetSeedsFromTheServersAnswers) {
  const char* wanted = std::getenv("VERDAN_FUZZ_SEED_DIR");
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() /
      ("verdan-account-seeds-" + std::to_string(::getpid()));
  const std::string dir = wanted ? std::string(wanted) : scratch.string();

  testserver::TestServer server(testserver::ServerOptions::Ephemeral());
  ASSERT_TRUE(server.start());
  uint8_t buf[2048];
  TestClient auth(server.port(Role::Auth));
  ASSERT_TRUE(auth.connected());

  int n = MakeRequest_Register(0, 0, 2, "seeduser", buf, sizeof buf);
  Reply registered = auth.ask(buf, n);
  ASSERT_TRUE(registered.ok);
  Write(dir, "account_login", "register", Seed(0, registered));
  n = MakeRequest_GetPwd(0, 0, 2, "", buf, sizeof buf);
  Reply refused = auth.ask(buf, n);
  ASSERT_TRUE(refused.ok);
  EXPECT_TRUE(refused.error());
  Write(dir, "account_login", "password-error", Seed(0, refused));
  const char wantedFields[] = {26, 27, 30, 0};
  n = MakeRequest_42(0, 5, 2, 1001, 2, buf, sizeof buf, wantedFields);
  Reply info = auth.ask(buf, n);
  ASSERT_TRUE(info.ok);
  Write(dir, "account_login", "broker-info", Seed(0, info));
  server.setBrokerInfoWithoutPhone(true);
  info = auth.ask(buf, n);
  ASSERT_TRUE(info.ok);
  Write(dir, "account_login", "broker-info-no-phone", Seed(0, info));

  TestClient quote(server.port(Role::Quote));
  ASSERT_TRUE(quote.connected());
  Reply login = AskGuestQuoteLogin(quote);
  ASSERT_TRUE(login.ok);
  Write(dir, "account_login", "quote-login", Seed(1, login));
  server.setLoginNotice("系统公告");
  server.setUpgradeOffer("新版本说明", "http://127.0.0.1/update");
  server.setQuoteLoginNotAccepted(1);
  login = AskGuestQuoteLogin(quote);
  ASSERT_TRUE(login.ok);
  Write(dir, "account_login", "quote-login-notice", Seed(1, login));
  server.stop();

  const std::filesystem::path committed =
      std::filesystem::path(VERDAN_SOURCE_DIR) / "tests/data/fuzz/account_login";
  EXPECT_TRUE(std::filesystem::is_directory(committed) && !std::filesystem::is_empty(committed));
  std::error_code ec;
  std::filesystem::remove_all(scratch, ec);
}
