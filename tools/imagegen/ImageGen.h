// Shared drawing helpers of the image generator; each area's images live in a file of its own
// (KLineImages.cpp, AccountImages.cpp, ...), called from main() in ImageGen.cpp.
#pragma once
#include <functional>
#include <string>

#include "platform/graphics/CairoContext.h"
#include "platform/graphics/Text.h"

namespace imagegen {

using gfx::Color;
using gfx::Context;
using gfx::Point;
using gfx::Rect;
using gfx::Size;

// Draws one image and writes it as <output folder>/<name>; failures are counted for main().
void Make(const std::string& name, Size size, const std::function<void(Context&)>& draw);
void FillRounded(Context& ctx, const Rect& r, double radius, const Color& color);
void VerticalGradient(Context& ctx, const Rect& r, const Color& top, const Color& bottom);
void CentredText(Context& ctx, const std::string& text, const Rect& r, const gfx::Font& font,
                 const Color& color);

// The images of the later screens, one function per area.
void KLineImages();
void AccountImages();
void MessagingImages();
void AlertImages();

}  // namespace imagegen
