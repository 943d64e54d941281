// The split table view as the quote lists use it: a page of 25 quote rows with a name column, a
// change box and 15 value columns, scrolled step by step (down and sideways) and reloaded after
// a page reply, with a full frame drawn each time. The screens need each well under 4 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/CairoContext.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "tests/widgets/QuoteListFixture.h"
#include "widgets/WidgetClasses.h"

namespace {

constexpr int kRows = 25;

struct QuoteListScene {
  QuoteListScene() {
    const std::filesystem::path source =
        std::filesystem::path(__FILE__).parent_path().parent_path();
    foundation::setBundleDir((source / "resources").string());
    RegisterWidgetClasses();
    owner = std::make_shared<quotelist::QuoteListOwner>();
    owner->storeReply(quotelist::SortReply(0, kRows));
    window = ui::Window::create(gfx::Rect(0, 0, 320, 480));
    split = quotelist::MakeQuoteList(owner, gfx::Rect(0, 20, 320, 460));
    window->addSubview(split);
    window->makeKeyAndVisible();
    quotelist::ShowPage(*split, 1, 8);
    image = std::make_unique<gfx::ImageContext>(gfx::Size(320, 480), 1, true);
  }
  ~QuoteListScene() {
    split.reset();
    window.reset();
    ui::Application::shared().reset();
  }
  void draw() { window->render(image->context()); }

  std::shared_ptr<quotelist::QuoteListOwner> owner;
  std::shared_ptr<ui::Window> window;
  std::shared_ptr<Table_TableView> split;
  std::unique_ptr<gfx::ImageContext> image;
};

// Down the list 11 points a step and back to the top, the three tables moving as one, with the
// columns moved sideways by 13 points every step.
void BM_QuoteListScrollStepByStep(benchmark::State& state) {
  QuoteListScene scene;
  const double maxY =
      kRows * quotelist::kRowHeight - scene.split->rightTableView()->frame().height();
  const double maxX = scene.split->rightScrollView()->contentSize().width -
                      scene.split->rightScrollView()->frame().width();
  double y = 0, x = 0;
  for (auto _ : state) {
    y += 11;
    if (y > maxY) y = 0;
    x += 13;
    if (x > maxX) x = 0;
    for (ui::TableView* table : {scene.split->rightTableView(), scene.split->leftTableView(),
                                 scene.split->descriptionTableView()})
      table->setContentOffset(gfx::Point(0, y));
    scene.split->rightScrollView()->setContentOffset(gfx::Point(x, 0));
    scene.draw();
  }
}
BENCHMARK(BM_QuoteListScrollStepByStep)->Unit(benchmark::kMicrosecond);

// Page replies in turn: the records parsed into the quote cache, the owner's reload steps and,
// with `drawFrame`, a frame.
void ReloadPages(benchmark::State& state, bool drawFrame) {
  QuoteListScene scene;
  int page = 0;
  std::vector<std::vector<uint8_t>> replies;
  for (int p = 0; p < 8; ++p) replies.push_back(quotelist::SortReply(p * kRows, kRows));
  for (auto _ : state) {
    page = (page + 1) % 8;
    scene.owner->storeReply(replies[static_cast<size_t>(page)]);
    quotelist::ShowPage(*scene.split, page + 1, 8);
    if (drawFrame) scene.draw();
  }
}

// A page reply: the records parsed into the quote cache, the owner's reload steps, a frame.
void BM_QuoteListReloadAfterPageReply(benchmark::State& state) {
  ReloadPages(state, true);
}
BENCHMARK(BM_QuoteListReloadAfterPageReply)->Unit(benchmark::kMicrosecond);

// The frame alone, for comparison.
void BM_QuoteListDrawFrame(benchmark::State& state) {
  QuoteListScene scene;
  for (auto _ : state) scene.draw();
}
BENCHMARK(BM_QuoteListDrawFrame)->Unit(benchmark::kMicrosecond);

// The reload steps alone (no frame), to tell the table work from the text drawing.
void BM_QuoteListReloadWithoutFrame(benchmark::State& state) {
  ReloadPages(state, false);
}
BENCHMARK(BM_QuoteListReloadWithoutFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
