// The receive buffer driven without a socket: bytes put in as reads would deliver them are cut
// the same way, whatever the read sizes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CSocket.h"
#include "core/DataEncrypt.h"
#include "tests/core/ConnectionTestSupport.h"

using conntest::MakePacket;

TEST(ReceiveStream, ReadsOfAnySizeCutTheSamePacketsAndAFullBufferNeverWaits) {
  const std::string first = MakePacket({145, 12, 12, 7}, std::string(300, 'x'));
  const std::string second = MakePacket({145, 22, 0, 8}, std::string(27, 'y'));
  const std::string stream = first + second + first;
  uint8_t header[16];
  uint8_t body[9000];
  for (size_t piece : {size_t{1}, size_t{7}, size_t{16}, stream.size()}) {
    SCOPED_TRACE(piece);
    CSocket socket("cut");
    std::vector<int> children;
    for (size_t at = 0; at < stream.size(); at += piece) {
      const std::string read = stream.substr(at, piece);
      ASSERT_EQ(socket.PutRecvData(read.data(), static_cast<int>(read.size())),
                static_cast<int>(read.size()));
      int result;
      while ((result = socket.GetPacket(header, body, 9000, kRequestKey1)) == 1)
        children.push_back(header[13]);
      ASSERT_EQ(result, 0);
    }
    EXPECT_EQ(children, (std::vector<int>{12, 22, 12}));
    EXPECT_EQ(socket.GetRecvLen(), 0);
  }

  // Only the free room is taken; a full buffer holding no whole packet is a bad stream.
  CSocket socket("full");
  std::string big = MakePacket({145, 12, 12, 7}, std::string(9500, 'z'));
  EXPECT_EQ(socket.PutRecvData(big.data(), static_cast<int>(big.size())), CSocket::kRecvBufferSize);
  EXPECT_EQ(socket.PutRecvData(big.data(), 1), 0);
  EXPECT_EQ(socket.GetPacket(header, body, 9000, kRequestKey1), -1);
}
