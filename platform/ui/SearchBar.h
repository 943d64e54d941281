// The search bar (a rounded search field, an optional cancel button and its delegate) and the
// search display controller, which dims the screen under the bar while a search is active and
// shows its own result table.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/Button.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

namespace ui {

class SearchBar;
class SearchDisplayController;

// Every method is optional.
class SearchBarDelegate {
 public:
  virtual ~SearchBarDelegate() = default;
  virtual bool searchBarShouldBeginEditing(SearchBar& bar) {
    (void)bar;
    return true;
  }
  virtual void searchBarTextDidBeginEditing(SearchBar& bar) { (void)bar; }
  virtual bool searchBarShouldEndEditing(SearchBar& bar) {
    (void)bar;
    return true;
  }
  virtual void searchBarTextDidEndEditing(SearchBar& bar) { (void)bar; }
  virtual bool searchBarShouldChangeTextInRange(SearchBar& bar, TextRange range,
                                                const std::string& text) {
    (void)bar;
    (void)range;
    (void)text;
    return true;
  }
  virtual void searchBarTextDidChange(SearchBar& bar, const std::string& searchText) {
    (void)bar;
    (void)searchText;
  }
  virtual void searchBarSearchButtonClicked(SearchBar& bar) { (void)bar; }
  virtual void searchBarCancelButtonClicked(SearchBar& bar) { (void)bar; }
};

class SearchBar : public View {
 public:
  static constexpr double kHeight = 44;

  explicit SearchBar(const gfx::Rect& frame = {});
  ~SearchBar() override;
  // A zero-height frame gets the standard height.
  static std::shared_ptr<SearchBar> create(const gfx::Rect& frame = {});

  void setDelegate(std::weak_ptr<SearchBarDelegate> delegate) { delegate_ = std::move(delegate); }
  SearchBarDelegate* delegate() const { return delegate_.lock().get(); }

  // Setting the text tells the delegate (text did change), as on the platform.
  std::string text() const { return field_->text(); }
  void setText(const std::string& text);
  const std::string& placeholder() const { return field_->placeholder(); }
  void setPlaceholder(const std::string& placeholder) { field_->setPlaceholder(placeholder); }
  BarStyle barStyle() const { return barStyle_; }
  void setBarStyle(BarStyle style);
  gfx::Color tintColor() const { return tint_; }
  void setTintColor(const gfx::Color& color);
  bool showsCancelButton() const { return showsCancel_; }
  void setShowsCancelButton(bool shows, bool animated = false);
  // The field inside (keyboard type, return key and other traits are set on it).
  TextField* searchField() const { return field_.get(); }
  Button* cancelButton() const { return cancel_.get(); }

  bool becomeFirstResponder() override { return field_->becomeFirstResponder(); }
  bool resignFirstResponder() override { return field_->resignFirstResponder(); }
  bool isFirstResponder() const { return field_->isFirstResponder(); }
  // The cancel button as a tap would press it.
  void pressCancelButton();

  void setFrame(const gfx::Rect& frame) override;
  void layoutSubviews() override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;

 private:
  friend class SearchDisplayController;
  struct FieldDelegate;
  std::weak_ptr<SearchBarDelegate> delegate_;
  std::weak_ptr<SearchDisplayController> display_;
  std::shared_ptr<FieldDelegate> fieldDelegate_;
  std::shared_ptr<TextField> field_;
  std::shared_ptr<Button> cancel_;
  BarStyle barStyle_ = BarStyle::Default;
  gfx::Color tint_ = gfx::Color::rgb255(176, 188, 205);
  bool showsCancel_ = false;
};

// Every method is optional.
class SearchDisplayDelegate {
 public:
  virtual ~SearchDisplayDelegate() = default;
  virtual void searchDisplayControllerWillBeginSearch(SearchDisplayController& c) { (void)c; }
  virtual void searchDisplayControllerDidBeginSearch(SearchDisplayController& c) { (void)c; }
  virtual void searchDisplayControllerWillEndSearch(SearchDisplayController& c) { (void)c; }
  virtual void searchDisplayControllerDidEndSearch(SearchDisplayController& c) { (void)c; }
  // True: the result table reloads for the new text.
  virtual bool searchDisplayControllerShouldReloadTableForSearchString(SearchDisplayController& c,
                                                                       const std::string& text) {
    (void)c;
    (void)text;
    return true;
  }
};

class SearchDisplayController : public Object {
 public:
  // The bar and the screen whose view the search covers (both kept weakly).
  static std::shared_ptr<SearchDisplayController> create(
      const std::shared_ptr<SearchBar>& bar, const std::shared_ptr<ViewController>& contents);

  SearchBar* searchBar() const { return bar_.lock().get(); }
  ViewController* searchContentsController() const { return contents_.lock().get(); }
  void setDelegate(std::weak_ptr<SearchDisplayDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  void setSearchResultsDataSource(std::weak_ptr<TableViewDataSource> dataSource);
  void setSearchResultsDelegate(std::weak_ptr<TableViewDelegate> delegate);
  // Made on first use; shown under the bar while the search is active.
  TableView* searchResultsTableView();

  bool isActive() const { return active_; }
  // Activating dims the screen under the bar and shows the result table and the bar's cancel
  // button; deactivating removes them, empties the bar and ends editing.
  void setActive(bool active, bool animated = false);

  // From the bar.
  void barDidBeginEditing();
  void barTextDidChange(const std::string& text);
  void barCancelled();

 private:
  SearchDisplayController() = default;
  void placeOverlay();

  std::weak_ptr<SearchBar> bar_;
  std::weak_ptr<ViewController> contents_;
  std::weak_ptr<SearchDisplayDelegate> delegate_;
  std::weak_ptr<TableViewDataSource> dataSource_;
  std::weak_ptr<TableViewDelegate> tableDelegate_;
  std::shared_ptr<TableView> table_;
  std::shared_ptr<View> dimming_;
  bool active_ = false;
};

}  // namespace ui
