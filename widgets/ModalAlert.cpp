#include "widgets/ModalAlert.h"

#include "platform/foundation/Log.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/TextField.h"

namespace {

std::shared_ptr<ui::TextField> PromptField(const gfx::Rect& frame, int index,
                                           const std::string& prompt) {
  auto field = ui::TextField::create(frame);
  field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
  field->setTag(ModalAlertDelegate::kFieldTagBase + index);
  field->setPlaceholder(prompt);
  field->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
  field->setKeyboardType(ui::KeyboardType::ASCIICapable);
  field->setKeyboardAppearance(ui::KeyboardAppearance::Alert);
  field->setAutocapitalizationType(ui::TextAutocapitalizationType::Words);
  field->setAutocorrectionType(ui::TextAutocorrectionType::No);
  field->setContentVerticalAlignment(ui::ContentVerticalAlignment::Center);
  field->setBackgroundColor(gfx::Color::white());
  return field;
}

struct Call {
  std::shared_ptr<ui::AlertView> alert;
  std::shared_ptr<ModalAlertDelegate> delegate;
};

Call MakeCall(const std::string& title, const std::string& message, const std::string& cancel,
              const std::vector<std::string>& buttons) {
  Call call;
  call.delegate = std::make_shared<ModalAlertDelegate>(foundation::RunLoop::current());
  call.alert = ui::AlertView::create(title, message, call.delegate, cancel, buttons);
  return call;
}

// Shows the alert and runs the loop until the delegate has an answer.
void Run(const Call& call) {
  if (!call.alert->isVisible()) call.alert->show();
  auto loop = foundation::RunLoop::current();
  while (!call.delegate->isDone() && call.alert->isVisible()) loop->run();
}

// After the alert has risen, move it clear of the keyboard and start editing. Both are held
// weakly: the call may be over before the delay ends.
void ScheduleMove(const Call& call) {
  std::weak_ptr<ui::AlertView> weak = call.alert;
  foundation::performAfter(ModalAlert::kMoveDelay, [weak] {
    auto alert = weak.lock();
    if (alert && alert->isVisible()) ModalAlertDelegate::moveAlert(*alert);
  });
}

}  // namespace

void ModalAlertDelegate::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
  pressedTexts_.clear();
  for (unsigned i = 0; i < count_; ++i) {
    auto* field =
        dynamic_cast<ui::TextField*>(alert.viewWithTag(kFieldTagBase + static_cast<int>(i)));
    if (field) pressedTexts_.push_back(field->text());
  }
  pressedIndex_ = buttonIndex;
  if (buttonIndex == 0) fieldArray_ = pressedTexts_;
  if (count_ == 0) count_ = static_cast<unsigned>(buttonIndex);
  finish();
}

void ModalAlertDelegate::alertViewDidDismissWithButtonIndex(ui::AlertView&, int) {
  finish();
}

void ModalAlertDelegate::finish() {
  if (done_) return;
  done_ = true;
  if (currentLoop_) currentLoop_->stop();
}

bool ModalAlertDelegate::isLandscape() {
  return ui::isLandscape(ui::Device::current().orientation());
}

void ModalAlertDelegate::moveAlert(ui::AlertView& alert) {
  auto keep = alert.sharedAs<ui::AlertView>();
  const gfx::Point target = isLandscape() ? gfx::Point(240, 90) : gfx::Point(160, 180);
  ui::View::animate(ModalAlert::kMoveSeconds, 0, ui::AnimationOption::CurveEaseInOut,
                    [&alert, target] { alert.setCenter(target); });
  if (ui::View* field = alert.viewWithTag(kFieldTagBase)) field->becomeFirstResponder();
}

int ModalAlert::ask(const std::string& question, const std::string& cancel,
                    const std::vector<std::string>& buttons) {
  Call call = MakeCall(question, "", cancel, buttons);
  Run(call);
  return static_cast<int>(call.delegate->count());
}

void ModalAlert::say(const std::string& text) {
  Run(MakeCall(text, "", "", {"Okay"}));
}

bool ModalAlert::ask(const std::string& question) {
  Call call = MakeCall(question, "", "", {"Yes", "No"});
  Run(call);
  return call.delegate->pressedIndex() == 0;
}

bool ModalAlert::confirm(const std::string& question) {
  Call call = MakeCall(question, "", "", {"Cancel", "OK"});
  Run(call);
  return call.delegate->pressedIndex() == 1;
}

std::optional<std::string> ModalAlert::askWithTextPrompt(const std::string& question,
                                                         const std::string& prompt) {
  return textQueryWith(question, prompt, "Cancel", "OK");
}

std::optional<std::string> ModalAlert::textQueryWith(const std::string& question,
                                                     const std::string& prompt,
                                                     const std::string& button1,
                                                     const std::string& button2) {
  Call call = MakeCall(question, "\n", "", {button1, button2});
  auto field = PromptField(gfx::Rect(0, 0, kFieldWidth, kFieldHeight), 0, prompt);
  call.delegate->setCount(1);
  call.alert->show();
  const gfx::Rect b = call.alert->bounds();
  field->setCenter(gfx::Point(b.width() / 2, b.height() / 2 - 10));
  call.alert->addSubview(field);
  ScheduleMove(call);
  Run(call);
  // The entered text for the second button; the first one cancels.
  if (call.delegate->pressedIndex() != 1 || call.delegate->pressedTexts().empty()) {
    return std::nullopt;
  }
  return call.delegate->pressedTexts().front();
}

std::optional<std::vector<std::string>> ModalAlert::ask(const std::vector<std::string>& prompts,
                                                        const std::string& title,
                                                        const std::string& button1,
                                                        const std::string& button2) {
  if (prompts.size() > static_cast<size_t>(kMaxPrompts)) return std::nullopt;
  std::string message;
  for (size_t i = 0; i <= prompts.size(); ++i) message += "\n";
  Call call = MakeCall(title, message, "", {button1, button2});
  std::vector<std::shared_ptr<ui::TextField>> fields;
  for (size_t i = 0; i < prompts.size(); ++i) {
    fields.push_back(
        PromptField(gfx::Rect(0, kFieldHeight * static_cast<double>(i), kFieldWidth, kFieldHeight),
                    static_cast<int>(i), prompts[i]));
  }
  call.delegate->setCount(static_cast<unsigned>(prompts.size()));
  call.alert->show();
  const gfx::Rect b = call.alert->bounds();
  const double top = call.alert->messageLabel()->frame().y();
  for (size_t i = 0; i < fields.size(); ++i) {
    fields[i]->setCenter(
        gfx::Point(b.width() / 2, top + kFieldHeight / 2 + kFieldHeight * static_cast<double>(i)));
    call.alert->addSubview(fields[i]);
  }
  auto spinner = ui::ActivityIndicatorView::create(ui::ActivityIndicatorStyle::WhiteLarge);
  spinner->setCenter(gfx::Point(b.width() / 2, b.height() - 70));
  spinner->startAnimating();
  call.alert->addSubview(spinner);
  ScheduleMove(call);
  Run(call);
  return call.delegate->fieldArray();
}
