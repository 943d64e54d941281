// Loopback send throughput in the sizes the connections use, and MD5 of identifier-sized and
// page-sized inputs.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/net/Md5.h"
#include "platform/net/Socket.h"

namespace {

void BM_Md5(benchmark::State& state) {
  std::string input(size_t(state.range(0)), 'k');
  for (auto _ : state) benchmark::DoNotOptimize(net::md5Hex(input));
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Md5)->Arg(17)->Arg(9000)->Arg(1 << 20);

// One connected pair: our socket sends, a plain thread drains the accepted end.
void BM_SendAllLoopback(benchmark::State& state) {
  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  socklen_t len = sizeof sa;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len);
  ::listen(listener, 1);
  auto s = net::Socket::create();
  if (!s || s->connect(net::Ipv4Address::loopback(), ntohs(sa.sin_port), 5.0) != 0) {
    state.SkipWithError("no loopback connection");
    ::close(listener);
    return;
  }
  int peer = ::accept(listener, nullptr, nullptr);
  std::thread drain([peer] {
    char buf[65536];
    while (::recv(peer, buf, sizeof buf, 0) > 0) {
    }
  });
  std::string chunk(size_t(state.range(0)), 'q');
  for (auto _ : state) {
    if (s->sendAll(chunk.data(), chunk.size(), 10.0) != 0) {
      state.SkipWithError("send failed");
      break;
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
  s->close();
  drain.join();
  ::close(peer);
  ::close(listener);
}
BENCHMARK(BM_SendAllLoopback)->Arg(64)->Arg(8192)->Arg(1 << 20);

}  // namespace
