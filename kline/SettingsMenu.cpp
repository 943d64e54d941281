#include "kline/SettingsMenu.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Image.h"

namespace {

constexpr const char* kNames[kline::kParamRows] = {"MACD", "KDJ", "RSI", "BIAS", "CCI"};
constexpr const char* kMenuTitles[kline::kParamRows][3] = {{"DIF", "DEA", "MACD"},
                                                           {"K", "D", "J"},
                                                           {"RSI1", "RSI2", "RSI3"},
                                                           {"BIAS1", "BIAS2", "BIAS3"},
                                                           {"CCI", "", ""}};

constexpr double kBodyCornerRadius = 6;

bool IsRow(int t) {
  return t >= 0 && t < kline::kParamRows;
}

}  // namespace

SettingsMenu::SettingsMenu(const gfx::Rect& frame) : ui::Button(ui::ButtonType::Custom, frame) {}

std::shared_ptr<SettingsMenu> SettingsMenu::initWithFrame(const gfx::Rect& frame) {
  return std::make_shared<SettingsMenu>(frame);
}

void SettingsMenu::initControls() {
  const double w = bounds().width();
  const double h = bounds().height();
  const gfx::Color titleColor = gfx::Color::rgb(0, 0.1216, 0.2431);
  const gfx::Image arrowImage = gfx::Image::named("downArrow.png");
  const double aw = arrowImage.size().width / 2;
  const double ah = arrowImage.size().height / 2;
  auto arrow = ui::ImageView::create({0, h / 2 - 20, aw, ah});
  arrow->setImage(arrowImage);
  addSubview(arrow);

  const double pw = w - aw;
  _paramView = ui::View::create({aw - 1, 0, pw, h});
  _paramView->setBackgroundColor(gfx::Color::clear());
  // The panel image is translucent: an opaque body under it keeps the chart's lines out of the
  // editor (its corners stay inside the image's rounded ones).
  auto body = ui::View::create({0, 0, pw, h});
  body->setBackgroundColor(gfx::Color::black());
  body->layer().setCornerRadius(kBodyCornerRadius);
  body->setUserInteractionEnabled(false);
  _paramView->addSubview(body);
  auto background = ui::ImageView::create({0, 0, pw, h});
  background->setImage(gfx::Image::named("bg.png").stretchable(30, 30));
  _paramView->addSubview(background);
  addSubview(_paramView);

  _noParamLabel = ui::Label::create({1, 0, pw - 2, 25});
  _noParamLabel->setCenter({pw / 2, h / 2});
  _noParamLabel->setBackgroundColor(gfx::Color::midGrey());
  _noParamLabel->layer().setCornerRadius(8);
  _noParamLabel->layer().setBorderColor(gfx::Color::darkGrey());
  _noParamLabel->layer().setBorderWidth(1);
  _noParamLabel->setFont(gfx::Font::boldSystemFont(12));
  _noParamLabel->setTextColor(gfx::Color::white());
  _noParamLabel->setTextAlignment(gfx::TextAlignment::Center);
  _noParamLabel->setText("当前指标无参数可设置");
  _noParamLabel->setHidden(true);
  _paramView->addSubview(_noParamLabel);

  auto makeButton = [&](const gfx::Rect& frame, const char* title) {
    auto b = ui::Button::create(ui::ButtonType::Custom, frame);
    b->setTitle(title);
    b->setTitleColor(titleColor);
    b->titleLabel()->setFont(gfx::Font::boldSystemFont(12));
    b->setBackgroundImage(gfx::Image::named("Button_Round.png"));
    _paramView->addSubview(b);
    return b;
  };
  btnDefault = makeButton({9, h - 27, 60, 22}, "恢复默认");
  btnDefault->addTarget([this](ui::Control&) { toggleBtnDefault(); },
                        ui::ControlEvent::TouchUpInside, this);
  btnAccept = makeButton({pw - 69, h - 27, 60, 22}, "应用");
  btnAccept->addTarget([this](ui::Control&) { toggleBtnAccept(); }, ui::ControlEvent::TouchUpInside,
                       this);

  auto title = [&](double x, double height) {
    auto l = ui::Label::create({x, 2, pw / 3, height});
    l->setTextAlignment(gfx::TextAlignment::Center);
    l->setTextColor(gfx::Color::white());
    l->setBackgroundColor(gfx::Color::clear());
    l->setFont(gfx::Font::boldSystemFont(13));
    _paramView->addSubview(l);
    return l;
  };
  IndexTechNameLabel1 = title(0, 12);
  IndexTechNameLabel2 = title(pw / 3, 18);
  IndexTechNameLabel3 = title(2 * pw / 3, 18);
  Columns = 3;

  // The wheel keeps its standard height, as the phone's picker does whatever height it is
  // given: the shrink below is made for that height and puts three rows between the titles and
  // the buttons. A shorter wheel would sit above the panel and show a single row.
  picker = ui::PickerView::create({0, 0, 320, ui::PickerView::kDefaultHeight});
  auto self = std::static_pointer_cast<SettingsMenu>(shared_from_this());
  picker->setDataSource(self);
  picker->setDelegate(self);
  picker->setShowsSelectionIndicator(true);
  // Scaled about its centre, then moved by (-87, -45): the shrunk picker sits in the panel.
  picker->setTransform(
      gfx::AffineTransform::scaling(0.43, 0.4).concat(gfx::AffineTransform::translation(-87, -45)));
  _paramView->addSubview(picker);
  // The picker's band covers the top of the panel on this platform: the titles stay above it.
  for (const auto& l : {IndexTechNameLabel1, IndexTechNameLabel2, IndexTechNameLabel3})
    _paramView->bringSubviewToFront(l.get());
}

void SettingsMenu::HideHover() {
  setHidden(true);
  if (IsRow(iTechIndexType)) selectRows(IndexArray[static_cast<size_t>(iTechIndexType)], Columns);
}

void SettingsMenu::selectRows(const std::array<int32_t, kline::kParamColumns>& values,
                              int columns) {
  if (!picker) return;
  for (int c = 0; c < columns && c < picker->numberOfComponents(); ++c)
    picker->selectRow(
        std::clamp(values[static_cast<size_t>(c)], kline::kParamMin, kline::kParamMax) - 1, c,
        true);
}

void SettingsMenu::InitPickerParams(int count, const kline::ParamTable& table,
                                    const kline::ParamTable& defaults) {
  (void)count;
  IndexArray = table;
  DefaultIndexArray = defaults;
  selectRows(IndexArray[0], Columns);
}

void SettingsMenu::updateParamView(int indicator) {
  iTechIndexType = indicator;
  const bool rows = IsRow(indicator);
  if (_noParamLabel) _noParamLabel->setHidden(rows);
  for (ui::View* v :
       {static_cast<ui::View*>(btnAccept.get()), static_cast<ui::View*>(btnDefault.get()),
        static_cast<ui::View*>(picker.get()), static_cast<ui::View*>(IndexTechNameLabel1.get()),
        static_cast<ui::View*>(IndexTechNameLabel2.get()),
        static_cast<ui::View*>(IndexTechNameLabel3.get())})
    if (v) v->setHidden(!rows);
  if (!rows) return;
  const int columns = kline::ParamColumns(indicator);
  SetPickerParams(columns);
  SetupIndexTechNameFrame(columns, indicator);
}

void SettingsMenu::SetPickerParams(int columns) {
  Columns = columns;
  if (!picker) return;
  picker->reloadAllComponents();
  if (IsRow(iTechIndexType)) selectRows(IndexArray[static_cast<size_t>(iTechIndexType)], Columns);
}

void SettingsMenu::SetupIndexTechNameFrame(int columns, int indicator) {
  if (!IsRow(indicator) || !IndexTechNameLabel1) return;
  const double pw = _paramView ? _paramView->bounds().width() : bounds().width();
  const auto& titles = kMenuTitles[indicator];
  IndexTechNameLabel1->setText(titles[0]);
  if (columns == 1) {
    IndexTechNameLabel1->setFrame({0, 2, pw, 18});
    IndexTechNameLabel2->setHidden(true);
    IndexTechNameLabel3->setHidden(true);
    return;
  }
  IndexTechNameLabel2->setText(titles[1]);
  IndexTechNameLabel3->setText(titles[2]);
  IndexTechNameLabel1->setFrame({0, 2, pw / 3, 18});
  IndexTechNameLabel2->setHidden(false);
  IndexTechNameLabel3->setHidden(false);
}

void SettingsMenu::toggleBtnAccept() {
  if (!IsRow(iTechIndexType) || !picker) return;
  const int n = kline::ParamColumns(iTechIndexType);
  auto& row = IndexArray[static_cast<size_t>(iTechIndexType)];
  for (int c = 0; c < n; ++c) {
    const int selected = picker->selectedRowInComponent(c);
    if (selected >= 0) row[static_cast<size_t>(c)] = selected + 1;
  }
  if (Delegate)
    Delegate->ReturnSelectedValue(kNames[iTechIndexType], iTechIndexType, row.data(), Columns);
}

void SettingsMenu::toggleBtnDefault() {
  if (!IsRow(iTechIndexType) || !picker) return;
  picker->reloadAllComponents();
  selectRows(DefaultIndexArray[static_cast<size_t>(iTechIndexType)],
             kline::ParamColumns(iTechIndexType));
}

int SettingsMenu::numberOfComponentsInPickerView(ui::PickerView&) {
  return Columns;
}

int SettingsMenu::pickerViewNumberOfRowsInComponent(ui::PickerView&, int) {
  return kline::kParamMax;
}

std::string SettingsMenu::pickerViewTitleForRow(ui::PickerView&, int row, int) {
  return std::to_string(row + 1);
}

void SettingsMenu::pickerViewDidSelectRow(ui::PickerView&, int row, int component) {
  // The wheel holds the edit until "应用" reads it: a menu closed without applying keeps the
  // periods in force (HideHover puts the wheel back on them).
  (void)row;
  (void)component;
}

double SettingsMenu::pickerViewRowHeightForComponent(ui::PickerView&, int) {
  return 60;
}

double SettingsMenu::pickerViewWidthForComponent(ui::PickerView&, int) {
  return iTechIndexType == 4 ? 300 : 100;
}
