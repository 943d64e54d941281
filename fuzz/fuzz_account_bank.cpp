// The trade answers as the bank transfer screen reads them: bank records gathered over two
// packets (entries, currencies, accounts, password flags), asset pages (paging from the page's
// start, records and total) and the 41, 43 and 45 answers, with and without the error flag.
// Nothing may crash; every entry's lists stay parallel and flags stay within five nibbles.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "account/BankAnswers.h"
#include "core/MDBF.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "fuzz/AccountFuzzSupport.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::InitCoreReceive();
  return 0;
}

// Input: a byte choosing the reader (and for bank records where the second packet starts), the
// 16-byte header, the body.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsupport::AccountAnswerInput in;
  if (!fuzzsupport::ReadAccountAnswerInput(data, size, in)) return 0;
  ReceiveRecordView& view = in.view;
  if (view.header.isError()) {
    view.errorText();
    return 0;
  }
  MDBF table;
  switch (data[0] % 3) {
    case 0: {
      // Two packets: the body cut where the selector says.
      const int cut = in.bodyLen == 0 ? 0 : static_cast<int>((data[0] / 3) * in.bodyLen / 85);
      table.Parse(view.body, cut);
      table.AppendPacket(view.body + cut, view.bodyLen - cut);
      for (const BankEntry& bank : ParseBankEntries(table)) {
        if (bank.currencies.size() != bank.currencyNames.size() ||
            bank.currencies.size() != bank.flags.size() ||
            bank.currencies.size() != bank.accounts.size())
          __builtin_trap();
        for (int32_t flag : bank.flags) {
          if (flag < 0 || flag > 0xFFFFF) __builtin_trap();
          for (int type = 0; type < 3; ++type) {
            BankSideValue(flag, type);
            FundSideValue(flag, type);
          }
        }
      }
      break;
    }
    case 1: {
      if (table.Parse(view.body, view.bodyLen) < 0) break;
      for (int i = 0; i < table.GetRecordNum(); ++i) {
        table.Seek(i);
        table.GetNSString(1);
        table.GetNSString(20);
      }
      for (int32_t pageSize : {0, 1, 10, 100}) {
        AssetPaging p = AssetPages(table.GetStartRecNum(), table.GetRecordNum(),
                                   table.GetTotalRecNum(), pageSize);
        if (p.next < -1 || p.previous < -1) __builtin_trap();
      }
      break;
    }
    default:
      if (table.Parse(view.body, view.bodyLen) >= 0 && table.GetRecordNum() > 0) table.Seek(0);
      table.GetNSString(35);
      table.GetNSString(40);
      table.GetNSString(73);
      break;
  }
  return 0;
}
