// Throughput of the packet codecs on bodies of the size the connections carry.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/DataEncrypt.h"
#include "core/LZW.h"
#include "core/MDBF.h"

namespace {

constexpr size_t kBody = 9000;

// Quote-list-like text: codes, names, prices and volumes.
std::vector<uint8_t> TextBody() {
  std::string s;
  std::mt19937 rng(7);
  const char* names[] = {"PFYH", "ZSYH", "GSYH", "ZGPA", "WKA", "GZMT"};
  while (s.size() < kBody) {
    char row[64];
    unsigned code = rng() % 1000, name = rng() % 6, yuan = rng() % 10000, fen = rng() % 100,
             volume = rng() % 1000000;
    std::snprintf(row, sizeof row, "600%03u,%s,%u.%02u,%u;", code, names[name], yuan, fen, volume);
    s += row;
  }
  s.resize(kBody);
  return {s.begin(), s.end()};
}

std::vector<uint8_t> RandomBody(int alphabet) {
  std::mt19937 rng(11);
  std::vector<uint8_t> b(kBody);
  for (auto& c : b) c = static_cast<uint8_t>(rng() % alphabet);
  return b;
}

void Compress(benchmark::State& state, std::vector<uint8_t> in) {
  auto work = std::make_unique<LzwWorkArea>();
  std::vector<uint8_t> out(kBody);
  for (auto _ : state) {
    uint32_t r = LzwCompress(work.get(), in.data(), static_cast<uint16_t>(in.size()), out.data(),
                             static_cast<uint16_t>(out.size()));
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

void Decompress(benchmark::State& state, std::vector<uint8_t> in) {
  auto work = std::make_unique<LzwWorkArea>();
  std::vector<uint8_t> packed(kBody), out(kBody);
  uint32_t n = LzwCompress(work.get(), in.data(), static_cast<uint16_t>(in.size()), packed.data(),
                           static_cast<uint16_t>(packed.size()));
  if (LzwFailed(n)) {
    state.SkipWithError("body does not compress");
    return;
  }
  state.counters["ratio"] = static_cast<double>(n) / static_cast<double>(in.size());
  for (auto _ : state) {
    uint32_t r = LzwDecompress(work.get(), packed.data(), static_cast<uint16_t>(n), out.data(),
                               static_cast<uint16_t>(out.size()));
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

void BM_LzwCompressText(benchmark::State& s) {
  Compress(s, TextBody());
}
void BM_LzwCompressRandom(benchmark::State& s) {
  Compress(s, RandomBody(256));
}
void BM_LzwCompressRandom16(benchmark::State& s) {
  Compress(s, RandomBody(16));
}
void BM_LzwDecompressText(benchmark::State& s) {
  Decompress(s, TextBody());
}
void BM_LzwDecompressRandom16(benchmark::State& s) {
  Decompress(s, RandomBody(16));
}
BENCHMARK(BM_LzwCompressText);
BENCHMARK(BM_LzwCompressRandom);
BENCHMARK(BM_LzwCompressRandom16);
BENCHMARK(BM_LzwDecompressText);
BENCHMARK(BM_LzwDecompressRandom16);

void BM_Rc5Encrypt(benchmark::State& state) {
  std::vector<uint8_t> in = TextBody();
  std::vector<uint8_t> out(kBody + 16);
  for (auto _ : state) {
    int n = CDataEncrypt::Encrypt(in.data(), kBody, out.data(), static_cast<int>(out.size()),
                                  kRequestKey1);
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBody));
}
BENCHMARK(BM_Rc5Encrypt);

void BM_Rc5Decrypt(benchmark::State& state) {
  std::vector<uint8_t> in = TextBody();
  std::vector<uint8_t> frame(kBody + 16), out(kBody + 16);
  int n = CDataEncrypt::Encrypt(in.data(), kBody, frame.data(), static_cast<int>(frame.size()),
                                kRequestKey1);
  for (auto _ : state) {
    int r = CDataEncrypt::Decrypt(frame.data(), n, out.data(), n, kRequestKey1);
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBody));
}
BENCHMARK(BM_Rc5Decrypt);

// A 30-record quote-list-like table: code text, name in UTF-16, and 18 integers.
void FillRecord(MDBF& t, int i) {
  char code[16];
  std::snprintf(code, sizeof code, "%06d", 600000 + i);
  t.AddStringField(1, code);
  t.SetNSString(2, std::u16string_view(u"招商银行"));
  for (int f = 0; f < 18; ++f) t.AddIntField(10 + f, 100000 + i * 1000 + f * 70000);
}

std::vector<uint8_t> Serialized(int records, int* size) {
  MDBF all;
  for (int i = 0; i < records; ++i) {
    MDBF one;
    FillRecord(one, i);
    if (i == 0)
      all.CopyFrom(one, 0, -1);
    else
      all.Merge(one);
  }
  std::vector<uint8_t> out(16384);
  *size = all.SerializeAll(out.data(), static_cast<int>(out.size()), nullptr);
  out.resize(static_cast<size_t>(*size));
  return out;
}

void BM_MdbfBuildSerialize(benchmark::State& state) {
  int size = 0;
  for (auto _ : state) {
    std::vector<uint8_t> out = Serialized(30, &size);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_MdbfBuildSerialize);

void BM_MdbfParse(benchmark::State& state) {
  int size = 0;
  std::vector<uint8_t> body = Serialized(30, &size);
  state.counters["bytes"] = size;
  for (auto _ : state) {
    MDBF t;
    int r = t.Parse(body.data(), size);
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_MdbfParse);

void BM_MdbfParseAndRead(benchmark::State& state) {
  int size = 0;
  std::vector<uint8_t> body = Serialized(30, &size);
  for (auto _ : state) {
    MDBF t;
    t.Parse(body.data(), size);
    int64_t sum = 0;
    for (int r = 0; r < t.GetRecordNum(); ++r) {
      t.Seek(r);
      for (int f = 10; f < 28; ++f) sum += t.GetInt(f);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_MdbfParseAndRead);

}  // namespace
