#include "platform/ui/ImageView.h"

#include "platform/graphics/Context.h"
#include "platform/ui/Renderer.h"

namespace ui {

ImageView::ImageView(const gfx::Rect& frame) : View(frame) {
  setUserInteractionEnabled(false);
  setOpaque(false);
}

ImageView::ImageView(const gfx::Image& image) : ImageView(gfx::Rect(gfx::Point(), image.size())) {
  image_ = image;
}

std::shared_ptr<ImageView> ImageView::create(const gfx::Rect& frame) {
  return std::make_shared<ImageView>(frame);
}

std::shared_ptr<ImageView> ImageView::create(const gfx::Image& image) {
  return std::make_shared<ImageView>(image);
}

void ImageView::setImage(const gfx::Image& image) {
  if (image == image_) return;
  image_ = image;
  setNeedsDisplay();
}

void ImageView::setHighlightedImage(const gfx::Image& image) {
  highlightedImage_ = image;
  setNeedsDisplay();
}

void ImageView::setHighlighted(bool highlighted) {
  highlighted_ = highlighted;
  setNeedsDisplay();
}

void ImageView::setDimmed(bool dimmed) {
  if (dimmed == dimmed_) return;
  dimmed_ = dimmed;
  setNeedsDisplay();
}

const gfx::Image& ImageView::currentImage() const {
  if (highlighted_ && !highlightedImage_.isEmpty()) return highlightedImage_;
  return image_;
}

void ImageView::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  const gfx::Image& image = currentImage();
  if (image.isEmpty()) return;
  gfx::Size s = image.size();
  gfx::Rect r = imageRectForContentMode(contentMode(), bounds(), s.width, s.height);
  ctx.drawImage(image, r);
  if (dimmed_) {
    // Multiplying the image with itself darkens its colours and leaves transparent parts alone.
    gfx::StateSaver saver(ctx);
    ctx.setBlendMode(gfx::BlendMode::Multiply);
    ctx.setAlpha(ctx.alpha() * 0.6);
    ctx.drawImage(image, r);
  }
}

gfx::Size ImageView::sizeThatFits(gfx::Size) const {
  return currentImage().size();
}

}  // namespace ui
