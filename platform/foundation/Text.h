// Text conversions: printf-style formatting, UTF-8 <-> UTF-16, strict ASCII.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vformat(const char* fmt, va_list ap);

// Invalid UTF-8 sequences become U+FFFD; never fails.
std::u16string utf8ToUtf16(std::string_view utf8);
// Unpaired surrogates become U+FFFD; never fails.
std::string utf16ToUtf8(std::u16string_view utf16);

// Reads `count` little-endian UTF-16 units from bytes (unaligned safe).
std::u16string utf16FromLittleEndian(const void* bytes, size_t count);

// Fails (nullopt) on any byte outside 0..127, like a strict ASCII encoder.
std::optional<std::string> toStrictAscii(std::string_view utf8);

// True when the bytes are well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);

// The integer a text starts with, read as a text's intValue is: leading blanks skipped, an
// optional sign, then digits; saturated to the int32 range, 0 when there are no digits.
int32_t leadingInt32(std::string_view text);

// At most maxBytes bytes of the text, cut before a UTF-8 sequence rather than inside it (a
// sequence is never split; what precedes the cut stays as it was).
std::string utf8Prefix(std::string_view text, size_t maxBytes);
// True when the text holds nothing but white space (spaces, tabs, line ends, the no-break and
// the ideographic space): what a user sees as nothing typed.
bool isBlank(std::string_view utf8);
// The text as a log line quotes it: whole when it fits in maxBytes, else its UTF-8-safe prefix
// followed by "...".
std::string utf8Quote(std::string_view text, size_t maxBytes);

}  // namespace foundation
