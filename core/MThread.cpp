#include "core/MThread.h"

#include <chrono>
#include <cstdio>

MThread::MThread() {
  std::snprintf(m_szName, sizeof(m_szName), "%s", "Unnamed thread");
}

MThread::~MThread() {
  Join();
}

bool MThread::Start(std::function<void()> body, const char* name) {
  if (m_hThread.joinable() || !body) return false;
  if (name) std::snprintf(m_szName, sizeof(m_szName), "%s", name);
  m_bRunning = 1;
  m_hThread = std::thread([this, body = std::move(body)] {
    body();
    m_bRunning = 0;
  });
  return true;
}

void MThread::Join() {
  if (m_hThread.joinable() && m_hThread.get_id() != std::this_thread::get_id()) {
    m_hThread.join();
  }
  m_bRunning = 0;
}

void MThread::Sleep(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
