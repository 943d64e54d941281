#include "platform/graphics/PangoSupport.h"

#include <cairo.h>

namespace gfx::detail {
namespace {

cairo_font_options_t* fontOptions() {
  static cairo_font_options_t* options = [] {
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
    return o;
  }();
  return options;
}

struct ThreadContext {
  PangoContext* context = nullptr;
  ~ThreadContext() {
    if (context) g_object_unref(context);
  }
};

}  // namespace

void applyFontOptions(PangoContext* context) {
  pango_cairo_context_set_font_options(context, fontOptions());
  pango_cairo_context_set_resolution(context, 72.0);
  pango_context_set_round_glyph_positions(context, FALSE);
}

PangoContext* drawContext() {
  thread_local ThreadContext holder;
  if (!holder.context) {
    PangoFontMap* map = pango_cairo_font_map_get_default();
    holder.context = pango_font_map_create_context(map);
    applyFontOptions(holder.context);
  }
  return holder.context;
}

PangoContext* measureContext() {
  thread_local ThreadContext holder;
  if (!holder.context) {
    PangoFontMap* map = pango_cairo_font_map_get_default();
    holder.context = pango_font_map_create_context(map);
    applyFontOptions(holder.context);
  }
  return holder.context;
}

PangoFontDescription* describe(const Font& font, double size) {
  PangoFontDescription* d = pango_font_description_new();
  std::string family = font.family();
  pango_font_description_set_family(d, family.c_str());
  pango_font_description_set_weight(d, font.isBold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(d, font.isItalic() ? PANGO_STYLE_OBLIQUE : PANGO_STYLE_NORMAL);
  if (!(size > 0)) size = 1;
  pango_font_description_set_absolute_size(d, size * PANGO_SCALE);
  return d;
}

}  // namespace gfx::detail

// Fontconfig and Pango keep process-wide caches that are never freed; the leak checker of the
// sanitizer builds must not count them against the program.
#if defined(__SANITIZE_ADDRESS__)
#define VERDAN_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VERDAN_LSAN 1
#endif
#endif
#ifdef VERDAN_LSAN
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libpango-1.0.so\n"
         "leak:libpangoft2-1.0.so\n"
         "leak:libpangocairo-1.0.so\n"
         "leak:libharfbuzz.so\n"
         // SDL's window mode opens D-Bus and keeps a small buffer until exit.
         "leak:libdbus-1.so\n";
}
#endif
