#include <gtest/gtest.h>

#include "platform/net/Md5.h"

using namespace net;

// The test suite of RFC 1321, appendix A.5, plus inputs that trip naive text handling.
TEST(Md5, MatchesReferenceSuite) {
  struct Case {
    std::string input;
    const char* digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {std::string("a\0b", 3), "70350f6027bce3713f6b76473084309b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(md5Hex(c.input), c.digest);
    EXPECT_EQ(md5Hex(c.input.data(), c.input.size()), c.digest);
  }
  EXPECT_EQ(md5Hex(nullptr, 0), "d41d8cd98f00b204e9800998ecf8427e");
}
