// Reading and writing open files, over each platform's own transfer
// functions. An injected fault moves half the bytes and then fails, as a
// read error or a full disk does part-way.
#include "platform/file_transfer.h"

#include "platform/platform_fault.h"

int platformRead(PlatformFile* file, void* buffer, size_t* size) {
  if (!platformFaulted(kPlatformOpRead)) return platformReadSome(file, buffer, size);
  *size /= 2;
  platformReadSome(file, buffer, size);
  return 0;
}

int platformWrite(PlatformFile* file, const void* buffer, size_t* size) {
  size_t wanted = *size;
  bool fault = platformFaulted(kPlatformOpWrite);
  if (fault) *size /= 2;
  platformWriteSome(file, buffer, size);
  bool whole = !fault && *size == wanted;
  if (!whole) platformMarkWriteFailed(file);
  return whole;
}
