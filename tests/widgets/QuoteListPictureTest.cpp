// A split view of 30 quote rows drawn headless into the build folder, for a person to look at;
// the test checks what the picture must show.
#include "QuoteListFixture.h"
#include "WidgetTestSupport.h"
#include "platform/ui/Runner.h"

namespace {

using widgettest::WidgetTest;

class QuoteListPictureTest : public WidgetTest {};

TEST_F(QuoteListPictureTest, ThirtyQuoteRowsWithTitlesAndChangeBoxes) {
  for (uint8_t id : quotelist::WireIds()) ASSERT_GT(QuoteFieldWireWidth(id), 0) << int(id);
  auto owner = std::make_shared<quotelist::QuoteListOwner>();
  ASSERT_EQ(owner->storeReply(quotelist::SortReply(0, 30)), 30);
  EXPECT_EQ(GetFieldString(10, owner->records[0]), "600000");
  EXPECT_EQ(GetFieldString(12, owner->records[1]), "平安银行");

  auto split = quotelist::MakeQuoteList(owner, gfx::Rect(0, 20, 320, 460));
  window->addSubview(split);
  quotelist::ShowPage(*split, 2, 5);
  // Nudge the columns so the side arrows show, then back to the start.
  split->rightScrollView()->setContentOffset(gfx::Point(1, 0));
  split->rightScrollView()->setContentOffset(gfx::Point(0, 0));
  settle(0.5);

  ASSERT_EQ(split->rightTableView()->numberOfRowsInSection(0), 30);
  auto* firstRow = split->rightTableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  ASSERT_TRUE(firstRow);
  auto* box = dynamic_cast<ChangeDetailView2*>(firstRow->contentView()->viewWithTag(2000));
  ASSERT_TRUE(box);
  EXPECT_EQ(box->nowPriceLabel()->text(), GetFieldString(5, owner->records[0]));
  EXPECT_EQ(
      box->changeImage()->image().name(),
      gfx::Image::named(owner->records[0].now > owner->records[0].yesterday   ? "redUp.png"
                        : owner->records[0].now < owner->records[0].yesterday ? "greenDown.png"
                                                                              : "equal.png")
          .name());
  auto* firstColumn = dynamic_cast<ui::Label*>(firstRow->contentView()->viewWithTag(2001));
  ASSERT_TRUE(firstColumn);
  EXPECT_EQ(firstColumn->textColor(), widgets::FieldColor(23, owner->records[0]));

  const std::string path = std::string(VERDAN_BINARY_DIR) + "/widgets_quote_list.png";
  ASSERT_TRUE(ui::writeScreenshot(path, 2));
  const gfx::Image shot = gfx::Image::fromFile(path, 2);
  ASSERT_FALSE(shot.isEmpty());
  EXPECT_EQ(shot.pixelWidth(), 640);
  EXPECT_EQ(shot.pixelHeight(), 960);
  // Below the titles the list is dark, with coloured text somewhere in the first row.
  bool coloured = false;
  for (int x = 190; x < 640 && !coloured; ++x)
    for (int y = 2 * (20 + 30); y < 2 * (20 + 30 + 44); ++y) {
      const gfx::Color c = shot.pixel(x, y);
      if (std::abs(c.r() - c.g()) > 0.25 || std::abs(c.g() - c.b()) > 0.25) coloured = true;
    }
  EXPECT_TRUE(coloured);
}

}  // namespace
