// The board constituent list: its request bytes, paging over a real board of the test server,
// its refresh timer and observer life, and replies that claim more than they hold.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/ReceiveRecord.h"
#include "ranking/BkView.h"
#include "tests/ranking/RankingTestSupport.h"

namespace {

using rankingtest::RankingClientTest;
using rankingtest::RankingTest;

std::string PageText(EGORefreshTableHeaderView* strip) {
  return strip ? strip->lastUpdatedLabel()->text() : "";
}

// A board reply as the quote server frames it: the 55-byte head (total at 9, rows at 13), the
// field list, then `records` records of market, code and latest price.
std::vector<uint8_t> BoardBody(uint32_t total, uint16_t claimedRows, int records) {
  std::vector<uint8_t> body(55, 0);
  std::memcpy(body.data(), "BK0001", 6);
  WriteLE32(body.data() + 9, total);
  WriteLE16(body.data() + 13, claimedRows);
  for (uint8_t b : {3, 9, 10, 5}) body.push_back(b);
  for (int i = 0; i < records; ++i) {
    body.push_back(1);
    char code[16] = {};
    std::snprintf(code, sizeof code, "6%05d", i % 100000);
    body.insert(body.end(), code, code + 8);
    uint8_t price[4];
    WriteLE32(price, static_cast<uint32_t>(1000 + i));
    body.insert(body.end(), price, price + 4);
  }
  return body;
}

std::vector<uint8_t> Record(uint16_t code, const std::vector<uint8_t>& body, uint8_t child = 24) {
  std::vector<uint8_t> record(kReceiveRecordSize, 0);
  const int32_t status = kReceiveStatusPacket;
  std::memcpy(record.data(), &status, 4);
  PacketHeader header;
  header.bodyLen = static_cast<uint16_t>(body.size());
  header.PageID = 17;
  header.MainType = kMainTypeQuote;
  header.ChildType = child;
  header.RequestCode = code;
  header.DataFlag = 1;
  header.Write(record.data() + kReceiveRecordHeaderOffset);
  std::memcpy(record.data() + kReceiveRecordBodyOffset, body.data(),
              std::min<size_t>(body.size(), kReceiveRecordBodyCapacity));
  return record;
}

class BkViewReplyTest : public RankingTest {
 protected:
  void SetUp() override {
    RankingTest::SetUp();
    holder = ui::View::create({0, 0, 320, 480});
    list = BkView::create({0, 0, 320, 400});
    holder->addSubview(list);
  }
  void Deliver(const std::vector<uint8_t>& body) {
    const auto record = Record(list->lastRequestCode(), body);
    list->recvRecord(record.data(), static_cast<int>(record.size()));
  }
  std::shared_ptr<ui::View> holder;
  std::shared_ptr<BkView> list;
};

TEST_F(BkViewReplyTest, RowsAreTheStocksReallyParsedAtMostThirty) {
  list->initRequest("BK0001");
  ASSERT_EQ(SentCount(), 1u);

  Deliver(BoardBody(45, 35, 35));  // more than a page holds
  EXPECT_EQ(list->stockNum(), 30);
  EXPECT_EQ(list->tableView()->numberOfRowsInSection(0), 30);
  EXPECT_EQ(list->totalNum(), 45);
  EXPECT_EQ(list->currentStockRecord(29)["code"].asString(), "600029");
  EXPECT_EQ(list->currentStockRecord(0)["market"].toInt(), 1);
  EXPECT_TRUE(list->currentStockRecord(30).isNull());
  EXPECT_TRUE(list->currentStockRecord(-1).isNull());

  // A head that claims 20 rows over a body of 3 and a half records: 3 rows, none empty.
  auto lying = BoardBody(45, 20, 4);
  lying.resize(lying.size() - 6);
  Deliver(lying);
  EXPECT_EQ(list->stockNum(), 3);
  EXPECT_EQ(list->row(2).now, 10020000);
  EXPECT_EQ(list->row(3).market, 0);  // the rows after them are cleared
  EXPECT_TRUE(list->currentStockRecord(3)["code"].asString().empty());

  // A body shorter than the head: no rows, nothing read past it.
  Deliver(std::vector<uint8_t>(20, 0xFF));
  EXPECT_EQ(list->stockNum(), 0);

  // A reply to another request, or of another kind, changes nothing.
  Deliver(BoardBody(45, 5, 5));
  ASSERT_EQ(list->stockNum(), 5);
  const auto stale = Record(static_cast<uint16_t>(list->lastRequestCode() + 1), BoardBody(9, 9, 9));
  list->recvRecord(stale.data(), static_cast<int>(stale.size()));
  const auto other = Record(list->lastRequestCode(), BoardBody(9, 9, 9), 17);
  list->recvRecord(other.data(), static_cast<int>(other.size()));
  EXPECT_EQ(list->stockNum(), 5);
}

TEST_F(BkViewReplyTest, ObservesRepliesOnlyWhileInASuperviewAndDiesWithItsOwner) {
  EXPECT_TRUE(list->isObserving());
  // Shown before a board is chosen: the refresh runs but has nothing to ask.
  list->setHidden(false);
  ASSERT_TRUE(list->hasTimer());
  rankingtest::AdvanceAndDrain(16);
  EXPECT_EQ(SentCount(), 0u);
  list->initRequest("BK0001");
  const uint16_t code = list->lastRequestCode();
  auto post = [&](const std::vector<uint8_t>& body) {
    foundation::Value info;
    info[kReceiveRecordKey] = foundation::Value(Record(code, body));
    foundation::NotificationCenter::defaultCenter().post("SortStock", nullptr, info);
  };
  post(BoardBody(45, 4, 4));
  EXPECT_EQ(list->stockNum(), 4);
  list->removeFromSuperview();
  EXPECT_FALSE(list->isObserving());
  post(BoardBody(45, 6, 6));
  EXPECT_EQ(list->stockNum(), 4);
  holder->addSubview(list);
  post(BoardBody(45, 6, 6));
  EXPECT_EQ(list->stockNum(), 6);

  // The running refresh holds the list weakly: once released, its ticks call nothing.
  std::weak_ptr<BkView> weak = list;
  list->removeFromSuperview();
  list.reset();
  EXPECT_TRUE(weak.expired());
  const size_t before = SentCount();
  rankingtest::AdvanceAndDrain(31);
  EXPECT_EQ(SentCount(), before);
  post(BoardBody(45, 6, 6));  // no observer left behind
}

class BkViewServerTest : public RankingClientTest {
 protected:
  void SetUp() override {
    RankingClientTest::SetUp();
    LoggedIn();
    server->addBoard("BK0045", 45);
    server->addBoard("BK0040", 40);
    server->clearReceivedRequests();
    holder = ui::View::create({0, 0, 320, 480});
    list = BkView::create({0, 0, 320, 400});
    holder->addSubview(list);
  }
  void TearDown() override {
    list.reset();
    holder.reset();
    RankingClientTest::TearDown();
  }
  // Runs `act` and waits for the list's answer.
  bool Answered(const std::function<void()>& act) {
    const int before = list->replies();
    act();
    return WaitFor([&] { return list->replies() > before; });
  }
  // The board requests the server received, oldest first.
  std::vector<testserver::ReceivedRequest> BoardRequests() const {
    std::vector<testserver::ReceivedRequest> out;
    for (auto& r : server->receivedRequests(testserver::Role::Quote))
      if (r.header.MainType == kMainTypeQuote && r.header.ChildType == 24) out.push_back(r);
    return out;
  }
  int LastStart() const {
    const auto requests = BoardRequests();
    return requests.empty() ? -1 : ReadLE16(requests.back().body.data() + 9);
  }
  void PullDown() { list->egoRefreshTableHeaderDidTriggerRefresh(*list->preRefreshView()); }
  void PullUp() { list->egoRefreshTableHeaderDidTriggerRefresh(*list->nextRefreshView()); }

  std::shared_ptr<ui::View> holder;
  std::shared_ptr<BkView> list;
};

TEST_F(BkViewServerTest, ABoardOfFortyFivePagesThroughThreePagesAndWraps) {
  ASSERT_TRUE(Answered([&] { list->initRequest("BK0045"); }));
  // The block the server received: code, sort 1, start 0, count 20, and zeros after them.
  const auto requests = BoardRequests();
  ASSERT_EQ(requests.size(), 1u);
  const std::vector<uint8_t>& body = requests[0].body;
  ASSERT_GE(body.size(), 53u + 13u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(body.data()), 8),
            std::string("BK0045\0\0", 8));
  EXPECT_EQ(body[8], 1);
  EXPECT_EQ(ReadLE16(body.data() + 9), 0);
  EXPECT_EQ(ReadLE16(body.data() + 11), 20);
  for (size_t i = 13; i < 53; ++i) EXPECT_EQ(body[i], 0) << "block byte " << i;
  EXPECT_EQ(std::vector<uint8_t>(body.begin() + 53, body.begin() + 66),
            (std::vector<uint8_t>{12, 30, 10, 9, 11, 19, 17, 1, 5, 31, 23, 6, 21}));
  EXPECT_EQ(requests[0].header.PageID, 17);

  EXPECT_EQ(list->stockNum(), 20);
  EXPECT_EQ(list->totalNum(), 45);
  EXPECT_EQ(PageText(list->preRefreshView()), "当前1页/一共3页");
  EXPECT_EQ(PageText(list->nextRefreshView()), "当前1页/一共3页");
  EXPECT_TRUE(list->preRefreshView()->isHidden());
  EXPECT_FALSE(list->nextRefreshView()->isHidden());
  EXPECT_TRUE(list->egoRefreshTableHeaderDataSourceIsLoading(*list->preRefreshView()));
  const auto first = list->currentStockRecord(0);
  EXPECT_EQ(first["code"].asString().size(), 6u);
  EXPECT_FALSE(first["name"].asString().empty());

  // The same board again asks for nothing.
  const uint16_t code = list->lastRequestCode();
  list->initRequest("BK0045");
  EXPECT_EQ(list->lastRequestCode(), code);

  ASSERT_TRUE(Answered([&] { PullDown(); }));  // from the first page to the last
  EXPECT_EQ(LastStart(), 40);
  EXPECT_EQ(list->stockNum(), 5);
  EXPECT_EQ(PageText(list->nextRefreshView()), "当前3页/一共3页");
  EXPECT_FALSE(list->preRefreshView()->isHidden());
  EXPECT_TRUE(list->nextRefreshView()->isHidden());

  ASSERT_TRUE(Answered([&] { PullDown(); }));
  EXPECT_EQ(LastStart(), 20);
  EXPECT_EQ(PageText(list->preRefreshView()), "当前2页/一共3页");
  EXPECT_FALSE(list->preRefreshView()->isHidden());
  EXPECT_FALSE(list->nextRefreshView()->isHidden());
  ASSERT_TRUE(Answered([&] { PullUp(); }));
  EXPECT_EQ(LastStart(), 40);
  ASSERT_TRUE(Answered([&] { PullUp(); }));  // past the last page: back to the first
  EXPECT_EQ(LastStart(), 0);
  EXPECT_EQ(list->stockNum(), 20);
  EXPECT_EQ(BoardRequests().size(), 5u);
  EXPECT_EQ(list->totalStockRecord(), 20);
}

TEST_F(BkViewServerTest, ABoardOfFortyHasTwoPagesAndTheRefreshAsksOnlyWhileShown) {
  ASSERT_TRUE(Answered([&] { list->initRequest("BK0040"); }));
  EXPECT_EQ(PageText(list->preRefreshView()), "当前1页/一共2页");
  ASSERT_TRUE(Answered([&] { PullDown(); }));
  EXPECT_EQ(LastStart(), 20);
  EXPECT_EQ(list->stockNum(), 20);
  EXPECT_TRUE(list->nextRefreshView()->isHidden());

  // Shown: every 15 seconds the page shown is asked again.
  list->setHidden(false);
  ASSERT_TRUE(list->hasTimer());
  const size_t asked = BoardRequests().size();
  ASSERT_TRUE(Answered([&] { advance(15); }));
  EXPECT_EQ(BoardRequests().size(), asked + 1);
  EXPECT_EQ(LastStart(), 20);

  // Hidden: the timer runs on but asks nothing.
  list->setHidden(true);
  const uint16_t code = list->lastRequestCode();
  advance(15);
  advance(15);
  EXPECT_EQ(list->lastRequestCode(), code);
  Settle();
  EXPECT_EQ(BoardRequests().size(), asked + 1);
}

}  // namespace
