#include "platform/ui/Keyboard.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"

namespace ui {

// --- text helpers -----------------------------------------------------------------------------

std::string returnKeyTitle(ReturnKeyType type) {
  switch (type) {
    case ReturnKeyType::Go:
      return "前往";
    case ReturnKeyType::Google:
    case ReturnKeyType::Yahoo:
    case ReturnKeyType::Search:
      return "搜索";
    case ReturnKeyType::Join:
      return "加入";
    case ReturnKeyType::Next:
      return "下一项";
    case ReturnKeyType::Route:
      return "路线";
    case ReturnKeyType::Send:
      return "发送";
    case ReturnKeyType::Done:
      return "完成";
    case ReturnKeyType::EmergencyCall:
      return "紧急呼叫";
    case ReturnKeyType::Default:
      break;
  }
  return "换行";
}

size_t utf16Length(const std::string& text) {
  return foundation::utf8ToUtf16(text).size();
}

std::string replaceUtf16Range(const std::string& text, TextRange range,
                              const std::string& replacement) {
  std::u16string units = foundation::utf8ToUtf16(text);
  size_t start = std::min(range.location, units.size());
  size_t length = std::min(range.length, units.size() - start);
  units.replace(start, length, foundation::utf8ToUtf16(replacement));
  return foundation::utf16ToUtf8(units);
}

std::string dropLastCharacter(const std::string& text) {
  if (text.empty()) return text;
  size_t end = text.size() - 1;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

// --- userInfo rectangles ----------------------------------------------------------------------

foundation::Value valueWithRect(const gfx::Rect& rect) {
  foundation::Dictionary d;
  d.set("x", rect.x());
  d.set("y", rect.y());
  d.set("width", rect.width());
  d.set("height", rect.height());
  return foundation::Value(std::move(d));
}

gfx::Rect rectFromValue(const foundation::Value& value) {
  return gfx::Rect(value["x"].toReal(), value["y"].toReal(), value["width"].toReal(),
                   value["height"].toReal());
}

gfx::Rect keyboardFrame(const foundation::Value& userInfo, const char* key) {
  return rectFromValue(userInfo[key]);
}

// --- the system keyboard's keys ---------------------------------------------------------------

SystemKeyboardView::SystemKeyboardView(const gfx::Rect& frame) : View(frame) {
  setBackgroundColor(gfx::Color::rgb255(209, 213, 219));
  setMultipleTouchEnabled(false);
}

std::shared_ptr<SystemKeyboardView> SystemKeyboardView::create(const gfx::Rect& frame) {
  return std::make_shared<SystemKeyboardView>(frame);
}

void SystemKeyboardView::configure(KeyboardType type, ReturnKeyType returnKey,
                                   TextAutocapitalizationType capitalization) {
  type_ = type;
  returnKey_ = returnKey;
  // Fields that want capitals only get a locked shift key.
  capsLock_ = capitalization == TextAutocapitalizationType::AllCharacters;
  shifted_ = capsLock_;
  symbols_ = type == KeyboardType::NumbersAndPunctuation;
  layoutKeys();
}

void SystemKeyboardView::layoutKeys() {
  keys_.clear();
  double w = bounds().width();
  double h = bounds().height();
  bool pad = type_ == KeyboardType::NumberPad || type_ == KeyboardType::PhonePad ||
             type_ == KeyboardType::DecimalPad;
  if (pad) {
    // Three columns of four rows: 1-9, then the extra key, 0 and delete.
    static const char* digits[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    double kw = w / 3, kh = h / 4;
    for (int i = 0; i < 9; ++i)
      keys_.push_back({digits[i], digits[i], gfx::Rect((i % 3) * kw, (i / 3) * kh, kw, kh)});
    std::string extra = type_ == KeyboardType::DecimalPad ? "."
                        : type_ == KeyboardType::PhonePad ? "+"
                                                          : "";
    if (!extra.empty()) keys_.push_back({extra, extra, gfx::Rect(0, 3 * kh, kw, kh)});
    keys_.push_back({"0", "0", gfx::Rect(kw, 3 * kh, kw, kh)});
    keys_.push_back({"⌫", "BackSpace", gfx::Rect(2 * kw, 3 * kh, kw, kh)});
    setNeedsDisplay();
    return;
  }
  static const char* letters[3] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
  static const char* symbols[3] = {"1234567890", "-/:;()$&@", ".,?!'\"#"};
  double kw = w / 10, kh = h / 4;
  for (int row = 0; row < 3; ++row) {
    std::string chars = (symbols_ ? symbols : letters)[row];
    double x0 = (w - chars.size() * kw) / 2;
    for (size_t i = 0; i < chars.size(); ++i) {
      std::string c(1, chars[i]);
      if (shifted_ && !symbols_) c[0] = static_cast<char>(c[0] - 'a' + 'A');
      keys_.push_back({c, c, gfx::Rect(x0 + i * kw, row * kh, kw, kh)});
    }
  }
  keys_.push_back({symbols_ ? "#+=" : "⇧", "Shift", gfx::Rect(0, 2 * kh, 1.5 * kw, kh)});
  keys_.push_back({"⌫", "BackSpace", gfx::Rect(w - 1.5 * kw, 2 * kh, 1.5 * kw, kh)});
  keys_.push_back({symbols_ ? "ABC" : "123", "Mode", gfx::Rect(0, 3 * kh, 2 * kw, kh)});
  keys_.push_back({"空格", " ", gfx::Rect(2 * kw, 3 * kh, 5.5 * kw, kh)});
  keys_.push_back(
      {returnKeyTitle(returnKey_), "Return", gfx::Rect(7.5 * kw, 3 * kh, 2.5 * kw, kh)});
  setNeedsDisplay();
}

const SystemKeyboardView::Key* SystemKeyboardView::keyAt(gfx::Point point) const {
  for (const auto& key : keys_)
    if (key.frame.contains(point)) return &key;
  return nullptr;
}

bool SystemKeyboardView::pressKey(const std::string& label) {
  for (const auto& key : keys_)
    if (key.label == label || key.input == label) {
      Key copy = key;
      press(copy);
      return true;
    }
  return false;
}

void SystemKeyboardView::press(const Key& key) {
  if (key.input == "Shift") {
    if (symbols_) return;
    shifted_ = !shifted_;
    capsLock_ = false;
    layoutKeys();
    return;
  }
  if (key.input == "Mode") {
    symbols_ = !symbols_;
    shifted_ = capsLock_;
    layoutKeys();
    return;
  }
  Responder* client = Keyboard::shared().client();
  if (!client) return;
  if (key.input == "BackSpace") {
    client->deleteBackward();
  } else if (key.input == "Return") {
    client->keyPressed("Return");
  } else {
    client->insertText(key.input);
    if (shifted_ && !capsLock_) {
      shifted_ = false;
      layoutKeys();
    }
  }
}

void SystemKeyboardView::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  gfx::TextStyle style(gfx::Font::systemFont(18), gfx::TextAlignment::Center);
  style.centerVertically = true;
  for (size_t i = 0; i < keys_.size(); ++i) {
    const Key& key = keys_[i];
    gfx::Rect r = key.frame.inset(3, 5);
    bool special = key.input.size() > 1 && key.input != " ";
    ctx.setFillColor(static_cast<int>(i) == pressed_ ? gfx::Color::grey(0.6)
                     : special                       ? gfx::Color::rgb255(172, 179, 188)
                                                     : gfx::Color::white());
    ctx.beginPath();
    ctx.addRoundedRect(r, 5);
    ctx.fillPath();
    ctx.setFillColor(gfx::Color::black());
    style.font = gfx::Font::systemFont(key.label.size() > 3 ? 14 : 18);
    ctx.drawText(key.label, r, style);
  }
}

void SystemKeyboardView::touchesBegan(const TouchSet& touches, const Event&) {
  pressed_ = -1;
  if (touches.empty()) return;
  gfx::Point p = touches.front()->locationInView(this);
  for (size_t i = 0; i < keys_.size(); ++i)
    if (keys_[i].frame.contains(p)) pressed_ = static_cast<int>(i);
  setNeedsDisplay();
}

void SystemKeyboardView::touchesEnded(const TouchSet& touches, const Event&) {
  int pressed = pressed_;
  pressed_ = -1;
  setNeedsDisplay();
  if (touches.empty() || pressed < 0) return;
  gfx::Point p = touches.front()->locationInView(this);
  const Key* key = keyAt(p);
  if (!key) return;
  Key copy = *key;
  press(copy);
}

void SystemKeyboardView::touchesCancelled(const TouchSet&, const Event&) {
  pressed_ = -1;
  setNeedsDisplay();
}

// --- the keyboard -----------------------------------------------------------------------------

Keyboard& Keyboard::shared() {
  static Keyboard* keyboard = new Keyboard();
  return *keyboard;
}

Responder* Keyboard::client() const {
  return visible_ ? client_.lock().get() : nullptr;
}

SystemKeyboardView* Keyboard::systemKeyboard() const {
  return visible_ && input_ == system_ ? system_.get() : nullptr;
}

gfx::Rect Keyboard::frame() const {
  return visible_ ? frame_ : gfx::Rect();
}

void Keyboard::firstResponderChanged(Window* window) {
  if (window && window != Application::shared().keyWindow()) return;
  update();
}

void Keyboard::update() {
  Window* key = Application::shared().keyWindow();
  Responder* responder = key ? key->firstResponder() : nullptr;
  auto* traits = dynamic_cast<TextInputClient*>(responder);
  if (responder && traits) {
    show(responder, traits);
  } else if (visible_) {
    hide();
  }
}

void Keyboard::post(const char* name, const gfx::Rect& begin, const gfx::Rect& end) {
  foundation::Dictionary info;
  info.set(kKeyboardFrameBeginUserInfoKey, valueWithRect(begin));
  info.set(kKeyboardFrameEndUserInfoKey, valueWithRect(end));
  info.set(kKeyboardAnimationDurationUserInfoKey, kKeyboardAnimationDuration);
  info.set(kKeyboardAnimationCurveUserInfoKey, 0);
  foundation::NotificationCenter::defaultCenter().post(name, nullptr,
                                                       foundation::Value(std::move(info)));
}

void Keyboard::show(Responder* client, TextInputClient* traits) {
  gfx::Rect screen = Screen::main().bounds();
  std::shared_ptr<View> input = traits->inputView();
  if (!input) {
    if (!system_)
      system_ = SystemKeyboardView::create(gfx::Rect(0, 0, screen.width(), kSystemKeyboardHeight));
    system_->setFrame(gfx::Rect(0, 0, screen.width(), kSystemKeyboardHeight));
    system_->configure(traits->keyboardType(), traits->returnKeyType(),
                       traits->autocapitalizationType());
    input = system_;
  }
  std::shared_ptr<View> accessory = traits->inputAccessoryView();
  double inputHeight =
      input->frame().height() > 0 ? input->frame().height() : kSystemKeyboardHeight;
  double accessoryHeight = accessory ? accessory->frame().height() : 0;
  double height = inputHeight + accessoryHeight;
  gfx::Rect end(0, screen.height() - height, screen.width(), height);
  gfx::Rect begin = visible_ ? frame_ : gfx::Rect(0, screen.height(), screen.width(), height);
  bool sameLook = visible_ && input == input_ && accessory == accessory_ && end == frame_;
  client_ = client->weakAs<Responder>();
  if (sameLook) return;

  if (!window_) {
    window_ = std::make_shared<KeyboardWindow>(end);
    window_->setWindowLevel(WindowLevel::Alert + 10);
  }
  for (auto& sub : std::vector<ViewPtr>(window_->subviews())) sub->removeFromSuperview();
  window_->setFrame(end);
  if (accessory) {
    accessory->setFrame(gfx::Rect(0, 0, screen.width(), accessoryHeight));
    window_->addSubview(accessory);
  }
  input->setFrame(gfx::Rect(0, accessoryHeight, screen.width(), inputHeight));
  window_->addSubview(input);
  window_->setHidden(false);
  input_ = input;
  accessory_ = accessory;
  frame_ = end;
  visible_ = true;
  int generation = ++generation_;
  post(kKeyboardWillShowNotification, begin, end);
  // The window slides in from its begin position.
  window_->setFrame(begin);
  View::animate(
      kKeyboardAnimationDuration, [&] { window_->setFrame(end); },
      [this, generation, begin, end](bool) {
        if (generation != generation_) return;
        post(kKeyboardDidShowNotification, begin, end);
      });
}

void Keyboard::hide() {
  gfx::Rect screen = Screen::main().bounds();
  gfx::Rect begin = frame_;
  gfx::Rect end(0, screen.height(), screen.width(), frame_.height());
  visible_ = false;
  client_.reset();
  frame_ = gfx::Rect();
  int generation = ++generation_;
  post(kKeyboardWillHideNotification, begin, end);
  if (!window_) return;
  View::animate(
      kKeyboardAnimationDuration, [&] { window_->setFrame(end); },
      [this, generation, begin, end](bool) {
        if (generation != generation_) return;
        // The window goes with the keyboard, so no window lingers in the list.
        for (auto& sub : std::vector<ViewPtr>(window_->subviews())) sub->removeFromSuperview();
        window_.reset();
        input_.reset();
        accessory_.reset();
        post(kKeyboardDidHideNotification, begin, end);
      });
}

void Keyboard::reset() {
  ++generation_;
  visible_ = false;
  client_.reset();
  frame_ = gfx::Rect();
  input_.reset();
  accessory_.reset();
  if (window_) {
    for (auto& sub : std::vector<ViewPtr>(window_->subviews())) sub->removeFromSuperview();
    window_.reset();
  }
}

}  // namespace ui
