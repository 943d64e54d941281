// The watch-list screen against recorded requests and hand-made replies: the page request,
// the rows a reply yields, paging, sorting, late replies, pushes, the upload answer, the
// observation window and where the sideways columns come to rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/CoreState.h"
#include "core/MDBF.h"
#include "core/PacketHeader.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "core/ReceiveRecord.h"
#include "core/SelfStock.h"
#include "core/SendQueues.h"
#include "detail/TrendlineController.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/Touch.h"
#include "tests/shell/ScreenStandIns.h"
#include "tests/widgets/QuoteListFixture.h"
#include "testserver/MarketParts.h"
#include "testserver/QuoteEncoder.h"
#include "testserver/Wire.h"
#include "watchlist/MiniTline.h"
#include "watchlist/SelfStockController.h"
#include "widgets/CustomLabels.h"
#include "widgets/QuoteColors.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A page reply: `count` records written, `announced` in the head, `total` the list's size.
Bytes PageReply(int start, int count, int announced, int total) {
  Bytes b = quotelist::SortReply(start, count);
  WriteLE32(b.data() + 3, static_cast<uint32_t>(total));
  WriteLE16(b.data() + 7, static_cast<uint16_t>(announced));
  return b;
}

Bytes Record(uint8_t child, uint16_t code, const Bytes& body, uint8_t flags = 0,
             uint8_t dataFlag = 0) {
  Bytes rec(kReceiveRecordSize, 0);
  WriteLE32(rec.data(), kReceiveStatusPacket);
  PacketHeader h;
  h.flags = flags;
  h.bodyLen = static_cast<uint16_t>(body.size());
  h.PageID = 12;
  h.MainType = kMainTypeQuote;
  h.ChildType = child;
  h.RequestCode = code;
  h.DataFlag = dataFlag;
  h.Write(rec.data() + kReceiveRecordHeaderOffset);
  std::copy(body.begin(), body.end(), rec.begin() + kReceiveRecordBodyOffset);
  return rec;
}

// The radar list the watch list makes by name: keeps what it is handed.
class RadarStandIn : public ui::View, public RadarListRole {
 public:
  void setPageId(int pageId) override { pageId_ = pageId; }
  void setCurrentNavigationController(ui::NavigationController*) override {}
  void updateNoItemsLabel(const std::string& text) override { noItemsText_ = text; }
  void SetRadarTitle(const foundation::Data& record) override {
    ReceiveRecordView view;
    records_ = 0;
    MDBF table;
    if (ReceiveRecordView::From(record.data(), static_cast<int>(record.size()), view) &&
        table.Parse(view.body, view.bodyLen) > 0)
      records_ = table.GetRecordNum();
  }
  void SetRadarTitle(const uint8_t* data, int size) override {
    records_ = 0;
    MDBF table;
    if (data && size > 0 && table.Parse(data, size) > 0) records_ = table.GetRecordNum();
  }
  int pageId() const { return pageId_; }
  const std::string& noItemsText() const { return noItemsText_; }
  int recordCount() const { return records_; }

 private:
  int pageId_ = 0;
  std::string noItemsText_;
  int records_ = 0;
};

struct SentPage {
  uint16_t code;
  uint8_t market, type, sort;
  uint16_t start, count;
  uint8_t list2Count;
};

// 600000 at a minute of 20261209, at a price and the day's volume, as a page's answer or a push
// carries it.
tagLocalStockData QuoteAt(int minuteOfDay, int32_t now, int64_t volume) {
  tagLocalStockData q = MakeEmptyStockData();
  q.market = 1;
  std::memcpy(q.code, "600000", 6);
  q.zqlb = 2;
  q.pricedot = 2;
  q.unit = 100;
  q.yesterday = 100000;
  q.now = now;
  q.volume = volume;
  q.datetime = testserver::MakeDateMin(20261209, minuteOfDay);
  return q;
}

class WatchListScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "verdan-watch-XXXXXX").string();
    documents_ = ::mkdtemp(tmpl.data());
    foundation::setDocumentsDir(documents_);
    foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
    foundation::Clock::setManual();
    ui::Screen::main().setHeight(480);
    gfx::Image::clearNamedCache();
    SelfStock_Clear();
    QuoteCache_Init();
    RegisterDetailClasses();
    ui::ClassRegistry::shared().registerClass<RadarStandIn>("RadarView");
    SetSendQueueSink([this](SendQueueKind kind, const uint8_t* p, int n) {
      if (kind == SendQueueKind::Center && p && n > 0) sent_.emplace_back(p, p + n);
    });
  }
  void TearDown() override {
    screen_.reset();
    drain();
    SetSendQueueSink({});
    SelfStock_Clear();
    std::error_code ec;
    std::filesystem::remove_all(documents_, ec);
  }

  void fillList(int count) {
    for (int i = 0; i < count; ++i) {
      char code[16];
      std::snprintf(code, sizeof code, "60%04d", i % 10000);
      SelfStock_Add(1, code, 2);
    }
    SelfStock_SetUploadState(1);
  }

  // A loaded screen that has appeared (its observation window open).
  void open() {
    screen_ = std::make_shared<SelfStockController>();
    ASSERT_NE(screen_->view(), nullptr);
    screen_->doSomeWhenWillAppear();
    drain();
  }

  void drain() {
    auto loop = foundation::RunLoop::main();
    for (int i = 0; i < 1000 && loop->runOnce(foundation::kDefaultRunLoopMode, 0); ++i) {
    }
  }

  SentPage lastPage() {
    SentPage p{};
    // The newest page request (the first appearance of a run also asks for the radar news).
    auto it = std::find_if(sent_.rbegin(), sent_.rend(), [](const Bytes& b) {
      return b.size() > kPacketHeaderSize && b[13] == 17;
    });
    EXPECT_NE(it, sent_.rend());
    if (it == sent_.rend()) return p;
    const Bytes& b = *it;
    PacketHeader h;
    PacketHeader::Read(b.data(), static_cast<int>(b.size()), &h);
    EXPECT_EQ(h.PageID, 12);
    p.code = h.RequestCode;
    const uint8_t* body = b.data() + kPacketHeaderSize;
    p.market = body[0];
    p.type = body[1];
    p.sort = body[2];
    p.start = ReadLE16(body + 3);
    p.count = ReadLE16(body + 5);
    p.list2Count = body[7 + 1 + body[7]];
    return p;
  }

  size_t pagesAsked() const {
    return static_cast<size_t>(std::count_if(sent_.begin(), sent_.end(), [](const Bytes& b) {
      return b.size() > kPacketHeaderSize && b[13] == 17;
    }));
  }

  void reply(const Bytes& rec) {
    screen_->takeRecord(rec.data(), static_cast<int>(rec.size()));
    drain();
  }

  std::string documents_;
  std::vector<Bytes> sent_;
  std::shared_ptr<SelfStockController> screen_;
};

TEST_F(WatchListScreen, AsksForThePageAndShowsTheReply) {
  fillList(50);
  open();
  SentPage p = lastPage();
  EXPECT_EQ(p.market, 101);
  EXPECT_EQ(p.type, 1);
  EXPECT_EQ(p.sort, 0);
  EXPECT_EQ(p.start, 0);
  EXPECT_EQ(p.count, 25);
  EXPECT_EQ(p.list2Count, 25);
  EXPECT_EQ(p.code, screen_->pageRequestCode());

  reply(Record(17, p.code, PageReply(0, 25, 25, 50)));
  EXPECT_EQ(screen_->stockNum(), 25);
  EXPECT_EQ(screen_->pageCount(), 2);
  EXPECT_STREQ(screen_->row(3).code, "000003");
  EXPECT_EQ(screen_->title(), "我的自选(1/2)");

  // The table shows the rows.
  ASSERT_NE(screen_->tableView(), nullptr);
  EXPECT_EQ(screen_->tableView()->leftTableView()->numberOfRowsInSection(0), 25);
}

TEST_F(WatchListScreen, ReadsOnlyTheRecordsTheBodyHolds) {
  fillList(30);
  open();
  SentPage p = lastPage();
  // The head claims 25 records; the body holds 3.
  reply(Record(17, p.code, PageReply(0, 3, 25, 30)));
  EXPECT_EQ(screen_->stockNum(), 3);
  // A body cut inside the head yields no rows and no total.
  Bytes cut = PageReply(0, 3, 3, 30);
  cut.resize(5);
  reply(Record(17, p.code, cut));
  EXPECT_EQ(screen_->stockNum(), 0);
  // More than a page of records fills one page.
  reply(Record(17, p.code, PageReply(0, 30, 30, 30)));
  EXPECT_EQ(screen_->stockNum(), 25);
  EXPECT_EQ(screen_->totalNum(), 30);
}

// The server answers the ids a request names. An answer made a minute before the figures the
// quote cache holds (it came late: the detail screen's quote and pushes moved on meanwhile) must
// not take the row back to that minute: the page asks for the records' minute and the day's
// volume, by which the cache tells the older answer.
TEST_F(WatchListScreen, ALatePageAnswerNeverTakesARowBackToAnEarlierMinute) {
  fillList(1);
  open();
  auto answer = [&](int minuteOfDay, int64_t volume) {
    auto it = std::find_if(sent_.rbegin(), sent_.rend(), [](const Bytes& b) {
      return b.size() > kPacketHeaderSize && b[13] == 17;
    });
    const uint8_t* body = it->data() + kPacketHeaderSize;
    std::vector<uint8_t> ids(body + 8, body + 8 + body[7]);
    const uint8_t* list2 = body + 8 + body[7];
    ids.insert(ids.end(), list2 + 1, list2 + 1 + list2[0]);
    ids = testserver::FilterQuoteFields(ids);
    const tagLocalStockData q = QuoteAt(minuteOfDay, 100000, volume);
    testserver::ByteWriter w;
    w.raw(body, 3);
    w.u32(1);
    w.u16(1);
    w.u8(static_cast<uint8_t>(ids.size()));
    w.raw(ids.data(), ids.size());
    testserver::EncodeQuoteRecord(q, ids, w);
    reply(Record(17, lastPage().code, w.take()));
  };
  answer(10 * 60 + 41, 2210000);
  ASSERT_EQ(screen_->stockNum(), 1);
  ASSERT_EQ(screen_->row(0).volume, 2210000);
  screen_->RequestData();
  answer(10 * 60 + 40, 1720000);
  ASSERT_EQ(screen_->stockNum(), 1);
  EXPECT_EQ(screen_->row(0).volume, 2210000);
  EXPECT_EQ(screen_->row(0).datetime.Minute, 41u);
  // The main-force columns ask for them too.
  screen_->MenuBarDidChangeToSubItem(1, *screen_->menuBar());
  answer(10 * 60 + 39, 1500000);
  EXPECT_EQ(screen_->row(0).volume, 2210000);
}

TEST_F(WatchListScreen, PagesByPullingPastEitherEnd) {
  fillList(50);
  open();
  reply(Record(17, lastPage().code, PageReply(0, 25, 25, 50)));
  const size_t before = sent_.size();
  screen_->tableTableViewReloadDataWithStatus(*screen_->tableView(), 1);  // previous on page 1
  EXPECT_EQ(sent_.size(), before);
  EXPECT_EQ(screen_->currentPage(), 0);

  screen_->tableTableViewReloadDataWithStatus(*screen_->tableView(), 2);
  ASSERT_EQ(sent_.size(), before + 1);
  EXPECT_EQ(lastPage().start, 25);
  reply(Record(17, lastPage().code, PageReply(25, 25, 25, 50)));
  EXPECT_EQ(screen_->title(), "我的自选(2/2)");

  screen_->tableTableViewReloadDataWithStatus(*screen_->tableView(), 2);  // past the last
  EXPECT_EQ(sent_.size(), before + 1);
  EXPECT_EQ(screen_->currentPage(), 1);

  // 26 stocks: the second page holds one row; its top strip leads back, no bottom strip.
  screen_->tableTableViewReloadDataWithStatus(*screen_->tableView(), 1);
  reply(Record(17, lastPage().code, PageReply(0, 25, 25, 26)));
  screen_->tableTableViewReloadDataWithStatus(*screen_->tableView(), 2);
  reply(Record(17, lastPage().code, PageReply(25, 1, 1, 26)));
  EXPECT_EQ(screen_->stockNum(), 1);
  EXPECT_EQ(screen_->title(), "我的自选(2/2)");
  ASSERT_NE(screen_->tableView()->preRefreshHeaderView(), nullptr);
  ASSERT_NE(screen_->tableView()->nextRefreshHeaderView(), nullptr);
  EXPECT_FALSE(screen_->tableView()->preRefreshHeaderView()->isHidden());
  EXPECT_TRUE(screen_->tableView()->nextRefreshHeaderView()->isHidden());
  EXPECT_EQ(WatchListPages::pageCount(26), 2);
  EXPECT_EQ(WatchListPages::pageAfterPull(1, 26, 2), -1);
  EXPECT_EQ(WatchListPages::pageAfterPull(0, 0, 2), -1);
  EXPECT_EQ(WatchListPages::titleWithPages("我的自选(3/4)", 0, 26), "我的自选(1/2)");
}

TEST_F(WatchListScreen, SortsByColumnTitlesFromPageOneAndDropsLateReplies) {
  fillList(50);
  open();
  const uint16_t first = lastPage().code;
  reply(Record(17, first, PageReply(0, 25, 25, 50)));
  screen_->tableTableViewReloadDataWithStatus(*screen_->tableView(), 2);
  ASSERT_FALSE(screen_->columns().empty());
  const int code = screen_->columns()[1].sorkType();

  screen_->sortByColumn(1, 1);
  SentPage p = lastPage();
  EXPECT_EQ(p.sort, static_cast<uint8_t>((code | 0x80) & 0xFF));
  EXPECT_EQ(p.start, 0);
  EXPECT_EQ(screen_->leftTitle()->titleLabel(0)->text(), "原始顺序");
  screen_->sortByColumn(1, 0);
  EXPECT_EQ(lastPage().sort, static_cast<uint8_t>(code & 0x7F));
  const uint16_t sorted = lastPage().code;

  // The reply to the older request is dropped.
  reply(Record(17, first, PageReply(25, 5, 5, 50)));
  EXPECT_EQ(screen_->stockNum(), 25);
  EXPECT_STREQ(screen_->row(0).code, "600000");
  reply(Record(17, sorted, PageReply(20, 25, 25, 50)));
  // The sorted page's stocks (in the order of their figures).
  std::vector<std::string> codes;
  for (int r = 0; r < screen_->stockNum(); ++r) codes.emplace_back(screen_->row(r).code);
  ASSERT_EQ(codes.size(), 25u);
  EXPECT_NE(std::find(codes.begin(), codes.end(), "600020"), codes.end());
  EXPECT_EQ(std::find(codes.begin(), codes.end(), "600000"), codes.end());

  // "原始顺序" restores the stored order.
  screen_->customLabelDidSelectIndex(*screen_->leftTitle(), 0, 0);
  EXPECT_EQ(lastPage().sort, 0);
  EXPECT_EQ(screen_->leftTitle()->titleLabel(0)->text(), "股票名称");
}

TEST_F(WatchListScreen, PushesReloadAndErrorsChangeNothing) {
  fillList(5);
  open();
  const uint16_t code = lastPage().code;
  reply(Record(17, code, PageReply(0, 5, 5, 5)));
  // A push under the page's code reloads the rows from the cache.
  reply(Record(12, code, {}));
  EXPECT_EQ(screen_->stockNum(), 5);
  // An error reply to the page request leaves the rows.
  reply(Record(17, code, PageReply(0, 1, 1, 1), 0x40));
  EXPECT_EQ(screen_->stockNum(), 5);
}

// Sets record `k` of a page reply (head 9, the fixture's field ids, 88-byte records) to a change
// of `basisPoints` hundredths of a percent: now, change and change rate agree.
void SetChange(Bytes& body, int k, int32_t basisPoints) {
  const size_t at = 9 + 1 + quotelist::WireIds().size() + 88 * static_cast<size_t>(k);
  const auto yesterday = static_cast<int32_t>(ReadLE32(body.data() + at + 28));
  const auto now = static_cast<int32_t>(yesterday + int64_t{yesterday} * basisPoints / 10000);
  WriteLE32(body.data() + at + 44, static_cast<uint32_t>(now));
  WriteLE32(body.data() + at + 64, static_cast<uint32_t>(now - yesterday));
  WriteLE32(body.data() + at + 68, static_cast<uint32_t>(basisPoints));
}

// Pushes move the figures of a sorted page where they stand; the rows must still follow the
// arrow, both at the first push after the page came and at the later ones, in either direction.
// The stored order stays as it came; a sorted page whose figures stand in another order is put in
// the order of its arrow.
TEST_F(WatchListScreen, PushedFiguresKeepASortedPageInTheOrderOfItsArrow) {
  constexpr int kRows = 6;
  fillList(kRows);
  open();
  auto changes = [&] {
    std::vector<int32_t> out;
    for (int r = 0; r < screen_->stockNum(); ++r) {
      tagLocalStockData rec;
      EXPECT_NE(QuoteCache_GetQuote(rec, screen_->row(r).market, screen_->row(r).code), 0);
      out.push_back(rec.zf);
    }
    return out;
  };
  auto push = [&](Bytes& page) {
    ASSERT_EQ(QuoteCache_ParseListReply(page.data(), page.size(), nullptr, kRows, nullptr), kRows);
    reply(Record(12, lastPage().code, page, 0, kDataFlagPush));
    foundation::Clock::advance(0.1);
    drain();
  };
  ASSERT_EQ(screen_->columns()[0].sorkType(), 1);  // 涨幅
  for (int type : {0, 1}) {
    SCOPED_TRACE(type == 0 ? "largest first" : "smallest first");
    screen_->sortByColumn(0, type);
    const bool smallestFirst = type != 0;
    Bytes page = PageReply(0, kRows, kRows, kRows);
    for (int k = 0; k < kRows; ++k) SetChange(page, k, smallestFirst ? 50 * k : 500 - 50 * k);
    reply(Record(17, lastPage().code, page));
    ASSERT_EQ(screen_->stockNum(), kRows);
    auto inOrder = [&](const std::vector<int32_t>& v) {
      return smallestFirst ? std::is_sorted(v.begin(), v.end())
                           : std::is_sorted(v.rbegin(), v.rend());
    };
    ASSERT_TRUE(inOrder(changes()));
    const std::string mover = screen_->row(1).code;

    // The first push after the page: row 1 goes to the far end of the arrow.
    SetChange(page, 1, smallestFirst ? 900 : -300);
    push(page);
    EXPECT_TRUE(inOrder(changes())) << ::testing::PrintToString(changes());
    EXPECT_EQ(screen_->row(kRows - 1).code, mover);
    // A later push: row 4 goes to the head.
    SetChange(page, 4, smallestFirst ? -500 : 1200);
    push(page);
    EXPECT_TRUE(inOrder(changes())) << ::testing::PrintToString(changes());
    EXPECT_EQ(changes().front(), smallestFirst ? -500 : 1200);
    EXPECT_EQ(screen_->stockNum(), kRows);
    // The cells show the rows in their new order.
    auto cell = ui::TableViewCell::create();
    Table_TableView& table = *screen_->tableView();
    screen_->tableViewCellContent(*cell, *table.leftTableView(), Table_TableView::kLeftTableTag,
                                  ui::IndexPath::forRow(0, 0));
    screen_->updateCellContent(*cell, *table.leftTableView(), Table_TableView::kLeftTableTag,
                               ui::IndexPath::forRow(0, 0));
    auto* labels = dynamic_cast<CustomLabels*>(
        cell->contentView()->viewWithTag(SelfStockController::kCellLabelsTag));
    ASSERT_NE(labels, nullptr);
    EXPECT_NE(labels->titleLabel(0)->text().find(screen_->row(0).code), std::string::npos);
  }

  // The stored order: pushes move no row.
  screen_->sortByStoredOrder();
  Bytes page = PageReply(0, kRows, kRows, kRows);
  for (int k = 0; k < kRows; ++k) SetChange(page, k, 50 * k);
  reply(Record(17, lastPage().code, page));
  std::vector<std::string> sent;
  for (int r = 0; r < kRows; ++r) sent.emplace_back(screen_->row(r).code);
  SetChange(page, 0, 900);
  push(page);
  push(page);
  for (int r = 0; r < kRows; ++r) EXPECT_EQ(screen_->row(r).code, sent[r]);

  // A page sorted by change whose figures stand in another order (the cache kept newer figures
  // than a late answer's) is shown in the order of its arrow at once.
  screen_->sortByColumn(0, 0);
  for (int k = 0; k < kRows; ++k) SetChange(page, k, 50 * k);
  reply(Record(17, lastPage().code, page));
  const std::vector<int32_t> shown = changes();
  EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend())) << ::testing::PrintToString(shown);
  EXPECT_EQ(screen_->row(0).zf, 50 * (kRows - 1));
}

TEST_F(WatchListScreen, UploadAnswerWithTheServersListGoesBackToPageOne) {
  fillList(50);
  open();
  reply(Record(17, lastPage().code, PageReply(0, 25, 25, 50)));
  screen_->tableTableViewReloadDataWithStatus(*screen_->tableView(), 2);
  EXPECT_EQ(screen_->currentPage(), 1);
  SelfStock_SetUpdateFlag(2);
  const size_t before = sent_.size();
  reply(Record(53, 999, {}));
  ASSERT_EQ(sent_.size(), before + 1);
  EXPECT_EQ(screen_->currentPage(), 0);
  EXPECT_EQ(lastPage().start, 0);
  // An erroneous upload answer asks for nothing.
  reply(Record(53, 999, {}, 0x40));
  EXPECT_EQ(sent_.size(), before + 1);
}

TEST_F(WatchListScreen, HearsRepliesOnlyWhileOnScreen) {
  fillList(5);
  open();
  EXPECT_TRUE(screen_->observing());
  const uint16_t code = lastPage().code;
  screen_->viewWillDisappear(false);
  EXPECT_FALSE(screen_->observing());
  Bytes rec = Record(17, code, PageReply(0, 5, 5, 5));
  foundation::Dictionary info;
  info["Data_ID"] = foundation::Value::data(rec.data(), rec.size());
  foundation::NotificationCenter::defaultCenter().post("SelfStock", nullptr,
                                                       foundation::Value(std::move(info)));
  drain();
  EXPECT_EQ(screen_->stockNum(), 0);
  // Appearing again asks for the page again. (The radar news is asked again too when the run's
  // first asking, made by this screen's first appearance, got no answer.)
  const size_t before = pagesAsked();
  screen_->doSomeWhenWillAppear();
  EXPECT_EQ(pagesAsked(), before + 1);
  EXPECT_TRUE(screen_->observing());
}

TEST_F(WatchListScreen, MainForceNeedsTheRight) {
  fillList(5);
  open();
  ParseRightsList("");
  ASSERT_TRUE(LacksRight30());
  EXPECT_FALSE(screen_->MenuBarShouldChangeToSubItem(1, *screen_->menuBar()));
  EXPECT_TRUE(screen_->MenuBarShouldChangeToSubItem(0, *screen_->menuBar()));
  ui::AlertView::dismissAll();
  // With the columns switched (as a user with the right would), the request asks for them.
  screen_->MenuBarDidChangeToSubItem(1, *screen_->menuBar());
  EXPECT_TRUE(screen_->showsMainForce());
  EXPECT_EQ(lastPage().list2Count, 20);
  // With the right the menu may switch; losing it switches back.
  ParseRightsList("30");
  EXPECT_TRUE(screen_->MenuBarShouldChangeToSubItem(1, *screen_->menuBar()));
  screen_->refreshTableShowType();
  EXPECT_TRUE(screen_->showsMainForce());
  ParseRightsList("");
  screen_->refreshTableShowType();
  EXPECT_FALSE(screen_->showsMainForce());
}

// The scrolling columns of a filled row, left to right, and those of the title row.
std::vector<ui::Label*> RowColumns(SelfStockController& screen, ui::TableViewCell& cell) {
  Table_TableView& table = *screen.tableView();
  screen.tableViewCellContent(cell, *table.rightTableView(), Table_TableView::kRightTableTag,
                              ui::IndexPath::forRow(0, 0));
  screen.updateCellContent(cell, *table.rightTableView(), Table_TableView::kRightTableTag,
                           ui::IndexPath::forRow(0, 0));
  auto* labels = dynamic_cast<CustomLabels*>(
      cell.contentView()->viewWithTag(SelfStockController::kCellLabelsTag));
  return labels ? labels->labels() : std::vector<ui::Label*>{};
}
std::vector<ui::Label*> TitleColumns(Table_TableView& table) {
  ui::View* holder = table.viewWithTag(Table_TableView::kRightTitleTag);
  if (!holder) return {};
  for (const auto& sub : holder->subviews())
    if (auto* labels = dynamic_cast<CustomLabels*>(sub.get())) return labels->labels();
  return {};
}

// Dragged as far left as it goes, the sideways block rests with its last column at the right
// edge, as the ranking lists do (no strip of empty column after it), and the column half under
// the fixed name column hides its figure whole instead of showing its end.
TEST_F(WatchListScreen, SidewaysColumnsRestWithTheLastColumnAtTheRightEdge) {
  fillList(5);
  open();
  reply(Record(17, lastPage().code, PageReply(0, 5, 5, 5)));
  ASSERT_EQ(screen_->stockNum(), 5);
  ParseRightsList("30");
  for (int menu : {0, 1}) {
    SCOPED_TRACE(menu == 0 ? "quotes" : "main force");
    if (menu == 1) {
      screen_->MenuBarDidChangeToSubItem(1, *screen_->menuBar());
      ASSERT_TRUE(screen_->showsMainForce());
    }
    Table_TableView& table = *screen_->tableView();
    ui::ScrollView* strip = table.rightScrollView();
    const double content = strip->contentSize().width;
    const double rest = content - strip->frame().width();  // the offset it comes to rest at
    ASSERT_GT(rest, 0);

    auto cell = ui::TableViewCell::create();
    const std::vector<ui::Label*> columns = RowColumns(*screen_, *cell);
    const std::vector<ui::Label*> titles = TitleColumns(table);
    ASSERT_FALSE(columns.empty());
    ASSERT_EQ(titles.size(), columns.size());
    // Each title starts over its column.
    for (size_t i = 0; i < columns.size(); ++i)
      EXPECT_DOUBLE_EQ(titles[i]->frame().x(), columns[i]->frame().x()) << i;
    const gfx::Rect last = columns.back()->frame();
    EXPECT_LE(last.maxX(), content);
    EXPECT_LT(content - last.maxX(), last.width() / 5) << "empty space right of the last column";

    // A figure as wide as the lists show ("88.88万") is wholly shown or wholly hidden at the
    // fixed column's edge.
    for (ui::Label* column : columns) {
      const gfx::Rect f = column->frame();
      const double w = gfx::measureText("88.88万", column->font()).width;
      const double textLeft = f.midX() - w / 2, textRight = f.midX() + w / 2;
      EXPECT_TRUE(textLeft >= rest || textRight <= rest)
          << "column at " << f.x() << " cut at " << rest;
    }
  }
  ParseRightsList("");
}

// The main-force columns' buying and selling strength (买卖强度) of a slightly negative value
// reads on the rows' dark background, in the same colour as the main-force ranking draws it.
TEST_F(WatchListScreen, AWeakStrengthReadsOnTheRowsAsInTheMainForceRanking) {
  fillList(2);
  open();
  ParseRightsList("30");
  screen_->MenuBarDidChangeToSubItem(1, *screen_->menuBar());
  ASSERT_TRUE(screen_->showsMainForce());
  size_t strength = 0;
  while (strength < screen_->columns().size() && screen_->columns()[strength].fieldNo() != 101)
    ++strength;
  ASSERT_LT(strength, screen_->columns().size());
  // The page with field 101 (the strength, in 1/10000) after the fixture's fields.
  const Bytes plain = PageReply(0, 2, 2, 2);
  const size_t ids = quotelist::WireIds().size();
  Bytes page(plain.begin(), plain.begin() + 9);
  page.push_back(static_cast<uint8_t>(ids + 1));
  page.insert(page.end(), plain.begin() + 10, plain.begin() + 10 + static_cast<long>(ids));
  page.push_back(101);
  for (int k = 0; k < 2; ++k) {
    const auto at = plain.begin() + 10 + static_cast<long>(ids) + 88 * k;
    page.insert(page.end(), at, at + 88);
    uint8_t mmq[4];
    WriteLE32(mmq, static_cast<uint32_t>(k == 0 ? -3000 : -3500000));
    page.insert(page.end(), mmq, mmq + 4);
  }
  reply(Record(17, lastPage().code, page));
  ASSERT_EQ(screen_->stockNum(), 2);
  for (int row = 0; row < 2; ++row) {
    tagLocalStockData rec;
    ASSERT_NE(QuoteCache_GetQuote(rec, screen_->row(row).market, screen_->row(row).code), 0);
    ASSERT_LT(rec.MMQ, 0);
    Table_TableView& table = *screen_->tableView();
    auto cell = ui::TableViewCell::create();
    const ui::IndexPath path = ui::IndexPath::forRow(row, 0);
    screen_->tableViewCellContent(*cell, *table.rightTableView(), Table_TableView::kRightTableTag,
                                  path);
    screen_->updateCellContent(*cell, *table.rightTableView(), Table_TableView::kRightTableTag,
                               path);
    auto* labels = dynamic_cast<CustomLabels*>(
        cell->contentView()->viewWithTag(SelfStockController::kCellLabelsTag));
    ASSERT_NE(labels, nullptr);
    ASSERT_GT(labels->labels().size(), strength);
    const gfx::Color shown = labels->labels()[strength]->textColor();
    EXPECT_GE(widgets::ContrastRatio(shown, widgets::ListRowBackground()), 3.0) << row;
    const gfx::Color ranking = widgets::MMQTextColor(rec.MMQ);
    EXPECT_EQ(shown.r(), ranking.r());
    EXPECT_EQ(shown.g(), ranking.g());
    EXPECT_EQ(shown.b(), ranking.b());
  }
  ParseRightsList("");
}

// A row built while the main-force columns were shown is used again after the quote columns
// come back (the table keeps its cells): it must show every quote column, not only as many as
// the main-force set had.
TEST_F(WatchListScreen, ARowBuiltForTheMainForceColumnsShowsEveryQuoteColumnAfterTheSwitch) {
  fillList(5);
  open();
  reply(Record(17, lastPage().code, PageReply(0, 5, 5, 5)));
  ASSERT_EQ(screen_->stockNum(), 5);
  ParseRightsList("30");
  Table_TableView& table = *screen_->tableView();
  const size_t quoteColumns = TitleColumns(table).size();
  screen_->MenuBarDidChangeToSubItem(1, *screen_->menuBar());
  ASSERT_TRUE(screen_->showsMainForce());
  auto cell = ui::TableViewCell::create();
  const size_t mainForceColumns = RowColumns(*screen_, *cell).size();
  ASSERT_LT(mainForceColumns, quoteColumns);

  screen_->MenuBarDidChangeToSubItem(0, *screen_->menuBar());
  ASSERT_FALSE(screen_->showsMainForce());
  // The table fills the kept cell again; it is not built anew.
  screen_->updateCellContent(*cell, *table.rightTableView(), Table_TableView::kRightTableTag,
                             ui::IndexPath::forRow(0, 0));
  std::vector<ui::Label*> columns;
  int boxes = 0;
  for (const auto& sub : cell->contentView()->subviews()) {
    if (auto* labels = dynamic_cast<CustomLabels*>(sub.get())) columns = labels->labels();
    if (sub->tag() == SelfStockController::kPriceBoxTag) ++boxes;
  }
  EXPECT_EQ(boxes, 1);
  ASSERT_EQ(columns.size(), quoteColumns);
  const std::vector<ui::Label*> titles = TitleColumns(table);
  for (size_t i = 1; i < columns.size(); ++i) {
    EXPECT_FALSE(columns[i]->text().empty()) << "column " << i << " empty";
    EXPECT_DOUBLE_EQ(titles[i]->frame().x(), columns[i]->frame().x()) << i;
  }
  ParseRightsList("");
}

// Dragging along the watch list's column titles sorts by nothing; a tap sorts by its title.
TEST_F(WatchListScreen, ADragAlongTheTitlesSortsByNoColumn) {
  fillList(5);
  open();
  reply(Record(17, lastPage().code, PageReply(0, 5, 5, 5)));
  Table_TableView& table = *screen_->tableView();
  ui::View* holder = table.viewWithTag(Table_TableView::kRightTitleTag);
  ASSERT_NE(holder, nullptr);
  CustomLabels* title = nullptr;
  for (const auto& sub : holder->subviews())
    if (auto* labels = dynamic_cast<CustomLabels*>(sub.get())) title = labels;
  ASSERT_NE(title, nullptr);
  const std::vector<ui::Label*> columns = title->labels();
  ASSERT_GE(columns.size(), 3u);
  auto touch = [](gfx::Point p) {
    return ui::TouchSet{std::make_shared<ui::Touch>(0, nullptr, p, 0)};
  };
  const gfx::Point from = columns[1]->frame().center(), to = columns[0]->frame().center();
  const size_t asked = sent_.size();
  title->touchesBegan(touch(from), ui::Event(0));
  title->touchesEnded(touch(to), ui::Event(0));
  EXPECT_EQ(sent_.size(), asked);
  title->touchesBegan(touch(from), ui::Event(0));
  title->touchesEnded(touch(gfx::Point(from.x - 3, from.y)), ui::Event(0));
  ASSERT_GT(sent_.size(), asked);
  EXPECT_NE(lastPage().sort, 0);
}

// A trend reply for the stock: one field, `points` values (first absolute), `announced` in
// the head.
Bytes TrendReply(const tagLocalStockData& rec, const std::vector<int32_t>& points, int announced) {
  Bytes b(14, 0);
  b[0] = rec.market;
  std::memcpy(b.data() + 1, rec.code, 8);
  WriteLE16(b.data() + 11, static_cast<uint16_t>(announced));
  b[13] = 1;
  b.push_back(6);
  for (int32_t v : points) {
    uint8_t w[4];
    WriteLE32(w, static_cast<uint32_t>(v));
    b.insert(b.end(), w, w + 4);
  }
  return b;
}

TEST_F(WatchListScreen, NameTapOpensTheMiniTrendAndAnotherTapClosesIt) {
  fillList(5);
  open();
  reply(Record(17, lastPage().code, PageReply(0, 5, 5, 5)));
  const double plain = SelfStockController::rowHeight();

  screen_->cellSectionView(2);
  ASSERT_NE(screen_->openPanel(), nullptr);
  EXPECT_EQ(screen_->openRow(), 2);
  EXPECT_TRUE(screen_->trendWaiting());
  EXPECT_EQ(*screen_->heightForRowAtIndexPath(*screen_->tableView()->leftTableView(), {0, 2}, 273),
            static_cast<int>(plain + 66));
  // The trend request names the row's stock and asks for the price field only.
  const Bytes& sent = sent_.back();
  PacketHeader h;
  PacketHeader::Read(sent.data(), static_cast<int>(sent.size()), &h);
  EXPECT_EQ(h.ChildType, 33);
  const uint8_t* body = sent.data() + kPacketHeaderSize;
  EXPECT_EQ(body[0], screen_->row(2).market);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(body + 1)), screen_->row(2).code);
  EXPECT_EQ(body[11], 1);
  EXPECT_EQ(body[12], 6);

  // The reply's count says 10 but only 3 points came: three are drawn.
  tagLocalStockData rec;
  ASSERT_NE(QuoteCache_GetQuote(rec, screen_->row(2).market, screen_->row(2).code), 0);
  reply(Record(33, h.RequestCode, TrendReply(rec, {rec.yesterday / 100, 5, -3}, 10)));
  EXPECT_FALSE(screen_->trendWaiting());
  MiniTline* panel = screen_->openPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->trendNum(), 3);
  EXPECT_TRUE(panel->drawsTrendLine());
  for (int32_t off : panel->offsets()) {
    EXPECT_LE(off, 0);
    EXPECT_GE(off, -60);
  }

  // Another name moves the panel; a second tap on it closes it.
  screen_->cellSectionView(4);
  EXPECT_EQ(screen_->openRow(), 4);
  EXPECT_EQ(screen_->openPanel()->trendNum(), 0);
  screen_->cellSectionView(4);
  EXPECT_EQ(screen_->openRow(), -1);
  EXPECT_EQ(screen_->openPanel(), nullptr);
  EXPECT_FALSE(screen_->trendWaiting());
  EXPECT_EQ(*screen_->heightForRowAtIndexPath(*screen_->tableView()->leftTableView(), {0, 4}, 273),
            plain);

  // A drag closes it too; a reply that comes after the close draws nothing.
  screen_->cellSectionView(1);
  const uint16_t code = screen_->trendRequestCode();
  screen_->tableTableViewWillBeginDragging(*screen_->tableView());
  EXPECT_EQ(screen_->openRow(), -1);
  reply(Record(33, code, TrendReply(rec, {1, 2}, 2)));
  EXPECT_EQ(screen_->openPanel(), nullptr);
}

TEST_F(WatchListScreen, TheOpenMiniTrendFollowsItsStockThroughNewPages) {
  fillList(8);
  open();
  reply(Record(17, lastPage().code, PageReply(0, 5, 5, 5)));
  screen_->cellSectionView(2);
  ASSERT_NE(screen_->openPanel(), nullptr);
  const std::string code = screen_->row(2).code;
  const uint8_t market = screen_->row(2).market;
  auto figures = [&](int row) {
    tagLocalStockData rec;
    EXPECT_NE(QuoteCache_GetQuote(rec, screen_->row(row).market, screen_->row(row).code), 0);
    return std::vector<std::string>{FormatPriceString(rec.high, 0, rec.pricedot, rec.now),
                                    FormatPriceString(rec.low, 0, rec.pricedot, rec.now),
                                    FormatPriceString(rec.yesterday, 0, rec.pricedot, rec.now)};
  };
  auto shown = [&] {
    MiniTline* panel = screen_->openPanel();
    if (!panel) return std::vector<std::string>{};
    return std::vector<std::string>{panel->highValue()->text(), panel->lowValue()->text(),
                                    panel->yesterdayValue()->text()};
  };
  const std::vector<std::string> own = figures(2);

  // The list reordered (the editor moved another stock to the top): the stock now stands one row
  // higher, and the panel goes with it, still with its own figures; the old row is a plain row.
  reply(Record(17, lastPage().code, PageReply(1, 5, 5, 5)));
  ASSERT_EQ(std::string(screen_->row(1).code), code);
  EXPECT_EQ(screen_->openRow(), 1);
  EXPECT_EQ(shown(), own);
  EXPECT_NE(figures(2), own);
  EXPECT_EQ(*screen_->heightForRowAtIndexPath(*screen_->tableView()->leftTableView(), {0, 2}, 273),
            SelfStockController::rowHeight());
  // Its trend is asked again under the new row; points of another stock are not drawn in it.
  tagLocalStockData other;
  ASSERT_NE(QuoteCache_GetQuote(other, screen_->row(2).market, screen_->row(2).code), 0);
  reply(Record(33, screen_->trendRequestCode(), TrendReply(other, {other.yesterday / 100, 5}, 2)));
  EXPECT_EQ(screen_->openPanel()->trendNum(), 0);
  tagLocalStockData mine;
  ASSERT_NE(QuoteCache_GetQuote(mine, market, code.c_str()), 0);
  reply(Record(33, screen_->trendRequestCode(), TrendReply(mine, {mine.yesterday / 100, 5}, 2)));
  EXPECT_EQ(screen_->openPanel()->trendNum(), 2);

  // The same page again (a refresh): it stays where it is.
  reply(Record(17, lastPage().code, PageReply(1, 5, 5, 5)));
  EXPECT_EQ(screen_->openRow(), 1);
  EXPECT_EQ(shown(), own);

  // The stock deleted from the list: the panel closes.
  reply(Record(17, lastPage().code, PageReply(3, 5, 5, 5)));
  EXPECT_EQ(screen_->openRow(), -1);
  EXPECT_EQ(screen_->openPanel(), nullptr);
}

// The open panel's trend comes back by itself after an error answer or none (a dropped
// connection), takes only its latest request's answer for its own stock, and is asked again when
// the screen comes back (the market moved on while the list was away).
TEST_F(WatchListScreen, TheOpenMiniTrendIsAskedAgainUntilItsOwnLatestAnswerComes) {
  fillList(5);
  open();
  reply(Record(17, lastPage().code, PageReply(0, 5, 5, 5)));
  tagLocalStockData mine, other;
  ASSERT_NE(QuoteCache_GetQuote(mine, screen_->row(2).market, screen_->row(2).code), 0);
  ASSERT_NE(QuoteCache_GetQuote(other, screen_->row(3).market, screen_->row(3).code), 0);
  auto trendAsks = [&] {
    std::vector<std::string> codes;
    for (const Bytes& b : sent_)
      if (b.size() > kPacketHeaderSize + 9 && b[13] == 33)
        codes.emplace_back(reinterpret_cast<const char*>(b.data() + kPacketHeaderSize + 1));
    return codes;
  };
  auto advance = [&](double seconds) {
    for (double t = 0; t < seconds; t += 0.25) {
      foundation::Clock::advance(0.25);
      drain();
    }
  };
  const std::string code = screen_->row(2).code;
  screen_->cellSectionView(2);
  ASSERT_EQ(trendAsks().size(), 1u);
  const uint16_t failing = screen_->trendRequestCode();
  reply(Record(33, failing, {}, 0x40));
  EXPECT_FALSE(screen_->holdsCurrentTrend());
  advance(1);
  ASSERT_EQ(trendAsks(), (std::vector<std::string>{code, code}));
  const uint16_t unanswered = screen_->trendRequestCode();
  EXPECT_NE(unanswered, failing);
  advance(7);
  ASSERT_EQ(trendAsks().size(), 3u);
  EXPECT_EQ(trendAsks().back(), code);
  // The answers of the earlier requests, and another stock's under the latest code, draw nothing.
  reply(Record(33, failing, TrendReply(mine, {mine.yesterday / 100, 1}, 2)));
  reply(Record(33, unanswered, TrendReply(mine, {mine.yesterday / 100, 1, 2}, 3)));
  reply(Record(33, screen_->trendRequestCode(), TrendReply(other, {other.yesterday / 100}, 1)));
  EXPECT_EQ(screen_->openPanel()->trendNum(), 0);
  EXPECT_FALSE(screen_->holdsCurrentTrend());
  reply(Record(33, screen_->trendRequestCode(),
               TrendReply(mine, {mine.yesterday / 100, 1, 2, 3}, 4)));
  EXPECT_EQ(screen_->openPanel()->trendNum(), 4);
  EXPECT_TRUE(screen_->holdsCurrentTrend());
  EXPECT_FALSE(screen_->trendWaiting());
  advance(10);
  EXPECT_EQ(trendAsks().size(), 3u);

  // Away and back: the trend is asked again, and the day as it stands now replaces the old one.
  screen_->viewWillDisappear(false);
  advance(10);
  EXPECT_EQ(trendAsks().size(), 3u);
  screen_->doSomeWhenWillAppear();
  ASSERT_EQ(trendAsks().size(), 4u);
  EXPECT_EQ(trendAsks().back(), code);
  reply(Record(17, lastPage().code, PageReply(0, 5, 5, 5)));
  ASSERT_EQ(screen_->openRow(), 2);
  reply(Record(33, screen_->trendRequestCode(),
               TrendReply(mine, {mine.yesterday / 100, 1, 2, 3, 4, 5}, 6)));
  EXPECT_EQ(screen_->openPanel()->trendNum(), 6);

  // A closed panel asks nothing more, and the late answer of its request lands on no row.
  const uint16_t closing = screen_->trendRequestCode();
  screen_->cellSectionView(1);
  screen_->cellSectionView(1);
  ASSERT_EQ(screen_->openRow(), -1);
  const size_t asked = trendAsks().size();
  advance(10);
  EXPECT_EQ(trendAsks().size(), asked);
  screen_->cellSectionView(3);
  reply(Record(33, closing, TrendReply(mine, {mine.yesterday / 100, 1}, 2)));
  EXPECT_EQ(screen_->openPanel()->trendNum(), 0);
}

// The open panel stays on the list as the market moves: a push that brings its row into a new
// minute asks the day's trend again (once, even when more minutes pass while the answer is on its
// way), and within the minute the chart's last point goes with the row's price.
TEST_F(WatchListScreen, TheOpenMiniTrendKeepsUpWithThePushedMinutes) {
  fillList(1);
  open();
  const uint16_t page = lastPage().code;
  // A record of 600000 at this minute, price and volume, as the page's answer or as its push.
  auto quote = [&](int minuteOfDay, int32_t now, int64_t volume, bool push) {
    const std::vector<uint8_t> ids = {9, 10, 19, 1, 3, 4, 5, 6, 21};
    tagLocalStockData q = QuoteAt(minuteOfDay, now, volume);
    q.high = std::max(now, 101000);
    q.low = std::min(now, 99000);
    testserver::ByteWriter w;
    w.u8(1);
    w.u8(2);
    w.u8(0);
    w.u32(1);
    w.u16(1);
    w.u8(static_cast<uint8_t>(ids.size()));
    w.raw(ids.data(), ids.size());
    testserver::EncodeQuoteRecord(q, ids, w);
    const Bytes body = w.take();
    if (push) {
      ASSERT_EQ(QuoteCache_ParseListReply(body.data(), body.size(), nullptr, 1, nullptr), 1);
      reply(Record(12, page, body, 0, kDataFlagPush));
    } else {
      reply(Record(17, page, body));
    }
    foundation::Clock::advance(0.1);
    drain();
  };
  auto trendAsks = [&] {
    return std::count_if(sent_.begin(), sent_.end(),
                         [](const Bytes& b) { return b.size() > kPacketHeaderSize && b[13] == 33; });
  };
  tagLocalStockData mine = MakeEmptyStockData();
  mine.market = 1;
  std::memcpy(mine.code, "600000", 6);
  auto rowPrice = [&] {
    tagLocalStockData rec;
    EXPECT_NE(QuoteCache_GetQuote(rec, 1, "600000"), 0);
    return rec.now;
  };
  auto answerTrend = [&](const std::vector<int32_t>& points) {
    reply(Record(33, screen_->trendRequestCode(),
                 TrendReply(mine, points, static_cast<int>(points.size()))));
  };

  quote(10 * 60 + 41, 102000, 2000000, false);
  ASSERT_EQ(screen_->stockNum(), 1);
  screen_->cellSectionView(0);
  ASSERT_EQ(trendAsks(), 1);
  answerTrend({1000, 10, 10});
  MiniTline* panel = screen_->openPanel();
  ASSERT_NE(panel, nullptr);
  ASSERT_EQ(panel->prices(), (std::vector<int32_t>{100000, 101000, 102000}));

  // The same minute moves on: nothing asked, the last point at the row's price and the panel's
  // figures the row's.
  quote(10 * 60 + 41, 98900, 2100000, true);
  EXPECT_EQ(trendAsks(), 1);
  EXPECT_EQ(panel->prices(), (std::vector<int32_t>{100000, 101000, 98900}));
  EXPECT_EQ(panel->lowValue()->text(), "9.89");

  // The next minute: the day is asked again and its answer drawn.
  quote(10 * 60 + 42, 98000, 2300000, true);
  ASSERT_EQ(trendAsks(), 2);
  answerTrend({1000, 10, -15, -15});
  EXPECT_EQ(panel->trendNum(), 4);
  EXPECT_EQ(panel->prices().back(), rowPrice());

  // Two minutes pass while an answer is on its way: one more asking, after that answer.
  quote(10 * 60 + 43, 98500, 2400000, true);
  ASSERT_EQ(trendAsks(), 3);
  quote(10 * 60 + 44, 99000, 2500000, true);
  EXPECT_EQ(trendAsks(), 3);
  answerTrend({1000, 10, -15, -15, 5});
  EXPECT_EQ(trendAsks(), 4);
  answerTrend({1000, 10, -15, -15, 5, 5});
  EXPECT_EQ(panel->trendNum(), 6);
  EXPECT_EQ(panel->prices().back(), rowPrice());
  EXPECT_EQ(trendAsks(), 4);
}

TEST_F(WatchListScreen, RadarItemAsksForTheListedStocksNewsAndHandsOverTheReply) {
  fillList(3);
  SelfStock_Add(1, "000001", 1);  // an index: no news
  open();
  auto* radar = dynamic_cast<RadarStandIn*>(screen_->radarView());
  ASSERT_NE(radar, nullptr);
  EXPECT_EQ(radar->pageId(), 12);
  EXPECT_EQ(radar->noItemsText(), "没有最新自选股资讯");
  EXPECT_TRUE(radar->isHidden());

  sent_.clear();
  screen_->MenuBarDidChangeToSubItem(2, *screen_->menuBar());
  EXPECT_FALSE(radar->isHidden());
  EXPECT_TRUE(screen_->tableView()->isHidden());
  ASSERT_EQ(sent_.size(), 1u);
  PacketHeader h;
  PacketHeader::Read(sent_[0].data(), static_cast<int>(sent_[0].size()), &h);
  EXPECT_EQ(h.ChildType, 96);
  EXPECT_EQ(h.PageID, 12);
  MDBF table;
  ASSERT_GT(table.Parse(sent_[0].data() + kPacketHeaderSize, h.bodyLen), 0);
  ASSERT_EQ(table.GetRecordNum(), 1);
  table.Seek(0);
  EXPECT_EQ(table.GetNSString(71), "01600000,01600001,01600002");
  EXPECT_EQ(table.GetInt(29), 50);

  // The reply's records reach the list; an error reply empties it.
  MDBF news;
  news.AddStringField(1, "title");
  uint8_t body[256];
  int written = 0;
  const int n = news.SerializeAll(body, sizeof body, &written);
  ASSERT_GT(n, 0);
  const Bytes newsBody(body, body + n);
  reply(Record(96, h.RequestCode, newsBody));
  EXPECT_EQ(radar->recordCount(), 1);
  EXPECT_TRUE(screen_->radarRequest().current());
  const uint16_t failing = h.RequestCode;
  reply(Record(96, failing, {}, 0x40));
  EXPECT_EQ(radar->recordCount(), 0);

  // The list is asked again by itself after a moment, and so is a request that gets no answer
  // at all (a dropped connection). Only the latest request's answer is taken.
  auto radarAsks = [&] {
    return std::count_if(sent_.begin(), sent_.end(), [](const Bytes& b) {
      return b.size() > kPacketHeaderSize && b[13] == 96;
    });
  };
  auto advance = [&](double seconds) {
    for (double t = 0; t < seconds; t += 0.25) {
      foundation::Clock::advance(0.25);
      drain();
    }
  };
  const auto before = radarAsks();
  advance(1);
  ASSERT_EQ(radarAsks(), before + 1);
  const uint16_t unanswered = screen_->radarRequestCode();
  EXPECT_NE(unanswered, failing);
  advance(7);
  ASSERT_EQ(radarAsks(), before + 2);
  EXPECT_FALSE(screen_->radarRequest().current());
  reply(Record(96, failing, newsBody));
  reply(Record(96, unanswered, newsBody));
  EXPECT_EQ(radar->recordCount(), 0);
  EXPECT_FALSE(screen_->radarRequest().current());
  reply(Record(96, screen_->radarRequestCode(), newsBody));
  EXPECT_EQ(radar->recordCount(), 1);
  EXPECT_TRUE(screen_->radarRequest().current());
  advance(10);
  EXPECT_EQ(radarAsks(), before + 2);

  // A request left unanswered when the screen went is asked again when it comes back, though the
  // list is not on show then.
  screen_->MenuBarDidChangeToSubItem(2, *screen_->menuBar());
  screen_->MenuBarDidChangeToSubItem(0, *screen_->menuBar());
  screen_->viewWillDisappear(false);
  advance(10);
  EXPECT_EQ(radarAsks(), before + 3);
  screen_->doSomeWhenWillAppear();
  EXPECT_EQ(radarAsks(), before + 4);
}

TEST(RadarStockText, LeavesOutIndicesAndHongKongWithoutTheRightAndStopsAtItsLimit) {
  QuoteCache_Init();
  std::vector<tagCodeItem> items(3);
  std::memcpy(items[0].code, "000001", 6);
  items[0].market = 1;
  items[0].zqlb = 1;
  std::memcpy(items[1].code, "00700", 5);
  items[1].market = 3;
  items[1].zqlb = 10;
  std::memcpy(items[2].code, "60000012", 8);
  items[2].market = 1;
  items[2].zqlb = 2;
  EXPECT_EQ(SelfStockController::RadarStockText(items.data(), 3, false), "01600000");
  EXPECT_EQ(SelfStockController::RadarStockText(items.data(), 3, true), "0300700,01600000");
  EXPECT_EQ(SelfStockController::RadarStockText(items.data(), 2, false), "");

  std::vector<tagCodeItem> many(1000);
  for (int i = 0; i < 1000; ++i) {
    std::snprintf(many[static_cast<size_t>(i)].code, 9, "60%04d", i);
    many[static_cast<size_t>(i)].market = 1;
    many[static_cast<size_t>(i)].zqlb = 2;
  }
  const std::string text = SelfStockController::RadarStockText(many.data(), 1000, true);
  EXPECT_EQ(text.size(), 7496u);
  EXPECT_EQ(std::count(text.begin(), text.end(), ',') + 1, 833);
}

TEST_F(WatchListScreen, QuoteColumnsOpenTheRowsStockInTheDetailScreenThatStepsThroughThePage) {
  fillList(5);
  open();
  reply(Record(17, lastPage().code, PageReply(0, 5, 5, 5)));
  ASSERT_EQ(screen_->stockNum(), 5);
  auto opened = screen_->openDetail(3, true);
  auto* detail = dynamic_cast<TrendlineController*>(opened.get());
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->code(), screen_->row(3).code);
  EXPECT_EQ(detail->market(), screen_->row(3).market);
  EXPECT_EQ(detail->initShowIndexType(), 0);
  EXPECT_EQ(detail->currentRow(), 3);
  auto list = detail->recordDelegate();
  ASSERT_EQ(list.get(), static_cast<TrendlineRecordDelegate*>(screen_.get()));
  // The detail screen steps through the rows of the page.
  EXPECT_EQ(list->totalStockRecord(), 5);
  for (int r = 0; r < 5; ++r) {
    foundation::Value rec = list->currentStockRecord(r);
    ASSERT_TRUE(rec.isDictionary()) << r;
    EXPECT_EQ(rec["code"].asString(), screen_->row(r).code);
    EXPECT_EQ(rec["market"].toInt(), screen_->row(r).market);
    EXPECT_EQ(rec["type"].toInt(), screen_->row(r).zqlb);
    EXPECT_FALSE(rec["name"].asString().empty());
  }
  EXPECT_TRUE(list->currentStockRecord(5).isNull());
  EXPECT_TRUE(list->currentStockRecord(-1).isNull());
  // Not a row of the page: nothing opens.
  EXPECT_EQ(screen_->openDetail(5, true), nullptr);
  EXPECT_EQ(screen_->openDetail(-1, true), nullptr);

  // The row view's disclosure and a picked search result open the stock alone; with the
  // main-force columns on, the detail screen starts on its main-force page.
  auto alone = std::dynamic_pointer_cast<TrendlineController>(screen_->openDetail(1));
  ASSERT_NE(alone, nullptr);
  EXPECT_EQ(alone->recordDelegate(), nullptr);
  EXPECT_EQ(alone->currentRow(), -1);
  ParseRightsList("30");
  screen_->MenuBarDidChangeToSubItem(1, *screen_->menuBar());
  auto picked = std::dynamic_pointer_cast<TrendlineController>(screen_->openDetail("000001", 2, 2));
  ASSERT_NE(picked, nullptr);
  EXPECT_EQ(picked->code(), "000001");
  EXPECT_EQ(picked->market(), 2);
  EXPECT_EQ(picked->initShowIndexType(), 1);
  EXPECT_EQ(picked->recordDelegate(), nullptr);
}

// The editor hands back its copy: stored in every case, marked for upload only when it
// differs from the list the screen gave it.
TEST_F(WatchListScreen, EditedListIsStoredAndMarkedForUploadOnlyWhenChanged) {
  fillList(4);
  open();
  SelfStock_SetDirty(0);
  TListBuffer same(0, 16, 100);
  SelfStock_CopyList(same);
  screen_->FinishSelfStock(same);
  EXPECT_EQ(SelfStock_IsDirty(), 0);
  EXPECT_EQ(SelfStock_GetCount(), 4);

  // Reordering only is a change.
  TListBuffer reordered(0, 16, 100);
  SelfStock_CopyList(reordered);
  tagCodeItem first, last;
  std::memcpy(&first, reordered.GetAt(0), sizeof first);
  std::memcpy(&last, reordered.GetAt(3), sizeof last);
  std::memcpy(reordered.GetAt(0), &last, sizeof last);
  std::memcpy(reordered.GetAt(3), &first, sizeof first);
  EXPECT_TRUE(SelfStockController::ListsDiffer(reordered, same));
  screen_->FinishSelfStock(reordered);
  EXPECT_EQ(SelfStock_IsDirty(), 1);
  EXPECT_STREQ(SelfStock_GetItem(0)->code, last.code);
  EXPECT_EQ(screen_->listCount(), 4);

  // The type byte alone, and a shorter list, are changes too.
  SelfStock_SetDirty(0);
  TListBuffer retyped(0, 16, 100);
  SelfStock_CopyList(retyped);
  EXPECT_FALSE(SelfStockController::ListsDiffer(retyped, reordered));
  reinterpret_cast<tagCodeItem*>(retyped.GetAt(2))->zqlb = 9;
  EXPECT_TRUE(SelfStockController::ListsDiffer(retyped, reordered));
  retyped.DeleteAt(0, 1);
  screen_->FinishSelfStock(retyped);
  EXPECT_EQ(SelfStock_IsDirty(), 1);
  EXPECT_EQ(SelfStock_GetCount(), 3);

  // A list of other items is refused and changes nothing.
  SelfStock_SetDirty(0);
  TListBuffer other(0, 8, 10);
  const char junk[8] = {'6', '0', '0', '0', '0', '0', 0, 0};
  other.Append(junk, 1);
  screen_->FinishSelfStock(other);
  EXPECT_EQ(SelfStock_IsDirty(), 0);
  EXPECT_EQ(SelfStock_GetCount(), 3);
}

struct DisclosureRecorder : SelfCellDelegate {
  void DisclosureDetail(int row) override { rows.push_back(row); }
  std::vector<int> rows;
};

TEST(SelfCellView, LaysOutInSixthsAndReportsItsRow) {
  auto cell = SelfCell::create(gfx::Rect(0, 0, 320, 60));
  // u = 53, q = 13, captions at 3.6u + 15 - 5, values at 4.1u + 15 - 5, 1.5u - 20 wide.
  EXPECT_EQ(cell->ItemName(2)->frame(), gfx::Rect(200, 17, 26, 13));
  EXPECT_EQ(cell->ItemValue(4)->frame(), gfx::Rect(227, 30, 59, 13));
  EXPECT_EQ(cell->ItemValue(1)->frame(), gfx::Rect(2.3 * 53, 15, 1.3 * 53, 20));
  EXPECT_EQ(cell->ItemSubValue1()->frame(), gfx::Rect(2.6 * 53, 35, 53, 10));
  const gfx::Rect mark = cell->ImageUpDownFlag()->frame();
  EXPECT_NEAR(mark.x(), 101, 1e-6);
  EXPECT_NEAR(mark.y(), 10, 1e-6);
  EXPECT_NEAR(mark.width(), 1.8 * 53, 1e-6);
  EXPECT_NEAR(mark.height(), 39, 1e-6);
  EXPECT_EQ(cell->disclosureButton()->frame(), gfx::Rect(292, 18, 24, 24));
  EXPECT_EQ(cell->ItemName(0), nullptr);
  EXPECT_EQ(cell->ItemValue(6), nullptr);

  auto recorder = std::make_shared<DisclosureRecorder>();
  cell->setDelegate(recorder);
  cell->setIndex(7);
  cell->disclosureButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(recorder->rows, std::vector<int>{7});
  // A delegate that went away is not called.
  recorder.reset();
  cell->DisclosureButton();
}

TEST(MiniTlinePanel, TakesAtMostWhatItHoldsAndFillsTheWidthWithADaysMinutes) {
  auto panel = MiniTline::create(gfx::Rect(0, 0, 320, 0));
  tagLocalStockData rec = MakeEmptyStockData();
  rec.pricedot = 2;
  rec.yesterday = rec.high = rec.low = rec.now = 100000;
  panel->SetDataValue(rec);
  EXPECT_EQ(panel->highValue()->text(), "10.00");
  tagMiniTrendHead head{};
  // No points leaves the panel as it was.
  head.count = 0;
  const uint8_t none[4] = {};
  panel->SetTrendLineArray(head, none, 0);
  EXPECT_FALSE(panel->drawsTrendLine());

  // A flat day lies at mid-height.
  Bytes points(4 * 2000, 0);
  WriteLE32(points.data(), 1000);
  head.count = 2000;
  panel->SetTrendLineArray(head, points.data(), 2000);
  EXPECT_EQ(panel->trendNum(), kMiniTrendCapacity);
  EXPECT_EQ(panel->prices()[0], 100000);
  EXPECT_EQ(panel->offsets()[0], -30);
  // Without trading times a day has 241 minutes across the 190 points.
  EXPECT_DOUBLE_EQ(panel->zoomScale() * 241, MiniTline::kChartWidth);
}

}  // namespace
