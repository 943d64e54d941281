// The futures tick list and the board constituent list filled from the test server, written as
// pictures for a person to look at: <build>/periphery-shots/*.png.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/DataRequest.h"
#include "core/FuturesTicks.h"
#include "core/QuoteCache.h"
#include "core/QuoteRequests.h"
#include "core/ReceiveRecord.h"
#include "core/SendQueues.h"
#include "panels/FenBiTable.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AnimationEngine.h"
#include "ranking/BkView.h"
#include "tests/detail/DetailClientSupport.h"
#include "tests/detail/PictureSupport.h"

namespace {

class PeripheryListsPicturesTest : public detailtest::DetailClientTest {
 protected:
  void SetUp() override {
    DetailClientTest::SetUp();
    folder = std::string(VERDAN_BINARY_DIR) + "/periphery-shots";
    ASSERT_TRUE(foundation::makeDirectories(folder));
  }
  void TearDown() override {
    foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
    ui::Screen::main().setScale(1);
    DetailClientTest::TearDown();
  }
  void shoot(ui::View& view, const std::string& name) {
    picturetest::WritePicture(view, folder + "/" + name);
  }
  static int32_t Session() {
    return static_cast<int32_t>(GlobalDataRequest()->GetSessionValue() & 0xffffff);
  }
  std::string folder;
};

TEST_F(PeripheryListsPicturesTest, FuturesTicksAndABoardFromTheServer) {
  LoggedIn("30,31,49");
  ui::Screen::main().setScale(2);

  // The contract's quote, then its futures ticks (ids 7 and 8 ask for the 16-byte records).
  uint8_t packet[512];
  const uint8_t quoteIds[] = {12, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 19, 21, 30};
  const uint8_t none[] = {0};
  int n = MakeRequest_StockData(Session(), NextRequestCode(GlobalDataRequest()), 13, 4, "IF1512",
                                quoteIds, none, packet, sizeof packet);
  ASSERT_GT(n, 0);
  PushCenterSendQueue(packet, n);
  tagLocalStockData quote{};
  ASSERT_TRUE(WaitFor([&] { return QuoteCache_GetQuote(quote, 4, "IF1512") != 0; }));

  std::optional<std::vector<uint8_t>> ticks;
  const uint16_t tickCode = NextRequestCode(GlobalDataRequest());
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "TrendLine", [&](const foundation::Notification& notification) {
        ReceiveRecordView reply;
        if (!ReceiveRecordView::From(notification, reply) || reply.header.ChildType != 14 ||
            reply.requestCode() != tickCode || reply.header.isPush())
          return;
        ticks.emplace(reply.body, reply.body + reply.bodyLen);
      });
  const uint8_t tickIds[] = {6, 1, 2, 3, 4, 7, 8};
  n = MakeRequest_DealDetail(Session(), tickCode, 13, 4, "IF1512", 20, tickIds, packet,
                             sizeof packet);
  ASSERT_GT(n, 0);
  PushCenterSendQueue(packet, n);
  ASSERT_TRUE(WaitFor([&] { return ticks.has_value(); }));

  auto table = FenBiTable::create({0, 0, 320, 20 + 20 * 17});
  table->SetDataInfo(quote, 1);
  tagQHFenBiHead head;
  ASSERT_TRUE(ReadFuturesTickHead(ticks->data(), ticks->size(), head));
  EXPECT_EQ(head.market, 4);
  table->SetDetailData(head, ticks->data() + kFenBiHeadSize, ticks->size() - kFenBiHeadSize);
  ASSERT_EQ(table->tickNum(), std::min<int>(head.count, 20));
  ASSERT_GT(table->tickNum(), 1);
  // Newest on top: times never rise going down, and every price is a price of the day.
  for (int r = 1; r < table->tickNum(); ++r)
    EXPECT_GE(+table->slot(20 - table->tickNum() + r - 1).time,
              +table->slot(20 - table->tickNum() + r).time);
  for (int i = 20 - table->tickNum(); i < 20; ++i) {
    EXPECT_GE(+table->slot(i).price, quote.low);
    EXPECT_LE(+table->slot(i).price, quote.high);
  }
  table->tableView()->layoutIfNeeded();
  shoot(*table, "fenbi-futures.png");

  server->addBoard("BK0045", 45);
  auto holder = ui::View::create({0, 0, 320, 400});
  holder->setBackgroundColor(gfx::Color::black());
  auto list = BkView::create({0, 0, 320, 400});
  holder->addSubview(list);
  list->initRequest("BK0045");
  ASSERT_TRUE(WaitFor([&] { return list->replies() > 0; }));
  EXPECT_EQ(list->stockNum(), 20);
  list->tableView()->layoutIfNeeded();
  shoot(*holder, "bk-board-page1.png");
  // Scrolled to the end: the pull-up strip with the page count under the last row.
  ui::TableView& rows = *list->tableView();
  rows.setContentOffset(
      {0, rows.contentSize().height - rows.frame().height() + BkView::kRowHeight});
  EXPECT_EQ(list->nextRefreshView()->lastUpdatedLabel()->text(), "当前1页/一共3页");
  shoot(*holder, "bk-board-page1-end.png");
}

}  // namespace
