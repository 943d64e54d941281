#include "widgets/MenuBarView.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "widgets/BarParts.h"

namespace {

constexpr double kItemHeight = 32;
constexpr double kPagedMargin = 10;

}  // namespace

MenuBarView::MenuBarView(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<MenuBarView> MenuBarView::create(const gfx::Rect& frame) {
  auto bar = std::make_shared<MenuBarView>(frame);
  bar->build();
  return bar;
}

void MenuBarView::build() {
  setBackgroundColor(gfx::Color::pattern(gfx::Image::named("bg_titleview.png")));
  layer().setBorderColor(gfx::Color::darkGrey());
  layer().setBorderWidth(1);
  const double midY = bounds().height() / 2;
  viewCanPageUp_ = AddPageIndicator(*this, "page_can_up.png");
  viewCanPageUp_->setCenter(gfx::Point(6, midY));
  viewCanPageDown_ = AddPageIndicator(*this, "page_can_down.png");
  viewCanPageDown_->setCenter(gfx::Point(bounds().width() - 6, midY));
}

void MenuBarView::initMenuBarType(int type) {
  menuBarType_ = type;
  if (type == 2 && viewCanPageUp_) {
    viewCanPageUp_->setImage(gfx::Image::named("page_can_up_firstlevel.png"));
    viewCanPageDown_->setImage(gfx::Image::named("page_can_down_firstlevel.png"));
  }
}

void MenuBarView::setMaxItemsOnePage(int count) {
  // The page size divides the bar's width and the item count.
  nMaxItemsOnePage_ = count < 1 ? 1 : count;
}

void MenuBarView::preInit() {
  nSelItemIndex_ = 0;
  nTotalItemsNum_ = 0;
}

ui::ScrollView* MenuBarView::container() {
  return dynamic_cast<ui::ScrollView*>(viewWithTag(kContainerTag));
}

ui::Button* MenuBarView::itemButton(int index) {
  if (index < 0 || index >= nTotalItemsNum_) return nullptr;
  ui::ScrollView* box = container();
  if (!box) return nullptr;
  return dynamic_cast<ui::Button*>(box->viewWithTag(kFirstItemTag + index));
}

int MenuBarView::pageCount() const {
  return (nTotalItemsNum_ + nMaxItemsOnePage_ - 1) / nMaxItemsOnePage_;
}

void MenuBarView::markItem(ui::Button& button, bool selected) const {
  if (marksBySelecting())
    button.setSelected(selected);
  else
    button.setEnabled(!selected);
}

void MenuBarView::styleItem(ui::Button& button) const {
  const bool firstLevel = menuBarType_ == 2 || menuBarType_ == 3;
  const unsigned markState =
      marksBySelecting() ? ui::ControlState::Selected : ui::ControlState::Disabled;
  button.setFont(gfx::Font::named("Helvetica-Bold", 13));
  button.titleLabel()->setTextColor(gfx::Color::white());
  button.setTitleColor(gfx::Color::white(), ui::ControlState::Normal);
  button.setTitleColor(firstLevel ? gfx::Color::rgb255(56, 187, 255) : gfx::Color::black(),
                       markState);
  const char* normal = firstLevel ? "menubtn_normal_firstlevel.png" : "menubtn_normal.png";
  const char* marked = firstLevel ? "menubtn_disabled_firstlevel.png" : "menubtn_disabled.png";
  button.setBackgroundImage(gfx::Image::named(normal).stretchable(10, 0), ui::ControlState::Normal);
  button.setBackgroundImage(gfx::Image::named(marked).stretchable(10, 0), markState);
}

void MenuBarView::addItemsArray(int defaultSel, const std::vector<std::string>& titles) {
  if (nTotalItemsNum_ >= 1 || titles.empty()) return;
  const int n = static_cast<int>(titles.size());
  const int p = nMaxItemsOnePage_;
  nTotalItemsNum_ = n;
  nSelItemIndex_ = defaultSel;

  const double w = bounds().width();
  const double h = bounds().height();
  double margin = 0;
  double itemWidth = 0;
  if (p < n) {
    margin = kPagedMargin;
    viewCanPageUp_->setHidden(false);
    viewCanPageDown_->setHidden(false);
    itemWidth = (w - 2 * kPagedMargin) / p;
  } else {
    viewCanPageUp_->setHidden(true);
    viewCanPageDown_->setHidden(true);
    itemWidth = w / n;
  }

  auto box = ui::ScrollView::create(gfx::Rect(margin, 0, w - 2 * margin, h));
  box->setTag(kContainerTag);
  box->setBackgroundColor(gfx::Color::clear());
  box->setShowsHorizontalScrollIndicator(false);
  box->setShowsVerticalScrollIndicator(false);
  box->setDelegate(sharedAs<ui::ScrollViewDelegate>());
  const double cw = box->bounds().width();
  if (!scrollPageEnabled_) {
    box->setContentSize(gfx::Size(itemWidth * n, 0));
  } else {
    box->setPagingEnabled(true);
    box->setContentSize(gfx::Size(p >= n ? cw : cw * ((n + p - 1) / p), 0));
  }

  const double inset = menuBarType_ == 2 ? 0 : 1;
  int selPage = 0;
  auto self = sharedAs<MenuBarView>();
  for (int i = 0; i < n; ++i) {
    auto button = ui::Button::create(ui::ButtonType::Custom);
    button->setTag(kFirstItemTag + i);
    button->setFrame(gfx::Rect(i * itemWidth + 2 * inset,
                               (box->bounds().height() - kItemHeight) / 2, itemWidth - 2 * inset,
                               kItemHeight));
    styleItem(*button);
    OnItemTap(*button, self, &MenuBarView::subItemButtonClick);
    button->setTitle(titles[i], ui::ControlState::Normal);
    box->addSubview(button);
    if (i == defaultSel) {
      markItem(*button, true);
      selPage = static_cast<int>(button->frame().x() / cw);
    }
  }

  if (!scrollPageEnabled_) {
    box->setContentOffset(defaultSel < p ? gfx::Point(0, 0)
                                         : gfx::Point((defaultSel - p + 1) * itemWidth, 0));
  } else {
    box->setContentOffset(gfx::Point(cw * selPage, 0));
  }
  addSubview(box);
  updatePageUpDownIndicator();
}

void MenuBarView::addItemsButtons(int defaultSel, const std::vector<const char*>& titles) {
  if (nTotalItemsNum_ >= 1 || titles.empty() || !titles.front()) return;
  std::vector<std::string> list;
  for (const char* title : titles) {
    if (!title) break;
    list.emplace_back(title);
  }
  addItemsArray(defaultSel, list);
}

void MenuBarView::updateBarWithItemsArray(int defaultSel, const std::vector<std::string>& titles) {
  clearAllItems();
  addItemsArray(defaultSel, titles);
}

void MenuBarView::updateBarWithItemsButtons(int defaultSel,
                                            const std::vector<const char*>& titles) {
  if (titles.empty() || !titles.front()) return;
  clearAllItems();
  addItemsButtons(defaultSel, titles);
}

void MenuBarView::clearAllItems() {
  if (ui::ScrollView* box = container()) box->removeFromSuperview();
  while (ui::View* extra = viewWithTag(kExtraViewTag)) {
    if (extra == this) break;
    extra->removeFromSuperview();
  }
  nSelItemIndex_ = 0;
  nTotalItemsNum_ = 0;
  if (viewCanPageUp_) viewCanPageUp_->setHidden(true);
  if (viewCanPageDown_) viewCanPageDown_->setHidden(true);
}

void MenuBarView::initSel(int index) {
  nSelItemIndex_ = index;
  for (int i = 0; i < nTotalItemsNum_; ++i) {
    if (ui::Button* button = itemButton(i)) markItem(*button, i == index);
  }
  ui::ScrollView* box = container();
  ui::Button* selected = itemButton(index);
  if (box && selected) {
    const double cw = box->bounds().width();
    const gfx::Rect f = selected->frame();
    if (!scrollPageEnabled_) {
      box->setContentOffset(index < nMaxItemsOnePage_ ? gfx::Point(0, 0)
                                                      : gfx::Point(f.x() + f.width() - cw, 0));
    } else {
      box->setContentOffset(gfx::Point(cw * static_cast<int>(f.x() / cw), 0));
    }
  }
  updatePageUpDownIndicator();
}

void MenuBarView::changeSelSubItem(int index) {
  initSel(index);
  if (auto delegate = delegate_.lock()) delegate->MenuBarDidChangeToSubItem(nSelItemIndex_, *this);
}

std::string MenuBarView::getSelItemTitle() {
  ui::Button* button = itemButton(nSelItemIndex_);
  if (!button) return "";
  return button->title(ui::ControlState::Normal).value_or("");
}

void MenuBarView::updatePageUpDownIndicator() {
  const int pages = pageCount();
  // A bar that fits on one page (or holds nothing) has nothing to point at.
  if (pages <= 1) return;
  ui::ScrollView* box = container();
  if (!box) return;
  viewCanPageUp_->setHidden(false);
  viewCanPageDown_->setHidden(false);
  auto mark = [this](ui::ImageView& indicator, bool active) {
    indicator.setAlpha(active ? 1.0 : 0.3);
    if (active) bringSubviewToFront(&indicator);
  };
  const double x = box->contentOffset().x;
  const double cw = box->bounds().width();
  if (scrollPageEnabled_) {
    const int page = static_cast<int>((x + cw / 2) / cw);
    mark(*viewCanPageUp_, page >= 1);
    mark(*viewCanPageDown_, page + 1 < pages);
  } else {
    mark(*viewCanPageUp_, x > 0);
    mark(*viewCanPageDown_, x < box->contentSize().width - cw);
  }
}

void MenuBarView::subItemButtonClick(ui::Button& button) {
  const int tag = button.tag();
  if (tag < kFirstItemTag || tag > kFirstItemTag - 1 + nTotalItemsNum_) return;
  const int index = tag - kFirstItemTag;
  auto keep = sharedAs<MenuBarView>();
  if (auto delegate = delegate_.lock()) {
    if (!delegate->MenuBarShouldChangeToSubItem(index, *this)) return;
  }
  nSelItemIndex_ = index;
  for (int i = 0; i < nTotalItemsNum_; ++i) {
    if (ui::Button* item = itemButton(i)) markItem(*item, i == index);
  }
  if (auto delegate = delegate_.lock()) delegate->MenuBarDidChangeToSubItem(nSelItemIndex_, *this);
}

void MenuBarView::scrollViewDidEndDecelerating(ui::ScrollView& scrollView) {
  (void)scrollView;
  updatePageUpDownIndicator();
}
