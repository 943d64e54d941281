// Documents files that hold one archived object under a key of its own.
#pragma once

#include <memory>

#include "platform/foundation/KeyedArchive.h"

// Archives `object` under `key` into the documents file `fileName`, replacing the file
// atomically. False when the object cannot be encoded or the file cannot be written.
bool ArchiveObjectToFile(const char* fileName, const char* key,
                         const foundation::Archivable& object);
// The object stored under `key` in the documents file `fileName`; null when the file is
// missing, empty, damaged, holds no object under that key or one of an unknown class.
std::shared_ptr<foundation::Archivable> UnarchiveObjectFromFile(const char* fileName,
                                                                const char* key);
