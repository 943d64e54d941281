// MD5 digests (RFC 1321) as 32 lower-case hexadecimal digits.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace net {

// Empty text (logged) only if the crypto library fails.
std::string md5Hex(const void* data, size_t length);
// Digest of the text's bytes as they are (UTF-8 for our texts).
std::string md5Hex(std::string_view text);

}  // namespace net
