// An INI file ([section] lines followed by key=value lines) held in memory as a list of lines.
// Look-ups are case-insensitive on section and key; only the first occurrence of a section is
// searched. Writes keep every other line, its order and its comments; Save writes the whole file
// back through a temporary file that is renamed over the old one.
//
// The locked operations (Load, GetStringLocked, GetInt, WriteStringLocked, WriteInt, Save) may be
// called from any thread; the unlocked ones are for use under the lock or on an object only one
// thread sees.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/MCriticalSection.h"

class MIniFile {
 public:
  static constexpr int kMaxFileSize = 1048576;  // larger files are not loaded
  static constexpr int kMaxLines = 16385;       // records an object holds at most
  static constexpr int kMaxPath = 511;          // characters of the path kept
  static constexpr int kMaxWrittenLine = 2047;  // characters of a "key=value" line written
  static constexpr uint16_t kSectionFlag = 0x0001;

  MIniFile();
  virtual ~MIniFile();
  MIniFile(const MIniFile&) = delete;
  MIniFile& operator=(const MIniFile&) = delete;

  // 0 loaded; -1 cannot open or larger than 1 MiB (the object is then empty but keeps the path,
  // so a later Save creates the file).
  int Load(const char* path);

  // Copies the value (cut to size - 1) or the default into out and returns out; null only when
  // out is null. A null or empty section or key gives an empty result, never the default.
  char* GetString(const char* section, const char* key, const char* def, char* out, int size);
  char* GetStringLocked(const char* section, const char* key, const char* def, char* out, int size);
  int GetInt(const char* section, const char* key, int def);

  // 1 done (also when the line already read the same), 0 refused.
  int WriteString(const char* section, const char* key, const char* value);
  int WriteStringLocked(const char* section, const char* key, const char* value);
  int WriteInt(const char* section, const char* key, int value);

  // 0 saved or nothing to save; -5 the file cannot be written. A failed save keeps the object
  // dirty so the next Save tries again.
  int Save();

  void Clear();

  // Line-level edits; positions are line indexes, clamped into 0..line count.
  int AppendLine(const char* text, uint16_t flags);
  int InsertLine(int pos, const char* text, uint16_t flags);
  // 1 changed; 0 unchanged (empty text, same text, or no line there).
  int ReplaceLine(int pos, const char* text);

  // Inspection, unlocked like the edits.
  int GetLineCount() const { return static_cast<int>(m_lines.size()); }
  const char* GetLineText(int index) const;
  bool IsSectionLine(int index) const;
  bool IsDirty() const { return m_dirty != 0; }
  const char* GetPath() const { return m_szPath; }

  // The file holds secrets: saves write it readable and writable by its owner only, and a
  // later Load makes a file that others can read owner-only at once. Kept across Load/Clear.
  void SetOwnerOnly(bool ownerOnly) { m_ownerOnly = ownerOnly; }

 private:
  struct Line {
    std::string text;
    uint16_t flags = 0;
  };
  enum class ReplaceResult { Changed, Same, Refused };

  int FindSection(const char* section) const;
  ReplaceResult Replace(size_t index, std::string text);
  bool Insert(size_t pos, std::string text, uint16_t flags);
  int WriteFile() const;

  MCriticalSection m_lock;
  char m_szPath[kMaxPath + 1];
  std::vector<Line> m_lines;
  uint8_t m_dirty;
  bool m_ownerOnly = false;
};

// The type of the global configuration objects; same behaviour as MIniFile.
class MIniFileExt : public MIniFile {
 public:
  MIniFileExt() = default;
  ~MIniFileExt() override = default;
};
