#include "core/MIniFile.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

#include "platform/foundation/DurableFile.h"
#include "platform/foundation/Log.h"

namespace {

constexpr size_t kMaxName = 99;  // characters of a key or bracketed section name compared

// Spaces only: tabs are part of the text.
std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\n')) s.remove_suffix(1);
  return s;
}

// The key part of a line: the text before the first '=' (all of it when there is none), trimmed
// and cut to the compared length.
std::string_view KeyPart(const std::string& text) {
  std::string_view s(text);
  s = s.substr(0, s.find('='));
  return TrimSpaces(s).substr(0, kMaxName);
}

bool EqualNoCase(std::string_view a, const char* b) {
  size_t n = std::strlen(b);
  return a.size() == n && strncasecmp(a.data(), b, n) == 0;
}

std::string Bracketed(const char* section) {
  std::string name = "[";
  name += section;
  name += ']';
  if (name.size() > kMaxName) name.resize(kMaxName);
  return name;
}

void CopyOut(std::string_view value, char* out, int size) {
  size_t n = std::min(value.size(), static_cast<size_t>(size - 1));
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
}

}  // namespace

MIniFile::MIniFile() : m_szPath{}, m_dirty(0) {}

MIniFile::~MIniFile() {
  MAutoLock hold(m_lock);
  Clear();
}

void MIniFile::Clear() {
  std::vector<Line>().swap(m_lines);
  std::memset(m_szPath, 0, sizeof m_szPath);
  m_dirty = 0;
}

int MIniFile::Load(const char* path) {
  MAutoLock hold(m_lock);
  Clear();
  if (!path) return -1;
  std::snprintf(m_szPath, sizeof m_szPath, "%s", path);

  FILE* file = std::fopen(m_szPath, "rb");
  if (!file) return -1;
  struct stat info {};
  if (m_ownerOnly && ::fstat(::fileno(file), &info) == 0 && (info.st_mode & 077) != 0 &&
      ::fchmod(::fileno(file), 0600) != 0)
    foundation::logError("MIniFile::Load cannot make %s owner-only", m_szPath);
  std::string content;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  long size = ok ? std::ftell(file) : -1;
  if (size < 0 || size > kMaxFileSize) {
    std::fclose(file);
    if (size > kMaxFileSize) foundation::logError("MIniFile::Load %s is too large", m_szPath);
    return -1;
  }
  std::rewind(file);
  content.resize(static_cast<size_t>(size));
  size_t got = std::fread(content.data(), 1, content.size(), file);
  std::fclose(file);
  content.resize(got);

  // Whole physical lines: a long value written by WriteString must come back as one line.
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string_view line(content.data() + start, end - start);
    start = end + 1;
    line = line.substr(0, line.find('\r'));
    line = line.substr(0, line.find('\0'));
    line = TrimSpaces(line);
    uint16_t flags = 0;
    if (!line.empty() && line.front() == '[' && line.find(']', 1) != std::string_view::npos) {
      flags = kSectionFlag;
    }
    // A refused line (line limit) is dropped and reading goes on.
    Insert(m_lines.size(), std::string(line), flags);
  }
  m_dirty = 0;
  return 0;
}

int MIniFile::FindSection(const char* section) const {
  std::string name = Bracketed(section);
  for (size_t i = 0; i < m_lines.size(); ++i) {
    const Line& line = m_lines[i];
    if (!(line.flags & kSectionFlag)) continue;
    if (line.text.size() >= name.size() &&
        strncasecmp(line.text.data(), name.data(), name.size()) == 0) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

char* MIniFile::GetString(const char* section, const char* key, const char* def, char* out,
                          int size) {
  if (!out || size < 1) return out;
  out[0] = '\0';
  if (!section || !*section || !key || !*key) return out;

  int found = FindSection(section);
  if (found >= 0) {
    for (size_t i = static_cast<size_t>(found) + 1; i < m_lines.size(); ++i) {
      const Line& line = m_lines[i];
      if (line.flags & kSectionFlag) break;
      size_t eq = line.text.find('=');
      if (eq == std::string::npos) continue;
      if (!EqualNoCase(KeyPart(line.text), key)) continue;
      std::string_view value(line.text);
      value = value.substr(eq + 1);
      value = TrimSpaces(value.substr(0, value.find(';')));
      CopyOut(value, out, size);
      return out;
    }
  }
  CopyOut(def ? def : "", out, size);
  return out;
}

char* MIniFile::GetStringLocked(const char* section, const char* key, const char* def, char* out,
                                int size) {
  MAutoLock hold(m_lock);
  return GetString(section, key, def, out, size);
}

int MIniFile::GetInt(const char* section, const char* key, int def) {
  char text[100];
  char defText[32];
  std::snprintf(defText, sizeof defText, "%d", def);
  {
    MAutoLock hold(m_lock);
    GetString(section, key, defText, text, sizeof text);
  }
  long value = std::strtol(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int>(value);
}

int MIniFile::WriteString(const char* section, const char* key, const char* value) {
  if (!section || !*section || !key || !*key) return 0;
  std::string text = key;
  text += '=';
  text += value ? value : "";
  // One physical line: a value holding a line break must not smuggle in lines of its own.
  text.resize(std::min(text.find_first_of("\r\n"), text.size()));
  if (text.size() > kMaxWrittenLine) text.resize(kMaxWrittenLine);

  int found = FindSection(section);
  if (found < 0) {
    // Both lines or none, so a refusal leaves no orphan section line.
    if (m_lines.size() + 2 > kMaxLines) return 0;
    if (!Insert(m_lines.size(), Bracketed(section), kSectionFlag)) return 0;
    if (!Insert(m_lines.size(), std::move(text), 0)) {
      m_lines.pop_back();
      return 0;
    }
    return 1;
  }
  for (size_t i = static_cast<size_t>(found) + 1; i < m_lines.size(); ++i) {
    const Line& line = m_lines[i];
    if (line.flags & kSectionFlag) return Insert(i, std::move(text), 0) ? 1 : 0;
    if (EqualNoCase(KeyPart(line.text), key)) {
      return Replace(i, std::move(text)) == ReplaceResult::Refused ? 0 : 1;
    }
  }
  return Insert(m_lines.size(), std::move(text), 0) ? 1 : 0;
}

int MIniFile::WriteStringLocked(const char* section, const char* key, const char* value) {
  MAutoLock hold(m_lock);
  return WriteString(section, key, value);
}

int MIniFile::WriteInt(const char* section, const char* key, int value) {
  char text[32];
  std::snprintf(text, sizeof text, "%d", value);
  MAutoLock hold(m_lock);
  return WriteString(section, key, text);
}

bool MIniFile::Insert(size_t pos, std::string text, uint16_t flags) {
  if (m_lines.size() >= kMaxLines) return false;
  if (pos > m_lines.size()) pos = m_lines.size();
  try {
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(pos),
                   Line{std::move(text), flags});
  } catch (const std::bad_alloc&) {
    foundation::logError("MIniFile::InsertLine out of memory");
    return false;
  }
  m_dirty = 1;
  return true;
}

MIniFile::ReplaceResult MIniFile::Replace(size_t index, std::string text) {
  Line& line = m_lines[index];
  if (line.text == text) return ReplaceResult::Same;
  line.text = std::move(text);
  line.flags = 0;
  m_dirty = 1;
  return ReplaceResult::Changed;
}

int MIniFile::AppendLine(const char* text, uint16_t flags) {
  return InsertLine(GetLineCount(), text, flags);
}

int MIniFile::InsertLine(int pos, const char* text, uint16_t flags) {
  if (!text) return 0;
  if (pos < 0) pos = 0;
  return Insert(static_cast<size_t>(pos), text, flags) ? 1 : 0;
}

int MIniFile::ReplaceLine(int pos, const char* text) {
  if (!text || !*text) return 0;
  if (pos < 0) pos = 0;
  if (static_cast<size_t>(pos) >= m_lines.size()) return 0;
  return Replace(static_cast<size_t>(pos), text) == ReplaceResult::Changed ? 1 : 0;
}

const char* MIniFile::GetLineText(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= m_lines.size()) return nullptr;
  return m_lines[static_cast<size_t>(index)].text.c_str();
}

bool MIniFile::IsSectionLine(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= m_lines.size()) return false;
  return (m_lines[static_cast<size_t>(index)].flags & kSectionFlag) != 0;
}

int MIniFile::WriteFile() const {
  // Replaced whole through a synced temporary file, so a crash or a full disk mid-save leaves
  // the old file whole. The folder must exist already.
  std::string text;
  for (const Line& line : m_lines) {
    text += line.text;
    text += '\n';
  }
  foundation::AtomicWriteOptions options;
  options.createFolders = false;
  if (m_ownerOnly) options.mode = 0600;
  if (foundation::writeFileAtomically(m_szPath, text, options)) return 0;
  foundation::logError("MIniFile::Save cannot write %s", m_szPath);
  return -5;
}

int MIniFile::Save() {
  MAutoLock hold(m_lock);
  if (!m_dirty) return 0;
  if (m_szPath[0] == '\0') {
    foundation::logError("MIniFile::Save without a path");
    return -5;
  }
  int result = WriteFile();
  if (result == 0) m_dirty = 0;
  return result;
}
