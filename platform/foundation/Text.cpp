#include "platform/foundation/Text.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace foundation {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at s[i]; advances i. Returns kReplacement on malformed input.
char32_t decodeUtf8(std::string_view s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    ++i;
    return c;
  }
  int extra;
  char32_t cp;
  char32_t min;
  if ((c & 0xE0) == 0xC0) {
    extra = 1, cp = c & 0x1F, min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2, cp = c & 0x0F, min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3, cp = c & 0x07, min = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  size_t j = i + 1;
  for (int k = 0; k < extra; ++k, ++j) {
    if (j >= s.size() || (static_cast<unsigned char>(s[j]) & 0xC0) != 0x80) {
      i = j;
      return kReplacement;
    }
    cp = (cp << 6) | (static_cast<unsigned char>(s[j]) & 0x3F);
  }
  i = j;
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string vformat(const char* fmt, va_list ap) {
  char small[256];
  va_list copy;
  va_copy(copy, ap);
  int n = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), fmt, ap);
  out.resize(static_cast<size_t>(n));
  return out;
}

std::string format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string out = vformat(fmt, ap);
  va_end(ap);
  return out;
}

std::u16string utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp = decodeUtf8(utf8, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 3);
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t u = utf16[i];
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
        u = 0x10000 + ((u - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
        ++i;
      } else {
        u = kReplacement;
      }
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      u = kReplacement;
    }
    appendUtf8(out, u);
  }
  return out;
}

std::u16string utf16FromLittleEndian(const void* bytes, size_t count) {
  std::u16string out(count, u'\0');
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  for (size_t i = 0; i < count; ++i) {
    out[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
  }
  return out;
}

std::optional<std::string> toStrictAscii(std::string_view utf8) {
  for (unsigned char c : utf8) {
    if (c > 0x7F) return std::nullopt;
  }
  return std::string(utf8);
}

bool isValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    size_t start = i;
    char32_t cp = decodeUtf8(bytes, i);
    if (cp == kReplacement) {
      // A literal U+FFFD is valid; a decoding failure is not.
      if (!(i - start == 3 && static_cast<unsigned char>(bytes[start]) == 0xEF &&
            static_cast<unsigned char>(bytes[start + 1]) == 0xBF &&
            static_cast<unsigned char>(bytes[start + 2]) == 0xBD))
        return false;
    }
  }
  return true;
}

int32_t leadingInt32(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) break;  // clamped below; stops the growth
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

std::string utf8Prefix(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  size_t cut = maxBytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut));
}

std::string utf8Quote(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  return utf8Prefix(text, maxBytes) + "...";
}

bool isBlank(std::string_view utf8) {
  for (char16_t c : utf8ToUtf16(utf8)) {
    if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r' && c != u'\u00A0' && c != u'\u3000')
      return false;
  }
  return true;
}

}  // namespace foundation
