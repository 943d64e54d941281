// The futures tick list: a tick reply's difference-coded records, the trades pushed quotes make,
// what each row shows, and the holder view's own list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/FuturesTicks.h"
#include "panels/CellFenBi.h"
#include "panels/FenBiTable.h"
#include "panels/FenBiView.h"
#include "tests/detail/PanelTestSupport.h"

namespace {

struct WireTick {
  int16_t time;
  int32_t price;
  int32_t volume = 1;
  char side = 0;
  int32_t cc = 0;
  char nature = 0;
};

// The records of a tick reply as the server sends them.
std::vector<uint8_t> Records(const std::vector<WireTick>& ticks) {
  std::vector<uint8_t> out(ticks.size() * kFenBiRecordSize);
  uint8_t* p = out.data();
  for (const WireTick& t : ticks) {
    WriteLE16(p, static_cast<uint16_t>(t.time));
    WriteLE32(p + 2, static_cast<uint32_t>(t.price));
    WriteLE32(p + 6, static_cast<uint32_t>(t.volume));
    p[10] = static_cast<uint8_t>(t.side);
    WriteLE32(p + 11, static_cast<uint32_t>(t.cc));
    p[15] = static_cast<uint8_t>(t.nature);
    p += kFenBiRecordSize;
  }
  return out;
}

tagQHFenBiHead Head(int count) {
  tagQHFenBiHead head{};
  head.market = 4;
  std::memcpy(head.code, "IF1512", 6);
  head.count = static_cast<uint16_t>(count);
  return head;
}

tagLocalStockData Futures(uint8_t pricedot) {
  tagLocalStockData q{};
  q.market = 4;
  std::memcpy(q.code, "IF1512", 7);
  q.pricedot = pricedot;
  q.unit = 1;
  q.yesterday = 35010000;
  return q;
}

// A pushed quote at hh:mm with the day's volume so far.
tagLocalStockData Pushed(tagLocalStockData q, int hour, int minute, int64_t volume, int32_t now,
                         char side = 0) {
  q.datetime.Hour = static_cast<uint32_t>(hour);
  q.datetime.Minute = static_cast<uint32_t>(minute);
  q.volume = volume;
  q.now = now;
  q.flag_nwp = side;
  return q;
}

class FenBiTableTest : public paneltest::PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    table = FenBiTable::create({0, 0, 320, 20 + 20 * 17});
    window->addSubview(table);
  }
  CellFenBi* Row(int r) {
    table->tableView()->layoutIfNeeded();
    ui::TableViewCell* cell =
        table->tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(r, 0));
    return cell ? dynamic_cast<CellFenBi*>(cell->viewWithTag(kCellFenBiTag)) : nullptr;
  }
  int Rows() { return table->tableView()->numberOfRowsInSection(0); }
  // Time texts of the rows from the top.
  std::vector<std::string> Times() {
    std::vector<std::string> out;
    for (int r = 0; r < Rows(); ++r) out.push_back(Row(r) ? Row(r)->timeLabel()->text() : "?");
    return out;
  }

  std::shared_ptr<FenBiTable> table;
};

TEST_F(FenBiTableTest, TickRepliesListNewestOnTopAtMostTwentyAndNothingPastTheBody) {
  table->SetDataInfo(Futures(0), 1);
  const auto bytes = Records({{570, 3500}, {2, 2}, {3, -1}});
  table->SetDetailData(Head(3), bytes.data(), bytes.size());
  EXPECT_EQ(Times(), (std::vector<std::string>{"09:35", "09:32", "09:30"}));
  EXPECT_EQ(+table->slot(17).price, 35010000);
  EXPECT_EQ(+table->slot(18).price, 35020000);
  EXPECT_EQ(+table->slot(19).price, 35000000);

  std::vector<WireTick> many;
  for (int i = 0; i < 25; ++i) many.push_back({static_cast<int16_t>(i == 0 ? 570 : 1), 1});
  const auto all = Records(many);
  table->SetDetailData(Head(25), all.data(), all.size());
  EXPECT_EQ(Rows(), 20);
  EXPECT_EQ(Times().front(), "09:49");  // the twentieth record, not the twenty-fifth
  EXPECT_EQ(Times().back(), "09:30");

  // A head that claims more records than the body holds: only the whole records are taken, and
  // the slots of the earlier, longer list are cleared.
  table->SetDetailData(Head(20), all.data(), 2 * kFenBiRecordSize + 7);
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Times(), (std::vector<std::string>{"09:31", "09:30"}));
  EXPECT_EQ(+table->slot(0).time, 0);
  table->SetDetailData(Head(3), nullptr, 0);
  EXPECT_EQ(Rows(), 0);

  // Hostile differences wrap as stored, without overflowing on the way.
  const auto wild = Records({{INT16_MAX, INT32_MAX}, {INT16_MAX, INT32_MAX}, {-1, INT32_MIN}});
  tagLocalQHFenBiData slots[kFenBiCapacity];
  EXPECT_EQ(DecodeFuturesTicks(wild.data(), wild.size(), 3, 0, slots), 3);
}

TEST_F(FenBiTableTest, PushesAddATradeWhenTheVolumeMovesNewestOnTop) {
  EXPECT_EQ(Rows(), 0);  // an empty list: only the titles
  table->tableView()->layoutIfNeeded();
  auto* header = table->tableView()->headerViewForSection(0);
  ASSERT_NE(header, nullptr);
  std::vector<std::string> titles;
  for (int i = 0; i < 5; ++i) {
    auto* label = dynamic_cast<ui::Label*>(header->viewWithTag(10 + i));
    ASSERT_NE(label, nullptr);
    titles.push_back(label->text());
    EXPECT_LE(label->frame().maxX(), 320);  // every title inside the list's width
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"时间", "最新", "现量", "仓差", "性质"}));

  tagLocalStockData q = Futures(1);
  q.unit = 10;
  table->SetDataInfo(Pushed(q, 9, 30, 1000, 35000000), 1);  // a reply: the base, no trade
  EXPECT_EQ(Rows(), 0);
  table->SetDataInfo(Pushed(q, 9, 31, 1104, 35010000, 0), 2);  // 104 shares: 10 lots rounded
  table->SetDataInfo(Pushed(q, 9, 31, 1104, 35010000, 0), 2);  // same volume: no trade
  table->SetDataInfo(Pushed(q, 9, 32, 1200, 35020000, 1), 1);  // a reply never adds one
  table->SetDataInfo(Pushed(q, 9, 33, 1300, 35030000, 1), 2);
  table->SetDataInfo(Pushed(q, 9, 34, 1336, 34990000, 2), 2);
  ASSERT_EQ(Rows(), 3);
  EXPECT_EQ(Times(), (std::vector<std::string>{"09:34", "09:33", "09:31"}));
  EXPECT_EQ(Row(2)->volLabel()->text(), "10");
  EXPECT_EQ(Row(1)->volLabel()->text(), "10");
  EXPECT_EQ(Row(0)->volLabel()->text(), "4");
  EXPECT_TRUE(Row(0)->arrow()->isHidden());  // neither side
  EXPECT_FALSE(Row(1)->arrow()->isHidden());
  EXPECT_EQ(Row(1)->nowLabel()->text(), "3503.0");

  // The twenty-first trade pushes the first out; twenty rows stay, newest on top, none empty.
  for (int i = 0; i < 17; ++i) table->SetDataInfo(Pushed(q, 10, i, 2000 + 10 * i, 35000000), 2);
  ASSERT_EQ(Rows(), 20);
  EXPECT_EQ(Times().back(), "09:31");
  table->SetDataInfo(Pushed(q, 11, 0, 9000, 35000000), 2);
  ASSERT_EQ(Rows(), 20);
  const auto times = Times();
  EXPECT_EQ(times.front(), "11:00");
  EXPECT_EQ(times[1], "10:16");
  EXPECT_EQ(times.back(), "09:33");
  for (const std::string& t : times) EXPECT_NE(t, "00:00");
}

TEST_F(FenBiTableTest, RowTextsAndTimes) {
  EXPECT_EQ(FenBiTable::CalcTime(905), "09:05");
  EXPECT_EQ(FenBiTable::CalcTime(1330), "13:30");

  table->SetDataInfo(Futures(0), 1);
  const auto bytes = Records({{570, 3502, 12, 1, -37, 5}, {1, -4, 3, 0, 8, 1}});
  table->SetDetailData(Head(2), bytes.data(), bytes.size());
  CellFenBi* newest = Row(0);
  CellFenBi* oldest = Row(1);
  ASSERT_TRUE(newest && oldest);
  EXPECT_EQ(oldest->ccLabel()->text(), "-37");  // the change of open interest, signed
  EXPECT_EQ(newest->ccLabel()->text(), "8");
  EXPECT_EQ(newest->xzLabel()->text(), "");  // no texts for the nature codes
  // Price colours against the previous close (3501): rise, fall.
  EXPECT_EQ(oldest->nowLabel()->textColor(), gfx::Color::rgb255(184, 6, 26));
  EXPECT_EQ(newest->nowLabel()->textColor(), gfx::Color::rgb255(123, 159, 88));
  EXPECT_EQ(oldest->volLabel()->textColor(), gfx::Color::rgb255(123, 159, 88));  // inside
  EXPECT_EQ(newest->volLabel()->textColor(), gfx::Color::rgb255(184, 6, 26));    // outside
}

TEST_F(FenBiTableTest, TheHolderKeepsItsOwnListAndLeavesItsTableAlone) {
  auto view = FenBiView::create({0, 0, 320, 360});
  window->addSubview(view);
  ASSERT_NE(view->detailTable(), nullptr);
  EXPECT_EQ(view->detailTable()->frame(), gfx::Rect(0, 0, 320, 360));

  view->SetDataInfo(Futures(0), 1);
  const auto bytes = Records({{570, 3500, 7, 1}, {2, 2, 9, 1}});
  view->SetDetailData(Head(2), bytes.data(), bytes.size());
  ASSERT_EQ(view->tickNum(), 2);
  EXPECT_EQ(+view->slot(18).time, 932);
  EXPECT_EQ(+view->slot(18).price, 35020000);
  EXPECT_EQ(+view->slot(19).volume, 7);
  view->SetDataInfo(Pushed(Futures(0), 9, 40, 50, 35030000, 1), 2);
  ASSERT_EQ(view->tickNum(), 3);
  EXPECT_EQ(+view->slot(17).time, 940);
  EXPECT_EQ(+view->slot(17).inoutflag, 0);  // the side of a pushed trade is not kept
  EXPECT_EQ(view->detailTable()->tickNum(), 0);
}

}  // namespace
