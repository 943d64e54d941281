// The trade answers as the bank transfer screen reads them: the linked banks with their
// currencies, accounts and password flags, and the amount fields of the transfer, balance and
// transferable-amount answers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class MDBF;

// Five 4-bit values of one record: field 23 (balance query) << 16 | 24 (out, fund side) << 12 |
// 25 (out, bank side) << 8 | 26 (in, fund side) << 4 | 27 (in, bank side); a missing field
// counts as 15.
int32_t PasswordFlag(const MDBF& table);
// The bank-side and fund-side values of a flag for a screen type (0 in, 1 out, 2 balance; the
// balance query has no fund side: -1).
int BankSideValue(int32_t flag, int type);
int FundSideValue(int32_t flag, int type);

struct BankEntry {
  std::string name;     // field 21
  std::string code;     // field 20 of the first accepted record
  std::string account;  // field 22 of the first accepted record
  std::vector<std::string> currencies;     // field 6
  std::vector<std::string> currencyNames;  // field 15
  std::vector<int32_t> flags;
  std::vector<std::string> accounts;  // field 22, duplicates kept
};

// One entry per bank name (field 21, in order of first appearance); a record is accepted when
// its currency code and name are both present. Banks without accepted records are kept.
std::vector<BankEntry> ParseBankEntries(MDBF& table);

// Paging of the asset table from a page's start record, the records it holds and the total
// (server values): the page shown (1-based) and the page count; the start of the next page
// (-1 when the page is the last) and of the previous one (-1 on the first).
struct AssetPaging {
  int page = 1;
  int pages = 0;
  int32_t next = -1;
  int32_t previous = -1;
};
AssetPaging AssetPages(int32_t start, int32_t held, int32_t total, int32_t pageSize);

// An amount as typed, read by the one typed-number reader (ReadTypedDecimal) with the two
// decimals of money. The value goes to `value`.
bool ParseAmountText(const std::string& text, double* value);
