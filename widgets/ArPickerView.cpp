#include "widgets/ArPickerView.h"

#include <algorithm>
#include <cstdlib>

#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace {

constexpr double kBarHeight = 44;

std::shared_ptr<ui::Button> SheetButton(const std::string& title, const gfx::Rect& frame) {
  auto button = ui::Button::create(ui::ButtonType::Custom, frame);
  button->setTitle(title);
  button->setTitleColor(gfx::Color::white());
  button->setTitleColor(gfx::Color::lightGrey(), ui::ControlState::Highlighted);
  button->setFont(gfx::Font::boldSystemFont(15));
  button->setBackgroundColor(gfx::Color::rgb255(60, 90, 130));
  button->layer().setCornerRadius(5);
  return button;
}

}  // namespace

// --- the sliding sheet ----------------------------------------------------------------------

SlidingSheet::SlidingSheet(const gfx::Rect& frame) : ui::View(frame) {}

void SlidingSheet::buildPanel(const std::shared_ptr<ui::View>& picker) {
  const double w = ui::Screen::main().bounds().width();
  setFrame(ui::Screen::main().bounds());
  readlyView_ = ui::View::create(gfx::Rect(0, 0, w, kPanelHeight));
  readlyView_->setBackgroundColor(gfx::Color::rgb255(34, 38, 46));
  auto background = ui::ImageView::create(readlyView_->bounds());
  background->setTag(kSheetBackgroundTag);
  readlyView_->addSubview(background);
  auto title = ui::Label::create(gfx::Rect(70, 0, w - 140, kBarHeight));
  title->setTag(kSheetTitleTag);
  title->setTextAlignment(gfx::TextAlignment::Center);
  title->setTextColor(gfx::Color::white());
  title->setFont(gfx::Font::boldSystemFont(16));
  readlyView_->addSubview(title);
  cancelButton_ = SheetButton("取消", gfx::Rect(8, 7, 56, 30));
  okButton_ = SheetButton("确定", gfx::Rect(w - 64, 7, 56, 30));
  readlyView_->addSubview(cancelButton_);
  readlyView_->addSubview(okButton_);
  picker->setFrame(gfx::Rect(0, kBarHeight, w, kPanelHeight - kBarHeight));
  picker->setBackgroundColor(gfx::Color::white());
  readlyView_->addSubview(picker);
  addSubview(readlyView_);
}

void SlidingSheet::onTap(ui::Button& button, void (*action)(SlidingSheet&)) {
  std::weak_ptr<SlidingSheet> weak = sharedAs<SlidingSheet>();
  button.addGestureRecognizer(ui::TapGestureRecognizer::create([weak, action](auto&) {
    auto self = weak.lock();
    // A sheet on its way out takes no second answer.
    if (self && !self->removing_) action(*self);
  }));
}

void SlidingSheet::updateTitle(const std::string& title) {
  if (auto* label = dynamic_cast<ui::Label*>(readlyView_->viewWithTag(kSheetTitleTag))) {
    label->setText(title);
  }
}

void SlidingSheet::showInWindow() {
  ui::Window* window = ui::Application::shared().keyWindow();
  if (!window) {
    foundation::logError("SlidingSheet: no key window to show in");
    return;
  }
  showInView(*window);
}

void SlidingSheet::showInView(ui::View& view) {
  auto self = sharedAs<ui::View>();
  if (!self) return;
  removing_ = false;
  view.addSubview(self);
  if (std::atoi(ui::Device::current().systemVersion().c_str()) < 7) {
    if (auto* background =
            dynamic_cast<ui::ImageView*>(readlyView_->viewWithTag(kSheetBackgroundTag))) {
      background->setImage(gfx::Image::named("bg_set.png"));
    }
    if (auto* label = dynamic_cast<ui::Label*>(readlyView_->viewWithTag(kSheetTitleTag))) {
      label->setTextColor(gfx::Color::white());
    }
  }
  setBounds(view.bounds());
  gfx::Rect panel = readlyView_->frame();
  readlyView_->setFrame(
      gfx::Rect(panel.x(), bounds().height() - panel.height(), panel.width(), panel.height()));
  setCenter(newMoveToCenterOnView(&view));
  const gfx::Rect f = frame();
  ui::View::animate(kSlideSeconds,
                    [this, f] { setCenter(gfx::Point(f.width() / 2, f.height() / 2)); });
}

gfx::Point SlidingSheet::newMoveToCenterOnView(ui::View*) const {
  const gfx::Rect f = frame();
  const double w = f.width();
  const double h = f.height();
  if (dynamic_cast<ui::Window*>(superview())) {
    switch (ui::statusBarOrientation()) {
      case ui::InterfaceOrientation::PortraitUpsideDown:
        return gfx::Point(w / 2, -h / 2);
      case ui::InterfaceOrientation::LandscapeRight:
        return gfx::Point(-w / 2, h / 2);
      case ui::InterfaceOrientation::LandscapeLeft:
        return gfx::Point(1.5 * w, h / 2);
      default:
        break;
    }
  }
  return gfx::Point(w / 2, 1.5 * h);
}

void SlidingSheet::remove() {
  if (removing_) return;
  removing_ = true;
  // The animation keeps the sheet alive until it leaves its superview.
  auto self = sharedAs<SlidingSheet>();
  const gfx::Point away = newMoveToCenterOnView(nullptr);
  ui::View::animate(
      kSlideSeconds, [this, away] { setCenter(away); },
      [self](bool) {
        if (self && self->removing_) self->removeFromSuperview();
      });
}

void SlidingSheet::touchesBegan(const ui::TouchSet&, const ui::Event&) {}

void SlidingSheet::touchesEnded(const ui::TouchSet&, const ui::Event&) {
  foundation::logVerbose("Func:%s , Line: %d", __func__, __LINE__);
}

// --- the wheel sheet ------------------------------------------------------------------------

ArPickerView::ArPickerView(const gfx::Rect& frame) : SlidingSheet(frame) {}

std::shared_ptr<ArPickerView> ArPickerView::create() {
  auto sheet = std::make_shared<ArPickerView>();
  sheet->pickerView_ = ui::PickerView::create();
  sheet->pickerView_->setShowsSelectionIndicator(true);
  sheet->buildPanel(sheet->pickerView_);
  sheet->pickerView_->setDataSource(std::static_pointer_cast<ui::PickerViewDataSource>(sheet));
  sheet->pickerView_->setDelegate(std::static_pointer_cast<ui::PickerViewDelegate>(sheet));
  sheet->awakeFromNib();
  return sheet;
}

void ArPickerView::awakeFromNib() {
  initPickerData();
  onTap(*okButton_, [](SlidingSheet& s) { static_cast<ArPickerView&>(s).buttonAction_Done(); });
  onTap(*cancelButton_,
        [](SlidingSheet& s) { static_cast<ArPickerView&>(s).buttonAction_Cancle(); });
}

void ArPickerView::initPickerData() {
  indexArray_.clear();
  columnWidth_.fill(0);
  columns_.clear();
  columnsCount_ = 0;
}

void ArPickerView::setPickerArrays(int count, const std::vector<std::vector<std::string>>& arrays) {
  columns_.clear();
  if (count < 1 || arrays.empty()) {
    count = 1;
    columns_.push_back({kPickerPlaceholderRow});
  } else {
    if (static_cast<size_t>(count) > arrays.size()) {
      foundation::logError("ArPickerView: %d columns asked, %zu given", count, arrays.size());
      count = static_cast<int>(arrays.size());
    }
    columns_.assign(arrays.begin(), arrays.begin() + count);
  }
  columnsCount_ = count;
  // One selected row per column, however many columns there are.
  indexArray_.assign(static_cast<size_t>(count), 0);
  pickerView_->reloadAllComponents();
}

void ArPickerView::setColumnWidth(const std::vector<int>& widths) {
  for (size_t i = 0; i < widths.size() && i < kMaxWidths; ++i) {
    columnWidth_[i] = widths[i];
    if (widths[i] > pickerView_->bounds().width()) {
      gfx::Rect f = pickerView_->frame();
      const double w = widths[i];
      pickerView_->setFrame(gfx::Rect((bounds().width() - w) / 2, f.y(), w, f.height()));
    }
  }
  pickerView_->reloadAllComponents();
}

void ArPickerView::setPickerInitSel(const std::vector<int>& rows) {
  std::fill(indexArray_.begin(), indexArray_.end(), 0);
  for (size_t i = 0; i < indexArray_.size() && i < rows.size(); ++i) {
    indexArray_[i] = rows[i];
    pickerView_->selectRow(rows[i], static_cast<int>(i), true);
  }
}

void ArPickerView::buttonAction_Done() {
  auto self = sharedAs<ArPickerView>();
  const std::vector<int> rows = indexArray_;
  if (auto delegate = delegate_.lock()) {
    delegate->resultDidDone(*this, rows);
    if (!rows.empty() && !columns_.empty() && rows[0] >= 0 &&
        static_cast<size_t>(rows[0]) < columns_[0].size()) {
      delegate->resultStringDidDone(*this, columns_[0][static_cast<size_t>(rows[0])]);
    }
  }
  remove();
}

void ArPickerView::buttonAction_Cancle() {
  auto self = sharedAs<ArPickerView>();
  if (auto delegate = delegate_.lock()) delegate->cancelSelect(*this, indexArray_);
  remove();
}

int ArPickerView::numberOfComponentsInPickerView(ui::PickerView&) {
  return static_cast<int>(columns_.size());
}

int ArPickerView::pickerViewNumberOfRowsInComponent(ui::PickerView&, int component) {
  if (component < 0 || static_cast<size_t>(component) >= columns_.size()) return 0;
  return static_cast<int>(columns_[static_cast<size_t>(component)].size());
}

std::string ArPickerView::pickerViewTitleForRow(ui::PickerView&, int row, int component) {
  if (component < 0 || static_cast<size_t>(component) >= columns_.size()) return {};
  const auto& column = columns_[static_cast<size_t>(component)];
  if (row < 0 || static_cast<size_t>(row) >= column.size()) return {};
  return column[static_cast<size_t>(row)];
}

void ArPickerView::pickerViewDidSelectRow(ui::PickerView&, int row, int component) {
  if (component < 0 || static_cast<size_t>(component) >= indexArray_.size()) return;
  indexArray_[static_cast<size_t>(component)] = row;
}

double ArPickerView::pickerViewWidthForComponent(ui::PickerView&, int component) {
  if (columnWidth_[0] < 1) return component == 0 ? kFirstColumnWidth : kOtherColumnWidth;
  if (component >= 0 && component < kMaxWidths && columnWidth_[component] > 0) {
    return columnWidth_[component];
  }
  return kOtherColumnWidth;
}

// --- the date sheet -------------------------------------------------------------------------

CustomDatePickerView::CustomDatePickerView(const gfx::Rect& frame) : SlidingSheet(frame) {}

std::shared_ptr<CustomDatePickerView> CustomDatePickerView::create() {
  auto sheet = std::make_shared<CustomDatePickerView>();
  sheet->datePicker_ = ui::DatePicker::create();
  sheet->buildPanel(sheet->datePicker_);
  sheet->awakeFromNib();
  return sheet;
}

void CustomDatePickerView::awakeFromNib() {
  btnWithGesture(*okButton_, [](SlidingSheet& s) {
    static_cast<CustomDatePickerView&>(s).buttonAction_action2();
  });
  btnWithGesture(*cancelButton_, [](SlidingSheet& s) {
    static_cast<CustomDatePickerView&>(s).buttonAction_action();
  });
}

void CustomDatePickerView::btnWithGesture(ui::Button& button, void (*action)(SlidingSheet&)) {
  button.setAdjustsImageWhenHighlighted(false);
  onTap(button, action);
}

void CustomDatePickerView::setInitDate(foundation::Date date) {
  datePicker_->setDate(date);
}

void CustomDatePickerView::buttonAction_action2() {
  auto self = sharedAs<CustomDatePickerView>();
  if (auto delegate = delegate_.lock()) delegate->resultDidDone(*this, datePicker_->date());
  remove();
}

void CustomDatePickerView::buttonAction_action() {
  auto self = sharedAs<CustomDatePickerView>();
  if (auto delegate = delegate_.lock()) delegate->cancelSelect(*this, datePicker_->date());
  remove();
}

// --- the drop-down list ---------------------------------------------------------------------

UIDropDownList::UIDropDownList(const gfx::Rect& frame) : ui::View(frame) {
  setBackgroundColor(gfx::Color::clear());
  button_ = ui::Button::create(ui::ButtonType::RoundedRect,
                               gfx::Rect(0, 0, frame.width(), frame.height()));
  button_->setFont(gfx::Font::systemFont(13));
  button_->titleLabel()->setAdjustsFontSizeToFitWidth(true);
  button_->setContentVerticalAlignment(ui::ContentVerticalAlignment::Center);
  addSubview(button_);
  setButtonTitle(kDropDownPrompt);
}

std::shared_ptr<UIDropDownList> UIDropDownList::create(const gfx::Rect& frame) {
  auto list = std::make_shared<UIDropDownList>(frame);
  std::weak_ptr<UIDropDownList> weak = list;
  list->button_->addGestureRecognizer(ui::TapGestureRecognizer::create([weak](auto&) {
    if (auto self = weak.lock()) self->clickControl();
  }));
  return list;
}

void UIDropDownList::choose(int index) {
  selIndex_ = index;
  setButtonTitle(listArray_[static_cast<size_t>(index)]);
}

void UIDropDownList::setListItemArray(const std::vector<std::string>& list) {
  listArray_ = list;
  if (!list.empty()) {
    choose(0);
  } else {
    setButtonTitle(kDropDownPrompt);
    selIndex_ = -1;
  }
}

void UIDropDownList::setListItemArray(const std::vector<std::string>& list, int selIndex) {
  listArray_ = list;
  if (!list.empty() && selIndex >= 0 && static_cast<size_t>(selIndex) < list.size()) {
    choose(selIndex);
  } else {
    setButtonTitle(kDropDownPrompt);
    selIndex_ = -1;
  }
}

void UIDropDownList::setCurrentSelIndex(int index) {
  if (index >= 0 && static_cast<size_t>(index) < listArray_.size()) choose(index);
}

void UIDropDownList::setParamArray(const std::vector<foundation::Value>& params) {
  paramArray_ = params;
}

std::optional<foundation::Value> UIDropDownList::getCurrentItemParam() const {
  if (selIndex_ < 0 || static_cast<size_t>(selIndex_) >= paramArray_.size()) return std::nullopt;
  return paramArray_[static_cast<size_t>(selIndex_)];
}

void UIDropDownList::setButtonTitle(const std::string& text) {
  realTitle_ = text;
  if (!prefixTitle_.empty() && text != kDropDownPrompt) {
    button_->setTitle(prefixTitle_ + text);
  } else {
    button_->setTitle(text);
  }
}

void UIDropDownList::clickControl() {
  if (listArray_.empty()) return;
  if (selIndex_ >= 0 && static_cast<size_t>(selIndex_) < listArray_.size()) {
    showPickerSheet(selIndex_);
    return;
  }
  choose(0);
  showPickerSheet(0);
}

void UIDropDownList::showPickerSheet(int index) {
  currentSelIndex_ = selIndex_;
  auto sheet = ArPickerView::create();
  sheet->setArPickerViewDelgate(sharedAs<UIDropDownList>());
  sheet->updateTitle(pickTitle_);
  sheet->setPickerArrays(1, {listArray_});
  sheet->setColumnWidth({kPickerWidth});
  sheet->showInWindow();
  sheet->setPickerInitSel({index, 0});
  sheet_ = sheet;
}

void UIDropDownList::resultDidDone(ArPickerView&, const std::vector<int>& rows) {
  if (rows.empty() || rows[0] < 0 || static_cast<size_t>(rows[0]) >= listArray_.size()) return;
  currentSelIndex_ = rows[0];
  choose(rows[0]);
  if (auto delegate = delegate_.lock()) delegate->listSelValueChanged(selIndex_, *this);
}

void UIDropDownList::actionSheetClickedButtonAtIndex(ui::ActionSheet&, int buttonIndex) {
  if (buttonIndex != 4) return;
  if (currentSelIndex_ < 0 || static_cast<size_t>(currentSelIndex_) >= listArray_.size()) return;
  choose(currentSelIndex_);
  if (auto delegate = delegate_.lock()) delegate->listSelValueChanged(selIndex_, *this);
}

bool UIDropDownList::textFieldShouldReturn(ui::TextField& field) {
  field.resignFirstResponder();
  return true;
}
