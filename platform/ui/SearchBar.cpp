#include "platform/ui/SearchBar.h"

#include "platform/graphics/Context.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace ui {

namespace {

constexpr double kCancelWidth = 60;

// The magnifier drawn left of the search text.
class MagnifierView : public View {
 public:
  MagnifierView() : View(gfx::Rect(0, 0, 24, 20)) { setUserInteractionEnabled(false); }
  void drawRect(gfx::Context& ctx, const gfx::Rect&) override {
    ctx.setStrokeColor(gfx::Color::grey(0.55));
    ctx.setLineWidth(1.5);
    ctx.beginPath();
    ctx.addEllipse(gfx::Rect(7, 4, 9, 9));
    ctx.strokePath();
    ctx.beginPath();
    ctx.moveTo(14.5, 11.5);
    ctx.lineTo(18.5, 15.5);
    ctx.strokePath();
  }
};

}  // namespace

// The bar hears its field through this object and passes everything on to its delegate.
struct SearchBar::FieldDelegate : TextFieldDelegate {
  SearchBar* bar = nullptr;
  bool textFieldShouldBeginEditing(TextField&) override {
    auto d = bar->delegate_.lock();
    return !d || d->searchBarShouldBeginEditing(*bar);
  }
  void textFieldDidBeginEditing(TextField&) override {
    auto hold = bar->sharedView();
    if (auto d = bar->delegate_.lock()) d->searchBarTextDidBeginEditing(*bar);
    if (auto display = bar->display_.lock()) display->barDidBeginEditing();
  }
  bool textFieldShouldEndEditing(TextField&) override {
    auto d = bar->delegate_.lock();
    return !d || d->searchBarShouldEndEditing(*bar);
  }
  void textFieldDidEndEditing(TextField&) override {
    if (auto d = bar->delegate_.lock()) d->searchBarTextDidEndEditing(*bar);
  }
  bool textFieldShouldChangeCharactersInRange(TextField&, TextRange range,
                                              const std::string& text) override {
    auto d = bar->delegate_.lock();
    return !d || d->searchBarShouldChangeTextInRange(*bar, range, text);
  }
  bool textFieldShouldReturn(TextField&) override {
    auto hold = bar->sharedView();
    if (auto d = bar->delegate_.lock()) d->searchBarSearchButtonClicked(*bar);
    return true;
  }
};

SearchBar::SearchBar(const gfx::Rect& frame) : View(frame) {
  fieldDelegate_ = std::make_shared<FieldDelegate>();
  fieldDelegate_->bar = this;
  field_ = TextField::create();
  field_->setBorderStyle(TextBorderStyle::RoundedRect);
  field_->setFont(gfx::Font::systemFont(15));
  field_->setContentVerticalAlignment(ContentVerticalAlignment::Center);
  field_->setReturnKeyType(ReturnKeyType::Search);
  field_->setClearButtonMode(TextFieldViewMode::WhileEditing);
  field_->setAutocorrectionType(TextAutocorrectionType::No);
  field_->setAutocapitalizationType(TextAutocapitalizationType::None);
  field_->setLeftView(std::make_shared<MagnifierView>());
  field_->setLeftViewMode(TextFieldViewMode::Always);
  field_->setDelegate(fieldDelegate_);
  field_->layer().setCornerRadius(6);
  addSubview(field_);
  field_->addTarget(
      [this](Control&) {
        auto hold = sharedView();
        std::string text = field_->text();
        if (auto d = delegate_.lock()) d->searchBarTextDidChange(*this, text);
        if (auto display = display_.lock()) display->barTextDidChange(text);
      },
      ControlEvent::EditingChanged, this);
  cancel_ = Button::create();
  cancel_->setTitle("取消");
  cancel_->setFont(gfx::Font::systemFont(15));
  cancel_->setTitleColor(gfx::Color::white());
  cancel_->setTitleColor(gfx::Color::grey(0.7), ControlState::Highlighted);
  cancel_->addTarget([this](Control&) { pressCancelButton(); }, ControlEvent::TouchUpInside, this);
  cancel_->setHidden(true);
  addSubview(cancel_);
  layoutSubviews();
}

void SearchBar::setFrame(const gfx::Rect& frame) {
  View::setFrame(frame);
  // The field is placed at once so that it takes taps before the first render.
  layoutSubviews();
}

SearchBar::~SearchBar() = default;

std::shared_ptr<SearchBar> SearchBar::create(const gfx::Rect& frame) {
  gfx::Rect f = frame;
  if (f.height() <= 0)
    f = gfx::Rect(f.x(), f.y(), f.width() > 0 ? f.width() : Screen::main().bounds().width(),
                  kHeight);
  return std::make_shared<SearchBar>(f);
}

void SearchBar::setText(const std::string& text) {
  if (text == field_->text()) return;
  auto hold = sharedView();
  field_->setText(text);
  if (auto d = delegate_.lock()) d->searchBarTextDidChange(*this, text);
  if (auto display = display_.lock()) display->barTextDidChange(text);
}

void SearchBar::setBarStyle(BarStyle style) {
  barStyle_ = style;
  setNeedsDisplay();
}

void SearchBar::setTintColor(const gfx::Color& color) {
  tint_ = color;
  setNeedsDisplay();
}

void SearchBar::setShowsCancelButton(bool shows, bool) {
  showsCancel_ = shows;
  cancel_->setHidden(!shows);
  layoutSubviews();
}

void SearchBar::pressCancelButton() {
  auto hold = sharedView();
  if (auto d = delegate_.lock()) d->searchBarCancelButtonClicked(*this);
  if (auto display = display_.lock()) display->barCancelled();
}

void SearchBar::layoutSubviews() {
  gfx::Rect b = bounds();
  double right = showsCancel_ ? kCancelWidth : 8;
  field_->setFrame(gfx::Rect(8, (b.height() - 30) / 2, b.width() - 8 - right, 30));
  cancel_->setFrame(gfx::Rect(b.width() - kCancelWidth, 0, kCancelWidth, b.height()));
}

void SearchBar::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  gfx::Rect b = bounds();
  gfx::Color fill = barStyle_ == BarStyle::Default ? tint_ : gfx::Color::grey(0.12);
  ctx.setFillColor(fill);
  ctx.fillRect(b);
  ctx.setFillColor(gfx::Color::grey(0, 0.25));
  ctx.fillRect(gfx::Rect(0, b.height() - 1, b.width(), 1));
}

// --- search display controller ----------------------------------------------------------------

std::shared_ptr<SearchDisplayController> SearchDisplayController::create(
    const std::shared_ptr<SearchBar>& bar, const std::shared_ptr<ViewController>& contents) {
  auto controller = std::shared_ptr<SearchDisplayController>(new SearchDisplayController());
  controller->bar_ = bar;
  controller->contents_ = contents;
  if (bar) bar->display_ = controller;
  return controller;
}

void SearchDisplayController::setSearchResultsDataSource(
    std::weak_ptr<TableViewDataSource> dataSource) {
  dataSource_ = dataSource;
  if (table_) table_->setDataSource(dataSource);
}

void SearchDisplayController::setSearchResultsDelegate(std::weak_ptr<TableViewDelegate> delegate) {
  tableDelegate_ = delegate;
  if (table_) table_->setDelegate(delegate);
}

TableView* SearchDisplayController::searchResultsTableView() {
  if (!table_) {
    table_ = TableView::create(gfx::Rect(0, 0, 320, 200), TableViewStyle::Plain);
    table_->setDataSource(dataSource_);
    table_->setDelegate(tableDelegate_);
  }
  return table_.get();
}

void SearchDisplayController::placeOverlay() {
  auto bar = bar_.lock();
  auto contents = contents_.lock();
  if (!bar || !contents) return;
  View* root = contents->view();
  gfx::Rect barFrame = bar->convertRectToView(bar->bounds(), root);
  gfx::Rect below(0, barFrame.maxY(), root->bounds().width(),
                  std::max(0.0, root->bounds().height() - barFrame.maxY()));
  if (!dimming_) {
    dimming_ = View::create(below);
    dimming_->setBackgroundColor(gfx::Color::grey(0, 0.6));
  }
  dimming_->setFrame(below);
  if (dimming_->superview() != root) root->addSubview(dimming_);
  searchResultsTableView();
  table_->setFrame(below);
  if (table_->superview() != root) root->addSubview(table_);
}

void SearchDisplayController::setActive(bool active, bool) {
  auto self = sharedAs<SearchDisplayController>();
  auto bar = bar_.lock();
  if (active == active_) {
    if (active) placeOverlay();
    return;
  }
  auto d = delegate_.lock();
  if (active) {
    if (d) d->searchDisplayControllerWillBeginSearch(*this);
    active_ = true;
    if (bar) bar->setShowsCancelButton(true, true);
    placeOverlay();
    if (table_) table_->reloadData();
    if (d) d->searchDisplayControllerDidBeginSearch(*this);
  } else {
    if (d) d->searchDisplayControllerWillEndSearch(*this);
    active_ = false;
    if (dimming_) dimming_->removeFromSuperview();
    if (table_) table_->removeFromSuperview();
    if (bar) {
      bar->setShowsCancelButton(false, true);
      bar->field_->setText("");
      if (Window* w = bar->window(); w && w->firstResponder() == bar->field_.get())
        w->setFirstResponder(nullptr, true);
    }
    if (d) d->searchDisplayControllerDidEndSearch(*this);
  }
}

void SearchDisplayController::barDidBeginEditing() {
  if (!active_) setActive(true, true);
}

void SearchDisplayController::barTextDidChange(const std::string& text) {
  if (!active_) return;
  auto self = sharedAs<SearchDisplayController>();
  auto d = delegate_.lock();
  bool reload = !d || d->searchDisplayControllerShouldReloadTableForSearchString(*this, text);
  if (reload && table_) table_->reloadData();
}

void SearchDisplayController::barCancelled() {
  setActive(false, true);
}

}  // namespace ui
