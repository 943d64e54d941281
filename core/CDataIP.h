// One server address list: up to 10 "host:port" texts with a hand-out position and a backup
// copy. The network threads and the main thread both use the lists, so every operation takes the
// list's own lock and a copy is taken whole; a connection works on a copy.
#pragma once

#include <mutex>

class CDataIP {
 public:
  static constexpr int kMaxAddresses = 10;
  static constexpr int kAddressSize = 256;

  CDataIP();
  ~CDataIP() = default;
  CDataIP(const CDataIP& other);
  CDataIP& operator=(const CDataIP& other);

  // Everything zeroed: count 0, current -1, offset 0, backup empty.
  void Clear();
  // Appends unless the list is full or holds the same text without regard to case; after an
  // append the backup is refreshed. Returns the count.
  int AddIP(const char* address);
  void SaveList();
  // Back to the backup copy, hand-out position restarted.
  void RestoreList();
  // 1 removed (later addresses move down), 0 index out of range. The backup is untouched.
  int DeleteIndex(int index);
  // Removes the address equal to `address` without regard to case, in one locked step, so a
  // list changed by another thread since the address was read never loses a different one.
  // 1 removed, 0 not in the list. The backup is untouched.
  int DeleteIP(const char* address);
  // A copy of the list, restored from the backup first when it is empty; one locked step.
  CDataIP CopyRestoringIfEmpty();
  // 1 and the address; 0 and "" outside 0..count-1.
  int GetIP(int index, char* out, int size) const;
  // The address after the previous one handed out; 1 while not every address was handed out
  // since the last Reset, 0 (with the address still copied) once they all were.
  int GetNextIP(char* out, int size);
  // The address handed out last; 0 and "" when none was since the last Reset.
  int GetLastIP(char* out, int size) const;
  void Reset();
  int GetCount() const;
  void logIPList() const;

 private:
  void LogListLocked() const;
  void CopyFromLocked(const CDataIP& other);
  int DeleteLocked(int index);

  mutable std::mutex m_mutex;
  char m_szAddress[kMaxAddresses][kAddressSize];
  int m_iCount;
  int m_iCurrent;
  int m_iOffset;
  char m_szBackup[kMaxAddresses][kAddressSize];
  int m_iBackupCount;
};
