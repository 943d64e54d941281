// The Hong Kong ten-level page: level rows, broker queues, the marker bubble, the seat pop-up and
// how a dragged queue holds the pager.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "detail/TrendlineController.h"
#include "panels/HK10DangView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Object.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/Touch.h"
#include "tests/detail/PanelTestSupport.h"

namespace {

using paneltest::kFall;
using paneltest::kRise;
using paneltest::kWhite;
using paneltest::SameRect;

const gfx::Color kPaleYellow = gfx::Color::rgb255(238, 236, 129);

class SeatRecorder : public HKJJPWViewDelegate {
 public:
  void HKJJPWViewClicked(const std::string& seat) override { seats.push_back(seat); }
  std::vector<std::string> seats;
};

// Best ask 10.000 with ten ask levels 0.2 apart, bids from 9.980 down, the tenth bid empty.
tagLocalStockData HongKong() {
  tagLocalStockData q{};
  q.market = 3;
  std::memcpy(q.code, "00005", 6);
  q.pricedot = 3;
  q.unit = 400;
  q.yesterday = 99800;
  q.now = 99800;
  for (int i = 0; i < 10; ++i) {
    q.buysell10.sell[i] = {100000 + 2000 * i, 4000 * (i + 1)};
    q.buysell10.buy[i] = {99800 - 2000 * i, 8000 * (i + 1)};
  }
  q.buysell10.buy[9] = {0, 0};
  const int16_t asks[] = {1234, 0, -2, 7, 1500, 1501, 1502};
  q.broker_info_sell.count = 7;
  std::memcpy(q.broker_info_sell.broker, asks, sizeof asks);
  q.broker_info_buy.count = 25;
  for (int i = 0; i < 25; ++i) q.broker_info_buy.broker[i] = static_cast<int16_t>(2000 + i);
  q.broker_info_buy.broker[3] = -1;
  return q;
}

class HKTenLevelsTest : public paneltest::PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    RegisterDetailClasses();
    auto made = ui::ClassRegistry::shared().create<HK10DangView>("HK10DangView");
    ASSERT_NE(made, nullptr);
    page = made;
    // The pager's paged scroll view around the page, one page further to turn to.
    pager = ui::ScrollView::create({0, 100, 320, 314});
    pager->setPagingEnabled(true);
    pager->setContentSize({640, 0});
    page->setFrame({0, 0, 320, 314});
    pager->addSubview(page);
    window->addSubview(pager);
    recorder = std::make_shared<SeatRecorder>();
    page->setJJPWDelegate(recorder);
    page->SetDataInfo(HongKong(), kQuoteFlagReply);
    window->layoutIfNeeded();
    page->tableView()->layoutIfNeeded();
  }
  ui::Label* cellLabel(int index, int tag) {
    auto* cell = page->tableView()->cellForRowAtIndexPath(ui::IndexPath{index / 10, index % 10});
    return cell ? dynamic_cast<ui::Label*>(cell->viewWithTag(tag)) : nullptr;
  }
  ui::View* cellSeparator(int index) {
    auto* cell = page->tableView()->cellForRowAtIndexPath(ui::IndexPath{index / 10, index % 10});
    return cell ? cell->viewWithTag(802) : nullptr;
  }
  static gfx::Point windowCentre(ui::View& view) {
    return view.convertPointToView(
        {view.bounds().width() / 2 + view.bounds().x(), view.bounds().height() / 2}, nullptr);
  }
  void tap(gfx::Point p) {
    auto& app = ui::Application::shared();
    app.sendTouch(ui::TouchPhase::Began, 0, p);
    app.sendTouch(ui::TouchPhase::Ended, 0, p);
    advance(0.05);
  }
  void tapPlace(HKJJPWView& grid, int place) {
    ui::Button* b = grid.button(place);
    ASSERT_NE(b, nullptr);
    tap(b->convertPointToView({b->bounds().width() / 2, b->bounds().height() / 2}, nullptr));
  }
  // A finger along `points` (window coordinates), one step per frame; released when `release`.
  void drag(const std::vector<gfx::Point>& points, bool release = true) {
    auto& app = ui::Application::shared();
    app.sendTouch(ui::TouchPhase::Began, 0, points.front());
    for (size_t i = 1; i < points.size(); ++i) {
      advance(1.0 / 60);
      app.sendTouch(ui::TouchPhase::Moved, 0, points[i]);
    }
    if (!release) return;
    app.sendTouch(ui::TouchPhase::Ended, 0, points.back());
  }
  std::vector<gfx::Point> sweep(double x0, double x1, double y, int steps = 10) {
    std::vector<gfx::Point> out;
    for (int i = 0; i <= steps; ++i) out.push_back({x0 + (x1 - x0) * i / steps, y});
    return out;
  }

  std::shared_ptr<HK10DangView> page;
  std::shared_ptr<ui::ScrollView> pager;
  std::shared_ptr<SeatRecorder> recorder;
};

TEST_F(HKTenLevelsTest, LevelRowsAndQueuesFollowTheQuote) {
  // Laid out again for the pager's page size: the table at the right, the asks over the bids.
  EXPECT_TRUE(SameRect(page->tableView()->frame(), 220, 51, 100, 263));
  EXPECT_EQ(page->rowHeight(), 13);
  EXPECT_TRUE(SameRect(page->sellView()->frame(), 0, 51, 220, 131.5));
  EXPECT_TRUE(SameRect(page->buyView()->frame(), 0, 183.5, 220, 129.5));

  const char* names[] = {"卖十", "卖一", "买一", "买十"};
  const int rows[] = {0, 9, 10, 19};
  const char* prices[] = {"11.800", "10.000", "9.980", "----"};
  const gfx::Color colours[] = {kRise, kRise, kWhite, kWhite};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(names[i]);
    ASSERT_NE(cellLabel(rows[i], 701), nullptr);
    EXPECT_EQ(cellLabel(rows[i], 701)->text(), names[i]);
    EXPECT_EQ(cellLabel(rows[i], 702)->text(), prices[i]);
    if (rows[i] != 19) {
      EXPECT_EQ(cellLabel(rows[i], 702)->textColor(), colours[i]);
    }
    EXPECT_EQ(cellLabel(rows[i], 703)->textColor(), kPaleYellow);
    // Only the line under 卖一 shows.
    ASSERT_NE(cellSeparator(rows[i]), nullptr);
    EXPECT_EQ(cellSeparator(rows[i])->isHidden(), rows[i] != 9);
  }
  // The volume column, right-aligned, ends inside the table (whose edge is the screen's).
  EXPECT_LE(cellLabel(0, 703)->frame().maxX(), page->tableView()->bounds().width() - 2);
  EXPECT_EQ(cellLabel(11, 702)->textColor(), kFall);
  EXPECT_EQ(cellLabel(9, 703)->text(), "4000");  // Hong Kong volumes stay in shares

  // Asks: seats "%4d" in the number colour, "+2S" in the marker colour, an empty place hidden
  // in its place, nothing past the count, one page without dots.
  HKJJPWView& asks = *page->sellView();
  EXPECT_EQ(asks.button(0)->currentTitle(), "1234");
  EXPECT_EQ(asks.button(0)->currentTitleColor(), HKJJPWView::numberColor());
  EXPECT_TRUE(asks.button(1)->isHidden());
  EXPECT_EQ(asks.button(2)->currentTitle(), "+2S");
  EXPECT_EQ(asks.button(2)->currentTitleColor(), HKJJPWView::markerColor());
  EXPECT_EQ(asks.button(3)->currentTitle(), "   7");
  EXPECT_TRUE(SameRect(asks.button(3)->frame(), 1, 3 * 24.1 + 1, 53, 22.1));
  EXPECT_FALSE(asks.button(6)->isHidden());
  EXPECT_TRUE(asks.button(7)->isHidden());
  EXPECT_TRUE(asks.pageControl()->isHidden());
  EXPECT_EQ(asks.scrollView()->contentSize().width, 220);
  // Bids: 25 entries make two pages with dots; markers read "-1S".
  HKJJPWView& bids = *page->buyView();
  EXPECT_EQ(bids.button(3)->currentTitle(), "-1S");
  EXPECT_EQ(bids.button(24)->currentTitle(), "2024");
  EXPECT_FALSE(bids.pageControl()->isHidden());
  EXPECT_EQ(bids.scrollView()->contentSize().width, 440);

  // An empty queue shows no place; a queue that shrank to one page while its second page was
  // shown goes back to the first.
  bids.scrollView()->setContentOffset({220, 0});
  tagLocalStockData q = HongKong();
  q.broker_info_sell.count = 0;
  q.broker_info_buy.count = 5;
  page->SetDataInfo(q, kQuoteFlagPush);
  for (int i = 0; i < kJJPWPlaces; ++i) EXPECT_TRUE(asks.button(i)->isHidden()) << i;
  EXPECT_EQ(bids.scrollView()->contentOffset().x, 0);
  EXPECT_TRUE(bids.pageControl()->isHidden());
  EXPECT_EQ(bids.pageControl()->currentPage(), 0);
}

TEST_F(HKTenLevelsTest, MarkersShowTheirPriceAndSeatsPopUpTheirName) {
  HKJJPWView& asks = *page->sellView();
  HKJJPWView& bids = *page->buyView();
  // Two steps of 0.02 above a best ask of 10.000.
  tapPlace(asks, 2);
  ASSERT_NE(asks.priceView(), nullptr);
  EXPECT_FALSE(asks.priceView()->isHidden());
  EXPECT_EQ(asks.priceLabel()->text(), "10.040");
  // On the marker's own place: it hides the marker, and no neighbouring seat lies half under it.
  EXPECT_EQ(asks.priceView()->frame(),
            asks.button(2)->convertRectToView(asks.button(2)->bounds(), &asks));
  EXPECT_NEAR(asks.priceLabel()->frame().width(), asks.button(2)->bounds().width(), 1e-6);
  EXPECT_NEAR(asks.priceLabel()->frame().height(), asks.button(2)->bounds().height(), 1e-6);
  EXPECT_TRUE(recorder->seats.empty());
  // The step below 0.500 is 0.005.
  tagLocalStockData q = HongKong();
  q.buysell10.buy[0].price = 5000;
  page->SetDataInfo(q, kQuoteFlagPush);
  tapPlace(bids, 3);
  EXPECT_EQ(bids.priceLabel()->text(), "0.495");
  // A tap on the bubble hides it.
  tap(windowCentre(*bids.priceView()));
  EXPECT_TRUE(bids.priceView()->isHidden());
  // Without a best price there is no price steps away from it.
  q.buysell10.buy[0].price = 0;
  page->SetDataInfo(q, kQuoteFlagPush);
  tapPlace(bids, 3);
  EXPECT_EQ(bids.priceLabel()->text(), "----");
  tap(windowCentre(*bids.priceView()));

  // A seat: the pager hears the number as shown and answers with the names.
  tapPlace(asks, 3);
  EXPECT_EQ(recorder->seats, (std::vector<std::string>{"   7"}));
  EXPECT_TRUE(asks.priceView()->isHidden());  // the seat tap closed the bubble
  EXPECT_EQ(page->detailView(), nullptr);
  page->refreshDetailView("(   7)汇丰", "香港上海汇丰银行有限公司");
  ASSERT_NE(page->detailView(), nullptr);
  EXPECT_FALSE(page->detailView()->isHidden());
  EXPECT_EQ(page->detailTitle(), "(   7)汇丰");
  EXPECT_EQ(page->detailContent(), "香港上海汇丰银行有限公司");
  // Both lines stand centred in the pop-up, the full name under the short one.
  for (int tag : {kHKDetailTitleTag, kHKDetailContentTag}) {
    auto* line = dynamic_cast<ui::Label*>(page->detailView()->viewWithTag(tag));
    ASSERT_NE(line, nullptr) << tag;
    EXPECT_EQ(line->textAlignment(), gfx::TextAlignment::Center) << tag;
    EXPECT_DOUBLE_EQ(line->frame().midX(), page->detailView()->bounds().midX()) << tag;
  }
  // Over whole rows of the queue: the seat's row and the next, the queue's whole width; the
  // pop-up hides what it covers.
  auto band = [&](HKJJPWView& queue, int firstRow) {
    const double ch = queue.scrollView()->bounds().height() / kJJPWRows;
    return gfx::Rect(queue.frame().x(), queue.frame().y() + firstRow * ch, queue.frame().width(),
                     2 * ch);
  };
  auto same = [](const gfx::Rect& a, const gfx::Rect& b) {
    return SameRect(a, b.x(), b.y(), b.width(), b.height());
  };
  EXPECT_TRUE(same(page->detailView()->frame(), band(asks, 3)));
  EXPECT_EQ(page->detailView()->backgroundColor().a(), 1);
  // The page keeps touches on the queues and on the shown pop-up; the levels are the pager's.
  auto touchAt = [&](double x, double y) {
    return ui::TouchSet{
        std::make_shared<ui::Touch>(0, window.get(), page->convertPointToView({x, y}, nullptr), 0)};
  };
  EXPECT_TRUE(page->isPointInScrollRect(touchAt(10, 300)));
  EXPECT_FALSE(page->isPointInScrollRect(touchAt(260, 300)));
  EXPECT_FALSE(page->isPointInScrollRect(touchAt(160, 20)));
  page->setDetailViewPoint({100, 10});
  EXPECT_TRUE(page->isPointInScrollRect(touchAt(160, 20)));
  // A tap on the pop-up hides it.
  tap(windowCentre(*page->detailView()));
  EXPECT_TRUE(page->detailView()->isHidden());

  // A seat of the second page's last row.
  bids.scrollView()->setContentOffset({220, 0});
  tapPlace(bids, 24);
  EXPECT_EQ(recorder->seats.back(), "2024");
  page->refreshDetailView("(2024)中银", "中银国际证券有限公司");
  EXPECT_TRUE(same(page->detailView()->frame(), band(bids, 3)));  // the last row: the one above
  // A seat of the first row.
  bids.scrollView()->setContentOffset({0, 0});
  tapPlace(bids, 15);
  page->refreshDetailView("(2015)中银", "中银国际证券有限公司");
  EXPECT_TRUE(same(page->detailView()->frame(), band(bids, 0)));
  // Places past the count do not react; a marker closes the pop-up.
  asks.subItemButtonClick(*asks.button(9));
  EXPECT_FALSE(page->detailView()->isHidden());
  tapPlace(asks, 2);
  EXPECT_TRUE(page->detailView()->isHidden());
}

TEST_F(HKTenLevelsTest, DraggedQueueHoldsThePagerUntilItSettles) {
  HKJJPWView& bids = *page->buyView();
  const double y = bids.convertPointToView({0, 30}, nullptr).y;
  page->refreshDetailView("(2001)中银", "中银国际证券有限公司");

  // Out and back: released at rest, with no deceleration.
  std::vector<gfx::Point> outAndBack = sweep(150, 90, y);
  for (gfx::Point p : sweep(90, 150, y)) outAndBack.push_back(p);
  drag(outAndBack, false);
  EXPECT_TRUE(bids.scrollView()->isDragging());
  EXPECT_FALSE(pager->isScrollEnabled());
  EXPECT_TRUE(page->detailView()->isHidden());
  for (int i = 0; i < 10; ++i) advance(1.0 / 60);  // holds still before lifting
  ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, outAndBack.back());
  advance(0.5);
  EXPECT_EQ(bids.scrollView()->contentOffset().x, 0);
  EXPECT_TRUE(pager->isScrollEnabled());

  // A cancelled drag gives the pager back too.
  std::vector<gfx::Point> cancelled = sweep(150, 120, y);
  for (gfx::Point p : sweep(120, 150, y)) cancelled.push_back(p);
  drag(cancelled, false);
  ASSERT_FALSE(pager->isScrollEnabled());
  ui::Application::shared().cancelTouches();
  advance(0.5);
  EXPECT_TRUE(pager->isScrollEnabled());

  // A flick turns the queue to its second page; the pager stays where it was.
  drag(sweep(180, 20, y, 6));
  EXPECT_FALSE(pager->isScrollEnabled());
  advance(1);
  EXPECT_EQ(bids.scrollView()->contentOffset().x, 220);
  EXPECT_EQ(bids.pageControl()->currentPage(), 1);
  EXPECT_TRUE(pager->isScrollEnabled());
  EXPECT_EQ(pager->contentOffset().x, 0);
}

// A bubble or a seat's pop-up tells of the security it was tapped on: a push of the same one
// keeps them, another security (the title bar's arrows) takes them away.
TEST_F(HKTenLevelsTest, NothingOfTheSecurityLeftStaysOverTheNextOne) {
  HKJJPWView& asks = *page->sellView();
  tapPlace(asks, 2);
  ASSERT_NE(asks.priceView(), nullptr);
  page->SetDataInfo(HongKong(), kQuoteFlagPush);
  EXPECT_FALSE(asks.priceView()->isHidden());
  tagLocalStockData other = HongKong();
  std::memcpy(other.code, "00700", 6);
  page->SetDataInfo(other, kQuoteFlagReply);
  EXPECT_TRUE(asks.priceView()->isHidden());

  tapPlace(asks, 3);
  page->refreshDetailView("(   7)汇丰", "香港上海汇丰银行有限公司");
  ASSERT_NE(page->detailView(), nullptr);
  page->SetDataInfo(other, kQuoteFlagReply);
  EXPECT_FALSE(page->detailView()->isHidden());
  // The pager's change of security hands the cached quote, which may be the same as before or
  // empty (nothing cached yet): the change alone takes them away.
  page->SetDataInfo(other, kQuoteFlagNewStock);
  EXPECT_TRUE(page->detailView()->isHidden());
  tapPlace(asks, 2);
  page->SetDataInfo(tagLocalStockData{}, kQuoteFlagNewStock);
  EXPECT_TRUE(asks.priceView()->isHidden());
}

}  // namespace
