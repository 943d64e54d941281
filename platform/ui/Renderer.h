// Internal: draws view trees into a drawing context with their presentation values.
#pragma once

namespace gfx {
class Context;
struct Rect;
class Image;
enum class TextAlignment;
}  // namespace gfx

namespace ui {

class View;
enum class ContentMode;
enum class ContentsGravity;

class Renderer {
 public:
  // Draws `root`'s content and subtree in `root`'s bounds coordinates (its own position and
  // transform are the caller's business).
  static void drawTree(View& root, gfx::Context& ctx);
  // Draws `view` placed in its superview's bounds coordinates.
  static void drawView(View& view, gfx::Context& ctx);
};

// Where an image of `imageSize` goes inside `bounds` under a content mode.
gfx::Rect imageRectForContentMode(ContentMode mode, const gfx::Rect& bounds, double imageWidth,
                                  double imageHeight);
ContentMode contentModeForGravity(ContentsGravity gravity);

}  // namespace ui
