// Shared by the fuzz targets: log lines are dropped before any input runs (a target can write
// hundreds of megabytes of them in minutes), scratch files live in memory, and work queued on
// the main loop is run after each input so nothing piles up between inputs.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/CoreText.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"

namespace fuzzsupport {

inline const bool kLogsDropped = [] {
  foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
  return true;
}();

// A private folder for files the target writes, on a memory file system when there is one
// (saves sync their files).
inline const std::string& ScratchDir() {
  static const std::string dir = [] {
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/verdan-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern.data());
    return std::string(made ? made : base.c_str());
  }();
  return dir;
}

inline std::string ScratchPath(const char* name) {
  return ScratchDir() + "/" + name;
}

inline void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  if (size) std::fwrite(data, 1, size, file);
  std::fclose(file);
}

// Runs what the input queued on the main loop (the fuzzer's thread is the main thread).
inline void DrainMainLoop() {
  auto loop = foundation::RunLoop::main();
  for (int i = 0; i < 1000 && loop->runOnce(foundation::kDefaultRunLoopMode, 0); ++i) {
  }
}

// For the targets that feed the core's receive side: documents in the scratch folder and the
// packets the core would send dropped.
inline void InitCoreReceive() {
  foundation::setDocumentsDir(ScratchDir());
  InitDocumentPath(nullptr, 0);
  SetSendQueueSink([](SendQueueKind, const uint8_t*, int) {});
}

// A receive record holding one cut packet: `packet` is a 16-byte header and the body after it
// (`size` bytes in all, at least the header). The body is cut to what a record holds and the
// header's length field set to it; `bodyLen` gets the body's length.
inline std::vector<uint8_t> PacketRecord(const uint8_t* packet, size_t size, size_t& bodyLen) {
  std::vector<uint8_t> record(kReceiveRecordSize, 0);
  const int32_t status = kReceiveStatusPacket;
  std::memcpy(record.data(), &status, 4);
  bodyLen = size - kPacketHeaderSize;
  if (bodyLen > static_cast<size_t>(kReceiveRecordBodyCapacity))
    bodyLen = kReceiveRecordBodyCapacity;
  PacketHeader header;
  PacketHeader::Read(packet, kPacketHeaderSize, &header);
  header.bodyLen = static_cast<uint16_t>(bodyLen);
  header.Write(record.data() + kReceiveRecordHeaderOffset);
  std::memcpy(record.data() + kReceiveRecordBodyOffset, packet + kPacketHeaderSize, bodyLen);
  return record;
}

}  // namespace fuzzsupport
