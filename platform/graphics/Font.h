// Fonts by the names the screens use ("system 14", "bold system 12", "Helvetica-Bold",
// "STHeitiSC-Medium", ...), mapped onto the installed CJK font. Sizes are in points.
#pragma once

#include <string>
#include <string_view>

namespace gfx {

class Font {
 public:
  // The system font at 12 points.
  Font();

  static Font systemFont(double size);
  static Font boldSystemFont(double size);
  static Font italicSystemFont(double size);
  // A named face ("Helvetica", "Helvetica-Bold", "Arial-BoldMT", "Courier", "STHeitiSC-Medium",
  // "TrebuchetMS-Bold", ...). Every name maps onto the installed font; "Bold"/"Medium"/"Black"
  // in the name selects a bold weight, "Oblique"/"Italic" a slant. Unknown names give the
  // regular system face (no error: the original font list is open-ended).
  static Font named(std::string_view name, double size);
  // "system 14", "bold system 14", "italic system 9.5" or "<name> <size>" ("Helvetica-Bold 15").
  // A text without a size gets 12 points.
  static Font fromDescription(std::string_view description);

  // The name asked for ("system" for system fonts).
  const std::string& name() const { return name_; }
  double pointSize() const { return size_; }
  bool isBold() const { return bold_; }
  bool isItalic() const { return italic_; }
  bool isMonospace() const { return mono_; }
  Font withSize(double size) const;
  Font withBold(bool bold) const;

  // The installed family the face maps onto.
  std::string family() const;
  // Pango description text, e.g. "WenQuanYi Micro Hei Bold 14px".
  std::string pangoDescription() const;

  // Metrics from the installed font, in points: ascender above the baseline (positive),
  // descender below it (positive), line height = ascender + descender (+ line gap).
  double ascender() const;
  double descender() const;
  double lineHeight() const;

  // "bold system 14", "Helvetica-Bold 15": round-trips through fromDescription.
  std::string toString() const;

  friend bool operator==(const Font&, const Font&) = default;

 private:
  Font(std::string name, double size, bool bold, bool italic, bool mono);

  std::string name_;
  double size_ = 12;
  bool bold_ = false;
  bool italic_ = false;
  bool mono_ = false;
};

}  // namespace gfx
