#include "account/AccountAnswers.h"

#include "core/MDBF.h"

namespace {

// Field text cut as the screens' fixed buffers cut it.
std::string FieldText(const MDBF& table, int id, int size) {
  std::string buffer(static_cast<size_t>(size), '\0');
  table.GetFieldText(id, buffer.data(), size);
  buffer.resize(buffer.find('\0') == std::string::npos ? buffer.size() : buffer.find('\0'));
  return buffer;
}

}  // namespace

bool ReadRegisterAnswer(const ReceiveRecordView& view, RegisterAnswer& out) {
  out = RegisterAnswer{};
  const PacketHeader& h = view.header;
  if (h.MainType != kMainTypeLogin || h.PageID != kRegisterPageId) return false;
  if (h.ChildType != LoginChild::kRegister && h.ChildType != LoginChild::kGetPassword &&
      h.ChildType != LoginChild::kTraderInfo)
    return false;
  out.child = h.ChildType;
  if (h.isError()) {
    out.error = true;
    out.text = view.errorText();
    return true;
  }
  MDBF table;
  if (table.Parse(view.body, view.bodyLen) >= 0) table.Seek(0);
  if (out.child == LoginChild::kTraderInfo) {
    out.title = table.GetNSString(30);
    out.message = table.GetNSString(27);
    out.hasPhone = table.GetFieldData(26) != nullptr;
    if (out.hasPhone) out.phone = table.GetNSString(26);
  } else {
    out.text = table.GetNSString(38);
  }
  return true;
}

bool ReadQuoteLoginAnswer(const ReceiveRecordView& view, QuoteLoginAnswer& out) {
  out = QuoteLoginAnswer{};
  const PacketHeader& h = view.header;
  if (h.MainType != kMainTypeLogin || h.ChildType != LoginChild::kLoginHQ ||
      h.PageID != kLoginPageId || h.isError())
    return false;
  MDBF table;
  if (table.Parse(view.body, view.bodyLen) >= 0) table.Seek(0);
  // An absent field 40 reads as -1: not accepted.
  out.accepted = table.GetFieldData(40) != nullptr && table.GetInt(40) == 0;
  out.addresses = FieldText(table, 34, 512);
  out.rights = FieldText(table, 35, 300);
  out.notice = table.GetNSString(38);
  out.updateURL = table.GetNSString(46);
  out.updateNotes = table.GetNSString(28);
  out.serverTime = table.GetInt64(52);
  return true;
}
