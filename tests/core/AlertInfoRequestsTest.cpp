// Price-alert requests, information requests, the index snapshot, the one-stock request and
// the request object's own quote requests.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/CoreState.h"
#include "core/DataEncrypt.h"
#include "core/DataRequest.h"
#include "core/DeviceInfo.h"
#include "core/InfoRequests.h"
#include "core/PriceAlertRequests.h"
#include "core/QuoteRequests.h"
#include "tests/core/RequestTestSupport.h"

using namespace reqtest;

namespace {

class AlertInfoRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLoginInfo("alice", "secret");
    SetQSID("QSID00001");
  }
  CDataRequest request;
  RecordingSink sink;
};

struct TableCase {
  const char* name;
  std::function<int(CDataRequest*)> build;  // code 61
  uint8_t child;
  uint8_t page;
  std::vector<WireField> fields;
};

std::vector<WireField> User(std::vector<WireField> rest) {
  std::vector<WireField> out = {Text(1, "alice"), Text(6, "QSID00001")};
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

TEST_F(AlertInfoRequests, PriceAlertRequestsByBuilder) {
  const TableCase cases[] = {
      {"UploadSetting",
       [](CDataRequest* r) {
         return MakeRequest_PriceNotificationUploadSetting(
             r, 0, 61, 1, "600000", "\xE6\xB5\xA6\xE5\x8F\x91", 1, 3, 105000, 0, 10000, 52);
       },
       1, 52,
       User({Int(18, 1), Text(8, "600000"), Utf16(9, u"\u6d66\u53d1"), Int(10, 1), Int(11, 3),
             Int(12, 105000), Int(13, 0), Int(14, 10000)})},
      {"SettingList",
       [](CDataRequest* r) { return MakeRequest_PriceNotificationSettingList(r, 0, 61, 53); }, 2,
       53, User({})},
      {"GetSetting",
       [](CDataRequest* r) {
         return MakeRequest_PriceNotificationGetSetting(r, 0, 61, 2, "000001", 52);
       },
       3, 52, User({Int(18, 2), Text(8, "000001")})},
      {"DeleteSetting",
       [](CDataRequest* r) {
         return MakeRequest_PriceNotificationDeleteSetting(r, 0, 61, "000001", 52);
       },
       4, 52, User({Text(8, "000001")})},
      {"ClearSetting",
       [](CDataRequest* r) { return MakeRequest_PriceNotificationClearSetting(r, 0, 61, 52); }, 5,
       52, User({})},
      {"List",
       [](CDataRequest* r) { return MakeRequest_PriceNotificationList(r, 0, 61, 0, 200, 51); }, 6,
       51, User({Int(81, 0), Int(87, 200)})},
      {"DeleteList",
       [](CDataRequest* r) { return MakeRequest_PriceNotificationDeleteList(r, 0, 61, 51); }, 7, 51,
       User({})},
      {"Authority",
       [](CDataRequest* r) { return MakeRequest_PriceNotificationAuthority(r, 0, 61, 50); }, 8, 50,
       User({})},
      {"Confirm",
       [](CDataRequest* r) { return MakeRequest_PriceNotificationConfirm(r, 0, 61, 50); }, 11, 50,
       User({})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sink.packets.clear();
    EXPECT_EQ(c.build(&request), 0);
    ASSERT_EQ(sink.packets.size(), 1u);
    EXPECT_EQ(sink.packets[0].kind, SendQueueKind::PriceNotification);
    ExpectHeader(sink.packets[0].bytes, 150, c.child, c.page, 0, 61, 1);
    EXPECT_EQ(ReadOneRecord(OpenBody(sink.packets[0].bytes, kRequestKey1)), c.fields);
  }
  // A code that is not ASCII leaves field 8 out of the lookup.
  sink.packets.clear();
  MakeRequest_PriceNotificationGetSetting(&request, 0, 61, 1, "\xE4\xB8\x80", 52);
  EXPECT_EQ(ReadOneRecord(OpenBody(sink.packets.at(0).bytes, kRequestKey1)), User({Int(18, 1)}));

  // A body beyond its 496 bytes is not queued.
  sink.packets.clear();
  std::string code(500, '6');
  EXPECT_EQ(MakeRequest_PriceNotificationUploadSetting(&request, 0, 61, 1, code.c_str(), "n", 1, 3,
                                                       0, 0, 10000, 52),
            -2);
  EXPECT_TRUE(sink.packets.empty());
}

TEST_F(AlertInfoRequests, InformationRequestsByBuilder) {
  OverrideDeviceTexts(std::string("Model Linux 6.1"), std::nullopt);
  const TableCase cases[] = {
      {"InfoList",
       [](CDataRequest* r) { return MakeRequest_InfoList(r, 0, 61, 7, nullptr); },
       85,
       22,
       {Text(0, "\x20\x21\x22\x24"), Int(31, 7)}},
      {"InfoTitle",
       [](CDataRequest* r) { return MakeRequest_InfoTitle(r, 0, 61, 12, "extra", 20, 0); },
       86,
       22,
       {Text(0, "\x20\x16\x17\x25\x24\x14\x15"), Int(32, 12), Text(36, "extra"), Int(28, 0),
        Int(29, 20), Int(39, 60)}},
      {"InfoContent",
       [](CDataRequest* r) { return MakeRequest_InfoContent(r, 0, 61, 12, "k=1"); },
       87,
       22,
       {Text(0, "\x18"), Int(32, 12), Text(36, "k=1")}},
      {"Suggestion",
       [](CDataRequest* r) {
         return MakeRequest_Suggestion(r, 0, 61, "3.15", "alice", "", "\xE5\xA5\xBD");
       },
       94,
       0,
       {Text(20, "3.15"), Text(23, "Model Linux 6.1"), Int(21, 4), Int(22, 0), Text(24, "alice"),
        Utf16(26, u"\u597d")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sink.packets.clear();
    EXPECT_EQ(c.build(&request), 0);
    ASSERT_EQ(sink.packets.size(), 1u);
    EXPECT_EQ(sink.packets[0].kind, SendQueueKind::Center);
    ExpectHeader(sink.packets[0].bytes, 145, c.child, c.page, 0, 61, 0);
    EXPECT_EQ(ReadOneRecord(OpenBody(sink.packets[0].bytes, nullptr)), c.fields);
  }

  // The suggestion's device description is cut to 99 characters.
  OverrideDeviceTexts(std::string(140, 'd'), std::nullopt);
  sink.packets.clear();
  MakeRequest_Suggestion(&request, 0, 0, "3.15", "alice", "c", "t");
  auto fields = ReadOneRecord(OpenBody(sink.packets.at(0).bytes, nullptr));
  ASSERT_GE(fields.size(), 2u);
  EXPECT_EQ(fields[1], Text(23, std::string(99, 'd')));
  OverrideDeviceTexts(std::nullopt, std::nullopt);

  // A suggestion too long for its 2032 bytes is not queued.
  sink.packets.clear();
  std::string text(1200, 't');
  EXPECT_EQ(MakeRequest_Suggestion(&request, 0, 0, "3.15", "alice", "c", text.c_str()), -2);
  EXPECT_TRUE(sink.packets.empty());
}

TEST_F(AlertInfoRequests, IndexSnapshotAndOneStockRequests) {
  request.SetSessionValue(0xABCDEF);
  request.SetRequestCodeCounter(40);
  EXPECT_EQ(Request_DP(&request), 0);
  ASSERT_EQ(sink.packets.size(), 1u);
  ExpectHeader(sink.packets[0].bytes, 145, 23, 0, 0xABCDEF, 41, 0);
  std::vector<uint8_t> expected = B({0, 3, 0});
  for (auto item : {std::pair<int, const char*>{1, "000001"}, {2, "399001"}, {3, "999999"}}) {
    expected.push_back(static_cast<uint8_t>(item.first));
    std::string code(item.second);
    code.resize(8, '\0');
    expected.insert(expected.end(), code.begin(), code.end());
  }
  EXPECT_EQ(std::vector<uint8_t>(sink.packets[0].bytes.begin() + 16, sink.packets[0].bytes.end()),
            expected);

  sink.packets.clear();
  uint8_t item[kStockItemSize];
  FillStockItem(item, 2, "000002");
  const uint8_t ids[] = {1, 2, 30};
  EXPECT_EQ(MakeRequest_OneStockData(&request, 5, item, 1, ids, 3), 0);
  ASSERT_EQ(sink.packets.size(), 1u);
  ExpectHeader(sink.packets[0].bytes, 145, 36, 23, 0xABCDEF, 42, 0);
  EXPECT_EQ(std::vector<uint8_t>(sink.packets[0].bytes.begin() + 16, sink.packets[0].bytes.end()),
            B({1, 0, 2, '0', '0', '0', '0', '0', '2', 0, 0, 3, 1, 2, 30}));
  EXPECT_EQ(request.GetRequestTag(), 5);
}

TEST_F(AlertInfoRequests, RequestObjectRankingRequests) {
  request.SetSessionValue(0x10);
  const uint8_t list[] = {2, 30, 10};
  const uint8_t empty[] = {0};
  EXPECT_EQ(MakeRequest_StockSortList(&request, 0, 71, 6, "BK0001", 2, 20, 30, list), 0);
  EXPECT_EQ(MakeRequest_StockSortData(&request, 0, 72, 9, 1, 0x81, 0, 20, list, empty), 0);
  ASSERT_EQ(sink.packets.size(), 2u);
  const auto& board = sink.packets[0].bytes;
  ExpectHeader(board, 145, 24, 6, 0x10, 71, 0);
  std::vector<uint8_t> block(53, 0);
  std::string code = "BK0001";
  std::copy(code.begin(), code.end(), block.begin());
  block[8] = 2;
  block[9] = 20;
  block[11] = 30;
  block.insert(block.end(), {2, 30, 10});
  EXPECT_EQ(std::vector<uint8_t>(board.begin() + 16, board.end()), block);
  const auto& sort = sink.packets[1].bytes;
  ExpectHeader(sort, 145, 17, 17, 0x10, 72, 0);
  EXPECT_EQ(std::vector<uint8_t>(sort.begin() + 16, sort.end()),
            B({9, 1, 0x81, 0, 0, 20, 0, 2, 30, 10, 0}));
}

TEST(PascalString, LengthByteIsCappedAt255) {
  std::vector<uint8_t> src(300, 0x41), dst(301, 0);
  EXPECT_EQ(PackPascalString(dst.data(), src.data(), 300), 256);
  EXPECT_EQ(dst[0], 255);
  EXPECT_EQ(dst[255], 0x41);
  EXPECT_EQ(dst[256], 0);
  EXPECT_EQ(PackPascalString(dst.data(), src.data(), 0), 1);
  EXPECT_EQ(dst[0], 0);
}

}  // namespace
