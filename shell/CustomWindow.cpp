#include "shell/CustomWindow.h"

namespace {

// Characters, not bytes: a Chinese message of one character counts as one.
size_t CharacterCount(const std::string& text) {
  size_t count = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++count;
  }
  return count;
}

void SetLabelY(ui::Label& label, double y) {
  gfx::Rect frame = label.frame();
  frame.origin.y = y;
  label.setFrame(frame);
}

}  // namespace

CustomWindow::CustomWindow(const gfx::Rect& frame) : ui::Window(frame) {
  setWindowLevel(ui::WindowLevel::StatusBar + 1);
  setBackgroundColor(gfx::Color::black());
  setClipsToBounds(true);
  messageLabel_ = ui::Label::create(gfx::Rect(0, 20, frame.size.width, 20));
  messageLabel_->setBackgroundColor(gfx::Color::clear());
  messageLabel_->setTextAlignment(gfx::TextAlignment::Right);
  messageLabel_->setTextColor(gfx::Color::red());
  messageLabel_->setFont(gfx::Font::systemFont(11));
}

std::shared_ptr<CustomWindow> CustomWindow::create(const gfx::Rect& frame) {
  auto window = std::make_shared<CustomWindow>(frame);
  window->addSubview(window->messageLabel_);
  return window;
}

void CustomWindow::updateMessage(const std::string& text) {
  std::shared_ptr<ui::Label> label = messageLabel_;
  if (CharacterCount(text) > 1) {
    setHidden(false);
    if (CharacterCount(label->text()) < 2) {
      label->setText(text);
      ui::View::animate(kSlideDuration, [&] { SetLabelY(*label, 0); });
    } else {
      const double height = label->frame().size.height;
      ui::View::animate(
          kSlideDuration, [&] { SetLabelY(*label, -height); },
          [label, text, height](bool) {
            label->setText(text);
            SetLabelY(*label, height);
            ui::View::animate(kSlideDuration, [&] { SetLabelY(*label, 0); });
          });
    }
  } else {
    label->setText("");
    setHidden(true);
  }
  ui::View::animate(kSlideDuration, [&] {
    label->setText(text);
    label->setAlpha(1);
    setHidden(text.empty());
  });
}
