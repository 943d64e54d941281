// Records the seeds of the messaging fuzz targets from the test server's real answers:
//   VERDAN_FUZZ_SEED_DIR=$PWD/tests/data/fuzz build-asan/tests/messaging/test_messaging
//   --gtest_filter=MessagingFuzzSeeds.*
// Without the variable the tests only check that the answers were seen.
#include <cstdlib>
#include <fstream>

#include "core/DataRequest.h"
#include "core/InfoRequests.h"
#include "core/MessageRequests.h"
#include "core/QuoteRequests.h"
#include "core/ReceiveRecord.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MyMessage.h"
#include "platform/foundation/PropertyList.h"
#include "tests/messaging/MessagingTestSupport.h"

namespace startuptest {
namespace {

void WriteSeed(const std::string& target, const std::string& name, const std::string& bytes) {
  const char* dir = std::getenv("VERDAN_FUZZ_SEED_DIR");
  if (!dir || !*dir) return;
  std::filesystem::create_directories(std::filesystem::path(dir) / target);
  std::ofstream out(std::filesystem::path(dir) / target / name, std::ios::binary);
  out << bytes;
}

std::string Chunk(uint8_t no, uint8_t num, const std::string& body) {
  std::string out;
  out += static_cast<char>(no);
  out += static_cast<char>(num);
  out += static_cast<char>(body.size() & 0xFF);
  out += static_cast<char>((body.size() >> 8) & 0xFF);
  return out + body;
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  foundation::readWholeFile(path, bytes);
  return bytes;
}

class MessagingFuzzSeeds : public messagingtest::MessageCentreTest {};

TEST_F(MessagingFuzzSeeds, StoreFilesAndContentAnswers) {
  // Content answers as the centre receives them: {PackageNo, PackageNum, length, body} each.
  std::vector<std::string> contents;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "MyMessage", [&](const foundation::Notification& n) {
        ReceiveRecordView view;
        if (!ReceiveRecordView::From(n, view) || view.header.ChildType != 101) return;
        if (view.header.PackageNo == 0) contents.emplace_back();
        if (contents.empty()) return;
        contents.back() += Chunk(view.header.PackageNo, view.header.PackageNum,
                                 std::string(reinterpret_cast<const char*>(view.body),
                                             static_cast<size_t>(view.bodyLen)));
      });
  Launch([&] { SetLoginInfo("zhang", "secret"); });
  ASSERT_TRUE(LoggedInAndShown());
  ASSERT_TRUE(WaitFor([&] { return contents.size() >= 4; })) << "the seeded mailbox";
  Settle();
  server->splitReplies(144, 101, 3);
  testserver::Message m;
  m.from = "9001";
  m.title = "三段";
  m.content = std::string(600, 'x');
  m.goldcode = "600000";
  m.producttype = "p";
  m.ext1 = "e";
  m.taskid = "7";
  m.taskstatus = "0";
  server->putMessage("zhang", m);
  advance(MessageServer::kPollSeconds);
  ASSERT_TRUE(WaitFor([&] { return contents.size() >= 5; }));
  Settle();
  foundation::NotificationCenter::defaultCenter().post(
      "notification_saveSendMessage", nullptr,
      foundation::Value(foundation::Dictionary{
          {"sendMessageKey_recivers", foundation::Value("9001;9002")},
          {"sendMessageKey_showRecivers", foundation::Value("王明;李华")},
          {"sendMessageKey_date", foundation::Value("2026-12-07 09:30:00")},
          {"sendMessageKey_title", foundation::Value("回复")},
          {"sendMessageKey_content", foundation::Value("收到")}}));
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);

  WriteSeed("messaging_content", "server_whole", contents[0]);
  WriteSeed("messaging_content", "server_three_parts", contents.back());
  std::string received = ReadFile(foundation::documentsPath(ReceivedMessageFileName("zhang")));
  std::string sent = ReadFile(foundation::documentsPath(SentMessageFileName("zhang")));
  ASSERT_FALSE(received.empty());
  ASSERT_FALSE(sent.empty());
  ASSERT_LT(received.size(), 65536u);
  std::string store;
  store += static_cast<char>(received.size() & 0xFF);
  store += static_cast<char>((received.size() >> 8) & 0xFF);
  WriteSeed("messaging_store", "server_store", store + received + sent);
}

TEST_F(MessagingFuzzSeeds, SendAnswers) {
  // Answers to sent mails as fuzz_messaging_answers takes them: a flag byte (bit 0 the error
  // bit; child type 106) and the body.
  std::vector<std::string> answers;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "MyMessage", [&](const foundation::Notification& n) {
        ReceiveRecordView view;
        if (!ReceiveRecordView::From(n, view) || view.header.ChildType != 106) return;
        std::string seed(1, static_cast<char>(view.header.isError() ? 1 : 0));
        seed.append(reinterpret_cast<const char*>(view.body), static_cast<size_t>(view.bodyLen));
        answers.push_back(seed);
      });
  Launch([&] { SetLoginInfo("zhang", "secret"); });
  ASSERT_TRUE(LoggedInAndShown());
  Settle();
  auto send = [] {
    MakeRequest_MessageSendXml(GlobalDataRequest(), 0, NextRequestCode(GlobalDataRequest()),
                               nullptr, "9001", "题", "文", 0, nullptr, nullptr, nullptr, nullptr, 24);
  };
  send();
  ASSERT_TRUE(WaitFor([&] { return answers.size() == 1; }));
  server->setSendAnswerText("已收到，稍后回复");
  send();
  ASSERT_TRUE(WaitFor([&] { return answers.size() == 2; }));
  server->setFault(Role::Message, Fault::ErrorReply, 1, "发送失败");
  send();
  ASSERT_TRUE(WaitFor([&] { return answers.size() == 3; }));
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  WriteSeed("messaging_answers", "server_empty_text", answers[0]);
  WriteSeed("messaging_answers", "server_text", answers[1]);
  WriteSeed("messaging_answers", "server_error", answers[2]);
}

TEST_F(MessagingFuzzSeeds, DetailScreenAnswers) {
  // The message detail screen's answers as fuzz_messaging_answers takes them: a flag byte (bits
  // 3-4: 1 the grant answer, with bit 0 the error bit; 2 the one-stock quote reply) and the body.
  std::vector<std::string> grants;
  std::string quote;
  auto& center = foundation::NotificationCenter::defaultCenter();
  auto body = [](const ReceiveRecordView& view) {
    return std::string(reinterpret_cast<const char*>(view.body), static_cast<size_t>(view.bodyLen));
  };
  center.addObserver(this, "MyMessage", [&](const foundation::Notification& n) {
    ReceiveRecordView view;
    if (!ReceiveRecordView::From(n, view) || view.header.ChildType != 120) return;
    grants.push_back(std::string(1, static_cast<char>((1 << 3) | (view.header.isError() ? 1 : 0))) +
                     body(view));
  });
  center.addObserver(this, "wtStockData", [&](const foundation::Notification& n) {
    ReceiveRecordView view;
    if (!ReceiveRecordView::From(n, view) || view.header.ChildType != 36) return;
    quote = std::string(1, static_cast<char>(2 << 3)) + body(view);
  });
  Launch([&] { SetLoginInfo("zhang", "secret"); });
  ASSERT_TRUE(LoggedInAndShown());
  Settle();
  auto grant = [] {
    Request_MessageFuQuan(GlobalDataRequest(), 0, NextRequestCode(GlobalDataRequest()), nullptr,
                          "9002", "赋权", "已开通", 1, "1003,7", "sz,000001|30", "zornik", nullptr,
                          "T1003", 24);
  };
  grant();
  ASSERT_TRUE(WaitFor([&] { return grants.size() == 1; }));
  server->setSendAnswerText("已为客户开通");
  grant();
  ASSERT_TRUE(WaitFor([&] { return grants.size() == 2; }));
  server->setFault(Role::Message, Fault::ErrorReply, 1, "99|已处理", false);
  grant();
  ASSERT_TRUE(WaitFor([&] { return grants.size() == 3; }));
  uint8_t item[9] = {};
  FillStockItem(item, 2, "000001");
  const uint8_t ids[] = {30, 11, 10, 9};
  MakeRequest_OneStockData(GlobalDataRequest(), 0, item, 1, ids, 4);
  ASSERT_TRUE(WaitFor([&] { return !quote.empty(); }));
  center.removeObserversOf(this);
  WriteSeed("messaging_answers", "detail_grant_empty_text", grants[0]);
  WriteSeed("messaging_answers", "detail_grant_text", grants[1]);
  WriteSeed("messaging_answers", "detail_grant_done_error", grants[2]);
  WriteSeed("messaging_answers", "detail_stock_name", quote);
}

}  // namespace
}  // namespace startuptest
