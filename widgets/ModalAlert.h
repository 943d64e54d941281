// Alerts that do not return until the user has pressed a button: the call keeps running the
// current run loop (so timers and notifications are still served) and the alert's delegate
// stops it on a press. A yes/no question, a message, a confirmation and text queries with up to
// five fields. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/AlertView.h"

// Stops the nested run loop of one blocking call when a button is pressed and keeps the answer.
class ModalAlertDelegate : public ui::Object, public ui::AlertViewDelegate {
 public:
  static constexpr int kFieldTagBase = 9999;

  explicit ModalAlertDelegate(std::shared_ptr<foundation::RunLoop> loop)
      : currentLoop_(std::move(loop)) {}

  // Button 0 gathers the fields' texts; without fields the pressed index goes into count.
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
  // An alert dismissed without a press (the system cancelled it) also ends the wait.
  void alertViewDidDismissWithButtonIndex(ui::AlertView& alert, int buttonIndex) override;
  static bool isLandscape();
  // Moves the alert up for the keyboard and starts editing the first field.
  static void moveAlert(ui::AlertView& alert);

  unsigned count() const { return count_; }
  void setCount(unsigned count) { count_ = count; }
  const std::optional<std::vector<std::string>>& fieldArray() const { return fieldArray_; }
  void setFieldArray(std::optional<std::vector<std::string>> fields) {
    fieldArray_ = std::move(fields);
  }
  // The pressed button (-1 until one is pressed) and the fields' texts at that moment.
  int pressedIndex() const { return pressedIndex_; }
  const std::vector<std::string>& pressedTexts() const { return pressedTexts_; }
  bool isDone() const { return done_; }

 private:
  void finish();

  std::shared_ptr<foundation::RunLoop> currentLoop_;
  unsigned count_ = 0;
  std::optional<std::vector<std::string>> fieldArray_;
  int pressedIndex_ = -1;
  std::vector<std::string> pressedTexts_;
  bool done_ = false;
};

class ModalAlert {
 public:
  static constexpr int kMaxPrompts = 5;
  static constexpr double kFieldWidth = 260;
  static constexpr double kFieldHeight = 30;
  static constexpr double kMoveDelay = 0.7;
  static constexpr double kMoveSeconds = 0.25;

  // The question as title, the cancel button (when given) then the others; the pressed index.
  static int ask(const std::string& question, const std::string& cancel,
                 const std::vector<std::string>& buttons);
  // The text as title and "Okay".
  static void say(const std::string& text);
  // "Yes" (index 0) and "No": true for "Yes".
  static bool ask(const std::string& question);
  // "Cancel" and "OK" (index 1): true for "OK".
  static bool confirm(const std::string& question);
  // One field with "Cancel" and "OK".
  static std::optional<std::string> askWithTextPrompt(const std::string& question,
                                                      const std::string& prompt);
  // One field; button1 cancels (index 0), button2 takes the text (index 1). The text as typed
  // when button2 was pressed, nothing when button1 was.
  static std::optional<std::string> textQueryWith(const std::string& question,
                                                  const std::string& prompt,
                                                  const std::string& button1,
                                                  const std::string& button2);
  // One field per prompt (at most five; more give no alert and nothing). The texts when
  // button1 (index 0) was pressed, nothing otherwise.
  static std::optional<std::vector<std::string>> ask(const std::vector<std::string>& prompts,
                                                     const std::string& title,
                                                     const std::string& button1,
                                                     const std::string& button2);
};
