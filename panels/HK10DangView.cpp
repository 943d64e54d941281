#include "panels/HK10DangView.h"

#include <algorithm>
#include <cstring>

#include "core/QuoteFormat.h"
#include "panels/MiniDetailCell.h"
#include "panels/TableSetup.h"
#include "platform/graphics/Font.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/Touch.h"
#include "widgets/QuoteColors.h"

HK10DangView::HK10DangView(const gfx::Rect& frame) : PublicView(frame) {}

HK10DangView::~HK10DangView() {
  DetachTable(_tableViewMM.get());
}

const char* HK10DangView::levelName(int index) {
  static const char* const kNames[2 * kLevels] = {
      "卖十", "卖九", "卖八", "卖七", "卖六", "卖五", "卖四", "卖三", "卖二", "卖一",
      "买一", "买二", "买三", "买四", "买五", "买六", "买七", "买八", "买九", "买十"};
  return index >= 0 && index < 2 * kLevels ? kNames[index] : "";
}

void HK10DangView::SetTrendPricePanel() {
  PublicView::SetTrendPricePanel();
  auto self = sharedAs<HK10DangView>();
  _tableViewMM = ui::TableView::create();
  _tableViewMM->setDelegate(std::static_pointer_cast<ui::TableViewDelegate>(self));
  _tableViewMM->setDataSource(std::static_pointer_cast<ui::TableViewDataSource>(self));
  _tableViewMM->setBackgroundColor(gfx::Color::clear());
  _tableViewMM->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
  _tableViewMM->setSectionHeaderHeight(0);
  _tableViewMM->setSectionFooterHeight(0);
  addSubview(_tableViewMM);
  _sellView = HKJJPWView::create({});
  _sellView->setJJPWType(kJJPWAsk);
  addSubview(_sellView);
  _buyView = HKJJPWView::create({});
  _buyView->setJJPWType(kJJPWBid);
  addSubview(_buyView);
  layoutPage();
}

void HK10DangView::setBounds(const gfx::Rect& bounds) {
  const gfx::Size old = this->bounds().size;
  PublicView::setBounds(bounds);
  if (!(old == bounds.size)) layoutPage();
}

// The pager makes the page by name for the panel's height and sizes it afterwards.
void HK10DangView::layoutPage() {
  if (!_tableViewMM) return;
  const double w = bounds().width();
  const double p = pDetailViewHeight;
  const double a = std::max(0.0, bounds().height() - p);
  _fRowHeight = static_cast<int32_t>(a / (2 * kLevels));
  _tableViewMM->setFrame({w - kHKLevelTableWidth, p, kHKLevelTableWidth, a});
  _tableViewMM->setRowHeight(_fRowHeight);
  _sellView->setFrame({0, p, w - kHKLevelTableWidth, a / 2});
  _buyView->setFrame({0, p + a / 2 + 1, w - kHKLevelTableWidth, std::max(0.0, a / 2 - 2)});
  _tableViewMM->reloadData();
}

void HK10DangView::setJJPWDelegate(std::weak_ptr<HKJJPWViewDelegate> delegate) {
  if (_buyView) _buyView->setDelegate(delegate);
  if (_sellView) _sellView->setDelegate(delegate);
}

void HK10DangView::SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) {
  // A price bubble or a seat's pop-up tells of the security it was tapped on: none of it stays
  // over another's queues.
  const bool another = quote.market != m_stockdata.market ||
                       std::strncmp(quote.code, m_stockdata.code, sizeof quote.code) != 0;
  if (isPush == kQuoteFlagNewStock || another) refreshDetailView({}, {});
  m_stockdata = quote;
  RefreshTrendPricePanel(quote);
  if (_buyView) _buyView->refreshView(&m_stockdata);
  if (_sellView) _sellView->refreshView(&m_stockdata);
  if (_tableViewMM) _tableViewMM->reloadData();
}

int HK10DangView::numberOfSectionsInTableView(ui::TableView& table) {
  return &table == _tableViewMM.get() ? 2 : 1;
}

int HK10DangView::tableViewNumberOfRowsInSection(ui::TableView& table, int section) {
  (void)section;
  return &table == _tableViewMM.get() ? kLevels : 0;
}

std::shared_ptr<ui::TableViewCell> HK10DangView::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = std::dynamic_pointer_cast<MiniDetailCell>(
      table.dequeueReusableCellWithIdentifier(MiniDetailCell::kReuseIdentifier));
  if (!cell) {
    const double t = table.bounds().width();
    cell =
        MiniDetailCell::create(ui::TableViewCellStyle::Default, MiniDetailCell::kReuseIdentifier);
    cell->setFrame({0, 0, t, static_cast<double>(_fRowHeight)});
    cell->setTextNum(3, t, _fRowHeight);
    // The volume, right-aligned, ends a little inside the screen's edge: flush on it, the last
    // letter of "465K" was cut.
    cell->updateTextWidth({t / 4, t / 3, 5 * t / 12 - kLevelVolumeInset});
  }
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  const int k = kLevels * path.section + path.row;
  const tagPriceVol& level = k < kLevels ? m_stockdata.buysell10.sell[kLevels - 1 - k]
                                         : m_stockdata.buysell10.buy[k - kLevels];
  cell->updateText(levelName(k),
                   FormatPriceString(level.price, 8, m_stockdata.pricedot, level.price),
                   FormatVolumeString(m_stockdata.market, level.volume, m_stockdata.unit, 6));
  cell->updateTextColor(widgets::UpDownColor(int64_t{level.price} - m_stockdata.yesterday),
                        widgets::PaleYellowColor());
  // The line under 卖一 sets the asks apart from the bids.
  cell->showSeparatorLine(k == kLevels - 1);
  return cell;
}

void HK10DangView::refreshDetailView(const std::string& title, const std::string& content) {
  if (title.empty() && content.empty()) {
    if (_detailView) _detailView->setHidden(true);
    if (_buyView) _buyView->refreshPriceLabel({}, {});
    if (_sellView) _sellView->refreshPriceLabel({}, {});
    return;
  }
  const double w = bounds().width() - kHKLevelTableWidth;
  if (!_detailView) {
    _detailView = BaseView::create({0, pDetailViewHeight - 40.0, w, 40});
    // The names it carries hide the seats under it rather than mixing with them.
    _detailView->setBackgroundColor(gfx::Color::rgb255(10, 32, 92));
    _detailView->setClickDelegate(sharedAs<HK10DangView>());
    auto makeLabel = [&](double y, int tag, gfx::TextAlignment alignment) {
      auto label = ui::Label::create({0, y, w, 20});
      label->setTag(tag);
      label->setTextAlignment(alignment);
      label->setFont(gfx::Font::named("Helvetica-Bold", 13));
      label->setTextColor(gfx::Color::white());
      label->setBackgroundColor(gfx::Color::clear());
      label->setAdjustsFontSizeToFitWidth(true);
      _detailView->addSubview(label);
    };
    makeLabel(0, kHKDetailTitleTag, gfx::TextAlignment::Center);
    // The full name centred under the short one.
    makeLabel(20, kHKDetailContentTag, gfx::TextAlignment::Center);
    _detailView->setHidden(true);
    addSubview(_detailView);
    if (_detailBand.isEmpty())
      setDetailViewPoint(_ptDetailView);
    else
      setDetailViewBand(_detailBand);
  }
  if (auto* label = dynamic_cast<ui::Label*>(_detailView->viewWithTag(kHKDetailTitleTag)))
    label->setText(title);
  if (auto* label = dynamic_cast<ui::Label*>(_detailView->viewWithTag(kHKDetailContentTag)))
    label->setText(content);
  bringSubviewToFront(_detailView.get());
  _detailView->setHidden(false);
}

void HK10DangView::setDetailViewBand(const gfx::Rect& band) {
  _detailBand = band;
  if (!_detailView || band.isEmpty()) return;
  _detailView->setFrame(band);
  const double top = std::max(0.0, (band.height() - 40) / 2);
  for (int tag : {kHKDetailTitleTag, kHKDetailContentTag}) {
    if (ui::View* line = _detailView->viewWithTag(tag))
      line->setFrame({0, top + (tag == kHKDetailTitleTag ? 0 : 20), band.width(), 20});
  }
}

void HK10DangView::setDetailViewPoint(gfx::Point point) {
  _ptDetailView = point;
  _detailBand = {};
  if (!_detailView) return;
  gfx::Rect f = _detailView->frame();
  const double pw = f.width();
  const double ph = f.height();
  const double w = bounds().width();
  const double h = bounds().height();
  f.origin.x = point.x + pw > w ? w - pw : point.x;
  f.origin.y = point.y + ph > h ? h - ph - 30 : point.y;
  _detailView->setFrame(f);
}

std::string HK10DangView::detailText(int tag) const {
  auto* label = _detailView ? dynamic_cast<ui::Label*>(_detailView->viewWithTag(tag)) : nullptr;
  return label ? label->text() : std::string();
}

bool HK10DangView::isPointInScrollRect(const ui::TouchSet& touches) {
  if (touches.empty() || !touches.front()) return false;
  const gfx::Point p = touches.front()->locationInView(this);
  if (_buyView && _buyView->frame().contains(p)) return true;
  if (_sellView && _sellView->frame().contains(p)) return true;
  return _detailView && !_detailView->isHidden() && _detailView->frame().contains(p);
}

void HK10DangView::myBaseViewDidClick(BaseView& view) {
  (void)view;
  if (_detailView) _detailView->setHidden(true);
}
