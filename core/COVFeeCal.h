// Holder of the fee-calculation table of the trade session. Nothing computes fees yet; the
// table only has to start and be reset to zeros.
#pragma once

#include <cstdint>
#include <cstring>

class COVFeeCal {
 public:
  static constexpr int kTableSize = 9200;
  static constexpr int kTailSize = 5;

  COVFeeCal() { Reset(); }
  virtual ~COVFeeCal() = default;

  void Reset() {
    std::memset(m_Table, 0, sizeof(m_Table));
    std::memset(m_Tail, 0, sizeof(m_Tail));
  }
  const uint8_t* GetTable() const { return m_Table; }
  const uint8_t* GetTail() const { return m_Tail; }

 private:
  uint8_t m_Table[kTableSize];
  uint8_t m_Tail[kTailSize];
};
