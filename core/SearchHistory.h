// The last ten stocks whose detail page the user opened, newest first, offered as the search
// history; stored in the documents folder as "seacher_his.dat" in the stock-list file format,
// which "sp_sv.dat" shares.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "core/ListBuffer.h"
#include "core/StockData.h"

// What the search screens show for one stock.
struct SearchHistoryEntry {
  std::u16string StockName;  // at most 16 units
  std::string StockCode;
  int StockType = 0;  // zqlb
  int Market = 0;
};

class CSearchHistory {
 public:
  static constexpr int kMaxItems = 10;

  // Loads "seacher_his.dat".
  CSearchHistory();
  virtual ~CSearchHistory() = default;
  CSearchHistory(const CSearchHistory&) = delete;
  CSearchHistory& operator=(const CSearchHistory&) = delete;

  // Drops what is held and loads the file again (at most the ten newest stocks).
  void Init();
  // A stock already present (same market and code) stays where it is; otherwise it goes in
  // front and the eleventh is dropped.
  void Add(const tagLocalStockData& record);
  // Copies; entry i describes record i.
  std::vector<SearchHistoryEntry> GetArray() const;
  // The records (of tagLocalStockData) for SaveStockFile. Main thread only.
  const TListBuffer& GetList() const { return m_records; }
  // Writes the history to its file, where Init finds it. Main thread only.
  bool Save() const;
  int GetCount() const;

 private:
  static SearchHistoryEntry MakeEntry(const tagLocalStockData& record);

  mutable std::mutex m_lock;
  std::vector<SearchHistoryEntry> m_entries;
  TListBuffer m_records;
};

CSearchHistory& GetSearchHistory();

// File kinds of the stock-list files in the documents folder.
inline constexpr int kStockFileSpSv = 0;     // "sp_sv.dat"
inline constexpr int kStockFileHistory = 1;  // "seacher_his.dat"

// Appends the file's records (at most maxRecords) to list (item size sizeof(tagLocalStockData));
// records a short file lacks come back empty. False when the file is missing, unreadable or of
// another format (which is deleted).
bool LoadStockFile(int kind, TListBuffer& list, int maxRecords = 32767);
// Writes list (items of tagLocalStockData) to the file; the old file stays whole on failure.
bool SaveStockFile(int kind, const TListBuffer& list);

std::string GetDocumentsPath();
bool IsDocFileExists(const char* name);
// The path of name in the documents folder; an empty file is created there when none exists.
std::string GetDocFilePath(const char* name);
bool DeleteDocFile(const char* name);
