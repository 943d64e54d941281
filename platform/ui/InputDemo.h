// A demo scene of the input controls (text fields and the keyboard, an alert with a text field,
// an action sheet with a picker, a date sheet, the edit menu and a web view) for the program's
// "--demo input" option and the screenshot tests.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/ActionSheet.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/PickerView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/WebView.h"
#include "platform/ui/Window.h"

namespace ui {

namespace InputDemoTag {
constexpr int CodeField = 201;
constexpr int PasswordField = 202;
constexpr int Status = 203;
constexpr int Web = 204;
constexpr int AlertButton = 210;
constexpr int PickerButton = 211;
constexpr int DateButton = 212;
constexpr int CopyButton = 213;
}  // namespace InputDemoTag

class InputDemoDelegate : public Object,
                          public ApplicationDelegate,
                          public TextFieldDelegate,
                          public AlertViewDelegate,
                          public ActionSheetDelegate,
                          public PickerViewDataSource,
                          public PickerViewDelegate,
                          public WebViewDelegate {
 public:
  bool applicationDidFinishLaunchingWithOptions(Application& app) override;

  Window* window() const { return window_.get(); }
  std::string status() const { return status_->text(); }

  // Text fields: the code field takes letters and digits up to 6; return ends editing.
  bool textFieldShouldChangeCharactersInRange(TextField& field, TextRange range,
                                              const std::string& string) override;
  bool textFieldShouldReturn(TextField& field) override;
  void alertViewClickedButtonAtIndex(AlertView& alert, int buttonIndex) override;
  void actionSheetClickedButtonAtIndex(ActionSheet& sheet, int buttonIndex) override;
  int numberOfComponentsInPickerView(PickerView& picker) override;
  int pickerViewNumberOfRowsInComponent(PickerView& picker, int component) override;
  std::string pickerViewTitleForRow(PickerView& picker, int row, int component) override;
  double pickerViewWidthForComponent(PickerView& picker, int component) override;
  void webViewDidFinishLoad(WebView& web) override;
  void webViewDidFailLoadWithError(WebView& web, const WebError& error) override;

 private:
  void setStatus(const std::string& text);
  void showAlert();
  void showPickerSheet();
  void showDateSheet();
  void showCopyMenu();

  std::shared_ptr<Window> window_;
  std::shared_ptr<Label> status_;
  std::shared_ptr<PickerView> picker_;
  std::shared_ptr<DatePicker> datePicker_;
};

// Registers "InputDemoAppDelegate".
void registerInputDemoClasses();

}  // namespace ui
