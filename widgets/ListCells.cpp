#include "widgets/ListCells.h"

#include <cstring>

#include "core/QuoteFormat.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Orientation.h"
#include "widgets/QuoteColors.h"

namespace {

std::shared_ptr<ui::Label> MakeLabel(ui::View& parent, int tag, const gfx::Rect& frame,
                                     double fontSize, gfx::TextAlignment alignment) {
  auto label = ui::Label::create(frame);
  label->setTag(tag);
  label->setFont(gfx::Font::systemFont(fontSize));
  label->setTextColor(gfx::Color::white());
  label->setBackgroundColor(gfx::Color::clear());
  label->setTextAlignment(alignment);
  label->setAdjustsFontSizeToFitWidth(true);
  label->setMinimumFontSize(9);
  parent.addSubview(label);
  return label;
}

std::string CodeText(const tagLocalStockData& rec) {
  return std::string(rec.code, strnlen(rec.code, sizeof rec.code));
}

}  // namespace

// --- ChangeDetailView2 --------------------------------------------------------------------------

ChangeDetailView2::ChangeDetailView2(const gfx::Rect& frame) : TableCell(frame) {
  clearGradient();
}

std::shared_ptr<ChangeDetailView2> ChangeDetailView2::create() {
  auto view = std::make_shared<ChangeDetailView2>(gfx::Rect(0, 0, kWidth, kHeight));
  view->buildInterface();
  view->awakeFromNib();
  return view;
}

void ChangeDetailView2::buildInterface() {
  setBackgroundColor(gfx::Color::clear());
  setOpaque(false);
  // Everything stays inside kWidth: the lists centre the box at x = 50 over their first column,
  // and the narrowest of those columns ends at x = 92, where the next column's text starts.
  MakeLabel(*this, kNowPriceTag, gfx::Rect(0, 0, 38, kHeight), 15, gfx::TextAlignment::Right);
  auto image = ui::ImageView::create(gfx::Rect(39, 15, 9, 10));
  image->setTag(kImageTag);
  image->setContentMode(ui::ContentMode::ScaleAspectFit);
  // Level until told otherwise.
  image->setImage(gfx::Image::named("equal.png"));
  addSubview(image);
  MakeLabel(*this, kPriceTag, gfx::Rect(49, 2, kWidth - 49, 18), 12, gfx::TextAlignment::Right);
  MakeLabel(*this, kRangeTag, gfx::Rect(49, 20, kWidth - 49, 18), 12, gfx::TextAlignment::Right);
}

void ChangeDetailView2::updateCell() {
  auto hold = delegateShared();
  if (!hold) return;
  auto* delegate = dynamic_cast<ChangeDetailView2Delegate*>(hold.get());
  int v = 0;
  if (delegate) {
    if (auto text = delegate->currentPriceOfChangeDetailView2(*this, indexPath()))
      if (auto* label = priceLabel()) label->setText(*text);
    if (auto text = delegate->changeRangeOfChangeDetailView2(*this, indexPath()))
      if (auto* label = rangLabel()) label->setText(*text);
    v = delegate->currentRangeBackgroundOfChangeDetailView2(*this, indexPath()).value_or(0);
    if (auto text = delegate->nowPriceOfChangeDetailView2(*this, indexPath()))
      if (auto* label = nowPriceLabel()) label->setText(*text);
  }
  if (auto* image = changeImage())
    image->setImage(gfx::Image::named(v < 0    ? "greenDown.png"
                                      : v == 0 ? "equal.png"
                                               : "redUp.png"));
}

void ChangeDetailView2::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  (void)ctx;
  (void)rect;
}

// --- ChangeDetailView ---------------------------------------------------------------------------

ChangeDetailView::ChangeDetailView(const gfx::Rect& frame) : TableCell(frame) {}

std::shared_ptr<ChangeDetailView> ChangeDetailView::create() {
  auto view = std::make_shared<ChangeDetailView>(gfx::Rect(0, 0, 320, 60));
  view->buildInterface();
  view->awakeFromNib();
  return view;
}

void ChangeDetailView::buildInterface() {
  setBackgroundColor(gfx::Color::clear());
  setOpaque(false);
  MakeLabel(*this, kTitleTag, gfx::Rect(6, 2, 160, 20), 15, gfx::TextAlignment::Left);
  MakeLabel(*this, kPriceTag, gfx::Rect(6, 24, 90, 32), 22, gfx::TextAlignment::Left);
  MakeLabel(*this, kSizeTag, gfx::Rect(100, 24, 74, 16), 12, gfx::TextAlignment::Right);
  MakeLabel(*this, kRangeTag, gfx::Rect(100, 40, 74, 16), 12, gfx::TextAlignment::Right);
  MakeLabel(*this, kValueTag, gfx::Rect(180, 24, 80, 32), 15, gfx::TextAlignment::Right);
  auto image = ui::ImageView::create(gfx::Rect(264, 34, 12, 12));
  image->setTag(kImageTag);
  image->setContentMode(ui::ContentMode::ScaleAspectFit);
  addSubview(image);
  auto button = ui::Button::create(gfx::Rect(284, 14, 32, 32));
  button->setTag(kAddTag);
  button->addTarget(
      [this](ui::Control&) {
        auto keep = sharedView();
        buttonAction_add();
      },
      ui::ControlEvent::TouchUpInside, this);
  addSubview(button);
}

void ChangeDetailView::awakeFromNib() {
  TableCell::awakeFromNib();
  addType_ = 1;
}

void ChangeDetailView::updateCell() {
  auto hold = delegateShared();
  if (!hold) return;
  auto* d = dynamic_cast<ChangeDetailViewDelegate*>(hold.get());
  if (!d) return;
  const auto& path = indexPath();
  if (auto text = d->changeDetailViewTitle(*this, path)) {
    if (auto* label = titleLabel()) {
      label->setTextColor(widgets::PaleYellowColor2());
      label->setText(*text);
    }
  }
  if (auto text = d->changeDetailViewChangeSize(*this, path))
    if (auto* label = sizeLabel()) label->setText(*text);
  if (auto t = d->changeDetailViewCurrentType(*this, path)) {
    const int sign = *t < 0 ? -1 : *t == 0 ? 0 : 1;
    const gfx::Color color = widgets::UpDownColor(sign);
    for (ui::Label* label : {priceLabel(), rangLabel(), sizeLabel()})
      if (label) label->setTextColor(color);
    if (auto* image = changeImage())
      image->setImage(gfx::Image::named(sign < 0    ? "green_down.png"
                                        : sign == 0 ? "equal_icon.png"
                                                    : "red_up.png"));
  }
  if (auto text = d->changeDetailViewCurrentPrice(*this, path))
    if (auto* label = priceLabel()) label->setText(*text);
  if (auto text = d->changeDetailViewChangeRange(*this, path))
    if (auto* label = rangLabel()) label->setText(*text);
  if (auto text = d->changeDetailViewIndexValue(*this, path)) {
    if (auto* label = valueLabel()) {
      label->setText(*text);
      label->setTextColor(widgets::LightBlueColor());
    }
  }
  if (auto type = d->changeDetailViewAddType(*this, path)) {
    addType_ = *type;
    if (auto* button = addImage()) {
      const bool adds = addType_ != 0;
      button->setImage(gfx::Image::named(adds ? "btn_add.png" : "btn_del.png"),
                       ui::ControlState::Normal);
      button->setImage(gfx::Image::named(adds ? "btn_add_h.png" : "btn_del_h.png"),
                       ui::ControlState::Highlighted);
    }
  }
}

void ChangeDetailView::buttonAction_next() {
  auto hold = delegateShared();
  if (auto* d = dynamic_cast<ChangeDetailViewDelegate*>(hold.get()))
    d->changeDetailViewNext(*this, indexPath());
}

void ChangeDetailView::buttonAction_previous() {
  auto hold = delegateShared();
  if (auto* d = dynamic_cast<ChangeDetailViewDelegate*>(hold.get()))
    d->changeDetailViewPrevious(*this, indexPath());
}

void ChangeDetailView::buttonAction_add() {
  auto hold = delegateShared();
  auto* d = dynamic_cast<ChangeDetailViewDelegate*>(hold.get());
  if (!d) return;
  if (addType_ != 0)
    d->changeDetailViewAdd(*this, indexPath());
  else
    d->changeDetailViewRemove(*this, indexPath());
}

void ChangeDetailView::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  (void)ctx;
  (void)rect;
}

// --- SelfStockListView --------------------------------------------------------------------------

SelfStockListView::SelfStockListView(const gfx::Rect& frame) : TableCell(frame) {}

SelfStockListView::~SelfStockListView() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

std::shared_ptr<SelfStockListView> SelfStockListView::create() {
  auto view = std::make_shared<SelfStockListView>(gfx::Rect(0, 0, 960, 60));
  view->buildInterface();
  view->awakeFromNib();
  return view;
}

void SelfStockListView::buildInterface() {
  setBackgroundColor(gfx::Color::clear());
  setOpaque(false);
  // Tags 11-28 in three rows of six; layout 1 moves 13-17 by their centres.
  for (int tag = 11; tag <= 28; ++tag) {
    const int i = tag - 11;
    MakeLabel(*this, tag, gfx::Rect(4 + (i % 6) * 150, 2 + (i / 6) * 19, 140, 18), 13,
              gfx::TextAlignment::Center);
  }
}

void SelfStockListView::initAttribute() {
  orignalInterfaceOrientation_ = static_cast<int>(ui::statusBarOrientation());
  rateToWithInterface(orignalInterfaceOrientation_);
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.removeObserversOf(this);
  std::weak_ptr<SelfStockListView> weak = sharedAs<SelfStockListView>();
  center.addObserver(this, ui::kApplicationWillChangeStatusBarOrientationNotification,
                     [weak](const foundation::Notification& notification) {
                       if (auto self = weak.lock()) self->receiveRate(notification);
                     });
}

void SelfStockListView::receiveRate(const foundation::Notification& notification) {
  const auto& value = notification.userInfo[ui::kStatusBarOrientationUserInfoKey];
  if (!value.isNumber()) return;
  rateToWithInterface(static_cast<int>(value.toInt()));
}

void SelfStockListView::rateToWithInterface(int orientation) {
  if (selfStockType_ != 1) return;
  const bool landscape = orientation == 3 || orientation == 4;
  static constexpr int kTags[] = {13, 14, 15, 16, 17};
  static constexpr double kPortrait[] = {166, 385, 385, 701, 701};
  static constexpr double kLandscape[] = {196, 470, 470, 920, 920};
  for (size_t i = 0; i < 5; ++i) {
    ui::View* view = viewWithTag(kTags[i]);
    if (!view) continue;
    view->setCenter(gfx::Point(landscape ? kLandscape[i] : kPortrait[i], view->center().y));
  }
}

void SelfStockListView::updateStockData(const tagLocalStockData* data, int layout) {
  if (!data) {
    foundation::logError("SelfStockListView::updateStockData without a record");
    return;
  }
  std::memset(static_cast<void*>(&stockData_), 0, sizeof stockData_);
  std::memcpy(static_cast<void*>(&stockData_), data, sizeof stockData_);
  selfStockType_ = layout;
  updateCell();
  rateToWithInterface(static_cast<int>(ui::statusBarOrientation()));
}

void SelfStockListView::setLabel(int tag, const std::string& text, const gfx::Color& color) {
  ui::Label* l = label(tag);
  if (!l) return;
  l->setText(text);
  l->setTextColor(color);
}

void SelfStockListView::updateCell() {
  const tagLocalStockData& r = stockData_;
  const int d = r.pricedot;
  using namespace widgets;
  if (selfStockType_ == 0) {
    setLabel(13, FormatVolumeString(r.market, r.volume, r.unit, 6), LightBlueColor());
    setLabel(14, FormatAmountString(r.market, r.amount, 100, 6), PaleYellowColor());
    setLabel(15, FormatChangePercent(r.index_wb, r.yesterday, false, false),
             UpDownColor(r.index_wb));
    setLabel(16, FormatRateString(r.lb, 2), PaleYellowColor());
    const int32_t ask = r.buysell10.sell[0].price, bid = r.buysell10.buy[0].price;
    setLabel(17, FormatPriceString(ask, 8, d, r.yesterday), UpDownColorRef(ask, r.yesterday));
    setLabel(18, FormatPriceString(bid, 8, d, r.yesterday), UpDownColorRef(bid, r.yesterday));
    setLabel(19, FormatChangePercent(r.hsl, r.yesterday, false, false), gfx::Color::white());
    setLabel(20, FormatChangePercent(r.swing, r.now, false, false), gfx::Color::white());
    setLabel(21, FormatRateString(r.average, d), UpDownColorRef(r.average, r.yesterday));
    setLabel(22, FormatPriceString(r.high, 8, d, r.now), UpDownColorRef(r.high, r.yesterday));
    setLabel(23, FormatPriceString(r.low, 8, d, r.now), UpDownColorRef(r.low, r.yesterday));
    setLabel(24, FormatVolumeString(r.market, r.realvol, r.unit, 6), PaleYellowColor());
    setLabel(25, FormatVolumeString(r.market, r.in, r.unit, 6), UpDownColor(-1));
    setLabel(26, FormatVolumeString(r.market, r.out, r.unit, 6), UpDownColor(1));
    setLabel(27, FormatRateString(r.syl, 2), gfx::Color::white());
    setLabel(28, FormatRateString(r.sjl, 2), gfx::Color::white());
  } else if (selfStockType_ == 1) {
    setLabel(11, CodeText(r), PaleYellowColor2());
    setLabel(12, UnicharsToNSString(r.name, sizeof r.name / sizeof r.name[0]), LightBlueColor2());
    setLabel(13, FormatPriceString(r.now, 8, d, 0),
             UpDownColor(static_cast<int64_t>(r.now) - r.yesterday));
    setLabel(14, FormatVolumeString(r.market, r.volume, r.unit, 6), LightBlueColor());
    setLabel(15, FormatAmountString(r.market, r.amount, 100, 6), PaleYellowColor());
    setLabel(16, FormatPriceString(r.high, 8, d, 0),
             UpDownColor(static_cast<int64_t>(r.high) - r.yesterday));
    setLabel(17, FormatPriceString(r.low, 8, d, 0),
             UpDownColor(static_cast<int64_t>(r.low) - r.yesterday));
  }
}

void SelfStockListView::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  (void)ctx;
  (void)rect;
}
