// Process-wide logging to standard error with a timestamp.
// Error lines begin with a run of "!" so they stand out in a long log.
#pragma once

#include <cstdarg>
#include <functional>
#include <string>

namespace foundation {

enum class LogLevel { Verbose = 0, Info = 1, Error = 2 };

// Lines below this level are dropped. Default: Info.
void setLogLevel(LogLevel level);
LogLevel logLevel();

// Replaces the standard-error writer (tests capture lines this way); an empty sink restores it.
// The sink receives the formatted line without timestamp or trailing newline.
using LogSink = std::function<void(LogLevel, const std::string&)>;
void setLogSink(LogSink sink);

// Control characters in the text (line breaks, other C0 codes, DEL) are written as backslash
// codes (\n, \r, \t, \x1B), so one call is always one line; trailing line breaks are dropped.
void logMessage(LogLevel level, const std::string& text);
void logVerbose(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void logInfo(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Prefixes the line with "!!!!!!!".
void logError(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace foundation
