// The article page of the information pages and the radar detail page: one article or alert
// (title, date, time, text) with previous and next buttons that step through the list of the
// page's source. The two share this construction and differ in title, source, request and the
// notification their answers come under.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "alerts/InfoDelegates.h"
#include "core/InfoReplies.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextView.h"
#include "platform/ui/ViewController.h"
#include "widgets/RenewingRequest.h"

class InfoArticlePage : public ui::ViewController {
 public:
  static constexpr int kTitleTag = 303;
  static constexpr int kDateTag = 304;
  static constexpr int kContentTag = 305;
  static constexpr int kTimeTag = 306;
  static constexpr int kPreviousTag = 1;
  static constexpr int kNextTag = 2;


  void setNavTitle(const std::string& title) { setTitle(title); }
  // Shows the source's record `index` and asks its text.
  void updateCurrentView(int index);
  void updateButtonState();
  void preButton();
  void nextButton();
  void recvmsg(const foundation::Notification& notification);
  void refreshControlContent();

  int currentRecord() const { return _nCurrentRecord; }
  // The request code awaited, -1 for none.
  int awaitedCode() const { return _mRequestFlagCode; }
  // The page holds the answer for the item shown; how often it asked again by itself.
  bool holdsCurrentText() const { return live_.current(); }
  int renewals() const { return live_.renewals(); }
  // What is wrong with the page as shown, empty when nothing is: a body shown under the title of
  // another item than the one it was asked for (the screen invariant "article").
  std::string bodyMismatch();
  ui::Button* previousButton() const { return _prepButton.get(); }
  ui::Button* nextButtonView() const { return _nextButton.get(); }
  ui::Label* labelWithTag(int tag);
  ui::TextView* contentView();

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

 protected:
  InfoArticlePage(std::string pageTitle, std::string notificationName, uint8_t childType);

  // The source's record of `index` (null outside the list); `answers` false without a source.
  virtual foundation::Value sourceRecord(int index, bool& answers) = 0;
  // The source's row count, 0 without a source.
  virtual int sourceTotal() = 0;
  // Sends the text request of the record; returns the request code, or -1 when nothing went.
  virtual int sendContentRequest(const foundation::Value& record) = 0;

  void requestInfoContent(const foundation::Value& record);

 private:
  void observe();
  // Asks the text of the item shown again (after a failure, a time-out, or on a new appearance).
  void askAgain();
  // Empties the text: what it showed belongs to the item stepped away from.
  void clearBody();

  const std::string pageTitle_;
  const std::string notificationName_;
  const uint8_t childType_;
  std::shared_ptr<ui::Button> _prepButton;
  std::shared_ptr<ui::Button> _nextButton;
  int _nCurrentRecord = 0;
  InfoText _infoContent;
  int _mRequestFlagCode = -1;
  // The title of the item the awaited request asks the text of, and of the item whose text is
  // shown with that text, so that a text is only ever shown under its own title.
  std::string askedTitle_;
  std::string bodyTitle_;
  std::string bodyText_;
  // The item whose text is asked, and the request that keeps asking until its answer came.
  foundation::Value askedRecord_;
  RenewingRequest live_;
  foundation::ObserversOf observers_{this};
};

// An article page whose list source is a Source (currentInfoRecord, totalInfoRecord), held weakly.
template <class Source>
class SourcedArticlePage : public InfoArticlePage {
 public:
  void setDelegate(std::weak_ptr<Source> delegate) { _delegate = std::move(delegate); }
  std::shared_ptr<Source> delegate() const { return _delegate.lock(); }

 protected:
  using InfoArticlePage::InfoArticlePage;
  foundation::Value sourceRecord(int index, bool& answers) override {
    auto source = _delegate.lock();
    answers = source != nullptr;
    return source ? source->currentInfoRecord(index) : foundation::Value();
  }
  int sourceTotal() override {
    auto source = _delegate.lock();
    return source ? source->totalInfoRecord() : 0;
  }

 private:
  std::weak_ptr<Source> _delegate;
};

// The information article page: opened from the home page on a title row.
class CDetailInfoController : public SourcedArticlePage<DetailInfoDelegate> {
 public:
  CDetailInfoController();

 protected:
  int sendContentRequest(const foundation::Value& record) override;
};

// The radar detail page: opened from the radar list on an alert row.
class CRadarDetailInfoController : public SourcedArticlePage<RadarDetailInfoDelegate> {
 public:
  CRadarDetailInfoController();

 protected:
  int sendContentRequest(const foundation::Value& record) override;
};
