// The drawing properties of a view's backing layer (corners, border, shadow, contents image) and
// its explicit animations. Every view has exactly one layer; geometry, alpha, background and
// transform live on the view and the layer forwards to them.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

namespace ui {

class View;
class LayerAnimation;

// How the contents image fills the layer's bounds.
enum class ContentsGravity {
  Resize,  // stretched to the bounds (the default)
  ResizeAspect,
  ResizeAspectFill,
  Center,
  Top,
  Bottom,
  Left,
  Right,
  TopLeft,
  TopRight,
  BottomLeft,
  BottomRight
};

class Layer {
 public:
  explicit Layer(View* view) : view_(view) {}
  Layer(const Layer&) = delete;
  Layer& operator=(const Layer&) = delete;

  View* view() const { return view_; }

  double cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(double radius);
  double borderWidth() const { return borderWidth_; }
  void setBorderWidth(double width);
  gfx::Color borderColor() const { return borderColor_; }
  void setBorderColor(const gfx::Color& color);
  // Same flag as the view's clipsToBounds.
  bool masksToBounds() const;
  void setMasksToBounds(bool masks);

  gfx::Color shadowColor() const { return shadowColor_; }
  void setShadowColor(const gfx::Color& color);
  double shadowOpacity() const { return shadowOpacity_; }
  void setShadowOpacity(double opacity);
  gfx::Size shadowOffset() const { return shadowOffset_; }
  void setShadowOffset(gfx::Size offset);
  double shadowRadius() const { return shadowRadius_; }
  void setShadowRadius(double radius);

  const gfx::Image& contents() const { return contents_; }
  void setContents(const gfx::Image& image);
  ContentsGravity contentsGravity() const { return contentsGravity_; }
  void setContentsGravity(ContentsGravity gravity);

  // Forwarded to the view.
  double opacity() const;
  void setOpacity(double opacity);
  gfx::AffineTransform transform() const;
  void setTransform(const gfx::AffineTransform& transform);
  gfx::Color backgroundColor() const;
  void setBackgroundColor(const gfx::Color& color);
  bool isHidden() const;
  void setHidden(bool hidden);

  // Explicit animations. Adding under a key replaces the animation of that key (which then
  // stops with finished = false). An empty key adds the animation under a generated key.
  void addAnimation(std::shared_ptr<LayerAnimation> animation, const std::string& key = {});
  void removeAnimation(const std::string& key);
  void removeAllAnimations();
  std::shared_ptr<LayerAnimation> animationForKey(const std::string& key) const;
  std::vector<std::string> animationKeys() const;

  // What running (or held) explicit animations show now, overriding the view's values.
  std::optional<gfx::AffineTransform> animatedTransform() const;
  std::optional<double> animatedOpacity() const;
  bool hasRunningAnimations() const;

 private:
  friend class LayerAnimation;
  friend class AnimationEngine;
  void changed();

  View* view_;
  double cornerRadius_ = 0;
  double borderWidth_ = 0;
  gfx::Color borderColor_ = gfx::Color::black();
  gfx::Color shadowColor_ = gfx::Color::black();
  double shadowOpacity_ = 0;
  gfx::Size shadowOffset_{0, -3};
  double shadowRadius_ = 3;
  gfx::Image contents_;
  ContentsGravity contentsGravity_ = ContentsGravity::Resize;
  std::vector<std::pair<std::string, std::shared_ptr<LayerAnimation>>> animations_;
  int nextKey_ = 0;
};

}  // namespace ui
