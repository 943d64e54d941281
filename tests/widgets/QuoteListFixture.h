// A quote list as the list screens build it: records parsed from a sort reply into a quote
// cache, a split table view with a fixed name column, a change box and the configured value
// columns, and column titles. Shared by the picture test and the benchmark.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/QuoteCache.h"
#include "core/QuoteField.h"
#include "core/QuoteFormat.h"
#include "widgets/CustomLabels.h"
#include "widgets/ListCells.h"
#include "widgets/QuoteColors.h"
#include "widgets/Table_TableView.h"

namespace quotelist {

// The value columns of the ranking lists: title and quote field id.
struct Column {
  const char* title;
  uint32_t field;
};
inline const std::vector<Column>& Columns() {
  static const std::vector<Column> columns = {
      {"涨幅", 23}, {"成交量", 6}, {"成交额", 7}, {"换手率", 15}, {"振幅", 24},
      {"涨速", 26}, {"量比", 14},  {"均价", 18},  {"最高", 3},    {"最低", 4},
      {"今开", 2},  {"昨收", 1},   {"涨跌", 17},  {"代码", 10},   {"名称", 12}};
  return columns;
}

inline constexpr double kNameWidth = 90;
inline constexpr double kBoxWidth = 150;
inline constexpr double kColumnWidth = 78;
inline constexpr double kRowHeight = 44;
inline constexpr double kTitleHeight = 30;

// Little-endian writer of one sort reply.
class ReplyWriter {
 public:
  void u8(uint8_t v) { b_.push_back(v); }
  void u16(uint16_t v) {
    b_.resize(b_.size() + 2);
    WriteLE16(&b_[b_.size() - 2], v);
  }
  void i32(int32_t v) {
    b_.resize(b_.size() + 4);
    WriteLE32(&b_[b_.size() - 4], static_cast<uint32_t>(v));
  }
  void i64(int64_t v) {
    b_.resize(b_.size() + 8);
    WriteLE64(&b_[b_.size() - 8], static_cast<uint64_t>(v));
  }
  void text(const std::string& s, size_t width) {
    for (size_t i = 0; i < width; ++i) b_.push_back(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
  }
  void units(const std::u16string& s, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      const uint16_t unit = i < s.size() ? static_cast<uint16_t>(s[i]) : 0;
      u16(unit);
    }
  }
  const std::vector<uint8_t>& bytes() const { return b_; }

 private:
  std::vector<uint8_t> b_;
};

inline const std::vector<uint8_t>& WireIds() {
  static const std::vector<uint8_t> ids = {9, 10, 12, 19, 1,  2,  3,  4, 5,
                                           6, 7,  17, 23, 24, 15, 14, 18};
  return ids;
}

// A page of `count` records starting at `start`, as the quote server sends it (prices in the
// record's decimals; the cache scales them).
inline std::vector<uint8_t> SortReply(int start, int count) {
  static const char16_t* const kNames[] = {u"浦发银行", u"平安银行", u"万科Ａ",   u"招商银行",
                                           u"中国石化", u"贵州茅台", u"五粮液",   u"中信证券",
                                           u"工商银行", u"格力电器", u"美的集团", u"海康威视"};
  ReplyWriter w;
  w.u8(1);
  w.u8(2);
  w.u8(23);
  w.i32(start + count + 120);  // total records
  w.u16(static_cast<uint16_t>(count));
  w.u8(static_cast<uint8_t>(WireIds().size()));
  for (uint8_t id : WireIds()) w.u8(id);
  for (int k = 0; k < count; ++k) {
    const int i = start + k;
    const bool sh = i % 2 == 0;
    const int32_t yesterday = 800 + (i * 137) % 4000;               // 8.00 .. 48.00
    const int32_t change = ((i * 53) % 21 - 10) * yesterday / 100;  // -10% .. +10%
    const int32_t now = i % 7 == 3 ? yesterday : yesterday + change;
    char code[9];
    std::snprintf(code, sizeof code, "%s%04d", sh ? "60" : "00", i % 10000);
    w.u8(sh ? 1 : 2);
    w.text(code, 8);
    w.units(kNames[i % 12], 8);
    w.u8(2);
    w.u16(100);
    w.i32(yesterday);
    w.i32(yesterday + change / 3);
    w.i32(std::max(now, yesterday) + 12);
    w.i32(std::min(now, yesterday) - 9);
    w.i32(now);
    w.i64(1000000 + static_cast<int64_t>(i) * 7345671);
    w.i64(50000000 + static_cast<int64_t>(i) * 912345678);
    w.i32(now - yesterday);
    w.i32(yesterday ? static_cast<int32_t>((now - yesterday) * 10000LL / yesterday) : 0);
    w.i32(150 + (i * 31) % 900);
    w.i32(20 + (i * 17) % 400);
    w.i32(5000 + (i * 379) % 20000);
    w.i32(yesterday + change / 2);
  }
  return w.bytes();
}

// The owner of a quote list: rows come from the cache, texts and colours from the core's field
// formatter.
class QuoteListOwner : public TableTableViewDelegate,
                       public CustomLabelsDelegate,
                       public ChangeDetailView2Delegate {
 public:
  static constexpr int kNameTag = 1001, kCodeTag = 1002, kBoxTag = 2000, kColumnTag = 2001;

  QuoteListOwner() : cache_(std::make_unique<CQuoteCache>()) { cache_->Init(); }

  // Stores one reply's records (at most 30) as the page shown.
  int storeReply(const std::vector<uint8_t>& body) {
    tagCodeItem items[30];
    uint8_t head[9];
    const int n = cache_->ParseListReply(body.data(), body.size(), items, 30, head);
    if (n < 0) return n;
    records.assign(static_cast<size_t>(n), tagLocalStockData{});
    cache_->GetQuotes(records.data(), items, n);
    return n;
  }

  void tableViewCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                            const ui::IndexPath& path) override {
    (void)table;
    (void)path;
    ui::View* content = cell.contentView();
    if (position == Table_TableView::kLeftTableTag) {
      auto name = ui::Label::create(gfx::Rect(6, 4, kNameWidth - 8, 22));
      name->setTag(kNameTag);
      name->setFont(gfx::Font::systemFont(16));
      name->setAdjustsFontSizeToFitWidth(true);
      name->setMinimumFontSize(11);
      content->addSubview(name);
      auto code = ui::Label::create(gfx::Rect(6, 26, kNameWidth - 8, 14));
      code->setTag(kCodeTag);
      code->setFont(gfx::Font::systemFont(11));
      content->addSubview(code);
    } else if (position == Table_TableView::kRightTableTag) {
      auto box = TableCell::defaultUsingXIB("tableViewCellContent", 2, nullptr);
      if (box) {
        box->setTag(kBoxTag);
        box->setFrame(gfx::Rect(0, 2, kBoxWidth, 40));
        box->setCellDelegate(self_);
        content->addSubview(box);
      }
      for (size_t i = 0; i < Columns().size(); ++i) {
        auto label = ui::Label::create(gfx::Rect(kBoxWidth + static_cast<double>(i) * kColumnWidth,
                                                 0, kColumnWidth - 4, kRowHeight));
        label->setTag(kColumnTag + static_cast<int>(i));
        label->setFont(gfx::Font::systemFont(15));
        label->setTextAlignment(gfx::TextAlignment::Right);
        label->setAdjustsFontSizeToFitWidth(true);
        label->setMinimumFontSize(10);
        content->addSubview(label);
      }
    }
  }

  void updateCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                         const ui::IndexPath& path) override {
    (void)table;
    if (path.row < 0 || static_cast<size_t>(path.row) >= records.size()) return;
    const tagLocalStockData& rec = records[static_cast<size_t>(path.row)];
    ui::View* content = cell.contentView();
    if (position == Table_TableView::kLeftTableTag) {
      if (auto* name = dynamic_cast<ui::Label*>(content->viewWithTag(kNameTag))) {
        name->setText(GetFieldString(12, rec));
        name->setTextColor(widgets::LightBlueColor2());
      }
      if (auto* code = dynamic_cast<ui::Label*>(content->viewWithTag(kCodeTag))) {
        code->setText(GetFieldString(10, rec));
        code->setTextColor(widgets::PaleYellowColor2());
      }
    } else if (position == Table_TableView::kRightTableTag) {
      if (auto* box = dynamic_cast<ChangeDetailView2*>(content->viewWithTag(kBoxTag))) {
        box->updateIndexPath(path);
        box->updateCell();
        const gfx::Color color = widgets::FieldColor(5, rec);
        for (ui::Label* label : {box->nowPriceLabel(), box->priceLabel(), box->rangLabel()})
          if (label) label->setTextColor(color);
      }
      for (size_t i = 0; i < Columns().size(); ++i) {
        auto* label =
            dynamic_cast<ui::Label*>(content->viewWithTag(kColumnTag + static_cast<int>(i)));
        if (!label) continue;
        label->setText(GetFieldString(Columns()[i].field, rec));
        label->setTextColor(widgets::FieldColor(Columns()[i].field, rec));
      }
    }
  }

  int numberOfRowsInSection(ui::TableView& table, int section, int position) override {
    (void)table;
    (void)section;
    (void)position;
    return static_cast<int>(records.size());
  }
  std::optional<double> leftWidthForTable_TableView(Table_TableView&) override {
    return kNameWidth;
  }
  std::optional<double> titleHeightForTable_TableView(Table_TableView&) override {
    return kTitleHeight;
  }
  std::optional<double> contentWidthFortableTableView(Table_TableView&) override {
    return contentWidth();
  }
  std::optional<double> rightWidthForTable_TableView(Table_TableView&) override {
    return contentWidth();
  }
  std::optional<double> widthForDescriptionAboutTableTableView(Table_TableView&) override {
    return 0.1;
  }
  std::optional<double> heightForRowAtIndexPath(ui::TableView&, const ui::IndexPath&,
                                                int) override {
    return kRowHeight;
  }
  std::shared_ptr<ui::View> titleViewForTable_TableViewLeftView(Table_TableView&) override {
    CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
    CustomLabels::customLabelsFont(gfx::Font::systemFont(17));
    auto fixed = CustomLabels::create(gfx::Rect(0, 0, kNameWidth, kTitleHeight),
                                      gfx::Size(kNameWidth, kTitleHeight), true, 1, {"名称"});
    fixed->setTag(901);
    fixed->setNoUpDownState(true);
    styleTitles(*fixed);
    return fixed;
  }
  std::shared_ptr<ui::View> titleViewForTable_TableViewRightView(Table_TableView&) override {
    CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
    CustomLabels::customLabelsFont(gfx::Font::systemFont(17));
    std::vector<std::string> titles = {"最新/涨跌"};
    std::vector<double> widths = {kBoxWidth};
    for (const Column& c : Columns()) {
      titles.push_back(c.title);
      widths.push_back(kColumnWidth);
    }
    auto row = CustomLabels::create(gfx::Rect(0, 0, contentWidth(), kTitleHeight),
                                    gfx::Size(kColumnWidth, kTitleHeight), true, 1, titles);
    styleTitles(*row);
    row->updateTitleAllWidth(widths);
    row->initSelectLabe(1, true, 1);
    return row;
  }

  // Change box questions.
  std::optional<std::string> currentPriceOfChangeDetailView2(ChangeDetailView2&,
                                                             const Path& path) override {
    if (const tagLocalStockData* rec = at(path)) return GetFieldString(17, *rec);
    return std::nullopt;
  }
  std::optional<std::string> changeRangeOfChangeDetailView2(ChangeDetailView2&,
                                                            const Path& path) override {
    if (const tagLocalStockData* rec = at(path)) return GetFieldString(23, *rec);
    return std::nullopt;
  }
  std::optional<int> currentRangeBackgroundOfChangeDetailView2(ChangeDetailView2&,
                                                               const Path& path) override {
    if (const tagLocalStockData* rec = at(path)) return rec->now - rec->yesterday;
    return std::nullopt;
  }
  std::optional<std::string> nowPriceOfChangeDetailView2(ChangeDetailView2&,
                                                         const Path& path) override {
    if (const tagLocalStockData* rec = at(path)) return GetFieldString(5, *rec);
    return std::nullopt;
  }
  void customLabelDidSelectIndex(CustomLabels&, int, int) override {}

  // The owner hands itself to the change boxes it makes.
  void setSelf(std::weak_ptr<TableCellDelegate> self) { self_ = std::move(self); }
  static double contentWidth() {
    return kBoxWidth + static_cast<double>(Columns().size()) * kColumnWidth;
  }

  std::vector<tagLocalStockData> records;

 private:
  static void styleTitles(CustomLabels& labels) {
    labels.updateTitleAllToFont(gfx::Font::named("Helvetica-Bold", 15));
    labels.setDrawType(1);
    labels.setDrawBackground(false);
    labels.setBackgroundColor(gfx::Color::rgb255(24, 30, 40));
  }
  const tagLocalStockData* at(const Path& path) const {
    if (!path || path->row < 0 || static_cast<size_t>(path->row) >= records.size()) return nullptr;
    return &records[static_cast<size_t>(path->row)];
  }

  std::unique_ptr<CQuoteCache> cache_;
  std::weak_ptr<TableCellDelegate> self_;
};

// A split view of the owner's list, set up as the list screens do.
inline std::shared_ptr<Table_TableView> MakeQuoteList(const std::shared_ptr<QuoteListOwner>& owner,
                                                      const gfx::Rect& frame) {
  owner->setSelf(owner);
  auto split = Table_TableView::create(frame);
  split->setTableTableViewDelegate(owner);
  split->updateView();
  split->pullRefurbish(false);
  split->setAutoReloding(false);
  split->setAutoresizingMask(3);
  split->updateRefreshStatus(3);
  split->setShowNoticeAboutCanMove(true);
  return split;
}

// The owner's steps after a page reply has been stored.
inline void ShowPage(Table_TableView& split, int page, int pages) {
  split.reloadView();
  split.pullRefurbishLoadingDidEnd();
  split.updateRefreshLoading(false, 1);
  split.updateRefreshLoading(false, 2);
  split.reloadDataDidEnd(1);
  split.reloadDataDidEnd(2);
  const std::string text = "当前" + std::to_string(page) + "页/一共" + std::to_string(pages) + "页";
  split.updateRefreshContent(text, 1);
  split.updateRefreshContent(text, 2);
  split.updateRefreshLoading(page == 1, 1);
  split.hiddenRefreashHeaderView(1, page == 1);
  split.updateRefreshLoading(page == pages, 2);
  split.hiddenRefreashHeaderView(2, page == pages);
}

}  // namespace quotelist
