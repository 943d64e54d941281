#include "platform/net/Md5.h"

#include <openssl/evp.h>

#include "platform/foundation/Log.h"

namespace net {

std::string md5Hex(const void* data, size_t length) {
  static const char kDigits[] = "0123456789abcdef";
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  static const unsigned char kEmpty = 0;
  if (!data) data = &kEmpty;  // an empty input may come with no buffer at all
  if (EVP_Digest(data, length, digest, &size, EVP_md5(), nullptr) != 1 || size != 16) {
    foundation::logError("md5Hex: digest failed");
    return {};
  }
  std::string hex(32, '0');
  for (unsigned i = 0; i < 16; ++i) {
    hex[2 * i] = kDigits[digest[i] >> 4];
    hex[2 * i + 1] = kDigits[digest[i] & 15];
  }
  return hex;
}

std::string md5Hex(std::string_view text) {
  return md5Hex(text.data(), text.size());
}

}  // namespace net
