#include "account/BankAnswers.h"

#include <cstdlib>

#include "core/CoreText.h"
#include "core/MDBF.h"
#include "core/ValueMath.h"

namespace {

int Nibble(const MDBF& table, int id) {
  // A missing field reads as -1: all four bits set. Records of a table gathered over packets
  // share one layout, so a record without the value holds an empty text there.
  const tagFieldInfo* field = table.FindField(id);
  const bool missing = !table.GetFieldData(id) ||
                       (field && field->type == kFieldText && table.GetNSString(id).empty());
  const int32_t value = missing ? -1 : table.GetInt(id);
  return value & 15;
}

}  // namespace

int32_t PasswordFlag(const MDBF& table) {
  return (Nibble(table, 23) << 16) | (Nibble(table, 24) << 12) | (Nibble(table, 25) << 8) |
         (Nibble(table, 26) << 4) | Nibble(table, 27);
}

int BankSideValue(int32_t flag, int type) {
  switch (type) {
    case 0:
      return flag & 15;
    case 1:
      return (flag >> 8) & 15;
    default:
      return (flag >> 16) & 15;
  }
}

int FundSideValue(int32_t flag, int type) {
  switch (type) {
    case 0:
      return (flag >> 4) & 15;
    case 1:
      return (flag >> 12) & 15;
    default:
      return -1;
  }
}

std::vector<BankEntry> ParseBankEntries(MDBF& table) {
  std::vector<BankEntry> banks;
  const int count = table.GetRecordNum();
  for (int i = 0; i < count; ++i) {
    table.Seek(i);
    const std::string name = table.GetNSString(21);
    if (name.empty()) continue;
    bool known = false;
    for (const auto& bank : banks) known = known || bank.name == name;
    if (!known) banks.push_back(BankEntry{name, {}, {}, {}, {}, {}, {}});
  }
  for (auto& bank : banks) {
    for (int i = 0; i < count; ++i) {
      table.Seek(i);
      if (table.GetNSString(21) != bank.name) continue;
      const std::string currency = table.GetNSString(6);
      const std::string currencyName = table.GetNSString(15);
      if (currency.empty() || currencyName.empty()) continue;
      if (bank.currencies.empty()) {
        bank.code = table.GetNSString(20);
        bank.account = table.GetNSString(22);
      }
      bank.currencies.push_back(currency);
      bank.currencyNames.push_back(currencyName);
      bank.flags.push_back(PasswordFlag(table));
      bank.accounts.push_back(table.GetNSString(22));
    }
  }
  if (count > 0) table.Seek(0);
  return banks;
}

AssetPaging AssetPages(int32_t start, int32_t held, int32_t total, int32_t pageSize) {
  AssetPaging p;
  if (pageSize <= 0) return p;
  p.page = vmath::Narrow32(vmath::SatAdd(start / pageSize, 1));
  p.pages = vmath::Narrow32(vmath::SatAdd(total, pageSize - 1) / pageSize);
  const int64_t next = vmath::SatAdd(start, held);
  p.next = next < total ? vmath::Narrow32(next) : -1;
  const int64_t previous = vmath::SatSub(start, pageSize);
  p.previous = previous >= 0 ? vmath::Narrow32(previous) : -1;
  return p;
}

bool ParseAmountText(const std::string& text, double* value) {
  int64_t cents = 0;
  if (!ReadTypedDecimal(text, 2, 2, &cents)) return false;
  if (value) *value = static_cast<double>(cents) / 100.0;
  return true;
}
