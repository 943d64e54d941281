#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BarsTestSupport.h"
#include "core/CDataCenter.h"
#include "core/MDBF.h"
#include "core/MIniFile.h"
#include "platform/ui/ImageView.h"
#include "widgets/CustomLabels.h"
#include "widgets/Table_TableView.h"
#include "widgets/UICustomTableBaseController.h"

namespace {

using barstest::BarsTest;

// A record table in its wire form: fields {id, width, type}, then records field by field.
class TableBytes {
 public:
  struct Field {
    uint8_t id;
    uint16_t width;
    uint8_t type;
  };
  explicit TableBytes(std::vector<Field> fields) : fields_(std::move(fields)) {}
  // One value per field: text (type 0), UTF-16 from UTF-8 (type 3) or integer (type 1).
  void Add(const std::vector<std::string>& values) {
    ++records_;
    for (size_t i = 0; i < fields_.size(); ++i) {
      const Field& f = fields_[i];
      std::vector<uint8_t> cell(f.width, 0);
      if (f.type == kFieldInt) {
        const int32_t v = std::stoi(values[i]);
        std::memcpy(cell.data(), &v, std::min<size_t>(4, f.width));
      } else if (f.type == kFieldUnicode) {
        std::u16string text = Utf16(values[i]);
        std::memcpy(cell.data(), text.data(), std::min<size_t>(text.size() * 2, f.width));
      } else {
        std::memcpy(cell.data(), values[i].data(), std::min<size_t>(values[i].size(), f.width));
      }
      body_.insert(body_.end(), cell.begin(), cell.end());
    }
  }
  void LoadInto(MDBF& table) const {
    std::vector<uint8_t> bytes;
    bytes.push_back(static_cast<uint8_t>(fields_.size()));
    auto u16 = [&bytes](int v) {
      bytes.push_back(static_cast<uint8_t>(v & 0xff));
      bytes.push_back(static_cast<uint8_t>(v >> 8));
    };
    u16(records_);
    u16(0);
    u16(records_);
    for (const Field& f : fields_) {
      bytes.push_back(f.id);
      u16(f.width);
      bytes.push_back(f.type);
    }
    bytes.insert(bytes.end(), body_.begin(), body_.end());
    ASSERT_GT(table.Parse(bytes.data(), static_cast<int>(bytes.size())), 0);
  }

 private:
  static std::u16string Utf16(const std::string& utf8) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
      const unsigned char c = static_cast<unsigned char>(utf8[i]);
      if (c < 0x80) {
        out.push_back(c);
        i += 1;
      } else {
        out.push_back(static_cast<char16_t>(((c & 0x0f) << 12) | ((utf8[i + 1] & 0x3f) << 6) |
                                            (utf8[i + 2] & 0x3f)));
        i += 3;
      }
    }
    return out;
  }
  std::vector<Field> fields_;
  std::vector<uint8_t> body_;
  int records_ = 0;
};

class NamedByCode : public UICustomTableBaseController {
 public:
  std::string getNameByCode(MDBF* table) override {
    return table ? "代码" + table->GetNSString(10) : "";
  }
};

class CustomTableTest : public BarsTest {
 protected:
  void SetUp() override {
    BarsTest::SetUp();
    GetDataCenter().SetAccount("880001");
  }
  void TearDown() override {
    GetDataCenter().SetAccount("");
    BarsTest::TearDown();
  }
  void Section(int number, const std::vector<std::pair<std::string, std::string>>& keys) {
    const std::string section = "f_" + std::to_string(number);
    for (const auto& [key, value] : keys)
      ASSERT_EQ(ini.WriteString(section.c_str(), key.c_str(), value.c_str()), 1);
  }
  static double Chars(int n) { return n * UICustomTableBaseController::averageDigitWidth(); }

  MIniFile ini;
};

TEST_F(CustomTableTest, ReadsItsSectionAndStretchesNarrowColumnsToTheScreen) {
  Section(7, {{"func", "146, 23"},
              {"fixed", "3"},
              {"c_height", "44"},
              {"c_title", "资金明细"},
              {"c1", "证券,10,9:L|10:R"},
              {"c2", "数量,10,11:R"},
              {"c3", "账号,10,1"},
              {"pagerecnum", "20"},
              {"field", "9,10,0,11"}});
  ASSERT_LT(Chars(30), 320);
  auto screen = std::make_shared<UICustomTableBaseController>();
  EXPECT_TRUE(screen->readQueryTableConfig(7, &ini));
  const tagTableColsInfo& cols = screen->colsInfo();
  EXPECT_EQ(cols.bigFunc, 146);
  EXPECT_EQ(cols.func, 23);
  EXPECT_EQ(cols.rowheight, 44);
  EXPECT_EQ(cols.fixedColCount, 1);
  EXPECT_STREQ(cols.title_utf8, "资金明细");
  EXPECT_EQ(cols.pagerecnum, 20);
  EXPECT_EQ(std::string(cols.field), std::string("\x09\x0a"));
  ASSERT_EQ(cols.colnum, 3);
  EXPECT_STREQ(cols.cols[0].name_utf8, "证券");
  EXPECT_EQ(cols.cols[0].fieldid1, 9);
  EXPECT_EQ(cols.cols[0].align1, 0);
  EXPECT_EQ(cols.cols[0].fieldid2, 10);
  EXPECT_EQ(cols.cols[0].align2, 2);
  EXPECT_EQ(cols.cols[1].align1, 2);
  EXPECT_EQ(cols.cols[1].fieldid2, 0);
  EXPECT_EQ(cols.cols[1].align2, 1);
  EXPECT_EQ(cols.cols[2].fieldid1, 1);
  EXPECT_EQ(cols.cols[2].align1, 1);
  ASSERT_EQ(screen->tableItemWidthArray().size(), 3u);
  for (double w : screen->tableItemWidthArray()) EXPECT_NEAR(w, 320.0 / 3, 1e-3);

  auto split = Table_TableView::create(gfx::Rect(0, 0, 320, 400));
  EXPECT_DOUBLE_EQ(*screen->leftWidthForTable_TableView(*split), 106);
  EXPECT_NEAR(*screen->rightWidthForTable_TableView(*split), 320 + 20 - 106, 1e-3);
  EXPECT_DOUBLE_EQ(*screen->rightContentWidthForTable_TableView(*split), 320 - 106);
  EXPECT_DOUBLE_EQ(*screen->titleHeightForTable_TableView(*split), 25);

  // A missing section gives the defaults and an empty layout.
  EXPECT_TRUE(screen->readQueryTableConfig(8, &ini));
  EXPECT_EQ(screen->colsInfo().colnum, 0);
  EXPECT_EQ(screen->colsInfo().rowheight, 40);
  EXPECT_EQ(screen->colsInfo().pagerecnum, 100);
  EXPECT_TRUE(screen->tableItemWidthArray().empty());
  EXPECT_DOUBLE_EQ(*screen->rightWidthForTable_TableView(*split), 340);
  EXPECT_FALSE(screen->readQueryTableConfig(7, nullptr));
  EXPECT_EQ(screen->colsInfo().rowheight, 40);
}

TEST_F(CustomTableTest, OnlyTheColumnsBeforeTheScreenEdgeAreStretched) {
  Section(9, {{"fixed", "1"},
              {"c1", "名称,20,9"},
              {"c2", "现价,20,10"},
              {"c3", "成本,20,11"},
              {"c4", "盈亏,10,12"}});
  const double w = Chars(20);
  ASSERT_LT(2 * w, 320);
  ASSERT_GT(3 * w, 320);
  auto screen = std::make_shared<UICustomTableBaseController>();
  screen->readQueryTableConfig(9, &ini);
  const std::vector<double>& widths = screen->tableItemWidthArray();
  ASSERT_EQ(widths.size(), 4u);
  EXPECT_NEAR(widths[0], 160, 1e-3);
  EXPECT_NEAR(widths[1], 160, 1e-3);
  EXPECT_NEAR(widths[2], w, 1e-3);
  EXPECT_NEAR(widths[3], Chars(10), 1e-3);
  auto split = Table_TableView::create(gfx::Rect(0, 0, 320, 400));
  EXPECT_NEAR(*screen->rightWidthForTable_TableView(*split), 320 + w + Chars(10) + 20 - 160, 1e-3);
}

TEST_F(CustomTableTest, ZeroWidthsFallBackTo80WithoutStretching) {
  Section(3, {{"fixed", "1"}, {"c1", "甲,0,1"}, {"c2", "乙,0,2"}, {"c3", "丙,abc,3"}});
  auto screen = std::make_shared<UICustomTableBaseController>();
  screen->readQueryTableConfig(3, &ini);
  EXPECT_EQ(screen->tableItemWidthArray(), (std::vector<double>{80, 80, 80}));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(screen->colsInfo().cols[i].width, 0.0f) << i;
  auto split = Table_TableView::create(gfx::Rect(0, 0, 320, 400));
  EXPECT_DOUBLE_EQ(*screen->leftWidthForTable_TableView(*split), 80);
  EXPECT_DOUBLE_EQ(*screen->rightWidthForTable_TableView(*split), 320 + 20 - 80);
}

TEST_F(CustomTableTest, LongNamesAreCutOnACharacterBoundary) {
  // "A" and 13 three-byte characters: 40 bytes, one more than a name keeps.
  const std::string name = "A一二三四五六七八九十百千万";
  Section(4, {{"c1", name + ",5,1"}, {"c2", "一二三四五六七八九十百千万,5,2"}});
  auto screen = std::make_shared<UICustomTableBaseController>();
  screen->readQueryTableConfig(4, &ini);
  EXPECT_STREQ(screen->colsInfo().cols[0].name_utf8, "A一二三四五六七八九十百千");
  // Exactly 39 bytes stay whole.
  EXPECT_STREQ(screen->colsInfo().cols[1].name_utf8, "一二三四五六七八九十百千万");
}

TEST_F(CustomTableTest, AColumnWithoutFieldEndsTheCopiedColumns) {
  tagTableColsInfo info;
  std::memset(&info, 0, sizeof(info));
  info.rowheight = 30;
  info.colnum = 3;
  info.cols[0].fieldid1 = 5;
  std::strcpy(info.cols[0].name_utf8, "一");
  info.cols[2].fieldid1 = 6;
  auto screen = std::make_shared<UICustomTableBaseController>();
  screen->setColsInfo(&info);
  EXPECT_EQ(screen->colsInfo().colnum, 1);
  EXPECT_EQ(screen->colsInfo().rowheight, 30);

  Section(5, {{"c1", "一,10,5"}, {"c2", "二,10,0"}, {"c3", "三,10,6"}});
  screen->readQueryTableConfig(5, &ini);
  EXPECT_EQ(screen->colsInfo().colnum, 1);
  EXPECT_EQ(screen->tableItemWidthArray().size(), 3u);
}

class CustomTableScreenTest : public CustomTableTest {
 protected:
  void SetUp() override {
    CustomTableTest::SetUp();
    Section(12, {{"fixed", "1"},
                 {"c_height", "40"},
                 {"c1", "证券,10,9:L|10:R"},
                 {"c2", "数量,8,11:R"},
                 {"c3", "资金账号,10,1:L"},
                 {"c4", "方向,6,21"}});
    screen = std::make_shared<NamedByCode>();
    screen->viewShared();
    screen->readQueryTableConfig(12, &ini);
    TableBytes bytes({{9, 16, kFieldUnicode},
                      {10, 8, kFieldText},
                      {11, 4, kFieldInt},
                      {1, 12, kFieldText},
                      {20, 4, kFieldInt},
                      {21, 8, kFieldUnicode}});
    bytes.Add({"浦发银行", "600000", "1200", "880001", "1", "买入"});
    bytes.Add({"", "000002", "300", "880002", "49", "卖出"});
    bytes.Add({"平安", "000001", "5", "\xC4\xE3", "7", ""});
    bytes.LoadInto(screen->listDbf());
    split = Table_TableView::create(gfx::Rect(0, 0, 320, 300));
    split->setTableTableViewDelegate(screen);
    window->addSubview(split);
    split->updateView();
    split->reloadView();
  }
  CustomLabels* Labels(ui::TableView* table, int row) {
    cell = split->tableViewCellForRowAtIndexPath(*table, ui::IndexPath::forRow(row, 0));
    return dynamic_cast<CustomLabels*>(
        cell->contentView()->viewWithTag(UICustomTableBaseController::kCellLabelsTag));
  }
  static std::vector<std::string> Texts(CustomLabels* labels) {
    std::vector<std::string> texts;
    for (ui::Label* label : labels->labels()) texts.push_back(label->text());
    return texts;
  }
  std::shared_ptr<NamedByCode> screen;
  std::shared_ptr<Table_TableView> split;
  std::shared_ptr<ui::TableViewCell> cell;
};

TEST_F(CustomTableScreenTest, ShowsTheRecordsWithTheTwoLineFixedColumn) {
  EXPECT_TRUE(screen->addPrefixForZJZH());
  ui::TableView* left = split->leftTableView();
  ui::TableView* right = split->rightTableView();
  EXPECT_EQ(screen->numberOfRowsInSection(*left, 0, Table_TableView::kLeftTableTag), 3);
  EXPECT_DOUBLE_EQ(left->frame().width(), std::trunc(screen->tableItemWidthArray()[0]));

  CustomLabels* fixed = Labels(left, 0);
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(Texts(fixed), (std::vector<std::string>{"浦发银行", "600000"}));
  ASSERT_NE(fixed->titleLabel(1), nullptr);
  EXPECT_LT(fixed->titleLabel(0)->frame().y(), fixed->titleLabel(1)->frame().y());
  EXPECT_EQ(fixed->titleLabel(0)->textColor(), gfx::Color::red());
  EXPECT_NE(dynamic_cast<ui::ImageView*>(cell->backgroundView()), nullptr);

  CustomLabels* values = Labels(right, 0);
  ASSERT_NE(values, nullptr);
  EXPECT_EQ(Texts(values), (std::vector<std::string>{"1200", "*880001", "买入"}));
  EXPECT_EQ(values->titleLabel(2)->textColor(), gfx::Color::red());

  // Another account, a sell and no name: the name comes from the code.
  fixed = Labels(left, 1);
  EXPECT_EQ(Texts(fixed), (std::vector<std::string>{"代码000002", "000002"}));
  EXPECT_EQ(fixed->titleLabel(1)->textColor(), gfx::Color::rgb255(46, 183, 0));
  values = Labels(right, 1);
  EXPECT_EQ(Texts(values), (std::vector<std::string>{"300", "880002", "卖出"}));
  EXPECT_EQ(values->titleLabel(0)->textColor(), gfx::Color::rgb255(46, 183, 0));

  // A text that is not ASCII shows as a blank; without a direction the colour stays.
  values = Labels(right, 2);
  EXPECT_EQ(Texts(values), (std::vector<std::string>{"5", " ", ""}));
  EXPECT_EQ(values->titleLabel(0)->textColor(), gfx::Color::black());
  EXPECT_EQ(Labels(left, 2)->titleLabel(0)->textColor(), gfx::Color::black());

  // Without the prefix flag the account is shown as it is.
  screen->setAddPrefixForZJZH(false);
  EXPECT_EQ(Texts(Labels(right, 0))[1], "880001");
}

TEST_F(CustomTableScreenTest, TitlesAndAnEmptyTable) {
  ui::View* rightTitle = split->viewWithTag(Table_TableView::kRightTitleTag);
  ASSERT_NE(rightTitle, nullptr);
  CustomLabels* titles = nullptr;
  for (const auto& sub : rightTitle->subviews())
    if (auto* labels = dynamic_cast<CustomLabels*>(sub.get())) titles = labels;
  ASSERT_NE(titles, nullptr);
  EXPECT_EQ(Texts(titles), (std::vector<std::string>{"数量", "资金账号", "方向"}));
  EXPECT_EQ(titles->titleLabel(0)->textColor(), gfx::Color::rgb255(174, 78, 0));
  // The bottom rule comes last.
  EXPECT_EQ(rightTitle->subviews().back()->frame(),
            gfx::Rect(0, 24, rightTitle->frame().width(), 1));
  ui::View* leftTitle = split->viewWithTag(Table_TableView::kLeftTitleTag);
  ASSERT_NE(leftTitle, nullptr);

  screen->listDbf().Clear();
  split->reloadView();
  for (int position : {Table_TableView::kLeftTableTag, Table_TableView::kRightTableTag,
                       Table_TableView::kDescriptionTableTag})
    EXPECT_EQ(screen->numberOfRowsInSection(*split->rightTableView(), 0, position), 0);
  EXPECT_EQ(split->rightTableView()->numberOfRowsInSection(0), 0);
}

}  // namespace
