#include "widgets/UICustomTableBaseController.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/CDataCenter.h"
#include "core/CoreText.h"
#include "core/QuoteFormat.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/CairoContext.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Text.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "shell/Extend.h"
#include "widgets/CustomLabels.h"

namespace {

// Length of the longest prefix of the text (of `len` bytes) that ends on a character boundary:
// a cut that fell inside a multi-byte UTF-8 character drops the partial character.
size_t Utf8BoundaryLength(const char* text, size_t len) {
  size_t start = len;
  // Step back over at most three continuation bytes to the lead byte of the last character.
  while (start > 0 && len - start < 4 &&
         (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80)
    --start;
  if (start == 0) return len;
  const unsigned char lead = static_cast<unsigned char>(text[start - 1]);
  size_t need = 1;
  if (lead >= 0xF0)
    need = 4;
  else if (lead >= 0xE0)
    need = 3;
  else if (lead >= 0xC0)
    need = 2;
  return len - (start - 1) >= need ? len : start - 1;
}

void CutOnCharacterBoundary(char* text) {
  text[Utf8BoundaryLength(text, std::strlen(text))] = '\0';
}

bool IsValidUtf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    if (c < 0x80)
      extra = 0;
    else if ((c & 0xE0) == 0xC0 && c >= 0xC2)
      extra = 1;
    else if ((c & 0xF0) == 0xE0)
      extra = 2;
    else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
      extra = 3;
    else
      return false;
    if (extra > 0 && i + extra >= text.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

// "fid[:L|R]": the field id and the alignment letter after the colon (L left, R right, else
// centre).
void ParseFieldPart(const char* part, int32_t& fieldId, int32_t& align) {
  fieldId = std::atoi(part);
  align = 1;
  const char* colon = std::strchr(part, ':');
  if (!colon) return;
  if (colon[1] == 'L') align = 0;
  if (colon[1] == 'R') align = 2;
}

// Stretches the columns that fit on the screen to fill it exactly (see readQueryTableConfig).
void FitWidths(std::vector<double>& w, double screen) {
  double sum = 0;
  const size_t n = w.size();
  for (size_t i = 0; i < n; ++i) {
    if (sum + w[i] > screen) {
      // The columns before the one that crosses the edge fill the screen; a first column that
      // is wider than the screen alone leaves everything as it is.
      if (sum != 0)
        for (size_t j = 0; j < i; ++j) w[j] += w[j] * (screen - sum) / sum;
      return;
    }
    if (i + 1 == n) {
      const double total = sum + w[i];
      // All widths 0 (or cancelling out): nothing to stretch; the zero widths fall back later.
      if (total == 0) return;
      for (size_t j = 0; j <= i; ++j) w[j] += w[j] * (screen - total) / total;
      return;
    }
    sum += w[i];
  }
}

}  // namespace

UICustomTableBaseController::UICustomTableBaseController() {
  std::memset(&m_cols, 0, sizeof(m_cols));
}

void UICustomTableBaseController::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  _bAddPrefixForZJZH = true;
}

double UICustomTableBaseController::averageDigitWidth() {
  return gfx::measureText("0123456789", gfx::Font::systemFont(13)).width / 10;
}

bool UICustomTableBaseController::readQueryTableConfig(int funcNo, MIniFile* ini) {
  if (!ini) {
    foundation::logError("!!!!!!!readQueryTableConfig: no INI file for f_%d", funcNo);
    return false;
  }
  char section[32];
  std::snprintf(section, sizeof(section), "f_%d", funcNo);
  tagTableColsInfo info;
  std::memset(&info, 0, sizeof(info));

  char buf[2048];
  ini->GetStringLocked(section, "func", "", buf, sizeof(buf));
  info.bigFunc = GetFieldInt(buf, 1, ',', 0);
  info.func = GetFieldInt(buf, 2, ',', 0);
  info.rowheight = ini->GetInt(section, "c_height", 40);
  const int fixed = ini->GetInt(section, "fixed", 0);
  // The layout knows no fixed columns but none or one.
  info.fixedColCount = fixed > 1 ? 1 : (fixed < 0 ? 0 : fixed);
  ini->GetStringLocked(section, "c_title", "", info.title_utf8, sizeof(info.title_utf8));
  CutOnCharacterBoundary(info.title_utf8);

  const double digit = averageDigitWidth();
  std::vector<double> widths;
  for (int k = 1; k <= kMaxColumns; ++k) {
    char key[8];
    std::snprintf(key, sizeof(key), "c%d", k);
    char value[100];
    ini->GetStringLocked(section, key, "", value, sizeof(value));
    if (value[0] == '\0') break;
    tagTableColItem& col = info.cols[info.colnum];
    GetField(value, col.name_utf8, sizeof(col.name_utf8), 1, ',', 0);
    CutOnCharacterBoundary(col.name_utf8);
    widths.push_back(GetFieldInt(value, 2, ',', 0) * digit);
    char fields[100];
    GetField(value, fields, sizeof(fields), 3, ',', 0);
    char part[100];
    GetField(fields, part, sizeof(part), 1, '|', 0);
    ParseFieldPart(part, col.fieldid1, col.align1);
    GetField(fields, part, sizeof(part), 2, '|', 0);
    if (part[0] != '\0') {
      ParseFieldPart(part, col.fieldid2, col.align2);
    } else {
      col.fieldid2 = 0;
      col.align2 = 1;
    }
    ++info.colnum;
  }
  info.pagerecnum = ini->GetInt(section, "pagerecnum", 100);
  ini->GetStringLocked(section, "field", "", buf, sizeof(buf));
  int ids = 0;
  for (int n = 1; n <= 256; ++n) {
    char item[16];
    GetField(buf, item, sizeof(item), n, ',', 0);
    const int id = std::atoi(item);
    if (item[0] == '\0' || id == 0) break;
    info.field[ids++] = static_cast<char>(id);
  }
  info.field[ids] = 0;

  FitWidths(widths, kScreenWidth);
  _tableItemWidthArray.clear();
  for (int i = 0; i < info.colnum; ++i) {
    info.cols[i].width = static_cast<float>(widths[i]);
    if (info.cols[i].width == 0) {
      foundation::logError("ERROR: %s Column%d 's width is 0", info.title_utf8, i);
      _tableItemWidthArray.push_back(kZeroWidthFallback);
    } else {
      _tableItemWidthArray.push_back(info.cols[i].width);
    }
  }
  setColsInfo(&info);
  return true;
}

void UICustomTableBaseController::setColsInfo(const tagTableColsInfo* info) {
  if (!info) return;
  std::memcpy(m_cols.title_utf8, info->title_utf8, sizeof(m_cols.title_utf8));
  m_cols.title_utf8[sizeof(m_cols.title_utf8) - 1] = '\0';
  m_cols.bigFunc = info->bigFunc;
  m_cols.func = info->func;
  m_cols.fixedColCount = info->fixedColCount;
  m_cols.rowheight = info->rowheight;
  std::memcpy(m_cols.field, info->field, sizeof(m_cols.field));
  m_cols.field[sizeof(m_cols.field) - 1] = '\0';
  m_cols.pagerecnum = info->pagerecnum;
  int n = 0;
  for (; n < kMaxColumns && info->cols[n].fieldid1 != 0; ++n) {
    tagTableColItem& col = m_cols.cols[n];
    col.fieldid1 = info->cols[n].fieldid1;
    col.align1 = info->cols[n].align1;
    col.fieldid2 = info->cols[n].fieldid2;
    col.align2 = info->cols[n].align2;
    std::memcpy(col.name_utf8, info->cols[n].name_utf8, sizeof(col.name_utf8));
    col.name_utf8[sizeof(col.name_utf8) - 1] = '\0';
  }
  m_cols.colnum = n;
}

// --- hooks -------------------------------------------------------------------------------------

std::string UICustomTableBaseController::getNameByCode(MDBF* table) {
  (void)table;
  return "";
}

gfx::Image UICustomTableBaseController::tableViewTitleBackgroundImage() {
  return gfx::Image::filled(gfx::Size(1, 1), gfx::Color::white());
}

gfx::Image UICustomTableBaseController::tableViewCellBackgroundImage() {
  return gfx::Image::named("trade_list_item_bg.png");
}

gfx::Color UICustomTableBaseController::tableViewTitleTextColor() {
  return gfx::Color::rgb255(174, 78, 0);
}

// --- widths ------------------------------------------------------------------------------------

double UICustomTableBaseController::leftWidth() const {
  if (m_cols.fixedColCount == 0 || _tableItemWidthArray.empty()) return 0;
  return static_cast<double>(static_cast<long long>(_tableItemWidthArray.front()));
}

double UICustomTableBaseController::rightWidth() const {
  double sum = 0;
  for (double w : _tableItemWidthArray) sum += w;
  if (sum < kScreenWidth) sum = kScreenWidth;
  return sum + 20 - leftWidth();
}

int UICustomTableBaseController::numberOfRowsInSection(ui::TableView& table, int section,
                                                       int position) {
  (void)table;
  (void)section;
  (void)position;
  return m_listdbf.GetRecordNum();
}

std::optional<double> UICustomTableBaseController::heightForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path, int position) {
  (void)table;
  (void)path;
  (void)position;
  return m_cols.rowheight;
}

std::optional<double> UICustomTableBaseController::titleHeightForTable_TableView(
    Table_TableView& view) {
  (void)view;
  return kTitleHeight;
}

std::optional<double> UICustomTableBaseController::leftWidthForTable_TableView(
    Table_TableView& view) {
  (void)view;
  return leftWidth();
}

std::optional<double> UICustomTableBaseController::rightWidthForTable_TableView(
    Table_TableView& view) {
  (void)view;
  return rightWidth();
}

std::optional<double> UICustomTableBaseController::contentWidthFortableTableView(
    Table_TableView& view) {
  (void)view;
  return rightWidth();
}

std::optional<double> UICustomTableBaseController::rightContentWidthForTable_TableView(
    Table_TableView& view) {
  return view.frame().width() - leftWidth() - 0;
}

std::optional<double> UICustomTableBaseController::widthForDescriptionAboutTableTableView(
    Table_TableView& view) {
  (void)view;
  return 0.0;
}

// --- title views -------------------------------------------------------------------------------

std::shared_ptr<ui::View> UICustomTableBaseController::titleView(
    double width, const std::vector<std::string>& titles, const std::vector<int>& alignments,
    bool right) {
  auto view = ui::View::create(gfx::Rect(0, 0, width, kTitleHeight));
  auto background = ui::ImageView::create(gfx::Rect(0, 0, width, kTitleHeight));
  background->setImage(tableViewTitleBackgroundImage());
  view->addSubview(background);
  if (titles.empty()) return view;
  CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
  CustomLabels::customLabelsFont(gfx::Font::systemFont(15));
  const double each = right ? width / static_cast<double>(titles.size()) : width;
  auto labels = CustomLabels::create(gfx::Rect(0, 0, width, kTitleHeight),
                                     gfx::Size(each, kTitleHeight), true, 1, titles);
  labels->updateTitleTextColor(tableViewTitleTextColor());
  labels->setCanShowTwoLines();
  if (right) {
    labels->updateTitleWithArray(titles, _tableItemWidthArray, m_cols.fixedColCount,
                                 static_cast<int>(titles.size()));
    labels->updateTitleTextAlignment(alignments);
  }
  labels->setDrawBackground(false);
  labels->setBackgroundColor(gfx::Color::clear());
  labels->setUserInteractionEnabled(false);
  view->addSubview(labels);
  auto rule = ui::Label::create(gfx::Rect(0, 24, width, 1));
  rule->setBackgroundColor(gfx::Color::midGrey());
  rule->setText("");
  view->addSubview(rule);
  return view;
}

std::shared_ptr<ui::View> UICustomTableBaseController::titleViewForTable_TableViewRightView(
    Table_TableView& view) {
  (void)view;
  std::vector<std::string> titles;
  std::vector<int> alignments;
  for (int i = m_cols.fixedColCount; i < m_cols.colnum; ++i) {
    const std::string name = m_cols.cols[i].name_utf8;
    titles.push_back(IsValidUtf8(name) ? name : " ");
    alignments.push_back(m_cols.cols[i].align1);
  }
  return titleView(rightWidth(), titles, alignments, true);
}

std::shared_ptr<ui::View> UICustomTableBaseController::titleViewForTable_TableViewLeftView(
    Table_TableView& view) {
  (void)view;
  std::vector<std::string> titles;
  std::vector<int> alignments;
  if (m_cols.fixedColCount >= 1 && m_cols.colnum >= 1) {
    const std::string name = m_cols.cols[0].name_utf8;
    titles.push_back(IsValidUtf8(name) ? name : " ");
    alignments.push_back(m_cols.cols[0].align1);
  }
  return titleView(leftWidth(), titles, alignments, false);
}

std::shared_ptr<ui::View> UICustomTableBaseController::titleViewForTable_TableViewDescView(
    Table_TableView& view) {
  (void)view;
  return ui::View::create(gfx::Rect(0, 0, 0, kTitleHeight));
}

// --- cells -------------------------------------------------------------------------------------

void UICustomTableBaseController::tableViewCellContent(ui::TableViewCell& cell,
                                                       ui::TableView& table, int position,
                                                       const ui::IndexPath& path) {
  (void)path;
  ui::View* content = cell.contentView();
  if (!content || content->viewWithTag(kCellLabelsTag)) return;
  CustomLabels::customLabelsFont(gfx::Font::systemFont(13));
  CustomLabels::customLabelsOrientation(CustomLabels::kSideBySide);
  content->setContentMode(ui::ContentMode::ScaleToFill);

  const double rowHeight = m_cols.rowheight;
  const double backgroundWidth =
      position == Table_TableView::kRightTableTag ? rightWidth() : table.frame().width();
  auto background = ui::ImageView::create(gfx::Rect(0, 0, backgroundWidth, rowHeight));
  background->setImage(tableViewCellBackgroundImage());
  cell.setBackgroundView(background);

  std::shared_ptr<CustomLabels> labels;
  if (position == Table_TableView::kRightTableTag) {
    const int count = m_cols.colnum - m_cols.fixedColCount;
    if (count <= 0) return;
    std::vector<std::string> names;
    std::vector<int> alignments;
    for (int i = m_cols.fixedColCount; i < m_cols.colnum; ++i) {
      names.push_back(m_cols.cols[i].name_utf8);
      alignments.push_back(m_cols.cols[i].align1);
    }
    const double width = rightWidth();
    labels = CustomLabels::createWithOrientation(gfx::Rect(0, 0, width, rowHeight),
                                                 gfx::Size(width / count, rowHeight), false, 1,
                                                 names, true);
    labels->updateTitleTextColor(gfx::Color::black());
    labels->updateTitleTextAlignment(alignments);
  } else if (position == Table_TableView::kLeftTableTag) {
    if (m_cols.fixedColCount <= 0 || m_cols.colnum < 1) return;
    const tagTableColItem& col = m_cols.cols[0];
    std::vector<std::string> titles{col.name_utf8};
    std::vector<int> alignments{col.align1};
    if (col.fieldid2 != 0) {
      titles.emplace_back("Column2");
      alignments.push_back(col.align2);
    }
    const double width = leftWidth();
    if (titles.size() == 2) {
      CustomLabels::customLabelsOrientation(16);
      labels = CustomLabels::create(gfx::Rect(0, 0, width, rowHeight), 1.0,
                                    gfx::Size(width, rowHeight / 2 - 1), true, 1, titles);
      labels->updateTitleColorWithIndex(0, gfx::Color::midGrey());
      labels->updateTitleColorWithIndex(1, gfx::Color::black());
      labels->updateTitleFontWithIndex(
          {0, 1}, 2, {gfx::Font::named("Arial", 12), gfx::Font::named("Arial", 13)});
    } else {
      labels = CustomLabels::createWithOrientation(
          gfx::Rect(0, 0, width, rowHeight), gfx::Size(width, rowHeight), false, 1, titles, true);
      labels->updateTitleTextColor(gfx::Color::black());
    }
    labels->updateTitleTextAlignment(alignments);
  } else {
    cell.setAccessoryType(ui::TableViewCellAccessoryType::DetailDisclosureButton);
    return;
  }
  labels->setDrawBackground(false);
  labels->setUserInteractionEnabled(false);
  labels->setTag(kCellLabelsTag);
  labels->setBackgroundColor(gfx::Color::clear());
  content->addSubview(labels);
}

std::optional<std::string> UICustomTableBaseController::fieldText(int fieldId) const {
  const int id = fieldId & 0xFF;
  if (m_listdbf.GetRecno() >= 0) {
    // A single-byte text field with bytes outside ASCII has no text to show.
    const tagFieldInfo* info = m_listdbf.FindField(id);
    int width = 0;
    const uint8_t* data = m_listdbf.GetFieldData(id, &width);
    if (info && info->type == kFieldText && data) {
      for (int i = 0; i < width && data[i] != 0; ++i)
        if (data[i] >= 0x80) return std::nullopt;
    }
  }
  return m_listdbf.GetNSString(id);
}

gfx::Color UICustomTableBaseController::rowColour() const {
  const int value = m_listdbf.GetInt(20);
  if (IsFieldGroupA(value)) return gfx::Color::red();
  if (IsFieldGroupB(value)) return gfx::Color::rgb255(46, 183, 0);
  return gfx::Color::black();
}

void UICustomTableBaseController::updateCellContent(ui::TableViewCell& cell, ui::TableView& table,
                                                    int position, const ui::IndexPath& path) {
  (void)table;
  if (position != Table_TableView::kLeftTableTag && position != Table_TableView::kRightTableTag)
    return;
  ui::View* content = cell.contentView();
  auto* labels =
      content ? dynamic_cast<CustomLabels*>(content->viewWithTag(kCellLabelsTag)) : nullptr;
  if (!labels) return;
  m_listdbf.Seek(path.row);

  if (position == Table_TableView::kRightTableTag) {
    std::vector<std::string> texts;
    const std::string account = GetDataCenter().GetAccount();
    bool coloured = false;
    for (int i = m_cols.fixedColCount; i < m_cols.colnum; ++i) {
      const tagTableColItem& col = m_cols.cols[i];
      std::optional<std::string> text = fieldText(col.fieldid1);
      std::string shown = text ? *text : " ";
      // The logged-in trade account's own fund account is marked; with no trade account
      // logged in nothing is.
      if (_bAddPrefixForZJZH && col.fieldid1 == 1 && text && !account.empty() && *text == account)
        shown = "*" + *text;
      if (col.fieldid1 == 21 && text && !text->empty()) coloured = true;
      texts.push_back(shown);
    }
    if (coloured) labels->updateTitleTextColor(rowColour());
    labels->updateTitleWithArray(texts, _tableItemWidthArray, m_cols.fixedColCount,
                                 m_cols.colnum - m_cols.fixedColCount);
    return;
  }

  if (m_cols.fixedColCount <= 0 || m_cols.colnum < 1) return;
  const tagTableColItem& col = m_cols.cols[0];
  auto lineText = [this](int fieldId) {
    std::optional<std::string> text = fieldText(fieldId);
    std::string shown = text ? *text : " ";
    if (fieldId == 9 && text && text->empty()) shown = getNameByCode(&m_listdbf);
    return shown;
  };
  std::vector<std::string> texts{lineText(col.fieldid1)};
  if (col.fieldid2 != 0) texts.push_back(lineText(col.fieldid2));
  labels->updateTitleContentWithArray(texts);
  labels->updateTitleTextColor(rowColour());
}
