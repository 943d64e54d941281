// Growable byte buffer and growable list of fixed-size items, shared by the record tables,
// text bodies, the stored watch list and the screens' code lists.
#pragma once

#include <cstdint>

// Byte storage allocated in multiples of 1024 bytes (appends at least double it). The bytes past
// the used size are always zero, so text appended to the buffer reads as a NUL-terminated string
// (every append keeps one spare).
struct tagListBuffer {
  char* m_pszData = nullptr;
  uint32_t m_iUseSize = 0;
  uint32_t m_iMaxSize = 0;

  tagListBuffer() = default;
  ~tagListBuffer();
  tagListBuffer(const tagListBuffer&) = delete;
  tagListBuffer& operator=(const tagListBuffer&) = delete;
  tagListBuffer(tagListBuffer&& other) noexcept;
  tagListBuffer& operator=(tagListBuffer&& other) noexcept;

  // Zeroes the used bytes and empties the buffer; the storage is kept.
  void Clear();
  // Grows the storage to hold n bytes (rounded up to 1024); returns the capacity, unchanged when
  // the allocation fails.
  uint32_t Reserve(uint64_t n);
  // 1 when the bytes were appended, 0 (nothing changed) when there was no room.
  int Append(const void* data, uint32_t len);
  // Appends n zero bytes; 1 or 0 as Append.
  int Extend(uint32_t n);
  // Removes len bytes at pos and zeroes the freed tail; 0 when the range is not inside the used
  // bytes.
  int Delete(int pos, int len);

  char* GetData() const { return m_pszData; }
  uint32_t GetSize() const { return m_iUseSize; }
};

// Array of fixed-size items (default 10 bytes) that grows by at least m_lAddNum items at a time.
struct TListBuffer {
  char* m_pszListBuffer = nullptr;
  int32_t m_lBufferSize = 0;
  int32_t m_lItemSize = 10;
  int32_t m_lMaxItemNum = 0;
  int32_t m_lItemNum = 0;
  int32_t m_lAddNum = 10;

  TListBuffer() = default;
  TListBuffer(int initialItems, int itemSize, int addNum);
  ~TListBuffer();
  TListBuffer(const TListBuffer&) = delete;
  TListBuffer& operator=(const TListBuffer&) = delete;
  TListBuffer(TListBuffer&& other) noexcept;
  TListBuffer& operator=(TListBuffer&& other) noexcept;

  // Grows the storage to exactly `bytes` when larger; returns the byte size.
  int Reserve(int bytes);
  // Empties the list, zeroes the storage and sets the item size (ignored unless size > 0).
  void SetItemSize(int size);
  void SetAddNum(int n);
  // The operations below return the item count afterwards.
  int Append(const void* items, int n);
  // pos above the count appends; pos not below the capacity inserts nothing.
  int InsertAt(int pos, const void* items, int n);
  // n is cut to what lies after pos.
  int DeleteAt(int pos, int n);
  // Zeroes n items of out, then copies up to n items from start. Null on bad arguments.
  void* CopyOut(int start, void* out, int n) const;
  // Zeroes the storage and empties the list.
  void Clear();
  // Becomes a copy of other (item size and items).
  int Assign(const TListBuffer& other);

  char* GetData() const { return m_pszListBuffer; }
  int GetCount() const { return m_lItemNum; }
  int GetItemSize() const { return m_lItemSize; }
  // Item i, or null when i is not below the count.
  char* GetAt(int i) const;

 private:
  bool Grow(int n);
};
