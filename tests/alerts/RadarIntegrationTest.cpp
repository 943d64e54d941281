// The radar list in a launched client against the in-process test server: the watch list's
// "资讯" item and the detail pager's "信息" page show the server's alerts, error answers empty
// them, split and multi-table answers read whole, and the text request carries 64-bit ids.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "alerts/InfoTime.h"
#include "alerts/RadarView.h"
#include "core/DataRequest.h"
#include "core/RadarReplies.h"
#include "core/SelfStock.h"
#include "core/SendQueues.h"
#include "detail/TrendlineController.h"
#include "platform/ui/NavigationController.h"
#include "tests/alerts/ClientTestSupport.h"
#include "tests/shell/StartupTestSupport.h"
#include "testserver/Market.h"
#include "watchlist/SelfStockController.h"

namespace {

using testserver::Fault;
using testserver::Role;

// The list as the hosts make it, noting its row count after each posted record it is handed.
class RecordingRadar : public RadarView {
 public:
  static std::shared_ptr<RecordingRadar> make() {
    auto view = std::make_shared<RecordingRadar>();
    view->wire();
    return view;
  }
  void SetRadarTitle(const foundation::Data& record) override {
    RadarView::SetRadarTitle(record);
    counts.push_back(totalInfoRecord());
  }
  void SetRadarTitle(const uint8_t* data, int size) override {
    RadarView::SetRadarTitle(data, size);
    counts.push_back(totalInfoRecord());
  }
  std::vector<int> counts;
};

class RadarIntegration : public alerttest::ScreensClientTest {
 protected:
  void SetUp() override {
    alerttest::ScreensClientTest::SetUp();
    ui::ClassRegistry::shared().registerClass(
        "RadarView", [] { return std::static_pointer_cast<ui::Object>(RecordingRadar::make()); });
  }
  void TearDown() override {
    foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
    alerttest::ScreensClientTest::TearDown();
  }

  SelfStockController* WatchList() {
    Launch();
    EXPECT_TRUE(LoggedInAndShown());
    Settle();
    // The screen starts observing its replies a moment after it appeared.
    advance(0.2);
    Settle();
    return dynamic_cast<SelfStockController*>(app->viewControllerInTabBar(kSlotSelfStock));
  }
  static RecordingRadar* RadarOf(SelfStockController* screen) {
    return screen ? dynamic_cast<RecordingRadar*>(screen->radarView()) : nullptr;
  }
  // The rows of the last radar reply posted under `name` (all its packets).
  void Watch(const std::string& name, uint8_t child) {
    foundation::NotificationCenter::defaultCenter().addObserver(
        this, name, [this, child](const foundation::Notification& n) {
          ReceiveRecordView reply;
          if (!ReceiveRecordView::From(n, reply) || reply.header.ChildType != child) return;
          if (reply.header.isError()) {
            ++errors;
            return;
          }
          if (reply.header.PackageNo == 0) wireRows.clear();
          for (const RadarRow& row : ReadRadarRows(reply.body, reply.bodyLen, kRadarTitleField))
            wireRows.push_back(row);
        });
  }
  bool Shows(RadarView* radar, size_t rows) {
    return pump([&] {
      advance(0.05);
      return radar->totalInfoRecord() == static_cast<int>(rows);
    });
  }
  static bool LabelShown(RadarView* radar) {
    auto* label = radar->viewWithTag(RadarView::kNoItemsLabelTag);
    return label && !label->isHidden();
  }
  static std::string LabelText(RadarView* radar) {
    auto* label = dynamic_cast<ui::Label*>(radar->viewWithTag(RadarView::kNoItemsLabelTag));
    return label ? label->text() : "";
  }

  std::vector<RadarRow> wireRows;
  int errors = 0;
};

TEST_F(RadarIntegration, WatchListNewsItemListsTheAlertsOfTheListedStocks) {
  SelfStockController* screen = WatchList();
  ASSERT_NE(screen, nullptr);
  RecordingRadar* radar = RadarOf(screen);
  ASSERT_NE(radar, nullptr);
  EXPECT_EQ(radar->pageId(), 12);
  Watch("SelfStock", 96);
  screen->menuBar()->changeSelSubItem(2);
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    return !wireRows.empty() && radar->totalInfoRecord() == static_cast<int>(wireRows.size());
  }));
  // One row per record, in record order: title over date, today's marked.
  ASSERT_GT(wireRows.size(), 4u);
  ASSERT_EQ(radar->totalInfoRecord(), static_cast<int>(wireRows.size()));
  bool today = false, earlier = false, wide = false;
  for (size_t i = 0; i < wireRows.size(); ++i) {
    const foundation::Value row = radar->currentInfoRecord(static_cast<int>(i));
    EXPECT_EQ(row["title"].asString(), wireRows[i].text) << i;
    EXPECT_EQ(row["date"].asString(), InfoDateText(wireRows[i].date));
    EXPECT_EQ(row["Node"].asString(), std::to_string(wireRows[i].id));
    const bool marked = row["date"].asString().find("(今)") != std::string::npos;
    EXPECT_EQ(marked, wireRows[i].date == server->date()) << i;
    today = today || marked;
    earlier = earlier || !marked;
    wide = wide || wireRows[i].id > 2147483647LL;
  }
  EXPECT_TRUE(today && earlier && wide);
  EXPECT_FALSE(LabelShown(radar));

  // An error answer empties the list and shows the watch list's text.
  server->setFault(Role::Quote, Fault::ErrorReply, 1, "出错了");
  screen->menuBar()->changeSelSubItem(2);
  ASSERT_TRUE(Shows(radar, 0));
  EXPECT_TRUE(LabelShown(radar));
  EXPECT_EQ(LabelText(radar), "没有最新自选股资讯");

  // A list whose stocks have no alerts: an empty answer, the same text.
  screen->menuBar()->changeSelSubItem(2);
  ASSERT_TRUE(Shows(radar, wireRows.size()));
  tagCodeItem none{};
  std::memcpy(none.code, "600999", 6);
  none.market = 1;
  none.zqlb = 2;
  SelfStock_ReplaceAll(&none, 1);
  SelfStock_SetUploadState(1);  // as after the upload of the new list
  radar->counts.clear();
  screen->doSomeWhenWillAppear();
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    return !radar->counts.empty();
  }));
  EXPECT_EQ(radar->totalInfoRecord(), 0);
  EXPECT_TRUE(LabelShown(radar));
  EXPECT_EQ(LabelText(radar), "没有最新自选股资讯");
}

TEST_F(RadarIntegration, ARadarReplyInTwoPacketsShowsTheFirstThenBoth) {
  SelfStockController* screen = WatchList();
  ASSERT_NE(screen, nullptr);
  RecordingRadar* radar = RadarOf(screen);
  ASSERT_NE(radar, nullptr);
  server->splitReplies(kMainTypeQuote, 96, 2);
  Watch("SelfStock", 96);
  radar->counts.clear();
  screen->menuBar()->changeSelSubItem(2);
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    return radar->counts.size() >= 2 && !wireRows.empty() &&
           radar->counts.back() == static_cast<int>(wireRows.size());
  }));
  // The last two calls: the first packet's rows, then both packets'.
  const int first = radar->counts[radar->counts.size() - 2];
  EXPECT_GT(first, 0);
  EXPECT_LT(first, radar->counts.back());
  for (size_t i = 0; i < wireRows.size(); ++i)
    EXPECT_EQ(radar->currentInfoRecord(static_cast<int>(i))["Node"].asString(),
              std::to_string(wireRows[i].id));
}

TEST_F(RadarIntegration, DetailPagerInformationPageAndTwoTableBodies) {
  SelfStockController* screen = WatchList();
  ASSERT_NE(screen, nullptr);
  auto pager = std::dynamic_pointer_cast<TrendlineController>(screen->openDetail("600000", 1, 2));
  ASSERT_NE(pager, nullptr);
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    return screen->navigationController()->topViewController() == pager.get();
  }));
  auto* radar = dynamic_cast<RadarView*>(pager->pageView(kTagRadarPage));
  ASSERT_NE(radar, nullptr);
  EXPECT_EQ(radar->pageId(), 13);
  EXPECT_EQ(radar->currentNavigationController(), screen->navigationController());
  Watch("TrendLine", 81);
  pager->showSubPage(4);
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    return !wireRows.empty() && radar->totalInfoRecord() == static_cast<int>(wireRows.size());
  }));
  // The stock's own alerts: the bundled stock has three days of them.
  ASSERT_GE(wireRows.size(), 3u);
  ASSERT_EQ(radar->totalInfoRecord(), static_cast<int>(wireRows.size()));
  for (size_t i = 0; i < wireRows.size(); ++i)
    EXPECT_EQ(radar->currentInfoRecord(static_cast<int>(i))["title"].asString(), wireRows[i].text);
  EXPECT_FALSE(LabelShown(radar));

  // An error answer while the pager is on top: empty, with the page's own text.
  server->setFault(Role::Quote, Fault::ErrorReply, 1, "出错了");
  pager->showSubPage(4);
  ASSERT_TRUE(Shows(radar, 0));
  EXPECT_TRUE(LabelShown(radar));
  EXPECT_EQ(LabelText(radar), "没有相关信息");

  // The server's rows as two tables in one body: the first table's rows first, then the rest.
  std::vector<uint8_t> body;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "IndexStock", [&](const foundation::Notification& n) {
        ReceiveRecordView reply;
        if (ReceiveRecordView::From(n, reply) && reply.header.ChildType == 81)
          body.assign(reply.body, reply.body + reply.bodyLen);
      });
  MDBF ask;
  ask.AddIntField(26, 1);
  ask.AddStringField(27, "600000");
  ask.AddIntField(29, 50);
  ask.AddIntField(98, 2);
  uint8_t packet[kPacketHeaderSize + 1008] = {0};
  int records = 0;
  const int len = ask.SerializeAll(packet + kPacketHeaderSize, 1008, &records);
  ASSERT_GT(len, 0);
  const int n = BuildPacket(kMainTypeQuote, 81, 18, 0, 77, packet, len, kCipherNone);
  PushCenterSendQueue(packet, n);
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    return !body.empty();
  }));
  MDBF first;
  const int used = first.Parse(body.data(), static_cast<int>(body.size()));
  ASSERT_GT(used, 0);
  ASSERT_LT(used, static_cast<int>(body.size()));  // a second table follows
  radar->SetRadarTitle(body.data(), static_cast<int>(body.size()));
  ASSERT_EQ(radar->totalInfoRecord(), static_cast<int>(wireRows.size()));
  for (size_t i = 0; i < wireRows.size(); ++i)
    EXPECT_EQ(radar->currentInfoRecord(static_cast<int>(i))["Node"].asString(),
              std::to_string(wireRows[i].id));
}

TEST_F(RadarIntegration, TheTextRequestCarriesASixtyFourBitIdIntact) {
  SelfStockController* screen = WatchList();
  ASSERT_NE(screen, nullptr);
  RecordingRadar* radar = RadarOf(screen);
  ASSERT_NE(radar, nullptr);
  std::string text;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "RadarCellContent", [&](const foundation::Notification& n) {
        ReceiveRecordView reply;
        if (!ReceiveRecordView::From(n, reply) || reply.header.isError()) return;
        radar->SetRadarContent(reply.body, reply.bodyLen);
        auto* content =
            dynamic_cast<RadarContentView*>(radar->viewWithTag(RadarView::kContentViewTag));
        if (content) text = content->ContentTextView()->text();
      });
  server->clearReceivedRequests();
  // The bundled 000002's alert of the day before the newest: its ids lie from 6,000,000,000 on,
  // one a day by the day's number.
  const bool begun =
      testserver::WeekDay(server->date()) % 6 != 0 && server->minute() >= 9 * 60 + 30;
  const int32_t day = testserver::TradingDaysBefore(server->date(), begun ? 1 : 2);
  const int64_t id = 6000000000LL + testserver::TradingOrdinal(day) % 100;
  radar->RequestRadarContent(id);
  ASSERT_TRUE(pump([&] {
    advance(0.05);
    return !text.empty();
  }));
  EXPECT_NE(text.find("000002"), std::string::npos);
  bool seen = false;
  for (const auto& r : server->receivedRequests(Role::Quote)) {
    if (r.header.ChildType != 82) continue;
    MDBF t;
    ASSERT_GT(t.Parse(r.body.data(), static_cast<int>(r.body.size())), 0);
    t.Seek(0);
    EXPECT_EQ(t.GetInt64(22), id);
    EXPECT_EQ(r.header.PageID, 12);
    EXPECT_EQ(r.header.RequestCode & 0x3fff, 0);
    seen = true;
  }
  EXPECT_TRUE(seen);
}

}  // namespace
