#include "platform/ui/BarButtonItem.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Context.h"
#include "platform/ui/Button.h"

namespace ui {

namespace {

const char* systemTitle(BarButtonSystemItem item) {
  switch (item) {
    case BarButtonSystemItem::Done:
      return "完成";
    case BarButtonSystemItem::Cancel:
      return "取消";
    case BarButtonSystemItem::Edit:
      return "编辑";
    case BarButtonSystemItem::Save:
      return "存储";
    case BarButtonSystemItem::Add:
      return "+";
    case BarButtonSystemItem::Compose:
      return "写";
    case BarButtonSystemItem::Reply:
      return "回复";
    case BarButtonSystemItem::Action:
      return "分享";
    case BarButtonSystemItem::Organize:
      return "整理";
    case BarButtonSystemItem::Bookmarks:
      return "书签";
    case BarButtonSystemItem::Search:
      return "搜索";
    case BarButtonSystemItem::Refresh:
      return "刷新";
    case BarButtonSystemItem::Stop:
      return "停止";
    case BarButtonSystemItem::Camera:
      return "拍照";
    case BarButtonSystemItem::Trash:
      return "删除";
    case BarButtonSystemItem::Play:
      return "播放";
    case BarButtonSystemItem::Pause:
      return "暂停";
    case BarButtonSystemItem::Rewind:
      return "后退";
    case BarButtonSystemItem::FastForward:
      return "快进";
    case BarButtonSystemItem::Undo:
      return "撤销";
    case BarButtonSystemItem::Redo:
      return "重做";
    default:
      return "";
  }
}

gfx::Color darker(const gfx::Color& c, double f) {
  return gfx::Color(c.r() * f, c.g() * f, c.b() * f, c.a());
}

// The button a bar shows for a titled or image item; bordered styles draw a bezel.
class BarItemButton : public Button {
 public:
  BarItemButton(BarButtonItemStyle style, gfx::Color bezel)
      : Button(ButtonType::Custom), style_(style), bezel_(bezel) {}

  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override {
    if (style_ == BarButtonItemStyle::Plain) {
      Button::drawRect(ctx, rect);
      return;
    }
    gfx::Rect b = bounds().inset(0.5, 0.5);
    gfx::Color fill = style_ == BarButtonItemStyle::Done ? gfx::Color(0.2, 0.4, 0.85) : bezel_;
    if (isHighlighted()) fill = darker(fill, 0.75);
    ctx.setFillColor(fill);
    ctx.addRoundedRect(b, 5);
    ctx.fillPath();
    ctx.setStrokeColor(darker(fill, 0.6));
    ctx.setLineWidth(1);
    ctx.addRoundedRect(b, 5);
    ctx.strokePath();
  }

 private:
  BarButtonItemStyle style_;
  gfx::Color bezel_;
};

}  // namespace

std::shared_ptr<BarButtonItem> BarButtonItem::withTitle(const std::string& title,
                                                        BarButtonItemStyle style, Action action) {
  auto item = std::make_shared<BarButtonItem>();
  item->title_ = title;
  item->style_ = style;
  item->action_ = std::move(action);
  return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::withImage(const gfx::Image& image,
                                                        BarButtonItemStyle style, Action action) {
  auto item = std::make_shared<BarButtonItem>();
  item->image_ = image;
  item->style_ = style;
  item->action_ = std::move(action);
  return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::withCustomView(std::shared_ptr<View> view) {
  auto item = std::make_shared<BarButtonItem>();
  item->customView_ = std::move(view);
  return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::withSystemItem(BarButtonSystemItem system,
                                                             Action action) {
  auto item = std::make_shared<BarButtonItem>();
  item->system_ = true;
  item->systemItem_ = system;
  item->title_ = systemTitle(system);
  item->style_ = system == BarButtonSystemItem::Done || system == BarButtonSystemItem::Save
                     ? BarButtonItemStyle::Done
                     : BarButtonItemStyle::Bordered;
  item->action_ = std::move(action);
  return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::flexibleSpace() {
  return withSystemItem(BarButtonSystemItem::FlexibleSpace);
}

std::shared_ptr<BarButtonItem> BarButtonItem::fixedSpace(double width) {
  auto item = withSystemItem(BarButtonSystemItem::FixedSpace);
  item->width_ = width;
  return item;
}

void BarButtonItem::setTitle(const std::string& title) {
  title_ = title;
  notify();
}
void BarButtonItem::setImage(const gfx::Image& image) {
  image_ = image;
  notify();
}
void BarButtonItem::setStyle(BarButtonItemStyle style) {
  style_ = style;
  notify();
}
void BarButtonItem::setWidth(double width) {
  width_ = std::max(0.0, width);
  notify();
}
void BarButtonItem::setCustomView(std::shared_ptr<View> view) {
  customView_ = std::move(view);
  notify();
}
void BarButtonItem::setEnabled(bool enabled) {
  enabled_ = enabled;
  notify();
}
void BarButtonItem::setTintColor(const gfx::Color& color) {
  tint_ = color;
  notify();
}

void BarButtonItem::trigger() {
  if (!enabled_ || !action_) return;
  auto self = shared_from_this();
  auto action = action_;
  action(*this);
}

std::shared_ptr<View> BarButtonItem::makeView(BarStyle barStyle,
                                              const std::optional<gfx::Color>& barTint) {
  if (customView_) return customView_;
  if (isFlexibleSpace() || isFixedSpace()) return nullptr;
  gfx::Color bezel = tint_                           ? *tint_
                     : barTint                       ? darker(*barTint, 0.85)
                     : barStyle == BarStyle::Default ? gfx::Color(0.36, 0.46, 0.60)
                                                     : gfx::Color::grey(0.18);
  auto button = std::make_shared<BarItemButton>(style_, bezel);
  button->setFont(gfx::Font::boldSystemFont(12));
  if (!image_.isEmpty()) button->setImage(image_);
  if (!title_.empty()) button->setTitle(title_);
  button->setTitleColor(gfx::Color::white());
  if (style_ == BarButtonItemStyle::Plain) button->setShowsTouchWhenHighlighted(true);
  button->setEnabled(enabled_);
  button->setContentEdgeInsets(gfx::EdgeInsets(0, 8, 0, 8));
  gfx::Size fit = button->sizeThatFits({});
  double w =
      width_ > 0 ? width_ : std::max(style_ == BarButtonItemStyle::Plain ? 20.0 : 32.0, fit.width);
  button->setFrame(gfx::Rect(0, 0, std::ceil(w), 30));
  std::weak_ptr<BarButtonItem> weak = shared_from_this();
  button->addTarget(
      [weak](Control&) {
        if (auto item = weak.lock()) item->trigger();
      },
      ControlEvent::TouchUpInside);
  return button;
}

}  // namespace ui
