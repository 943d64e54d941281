// The K-line chart in tests: crafted bars and heads, a chart at the landscape frame with its own
// documents folder, and the test server's K-line and ex-rights answers fetched over loopback with
// the pager's field lists and parsed by the client's own parsers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/ChartData.h"
#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "core/QuoteRequests.h"
#include "core/ReplyHead.h"
#include "detail/TimeLabel.h"
#include "kline/KLineModuleView.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "tests/testserver/ChartClientSupport.h"

namespace klinetest {

// A day bar: open, high, low, close in price units, volume.
inline tagLocalKData Bar(uint32_t date, int32_t open, int32_t high, int32_t low, int32_t close,
                         int64_t volume = 1000) {
  tagLocalKData b{};
  b.Date = date;
  b.open = open;
  b.high = high;
  b.low = low;
  b.close = close;
  b.volume = volume;
  return b;
}

// The n-th trading day after 2015-01-05 as yyyymmdd (30-day months are enough for tests).
inline uint32_t Day(int n) {
  return static_cast<uint32_t>(20150000 + 10000 * (n / 360) + 100 * (1 + (n / 30) % 12) + 1 +
                               n % 30);
}

// `count` rising-and-falling bars about 10.00 with distinct dates.
inline std::vector<tagLocalKData> Series(int count, int firstDay = 0) {
  std::vector<tagLocalKData> out;
  for (int i = 0; i < count; ++i) {
    const int32_t base = 100000 + (i % 7) * 1000;
    const bool up = i % 2 == 0;
    out.push_back(Bar(Day(firstDay + i), up ? base : base + 500, base + 900, base - 400,
                      up ? base + 500 : base, 1000 + 10 * i));
  }
  return out;
}

// A K-line head counting `count` bars.
inline std::vector<uint8_t> Head(int count) {
  std::vector<uint8_t> head(21, 0);
  head[0] = 1;
  std::memcpy(head.data() + 1, "600000", 6);
  WriteLE16(head.data() + 11, static_cast<uint16_t>(count));
  return head;
}

inline void Feed(KLineModuleView& chart, const std::vector<tagLocalKData>& bars, uint16_t isPush) {
  const std::vector<uint8_t> head = Head(static_cast<int>(bars.size()));
  chart.SetKlineArray(bars.data(), head.data(), isPush);
}

// A chart at the landscape frame with its own documents folder and a fresh "save.cfg".
class ChartFixture {
 protected:
  void SetUpChart() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "verdan-kline-XXXXXX").string();
    char* made = ::mkdtemp(tmpl.data());
    ASSERT_NE(made, nullptr);
    documents_ = made;
    foundation::setDocumentsDir(documents_);
    foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
    GetSaveConfig().Load((std::filesystem::path(documents_) / "save.cfg").c_str());
    SetKLineIndexType(0);
    chart = KLineModuleView::initWithFrame({0, 0, 480, 254});
    chart->m_stockdata.pricedot = 2;
    chart->m_stockdata.market = 1;
    chart->m_stockdata.unit = 100;
  }
  void TearDownChart() {
    chart.reset();
    std::error_code ec;
    std::filesystem::remove_all(documents_, ec);
  }

  // One redraw into a recording context.
  std::unique_ptr<gfx::RecordingContext> Draw() {
    auto rec = std::make_unique<gfx::RecordingContext>(gfx::Size(480, 254));
    chart->drawRect(*rec, chart->bounds());
    return rec;
  }

  std::string documents_;
  std::shared_ptr<KLineModuleView> chart;
};

class ChartTest : public ::testing::Test, protected ChartFixture {
 protected:
  void SetUp() override { SetUpChart(); }
  void TearDown() override { TearDownChart(); }
};

// A chart test with a key window of the given width on a 480-point screen, a manual clock and
// fingers sent through the application.
class WindowedChartTest : public ChartTest {
 protected:
  void OpenWindow(double width) {
    foundation::Clock::setManual();
    ui::Application::shared().reset();
    ui::Screen::main().setHeight(480);
    window = ui::Window::create({0, 0, width, 480});
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    window.reset();
    ui::Application::shared().reset();
    foundation::Clock::setReal();
    ChartTest::TearDown();
  }
  static void Tap(gfx::Point p) {
    auto& app = ui::Application::shared();
    app.sendTouch(ui::TouchPhase::Began, 0, p);
    app.sendTouch(ui::TouchPhase::Ended, 0, p);
  }
  // One finger through the points.
  static void Slide(const std::vector<gfx::Point>& points) {
    auto& app = ui::Application::shared();
    app.sendTouch(ui::TouchPhase::Began, 0, points.front());
    for (size_t i = 1; i < points.size(); ++i) app.sendTouch(ui::TouchPhase::Moved, 0, points[i]);
    app.sendTouch(ui::TouchPhase::Ended, 0, points.back());
  }
  std::shared_ptr<ui::Window> window;
};

// What the server answered to one K-line request: the bars of every part as parsed, with the
// head the pager hands on (its count the bars parsed) and the part's data flag; then the events.
struct KLineAnswer {
  struct Part {
    std::vector<uint8_t> head;
    std::vector<tagLocalKData> bars;  // kKLineCapacity long, as the pager's area
    uint16_t isPush = 1;
    std::vector<uint8_t> body;  // the reply body as it came
  };
  std::vector<Part> parts;
  std::vector<tagLocalWeightData> events;
};

// The chart against the in-process test server over one quote connection.
class ServerTest : public chartclient::ChartClientTest, protected ChartFixture {
 protected:
  static constexpr int32_t kDate = chartclient::kDate;

  void SetUp() override {
    ChartClientTest::SetUp();
    SetUpChart();
    server_->setKLineInParts(false);
  }
  void TearDown() override { TearDownChart(); }

  // The quote as the client's cache merges it (the pager's K-line lists).
  tagLocalStockData Quote(uint8_t market, const char* code) {
    return ChartClientTest::Quote(market, code,
                                  chartclient::List({10, 9, 5, 31, 17, 6, 8, 21, 2, 3, 4, 7}));
  }

  // K-lines of a period as the pager asks for them (with the events on the day period).
  // mainForce: with the main-force fields a user with right 30 asks for.
  KLineAnswer KLines(const tagLocalStockData& q, uint8_t period, uint16_t count = 196,
                     bool mainForce = false) {
    uint8_t block[21] = {};
    block[0] = q.market;
    std::memcpy(block + 1, q.code, strnlen(q.code, 8));
    block[9] = 1;
    block[10] = period;
    WriteLE32(block + 15, 99991231);
    WriteLE16(block + 19, count);
    const uint8_t plain[] = {7, 11, 12, 13, 14, 15, 16, 17};
    const uint8_t rich[] = {12, 11, 12, 13, 14, 15, 16, 17, 10, 20, 24, 22, 23};
    const uint8_t* bars = mainForce ? rich : plain;
    const uint8_t weights[] = {8, 1, 2, 3, 4, 5, 6, 7, 10};
    const uint8_t none[] = {0};
    uint8_t buf[1024];
    const int len = MakeRequest_KLine(0, NextCode(), 13, block, bars, bars,
                                      period == 1 ? weights : none, buf, sizeof buf);
    EXPECT_TRUE(client_->send(buf, len));
    KLineAnswer answer;
    for (;;) {
      Reply r = client_->receiveReply(kAnswerSeconds);
      if (!r.ok || r.error()) {
        ADD_FAILURE() << "no K-line answer";
        return answer;
      }
      if (r.header.ChildType == 32) {
        answer.parts.push_back(Parse(q, r));
        if (r.header.PackageNo + 1 < r.header.PackageNum) continue;
        if (period != 1) return answer;
        continue;
      }
      if (r.header.ChildType == 16) {
        ReplyHeadCheck check;
        if (CheckReplyHead(ReplyHeadKind::Weight, r.body.data(), static_cast<int>(r.body.size()),
                           &check)) {
          answer.events.resize(kWeightCapacity);
          static const uint8_t kIds[] = {1, 2, 3, 4, 5, 6, 7, 10};
          const int n = ParseFieldRecords(
              r.body.data() + check.headSize, r.body.size() - static_cast<size_t>(check.headSize),
              check.count, answer.events.data(), kWeightCapacity, kIds, sizeof kIds);
          answer.events.resize(static_cast<size_t>(std::max(0, n)));
        }
        return answer;
      }
    }
  }

  // One reply as the pager hands it on: parsed into a 400-bar area, the count parsed in the head.
  static KLineAnswer::Part Parse(const tagLocalStockData& q, const Reply& r) {
    KLineAnswer::Part part;
    part.body = r.body;
    part.bars.assign(kKLineCapacity, tagLocalKData{});
    ReplyHeadCheck check;
    if (!CheckReplyHead(ReplyHeadKind::KLine, r.body.data(), static_cast<int>(r.body.size()),
                        &check))
      return part;
    const int parsed = Analy_15(r.body.data() + check.headSize,
                                r.body.size() - static_cast<size_t>(check.headSize), q, check.count,
                                part.bars.data(), kKLineCapacity);
    part.head.assign(r.body.begin(), r.body.begin() + 21);
    SetReplyHeadCount(ReplyHeadKind::KLine, part.head.data(), std::clamp(parsed, 0, 400));
    part.isPush = static_cast<uint16_t>(r.header.DataFlag);
    if (r.header.PackageNo != 0) part.isPush = 2;
    return part;
  }

  // Hands the answer to the chart as the pager does.
  static void FeedAnswer(KLineModuleView& chart, const tagLocalStockData& q,
                         const KLineAnswer& answer) {
    chart.SetDataInfo(q, 1);
    for (const auto& part : answer.parts)
      chart.SetKlineArray(part.bars.data(), part.head.data(), part.isPush);
    if (!answer.events.empty())
      chart.setTagLocalWeightData(answer.events.data(), static_cast<int>(answer.events.size()));
  }
};

}  // namespace klinetest
