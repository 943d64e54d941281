// The receiver field of the compose sheet: each chosen receiver as a grey name token, two to a
// line, then an invisible text field that only catches the delete key. Delete removes the last
// token, or the one tapped first, and tells the delegate its position; the field grows and
// shrinks by 30 points a line. Typed text never appears: the sheet passes the names.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "widgets/ScreenParts.h"

class SenderTextView;

// Optional calls.
class SenderTextViewDelegate {
 public:
  virtual ~SenderTextViewDelegate() = default;
  virtual void senderTextViewDidDelete(SenderTextView& field, int position) {
    (void)field;
    (void)position;
  }
  // Declared for the compose sheet; the field never sends it.
  virtual void senderTextViewShouldEdit(SenderTextView& field, int value) {
    (void)field;
    (void)value;
  }
};

class SenderTextView : public ui::View, public ReturnClosesKeyboard {
 public:
  static constexpr double kLine = 30;
  static constexpr int kTokenTagBase = 100;

  explicit SenderTextView(const gfx::Rect& frame = {});
  static std::shared_ptr<SenderTextView> create(const gfx::Rect& frame);

  void updateSenders(const std::vector<std::string>& names);
  void updateSenders2(const std::vector<std::string>& names);
  void updateSenders();
  void removeAllSenders();
  void revertButtons();
  void buttonAction(ui::Button& token);
  void disableEdit();
  void senderTextViewResignFirstResponder();

  bool textFieldShouldChangeCharactersInRange(ui::TextField& field, ui::TextRange range,
                                              const std::string& string) override;
  void textFieldDidBeginEditing(ui::TextField& field) override;

  void setSenderTextViewDelegate(std::weak_ptr<SenderTextViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  ui::ScrollView* scrollView() const { return scrollView_.get(); }
  ui::TextField* textField() const { return textField_.get(); }
  const std::vector<std::string>& names() const { return allButtons_; }
  int currentChoose() const { return currentChoose_; }
  bool canEdit() const { return canEdit_; }
  // The token at a position, or null.
  ui::Button* token(int position) const;

 private:
  void build();

  std::shared_ptr<ui::ScrollView> scrollView_;
  std::shared_ptr<ui::TextField> textField_;
  gfx::Font textFont_ = gfx::Font::systemFont(13);
  int currentChoose_ = -1;
  std::vector<std::string> allButtons_;
  std::vector<std::string> removeButtons_;
  std::weak_ptr<SenderTextViewDelegate> delegate_;
  bool canEdit_ = true;
};
