// The received price alerts against the test server: day groups, rows and cells, lists in
// parts, opening a stock, clearing, one request at a time, late and foreign replies.
#include <gtest/gtest.h>

#include <cstring>

#include "alerts/PriceNotificationList.h"
#include "core/ReceiveRecord.h"
#include "detail/TrendlineController.h"
#include "shell/ScreenRoles.h"
#include "tests/alerts/ClientTestSupport.h"
#include "testserver/Table.h"

namespace alerttest {
namespace {

using testserver::ReceivedAlert;

ReceivedAlert At(const std::string& when, int64_t id, std::string text = "股价已涨到10.00") {
  ReceivedAlert a;
  a.when = when;
  a.id = id;
  a.text = std::move(text);
  return a;
}

class PriceAlertReceived : public PriceAlertClientTest {
 protected:
  std::shared_ptr<PriceNotificationList> OpenList() { return OpenPage<PriceNotificationList>(); }
  static std::vector<std::string> Ids(PriceNotificationList& list) {
    std::vector<std::string> out;
    for (const auto& day : list.days()) {
      out.push_back(day.date + ":");
      for (const auto& row : day.list) out.push_back(row.id);
    }
    return out;
  }
  // Posts a list reply of the given code as the price-alert connection would.
  static void PostListReply(uint16_t code, const std::vector<ReceivedAlert>& alerts) {
    testserver::TableWriter w;
    for (const auto& a : alerts) {
      w.addRow();
      w.text(88, a.when);
      w.i64(81, a.id);
      w.text(82, a.type);
      w.utf16(83, a.text);
      w.text(8, a.code);
      w.utf16(9, a.name);
    }
    const std::vector<uint8_t> body = w.build();
    std::vector<uint8_t> record(kReceiveRecordSize);
    const int32_t status = kReceiveStatusPacket;
    std::memcpy(record.data(), &status, 4);
    PacketHeader h;
    h.MainType = 150;
    h.ChildType = 6;
    h.PageID = 51;
    h.RequestCode = code;
    h.DataFlag = 1;
    h.bodyLen = static_cast<uint16_t>(body.size());
    h.Write(record.data() + kReceiveRecordHeaderOffset);
    std::memcpy(record.data() + kReceiveRecordBodyOffset, body.data(), body.size());
    PostReceiveRecord("PriceNotification", record.data());
  }
};

TEST_F(PriceAlertReceived, NewGuestSeesTwoDaysFromTheMarket) {
  LoggedIn();
  auto list = OpenList();
  // The change threshold of 0 is met at the first minute of each of the last ten trading days.
  ASSERT_EQ(list->days().size(), 10u);
  EXPECT_EQ(list->tableView()->numberOfSections(), 10);
  ASSERT_EQ(Sent(6).size(), 1u);
  EXPECT_EQ(Sent(6)[0].header.PageID, 51);
  MDBF t;
  Body(Sent(6)[0], t);
  EXPECT_EQ(t.GetInt64(81), 0);
  EXPECT_EQ(t.GetInt(87), 200);
}

TEST_F(PriceAlertReceived, DaysRowsAndCells) {
  LoggedIn();
  ReceivedAlert noText = At("2015-12-17 11:00:00", 6, "");
  server->setReceivedAlerts(
      "",
      {At("2015-12-17 09:31:00", 1), At("2015-12-16 14:00:00", 2), At("2015-12-17 10:00:00", 3),
       At("2015-12-17", 4), At("2015-12-15", 5), noText, At("2015-12-16  15:00:00", 7),
       At("2015-12-17 13:00:00", 8,
          "涨跌幅已达5.00%，这是一条很长很长的提醒消息，它在两行之内放不下，所以末尾用省略号截断，"
          "后面还有更多的文字")});
  auto list = OpenList();
  EXPECT_EQ(Ids(*list),
            (std::vector<std::string>{"2015-12-17:", "1", "3", "4", "8", "2015-12-16:", "2", "7"}));
  ui::TableView& table = *list->tableView();
  ASSERT_EQ(table.numberOfSections(), 2);
  EXPECT_EQ(list->tableViewTitleForHeaderInSection(table, 1), "2015-12-16");
  EXPECT_DOUBLE_EQ(table.rectForHeaderInSection(0).height(), 20);
  EXPECT_DOUBLE_EQ(table.rectForRowAtIndexPath(ui::IndexPath::forRow(0, 0)).height(), 48);
  auto* cell = dynamic_cast<PriceNotificationListCell*>(
      table.cellForRowAtIndexPath(ui::IndexPath::forRow(2, 0)));
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->nameLabel()->text(), "浦发银行");
  EXPECT_EQ(cell->timeLabel()->text(), "");  // a day alone
  cell = dynamic_cast<PriceNotificationListCell*>(
      table.cellForRowAtIndexPath(ui::IndexPath::forRow(3, 0)));
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->timeLabel()->text(), "13:00:00");
  ui::Label* content = cell->contentLabel();
  EXPECT_DOUBLE_EQ(content->frame().height(), 32);
  EXPECT_DOUBLE_EQ(content->frame().y(), 16);
  EXPECT_EQ(content->numberOfLines(), 0);
  EXPECT_EQ(content->lineBreakMode(), gfx::LineBreakMode::TruncateTail);
  EXPECT_EQ(list->days()[1].list[1].time, "");  // two blanks

  // A reply without records empties the table.
  server->setReceivedAlerts("", {});
  list->requestList();
  ASSERT_TRUE(WaitFor([&] { return Idle(*list); }));
  EXPECT_EQ(table.numberOfSections(), 0);
}

TEST_F(PriceAlertReceived, ListInThreePacketsShowsEveryAlert) {
  LoggedIn();
  std::vector<ReceivedAlert> alerts;
  for (int i = 0; i < 9; ++i)
    alerts.push_back(At(i < 5 ? "2015-12-17 10:0" + std::to_string(i) + ":00"
                              : "2015-12-16 10:0" + std::to_string(i) + ":00",
                        i + 1));
  server->setReceivedAlerts("", alerts);
  server->splitReplies(150, 6, 3);
  auto list = OpenList();
  EXPECT_EQ(Ids(*list), (std::vector<std::string>{"2015-12-17:", "1", "2", "3", "4", "5",
                                                  "2015-12-16:", "6", "7", "8", "9"}));
  EXPECT_EQ(Sent(6).size(), 1u);
}

TEST_F(PriceAlertReceived, TappedAlertOpensItsStock) {
  LoggedIn();
  ReceivedAlert rise = At("2015-12-17 10:00:00", 1);
  rise.type = "1";
  rise.code = "600000ABCDEF";
  rise.market = 1;
  rise.zqlb = 1;
  ReceivedAlert change = At("2015-12-17 10:01:00", 2);
  change.type = "2";
  change.code = "000001";
  change.market = 2;
  server->setReceivedAlerts("", {rise, change});
  auto list = OpenList();
  ASSERT_EQ(list->days().size(), 1u);
  list->tableViewDidSelectRowAtIndexPath(*list->tableView(), ui::IndexPath::forRow(0, 0));
  advance(0.5);
  auto* pager = dynamic_cast<TrendlineController*>(Top());
  ASSERT_NE(pager, nullptr);
  EXPECT_EQ(pager->code(), "600000ABC");
  EXPECT_EQ(pager->marketType(), 1);
  EXPECT_EQ(pager->stockType(), 1);
  EXPECT_EQ(pager->selectedPage(), 1);  // the K-line page
  Navigation()->popViewControllerAnimated(false);
  advance(0.5);
  ASSERT_TRUE(WaitFor([&] { return Idle(*list); }));
  list->tableViewDidSelectRowAtIndexPath(*list->tableView(), ui::IndexPath::forRow(1, 0));
  advance(0.5);
  pager = dynamic_cast<TrendlineController*>(Top());
  ASSERT_NE(pager, nullptr);
  EXPECT_EQ(pager->code(), "000001");
  EXPECT_EQ(pager->marketType(), 2);
  EXPECT_EQ(pager->selectedPage(), 0);
  // Rows that do not exist open nothing.
  list->tableViewDidSelectRowAtIndexPath(*list->tableView(), ui::IndexPath::forRow(5, 3));
}

TEST_F(PriceAlertReceived, AStocksDetailOpensFromAnyScreenOnlyWhereItCanBeShown) {
  LoggedIn();
  auto list = OpenList();
  const size_t depth = Navigation()->viewControllers().size();
  // No code, or a screen outside any navigation: nothing is pushed and the caller hears so.
  EXPECT_FALSE(OpenStockDetail(*list, nullptr, 1, 1));
  auto loose = std::make_shared<PriceNotificationList>();
  EXPECT_FALSE(OpenStockDetail(*loose, "600000", 1, 1, kStockDetailKLinePage));
  EXPECT_EQ(Navigation()->viewControllers().size(), depth);
  ASSERT_TRUE(OpenStockDetail(*list, "000001", 2, 1, kStockDetailKLinePage));
  advance(0.5);
  auto* pager = dynamic_cast<TrendlineController*>(Top());
  ASSERT_NE(pager, nullptr);
  EXPECT_EQ(pager->code(), "000001");
  EXPECT_EQ(pager->marketType(), 2);
  EXPECT_EQ(pager->selectedPage(), kStockDetailKLinePage);
}

TEST_F(PriceAlertReceived, ClearAsksThenAsksTheListAgainBeforeTheText) {
  LoggedIn();
  auto list = OpenList();
  ASSERT_FALSE(list->days().empty());
  list->clearMessages();
  auto ask = AlertWithTag(PriceNotificationList::kClearAlertTag);
  ASSERT_TRUE(ask);
  EXPECT_EQ(ask->message(), "将清空所有提醒消息 \n确定继续吗？");
  EXPECT_EQ(ask->buttonTitleAtIndex(0), "继续");
  EXPECT_EQ(ask->buttonTitleAtIndex(1), "取消");
  ASSERT_TRUE(ask->pressButtonAtIndex(1));
  pump([] { return false; }, 0.2);
  EXPECT_TRUE(Sent(7).empty());
  list->clearMessages();
  server->clearReceivedRequests();
  // The list is asked for again before the server's text shows.
  const int32_t listCode = list->requestCode(PriceNotificationList::kSlotList);
  int32_t codeWhenShown = listCode;
  ASSERT_TRUE(PressAlert(PriceNotificationList::kClearAlertTag, 0));
  ASSERT_TRUE(WaitFor([&] {
    if (AlertText() != "提醒消息已清空") return false;
    codeWhenShown = list->requestCode(PriceNotificationList::kSlotList);
    return true;
  }));
  ASSERT_EQ(Sent(7).size(), 1u);
  EXPECT_NE(codeWhenShown, listCode);
  ASSERT_TRUE(WaitFor([&] { return Idle(*list); }));
  EXPECT_TRUE(list->days().empty());
  // Still empty at the next minute: today's alerts up to the clearing are not sent again.
  list->requestList();
  ASSERT_TRUE(WaitFor([&] { return Idle(*list); }));
  EXPECT_TRUE(list->days().empty());
}

TEST_F(PriceAlertReceived, OneRequestAtATimeLateAndForeignReplies) {
  LoggedIn();
  auto list = OpenList();
  const auto before = Ids(*list);
  server->setFault(Role::PriceAlert, Fault::Stall);
  server->clearReceivedRequests();
  list->requestList();
  ASSERT_TRUE(WaitFor([&] { return Sent(6).size() == 1; }));
  // While the box shows nothing more is sent, also when leaving and coming back.
  list->requestList();
  Navigation()->popViewControllerAnimated(false);
  advance(0.3);
  Navigation()->pushViewController(list, false);
  advance(0.3);
  pump([] { return false; }, 0.3);
  EXPECT_EQ(Sent(6).size(), 1u);
  const int32_t awaited = list->requestCode(PriceNotificationList::kSlotList);

  // The shell's own list request (page 51, a code the screen does not keep) changes nothing
  // here: the box waits on for the screen's own answer, until its time-out.
  server->clearFaults();
  app->QueryPriceNotificationList();
  pump([] { return false; }, 0.5);
  EXPECT_FALSE(list->waitingBox()->isHidden());
  EXPECT_EQ(list->requestCode(PriceNotificationList::kSlotList), awaited);
  EXPECT_EQ(Ids(*list), before);
  advance(31);
  EXPECT_EQ(AlertText(), "请求超时，请确认网络通讯是否正常！");
  ui::AlertView::dismissAll();

  // Once the time-out was shown, the late reply changes nothing the user sees; the list is
  // asked again with a new tap.
  server->setFault(Role::PriceAlert, Fault::Stall);
  list->requestList();
  ASSERT_TRUE(WaitFor([&] { return Sent(6).size() == 3; }));
  const int32_t late = list->requestCode(PriceNotificationList::kSlotList);
  advance(31);
  EXPECT_EQ(AlertText(), "请求超时，请确认网络通讯是否正常！");
  ui::AlertView::dismissAll();
  PostListReply(static_cast<uint16_t>(late), {At("2015-12-18 09:30:00", 42)});
  pump([] { return false; }, 0.3);
  EXPECT_EQ(Ids(*list), before);
  EXPECT_TRUE(list->waitingBox()->isHidden());
}

}  // namespace
}  // namespace alerttest
