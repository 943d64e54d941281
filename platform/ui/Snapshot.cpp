#include "platform/graphics/CairoContext.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"

namespace ui {

gfx::Image snapshotView(View& view) {
  // The picture is of what the view shows once laid out: a change made just before (another
  // security's labels, a page's bar) is not yet laid out, and the picture would keep it so for as
  // long as it stands in for the view.
  view.layoutIfNeeded();
  gfx::Rect b = view.presentationBounds();
  if (b.isEmpty()) return {};
  gfx::ImageContext image(b.size, Screen::main().scale());
  if (!image.isValid()) return {};
  gfx::Context& ctx = image.context();
  ctx.translate(-b.x(), -b.y());
  Renderer::drawTree(view, ctx);
  return image.image();
}

}  // namespace ui
