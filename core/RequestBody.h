// Steps shared by the record-table request builders: adding text fields from UTF-8 strings,
// serialising the one-record body behind the header and enciphering it in place.
#pragma once

#include <cstdint>

class MDBF;

// Text field (type 0) of the string's ASCII bytes; left out when the string is null or has a
// character outside ASCII.
void AddAsciiField(MDBF& table, uint8_t id, const char* utf8);
// UTF-16 field (type 3) of at most the first 2048 units; left out when null or empty.
void AddUtf16Field(MDBF& table, uint8_t id, const char* utf8);
// Text field (type 0) of the bytes as they stand; left out when null.
void AddTextField(MDBF& table, uint8_t id, const char* text);

// Serialises the table's record into body (capacity bytes). Returns the body length, or -2
// (logged with the builder's name) when the record does not fit.
int SerializeRequestBody(MDBF& table, uint8_t* body, int capacity, const char* name);

// Enciphers length bytes at body in place (capacity bytes of room) with a 16-byte key; the bytes
// after the body may hold anything, they never reach the padding.
// Returns the enciphered length, or -2 (logged) when it does not fit.
int EncipherRequestBody(uint8_t* body, int length, int capacity, const char* key, const char* name);
