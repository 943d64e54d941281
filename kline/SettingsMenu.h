// The floating editor of the indicator periods on the landscape K-line screen: a picker of
// whole numbers 1..100 per period, "应用" sends the row to the delegate, "恢复默认" moves the
// picker back to the bundle values without storing anything, and closing the menu otherwise
// drops what the wheel was moved to.
#pragma once

#include <memory>
#include <string>

#include "kline/TechIndexParams.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/PickerView.h"

class SettingsMenuDelegate {
 public:
  virtual ~SettingsMenuDelegate() = default;
  virtual void ShowVolume() {}
  virtual void ShowMACD() {}
  virtual void ShowRSI() {}
  virtual void ShowKDJ() {}
  virtual void ShowCCI() {}
  virtual void ShowBIAS() {}
  virtual void ShowCCL() {}
  virtual void ShowZLZJL() {}
  virtual void ShowZLCC() {}
  virtual void ShowZLHYD() {}
  virtual void dealWeight(int type) { (void)type; }
  // name: "MACD", "KDJ", "RSI", "BIAS" or "CCI"; values: `columns` periods of row `selected`.
  virtual void ReturnSelectedValue(const std::string& name, int selected, const int32_t* values,
                                   int columns) {
    (void)name;
    (void)selected;
    (void)values;
    (void)columns;
  }
};

class SettingsMenu : public ui::Button,
                     public ui::PickerViewDataSource,
                     public ui::PickerViewDelegate {
 public:
  explicit SettingsMenu(const gfx::Rect& frame);
  static std::shared_ptr<SettingsMenu> initWithFrame(const gfx::Rect& frame);

  void initControls();
  void InitPickerParams(int count, const kline::ParamTable& table,
                        const kline::ParamTable& defaults);
  // 0..4 a row of the table; any other value: the pane has no periods.
  void updateParamView(int indicator);
  void ShowHover() { setHidden(false); }
  // Closing without "应用" cancels the edit: the wheel goes back to the periods in force.
  void HideHover();
  void SetPickerParams(int columns);
  void SetupIndexTechNameFrame(int columns, int indicator);
  void toggleBtnAccept();
  void toggleBtnDefault();
  void setDelegate(SettingsMenuDelegate* d) { Delegate = d; }

  int numberOfComponentsInPickerView(ui::PickerView& picker) override;
  int pickerViewNumberOfRowsInComponent(ui::PickerView& picker, int component) override;
  std::string pickerViewTitleForRow(ui::PickerView& picker, int row, int component) override;
  void pickerViewDidSelectRow(ui::PickerView& picker, int row, int component) override;
  double pickerViewRowHeightForComponent(ui::PickerView& picker, int component) override;
  double pickerViewWidthForComponent(ui::PickerView& picker, int component) override;

  SettingsMenuDelegate* Delegate = nullptr;
  int iTechIndexType = -1;
  int Columns = 3;
  kline::ParamTable DefaultIndexArray{};
  kline::ParamTable IndexArray{};
  std::shared_ptr<ui::Button> btnAccept, btnDefault;
  std::shared_ptr<ui::PickerView> picker;
  std::shared_ptr<ui::Label> IndexTechNameLabel1, IndexTechNameLabel2, IndexTechNameLabel3;
  std::shared_ptr<ui::View> _paramView;
  std::shared_ptr<ui::Label> _noParamLabel;

 private:
  void selectRows(const std::array<int32_t, kline::kParamColumns>& values, int columns);
};
