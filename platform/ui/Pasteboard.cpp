#include "platform/ui/Pasteboard.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"

namespace ui {

// --- pasteboard -------------------------------------------------------------------------------

Pasteboard& Pasteboard::general() {
  static Pasteboard* board = new Pasteboard();
  return *board;
}

std::string Pasteboard::string() const {
  auto it = items_.find(kPasteboardTypeText);
  if (it == items_.end()) return {};
  return std::string(it->second.begin(), it->second.end());
}

void Pasteboard::setString(const std::string& text) {
  setData(kPasteboardTypeText, std::vector<std::uint8_t>(text.begin(), text.end()));
}

void Pasteboard::setData(const std::string& type, const std::vector<std::uint8_t>& data) {
  items_.clear();
  items_[type] = data;
  ++changeCount_;
}

std::vector<std::uint8_t> Pasteboard::dataForType(const std::string& type) const {
  auto it = items_.find(type);
  return it == items_.end() ? std::vector<std::uint8_t>() : it->second;
}

std::vector<std::string> Pasteboard::types() const {
  std::vector<std::string> out;
  for (const auto& [type, data] : items_) out.push_back(type);
  return out;
}

void Pasteboard::clear() {
  items_.clear();
  ++changeCount_;
}

// --- edit menu --------------------------------------------------------------------------------

namespace {

constexpr double kMenuHeight = 36;
constexpr double kArrow = 8;

// The menu's window: transparent, over everything; a tap outside the bubble closes the menu.
class MenuWindow : public Window {
 public:
  using Window::Window;
  bool canBecomeKeyWindow() const override { return false; }
  void touchesEnded(const TouchSet&, const Event&) override {
    MenuController::shared().setMenuVisible(false);
  }
};

std::string textOf(View* view) {
  if (auto* label = dynamic_cast<Label*>(view)) return label->text();
  if (auto* field = dynamic_cast<TextField*>(view))
    return field->isSecureTextEntry() ? "" : field->text();
  if (auto* text = dynamic_cast<TextView*>(view)) return text->text();
  return {};
}

}  // namespace

MenuController& MenuController::shared() {
  static MenuController* menu = new MenuController();
  return *menu;
}

void MenuController::setTargetRect(const gfx::Rect& rect, View* view) {
  targetRect_ = rect;
  target_ = view ? view->sharedView() : nullptr;
}

std::vector<MenuItem> MenuController::effectiveItems() const {
  if (!items_.empty()) return items_;
  std::weak_ptr<View> target = target_;
  return {MenuItem{"拷贝", [target] {
                     if (auto view = target.lock())
                       Pasteboard::general().setString(textOf(view.get()));
                   }}};
}

std::vector<std::string> MenuController::visibleTitles() const {
  std::vector<std::string> out;
  if (!visible_) return out;
  for (const auto& item : effectiveItems()) out.push_back(item.title);
  return out;
}

void MenuController::setMenuVisible(bool visible, bool) {
  if (visible == visible_) {
    if (visible) build();
    return;
  }
  auto target = target_.lock();
  if (visible && (!target || !target->window())) return;
  visible_ = visible;
  if (visible) {
    build();
    foundation::NotificationCenter::defaultCenter().post(kMenuControllerDidShowMenuNotification,
                                                         this);
  } else {
    if (window_) window_->setHidden(true);
    window_.reset();
    bubble_.reset();
    foundation::NotificationCenter::defaultCenter().post(kMenuControllerDidHideMenuNotification,
                                                         this);
  }
}

void MenuController::update() {
  if (visible_) build();
}

void MenuController::build() {
  auto target = target_.lock();
  if (!target || !target->window()) return;
  gfx::Rect screen = Screen::main().bounds();
  if (!window_) {
    window_ = std::make_shared<MenuWindow>(screen);
    window_->setWindowLevel(WindowLevel::Alert + 20);
  }
  if (bubble_) bubble_->removeFromSuperview();
  auto items = effectiveItems();
  gfx::Font font = gfx::Font::systemFont(14);
  std::vector<double> widths;
  double total = 0;
  for (const auto& item : items) {
    widths.push_back(std::ceil(gfx::measureText(item.title, font).width) + 24);
    total += widths.back();
  }
  // Above the target when there is room, else below it; kept on the screen. The room ends where
  // the target stops being seen: the status bar, and the top of every clipping view around it (a
  // list under a title bar is seen below the bar, and the menu leaves the title alone).
  const auto onScreen = [&](const View& view, const gfx::Rect& rect) {
    return target->window()->transformToSuperview().apply(view.convertRectToView(rect, nullptr));
  };
  const gfx::Rect t = onScreen(*target, targetRect_);
  double top = 20;
  for (const View* v = target->superview(); v; v = v->superview())
    if (v->clipsToBounds()) top = std::max(top, onScreen(*v, v->bounds()).y());
  double y = t.y() - kMenuHeight - kArrow;
  if (y < top) y = t.maxY() + kArrow;
  double x = std::clamp(t.midX() - total / 2, 4.0, screen.width() - total - 4);
  bubble_ = View::create(gfx::Rect(x, y, total, kMenuHeight));
  bubble_->setBackgroundColor(gfx::Color::grey(0.1, 0.92));
  bubble_->layer().setCornerRadius(6);
  bubble_->setClipsToBounds(true);
  double bx = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    auto button = Button::create(gfx::Rect(bx, 0, widths[i], kMenuHeight));
    button->setTitle(items[i].title);
    button->setTitleColor(gfx::Color::white());
    button->setTitleColor(gfx::Color::grey(0.6), ControlState::Highlighted);
    button->setFont(font);
    std::string title = items[i].title;
    button->addTarget([title](Control&) { MenuController::shared().performItem(title); },
                      ControlEvent::TouchUpInside);
    bubble_->addSubview(button);
    if (i > 0) {
      auto line = View::create(gfx::Rect(bx, 6, 1, kMenuHeight - 12));
      line->setBackgroundColor(gfx::Color::grey(0.45));
      line->setUserInteractionEnabled(false);
      bubble_->addSubview(line);
    }
    bx += widths[i];
  }
  window_->addSubview(bubble_);
  window_->setHidden(false);
}

gfx::Rect MenuController::menuFrame() const {
  return visible_ && bubble_ ? bubble_->frame() : gfx::Rect();
}

bool MenuController::performItem(const std::string& title) {
  if (!visible_) return false;
  for (auto& item : effectiveItems()) {
    if (item.title != title) continue;
    auto action = item.action;
    setMenuVisible(false);
    if (action) action();
    return true;
  }
  return false;
}

void MenuController::reset() {
  visible_ = false;
  items_.clear();
  target_.reset();
  window_.reset();
  bubble_.reset();
}

}  // namespace ui
