#include "platform/ui/Renderer.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/View.h"

namespace ui {

gfx::Rect imageRectForContentMode(ContentMode mode, const gfx::Rect& b, double w, double h) {
  switch (mode) {
    case ContentMode::ScaleToFill:
    case ContentMode::Redraw:
      return b;
    case ContentMode::ScaleAspectFit:
    case ContentMode::ScaleAspectFill: {
      if (w <= 0 || h <= 0) return b;
      double sx = b.width() / w, sy = b.height() / h;
      double s = mode == ContentMode::ScaleAspectFit ? std::min(sx, sy) : std::max(sx, sy);
      return gfx::Rect(b.midX() - w * s / 2, b.midY() - h * s / 2, w * s, h * s);
    }
    case ContentMode::Center:
      return gfx::Rect(b.midX() - w / 2, b.midY() - h / 2, w, h);
    case ContentMode::Top:
      return gfx::Rect(b.midX() - w / 2, b.minY(), w, h);
    case ContentMode::Bottom:
      return gfx::Rect(b.midX() - w / 2, b.maxY() - h, w, h);
    case ContentMode::Left:
      return gfx::Rect(b.minX(), b.midY() - h / 2, w, h);
    case ContentMode::Right:
      return gfx::Rect(b.maxX() - w, b.midY() - h / 2, w, h);
    case ContentMode::TopLeft:
      return gfx::Rect(b.minX(), b.minY(), w, h);
    case ContentMode::TopRight:
      return gfx::Rect(b.maxX() - w, b.minY(), w, h);
    case ContentMode::BottomLeft:
      return gfx::Rect(b.minX(), b.maxY() - h, w, h);
    case ContentMode::BottomRight:
      return gfx::Rect(b.maxX() - w, b.maxY() - h, w, h);
  }
  return b;
}

ContentMode contentModeForGravity(ContentsGravity gravity) {
  switch (gravity) {
    case ContentsGravity::Resize:
      return ContentMode::ScaleToFill;
    case ContentsGravity::ResizeAspect:
      return ContentMode::ScaleAspectFit;
    case ContentsGravity::ResizeAspectFill:
      return ContentMode::ScaleAspectFill;
    case ContentsGravity::Center:
      return ContentMode::Center;
    case ContentsGravity::Top:
      return ContentMode::Top;
    case ContentsGravity::Bottom:
      return ContentMode::Bottom;
    case ContentsGravity::Left:
      return ContentMode::Left;
    case ContentsGravity::Right:
      return ContentMode::Right;
    case ContentsGravity::TopLeft:
      return ContentMode::TopLeft;
    case ContentsGravity::TopRight:
      return ContentMode::TopRight;
    case ContentsGravity::BottomLeft:
      return ContentMode::BottomLeft;
    case ContentsGravity::BottomRight:
      return ContentMode::BottomRight;
  }
  return ContentMode::ScaleToFill;
}

namespace {

void addShape(gfx::Context& ctx, const gfx::Rect& r, double radius) {
  if (radius > 0)
    ctx.addRoundedRect(r, std::min(radius, std::min(r.width(), r.height()) / 2));
  else
    ctx.addRect(r);
}

// The opacity of the transparency layers the view being drawn lies in.
double layerOpacity = 1;

// A background all but opaque hides what was drawn under it from a reader (for the checks of
// what a person sees): a sheet at 97% leaves no more than a ghost of the text below.
void noteCover(gfx::Context& ctx, const gfx::Rect& r, double radius, const gfx::Color& bg) {
  constexpr double kHides = 0.9;
  // Less than this is a tint that leaves what lies under it to be read as it is.
  constexpr double kDims = 0.3;
  const double opacity = bg.a() * layerOpacity * ctx.alpha();
  if (opacity < kDims) return;
  const double corner = std::min(radius, std::min(r.width(), r.height()) / 2) * 0.3;
  const gfx::GraphicsState& s = ctx.state();
  const gfx::Rect area = s.ctm.apply(r.inset(corner, corner)).intersection(s.deviceClipBounds);
  if (opacity < kHides) {
    if (!bg.isPattern()) gfx::DrawnTextCollector::noteVeil(area);
    return;
  }
  if (!bg.isPattern()) {
    gfx::DrawnTextCollector::noteOpaque(area);
  } else if (bg.patternImage() && !bg.patternImage()->name().empty() &&
             bg.patternImage()->isOpaque()) {
    // A bar tiled from an opaque bundle picture hides as much (for the checks of what a
    // screen shows; an expect has never counted patterns).
    gfx::DrawnTextCollector::noteOpaqueImage(area);
  }
}

// Draws the view's own layers and its subtree; the context is at the view's bounds origin
// (bounds coordinates start at `b.origin`).
void drawContent(View& v, gfx::Context& ctx, const gfx::Rect& b) {
  const Layer& layer = v.layer();
  gfx::Rect r = b;
  double radius = layer.cornerRadius();
  bool clip = v.clipsToBounds();

  gfx::Color bg = v.presentationBackgroundColor();
  noteCover(ctx, r, radius, bg);
  if (layer.shadowOpacity() > 0 && !layer.shadowColor().isClear() && !bg.isClear()) {
    gfx::StateSaver s(ctx);
    gfx::Color c = layer.shadowColor();
    ctx.setShadow(layer.shadowOffset(), layer.shadowRadius(),
                  c.withAlpha(c.a() * layer.shadowOpacity()));
    ctx.setFillColor(bg);
    addShape(ctx, r, radius);
    ctx.fillPath();
  } else if (!bg.isClear()) {
    ctx.setFillColor(bg);
    if (radius > 0) {
      addShape(ctx, r, radius);
      ctx.fillPath();
    } else {
      ctx.fillRect(r);
    }
  }

  ctx.save();
  if (clip) {
    addShape(ctx, r, radius);
    ctx.clip();
  }
  // What a list scrolls is cut at its edges by the scrolling (told to the checks of cut texts).
  std::optional<gfx::DrawnTextCollector::InScrollView> scrolling;
  if (auto* scroll = dynamic_cast<ScrollView*>(&v)) {
    // The axes along which it scrolls freely, turned the way the device sees them. A pager
    // rests at whole pages: only while it is between two (rolling on) does it cut its pages.
    int axes = 0;
    const gfx::Size content = scroll->contentSize();
    auto betweenPages = [](double offset, double page) {
      if (page <= 0) return false;
      const double into = std::fmod(std::abs(offset), page);
      return into > 0.5 && into < page - 0.5;
    };
    if (scroll->isPagingEnabled()) {
      if (betweenPages(r.x(), r.width())) axes |= gfx::kScrollsAcross;
      if (betweenPages(r.y(), r.height())) axes |= gfx::kScrollsDown;
    } else {
      if (content.width > r.width() + 0.5) axes |= gfx::kScrollsAcross;
      if (content.height > r.height() + 0.5) axes |= gfx::kScrollsDown;
    }
    {
      const gfx::AffineTransform& m = ctx.state().ctm;
      if (std::abs(m.b) > std::abs(m.a))
        axes = ((axes & gfx::kScrollsAcross) ? gfx::kScrollsDown : 0) |
               ((axes & gfx::kScrollsDown) ? gfx::kScrollsAcross : 0);
    }
    scrolling.emplace(ctx.state().ctm.apply(r).intersection(ctx.state().deviceClipBounds), axes);
  }
  if (const auto& contents = layer.contents(); !contents.isEmpty()) {
    gfx::Size s = contents.size();
    ctx.drawImage(contents, imageRectForContentMode(contentModeForGravity(layer.contentsGravity()),
                                                    r, s.width, s.height));
  }
  {
    gfx::StateSaver s(ctx);
    v.drawRect(ctx, b);
  }
  std::vector<ViewPtr> subs = v.subviews();
  for (auto& sub : subs) Renderer::drawView(*sub, ctx);
  ctx.restore();

  if (layer.borderWidth() > 0 && !layer.borderColor().isClear()) {
    gfx::StateSaver s(ctx);
    double w = layer.borderWidth();
    ctx.setStrokeColor(layer.borderColor());
    ctx.setLineWidth(w);
    gfx::Rect inner = r.inset(w / 2, w / 2);
    addShape(ctx, inner, radius > 0 ? std::max(0.0, radius - w / 2) : 0);
    ctx.strokePath();
  }
}

}  // namespace

void Renderer::drawTree(View& root, gfx::Context& ctx) {
  gfx::StateSaver s(ctx);
  drawContent(root, ctx, root.presentationBounds());
}

void Renderer::drawView(View& v, gfx::Context& ctx) {
  if (v.isHidden()) return;
  double alpha = v.presentationAlpha();
  double progress = 0;
  const ViewTransition* transition = AnimationEngine::shared().transition(v, &progress);
  if (alpha <= 0 && !transition) return;
  gfx::Point c = v.presentationCenter();
  gfx::Rect b = v.presentationBounds();
  gfx::AffineTransform t = v.presentationTransform();

  gfx::StateSaver saver(ctx);
  ctx.translate(c.x, c.y);
  if (!t.isIdentity()) ctx.concat(t);

  bool showSnapshot = false;
  double liveAlpha = alpha;
  if (transition) {
    bool flip = transition->kind == AnimationTransition::FlipFromLeft ||
                transition->kind == AnimationTransition::FlipFromRight;
    if (flip) {
      // A flip about the vertical axis, seen edge-on at the half-way point.
      double squeeze = std::max(0.02, std::fabs(std::cos(progress * gfx::kPi)));
      ctx.scale(squeeze, 1);
      showSnapshot = progress < 0.5;
    } else {
      // Cross-dissolve (and the curls, drawn the same way).
      if (!transition->snapshot.isEmpty() && progress < 1) {
        gfx::StateSaver s(ctx);
        ctx.setAlpha(ctx.alpha() * (1 - progress));
        ctx.drawImage(transition->snapshot,
                      gfx::Rect(-b.width() / 2, -b.height() / 2, b.width(), b.height()));
      }
      liveAlpha = alpha * progress;
    }
  }
  if (showSnapshot) {
    if (!transition->snapshot.isEmpty())
      ctx.drawImage(transition->snapshot,
                    gfx::Rect(-b.width() / 2, -b.height() / 2, b.width(), b.height()));
    return;
  }
  if (liveAlpha <= 0) return;
  ctx.translate(-b.width() / 2 - b.x(), -b.height() / 2 - b.y());
  bool group = liveAlpha < 1;
  const double outerOpacity = layerOpacity;
  if (group) {
    ctx.beginTransparencyLayer(liveAlpha);
    layerOpacity *= liveAlpha;
  }
  drawContent(v, ctx, b);
  if (group) {
    ctx.endTransparencyLayer();
    layerOpacity = outerOpacity;
  }
}

}  // namespace ui
