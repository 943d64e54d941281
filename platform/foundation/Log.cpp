#include "platform/foundation/Log.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "platform/foundation/Text.h"

namespace foundation {
namespace {

std::atomic<LogLevel> g_level{LogLevel::Info};

std::mutex& sinkMutex() {
  static std::mutex m;
  return m;
}

LogSink& sinkSlot() {
  static LogSink sink;
  return sink;
}

void writeStderr(const std::string& text) {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm tm{};
  localtime_r(&t, &tm);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tm);
  std::fprintf(stderr, "%s.%03d %s\n", stamp, ms, text.c_str());
}

// One log line per call: text from a server may carry line breaks or terminal codes, which
// would otherwise forge lines or rewrite the screen. Trailing line breaks end the line anyway.
std::string escapeControls(const std::string& text) {
  size_t end = text.size();
  while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r')) --end;
  std::string out;
  out.reserve(end);
  for (size_t i = 0; i < end; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != 0x7F) {
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

void emit(LogLevel level, const char* prefix, const char* fmt, va_list ap) {
  if (level < g_level.load(std::memory_order_relaxed)) return;
  std::string text = prefix;
  text += vformat(fmt, ap);
  logMessage(level, text);
}

}  // namespace

void setLogLevel(LogLevel level) {
  g_level.store(level);
}
LogLevel logLevel() {
  return g_level.load();
}

void setLogSink(LogSink sink) {
  std::lock_guard<std::mutex> lock(sinkMutex());
  sinkSlot() = std::move(sink);
}

void logMessage(LogLevel level, const std::string& raw) {
  std::string text = escapeControls(raw);
  std::lock_guard<std::mutex> lock(sinkMutex());
  if (sinkSlot()) {
    sinkSlot()(level, text);
  } else {
    writeStderr(text);
  }
}

void logVerbose(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  emit(LogLevel::Verbose, "", fmt, ap);
  va_end(ap);
}

void logInfo(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  emit(LogLevel::Info, "", fmt, ap);
  va_end(ap);
}

void logError(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  emit(LogLevel::Error, "!!!!!!!", fmt, ap);
  va_end(ap);
}

}  // namespace foundation
