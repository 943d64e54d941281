#include "shell/SelfStockUpload.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/ListBuffer.h"
#include "core/QuoteRequests.h"
#include "core/ReceiveRecord.h"
#include "core/SelfStock.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "shell/ShellAlerts.h"

std::string MakeSelfStockUploadText(const tagCodeItem* items, int count) {
  std::string text;
  if (!items) return text;
  for (int i = 0; i < count && text.size() < kSelfStockUploadTextLimit; ++i) {
    char market[8];
    std::snprintf(market, sizeof market, "%02d", static_cast<int8_t>(items[i].market));
    if (!text.empty()) text += ',';
    text.append(market, 2);
    text.append(items[i].code, strnlen(items[i].code, 6));
  }
  return text;
}

int ParseSelfStockListText(const std::string& text, tagCodeItem* out, int max) {
  if (!out || max <= 0) return 0;
  int written = 0;
  int parts = 0;
  size_t start = 0;
  while (start <= text.size() && parts < kSelfStockUploadMaxItems && written < max) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    std::string part = text.substr(start, comma - start);
    ++parts;
    if (part.size() >= 3) {
      tagCodeItem& item = out[written++];
      std::memset(&item, 0, sizeof item);
      item.market = static_cast<uint8_t>(std::atoi(part.substr(0, 2).c_str()));
      std::string code = part.substr(2, 7);
      std::memcpy(item.code, code.data(), code.size());
    }
    if (comma == text.size()) break;
    start = comma + 1;
  }
  return written;
}

namespace {

std::atomic<uint16_t> gUploadAwaited{0};

}  // namespace

uint16_t SelfStockUploadAwaited() {
  return gUploadAwaited.load();
}

void SetSelfStockUploadAwaited(uint16_t code) {
  gUploadAwaited.store(static_cast<uint16_t>(code & 0x3FFF));
}

bool UploadSelfStock() {
  if (!SelfStock_IsDirty()) return false;
  SelfStock_SetDirty(0);
  SelfStock_SetUploadState(0);
  TListBuffer list;
  int count = std::min(SelfStock_CopyList(list), kSelfStockUploadMaxItems);
  std::vector<tagCodeItem> keys(static_cast<size_t>(std::max(count, 0)));
  if (count > 0) list.CopyOut(0, keys.data(), count);
  std::string text = MakeSelfStockUploadText(keys.data(), count);
  int64_t listTime = SelfStock_GetListTime();
  std::string user = GetLoginUserName();
  uint16_t code = NextRequestCode(GlobalDataRequest());
  std::vector<uint8_t> buffer(9000, 0);
  int n = MakeRequest_53(0, code, 12, user.c_str(), 1, text.c_str(), listTime, buffer.data(),
                         static_cast<int>(buffer.size()));
  if (n <= 0) {
    foundation::logError("uploadSelfStock: request not built (%d)", n);
    return false;
  }
  SetSelfStockUploadAwaited(code);
  PushCenterSendQueue(buffer.data(), n);
  return true;
}

int SelfStockUploadAnswer::join(const uint8_t* record, int size, std::string& joined) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(record, size, view)) return -1;
  if (view.header.ChildType != QuoteChild::kSelfStockUpload) return -1;
  const uint16_t awaited = SelfStockUploadAwaited();
  if (awaited != 0 && view.requestCode() != awaited) {
    foundation::logInfo("uploadSelfStock: the answer to an earlier upload (%u) dropped",
                        view.requestCode());
    return -1;
  }
  if (view.header.isError()) {
    std::u16string text(static_cast<size_t>(view.bodyLen / 2), u'\0');
    std::memcpy(text.data(), view.body, text.size() * 2);
    ShowUnicharAlert(text.data(), static_cast<int>(text.size()));
    return -1;
  }
  std::lock_guard<std::mutex> guard(mutex_);
  const int partNo = view.header.PackageNo;
  const int partCount = view.header.PackageNum;
  // A first part always starts a new answer, whatever came before.
  if (partNo == 0) {
    data_.Clear();
    partCount_ = partCount;
    nextPart_ = 0;
  }
  if (partCount == 0 || partNo >= partCount) {
    dropLocked("part number outside the count", partNo, partCount);
    return -1;
  }
  if (partCount_ == 0 || partNo != nextPart_ || partCount != partCount_) {
    dropLocked("part out of sequence", partNo, partCount);
    return -1;
  }
  if (data_.GetSize() + static_cast<size_t>(view.bodyLen) > kSelfStockUploadAnswerLimit) {
    dropLocked("answer too long", partNo, partCount);
    return -1;
  }
  data_.Append(view.body, static_cast<uint32_t>(view.bodyLen));
  ++nextPart_;
  if (nextPart_ != partCount_) return 0;
  joined.assign(data_.GetData(), data_.GetSize());
  data_.Clear();
  partCount_ = 0;
  nextPart_ = 0;
  return 1;
}

void SelfStockUploadAnswer::dropLocked(const char* why, int partNo, int partCount) {
  foundation::logError("uploadSelfStock answer dropped: %s (part %d of %d, expected %d of %d)", why,
                       partNo, partCount, nextPart_, partCount_);
  data_.Clear();
  partCount_ = 0;
  nextPart_ = 0;
}

void ApplySelfStockUploadAnswer(const std::string& joined) {
  CLineStep data;
  data.Append(joined.data(), static_cast<uint32_t>(joined.size()));
  SelfStock_SetUploadState(1);
  int updateFlag = data.GetIntValue(5);
  SelfStock_SetUpdateFlag(updateFlag);
  if (updateFlag == 2) {
    // The server kept its own list (newer than the upload's stamp): the edit is replaced, which
    // is no success of the upload.
    foundation::logInfo("自选股上传未被采用：服务器的自选股较新，已改用服务器的列表");
    int date = 0;
    int time = 0;
    data.GetDateTimeValue(3, &date, &time);
    SelfStock_SetListTime(time, date);
    std::vector<char> listText(9000, 0);
    data.GetValue(4, listText.data(), static_cast<int>(listText.size()));
    std::vector<tagCodeItem> keys(kSelfStockUploadMaxItems);
    int count = ParseSelfStockListText(listText.data(), keys.data(), kSelfStockUploadMaxItems);
    SelfStock_ReplaceAll(keys.data(), count);
  } else {
    foundation::logInfo("自选股上传成功，updateflag = %d", updateFlag);
  }
  SelfStock_Save();
}
