#include "core/SearchHistory.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/ByteOrder.h"
#include "core/CoreText.h"
#include "platform/foundation/DurableFile.h"
#include "platform/foundation/Log.h"

namespace {

constexpr int kHeaderSize = 24;
constexpr int kRecordSize = 29;
constexpr int kNameBytes = 18;  // the first 9 UTF-16 units of the name
constexpr uint8_t kFormat = 1;

const char* FileName(int kind) {
  return kind == kStockFileHistory ? "seacher_his.dat" : "sp_sv.dat";
}

std::string FullPath(const char* name) {
  char path[1024];
  MakeFullPath(path, sizeof path, name);
  return path;
}

tagLocalStockData RecordFromFile(const uint8_t* bytes) {
  tagLocalStockData record;
  std::memset(&record, 0, sizeof record);
  for (int i = 0; i < kNameBytes / 2; ++i) record.name[i] = ReadLE16(bytes + 2 * i);
  std::memcpy(record.code, bytes + kNameBytes, 9);
  record.code[8] = '\0';
  record.zqlb = bytes[27];
  record.market = bytes[28];
  return record;
}

void RecordToFile(const tagLocalStockData& record, uint8_t* bytes) {
  std::memset(bytes, 0, kRecordSize);
  for (int i = 0; i < kNameBytes / 2; ++i) WriteLE16(bytes + 2 * i, record.name[i]);
  std::memcpy(bytes + kNameBytes, record.code, 9);
  bytes[27] = record.zqlb;
  bytes[28] = record.market;
}

const tagLocalStockData& RecordAt(const TListBuffer& list, int i) {
  return *reinterpret_cast<const tagLocalStockData*>(list.GetAt(i));
}

}  // namespace

CSearchHistory::CSearchHistory() : m_records(kMaxItems, sizeof(tagLocalStockData), kMaxItems) {
  Init();
}

CSearchHistory& GetSearchHistory() {
  static CSearchHistory history;
  return history;
}

SearchHistoryEntry CSearchHistory::MakeEntry(const tagLocalStockData& record) {
  SearchHistoryEntry entry;
  for (int i = 0; i < 16 && record.name[i]; ++i) entry.StockName += record.name[i];
  entry.StockCode.assign(record.code, strnlen(record.code, sizeof record.code));
  entry.StockType = record.zqlb;
  entry.Market = record.market;
  return entry;
}

void CSearchHistory::Init() {
  TListBuffer loaded(kMaxItems, sizeof(tagLocalStockData), kMaxItems);
  // A damaged count may claim thousands of records; the history holds ten.
  LoadStockFile(kStockFileHistory, loaded, kMaxItems);
  std::lock_guard<std::mutex> hold(m_lock);
  m_records.Clear();
  m_entries.clear();
  int count = std::min(loaded.GetCount(), kMaxItems);
  if (count > 0) m_records.Append(loaded.GetData(), count);
  for (int i = 0; i < count; ++i) m_entries.push_back(MakeEntry(RecordAt(m_records, i)));
}

bool CSearchHistory::Save() const {
  return SaveStockFile(kStockFileHistory, m_records);
}

void CSearchHistory::Add(const tagLocalStockData& record) {
  SearchHistoryEntry entry = MakeEntry(record);
  std::lock_guard<std::mutex> hold(m_lock);
  for (int i = 0; i < m_records.GetCount(); ++i) {
    const tagLocalStockData& held = RecordAt(m_records, i);
    if (held.market == record.market &&
        std::strncmp(held.code, record.code, sizeof held.code) == 0) {
      return;
    }
  }
  if (m_records.GetCount() >= kMaxItems) {
    m_records.DeleteAt(kMaxItems - 1, m_records.GetCount() - (kMaxItems - 1));
    m_entries.resize(kMaxItems - 1);
  }
  m_records.InsertAt(0, &record, 1);
  m_entries.insert(m_entries.begin(), std::move(entry));
}

std::vector<SearchHistoryEntry> CSearchHistory::GetArray() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_entries;
}

int CSearchHistory::GetCount() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_records.GetCount();
}

bool LoadStockFile(int kind, TListBuffer& list, int maxRecords) {
  const char* name = FileName(kind);
  if (!IsDocFileExists(name)) return false;
  if (list.GetItemSize() != static_cast<int>(sizeof(tagLocalStockData))) {
    if (list.GetCount() > 0) {
      foundation::logError("LoadStockFile: list of %d-byte items", list.GetItemSize());
      return false;
    }
    list.SetItemSize(sizeof(tagLocalStockData));
  }
  std::string path = FullPath(name);
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    foundation::logError("LoadStockFile: cannot open %s", path.c_str());
    return false;
  }
  uint8_t header[kHeaderSize] = {};
  size_t got = std::fread(header, 1, sizeof header, file);
  if (got < 1 || header[0] != kFormat) {
    std::fclose(file);
    foundation::logError("LoadStockFile: %s is not a stock list (format %d), deleted", name,
                         got ? header[0] : -1);
    std::remove(path.c_str());
    return false;
  }
  int count = std::min<int>(static_cast<int16_t>(ReadLE16(header + 2)), maxRecords);
  bool shortFile = false;
  for (int i = 0; i < count; ++i) {
    uint8_t bytes[kRecordSize] = {};
    if (std::fread(bytes, 1, sizeof bytes, file) < sizeof bytes) shortFile = true;
    tagLocalStockData record = RecordFromFile(bytes);
    list.Append(&record, 1);
  }
  std::fclose(file);
  if (shortFile)
    foundation::logError("LoadStockFile: %s is shorter than its count %d", name, count);
  return true;
}

bool SaveStockFile(int kind, const TListBuffer& list) {
  const char* name = FileName(kind);
  std::string path = GetDocFilePath(name);
  int count = std::min(list.GetCount(), 32767);
  if (list.GetItemSize() != static_cast<int>(sizeof(tagLocalStockData))) count = 0;

  std::vector<uint8_t> bytes(kHeaderSize + static_cast<size_t>(kRecordSize) * count, 0);
  bytes[0] = kFormat;
  WriteLE16(bytes.data() + 2, static_cast<uint16_t>(count));
  for (int i = 0; i < count; ++i) {
    RecordToFile(RecordAt(list, i), bytes.data() + kHeaderSize + kRecordSize * i);
  }

  // Replaced whole through a synced temporary file, so a failed save loses nothing stored.
  if (foundation::writeFileAtomically(
          path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
    return true;
  foundation::logError("SaveStockFile: cannot write %s", path.c_str());
  return false;
}

std::string GetDocumentsPath() {
  if (!GetDocumentPath()[0]) InitDocumentPath(nullptr, 0);
  return GetDocumentPath();
}

bool IsDocFileExists(const char* name) {
  if (!name) return false;
  return ::access(FullPath(name).c_str(), F_OK) == 0;
}

std::string GetDocFilePath(const char* name) {
  std::string path = FullPath(name ? name : "");
  if (name && ::access(path.c_str(), F_OK) != 0) {
    // Empty, and its owner's only from the start: the file is to hold the user's data.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
  }
  return path;
}

bool DeleteDocFile(const char* name) {
  if (!name) return false;
  return std::remove(FullPath(name).c_str()) == 0;
}
