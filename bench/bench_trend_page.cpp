// The first page of the stock detail screen: a full frame of the trend page (price panel, the
// chart of a 241-point day with its volume pane, and the mini detail rows with the order book
// in the middle), and one quote push through the page (panel, rows with their new tick, chart
// merge into the last minute) without painting. The page needs each frame well under 4 ms and
// each push well under 100 microseconds.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/ChartData.h"
#include "panels/TrendFrameView.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/CairoContext.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

namespace {

tagLocalStockData Quote() {
  tagLocalStockData q{};
  q.market = 1;
  q.zqlb = 2;
  std::strcpy(q.code, "600000");
  q.pricedot = 2;
  q.unit = 100;
  q.yesterday = 100000;
  q.open = 100500;
  q.high = 102000;
  q.low = 99500;
  q.now = 101000;
  q.volume = 12000000;
  q.amount = 1210000000;
  q.upprice = 110000;
  q.downprice = 90000;
  q.lb = 12300;
  q.tradetimenum = 2;
  const uint16_t sessions[6] = {570, 690, 780, 900, 0, 0};
  std::memcpy(q.tradetime, sessions, sizeof sessions);
  q.datetime.Hour = 14;
  q.datetime.Minute = 59;
  for (int i = 0; i < 5; ++i) {
    q.buysell10.sell[i] = {101000 + 100 * (i + 1), 1000 * (i + 1)};
    q.buysell10.buy[i] = {101000 - 100 * i, 2000 * (i + 1)};
  }
  return q;
}

struct TrendPageScene {
  TrendPageScene() {
    const std::filesystem::path source =
        std::filesystem::path(__FILE__).parent_path().parent_path();
    foundation::setBundleDir((source / "resources").string());
    foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
    window = ui::Window::create(gfx::Rect(0, 0, 320, 480));
    page = PublicView::create<TrendFrameView>({0, 0, 320, 314});
    window->addSubview(page);
    window->makeKeyAndVisible();
    quote = Quote();
    page->SetDataInfo(quote, 1);
    // A whole day of minutes, then the latest 20 ticks.
    std::vector<tagLocalTrendData> points(kTrendCapacity);
    for (int i = 0; i < 241; ++i) {
      tagLocalTrendData& p = points[static_cast<size_t>(i)];
      p.time = IndexToTradeMinute(quote, i);
      p.now = 100000 + (i * 37) % 2000 - 500;
      p.average = 100000 + i % 300;
      p.volume = 20000 + (i * 13) % 9000;
      p.amount = p.volume * p.now / 100;
    }
    uint8_t head[13] = {1, '6', '0', '0', '0', '0', '0', 0, 0, 0, 0, 241, 0};
    page->trendlineView()->SetTrendLineArray(head, points.data());
    std::vector<tagLocalDealData> ticks(20, tagLocalDealData{1, 1, 50, 0});
    ticks[0] = {880, 1000, 50, 0};
    tagDealHead tickHead{1, "600000", 20};
    page->SetDetailData(tickHead, reinterpret_cast<const uint8_t*>(ticks.data()));
    image = std::make_unique<gfx::ImageContext>(gfx::Size(320, 480), 1, true);
  }
  ~TrendPageScene() {
    page.reset();
    window.reset();
    ui::Application::shared().reset();
  }

  tagLocalStockData quote;
  std::shared_ptr<ui::Window> window;
  std::shared_ptr<TrendFrameView> page;
  std::unique_ptr<gfx::ImageContext> image;
};

void BM_TrendPageFrame(benchmark::State& state) {
  TrendPageScene scene;
  for (auto _ : state) {
    scene.page->setNeedsDisplay();
    scene.window->render(scene.image->context());
  }
  benchmark::DoNotOptimize(scene.image->image().pixelArgb(260, 100));
}

void BM_TrendPagePush(benchmark::State& state) {
  TrendPageScene scene;
  tagLocalStockData q = scene.quote;
  for (auto _ : state) {
    q.volume += 300;
    q.amount += 30300;
    q.now = q.now == 101000 ? 101100 : 101000;
    scene.page->SetDataInfo(q, 2);
  }
  benchmark::DoNotOptimize(scene.page->miniDetailView()->tickCount());
}

}  // namespace

BENCHMARK(BM_TrendPageFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrendPagePush)->Unit(benchmark::kMicrosecond);
