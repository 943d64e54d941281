#include "core/CDataIP.h"

#include <strings.h>

#include <cstring>

#include "core/CoreText.h"
#include "platform/foundation/Log.h"

CDataIP::CDataIP() {
  Clear();
}

CDataIP::CDataIP(const CDataIP& other) {
  std::lock_guard<std::mutex> hold(other.m_mutex);
  CopyFromLocked(other);
}

void CDataIP::CopyFromLocked(const CDataIP& other) {
  std::memcpy(m_szAddress, other.m_szAddress, sizeof m_szAddress);
  std::memcpy(m_szBackup, other.m_szBackup, sizeof m_szBackup);
  m_iCount = other.m_iCount;
  m_iCurrent = other.m_iCurrent;
  m_iOffset = other.m_iOffset;
  m_iBackupCount = other.m_iBackupCount;
}

CDataIP& CDataIP::operator=(const CDataIP& other) {
  if (this == &other) return *this;
  CDataIP copy(other);  // taken under the other's lock only, so two lists never lock each other
  std::lock_guard<std::mutex> hold(m_mutex);
  std::memcpy(m_szAddress, copy.m_szAddress, sizeof m_szAddress);
  std::memcpy(m_szBackup, copy.m_szBackup, sizeof m_szBackup);
  m_iCount = copy.m_iCount;
  m_iCurrent = copy.m_iCurrent;
  m_iOffset = copy.m_iOffset;
  m_iBackupCount = copy.m_iBackupCount;
  return *this;
}

void CDataIP::Clear() {
  std::lock_guard<std::mutex> hold(m_mutex);
  std::memset(m_szAddress, 0, sizeof m_szAddress);
  std::memset(m_szBackup, 0, sizeof m_szBackup);
  m_iCount = 0;
  m_iCurrent = -1;
  m_iOffset = 0;
  m_iBackupCount = 0;
}

int CDataIP::AddIP(const char* address) {
  std::lock_guard<std::mutex> hold(m_mutex);
  if (!address || m_iCount >= kMaxAddresses) return m_iCount;
  for (int i = 0; i < m_iCount; ++i) {
    if (strncasecmp(m_szAddress[i], address, kAddressSize - 1) == 0) return m_iCount;
  }
  StrCopyUntil(m_szAddress[m_iCount], address, kAddressSize, 0);
  ++m_iCount;
  std::memcpy(m_szBackup, m_szAddress, sizeof m_szBackup);
  m_iBackupCount = m_iCount;
  return m_iCount;
}

void CDataIP::SaveList() {
  std::lock_guard<std::mutex> hold(m_mutex);
  std::memcpy(m_szBackup, m_szAddress, sizeof m_szBackup);
  m_iBackupCount = m_iCount;
}

void CDataIP::RestoreList() {
  std::lock_guard<std::mutex> hold(m_mutex);
  std::memcpy(m_szAddress, m_szBackup, sizeof m_szAddress);
  m_iCount = m_iBackupCount;
  m_iCurrent = -1;
  m_iOffset = 0;
  foundation::logInfo("After CDataIP::RestoreList");
  LogListLocked();
}

int CDataIP::DeleteIndex(int index) {
  std::lock_guard<std::mutex> hold(m_mutex);
  return DeleteLocked(index);
}

int CDataIP::DeleteIP(const char* address) {
  if (!address) return 0;
  std::lock_guard<std::mutex> hold(m_mutex);
  for (int i = 0; i < m_iCount; ++i) {
    if (strncasecmp(m_szAddress[i], address, kAddressSize - 1) == 0) return DeleteLocked(i);
  }
  return 0;
}

CDataIP CDataIP::CopyRestoringIfEmpty() {
  CDataIP copy;
  std::lock_guard<std::mutex> hold(m_mutex);
  if (m_iCount == 0) {
    std::memcpy(m_szAddress, m_szBackup, sizeof m_szAddress);
    m_iCount = m_iBackupCount;
    m_iCurrent = -1;
    m_iOffset = 0;
  }
  copy.CopyFromLocked(*this);
  return copy;
}

int CDataIP::DeleteLocked(int index) {
  if (index < 0 || index >= m_iCount) return 0;
  foundation::logInfo("Before CDataIP::DeleteIndex %d", index);
  LogListLocked();
  for (int i = index; i + 1 < m_iCount; ++i) {
    std::memcpy(m_szAddress[i], m_szAddress[i + 1], kAddressSize);
  }
  std::memset(m_szAddress[m_iCount - 1], 0, kAddressSize);
  --m_iCount;
  foundation::logInfo("After CDataIP::DeleteIndex %d", index);
  LogListLocked();
  return 1;
}

int CDataIP::GetIP(int index, char* out, int size) const {
  if (!out || size < 1) return 0;
  out[0] = '\0';
  std::lock_guard<std::mutex> hold(m_mutex);
  if (index < 0 || index >= m_iCount) return 0;
  StrCopyUntil(out, m_szAddress[index], size, 0);
  return 1;
}

int CDataIP::GetNextIP(char* out, int size) {
  if (out && size > 0) std::memset(out, 0, static_cast<size_t>(size));
  std::lock_guard<std::mutex> hold(m_mutex);
  if (m_iCount < 1) return 0;
  if (m_iCurrent == -1) m_iCurrent = 0;
  if (out && size > 0) {
    StrCopyUntil(out, m_szAddress[(m_iCurrent + m_iOffset) % m_iCount], size, 0);
  }
  ++m_iOffset;
  int more = m_iOffset <= m_iCount ? 1 : 0;
  // A caller that never resets keeps cycling; stepping back a whole turn keeps the position and
  // the answer while the counter cannot overflow.
  if (m_iOffset > 2 * m_iCount) m_iOffset -= m_iCount;
  return more;
}

int CDataIP::GetLastIP(char* out, int size) const {
  if (out && size > 0) std::memset(out, 0, static_cast<size_t>(size));
  std::lock_guard<std::mutex> hold(m_mutex);
  if (m_iCount < 1 || m_iCurrent == -1 || m_iOffset < 1) return 0;
  if (out && size > 0) {
    StrCopyUntil(out, m_szAddress[(m_iCurrent + m_iOffset - 1) % m_iCount], size, 0);
  }
  return 1;
}

void CDataIP::Reset() {
  std::lock_guard<std::mutex> hold(m_mutex);
  m_iCurrent = -1;
  m_iOffset = 0;
}

int CDataIP::GetCount() const {
  std::lock_guard<std::mutex> hold(m_mutex);
  return m_iCount;
}

void CDataIP::logIPList() const {
  std::lock_guard<std::mutex> hold(m_mutex);
  LogListLocked();
}

void CDataIP::LogListLocked() const {
  for (int i = 0; i < m_iCount; ++i) foundation::logInfo("logIPList ip%d : %s", i, m_szAddress[i]);
}
