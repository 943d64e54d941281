#include "core/RequestBody.h"

#include <string_view>

#include "core/DataEncrypt.h"
#include "core/MDBF.h"
#include "platform/foundation/Log.h"

void AddAsciiField(MDBF& table, uint8_t id, const char* utf8) {
  if (!utf8) return;
  table.SetString(id, utf8);
}

void AddUtf16Field(MDBF& table, uint8_t id, const char* utf8) {
  if (!utf8 || !*utf8) return;
  table.SetNSString(id, std::string_view(utf8));
}

void AddTextField(MDBF& table, uint8_t id, const char* text) {
  if (text) table.AddStringField(id, text);
}

int SerializeRequestBody(MDBF& table, uint8_t* body, int capacity, const char* name) {
  int written = 0;
  int length = table.SerializeAll(body, capacity, &written);
  if (length < 0 || written < table.GetRecordNum()) {
    foundation::logError("%s: record of %d bytes does not fit %d bytes, not sent", name,
                         table.GetRecordLen(), capacity);
    return -2;
  }
  return length;
}

int EncipherRequestBody(uint8_t* body, int length, int capacity, const char* key,
                        const char* name) {
  if (length < 0 || length > 0xFFFF) return -2;
  int enciphered = CDataEncrypt::Encrypt(body, static_cast<uint16_t>(length), body, capacity, key);
  if (enciphered < 0) {
    foundation::logError("%s: enciphered body does not fit %d bytes, not sent", name, capacity);
    return -2;
  }
  return enciphered;
}
