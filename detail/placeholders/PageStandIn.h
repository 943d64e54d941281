// Stand-ins for the pages of the detail pager that are not built yet: each is registered under
// the real class name, keeps what the pager hands it and shows a line saying so. Delete a
// stand-in (its file and its line in Placeholders.cpp) when the real page lands.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/ChartData.h"
#include "core/StockData.h"
#include "panels/PageRoles.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

// What a stand-in was handed last, and how often.
struct StandInLog {
  tagLocalStockData quote{};
  uint16_t quoteFlag = 0xffff;
  int quotes = 0;
  std::vector<uint16_t> quoteFlags;
  tagDealHead tickHead{};
  std::vector<uint8_t> ticks;
  int tickCalls = 0;
};

// A dark page with its name on it.
class PageStandIn : public ui::View {
 public:
  explicit PageStandIn(std::string name) : name_(std::move(name)) {}
  void ensureLabel() {
    if (label_) return;
    label_ = ui::Label::create({10, 10, 300, 20});
    label_->setText(name_ + " 建设中");
    label_->setTextColor(gfx::Color::white());
    addSubview(label_);
  }
  void noteQuote(const tagLocalStockData& quote, uint16_t flag) {
    ensureLabel();
    log.quote = quote;
    log.quoteFlag = flag;
    log.quoteFlags.push_back(flag);
    ++log.quotes;
  }
  void noteTicks(const tagDealHead& head, const uint8_t* records) {
    log.tickHead = head;
    log.ticks.assign(records, records + static_cast<size_t>(head.count) * sizeof(tagLocalDealData));
    ++log.tickCalls;
  }
  StandInLog log;

 private:
  std::string name_;
  std::shared_ptr<ui::Label> label_;
};
