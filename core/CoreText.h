// Free functions the core uses on fixed-width texts, decimal numbers and file names.
// Texts are NUL-terminated bytes unless said otherwise; UTF-16 texts are char16_t units.
// Every bounded copy writes at most size - 1 characters and always terminates (size >= 1).
#pragma once

#include <cstdint>
#include <string_view>

// Removes leading spaces (only ' ') in place.
void TrimLeft(char* text);
// Removes trailing spaces and LFs in place.
void TrimRight(char* text);
// TrimLeft, then TrimRight.
void Trim(char* text);
// Cuts the text at its first LF, then at its first CR.
void StripNewline(char* text);

// Copies the source up to the stop character or its end. Returns the characters copied.
int StrCopyUntil(char* dest, const char* src, int size, char stop);
// Skips leading spaces, takes the text up to the delimiter or the end, drops trailing spaces.
// Returns the characters copied.
int CopyToken(char* dest, const char* src, int size, char delim);

// Field n (from 1) of a separated line; the line ends at NUL, LF or `end` (0 = none).
// The destination is zeroed first; a missing field gives "". The copy is trimmed.
void GetField(const char* src, char* dest, int size, int n, char sep, char end);
// Leading integer of GetField (0 when there is none).
int GetFieldInt(const char* src, int n, char sep, char end);

// "major.minor" -> major * 10000 + minor padded to 4 digits ("2.5" 25000, "2.15" 21500).
int ParseVersion(const char* text);

// UTF-16 -> ASCII bytes; len -1 reads up to the terminating 0. The destination is zeroed first.
// A text holding a unit outside ASCII converts to "" (strict encoder). Returns the byte length.
int WideToCString(char* dest, int size, const char16_t* text, int len);
// Units before the terminating 0; 0 for null.
int UniStrLen(const char16_t* text);
// ASCII bytes -> UTF-16 units; len -1 reads up to NUL. `size` counts units. The destination is
// zeroed first; bytes outside ASCII convert to "". Returns the units written.
int BytesToNSString(char16_t* dest, int size, const char* bytes, int len);

// The one reader of a number a user types into a price, amount or percentage field: digits with
// at most one point and at most `decimals` digits after it, digits on at least one side of the
// point; nothing else (no sign, blank or exponent). On success *out is the value times
// 10^scale (scale >= decimals, at most 8) and the result is true; "401..5", "1.2.3", ".", "-1",
// "" and values beyond 10^12 are false with *out untouched.
bool ReadTypedDecimal(std::string_view text, int decimals, int scale, int64_t* out);

// value * factor rounded half away from zero, cut to the int32 range.
int RoundScaled(double value, int factor);

// Decimal digits accumulated into 64 bits; every non-digit is skipped, a '-' anywhere makes the
// result negative ("-12a3" -> -123).
int64_t WideToInt64(const char16_t* text);
int64_t StrToInt64(const char* text);

// Stores the documents folder with a trailing '/' and copies it to dest when dest is given.
void InitDocumentPath(char* dest, int size);
// The stored documents folder ("" before InitDocumentPath).
const char* GetDocumentPath();
// Absolute names ('/' or '\\' first) are copied as they are; others get the documents folder in
// front. Returns the length written.
int MakeFullPath(char* dest, int size, const char* name);

// Use stamp for the quote cache: returns the counter, then adds 1. Starts at 1.
uint32_t NextGeneration();

// The price (1/10000 units) moved one Hong Kong price step up or down.
int HKPriceStep(int price, bool up);
