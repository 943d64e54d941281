// What the panels' tables share: the look of the tick and order-book lists, their cells, the bold
// face of the panels' labels, and letting go of the view that feeds a table before that view goes
// away.
#pragma once

#include <memory>

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"

// The title strip's and the rows' heights of those lists.
inline constexpr double kQuoteTitleHeight = 20;
inline constexpr double kQuoteRowHeight = 17;

// A tick or order-book list filling `frame` of `owner`, which feeds it: a 20-point title strip,
// 17-point rows, no separators, nothing to select. A custom list is clear and scrolls; the
// others are black and stand still.
template <class Owner>
std::shared_ptr<ui::TableView> AddQuoteTable(Owner& owner, const gfx::Rect& frame, bool custom) {
  auto table = ui::TableView::create(frame);
  auto self = owner.template sharedAs<Owner>();
  table->setDelegate(std::static_pointer_cast<ui::TableViewDelegate>(self));
  table->setDataSource(std::static_pointer_cast<ui::TableViewDataSource>(self));
  table->setSectionHeaderHeight(kQuoteTitleHeight);
  table->setRowHeight(kQuoteRowHeight);
  table->setBackgroundColor(custom ? gfx::Color::clear() : gfx::Color::black());
  table->setSeparatorColor(gfx::Color::clear());
  table->setScrollEnabled(custom);
  table->setAllowsSelection(false);
  owner.addSubview(table);
  return table;
}

// The bold face of the panels' labels and rows.
inline gfx::Font PanelBoldFont(double size) {
  return gfx::Font::named("Helvetica-Bold", size);
}

// The reuse identifier of a tick or order-book list's rows; a new row's first subview is tagged
// kQuoteCellFirstSubviewTag.
inline constexpr char kQuoteCellIdentifier[] = "any-cell";
inline constexpr int kQuoteCellFirstSubviewTag = 111;

inline std::shared_ptr<ui::TableViewCell> NewQuoteCell() {
  auto cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, kQuoteCellIdentifier);
  if (!cell->subviews().empty()) cell->subviews().front()->setTag(kQuoteCellFirstSubviewTag);
  return cell;
}

// Called from the feeding view's destructor: the table may outlive it.
inline void DetachTable(ui::TableView* table) {
  if (!table) return;
  table->setDelegate({});
  table->setDataSource({});
}
