// UI layer: a long quote list scrolled screen by screen (visible rows, cell reuse, layout) and
// one frame of it drawn, as the list screens do on every scroll step.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/graphics/CairoContext.h"
#include "platform/ui/Application.h"
#include "platform/ui/TableView.h"
#include "platform/ui/Window.h"

namespace {

class Rows : public ui::TableViewDataSource {
 public:
  explicit Rows(int count) : count_(count) {}
  int tableViewNumberOfRowsInSection(ui::TableView&, int) override { return count_; }
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override {
    auto cell = table.dequeueReusableCellWithIdentifier("Row");
    if (!cell) cell = ui::TableViewCell::create(ui::TableViewCellStyle::Value1, "Row");
    cell->textLabel()->setText("股票 " + std::to_string(path.row));
    cell->detailTextLabel()->setText(std::to_string(10 + path.row % 90) + ".25  +1.23%");
    return cell;
  }

 private:
  int count_;
};

void BM_TableScrollThousandRows(benchmark::State& state) {
  auto rows = std::make_shared<Rows>(1000);
  auto table = ui::TableView::create(gfx::Rect(0, 0, 320, 416));
  table->setDataSource(rows);
  table->layoutIfNeeded();
  double y = 0;
  for (auto _ : state) {
    y += 37;
    if (y > 44000 - 416) y = 0;
    table->setContentOffset(gfx::Point(0, y));
    benchmark::DoNotOptimize(table->visibleCells().size());
  }
}
BENCHMARK(BM_TableScrollThousandRows);

void BM_TableScrollAndDrawFrame(benchmark::State& state) {
  auto rows = std::make_shared<Rows>(1000);
  auto window = ui::Window::create(gfx::Rect(0, 0, 320, 480));
  auto table = ui::TableView::create(gfx::Rect(0, 20, 320, 416));
  table->setDataSource(rows);
  window->addSubview(table);
  window->makeKeyAndVisible();
  gfx::ImageContext image(gfx::Size(320, 480), 1, true);
  double y = 0;
  for (auto _ : state) {
    y += 37;
    if (y > 44000 - 416) y = 0;
    table->setContentOffset(gfx::Point(0, y));
    window->render(image.context());
  }
  window.reset();
  ui::Application::shared().reset();
}
BENCHMARK(BM_TableScrollAndDrawFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
