// Shows an image (or its highlighted variant) under the view's content mode.
#pragma once

#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

namespace ui {

class ImageView : public View {
 public:
  explicit ImageView(const gfx::Rect& frame = {});
  // Frame at the origin with the image's size.
  explicit ImageView(const gfx::Image& image);
  static std::shared_ptr<ImageView> create(const gfx::Rect& frame = {});
  static std::shared_ptr<ImageView> create(const gfx::Image& image);

  const gfx::Image& image() const { return image_; }
  void setImage(const gfx::Image& image);
  const gfx::Image& highlightedImage() const { return highlightedImage_; }
  void setHighlightedImage(const gfx::Image& image);
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted);
  // The image on show: the highlighted one while highlighted (when set).
  const gfx::Image& currentImage() const;
  // Darkens the image (buttons dim their images while pressed).
  void setDimmed(bool dimmed);
  bool isDimmed() const { return dimmed_; }

  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  gfx::Size sizeThatFits(gfx::Size size) const override;

 private:
  gfx::Image image_;
  gfx::Image highlightedImage_;
  bool highlighted_ = false;
  bool dimmed_ = false;
};

}  // namespace ui
