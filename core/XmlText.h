// Element and attribute texts of the XML that the client and the message server exchange.
// Writers escape every value with XmlEscape; readers that take raw text (a parser told to
// leave references alone) turn it back with XmlUnescape, so what was typed is what arrives.
#pragma once

#include <string>
#include <string_view>

// '&', '<', '>', '"' and '\'' as "&amp;", "&lt;", "&gt;", "&quot;" and "&apos;"; every other
// byte is copied as it is.
std::string XmlEscape(std::string_view text);

// The five named references and character references ("&#38;", "&#x26;") back to their
// characters (UTF-8). A reference that is unknown, unterminated or names no character (0, a
// surrogate, past U+10FFFF) is kept as written.
std::string XmlUnescape(std::string_view text);
