// Stand-in for the radar news list: keeps what its host gives it and shows the empty-list text
// or the number of news records it holds.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "shell/ScreenRoles.h"

class RadarView : public ui::View, public RadarListRole {
 public:
  explicit RadarView(const gfx::Rect& frame = {});

  void setPageId(int pageId) override { pageId_ = pageId; }
  void setCurrentNavigationController(ui::NavigationController* navigation) override;
  void updateNoItemsLabel(const std::string& text) override;
  void SetRadarTitle(const foundation::Data& record) override;
  void SetRadarTitle(const uint8_t* data, int size) override;

  int pageId() const { return pageId_; }
  ui::NavigationController* navigationController() const { return navigation_.lock().get(); }
  const std::string& noItemsText() const { return noItemsText_; }
  // News records held (0 after an empty list).
  int recordCount() const { return records_; }
  // Times a list (empty or not) was handed over.
  int updates() const { return updates_; }
  std::string shownText() const { return label_ ? label_->text() : std::string(); }

 private:
  void refresh();

  int pageId_ = 0;
  std::weak_ptr<ui::NavigationController> navigation_;
  std::string noItemsText_;
  int records_ = 0;
  int updates_ = 0;
  std::shared_ptr<ui::Label> label_;
};
