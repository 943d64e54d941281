// A read receipt on the message server: it marks the mail it names read in the reader's mailbox
// and is delivered to nobody (no empty-subject row in the adviser's inbox).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/MessageRequests.h"
#include "tests/testserver/TestClient.h"
#include "testserver/TestServer.h"

namespace {

using testserver::Role;

TEST(MailReceipt, AReadReceiptMarksItsSourceReadAndReachesNobody) {
  testserver::TestServer server(testserver::ServerOptions::Ephemeral());
  ASSERT_TRUE(server.start());
  const std::string user = GetLoginUserName(), password = GetLoginPassword();
  const std::string reader = "receipt-reader";
  server.startMailboxEmpty(reader);
  server.startMailboxEmpty("9001");
  testserver::Message mail;
  mail.from = "9001";
  mail.to = reader;
  mail.title = "本周策略";
  mail.content = "请查收本周策略。";
  const int64_t id = server.putMessage(reader, mail);
  testserver::Message other = mail;
  other.title = "另一封";
  const int64_t otherId = server.putMessage(reader, other);
  const size_t adviserHeld = server.mailbox("9001").size();

  // The message centre's receipt: no title or content, type 1, the mail's "id,typeid" as source.
  SetLoginInfo(reader.c_str(), "");
  const std::string source = std::to_string(id) + ",0";
  QueueCapture capture;
  MakeRequest_MessageSendXml(GlobalDataRequest(), 0, 77, nullptr, "9001", nullptr, nullptr, 1,
                             source.c_str(), nullptr, nullptr, nullptr, 24);
  const auto packets = capture.take(SendQueueKind::Message);
  SetLoginInfo(user.c_str(), password.c_str());
  ASSERT_EQ(packets.size(), 1u);
  TestClient client(server.port(Role::Message));
  ASSERT_TRUE(client.send(packets[0]));
  const Reply answer = client.receiveReply();
  ASSERT_TRUE(answer.ok);
  EXPECT_FALSE(answer.error());

  EXPECT_EQ(server.mailbox("9001").size(), adviserHeld);
  for (const testserver::Message& m : server.mailbox(reader)) {
    if (m.id == id) {
      EXPECT_TRUE(m.read);
    }
    if (m.id == otherId) {
      EXPECT_FALSE(m.read);
    }
  }
  // A mail of another type is still delivered.
  SetLoginInfo(reader.c_str(), "");
  QueueCapture second;
  MakeRequest_MessageSendXml(GlobalDataRequest(), 0, 78, nullptr, "9001", "回复", "收到。", 2,
                             source.c_str(), nullptr, nullptr, nullptr, 24);
  const auto reply = second.take(SendQueueKind::Message);
  SetLoginInfo(user.c_str(), password.c_str());
  ASSERT_EQ(reply.size(), 1u);
  ASSERT_TRUE(client.send(reply[0]));
  ASSERT_TRUE(client.receiveReply().ok);
  EXPECT_EQ(server.mailbox("9001").size(), adviserHeld + 1);
  server.stop();
}

}  // namespace
