#include <nlohmann/json.hpp>

#include <fstream>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/ShownTimes.h"
#include "platform/ui/Label.h"
#include "platform/ui/Runner.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewController.h"

namespace {

using uitest::UiTest;

// Screens built to break one check each (and their sound twins), judged as a shot at scale 2
// would be.
class InvariantsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    window->setBackgroundColor(gfx::Color::white());
  }
  std::shared_ptr<ui::Label> label(ui::View& parent, const gfx::Rect& frame,
                                   const std::string& text) {
    auto l = ui::Label::create(frame);
    l->setText(text);
    l->setFont(gfx::Font::systemFont(14));
    parent.addSubview(l);
    return l;
  }
  static std::vector<std::string> failures(std::vector<ui::AllowedOverlap> allowed = {}) {
    advance(1);
    ui::Application::shared().keyWindow()->layoutIfNeeded();
    ui::InvariantOptions options;
    options.scale = 2;
    options.allowed = std::move(allowed);
    options.where = "test";
    return ui::screenInvariantFailures(options);
  }
  static bool anyHas(const std::vector<std::string>& lines, const std::string& part) {
    for (const std::string& line : lines)
      if (line.find(part) != std::string::npos) return true;
    return false;
  }
};

TEST_F(InvariantsTest, ASoundScreenPassesEveryCheck) {
  label(*window, gfx::Rect(10, 40, 140, 20), "买卖强度");
  label(*window, gfx::Rect(160, 40, 140, 20), "涨幅%");
  label(*window, gfx::Rect(10, 62, 300, 20), "上证指数 3245.67");
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
}

TEST_F(InvariantsTest, TextOverTextNamesBothTextsAndTheirRects) {
  label(*window, gfx::Rect(10, 40, 200, 20), "买卖强度");
  label(*window, gfx::Rect(40, 44, 100, 20), "▼ 涨幅");
  const auto found = failures();
  ASSERT_EQ(found.size(), 1u) << ::testing::PrintToString(found);
  EXPECT_NE(found[0].find("test: text over text: '买卖强度' ("), std::string::npos) << found[0];
  EXPECT_NE(found[0].find("and '▼ 涨幅' ("), std::string::npos) << found[0];
}

TEST_F(InvariantsTest, TextsTouchingWithinAPointDoNotOverlap) {
  // Two rows whose line boxes overlap while their glyphs do not: tight rows are no fault.
  label(*window, gfx::Rect(10, 40, 200, 17), "第一行 ABC");
  label(*window, gfx::Rect(10, 56, 200, 17), "第二行 xyz");
  EXPECT_FALSE(anyHas(failures(), "text over text")) << ::testing::PrintToString(failures());
}

TEST_F(InvariantsTest, TheSameTextDrawnAgainInPlaceIsOneText) {
  label(*window, gfx::Rect(10, 40, 200, 20), "成交量");
  label(*window, gfx::Rect(10, 40, 200, 20), "成交量");
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
}

TEST_F(InvariantsTest, ATextReadThroughATranslucentPanelOverlapsThePanelsText) {
  label(*window, gfx::Rect(10, 100, 200, 20), "2026-12-09");
  auto panel = ui::View::create(gfx::Rect(0, 90, 320, 40));
  panel->setBackgroundColor(gfx::Color::black().withAlpha(0.5));
  window->addSubview(panel);
  auto price = label(*panel, gfx::Rect(20, 12, 200, 20), "价格 12.34");
  price->setTextColor(gfx::Color::white());
  EXPECT_TRUE(anyHas(failures(), "text over text: '2026-12-09'"))
      << ::testing::PrintToString(failures());

  // An opaque panel hides the date instead: nothing lies over a text no one sees.
  panel->setBackgroundColor(gfx::Color::black());
  EXPECT_FALSE(anyHas(failures(), "text over text")) << ::testing::PrintToString(failures());
}

TEST_F(InvariantsTest, AScriptAllowsANamedOverlapWithItsReason) {
  label(*window, gfx::Rect(10, 40, 200, 20), "买卖强度");
  label(*window, gfx::Rect(40, 44, 100, 20), "▼ 涨幅");
  EXPECT_TRUE(failures({{"强度", "▼", "the arrow"}}).empty());
  EXPECT_TRUE(failures({{"▼", "买卖", "either order"}}).empty());
  EXPECT_FALSE(failures({{"强度", "涨跌", "another pair"}}).empty());

  std::vector<ui::ScriptStep> steps;
  ASSERT_EQ(ui::parseScript("allow-overlap 买卖强度 ▼ # the arrow marks the sorted column\n"
                            "allow-overlap '上证 指数' \"a b\"#quoted texts hold blanks\n",
                            steps),
            0);
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].kind, ui::ScriptStepKind::AllowOverlap);
  EXPECT_EQ(steps[0].args, (std::vector<std::string>{"买卖强度", "▼"}));
  EXPECT_EQ(steps[0].text, "the arrow marks the sorted column");
  EXPECT_EQ(steps[1].args, (std::vector<std::string>{"上证 指数", "a b"}));
  EXPECT_EQ(steps[1].text, "quoted texts hold blanks");

  // A reason is required, and exactly two texts.
  for (const char* bad : {"allow-overlap 买卖强度 ▼\n", "allow-overlap 买卖强度 ▼ #   \n",
                          "allow-overlap 买卖强度 # why\n", "allow-overlap a b c # why\n",
                          "allow-overlap 'a b # why\n"}) {
    std::vector<ui::ScriptStep> refused;
    int line = 0;
    EXPECT_EQ(ui::parseScript(bad, refused, &line), -1) << bad;
    EXPECT_EQ(line, 1) << bad;
  }
}

TEST_F(InvariantsTest, AShotThatBreaksACheckFailsTheScriptUnlessAllowed) {
  label(*window, gfx::Rect(10, 40, 200, 20), "买卖强度");
  label(*window, gfx::Rect(40, 44, 100, 20), "▼ 涨幅");
  const std::string shots = std::string(VERDAN_BINARY_DIR) + "/shots";
  std::vector<std::string> errors;
  foundation::setLogSink([&errors](foundation::LogLevel level, const std::string& line) {
    if (level == foundation::LogLevel::Error) errors.push_back(line);
  });
  ui::HeadlessOptions options;
  options.shotsDir = shots;
  std::vector<ui::ScriptStep> steps;
  ASSERT_EQ(ui::parseScript("shot ui-invariants-overlap.png\n"
                            "allow-overlap 买卖强度 ▼ # the arrow marks the sorted column\n"
                            "shot ui-invariants-allowed.png\n",
                            steps),
            0);
  EXPECT_EQ(ui::runScript(steps, options), 3);
  ASSERT_EQ(errors.size(), 1u) << ::testing::PrintToString(errors);
  EXPECT_NE(errors[0].find("shot ui-invariants-overlap.png: text over text"), std::string::npos)
      << errors[0];

  errors.clear();
  steps.erase(steps.begin());
  EXPECT_EQ(ui::runScript(steps, options), 0);
  foundation::setLogSink({});
  EXPECT_TRUE(errors.empty()) << ::testing::PrintToString(errors);
}

TEST_F(InvariantsTest, ATextCutByItsClipOrTheScreenEdgeIsCut) {
  auto cell = ui::View::create(gfx::Rect(0, 100, 60, 40));
  cell->setClipsToBounds(true);
  window->addSubview(cell);
  // Most of it shows (so an expect finds it), its tail does not.
  label(*cell, gfx::Rect(10, 10, 200, 20), "7439737.25");
  auto found = failures();
  ASSERT_EQ(found.size(), 1u) << ::testing::PrintToString(found);
  EXPECT_NE(found[0].find("text cut: '7439737.25'"), std::string::npos) << found[0];
  EXPECT_NE(found[0].find("by its clip (0,200 120x80)"), std::string::npos) << found[0];

  cell->setFrame(gfx::Rect(0, 100, 320, 40));
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());

  // Past the screen's right edge.
  label(*window, gfx::Rect(260, 300, 200, 20), "换手率 3.5%");
  EXPECT_TRUE(anyHas(failures(), "text cut: '换手率 3.5%' (52"))
      << ::testing::PrintToString(failures());
}

TEST_F(InvariantsTest, ATextPartlyUnderAViewDrawnOverItIsCut) {
  label(*window, gfx::Rect(10, 100, 200, 20), "2026-12-09");
  // A tag laid over the date's first characters.
  auto tag = ui::View::create(gfx::Rect(0, 95, 40, 30));
  tag->setBackgroundColor(gfx::Color::hex(0x3366CC));
  window->addSubview(tag);
  EXPECT_TRUE(anyHas(failures(), "text cut: '2026-12-09' (")) << ::testing::PrintToString(failures());
  EXPECT_TRUE(anyHas(failures(), "under a view drawn over it (0,190 80x60)"))
      << ::testing::PrintToString(failures());
  tag->setFrame(gfx::Rect(0, 130, 40, 30));
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
}

TEST_F(InvariantsTest, ListRowsCutByScrollingAndScreensUnderAnAlertAreNoFault) {
  auto list = ui::ScrollView::create(gfx::Rect(0, 40, 320, 100));
  list->setContentSize(gfx::Size(320, 400));
  list->setBackgroundColor(gfx::Color::white());
  window->addSubview(list);
  for (int row = 0; row < 10; ++row)
    label(*list, gfx::Rect(10, row * 40 + 10, 200, 20), "第" + std::to_string(row) + "行");
  // A floating header of the list over the rows scrolling under it.
  auto header = ui::View::create(gfx::Rect(0, 0, 320, 15));
  header->setBackgroundColor(gfx::Color::grey(0.8));
  list->addSubview(header);
  list->setContentOffset(gfx::Point(0, 15));
  header->setFrame(gfx::Rect(0, 15, 320, 15));
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());

  // The same cut by a plain clipping view is a fault.
  list->removeFromSuperview();
  auto box = ui::View::create(gfx::Rect(0, 40, 320, 100));
  box->setClipsToBounds(true);
  window->addSubview(box);
  label(*box, gfx::Rect(10, 88, 200, 20), "半截");
  EXPECT_TRUE(anyHas(failures(), "text cut: '半截'")) << ::testing::PrintToString(failures());
  box->removeFromSuperview();

  // An alert in its own window over the screen hides part of a text on purpose.
  label(*window, gfx::Rect(10, 230, 200, 20), "代码: 600000");
  auto alert = ui::AlertView::create("提示", "一条很长的消息，让提示框盖住下面那一行字的上半部分", {},
                                     "确定");
  alert->show();
  const auto underAlert = failures();
  EXPECT_FALSE(anyHas(underAlert, "text cut: '代码")) << ::testing::PrintToString(underAlert);
  alert->dismissWithClickedButtonIndex(0, false);
}

// The fault mended: the keyboard's window, drawn over the screen, cut a text in two (a waiting
// box's, for as long as its request went) and the check let it pass, as it lets every later
// window pass. A text part in sight, part under the keyboard, is cut; wholly under it, or in a
// list that scrolls under it, it is not.
TEST_F(InvariantsTest, ATextTheKeyboardCutsInTwoIsCut) {
  auto field = ui::TextField::create(gfx::Rect(10, 40, 200, 30));
  window->addSubview(field);
  ASSERT_TRUE(field->becomeFirstResponder());
  advance(1);
  ASSERT_TRUE(ui::Keyboard::shared().isVisible());
  const double top = ui::Keyboard::shared().frame().y();
  auto cut = label(*window, gfx::Rect(10, top - 8, 200, 20), "正在发送，请等待...");
  const auto lines = failures();
  EXPECT_TRUE(anyHas(lines, "text cut: '正在发送，请等待...'")) << ::testing::PrintToString(lines);
  EXPECT_TRUE(anyHas(lines, "by the keyboard")) << ::testing::PrintToString(lines);
  cut->setFrame(gfx::Rect(10, top + 40, 200, 20));
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
  cut->setFrame(gfx::Rect(10, top - 30, 200, 20));
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
  cut->removeFromSuperview();

  auto list = ui::ScrollView::create(gfx::Rect(0, 80, 320, 400));
  list->setContentSize(gfx::Size(320, 800));
  list->setBackgroundColor(gfx::Color::white());
  window->addSubview(list);
  for (int row = 0; row < 20; ++row)
    label(*list, gfx::Rect(10, row * 40 + 10, 200, 20), "第" + std::to_string(row) + "行");
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
  field->resignFirstResponder();
  advance(1);
}

// What a waiting box covers is hidden on purpose while it shows, as under an alert; the same
// view not told as covering cuts what it lies over.
TEST_F(InvariantsTest, TextsUnderACoveringViewAreHiddenNotCut) {
  label(*window, gfx::Rect(10, 100, 200, 20), "请输入内容");
  auto box = ui::View::create(gfx::Rect(0, 95, 30, 40));
  box->setBackgroundColor(gfx::Color::grey(0.16));
  window->addSubview(box);
  EXPECT_TRUE(anyHas(failures(), "text cut: '请输入内容'")) << ::testing::PrintToString(failures());
  ui::addCoveringView(*box);
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
  // Hidden, it covers nothing; another view over the text still cuts it.
  box->setHidden(true);
  auto tag = ui::View::create(gfx::Rect(0, 95, 40, 30));
  tag->setBackgroundColor(gfx::Color::hex(0x3366CC));
  window->addSubview(tag);
  EXPECT_TRUE(anyHas(failures(), "text cut: '请输入内容'")) << ::testing::PrintToString(failures());
}

// A navigation bar's picture hides the buttons of the screen under it: an opaque image counts
// as a cover for the checks, as a view's background does.
TEST_F(InvariantsTest, AnOpaqueImageHidesWhatLiesUnderIt) {
  label(*window, gfx::Rect(10, 30, 60, 20), "管理");
  const gfx::Image filled = gfx::Image::filled(gfx::Size(320, 44), gfx::Color::hex(0x223344));
  const gfx::Image bar = gfx::Image::fromCairoSurface(filled.cairoSurface(), 1, "标题栏.png");
  auto picture = ui::ImageView::create(bar);
  picture->setFrame(gfx::Rect(0, 20, 320, 44));
  window->addSubview(picture);
  label(*picture, gfx::Rect(20, 12, 60, 20), "完成")->setTextColor(gfx::Color::white());
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());

  picture->removeFromSuperview();
  // A bar's opaque gradient hides as much.
  auto toolbar = ui::Toolbar::create(gfx::Rect(0, 20, 320, 44));
  window->addSubview(toolbar);
  label(*toolbar, gfx::Rect(20, 12, 60, 20), "完成")->setTextColor(gfx::Color::white());
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
  toolbar->removeFromSuperview();
  // And so does a bar tiled from an opaque bundle picture.
  auto tiled = ui::View::create(gfx::Rect(0, 20, 320, 44));
  tiled->setBackgroundColor(gfx::Color::pattern(bar));
  window->addSubview(tiled);
  label(*tiled, gfx::Rect(20, 12, 60, 20), "更多")->setTextColor(gfx::Color::white());
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
  tiled->removeFromSuperview();
  window->addSubview(picture);

  // Over part of a text, the picture cuts it.
  picture->setFrame(gfx::Rect(0, 45, 320, 44));
  EXPECT_TRUE(anyHas(failures(), "text cut: '管理'")) << ::testing::PrintToString(failures());

  // An image made while drawing (a chart's buffer, a snapshot) may show the very texts told of
  // while it was made: it hides nothing.
  picture->setImage(filled);
  picture->setFrame(gfx::Rect(0, 20, 320, 44));
  EXPECT_TRUE(anyHas(failures(), "text over text: '管理'")) << ::testing::PrintToString(failures());

  // A picture with see-through pixels hides nothing.
  std::vector<uint32_t> pixels(20 * 20, 0x80FFFFFF);
  auto veil = ui::ImageView::create(gfx::Image::fromArgb(20, 20, pixels));
  veil->setFrame(gfx::Rect(0, 25, 100, 30));
  picture->removeFromSuperview();
  window->addSubview(veil);
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
}

TEST_F(InvariantsTest, ColumnTitlesMovedWithTheirListButNotAPagersPagesMayBeCutAtItsEdge) {
  // Columns that scroll sideways under titles laid over them and moved with them.
  auto columns = ui::ScrollView::create(gfx::Rect(100, 40, 220, 200));
  columns->setContentSize(gfx::Size(500, 200));
  window->addSubview(columns);
  label(*columns, gfx::Rect(200, 30, 100, 20), "1.25%");
  auto titles = ui::View::create(gfx::Rect(100, 40, 500, 25));
  window->addSubview(titles);
  label(*titles, gfx::Rect(200, 2, 100, 20), "换手率 量比");
  columns->setContentOffset(gfx::Point(80, 0));
  titles->setFrame(gfx::Rect(20, 40, 500, 25));
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
  columns->removeFromSuperview();
  titles->removeFromSuperview();

  // A pager comes to rest at whole pages: a text its page edge cuts is cut.
  auto pager = ui::ScrollView::create(gfx::Rect(0, 40, 320, 200));
  pager->setPagingEnabled(true);
  pager->setContentSize(gfx::Size(960, 200));
  window->addSubview(pager);
  label(*pager, gfx::Rect(280, 30, 120, 20), "7439737.25");
  EXPECT_TRUE(anyHas(failures(), "text cut: '7439737.25'")) << ::testing::PrintToString(failures());
  // Between two pages it is rolling on (a ticker rolling to its next row): that cut is motion.
  pager->setContentOffset(gfx::Point(10, 0));
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
}

// A name longer than its field: at rest it ends in an ellipsis inside the field; while edited
// the field scrolls it under its left edge to keep the caret in sight. Neither is a cut text.
TEST_F(InvariantsTest, ALongTextInAFieldIsNotCut) {
  auto field = ui::TextField::create(gfx::Rect(90, 80, 200, 30));
  field->setBorderStyle(ui::TextBorderStyle::Line);
  field->setText("a123bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb");
  window->addSubview(field);
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_FALSE(anyHas(failures(), "text cut")) << ::testing::PrintToString(failures());
  field->resignFirstResponder();
}

// A first glyph that reaches left of its origin (the hook of a J) stands whole beside the field's
// icon: the field's text ends at its edges, not at the first glyph's origin.
TEST_F(InvariantsTest, AFieldsFirstGlyphIsNotCutAtItsStart) {
  auto field = ui::TextField::create(gfx::Rect(2, 48, 316, 36));
  field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
  field->setLeftView(ui::ImageView::create(gfx::Rect(0, 0, 20, 20)));
  field->setLeftViewMode(ui::TextFieldViewMode::Always);
  field->setFont(gfx::Font::systemFont(17));
  field->setText("JPSVZqM");
  window->addSubview(field);
  EXPECT_FALSE(anyHas(failures(), "text cut")) << ::testing::PrintToString(failures());
  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_FALSE(anyHas(failures(), "text cut")) << ::testing::PrintToString(failures());
  field->resignFirstResponder();
}

TEST_F(InvariantsTest, UnreadableTextIsFoundByItsContrast) {
  EXPECT_NEAR(ui::contrastRatio(gfx::Color::black(), gfx::Color::white()), 21, 1e-9);
  EXPECT_NEAR(ui::contrastRatio(gfx::Color::hex(0x5A0000), gfx::Color::hex(0x12171E)), 1.23, 0.01);

  auto pane = ui::View::create(gfx::Rect(0, 40, 320, 200));
  pane->setBackgroundColor(gfx::Color::hex(0x12171E));
  window->addSubview(pane);
  auto dark = label(*pane, gfx::Rect(10, 10, 200, 20), "-0.35%");
  dark->setTextColor(gfx::Color::hex(0x5A0000));
  auto bright = label(*pane, gfx::Rect(10, 50, 200, 20), "+1.20%");
  bright->setTextColor(gfx::Color::hex(0xFF3333));
  auto found = failures();
  ASSERT_EQ(found.size(), 1u) << ::testing::PrintToString(found);
  EXPECT_NE(found[0].find("unreadable: '-0.35%'"), std::string::npos) << found[0];
  EXPECT_NE(found[0].find("#5A0000 on #12171E"), std::string::npos) << found[0];

  // A bright colour faded nearly away is as unreadable.
  dark->setTextColor(gfx::Color::hex(0xFF3333));
  dark->setAlpha(0.1);
  EXPECT_TRUE(anyHas(failures(), "unreadable: '-0.35%'")) << ::testing::PrintToString(failures());
  dark->setAlpha(1);
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());

  // Under an alert the screen is dimmed on purpose: its texts are not for reading then.
  bright->setTextColor(gfx::Color::hex(0x7B9F58));
  pane->setBackgroundColor(gfx::Color::white());
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
  auto alert = ui::AlertView::create("提示", "价格有误", {}, "确定");
  alert->show();
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
  alert->dismissWithClickedButtonIndex(0, false);
}

// A drawer over the screen dims what it leaves in sight with a translucent veil (the More
// screen's grey over the quote): what lies under the veil is a backdrop, not for reading, while
// the same colours painted plainly, or a text laid on the veil, are judged.
TEST_F(InvariantsTest, TextsUnderATranslucentVeilAreABackdrop) {
  auto pane = ui::View::create(gfx::Rect(0, 40, 320, 200));
  pane->setBackgroundColor(gfx::Color::hex(0x12171E));
  window->addSubview(pane);
  label(*pane, gfx::Rect(10, 10, 200, 20), "22050.9")->setTextColor(gfx::Color::hex(0xB8061A));
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());
  auto veil = ui::View::create(gfx::Rect(0, 40, 320, 200));
  veil->setBackgroundColor(gfx::Color::darkGrey());
  veil->setAlpha(0.7);
  window->addSubview(veil);
  EXPECT_TRUE(failures().empty()) << ::testing::PrintToString(failures());

  // Laid on the veil, a text is read against it.
  auto onVeil = label(*window, gfx::Rect(10, 100, 200, 20), "沪深A股");
  onVeil->setTextColor(gfx::Color::hex(0x5A5A5A));
  EXPECT_TRUE(anyHas(failures(), "unreadable: '沪深A股'")) << ::testing::PrintToString(failures());
  onVeil->removeFromSuperview();

  // The faulty twin: the dimmed colours painted as they are, with no veil over them.
  veil->removeFromSuperview();
  pane->setBackgroundColor(gfx::Color::hex(0x444D54));
  EXPECT_TRUE(anyHas(failures(), "unreadable: '22050.9'")) << ::testing::PrintToString(failures());
}

// A screen's own invariant, declared the way a sorted list declares that its rows follow its
// arrow: asked only while the view is on screen, dropped with the view.
TEST_F(InvariantsTest, AScreenDeclaresItsOwnInvariant) {
  auto list = ui::View::create(gfx::Rect(0, 40, 320, 200));
  window->addSubview(list);
  auto rows = std::make_shared<std::vector<double>>(std::vector<double>{3, 2, 1});
  ui::addScreenInvariant(*list, "sorted list", [rows] {
    for (size_t i = 1; i < rows->size(); ++i)
      if ((*rows)[i] > (*rows)[i - 1])
        return "row " + std::to_string(i) + " rises against the arrow ▼";
    return std::string();
  });
  EXPECT_TRUE(failures().empty());
  (*rows)[2] = 5;
  const auto found = failures();
  ASSERT_EQ(found.size(), 1u) << ::testing::PrintToString(found);
  EXPECT_EQ(found[0], "test: sorted list: row 2 rises against the arrow ▼");
  EXPECT_EQ(ui::declaredInvariantFailures().size(), 1u);

  list->setHidden(true);
  EXPECT_TRUE(ui::declaredInvariantFailures().empty());
  list->setHidden(false);
  list->removeFromSuperview();
  EXPECT_TRUE(ui::declaredInvariantFailures().empty());
  window->addSubview(list);
  EXPECT_EQ(ui::declaredInvariantFailures().size(), 1u);
  list->removeFromSuperview();
  list.reset();
  EXPECT_TRUE(ui::declaredInvariantFailures().empty());
}

// What no one can see is not judged: a page scrolled out of its pager, a screen under the whole
// of a screen presented over it. Its figures wait for it to come back, when it asks again.
TEST_F(InvariantsTest, OnlyWhatCanBeSeenIsJudged) {
  auto pager = ui::ScrollView::create(gfx::Rect(0, 40, 320, 300));
  pager->setContentSize({640, 300});
  window->addSubview(pager);
  auto second = ui::View::create(gfx::Rect(320, 0, 320, 300));
  pager->addSubview(second);
  ui::addScreenInvariant(*second, "second page", [] { return std::string("wrong"); });
  EXPECT_TRUE(ui::declaredInvariantFailures().empty());
  pager->setContentOffset({320, 0});
  EXPECT_EQ(ui::declaredInvariantFailures().size(), 1u);

  // A screen presented over the whole window, opaque: the page under it is out of sight; a
  // translucent one, or one over a part, leaves it in sight.
  auto over = ui::ViewController::create();
  over->view()->setFrame(window->bounds());
  over->view()->setBackgroundColor(gfx::Color::black());
  window->addSubview(over->viewShared());
  EXPECT_TRUE(ui::declaredInvariantFailures().empty());
  over->view()->setBackgroundColor(gfx::Color::black().withAlpha(0.5));
  EXPECT_EQ(ui::declaredInvariantFailures().size(), 1u);
  over->view()->setBackgroundColor(gfx::Color::black());
  over->view()->setFrame(gfx::Rect(0, 0, 320, 100));
  EXPECT_EQ(ui::declaredInvariantFailures().size(), 1u);
  over->view()->removeFromSuperview();
}

TEST_F(InvariantsTest, TheTabBarMarksTheTabShown) {
  auto quotes = ui::ViewController::create();
  quotes->setTitle("行情");
  auto news = ui::ViewController::create();
  news->setTitle("资讯");
  auto tabs = ui::TabBarController::create();
  tabs->setViewControllers({quotes, news});
  window->addSubview(tabs->viewShared());
  tabs->setSelectedIndex(1);
  EXPECT_TRUE(ui::declaredInvariantFailures().empty())
      << ::testing::PrintToString(ui::declaredInvariantFailures());

  // The bar marks one tab while the other's screen is shown.
  tabs->tabBar()->setSelectedIndex(0);
  auto found = ui::declaredInvariantFailures();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_NE(found[0].find("tab bar: the bar marks tab 0"), std::string::npos) << found[0];
  tabs->tabBar()->setSelectedIndex(1);
  EXPECT_TRUE(ui::declaredInvariantFailures().empty());

  // A screen that hides the bar has no marked tab to judge.
  tabs->setTabBarHidden(true);
  tabs->tabBar()->setSelectedIndex(0);
  EXPECT_TRUE(ui::declaredInvariantFailures().empty());
}

TEST_F(InvariantsTest, EachShotWritesWhatItShowsBesideItsPng) {
  auto title = label(*window, gfx::Rect(10, 40, 200, 20), "自选股");
  title->setTextColor(gfx::Color::hex(0x336699));
  auto hidden = label(*window, gfx::Rect(10, 80, 200, 20), "藏起来");
  hidden->setHidden(true);
  // A bundle image as Image::named gives it: with its name.
  const gfx::Image filled = gfx::Image::filled(gfx::Size(50, 10), gfx::Color::grey(0.5));
  auto image = ui::ImageView::create(
      gfx::Image::fromCairoSurface(filled.cairoSurface(), 1, "标题栏.png"));
  image->setFrame(gfx::Rect(0, 200, 100, 20));
  window->addSubview(image);
  advance(1);
  // The shots folder of a fresh build is made by whichever writes first: here, maybe.
  foundation::makeDirectories(std::string(VERDAN_BINARY_DIR) + "/shots");
  const std::string png = std::string(VERDAN_BINARY_DIR) + "/shots/ui-invariants-json.png";
  const std::string json = std::string(VERDAN_BINARY_DIR) + "/shots/ui-invariants-json.json";
  std::remove(json.c_str());
  ASSERT_TRUE(ui::writeScreenshot(png, 2));
  std::ifstream in(json);
  ASSERT_TRUE(in) << json;
  const nlohmann::json shot = nlohmann::json::parse(in);
  EXPECT_EQ(shot["width"], 640);
  EXPECT_EQ(shot["height"], 960);
  const nlohmann::json* found = nullptr;
  for (const auto& t : shot["texts"]) {
    EXPECT_NE(t["text"], "藏起来");
    if (t["text"] == "自选股") found = &t;
  }
  ASSERT_NE(found, nullptr) << shot.dump();
  EXPECT_EQ((*found)["color"], "#336699FF");
  ASSERT_EQ((*found)["lines"].size(), 1u);
  const auto& line = (*found)["lines"][0];
  // The glyphs lie inside the label, in device pixels.
  EXPECT_GE(line[0].get<double>(), 20);
  EXPECT_GE(line[1].get<double>(), 80);
  EXPECT_LE(line[1].get<double>() + line[3].get<double>(), 120);
  EXPECT_GT(line[2].get<double>(), 40);
  EXPECT_EQ((*found)["clip"], nlohmann::json::array({0, 0, 640, 960}));
  ASSERT_EQ(shot["images"].size(), 1u) << shot.dump();
  EXPECT_EQ(shot["images"][0]["name"], "标题栏.png");
  EXPECT_EQ(shot["images"][0]["rect"], nlohmann::json::array({0, 400, 200, 40}));
}

}  // namespace

namespace {

TEST(ShownTimes, DatesWithATimeOfDayLaterThanTheClock) {
  const ui::ClockStamp monday0130 = 202612070130;
  // The K-line's labels, the alerts' and the articles' stamps, in the clock's year.
  EXPECT_EQ(ui::shownTimeAfter("12/07 02:30", monday0130), "12/07 02:30");
  EXPECT_EQ(ui::shownTimeAfter("12/07 01:30", monday0130), "");
  EXPECT_EQ(ui::shownTimeAfter("12/05 02:30", monday0130), "");
  EXPECT_EQ(ui::shownTimeAfter("2026-12-07 10:30:00", monday0130), "2026-12-07 10:30");
  EXPECT_EQ(ui::shownTimeAfter("2026/12/08 00:00", monday0130), "2026/12/08 00:00");
  EXPECT_EQ(ui::shownTimeAfter("2026-12-09(今) 14:26", monday0130), "2026-12-09(今) 14:26");
  EXPECT_EQ(ui::shownTimeAfter("时间 12/04 21:05 开 3760", monday0130), "");
  // A December date seen in January is last year's.
  EXPECT_EQ(ui::shownTimeAfter("12/31 21:05", 202701041030), "");
  EXPECT_EQ(ui::shownTimeAfter("01/04 10:31", 202701041030), "01/04 10:31");
  // Not a date with a time: a day alone, a time alone, a price, a ratio, a code.
  for (const char* other : {"2026/12/10", "10:30", "3760.00", "1/3", "12/07", "600000 12:30",
                            "99/99 10:30", "12/07 25:00", "12/07 10:3"})
    EXPECT_EQ(ui::shownTimeAfter(other, monday0130), "") << other;
}

TEST_F(InvariantsTest, WithTheMarketsClockNoTimeToComeIsShown) {
  label(*window, gfx::Rect(10, 40, 140, 20), "12/05 02:30");
  auto later = label(*window, gfx::Rect(10, 62, 140, 20), "12/07 02:30");
  advance(1);
  ui::InvariantOptions options;
  options.scale = 2;
  options.where = "test";
  EXPECT_TRUE(ui::screenInvariantFailures(options).empty());  // the clock not given
  options.marketClock = 202612070130;
  const auto found = ui::screenInvariantFailures(options);
  ASSERT_EQ(found.size(), 1u) << ::testing::PrintToString(found);
  EXPECT_NE(found[0].find("'12/07 02:30'"), std::string::npos) << found[0];
  later->setHidden(true);
  EXPECT_TRUE(ui::screenInvariantFailures(options).empty());
}

}  // namespace
