// The plain row view of the stock search and the watch-list editor: a code label, a name label
// and a small arrow on a transparent background. Screens set the texts, may move the labels and
// put their own add/remove button on top.
#pragma once

#include <memory>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class SettingCell : public ui::View {
 public:
  explicit SettingCell(const gfx::Rect& frame = {});
  static std::shared_ptr<SettingCell> create(const gfx::Rect& frame = {});

  ui::Label* NameLabel() const { return nameLabel_.get(); }
  void setNameLabel(std::shared_ptr<ui::Label> label);
  ui::Label* CodeLabel() const { return codeLabel_.get(); }
  void setCodeLabel(std::shared_ptr<ui::Label> label);
  ui::ImageView* arrow() const { return arrow_.get(); }

 private:
  std::shared_ptr<ui::ImageView> arrow_;
  std::shared_ptr<ui::Label> nameLabel_;
  std::shared_ptr<ui::Label> codeLabel_;
};
