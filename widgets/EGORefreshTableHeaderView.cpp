#include "widgets/EGORefreshTableHeaderView.h"

#include <cmath>

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"

namespace {

const gfx::Color kTextGrey = gfx::Color::rgb255(127, 127, 127);

}  // namespace

EGORefreshTableHeaderView::EGORefreshTableHeaderView(const gfx::Rect& frame) : ui::View(frame) {
  const double w = frame.width(), h = frame.height();
  setBackgroundColor(gfx::Color::clear());

  auto background = ui::View::create(gfx::Rect(0, 0, w, h));
  background->setAutoresizingMask(
      ui::Autoresizing::FlexibleLeftMargin | ui::Autoresizing::FlexibleWidth |
      ui::Autoresizing::FlexibleTopMargin | ui::Autoresizing::FlexibleBottomMargin);
  background->setBackgroundColor(gfx::Color::rgb255(2, 3, 5, 0.5));
  addSubview(background);

  lastUpdatedLabel_ = ui::Label::create(gfx::Rect(0, h / 2 + 2, w, 18));
  lastUpdatedLabel_->setAutoresizingMask(ui::Autoresizing::FlexibleWidth);
  lastUpdatedLabel_->setFont(gfx::Font::systemFont(16));
  lastUpdatedLabel_->setBackgroundColor(gfx::Color::clear());
  lastUpdatedLabel_->setTextAlignment(gfx::TextAlignment::Center);
  lastUpdatedLabel_->setTextColor(kTextGrey);
  addSubview(lastUpdatedLabel_);

  statusLabel_ = ui::Label::create(gfx::Rect(0, h / 2 - 20, w, 18));
  statusLabel_->setAutoresizingMask(ui::Autoresizing::FlexibleWidth);
  statusLabel_->setFont(gfx::Font::boldSystemFont(16));
  statusLabel_->setBackgroundColor(gfx::Color::clear());
  statusLabel_->setTextAlignment(gfx::TextAlignment::Center);
  statusLabel_->setTextColor(kTextGrey);
  addSubview(statusLabel_);

  const gfx::Image arrowImage = gfx::Image::named("whiteArrow.png");
  const double ih = arrowImage.size().height;
  arrow_ = ui::View::create(gfx::Rect(230, h / 2 - ih / 2, 30, ih));
  arrow_->layer().setContents(arrowImage);
  arrow_->layer().setContentsGravity(ui::ContentsGravity::ResizeAspect);
  arrow_->setUserInteractionEnabled(false);
  addSubview(arrow_);

  activity_ = ui::ActivityIndicatorView::create(ui::ActivityIndicatorStyle::WhiteLarge);
  activity_->setFrame(gfx::Rect(230, h / 2 - 15, 30, 30));
  addSubview(activity_);

  setState(Idle);
}

EGORefreshTableHeaderView::~EGORefreshTableHeaderView() {
  if (trigger_) trigger_->invalidate();
}

std::shared_ptr<EGORefreshTableHeaderView> EGORefreshTableHeaderView::create(
    const gfx::Rect& frame) {
  return std::make_shared<EGORefreshTableHeaderView>(frame);
}

gfx::AffineTransform EGORefreshTableHeaderView::idleTransform() const {
  return type_ == TopForm ? gfx::AffineTransform::rotation(M_PI) : gfx::AffineTransform::identity();
}

gfx::AffineTransform EGORefreshTableHeaderView::armedTransform() const {
  return type_ == TopForm ? gfx::AffineTransform::identity() : gfx::AffineTransform::rotation(M_PI);
}

void EGORefreshTableHeaderView::setState(int state) {
  switch (state) {
    case Armed: {
      statusLabel_->setText("松开即可更新...");
      const gfx::AffineTransform turned = armedTransform();
      ui::View::animate(0.18, [this, turned] { arrow_->setTransform(turned); });
      break;
    }
    case Idle: {
      const gfx::AffineTransform idle = idleTransform();
      const bool wasArmed = state_ == Armed;
      if (wasArmed) ui::View::animate(0.18, [this, idle] { arrow_->setTransform(idle); });
      statusLabel_->setText(type_ == TopForm ? "下拉即可更新..." : "上拉即可更新...");
      activity_->stopAnimating();
      ui::View::performWithoutAnimation([this, idle, wasArmed] {
        arrow_->setHidden(false);
        // After a turn back the arrow is already on its way there.
        if (!wasArmed) arrow_->setTransform(idle);
      });
      refreshLastUpdatedDate();
      break;
    }
    case Loading:
      statusLabel_->setText("加载中...");
      activity_->startAnimating();
      ui::View::performWithoutAnimation([this] { arrow_->setHidden(true); });
      break;
    default:
      break;
  }
  state_ = state;
}

void EGORefreshTableHeaderView::updateEGORefreashType(int type) {
  type_ = type;
  if (type == TopForm) {
    ui::View::performWithoutAnimation(
        [this] { arrow_->setTransform(gfx::AffineTransform::rotation(M_PI)); });
    statusLabel_->setText("下拉即可更新...");
  }
}

void EGORefreshTableHeaderView::updateContentType(const std::string& text) {
  lastUpdatedLabel_->setText(text);
}

void EGORefreshTableHeaderView::updateContentFont(const gfx::Font& font) {
  lastUpdatedLabel_->setFont(font);
  statusLabel_->setFont(font);
}

void EGORefreshTableHeaderView::updateContentColor(const gfx::Color& color) {
  lastUpdatedLabel_->setTextColor(color);
  statusLabel_->setTextColor(color);
}

bool EGORefreshTableHeaderView::isTriggerPending() const {
  return trigger_ && trigger_->isValid();
}

bool EGORefreshTableHeaderView::delegateIsLoading() {
  auto delegate = delegate_.lock();
  return delegate && delegate->egoRefreshTableHeaderDataSourceIsLoading(*this);
}

void EGORefreshTableHeaderView::applyInsets(ui::ScrollView& scrollView,
                                            const gfx::EdgeInsets& insets) {
  auto delegate = delegate_.lock();
  if (delegate && delegate->egoRefreshTableHeaderDidTriggerRefreshUpdateScrollInset(*this, insets))
    return;
  scrollView.setContentInset(insets);
}

void EGORefreshTableHeaderView::egoRefreshScrollViewDidScroll(ui::ScrollView& scrollView) {
  if (state_ == Loading) return;
  if (!scrollView.isDragging()) return;
  auto keep = sharedView();
  const bool loading = delegateIsLoading();
  const double y = scrollView.contentOffset().y;
  const double h = scrollView.frame().height();
  const double c = scrollView.contentSize().height;

  if (autoLoading_) {
    if (y + h > c + kEdge && !loading) {
      if (auto delegate = delegate_.lock()) delegate->egoRefreshTableHeaderDidTriggerRefresh(*this);
      setState(Loading);
      ui::View::animate(
          0.2, [&scrollView] { scrollView.setContentInset(gfx::EdgeInsets(0, 0, kEdge, 0)); });
    }
    return;
  }
  if (loading) return;
  if (type_ == BottomForm) {
    if (state_ == Armed && y + h < c + kEdge && y > 0) {
      setState(Idle);
    } else if (state_ == Idle && y + h > c + kEdge) {
      setState(Armed);
    }
  } else {
    if (state_ == Armed && y > -kEdge) {
      setState(Idle);
    } else if (state_ == Idle && y < -kEdge) {
      setState(Armed);
    }
  }
}

void EGORefreshTableHeaderView::egoRefreshScrollViewDidEndDragging(ui::ScrollView& scrollView) {
  if (autoLoading_) return;
  auto keep = sharedView();
  const bool loading = delegateIsLoading();
  const double y = scrollView.contentOffset().y;
  const double h = scrollView.frame().height();
  const double c = scrollView.contentSize().height;
  const bool passed = type_ == BottomForm ? y + h > c + kEdge : y < -kEdge;
  if (!passed || loading) return;

  // One load per release: a second release inside the delay replaces the waiting trigger
  // instead of asking for the page twice.
  if (trigger_) trigger_->invalidate();
  std::weak_ptr<EGORefreshTableHeaderView> weakSelf = sharedAs<EGORefreshTableHeaderView>();
  std::weak_ptr<EGORefreshTableHeaderDelegate> weakDelegate = delegate_;
  trigger_ = foundation::Timer::schedule(kTriggerDelay, false,
                                         [weakSelf, weakDelegate](foundation::Timer&) {
                                           auto self = weakSelf.lock();
                                           auto delegate = weakDelegate.lock();
                                           if (!self || !delegate) return;
                                           delegate->egoRefreshTableHeaderDidTriggerRefresh(*self);
                                         });
  setState(Loading);
  const double hh = frame().height();
  const gfx::EdgeInsets insets =
      type_ == BottomForm ? gfx::EdgeInsets(0, 0, hh, 0) : gfx::EdgeInsets(hh, 0, 0, 0);
  ui::View::animate(0.2, [this, &scrollView, insets] { applyInsets(scrollView, insets); });
}

void EGORefreshTableHeaderView::egoRefreshScrollViewDataSourceDidFinishedLoading(
    ui::ScrollView& scrollView) {
  auto keep = sharedView();
  ui::View::animate(0.3,
                    [this, &scrollView] { applyInsets(scrollView, gfx::EdgeInsets(0, 0, 0, 0)); });
  setState(Idle);
}
