#include "platform/graphics/Image.h"

#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/CairoContext.h"

namespace gfx {

struct Image::Rep {
  cairo_surface_t* surface = nullptr;
  double scale = 1;
  std::string name;
  // isOpaque's answer once known: -1 unknown, 0 no, 1 yes.
  mutable std::atomic<int> opaque{-1};
  ~Rep() {
    if (surface) cairo_surface_destroy(surface);
  }
};

namespace {

struct ReadState {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

cairo_status_t readChunk(void* closure, unsigned char* out, unsigned int length) {
  auto* st = static_cast<ReadState*>(closure);
  if (st->size - st->pos < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, st->data + st->pos, length);
  st->pos += length;
  return CAIRO_STATUS_SUCCESS;
}

cairo_status_t writeChunk(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

// Cairo hands back RGB24 or A8 for some PNGs; everything else here assumes ARGB32.
cairo_surface_t* toArgb(cairo_surface_t* s) {
  if (cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32) return s;
  int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(out);
  cairo_set_source_surface(cr, s, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return out;
}

bool readFile(const std::string& path, std::vector<uint8_t>* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool fileExists(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

std::mutex g_cacheMutex;
std::map<std::string, Image, std::less<>> g_named;

uint32_t unpremultiply(uint32_t px) {
  uint32_t a = px >> 24;
  if (a == 0) return 0;
  if (a == 255) return px;
  auto ch = [&](int shift) {
    uint32_t v = (px >> shift) & 0xff;
    return std::min<uint32_t>(255, (v * 255 + a / 2) / a);
  };
  return (a << 24) | (ch(16) << 16) | (ch(8) << 8) | ch(0);
}

uint32_t premultiply(uint32_t px) {
  uint32_t a = px >> 24;
  auto ch = [&](int shift) {
    uint32_t v = (px >> shift) & 0xff;
    return (v * a + 127) / 255;
  };
  return (a << 24) | (ch(16) << 16) | (ch(8) << 8) | ch(0);
}

}  // namespace

Image Image::fromCairoSurface(cairo_surface_t* surface, double scale, std::string name) {
  Image img;
  if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
    return img;
  cairo_surface_reference(surface);
  cairo_surface_flush(surface);
  auto rep = std::make_shared<Rep>();
  rep->surface = toArgb(surface);
  rep->scale = scale > 0 ? scale : 1;
  rep->name = std::move(name);
  img.rep_ = std::move(rep);
  return img;
}

Image Image::fromPngData(const void* data, size_t size, double scale) {
  if (!data || size < 8) return Image();
  ReadState st{static_cast<const uint8_t*>(data), size, 0};
  cairo_surface_t* s = cairo_image_surface_create_from_png_stream(readChunk, &st);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return Image();
  }
  Image img = fromCairoSurface(s, scale);
  cairo_surface_destroy(s);
  return img;
}

Image Image::fromFile(const std::string& path, double scale) {
  std::vector<uint8_t> bytes;
  if (!readFile(path, &bytes)) {
    foundation::logError("Image: cannot read \"%s\"", path.c_str());
    return Image();
  }
  Image img = fromPngData(bytes.data(), bytes.size(), scale);
  if (img.isEmpty()) {
    foundation::logError("Image: \"%s\" is not a readable PNG", path.c_str());
    return img;
  }
  std::const_pointer_cast<Rep>(img.rep_)->name = path;
  return img;
}

Image Image::named(std::string_view name) {
  if (name.empty()) return Image();
  {
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    auto it = g_named.find(name);
    if (it != g_named.end()) return it->second;
  }
  std::string file(name);
  std::string base = file;
  size_t slash = file.find_last_of('/');
  size_t dot = file.find_last_of('.');
  bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  if (hasExt)
    base = file.substr(0, dot);
  else
    file += ".png";
  std::string path = foundation::bundlePath(file);
  double scale = 1;
  if (!fileExists(path)) {
    std::string twice = foundation::bundlePath(base + "@2x" + (hasExt ? file.substr(dot) : ".png"));
    if (fileExists(twice)) {
      path = twice;
      scale = 2;
    }
  }
  Image img;
  std::vector<uint8_t> bytes;
  if (!readFile(path, &bytes)) {
    foundation::logError("Image: no image named \"%s\" in the bundle", std::string(name).c_str());
  } else {
    img = fromPngData(bytes.data(), bytes.size(), scale);
    if (img.isEmpty())
      foundation::logError("Image: \"%s\" is not a readable PNG", path.c_str());
    else
      std::const_pointer_cast<Rep>(img.rep_)->name = std::string(name);
  }
  // Missing images are cached too, so a screen redrawing with a missing name logs once.
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  g_named.emplace(std::string(name), img);
  return img;
}

void Image::clearNamedCache() {
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  g_named.clear();
}

Image Image::fromArgb(int w, int h, const std::vector<uint32_t>& argb, double scale) {
  if (w <= 0 || h <= 0 || argb.size() < static_cast<size_t>(w) * static_cast<size_t>(h))
    return Image();
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return Image();
  }
  cairo_surface_flush(s);
  uint8_t* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < w; ++x) row[x] = premultiply(argb[static_cast<size_t>(y) * w + x]);
  }
  cairo_surface_mark_dirty(s);
  Image img = fromCairoSurface(s, scale);
  cairo_surface_destroy(s);
  return img;
}

Image Image::filled(Size size, const Color& color, double scale) {
  if (!(scale > 0)) scale = 1;
  int w = static_cast<int>(std::ceil(size.width * scale - 1e-9));
  int h = static_cast<int>(std::ceil(size.height * scale - 1e-9));
  if (w <= 0 || h <= 0 || w > 32767 || h > 32767) return Image();
  ImageContext ic(Size(w / scale, h / scale), scale);
  if (!color.isClear()) {
    ic.context().setFillColor(color);
    ic.context().fillRect(Rect(0, 0, w / scale, h / scale));
  }
  return ic.image();
}

Size Image::size() const {
  if (!rep_) return Size();
  return Size(pixelWidth() / rep_->scale, pixelHeight() / rep_->scale);
}
double Image::scale() const {
  return rep_ ? rep_->scale : 1;
}
int Image::pixelWidth() const {
  return rep_ ? cairo_image_surface_get_width(rep_->surface) : 0;
}
int Image::pixelHeight() const {
  return rep_ ? cairo_image_surface_get_height(rep_->surface) : 0;
}
const std::string& Image::name() const {
  static const std::string empty;
  return rep_ ? rep_->name : empty;
}

Image Image::stretchable(int leftCapWidth, int topCapHeight) const {
  if (isEmpty()) return *this;
  Size s = size();
  double left = std::clamp<double>(leftCapWidth, 0, s.width);
  double top = std::clamp<double>(topCapHeight, 0, s.height);
  // A zero cap stretches that direction whole; otherwise the one point after the cap stretches.
  double right = left > 0 ? std::max(0.0, s.width - left - 1) : 0;
  double bottom = top > 0 ? std::max(0.0, s.height - top - 1) : 0;
  Image img = *this;
  img.caps_ = EdgeInsets(top, left, bottom, right);
  img.stretchable_ = true;
  return img;
}

Image Image::resizable(const EdgeInsets& capInsets) const {
  if (isEmpty()) return *this;
  Size s = size();
  EdgeInsets c = capInsets;
  c.left = std::clamp(c.left, 0.0, s.width);
  c.right = std::clamp(c.right, 0.0, s.width - c.left);
  c.top = std::clamp(c.top, 0.0, s.height);
  c.bottom = std::clamp(c.bottom, 0.0, s.height - c.top);
  Image img = *this;
  img.caps_ = c;
  img.stretchable_ = true;
  return img;
}

Image Image::scaled(Size size) const {
  if (isEmpty() || size.isEmpty()) return Image();
  double sc = scale();
  ImageContext ic(size, sc);
  ic.context().drawImage(*this, Rect(Point(), size));
  Image out = ic.image();
  return out;
}

Image Image::cropped(const Rect& rect) const {
  if (isEmpty()) return Image();
  Rect r = rect.intersection(Rect(Point(), size()));
  if (r.isNull() || r.isEmpty()) return Image();
  ImageContext ic(r.size, scale());
  Image plain = *this;
  plain.stretchable_ = false;
  ic.context().drawImage(plain, Rect(Point(-r.x(), -r.y()), size()));
  return ic.image();
}

uint32_t Image::pixelArgb(int x, int y) const {
  if (!rep_ || x < 0 || y < 0 || x >= pixelWidth() || y >= pixelHeight()) return 0;
  const uint8_t* row = data() + static_cast<size_t>(y) * stride();
  uint32_t px;
  std::memcpy(&px, row + static_cast<size_t>(x) * 4, 4);
  return unpremultiply(px);
}

Color Image::pixel(int x, int y) const {
  return Color::fromArgb32(pixelArgb(x, y));
}

const uint8_t* Image::data() const {
  return rep_ ? cairo_image_surface_get_data(rep_->surface) : nullptr;
}
int Image::stride() const {
  return rep_ ? cairo_image_surface_get_stride(rep_->surface) : 0;
}

bool Image::isOpaque() const {
  if (!rep_) return false;
  int known = rep_->opaque.load();
  if (known >= 0) return known == 1;
  bool opaque = true;
  cairo_surface_t* surface = rep_->surface;
  if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32) {
    cairo_surface_flush(surface);
    const int w = pixelWidth(), h = pixelHeight();
    for (int y = 0; y < h && opaque; ++y) {
      const uint8_t* row = data() + static_cast<size_t>(y) * stride();
      for (int x = 0; x < w; ++x) {
        uint32_t px;
        std::memcpy(&px, row + static_cast<size_t>(x) * 4, 4);
        if ((px >> 24) != 0xFF) {
          opaque = false;
          break;
        }
      }
    }
  } else if (cairo_image_surface_get_format(surface) != CAIRO_FORMAT_RGB24) {
    opaque = false;
  }
  rep_->opaque.store(opaque ? 1 : 0);
  return opaque;
}

cairo_surface_t* Image::cairoSurface() const {
  return rep_ ? rep_->surface : nullptr;
}

std::vector<uint8_t> Image::pngData() const {
  std::vector<uint8_t> out;
  if (!rep_) return out;
  if (cairo_surface_write_to_png_stream(rep_->surface, writeChunk, &out) != CAIRO_STATUS_SUCCESS)
    out.clear();
  return out;
}

bool Image::writePng(const std::string& path) const {
  if (!rep_) {
    foundation::logError("Image: nothing to write to \"%s\"", path.c_str());
    return false;
  }
  std::vector<uint8_t> bytes = pngData();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out || bytes.empty()) {
    foundation::logError("Image: cannot write \"%s\"", path.c_str());
    return false;
  }
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace gfx
