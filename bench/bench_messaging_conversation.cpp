// Opening a conversation of 1000 rows: sorting them by date, measuring every bubble's text at
// width 260 for the row heights and laying out the table; and a reload of the same rows, which
// takes the heights kept per row.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "messaging/CommunionView.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

using foundation::Dictionary;
using foundation::Value;

namespace {

foundation::Array ConversationRows() {
  foundation::Array rows;
  for (int i = 0; i < 1000; ++i) {
    char date[32];
    std::snprintf(date, sizeof date, "2026-%02d-%02d %02d:%02d:%02d", 1 + (i * 7) % 12, 1 + i % 28, i % 24,
                  (i * 11) % 60, (i * 7) % 60);
    std::string body = "今日大盘震荡，建议控制仓位，关注低估值蓝筹。";
    for (int k = 0; k < i % 5; ++k) body += "隔夜外盘涨跌互现，两市早盘预计平开，请留意风险。";
    rows.push_back(Value(Dictionary{{"comunion_content", Value(std::string(date) + "\n" + body)},
                                    {"communion_date", Value(date)},
                                    {"communion_type", Value(i % 3 ? "0" : "1")},
                                    {"communion_readBrokerID", Value("9001")},
                                    {"communion_brokerName", Value("王明")},
                                    {"communion_title", Value("早报")},
                                    {"communion_index", Value(std::to_string(i))}}));
  }
  return rows;
}

void Quiet() {
  static bool once = [] {
    foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
    foundation::RunLoop::setAsMain();
    return true;
  }();
  (void)once;
}

void BM_ConversationOpenThousandRows(benchmark::State& state) {
  Quiet();
  const foundation::Array rows = ConversationRows();
  for (auto _ : state) {
    auto view = CommunionView::create(gfx::Rect(0, 44, 320, 416));
    view->addContents(rows);
    view->updateCommunionView();
    view->tableView()->layoutIfNeeded();
    benchmark::DoNotOptimize(view->tableView()->contentSize());
  }
}
BENCHMARK(BM_ConversationOpenThousandRows)->Unit(benchmark::kMillisecond);

void BM_ConversationReloadThousandRows(benchmark::State& state) {
  Quiet();
  auto view = CommunionView::create(gfx::Rect(0, 44, 320, 416));
  view->addContents(ConversationRows());
  view->updateCommunionView();
  for (auto _ : state) {
    view->updateCommunionView();
    view->tableView()->layoutIfNeeded();
    benchmark::DoNotOptimize(view->tableView()->contentSize());
  }
}
BENCHMARK(BM_ConversationReloadThousandRows)->Unit(benchmark::kMillisecond);

}  // namespace
