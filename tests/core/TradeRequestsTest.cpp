// The trade channel and verification requests: the session key through its states, the
// request codes of the exchange, and each builder's fields.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/CDataCenter.h"
#include "core/CoreState.h"
#include "core/DataEncrypt.h"
#include "core/DataRequest.h"
#include "core/DeviceInfo.h"
#include "core/MDBF.h"
#include "core/TradeRequests.h"
#include "tests/core/RequestTestSupport.h"

using namespace reqtest;

namespace {

class TradeRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    GetDataCenter().Reset();
    GetDataCenter().SetAccount("880001");
    GetDataCenter().SetAccountPassword("acct-pw");
    GetDataCenter().SetAssetPassword("asset-pw");
    GetDataCenter().SetYYB(7001, "broker");
    OverrideDeviceTexts(std::string("Model Linux 6.1"), std::string("ident"));
  }
  void TearDown() override {
    OverrideDeviceTexts(std::nullopt, std::nullopt);
    GetDataCenter().Reset();
  }
  std::string Key() const { return GetDataCenter().GetSessionKey(); }

  CDataTradeRequest trade;
  RecordingSink sink;
};

std::string FieldText(const std::vector<WireField>& fields, uint8_t id) {
  for (const auto& f : fields) {
    if (f.id == id) return std::string(f.bytes.begin(), f.bytes.end());
  }
  return {};
}

std::string Pick16(const std::string& text) {
  char key[17] = {};
  PickKeyBytes(text.data(), static_cast<uint32_t>(text.size()), key, 16);
  return key;
}

std::vector<uint8_t> ReplyWithKeyText(const char* text) {
  MDBF table;
  if (text) table.AddStringField(21, text);
  table.AddIntField(1, 0);
  std::vector<uint8_t> body(2048, 0);
  int written = 0;
  int n = table.SerializeAll(body.data(), 2048, &written);
  body.resize(static_cast<size_t>(n));
  return body;
}

TEST_F(TradeRequests, KeyExchangeGoesThroughItsKeyStates) {
  ASSERT_EQ(Key(), CDataCenter::kRequestKey2);
  trade.SetSessionValue(0x55);
  trade.SetRequestCodeCounter(900);

  // Exchange: counter and session value reset, sent under request key 2.
  uint16_t code = 0;
  ASSERT_EQ(MakeRequest_SessionKey(&trade, 0, &code, "20090514.01"), 0);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(trade.GetSessionValue(), 0u);
  ASSERT_EQ(sink.packets.size(), 1u);
  EXPECT_EQ(sink.packets[0].kind, SendQueueKind::Trade);
  ExpectHeader(sink.packets[0].bytes, 146, 0, 0, 0, 1, 1);
  auto fields = ReadOneRecord(OpenBody(sink.packets[0].bytes, kRequestKey2));
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0], Text(20, "20090514.01"));
  const std::string random = FieldText(fields, 21);
  ASSERT_EQ(random.size(), 1024u);
  EXPECT_EQ(random.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz"), std::string::npos);

  // Own picked key, and the first later request carries code 2.
  const std::string ownKey = Pick16(random);
  EXPECT_EQ(Key(), ownKey);
  EXPECT_EQ(MakeRequest_146_253(&trade, "13800138000"), 2);
  ExpectHeader(sink.packets[1].bytes, 146, 253, 0, 0, 2, 1);
  EXPECT_EQ(ReadOneRecord(OpenBody(sink.packets[1].bytes, ownKey.c_str())),
            (std::vector<WireField>{Text(20, "13800138000")}));

  // The server's reply: its picked key.
  const std::string serverText = "server-random-text-0123456789";
  auto reply = ReplyWithKeyText(serverText.c_str());
  EXPECT_EQ(ApplySessionKeyReply(&trade, reply.data(), static_cast<int>(reply.size())), 0);
  const std::string serverKey = Pick16(serverText);
  EXPECT_EQ(Key(), serverKey);

  // Replies without a usable key text are failed exchanges: the key in force stays.
  auto noField = ReplyWithKeyText(nullptr);
  auto emptyField = ReplyWithKeyText("");
  const uint8_t garbage[] = {5, 1, 2};
  EXPECT_EQ(ApplySessionKeyReply(&trade, noField.data(), static_cast<int>(noField.size())), -1);
  EXPECT_EQ(ApplySessionKeyReply(&trade, emptyField.data(), static_cast<int>(emptyField.size())),
            -1);
  EXPECT_EQ(ApplySessionKeyReply(&trade, garbage, sizeof(garbage)), -1);
  EXPECT_EQ(ApplySessionKeyReply(&trade, nullptr, 0), -1);
  EXPECT_EQ(Key(), serverKey);

  sink.packets.clear();
  EXPECT_EQ(MakeRequest_CanTransfer(&trade, 0, "880001", "asset", 1), 3);
  EXPECT_FALSE(OpenBody(sink.packets.at(0).bytes, serverKey.c_str()).empty());

  // A verification request puts request key 1 in place; a reset restores request key 2.
  MakeRequest_VerifyCode(&trade, "13800138000", "V");
  EXPECT_EQ(Key(), kRequestKey1);
  GetDataCenter().Reset();
  EXPECT_EQ(Key(), CDataCenter::kRequestKey2);
}

struct TradeCase {
  const char* name;
  std::function<uint16_t(CDataRequest*)> build;
  SendQueueKind queue;
  uint8_t main, child;
  std::vector<WireField> fields;
};

// The server answers the exchange under the picked key, and the network thread may read that
// answer before the thread that sent the exchange runs on: the key must be in force by the time
// the packet is handed to the queue. (On a busy machine the answer was read under request key 2.)
TEST_F(TradeRequests, TheExchangesOwnKeyIsInForceWhenItsPacketLeaves) {
  std::string keyWhenQueued;
  std::vector<uint8_t> exchange;
  SendQueueSink recording = SetSendQueueSink([&](SendQueueKind, const uint8_t* bytes, int n) {
    keyWhenQueued = GetDataCenter().GetSessionKey();
    exchange.assign(bytes, bytes + n);
  });
  uint16_t code = 0;
  const int result = MakeRequest_SessionKey(&trade, 0, &code, "20090514.01");
  SetSendQueueSink(recording);
  ASSERT_EQ(result, 0);
  const std::string random = FieldText(ReadOneRecord(OpenBody(exchange, kRequestKey2)), 21);
  ASSERT_EQ(random.size(), 1024u);
  EXPECT_EQ(keyWhenQueued, Pick16(random));
  EXPECT_EQ(trade.GetRequestCodeCounter(), code);
}

TEST_F(TradeRequests, BuildersByFamily) {
  const TradeCase cases[] = {
      {"BankInfo",
       [](CDataRequest* r) {
         return MakeRequest_BankInfo(r, 0, 40, 0, 50, "5:abc|7: x ", "\x01\x06\x0F", 146);
       },
       SendQueueKind::Trade,
       146,
       40,
       {Text(1, "880001"), Text(16, "asset-pw"), Text(2, "acct-pw"), Text(0, "\x01\x06\x0F"),
        Text(5, "abc"), Text(7, "x"), Int(12, 50)}},
      {"BankInfo start, no lists",
       [](CDataRequest* r) { return MakeRequest_BankInfo(r, 0, 40, 5, 50, "|5:abc", "", 146); },
       SendQueueKind::Trade,
       146,
       40,
       {Text(1, "880001"), Text(16, "asset-pw"), Text(2, "acct-pw"), Int(11, 5), Int(12, 50)}},
      {"Transfer",
       [](CDataRequest* r) {
         return MakeRequest_Transfer(r, 0, "880001", "fund", "B20", "B22", "bank", 1, "100.00", 1);
       },
       SendQueueKind::Trade,
       146,
       41,
       {Text(1, "880001"), Text(2, "acct-pw"), Text(13, "fund"), Text(20, "B20"), Text(22, "B22"),
        Text(14, "bank"), Int(6, 1), Text(33, "100.00"), Int(34, 1)}},
      {"Transfer43",
       [](CDataRequest* r) {
         return MakeRequest_Transfer43(r, 0, "880001", "B20", "B22", "bank", 2);
       },
       SendQueueKind::Trade,
       146,
       43,
       {Text(1, "880001"), Text(2, "acct-pw"), Text(20, "B20"), Text(22, "B22"), Text(14, "bank"),
        Int(6, 2)}},
      {"CanTransfer",
       [](CDataRequest* r) { return MakeRequest_CanTransfer(r, 0, "880001", "fund", 0); },
       SendQueueKind::Trade,
       146,
       45,
       {Text(1, "880001"), Text(13, "fund"), Int(6, 0)}},
      {"Verify",
       [](CDataRequest* r) {
         return MakeRequest_Verify(r, "13800138000", "4321", "V3.15  B002(20151217--1)");
       },
       SendQueueKind::Verify,
       144,
       20,
       {Text(20, "V3.15  B002(20151217--1)"), Int(59, 4), Int(60, 0), Text(21, "Model Linux 6.1"),
        Text(33, "13800138000"), Text(23, "4321"), Int(51, 7001), Text(47, "ident")}},
      {"VerifyCode",
       [](CDataRequest* r) {
         return MakeRequest_VerifyCode(r, "13800138000", "V3.15  B002(20151217--1)");
       },
       SendQueueKind::Verify,
       144,
       21,
       {Text(20, "V3.15  B002(20151217--1)"), Int(59, 4), Int(60, 0), Text(21, "Model Linux 6.1"),
        Text(33, "13800138000")}},
  };
  trade.SetSessionValue(0x0A0B0C);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sink.packets.clear();
    const std::string key = c.main == 144 ? std::string(kRequestKey1) : Key();
    uint16_t expectedCode = static_cast<uint16_t>(trade.GetRequestCodeCounter() + 1);
    EXPECT_EQ(c.build(&trade), expectedCode);
    ASSERT_EQ(sink.packets.size(), 1u);
    EXPECT_EQ(sink.packets[0].kind, c.queue);
    ExpectHeader(sink.packets[0].bytes, c.main, c.child, 0, 0x0A0B0C, expectedCode, 1);
    EXPECT_EQ(ReadOneRecord(OpenBody(sink.packets[0].bytes, key.c_str())), c.fields);
  }
}

TEST_F(TradeRequests, BankQueryClearsTheReplyTableOfThePreviousOne) {
  MDBF* reply = GetDataCenter().GetTable(4);
  ASSERT_NE(reply, nullptr);
  reply->AddIntField(3, 9);
  ASSERT_EQ(reply->GetRecordNum(), 1);
  EXPECT_NE(MakeRequest_BankInfo(&trade, 0, 40, 0, 50, nullptr, nullptr, 146), 0);
  EXPECT_EQ(reply->GetRecordNum(), 0);
}

TEST_F(TradeRequests, BodyThatDoesNotFitIsNotSent) {
  std::string huge(5000, 'h');
  uint16_t before = trade.GetRequestCodeCounter();
  EXPECT_EQ(MakeRequest_146_253(&trade, huge.c_str()), 0);
  EXPECT_TRUE(sink.packets.empty());
  EXPECT_EQ(trade.GetRequestCodeCounter(), before);
}

}  // namespace
