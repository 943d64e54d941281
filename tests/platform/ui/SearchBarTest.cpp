#include <memory>
#include <string>
#include <vector>

#include "InputTestSupport.h"
#include "platform/ui/SearchBar.h"
#include "platform/ui/TableViewCell.h"

namespace {

using uitest::InputTest;

// The screen: hears the bar and the search display controller, and feeds the result table.
class SearchScreen : public ui::SearchBarDelegate,
                     public ui::SearchDisplayDelegate,
                     public ui::TableViewDataSource {
 public:
  std::vector<std::string> calls;
  std::vector<std::string> results;
  int rowQuestions = 0;
  void searchBarTextDidBeginEditing(ui::SearchBar&) override { calls.push_back("begin"); }
  void searchBarTextDidChange(ui::SearchBar&, const std::string& text) override {
    calls.push_back("text " + text);
    results.assign(text.size(), "hit");
  }
  void searchBarSearchButtonClicked(ui::SearchBar& bar) override {
    calls.push_back("search " + bar.text());
    bar.resignFirstResponder();
  }
  void searchBarCancelButtonClicked(ui::SearchBar&) override { calls.push_back("cancel"); }
  void searchDisplayControllerWillBeginSearch(ui::SearchDisplayController&) override {
    calls.emplace_back("will begin search");
  }
  void searchDisplayControllerDidEndSearch(ui::SearchDisplayController&) override {
    calls.push_back("did end search");
  }
  bool searchDisplayControllerShouldReloadTableForSearchString(ui::SearchDisplayController&,
                                                               const std::string& text) override {
    return text.size() != 3;  // the screen reloads by itself after its request
  }
  int tableViewNumberOfRowsInSection(ui::TableView&, int) override {
    ++rowQuestions;
    return static_cast<int>(results.size());
  }
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView&,
                                                                    const ui::IndexPath&) override {
    return std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, "r");
  }
};

TEST_F(InputTest, SearchDisplayControllerFollowsTheBar) {
  auto contents = ui::ViewController::create();
  window->addSubview(contents->viewShared());
  contents->view()->setFrame(gfx::Rect(0, 20, 320, 460));
  auto bar = ui::SearchBar::create(gfx::Rect(0, 44, 320, 0));
  bar->setPlaceholder("代码/简拼");
  contents->view()->addSubview(bar);
  auto screen = std::make_shared<SearchScreen>();
  bar->setDelegate(screen);
  auto display = ui::SearchDisplayController::create(bar, contents);
  display->setDelegate(screen);
  display->setSearchResultsDataSource(screen);

  tap(100, 20 + 44 + 22);
  EXPECT_TRUE(display->isActive());
  EXPECT_TRUE(bar->showsCancelButton());
  EXPECT_TRUE(ui::Keyboard::shared().isVisible());
  auto* table = display->searchResultsTableView();
  EXPECT_EQ(table->superview(), contents->view());
  EXPECT_EQ(table->frame().y(), 88);

  ui::Application::shared().sendText("6");
  ui::Application::shared().sendText("0");
  int asked = screen->rowQuestions;
  ui::Application::shared().sendText("0");  // the delegate holds this reload back
  EXPECT_EQ(screen->rowQuestions, asked);
  EXPECT_EQ(table->numberOfRowsInSection(0), 2);
  ui::Application::shared().sendKey("Return");
  EXPECT_FALSE(bar->isFirstResponder());
  EXPECT_TRUE(display->isActive());

  bar->pressCancelButton();
  EXPECT_FALSE(display->isActive());
  EXPECT_EQ(bar->text(), "");
  EXPECT_EQ(table->superview(), nullptr);
  EXPECT_FALSE(bar->showsCancelButton());
  EXPECT_EQ(screen->calls,
            (std::vector<std::string>{"begin", "will begin search", "text 6", "text 60", "text 600",
                                      "search 600", "cancel", "did end search"}));
}

}  // namespace
