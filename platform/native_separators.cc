#include "platform/native_separators.h"

#include "platform/platform.h"
#include "platform/text.h"

// Byte by byte: '/' is never the second byte of a double-byte character,
// and a '\\' that is one stays as it is on Win32.
void platformNativeSeparators(char* path) {
  for (char* c = path; *c != '\0'; ++c)
    if (platformIsSeparator(*c)) *c = PLATFORM_SEPARATOR;
}
