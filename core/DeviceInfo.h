// How the client describes the device it runs on, in the logins and suggestions:
// the description "model system-name system-version" and the device identifier (MD5 of the
// hardware-address text of the first non-loopback interface and the documents folder: one
// identity per installation, stable across runs).
#pragma once

#include <optional>
#include <string>

// "%s %s %s" of model, system name and system version.
std::string GetDeviceDescription();
// 32 lower-case hex digits.
std::string GetDeviceIdentifier();

// Writes the description as a zero-terminated text of at most cap - 1 bytes, ASCII only
// (nothing when it has a non-ASCII character); returns buf.
char* GetDeviceInfoString(char* buf, int cap);

// Fixed texts for tests; nullopt restores the running system's.
void OverrideDeviceTexts(std::optional<std::string> description,
                         std::optional<std::string> identifier);
