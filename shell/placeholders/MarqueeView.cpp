#include "shell/placeholders/MarqueeView.h"

#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"

namespace {
struct IndexKey {
  const char* code;
  uint8_t market;
  const char* name;
};
constexpr IndexKey kIndexes[3] = {
    {"000001", 1, "上证"}, {"399001", 2, "深证"}, {"999999", 3, "恒生"}};
}  // namespace

IndexMarquee::IndexMarquee(const gfx::Rect& frame) : ui::View(frame) {
  double width = frame.width() / 3;
  for (int row = 0; row < 3; ++row) {
    auto cell = ui::Button::create(gfx::Rect(row * width, 0, width, frame.height()));
    cell->setTitleColor(gfx::Color::white());
    cell->titleLabel()->setFont(gfx::Font::systemFont(11));
    cell->setTag(row);
    cell->addTarget([this, row](ui::Control&) { touchCell(row); }, ui::ControlEvent::TouchUpInside,
                    this);
    addSubview(cell);
    cells_.push_back(cell);
  }
  updateIndex();
  updates_ = 0;
}

void IndexMarquee::updateIndex() {
  ++updates_;
  for (int row = 0; row < 3; ++row) {
    tagLocalStockData quote{};
    std::string text = kIndexes[row].name;
    if (QuoteCache_GetQuote(quote, kIndexes[row].market, kIndexes[row].code) >= 0 && quote.now) {
      text += ' ';
      text += FormatPriceString(quote.now, 9, 2, quote.yesterday);
      cells_[row]->setTitleColor(quote.now >= quote.yesterday ? gfx::Color::rgb255(230, 40, 40)
                                                              : gfx::Color::rgb255(40, 200, 40));
    } else {
      text += " ----";
    }
    cells_[row]->setTitle(text);
  }
}

void IndexMarquee::touchCell(int row) {
  if (row < 0 || row > 2) return;
  auto delegate = delegate_.lock();
  if (!delegate) return;
  delegate->indexMarqueeTouchWillTouchWithIndexPath(*this, row);
  delegate->indexMarqueeTouchDidTouchWithIndexPath(*this, row);
}

ui::Button* IndexMarquee::cell(int row) const {
  return row >= 0 && row < 3 ? cells_[static_cast<size_t>(row)].get() : nullptr;
}

MarqueeView::MarqueeView(const gfx::Rect& frame) : ui::View(frame) {
  setBackgroundColor(gfx::Color::grey(0.08));
  marquee_ = std::make_shared<IndexMarquee>(gfx::Rect(0, 0, frame.width() - 28, frame.height()));
  addSubview(marquee_);
  button_ = ui::Button::create(gfx::Rect(frame.width() - 28, 0, 28, frame.height()));
  button_->setTitle("⚙");
  button_->addTarget([this](ui::Control&) { buttonTapped(); }, ui::ControlEvent::TouchUpInside,
                     this);
  addSubview(button_);
}

std::shared_ptr<MarqueeView> MarqueeView::initWithFrame(const gfx::Rect& frame) {
  return std::make_shared<MarqueeView>(frame);
}

void MarqueeView::buttonTapped() {
  if (auto delegate = delegate_.lock()) delegate->MarqueeViewClicked(*this, *button_);
}
