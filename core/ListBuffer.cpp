#include "core/ListBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {
constexpr uint64_t kStep = 1024;
constexpr uint64_t kMaxBytes = 0xFFFFFC00u;  // largest multiple of 1024 a u32 holds
}  // namespace

tagListBuffer::~tagListBuffer() {
  std::free(m_pszData);
  m_pszData = nullptr;
  m_iUseSize = m_iMaxSize = 0;
}

tagListBuffer::tagListBuffer(tagListBuffer&& other) noexcept
    : m_pszData(std::exchange(other.m_pszData, nullptr)),
      m_iUseSize(std::exchange(other.m_iUseSize, 0)),
      m_iMaxSize(std::exchange(other.m_iMaxSize, 0)) {}

tagListBuffer& tagListBuffer::operator=(tagListBuffer&& other) noexcept {
  if (this != &other) {
    std::free(m_pszData);
    m_pszData = std::exchange(other.m_pszData, nullptr);
    m_iUseSize = std::exchange(other.m_iUseSize, 0);
    m_iMaxSize = std::exchange(other.m_iMaxSize, 0);
  }
  return *this;
}

void tagListBuffer::Clear() {
  if (m_iUseSize > 0) {
    std::memset(m_pszData, 0, m_iUseSize);
    m_iUseSize = 0;
  }
}

uint32_t tagListBuffer::Reserve(uint64_t n) {
  if (n <= m_iMaxSize) return m_iMaxSize;
  uint64_t rounded = (n + kStep - 1) / kStep * kStep;
  if (rounded > kMaxBytes) return m_iMaxSize;
  char* grown = static_cast<char*>(std::realloc(m_pszData, rounded));
  if (!grown) return m_iMaxSize;
  std::memset(grown + m_iMaxSize, 0, rounded - m_iMaxSize);
  m_pszData = grown;
  m_iMaxSize = static_cast<uint32_t>(rounded);
  return m_iMaxSize;
}

int tagListBuffer::Append(const void* data, uint32_t len) {
  uint64_t need = static_cast<uint64_t>(m_iUseSize) + len;
  // Doubling keeps long runs of small appends linear; the exact size is the fallback.
  if (need + 1 > m_iMaxSize &&
      Reserve(std::max<uint64_t>(need + 1, 2 * uint64_t{m_iMaxSize})) < need + 1)
    Reserve(need + 1);
  if (m_iMaxSize < need) return 0;
  if (len && data) std::memcpy(m_pszData + m_iUseSize, data, len);
  m_iUseSize = static_cast<uint32_t>(need);
  return 1;
}

int tagListBuffer::Extend(uint32_t n) {
  // The bytes past the used size are already zero.
  return Append(nullptr, n);
}

int tagListBuffer::Delete(int pos, int len) {
  if (pos < 0 || static_cast<uint32_t>(pos) >= m_iUseSize || len < 1 ||
      static_cast<uint32_t>(len) > m_iUseSize - static_cast<uint32_t>(pos))
    return 0;
  uint32_t tail = m_iUseSize - static_cast<uint32_t>(pos) - static_cast<uint32_t>(len);
  std::memmove(m_pszData + pos, m_pszData + pos + len, tail);
  m_iUseSize -= static_cast<uint32_t>(len);
  std::memset(m_pszData + m_iUseSize, 0, static_cast<size_t>(len));
  return 1;
}

TListBuffer::TListBuffer(int initialItems, int itemSize, int addNum) {
  if (initialItems > 0 && itemSize > 0 &&
      static_cast<int64_t>(initialItems) * itemSize <= INT32_MAX)
    Reserve(initialItems * itemSize);
  SetItemSize(itemSize);
  SetAddNum(addNum);
}

TListBuffer::~TListBuffer() {
  std::free(m_pszListBuffer);
  m_pszListBuffer = nullptr;
  m_lBufferSize = m_lMaxItemNum = m_lItemNum = 0;
}

TListBuffer::TListBuffer(TListBuffer&& other) noexcept
    : m_pszListBuffer(std::exchange(other.m_pszListBuffer, nullptr)),
      m_lBufferSize(std::exchange(other.m_lBufferSize, 0)),
      m_lItemSize(other.m_lItemSize),
      m_lMaxItemNum(std::exchange(other.m_lMaxItemNum, 0)),
      m_lItemNum(std::exchange(other.m_lItemNum, 0)),
      m_lAddNum(other.m_lAddNum) {}

TListBuffer& TListBuffer::operator=(TListBuffer&& other) noexcept {
  if (this != &other) {
    std::free(m_pszListBuffer);
    m_pszListBuffer = std::exchange(other.m_pszListBuffer, nullptr);
    m_lBufferSize = std::exchange(other.m_lBufferSize, 0);
    m_lItemSize = other.m_lItemSize;
    m_lMaxItemNum = std::exchange(other.m_lMaxItemNum, 0);
    m_lItemNum = std::exchange(other.m_lItemNum, 0);
    m_lAddNum = other.m_lAddNum;
  }
  return *this;
}

int TListBuffer::Reserve(int bytes) {
  if (bytes <= 0 || bytes <= m_lBufferSize) return m_lBufferSize;
  char* grown = static_cast<char*>(std::realloc(m_pszListBuffer, static_cast<size_t>(bytes)));
  if (!grown) return m_lBufferSize;
  // Cleared although nothing reads past the count: keeps GetData() deterministic.
  std::memset(grown + m_lBufferSize, 0, static_cast<size_t>(bytes - m_lBufferSize));
  m_pszListBuffer = grown;
  m_lBufferSize = bytes;
  m_lMaxItemNum = m_lBufferSize / m_lItemSize;
  return m_lBufferSize;
}

void TListBuffer::SetItemSize(int size) {
  if (size <= 0) return;
  if (m_pszListBuffer) std::memset(m_pszListBuffer, 0, static_cast<size_t>(m_lBufferSize));
  m_lItemSize = size;
  m_lMaxItemNum = m_lBufferSize / m_lItemSize;
  m_lItemNum = 0;
}

void TListBuffer::SetAddNum(int n) {
  if (n > 0) m_lAddNum = n;
}

bool TListBuffer::Grow(int n) {
  if (m_lItemNum >= m_lMaxItemNum - n) {
    int64_t items = static_cast<int64_t>(m_lItemNum) + (n > m_lAddNum ? n : m_lAddNum);
    int64_t bytes = items * m_lItemSize;
    if (bytes > INT32_MAX) return false;
    Reserve(static_cast<int>(bytes));
  }
  return static_cast<int64_t>(m_lItemNum) + n <= m_lMaxItemNum;
}

int TListBuffer::Append(const void* items, int n) {
  if (n < 1 || !items) return m_lItemNum;
  if (!Grow(n)) return m_lItemNum;
  std::memcpy(m_pszListBuffer + static_cast<size_t>(m_lItemNum) * m_lItemSize, items,
              static_cast<size_t>(n) * m_lItemSize);
  m_lItemNum += n;
  return m_lItemNum;
}

int TListBuffer::InsertAt(int pos, const void* items, int n) {
  if (n < 1 || !items || pos < 0) return m_lItemNum;
  if (!Grow(n) || pos >= m_lMaxItemNum) return m_lItemNum;
  if (pos > m_lItemNum) pos = m_lItemNum;
  size_t size = static_cast<size_t>(m_lItemSize);
  char* at = m_pszListBuffer + pos * size;
  std::memmove(at + n * size, at, static_cast<size_t>(m_lItemNum - pos) * size);
  std::memcpy(at, items, n * size);
  m_lItemNum += n;
  return m_lItemNum;
}

int TListBuffer::DeleteAt(int pos, int n) {
  if (pos < 0 || pos >= m_lItemNum || n < 1) return m_lItemNum;
  if (n > m_lItemNum - pos) n = m_lItemNum - pos;
  size_t size = static_cast<size_t>(m_lItemSize);
  std::memmove(m_pszListBuffer + pos * size, m_pszListBuffer + (pos + n) * size,
               static_cast<size_t>(m_lItemNum - pos - n) * size);
  m_lItemNum -= n;
  return m_lItemNum;
}

void* TListBuffer::CopyOut(int start, void* out, int n) const {
  if (!out || n < 1) return nullptr;
  size_t size = static_cast<size_t>(m_lItemSize);
  std::memset(out, 0, static_cast<size_t>(n) * size);
  if (start < 0) return nullptr;
  int avail = m_lItemNum - start;
  int take = avail < n ? avail : n;
  if (take > 0) std::memcpy(out, m_pszListBuffer + start * size, take * size);
  return out;
}

void TListBuffer::Clear() {
  if (m_pszListBuffer)
    std::memset(m_pszListBuffer, 0, static_cast<size_t>(m_lMaxItemNum) * m_lItemSize);
  m_lItemNum = 0;
}

int TListBuffer::Assign(const TListBuffer& other) {
  if (&other == this) return m_lItemNum;
  Clear();
  SetItemSize(other.m_lItemSize);
  return Append(other.m_pszListBuffer, other.m_lItemNum);
}

char* TListBuffer::GetAt(int i) const {
  if (i < 0 || i >= m_lItemNum) return nullptr;
  return m_pszListBuffer + static_cast<size_t>(i) * m_lItemSize;
}
