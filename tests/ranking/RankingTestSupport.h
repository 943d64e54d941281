// Ranking screens without a server: every pushed packet is caught, and replies are made here and
// handed to the screen as the core would post them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/PacketHeader.h"
#include "core/QuoteCache.h"
#include "core/ReceiveRecord.h"
#include "core/SelfStock.h"
#include "core/SendQueues.h"
#include "detail/TrendlineController.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "ranking/RankingClasses.h"
#include "ranking/SortControllers.h"
#include "ranking/StockSort.h"
#include "shell/VerdanAppDelegate.h"
#include "tests/shell/ScreenStandIns.h"
#include "tests/shell/StartupTestSupport.h"
#include "tests/widgets/QuoteListFixture.h"
#include "watchlist/WatchlistClasses.h"
#include "widgets/CustomLabels.h"
#include "widgets/ListCells.h"
#include "widgets/WidgetClasses.h"

namespace rankingtest {

struct SentPacket {
  PacketHeader header;
  std::vector<uint8_t> body;
};

// Moves the manual clock and runs everything then due, however busy the machine is (a run for a
// slice of real time may end before a due timer fires, which then fires in the next step).
inline void AdvanceAndDrain(double seconds) {
  foundation::Clock::advance(seconds);
  while (foundation::RunLoop::main()->runOnce(foundation::kDefaultRunLoopMode, 0)) {
  }
}

inline std::string Describe(const gfx::Rect& r) {
  // Appended piece by piece: GCC 12 -O2 warns falsely on chains of temporary strings.
  std::string text = "(";
  text += std::to_string(r.minX());
  text += ", ";
  text += std::to_string(r.width());
  text += ")";
  return text;
}

// What keeps a right-table row of a ranking list from being read, one line each: a visible value
// column whose frame meets the change box or one of the box's parts, a box part that sticks out
// of the box or reaches under the fixed name column, a box that does not sit over the first
// column, and a visible column whose text runs under the board counts. Empty when every column
// reads.
inline std::vector<std::string> RowCollisions(ui::View& content) {
  std::vector<std::string> found;
  auto* labels = dynamic_cast<CustomLabels*>(content.viewWithTag(445));
  auto* box = content.viewWithTag(399);
  if (!labels || !box) return {"row without its columns or change box"};
  const gfx::Rect boxFrame = box->frame();
  if (box->isHidden()) found.push_back("change box hidden");
  if (boxFrame.minX() < 0)
    found.push_back("change box under the name column " + Describe(boxFrame));
  std::vector<gfx::Rect> boxParts = {boxFrame};
  for (const auto& part : box->subviews()) {
    const gfx::Rect r = box->convertRectToView(part->frame(), &content);
    if (r.minX() < boxFrame.minX() || r.maxX() > boxFrame.maxX())
      found.push_back("box part " + std::to_string(part->tag()) + " outside the box " +
                      Describe(r));
    boxParts.push_back(r);
  }
  const std::vector<ui::Label*> columns = labels->labels();
  if (columns.empty()) return {"row without value columns"};
  const gfx::Rect first = columns.front()->convertRectToView(columns.front()->bounds(), &content);
  if (boxFrame.minX() < first.minX() || boxFrame.maxX() > first.maxX())
    found.push_back("change box " + Describe(boxFrame) + " not over the first column " +
                    Describe(first));
  std::vector<gfx::Rect> counts;
  for (int tag : {101, 102, 103})
    if (ui::View* count = content.viewWithTag(tag)) counts.push_back(count->frame());
  for (size_t i = 0; i < columns.size(); ++i) {
    ui::Label* column = columns[i];
    if (column->isHidden()) continue;
    const gfx::Rect r = column->convertRectToView(column->bounds(), &content);
    for (const gfx::Rect& part : boxParts)
      if (r.intersects(part))
        found.push_back("column " + std::to_string(i) + " " + Describe(r) + " meets the box at " +
                        Describe(part));
    if (column->text().empty()) continue;
    // Where the text is drawn: its measured width placed by the label's alignment.
    const double w = std::min(r.width(), gfx::measureText(column->text(), column->font()).width);
    double x = r.minX();
    if (column->textAlignment() == gfx::TextAlignment::Center) x += (r.width() - w) / 2;
    if (column->textAlignment() == gfx::TextAlignment::Right) x = r.maxX() - w;
    const gfx::Rect text(x, r.minY(), w, r.height());
    for (const gfx::Rect& count : counts)
      if (text.intersects(count))
        found.push_back("text of column " + std::to_string(i) + " " + Describe(text) +
                        " under a count " + Describe(count));
  }
  return found;
}

// RowCollisions of the first right-table row on show that has any (every row is checked).
inline std::vector<std::string> ListCollisions(Table_TableView& table) {
  table.rightTableView()->layoutIfNeeded();
  const auto cells = table.rightTableView()->visibleCells();
  if (cells.empty()) return {"no rows on show"};
  for (ui::TableViewCell* cell : cells) {
    std::vector<std::string> found = RowCollisions(*cell->contentView());
    if (!found.empty()) {
      found.insert(found.begin(), "row at y " + std::to_string(cell->frame().minY()));
      return found;
    }
  }
  return {};
}

class RankingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
    gfx::Image::clearNamedCache();
    foundation::Clock::setManual();
    ui::Screen::main().setHeight(480);
    QuoteCache_Init();
    SelfStock_Clear();
    VerdanAppDelegate::registerClasses();
    RegisterAccountDoubles();
    RegisterWidgetClasses();
    RegisterRankingClasses();
    RegisterDetailClasses();
    StockSort::resetLastShownStartIndex();
    previous_ = SetSendQueueSink([this](SendQueueKind kind, const uint8_t* packet, int length) {
      if (kind != SendQueueKind::Center || !packet || length < 16) return;
      SentPacket sent;
      PacketHeader::Read(packet, 16, &sent.header);
      sent.body.assign(packet + 16, packet + length);
      sent_.push_back(std::move(sent));
    });
  }
  void TearDown() override {
    navigation_.reset();
    SetSendQueueSink(previous_);
    foundation::Clock::setReal();
  }

  // Makes the screen registered as `className` and loads it inside a navigation controller.
  template <class T>
  std::shared_ptr<T> Load(const std::string& className) {
    auto screen = std::dynamic_pointer_cast<T>(ui::createViewController(className));
    EXPECT_NE(screen, nullptr);
    if (!screen) return nullptr;
    navigation_ = ui::NavigationController::create(screen);
    screen->view();
    return screen;
  }

  // The request the screen sent last.
  const SentPacket& Last() const { return sent_.back(); }
  size_t SentCount() const { return sent_.size(); }

  // Hands the screen a reply (or push) of the given child type under `code`.
  static void Deliver(StockSort& screen, uint8_t childType, uint16_t code,
                      const std::vector<uint8_t>& body, bool error = false,
                      uint8_t mainType = kMainTypeQuote, uint8_t dataFlag = 1) {
    std::vector<uint8_t> record(kReceiveRecordSize, 0);
    const int32_t status = kReceiveStatusPacket;
    std::memcpy(record.data(), &status, 4);
    PacketHeader header;
    header.flags = error ? 0x40 : 0;
    header.bodyLen = static_cast<uint16_t>(body.size());
    header.PageID = 17;
    header.MainType = mainType;
    header.ChildType = childType;
    header.RequestCode = code;
    header.DataFlag = dataFlag;
    header.Write(record.data() + kReceiveRecordHeaderOffset);
    if (!body.empty()) {
      std::memcpy(record.data() + kReceiveRecordBodyOffset, body.data(),
                  std::min<size_t>(body.size(), kReceiveRecordBodyCapacity));
    }
    screen.recvRecord(record.data(), static_cast<int>(record.size()));
  }

  // A sort page of `count` records from `start` that claims `total` stocks.
  static std::vector<uint8_t> SortPage(int start, int count, uint32_t total) {
    std::vector<uint8_t> body = quotelist::SortReply(start, count);
    WriteLE32(body.data() + 3, total);
    return body;
  }

  // The screen's reply to its own last request.
  void Answer(StockSort& screen, int count, uint32_t total) {
    Deliver(screen, 17, screen.lastRequestCode(), SortPage(screen.startIndex(), count, total));
  }

  std::vector<SentPacket> sent_;
  std::shared_ptr<ui::NavigationController> navigation_;

 private:
  SendQueueSink previous_;
};

inline std::string CodeOf(const tagLocalStockData& rec) {
  return std::string(rec.code, strnlen(rec.code, sizeof rec.code));
}

// The field id list at `at` of a request body (count byte first).
inline std::vector<uint8_t> Ids(const std::vector<uint8_t>& body, size_t at) {
  const size_t n = body.at(at);
  return std::vector<uint8_t>(body.begin() + static_cast<long>(at + 1),
                              body.begin() + static_cast<long>(at + 1 + n));
}

// Every column the screen's rows show is among the field ids its request asked for (which its
// pushes carry too): a column left out shows only what other screens brought into the cache.
inline void ExpectAsksForEveryColumn(const StockSort& screen, const std::vector<uint8_t>& asked) {
  ASSERT_FALSE(screen.rankParams().empty());
  for (const auto& param : screen.rankParams())
    EXPECT_NE(std::find(asked.begin(), asked.end(), param.fieldNo()), asked.end())
        << param.rankParamName() << " (field " << param.fieldNo() << ")";
}

// The running client against the in-process test server, with the list screens registered.
class RankingClientTest : public startuptest::StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    RegisterWidgetClasses();
    RegisterWatchlistClasses();
    RegisterRankingClasses();
    StockSort::resetLastShownStartIndex();
  }

  void LoggedIn() {
    Launch();
    ASSERT_TRUE(LoggedInAndShown());
    Settle();
  }

  // Chooses a tab and lets its screen ask for its page.
  template <class T>
  T* ShowTab(int slot) {
    app->tabBarController()->setSelectedIndex(app->indexInTabBar(slot));
    advance(0.2);
    auto* navigation = app->getTabBarNavigationController(app->indexInTabBar(slot));
    return navigation ? dynamic_cast<T*>(navigation->topViewController()) : nullptr;
  }

  // Waits for the answer to the screen's next redraw.
  static bool Answered(StockSort& screen, int before) {
    return WaitFor([&] { return screen.redraws() > before; });
  }
  // Sends through `act` and waits for the answer.
  template <class F>
  static bool Request(StockSort& screen, F act) {
    const int before = screen.redraws();
    act();
    return Answered(screen, before);
  }

  static std::vector<std::string> Codes(const StockSort& screen) {
    std::vector<std::string> out;
    for (int r = 0; r < screen.stockNum(); ++r) out.push_back(CodeOf(screen.row(r)));
    return out;
  }
};

}  // namespace rankingtest
