#include "shell/TabBar.h"

#include <algorithm>

#include "platform/foundation/Log.h"
#include "platform/graphics/CairoContext.h"
#include "platform/ui/TabBarController.h"
#include "shell/SharedTool.h"
#include "shell/TabBarController.h"

namespace {

// Highlight colours: opaque RGB(56, 187, 255) at the top to white at alpha 0.2 at the bottom.
gfx::Gradient HighlightGradient() {
  return gfx::Gradient::make(
      {gfx::Color(0.21960784, 0.73333335, 1.0, 1.0), gfx::Color(1.0, 1.0, 1.0, 0.2)});
}

}  // namespace

TabBar::TabBar(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<TabBar> TabBar::create(TabBarController& controller) {
  if (controller.viewControllers().empty()) return nullptr;
  auto strip = std::make_shared<TabBar>();
  strip->build(controller);
  return strip;
}

void TabBar::build(TabBarController& controller) {
  const auto& tabs = controller.viewControllers();
  const int n = static_cast<int>(tabs.size());
  const int w = 320 / n;
  defaultTabBarWidth_ = w;
  gradient_ = HighlightGradient();
  tabBarViewController_ = controller.weakAs<TabBarController>();

  // The strip takes the system tab bar's place.
  gfx::Rect frame = controller.tabBar()->frame();
  ui::View::setFrame(frame);
  const double width = frame.size.width;
  const int visible = static_cast<int>(width / w);
  const double offset = n < visible ? (width - n * w) / 2 : 0;

  slideBg_ = ui::ImageView::create(gfx::Image::named("slide.png"));
  slideBg_->layer().setMasksToBounds(true);
  slideBg_->layer().setCornerRadius(8.0);
  slideBg_->layer().setBorderWidth(1.0);
  slideBg_->layer().setBorderColor(gfx::Color::clear());

  // Its content size is never set, so a plain container serves.
  scrollView_ = ui::View::create(gfx::Rect(0, 0, width, kHeight));
  scrollView_->setClipsToBounds(false);

  items_.reserve(static_cast<size_t>(n));
  itemImages_.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    ui::TabBarItem& item = tabs[static_cast<size_t>(i)]->tabBarItem();
    auto button = ui::Button::create(ui::ButtonType::Custom, gfx::Rect(offset + i * w, 2, w, 47));
    auto icon = ui::ImageView::create(gfx::Rect(4, 6, 24, 24));
    icon->setCenter(gfx::Point(w / 2, 16));
    const gfx::Image& image = item.image();
    itemImages_.push_back(image);
    button->setTag(i);
    std::weak_ptr<TabBar> weakSelf = sharedAs<TabBar>();
    button->addTarget(
        [weakSelf](ui::Control& sender) {
          if (auto self = weakSelf.lock())
            self->buttonAction_Item(static_cast<ui::Button&>(sender));
        },
        ui::ControlEvent::TouchUpInside, this);
    if (!image.isEmpty()) {
      gfx::Size size = image.size();
      if (size.height > 24) {
        size.width = size.width * 24 / size.height;
        size.height = 24;
      }
      icon->setFrame(
          gfx::Rect((w - size.width) / 2, (32 - size.height) / 2 + 1, size.width, size.height));
      icon->setImage(image);
    }
    icon->setTag(kTabIconTag);
    button->addSubview(icon);

    if (item.title() == kMessageTabTitle) {
      messageCountLabel_ = ui::Label::create(gfx::Rect(w - 20, 5, 15, 15));
      messageCountLabel_->layer().setCornerRadius(8.0);
      messageCountLabel_->setClipsToBounds(true);
      messageCountLabel_->setTextAlignment(gfx::TextAlignment::Center);
      messageCountLabel_->setBackgroundColor(gfx::Color::red());
      messageCountLabel_->setTextColor(gfx::Color::white());
      messageCountLabel_->setFont(gfx::Font::named("Helvetica-Bold", 13));
      button->addSubview(messageCountLabel_);
    }

    auto title = ui::Label::create(gfx::Rect(0, 0, w, 18));
    title->setCenter(gfx::Point(w * 0.5, 37));
    title->setText(item.title());
    title->setTextAlignment(gfx::TextAlignment::Center);
    title->setBackgroundColor(gfx::Color::clear());
    title->setTextColor(gfx::Color::white());
    title->setFont(gfx::Font::named("Helvetica-Bold", 13));
    button->addSubview(title);

    scrollView_->addSubview(button);
    items_.push_back(button);
  }
  scrollView_->addSubview(slideBg_);
  addSubview(scrollView_);
  buttonAction_Item(*items_.front());
}

void TabBar::setFrame(const gfx::Rect& frame) {
  ui::View::setFrame(frame);
  if (!scrollView_) return;
  scrollView_->setFrame(gfx::Rect(0, 0, frame.size.width, kHeight));
  const int count = static_cast<int>(items_.size());
  for (int i = 0; i < count; ++i) {
    newCenterWithButton(i, count, frame, *items_[static_cast<size_t>(i)]);
  }
  if (currentSelectIndex_ >= 0 && currentSelectIndex_ < count) {
    slideBg_->setFrame(items_[static_cast<size_t>(currentSelectIndex_)]->frame());
  }
}

void TabBar::updateFrame(const gfx::Rect& frame) {
  setFrame(frame);
  if (scrollView_) scrollView_->setFrame(gfx::Rect(0, 0, frame.size.width, kHeight));
}

void TabBar::newCenterWithButton(int index, int count, const gfx::Rect& rect, ui::Button& button) {
  const int w = defaultTabBarWidth_;
  if (w <= 0) return;
  const double width = rect.size.width;
  const int visible = static_cast<int>(width / w);
  // Centred on screens wider than 320 points, when more buttons would fit than there are.
  const double offset = count < visible ? (width - count * w) / 2 : 0;
  button.setFrame(gfx::Rect(offset + index * w, 1, w, 47));
}

gfx::Image TabBar::beTouchedImage(const gfx::Image& image) const {
  return FillIconWithGradient(image, gradient_);
}

ui::ImageView* TabBar::iconView(int index) const {
  if (index < 0 || index >= static_cast<int>(items_.size())) return nullptr;
  return dynamic_cast<ui::ImageView*>(items_[static_cast<size_t>(index)]->viewWithTag(kTabIconTag));
}

void TabBar::showIcon(int index, bool highlighted) {
  ui::ImageView* icon = iconView(index);
  if (!icon) return;
  const gfx::Image& plain = itemImages_[static_cast<size_t>(index)];
  icon->setImage(highlighted && !plain.isEmpty() ? beTouchedImage(plain) : plain);
}

void TabBar::slideTabBg(const ui::Button* button) {
  if (!slideBg_) return;
  slideBg_->setFrame(button ? button->frame() : gfx::Rect());
}

void TabBar::revertButton() {
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) showIcon(i, false);
}

void TabBar::deoxidizeButton() {
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
    showIcon(i, i == currentSelectIndex_);
  }
}

void TabBar::deoxidizeSlide() {
  const bool valid =
      currentSelectIndex_ >= 0 && currentSelectIndex_ < static_cast<int>(items_.size());
  slideTabBg(valid ? items_[static_cast<size_t>(currentSelectIndex_)].get() : nullptr);
}

void TabBar::buttonAction_Item(ui::Button& button) {
  const int index = button.tag();
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  int answer = 1;
  std::shared_ptr<TabBarController> controller = tabBarViewController_.lock();
  if (controller) {
    if (auto delegate = controller->tabBarControllerDelegtate().lock()) {
      answer = delegate->tabBarController(*controller, index);
    }
  }
  if (answer == 1) {
    currentSelectIndex_ = index;
    slideTabBg(&button);
    revertButton();
    if (controller) controller->setSelectedIndex(index);
  } else if (answer == 2) {
    deoxidizeButton();
    return;
  }
  // Also after a veto the tapped tab shows its highlighted icon.
  showIcon(index, true);
}

void TabBar::updateUnreadMessageCount(int count) {
  if (!messageCountLabel_) return;
  if (count < 1) {
    messageCountLabel_->setHidden(true);
    messageCountLabel_->setText("");
    return;
  }
  messageCountLabel_->setHidden(false);
  messageCountLabel_->setText(std::to_string(count));
}
