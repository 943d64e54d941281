#include "alerts/InfoArticlePage.h"

#include <cstdlib>

#include "alerts/InfoTime.h"
#include "alerts/RadarView.h"
#include "core/DataRequest.h"
#include "core/InfoRequests.h"
#include "core/MDBF.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"
#include "shell/Extend.h"
#include "shell/ScreenMetrics.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/ScreenParts.h"
#include "widgets/StaleCheck.h"

namespace {

void Indicator(bool on) {
  ui::Application::shared().setNetworkActivityIndicatorVisible(on);
}

std::shared_ptr<ui::Button> StepButton(const gfx::Rect& frame, const char* image, int leftCap,
                                       int tag) {
  auto button = ui::Button::create(frame);
  const std::string base(image);
  button->setBackgroundImage(gfx::Image::named(base + ".png").stretchable(leftCap, 0),
                             ui::ControlState::Normal);
  button->setBackgroundImage(gfx::Image::named(base + "_h.png").stretchable(leftCap, 0),
                             ui::ControlState::Highlighted);
  button->setBackgroundImage(gfx::Image::named(base + "_dis.png").stretchable(leftCap, 0),
                             ui::ControlState::Disabled);
  button->setTitleColor(gfx::Color::white());
  button->setFont(gfx::Font::boldSystemFont(14));
  button->setTag(tag);
  return button;
}

}  // namespace

InfoArticlePage::InfoArticlePage(std::string pageTitle, std::string notificationName,
                                 uint8_t childType)
    : pageTitle_(std::move(pageTitle)),
      notificationName_(std::move(notificationName)),
      childType_(childType) {}

void InfoArticlePage::loadView() {
  // The page's own layout: title over date and time, the text below.
  auto view = ui::View::create(ui::Screen::main().applicationFrame());
  setView(view);

  auto title =
      MakeClearLabel(gfx::Rect(8, 6, 304, 44), gfx::Font::boldSystemFont(17), gfx::Color::white());
  title->setTag(kTitleTag);
  title->setNumberOfLines(2);
  title->setLineBreakMode(gfx::LineBreakMode::WordWrap);
  view->addSubview(title);

  for (auto [tag, x] : {std::pair{kDateTag, 8.0}, std::pair{kTimeTag, 162.0}}) {
    auto label = MakeClearLabel(gfx::Rect(x, 52, 150, 20), gfx::Font::boldSystemFont(13),
                                gfx::Color::orange());
    label->setTag(tag);
    view->addSubview(label);
  }

  auto content = ui::TextView::create(gfx::Rect(4, 78, 312, 200));
  content->setTag(kContentTag);
  content->setBackgroundColor(gfx::Color::clear());
  content->setTextColor(gfx::Color::white());
  content->setFont(gfx::Font::systemFont(15));
  content->setEditable(false);
  view->addSubview(content);
}

void InfoArticlePage::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  view()->setBackgroundColor(gfx::Color::black());
  setTitle(pageTitle_);
  Extend::setNavigationBarColorForiOS7(*this);
  navigationItem().setBackBarButtonItem(
      ui::BarButtonItem::withTitle("返回", ui::BarButtonItemStyle::Bordered));

  _prepButton = StepButton(gfx::Rect(0, 7, 50, 30), "btn2_left", 0, kPreviousTag);
  _prepButton->addTarget(ui::WhileAlive(this, &InfoArticlePage::preButton),
                         ui::ControlEvent::TouchUpInside, this);
  _nextButton = StepButton(gfx::Rect(51, 7, 50, 30), "btn2_right", 10, kNextTag);
  _nextButton->addTarget(ui::WhileAlive(this, &InfoArticlePage::nextButton),
                         ui::ControlEvent::TouchUpInside, this);
  auto holder = ui::View::create(gfx::Rect(0, 0, 105, 44));
  holder->addSubview(_prepButton);
  holder->addSubview(_nextButton);
  navigationItem().setRightBarButtonItem(ui::BarButtonItem::withCustomView(holder));

  ui::addScreenInvariant(*view(), "article", [weak = weakAs<InfoArticlePage>()] {
    auto self = weak.lock();
    return self ? self->bodyMismatch() : std::string();
  });
  DeclareStaleCheck(*view(), pageTitle_, weakAs<InfoArticlePage>(), &InfoArticlePage::live_);

  // The text fills the screen down to the tab bar and the ticker.
  if (ui::View* content = view()->viewWithTag(kContentTag)) {
    gfx::Rect f = content->frame();
    f.size.height = ScreenContentHeight() - 28 - f.y();
    content->setFrame(f);
  }
}

void InfoArticlePage::observe() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  ui::Observe(this, notificationName_, &InfoArticlePage::recvmsg);
}

void InfoArticlePage::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  if (auto* nav = navigationController()) nav->setNavigationBarHidden(false);
  observe();
  // Back in sight without the text of the item shown: asked again.
  if (!live_.current() && !askedRecord_.isNull()) askAgain();
}

void InfoArticlePage::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->showBottomHurricaneLamp();
}

void InfoArticlePage::viewWillDisappear(bool animated) {
  Indicator(false);
  live_.stop();
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  ui::ViewController::viewWillDisappear(animated);
}

ui::Label* InfoArticlePage::labelWithTag(int tag) {
  return dynamic_cast<ui::Label*>(view()->viewWithTag(tag));
}

ui::TextView* InfoArticlePage::contentView() {
  return dynamic_cast<ui::TextView*>(view()->viewWithTag(kContentTag));
}

void InfoArticlePage::updateCurrentView(int index) {
  _nCurrentRecord = index;
  bool answers = false;
  const foundation::Value record = sourceRecord(index, answers);
  if (answers && !record.isNull()) {
    // The text shown belongs to the item left: it goes with its title, and only the answer to
    // this item's request brings the next one.
    clearBody();
    if (auto* label = labelWithTag(kTitleTag)) label->setText(record["title"].asString());
    if (auto* label = labelWithTag(kDateTag)) label->setText(record["date"].asString());
    if (auto* label = labelWithTag(kTimeTag)) label->setText(record["time"].asString());
    requestInfoContent(record);
  }
  updateButtonState();
}

void InfoArticlePage::requestInfoContent(const foundation::Value& record) {
  if (record.isNull()) return;
  _infoContent = InfoText();
  askedTitle_ = record["title"].asString();
  askedRecord_ = record;
  live_.setAsk(ui::WhileAlive(this, &InfoArticlePage::askAgain));
  live_.begin();
  _mRequestFlagCode = sendContentRequest(record);
  if (_mRequestFlagCode < 0) {
    live_.failed();
    return;
  }
  live_.expect(static_cast<uint16_t>(_mRequestFlagCode));
  Indicator(true);
}

void InfoArticlePage::askAgain() {
  requestInfoContent(askedRecord_);
}

void InfoArticlePage::updateButtonState() {
  if (!_prepButton) (void)view();
  const int total = sourceTotal();
  if (_prepButton) _prepButton->setEnabled(_nCurrentRecord != 0);
  if (_nextButton) _nextButton->setEnabled(_nCurrentRecord < total - 1);
}

void InfoArticlePage::preButton() {
  updateCurrentView(_nCurrentRecord - 1);
}

void InfoArticlePage::nextButton() {
  updateCurrentView(_nCurrentRecord + 1);
}

void InfoArticlePage::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView reply;
  if (!ReceiveRecordView::From(notification, reply)) return;
  if (reply.status != kReceiveStatusPacket || reply.header.MainType != kMainTypeQuote) return;
  // Only the answer to the latest request for the item shown: an earlier item's comes late.
  // The activity sign stays up until then, whatever else the connection brings (pushes).
  if (reply.header.ChildType != childType_ || !live_.takes(reply.requestCode())) return;
  Indicator(false);
  if (reply.header.isError()) {
    // The page stays as it was (the title without a text) and asks again.
    live_.failed();
    return;
  }
  live_.answered(reply.requestCode());
  _mRequestFlagCode = -1;
  _infoContent = ReadInfoText(reply.body, reply.bodyLen);
  refreshControlContent();
}

void InfoArticlePage::clearBody() {
  _infoContent = InfoText();
  bodyTitle_.clear();
  bodyText_.clear();
  if (auto* content = contentView()) content->setText("");
}

std::string InfoArticlePage::bodyMismatch() {
  auto* content = isViewLoaded() ? contentView() : nullptr;
  auto* title = isViewLoaded() ? labelWithTag(kTitleTag) : nullptr;
  if (!content || !title || content->text().empty()) return {};
  if (content->text() != bodyText_)
    return "the text shown is no answer of this page's (under '" + title->text() + "')";
  if (bodyTitle_ != title->text())
    return "the text of '" + bodyTitle_ + "' is shown under the title '" + title->text() + "'";
  return {};
}

void InfoArticlePage::refreshControlContent() {
  // A reply without a record keeps the list's texts.
  if (!_infoContent.found) return;
  if (auto* label = labelWithTag(kDateTag))
    label->setText(InfoDateText(_infoContent.date));
  if (auto* label = labelWithTag(kTimeTag))
    label->setText(InfoTimeText(_infoContent.time));
  if (auto* content = contentView()) {
    content->setFont(gfx::Font::systemFont(15));
    content->setText(_infoContent.text);
    bodyText_ = _infoContent.text;
    bodyTitle_ = askedTitle_;
    foundation::logVerbose("information text of %zu bytes shown", _infoContent.text.size());
  }
}

// --- CDetailInfoController ---

CDetailInfoController::CDetailInfoController()
    : SourcedArticlePage("证券头条", "MainPageCellContent", QuoteChild::kInfoContent) {}

int CDetailInfoController::sendContentRequest(const foundation::Value& record) {
  const int partId = std::atoi(record["partID"].asString().c_str());
  const std::string additional = record["additional"].asString();
  const uint16_t code = NextRequestCode(GlobalDataRequest());
  if (MakeRequest_InfoContent(GlobalDataRequest(), 0, code, partId,
                              additional.empty() ? nullptr : additional.c_str()) != 0)
    return -1;
  return code;
}

// --- CRadarDetailInfoController ---

CRadarDetailInfoController::CRadarDetailInfoController()
    : SourcedArticlePage("详细信息", "RadarCellContent", QuoteChild::kRadar) {}

int CRadarDetailInfoController::sendContentRequest(const foundation::Value& record) {
  const int64_t id = std::strtoll(record["Node"].asString().c_str(), nullptr, 10);
  const uint16_t code = NextRequestCode(GlobalDataRequest());
  return SendRadarTextRequest(id, 0, code, "CRadarDetailInfoController") ? code : -1;
}
