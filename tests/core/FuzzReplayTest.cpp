// Replays the fuzz seeds and every input a fuzz run has found (tests/data/fuzz/<target>/) through
// the decoders under the sanitizers of the test build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/DataEncrypt.h"
#include "core/LZW.h"
#include "core/LineStep.h"
#include "core/MDBF.h"
#include "core/PacketHeader.h"

namespace {

std::vector<std::vector<uint8_t>> Inputs(const std::string& target) {
  std::vector<std::vector<uint8_t>> out;
  std::filesystem::path dir = std::filesystem::path(VERDAN_SOURCE_DIR) / "tests/data/fuzz" / target;
  if (!std::filesystem::is_directory(dir)) return out;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    std::ifstream f(e.path(), std::ios::binary);
    out.emplace_back(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  return out;
}

}  // namespace

TEST(FuzzReplay, RecordTables) {
  auto inputs = Inputs("mdbf");
  EXPECT_FALSE(inputs.empty());
  for (const auto& in : inputs) {
    MDBF t;
    int used = t.Parse(in.data(), static_cast<int>(in.size()));
    EXPECT_LE(used, static_cast<int>(in.size()));
    if (used > 0 && used < static_cast<int>(in.size()))
      t.AppendPacket(in.data() + used, static_cast<int>(in.size()) - used);
    char text[16];
    for (int r = 0; r < t.GetRecordNum(); ++r) {
      t.Seek(r);
      for (int s = 0; s < t.GetFieldNum(); ++s) {
        t.GetFieldText(t.GetFieldInfo(s)->no, text, sizeof text);
        t.GetNSString(t.GetFieldInfo(s)->no);
      }
    }
    uint8_t out[4096];
    t.SerializeAll(out, sizeof out, nullptr);
  }
}

TEST(FuzzReplay, TextPairsLzwCipherPackets) {
  for (const auto& in : Inputs("linestep")) {
    CLineStep b;
    b.Append(in.data(), static_cast<uint32_t>(in.size()));
    char out[8];
    for (int f = 0; f < 40; ++f) b.GetValue(f, out, sizeof out);
  }
  auto work = std::make_unique<LzwWorkArea>();
  std::vector<uint8_t> out(65535);
  for (const auto& in : Inputs("lzw")) {
    if (in.size() > 65535) continue;
    LzwDecompress(work.get(), in.data(), static_cast<uint16_t>(in.size()), out.data(), 65535);
  }
  for (const auto& in : Inputs("cipher")) {
    std::vector<uint8_t> dst(in.size() + 8);
    CDataEncrypt::Decrypt(in.data(), static_cast<int>(in.size()), dst.data(),
                          static_cast<int>(dst.size()), kRequestKey1);
  }
  for (const auto& in : Inputs("packet")) {
    PacketHeader h;
    uint8_t body[9000];
    int len = 0, used = 0;
    size_t pos = 0;
    while (pos < in.size() &&
           CutPacket(in.data() + pos, static_cast<int>(in.size() - pos), 9000, kRequestKey1,
                     work.get(), &h, body, sizeof body, &len, &used) == CutResult::Complete)
      pos += static_cast<size_t>(used);
  }
}
