#include "core/XmlText.h"

#include <cstdint>

namespace {

// A reference is short: the longest accepted is "&#x10FFFF;" or "&#1114111;".
constexpr size_t kMaxReference = 12;

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The character a numeric reference's digits name, or -1.
int64_t CharacterCode(std::string_view digits) {
  int base = 10;
  if (!digits.empty() && (digits[0] == 'x' || digits[0] == 'X')) {
    base = 16;
    digits.remove_prefix(1);
  }
  if (digits.empty()) return -1;
  int64_t code = 0;
  for (char c : digits) {
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') value = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') value = c - 'A' + 10;
    if (value < 0) return -1;
    code = code * base + value;
    if (code > 0x10FFFF) return -1;
  }
  if (code == 0 || (code >= 0xD800 && code <= 0xDFFF)) return -1;
  return code;
}

}  // namespace

std::string XmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string XmlUnescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const size_t amp = text.find('&', at);
    if (amp == std::string_view::npos) {
      out.append(text.substr(at));
      break;
    }
    out.append(text.substr(at, amp - at));
    at = amp + 1;
    const size_t semi = text.substr(at, kMaxReference).find(';');
    if (semi == std::string_view::npos) {
      out += '&';
      continue;
    }
    const std::string_view name = text.substr(at, semi);
    char named = 0;
    if (name == "amp") named = '&';
    if (name == "lt") named = '<';
    if (name == "gt") named = '>';
    if (name == "quot") named = '"';
    if (name == "apos") named = '\'';
    if (named) {
      out += named;
    } else if (!name.empty() && name[0] == '#' && CharacterCode(name.substr(1)) > 0) {
      AppendUtf8(out, static_cast<uint32_t>(CharacterCode(name.substr(1))));
    } else {
      out += '&';  // kept as written; the text after it is copied by the next turn
      continue;
    }
    at += semi + 1;
  }
  return out;
}
